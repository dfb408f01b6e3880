// The user symbol panel in the program: opened by its command and by the
// strip's cell, owned by the sheet's window, inserting into the equation,
// collecting the equation's symbols, and written back when the program ends.
#include "ShellTestSupport.h"
#include "TestSupport.h"

#include "model/EqElement.h"
#include "model/EqModel.h"
#include "model/EqTypes.h"
#include "panels/CDialogSetString.h"
#include "panels/CDlgUserSymEditor.h"
#include "panels/CDlgUserSymPanel.h"
#include "panels/FontCharacters.h"
#include "shell/CTolivaDoc.h"
#include "platform/Archive.h"
#include "sheet/editing/CommandCodes.h"
#include "sheet/CKwEESheet.h"
#include "sheet/editing/HotkeyTable.h"

#include <QApplication>
#include <QMouseEvent>
#include <QDir>
#include <QFile>

namespace toliva::test {
namespace {

void writeList(const QString& path, int records) {
    GlyphList list;
    for (int i = 0; i < records; ++i) {
        auto g = std::make_unique<GlyphOutline>();
        gp::GraphicsPath p;
        p.AddLine(gp::PointF{0, 0}, gp::PointF{50, 0});
        p.AddLine(gp::PointF{50, 0}, gp::PointF{25, -60.0f - float(i)});
        p.CloseFigure();
        SetGlyphFromPath(*g, p);
        g->m[0] = 50;
        g->m[1] = 60;
        g->charCode = int16_t('A' + i);
        list.push_back(std::move(g));
    }
    ASSERT_TRUE(WriteGlyphListFile(list, path));
}

int userSymbolsIn(const EqModel& eq) {
    int n = 0;
    for (const EqElement* line : eq.lines)
        for (const EqElement* e = line; e; e = e->next) n += e->type == EqTypeUserSymbol && e->glyph;
    return n;
}

class UserSymPanelShellTest : public ProgramFixture {};

TEST_F(UserSymPanelShellTest, TheCommandOpensThePanelWhoseCellsInsertIntoTheEquation) {
    writeString(kLanguage, QStringLiteral("LanSel"), QStringLiteral("1"));
    ASSERT_TRUE(startProgram());
    const QString file = QDir(theApp->m_strUserFolder).filePath(QStringLiteral("KwGLData.gph"));
    QDir().mkpath(theApp->m_strUserFolder);
    writeList(file, 2);

    EXPECT_EQ(view().userSymbolPanel(), nullptr);
    sheet().ExecuteCommand(CMD_USER_SYMBOLS);
    CDlgUserSymPanel* panel = view().userSymbolPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_FALSE(panel->isModal());
    EXPECT_EQ(panel->parentWidget(), &sheet());
    ASSERT_EQ(panel->symbols().size(), 2u);

    // Hidden and asked for again through the strip's cell: the same panel.
    panel->hide();
    sheet().ExecuteSymbolKey(SymbolKey{6, 1, 0}, false);
    EXPECT_EQ(view().userSymbolPanel(), panel);
    EXPECT_TRUE(panel->isVisible());

    const int cell = panel->cellSize();
    panel->ClickCell(panel->gridRect().topLeft() + QPoint(cell + cell / 2, cell / 2));
    panel->ClickCell(panel->gridRect().topLeft() + QPoint(2 * cell + cell / 2, cell / 2));  // empty
    ASSERT_EQ(userSymbolsIn(*sheet().equation()), 1);
    const EqElement* inserted = nullptr;
    for (const EqElement* e = sheet().equation()->lines.front(); e; e = e->next)
        if (e->type == EqTypeUserSymbol) inserted = e;
    ASSERT_NE(inserted, nullptr);
    EXPECT_TRUE(GlyphsEqual(*inserted->glyph, *panel->symbols()[1]));

    QString report;
    panel->showInfo = [&](const QString& text) { report = text; };
    panel->OnExtract();
    EXPECT_EQ(report, QStringLiteral("1 user symbols were found in the equation; 0 were added."));

    // The hotkey item names the symbol's keys.
    std::vector<int> offered;
    panel->trackMenu = [&](const std::vector<int>& items, QPoint) {
        offered = items;
        return 0;
    };
    const QPointF at = panel->gridRect().topLeft() + QPoint(cell / 2, cell / 2);
    QMouseEvent press(QEvent::MouseButtonPress, at, panel->mapToGlobal(at), Qt::RightButton, Qt::RightButton, {});
    QApplication::sendEvent(panel, &press);
    EXPECT_EQ(offered.back(), int(CDlgUserSymPanel::kMenuHotkey));
    EXPECT_FALSE(sheet().hotkeys().GetKeysText(SymbolKey{14, 1, 0}, false).isEmpty());

    // A change is written back when the program ends.
    panel->RunMenuCommand(CDlgUserSymPanel::kMenuCopy, 0);
    panel->RunMenuCommand(CDlgUserSymPanel::kMenuPaste, -1);
    stopProgram();
    GlyphList back;
    ASSERT_TRUE(ReadGlyphListFile(back, file, true));
    EXPECT_EQ(back.size(), 3u);
    EXPECT_TRUE(QFile::exists(file + QStringLiteral(".bak")));
}

// As a user would: a character of DejaVu Sans picked and slanted in the
// editor, kept in the panel, inserted, the document saved and opened again
// in a new run of the program: the symbol is the same and draws the same.
TEST_F(UserSymPanelShellTest, APickedSlantedCharacterIsInsertedSavedAndReopenedUnchanged) {
    writeString(kLanguage, QStringLiteral("LanSel"), QStringLiteral("1"));
    ASSERT_TRUE(startProgram());
    frame().resize(900, 600);
    QApplication::processEvents();
    sheet().ExecuteCommand(CMD_USER_SYMBOLS);
    CDlgUserSymPanel* panel = view().userSymbolPanel();
    ASSERT_NE(panel, nullptr);
    const QString programFolder = theApp->m_strProgramFolder;
    view().runUserSymEditor = [&](CDlgUserSymEditor& editor) {
        editor.pickCharacter = [&](GlyphOutline& picked) {
            return BuildGlyphFromCharacter(picked, QStringLiteral("DejaVu Sans"), 0, uint16_t(0x3A9), programFolder);
        };
        editor.runSetString = [](CDialogSetString& input) {
            input.m_strText = QStringLiteral("20");
            return IDOK;
        };
        editor.OnToolbarCommand(2);  // pick
        editor.OnToolbarCommand(7);  // slant by 20 degrees
        editor.OnOK();
        return IDOK;
    };
    panel->OnNewSymbol();
    ASSERT_EQ(panel->symbols().size(), 1u);
    ASSERT_GT(panel->symbols()[0]->count, 0);
    EXPECT_TRUE(panel->grab().save(screenshotFolder() + QStringLiteral("UserSymPanel_omega.png")));
    panel->ClickCell(panel->gridRect().topLeft() + QPoint(panel->cellSize() / 2, panel->cellSize() / 2));
    ASSERT_EQ(userSymbolsIn(*sheet().equation()), 1);
    GlyphOutline stored;
    for (const EqElement* e = sheet().equation()->lines.front(); e; e = e->next)
        if (e->type == EqTypeUserSymbol) CopyGlyph(stored, *e->glyph);
    EXPECT_TRUE(GlyphsEqual(stored, *panel->symbols()[0]));
    panel->hide();
    // The caret at the line's start in both pictures.
    sheet().SetCaretElement(sheet().equation()->lines.front());
    sheet().Refresh(0);
    QApplication::processEvents();
    const QImage before = sheet().grab().toImage();
    EXPECT_TRUE(before.save(screenshotFolder() + QStringLiteral("UserSymbolPath_before.png")));
    const QString path = home() + QStringLiteral("omega.kwe");
    ASSERT_TRUE(doc().OnSaveDocument(path));
    stopProgram();

    ASSERT_TRUE(startProgram());
    frame().resize(900, 600);
    ASSERT_TRUE(theApp->OpenDocumentFile(path));
    sheet().SetCaretElement(sheet().equation()->lines.front());
    sheet().Refresh(0);
    QApplication::processEvents();
    ASSERT_EQ(userSymbolsIn(*sheet().equation()), 1);
    for (const EqElement* e = sheet().equation()->lines.front(); e; e = e->next) {
        if (e->type == EqTypeUserSymbol) {
            EXPECT_TRUE(GlyphsEqual(*e->glyph, stored));
        }
    }
    const QImage after = sheet().grab().toImage();
    EXPECT_TRUE(after.save(screenshotFolder() + QStringLiteral("UserSymbolPath_after.png")));
    EXPECT_EQ(after, before);
    // The panel kept the symbol for the next run.
    sheet().ExecuteCommand(CMD_USER_SYMBOLS);
    ASSERT_NE(view().userSymbolPanel(), nullptr);
    ASSERT_EQ(view().userSymbolPanel()->symbols().size(), 1u);
    EXPECT_TRUE(GlyphsEqual(*view().userSymbolPanel()->symbols()[0], stored));
}

}  // namespace
}  // namespace toliva::test
