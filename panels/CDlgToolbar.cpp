#include "panels/CDlgToolbar.h"

#include "uikit/CKwMenu.h"
#include "uikit/WindowMessages.h"

#include <QCursor>
#include <QFontMetrics>
#include <QHideEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimerEvent>

#include <pugixml.hpp>

#include <algorithm>
#include <cmath>

namespace toliva {

namespace {

// The hot-key hint some titles end with; the overflow menu leaves it out.
const QString kHotkeyHints[] = {QStringLiteral("\tRight click to set hotkey."),
                                QStringLiteral("\t右键点击可设置快捷键")};

QColor fromColorRef(uint32_t c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }

QString picturePath(const QString& folder, const QString& icon) {
    QString relative = icon;
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return folder + QStringLiteral("icons/") + relative + QStringLiteral(".apx");
}

std::unique_ptr<CKwEMF> loadPicture(const QString& path) {
    auto picture = std::make_unique<CKwEMF>();
    if (!picture->LoadFile(path)) return nullptr;
    return picture;
}

// The mouse message's lParam: the point in the bar, x low and y high.
intptr_t pointParam(QPoint p) { return intptr_t((uint32_t(uint16_t(p.y())) << 16) | uint16_t(p.x())); }

}  // namespace

CDlgToolbar::CDlgToolbar(QObject* owner, const PanelContext& context, QWidget* parent)
    : QWidget(parent), m_owner(owner), m_context(context) {
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_overflowButton.type = 2;
    m_overflowButton.size = 1.0f;
    m_overflowButton.icon = QStringLiteral("tb\\more_but");
    m_overflowButton.picture = loadPicture(picturePath(m_context.programFolder, m_overflowButton.icon));
}

CDlgToolbar::~CDlgToolbar() { releaseCapture(); }

bool CDlgToolbar::LoadButtons(const QString& name) {
    pugi::xml_document doc;
    const QString path = m_context.programFolder + QStringLiteral("icons/") + name + QStringLiteral(".xml");
    if (!doc.load_file(path.toUtf8().constData())) return false;
    const QByteArray language = m_context.languageCode.toUtf8();
    for (pugi::xml_node e : doc.children()) {
        if (e.type() != pugi::node_element) continue;
        auto b = std::make_unique<ToolbarButton>();
        b->command = e.attribute("cmd").as_int(0);
        b->type = e.attribute("type").as_int(1);
        const float size = e.attribute("size").as_float(1.0f);
        // A size no layout can use counts as the usual one.
        b->size = std::isfinite(size) && size >= 0.0f && size <= 100.0f ? size : 1.0f;
        b->title = QString::fromUtf8(e.child("tit").attribute(language.constData()).value());
        b->tip = QString::fromUtf8(e.child("tip").attribute(language.constData()).value());
        b->icon = QString::fromUtf8(e.attribute("icon").value());
        if (!b->icon.isEmpty()) {
            b->picture = loadPicture(picturePath(m_context.programFolder, b->icon));
            b->greyPicture = loadPicture(picturePath(m_context.programFolder, b->icon + QStringLiteral("_gray")));
        }
        m_buttons.push_back(std::move(b));
    }
    m_pHot = m_pPressed = nullptr;
    RecalcLayout();
    return true;
}

void CDlgToolbar::SetButtonState(int position, int state, bool redraw) {
    if (position < 0 || size_t(position) >= m_buttons.size()) return;
    ToolbarButton& b = *m_buttons[size_t(position)];
    if (b.state == state) return;
    b.state = state;
    m_bChanged = true;
    if (redraw) update();
}

int CDlgToolbar::buttonState(int position) const {
    if (position < 0 || size_t(position) >= m_buttons.size()) return 0;
    return m_buttons[size_t(position)]->state;
}

int CDlgToolbar::positionOf(const ToolbarButton* button) const {
    for (size_t i = 0; i < m_buttons.size(); ++i)
        if (m_buttons[i].get() == button) return int(i);
    return -1;
}

// ---- layout

void CDlgToolbar::RecalcLayout() {
    if (m_buttons.empty()) return;
    m_client = rect();
    m_canvas = QImage();
    for (auto& b : m_buttons) {
        b->rect = QRect();
        b->overflow = false;
    }
    m_bOverflowActive = false;
    m_overflowButton.rect = QRect();
    const int cw = m_client.width(), ch = m_client.height();
    if (m_nGridCols > 0 && m_nGridRows > 0) {
        // Equal cells, row by row; buttons beyond the grid get no place.
        const double cellW = double(cw) / m_nGridCols, cellH = double(ch) / m_nGridRows;
        for (size_t i = 0; i < m_buttons.size() && i < size_t(m_nGridCols) * size_t(m_nGridRows); ++i) {
            const int c = int(i % size_t(m_nGridCols)), r = int(i / size_t(m_nGridCols));
            const int l = int(c * cellW), t = int(r * cellH), rr = int((c + 1) * cellW), bb = int((r + 1) * cellH);
            m_buttons[i]->rect = QRect(l, t, rr - l, bb - t);
        }
    } else if (m_nGridCols > 0) {
        // One row, widths by size.
        double total = 0;
        for (const auto& b : m_buttons) total += b->size;
        double x = 0;
        for (auto& b : m_buttons) {
            const double next = total > 0 ? x + double(cw) * b->size / total : x;
            b->rect = QRect(int(x), 0, int(next) - int(x), ch);
            x = next;
        }
    } else {
        layoutFlow(m_client);
    }
    const int caption = int((ch - m_context.dpiScale * 8) / 2.6f + 1);
    if (caption != m_nCaptionSize) m_nCaptionSize = caption;
    update();
}

void CDlgToolbar::layoutFlow(const QRect& client) {
    const int m = std::max(1, int(m_context.dpiScale));
    const int p = 4 * m;
    const int s = m * m_nSpacing;
    const int cw = client.width(), ch = client.height();
    switch (m_nLayoutMode) {
    case 2: {
        // A stack: every button as wide as the bar less the insets, its
        // height its size times that width.
        const int w = std::max(0, cw - 2 * p);
        double y = int(s + 1);
        for (auto& b : m_buttons) {
            const int h = int(b->size * w);
            b->rect = QRect(p, int(y), w, h);
            y += h + (b->type == 3 ? 0 : s);
        }
        return;
    }
    case 3: {
        // The buttons before the first separator from the left, the rest
        // from the right end; the separator itself splits the bar.
        const int h = std::max(0, ch - 2 * p);
        size_t split = m_buttons.size();
        for (size_t i = 0; i < m_buttons.size(); ++i)
            if (m_buttons[i]->isSeparator()) {
                split = i;
                break;
            }
        int x = int(s + 1);
        for (size_t i = 0; i < split; ++i) {
            const int w = int(m_buttons[i]->size * h);
            m_buttons[i]->rect = QRect(x, p, w, h);
            x += w + (m_buttons[i]->type == 3 ? 0 : s);
        }
        int right = cw - int(s + 1);
        for (size_t i = m_buttons.size(); i-- > split + 1;) {
            const int w = int(m_buttons[i]->size * h);
            m_buttons[i]->rect = QRect(right - w, p, w, h);
            right -= w + (m_buttons[i]->type == 3 ? 0 : s);
        }
        return;
    }
    case 4:
        // The first button takes the whole bar.
        m_buttons.front()->rect = QRect(QPoint(2 * s, 1), QPoint(cw - s - 1, ch - 2 - 1));
        return;
    default: break;
    }
    // One row, centred vertically; from the fifth button on, a button whose
    // right edge plus the bar's height passes the right edge less 8 moves
    // into the overflow menu with every later one.
    const int h = std::max(0, ch - 2 * p);
    int x = int(s + 1);
    int end = x;
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        ToolbarButton& b = *m_buttons[i];
        const int w = int(b.size * h);
        if (i >= 4 && (m_bOverflowActive || x + w + ch > cw - 8)) {
            b.overflow = true;
            m_bOverflowActive = true;
            continue;
        }
        b.rect = QRect(x, p, w, h);
        end = x + w;
        x += w + (b.type == 3 ? 0 : s);
    }
    if (m_bOverflowActive) m_overflowButton.rect = QRect(QPoint(cw - p - h, p), QPoint(cw - p - 1, ch - p - 1));
    if (m_nLayoutMode == 1) {
        const int free = (m_bOverflowActive ? m_overflowButton.rect.left() : cw) - end;
        const int shift = std::max(free / 2, p);
        for (auto& b : m_buttons)
            if (!b->overflow) b->rect.translate(shift, 0);
    }
}

// ---- hit test and mouse

ToolbarButton* CDlgToolbar::HitTest(QPoint point) {
    if (!m_client.contains(point)) return nullptr;
    if (m_bOverflowActive && m_overflowButton.rect.contains(point) && m_overflowButton.state > 0)
        return &m_overflowButton;
    for (auto& b : m_buttons) {
        if (b->overflow) break;
        if (b->type > 1 && b->rect.contains(point) && b->state > 0) return b.get();
    }
    return nullptr;
}

void CDlgToolbar::post(intptr_t wParam, intptr_t lParam) { PostWindowMessage(m_owner, WM_TOOLBAR_COMMAND, wParam, lParam); }

void CDlgToolbar::capture() {
    if (m_bNoCapture || m_bCaptured || !isVisible()) return;
    grabMouse();
    m_bCaptured = true;
}

void CDlgToolbar::releaseCapture() {
    if (!m_bCaptured) return;
    releaseMouse();
    m_bCaptured = false;
}

void CDlgToolbar::setTip(const QString& tip) {
    m_tipText = tip;
    m_tipText.replace(QLatin1Char('\t'), QStringLiteral("     "));
    setToolTip(m_tipText);
}

void CDlgToolbar::updateCursor() {
    if (m_pHot)
        setCursor(Qt::PointingHandCursor);
    else if (m_bDragHandle)
        setCursor(Qt::SizeVerCursor);
    else
        unsetCursor();
}

void CDlgToolbar::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        capture();
        ToolbarButton* hit = HitTest(p);
        m_pPressed = hit;
        update();
        if (!hit && m_bDragHandle && !m_bDragging) {
            post(kDragBegin, pointParam(p));
            m_bDragging = true;
        }
        return;
    }
    if (event->button() == Qt::RightButton && m_bRightClickHotkey && !(event->modifiers() & Qt::ControlModifier)) {
        ToolbarButton* hit = HitTest(p);
        if (hit && hit != &m_overflowButton) {
            post(-1, hit->command);
            return;
        }
    }
    QWidget::mousePressEvent(event);
}

void CDlgToolbar::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    ToolbarButton* hit = HitTest(p);
    if (m_bDragging && !hit) {
        post(kDragMove, pointParam(p));
        return;
    }
    if (!(event->buttons() & Qt::LeftButton) && hit != m_pHot) {
        m_pHot = hit;
        if (hit) {
            capture();
            m_nAnimationStep = 0;
            m_animationTimer.start(kAnimationInterval, this);
            setTip(hit->tip);
        } else {
            m_animationTimer.stop();
            releaseCapture();
            setTip(QString());
        }
        update();
    }
    updateCursor();
}

void CDlgToolbar::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const QPoint p = event->position().toPoint();
    releaseCapture();
    if (m_bDragging) {
        post(kDragEnd, pointParam(p));
        m_bDragging = false;
        return;
    }
    if (!m_pPressed) return;
    ToolbarButton* pressed = m_pPressed;
    m_pPressed = m_pHot = nullptr;
    m_animationTimer.stop();
    update();
    if (HitTest(p) != pressed) return;
    if (pressed == &m_overflowButton)
        openOverflowMenu(mapToGlobal(p));
    else
        post(pressed->command, pressed->command);
}

void CDlgToolbar::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    if (!m_pHot) return;
    m_pHot = nullptr;
    m_animationTimer.stop();
    releaseCapture();
    setTip(QString());
    updateCursor();
    update();
}

void CDlgToolbar::hideEvent(QHideEvent* event) {
    releaseCapture();
    QWidget::hideEvent(event);
}

void CDlgToolbar::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_animationTimer.timerId())
        OnAnimationTimer();
    else
        QWidget::timerEvent(event);
}

void CDlgToolbar::OnAnimationTimer() {
    ++m_nAnimationStep;
    if (m_nAnimationStep > kAnimationLastStep) {
        // The shade stays at its last step while the pointer stays.
        m_nAnimationStep = kAnimationLastStep;
        m_animationTimer.stop();
    }
    if (m_pHot) update(m_pHot->rect);
}

// ---- overflow menu

void CDlgToolbar::BuildOverflowMenu(CKwMenu& menu) const {
    bool entries = false, separator = false;
    for (const auto& b : m_buttons) {
        if (!b->overflow) continue;
        if (!b->isMenuEntry()) {
            separator = entries;  // never before the first entry
            continue;
        }
        if (separator) menu.AppendItem(MF_SEPARATOR, 0, QString());
        separator = false;
        QString text = b->title;
        for (const QString& hint : kHotkeyHints)
            if (text.endsWith(hint)) text.chop(hint.size());
        const bool disabled = b->state <= 0;
        menu.AppendItem(MF_STRING | (disabled ? MF_GRAYED : 0u), unsigned(b->command), text,
                        disabled ? b->icon + QStringLiteral("_gray") : b->icon);
        entries = true;
    }
}

void CDlgToolbar::openOverflowMenu(QPoint screenPos) {
    CKwMenu menu(this);
    BuildOverflowMenu(menu);
    const unsigned chosen = trackMenu ? trackMenu(menu, screenPos) : menu.TrackPopupMenu(screenPos);
    if (chosen == 0) return;
    for (const auto& b : m_buttons)
        if (b->overflow && b->isMenuEntry() && b->state > 0 && unsigned(b->command) == chosen) {
            post(b->command, b->command);
            return;
        }
}

// ---- painting

QImage CDlgToolbar::renderImage() {
    std::lock_guard<std::mutex> guard(m_lock);
    renderInto(m_canvas);
    return m_canvas;
}

void CDlgToolbar::paintEvent(QPaintEvent*) {
    std::lock_guard<std::mutex> guard(m_lock);
    renderInto(m_canvas);
    QPainter painter(this);
    painter.drawImage(0, 0, m_canvas);
}

void CDlgToolbar::renderInto(QImage& image) {
    const QSize canvas = size().expandedTo(QSize(1, 1));
    if (image.size() != canvas) image = QImage(canvas, QImage::Format_RGB32);
    image.fill(fromColorRef(kBackground));
    QPainter painter(&image);
    for (auto& b : m_buttons)
        if (!b->overflow && !b->rect.isEmpty()) drawButton(painter, *b);
    if (m_bOverflowActive) drawButton(painter, m_overflowButton);
}

void CDlgToolbar::drawButton(QPainter& painter, ToolbarButton& b) {
    const QRect r = b.rect;
    if (b.isSeparator()) {
        // A thin upright line in the middle of a separator's place.
        if (r.width() >= 1 && r.height() > 8 && m_nLayoutMode != 2 && m_nGridCols <= 0) {
            painter.setPen(QColor(0xD0, 0xD0, 0xD0));
            const int x = r.left() + r.width() / 2;
            painter.drawLine(x, r.top() + r.height() / 6, x, r.bottom() - r.height() / 6);
        }
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (&b == m_pPressed) {
        painter.fillRect(r, QColor::fromRgba(kAccent));
    } else if (&b == m_pHot) {
        const uint32_t shade = uint32_t(std::max(0, int(kBackground) - m_nAnimationStep * kHoverStep));
        painter.fillRect(r, fromColorRef(shade));
    } else if (b.state > 1 && m_nLayoutMode != 3 && m_nLayoutMode != 4) {
        painter.fillRect(r, QColor(0xCC, 0xE4, 0xF7));
    }
    if (b.state > 1 && m_nLayoutMode == 3) {
        // A small triangle in the lower right corner and a line under the button.
        const QColor mark = QColor::fromRgba(0xFFBCA8A8);
        const int t = std::max(3, r.height() / 5);
        QPainterPath triangle;
        triangle.moveTo(r.right() + 1, r.bottom() + 1 - t);
        triangle.lineTo(r.right() + 1, r.bottom() + 1);
        triangle.lineTo(r.right() + 1 - t, r.bottom() + 1);
        triangle.closeSubpath();
        painter.fillPath(triangle, mark);
        painter.setPen(QPen(mark, 1));
        painter.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    } else if (b.state > 1 && m_nLayoutMode == 4) {
        // A tab: rounded upper corners.
        const qreal radius = 0.12 * r.height();
        QPainterPath tab;
        const QRectF f(r);
        tab.moveTo(f.left(), f.bottom());
        tab.lineTo(f.left(), f.top() + radius);
        tab.quadTo(f.left(), f.top(), f.left() + radius, f.top());
        tab.lineTo(f.right() - radius, f.top());
        tab.quadTo(f.right(), f.top(), f.right(), f.top() + radius);
        tab.lineTo(f.right(), f.bottom());
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.fillPath(tab, QColor::fromRgba(0x80F0A020));
        painter.setPen(QPen(QColor(221, 221, 221), 1));
        painter.drawPath(tab);
        painter.setRenderHint(QPainter::Antialiasing, false);
    }
    CKwEMF* picture = b.state > 0 ? b.picture.get() : b.greyPicture.get();
    // The picture in a square at the button's left (the whole button when
    // narrower), the title in the rest; without a picture the title fills it.
    const int side = std::min(r.width(), r.height());
    QRect pictureBox(r.left(), r.top() + (r.height() - side) / 2, side, side);
    if (r.width() <= r.height()) pictureBox.moveLeft(r.left() + (r.width() - side) / 2);
    // A grid cell shows its picture alone (its title is the tip's), and a
    // title beside a picture needs room for a couple of letters.
    QRect titleBox = picture ? QRect(pictureBox.right() + 1, r.top(), r.right() - pictureBox.right(), r.height()) : r;
    const bool titleShown = !b.title.isEmpty() && m_nLayoutMode != 2 && m_nCaptionSize > 0 &&
                            (!picture || (m_nGridCols <= 0 && titleBox.width() >= 2 * m_nCaptionSize));
    if (titleShown) {
        QFont font(QStringLiteral("Segoe UI"));
        font.setPixelSize(std::max(1, m_nCaptionSize));
        painter.setFont(font);
        painter.setPen(b.state > 0 ? QColor(0x20, 0x20, 0x20) : QColor(0x90, 0x90, 0x90));
        const QString text = QFontMetrics(font).elidedText(b.title.section(QLatin1Char('\t'), 0, 0), Qt::ElideRight,
                                                           titleBox.width() - 2);
        painter.drawText(titleBox, Qt::AlignCenter, text);
    }
    if (picture && side > 4) {
        const int inset = std::max(2, side / 8);
        const QRect target = pictureBox.adjusted(inset, inset, -inset, -inset);
        std::unique_lock<std::recursive_mutex> lock;
        if (m_context.drawingLock) lock = std::unique_lock<std::recursive_mutex>(*m_context.drawingLock);
        picture->DrawToDC(&painter, target);
    }
}

void CDlgToolbar::resizeEvent(QResizeEvent*) { RecalcLayout(); }

}  // namespace toliva
