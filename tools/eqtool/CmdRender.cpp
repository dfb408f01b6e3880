// render: draws an equation stream, or a formula given as LaTeX, as a
// picture, PNG or SVG, and prints the picture's width, height, baseline and
// axis in pixels. LaTeX that converted with parts not understood is drawn
// all the same; what was not understood is printed and the exit code is
// kNotUnderstood.
#include "Commands.h"

#include "model/EqModel.h"
#include "model/EqOutput.h"
#include "model/EqStream.h"
#include "model/RenderContext.h"
#include "platform/gdiplus/Bitmap.h"
#include "platform/gdiplus/Graphics.h"
#include "tex/LaTeX.h"
#include "tex/TeXCode.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

namespace toliva::eqtool {
namespace {

constexpr float kDefaultScale = 4.0f;
constexpr float kMaxScale = 64.0f;

struct RenderArgs {
    QString stream;
    QString latex;
    bool hasLatex = false;
    QString output;
    float scale = kDefaultScale;
    bool markMode = false;
};

bool parseArgs(const QStringList& arguments, RenderArgs* out) {
    QStringList args = arguments;
    out->markMode = takeMarksOption(args);
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (i + 1 >= args.size()) return false;
        const QString value = args[++i];
        if (a == u"--stream") {
            out->stream = value;
        } else if (a == u"--latex") {
            out->latex = value;
            out->hasLatex = true;
        } else if (a == u"-o") {
            out->output = value;
        } else if (a == u"--scale") {
            bool ok = false;
            out->scale = value.toFloat(&ok);
            if (!ok || !(out->scale > 0) || out->scale > kMaxScale) {
                printError(QStringLiteral("eqtool: the scale must be a number above 0 and at most %1").arg(kMaxScale));
                return false;
            }
        } else {
            return false;
        }
    }
    // Exactly one source: a stream file or LaTeX text.
    if (out->stream.isEmpty() == !out->hasLatex) return false;
    return !out->output.isEmpty();
}

EqLayoutSettings builtInStyle() {
    EqLayoutSettings s;
    SetDefaultLayoutSettings(s);
    return s;
}

// Each writer prints what went wrong.
bool writePng(const RenderContext& render, EqModel* eq, float scale, QSize size, const QString& path) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        printError(QStringLiteral("eqtool: not enough memory for a picture of %1 x %2 pixels")
                       .arg(size.width())
                       .arg(size.height()));
        return false;
    }
    image.fill(Qt::transparent);
    {
        gp::PainterGraphics g(&image);
        g.SetSmoothingMode(gp::SmoothingModeAntiAlias);
        g.SetTextRenderingHint(gp::TextRenderingHintAntiAlias);
        DrawEquationPicture(render, g, eq, scale);
    }
    return writePngFile(path, image);
}

// Drawn into memory first, then written whole.
bool writeSvg(const RenderContext& render, EqModel* eq, float scale, QSize size, const QString& path) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(size);
    svg.setViewBox(QRectF(QPointF(0, 0), QSizeF(size)));
    svg.setTitle(QStringLiteral("equation"));
    {
        gp::PainterGraphics g(static_cast<QPaintDevice*>(&svg));
        if (!g.painter()->isActive()) {
            printError(QStringLiteral("eqtool: the SVG generator cannot start"));
            return false;
        }
        g.SetSmoothingMode(gp::SmoothingModeAntiAlias);
        g.SetTextRenderingHint(gp::TextRenderingHintAntiAlias);
        DrawEquationPicture(render, g, eq, scale);
    }
    return writeWholeFile(path, bytes);
}

}  // namespace

int runRender(const QStringList& arguments) {
    RenderArgs args;
    if (!parseArgs(arguments, &args)) return kUsageError;
    const bool svg = args.output.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive);
    if (!svg && !args.output.endsWith(QLatin1String(".png"), Qt::CaseInsensitive)) {
        printError(QStringLiteral("eqtool: the output must be a .png or .svg file"));
        return kUsageError;
    }
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        printError(QStringLiteral("eqtool: render needs the font engine of a GUI application"));
        return 1;
    }

    EqModel eq(builtInStyle());
    bool understood = true;
    if (args.hasLatex) {
        // Nothing is drawn when nothing converts.
        if (!readLaTeXArgument(args.latex, &eq, &understood)) return 1;
    } else {
        QByteArray bytes;
        if (!readWholeFile(args.stream, &bytes)) return 1;
        const bool read = LoadEquationAtomically(&eq, bytes, args.markMode);
        showNotes(&eq);
        if (!read) {
            printError(QStringLiteral("eqtool: %1: damaged equation stream").arg(args.stream));
            return 1;
        }
    }

    // A first pass that keeps nothing gives the picture's size.
    const RenderContext render = RenderContext::FromDataFolder();
    gp::RecordingGraphics measuring;
    const EqPictureMetrics m = DrawEquationPicture(render, measuring, &eq, args.scale);
    QSize size;
    QString reason;
    if (!gp::PicturePixelSize(m.width, m.height, &size, &reason)) {
        showNotes(&eq);
        printError(QStringLiteral("eqtool: %1").arg(reason));
        return 1;
    }

    const bool written = svg ? writeSvg(render, &eq, args.scale, size, args.output)
                             : writePng(render, &eq, args.scale, size, args.output);
    showNotes(&eq);
    if (!written) return 1;
    printOut(QStringLiteral("width %1\nheight %2\nbaseline %3\naxis %4\n")
                 .arg(m.width, 0, 'f', 2)
                 .arg(m.height, 0, 'f', 2)
                 .arg(m.baseline(), 0, 'f', 2)
                 .arg(m.axis, 0, 'f', 2));
    return understood ? 0 : kNotUnderstood;
}

}  // namespace toliva::eqtool
