// render: draws an equation stream, or a formula given as LaTeX, as a
// picture, PNG or SVG, and prints the picture's width, height, baseline and
// axis in pixels.
#include "Commands.h"

#include "model/EqModel.h"
#include "model/EqOutput.h"
#include "model/EqStream.h"
#include "model/RenderContext.h"
#include "platform/gdiplus/Graphics.h"
#include "tex/LaTeX.h"
#include "tex/TeXCode.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

#include <cmath>

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

// The pixel size of a picture: its extent rounded up, at least one pixel.
int pixels(float extent) { return std::isfinite(extent) && extent > 1 ? int(std::ceil(extent)) : 1; }

bool writePng(const RenderContext& render, EqModel* eq, float scale, const EqPictureMetrics& m, const QString& path) {
    QImage image(pixels(m.width), pixels(m.height), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) return false;
    image.fill(Qt::transparent);
    {
        gp::PainterGraphics g(&image);
        g.SetSmoothingMode(gp::SmoothingModeAntiAlias);
        g.SetTextRenderingHint(gp::TextRenderingHintAntiAlias);
        DrawEquationPicture(render, g, eq, scale);
    }
    return image.save(path, "PNG");
}

bool writeSvg(const RenderContext& render, EqModel* eq, float scale, const EqPictureMetrics& m, const QString& path) {
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(QSize(pixels(m.width), pixels(m.height)));
    svg.setViewBox(QRectF(0, 0, pixels(m.width), pixels(m.height)));
    svg.setTitle(QStringLiteral("equation"));
    {
        gp::PainterGraphics g(static_cast<QPaintDevice*>(&svg));
        if (!g.painter()->isActive()) return false;
        g.SetSmoothingMode(gp::SmoothingModeAntiAlias);
        g.SetTextRenderingHint(gp::TextRenderingHintAntiAlias);
        DrawEquationPicture(render, g, eq, scale);
    }
    return QFileInfo(path).size() > 0;
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
    if (args.hasLatex) {
        // Read into a scratch equation; nothing is drawn when nothing converts.
        CTeXCode names;
        TeXReadContext context;
        context.names = &names;
        const LaTeXReadResult r = ReadLaTeXInto(args.latex, &eq, context);
        showNotes(r.notes);
        showNotes(names.TakeNotes());
        showNotes(&eq);
        if (!r.message.isEmpty()) printError(QStringLiteral("eqtool: %1 at %2").arg(r.message).arg(r.position));
        if (!r.ok) return 1;
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

    const bool written = svg ? writeSvg(render, &eq, args.scale, m, args.output)
                             : writePng(render, &eq, args.scale, m, args.output);
    showNotes(&eq);
    if (!written) {
        printError(QStringLiteral("eqtool: cannot write %1").arg(args.output));
        return 1;
    }
    printOut(QStringLiteral("width %1\nheight %2\nbaseline %3\naxis %4\n")
                 .arg(m.width, 0, 'f', 2)
                 .arg(m.height, 0, 'f', 2)
                 .arg(m.baseline(), 0, 'f', 2)
                 .arg(m.axis, 0, 'f', 2));
    return 0;
}

}  // namespace toliva::eqtool
