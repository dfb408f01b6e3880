// What the editing sheet asks of the view, the document and the application
// around it. The base class does nothing (a sheet without a program around
// it: tests, tools); the shell derives from it.
#pragma once

#include <QPoint>
#include <QString>
#include <QStringList>

namespace toliva {

class SheetHost {
public:
    virtual ~SheetHost() = default;

    // The document: the equation changed (sets its modified flag).
    virtual void SetModifiedFlag() {}
    // The document is an embedded one (an OLE item in a container).
    virtual bool IsEmbedded() const { return false; }
    // An embedded document: its container's picture is out of date.
    virtual void NotifyEmbeddedChanged() {}
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
    // Recognition: the image on the clipboard becomes a formula at the caret.
    virtual void RecognizeClipboardImage() {}
    // The automatic update check, scheduled once when the sheet starts.
    virtual void ScheduleUpdateCheck() {}
    // The right-click edit menu at a point in screen coordinates.
    virtual void ShowEditMenu(QPoint screenPoint) { (void)screenPoint; }
    // The user-symbol panel (F4).
    virtual void OpenUserSymbolPanel() {}
};

}  // namespace toliva
