#include "model/EqElement.h"
#include "model/EqModel.h"
#include "model/EqTypes.h"
#include "model/GlyphOutline.h"
#include "panels/CDialogSetString.h"
#include "panels/CDlgUserSymEditor.h"
#include "panels/CDlgUserSymPanel.h"
#include "panels/CDlgToolbar.h"
#include "panels/CKwGECanvas.h"
#include "panels/FontCharacters.h"
#include "platform/MessageSink.h"
#include "panels/UserSymEditModel.h"
#include "platform/Folders.h"
#include "platform/RegKey.h"
#include "tests/common/ScratchRegistryHome.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QLineEdit>
#include <QPushButton>

#include <bit>
#include <cmath>
#include <limits>

using namespace toliva;

namespace {

// A square outline 60 wide, 80 high, centred on the origin.
void MakeSquare(GlyphOutline& g, int16_t code = 0x41) {
    g.points = {{-30, -40}, {30, -40}, {30, 40}, {-30, 40}};
    g.types = {0, 1, 1, 0x81};
    g.count = 4;
    g.m[0] = 60;
    g.m[1] = 40;
    g.m[2] = 40;
    g.charCode = code;
    EnsureGlyphOwnPath(g);
}

class FakeSheet : public UserSymSheet {
public:
    PreviewNeighbour caret, after;
    bool layoutSettings(EqLayoutSettings&) const override { return false; }
    PreviewNeighbour caretElement() const override { return caret; }
    PreviewNeighbour elementAfterCaret() const override { return after; }
    const RenderContext* renderContext() const override { return nullptr; }
};

std::vector<std::pair<int, uint16_t>> LineOf(const UserSymEditModel& model) {
    std::vector<std::pair<int, uint16_t>> line;
    for (EqElement* e = model.preview()->lines[0]->next; e; e = e->next) line.push_back({e->type, e->ch});
    return line;
}

class UserSymModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        GlyphOutline g;
        MakeSquare(g);
        model.SetWorkingGlyph(g);
        model.BuildPreview(nullptr);
        ASSERT_NE(model.symbol(), nullptr);
        ASSERT_TRUE(model.Layout(client, UserSymEditModel::ContextOf(nullptr)));
    }
    // Drags from the centre of a guide band by (dx, dy) pixels.
    void DragGuide(int guide, int dx, int dy) {
        const QPoint from = model.guideBands()[size_t(guide)].center();
        model.MouseDown(from);
        ASSERT_EQ(model.pickedGuide(), guide);
        model.MouseMove(from + QPoint(dx, dy));
        model.MouseUp();
    }
    const QRect client{0, 0, 600, 300};
    UserSymEditModel model;
};

}  // namespace

TEST_F(UserSymModelTest, GuidesResizeTheBoxSymmetricallyAndStopAtTen) {
    ASSERT_DOUBLE_EQ(model.zoom(), 2.0);
    DragGuide(UserSymEditModel::kRight, 10, 0);
    EXPECT_FLOAT_EQ(model.symbol()->m[0], 70.0f);  // 2 x 10 px / zoom 2
    ASSERT_TRUE(model.Layout(client, UserSymEditModel::ContextOf(nullptr)));
    DragGuide(UserSymEditModel::kLeft, 10, 0);     // inward: narrower
    EXPECT_FLOAT_EQ(model.symbol()->m[0], 60.0f);
    ASSERT_TRUE(model.Layout(client, UserSymEditModel::ContextOf(nullptr)));
    DragGuide(UserSymEditModel::kTop, 0, 200);     // far down: the box would vanish
    EXPECT_FLOAT_EQ(model.symbol()->m[1], 10.0f);
    EXPECT_FLOAT_EQ(model.symbol()->m[2], 10.0f);
    // Off the guides the drag moves the symbol.
    model.MouseDown(QPoint(2, 2));
    EXPECT_EQ(model.pickedGuide(), UserSymEditModel::kNone);
    model.MouseMove(QPoint(12, -2));
    EXPECT_FLOAT_EQ(model.symbol()->m[3], 5.0f);
    EXPECT_FLOAT_EQ(model.symbol()->m[4], -2.0f);
}

TEST_F(UserSymModelTest, WheelZoomsAndCtrlWheelScalesWithinLimits) {
    for (int i = 0; i < 25; ++i) model.Wheel(120, true);
    EXPECT_FLOAT_EQ(model.symbol()->scale, 100.0f);
    for (int i = 0; i < 60; ++i) model.Wheel(-120, true);
    EXPECT_FLOAT_EQ(model.symbol()->scale, 0.01f);
    for (int i = 0; i < 20; ++i) model.Wheel(-120, false);
    EXPECT_DOUBLE_EQ(model.zoom(), 0.2);
    model.Wheel(120, false);
    EXPECT_NEAR(model.zoom(), 0.4, 1e-9);
    // Arrow keys move by zoom x 2, or zoom x 0.5 with Ctrl; other keys pass.
    model.setZoom(2.0);
    EXPECT_TRUE(model.Key(Qt::Key_Right, false));
    EXPECT_TRUE(model.Key(Qt::Key_Up, true));
    EXPECT_FALSE(model.Key(Qt::Key_A, false));
    EXPECT_FLOAT_EQ(model.symbol()->m[3], 4.0f);
    EXPECT_FLOAT_EQ(model.symbol()->m[4], -1.0f);
}

TEST(UserSymModel, PreviewTakesTheCaretsCharactersOrAAndX) {
    GlyphOutline g;
    MakeSquare(g, 0x263A);
    const struct {
        PreviewNeighbour caret, after;
        std::pair<int, uint16_t> first, last;
    } cases[] = {
        {{EqTypeUserSymbol, 1}, {0, 0}, {EqTypeCharItalic, 'A'}, {EqTypeCharItalic, 'x'}},
        {{0, 0}, {EqTypeGlyphSymbol, 7}, {EqTypeCharItalic, 'A'}, {EqTypeCharItalic, 'x'}},
        {{EqTypeCharUpright, 'b'}, {EqTypeCharBold, 'c'}, {EqTypeCharUpright, 'b'}, {EqTypeCharBold, 'c'}},
        {{EqTypeCharMono, '1'}, {EqTypeCharSans, '2'}, {EqTypeCharMono, '1'}, {EqTypeCharSans, '2'}},
    };
    for (const auto& c : cases) {
        FakeSheet sheet;
        sheet.caret = c.caret;
        sheet.after = c.after;
        UserSymEditModel model;
        model.SetWorkingGlyph(g);
        model.BuildPreview(&sheet);
        const auto line = LineOf(model);
        ASSERT_EQ(line.size(), 3u);
        EXPECT_EQ(line[0], c.first);
        EXPECT_EQ(line[1], (std::pair<int, uint16_t>{EqTypeUserSymbol, 0x263A}));
        EXPECT_EQ(line[2], c.last);
        EXPECT_EQ(model.code, 0x263A);
        EXPECT_EQ(model.preview()->settings.fontSize, 100.0f);
    }
    // Without a working glyph there is no preview, and no command acts.
    UserSymEditModel empty;
    empty.BuildPreview(nullptr);
    EXPECT_EQ(empty.preview(), nullptr);
    EXPECT_FALSE(empty.Reset(nullptr));
    EXPECT_FALSE(empty.FitToNeighbours());
    EXPECT_FALSE(empty.SetScalePercent(50));
    EXPECT_FALSE(empty.Slant(10));
    EXPECT_FALSE(empty.FlipHorizontal());
    EXPECT_FALSE(empty.Wheel(120, true));
}

TEST(UserSymModel, TypedNumbersThatAreNotFiniteCountAsZero) {
    const struct {
        const char* text;
        double value;
    } cases[] = {{"150", 150}, {"1.5cm", 1.5}, {"abc", 0}, {"", 0}, {"nan", 0}, {"-inf", 0}, {"1e999", 0}};
    for (const auto& c : cases) EXPECT_EQ(ParseTypedNumber(QString::fromLatin1(c.text)), c.value) << c.text;

    GlyphOutline g;
    MakeSquare(g);
    UserSymEditModel model;
    model.SetWorkingGlyph(g);
    model.BuildPreview(nullptr);
    EXPECT_TRUE(model.SetScalePercent(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FLOAT_EQ(model.symbol()->scale, 0.01f);
    EXPECT_TRUE(model.SetScalePercent(250));
    EXPECT_FLOAT_EQ(model.symbol()->scale, 2.5f);
}

TEST(UserSymModel, SlantsNearARightAngleAreRefusedAndLeaveTheOutline) {
    const struct {
        double degrees;
        bool done;
    } cases[] = {{30, true}, {-45, true}, {88.9, true}, {89.5, false}, {90, false}, {-90.3, false},
                 {270, false}, {std::numeric_limits<double>::infinity(), false}};
    for (const auto& c : cases) {
        GlyphOutline g;
        MakeSquare(g);
        UserSymEditModel model;
        model.SetWorkingGlyph(g);
        model.BuildPreview(nullptr);
        EXPECT_EQ(model.Slant(c.degrees), c.done) << c.degrees;
        for (const gp::PointF& p : model.symbol()->points) {
            EXPECT_TRUE(std::isfinite(p.x) && std::fabs(p.x) < 10000) << c.degrees;
        }
        if (!c.done) {
            EXPECT_TRUE(GlyphsEqual(*model.symbol(), g)) << c.degrees;
        }
    }
}

TEST(UserSymModel, PickKeepsThePlacementAndTakesThePickedBox) {
    GlyphOutline g;
    MakeSquare(g);
    UserSymEditModel model;
    model.saved.xOffset = 3;
    model.saved.scale = 2;
    model.saved.colour = 0xFF;
    GlyphOutline picked;
    MakeSquare(picked, 0x42);
    picked.m[0] = 55;
    picked.m[1] = 33;
    picked.m[2] = 33;
    model.MergePicked(picked, nullptr);
    ASSERT_NE(model.symbol(), nullptr);
    EXPECT_FLOAT_EQ(model.symbol()->m[0], 55);
    EXPECT_FLOAT_EQ(model.symbol()->m[1], 33);
    EXPECT_FLOAT_EQ(model.symbol()->m[3], 3);
    EXPECT_FLOAT_EQ(model.symbol()->scale, 2);
    EXPECT_EQ(model.symbol()->colour, 0xFFu);
    // A second pick keeps what was done to the first one.
    model.symbol()->m[4] = -7;
    model.MergePicked(picked, nullptr);
    EXPECT_FLOAT_EQ(model.symbol()->m[4], -7);
}

TEST(UserSymModel, RegistryValuesRoundTripAndDamagedBitsGiveTheDefaults) {
    toliva::test::ScratchFolder scratch;
    toliva::test::ScratchRegistryHome home(scratch.path());
    GlyphMetricsBlock block;
    block.xOffset = 1.5f;
    block.yOffset = -2.25f;
    block.scale = 3.0f;
    block.hollow = 5;
    block.colour = 0x123456;
    WriteUserSymDefaults(block);
    GlyphMetricsBlock read;
    ReadUserSymDefaults(read);
    EXPECT_FLOAT_EQ(read.xOffset, 1.5f);
    EXPECT_FLOAT_EQ(read.yOffset, -2.25f);
    EXPECT_FLOAT_EQ(read.scale, 3.0f);
    EXPECT_EQ(read.hollow, 1);
    EXPECT_EQ(read.colour, 0x123456u);
    {
        RegKey key;
        ASSERT_TRUE(OpenRegKey(kUserSymRegKeyName, key));
        WriteRegDword(key, QStringLiteral("pos_x"), int(0x7FC00000));  // NaN
        WriteRegDword(key, QStringLiteral("pos_y"), int(0x7F800000));  // infinity
        WriteRegDword(key, QStringLiteral("scale"), int(0xFFC00000));  // NaN
        CloseRegKey(key);
    }
    ReadUserSymDefaults(read);
    EXPECT_EQ(read.xOffset, 0.0f);
    EXPECT_EQ(read.yOffset, 0.0f);
    EXPECT_EQ(read.scale, 1.0f);
}

// ---- the dialog

namespace {

class UserSymEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        context.programFolder = programFolder();
        home = std::make_unique<toliva::test::ScratchRegistryHome>(scratch.path());
    }
    toliva::test::ScratchFolder scratch;
    std::unique_ptr<toliva::test::ScratchRegistryHome> home;
    PanelContext context;
};

}  // namespace

TEST_F(UserSymEditorTest, OkWhileEditingChangesTheSymbolInPlaceWithItsNewCode) {
    GlyphList panel;  // the panel's list as the fake panel holds it
    panel.push_back(std::make_unique<GlyphOutline>());
    MakeSquare(*panel[0], 0x41);
    int added = 0;
    {
        CDlgUserSymEditor editor(context);
        editor.addGlyph = [&](const GlyphOutline&) { ++added; };
        editor.m_bEditExisting = true;
        editor.m_pSourceGlyph = panel[0].get();
        editor.runModal = [](CDlgUserSymEditor& dialog) {
            EXPECT_TRUE(dialog.addAndNewButton()->isHidden());
            EXPECT_EQ(dialog.codeEdit()->text(), QStringLiteral("65"));
            dialog.OnToolbarCommand(8);
            dialog.codeEdit()->setText(QStringLiteral("66"));
            dialog.OnOK();
            return IDOK;
        };
        EXPECT_EQ(editor.DoModal(), IDOK);
    }
    EXPECT_EQ(added, 0);
    ASSERT_EQ(panel.size(), 1u);
    EXPECT_EQ(panel[0]->charCode, 66);
    EXPECT_FLOAT_EQ(panel[0]->points[0].x, 30.0f);  // mirrored left to right
}

TEST_F(UserSymEditorTest, NewSymbolsStartEmptyAndAddAndCreateNewClearsTheCanvas) {
    std::vector<int> codes;
    CDlgUserSymEditor editor(context);
    editor.addGlyph = [&](const GlyphOutline& g) { codes.push_back(g.charCode); };
    editor.pickCharacter = [](GlyphOutline& picked) {
        MakeSquare(picked, 0x43);
        return true;
    };
    editor.runSetString = [](CDialogSetString& input) {
        input.m_strText = QStringLiteral("nan");
        return IDOK;
    };
    editor.OnInitDialog();
    EXPECT_EQ(editor.model().symbol(), nullptr);
    editor.OnToolbarCommand(5);  // nothing to scale yet
    editor.OnToolbarCommand(2);
    ASSERT_NE(editor.model().symbol(), nullptr);
    editor.OnToolbarCommand(5);  // "nan" counts as 0: the lowest scale
    EXPECT_FLOAT_EQ(editor.model().symbol()->scale, 0.01f);
    editor.OnToolbarCommand(11);
    EXPECT_EQ(editor.model().symbol()->strokeOnly, 1);
    EXPECT_EQ(editor.toolbar()->buttonState(13), 21);
    EXPECT_EQ(editor.toolbar()->buttonState(12), 1);
    editor.codeEdit()->setText(QStringLiteral("90"));
    editor.OnApplyValue();
    EXPECT_EQ(codes, std::vector<int>{90});
    EXPECT_EQ(editor.model().preview(), nullptr);
    EXPECT_EQ(editor.model().saved.hollow, 1);
}

TEST_F(UserSymEditorTest, KeysResetFitAndCancelKeepTheStartValues) {
    {
        GlyphMetricsBlock start;
        start.xOffset = 4;
        start.scale = 1.5f;
        WriteUserSymDefaults(start);
        RegKey key;
        ASSERT_TRUE(OpenRegKey(kUserSymRegKeyName, key));
        WriteRegDword(key, QStringLiteral("pos_y"), int(0x7FC00000));  // NaN
        CloseRegKey(key);
    }
    {
        CDlgUserSymEditor editor(context);
        editor.pickCharacter = [](GlyphOutline& picked) {
            MakeSquare(picked);
            return true;
        };
        editor.OnInitDialog();
        EXPECT_FLOAT_EQ(editor.model().saved.xOffset, 4);
        EXPECT_FLOAT_EQ(editor.model().saved.yOffset, 0);
        editor.OnToolbarCommand(2);
        ASSERT_NE(editor.model().symbol(), nullptr);
        EXPECT_FLOAT_EQ(editor.model().symbol()->m[3], 4);
        EXPECT_FLOAT_EQ(editor.model().symbol()->scale, 1.5f);
        // An arrow typed in the code field moves the symbol by zoom x 2.
        QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
        QApplication::sendEvent(editor.codeEdit(), &right);
        EXPECT_FLOAT_EQ(editor.model().symbol()->m[3], 8);
        editor.OnToolbarCommand(3);  // back to the picked glyph with no offsets
        EXPECT_FLOAT_EQ(editor.model().symbol()->m[3], 0);
        editor.canvas()->resize(400, 200);
        editor.canvas()->RenderCanvas();
        editor.OnToolbarCommand(4);  // as high and deep as the "A" beside it
        const EqElement* a = editor.model().firstCharacter();
        EXPECT_FLOAT_EQ(editor.model().symbol()->m[1], float(a->ascent / editor.model().zoom()));
        editor.reject();
    }
    GlyphMetricsBlock read;
    ReadUserSymDefaults(read);
    EXPECT_FLOAT_EQ(read.xOffset, 4);
    EXPECT_FLOAT_EQ(read.yOffset, 0);
    EXPECT_FLOAT_EQ(read.scale, 1.5f);
}

TEST_F(UserSymEditorTest, ThePanelsNewAndEditOpenTheEditorAndKeepItsSymbols) {
    CDlgUserSymPanel panel(nullptr, scratch.path(), context.programFolder, context.languageCode, 1.0f);
    std::string codeTyped = "65";
    panel.runEditor = [&](CDlgUserSymPanel& owner, GlyphOutline* source) {
        return RunUserSymEditor(context, nullptr, owner, source, [&](CDlgUserSymEditor& editor) {
            editor.pickCharacter = [](GlyphOutline& picked) {
                MakeSquare(picked, 0x41);
                return true;
            };
            editor.runModal = [&](CDlgUserSymEditor& dialog) {
                if (!dialog.m_bEditExisting) dialog.OnToolbarCommand(2);
                dialog.codeEdit()->setText(QString::fromStdString(codeTyped));
                dialog.OnOK();
                return IDOK;
            };
        });
    };
    panel.OnNewSymbol();
    ASSERT_EQ(panel.symbols().size(), 1u);
    EXPECT_EQ(panel.symbols()[0]->charCode, 65);
    const GlyphOutline* record = panel.symbols()[0].get();
    codeTyped = "8364";
    panel.RunMenuCommand(CDlgUserSymPanel::kMenuEdit, 0);
    ASSERT_EQ(panel.symbols().size(), 1u);
    EXPECT_EQ(panel.symbols()[0].get(), record);  // changed in place
    EXPECT_EQ(uint16_t(panel.symbols()[0]->charCode), 8364);
}

TEST_F(UserSymEditorTest, TheCanvasTurnsMouseAndWheelIntoDragsAndScale) {
    CDlgUserSymEditor editor(context);
    editor.pickCharacter = [](GlyphOutline& picked) {
        MakeSquare(picked);
        return true;
    };
    editor.OnInitDialog();
    editor.OnToolbarCommand(2);
    CKwGECanvas& canvas = *editor.canvas();
    canvas.resize(500, 300);
    canvas.RenderCanvas();
    const float width = editor.model().symbol()->m[0];
    const QPoint from = editor.model().guideBands()[UserSymEditModel::kRight].center();
    auto mouse = [&](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
        QMouseEvent e(type, QPointF(at), QPointF(canvas.mapToGlobal(at)), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(&canvas, &e);
    };
    mouse(QEvent::MouseButtonPress, from, Qt::LeftButton);
    mouse(QEvent::MouseMove, from + QPoint(10, 0), Qt::LeftButton);
    // The wheel does nothing while the button is down.
    QWheelEvent held{QPointF(from), QPointF(from), QPoint(), QPoint(0, 120), Qt::LeftButton, Qt::ControlModifier,
                     Qt::NoScrollPhase, false};
    QApplication::sendEvent(&canvas, &held);
    mouse(QEvent::MouseButtonRelease, from + QPoint(10, 0), Qt::NoButton);
    EXPECT_FLOAT_EQ(editor.model().symbol()->m[0], width + 10);
    EXPECT_FLOAT_EQ(editor.model().symbol()->scale, 1.0f);
    QWheelEvent wheel{QPointF(from), QPointF(from), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::ControlModifier,
                      Qt::NoScrollPhase, false};
    QApplication::sendEvent(&canvas, &wheel);
    EXPECT_FLOAT_EQ(editor.model().symbol()->scale, 1.25f);
    EXPECT_FALSE(canvas.picture().isNull());
}

TEST_F(UserSymEditorTest, ScreenshotsOfASlantedFontCharacter) {
    for (const char* language : {"en", "cn"}) {
        context.languageCode = QString::fromLatin1(language);
        CDlgUserSymEditor editor(context);
        editor.pickCharacter = [this](GlyphOutline& picked) {
            return BuildGlyphFromCharacter(picked, QStringLiteral("DejaVu Sans"), 0, uint16_t(0x3A9),
                                           context.programFolder);
        };
        editor.runSetString = [](CDialogSetString& input) {
            input.m_strText = QStringLiteral("20");
            return IDOK;
        };
        editor.OnInitDialog();
        editor.OnToolbarCommand(2);
        ASSERT_NE(editor.model().symbol(), nullptr);
        EXPECT_GT(editor.model().symbol()->count, 0);
        EXPECT_EQ(editor.codeEdit()->text(), QStringLiteral("937"));
        const float meanX = GlyphMeanX(*editor.model().symbol());
        editor.OnToolbarCommand(7);  // slant by 20 degrees: the mean stays
        EXPECT_NEAR(GlyphMeanX(*editor.model().symbol()), meanX, 0.01);
        editor.show();
        editor.resize(640, 420);
        QApplication::processEvents();
        editor.canvas()->RenderCanvas();
        QApplication::processEvents();
        const QString path = toliva::test::screenshotFolder() +
                             QStringLiteral("/user_symbol_editor_%1.png").arg(context.languageCode);
        EXPECT_TRUE(editor.grab().save(path)) << path.toStdString();
    }
}
