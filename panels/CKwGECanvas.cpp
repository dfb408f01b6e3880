#include "panels/CKwGECanvas.h"

#include "model/EqDraw.h"
#include "model/EqElement.h"
#include "model/EqModel.h"
#include "model/EqTypes.h"
#include "model/RenderContext.h"
#include "panels/UserSymEditModel.h"
#include "platform/gdiplus/Graphics.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QWheelEvent>

namespace toliva {

namespace {

bool IsCharacterType(int32_t type) {
    return (type >= EqTypeCharUpright && type <= EqTypeCharText) || type == EqTypeCharSans ||
           type == EqTypeCharMono;
}

QColor Argb(uint32_t argb) { return QColor::fromRgba(argb); }

}  // namespace

CKwGECanvas::CKwGECanvas(UserSymEditModel& model, const QString& programFolder, QWidget* parent)
    : QWidget(parent), m_model(model) {
    setProperty("ctrlId", 2104);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // A missing picture leaves a plain brush.
    const QPixmap picture(programFolder + QStringLiteral("Pics/bgd.bmp"));
    m_background = picture.isNull() ? QBrush(QColor(255, 255, 255)) : QBrush(picture);
}

CKwGECanvas::~CKwGECanvas() { FreeCachedBitmap(m_buffer); }

QImage CKwGECanvas::picture() const { return m_buffer.bitmap ? *m_buffer.bitmap : QImage(); }

void CKwGECanvas::RenderCanvas() {
    QImage* image = GetCachedCompatibleBitmap(m_buffer, m_client.width(), m_client.height());
    if (!image) return;
    QPainter painter(image);
    painter.fillRect(m_client, m_background);
    painter.setPen(QColor(0xC8, 0xC8, 0xC8));
    painter.drawRect(m_client.adjusted(0, 0, -1, -1));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    EqModel* eq = m_model.preview();
    if (!eq || eq->lines.empty() || !eq->lines[0] || !renderContext) return;
    const RenderContext& context = renderContext();
    if (!m_model.Layout(m_client, context)) return;
    EqElement* head = eq->lines[0];
    // The tints go under the equation.
    for (EqElement* e = head; e; e = e->next) {
        if (IsCharacterType(e->type))
            painter.fillRect(QRectF(e->rect.x, e->rect.y, e->rect.width, e->rect.height), Argb(0x1E6464C8));
    }
    const QRectF box = m_model.symbolBox();
    const EqElement* symbol = m_model.symbolElement();
    if (symbol && !box.isEmpty()) {
        const double ascent = double(symbol->ascent);
        painter.fillRect(QRectF(box.x(), box.y(), box.width(), ascent), Argb(0x1EC86464));
        painter.fillRect(QRectF(box.x(), box.y() + ascent, box.width(), double(symbol->descent)),
                         Argb(0x1E64C864));
    }
    {
        gp::PainterGraphics graphics(&painter);
        graphics.SetSmoothingMode(gp::SmoothingModeAntiAlias);
        graphics.SetTextRenderingHint(gp::TextRenderingHintAntiAliasGridFit);
        const RenderScope pass(eq, context);
        DrawChain(head, graphics, m_model.lineX(), m_model.baselineY(), float(m_model.zoom()), false);
    }
    if (symbol && !box.isEmpty()) {
        painter.setRenderHint(QPainter::Antialiasing, false);
        QPen pen(QColor(255, 0, 0), 1, Qt::DotLine);
        painter.setPen(pen);
        const double x = box.x(), y = box.y(), w = box.width(), h = box.height();
        painter.drawLine(QPointF(m_client.left(), y + 1), QPointF(m_client.right(), y + 1));
        painter.drawLine(QPointF(m_client.left(), y + h), QPointF(m_client.right(), y + h));
        painter.drawLine(QPointF(x, m_client.top()), QPointF(x, m_client.bottom()));
        painter.drawLine(QPointF(x + w, m_client.top()), QPointF(x + w, m_client.bottom()));
        const double mid = m_client.top() + m_client.height() / 2.0;
        painter.drawLine(QPointF(x, mid), QPointF(x + w, mid));
    }
}

void CKwGECanvas::changed() {
    RenderCanvas();
    update();
}

bool CKwGECanvas::HandleKey(int key, bool ctrl) {
    if (!m_model.Key(key, ctrl)) return false;
    changed();
    return true;
}

void CKwGECanvas::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (m_buffer.bitmap) painter.drawImage(QPoint(0, 0), *m_buffer.bitmap);
}

void CKwGECanvas::resizeEvent(QResizeEvent*) {
    m_client = QRect(0, 0, std::max(width(), 1), std::max(height(), 1));
    RenderCanvas();
}

void CKwGECanvas::updateCursor(QPoint point) {
    const auto& bands = m_model.guideBands();
    if (bands[0].contains(point) || bands[2].contains(point)) setCursor(Qt::SizeHorCursor);
    else if (bands[1].contains(point) || bands[3].contains(point)) setCursor(Qt::SizeVerCursor);
    else setCursor(Qt::PointingHandCursor);
}

void CKwGECanvas::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    setFocus();
    m_model.MouseDown(event->position().toPoint());
}

void CKwGECanvas::mouseMoveEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if ((event->buttons() & Qt::LeftButton) && m_model.MouseMove(point)) changed();
    if (!m_model.dragging()) updateCursor(point);
}

void CKwGECanvas::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) m_model.MouseUp();
}

void CKwGECanvas::wheelEvent(QWheelEvent* event) {
    event->accept();
    if (event->buttons() & Qt::LeftButton) return;
    if (m_model.Wheel(event->angleDelta().y(), event->modifiers() & Qt::ControlModifier)) changed();
}

void CKwGECanvas::keyPressEvent(QKeyEvent* event) {
    if (HandleKey(event->key(), event->modifiers() & Qt::ControlModifier)) return;
    QWidget::keyPressEvent(event);
}

}  // namespace toliva
