#include "Graphics.h"

#include "platform/gdiplus/GraphicsPath.h"

#include <QPainter>
#include <QPen>

#include <cmath>
#include <cstdio>
#include <new>

namespace toliva::gp {

Status Graphics::FillPath(ARGB colour, const GraphicsPath& path) {
    try {
        return report(doFillPath(colour, path));
    } catch (const std::bad_alloc&) {
        return report(OutOfMemory);
    } catch (...) {
        return report(GenericError);
    }
}

Status Graphics::DrawPath(const Pen& pen, const GraphicsPath& path) {
    if (!std::isfinite(pen.width) || pen.width < 0) return report(InvalidParameter);
    try {
        return report(doDrawPath(pen, path));
    } catch (const std::bad_alloc&) {
        return report(OutOfMemory);
    } catch (...) {
        return report(GenericError);
    }
}

Status Graphics::SetTransform(const Matrix& matrix) {
    const Matrix& m = matrix;
    for (float v : {m.m11(), m.m12(), m.m21(), m.m22(), m.dx(), m.dy()})
        if (!std::isfinite(v)) return report(InvalidParameter);
    try {
        const Status s = doSetTransform(matrix);
        if (s == Ok) m_transform = matrix;
        return report(s);
    } catch (...) {
        return report(GenericError);
    }
}

// ---- PainterGraphics

PainterGraphics::PainterGraphics(QPainter* painter) : m_painter(painter) {
    if (!usable()) return;
    m_base = painter->worldTransform();
    painter->setRenderHint(QPainter::Antialiasing, true);
}

bool PainterGraphics::usable() const { return m_painter && m_painter->isActive(); }

Status PainterGraphics::doFillPath(ARGB colour, const GraphicsPath& path) {
    if (!usable()) return WrongState;
    if (path.GetPointCount() == 0) return Ok;
    m_painter->fillPath(path.toQPainterPath(), QBrush(QColor::fromRgba(colour)));
    return Ok;
}

Status PainterGraphics::doDrawPath(const Pen& pen, const GraphicsPath& path) {
    if (!usable()) return WrongState;
    if (path.GetPointCount() == 0) return Ok;
    QPen qpen(QBrush(QColor::fromRgba(pen.colour)), pen.width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    qpen.setMiterLimit(10);
    // Device width of the pen: its width times the transform's mean scale.
    const QTransform t = m_painter->combinedTransform();
    const double deviceScale = std::sqrt(std::abs(t.determinant()));
    if (!(pen.width * deviceScale >= 1.0)) {
        qpen.setWidthF(1.0);
        qpen.setCosmetic(true);
    }
    m_painter->strokePath(path.toQPainterPath(), qpen);
    return Ok;
}

Status PainterGraphics::doSetTransform(const Matrix& matrix) {
    if (!usable()) return WrongState;
    m_painter->setWorldTransform(matrix.toQTransform() * m_base);
    return Ok;
}

// ---- RecordingGraphics

namespace {

std::string number(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}

std::string colourText(ARGB c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "#%08X", unsigned(c));
    return buf;
}

}  // namespace

Status RecordingGraphics::doFillPath(ARGB colour, const GraphicsPath& path) {
    log.push_back("fill " + colourText(colour) + " path n=" + std::to_string(path.GetPointCount()));
    return Ok;
}

Status RecordingGraphics::doDrawPath(const Pen& pen, const GraphicsPath& path) {
    log.push_back("stroke " + colourText(pen.colour) + " w=" + number(pen.width) +
                  " path n=" + std::to_string(path.GetPointCount()));
    return Ok;
}

Status RecordingGraphics::doSetTransform(const Matrix& m) {
    log.push_back("transform " + number(m.m11()) + ' ' + number(m.m12()) + ' ' + number(m.m21()) + ' ' +
                  number(m.m22()) + ' ' + number(m.dx()) + ' ' + number(m.dy()));
    return Ok;
}

}  // namespace toliva::gp
