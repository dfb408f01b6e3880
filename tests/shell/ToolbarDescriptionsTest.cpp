// The tool-bar descriptions beside the program (the main view's
// "icons/tb_main.xml" and "icons/tb_main_x.xml", the handwriting pad's
// "icons/tb_wp.xml", the user-symbol editor's, the matrix templates', the
// Greek letters', the book list's and the side panel's): every top-level
// element is one button, its icon and the icon's grey twin are drawn, its
// title and tip exist in both languages, and the buttons their owners
// address by position or command are where they expect them.
#include "platform/Folders.h"
#include "sheet/editing/CommandCodes.h"
#include "shell/CDlgWritingPad.h"
#include "shell/CTolivaView.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QString>

#include <pugixml.hpp>

#include <set>
#include <vector>

namespace toliva::test {
namespace {

struct Button {
    int cmd = 0, type = 1;
    double size = 1;
    QString icon;
    QString title[2], tip[2];  // en, cn
};

// The buttons in document order; false when the file does not parse.
bool readDescription(const QString& name, std::vector<Button>& out) {
    pugi::xml_document doc;
    const QString path = programFolder() + QStringLiteral("icons/") + name + QStringLiteral(".xml");
    if (!doc.load_file(path.toUtf8().constData())) return false;
    for (pugi::xml_node e : doc.children()) {
        if (e.type() != pugi::node_element) continue;
        Button b;
        b.cmd = e.attribute("cmd").as_int(0);
        b.type = e.attribute("type").as_int(1);
        b.size = e.attribute("size").as_double(1);
        b.icon = QString::fromUtf8(e.attribute("icon").value());
        const char* languages[2] = {"en", "cn"};
        for (int l = 0; l < 2; ++l) {
            b.title[l] = QString::fromUtf8(e.child("tit").attribute(languages[l]).value());
            b.tip[l] = QString::fromUtf8(e.child("tip").attribute(languages[l]).value());
        }
        out.push_back(b);
    }
    return true;
}

bool pictureExists(const QString& icon) {
    QString relative = icon;
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QFileInfo(programFolder() + QStringLiteral("icons/") + relative + QStringLiteral(".apx")).isFile();
}

// The overflow menu cuts these off the titles of the buttons whose right
// click sets a hot key.
const QString kHotkeyHint[2] = {QStringLiteral("\tRight click to set hotkey."),
                                QStringLiteral("\t右键点击可设置快捷键")};
const std::set<int> kHotkeyCommands = {5, 6, 22, 23, 24, 25, 26, 255, 256};

// hotkeyBar: a bar of the main view, whose right click sets the hot key of
// the commands above; no other bar carries the hint.
void checkButtons(const std::vector<Button>& buttons, bool hotkeyBar = true) {
    for (size_t i = 0; i < buttons.size(); ++i) {
        const Button& b = buttons[i];
        SCOPED_TRACE(i);
        EXPECT_GT(b.size, 0.0);
        if (b.type == 1) {
            EXPECT_TRUE(b.icon.isEmpty());
            continue;
        }
        EXPECT_EQ(b.type, 2);  // a button that also enters the overflow menu
        EXPECT_NE(b.cmd, 0);
        EXPECT_TRUE(pictureExists(b.icon)) << b.icon.toStdString();
        EXPECT_TRUE(pictureExists(b.icon + QStringLiteral("_gray"))) << b.icon.toStdString();
        const bool hotkey = hotkeyBar && kHotkeyCommands.count(b.cmd) > 0;
        for (int l = 0; l < 2; ++l) {
            EXPECT_FALSE(b.title[l].isEmpty());
            EXPECT_FALSE(b.tip[l].isEmpty());
            EXPECT_EQ(b.title[l].endsWith(kHotkeyHint[l]), hotkey) << b.title[l].toStdString();
            EXPECT_EQ(b.tip[l].endsWith(kHotkeyHint[l]), hotkey) << b.tip[l].toStdString();
            // Tabs appear only before the hint.
            EXPECT_EQ(b.title[l].count(QLatin1Char('\t')), hotkey ? 1 : 0);
        }
        EXPECT_NE(b.title[0], b.title[1]);
    }
}

TEST(ToolbarDescriptionsTest, MainBarHasItsButtonsWhereTheViewLooks) {
    std::vector<Button> bar;
    ASSERT_TRUE(readDescription(QStringLiteral("tb_main"), bar));
    ASSERT_EQ(bar.size(), 32u);
    checkButtons(bar);
    // Disabled while embedded: opening another file is not done there.
    EXPECT_EQ(bar[3].cmd, CMD_FILE_OPEN);
    EXPECT_TRUE(pictureExists(bar[3].icon + QStringLiteral("_gray")));
    // Checked by the typing style.
    EXPECT_EQ(bar[17].cmd, CMD_TOGGLE_BOLD);
    EXPECT_EQ(bar[18].cmd, CMD_TOGGLE_ITALIC);
    // The four alignments, checked by the alignment value 0 to 3.
    for (int i = 0; i < 4; ++i) EXPECT_EQ(bar[size_t(25 + i)].cmd, CMD_ALIGN_LEFT + i);
    // The equation's first option flag.
    EXPECT_EQ(bar[31].cmd, CMD_TOGGLE_LAYOUT_OPTION);
    // Every command with a hot-key menu has its button; the main menu is first.
    std::set<int> commands;
    for (const Button& b : bar) commands.insert(b.cmd);
    for (const int c : kHotkeyCommands) EXPECT_TRUE(commands.count(c)) << c;
    EXPECT_EQ(bar[0].cmd, CMD_MAIN_MENU);
    EXPECT_TRUE(commands.count(CMD_ZOOM_IN));
}

TEST(ToolbarDescriptionsTest, LaTeXBarHasThePaneCommandsAndTheWayBack) {
    std::vector<Button> bar;
    ASSERT_TRUE(readDescription(QStringLiteral("tb_main_x"), bar));
    checkButtons(bar);
    std::set<int> commands;
    for (const Button& b : bar) commands.insert(b.cmd);
    for (const int c : {CTolivaView::kPaneCut, CTolivaView::kPaneCopy, CTolivaView::kPanePaste,
                        CMD_TEX_TO_EQUATION, CMD_EQUATION_TO_TEX, CMD_TOGGLE_LATEX_MODE})
        EXPECT_TRUE(commands.count(c)) << c;
}

TEST(ToolbarDescriptionsTest, PadBarHasItsModeButtonsWhereThePadLooks) {
    std::vector<Button> bar;
    ASSERT_TRUE(readDescription(QStringLiteral("tb_wp"), bar));
    checkButtons(bar);
    // The pens and the eraser, latched by the mode 1 to 4.
    for (int m = 0; m < 4; ++m)
        EXPECT_EQ(bar.at(size_t(CDlgWritingPad::kModeButtons[m])).cmd, CDlgWritingPad::CmdThin + m) << m;
    std::set<int> commands;
    for (const Button& b : bar) commands.insert(b.cmd);
    for (const int c : {CDlgWritingPad::CmdRecognitionSettings, CDlgWritingPad::CmdClear, CDlgWritingPad::CmdRecognize,
                        CDlgWritingPad::CmdRecognizeAndClose, CDlgWritingPad::CmdClearAndClose, CDlgWritingPad::CmdHelp})
        EXPECT_TRUE(commands.count(c)) << c;
}

std::vector<int> commandsOf(const std::vector<Button>& bar) {
    std::vector<int> out;
    for (const Button& b : bar)
        if (b.type != 1) out.push_back(b.cmd);
    return out;
}

TEST(ToolbarDescriptionsTest, SymbolEditorBarHasElevenCommandsAndItsFillButtonsAt12And13) {
    std::vector<Button> bar;
    ASSERT_TRUE(readDescription(QStringLiteral("tb_sym_edt"), bar));
    checkButtons(bar, false);
    EXPECT_EQ(commandsOf(bar), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    ASSERT_EQ(bar.size(), 14u);
    EXPECT_EQ(bar[12].cmd, 10);  // filled
    EXPECT_EQ(bar[13].cmd, 11);  // hollow
}

TEST(ToolbarDescriptionsTest, MatrixTemplateBarGivesTheTemplateNumbersRowByRow) {
    std::vector<Button> bar;
    ASSERT_TRUE(readDescription(QStringLiteral("tb_mx_temp"), bar));
    checkButtons(bar, false);
    // A grid of 3 columns and 4 rows: no separators.
    ASSERT_EQ(bar.size(), 12u);
    EXPECT_EQ(commandsOf(bar), (std::vector<int>{1, 2, 3, 11, 12, 13, 21, 22, 23, 24, 25, 26}));
}

TEST(ToolbarDescriptionsTest, GreekBarFillsItsGridWithDistinctGreekCharacters) {
    std::vector<Button> bar;
    ASSERT_TRUE(readDescription(QStringLiteral("tb_grkb"), bar));
    checkButtons(bar, false);
    ASSERT_EQ(bar.size(), 40u);  // 10 columns x 4 rows
    std::set<int> seen;
    for (const Button& b : bar) {
        // Each command is the character it types: a Greek letter.
        EXPECT_TRUE(b.cmd >= 0x0391 && b.cmd <= 0x03F5) << b.cmd;
        EXPECT_TRUE(QChar(char16_t(b.cmd)).isLetter()) << b.cmd;
        EXPECT_TRUE(b.tip[0].startsWith(QChar(char16_t(b.cmd)))) << b.cmd;
        seen.insert(b.cmd);
    }
    EXPECT_EQ(seen.size(), bar.size());
    for (const int c : {0x03B1, 0x03C0, 0x03C9, 0x0393, 0x03A9}) EXPECT_TRUE(seen.count(c)) << c;  // α π ω Γ Ω
}

TEST(ToolbarDescriptionsTest, BookListBarHasItsPinFifth) {
    std::vector<Button> bar;
    ASSERT_TRUE(readDescription(QStringLiteral("tb_book_list"), bar));
    checkButtons(bar, false);
    EXPECT_EQ(commandsOf(bar), (std::vector<int>{1, 2, 3, 4, 5}));
    ASSERT_GT(bar.size(), 4u);
    EXPECT_EQ(bar[4].cmd, 4);  // the pin, latched when pinned
}

TEST(ToolbarDescriptionsTest, SidePanelBarHasItsSevenCommands) {
    std::vector<Button> bar;
    ASSERT_TRUE(readDescription(QStringLiteral("tb_rsb"), bar));
    checkButtons(bar, false);
    EXPECT_EQ(commandsOf(bar), (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
    // The three sheet buttons lead.
    for (int i = 0; i < 3; ++i) EXPECT_EQ(bar[size_t(i)].cmd, i + 1);
}

}  // namespace
}  // namespace toliva::test
