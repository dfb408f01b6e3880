// The TeX and shortcut page of the equation settings dialog: the rows it
// lists from the symbol bar and the tiles, the row menu's commands on the
// hotkey table (".hks" import and export included), scrolling, the TeX
// options, and how it looks in both languages.
#include "tests/shell/SettingsDialogSupport.h"
#include "tests/common/TestSupport.h"

#include "panels/CKwTBG.h"
#include "panels/SymbolBarTables.h"
#include "shell/CEEDPP_SCTeX.h"
#include "shell/ShellEditDialogs.h"
#include "sheet/CDialogTeXEdt.h"
#include "panels/CKwTBPanel.h"
#include "sheet/editing/HotkeyTable.h"
#include "uikit/Utilities.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>

namespace toliva::test {
namespace {

using Page = CEEDPP_SCTeX;

class FakeTile : public ShortcutTile {
public:
    explicit FakeTile(Shortcut s) : m_shortcut(std::move(s)) {}
    Shortcut shortcut() const override { return m_shortcut; }
    void clearShortcut() override { m_shortcut = Shortcut{}; }
    void formatHotkeyText(QString* hotkey, QString* label) const override {
        *hotkey = m_shortcut.keyCode > 0 ? QStringLiteral("Ctrl+%1").arg(m_shortcut.keyCode) : QString();
        *label = m_shortcut.texLabel.isEmpty() ? QString() : QLatin1Char('\\') + m_shortcut.texLabel;
    }
    void draw(QPainter& painter, const QRectF& cell, qreal side) const override {
        drawnSides.push_back(side);
        QRectF box(0, 0, side, side);
        box.moveCenter(cell.center());
        painter.fillRect(box, QColor(0xDD, 0xEE, 0xFF));
        painter.drawText(box, Qt::AlignCenter, QStringLiteral("\u222B"));
    }
    mutable std::vector<qreal> drawnSides;

private:
    Shortcut m_shortcut;
};

class FakeTileHotkeys : public TileHotkeys {
public:
    bool takeKey(uint16_t, bool, bool, bool) override { return false; }
    void clearShortcuts() override { ++cleared; }
    int cleared = 0;
};

class FakeSources : public ShortcutSources {
public:
    std::vector<const CKwTBG*> groups;
    std::vector<ShortcutTile*> tiles;
    FakeTileHotkeys tileKeys;
    int published = 0;
    int editorSettings = 0;

    std::vector<const CKwTBG*> symbolGroups() const override { return groups; }
    std::vector<ShortcutTile*> tileItems() const override { return tiles; }
    void publishTeXLabels() override { ++published; }
    TileHotkeys* tileHotkeys() override { return &tileKeys; }
    bool showLaTeXEditorSettings() override {
        ++editorSettings;
        return true;
    }
};

const SymbolKey kTileMarker5{kTileHotkeyMarker, kTileHotkeyMarker, 5};

class ShortcutPageTest : public SettingsDialogFixture {
protected:
    void SetUp() override {
        SettingsDialogFixture::SetUp();
        panel.programFolder = programFolder();
        panel.userFolder = app.userFolder;
        // Two groups of the main strip, with their pictures.
        for (int index : {0, 3}) {
            const MainStripGroup& g = MainStripGroups()[size_t(index)];
            auto group = std::make_unique<CKwTBG>(panel);
            group->rows = g.rows;
            group->cols = g.cols;
            ASSERT_TRUE(group->BuildGroup(g.cellWidth, g.cellHeight, g.id, 0, g.records));
            group->LoadGroupPicture(QStringLiteral("TAB_P%1").arg(index + 1, 2, 10, QLatin1Char('0')));
            groups.push_back(std::move(group));
        }
        for (const auto& g : groups) sources.groups.push_back(g.get());
        context.shortcuts = &sources;
        table() = HotkeyTable{};
    }
    void TearDown() override {
        dialog.reset();
        groups.clear();
        SettingsDialogFixture::TearDown();
    }

    HotkeyTable& table() { return sheet->hotkeys(); }
    const CKwTBN* node(int group, int cell) const { return groups[size_t(group)]->cells()[size_t(cell)].node; }
    FakeTile* tile(ShortcutTile::Shortcut s) {
        tiles.push_back(std::make_unique<FakeTile>(std::move(s)));
        sources.tiles.push_back(tiles.back().get());
        return tiles.back().get();
    }
    Page& page() {
        if (!dialog) {
            StoreSettingsPageIndex(CEESettingDlg::PageSCTeX);
            open();
        }
        return *dialog->shortcutPage();
    }
    // The middle of a visible line of the list, in page coordinates.
    QPoint lineCentre(int line) {
        const Page& p = page();
        return QPoint(p.area().left() + 40, p.area().top() + int((line + 0.5f) * p.rowHeight()));
    }
    static std::vector<std::string> describe(const Page& p) {
        std::vector<std::string> out;
        for (const HotkeyRow& r : p.rows())
            out.push_back(r.kind == HotkeyRow::Symbol ? "symbol " + std::to_string(r.cell->code)
                                                      : "tile " + r.tile->shortcut().texLabel.toStdString() + "/" +
                                                            std::to_string(r.tile->shortcut().keyCode));
        return out;
    }

    PanelContext panel;
    std::vector<std::unique_ptr<CKwTBG>> groups;
    std::vector<std::unique_ptr<FakeTile>> tiles;
    FakeSources sources;
};

// ---- the rows

TEST_F(ShortcutPageTest, RowsListBoundCellsInGroupOrderThenTilesWithAKeyOrALabel) {
    // Bound in the reverse of the bar's order, one cell under two keys.
    table().SetBinding(node(1, 2)->key(), 20, true, false, false);
    table().SetBinding(node(0, 4)->key(), 21, true, true, false);
    table().SetBinding(node(0, 4)->key(), 22, false, false, true);
    table().SetBinding(node(0, 1)->key(), 23, false, true, true);
    tile({0, 0, 0, 0, QStringLiteral("euler")});      // label only
    tile({1, 0, 0, 7, QString()});                     // Ctrl + key
    tile({0, 0, 1, 9, QString()});                     // Alt + key
    tile({0, 1, 0, 4, QString()});                     // Shift alone: no hot key
    tile({1, 0, 0, 0, QString()});                     // no key code
    tile({0, 0, 0, 0, QString()});                     // nothing

    const std::vector<std::string> expected = {"symbol " + std::to_string(node(0, 1)->code),
                                               "symbol " + std::to_string(node(0, 4)->code),
                                               "symbol " + std::to_string(node(1, 2)->code),
                                               "tile euler/0", "tile /7", "tile /9"};
    Page& p = page();
    EXPECT_EQ(describe(p), expected);
    // A rebuild starts again from nothing.
    p.BuildRows();
    EXPECT_EQ(describe(p), expected);
    EXPECT_EQ(p.scrollBar()->maximum(), 5);
    EXPECT_EQ(p.scrollBar()->pageStep(), p.visibleRows());
}

TEST_F(ShortcutPageTest, WithoutSourcesOrShortcutsTheListIsAnEmptyGrid) {
    context.shortcuts = nullptr;
    table().SetDefaults();
    Page& p = page();
    EXPECT_TRUE(p.rows().empty());
    const QImage& bitmap = p.rowsBitmap();
    ASSERT_EQ(bitmap.size(), p.area().size());
    const int h = int(p.rowHeight());
    EXPECT_EQ(bitmap.pixelColor(h / 2, h / 2), QColor(0xF0, 0xF0, 0xF0)) << "the left column";
    EXPECT_EQ(bitmap.pixelColor(h + 20, h / 2), QColor(Qt::white));
    EXPECT_EQ(bitmap.pixelColor(h + 20, h), QColor(180, 180, 180)) << "the line below the first row";
}

TEST_F(ShortcutPageTest, TheRowsFillTheAreaExactly) {
    for (const float scale : {1.0f, 1.5f, 40.0f}) {
        app.uiScale = scale;
        dialog.reset();
        Page& p = page();
        EXPECT_GE(p.visibleRows(), 1) << scale;
        EXPECT_NEAR(p.rowHeight() * float(p.visibleRows()), float(p.area().height()), 0.01) << scale;
        EXPECT_EQ(p.visibleRows(), std::max(1, int(float(p.area().height()) / (48 * scale)))) << scale;
    }
}

TEST_F(ShortcutPageTest, TileRowsAreDrawnIntoTheLeftCell) {
    FakeTile* t = tile({1, 0, 0, 7, QStringLiteral("euler")});
    Page& p = page();
    ASSERT_EQ(p.rows().size(), 1u);
    ASSERT_FALSE(t->drawnSides.empty());
    EXPECT_NEAR(t->drawnSides.back(), p.rowHeight() - 6, 0.01);
}

// ---- the row menu

TEST_F(ShortcutPageTest, RowMenuHasTheFiveCommands) {
    Page& p = page();
    p.ShowRowMenu(QPoint(10, 10));
    ASSERT_EQ(menus.size(), 1u);
    const std::vector<std::pair<unsigned, QString>> expected = {
        {1, QStringLiteral("Delete Selected")}, {2, QStringLiteral("Clear List")}, {0, QStringLiteral("-")},
        {3, QStringLiteral("Default List")}, {0, QStringLiteral("-")},        {4, QStringLiteral("Import...")},
        {5, QStringLiteral("Export...")}};
    EXPECT_EQ(menus[0].entries, expected);
    EXPECT_FALSE(menus[0].allIcons) << "no pictures";

    // The menu button opens it too.
    qobject_cast<QPushButton*>(p.control(Page::kMenuButton))->click();
    EXPECT_EQ(menus.size(), 2u);
}

TEST_F(ShortcutPageTest, DeletingATileRowClearsItsKeyAndLabelAndItsBindings) {
    table().SetBinding(node(0, 1)->key(), 20, true, false, false);
    table().SetBinding(kTileMarker5, 5, true, false, false);
    table().SetBinding(kTileMarker5, 6, false, false, true);
    FakeTile* t = tile({1, 0, 0, 5, QStringLiteral("euler")});
    Page& p = page();
    ASSERT_EQ(p.rows().size(), 2u);

    ASSERT_TRUE(p.OnLButtonDown(lineCentre(1)));
    EXPECT_EQ(p.selectedRow(), 1);
    menuAnswer = Page::RowDelete;
    p.ShowRowMenu(QPoint());

    EXPECT_FALSE(table().HasBinding(kTileMarker5));
    EXPECT_TRUE(table().HasBinding(node(0, 1)->key()));
    const ShortcutTile::Shortcut s = t->shortcut();
    EXPECT_EQ(s.ctrl + s.shift + s.alt + s.keyCode, 0);
    EXPECT_TRUE(s.texLabel.isEmpty());
    EXPECT_EQ(sources.published, 1);
    EXPECT_EQ(describe(p), std::vector<std::string>{"symbol " + std::to_string(node(0, 1)->code)});
}

TEST_F(ShortcutPageTest, DeletingASymbolRowRemovesEveryCombinationOfItsKey) {
    const SymbolKey key = node(1, 3)->key();
    table().SetBinding(key, 20, true, false, false);
    table().SetBinding(key, 21, false, false, true);
    tile({0, 0, 0, 0, QStringLiteral("euler")});
    Page& p = page();
    ASSERT_EQ(p.selectedRow(), 0);
    p.RunRowCommand(Page::RowDelete);
    EXPECT_FALSE(table().HasBinding(key));
    EXPECT_EQ(sources.published, 0);
    EXPECT_EQ(describe(p), std::vector<std::string>{"tile euler/0"});

    // Then the tile row; with no rows left nothing more happens.
    p.RunRowCommand(Page::RowDelete);
    EXPECT_EQ(sources.published, 1);
    EXPECT_TRUE(p.rows().empty());
    p.RunRowCommand(Page::RowDelete);
    EXPECT_EQ(sources.published, 1);
}

TEST_F(ShortcutPageTest, ClearAllAsksAndAlwaysClearsTheTileKeysDefaultsRefillTheRows) {
    table().SetBinding(node(0, 1)->key(), 20, true, false, false);
    Page& p = page();
    messages.answers = {IDNO};
    p.RunRowCommand(Page::RowClearAll);
    EXPECT_EQ(sources.tileKeys.cleared, 1);
    EXPECT_EQ(p.rows().size(), 1u);

    messages.answers = {IDYES};
    p.RunRowCommand(Page::RowClearAll);
    EXPECT_EQ(sources.tileKeys.cleared, 2);
    EXPECT_TRUE(p.rows().empty());

    p.RunRowCommand(Page::RowDefaults);
    HotkeyTable defaults;
    defaults.SetDefaults();
    EXPECT_EQ(table().ToBytes(), defaults.ToBytes());
    size_t bound = 0;
    for (const auto& g : groups)
        for (const TBCell& cell : g->cells()) bound += cell.node && defaults.HasBinding(cell.node->key());
    EXPECT_EQ(p.rows().size(), bound);
}

TEST_F(ShortcutPageTest, ExportAndImportThroughTheRowMenu) {
    table().SetBinding(node(0, 1)->key(), 20, true, false, false);
    table().SetBinding(node(1, 2)->key(), 21, true, false, false);
    const QByteArray saved = table().ToBytes();
    Page& p = page();
    const QString path = home() + QStringLiteral("mine.hks");
    const QString shortPath = home() + QStringLiteral("short.hks");
    ASSERT_TRUE(writeFile(shortPath, QByteArray(saved.left(HotkeyTable::kFileBytes - 1))));

    dialogs.answers = {ScriptedDialogService::Answer::withFile(path)};
    menuAnswer = Page::RowExport;
    p.ShowRowMenu(QPoint());
    EXPECT_EQ(readFile(path), saved);
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_TRUE(dialogs.fileRequests[0].save);

    p.RunRowCommand(Page::RowDelete);
    ASSERT_EQ(p.rows().size(), 1u);

    // A short file is reported and changes nothing.
    const QByteArray before = table().ToBytes();
    dialogs.answers = {ScriptedDialogService::Answer::withFile(shortPath)};
    menuAnswer = Page::RowImport;
    p.ShowRowMenu(QPoint());
    EXPECT_EQ(table().ToBytes(), before);
    EXPECT_EQ(messageTexts(), std::vector<QString>{QStringLiteral("failed to open file : ") + shortPath});
    EXPECT_EQ(p.rows().size(), 1u);

    // The exported file brings both rows back.
    dialogs.answers = {ScriptedDialogService::Answer::withFile(path)};
    p.ShowRowMenu(QPoint());
    EXPECT_EQ(table().ToBytes(), saved);
    EXPECT_EQ(p.rows().size(), 2u);

    // Cancelled: nothing happens.
    dialogs.answers = {ScriptedDialogService::Answer::cancel(ScriptedDialogService::Kind::File)};
    p.ShowRowMenu(QPoint());
    EXPECT_EQ(table().ToBytes(), saved);
    EXPECT_EQ(messages.shown.size(), 1u);
}

// ---- the mouse and scrolling

TEST_F(ShortcutPageTest, ClicksSelectTheRowUnderThePoint) {
    for (int i = 0; i < 3; ++i) tile({0, 0, 0, 0, QStringLiteral("t%1").arg(i)});
    Page& p = page();
    ASSERT_GE(p.visibleRows(), 4);
    EXPECT_FALSE(p.OnLButtonDown(lineCentre(0))) << "the selected row";
    EXPECT_TRUE(p.OnLButtonDown(lineCentre(2)));
    EXPECT_EQ(p.selectedRow(), 2);
    EXPECT_FALSE(p.OnLButtonDown(lineCentre(3))) << "beyond the last row";
    EXPECT_FALSE(p.OnLButtonDown(p.area().topLeft() - QPoint(5, 5))) << "outside";
    EXPECT_EQ(p.selectedRow(), 2);

    EXPECT_FALSE(p.OnRButtonDown(p.area().topLeft() - QPoint(5, 5), QPoint()));
    EXPECT_TRUE(menus.empty());
    EXPECT_TRUE(p.OnRButtonDown(lineCentre(1), QPoint()));
    EXPECT_EQ(p.selectedRow(), 1);
    EXPECT_EQ(menus.size(), 1u);
}

TEST_F(ShortcutPageTest, ScrollingStaysWithinTheRows) {
    Page& p = page();
    // Fewer rows than fit: nothing moves, not even below 0.
    tile({0, 0, 0, 0, QStringLiteral("one")});
    p.BuildRows();
    for (const auto& [value, absolute] : std::vector<std::pair<int, bool>>{{9, false}, {1, false}, {5, true}, {-3, true}}) {
        p.ScrollRows(value, absolute);
        EXPECT_EQ(p.firstRow(), 0) << value;
    }

    for (int i = 0; i < 40; ++i) tile({0, 0, 0, 0, QStringLiteral("t%1").arg(i)});
    p.BuildRows();
    p.UpdateScrollBar();
    const int last = int(p.rows().size()) - p.visibleRows();
    ASSERT_GT(last, 10);
    struct Step {
        int code, track, expected;
    };
    const Step steps[] = {
        {Page::LineUp, 0, 0},         {Page::LineDown, 0, 1},        {Page::PageDown, 0, 10},
        {Page::PageUp, 0, 1},         {Page::PageUp, 0, 0},          {Page::ThumbTrack, 1000, last},
        {Page::LineDown, 0, last},    {Page::ThumbTrack, 4, 4},      {Page::EndScroll, 0, 4},
    };
    for (const Step& s : steps) {
        p.OnScrollBar(s.code, s.track);
        EXPECT_EQ(p.firstRow(), s.expected) << s.code << " " << s.track;
        EXPECT_EQ(p.scrollBar()->value(), p.firstRow());
    }
    p.OnWheel(-120);
    EXPECT_EQ(p.firstRow(), 13) << "towards the user: down";
    p.OnWheel(1);
    EXPECT_EQ(p.firstRow(), 4);

    // The bar's own arrows go through the page.
    p.scrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(p.firstRow(), 5);
    EXPECT_EQ(p.scrollBar()->value(), 5);

    // A click selects by the scrolled position.
    ASSERT_TRUE(p.OnLButtonDown(lineCentre(1)));
    EXPECT_EQ(p.selectedRow(), 6);
}

// ---- the TeX options

TEST_F(ShortcutPageTest, CheckBoxesShowTheirBitsAndAltTapIsInverted) {
    struct Case {
        int id;
        uint32_t bit;
        bool inverted;
    };
    const Case cases[] = {{Page::kTeXTyping, OptTeXTyping, false},
                          {Page::kPromptSheet, OptPromptForSheet, false},
                          {Page::kPromptSource, OptPromptForSource, false},
                          {Page::kKeepLineFeeds, OptKeepDelimiterLineFeeds, false},
                          {Page::kUsLayout, OptNativeUsLayout, false},
                          {Page::kAltTap, OptNoAltTap, true}};
    const uint32_t others = 0x1 | 0x40 | 0x1000;
    Page& p = page();
    for (const Case& c : cases) {
        for (const bool bitSet : {false, true}) {
            app.options = others | (bitSet ? c.bit : 0u);
            p.Load();
            EXPECT_EQ(p.checkBox(c.id)->isChecked(), bitSet != c.inverted) << c.id;
            // Flipping the box and storing flips only its bit.
            p.checkBox(c.id)->setChecked(!p.checkBox(c.id)->isChecked());
            p.Store();
            EXPECT_EQ(app.options, others | (bitSet ? 0u : c.bit)) << c.id << " " << bitSet;
        }
    }
    // Box 1425 ticked with the bit set before: storing clears it.
    app.options = others | OptNoAltTap;
    p.Load();
    p.checkBox(Page::kAltTap)->setChecked(true);
    p.Store();
    EXPECT_EQ(app.options & OptNoAltTap, 0u);
}

TEST_F(ShortcutPageTest, DelimitersFollowTheCodeAndTheCombosAreFilledOnce) {
    app.texDelimCode = 3;
    Page& p = page();
    QComboBox* delimiters = p.comboBox(Page::kDelimiters);
    QComboBox* dialect = p.comboBox(Page::kDialect);
    EXPECT_EQ(delimiters->currentIndex(), 3);
    delimiters->setCurrentIndex(1);
    p.Store();
    EXPECT_EQ(app.texDelimCode, 1);

    for (int i = 0; i < 3; ++i) {
        p.OnInitDialog();
        dialog->ReloadPages();
    }
    ASSERT_EQ(dialect->count(), 1);
    EXPECT_EQ(dialect->currentText(), QStringLiteral("AMS/LaTeX"));
    ASSERT_EQ(delimiters->count(), 5);
    EXPECT_EQ(delimiters->itemText(0), QStringLiteral("$$..$$"));
    EXPECT_EQ(delimiters->itemText(2), QStringLiteral("\\[..\\]"));
    EXPECT_EQ(delimiters->itemText(4), QStringLiteral("None"));

    // The dialog's Apply stores the page; Cancel does not.
    delimiters->setCurrentIndex(4);
    p.checkBox(Page::kTeXTyping)->setChecked(!app.option(OptTeXTyping));
    const uint32_t before = app.options;
    dialog->ApplyPages();
    EXPECT_EQ(app.texDelimCode, 4);
    EXPECT_NE(app.options, before);
}

TEST_F(ShortcutPageTest, EditorSettingsButtonOpensTheLaTeXPaneSettings) {
    Page& p = page();
    qobject_cast<QPushButton*>(p.control(Page::kEditorSettings))->click();
    EXPECT_EQ(sources.editorSettings, 1);
    // Without sources the button does nothing.
    context.shortcuts = nullptr;
    qobject_cast<QPushButton*>(p.control(Page::kEditorSettings))->click();
    EXPECT_EQ(sources.editorSettings, 1);
}

// ---- how it looks

TEST_F(ShortcutPageTest, LooksInBothLanguages) {
    settings.uiMetric = 15;
    context.uiFont = CreateMenuFont();
    table().SetDefaults();
    table().SetBinding(node(0, 1)->key(), 20, true, false, false);
    table().SetBinding(node(0, 1)->key(), 21, false, true, true);
    tile({1, 0, 0, 7, QStringLiteral("euler")});
    tile({0, 0, 0, 0, QStringLiteral("gauss")});
    for (const int lanSel : {1, 2}) {
        app.lanSel = lanSel;
        dialog.reset();
        Page& p = page();
        dialog->show();
        ASSERT_TRUE(p.isVisible());
        EXPECT_GE(p.rows().size(), 3u);
        const QString lang = app.languageCode();
        const QString expected = lanSel == 2 ? QStringLiteral("单按 Alt 键切换斜体与正体")
                                             : QStringLiteral("Tapping Alt toggles italic and upright");
        EXPECT_EQ(p.checkBox(Page::kAltTap)->text(), expected);
        dialog->grab().save(QDir(screenshotFolder()).filePath(QStringLiteral("eqsettings_%1_shortcuts.png").arg(lang)));
        dialog->hide();
    }
}

}  // namespace
}  // namespace toliva::test

namespace toliva::test {
namespace {

// In the program the page lists the view's symbol strip and its button opens
// the LaTeX pane's settings.
class ShortcutPageProgramTest : public ProgramFixture {};

TEST_F(ShortcutPageProgramTest, ListsTheStripsBoundCellsAndOpensTheLaTeXPaneSettings) {
    ASSERT_TRUE(startProgram());
    ASSERT_NE(view().symbolStrip(), nullptr);
    ASSERT_NE(view().latexPane(), nullptr);
    int paneSettings = 0;
    view().latexPane()->runSettingsDialog = [&](LaTeXEditorStyle&) {
        ++paneSettings;
        return false;
    };
    sheet().hotkeys().SetDefaults();
    size_t bound = 0;
    for (const auto& group : view().symbolStrip()->groups())
        for (const TBCell& cell : group->cells()) bound += cell.node && sheet().hotkeys().HasBinding(cell.node->key());
    ASSERT_GT(bound, 0u);

    int runs = 0;
    view().editDialogs()->runSettings = [&](CEESettingDlg& dlg) {
        ++runs;
        CEEDPP_SCTeX* page = dlg.shortcutPage();
        EXPECT_EQ(page->rows().size(), bound);
        qobject_cast<QPushButton*>(page->control(CEEDPP_SCTeX::kEditorSettings))->click();
        return int(IDCANCEL);
    };
    EXPECT_EQ(view().editDialogs()->equationSettings(sheet().equation(), false), 0);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(paneSettings, 1);
}

}  // namespace
}  // namespace toliva::test
