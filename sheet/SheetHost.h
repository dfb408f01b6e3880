// What the editing sheet asks of the view, the document and the application
// around it. The base class does nothing (a sheet without a program around
// it: tests, tools); the shell derives from it.
#pragma once

#include <QPoint>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace toliva {

class EqModel;
struct EqElement;

class SheetHost {
public:
    virtual ~SheetHost() = default;

    // The document: the equation changed (sets its modified flag).
    virtual void SetModifiedFlag() {}
    // The document is an embedded one (an OLE item in a container).
    virtual bool IsEmbedded() const { return false; }
    // An embedded document: its container's picture is out of date.
    virtual void NotifyEmbeddedChanged() {}
    // The document: a drag of the selection is under way (true) or over.
    virtual void SetDragging(bool dragging) { (void)dragging; }
    // The view: the alignment buttons follow the caret.
    virtual void UpdateAlignButtons() {}
    // The view: the editor scale changed (the main window's title shows it).
    virtual void UpdateTitle() {}
    // The main window.
    virtual void MinimiseMainWindow() {}
    virtual void RestoreMainWindow() {}
    virtual bool IsMainWindowIconic() const { return true; }
    // Closes the main window (an embedded document's editing ends).
    virtual void CloseMainWindow() {}
    // Starts a program beside the editor; false when it cannot be started.
    virtual bool StartProgram(const QString& path, const QStringList& arguments) {
        (void)path;
        (void)arguments;
        return false;
    }
    // The automatic update check, scheduled once when the sheet starts.
    virtual void ScheduleUpdateCheck() {}
    // The view's mode: 0 the equation, 1 LaTeX mode (the menus check it).
    virtual int ViewMode() const { return 0; }
    // The library panel adds a copied equation to its notes sheet; false
    // when there is no panel.
    virtual bool AddEquationToNotes(const EqModel& eq) { (void)eq; return false; }
    // The user-symbol panel (F4).
    virtual void OpenUserSymbolPanel() {}

    // What the view, the frame and the side windows do for the dispatcher.
    // Each returns false when the program around the sheet has no such
    // window or function: the sheet then tells the user it is not available
    // yet (the base class, a sheet without a program around it).

    // The view exists (codes 35, 224 to 226 need it).
    virtual bool HasView() const { return false; }
    // Sends a framework command (new 57600, open 57601, save 57603, save as
    // 57604, about 57664) to the main window.
    virtual bool SendFrameCommand(int id) { (void)id; return false; }
    // The main window's left and top edge in screen coordinates.
    virtual QPoint MainWindowPosition() const { return {}; }
    virtual bool ShowAppSettingsDialog() { return false; }   // code 7
    virtual bool ToggleLibraryPanel() { return false; }      // code 35, F7
    virtual bool ToggleLaTeXMode() { return false; }         // code 226, Ctrl+Tab
    // The LaTeX pane's text to the equation (code 224) or the equation's
    // LaTeX into the pane (225).
    virtual bool MoveLaTeXText(bool toEquation) { (void)toEquation; return false; }
    virtual bool ShowWritingPad() { return false; }          // code 255
    virtual bool CheckForUpdate() { return false; }          // code 182
    virtual bool OpenProductWebPage() { return false; }      // code 181
    // The find-and-replace dialog (code 153, Ctrl+F3) with a text for its
    // find box (empty: the box keeps its text).
    virtual bool ShowFindDialog(const QString& findText) { (void)findText; return false; }
    // The tool bar's check states (one-colour option, character type) and
    // then its alignment buttons.
    virtual void UpdateToolbarStates() {}
    // The symbol groups take the equation's colours again.
    virtual void ApplyPanelColours() {}
    // The library side panel draws its sheets again.
    virtual void RedrawLibrarySheets() {}
    // Every symbol group of the main symbol panel draws itself again.
    virtual void MarkSymbolGroupsChanged() {}
    // The recognition settings dialog, modal; false when there is none.
    virtual bool ShowRecognitionSettings() { return false; }
    // The find dialog, the user-symbol panel and the library panel reload
    // their captions after a language choice.
    virtual void ApplyLanguage() {}
    // The office add-in's embedded item copies itself to the clipboard (job 32).
    virtual bool CopyEmbeddedItem() { return false; }

    // The TeX prompt bar. It sees every key first; true when it used it.
    virtual bool PromptBarKeyDown(int vk, bool ctrl, bool shift, bool alt) {
        (void)vk; (void)ctrl; (void)shift; (void)alt;
        return false;
    }
    // Mode 1 shows the text for the sheet (when the option allows), mode 0
    // or an empty text hides the bar.
    virtual void ShowPromptBar(const QString& text, int mode) { (void)text; (void)mode; }
    virtual bool IsPromptBarShowingForSheet() const { return false; }

    // The equation of the stored formula whose TeX label has this index
    // (a library-item reference, type 65); null when there is none. The
    // sheet copies it.
    virtual const EqModel* LibraryItemEquation(int index) const { (void)index; return nullptr; }
};

}  // namespace toliva
