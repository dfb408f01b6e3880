#include "uikit/QtDialogService.h"

#include "tests/common/TestSupport.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <gtest/gtest.h>

namespace toliva {
namespace {

TEST(QtDialogs, WindowsFiltersBecomeQtNameFilters) {
    struct Case {
        const char* filter;
        QStringList qt;
    } cases[] = {
        {"Toliva Hotkeys (*.hks)|*.hks|", {"Toliva Hotkeys (*.hks)"}},
        {"Toliva LaTeX Editor Settings (*.alx)|*.alx|All Files (*.*)|*.*||",
         {"Toliva LaTeX Editor Settings (*.alx)", "All Files (*.*)"}},
        {"Toliva AutoWord Definition(*.aad)|*.aad|", {"Toliva AutoWord Definition(*.aad)"}},
        {"Pictures|*.png;*.jpg|", {"Pictures (*.png *.jpg)"}},
        {"Text (UTF-8)|*.txt|", {"Text (UTF-8) (*.txt)"}},
        {"", {}},
        {"Lonely description", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.filter);
        EXPECT_EQ(QtNameFilters(c.filter), c.qt);
    }
    struct Ext {
        const char* in;
        const char* out;
    } exts[] = {{"*.hks", "hks"}, {".mem", "mem"}, {"til", "til"}, {"*.*", ""}, {"", ""}};
    for (const auto& e : exts) EXPECT_EQ(BareExtension(e.in), e.out) << e.in;
}

// Accepts the modal dialog as soon as it runs.
void acceptNextDialog() {
    QTimer::singleShot(0, [] {
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) d->accept();
    });
}

TEST(QtDialogs, ColourDialogCarriesTheCustomColours) {
    QtDialogService qt;
    ColourDialogRequest request;
    request.initial = QColor(10, 20, 30);
    for (int i = 0; i < 16; ++i) request.customColours[size_t(i)] = QColor(i, 2 * i, 3 * i);
    ColourDialogResult out;
    acceptNextDialog();
    ASSERT_TRUE(qt.pickColour(request, &out));
    EXPECT_EQ(out.colour, request.initial);
    EXPECT_EQ(out.customColours, request.customColours);
}

TEST(QtDialogs, SaveDialogProposesTheNameInTheInitialFolder) {
    test::ScratchFolder scratch;
    QtDialogService qt;
    FileDialogRequest request;
    request.save = true;
    request.filter = "Toliva Hotkeys (*.hks)|*.hks|";
    request.defaultExtension = "*.hks";
    request.defaultName = "keys";
    request.initialFolder = scratch.path();
    QString path;
    acceptNextDialog();
    ASSERT_TRUE(qt.pickFile(request, &path));
    EXPECT_EQ(path, scratch.file("keys.hks"));
}

}  // namespace
}  // namespace toliva
