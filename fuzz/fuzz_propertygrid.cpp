// Page bytes (".apx") shown in the property grid. The field records (item
// numbers, types, rectangles) come from the file, so none of them may be
// trusted: the page is read, laid out and painted once, then every field (up
// to 64) is hit-tested, activated by click, Tab and Space, pending choices and
// colours are applied and keys turn pages; the pickers all answer Cancel.
// Reading and painting pages on their own are fuzz_apx's and
// fuzz_pagepainter's work. Here the grid, built once, is shrunk to nothing
// after the first paint, so that the repaint each interaction asks for draws
// nothing and an input costs one paint, not hundreds.
#include "platform/DialogService.h"
#include "uikit/CDlgAMF.h"
#include "uikit/CKwPGL.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

using namespace toliva;

namespace {

QApplication* ensureApplication() {
    static QApplication* app = [] {
        // Pickers read and make registry keys: keep them out of the user's own.
        static QTemporaryDir home;
        qputenv("TOLIVA_HOME", home.path().toLocal8Bit());
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "fuzz_propertygrid";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv);
    }();
    return app;
}

void key(QWidget* target, int k) {
    QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}

}  // namespace

extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\nleak:libfreetype\nleak:libQt6Gui\nleak:libQt6Core\nleak:libQt6Widgets\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ensureApplication();
    static QTemporaryDir folder;
    static ScriptedDialogService dialogs;  // an empty script: every picker cancels
    static ScopedDialogService scoped(&dialogs);
    static QWidget owner;
    static CDlgAMF* grid = new CDlgAMF(&owner);  // never shown: no paint events
    const QString path = folder.filePath(QStringLiteral("010Page.apx"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) return 0;
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }

    CKwPGL list;
    for (int i = 0; i < 8; ++i) ParseItemValue(*list.GetOrAddItem(0, i), QString::number(i % 3));
    ParseItemValue(*list.GetOrAddItem(1, 0), QStringLiteral("#**#"));

    grid->fontSize = 25;
    grid->propertyList = &list;
    grid->pageFiles = {path, path};
    grid->SetStartPage(0);
    grid->setGeometry(0, 0, 640, 400);
    grid->OnInitDialog();  // reads both pages, lays out and paints the first
    grid->setGeometry(0, 0, 0, 0);

    const int count = grid->PageCount() > 0 ? grid->Page(0)->FieldCount() : 0;
    for (int i = 0; i < count && i < 64; ++i) {
        grid->PathButtonKind(i);
        grid->FieldAt(grid->FieldRect(i).center());
        grid->ActivateField(i, CDlgAMF::Activation::Click, grid->FieldRect(i).center());
        grid->ActivateField(i, CDlgAMF::Activation::Space);
        grid->pendingChoice = 55 + i;
        grid->pendingColour = uint32_t(i) * 0x01020304u;
        grid->OnWindowMessage(WM_PROPERTY_GRID_POSTED, 1, 0);
        grid->OnWindowMessage(WM_PROPERTY_GRID_POSTED, 3, 0);
    }
    for (int k : {Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Space, Qt::Key_Down, Qt::Key_Tab, Qt::Key_Space, Qt::Key_Up})
        key(grid, k);
    QCoreApplication::sendPostedEvents();
    grid->HideEdits();
    grid->propertyList = nullptr;
    dialogs.asked.clear();
    dialogs.fileRequests.clear();
    dialogs.colourRequests.clear();
    dialogs.fontRequests.clear();
    dialogs.folderRequests.clear();
    return 0;
}
