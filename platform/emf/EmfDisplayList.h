// What a recorded drawing holds: one item per drawing call, each carrying
// the full state it was drawn with (transform, pen, brush, clip). The
// enhanced-metafile writer and the Windows-metafile writer both work from it.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <QRectF>
#include <QTransform>

#include <memory>
#include <vector>

namespace toliva::emf {

// A pen as the metafile can hold it: one opaque colour, a width in logical
// units (device pixels for a cosmetic pen), caps, joins and dashes.
struct PenSpec {
    bool visible = false;
    QRgb colour = 0xFF000000;
    qreal width = 1.0;
    bool cosmetic = false;
    // Absolute lengths of dashes and gaps, in the units of the width; empty
    // for a solid pen.
    QList<qreal> dashes;
    Qt::PenCapStyle cap = Qt::SquareCap;
    Qt::PenJoinStyle join = Qt::BevelJoin;
    qreal miterLimit = 2.0;

    bool operator==(const PenSpec& o) const;
    bool operator!=(const PenSpec& o) const { return !(*this == o); }

    // The unit dash lengths are counted in.
    qreal dashUnit() const { return width < 1 ? 1 : width; }
    static PenSpec fromPen(const QPen& pen);
    QPen toPen() const;
};

// A brush as the metafile can hold it.
struct BrushSpec {
    enum Kind { None, Solid, Hatch };
    Kind kind = None;
    QRgb colour = 0xFF000000;
    uint32_t hatch = 0;  // HS_* when kind is Hatch

    bool operator==(const BrushSpec& o) const {
        return kind == o.kind && (kind == None || (colour == o.colour && hatch == o.hatch));
    }
    bool operator!=(const BrushSpec& o) const { return !(*this == o); }

    // False when the brush is neither none, solid nor one of the six hatches.
    static bool fromBrush(const QBrush& brush, BrushSpec* out);
    QBrush toBrush() const;
};

// Hatch styles: Qt pattern <-> HS_* value; -1 / NoBrush when there is none.
int hatchFromQt(Qt::BrushStyle style);
Qt::BrushStyle qtFromHatch(uint32_t hatch);

// One clip step: a path in the logical units of its transform, replacing
// (the first step) or intersecting the clip so far.
struct ClipStep {
    QTransform transform;
    QPainterPath path;
};
using ClipState = std::vector<ClipStep>;

struct Item {
    enum Kind { Path, Rect, Ellipse, Polygon, Polyline, Image, Comment };
    Kind kind = Path;

    QTransform transform;  // logical units -> device pixels
    PenSpec pen;
    BrushSpec brush;
    std::shared_ptr<const ClipState> clip;  // null: no clip

    QPainterPath path;           // Path (its fill rule is used)
    QRectF rect;                 // Rect, Ellipse, and the target of Image
    QPolygonF polygon;           // Polygon, Polyline
    Qt::FillRule fillRule = Qt::OddEvenFill;  // Polygon
    QImage image;                // Image: the source part only
    QByteArray data;             // Comment

    QRectF deviceBounds;         // what the item may touch, in device pixels

    // The outline of a drawing item as a path in logical units.
    QPainterPath geometry() const;
};

struct DisplayList {
    QSizeF size;  // device pixels; empty: the frame follows the drawing
    int dpi = 96;
    std::vector<Item> items;

    // Union of the drawn items' device bounds; empty when nothing is drawn.
    QRectF drawnBounds() const;
    // The picture's frame in device pixels: (0, 0, size) or the drawn bounds.
    QRectF frame() const;
};

// Device bounds of an item: its geometry under its transform, widened by the
// pen, cut by the clip's bounds.
QRectF computeDeviceBounds(const Item& item);

}  // namespace toliva::emf
