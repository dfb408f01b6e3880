// The main view: it fills the main window and owns and places its children —
// the editing sheet, the main and LaTeX-mode tool bars, the symbol strip, the
// library side panel, the LaTeX source pane and the TeX prompt bar. It
// switches between visual editing and LaTeX mode, drags the two splitters,
// routes tool-bar commands, keys, the wheel and symbol keys to the sheet,
// takes drops, runs the interface settings dialog, renders the document's
// presentation picture, and answers what the sheet asks of the program
// around it (SheetHost).
//
// The side panel's window comes with a later part of the program: it is a
// placeholder of the right size (`ViewPlaceholder`) until then. The symbol
// strip is `CKwTBPanel_Scr`, the two tool bars are `CDlgToolbar`s.
#pragma once

#include "shell/layout/ViewLayout.h"
#include "shell/update/UpdateCheck.h"
#include "sheet/SheetHost.h"
#include "model/SymbolKey.h"
#include "uikit/WindowMessages.h"

#include <QColor>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <array>
#include <functional>
#include <map>
#include <memory>

class QKeyEvent;
class QMimeData;

namespace toliva {

struct AppSettings;
class CDialogTeXEdt;
class CDlgGU;
class CDlgTeXPromptBar;
class CDlgToolbar;
class CDlgWritingPad;
class CDlgFindReplace;
class CDlgUserSymPanel;
class CDlgUserSymEditor;
class UserSymSheet;
class UserSymbolSheet;
class SheetFindTarget;
class CKwEESheet;
class CKwMenu;
class CKwTBPanel_Scr;
struct PanelContext;
class CTolivaApp;
class CTolivaDoc;
class ShellEditDialogs;
class ShellMoreSymbolsPicker;
class EqModel;
class TeXPromptDriver;

// A child window of the view whose own part is not built yet: an empty pane
// of the right size in the interface background, with its name for tests.
class ViewPlaceholder : public QWidget {
public:
    ViewPlaceholder(const QString& name, QWidget* parent);
    // The background.
    QColor background;

protected:
    void paintEvent(QPaintEvent* event) override;
};

class CTolivaView : public QWidget, public SheetHost, public MessageTarget {
public:
    // The splitter's grip colour and width.
    static constexpr uint32_t kLineColour = 0xDCC8C8;  // COLORREF
    static constexpr int kSplitterWidth = 6;
    // The tool-bar commands the view handles itself.
    static constexpr int kPaneCut = 1032, kPaneCopy = 1033, kPanePaste = 1034;
    static constexpr int kSplitStart = 1000010, kSplitEnd = 1000011, kSplitMove = 1000012;

    CTolivaView(CTolivaApp& app, QWidget* parent);
    ~CTolivaView() override;

    CKwEESheet* sheet() const { return m_sheet; }
    // The equation settings and print dialogs the sheet opens.
    ShellEditDialogs* editDialogs() const { return m_editDialogs.get(); }
    CDialogTeXEdt* latexPane() const { return m_pLaTeXPane; }
    CDlgTeXPromptBar* promptBar() const { return m_pPromptBar; }
    TeXPromptDriver* promptDriver() const { return m_promptDriver.get(); }
    CDlgToolbar* mainToolbar() const { return m_pMainToolbar; }
    CDlgToolbar* latexToolbar() const { return m_pLaTeXToolbar; }
    CKwTBPanel_Scr* symbolStrip() const { return m_pSymbolStrip; }
    // What the symbol strip reads of the program (the picker is set here
    // once it exists); null in the office add-in's run.
    PanelContext* panelContext() const { return m_panelContext.get(); }
    // The strip's more-symbols picker (null until the strip's context exists).
    ShellMoreSymbolsPicker* moreSymbolsPicker() const { return m_moreSymbols.get(); }
    ViewPlaceholder* sidePanel() const { return m_pSidePanel; }
    const ViewLayout& layout() const { return m_layout; }

    // ---- creation and the equation

    // The tool bars, the strip, the LaTeX pane, the side panel and the
    // prompt bar (once; not in add-in mode).
    void CreateCompanionWindows();
    // The sheet takes the equation: undo and redo emptied, the tool-bar
    // states refreshed; in LaTeX mode the pane is filled from it (225).
    void AttachEquation(EqModel* eq);
    void SetEquation(EqModel* eq) { AttachEquation(eq); }
    void FocusSheet();

    // ---- layout and modes

    void RelayoutChildren();
    bool ToggleLibraryPanel() override;
    // The user symbol panel (F4, command 155, the strip's user-symbol cell):
    // made once, owned by the sheet's window, shown again on later uses.
    void OpenUserSymbolPanel() override;
    CDlgUserSymPanel* userSymbolPanel() const { return m_pUserSymPanel; }
    // Runs the symbol editor the panel opens in place of its modal loop
    // (tests answer it); empty: the modal loop.
    std::function<int(CDlgUserSymEditor&)> runUserSymEditor;
    bool ToggleLaTeXMode() override;
    bool MoveLaTeXText(bool toEquation) override;
    // The main window's title: "Toliva - " and the document's title (not
    // when embedded), then " - N%" of the editor scale.
    void UpdateWindowTitle();
    void UpdateToolbarStates() override;
    void UpdateAlignButtons() override;

    // ---- routing

    // Ctrl+Tab toggles LaTeX mode, F7 (key-down only) the side panel;
    // otherwise in visual mode the sheet's keys. True when used.
    bool PreTranslateKey(int vk, bool ctrl, bool shift, bool alt, bool keyDown);
    // The wheel over the strip turns its groups, over the side panel scrolls
    // it; true when used.
    bool OnWheel(QPoint viewPoint, int delta);
    // WM_TOOLBAR_COMMAND: 1032 to 1034 go to the LaTeX pane's editor as
    // 2177 to 2179, the splitter codes drag the LaTeX splitter, -1 offers the
    // hot-key menu of the button's command, anything else goes to the sheet.
    void OnToolbarCommand(int command, int buttonCommand, QPoint viewPoint);
    intptr_t OnWindowMessage(int message, intptr_t wParam, intptr_t lParam) override;
    // A symbol key taken from the strip: the more-symbols key (10000) opens
    // the picker of the strip's pressed group first (without a picker the
    // user is told it is not available yet, and nothing is inserted).
    void TakeSymbolKey(const SymbolKey& key);

    // ---- menus, settings and help (CTolivaViewSettings.cpp)

    // The one-entry hot-key menu of a tool-bar button (commands 5, 6, 22 to
    // 26, 255, 256); false when the command has none.
    bool ShowHotkeyMenu(int command, QPoint screenPoint);
    // The symbol context menu of a strip cell.
    void OnSymbolContextMenu(const SymbolKey& key, QPoint screenPoint, bool groupAllowsReplace);
    void ApplyPanelColours(bool redraw);
    void ApplyPanelColours() override { ApplyPanelColours(true); }
    void MarkSymbolGroupsChanged() override;
    // The recognition settings over owner (null: the view).
    bool ShowRecognitionSettings(QWidget* owner);
    bool ShowRecognitionSettings() override { return ShowRecognitionSettings(nullptr); }
    bool ShowAppSettingsDialog() override;
    // WM_SETTINGS_DIALOG_BUTTON from the settings dialog: 0 applies, 1 resets.
    void OnSettingsPanelButton(CDlgGU* dialog, int code);
    void ApplySettingsPanel(CDlgGU& dialog);
    // Kind 0 "Help.pdf", 1 the product's web page, other "OCR_Help.pdf".
    void OpenHelpDocument(int kind);
    bool OpenProductWebPage() override {
        OpenHelpDocument(1);
        return true;
    }
    // Runs the settings dialog in place of its modal loop (tests answer it);
    // empty: the modal loop.
    std::function<int(CDlgGU&)> runSettingsDialog;
    // Tracks a menu in place of its modal loop (tests choose); empty: the
    // menu's own tracking.
    std::function<unsigned(CKwMenu& menu, QPoint screenPoint)> trackMenu;
    // The interface settings dialog while it runs (its buttons count only
    // from it); null otherwise.
    CDlgGU* settingsDialog() const { return m_pSettingsDialog; }
    // The symbol strip's groups, and their colours (opaque ARGB) for the
    // settings: with "TBP" bit 1 the groups' own colours ("TBP\Color"),
    // else the interface background.
    static constexpr int kStripGroupCount = 11;
    static void FillStripGroupColours(const AppSettings& settings, std::array<uint32_t, 12>& colours);

    // The "TeX : ..." hint of a symbol key (the hot-key page's caption).
    QString texHint(const SymbolKey& key) const;
    // The key's symbol, built alone, in place of every marked run of the sheet.
    void ReplaceMarkedWithSymbol(const SymbolKey& key);

private:
    CDlgGU* m_pSettingsDialog = nullptr;

public:
    // ---- the presentation picture (CTolivaViewPicture.cpp)

    // Renders the served equation into the document's Windows-metafile
    // cache, its picture fields and extents; with refresh and no job the
    // sheet refreshes.
    void RenderMetafileCache(bool refresh);

    // ---- drops (the sheet's area and the side panel)

    // The drag is over the view point: automatic scrolling near the sheet's
    // edges, the caret follows. Returns the actions allowed (3).
    int OnDragOver(QPoint viewPoint);
    void OnDragLeave();
    bool OnDrop(const QMimeData& data, QPoint viewPoint, bool ctrlHeld);

    // ---- SheetHost
    void SetModifiedFlag() override;
    bool IsEmbedded() const override;
    void NotifyEmbeddedChanged() override;
    void SetDragging(bool dragging) override;
    void UpdateTitle() override;
    void MinimiseMainWindow() override;
    void RestoreMainWindow() override;
    bool IsMainWindowIconic() const override;
    void CloseMainWindow() override;
    bool StartProgram(const QString& path, const QStringList& arguments) override;
    int ViewMode() const override;
    bool AddEquationToNotes(const EqModel& eq) override;
    bool HasView() const override { return true; }
    bool SendFrameCommand(int id) override;
    QPoint MainWindowPosition() const override;
    bool CopyEmbeddedItem() override;
    bool PromptBarKeyDown(int vk, bool ctrl, bool shift, bool alt) override;
    void ShowPromptBar(const QString& text, int mode) override;
    bool IsPromptBarShowingForSheet() const override;

    // The handwriting pad (code 255; CTolivaViewPad.cpp): created on first
    // use, then shown again.
    bool ShowWritingPad() override;
    CDlgWritingPad* writingPad() const { return m_pWritingPad; }
    // The find-and-replace dialog (code 153; CTolivaViewFind.cpp): created
    // on first use with the sheet's window as owner, then shown again; the
    // text goes into its find box when not empty.
    bool ShowFindDialog(const QString& findText) override;
    CDlgFindReplace* findDialog() const { return m_pFindDialog; }
    // After a language choice the find dialog takes the new texts.
    void ApplyLanguage() override;
    // The update check: a check asked for (code 182) and the automatic one
    // the sheet schedules when it starts (CTolivaViewUpdate.cpp).
    // Both run on a worker thread; the result comes back to this thread,
    // which stores the day, keeps the newer flag and shows the dialog.
    bool CheckForUpdate() override;
    void ScheduleUpdateCheck() override;
    // Gives a running check up (it shows nothing); the view's end does it too.
    void CancelUpdateCheck();
    bool IsUpdateCheckRunning() const { return m_updateChecker.running(); }
    // Whether the last answered check in this view named a newer build.
    bool UpdateNewerFlag() const { return m_bUpdateNewer; }
    // The update dialog with the newer flag, modal.
    void ShowUpdateDialog();

    // Puts the clipboard's text into the LaTeX pane (the capture hand-off
    // when recognition inserted nothing); false without a pane.
    bool PasteIntoLaTeXPane();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Messages posted to the view (the tool bars' commands) arrive here.
    bool event(QEvent* event) override;

private:
    CTolivaDoc* document() const;
    ViewLayoutInput layoutInput() const;
    // The frame's minimum tracking width.
    void setMinimumTrackWidth(int width);
    // The symbol strip with the eleven groups, their pictures and stored
    // order (CTolivaViewStrip.cpp).
    void BuildSymbolStrip();
    // The strip's context from the settings as they are now.
    void refreshPanelContext();
    // The strip's right click: the symbol menu of its pressed cell.
    void OnStripRightClick(CKwTBPanel_Scr* strip);
    // The end of a splitter drag: the children take their new sizes.
    void endSplitterDrag();
    // The alignment (0 to 3) of the matrix around the caret, else of the
    // equation's lines; -1 when there is none.
    int currentAlignment() const;
    // Sets the main tool bar's states of the positions first .. last; a
    // change repaints the bar.
    void applyButtonStates(const std::map<int, int>& states, int first, int last);
    // Drags over the sheet: the automatic scrolling beside its own handling.
    bool sheetDragEvent(QEvent* event);
    // The Qt key event as the window system's key-down for PreTranslateKey.
    bool preTranslateKeyEvent(QKeyEvent* event);

    CTolivaApp& m_app;
    CKwEESheet* m_sheet = nullptr;
    std::unique_ptr<PanelContext> m_panelContext;  // outlives the strip and the tool bars
    std::unique_ptr<ShellMoreSymbolsPicker> m_moreSymbols;  // the context's picker
    CKwTBPanel_Scr* m_pSymbolStrip = nullptr;
    CDlgToolbar* m_pMainToolbar = nullptr;
    CDlgToolbar* m_pLaTeXToolbar = nullptr;
    ViewPlaceholder* m_pSidePanel = nullptr;
    CDialogTeXEdt* m_pLaTeXPane = nullptr;
    // The LaTeX editor's window and viewport, whose keys the view sees first.
    std::array<QPointer<QWidget>, 2> m_editorWindows;
    CDlgTeXPromptBar* m_pPromptBar = nullptr;
    CDlgWritingPad* m_pWritingPad = nullptr;
    CDlgFindReplace* m_pFindDialog = nullptr;
    // Writes the user's glyph file; goes before the sheet.
    void CloseUserSymbolPanel();
    CDlgUserSymPanel* m_pUserSymPanel = nullptr;
    std::unique_ptr<UserSymbolSheet> m_userSymSheet;  // what the panel calls on the sheet
    std::unique_ptr<UserSymSheet> m_userSymEditorSheet;  // what the editor reads of the sheet
    std::unique_ptr<SheetFindTarget> m_findTarget;  // outlives the find dialog (a child of the sheet)
    std::unique_ptr<TeXPromptDriver> m_promptDriver;
    std::unique_ptr<ShellEditDialogs> m_editDialogs;
    ViewLayout m_layout;
    // A splitter drag: 0 none, 1 the LaTeX splitter, 2 the side panel's.
    int m_nDragState = 0;
    float m_dragSavedRatio = 0;
    QPoint m_dragStart;
    // The last pressed strip cell's key, while a press is pending.
    SymbolKey m_pressedKey;
    bool m_bStripPressPending = false;
    bool m_bLaidOut = false;
    AutoScroll m_scrollX, m_scrollY;
    // The update check (CTolivaViewUpdate.cpp): the newer flag of the last
    // answered check, and the worker, cancelled and joined when the view
    // goes.
    void finishUpdateCheck(const UpdateCheckResult& result);
    bool m_bUpdateNewer = false;
    UpdateChecker m_updateChecker;
};

}  // namespace toliva
