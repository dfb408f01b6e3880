// gensymlib: builds the symbol library "Dat/KwSLData.dat" from its readable
// sources (data/sources/symlib) and the free math fonts installed here.
//
//   gensymlib --sources DIR --output FILE [--fonts DIR]... [--reference KEY]
//
// Glyph units are hundredths of the font size, y down. The conventions:
//
// - Glyph symbols are laid out as the text measuring lays out a character:
//   x = 0 in the middle of the character's advance, y = 0 in the middle of
//   the text box of the reference font (the text font of the default style,
//   key "text" of fonts.tsv), so that the baseline lies where a character of
//   that font has it; arrows instead put their axis on the text's math axis,
//   as they are drawn without the text font's corrections. Advance (m0) = the
//   advance plus the side padding of text measuring; ascent and descent (m1,
//   m2) = those of a character, or the ink's extent where it reaches further.
// - Outlines of integral signs and big operators are scaled to an ink height
//   of 100 and centred on the origin, so that the size in percent passed for
//   them is their height in hundredths of the font size.
// - Operator records are written in operators.txt relative to the math axis of
//   the text. The axis does not lie where an axis-centred record is drawn
//   (that place follows from the measured font metrics), so every y is moved
//   here by the difference for the reference font and the default settings.
//
// Exit status 1 (nothing written) when a source is malformed, a font or a
// character is missing, or a list is short.
#include "SymlibSources.h"

#include "model/EqLayoutSettings.h"
#include "model/EqSpacing.h"
#include "model/GlyphOutline.h"
#include "model/OperatorPrimitives.h"
#include "model/SymbolLibrary.h"
#include "platform/Archive.h"

#include <QGuiApplication>

#include <cmath>
#include <cstdio>

using namespace toliva;
using namespace toliva::symlib;

namespace {

constexpr int kMinGlyphs = 476;
constexpr int kOutlines = 11;
// Text measuring adds this much space on each side of a string, in em.
constexpr float kSidePadding = 1.0f / 6.0f;

int failWith(const QString& message) {
    std::fprintf(stderr, "gensymlib: %s\n", message.toUtf8().constData());
    return 1;
}

// The character a glyph record names: the character itself within the
// 16-bit range, the plain letter or digit of a mathematical alphanumeric.
int16_t recordCharCode(char32_t ch) {
    if (ch <= 0xFFFF) return int16_t(uint16_t(ch));
    if (ch >= 0x1D400 && ch < 0x1D400 + 13 * 52) {
        const int i = int(ch - 0x1D400) % 52;
        return int16_t(i < 26 ? 'A' + i : 'a' + i - 26);
    }
    if (ch >= 0x1D7CE && ch <= 0x1D7FF) return int16_t('0' + int(ch - 0x1D7CE) % 10);
    return 0;
}

void setPoints(GlyphOutline& g, const QPainterPath& path) {
    std::vector<gp::PointF> points;
    std::vector<uint8_t> types;
    appendPathPoints(path, &points, &types);
    g.count = int32_t(points.size());
    g.points = std::move(points);
    g.types = std::move(types);
    EnsureGlyphOwnPath(g);
}

std::unique_ptr<GlyphOutline> makeOutline(const OutlineSource& o, const QRawFont& font, QString* error) {
    const quint32 glyph = glyphOf(font, o.ch, o.variant);
    if (glyph == 0) {
        *error = QStringLiteral("outline %1: the font has no U+%2 (variant %3)")
                     .arg(o.index).arg(uint(o.ch), 4, 16, QChar(u'0')).arg(o.variant);
        return nullptr;
    }
    QPainterPath path = glyphOutline(font, glyph, nullptr);
    const QRectF ink = path.boundingRect();
    if (ink.height() <= 0) {
        *error = QStringLiteral("outline %1: empty glyph").arg(o.index);
        return nullptr;
    }
    const qreal k = 100.0 / ink.height();
    QTransform t;
    t.scale(k, k);
    t.translate(-ink.center().x(), -ink.center().y());
    path = t.map(path);
    auto g = std::make_unique<GlyphOutline>();
    setPoints(*g, path);
    g->m[0] = float(ink.width() * k);
    g->m[1] = 50;
    g->m[2] = 50;
    g->charCode = recordCharCode(o.ch);
    return g;
}

std::unique_ptr<GlyphOutline> makeGlyph(const GlyphSource& s, const QRawFont* font, const ReferenceMetrics& ref,
                                        QString* error) {
    auto g = std::make_unique<GlyphOutline>();
    const float charAscent = ref.characterAscent * 100;
    g->m[1] = charAscent;
    g->m[2] = charAscent;
    g->charCode = recordCharCode(s.ch);
    if (s.ch == 0 || !font) {
        g->m[0] = 2 * kSidePadding * 100;  // no ink, no advance
        return g;
    }
    const quint32 glyph = glyphOf(*font, s.ch);
    if (glyph == 0) {
        *error = QStringLiteral("glyph %1: font %2 has no U+%3").arg(s.index).arg(s.font).arg(uint(s.ch), 4, 16, QChar(u'0'));
        return nullptr;
    }
    qreal advance = 0;
    QPainterPath path = glyphOutline(*font, glyph, &advance);
    const float sourceAxis = glyphSitsOnAxis(s.index) ? referenceMetrics(*font).axisHeight : 0.0f;
    path.translate(-advance / 2, glyphBaseline(s.index, ref, sourceAxis) * 100);
    setPoints(*g, path);
    const QRectF ink = path.boundingRect();
    g->m[0] = float(advance) + 2 * kSidePadding * 100;
    if (!ink.isEmpty()) {
        g->m[1] = std::max(charAscent, float(-ink.top()));
        g->m[2] = std::max(charAscent, float(ink.bottom()));
    }
    return g;
}

// Moves an operator written about the text's math axis to where its record
// is drawn: a record centred on the axis is drawn about the measured axis
// offset less half a stroke, any other about the element's y.
OperatorDrawRecord placeOperator(const OperatorSource& op, const ReferenceMetrics& ref, const EqLayoutSettings& s) {
    OperatorDrawRecord r = op.record;
    const float unit = r.widthFactor * s.spacing[SpacingOperatorUnit];  // in em
    if (unit <= 0) return r;
    const float stroke = s.spacing[SpacingRuleThickness];
    const float shift = s.spacing[SpacingAxisShift] - 0.035f;
    const float measuredAxis = 0.26145f - ref.baselineBelowCentre + shift;  // the equation's axis offset
    const float drawnAt = r.onMathAxis() ? measuredAxis - stroke / 2 : 0.0f;
    const float textAxis = ref.baselineBelowCentre - ref.axisHeight;  // below the element's y
    const float dy = (textAxis - drawnAt) / unit;
    for (OperatorPrimitive& p : r.primitives) {
        if (p.kind == OpPrimNone) break;
        p.y += dy;
        if (p.kind == OpPrimLine) p.sy += dy;
    }
    return r;
}

int run(const QStringList& args) {
    QString sourcesDir, output, referenceKey = QStringLiteral("text");
    QStringList fontFolders;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == u"--sources" && hasValue) sourcesDir = args[++i];
        else if (a == u"--output" && hasValue) output = args[++i];
        else if (a == u"--fonts" && hasValue) fontFolders << args[++i];
        else if (a == u"--reference" && hasValue) referenceKey = args[++i];
        else return failWith(QStringLiteral("usage: gensymlib --sources DIR --output FILE [--fonts DIR]... [--reference KEY]"));
    }
    if (sourcesDir.isEmpty() || output.isEmpty())
        return failWith(QStringLiteral("usage: gensymlib --sources DIR --output FILE [--fonts DIR]... [--reference KEY]"));
    if (fontFolders.isEmpty()) fontFolders = defaultFontFolders();

    Sources sources;
    QString error;
    if (!readSources(sourcesDir, &sources, &error)) return failWith(error);
    if (int(sources.glyphs.size()) < kMinGlyphs)
        return failWith(QStringLiteral("glyphs.tsv lists %1 glyphs, at least %2 are needed").arg(sources.glyphs.size()).arg(kMinGlyphs));
    if (int(sources.outlines.size()) != kOutlines)
        return failWith(QStringLiteral("outlines.tsv lists %1 outlines, %2 are needed").arg(sources.outlines.size()).arg(kOutlines));
    if (int(sources.operators.size()) != kOperatorTableSize)
        return failWith(QStringLiteral("operators.txt lists %1 records, %2 are needed").arg(sources.operators.size()).arg(kOperatorTableSize));

    // The script offsets are compiled into the layout; the table here must
    // say the same.
    for (const GlyphSource& s : sources.glyphs) {
        if (std::abs(s.scriptOffset - GlyphScriptOffset(s.index)) > 0.001f)
            return failWith(QStringLiteral("glyphs.tsv:%1: script offset %2 differs from GlyphScriptOffset (%3)")
                                .arg(s.line).arg(s.scriptOffset).arg(GlyphScriptOffset(s.index)));
    }

    FontCache fonts(fontFolders);
    const QRawFont* reference = fonts.font(sources, referenceKey, &error);
    if (!reference) return failWith(error);
    EqLayoutSettings settings;
    SetDefaultLayoutSettings(settings);
    const ReferenceMetrics ref = referenceMetrics(*reference, settings.spacing[SpacingGlyphMargin]);

    SymbolLibrary library;
    for (const OutlineSource& o : sources.outlines) {
        const QRawFont* font = fonts.font(sources, o.font, &error);
        if (!font) return failWith(QStringLiteral("outlines.tsv:%1: %2").arg(o.line).arg(error));
        auto g = makeOutline(o, *font, &error);
        if (!g) return failWith(error);
        library.outlines.push_back(std::move(g));
    }
    for (const GlyphSource& s : sources.glyphs) {
        const QRawFont* font = nullptr;
        if (s.ch != 0) {
            font = fonts.font(sources, s.font, &error);
            if (!font) return failWith(QStringLiteral("glyphs.tsv:%1: %2").arg(s.line).arg(error));
        }
        auto g = makeGlyph(s, font, ref, &error);
        if (!g) return failWith(error);
        library.glyphs.push_back(std::move(g));
    }
    library.operatorCount = int32_t(sources.operators.size());
    library.operators.reset(new OperatorDrawRecord[sources.operators.size()]);
    for (size_t i = 0; i < sources.operators.size(); ++i)
        library.operators[i] = placeOperator(sources.operators[i], ref, settings);

    try {
        Archive ar = Archive::openFile(output, Archive::Store);
        WriteSymbolLibrary(ar, library);
        ar.close();
    } catch (const FileException& e) {
        return failWith(QString::fromUtf8(e.what()));
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    return run(QGuiApplication::arguments().mid(1));
}
