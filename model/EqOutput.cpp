#include "model/EqOutput.h"

#include "model/EqDraw.h"
#include "model/EqElement.h"
#include "model/EqFonts.h"
#include "model/EqLayout.h"
#include "model/EqModel.h"
#include "model/EqSpacing.h"
#include "model/RenderContext.h"
#include "platform/gdiplus/Brush.h"
#include "platform/gdiplus/Graphics.h"
#include "platform/gdiplus/Pen.h"

#include <QBrush>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>

namespace toliva {
namespace {

// Multiplies the style's two sizes by the scale of an output pass and gives
// them back, and drops the line caches drawn at the scaled sizes, when the
// pass ends, whatever way it ends.
class ScaledSizes {
public:
    ScaledSizes(EqModel* eq, float scale)
        : m_eq(eq), m_fontSize(eq->settings.fontSize), m_size2(eq->settings.size2) {
        eq->settings.fontSize *= scale;
        eq->settings.size2 *= scale;
    }
    ~ScaledSizes() {
        m_eq->settings.fontSize = m_fontSize;
        m_eq->settings.size2 = m_size2;
        InvalidateAllLineCaches(m_eq);
    }
    ScaledSizes(const ScaledSizes&) = delete;
    ScaledSizes& operator=(const ScaledSizes&) = delete;

private:
    EqModel* m_eq;
    float m_fontSize;
    float m_size2;
};

// The space-marker flag follows the application's option for one drawing of
// the editing view.
class SpaceMarkerFlag {
public:
    SpaceMarkerFlag(EqModel* eq, const RenderContext& context) : m_eq(eq) {
        eq->flag1 = context.option(OptShowSpaceMarks) ? 1 : 0;
    }
    ~SpaceMarkerFlag() { m_eq->flag1 = 0; }
    SpaceMarkerFlag(const SpaceMarkerFlag&) = delete;
    SpaceMarkerFlag& operator=(const SpaceMarkerFlag&) = delete;

private:
    EqModel* m_eq;
};

void drawPlacedLines(gp::Graphics& g, EqModel* eq, float dx, float dy) {
    for (const LinePlacement& p : eq->placements) DrawElement(p.head, g, p.x + dx, p.y + dy, nullptr, 1.0f, false);
}

bool holdsElement(const EqElement* head, const EqElement* e) {
    return e && FindLineHead(const_cast<EqElement*>(e)) == head;
}

// The cached bitmap of a line: the line drawn at the scale it was laid out
// at, with its baseline at chainAscent and its start at x = 0, on the
// background colour. Null when the bitmap cannot be made.
std::unique_ptr<QImage> renderLineBitmap(const RenderContext& context, EqModel* eq, EqElement* head, float scale) {
    const double w = std::ceil(double(head->chainWidth) + double(eq->settings.fontSize));
    const double h = std::ceil(double(head->chainAscent) + double(head->chainDescent) + 2);
    if (!(w >= 1 && h >= 1 && w <= kMaxLineBitmapSide && h <= kMaxLineBitmapSide && w * h <= kMaxLineBitmapPixels))
        return nullptr;
    auto image = std::make_unique<QImage>(int(w), int(h), QImage::Format_ARGB32_Premultiplied);
    if (image->isNull()) return nullptr;
    const gp::ARGB background = eq->settings.colours[EqLayoutSettings::ColourBackground];
    image->fill(QColor::fromRgba(background));
    std::unique_lock<std::recursive_mutex> lock;
    if (context.drawingLock) lock = std::unique_lock<std::recursive_mutex>(*context.drawingLock);
    gp::PainterGraphics g(image.get());
    g.SetSmoothingMode(gp::SmoothingModeAntiAlias);
    g.SetTextRenderingHint(gp::TextRenderingHintAntiAlias);
    DrawElement(head, g, 0, head->chainAscent, nullptr, scale, false);
    head->linePos = {0, head->chainAscent};
    return image;
}

// A line drawn straight onto the view, for a line too large for a bitmap.
void drawLineDirectly(QPainter* dc, EqElement* head, const LinePlacement& p, float scale) {
    dc->save();
    {
        gp::PainterGraphics g(dc);
        g.SetSmoothingMode(gp::SmoothingModeAntiAlias);
        g.SetTextRenderingHint(gp::TextRenderingHintAntiAlias);
        DrawElement(head, g, p.x, p.y, nullptr, scale, false);
    }
    dc->restore();
    head->linePos = {p.x, p.y};
}

// Moves a line's boxes from where it was last drawn to its placement.
void moveLineTo(EqElement* head, const LinePlacement& p) {
    OffsetTree(head, p.x - head->linePos.x, p.y - head->linePos.y);
    head->linePos = {p.x, p.y};
}

// A computed view coordinate as a whole pixel, held within a range far
// outside any view (0 when it is not a number), so that a huge value from a
// style or a layout converts to int without fault.
int viewPixel(double v) {
    constexpr double kFarOutside = 1 << 24;
    return std::isnan(v) ? 0 : int(std::clamp(v, -kFarOutside, kFarOutside));
}

// A dotted rule: every second pixel from x = 0 to x = length at row y.
void drawDottedRule(QPainter* dc, int y, int length) {
    if (length <= 0) return;
    static const QImage dots = [] {
        QImage img(2, 1, QImage::Format_ARGB32_Premultiplied);
        img.setPixel(0, 0, QColor::fromRgba(gp::ArgbFromColorref(0xF0DCDC)).rgba());
        img.setPixel(1, 0, 0);
        return img;
    }();
    dc->save();
    dc->setBrushOrigin(0, y);
    dc->fillRect(QRect(0, y, length, 1), QBrush(dots));
    dc->restore();
}

}  // namespace

void LayoutForOutput(const RenderContext& context, gp::Graphics* graphics, EqModel* eq, gp::PointF origin,
                     float scale) {
    const RenderScope pass(eq, context);
    eq->outputMode = 1;
    eq->phantomColour = 0x00FFFFFF;
    MeasureFontMetrics(graphics, eq);
    eq->needsLayout = 1;
    eq->minScale = eq->settings.size2 * scale / eq->settings.fontSize;
    for (EqElement* head : eq->lines) LayoutElement(head, graphics, scale, 0);
    PlaceEquationLines(eq, origin.x, origin.y, scale);
    AlignEquationLines(eq, origin.x, origin.y, eq->widestLine, eq->totalHeight);
}

void DrawEquation(const RenderContext& context, gp::PointF origin, gp::Graphics& graphics, EqModel* eq, float scale,
                  bool highlightMarks, bool frame) {
    const RenderScope pass(eq, context);
    ScaledSizes sizes(eq, scale);
    LayoutForOutput(context, &graphics, eq, origin, 1.0f);
    eq->markHighlight = highlightMarks ? 1 : 0;
    if (frame) graphics.DrawRectangle(gp::Pen(0xFFFFFFFF, 0.25f), 0, 0, eq->widestLine, eq->totalHeight);
    drawPlacedLines(graphics, eq, 0, 0);
}

EqPictureMetrics DrawEquationPicture(const RenderContext& context, gp::Graphics& graphics, EqModel* eq, float scale) {
    const RenderScope pass(eq, context);
    eq->markHighlight = 0;
    ScaledSizes sizes(eq, scale);
    const float S = eq->settings.fontSize;
    const float left = S * SpacingOf(eq, SpacingPictureMarginLeft);
    const float top = S * SpacingOf(eq, SpacingPictureMarginTop);
    const float right = (SpacingOf(eq, SpacingPictureMarginRight) + 0.1f) * S;
    const float bottom = (SpacingOf(eq, SpacingPictureMarginBottom) + 0.1f) * S;

    LayoutForOutput(context, &graphics, eq, {0, 0}, 1.0f);

    float base = 0;
    if (eq->placements.size() > 1 && context.option(OptHalfHeightBaseline)) base = eq->totalHeight / 2;
    else if (!eq->placements.empty()) base = eq->placements.back().y;

    EqPictureMetrics m;
    m.width = eq->widestLine + left + right;
    m.height = eq->totalHeight + top + bottom;
    m.descent = bottom + eq->totalHeight - base;

    gp::RectF ink;
    float boxHeight = 0;
    MeasureGlyph(u'a', eq, &graphics, &ink, &boxHeight);
    const float marginShift = (SpacingOf(eq, SpacingPictureMarginTop) - SpacingOf(eq, SpacingPictureMarginBottom)) / 2;
    m.axis = ink.bottom() - boxHeight / 2 - (marginShift + eq->fontMetrics[MetricShift]) * S;

    gp::ARGB background = eq->settings.colours[EqLayoutSettings::ColourBackground];
    if (eq->settings.ints[5] != 0) background &= 0x00FFFFFF;
    graphics.FillRectangle(gp::SolidBrush(background), 0, 0, m.width, m.height);

    drawPlacedLines(graphics, eq, left, top);
    return m;
}

bool DrawEquationView(const RenderContext& context, const gp::RectF& view, EqModel* eq, QPainter* dc, float scale,
                      bool separators, const EqElement* keepVisible) {
    const RenderScope pass(eq, context);
    eq->outputMode = 0;
    eq->phantomColour = eq->settings.colours[EqLayoutSettings::ColourPhantom];
    eq->markHighlight = 1;
    eq->viewLineGap = SpacingOf(eq, SpacingLineGap) * eq->settings.fontSize * scale;
    SpaceMarkerFlag spaceMarks(eq, context);

    PlaceEquationLines(eq, view.x, view.y, scale);
    AlignEquationLines(eq, view.x, view.y, view.width, view.height);

    bool shown = true;
    for (LinePlacement& p : eq->placements) {
        EqElement* head = p.head;
        const bool outside = p.y + p.descent < 0 || p.y - p.ascent > view.height || p.x + p.width < 0;
        if (outside) {
            // A cached line keeps all its boxes in step with where it is;
            // one without a cache is drawn afresh when it comes back.
            if (head->lineBitmap) moveLineTo(head, p);
            else PlaceChain(head, p.x, p.y);
            p.visible = false;
            if (holdsElement(head, keepVisible)) shown = false;
            continue;
        }
        if (!head->lineBitmap) head->lineBitmap = renderLineBitmap(context, eq, head, scale);
        if (head->lineBitmap) {
            moveLineTo(head, p);
            if (dc) BlitLineBitmap(head, dc, {p.x, p.y});
        } else if (dc) {
            drawLineDirectly(dc, head, p, scale);
        }
        p.visible = true;
        if (separators && dc)
            drawDottedRule(dc, viewPixel(std::floor(p.y + p.descent + eq->viewLineGap / 2)),
                           viewPixel(std::ceil(view.width + 8 * scale)));
    }
    return shown;
}

}  // namespace toliva
