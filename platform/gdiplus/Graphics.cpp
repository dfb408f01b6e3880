#include "Graphics.h"

#include "platform/gdiplus/GraphicsPath.h"

#include <QPaintDevice>
#include <QPainter>
#include <QPainterPathStroker>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>

namespace toliva::gp {

namespace {

bool finite(float v) { return std::isfinite(v); }
bool finite(PointF p) { return std::isfinite(p.x) && std::isfinite(p.y); }
bool finite(const RectF& r) { return finite(r.x) && finite(r.y) && finite(r.width) && finite(r.height); }

bool finiteMatrix(const Matrix& m) {
    for (float v : {m.m11(), m.m12(), m.m21(), m.m22(), m.dx(), m.dy()})
        if (!finite(v)) return false;
    return true;
}

bool validPen(const Pen& pen) {
    if (!finite(pen.width) || pen.width < 0 || !finite(pen.dashOffset)) return false;
    for (float d : pen.effectiveDashes())
        if (!finite(d) || d <= 0) return false;
    return pen.dashStyle != DashStyleCustom || !pen.dashPattern.empty();
}

bool pointsValid(const PointF* points, int count, int minimum) {
    if (!points || count < minimum) return false;
    for (int i = 0; i < count; ++i)
        if (!finite(points[i])) return false;
    return true;
}

}  // namespace

// ---- Graphics

template <class F>
Status Graphics::guarded(F&& call) {
    try {
        return report(call());
    } catch (const std::bad_alloc&) {
        return report(OutOfMemory);
    } catch (...) {
        return report(GenericError);
    }
}

Status Graphics::report(Status s) {
    if (s != Ok) m_lastFailure = s;
    return m_lastStatus = s;
}

Status Graphics::GetLastStatus() {
    const Status s = m_lastFailure;
    m_lastFailure = Ok;
    return s;
}

Status Graphics::GetTransform(Matrix* matrix) const {
    if (!matrix) return InvalidParameter;
    *matrix = m_transform;
    return Ok;
}

Status Graphics::SetTransform(const Matrix& matrix) {
    if (!finiteMatrix(matrix)) return report(InvalidParameter);
    return guarded([&] {
        const Status s = doSetTransform(matrix);
        if (s == Ok) m_transform = matrix;
        return s;
    });
}

Status Graphics::MultiplyTransform(const Matrix& matrix, MatrixOrder order) {
    Matrix m = m_transform;
    m.Multiply(matrix, order);
    return SetTransform(m);
}

Status Graphics::TranslateTransform(float dx, float dy, MatrixOrder order) {
    Matrix m = m_transform;
    m.Translate(dx, dy, order);
    return SetTransform(m);
}

Status Graphics::RotateTransform(float angleDegrees, MatrixOrder order) {
    if (!finite(angleDegrees)) return report(InvalidParameter);
    Matrix m = m_transform;
    m.Rotate(angleDegrees, order);
    return SetTransform(m);
}

Status Graphics::ScaleTransform(float sx, float sy, MatrixOrder order) {
    Matrix m = m_transform;
    m.Scale(sx, sy, order);
    return SetTransform(m);
}

GraphicsState Graphics::Save() {
    const GraphicsState token = m_nextToken++;
    try {
        m_saved.push_back({token, m_transform, m_smoothing, m_compositing, m_textHint});
        noteSave(token);
        report(Ok);
    } catch (...) {
        report(OutOfMemory);
    }
    return token;
}

Status Graphics::Restore(GraphicsState state) {
    size_t i = m_saved.size();
    while (i > 0 && m_saved[i - 1].token != state) --i;
    if (i == 0) return report(InvalidParameter);
    const Saved saved = m_saved[i - 1];
    m_saved.resize(i - 1);
    m_smoothing = saved.smoothing;
    m_compositing = saved.compositing;
    m_textHint = saved.textHint;
    return guarded([&] {
        noteRestore(state);
        stateChanged(nullptr);
        const Status s = doSetTransform(saved.transform);
        if (s == Ok) m_transform = saved.transform;
        return s;
    });
}

Status Graphics::SetSmoothingMode(SmoothingMode mode) {
    if (mode < SmoothingModeDefault || mode > SmoothingModeAntiAlias) return report(InvalidParameter);
    m_smoothing = mode;
    return guarded([&] {
        stateChanged("smoothing");
        return Ok;
    });
}

Status Graphics::SetCompositingMode(CompositingMode mode) {
    if (mode != CompositingModeSourceOver && mode != CompositingModeSourceCopy) return report(InvalidParameter);
    m_compositing = mode;
    return guarded([&] {
        stateChanged("compositing");
        return Ok;
    });
}

Status Graphics::SetTextRenderingHint(TextRenderingHint hint) {
    if (hint < TextRenderingHintSystemDefault || hint > TextRenderingHintClearTypeGridFit)
        return report(InvalidParameter);
    m_textHint = hint;
    return guarded([&] {
        stateChanged("text");
        return Ok;
    });
}

Status Graphics::stroke(const Pen& pen, const GraphicsPath& path, const char* shape) {
    if (!validPen(pen)) return report(InvalidParameter);
    for (const PointF& p : path.points())
        if (!finite(p)) return report(InvalidParameter);
    if (path.GetPointCount() == 0) return report(Ok);
    return guarded([&] { return doStroke(pen, path, shape); });
}

Status Graphics::fill(const Brush& brush, const GraphicsPath& path, const char* shape) {
    for (const PointF& p : path.points())
        if (!finite(p)) return report(InvalidParameter);
    if (path.GetPointCount() == 0) return report(Ok);
    return guarded([&] { return doFill(brush, path, shape); });
}

Status Graphics::DrawLine(const Pen& pen, float x1, float y1, float x2, float y2) {
    return guarded([&] {
        GraphicsPath p;
        p.AddLine(x1, y1, x2, y2);
        return stroke(pen, p, "line");
    });
}

Status Graphics::DrawLines(const Pen& pen, const PointF* points, int count) {
    if (!pointsValid(points, count, 2)) return report(InvalidParameter);
    return guarded([&] {
        GraphicsPath p;
        p.AddLines(points, count);
        return stroke(pen, p, "lines");
    });
}

Status Graphics::DrawBezier(const Pen& pen, PointF p1, PointF p2, PointF p3, PointF p4) {
    return guarded([&] {
        GraphicsPath p;
        p.AddBezier(p1, p2, p3, p4);
        return stroke(pen, p, "bezier");
    });
}

Status Graphics::DrawBeziers(const Pen& pen, const PointF* points, int count) {
    if (!pointsValid(points, count, 4) || (count - 1) % 3 != 0) return report(InvalidParameter);
    return guarded([&] {
        GraphicsPath p;
        p.AddBeziers(points, count);
        return stroke(pen, p, "beziers");
    });
}

Status Graphics::DrawArc(const Pen& pen, const RectF& box, float startAngle, float sweepAngle) {
    if (!finite(box) || !finite(startAngle) || !finite(sweepAngle)) return report(InvalidParameter);
    return guarded([&] {
        GraphicsPath p;
        p.AddArc(box, startAngle, sweepAngle);
        return stroke(pen, p, "arc");
    });
}

Status Graphics::DrawEllipse(const Pen& pen, const RectF& box) {
    if (!finite(box)) return report(InvalidParameter);
    return guarded([&] {
        GraphicsPath p;
        p.AddEllipse(box);
        return stroke(pen, p, "ellipse");
    });
}

Status Graphics::DrawRectangle(const Pen& pen, const RectF& rect) {
    if (!finite(rect)) return report(InvalidParameter);
    if (!(rect.width > 0 && rect.height > 0)) return report(Ok);
    return guarded([&] {
        GraphicsPath p;
        p.AddRectangle(rect);
        return stroke(pen, p, "rectangle");
    });
}

Status Graphics::DrawPolygon(const Pen& pen, const PointF* points, int count) {
    if (!pointsValid(points, count, 2)) return report(InvalidParameter);
    return guarded([&] {
        GraphicsPath p;
        p.AddPolygon(points, count);
        return stroke(pen, p, "polygon");
    });
}

Status Graphics::DrawPath(const Pen& pen, const GraphicsPath& path) { return stroke(pen, path, "path"); }

Status Graphics::FillEllipse(const Brush& brush, const RectF& box) {
    if (!finite(box)) return report(InvalidParameter);
    return guarded([&] {
        GraphicsPath p;
        p.AddEllipse(box);
        return fill(brush, p, "ellipse");
    });
}

Status Graphics::FillRectangle(const Brush& brush, const RectF& rect) { return FillRectangles(brush, &rect, 1); }

Status Graphics::FillRectangles(const Brush& brush, const RectF* rects, int count) {
    if (!rects || count < 1) return report(InvalidParameter);
    for (int i = 0; i < count; ++i)
        if (!finite(rects[i])) return report(InvalidParameter);
    return guarded([&] {
        GraphicsPath p(FillModeWinding);
        for (int i = 0; i < count; ++i)
            if (rects[i].width > 0 && rects[i].height > 0) p.AddRectangle(rects[i]);
        return fill(brush, p, count == 1 ? "rectangle" : "rectangles");
    });
}

Status Graphics::FillPolygon(const Brush& brush, const PointF* points, int count, FillMode mode) {
    if (!pointsValid(points, count, 2)) return report(InvalidParameter);
    return guarded([&] {
        GraphicsPath p(mode);
        p.AddPolygon(points, count);
        return fill(brush, p, "polygon");
    });
}

Status Graphics::FillPath(const Brush& brush, const GraphicsPath& path) { return fill(brush, path, "path"); }

Status Graphics::Clear(ARGB colour) {
    return guarded([&] { return doClear(colour); });
}

Status Graphics::DrawImage(const Bitmap& bitmap, float x, float y) {
    return DrawImage(bitmap, RectF{x, y, float(bitmap.GetWidth()), float(bitmap.GetHeight())});
}

Status Graphics::DrawImage(const Bitmap& bitmap, const RectF& dest) {
    return DrawImage(bitmap, dest, RectF{0, 0, float(bitmap.GetWidth()), float(bitmap.GetHeight())});
}

Status Graphics::DrawImage(const Bitmap& bitmap, const RectF& dest, const RectF& src) {
    if (bitmap.GetLastStatus() != Ok || bitmap.image().isNull() || !finite(dest) || !finite(src))
        return report(InvalidParameter);
    if (!(dest.width > 0 && dest.height > 0 && src.width > 0 && src.height > 0)) return report(Ok);
    return guarded([&] { return doDrawImage(bitmap, dest, src); });
}

// ---- PainterGraphics

namespace {

Qt::PenCapStyle qtCap(LineCap cap) {
    switch (cap) {
    case LineCapSquare:
        return Qt::SquareCap;
    case LineCapRound:
        return Qt::RoundCap;
    default:
        return Qt::FlatCap;
    }
}

Qt::PenJoinStyle qtJoin(LineJoin join) {
    switch (join) {
    case LineJoinBevel:
        return Qt::BevelJoin;
    case LineJoinRound:
        return Qt::RoundJoin;
    case LineJoinMiterClipped:
        return Qt::MiterJoin;  // Qt cuts its miter off at the limit
    default:
        return Qt::SvgMiterJoin;  // Qt bevels past the limit
    }
}

// The shape a cap adds at end, for a line arriving from `from`, half width h.
QPainterPath capShape(LineCap cap, QPointF from, QPointF end, qreal h) {
    QPainterPath shape;
    QPointF d = end - from;
    const qreal len = std::hypot(d.x(), d.y());
    if (len == 0) return shape;
    d /= len;
    const QPointF n(-d.y(), d.x());
    switch (cap) {
    case LineCapRound:
        shape.addEllipse(end, h, h);
        break;
    case LineCapSquare:
        shape.addPolygon(QPolygonF({end + n * h, end + n * h + d * h, end - n * h + d * h, end - n * h}));
        shape.closeSubpath();
        break;
    case LineCapTriangle:
        shape.addPolygon(QPolygonF({end + n * h, end + d * h, end - n * h}));
        shape.closeSubpath();
        break;
    default:
        break;
    }
    return shape;
}

// The caps of every open figure of the path.
QPainterPath figureCaps(const GraphicsPath& path, const Pen& pen) {
    QPainterPath caps;
    const auto& pts = path.points();
    const auto& types = path.types();
    const qreal h = pen.width / 2.0;
    size_t first = 0;
    while (first < pts.size()) {
        size_t last = first;
        while (last + 1 < pts.size() && (types[last] & PathPointTypeCloseSubpath) == 0 &&
               (types[last + 1] & PathPointTypePathTypeMask) != PathPointTypeStart)
            ++last;
        if ((types[last] & PathPointTypeCloseSubpath) == 0 && last > first) {
            // The tangent at each end: towards the nearest point that differs.
            size_t a = first + 1, b = last - 1;
            while (a < last && pts[a] == pts[first]) ++a;
            while (b > first && pts[b] == pts[last]) --b;
            auto q = [&](size_t i) { return QPointF(pts[i].x, pts[i].y); };
            caps.addPath(capShape(pen.startCap, q(a), q(first), h));
            caps.addPath(capShape(pen.endCap, q(b), q(last), h));
        }
        first = last + 1;
    }
    return caps;
}

}  // namespace

PainterGraphics::PainterGraphics(QPainter* painter) : m_painter(painter) {
    if (!usable()) return;
    m_base = painter->worldTransform();
    stateChanged(nullptr);
}

PainterGraphics::PainterGraphics(QPaintDevice* device) : m_owned(std::make_unique<QPainter>()) {
    m_painter = m_owned.get();
    if (device && device->width() > 0 && device->height() > 0 && m_owned->begin(device)) stateChanged(nullptr);
}

PainterGraphics::~PainterGraphics() {
    if (m_owned && m_owned->isActive()) m_owned->end();
}

bool PainterGraphics::usable() const { return m_painter && m_painter->isActive(); }

void PainterGraphics::stateChanged(const char*) {
    if (!usable()) return;
    m_painter->setRenderHint(QPainter::Antialiasing, antialiased());
    m_painter->setRenderHint(QPainter::SmoothPixmapTransform, antialiased());
    m_painter->setCompositionMode(GetCompositingMode() == CompositingModeSourceCopy ? QPainter::CompositionMode_Source
                                                                                    : QPainter::CompositionMode_SourceOver);
}

Status PainterGraphics::doStroke(const Pen& pen, const GraphicsPath& path, const char*) {
    if (!usable()) return WrongState;
    const std::vector<float> dashes = pen.effectiveDashes();
    QPen qpen(QBrush(QColor::fromRgba(pen.colour)), pen.width, Qt::SolidLine, Qt::FlatCap, qtJoin(pen.lineJoin));
    qpen.setMiterLimit(pen.miterLimit);
    // A pen thinner than one device pixel draws one pixel wide; the device
    // width is the pen's width times the transform's mean scale.
    const QTransform t = m_painter->combinedTransform();
    const double deviceScale = std::sqrt(std::abs(t.determinant()));
    const bool hairline = !(pen.width * deviceScale >= 1.0);
    if (hairline) {
        qpen.setWidthF(1.0);
        qpen.setCosmetic(true);
    }
    bool separateCaps = false;
    if (!dashes.empty()) {
        // Both count dashes in pen widths. Qt wants on/off pairs.
        QList<qreal> pattern(dashes.begin(), dashes.end());
        if (pattern.size() % 2) pattern += pattern;
        qpen.setDashPattern(pattern);
        qpen.setDashOffset(pen.dashOffset);
        qpen.setCapStyle(pen.dashCap == DashCapRound ? Qt::RoundCap : Qt::FlatCap);
    } else if (pen.startCap == pen.endCap && pen.startCap != LineCapTriangle) {
        qpen.setCapStyle(qtCap(pen.startCap));
    } else {
        separateCaps = !hairline;
    }
    const QPainterPath qpath = path.toQPainterPath();
    if (!separateCaps) {
        m_painter->strokePath(qpath, qpen);
        return Ok;
    }
    // Different caps at the two ends: the flat-capped outline and each cap, filled as one.
    QPainterPathStroker stroker(qpen);
    QPainterPath outline = stroker.createStroke(qpath).united(figureCaps(path, pen));
    m_painter->fillPath(outline, qpen.brush());
    return Ok;
}

Status PainterGraphics::doFill(const Brush& brush, const GraphicsPath& path, const char*) {
    if (!usable()) return WrongState;
    m_painter->fillPath(path.toQPainterPath(), brush.toQBrush(m_painter->worldTransform()));
    return Ok;
}

Status PainterGraphics::doSetTransform(const Matrix& matrix) {
    if (!usable()) return WrongState;
    m_painter->setWorldTransform(matrix.toQTransform() * m_base);
    return Ok;
}

Status PainterGraphics::doClear(ARGB colour) {
    if (!usable()) return WrongState;
    const QPaintDevice* device = m_painter->device();
    if (!device) return WrongState;
    m_painter->save();
    m_painter->resetTransform();
    m_painter->setCompositionMode(QPainter::CompositionMode_Source);
    m_painter->fillRect(QRect(0, 0, device->width(), device->height()), QColor::fromRgba(colour));
    m_painter->restore();
    return Ok;
}

Status PainterGraphics::doDrawImage(const Bitmap& bitmap, const RectF& dest, const RectF& src) {
    if (!usable()) return WrongState;
    m_painter->drawImage(QRectF(dest.x, dest.y, dest.width, dest.height), bitmap.image(),
                         QRectF(src.x, src.y, src.width, src.height));
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

// The pen's words beyond colour and width.
std::string penExtras(const Pen& pen) {
    std::string s;
    if (pen.dashStyle != DashStyleSolid) {
        s += " dash=" + std::to_string(int(pen.dashStyle));
        if (pen.dashStyle == DashStyleCustom) {
            char sep = ':';
            for (float d : pen.dashPattern) s += sep + number(d), sep = ',';
        }
        if (pen.dashOffset != 0) s += " dashoffset=" + number(pen.dashOffset);
        if (pen.dashCap != DashCapFlat) s += " dashcap=" + std::to_string(int(pen.dashCap));
    }
    if (pen.startCap != LineCapFlat || pen.endCap != LineCapFlat)
        s += " caps=" + std::to_string(int(pen.startCap)) + ',' + std::to_string(int(pen.endCap));
    if (pen.lineJoin != LineJoinMiter) s += " join=" + std::to_string(int(pen.lineJoin));
    if (pen.miterLimit != 10.0f) s += " miter=" + number(pen.miterLimit);
    return s;
}

}  // namespace

// ---- RecordingLog

RecordingLog::Note& RecordingLog::add(Note::Kind kind) {
    Note& note = m_notes.emplace_back();
    note.kind = kind;
    return note;
}

void RecordingLog::clear() {
    m_notes.clear();
    m_lines.clear();
}

const std::vector<std::string>& RecordingLog::lines() const {
    if (m_lines.size() > m_notes.size()) m_lines.clear();
    for (size_t i = m_lines.size(); i < m_notes.size(); ++i) {
        const Note& n = m_notes[i];
        const float* v = n.numbers;
        switch (n.kind) {
        case Note::Stroke:
            m_lines.push_back("stroke " + colourText(n.pen.colour) + " w=" + number(n.pen.width) + penExtras(n.pen) +
                              ' ' + n.word + " n=" + std::to_string(n.count));
            break;
        case Note::Fill:
            m_lines.push_back("fill " + (n.brush.empty() ? colourText(n.colour) : n.brush) + ' ' + n.word +
                              " n=" + std::to_string(n.count));
            break;
        case Note::Transform:
            m_lines.push_back("transform " + number(v[0]) + ' ' + number(v[1]) + ' ' + number(v[2]) + ' ' +
                              number(v[3]) + ' ' + number(v[4]) + ' ' + number(v[5]));
            break;
        case Note::Clear:
            m_lines.push_back("clear " + colourText(n.colour));
            break;
        case Note::Image:
            m_lines.push_back("image " + std::to_string(n.width) + 'x' + std::to_string(n.height) + " src " +
                              number(v[0]) + ' ' + number(v[1]) + ' ' + number(v[2]) + ' ' + number(v[3]) +
                              " dest " + number(v[4]) + ' ' + number(v[5]) + ' ' + number(v[6]) + ' ' +
                              number(v[7]));
            break;
        case Note::State:
            m_lines.push_back(n.word + ' ' + std::to_string(n.count));
            break;
        case Note::Save:
            m_lines.push_back("save " + std::to_string(n.count));
            break;
        case Note::Restore:
            m_lines.push_back("restore " + std::to_string(n.count));
            break;
        }
    }
    return m_lines;
}

// ---- RecordingGraphics

Status RecordingGraphics::doStroke(const Pen& pen, const GraphicsPath& path, const char* shape) {
    RecordingLog::Note& note = log.add(RecordingLog::Note::Stroke);
    note.pen = pen;
    note.word = shape;
    note.count = path.GetPointCount();
    ops.push_back({"stroke", shape, path.points(), path.types(), pen, {}, pen.colour, GetTransform()});
    return Ok;
}

Status RecordingGraphics::doFill(const Brush& brush, const GraphicsPath& path, const char* shape) {
    const bool solid = brush.GetType() == BrushTypeSolidColor;
    const ARGB colour = solid ? brush.firstColour() : 0;
    std::string description = brush.describe();
    RecordingLog::Note& note = log.add(RecordingLog::Note::Fill);
    note.colour = colour;
    if (!solid) note.brush = description;
    note.word = shape;
    note.count = path.GetPointCount();
    ops.push_back({"fill", shape, path.points(), path.types(), {}, std::move(description), colour, GetTransform()});
    return Ok;
}

Status RecordingGraphics::doSetTransform(const Matrix& m) {
    RecordingLog::Note& note = log.add(RecordingLog::Note::Transform);
    const float values[6] = {m.m11(), m.m12(), m.m21(), m.m22(), m.dx(), m.dy()};
    std::copy(values, values + 6, note.numbers);
    return Ok;
}

Status RecordingGraphics::doClear(ARGB colour) {
    log.add(RecordingLog::Note::Clear).colour = colour;
    return Ok;
}

Status RecordingGraphics::doDrawImage(const Bitmap& bitmap, const RectF& dest, const RectF& src) {
    RecordingLog::Note& note = log.add(RecordingLog::Note::Image);
    note.width = bitmap.GetWidth();
    note.height = bitmap.GetHeight();
    const float values[8] = {src.x, src.y, src.width, src.height, dest.x, dest.y, dest.width, dest.height};
    std::copy(values, values + 8, note.numbers);
    ops.push_back({"image", "image", {}, {}, {}, {}, 0, GetTransform()});
    return Ok;
}

void RecordingGraphics::stateChanged(const char* what) {
    if (!what) return;
    const std::string w = what;
    const int value = w == "smoothing" ? int(GetSmoothingMode())
                      : w == "compositing" ? int(GetCompositingMode())
                                           : int(GetTextRenderingHint());
    RecordingLog::Note& note = log.add(RecordingLog::Note::State);
    note.word = w;
    note.count = value;
}

void RecordingGraphics::noteSave(GraphicsState state) { log.add(RecordingLog::Note::Save).count = state; }

void RecordingGraphics::noteRestore(GraphicsState state) { log.add(RecordingLog::Note::Restore).count = state; }

}  // namespace toliva::gp
