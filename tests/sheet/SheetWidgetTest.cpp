// The editing sheet as a window: an equation handed over without lines, a
// sheet without an equation, the scrolling arithmetic, the wheel, the
// caret's geometry and blinking, keeping the caret in view, and the capture
// hand-off with a scripted capture program.
#include "model/EqBuilder.h"
#include "model/EqModel.h"
#include "platform/CaptureHandoff.h"
#include "platform/ClipboardService.h"
#include "platform/RegKey.h"
#include "sheet/CKwEESheet.h"
#include "sheet/editing/Recognition.h"
#include "sheet/SheetBackend.h"
#include "sheet/SheetScript.h"
#include "tests/common/ModelFixtures.h"
#include "tests/common/TestSupport.h"
#include "tests/model/EqLayoutTestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPixmap>
#include <QScrollBar>
#include <QWheelEvent>

#include <cmath>

namespace toliva {
namespace {

class SheetWidgetTest : public ::testing::Test {
protected:
    SheetWidgetTest() : eq(test::builtInStyle()), b(&eq) {}

    // A sheet of the size around the equation (null: none), shown offscreen.
    void makeSheet(EqModel* equation, QSize size = QSize(400, 300), SheetHost* host = nullptr) {
        auto owned = std::make_unique<HeadlessSheetBackend>();
        backend = owned.get();
        sheet = std::make_unique<CKwEESheet>(app, test::programContext(), host, std::move(owned));
        ShowSheetOffscreen(*sheet, size, equation);
    }

    // n lines of "x+y" with a fraction in every second one.
    void addLines(int n, int width = 3) {
        for (int i = 0; i < n; ++i) {
            EqElement* line = b.line();
            std::u16string text;
            for (int k = 0; k < width; ++k) text += char16_t(u'a' + k % 26);
            b.text(line, text, EqTypeCharItalic);
            if (i % 2) {
                EqElement* frac = b.add(line, EqTypeFraction, 2);
                b.text(EqBuilder::arg(frac, 0), u"a", EqTypeCharItalic);
                b.text(EqBuilder::arg(frac, 1), u"b", EqTypeCharItalic);
            }
        }
    }

    void wheel(int delta, Qt::KeyboardModifiers mods) {
        const QPointF at(10, 10);
        QWheelEvent e(at, at, QPoint(), QPoint(0, delta), Qt::NoButton, mods, Qt::NoScrollPhase, false);
        QApplication::sendEvent(sheet.get(), &e);
    }

    AppContext app;
    EqModel eq;
    EqBuilder b;
    HeadlessSheetBackend* backend = nullptr;
    std::unique_ptr<CKwEESheet> sheet;
};

TEST_F(SheetWidgetTest, WithoutAnEquationNothingIsDrawnAndNothingFails) {
    makeSheet(nullptr);
    const QImage shot = sheet->grab().toImage();
    ASSERT_FALSE(shot.isNull());
    for (int y = 0; y < shot.height(); y += 7)
        for (int x = 0; x < shot.width(); x += 7) ASSERT_EQ(shot.pixel(x, y) | 0xFF000000u, 0xFFFFFFFFu);
    sheet->Refresh(0);
    sheet->StartCaret();
    backend->tick();
    EXPECT_FALSE(sheet->caretDrawn());
    wheel(120, Qt::NoModifier);
    EXPECT_FALSE(sheet->HandleKeyPress(Qt::Key_Left, Qt::NoModifier, QString(), false));
    sheet->ExecuteCommand(11);
    sheet->RunCapture();  // the idle host starts nothing
}

TEST_F(SheetWidgetTest, AnEquationWithoutLinesGetsOneWithTheCaretOnItsHead) {
    ASSERT_TRUE(eq.lines.empty());
    makeSheet(&eq);
    ASSERT_EQ(eq.lines.size(), 1u);
    EXPECT_EQ(GetEquationCaret(&eq), eq.lines[0]);
    EXPECT_TRUE(sheet->hasBeenShown());
    ASSERT_NE(sheet->shownPicture(), nullptr);
}

TEST_F(SheetWidgetTest, TheWheelScrollsANotchOf120PixelsAndCtrlZoomsByATenthOfTwo) {
    addLines(40, 60);
    makeSheet(&eq);
    ASSERT_GT(sheet->vScrollMax(), 240);
    ASSERT_GT(sheet->hScrollMax(), 240);
    wheel(-120, Qt::NoModifier);
    EXPECT_EQ(sheet->scrollY(), 120);
    wheel(-240, Qt::NoModifier);
    EXPECT_EQ(sheet->scrollY(), 360);
    wheel(120, Qt::NoModifier);
    EXPECT_EQ(sheet->scrollY(), 240);
    wheel(-120, Qt::ShiftModifier);
    EXPECT_EQ(sheet->scrollX(), 120);
    EXPECT_EQ(sheet->scrollY(), 240);

    const float before = app.eeScale;
    wheel(120, Qt::ControlModifier);
    EXPECT_NEAR(app.eeScale, before + 0.2f, 1e-5);
    wheel(-120, Qt::ControlModifier);
    wheel(-120, Qt::ControlModifier);
    EXPECT_NEAR(app.eeScale, before - 0.2f, 1e-5);
    // The scale has its bounds.
    app.eeScale = 0.3f;
    wheel(-120, Qt::ControlModifier);
    EXPECT_FLOAT_EQ(app.eeScale, 0.2f);
}

TEST_F(SheetWidgetTest, ScrollingFollowsTheLinePageAndThumbSteps) {
    addLines(60, 80);
    makeSheet(&eq);
    const int maxY = sheet->vScrollMax();
    ASSERT_GT(maxY, 600);
    struct Step {
        ScrollAction action;
        int thumb;
        int expected;  // -1: the maximum
    };
    const Step steps[] = {
        {ScrollAction::ThumbTrack, 237, 230},   {ScrollAction::ThumbPosition, 239, 230},
        {ScrollAction::LineForward, 0, 280},    {ScrollAction::LineBack, 0, 230},
        {ScrollAction::PageForward, 0, 430},    {ScrollAction::PageBack, 0, 230},
        {ScrollAction::ThumbTrack, 0, 0},       {ScrollAction::LineBack, 0, 0},
        {ScrollAction::PageBack, 0, 0},         {ScrollAction::ThumbTrack, 1 << 20, -1},
        {ScrollAction::PageForward, 0, -1},
    };
    for (const Step& s : steps) {
        sheet->OnVScroll(s.action, s.thumb);
        EXPECT_EQ(sheet->scrollY(), s.expected < 0 ? maxY : s.expected)
            << "action " << int(s.action) << " thumb " << s.thumb;
    }
    // Right at the maximum nothing more happens.
    EXPECT_FALSE(sheet->ScrollVert(1, true));
    EXPECT_FALSE(sheet->ScrollVert(0, true));
    EXPECT_TRUE(sheet->ScrollVert(-50, true));
    EXPECT_EQ(sheet->scrollY(), maxY - 50);
    // A step past the end stops at it.
    EXPECT_TRUE(sheet->ScrollVert(500, true));
    EXPECT_EQ(sheet->scrollY(), maxY);
    sheet->OnVScroll(ScrollAction::ThumbTrack, 0);
    EXPECT_FALSE(sheet->ScrollVert(-1, true));
    EXPECT_FALSE(sheet->ScrollHorz(-1, true));
    // The content scrolled with every change.
    EXPECT_EQ(backend->scrolledY, 0);
    // Ranges: the equation's size and 100 pixels, less the page.
    const SheetBackend::ScrollBarState v = backend->scrollBar(Qt::Vertical);
    EXPECT_EQ(v.maximum, int(std::lround(eq.totalHeight)) + 100);
    EXPECT_EQ(v.page, sheet->clientRect().height());
    EXPECT_EQ(sheet->vScrollMax(), v.maximum - v.page);
}

TEST_F(SheetWidgetTest, CaretGeometryAtALineStartInAnArgumentAndAfterAnElement) {
    EqElement* line = b.line();
    b.text(line, u"x", EqTypeCharItalic);
    EqElement* frac = b.add(line, EqTypeFraction, 2);
    b.text(EqBuilder::arg(frac, 0), u"a", EqTypeCharItalic);
    b.text(EqBuilder::arg(frac, 1), u"b", EqTypeCharItalic);
    makeSheet(&eq);

    // The start of a top-level line: 80 % of the line's height, 10 % + 1
    // pixel below its top, no underline.
    SetEquationCaret(&eq, line);
    const gp::RectF lineBox = line->origin;
    CKwEESheet::CaretGeometry g = sheet->ComputeCaretGeometry();
    EXPECT_FALSE(g.hasUnderline);
    EXPECT_EQ(g.bar.width(), 1);
    EXPECT_NEAR(g.bar.height(), 0.8 * lineBox.height, 1.0);
    EXPECT_NEAR(g.bar.top(), lineBox.y + 0.1 * lineBox.height + 1.5, 1.0);
    EXPECT_NEAR(g.bar.left(), lineBox.x, 1.0);

    // The head of an argument chain: the chain's full height, no underline.
    EqElement* numerator = EqBuilder::arg(frac, 0);
    SetEquationCaret(&eq, numerator);
    g = sheet->ComputeCaretGeometry();
    EXPECT_FALSE(g.hasUnderline);
    EXPECT_NEAR(g.bar.height(), numerator->origin.height, 1.0);
    EXPECT_NEAR(g.bar.top(), numerator->origin.y + 0.5, 1.0);
    EXPECT_LT(g.bar.height(), lineBox.height);

    // After an element: a bar at its right edge over its chain and an
    // underline under the chain.
    EqElement* a = numerator->next;
    SetEquationCaret(&eq, a);
    g = sheet->ComputeCaretGeometry();
    EXPECT_TRUE(g.hasUnderline);
    EXPECT_NEAR(g.bar.left(), a->rect.x + a->rect.width, 1.0);
    EXPECT_NEAR(g.bar.height(), numerator->origin.height, 1.0);
    EXPECT_EQ(g.underline.top(), g.bar.bottom() + 1);
    EXPECT_EQ(g.underline.height(), 1);
    EXPECT_NEAR(g.underline.width(), numerator->origin.width + 1, 1.0);

    // No caret element: a bar at (1, 1).
    EqModel empty(test::builtInStyle());
    sheet->SetEquation(&empty);
    empty.caret = nullptr;
    g = sheet->ComputeCaretGeometry();
    EXPECT_EQ(g.bar.topLeft(), QPoint(1, 1));
    sheet->SetEquation(nullptr);
}

TEST_F(SheetWidgetTest, TheCaretBlinksOnTimerOneAndIsDrawnInverted) {
    EqElement* line = b.line();
    b.text(line, u"xy", EqTypeCharItalic);
    makeSheet(&eq);
    SetEquationCaret(&eq, line->next);
    sheet->StopCaret();
    EXPECT_FALSE(backend->timerRunning(CKwEESheet::kCaretTimer));
    EXPECT_FALSE(sheet->caretDrawn());
    sheet->StartCaret();
    EXPECT_EQ(backend->timers[CKwEESheet::kCaretTimer], 500);
    ASSERT_TRUE(sheet->caretDrawn());
    const QRect bar = sheet->caretGeometry().bar;
    const QImage on = sheet->grab().toImage();
    backend->tick();
    EXPECT_FALSE(sheet->caretDrawn());
    const QImage off = sheet->grab().toImage();
    // Inverted: white under the caret becomes black, black becomes white.
    const QPoint p(bar.left(), bar.top() + 1);
    EXPECT_EQ(on.pixel(p) & 0xFFFFFF, ~off.pixel(p) & 0xFFFFFF);
    // The geometry drawn is the geometry erased.
    EXPECT_EQ(sheet->caretGeometry().bar, bar);
    backend->tick();
    EXPECT_TRUE(sheet->caretDrawn());
    // A second start while running changes nothing.
    sheet->StartCaret();
    EXPECT_TRUE(sheet->caretDrawn());
}

TEST_F(SheetWidgetTest, KeepingTheCaretInViewBringsItToTheMiddleOnEitherSide) {
    addLines(30, 120);
    makeSheet(&eq, QSize(300, 200));
    const QRect client = sheet->clientRect();
    auto visible = [&](EqElement* e) {
        const double right = e->rect.x + e->rect.width;
        return right >= 0 && right <= client.width() && e->rect.y >= 0 && e->rect.y + e->rect.height <= client.height();
    };
    // Far side, both ways: the end of the last line.
    EqElement* end = FindChainEnd(eq.lines.back());
    SetEquationCaret(&eq, end);
    sheet->EnsureCaretVisible();
    EXPECT_GT(sheet->scrollX(), 0);
    EXPECT_GT(sheet->scrollY(), 0);
    EXPECT_TRUE(visible(end)) << end->rect.x << "," << end->rect.y;
    // Near side: the start of the first line.
    EqElement* start = eq.lines.front()->next;
    SetEquationCaret(&eq, start);
    sheet->EnsureCaretVisible();
    EXPECT_EQ(sheet->scrollY(), 0);
    EXPECT_EQ(sheet->scrollX(), 0);
    EXPECT_TRUE(visible(start));
    // Far side, close to the end of the range: clamped, still in view.
    EqElement* middle = eq.lines[15];
    for (int i = 0; i < 100; ++i) middle = middle->next;
    SetEquationCaret(&eq, middle);
    sheet->EnsureCaretVisible();
    EXPECT_LE(sheet->scrollX(), sheet->hScrollMax());
    EXPECT_TRUE(visible(middle)) << middle->rect.x << "," << middle->rect.y;
}

// A line scrolled into view that then becomes short (typed TeX converted,
// text deleted) is drawn where the scroll bar now stands, not at the old
// scroll position, which would leave it out of view.
TEST_F(SheetWidgetTest, ALineThatBecomesShortIsDrawnAtTheClampedScrollPosition) {
    addLines(1, 120);
    makeSheet(&eq, QSize(300, 200));
    EqElement* end = FindChainEnd(eq.lines.front());
    sheet->SetCaretElement(end);
    ASSERT_GT(sheet->scrollX(), 0);
    // Everything but the first character goes in one edit.
    sheet->SelectRange(eq.lines.front()->next, end);
    sheet->HandleKeyPress(Qt::Key_Backspace, Qt::NoModifier, QString(), false);
    EXPECT_EQ(sheet->scrollX(), 0);
    const EqElement* x = eq.lines.front()->next;
    ASSERT_NE(x, nullptr);
    EXPECT_GE(x->rect.x, 0);
    EXPECT_LT(x->rect.x + x->rect.width, sheet->clientRect().width());
}

TEST_F(SheetWidgetTest, KeepingTheCaretInViewShowsItsWholeLineWhereItFits) {
    // A short element at the end of a tall last line: scrolling by the
    // element alone would cut the top of the line (the stacked scripts).
    addLines(12);
    EqElement* line = b.line();
    b.text(line, u"y", EqTypeCharItalic);
    EqElement* scripts = b.add(line, EqTypeSubSuperscript, 2);
    EqElement* tower = b.add(EqBuilder::arg(scripts, 0), EqTypeFraction, 2);
    b.text(EqBuilder::arg(tower, 0), u"a", EqTypeCharItalic);
    EqElement* inner = b.add(EqBuilder::arg(tower, 1), EqTypeFraction, 2);
    b.text(EqBuilder::arg(inner, 0), u"b", EqTypeCharItalic);
    b.text(EqBuilder::arg(inner, 1), u"c", EqTypeCharItalic);
    b.text(EqBuilder::arg(scripts, 1), u"d", EqTypeCharItalic);
    EqElement* end = b.text(line, u"x", EqTypeCharItalic);
    makeSheet(&eq, QSize(300, 160));
    SetEquationCaret(&eq, end);
    sheet->EnsureCaretVisible();
    ASSERT_GT(sheet->scrollY(), 0);
    const LinePlacement& last = eq.placements.back();
    ASSERT_EQ(last.head, line);
    EXPECT_GE(last.y - last.ascent, -1.0f);
    EXPECT_LE(end->rect.y + end->rect.height, float(sheet->clientRect().height()) + 1);
}

TEST_F(SheetWidgetTest, ADragSelectsAndTheReleaseGivesTheMouseBack) {
    EqElement* line = b.line();
    b.text(line, u"ab", EqTypeCharItalic);
    EqElement* frac = b.add(line, EqTypeFraction, 2);
    b.text(EqBuilder::arg(frac, 0), u"c", EqTypeCharItalic);
    b.text(EqBuilder::arg(frac, 1), u"d", EqTypeCharItalic);
    makeSheet(&eq);
    auto send = [&](QEvent::Type type, QPointF p, Qt::MouseButton button, Qt::MouseButtons buttons) {
        QMouseEvent e(type, p, sheet->mapToGlobal(p), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(sheet.get(), &e);
    };
    EqElement* a = line->next;
    const QPointF start(a->rect.x + 1, a->rect.y + a->rect.height / 2);
    const QPointF end(frac->rect.x + frac->rect.width + 2, frac->rect.y + frac->rect.height / 2);
    send(QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    EXPECT_TRUE(backend->mouseCaptured());
    EXPECT_FALSE(sheet->caretRunning());
    EXPECT_EQ(GetEquationCaret(&eq), line);  // the left half of "a": the line's start
    send(QEvent::MouseMove, end, Qt::NoButton, Qt::LeftButton);
    ASSERT_TRUE(sheet->selection().exists());
    EXPECT_EQ(sheet->selection().items.front(), a);
    EXPECT_EQ(sheet->selection().items.back(), frac);
    send(QEvent::MouseButtonRelease, end, Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(backend->mouseCaptured());
    EXPECT_TRUE(sheet->caretRunning());
    EXPECT_EQ(sheet->selection().anchor, nullptr);
    // The selection is painted over the picture.
    const QImage shot = sheet->grab().toImage();
    const QPoint inside(int(a->rect.x + a->rect.width / 2), int(a->rect.y + 2));
    EXPECT_NE(shot.pixel(inside) & 0xFFFFFF, 0xFFFFFFu);
    // A press elsewhere without Shift clears it (a press inside it starts a
    // drag of the selection).
    send(QEvent::MouseButtonPress, end, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, end, Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(sheet->selection().exists());
}

TEST_F(SheetWidgetTest, TheOnScreenServicesRunTheSameSheet) {
    addLines(40, 60);
    CKwEESheet onScreen(app, test::programContext());
    ShowSheetOffscreen(onScreen, QSize(400, 300), &eq);
    // The scroll bars take their strips of the client area.
    const QRect client = onScreen.clientRect();
    EXPECT_LT(client.width(), 400);
    EXPECT_LT(client.height(), 300);
    auto bars = onScreen.findChildren<QScrollBar*>();
    ASSERT_EQ(bars.size(), 2);
    QScrollBar* vertical = bars[0]->orientation() == Qt::Vertical ? bars[0] : bars[1];
    EXPECT_EQ(vertical->maximum(), onScreen.vScrollMax());
    // A click on the bar's arrow is the sheet's line step.
    vertical->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(onScreen.scrollY(), 50);
    EXPECT_EQ(vertical->value(), 50);
    vertical->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(onScreen.scrollY(), 250);
    // The blink timer is a real timer.
    onScreen.StopCaret();
    onScreen.StartCaret();
    EXPECT_TRUE(onScreen.backend().timerRunning(CKwEESheet::kCaretTimer));
    onScreen.StopCaret();
    EXPECT_FALSE(onScreen.backend().timerRunning(CKwEESheet::kCaretTimer));
    onScreen.SetEquation(nullptr);
}

// A main window and capture program played by the test.
// Counts the images handed to recognition; recognises nothing.
class CountingRecognition : public RecognitionService {
public:
    bool SaveRecognitionImage(const QImage&, const QString&) override { return true; }
    QString RecognizeFormula(const QString&) override {
        ++recognised;
        return {};
    }
    int recognised = 0;
};

class ScriptedCaptureHost : public SheetHost {
public:
    void MinimiseMainWindow() override { ++minimised; }
    void RestoreMainWindow() override { ++restored; }
    bool IsMainWindowIconic() const override { return iconic; }
    bool StartProgram(const QString& path, const QStringList& arguments) override {
        started = path;
        startArguments = arguments;
        if (onStart) onStart();
        return true;
    }

    int minimised = 0, restored = 0;
    bool iconic = true;
    QString started;
    QStringList startArguments;
    std::function<void()> onStart;
};

int readCaptureValue(const QString& name) {
    RegKey key;
    OpenRegKey(kCaptureRegKey, key);
    int v = -1;
    ReadRegDword(key, name, v, -1);
    return v;
}

void writeCaptureState(int state) {
    RegKey key;
    OpenRegKey(kCaptureRegKey, key);
    WriteRegDword(key, kCaptureStateValue, state);
}

class CaptureTest : public SheetWidgetTest {
protected:
    void SetUp() override {
        // The capture program leaves its picture on the clipboard.
        QImage taken(20, 10, QImage::Format_ARGB32);
        taken.fill(Qt::white);
        clipboard.setImage(taken);
        makeSheet(&eq, QSize(200, 100), &host);
        sheet->captureLockPath = folder.file(QStringLiteral("capture.lock"));
        sheet->setRecognition(&recognition);
        backend->onSleep = [this](int ms) {
            if (ms == 100 && started) ++pollsAfterStart;
            if (onPoll && ms == 100 && started) onPoll(pollsAfterStart);
        };
        host.onStart = [this] {
            started = true;
            EXPECT_EQ(readCaptureValue(kCaptureStateValue), CaptureStatePending);
            EXPECT_EQ(readCaptureValue(kCaptureCallerValue), CaptureCallerMain);
            if (onStart) onStart();
        };
    }

    test::ScratchFolder folder;
    MemoryClipboardService clipboard;
    ScopedClipboardService clipboardGuard{&clipboard};
    ScriptedCaptureHost host;
    CountingRecognition recognition;
    bool started = false;
    int pollsAfterStart = 0;
    std::function<void()> onStart;
    std::function<void(int)> onPoll;
};

TEST_F(CaptureTest, ACancelledCaptureRestoresTheWindowAndInsertsNothing) {
    auto lock = std::make_unique<CaptureWindowLock>(sheet->captureLockPath);
    onStart = [&] {
        ASSERT_TRUE(lock->acquire());
        writeCaptureState(CaptureStateNothing);
    };
    sheet->RunCapture();
    EXPECT_EQ(host.minimised, 1);
    EXPECT_EQ(host.restored, 1);
    EXPECT_EQ(recognition.recognised, 0);
    EXPECT_TRUE(host.started.endsWith(QLatin1String("Pirnel")));
    EXPECT_EQ(host.startArguments, QStringList{QStringLiteral("Toliva")});
    EXPECT_EQ(pollsAfterStart, 0);
    EXPECT_EQ(readCaptureValue(kCaptureCallerValue), CaptureCallerNone);
}

TEST_F(CaptureTest, ATakenImageIsHandedToRecognition) {
    CaptureWindowLock lock(sheet->captureLockPath);
    onStart = [&] { ASSERT_TRUE(lock.acquire()); };
    onPoll = [&](int polls) {
        if (polls == 3) writeCaptureState(CaptureStateTaken);
    };
    sheet->RunCapture();
    EXPECT_EQ(pollsAfterStart, 3);
    EXPECT_EQ(recognition.recognised, 1);
    EXPECT_EQ(host.restored, 1);
    EXPECT_EQ(readCaptureValue(kCaptureCallerValue), CaptureCallerNone);
}

TEST_F(CaptureTest, TheCaptureWindowClosingWhileStillPendingEndsTheWaitAtOnce) {
    CaptureWindowLock lock(sheet->captureLockPath);
    onStart = [&] { ASSERT_TRUE(lock.acquire()); };
    onPoll = [&](int polls) {
        EXPECT_TRUE(IsCaptureWindowOpen(sheet->captureLockPath));
        if (polls == 5) lock.release();
    };
    sheet->RunCapture();
    EXPECT_EQ(pollsAfterStart, 5);
    EXPECT_EQ(recognition.recognised, 0);
    EXPECT_EQ(host.restored, 1);
    EXPECT_FALSE(IsCaptureWindowOpen(sheet->captureLockPath));
}

TEST_F(CaptureTest, AProgramThatNeverShowsItsWindowEndsTheWaitAfterOnePoll) {
    sheet->RunCapture();
    EXPECT_TRUE(started);
    EXPECT_EQ(pollsAfterStart, 1);
    EXPECT_EQ(recognition.recognised, 0);
    EXPECT_EQ(host.restored, 1);
}

TEST_F(CaptureTest, AWindowThatNeverBecomesIconicStopsTheWaitAfterFiftyPolls) {
    host.iconic = false;
    std::vector<int> sleeps;
    backend->onSleep = [&](int ms) { sleeps.push_back(ms); };
    sheet->RunCapture();
    ASSERT_GE(sleeps.size(), 51u);
    for (int i = 0; i < CKwEESheet::kIconicPolls; ++i) EXPECT_EQ(sleeps[size_t(i)], 100) << i;
    EXPECT_EQ(sleeps[50], 200);
    EXPECT_EQ(host.restored, 1);
}

TEST_F(CaptureTest, TheLockIsHeldOnlyByItsHolder) {
    const QString path = folder.file(QStringLiteral("other.lock"));
    EXPECT_FALSE(IsCaptureWindowOpen(path));
    {
        CaptureWindowLock lock(path);
        ASSERT_TRUE(lock.acquire());
        EXPECT_TRUE(IsCaptureWindowOpen(path));
        CaptureWindowLock second(path);
        EXPECT_FALSE(second.acquire());
    }
    EXPECT_FALSE(IsCaptureWindowOpen(path));
    EXPECT_TRUE(CaptureLockPath().endsWith(QLatin1String("/pirnel-capture.lock")));
}

}  // namespace
}  // namespace toliva
