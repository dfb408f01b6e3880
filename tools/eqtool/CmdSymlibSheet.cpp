// eqtool symlib-sheet: draws every outline, glyph symbol and operator record
// of the symbol library, each beside the character it was made from, and
// scores each operator record against its character by ink overlap.
//
//   eqtool symlib-sheet -o SHEET.png [--part outlines|glyphs|operators]
//          [--library FILE] [--sources DIR] [--fonts DIR]... [--scores FILE]
//
// The library defaults to Dat/KwSLData.dat beside the program, the sources
// to data/sources/symlib found above the program's folder. The overlap score
// is the sum of the smaller of the two ink coverages over the sum of the
// larger, pixel by pixel, at a font size of 64 pixels (1 = the same ink).
// The ten worst operator records are printed; --scores writes all of them.
#include "Commands.h"

#include "model/EqLayoutSettings.h"
#include "model/EqSpacing.h"
#include "model/GlyphOutline.h"
#include "model/OperatorPrimitives.h"
#include "model/SymbolLibrary.h"
#include "platform/Folders.h"
#include "platform/gdiplus/Graphics.h"
#include "platform/gdiplus/GraphicsPath.h"
#include "tools/gensymlib/SymlibSources.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

namespace toliva::eqtool {
namespace {

using symlib::FontCache;
using symlib::ReferenceMetrics;
using symlib::Sources;

constexpr int kColumns = 12;
constexpr int kCell = 64;        // one drawing of a pair
constexpr int kLabel = 14;       // the index line under a pair
constexpr float kFontSize = 36;  // glyphs and operators are drawn at this size
constexpr float kScoreSize = 64;
constexpr int kScoreImage = 192;

struct Context {
    Sources sources;
    FontCache* fonts = nullptr;
    const QRawFont* shapes = nullptr;  // the font operator records are drawn like
    float shapesAxis = 0;              // its math axis above the baseline, in em
    ReferenceMetrics ref;              // of the text font that places glyphs and records
    EqLayoutSettings settings;
    float axisOffset = 0;  // the equation's axis offset the reference font gives
};

QString findSources() {
    QDir dir(programFolder());
    for (int up = 0; up < 8; ++up) {
        const QString candidate = dir.filePath(QStringLiteral("data/sources/symlib"));
        if (QFileInfo::exists(candidate + QStringLiteral("/glyphs.tsv"))) return candidate;
        if (!dir.cdUp()) break;
    }
    return QString();
}

// Fills a font character in black: baseline at baselineY, advance centred on cx.
void drawCharacter(QPainter& p, const QRawFont& font, char32_t ch, float cx, float baselineY, float size) {
    const quint32 glyph = symlib::glyphOf(font, ch);
    if (glyph == 0) return;
    qreal advance = 0;
    const QPainterPath path = symlib::glyphOutline(font, glyph, &advance);
    QTransform t;
    t.translate(cx, baselineY);
    t.scale(size / 100, size / 100);
    t.translate(-advance / 2, 0);
    p.fillPath(t.map(path), Qt::black);
}

// The reference character of a glyph symbol, laid out as the library lays
// its record out: on the baseline of the reference font's text box.
void drawGlyphReference(QPainter& p, Context& c, const symlib::GlyphSource& s, float cx, float cy, float size) {
    if (s.ch == 0) return;
    const QRawFont* font = c.fonts->font(c.sources, s.font, nullptr);
    if (!font) return;
    const float axis = symlib::glyphSitsOnAxis(s.index) ? symlib::referenceMetrics(*font).axisHeight : 0.0f;
    drawCharacter(p, *font, s.ch, cx, cy + symlib::glyphBaseline(s.index, c.ref, axis) * size, size);
}

void drawGlyphRecord(gp::Graphics& g, GlyphOutline& glyph, float cx, float cy, float size) {
    const gp::Matrix saved = g.GetTransform();
    g.TranslateTransform(cx, cy);
    g.ScaleTransform(size / 100 * glyph.scale, size / 100 * glyph.scale);
    DrawGlyph(g, 0xFF000000, true, false, glyph);
    g.SetTransform(saved);
}

// The record drawn as the operator object draws it, centred on cx with the
// element's y at cy.
void drawOperatorRecord(gp::Graphics& g, const Context& c, const OperatorDrawRecord& r, float cx, float cy,
                        float size) {
    OperatorFrame frame;
    frame.unit = r.widthFactor * c.settings.spacing[SpacingOperatorUnit] * size;
    frame.strokeWidth = c.settings.spacing[SpacingRuleThickness] * size;
    frame.centreX = cx;
    frame.baselineY = cy;
    frame.axisOffset = OperatorAxisOffset(r, c.axisOffset, size, frame.strokeWidth);
    frame.colour = 0xFF000000;
    DrawOperatorRecord(r, frame, g);
}

// The character an operator record stands for.
char32_t operatorReference(const symlib::OperatorSource& op) { return op.ch; }

// Where that character's baseline goes so that its math axis lies on the
// axis of the text, the element's y being cy.
float operatorReferenceBaseline(const Context& c, float cy, float size) {
    return cy + (c.ref.baselineBelowCentre - c.ref.axisHeight + c.shapesAxis) * size;
}

QImage blankImage(int w, int h) {
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::white);
    return img;
}

// Sum of the smaller coverage over the sum of the larger, both taken from
// the darkness of white images.
double overlap(const QImage& a, const QImage& b) {
    double lo = 0, hi = 0;
    for (int y = 0; y < a.height(); ++y) {
        const QRgb* pa = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const QRgb* pb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            const double ca = 1.0 - qGray(pa[x]) / 255.0, cb = 1.0 - qGray(pb[x]) / 255.0;
            lo += std::min(ca, cb);
            hi += std::max(ca, cb);
        }
    }
    return hi > 0 ? lo / hi : 1.0;
}

double scoreOperator(Context& c, const symlib::OperatorSource& op, const OperatorDrawRecord& r) {
    const float mid = kScoreImage / 2.0f;
    QImage drawn = blankImage(kScoreImage, kScoreImage);
    {
        QPainter p(&drawn);
        gp::PainterGraphics g(&p);
        g.SetSmoothingMode(gp::SmoothingModeAntiAlias);
        drawOperatorRecord(g, c, r, mid, mid, kScoreSize);
    }
    QImage wanted = blankImage(kScoreImage, kScoreImage);
    {
        QPainter p(&wanted);
        p.setRenderHint(QPainter::Antialiasing);
        if (operatorReference(op) != 0)
            drawCharacter(p, *c.shapes, operatorReference(op), mid, operatorReferenceBaseline(c, mid, kScoreSize),
                          kScoreSize);
    }
    return overlap(drawn, wanted);
}

class Sheet {
public:
    Sheet(int rows, int cell) : m_cell(cell), m_image(blankImage(kColumns * (2 * cell + 8) + 8, rows * (cell + kLabel) + 8)) {
        m_painter.begin(&m_image);
        m_painter.setRenderHint(QPainter::Antialiasing);
        m_graphics = std::make_unique<gp::PainterGraphics>(&m_painter);
        m_graphics->SetSmoothingMode(gp::SmoothingModeAntiAlias);
    }

    // The centres of the two drawings of item i, and its label.
    QPointF left(int i) const { return origin(i) + QPointF(m_cell / 2.0, m_cell / 2.0); }
    QPointF right(int i) const { return origin(i) + QPointF(m_cell * 1.5, m_cell / 2.0); }
    void frame(int i, const QString& label) {
        const QPointF o = origin(i);
        m_painter.setPen(QColor(0xDDDDEE));
        m_painter.drawRect(QRectF(o, QSizeF(m_cell, m_cell)));
        m_painter.drawRect(QRectF(o + QPointF(m_cell, 0), QSizeF(m_cell, m_cell)));
        // The element's y: the middle of the text box.
        m_painter.setPen(QColor(0xFFD0D0));
        m_painter.drawLine(QLineF(o.x(), o.y() + m_cell / 2.0, o.x() + 2 * m_cell, o.y() + m_cell / 2.0));
        QFont f = m_painter.font();
        f.setPixelSize(10);
        m_painter.setFont(f);
        m_painter.setPen(Qt::darkGray);
        m_painter.drawText(QRectF(o.x(), o.y() + m_cell, 2 * m_cell, kLabel), Qt::AlignCenter, label);
    }

    QPainter& painter() { return m_painter; }
    gp::Graphics& graphics() { return *m_graphics; }
    // Ends drawing; the sheet as a PNG file.
    bool save(const QString& path) {
        m_graphics.reset();
        m_painter.end();
        return writePngFile(path, m_image);
    }

private:
    QPointF origin(int i) const {
        return QPointF(8 + (i % kColumns) * (2 * m_cell + 8), 4 + (i / kColumns) * (m_cell + kLabel));
    }

    int m_cell;
    QImage m_image;
    QPainter m_painter;
    std::unique_ptr<gp::PainterGraphics> m_graphics;
};

int rowsFor(int items) { return (items + kColumns - 1) / kColumns; }

void drawOutlines(Sheet& sheet, Context& c, SymbolLibrary& lib, int first) {
    const int count = int(lib.outlines.size());
    const float height = kCell * 0.8f;
    for (int i = 0; i < count; ++i) {
        const int at = first + i;
        const symlib::OutlineSource* src = i < int(c.sources.outlines.size()) ? &c.sources.outlines[size_t(i)] : nullptr;
        sheet.frame(at, QStringLiteral("outline %1").arg(i));
        gp::GraphicsPath path;
        GetGlyphPath(*lib.outlines[size_t(i)], path, height, 0);
        const gp::RectF b = path.GetBounds();
        const QPointF l = sheet.left(at);
        gp::Matrix m;
        m.Translate(float(l.x()) - (b.x + b.width / 2), float(l.y()) - (b.y + b.height / 2));
        path.Transform(m);
        sheet.graphics().FillPath(0xFF000000, path);
        if (!src) continue;
        const QRawFont* font = c.fonts->font(c.sources, src->font, nullptr);
        const quint32 glyph = font ? symlib::glyphOf(*font, src->ch, src->variant) : 0;
        if (!glyph) continue;
        QPainterPath ref = symlib::glyphOutline(*font, glyph, nullptr);
        const QRectF rb = ref.boundingRect();
        QTransform t;
        t.translate(sheet.right(at).x(), sheet.right(at).y());
        t.scale(height / rb.height(), height / rb.height());
        t.translate(-rb.center().x(), -rb.center().y());
        sheet.painter().fillPath(t.map(ref), Qt::black);
    }
}

void drawGlyphs(Sheet& sheet, Context& c, SymbolLibrary& lib, int first) {
    for (size_t i = 0; i < lib.glyphs.size(); ++i) {
        const int at = first + int(i);
        sheet.frame(at, QString::number(i + 1));
        const QPointF l = sheet.left(at), r = sheet.right(at);
        drawGlyphRecord(sheet.graphics(), *lib.glyphs[i], float(l.x()), float(l.y()), kFontSize);
        if (i < c.sources.glyphs.size()) drawGlyphReference(sheet.painter(), c, c.sources.glyphs[i], float(r.x()), float(r.y()), kFontSize);
    }
}

void drawOperators(Sheet& sheet, Context& c, SymbolLibrary& lib, int first, std::vector<std::pair<double, int>>* scores) {
    for (int i = 0; i < lib.operatorCount; ++i) {
        const int at = first + i;
        const int type = kFirstOperatorType + i;
        const OperatorDrawRecord& r = lib.operators[size_t(i)];
        const symlib::OperatorSource* src = i < int(c.sources.operators.size()) ? &c.sources.operators[size_t(i)] : nullptr;
        double score = -1;
        if (src && operatorReference(*src) != 0) {
            score = scoreOperator(c, *src, r);
            scores->push_back({score, type});
        }
        sheet.frame(at, score >= 0 ? QStringLiteral("%1  %2").arg(type).arg(score, 0, 'f', 2) : QString::number(type));
        const QPointF l = sheet.left(at), rt = sheet.right(at);
        drawOperatorRecord(sheet.graphics(), c, r, float(l.x()), float(l.y()), kFontSize);
        if (src && operatorReference(*src) != 0)
            drawCharacter(sheet.painter(), *c.shapes, operatorReference(*src), float(rt.x()),
                          operatorReferenceBaseline(c, float(rt.y()), kFontSize), kFontSize);
    }
}

}  // namespace

int runSymlibSheet(const QStringList& argsIn) {
    QStringList args = argsIn;
    QString output, part, libraryPath, sourcesDir, scoresPath;
    QStringList fontFolders;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (i + 1 >= args.size()) return kUsageError;
        if (a == u"-o") output = args[++i];
        else if (a == u"--part") part = args[++i];
        else if (a == u"--library") libraryPath = args[++i];
        else if (a == u"--sources") sourcesDir = args[++i];
        else if (a == u"--fonts") fontFolders << args[++i];
        else if (a == u"--scores") scoresPath = args[++i];
        else return kUsageError;
    }
    if (output.isEmpty()) return kUsageError;
    if (!part.isEmpty() && part != u"outlines" && part != u"glyphs" && part != u"operators") return kUsageError;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        printError(QStringLiteral("eqtool: symlib-sheet needs the font engine of a GUI application"));
        return 1;
    }
    if (libraryPath.isEmpty()) libraryPath = programFolder() + SymbolLibraryFileName();
    if (sourcesDir.isEmpty()) sourcesDir = findSources();
    if (fontFolders.isEmpty()) fontFolders = symlib::defaultFontFolders();

    SymbolLibrary lib;
    if (!LoadSymbolLibraryFile(lib, libraryPath)) {
        printError(QStringLiteral("eqtool: cannot read %1").arg(libraryPath));
        return 1;
    }
    Context c;
    QString error;
    if (sourcesDir.isEmpty() || !symlib::readSources(sourcesDir, &c.sources, &error)) {
        printError(QStringLiteral("eqtool: cannot read the symbol library sources %1").arg(error));
        return 1;
    }
    FontCache fonts(fontFolders);
    c.fonts = &fonts;
    const QRawFont* text = fonts.font(c.sources, QStringLiteral("text"), &error);
    c.shapes = fonts.font(c.sources, QStringLiteral("stix"), &error);
    if (!text || !c.shapes) {
        printError(QStringLiteral("eqtool: ") + error);
        return 1;
    }
    SetDefaultLayoutSettings(c.settings);
    c.ref = symlib::referenceMetrics(*text, c.settings.spacing[SpacingGlyphMargin]);
    c.shapesAxis = symlib::referenceMetrics(*c.shapes, c.settings.spacing[SpacingGlyphMargin]).axisHeight;
    c.axisOffset = 0.26145f - c.ref.baselineBelowCentre + (c.settings.spacing[SpacingAxisShift] - 0.035f);

    const bool all = part.isEmpty();
    const int outlineRows = (all || part == u"outlines") ? rowsFor(int(lib.outlines.size())) : 0;
    const int glyphRows = (all || part == u"glyphs") ? rowsFor(int(lib.glyphs.size())) : 0;
    const int operatorRows = (all || part == u"operators") ? rowsFor(lib.operatorCount) : 0;
    Sheet sheet(std::max(1, outlineRows + glyphRows + operatorRows), kCell);
    std::vector<std::pair<double, int>> scores;
    int row = 0;
    if (outlineRows) drawOutlines(sheet, c, lib, row * kColumns);
    row += outlineRows;
    if (glyphRows) drawGlyphs(sheet, c, lib, row * kColumns);
    row += glyphRows;
    if (operatorRows) drawOperators(sheet, c, lib, row * kColumns, &scores);
    if (!sheet.save(output)) return 1;

    std::sort(scores.begin(), scores.end());
    if (!scoresPath.isEmpty()) {
        QByteArray text;
        for (const auto& [score, type] : scores)
            text += QStringLiteral("%1\t%2\n").arg(type).arg(score, 0, 'f', 3).toUtf8();
        if (!writeWholeFile(scoresPath, text)) return 1;
    }
    if (!scores.empty()) {
        double sum = 0;
        for (const auto& s : scores) sum += s.first;
        QString text = QStringLiteral("operator overlap: mean %1; worst:").arg(sum / double(scores.size()), 0, 'f', 3);
        for (size_t i = 0; i < std::min<size_t>(10, scores.size()); ++i)
            text += QStringLiteral(" %1=%2").arg(scores[i].second).arg(scores[i].first, 0, 'f', 2);
        printOut(text + u'\n');
    }
    return 0;
}

}  // namespace toliva::eqtool
