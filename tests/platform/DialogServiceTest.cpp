#include "platform/DialogService.h"

#include "tests/common/TestSupport.h"

#include <QtWidgets/QApplication>
#include <QtWidgets/QDialog>
#include <QTimer>

#include <gtest/gtest.h>

namespace toliva {
namespace {

using Kind = ScriptedDialogService::Kind;
using Answer = ScriptedDialogService::Answer;

TEST(DialogService, ScopedServiceIsUsedAndRestored) {
    EXPECT_NE(dynamic_cast<QtDialogService*>(&dialogService()), nullptr);
    ScriptedDialogService outer;
    {
        ScopedDialogService guard(&outer);
        EXPECT_EQ(&dialogService(), &outer);
        ScriptedDialogService inner;
        {
            ScopedDialogService guard2(&inner);
            EXPECT_EQ(&dialogService(), &inner);
        }
        EXPECT_EQ(&dialogService(), &outer);
    }
    EXPECT_NE(dynamic_cast<QtDialogService*>(&dialogService()), nullptr);
}

TEST(DialogService, ScriptedAnswersInOrderAndRecordsRequests) {
    ScriptedDialogService s;
    std::array<QColor, 16> customs;
    customs.fill(Qt::black);
    customs[3] = Qt::green;
    s.answers = {Answer::withFile("/tmp/a.png"), Answer::withColour(Qt::red), Answer::withFont(QFont("Serif", 14)),
                 Answer::withFolder("/tmp"), Answer::withColour(Qt::blue, customs)};

    FileDialogRequest file;
    file.save = true;
    file.filter = "Pictures (*.png)|*.png|";
    QString path = "unchanged";
    EXPECT_TRUE(s.pickFile(file, &path));
    EXPECT_EQ(path, "/tmp/a.png");

    ColourDialogRequest colour;
    colour.initial = Qt::white;
    colour.customColours.fill(Qt::gray);
    ColourDialogResult colourOut;
    EXPECT_TRUE(s.pickColour(colour, &colourOut));
    EXPECT_EQ(colourOut.colour, QColor(Qt::red));
    EXPECT_EQ(colourOut.customColours, colour.customColours);  // the request's, unchanged

    FontDialogRequest font;
    font.colour = Qt::darkRed;
    FontDialogResult fontOut;
    EXPECT_TRUE(s.pickFont(font, &fontOut));
    EXPECT_EQ(fontOut.font.family(), "Serif");
    EXPECT_EQ(fontOut.colour, QColor(Qt::darkRed));  // no colour answered: unchanged

    QString folder;
    EXPECT_TRUE(s.pickFolder({"Pick", "/home"}, &folder));
    EXPECT_EQ(folder, "/tmp");

    EXPECT_TRUE(s.pickColour(colour, &colourOut));
    EXPECT_EQ(colourOut.customColours, customs);

    // An empty queue answers Cancel and leaves the out value alone.
    path = "kept";
    EXPECT_FALSE(s.pickFile(file, &path));
    EXPECT_EQ(path, "kept");

    EXPECT_EQ(s.asked,
              (std::vector<Kind>{Kind::File, Kind::Colour, Kind::Font, Kind::Folder, Kind::Colour, Kind::File}));
    ASSERT_EQ(s.fileRequests.size(), 2u);
    EXPECT_TRUE(s.fileRequests[0].save);
    EXPECT_EQ(s.fileRequests[0].filter, file.filter);
    ASSERT_EQ(s.colourRequests.size(), 2u);
    EXPECT_EQ(s.colourRequests[0].initial, QColor(Qt::white));
    ASSERT_EQ(s.folderRequests.size(), 1u);
    EXPECT_EQ(s.folderRequests[0].initialFolder, "/home");
    EXPECT_EQ(s.mismatches, 0);
}

TEST(DialogService, AnswerOfAnotherKindCancels) {
    ScriptedDialogService s;
    s.answers = {Answer::withFolder("/tmp"), Answer::cancel(Kind::File)};
    QString path = "kept";
    EXPECT_FALSE(s.pickFile({}, &path));
    EXPECT_EQ(s.mismatches, 1);
    EXPECT_FALSE(s.pickFile({}, &path));
    EXPECT_EQ(s.mismatches, 1);
    EXPECT_EQ(path, "kept");
}

TEST(DialogService, WindowsFiltersBecomeQtNameFilters) {
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
