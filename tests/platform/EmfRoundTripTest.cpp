// Drawing recorded into an enhanced metafile and played back must look like
// the same drawing made directly, and the file must satisfy libUEMF.
#include "EmfTestSupport.h"

#include "platform/emf/EmfCheck.h"
#include "platform/emf/EmfFormat.h"
#include "platform/emf/EmfInfo.h"

#include <gtest/gtest.h>

#include <QLinearGradient>
#include <QPainterPath>

using namespace toliva::emf;
using namespace toliva::emf::test;

namespace {

const QSize kSize(240, 180);

void curves(QPainter& p) {
    QPainterPath a;
    a.moveTo(20, 150);
    a.cubicTo(40, 10, 120, 10, 140, 150);
    a.quadTo(80, 100, 20, 150);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 90, 200));
    p.drawPath(a);
    QPainterPath star;  // self-intersecting: the fill rule shows
    star.moveTo(190, 20);
    star.lineTo(225, 130);
    star.lineTo(150, 60);
    star.lineTo(230, 60);
    star.lineTo(155, 130);
    star.closeSubpath();
    star.setFillRule(Qt::OddEvenFill);
    p.setBrush(QColor(200, 40, 40));
    p.drawPath(star);
    star.translate(0, 40);
    star.setFillRule(Qt::WindingFill);
    p.setBrush(QColor(40, 160, 60));
    p.drawPath(star);
}

void thickDashedPens(QPainter& p) {
    QPen a(QColor(20, 20, 20), 6, Qt::DashLine, Qt::RoundCap);
    p.setPen(a);
    p.drawLine(QPointF(10, 20), QPointF(230, 30));
    QPen b(QColor(180, 0, 90), 8, Qt::DashDotLine, Qt::FlatCap);
    p.setPen(b);
    p.drawLine(QPointF(10, 60), QPointF(230, 50));
    QPen c(QColor(0, 120, 160), 5, Qt::CustomDashLine, Qt::SquareCap, Qt::MiterJoin);
    c.setDashPattern({3, 1.5, 0.5, 1.5});
    p.setPen(c);
    p.drawPolyline(QPolygonF({QPointF(20, 160), QPointF(70, 90), QPointF(120, 160), QPointF(170, 90)}));
    QPen d(QColor(90, 60, 0), 10, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(d);
    QPainterPath wave;
    wave.moveTo(180, 170);
    wave.cubicTo(200, 80, 220, 160, 230, 90);
    p.drawPath(wave);
}

void filledShapes(QPainter& p) {
    p.setPen(QPen(Qt::black, 3));
    p.setBrush(QColor(250, 200, 0));
    p.drawRect(QRectF(10.5, 10.25, 80, 60));
    p.setBrush(QColor(0, 150, 250));
    p.drawEllipse(QRectF(110, 15, 110, 70));
    p.setPen(QPen(QColor(120, 0, 0), 2));
    p.setBrush(QColor(255, 150, 150));
    p.drawRoundedRect(QRectF(15, 100, 90, 60), 12, 12);
    p.setBrush(QColor(100, 200, 100));
    p.drawPolygon(QPolygonF({QPointF(130, 170), QPointF(175, 95), QPointF(225, 170)}));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::darkMagenta);
    p.drawPie(QRectF(150, 110, 50, 50), 30 * 16, 120 * 16);
}

void transforms(QPainter& p) {
    p.setPen(QPen(Qt::black, 2));
    p.save();
    p.translate(70, 70);
    p.rotate(30);
    p.setBrush(QColor(220, 120, 20));
    p.drawRect(QRectF(-40, -25, 80, 50));
    p.restore();
    p.save();
    p.translate(170, 60);
    p.scale(1.8, 0.7);
    p.rotate(-20);
    p.setBrush(QColor(20, 120, 220));
    p.drawEllipse(QPointF(0, 0), 30, 30);
    p.restore();
    p.save();
    p.setTransform(QTransform(1, 0.2, 0.4, 1, 40, 110));
    p.setPen(QPen(QColor(0, 100, 0), 4, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0, 0, 120, 40));
    p.restore();
    p.setBrush(QColor(120, 0, 120));
    p.drawRect(QRectF(200, 140, 30, 30));
}

void clipsAndRestore(QPainter& p) {
    p.save();
    p.setClipRect(QRectF(20, 20, 100, 60));
    p.setBrush(QColor(200, 0, 0));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRectF(0, 0, 160, 120));
    p.save();
    QPainterPath round;
    round.addEllipse(QRectF(60, 30, 80, 80));
    p.setClipPath(round, Qt::IntersectClip);
    p.setBrush(QColor(0, 0, 200));
    p.drawRect(QRectF(0, 0, 240, 180));
    p.restore();
    p.setBrush(QColor(0, 160, 0));
    p.drawRect(QRectF(90, 60, 100, 100));  // still cut to the first clip
    p.restore();
    p.setBrush(QColor(240, 180, 0));
    p.drawRect(QRectF(150, 100, 80, 70));  // no clip any more
    p.save();
    p.translate(200, 40);
    p.rotate(45);
    p.setClipRect(QRectF(-20, -20, 40, 40));
    p.setBrush(Qt::black);
    p.drawRect(QRectF(-100, -100, 200, 200));
    p.restore();
}

void text(QPainter& p) {
    // Outlines are unhinted; hinted glyphs would move stems by part of a pixel.
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setPixelSize(28);
    p.setFont(f);
    p.setPen(QColor(10, 10, 120));
    p.drawText(QPointF(10, 50), QStringLiteral("Toliva x² + ∫"));
    p.save();
    p.translate(60, 150);
    p.rotate(-25);
    f.setPixelSize(22);
    f.setItalic(true);
    p.setFont(f);
    p.setPen(QColor(150, 0, 0));
    p.drawText(QPointF(0, 0), QStringLiteral("rotated"));
    p.restore();
}

void cosmeticPens(QPainter& p) {
    p.setPen(QPen(Qt::black, 0));
    p.drawLine(QPointF(10, 10), QPointF(230, 170));
    p.save();
    p.scale(3, 2);
    QPen c(QColor(0, 0, 200), 3);
    c.setCosmetic(true);
    p.setPen(c);
    p.drawLine(QPointF(10, 80), QPointF(70, 20));
    QPen dotted(QColor(200, 0, 0), 1, Qt::DotLine);
    dotted.setCosmetic(true);
    p.setPen(dotted);
    p.drawRect(QRectF(5, 5, 60, 40));
    p.restore();
}

void bitmapsAndTransparency(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 255, 100));  // alpha: stored as a bitmap
    p.drawEllipse(QRectF(10, 10, 120, 100));
    QLinearGradient g(QPointF(120, 0), QPointF(230, 0));
    g.setColorAt(0, Qt::red);
    g.setColorAt(1, Qt::yellow);
    p.setBrush(g);
    p.drawRect(QRectF(120, 20, 110, 60));
    QImage img(8, 6, QImage::Format_RGB32);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) img.setPixel(x, y, (x + y) % 2 ? qRgb(0, 0, 0) : qRgb(0, 200, 0));
    p.drawImage(QRectF(20, 120, 80, 48), img);
    p.setBrush(QBrush(Qt::black, Qt::Dense4Pattern));  // no metafile hatch
    p.drawRect(QRectF(130, 110, 40, 40));
    p.setOpacity(0.5);
    p.setBrush(Qt::darkGreen);
    p.drawRect(QRectF(180, 110, 40, 60));
}

void hatches(QPainter& p) {
    const Qt::BrushStyle styles[] = {Qt::HorPattern, Qt::VerPattern, Qt::CrossPattern,
                                     Qt::BDiagPattern, Qt::FDiagPattern, Qt::DiagCrossPattern};
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 6; ++i) {
        p.setBrush(QBrush(QColor(0, 0, 128), styles[i]));
        p.drawRect(QRectF(8 + 40 * i, 16, 32, 64));
    }
}

struct SceneCase {
    const char* name;
    Scene draw;
};

const SceneCase kScenes[] = {
    {"curves", curves},
    {"thickDashedPens", thickDashedPens},
    {"filledShapes", filledShapes},
    {"transforms", transforms},
    {"clipsAndRestore", clipsAndRestore},
    {"text", text},
    {"cosmeticPens", cosmeticPens},
    {"bitmapsAndTransparency", bitmapsAndTransparency},
    {"hatches", hatches},
};

}  // namespace

TEST(EmfRoundTrip, PlaybackMatchesDirectDrawing) {
    for (const SceneCase& c : kScenes) {
        SCOPED_TRACE(c.name);
        const QByteArray emf = record(c.draw, kSize);
        const QImage direct = drawDirect(c.draw, kSize);
        EmfPlayResult result;
        const QImage played = playInto(emf, kSize, QRectF(), &result);
        EXPECT_TRUE(result.valid);
        EXPECT_TRUE(result.reachedEof);
        const double same = agreement(direct, played);
        if (qEnvironmentVariableIsSet("TOLIVA_EMF_DUMP")) printf("%s %.5f\n", c.name, same);
        EXPECT_GE(same, 0.98);
        if (same < 0.98 || qEnvironmentVariableIsSet("TOLIVA_EMF_DUMP")) {
            direct.save(QStringLiteral("/tmp/emf_%1_direct.png").arg(c.name));
            played.save(QStringLiteral("/tmp/emf_%1_played.png").arg(c.name));
            QImage diff = played.convertToFormat(QImage::Format_ARGB32);
            for (int y = 0; y < diff.height(); ++y)
                for (int x = 0; x < diff.width(); ++x) {
                    const QRgb a = direct.pixel(x, y), b = played.pixel(x, y);
                    const int d = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
                    diff.setPixel(x, y, d > 16 ? qRgb(255, 0, 0) : qRgb(qGray(b), qGray(b), qGray(b)));
                }
            diff.scaled(diff.size() * 2).save(QStringLiteral("/tmp/emf_%1_diff.png").arg(c.name));
        }
        // Something was drawn at all.
        EXPECT_GT(inkedPixels(played), 200);
    }
}

TEST(EmfRoundTrip, LibUemfAcceptsEveryRecord) {
    for (const SceneCase& c : kScenes) {
        SCOPED_TRACE(c.name);
        const QByteArray emf = record(c.draw, kSize);
        const MetafileCheck check = checkEmf(emf);
        EXPECT_TRUE(check.ok) << check.problem.toStdString();
        EXPECT_GT(check.records, 3);
    }
}
