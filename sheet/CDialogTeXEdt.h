// The LaTeX editing pane: the pane of the main view that shows the LaTeX
// source of the equation being edited. It hosts one source window
// (CLaTeXWnd), moves LaTeX text between it and the sheet's equation, runs
// the editor settings dialog, and turns the editor's notifications into the
// prompt bar's behaviour for the source window (prompt mode 2).
//
// What the pane asks of the view, the prompt bar and the settings dialog goes
// through the hooks below, which the shell sets; an empty hook does nothing
// (a question hook answers false).
#pragma once

#include "sheet/CLaTeXWnd.h"
#include "sheet/editing/LaTeXEditorStyle.h"

#include <QPoint>
#include <QString>
#include <QWidget>

#include <functional>

namespace toliva {

class TeXPromptDriver;

struct AppContext;
class CKwEESheet;

class CDialogTeXEdt : public QWidget {
    Q_OBJECT
public:
    // The pane's and the editor's control ids.
    static constexpr int kPaneId = 150;
    static constexpr int kEditorId = 100000;
    // The line along the pane's top edge (COLORREF).
    static constexpr uint32_t kTopLineColour = 0xDCC8C8;

    // app: the option word (bit 17: the prompt bar serves the source window),
    // the delimiter mode and the language. factory: the control library's
    // (LoadSourceEditorLibrary); without it the pane has no editor and its
    // operations do nothing.
    CDialogTeXEdt(AppContext& app, TolivaSourceEditorFactory factory, QWidget* parent = nullptr);
    ~CDialogTeXEdt() override;

    CLaTeXWnd& editor() { return m_editor; }
    AppContext& appContext() { return m_app; }
    // The sheet whose equation the pane reads and writes (not owned).
    void setSheet(CKwEESheet* sheet) { m_sheet = sheet; }
    CKwEESheet* sheet() const { return m_sheet; }

    // Loads the editor's style (loadStyle) and applies it without saving;
    // the shell calls it once the hooks are set.
    void InitEditorStyle();

    // The editor's text into the sheet's equation as one undo step. A text
    // that does not convert (or of which a part does not) leaves the
    // equation as it was and tells the user what and where. True when the
    // equation took the text.
    bool ApplyToEquation();
    // The equation as LaTeX into the editor; true when the editor took it.
    bool LoadFromEquation();
    // The settings dialog on the editor's style; on OK the style is applied
    // again (the dialog has saved it). True on OK.
    bool ShowEditorSettings();
    // A left click in the editor: the sheet's caret stops blinking and the
    // prompt bar hides.
    void ActivateFromEditor();

    // The editor's notifications.
    void OnCharAdded(int ch);
    void OnUpdateUI();
    void OnZoom();
    // The prompt step with the added character (0: none).
    void PromptStep(int ch);

    // Sets the prompt hooks to the driver of the TeX prompt bar, and the
    // driver's source-window side to this pane's editor.
    void ConnectPromptBar(TeXPromptDriver& driver);

    // ---- hooks the shell sets

    // Shows the prompt bar for the source window with the typed command at
    // the screen point; an empty command hides it.
    std::function<void(const QString& typedCommand, QPoint caretScreenPoint)> promptStep;
    std::function<void()> promptHide;
    // The prompt bar's handling of a key while it shows for the source
    // window; true when it used the key.
    std::function<bool(int vk, bool ctrl, bool shift, bool alt)> promptKey;
    // Whether the prompt bar shows for the source window (prompt mode 2).
    std::function<bool()> isPromptShowing;
    // Switches the view between visual and LaTeX mode.
    std::function<void()> toggleLaTeXMode;
    // The settings dialog on the style; true on OK (CDlgTESettings unless
    // replaced).
    std::function<bool(LaTeXEditorStyle&)> runSettingsDialog;
    // Reads the user's style file (or the shipped defaults) into the style
    // (LoadEditorStyle unless replaced).
    std::function<void(LaTeXEditorStyle&)> loadStyle;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool promptShowing() const { return isPromptShowing && isPromptShowing(); }
    void hidePrompt();

    AppContext& m_app;
    CLaTeXWnd m_editor;
    CKwEESheet* m_sheet = nullptr;
    QString m_typed;
};

}  // namespace toliva
