#include "platform/DialogService.h"

#include <gtest/gtest.h>

namespace toliva {
namespace {

using Kind = ScriptedDialogService::Kind;
using Answer = ScriptedDialogService::Answer;

// Without an installed service every picker answers Cancel and sets nothing.
void expectDefaultCancels() {
    DialogService& d = dialogService();
    QString path = "unchanged";
    EXPECT_FALSE(d.pickFile(FileDialogRequest{}, &path));
    EXPECT_FALSE(d.pickFolder(FolderDialogRequest{}, &path));
    EXPECT_EQ(path, "unchanged");
    ColourDialogResult colour;
    EXPECT_FALSE(d.pickColour(ColourDialogRequest{}, &colour));
    FontDialogResult font;
    EXPECT_FALSE(d.pickFont(FontDialogRequest{}, &font));
}

TEST(DialogService, ScopedServiceIsUsedAndRestored) {
    expectDefaultCancels();
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
    EXPECT_NE(&dialogService(), &outer);
    expectDefaultCancels();
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

}  // namespace
}  // namespace toliva
