// Ink checks on drawings rendered antialiased on a transparent raster image:
// an element's ink must stay inside the drawn box the dispatcher records.
#pragma once

#include "model/EqDraw.h"
#include "model/EqElement.h"
#include "model/EqLayout.h"
#include "model/EqModel.h"
#include "model/EqOutput.h"
#include "model/RenderContext.h"
#include "platform/gdiplus/Graphics.h"

#include <QDir>
#include <QImage>
#include <QString>

#include <algorithm>
#include <climits>
#include <string>

namespace toliva::test {

// A pixel with at least this alpha is ink.
constexpr int kInkAlpha = 48;
// Antialiased edges may tint the pixel next to a box.
constexpr float kInkTolerance = 1.5f;

// The inked pixels of an image against a box: how many lie inside it (give or
// take the tolerance) and outside, and the bounds of those outside.
struct InkCount {
    int inside = 0;
    int outside = 0;
    int left = INT_MAX, right = -1, top = INT_MAX, bottom = -1;  // inclusive
};

inline InkCount countInk(const QImage& image, const gp::RectF& box) {
    InkCount c;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(row[x]) < kInkAlpha) continue;
            const bool in = x + 1 > box.x - kInkTolerance && x < box.right() + kInkTolerance &&
                            y + 1 > box.y - kInkTolerance && y < box.bottom() + kInkTolerance;
            if (in) {
                ++c.inside;
                continue;
            }
            ++c.outside;
            c.left = std::min(c.left, x);
            c.right = std::max(c.right, x);
            c.top = std::min(c.top, y);
            c.bottom = std::max(c.bottom, y);
        }
    }
    return c;
}

// What is wrong with the ink, as text for the failure message; empty when
// some ink lies inside the box and none outside.
inline std::string inkComplaint(const InkCount& c, const gp::RectF& box) {
    if (c.inside + c.outside == 0) return "no ink";
    if (c.outside == 0) return {};
    return std::to_string(c.outside) + " pixels in x " + std::to_string(c.left) + ".." + std::to_string(c.right) +
           ", y " + std::to_string(c.top) + ".." + std::to_string(c.bottom) + " outside box x " +
           std::to_string(box.x) + ".." + std::to_string(box.right()) + ", y " + std::to_string(box.y) + ".." +
           std::to_string(box.bottom());
}

// Lays out the equation's lines at scale 1 with the context and sets it up as
// a picture is drawn: output mode (full phantoms keep their boxes and draw no
// ink), no mark highlight, a transparent phantom colour.
inline void layoutForInkCheck(const RenderContext& context, EqModel& eq) {
    LayoutLines(context, &eq, nullptr, 1.0f, 0, false);
    eq.outputMode = 1;
    eq.markHighlight = 0;
    eq.phantomColour = 0x00FFFFFF;
}

// One line drawn antialiased at scale 1 with the context, its baseline start
// at (x, y), and what drawing left behind.
struct InkDrawing {
    QImage image;
    bool transformKept = true;  // the world transform came back unchanged
    bool statusOk = true;       // no drawing call failed
};

inline InkDrawing drawLineInk(const RenderContext& context, EqElement* line, int width, int height, float x,
                              float y) {
    InkDrawing d;
    d.image = QImage(width, height, QImage::Format_ARGB32_Premultiplied);
    d.image.fill(Qt::transparent);
    {
        gp::PainterGraphics g(&d.image);
        g.SetSmoothingMode(gp::SmoothingModeAntiAlias);
        DrawElement(context, line, g, x, y, nullptr, 1.0f, false);
        d.transformKept = g.GetTransform().IsIdentity();
        d.statusOk = g.GetLastStatus() == gp::Ok;
    }
    return d;
}

// The equation drawn as a picture with the context at the scale on white,
// antialiased (text too); with TOLIVA_SHAPE_PNG_DIR set the picture is kept
// there under the name for a look. metrics (if given) gets the picture's
// metrics.
inline QImage drawPicture(const RenderContext& context, EqModel& eq, float scale, const QString& keepAs,
                          EqPictureMetrics* metrics = nullptr) {
    gp::RecordingGraphics measuring;
    const EqPictureMetrics pm = DrawEquationPicture(context, measuring, &eq, scale);
    if (metrics) *metrics = pm;
    QImage image(int(pm.width) + 1, int(pm.height) + 1, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        gp::PainterGraphics g(&image);
        g.SetSmoothingMode(gp::SmoothingModeAntiAlias);
        g.SetTextRenderingHint(gp::TextRenderingHintAntiAlias);
        DrawEquationPicture(context, g, &eq, scale);
    }
    const QString dir = qEnvironmentVariable("TOLIVA_SHAPE_PNG_DIR");
    if (!dir.isEmpty()) image.save(QDir(dir).filePath(keepAs));
    return image;
}

}  // namespace toliva::test
