// The main view: it holds the editing sheet, hands it the document's
// equation, and answers what the sheet asks of the program around it
// (SheetHost): the document's modified flag, framework commands, the main
// window.
#pragma once

#include "sheet/SheetHost.h"

#include <QWidget>

namespace toliva {

class CKwEESheet;
class CTolivaApp;
class CTolivaDoc;
class EqModel;

class CTolivaView : public QWidget, public SheetHost {
public:
    CTolivaView(CTolivaApp& app, QWidget* parent);
    ~CTolivaView() override;

    CKwEESheet* sheet() const { return m_sheet; }
    // The document's (new or loaded) equation goes to the sheet: undo and
    // redo emptied, the tool bar states refreshed.
    void SetEquation(EqModel* eq);
    // The sheet takes the keyboard.
    void FocusSheet();

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
    // Job 32: the served equation on the clipboard as the native format, the
    // picture and the document's own bytes.
    bool CopyEmbeddedItem() override;

    // Puts the clipboard's text into the LaTeX pane; false while the view
    // has no pane.
    bool PasteIntoLaTeXPane();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    CTolivaDoc* document() const;

    CTolivaApp& m_app;
    CKwEESheet* m_sheet = nullptr;
};

}  // namespace toliva
