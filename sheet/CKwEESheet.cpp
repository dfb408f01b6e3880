// The sheet's window: construction, rendering, painting, scrolling, the
// caret, the mouse, the wheel and the capture hand-off. Keys, commands,
// selection and undo are in CKwEESheetEdit.cpp.
#include "sheet/CKwEESheet.h"

#include "model/EqElement.h"
#include "model/EqFonts.h"
#include "model/EqLayout.h"
#include "model/EqModel.h"
#include "model/EqOutput.h"
#include "platform/CaptureHandoff.h"
#include "platform/Folders.h"
#include "platform/RegKey.h"
#include "platform/gdiplus/Graphics.h"
#include "sheet/editing/HitTest.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace toliva {

namespace {

// A host for a sheet without a program around it.
SheetHost& idleHost() {
    static SheetHost host;
    return host;
}

int roundPixel(double v) {
    if (!std::isfinite(v)) return 0;
    return int(std::lround(std::clamp(v, -1.0e7, 1.0e7)));
}

}  // namespace

CKwEESheet::CKwEESheet(AppContext& app, const RenderContext& render, SheetHost* host,
                       std::unique_ptr<SheetBackend> backend, QWidget* parent)
    : QWidget(parent),
      m_app(app),
      m_render(render),
      m_host(host ? host : &idleHost()),
      m_backend(backend ? std::move(backend) : std::make_unique<OnScreenSheetBackend>()) {
    m_render.drawingLock = &app.drawingLock;
    m_render.options = app.options;
    m_render.resultBackColour = app.resultBackColour;
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_InputMethodEnabled);
    // Equations are dragged out of the sheet and dropped onto it.
    setAcceptDrops(true);
    dragSelection = [this](QPoint) { return startSelectionDrag(); };
    m_backend->attach(
        this, [this](int id) { OnTimer(id); },
        [this](Qt::Orientation o, ScrollAction a, int thumb) { onScrollAction(o, a, thumb); });
    // Creation: the hotkey table with the user's file.
    m_hotkeys = std::make_unique<HotkeyTable>();
    if (m_app.userFolder.isEmpty()) m_hotkeys->SetDefaults();  // no user: the built-in bindings
    else m_hotkeys->LoadUserFile(m_app.userFolder);
    // Initialisation: scroll ranges, the word lists, the update check.
    m_backend->setScrollRange(Qt::Horizontal, 0, 500, 0);
    m_backend->setScrollRange(Qt::Vertical, 0, 500, 0);
    LoadWordLists(m_words, m_app.userFolder, programFolder());
    m_words.UpdateListNameLengths();
    m_host->ScheduleUpdateCheck();
}

CKwEESheet::~CKwEESheet() {
    m_tearingDown = true;
    m_backend->killTimer(kCaretTimer);
    // Without a per-user folder (tools, some tests) nothing is written.
    if (!m_app.userFolder.isEmpty()) {
        m_hotkeys->Save(m_app.userFolder);
        SaveWordLists(m_words, m_app.userFolder);
    }
}

// ---- content

void CKwEESheet::SetEquation(EqModel* eq) {
    m_sel.forgetElements();
    m_eq = eq;
    m_pendingKey = PendingKey{};
    m_lastKey = PendingKey{};
    if (!eq) {
        m_backend->invalidate(QRect());
        return;
    }
    if (eq->lines.empty()) AddEmptyLine(eq);
    EqElement* head = eq->lines.front();
    SetEquationCaret(eq, head->children.empty() ? head : head->children.front());
    // Pictures cached for another view of the equation are not this one's.
    InvalidateAllLineCaches(eq);
    m_host->UpdateAlignButtons();
    refresh(0, false);
    if (m_host->IsEmbedded()) m_host->NotifyEmbeddedChanged();
    setFocus();
}

void CKwEESheet::Refresh(int mode) { refresh(mode, true); }

void CKwEESheet::refresh(int mode, bool notify) {
    if (!m_eq || !m_shown) return;
    if (!m_pictureCurrent) RenderEquation(mode);
    if (m_sel.exists()) {
        ComposeSelection();
        m_shownBitmap = &m_displayBitmap;
    } else {
        m_shownBitmap = &m_renderBitmap;
    }
    m_backend->invalidate(QRect());
    m_pictureCurrent = false;
    if (mode == 0 && notify && m_host->IsEmbedded()) m_host->NotifyEmbeddedChanged();
}

void CKwEESheet::refreshPictureCurrent() {
    m_pictureCurrent = true;
    Refresh(-1);
}

void CKwEESheet::CommitExternalEdit() {
    DropUnchangedUndo();
    m_host->SetModifiedFlag();
    Refresh(0);
    if (m_host->IsEmbedded()) m_host->NotifyEmbeddedChanged();
}

void CKwEESheet::ensureBitmaps() {
    const QSize client = m_client.size();
    if (!m_renderBitmap.isNull() && m_renderBitmap.width() >= client.width() &&
        m_renderBitmap.height() >= client.height())
        return;
    // As large as the screen, made once; a client larger than the screen
    // (an offscreen sheet of a given size) makes them larger.
    QSize size(800, 600);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) size = screen->size();
    size = size.expandedTo(client).expandedTo(m_renderBitmap.size()).expandedTo(QSize(1, 1));
    std::lock_guard lock(m_cs);
    const bool showingDisplay = m_shownBitmap == &m_displayBitmap;
    m_renderBitmap = QImage(size, QImage::Format_RGB32);
    m_displayBitmap = QImage(size, QImage::Format_RGB32);
    m_renderBitmap.fill(Qt::white);
    m_displayBitmap.fill(Qt::white);
    if (m_shownBitmap) m_shownBitmap = showingDisplay ? &m_displayBitmap : &m_renderBitmap;
}

void CKwEESheet::RenderEquation(int mode) {
    if (!m_eq) return;
    ensureBitmaps();
    if (m_renderBitmap.isNull()) return;
    std::lock_guard lock(m_cs);
    m_render.options = m_app.options;
    m_usedSize = m_client.size();
    QPainter painter(&m_renderBitmap);
    painter.setClipRect(QRect(QPoint(0, 0), m_usedSize));
    painter.fillRect(QRect(QPoint(0, 0), m_usedSize),
                     QColor::fromRgb(m_eq->settings.colours[EqLayoutSettings::ColourBackground] | 0xFF000000));
    gp::PainterGraphics graphics(&painter);
    graphics.SetSmoothingMode(gp::SmoothingModeAntiAlias);
    graphics.SetTextRenderingHint(gp::TextRenderingHintAntiAliasGridFit);
    const float s = displayScale();
    const RenderScope pass(m_eq, m_render);
    if (m_eq->needsLayout) {
        MeasureFontMetrics(&graphics, m_eq);
        m_eq->needsLayout = 0;
    }
    LayoutLines(m_render, m_eq, &graphics, s, mode < 0 ? -1 : 0, true);
    EqElement* caret = GetEquationCaret(m_eq);
    const EqElement* caretLine = caret ? FindLineHead(caret) : nullptr;
    // The equation's size may have changed, and the scroll bars keep their
    // positions within the new ranges: when that moved them (a line that
    // became shorter), the picture is drawn again at the new positions.
    for (int pass = 0; pass < 2; ++pass) {
        const int sx = scrollX(), sy = scrollY();
        if (pass > 0) {
            painter.fillRect(QRect(QPoint(0, 0), m_usedSize),
                             QColor::fromRgb(m_eq->settings.colours[EqLayoutSettings::ColourBackground] | 0xFF000000));
        }
        // Three points of margin at the left, half a line gap and one point
        // at the top.
        const float x = 3 * s - float(sx);
        const float y = m_eq->settings.fontSize * m_eq->settings.spacing[0] * s * 0.5f + s - float(sy);
        const gp::RectF view{x, y, float(m_client.width()) - 6 * s, float(m_client.height())};
        m_caretElementVisible = DrawEquationView(m_render, view, m_eq, &painter, s,
                                                 m_app.option(OptDottedSeparators), caretLine);
        UpdateScrollRanges();
        if (scrollX() == sx && scrollY() == sy) break;
    }
    m_sel.rebuildHitBoxes = true;
}

void CKwEESheet::ComposeSelection() {
    if (!m_eq || m_renderBitmap.isNull()) return;
    std::lock_guard lock(m_cs);
    QPainter painter(&m_displayBitmap);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPoint(0, 0), m_renderBitmap, QRect(QPoint(0, 0), m_usedSize));
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    gp::PainterGraphics graphics(&painter);
    const RenderScope pass(m_eq, m_render);
    PaintSelection(m_eq, m_sel, graphics);
}

void CKwEESheet::ShowFirstPicture() {
    if (m_shown || !m_eq) return;
    m_shown = true;
    RenderEquation(0);
    m_shownBitmap = &m_renderBitmap;
    m_caretEnabled = true;
    if (m_caretRunning && !m_caretDrawn) drawCaret(true);
}

const QImage* CKwEESheet::shownPicture() const { return m_shownBitmap; }

void CKwEESheet::SetEditorScale(float scale) {
    if (!(scale > 0.2f)) scale = 0.2f;
    if (!(scale < 20.0f)) scale = 20.0f;
    if (scale == m_app.eeScale) return;
    if (m_eq) InvalidateAllLineCaches(m_eq);
    m_app.eeScale = scale;
    StopCaret();
    Refresh(0);
    StartCaret();
    m_host->UpdateTitle();
}

void CKwEESheet::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!m_eq) {
        painter.fillRect(rect(), Qt::white);
        return;
    }
    if (!m_shown) ShowFirstPicture();
    const QRect used(QPoint(0, 0), m_usedSize);
    if (m_shownBitmap) {
        std::lock_guard lock(m_cs);
        painter.drawImage(QPoint(0, 0), *m_shownBitmap, used);
    }
    // Whatever the picture does not cover (a corner beside the scroll bars).
    const QRegion rest = QRegion(rect()) - QRegion(m_shownBitmap ? used : QRect());
    for (const QRect& r : rest) painter.fillRect(r, Qt::white);
    if (m_caretDrawn) {
        std::lock_guard lock(m_cs);
        painter.setCompositionMode(QPainter::CompositionMode_Difference);
        painter.fillRect(m_caret.bar, Qt::white);
        if (m_caret.hasUnderline) painter.fillRect(m_caret.underline, Qt::white);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    // The input method's text being composed, underlined, at the caret.
    if (!m_preedit.isEmpty()) {
        const QRect bar = ComputeCaretGeometry().bar;
        QFont f = font();
        f.setPixelSize(std::clamp(bar.height() * 2 / 3, 8, 200));
        f.setUnderline(true);
        const QFontMetrics metrics(f);
        const QRect box(bar.right() + 2, bar.top(), metrics.horizontalAdvance(m_preedit) + 4,
                        std::max(bar.height(), metrics.height()));
        painter.fillRect(box, Qt::white);
        painter.setFont(f);
        painter.setPen(Qt::black);
        painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, m_preedit);
    }
    UpdateScrollRanges();
}

void CKwEESheet::resizeEvent(QResizeEvent*) {
    m_client = m_backend->clientRect(size());
    m_backend->layout(size());
    UpdateScrollRanges();
    if (m_tearingDown) return;
    refresh(0, false);
    StopCaret();
    StartCaret();
}

bool CKwEESheet::focusNextPrevChild(bool) { return false; }

// ---- scrolling

void CKwEESheet::UpdateScrollRanges() {
    const int width = m_eq ? roundPixel(m_eq->widestLine) : 0;
    const int height = m_eq ? roundPixel(m_eq->totalHeight) : 0;
    for (Qt::Orientation o : {Qt::Horizontal, Qt::Vertical}) {
        const bool h = o == Qt::Horizontal;
        const int maximum = (h ? width : height) + 100;
        const int page = h ? m_client.width() : m_client.height();
        const SheetBackend::ScrollBarState s = m_backend->scrollBar(o);
        if (s.minimum != 0 || s.maximum != maximum || s.page != page) {
            m_backend->setScrollRange(o, 0, maximum, page);
            // The bar keeps its position within the new range.
            const int limit = std::max(0, maximum - page);
            if (s.position > limit) m_backend->setScrollPosition(o, limit);
        }
        (h ? m_hScrollMax : m_vScrollMax) = maximum - page;
    }
}

void CKwEESheet::OnHScroll(ScrollAction action, int thumb) { onScrollAction(Qt::Horizontal, action, thumb); }
void CKwEESheet::OnVScroll(ScrollAction action, int thumb) { onScrollAction(Qt::Vertical, action, thumb); }

void CKwEESheet::onScrollAction(Qt::Orientation o, ScrollAction action, int thumb) {
    const int position = m_backend->scrollBar(o).position;
    int target = position;
    switch (action) {
    case ScrollAction::LineBack: target = position - kLineStep; break;
    case ScrollAction::LineForward: target = position + kLineStep; break;
    case ScrollAction::PageBack: target = position - kPageStep; break;
    case ScrollAction::PageForward: target = position + kPageStep; break;
    case ScrollAction::ThumbTrack:
    case ScrollAction::ThumbPosition: target = thumb / kThumbStep * kThumbStep; break;
    case ScrollAction::End: return;
    }
    const int maximum = o == Qt::Horizontal ? m_hScrollMax : m_vScrollMax;
    target = std::max(0, std::min(target, maximum));
    if (target != position) {
        const int moved = target - position;
        if (o == Qt::Horizontal) m_backend->scrollContent(-moved, 0);
        else m_backend->scrollContent(0, -moved);
        m_backend->setScrollPosition(o, target);
    }
    Refresh(-1);
    StopCaret();
    StartCaret();
}

bool CKwEESheet::ScrollHorz(int delta, bool restart) { return scrollBy(Qt::Horizontal, delta, restart); }
bool CKwEESheet::ScrollVert(int delta, bool restart) { return scrollBy(Qt::Vertical, delta, restart); }

bool CKwEESheet::scrollBy(Qt::Orientation o, int delta, bool restart) {
    const int position = m_backend->scrollBar(o).position;
    const int maximum = o == Qt::Horizontal ? m_hScrollMax : m_vScrollMax;
    if (delta == 0 || (delta < 0 && position <= 0) || (delta > 0 && position >= maximum)) return false;
    // The bar keeps the position within its range.
    const int target = std::max(0, std::min(position + delta, maximum));
    const int moved = target - position;
    if (o == Qt::Horizontal) m_backend->scrollContent(-moved, 0);
    else m_backend->scrollContent(0, -moved);
    m_backend->setScrollPosition(o, target);
    if (restart) {
        Refresh(-1);
        StopCaret();
        StartCaret();
    }
    return true;
}

void CKwEESheet::EnsureCaretVisible() {
    if (!m_caretEnabled || !m_eq) {
        StartCaret();
        return;
    }
    EqElement* caret = GetEquationCaret(m_eq);
    bool scrolled = false;
    if (caret) {
        const int w = m_client.width();
        const int h = m_client.height();
        // Either side: the caret comes to the middle of the client, as far
        // as the scroll range allows.
        const int x = roundPixel(caret->rect.x + caret->rect.width);
        if (x < 0 || x + 50 > w) scrolled |= ScrollHorz(x - w / 2, false);
        // Vertically: the caret's element, and its whole line where it fits
        // (a tall line is not left with its top cut off), but never at the
        // cost of the element itself.
        const int top = roundPixel(caret->rect.y);
        const int bottom = roundPixel(caret->rect.y + caret->rect.height);
        int dy = 0;
        if (top < 0) dy = top - h / 2;
        else if (bottom > h - 50) dy = bottom - h / 2;
        if (dy != 0) {
            const EqElement* line = FindLineHead(caret);
            for (const LinePlacement& p : m_eq->placements) {
                if (p.head != line) continue;
                const int lineTop = roundPixel(p.y - p.ascent);
                const int lineBottom = roundPixel(p.y + p.descent);
                if (lineBottom - dy > h) dy = lineBottom - h;
                if (lineTop - dy < 0) dy = lineTop;
            }
            if (dy < bottom - h) dy = bottom - h;
            if (dy > top) dy = top;
            scrolled |= ScrollVert(dy, false);
        }
    }
    if (scrolled) Refresh(-1);
    StopCaret();
    StartCaret();
}

// ---- caret

CKwEESheet::CaretGeometry CKwEESheet::ComputeCaretGeometry() const {
    CaretGeometry g;
    const float s = displayScale();
    EqElement* caret = m_eq ? GetEquationCaret(m_eq) : nullptr;
    if (!caret) {
        const float lineHeight = m_eq ? m_eq->settings.fontSize * s : 12 * s;
        g.bar = QRect(1, 1, 1, std::max(1, roundPixel(lineHeight)));
        return g;
    }
    const EqElement* head = FindChainStart(caret);
    const gp::RectF& chain = head->origin;  // the chain's box as last drawn
    const int top = roundPixel(chain.y + 0.5);
    const int height = std::max(1, roundPixel(chain.height));
    if (caret->type != EqTypeChainHead) {
        g.bar = QRect(roundPixel(caret->rect.x + caret->rect.width), top, 1, height);
        g.underline = QRect(roundPixel(chain.x), top + height, roundPixel(chain.width) + 1, 1);
        g.hasUnderline = true;
        return g;
    }
    if (head->parent) {
        g.bar = QRect(roundPixel(chain.x), top, 1, height);
    } else {
        // The start of a line: shorter by a tenth at each end.
        const double h = chain.height;
        g.bar = QRect(roundPixel(chain.x), roundPixel(chain.y + 0.5 + 0.1 * h + 1), 1,
                      std::max(1, roundPixel(h - 0.2 * h)));
    }
    return g;
}

void CKwEESheet::drawCaret(bool on) {
    std::lock_guard lock(m_cs);
    if (on) {
        if (!m_eq || !m_shown || !m_caretElementVisible) return;
        m_caret = ComputeCaretGeometry();
        m_caretDrawn = true;
    } else {
        if (!m_caretDrawn) return;
        m_caretDrawn = false;
    }
    m_backend->invalidate(m_caret.bar);
    if (m_caret.hasUnderline) m_backend->invalidate(m_caret.underline);
}

void CKwEESheet::StartCaret() {
    if (m_caretRunning || m_mouseSelecting) return;
    m_caretDrawn = false;
    bool placed = false;
    if (m_eq) {
        EqElement* caret = GetEquationCaret(m_eq);
        const EqElement* line = caret ? FindLineHead(caret) : nullptr;
        for (const LinePlacement& p : m_eq->placements)
            if (p.head == line) placed = p.visible;
        if (!caret) placed = true;
    }
    if (placed) drawCaret(true);
    m_caretRunning = true;
    m_backend->startTimer(kCaretTimer, kCaretBlinkMs);
}

void CKwEESheet::StopCaret() {
    if (m_mouseSelecting) return;
    m_caretRunning = false;
    m_backend->killTimer(kCaretTimer);
    drawCaret(false);
}

void CKwEESheet::OnTimer(int id) {
    if (id != kCaretTimer || !m_caretEnabled) return;
    drawCaret(!m_caretDrawn);
}

QPoint CKwEESheet::GetCaretScreenPoint() const {
    EqElement* caret = m_eq ? GetEquationCaret(m_eq) : nullptr;
    if (!caret) return mapToGlobal(QPoint(0, 0));
    return mapToGlobal(QPoint(roundPixel(caret->rect.x), roundPixel(caret->rect.y + caret->rect.height)));
}

void CKwEESheet::MoveCaretToPoint(QPoint point) {
    if (!m_eq || m_eq->placements.empty()) return;
    if (m_sel.rebuildHitBoxes) RebuildHitBoxes(m_eq, m_sel);
    // The line whose band (its box and half the gaps around it) holds the
    // point; above the first line the first, below the last the last.
    const LinePlacement* chosen = nullptr;
    const float gap = m_eq->viewLineGap / 2;
    for (const LinePlacement& p : m_eq->placements) {
        chosen = &p;
        if (point.y() < p.y + p.descent + gap) break;
    }
    EqElement* head = chosen->head;
    const QPointF at(point);
    EqElement* hit = CaretHitElement(head, at, displayScale());
    if (!hit) {
        // Beside the line: its start at the left, its end elsewhere.
        hit = at.x() < head->origin.x ? head : FindChainEnd(head);
    }
    SetEquationCaret(m_eq, hit);
    // The caret goes elsewhere: the next typed key starts an undo step of its
    // own, whose snapshot holds the line it is typed in.
    m_lastKey = PendingKey{};
    m_pendingKey = PendingKey{};
}

// ---- mouse and wheel

void CKwEESheet::mousePressEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if (event->button() == Qt::RightButton) {
        setFocus();
        if (!(event->modifiers() & Qt::ShiftModifier)) ShowContextMenu(mapToGlobal(point));
        return;
    }
    if (event->button() != Qt::LeftButton || !m_eq) return;
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    m_pressCaret = GetEquationCaret(m_eq);
    // The caret goes elsewhere: the next typed key starts an undo step of its
    // own, whose snapshot holds the line it is typed in.
    m_lastKey = PendingKey{};
    m_pendingKey = PendingKey{};
    setFocus();
    m_backend->captureMouse();
    if (m_sel.exists() && dragSelection && PointInSelection(m_sel, point, nullptr)) {
        m_dragging = true;
        // A drop while the drag runs comes from this sheet.
        m_dragFromHere = true;
        const bool dragged = dragSelection(point);
        m_dragFromHere = false;
        m_dragging = false;
        m_sel.anchor = nullptr;
        // The drag took the button's release.
        if (dragged) m_backend->releaseMouse();
        return;
    }
    StopCaret();
    m_mouseSelecting = true;
    if (!shift) ClearSelection(true);
    Refresh(-1);
    MoveCaretToPoint(point);
    EqElement* caret = GetEquationCaret(m_eq);
    m_sel.anchor = caret;
    if (shift && m_pressCaret && caret) {
        SelectRange(m_pressCaret, caret);
        refreshPictureCurrent();
    }
}

void CKwEESheet::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton) || !m_eq || !m_mouseSelecting) return;
    if (!m_dragging) StopCaret();
    MoveCaretToPoint(event->position().toPoint());
    EqElement* caret = GetEquationCaret(m_eq);
    if (m_sel.anchor && caret && (m_sel.anchor != m_sel.appliedAnchor || caret != m_sel.appliedEnd)) {
        SelectRange(m_sel.anchor, caret);
        m_sel.appliedAnchor = m_sel.anchor;
        m_sel.appliedEnd = caret;
        refreshPictureCurrent();
    }
}

void CKwEESheet::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    m_backend->releaseMouse();
    m_mouseSelecting = false;
    m_sel.anchor = nullptr;
    m_dragging = false;
    m_host->UpdateAlignButtons();
    setFocus();
    m_caretElementVisible = true;
    StartCaret();
}

void CKwEESheet::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_eq) return;
    // The press before it has placed the caret at the point.
    SelectWordAt(m_eq, m_sel, event->position());
    refreshPictureCurrent();
}

void CKwEESheet::wheelEvent(QWheelEvent* event) {
    const QPoint angle = event->angleDelta();
    // A horizontal wheel (or a platform that turns Shift+wheel into one)
    // reports its turn in x.
    const int delta = angle.y() != 0 ? angle.y() : angle.x();
    if (delta == 0) return;
    if (event->modifiers() & Qt::ControlModifier) {
        SetEditorScale(m_app.eeScale + (delta > 0 ? 0.2f : -0.2f));
    } else if ((event->modifiers() & Qt::ShiftModifier) || angle.y() == 0) {
        ScrollHorz(-delta, true);
    } else {
        ScrollVert(-delta, true);
    }
    event->accept();
}

// ---- the rest of the window

void CKwEESheet::CloseIfEmbedded() {
    if (m_host->IsEmbedded()) m_host->CloseMainWindow();
}

void CKwEESheet::RunCapture() {
    // 1. The main window out of the way; a window manager may refuse to
    //    minimise it, so the wait is bounded.
    m_host->MinimiseMainWindow();
    for (int i = 0; i < kIconicPolls && !m_host->IsMainWindowIconic(); ++i) m_backend->sleep(100);
    m_backend->sleep(200);
    // 2. The capture is pending, for the main program.
    RegKey key;
    OpenRegKey(kCaptureRegKey, key);
    WriteRegDword(key, kCaptureStateValue, CaptureStatePending);
    WriteRegDword(key, kCaptureCallerValue, CaptureCallerMain);
    m_backend->sleep(50);
    // 3. The capture program.
    m_host->StartProgram(programFolder() + QStringLiteral("Pirnel"), {QStringLiteral("Toliva")});
    m_backend->sleep(50);
    // 4. Its outcome, while its capture window exists.
    auto readState = [&key] {
        int state = CaptureStateTaken;
        // A value that is not a 4-byte number counts as taken.
        ReadRegDword(key, kCaptureStateValue, state, CaptureStateTaken);
        return state;
    };
    int state = readState();
    for (int polls = 0; state == CaptureStatePending; ++polls) {
        if (polls >= kCapturePolls) break;
        m_backend->sleep(100);
        state = readState();
        if (!IsCaptureWindowOpen(captureLockPath.isEmpty() ? CaptureLockPath() : captureLockPath)) break;
    }
    // 5. Done: the window back.
    WriteRegDword(key, kCaptureCallerValue, CaptureCallerNone);
    m_host->RestoreMainWindow();
    // 6. A taken image becomes a formula.
    if (state == CaptureStateTaken) RecognizeClipboardImage();
    CloseRegKey(key);
}

}  // namespace toliva
