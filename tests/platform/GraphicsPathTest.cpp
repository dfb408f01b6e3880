#include "platform/gdiplus/Graphics.h"
#include "platform/gdiplus/GraphicsPath.h"
#include "platform/gdiplus/Matrix.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

using namespace toliva::gp;

namespace {

void expectNear(PointF got, PointF want) {
    EXPECT_NEAR(got.x, want.x, 1e-5f);
    EXPECT_NEAR(got.y, want.y, 1e-5f);
}

GraphicsPath square(float x, float y, float side) {
    GraphicsPath p;
    const PointF pts[] = {{x, y}, {x + side, y}, {x + side, y + side}, {x, y + side}};
    p.AddLines(pts, 4);
    p.CloseFigure();
    return p;
}

}  // namespace

TEST(Matrix, OrderDecidesWhichOperationComesFirst) {
    struct Case {
        MatrixOrder order;
        PointF want;
    };
    // Translate by (10, 0), then scale by 2, applied to (1, 1).
    for (const Case& c : {Case{MatrixOrderPrepend, {12, 2}}, Case{MatrixOrderAppend, {22, 2}}}) {
        Matrix m;
        m.Translate(10, 0, c.order);
        m.Scale(2, 2, c.order);
        expectNear(m.map({1, 1}), c.want);
        const QPointF q = m.toQTransform().map(QPointF(1, 1));
        expectNear(PointF{float(q.x()), float(q.y())}, c.want);
    }
}

TEST(Matrix, RotateTurnsClockwiseOnScreen) {
    struct Case {
        float degrees;
        PointF want;
    };
    for (const Case& c : {Case{90, {0, 1}}, Case{180, {-1, 0}}, Case{-90, {0, -1}}, Case{450, {0, 1}},
                          Case{45, {0.70710678f, 0.70710678f}}}) {
        SCOPED_TRACE(c.degrees);
        Matrix m;
        m.Rotate(c.degrees);
        PointF p{1, 0};
        m.TransformPoints(&p, 1);
        expectNear(p, c.want);
    }
    // Quarter turns are exact.
    Matrix m;
    m.Rotate(90);
    EXPECT_EQ(m.map({3, 5}), (PointF{-5, 3}));
}

TEST(GraphicsPath, FiguresAreJoinedUntilStartedOrClosed) {
    GraphicsPath p;
    p.AddLine(0, 0, 10, 0);
    p.AddLine(10, 5, 0, 5);  // joined to (10, 0)
    p.StartFigure();
    p.AddBezier({0, 10}, {1, 11}, {2, 11}, {3, 10});
    p.CloseFigure();
    p.AddLine(20, 20, 30, 20);
    const std::vector<uint8_t> want = {0, 1, 1, 1, 0, 3, 3, 3 | PathPointTypeCloseSubpath, 0, 1};
    EXPECT_EQ(p.types(), want);
    EXPECT_EQ(p.GetPointCount(), 10);

    p.Reset();
    EXPECT_EQ(p.GetPointCount(), 0);
    p.AddLine(1, 1, 2, 2);
    EXPECT_EQ(p.types(), (std::vector<uint8_t>{0, 1}));
}

TEST(GraphicsPath, AddPathConnectsOnlyWhenAsked) {
    GraphicsPath other;
    other.AddLine(5, 5, 6, 6);
    for (bool connect : {false, true}) {
        GraphicsPath p;
        p.AddLine(0, 0, 1, 1);
        p.AddPath(other, connect);
        EXPECT_EQ(p.types()[2], connect ? PathPointTypeLine : PathPointTypeStart);
        p.AddLine(7, 7, 8, 8);  // the appended figure is still open
        EXPECT_EQ(p.types()[4], PathPointTypeLine);
    }
    GraphicsPath self = square(0, 0, 1);
    self.AddPath(self, false);
    EXPECT_EQ(self.GetPointCount(), 8);
    EXPECT_EQ(self.types()[4], PathPointTypeStart);
}

TEST(GraphicsPath, BoundsAreTightAndTransformMovesThem) {
    GraphicsPath p;
    EXPECT_EQ(p.GetBounds(), RectF{});
    p.AddBezier({0, 0}, {2, -4}, {8, -4}, {10, 0});  // the curve tops out at -3, its control points at -4
    p.AddLine(10, 3, 1, 3);
    EXPECT_EQ(p.GetBounds(), (RectF{0, -3, 10, 6}));

    Matrix m;
    m.Translate(100, 0);
    m.Scale(2, 1);
    p.Transform(m);
    EXPECT_EQ(p.GetBounds(), (RectF{100, -3, 20, 6}));
}

TEST(GraphicsPath, ToQPainterPathFollowsFillModeCurvesAndClosing) {
    GraphicsPath p(FillModeWinding);
    p.AddBezier({0, 0}, {1, 2}, {3, 2}, {4, 0});
    p.CloseFigure();
    QPainterPath q = p.toQPainterPath();
    EXPECT_EQ(q.fillRule(), Qt::WindingFill);
    ASSERT_EQ(q.elementCount(), 5);  // move, curve with two data elements, closing line
    EXPECT_EQ(q.elementAt(0).type, QPainterPath::MoveToElement);
    EXPECT_EQ(q.elementAt(1).type, QPainterPath::CurveToElement);
    EXPECT_EQ(q.elementAt(3).type, QPainterPath::CurveToDataElement);
    EXPECT_EQ(QPointF(q.elementAt(3)), QPointF(4, 0));
    EXPECT_EQ(QPointF(q.elementAt(4)), QPointF(0, 0));

    GraphicsPath a = square(0, 0, 10);
    const PointF inner[] = {{2, 2}, {8, 2}, {8, 8}, {2, 8}};
    a.AddLines(inner, 4);
    a.CloseFigure();
    q = a.toQPainterPath();
    EXPECT_EQ(q.fillRule(), Qt::OddEvenFill);
    EXPECT_TRUE(q.contains(QPointF(1, 1)));
    EXPECT_FALSE(q.contains(QPointF(5, 5)));  // the hole of the alternate rule

    // Type bytes as a file may hold them: a cut-short Bezier run and a figure
    // continuing after a close still give a usable path.
    const PointF pts[] = {{0, 0}, {1, 0}, {2, 0}, {5, 5}, {6, 6}};
    const uint8_t types[] = {0, 1 | PathPointTypeCloseSubpath, 1, 3, 3};
    q = GraphicsPath(pts, types, 5).toQPainterPath();
    EXPECT_EQ(q.elementAt(q.elementCount() - 1).type, QPainterPath::LineToElement);
    EXPECT_EQ(QPointF(q.currentPosition()), QPointF(6, 6));
}

TEST(RecordingGraphics, LogsOneLinePerCall) {
    RecordingGraphics g;
    const GraphicsPath p = square(0, 0, 1);
    Matrix m;
    m.Translate(5, 0);
    EXPECT_EQ(g.SetTransform(m), Ok);
    g.FillPath(0xFF112233, p);
    g.DrawPath(Pen{0x80ABCDEF, 3.125f}, p);
    EXPECT_EQ(g.DrawPath(Pen{0xFF000000, -1}, p), InvalidParameter);
    EXPECT_EQ(g.lastStatus(), InvalidParameter);
    const std::vector<std::string> want = {"transform 1 0 0 1 5 0", "fill #FF112233 path n=4",
                                           "stroke #80ABCDEF w=3.125 path n=4"};
    EXPECT_EQ(g.log, want);
    EXPECT_EQ(g.GetTransform(), m);
}

TEST(PainterGraphics, FillsUnderTheWorldTransformAndStrokesThinPensOnePixelWide) {
    QImage img(40, 40, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::white);
    {
        QPainter painter(&img);
        PainterGraphics g(&painter);
        Matrix m;
        m.Translate(20, 0);
        g.SetTransform(m);
        EXPECT_EQ(g.FillPath(0xFFFF0000, square(0, 0, 10)), Ok);
        g.SetTransform(Matrix());
        GraphicsPath line;
        line.AddLine(0, 30.5f, 40, 30.5f);
        EXPECT_EQ(g.DrawPath(Pen{0xFF0000FF, 0.01f}, line), Ok);
    }
    EXPECT_EQ(img.pixel(25, 5), 0xFFFF0000u);
    EXPECT_EQ(img.pixel(5, 5), 0xFFFFFFFFu);
    EXPECT_EQ(qBlue(img.pixel(10, 30)), 255);
    EXPECT_LT(qRed(img.pixel(10, 30)), 128);

    PainterGraphics idle(nullptr);
    EXPECT_EQ(idle.FillPath(0xFF000000, square(0, 0, 1)), WrongState);
}
