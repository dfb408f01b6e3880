// The equation settings dialog: six pages shown one at a time beside a page
// list the dialog draws itself. It works on a copy of the target equation's
// style record; OK and Apply move the pages' values into the equation and
// the program's settings. A theme menu resets, saves and loads the working
// record as ".thm" files. Restricted mode (the office add-in's theme job)
// offers only the first two pages and no Apply.
#pragma once

#include "model/EqLayoutSettings.h"

#include <QDialog>
#include <QFont>
#include <QRect>
#include <QString>
#include <QTimer>

#include <array>
#include <functional>

namespace toliva {

struct AppContext;
struct AppSettings;
class CKwEESheet;
class CKwMenu;
class CEEDPP_Layout;
class CEEDPP_Colors;
class CEEDPP_Advanced;
class CEEDPP_AutoCal;
class CEEDPP_Editor;
class CEEDPP_SCTeX;
class ShortcutSources;
struct EqNotes;

// What the dialog and its pages read and change besides the target sheet.
struct EquationSettingsContext {
    AppContext& app;
    AppSettings& settings;      // clip frames, recent books, capture format, UI metric
    QString programFolder;      // where "GenDef", "Dat", "icons" and "Help" lie; trailing '/'
    QFont uiFont;               // the interface font of the page list and captions
    // Runs a popup menu at a screen point and returns the chosen command
    // (0: none). Empty: the menu's own loop. Tests answer it.
    std::function<unsigned(CKwMenu&, QPoint)> trackMenu;
    // The symbol bar, tiles and LaTeX pane the shortcut page lists and
    // opens; null: none.
    ShortcutSources* shortcuts = nullptr;
};

class CEESettingDlg : public QDialog {
public:
    static constexpr int kPageCount = 6;
    enum PageIndex { PageLayout = 0, PageColors = 1, PageEditor = 2, PageSCTeX = 3, PageAutoCal = 4, PageAdvanced = 5 };
    // Control ids.
    static constexpr int kOk = 1;
    static constexpr int kCancel = 2;
    static constexpr int kApply = 1076;
    static constexpr int kHelp = 1077;
    static constexpr int kTheme = 1078;
    static constexpr int kWriteDefaults = 1087;
    static constexpr int kPageFrame = 1339;
    // The theme menu's items.
    enum ThemeItem { ThemeReset = 1, ThemeSaveAs = 2, ThemeOpen = 3, ThemeSaveMine = 4, ThemeLoadMine = 5 };

    // The row height of a page list from its top to its bottom edge.
    static int PageListRowHeight(int top, int bottom) { return (bottom - top) / 19; }

    CEESettingDlg(EquationSettingsContext& context, QWidget* parent = nullptr);
    ~CEESettingDlg() override;

    // Set by the opener before DoModal.
    bool m_bRestricted = false;
    CKwEESheet* m_pTarget = nullptr;

    // Creation (copies the target's record, makes the pages) and
    // initialisation; DoModal runs both, then the modal loop (through
    // runModal when set: tests answer it). IDOK or IDCANCEL.
    void OnCreate();
    bool OnInitDialog();
    int DoModal();
    std::function<int(CEESettingDlg&)> runModal;

    void ShowPage(int index);
    void ApplyPages();
    void ReloadPages();
    // The theme file dialog (LID_3); on OK path holds the chosen file.
    bool RunThemeFileDialog(bool save, QString& path);
    void OnOK();
    void OnApply();
    void OnHelp();
    // The theme menu at a screen point, then its item (1 to 5).
    void OnThemeMenu(QPoint screenPoint);
    void OnThemeItem(int item);
    // Page-list clicks and the wheel; true when handled.
    bool OnPageListClick(QPoint point);
    bool OnMouseWheel(int delta);
    void OnExitSizeMove();

    // What the pages read.
    EquationSettingsContext& context() { return m_context; }
    EqLayoutSettings& workingLayout() { return m_layout; }
    int currentPage() const { return m_nPage; }
    CEEDPP_Layout* layoutPage() const { return m_pLayout; }
    CEEDPP_Colors* colorsPage() const { return m_pColors; }
    CEEDPP_Advanced* advancedPage() const { return m_pAdvanced; }
    CEEDPP_SCTeX* shortcutPage() const { return m_pSCTeX; }
    QWidget* page(int index) const { return m_pages[size_t(index)]; }
    // The page list's rows: row height (bottom - top) / 19.
    QRect pageListRect() const;
    int pageListRowHeight() const;
    // Row i of the page list (where a click selects it).
    QRect pageListRow(int i) const;
    QString pageCaption(int index) const { return m_captions[size_t(index)]; }
    QWidget* control(int id) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void DrawPageList(QPainter& painter);
    int lastPage() const { return m_bRestricted ? 1 : kPageCount - 1; }
    // Reads a theme into the working record and shows what went wrong.
    void LoadTheme(const QString& path);
    // Applies the pages and writes the working record; a failure is shown.
    void SaveTheme(const QString& path);
    void showNotes(const EqNotes& notes);
    void cannotWrite(const QString& path);

private:
    EquationSettingsContext& m_context;
    EqLayoutSettings m_layout;
    int m_nPage = 0;
    std::array<QWidget*, kPageCount> m_pages{};
    CEEDPP_Layout* m_pLayout = nullptr;
    CEEDPP_Colors* m_pColors = nullptr;
    CEEDPP_Advanced* m_pAdvanced = nullptr;
    CEEDPP_Editor* m_pEditor = nullptr;
    CEEDPP_SCTeX* m_pSCTeX = nullptr;
    CEEDPP_AutoCal* m_pAutoCal = nullptr;
    std::array<QString, kPageCount> m_captions;
    bool m_created = false;
    bool m_initialized = false;
    // Moves end when no move has come for a while.
    QTimer m_moveEnd;
    int m_listLeft = 0, m_listTop = 0, m_listRight = 0, m_listBottom = 0, m_separatorX = 0;
};

}  // namespace toliva
