// The main window: it holds the view, restores and stores its placement
// ("MF_X", "MF_Y", "MF_W", "MF_H" under "AppSettings") inside the virtual
// screen, keeps a minimum tracking size, closes itself shortly after an
// office job (timer 1), asks about unsaved changes before it closes, and
// takes files dropped from the desktop: documents are opened, pictures are
// recognised as formulas.
#pragma once

#include <QBasicTimer>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>

namespace toliva {

class CTolivaApp;
class CTolivaView;

// The smallest placement the frame restores, unless the virtual screen is
// smaller.
inline constexpr int kMinFrameWidth = 960;
inline constexpr int kMinFrameHeight = 640;

// The stored placement (x, y, width, height) kept inside the virtual screen:
// the size at least kMinFrameWidth x kMinFrameHeight but at most the virtual
// screen's, then the position moved so that the whole window lies inside it.
// Without a virtual screen (no screen known) the window goes to the origin
// with the minimum size kept.
QRect ClampFramePlacement(int x, int y, int width, int height, const QRect& virtualScreen);

// The virtual screen: the union of every screen's geometry (empty without a
// screen).
QRect DesktopVirtualScreen();

// What a drop of files holds, by their extensions (after the last dot of the
// file name, compared in lower case).
struct DroppedFiles {
    // The ".afx" documents, in the order of the drop.
    QStringList documents;
    // The last picture (".bmp", ".jpg", ".jpeg", ".png", ".gif", ".tiff")
    // or metafile (".emf", ".wmf"); empty when there was none.
    QString picture;
    bool pictureIsMetafile = false;
    // Every file was a document (also true for an empty drop).
    bool documentsOnly = true;
};
DroppedFiles ClassifyDroppedFiles(const QStringList& paths);

class CMainFrame : public QWidget {
public:
    // The close timer after an office job and its period.
    static constexpr int kCloseTimer = 1;
    static constexpr int kCloseTimerMs = 100;
    // The minimum tracking size: the width with and without the side panel
    // shown, and the height.
    static constexpr int kMinTrackWidthWithPanel = 760;
    static constexpr int kMinTrackWidthPlain = 600;
    static constexpr int kMinTrackHeight = 500;

    explicit CMainFrame(CTolivaApp& app);
    ~CMainFrame() override;

    CTolivaView* view() const { return m_view; }

    // ---- placement and size

    // Reads the stored placement and the virtual screen (which the
    // application's settings keep), places the window inside it and
    // remembers that placement. Called once while the frame is made.
    void PreCreateWindow();
    // The minimum tracking width; the view changes it with the side panel.
    void SetMinTrackWidth(int width);
    int minTrackWidth() const { return m_nMinTrackWidth; }
    // The placement that is stored on close (the last one while neither
    // minimised nor maximised).
    const QRect& rememberedRect() const { return m_rcRemembered; }
    bool isMinOrMax() const { return m_bMinOrMax; }
    // After a size change: whether the window is now minimised or maximised.
    void OnSize();
    // After the window was moved or sized: the prompt bar is placed again
    // and, unless minimised or maximised, the placement remembered.
    void OnExitSizeMove();
    // Writes the remembered placement to "MF_X", "MF_Y", "MF_W", "MF_H".
    void StorePlacement() const;

    // ---- showing, title, closing

    // Shows the window; the first activation of the frame of an embedded
    // document keeps it hidden (the container shows it later).
    void ActivateFrame();
    bool firstActivation() const { return m_bFirstActivation; }
    // The title, which the view builds.
    void UpdateFrameTitle();
    // Timer 1 (kCloseTimerMs) closes the window when it fires.
    void SetCloseTimer();
    bool closeTimerArmed() const { return m_closeTimer.isActive(); }
    void OnTimer(int id);
    // Whether the window may close now. An embedded document renders its
    // picture and tells the container first, and after an office job closes
    // at once without storing the placement; otherwise the placement is
    // stored and the document asked about its changes.
    bool OnClose();

    // ---- dropped files

    // Every dropped file a document: each is opened. Otherwise the last
    // picture or metafile is recognised as a formula at the sheet's caret
    // (documents in a mixed drop are not opened); other files do nothing.
    void OnDropFiles(const QStringList& paths);

protected:
    void closeEvent(QCloseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    CTolivaApp& m_app;
    CTolivaView* m_view = nullptr;
    QBasicTimer m_closeTimer;

    int m_nMinTrackWidth = kMinTrackWidthPlain;
    bool m_bMinOrMax = false;
    bool m_bFirstActivation = true;
    // Left, top, right, bottom as stored (position of the window, size of
    // its client area, so that a stored placement comes back unchanged).
    QRect m_rcRemembered;
};

}  // namespace toliva
