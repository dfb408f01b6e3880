// The user symbol panel in the program: opened by its command and by the
// strip's cell, owned by the sheet's window, inserting into the equation,
// collecting the equation's symbols, and written back when the program ends.
#include "ShellTestSupport.h"
#include "TestSupport.h"

#include "model/EqElement.h"
#include "model/EqModel.h"
#include "model/EqTypes.h"
#include "panels/CDlgUserSymPanel.h"
#include "platform/Archive.h"
#include "sheet/editing/CommandCodes.h"

#include <QApplication>
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

    // A change is written back when the program ends.
    panel->RunMenuCommand(CDlgUserSymPanel::kMenuCopy, 0);
    panel->RunMenuCommand(CDlgUserSymPanel::kMenuPaste, -1);
    stopProgram();
    GlyphList back;
    ASSERT_TRUE(ReadGlyphListFile(back, file, true));
    EXPECT_EQ(back.size(), 3u);
    EXPECT_TRUE(QFile::exists(file + QStringLiteral(".bak")));
}

}  // namespace
}  // namespace toliva::test
