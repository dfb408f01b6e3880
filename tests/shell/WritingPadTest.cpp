// The handwriting pad: strokes and the eraser without a window, the picture
// recognition reads, where dialogs come back (the placement rule), and the
// pad in the running program: created once for command 255, drawn on with
// the mouse, driven by its bar, recognising through a fake client, keeping
// its place; and pictures of it in both languages.
#include "ShellTestSupport.h"
#include "TestSupport.h"

#include "../sheet/SheetTestSupport.h"
#include "panels/CDlgToolbar.h"
#include "shell/CDlgWritingPad.h"
#include "uikit/CDlgGU.h"
#include "shell/DialogPlacement.h"
#include "shell/pad/PadStrokes.h"
#include "sheet/editing/CommandCodes.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScreen>

#include <climits>

namespace toliva::test {
namespace {

// ---- strokes and the eraser

// A stroke through the points, finished.
void draw(PadStrokes& pad, std::initializer_list<QPoint> points) {
    for (QPoint p : points) pad.AddPoint(p);
    ASSERT_TRUE(pad.FinishStroke());
}

TEST(PadStrokesTest, AClickAloneMakesNoStrokeTwoPointsMakeOne) {
    PadStrokes pad;
    pad.AddPoint({10, 10});
    EXPECT_FALSE(pad.FinishStroke());
    // The same point again is no movement.
    pad.AddPoint({10, 10});
    pad.AddPoint({10, 10});
    EXPECT_FALSE(pad.FinishStroke());
    EXPECT_TRUE(pad.strokes().empty());
    EXPECT_TRUE(pad.currentPoints().empty());

    pad.SetMode(PAD_MODE_THICK);
    draw(pad, {{10, 10}, {30, 16}});
    ASSERT_EQ(pad.strokes().size(), 1u);
    const PadStroke& s = pad.strokes()[0];
    EXPECT_EQ(s.count, 2);
    EXPECT_EQ(s.width, 8);
    EXPECT_EQ(QRect(QPoint(s.left, s.top), QPoint(s.right, s.bottom)), QRect(QPoint(4, 4), QPoint(36, 22)));
}

TEST(PadStrokesTest, HitsWithinFourPixelsOfTheLineWhateverItsLength) {
    struct Case {
        QPointF p, a, b;
        bool hit;
    } cases[] = {
        {{10, 53}, {0, 50}, {20, 50}, true},     // 3 px beside a short segment
        {{10, 56}, {0, 50}, {20, 50}, false},    // 6 px beside it
        {{50, 53}, {0, 50}, {100, 50}, true},    // 3 px beside the middle of a long one
        {{50, 56}, {0, 50}, {100, 50}, false},   // 6 px: the sum of distances is within 1 of the length
        {{50, 64}, {0, 50}, {100, 50}, false},   // 14 px
        {{103, 50}, {0, 50}, {100, 50}, true},   // 3 px past an end
        {{106, 50}, {0, 50}, {100, 50}, false},  // 6 px past it
        {{20, 20}, {20, 20}, {20, 20}, true},    // a segment of no length
        {{25, 20}, {20, 20}, {20, 20}, false},
        {{13, 10}, {0, 0}, {20, 20}, true},      // about 2.1 px beside a diagonal
        {{16, 8}, {0, 0}, {20, 20}, false},      // about 5.7 px
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.p.x() << "," << c.p.y() << " to " << c.a.x() << "," << c.a.y() << "-"
                                        << c.b.x() << "," << c.b.y());
        EXPECT_EQ(HitsSegment(c.p, c.a, c.b), c.hit);
    }
}

TEST(PadStrokesTest, ErasingTakesTheNewestStrokeUnderThePointAndKeepsTheOrder) {
    PadStrokes pad;
    draw(pad, {{0, 50}, {100, 50}});   // A, horizontal through (50, 50)
    draw(pad, {{0, 200}, {100, 200}}); // B, elsewhere
    draw(pad, {{50, 0}, {50, 100}});   // C, vertical through (50, 50)
    pad.SetMode(PAD_MODE_ERASER);

    // 6 px beside the long line, inside its bounds: nothing.
    EXPECT_FALSE(pad.EraseAt({20, 56}).erased);
    EXPECT_EQ(pad.strokes().size(), 3u);
    // The crossing: C goes, A and B stay in their order.
    EXPECT_TRUE(pad.EraseAt({50, 50}).erased);
    ASSERT_EQ(pad.strokes().size(), 2u);
    EXPECT_EQ(pad.strokes()[0].y[0], 50);
    EXPECT_EQ(pad.strokes()[1].y[0], 200);
    // 3 px beside A: A goes, one per click.
    const PadStrokes::EraseResult r = pad.EraseAt({20, 53});
    EXPECT_TRUE(r.erased);
    EXPECT_FALSE(r.modeChanged);
    ASSERT_EQ(pad.strokes().size(), 1u);
    EXPECT_EQ(pad.strokes()[0].y[0], 200);
    EXPECT_EQ(pad.mode(), PAD_MODE_ERASER);
}

TEST(PadStrokesTest, TheEraserGivesWayToThePenUsedBeforeItWhenThePadEmpties) {
    PadStrokes pad;
    pad.SetMode(PAD_MODE_THIN);
    draw(pad, {{0, 0}, {10, 10}});
    pad.SetMode(PAD_MODE_ERASER);
    EXPECT_EQ(pad.rememberedMode(), PAD_MODE_THIN);
    const PadStrokes::EraseResult r = pad.EraseAt({5, 5});
    EXPECT_TRUE(r.erased);
    EXPECT_TRUE(r.modeChanged);
    EXPECT_EQ(pad.mode(), PAD_MODE_THIN);

    // Clearing returns likewise.
    pad.SetMode(PAD_MODE_THICK);
    pad.SetMode(PAD_MODE_ERASER);
    pad.ClearStrokes();
    EXPECT_EQ(pad.mode(), PAD_MODE_THICK);
}

TEST(PadStrokesTest, ThePictureIsTheUnionOfTheBoundsAt72Dpi) {
    PadStrokes pad;
    EXPECT_TRUE(pad.RenderStrokesImage().isNull());
    draw(pad, {{20, 30}, {60, 40}});
    draw(pad, {{70, 50}, {128, 58}});  // together 108 x 28
    const QImage image = pad.RenderStrokesImage();
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(120, 40));
    EXPECT_EQ(image.dotsPerMeterX(), 2835);
    EXPECT_EQ(image.dotsPerMeterY(), 2835);
    EXPECT_TRUE(image.hasAlphaChannel());
    // Opaque white around, the pen's colour on the line (shifted by the
    // union's corner, 14 / 24).
    EXPECT_EQ(image.pixel(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(image.pixel(119, 39), 0xFFFFFFFFu);
    EXPECT_EQ(image.pixel(40 - 14, 35 - 24), kPadPenColour);
}

// ---- placement

TEST(DialogPlacementTest, RestoredWhereTheRuleSays) {
    const QRect work(0, 0, 1920, 1040);
    const QRect screen(0, 0, 1920, 1080);
    const QRect twoScreens(-1920, 0, 3840, 1080);
    const QRect reference(100, 100, 1200, 800);
    struct Case {
        const char* what;
        DialogPlacementValues stored;
        QRect workArea, virtualScreen, placed;
    } cases[] = {
        {"beside the reference", {50, 40, 900, 700}, work, screen, {150, 140, 900, 700}},
        {"a width of 500 comes back as 800", {50, 40, 500, 700}, work, screen, {150, 140, 800, 700}},
        {"no wider than a work area of 700", {0, 0, 900, 700}, {0, 0, 700, 1040}, screen, {100, 100, 700, 700}},
        {"no higher than the work area", {0, 0, 800, 5000}, work, screen, {100, 100, 800, 1040}},
        {"more than half past the right edge", {1500, 0, 800, 640}, work, screen, {1120, 100, 800, 640}},
        {"less than half past it stays", {1200, 0, 800, 640}, work, screen, {1300, 100, 800, 640}},
        {"more than half below the bottom", {0, 800, 800, 640}, work, screen, {100, 400, 800, 640}},
        {"left of the work area", {-900, -500, 800, 640}, work, twoScreens, {0, 0, 800, 640}},
        {"far off the values' range", {INT_MAX, INT_MIN, INT_MAX, INT_MAX}, work, screen, {0, 0, 1920, 1040}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(PlaceDialog(reference, c.stored, c.virtualScreen, c.workArea), c.placed);
    }
}

class DialogPlacementKeyTest : public ShellFixture {};

TEST_F(DialogPlacementKeyTest, SavedRelativeToTheReferenceAndReadBackWithDefaults) {
    const QString subkey = QStringLiteral("Software\\Toliva\\Dlgs\\Probe");
    RegKey key;
    ASSERT_TRUE(OpenRegKey(subkey, key));
    // Nothing stored: 800 x 640 centred on the reference.
    const DialogPlacementValues d = ReadDialogPlacement(key, QRect(0, 0, 1000, 700));
    EXPECT_EQ(d.w, 800);
    EXPECT_EQ(d.h, 640);
    EXPECT_EQ(d.x, 100);
    EXPECT_EQ(d.y, 30);

    QWidget reference, dialog;
    reference.setGeometry(100, 50, 600, 400);
    dialog.setGeometry(130, 90, 820, 650);
    SaveDialogPlacement(nullptr, &dialog, key);
    EXPECT_FALSE(hasValue(subkey, QStringLiteral("X")));
    SaveDialogPlacement(&reference, &dialog, key);
    const DialogPlacementValues v = ReadDialogPlacement(key, QRect());
    EXPECT_EQ(v.x, ScreenRect(&dialog).left() - ScreenRect(&reference).left());
    EXPECT_EQ(v.y, ScreenRect(&dialog).top() - ScreenRect(&reference).top());
    EXPECT_EQ(v.w, ScreenRect(&dialog).width());
    EXPECT_EQ(v.h, ScreenRect(&dialog).height());

    // Restored on this machine's screen by the same rule.
    QWidget restored;
    RestoreDialogPlacement(&reference, key, &restored);
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(restored.geometry(),
              PlaceDialog(ScreenRect(&reference), v, screen->virtualGeometry(), screen->availableGeometry()));
}

// ---- the pad in the program

class FakeRecognition : public RecognitionService {
public:
    bool SaveRecognitionImage(const QImage& image, const QString& path) override {
        saved = image;
        savedPath = path;
        return saves && image.save(path, "PNG");
    }
    QString RecognizeFormula(const QString& path) override {
        ++calls;
        recognisedPath = path;
        return answer;
    }
    bool saves = true;
    QString answer;
    QImage saved;
    QString savedPath, recognisedPath;
    int calls = 0;
};

void mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

class WritingPadTest : public ProgramFixture {
protected:
    void start() {
        ASSERT_TRUE(startProgram({}, [&](CTolivaApp& program) { program.recognition = &recognition; }));
        frame().resize(1200, 800);
        QApplication::processEvents();
    }
    CDlgWritingPad* openPad() {
        sheet().ExecuteCommand(CMD_WRITING_PAD);
        QApplication::processEvents();
        return view().writingPad();
    }
    // A stroke drawn with the mouse through points of the drawing area.
    void stroke(CDlgWritingPad& pad, std::initializer_list<QPoint> points) {
        const QPoint origin = pad.drawingArea().topLeft();
        bool first = true;
        QPoint last;
        for (QPoint p : points) {
            last = p + origin;
            if (first)
                mouse(&pad, QEvent::MouseButtonPress, last, Qt::LeftButton, Qt::LeftButton);
            else
                mouse(&pad, QEvent::MouseMove, last, Qt::NoButton, Qt::LeftButton);
            first = false;
        }
        mouse(&pad, QEvent::MouseButtonRelease, last, Qt::LeftButton, Qt::NoButton);
    }
    // A button of the bar pressed: its command reaches the pad.
    void press(CDlgWritingPad& pad, int command) {
        CDlgToolbar* bar = pad.toolbar();
        const ToolbarButton* button = nullptr;
        for (const auto& b : bar->buttons())
            if (b->command == command && !b->isSeparator()) button = b.get();
        ASSERT_NE(button, nullptr) << command;
        ASSERT_FALSE(button->overflow) << command;
        const QPoint centre = button->rect.center();
        mouse(bar, QEvent::MouseButtonPress, centre, Qt::LeftButton, Qt::LeftButton);
        mouse(bar, QEvent::MouseButtonRelease, centre, Qt::LeftButton, Qt::NoButton);
        QApplication::processEvents();
    }
    std::vector<int> latched(const CDlgWritingPad& pad) {
        std::vector<int> positions;
        for (size_t i = 0; i < pad.toolbar()->buttons().size(); ++i)
            if (pad.toolbar()->buttonState(int(i)) == 21) positions.push_back(int(i));
        return positions;
    }
    std::string text() { return equationText(*sheet().equation()); }

    FakeRecognition recognition;
};

TEST_F(WritingPadTest, CreatedOnceAndShownAgainOnCommand255) {
    writeString(kLanguage, QStringLiteral("LanSel"), QStringLiteral("1"));
    start();
    EXPECT_EQ(view().writingPad(), nullptr);
    CDlgWritingPad* pad = openPad();
    ASSERT_NE(pad, nullptr);
    EXPECT_TRUE(pad->isVisible());
    EXPECT_FALSE(pad->isModal());
    EXPECT_EQ(pad->windowTitle(), QStringLiteral("Handwriting Pad"));
    EXPECT_GE(pad->width(), CDlgWritingPad::kMinWidth);
    // The bar across the top, the drawing area below it.
    EXPECT_EQ(pad->toolbar()->geometry(), QRect(0, 0, pad->width(), int(20 + 24 * context.uiScale)));
    EXPECT_EQ(pad->drawingArea().top(), pad->toolbar()->height());
    EXPECT_EQ(pad->innerArea(), pad->drawingArea().adjusted(2, 2, -2, -2));
    // The medium pen to start with.
    EXPECT_EQ(pad->mode(), PAD_MODE_MEDIUM);
    EXPECT_EQ(latched(*pad), std::vector<int>{3});

    pad->close();
    EXPECT_FALSE(pad->isVisible());
    EXPECT_EQ(openPad(), pad);
    EXPECT_TRUE(pad->isVisible());
}

TEST_F(WritingPadTest, TheMouseDrawsAndTheEraserTakesStrokesAndGivesWay) {
    start();
    CDlgWritingPad* pad = openPad();
    ASSERT_NE(pad, nullptr);
    stroke(*pad, {{100, 100}});
    EXPECT_TRUE(pad->strokes().strokes().empty());
    stroke(*pad, {{100, 100}, {150, 100}, {200, 100}});
    ASSERT_EQ(pad->strokes().strokes().size(), 1u);
    EXPECT_EQ(pad->strokes().strokes()[0].count, 3);
    EXPECT_EQ(pad->strokes().strokes()[0].x[0], 100);

    press(*pad, CDlgWritingPad::CmdThick);
    EXPECT_EQ(latched(*pad), std::vector<int>{4});
    stroke(*pad, {{100, 200}, {200, 200}});
    press(*pad, CDlgWritingPad::CmdEraser);
    EXPECT_EQ(pad->mode(), PAD_MODE_ERASER);
    EXPECT_EQ(latched(*pad), std::vector<int>{6});

    const QPoint origin = pad->drawingArea().topLeft();
    // 6 px beside: nothing; 3 px beside: the stroke goes, the eraser stays.
    mouse(pad, QEvent::MouseButtonPress, origin + QPoint(150, 206), Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(pad->strokes().strokes().size(), 2u);
    mouse(pad, QEvent::MouseButtonPress, origin + QPoint(150, 203), Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(pad->strokes().strokes().size(), 1u);
    EXPECT_EQ(pad->mode(), PAD_MODE_ERASER);
    // The last one: back to the thick pen, and its button.
    mouse(pad, QEvent::MouseButtonPress, origin + QPoint(150, 97), Qt::LeftButton, Qt::LeftButton);
    EXPECT_TRUE(pad->strokes().strokes().empty());
    EXPECT_EQ(pad->mode(), PAD_MODE_THICK);
    EXPECT_EQ(latched(*pad), std::vector<int>{4});

    // Clear returns from the eraser too.
    stroke(*pad, {{10, 10}, {20, 20}});
    press(*pad, CDlgWritingPad::CmdEraser);
    press(*pad, CDlgWritingPad::CmdClear);
    EXPECT_TRUE(pad->strokes().strokes().empty());
    EXPECT_EQ(pad->mode(), PAD_MODE_THICK);
}

TEST_F(WritingPadTest, RecognitionInsertsTheTextAndClearsOrKeepsTheStrokes) {
    start();
    CDlgWritingPad* pad = openPad();
    ASSERT_NE(pad, nullptr);
    // An empty pad asks nothing.
    press(*pad, CDlgWritingPad::CmdRecognize);
    EXPECT_EQ(recognition.calls, 0);
    EXPECT_TRUE(recognition.saved.isNull());

    stroke(*pad, {{100, 100}, {160, 120}});
    // Refused image, failed recognition, unreadable text: nothing inserted,
    // the strokes stay.
    recognition.saves = false;
    press(*pad, CDlgWritingPad::CmdRecognize);
    EXPECT_EQ(recognition.calls, 0);
    recognition.saves = true;
    press(*pad, CDlgWritingPad::CmdRecognize);
    EXPECT_EQ(recognition.calls, 1);
    recognition.answer = QStringLiteral("\\frac{");
    press(*pad, CDlgWritingPad::CmdRecognize);
    EXPECT_EQ(recognition.calls, 2);
    EXPECT_EQ(text(), "");
    EXPECT_EQ(pad->strokes().strokes().size(), 1u);

    recognition.answer = QStringLiteral("k^{2}");
    press(*pad, CDlgWritingPad::CmdRecognize);
    EXPECT_EQ(recognition.calls, 3);
    EXPECT_NE(text().find('k'), std::string::npos);
    EXPECT_TRUE(pad->strokes().strokes().empty());
    // The picture of the stroke, saved as "src0.png" in the Temp folder.
    EXPECT_EQ(recognition.saved.size(), QSize(72, 32));
    EXPECT_TRUE(recognition.savedPath.endsWith(QStringLiteral("/src0.png")));
    EXPECT_EQ(recognition.recognisedPath, recognition.savedPath);
    EXPECT_TRUE(recognition.savedPath.startsWith(context.tempFolder));
}

TEST_F(WritingPadTest, TheCloseCommandsHideThePad) {
    start();
    CDlgWritingPad* pad = openPad();
    ASSERT_NE(pad, nullptr);
    recognition.answer = QStringLiteral("y");
    stroke(*pad, {{10, 10}, {40, 30}});
    press(*pad, CDlgWritingPad::CmdRecognizeAndClose);
    QApplication::processEvents();
    EXPECT_FALSE(pad->isVisible());
    EXPECT_NE(text().find('y'), std::string::npos);

    openPad();
    stroke(*pad, {{10, 10}, {40, 30}});
    press(*pad, CDlgWritingPad::CmdClearAndClose);
    QApplication::processEvents();
    EXPECT_FALSE(pad->isVisible());
    EXPECT_TRUE(pad->strokes().strokes().empty());
    EXPECT_EQ(recognition.calls, 1);

    // Unknown codes do nothing.
    EXPECT_EQ(pad->OnToolbarCommand(4242), 0);
}

TEST_F(WritingPadTest, ThePlaceIsKeptWhenTheProgramEnds) {
    start();
    CDlgWritingPad* pad = openPad();
    ASSERT_NE(pad, nullptr);
    const QString key = CDlgWritingPad::kPlacementKey;
    EXPECT_FALSE(hasValue(key, QStringLiteral("W")));
    const QRect sheetRect = ScreenRect(&sheet());
    const QRect padRect = ScreenRect(pad);
    stopProgram();
    RegKey stored;
    ASSERT_TRUE(OpenRegKey(key, stored));
    const DialogPlacementValues v = ReadDialogPlacement(stored, QRect());
    EXPECT_EQ(v.x, padRect.left() - sheetRect.left());
    EXPECT_EQ(v.y, padRect.top() - sheetRect.top());
    EXPECT_EQ(v.w, padRect.width());
    EXPECT_EQ(v.h, padRect.height());

    // Stored elsewhere: the next pad comes back there by the rule.
    ASSERT_TRUE(WriteRegDword(stored, QStringLiteral("X"), 10));
    ASSERT_TRUE(WriteRegDword(stored, QStringLiteral("Y"), 20));
    start();
    pad = openPad();
    ASSERT_NE(pad, nullptr);
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    const DialogPlacementValues again{10, 20, v.w, v.h};
    EXPECT_EQ(ScreenRect(pad).topLeft(),
              PlaceDialog(ScreenRect(&sheet()), again, screen->virtualGeometry(), screen->availableGeometry())
                  .topLeft());
}

TEST_F(WritingPadTest, HelpGoesThroughTheSheetAndSettingsSayWhenTheyAreMissing) {
    start();
    CDlgWritingPad* pad = openPad();
    ASSERT_NE(pad, nullptr);
    press(*pad, CDlgWritingPad::CmdHelp);
    const bool helpOpened = !shell.documents.empty() && shell.documents.back().endsWith(QStringLiteral("OCR_Help.pdf"));
    EXPECT_TRUE(helpOpened || !messages.shown.empty());

    // The program's pad opens the recognition settings (page set "OCR").
    messages.shown.clear();
    QString pageSet;
    view().runSettingsDialog = [&](CDlgGU& dialog) {
        pageSet = dialog.pageFolder;
        return int(IDCANCEL);
    };
    press(*pad, CDlgWritingPad::CmdRecognitionSettings);
    EXPECT_EQ(pageSet, QStringLiteral("OCR"));
    EXPECT_TRUE(messages.shown.empty());
    // Without a settings dialog to open, the pad says so.
    pad->showRecognitionSettings = nullptr;
    press(*pad, CDlgWritingPad::CmdRecognitionSettings);
    EXPECT_EQ(messages.shown.size(), 1u);
    int opened = 0;
    pad->showRecognitionSettings = [&] { ++opened; };
    press(*pad, CDlgWritingPad::CmdRecognitionSettings);
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(WritingPadTest, ScreenshotsOfThePad) {
    const QString folder = screenshotFolder();
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const char* lanSel : {"1", "2"}) {
        writeString(kLanguage, QStringLiteral("LanSel"), QString::fromLatin1(lanSel));
        start();
        CDlgWritingPad* pad = openPad();
        ASSERT_NE(pad, nullptr);
        pad->resize(800, 400);
        QApplication::processEvents();
        // x^2 written by hand, roughly.
        stroke(*pad, {{120, 160}, {150, 200}, {180, 240}});
        stroke(*pad, {{180, 160}, {150, 200}, {120, 240}});
        stroke(*pad, {{200, 120}, {215, 105}, {230, 115}, {200, 150}, {235, 150}});
        press(*pad, CDlgWritingPad::CmdEraser);
        QApplication::processEvents();
        const QImage picture = pad->grab().toImage();
        EXPECT_EQ(picture.size(), pad->size());
        const QString name = QStringLiteral("writing_pad_%1.png").arg(context.languageCode());
        EXPECT_TRUE(picture.save(folder + name)) << name.toStdString();
        EXPECT_EQ(pad->windowTitle(), lanSel[0] == '2' ? QStringLiteral("手写板") : QStringLiteral("Handwriting Pad"));
        stopProgram();
    }
}

}  // namespace
}  // namespace toliva::test
