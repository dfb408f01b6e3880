// eqtool render: a stored equation drawn to PNG and SVG, with the picture's
// measurements printed.
#include "EqtoolRun.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QMap>

#include <cmath>

namespace toliva {
namespace {

using test::eqtool;
using test::ToolRun;

QString stream(const char* name) {
    return QFileInfo(QStringLiteral(__FILE__))
        .dir()
        .filePath(QStringLiteral("../data/streams/%1").arg(QLatin1String(name)));
}

// "width 12.50" lines to values.
QMap<QString, double> measurements(const QString& out) {
    QMap<QString, double> m;
    for (const QString& line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList parts = line.split(QLatin1Char(' '));
        if (parts.size() == 2) m[parts[0]] = parts[1].toDouble();
    }
    return m;
}

bool hasInk(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0 && qGray(image.pixel(x, y)) < 128) return true;
    return false;
}

TEST(EqtoolRender, WritesAPngOfThePrintedSize) {
    test::ScratchFolder dir;
    const QString png = dir.file(QStringLiteral("fields.png"));
    const ToolRun r = eqtool({QStringLiteral("render"), QStringLiteral("--stream"), stream("fields.eqs"),
                                 QStringLiteral("-o"), png, QStringLiteral("--scale"), QStringLiteral("4")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QMap<QString, double> m = measurements(r.out);
    for (const char* key : {"width", "height", "baseline", "axis"}) EXPECT_TRUE(m.contains(QLatin1String(key))) << key;
    EXPECT_GT(m.value(QStringLiteral("baseline")), 0);
    EXPECT_LT(m.value(QStringLiteral("baseline")), m.value(QStringLiteral("height")));

    const QImage image(png);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), int(std::ceil(m.value(QStringLiteral("width")) - 0.005)));
    EXPECT_EQ(image.height(), int(std::ceil(m.value(QStringLiteral("height")) - 0.005)));
    EXPECT_TRUE(hasInk(image));

    // Twice the scale, twice the picture.
    const ToolRun twice = eqtool({QStringLiteral("render"), QStringLiteral("--stream"), stream("fields.eqs"),
                              QStringLiteral("-o"), png, QStringLiteral("--scale"), QStringLiteral("8")});
    ASSERT_EQ(twice.exitCode, 0);
    EXPECT_NEAR(measurements(twice.out).value(QStringLiteral("width")), 2 * m.value(QStringLiteral("width")),
                0.03 * m.value(QStringLiteral("width")));
}

TEST(EqtoolRender, WritesAnSvg) {
    test::ScratchFolder dir;
    const QString svg = dir.file(QStringLiteral("style.svg"));
    const ToolRun r =
        eqtool({QStringLiteral("render"), QStringLiteral("--stream"), stream("style.eqs"), QStringLiteral("-o"), svg});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QByteArray text = test::readFile(svg);
    EXPECT_TRUE(text.contains("<svg")) << text.left(200).constData();
    EXPECT_TRUE(text.contains("</svg>"));
    const double width = measurements(r.out).value(QStringLiteral("width"));
    EXPECT_TRUE(text.contains(QStringLiteral("viewBox=\"0 0 %1 ").arg(int(std::ceil(width - 0.005))).toUtf8()));
}

TEST(EqtoolRender, RefusesBadArguments) {
    test::ScratchFolder dir;
    const QString out = dir.file(QStringLiteral("x.png"));
    const QString in = stream("fields.eqs");
    struct Case {
        QStringList args;
        int exitCode;
    };
    const Case cases[] = {
        {{QStringLiteral("--stream"), in}, 2},
        {{QStringLiteral("-o"), out}, 2},
        {{QStringLiteral("--stream"), in, QStringLiteral("-o"), out, QStringLiteral("--scale"), QStringLiteral("0")},
         2},
        {{QStringLiteral("--stream"), in, QStringLiteral("-o"), out, QStringLiteral("--scale"), QStringLiteral("nan")},
         2},
        {{QStringLiteral("--stream"), in, QStringLiteral("-o"), dir.file(QStringLiteral("x.bmp"))}, 2},
        {{QStringLiteral("--stream"), dir.file(QStringLiteral("missing.eqs")), QStringLiteral("-o"), out}, 1},
    };
    for (const Case& c : cases) {
        const ToolRun r = eqtool(QStringList{QStringLiteral("render")} << c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args.join(QLatin1Char(' ')).toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(out));

    // A damaged stream is refused, not drawn.
    const QString damaged = dir.file(QStringLiteral("damaged.eqs"));
    ASSERT_TRUE(test::writeFile(damaged, test::readFile(in).left(40)));
    const ToolRun r =
        eqtool({QStringLiteral("render"), QStringLiteral("--stream"), damaged, QStringLiteral("-o"), out});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QLatin1String("damaged"))) << r.err.toStdString();
}

// A formula straight from LaTeX; text that does not convert draws nothing.
TEST(EqtoolRender, DrawsLaTeXText) {
    test::ScratchFolder dir;
    const QString png = dir.file(QStringLiteral("frac.png"));
    const ToolRun r = eqtool({QStringLiteral("render"), QStringLiteral("--latex"),
                                 QStringLiteral("\\frac{a}{b}+\\sqrt{x}"), QStringLiteral("-o"), png});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QMap<QString, double> m = measurements(r.out);
    const QImage image(png);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), int(std::ceil(m.value(QStringLiteral("width")) - 0.005)));
    EXPECT_TRUE(hasInk(image));
    // A fraction stands taller than one line of text.
    const ToolRun plain = eqtool({QStringLiteral("render"), QStringLiteral("--latex"), QStringLiteral("ab"),
                                     QStringLiteral("-o"), dir.file(QStringLiteral("ab.png"))});
    ASSERT_EQ(plain.exitCode, 0) << plain.err.toStdString();
    EXPECT_GT(m.value(QStringLiteral("height")), measurements(plain.out).value(QStringLiteral("height")));

    const QString none = dir.file(QStringLiteral("none.png"));
    // Nothing, an empty formula, groups nested too deeply.
    const QString deep = QString(300, QLatin1Char('{')) + QLatin1Char('x') + QString(300, QLatin1Char('}'));
    for (const QString& text : {QString(), QStringLiteral("$$"), deep}) {
        const ToolRun bad =
            eqtool({QStringLiteral("render"), QStringLiteral("--latex"), text, QStringLiteral("-o"), none});
        EXPECT_EQ(bad.exitCode, 1) << text.left(20).toStdString();
        EXPECT_FALSE(bad.err.trimmed().isEmpty()) << text.left(20).toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(none));

    // One source only.
    const ToolRun both = eqtool({QStringLiteral("render"), QStringLiteral("--stream"), stream("fields.eqs"),
                                    QStringLiteral("--latex"), QStringLiteral("x"), QStringLiteral("-o"), none});
    EXPECT_EQ(both.exitCode, 2);
}

// Every drawer in every setting, under the sanitizers of the test build.
TEST(EqtoolGallery, DrawsEveryTypeAndAContactSheet) {
    test::ScratchFolder dir;
    const ToolRun r = eqtool({QStringLiteral("gallery"), dir.path()});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList pictures = QDir(dir.path()).entryList({QStringLiteral("*.png")}, QDir::Files);
    EXPECT_GE(pictures.size(), 5 * 170 + 1);
    for (const char* name : {"0128-plain.png", "0128-nested.png", "0128-scripted.png", "0128-coloured.png",
                             "0128-phantom.png", "1536-plain.png", "contact-sheet.png"})
        EXPECT_TRUE(pictures.contains(QLatin1String(name))) << name;
    EXPECT_TRUE(hasInk(QImage(dir.file(QStringLiteral("0128-plain.png")))));
    const QImage sheet(dir.file(QStringLiteral("contact-sheet.png")));
    EXPECT_GT(sheet.width(), 1000);
    EXPECT_GT(sheet.height(), 1000);
}

}  // namespace
}  // namespace toliva
