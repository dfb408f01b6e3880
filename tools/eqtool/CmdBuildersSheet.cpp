// builders-sheet: every shape builder, and every operator primitive kind,
// drawn in a labelled grid into a PNG file.
#include "Commands.h"

#include "model/OperatorPrimitives.h"
#include "model/ShapeBuilders.h"
#include "platform/gdiplus/Graphics.h"
#include "platform/gdiplus/Pen.h"

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <functional>
#include <vector>

namespace toliva::eqtool {
namespace {

using gp::Graphics;
using gp::PointF;

constexpr int kColumns = 8;
constexpr int kCellWidth = 200;
constexpr int kCellHeight = 160;
constexpr int kLabelHeight = 22;
constexpr gp::ARGB kInk = 0xFF000000;
constexpr gp::ARGB kGuide = 0xFFE0E0E0;

// One cell: a label, and a drawing about the origin, which is the middle of
// the area below the label.
struct Cell {
    QString label;
    std::function<void(Graphics&)> draw;
};

std::vector<Cell> cells() {
    std::vector<Cell> c;
    auto add = [&c](const QString& label, std::function<void(Graphics&)> draw) {
        c.push_back({label, std::move(draw)});
    };

    add("BuildArrowhead", [](Graphics& g) { BuildArrowhead(g, kInk, 150, 4, 8, 0.8f, 0.8f, true); });
    add("BuildArrowhead head", [](Graphics& g) { BuildArrowhead(g, kInk, 150, 4, 8, 0.8f, 0.8f, false); });
    add("BuildArrowhead short", [](Graphics& g) { BuildArrowhead(g, kInk, 30, 4, 8, 0.8f, 0.8f, true); });
    add("BuildHarpoonhead", [](Graphics& g) { BuildHarpoonhead(g, kInk, 150, 4, 8, 0.8f, 0.8f); });
    add("DrawArrowBetween",
        [](Graphics& g) { DrawArrowBetween(g, {-60, 45}, {60, -45}, kInk, 4, 8, 0.8f, 0.8f, true); });
    add("DrawHarpoonBetween", [](Graphics& g) { DrawHarpoonBetween(g, {70, 0}, {-70, 0}, kInk, 4, 8, 0.8f, 0.8f); });
    add("DoubleArrowFromMiddle",
        [](Graphics& g) { DrawDoubleArrowFromMiddle(g, {-75, 0}, {75, 0}, kInk, 4, 7, 0.9f, 0.8f); });
    add("DrawDoubleLineArrow", [](Graphics& g) { DrawDoubleLineArrow(g, {-75, 0}, {75, 0}, kInk, 4, 6.667f); });
    add("DoubleLineArrowBoth", [](Graphics& g) { DrawDoubleLineArrowBoth(g, {-75, 0}, {75, 0}, kInk, 4, 6.667f); });
    add("TwoHorizontalLines", [](Graphics& g) { DrawTwoHorizontalLines(g, kInk, -70, -10, 70, 10, 3); });
    add("FillArrowCircle", [](Graphics& g) { FillArrowCircle(g, 45, 45, {0, 0}, -80, 359, kInk, 4, 2.5f, 2); });
    add("FillArrowCircle ellipse", [](Graphics& g) { FillArrowCircle(g, 70, 35, {0, 0}, 90, -350, kInk, 4, 2.5f, 2); });
    add("DrawZigzagArrow", [](Graphics& g) { DrawZigzagArrow(g, 110, 5, kInk, false); });
    add("DrawWaveArrow", [](Graphics& g) { DrawWaveArrow(g, 110, 5, kInk); });
    add("DrawLoopArrow", [](Graphics& g) { DrawLoopArrow(g, 130, 6, kInk, false); });
    add("DrawCircleArrow", [](Graphics& g) { DrawCircleArrow(g, 130, 6, kInk, 7); });
    add("DrawHookArrow", [](Graphics& g) { DrawHookArrow(g, 130, 6, kInk, false); });
    add("DrawBezierArrow", [](Graphics& g) {
        const PointF p[] = {{-70, 30}, {-40, -40}, {40, -40}, {70, 30}};
        DrawBezierArrow(g, p, 4, kInk, 4);
    });
    add("DrawPolylineArrow", [](Graphics& g) {
        const PointF p[] = {{-70, 40}, {-70, -35}, {70, -35}, {70, 40}};
        DrawPolylineArrow(g, p, 4, kInk, 4);
    });
    add("FillWideTilde", [](Graphics& g) { FillWideTilde(g, {-80, -20, 160, 40}, kInk); });
    for (int kind = 0; kind <= 4; ++kind)
        add(QStringLiteral("FillArrowMark %1").arg(kind),
            [kind](Graphics& g) { FillArrowMark(g, {-75, 0}, {75, 0}, 150, 4, 30, kInk, kind); });

    // Radicals of a 100-pixel font: rule 0.04, hook 0.45, over a plain
    // radicand and over one with a deep descent (where the two forms differ).
    RadicalGeometry radical;
    radical.left = -80, radical.baseline = 5, radical.topReach = 60, radical.bottomReach = 20, radical.hookWidth = 45,
    radical.rule = 4, radical.signWidth = 160;
    RadicalGeometry deep = radical;
    deep.baseline = -10, deep.topReach = 45, deep.bottomReach = 60;
    add("DrawRadicalSign", [radical](Graphics& g) { DrawRadicalSign(g, kInk, radical); });
    add("DrawRadicalSign deep", [deep](Graphics& g) { DrawRadicalSign(g, kInk, deep); });
    add("DrawRadicalSignAlt deep", [deep](Graphics& g) { DrawRadicalSignAlt(g, kInk, deep); });

    add("FillParenShape 0.275", [](Graphics& g) { FillParenShape(g, 110, 30, 6, kInk, 0, 0.275f); });
    add("FillParenthesis", [](Graphics& g) { FillParenthesis(g, 120, 26, 6, kInk, 0); });
    add("FillParenthesis 90", [](Graphics& g) { FillParenthesis(g, 160, 30, 6, kInk, 90); });
    add("FillBrace", [](Graphics& g) { FillBrace(g, 120, 30, 5, kInk, 0); });
    add("FillBrace 90", [](Graphics& g) { FillBrace(g, 170, 30, 5, kInk, 90); });
    add("FillBrace -90 short", [](Graphics& g) { FillBrace(g, 70, 30, 5, kInk, -90); });
    add("FillAngleBracket", [](Graphics& g) { FillAngleBracket(g, 120, 36, 6, kInk, 0); });
    add("FillAngleBracket 90", [](Graphics& g) { FillAngleBracket(g, 160, 36, 6, kInk, 90); });
    add("SquareBracketLine", [](Graphics& g) { DrawSquareBracketLine(g, 120, 36, 6, kInk, 0); });
    add("SquareBracketLine 90", [](Graphics& g) { DrawSquareBracketLine(g, 160, 36, 6, kInk, 90); });

    for (int type = 506; type <= 550; ++type)
        add(QStringLiteral("arrow symbol %1").arg(type),
            [type](Graphics& g) { DrawArrowSymbolShape(g, 100, {0, 0}, type, kInk); });

    // The operator primitive kinds, each in a unit of 60 with a stroke of 4.
    struct Prim {
        uint8_t kind;
        float x, y, sx, sy, angle;
    };
    const Prim prims[] = {
        {1, -0.8f, 0.5f, 0.8f, -0.5f, 0}, {2, 0, 0, 1.6f, 0.5f, 0},  {3, 0, 0, 1.2f, 0.8f, 0},
        {4, 0, 0, 1.2f, 1.0f, 0},         {5, 0, 0, 1.2f, 0.8f, 0},  {6, 0, 0, 1.2f, 0.8f, 0},
        {7, 0, 0, 1.2f, 270, -90},        {8, 0, 0, 0.2f, 0, 0},     {9, 0, 0, 0.8f, 0.5f, 0},
        {10, 0, 0, 1.0f, 1.0f, 0},        {11, 0.5f, 0.5f, 1.0f, 1.0f, 0}, {12, 0.5f, -0.5f, 1.0f, 1.0f, 0},
        {13, 0, 0, 1.2f, 1.0f, 0},        {14, 0, 0, 2.0f, 0.6f, 0}, {15, 0, 0, 1.6f, 0.5f, 0},
    };
    for (const Prim& p : prims) {
        add(QStringLiteral("operator primitive %1").arg(p.kind), [p](Graphics& g) {
            OperatorPrimitive prim;
            prim.kind = p.kind, prim.pen = 1, prim.angle = p.angle;
            prim.x = p.x, prim.y = p.y, prim.sx = p.sx, prim.sy = p.sy;
            OperatorFrame f;
            f.unit = 60, f.strokeWidth = 4, f.colour = kInk;
            DrawOperatorPrimitive(prim, f, g);
        });
    }
    return c;
}

}  // namespace

int runBuildersSheet(const QStringList& args) {
    if (args.size() != 2 || args[0] != u"-o" || args[1].isEmpty()) return kUsageError;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        printError(QStringLiteral("eqtool: builders-sheet needs the font engine of a GUI application"));
        return 1;
    }
    const std::vector<Cell> all = cells();
    const int rows = (int(all.size()) + kColumns - 1) / kColumns;
    QImage image(kColumns * kCellWidth, rows * kCellHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(13);
        painter.setFont(font);
        gp::PainterGraphics g(&painter);
        g.SetSmoothingMode(gp::SmoothingModeAntiAlias);
        const gp::Pen guide(kGuide, 1);
        for (size_t i = 0; i < all.size(); ++i) {
            const float left = float(int(i) % kColumns * kCellWidth), top = float(int(i) / kColumns * kCellHeight);
            g.DrawRectangle(guide, left, top, kCellWidth, kCellHeight);
            const float cx = left + kCellWidth / 2.0f, cy = top + kLabelHeight + (kCellHeight - kLabelHeight) / 2.0f;
            g.DrawLine(guide, left + 4, cy, left + kCellWidth - 4, cy);
            g.DrawLine(guide, cx, top + kLabelHeight, cx, top + kCellHeight - 4);
            painter.setPen(Qt::darkBlue);
            painter.drawText(QRectF(left + 4, top + 2, kCellWidth - 8, kLabelHeight - 2),
                             Qt::AlignLeft | Qt::AlignVCenter, all[i].label);
            g.ResetTransform();
            g.TranslateTransform(cx, cy);
            all[i].draw(g);
            g.ResetTransform();
        }
    }
    return writePngFile(args[1], image) ? 0 : 1;
}

}  // namespace toliva::eqtool
