// The readable sources of the symbol library (data/sources/symlib) and the
// font outlines they name. Shared by gensymlib, which builds the library
// file, and by eqtool's symlib-sheet, which draws the library beside the
// characters it was made from.
//
// Needs a QGuiApplication for the font engine.
#pragma once

#include "model/OperatorPrimitives.h"

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QPainterPath>
#include <QRawFont>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <QtEndian>

#include <cmath>
#include <map>
#include <optional>
#include <vector>

namespace toliva::symlib {

// One row of fonts.tsv: a short key and the font file it stands for.
struct FontSource {
    QString key;
    QString file;
    QString what;
};

// One row of glyphs.tsv.
struct GlyphSource {
    int index = 0;        // 1-based glyph index
    QString what;
    char32_t ch = 0;      // the character drawn; 0 for an empty record
    QString font;         // key of fonts.tsv
    float scriptOffset = 0;
    QString notes;
    int line = 0;
};

// One row of outlines.tsv.
struct OutlineSource {
    int index = 0;  // 0-based record of the outline list
    QString what;
    char32_t ch = 0;
    QString font;
    int variant = 0;  // 0 the font's own glyph, n the n-th larger size of its MATH table
    QString notes;
    int line = 0;
};

// One record of operators.txt, as written there: coordinates relative to the
// math axis of the text, in the record's drawing units.
struct OperatorSource {
    int type = 0;
    char32_t ch = 0;
    QString what;
    OperatorDrawRecord record;
    int line = 0;
};

struct Sources {
    std::vector<FontSource> fonts;
    std::vector<GlyphSource> glyphs;
    std::vector<OutlineSource> outlines;
    std::vector<OperatorSource> operators;

    const FontSource* font(const QString& key) const {
        for (const FontSource& f : fonts)
            if (f.key == key) return &f;
        return nullptr;
    }
};

// ---------------------------------------------------------------------------
// Reading the tables

namespace detail {

inline bool fail(QString* error, const QString& file, int line, const QString& text) {
    if (error) *error = QStringLiteral("%1:%2: %3").arg(file).arg(line).arg(text);
    return false;
}

// The lines of a text file with their numbers; comments and blank lines
// are left out. False when the file cannot be read.
inline bool readLines(const QString& path, std::vector<std::pair<int, QString>>* lines) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QStringList all = QString::fromUtf8(f.readAll()).split(u'\n');
    for (int i = 0; i < all.size(); ++i) {
        QString s = all[i];
        if (s.endsWith(u'\r')) s.chop(1);
        if (s.trimmed().isEmpty() || s.trimmed().startsWith(u'#')) continue;
        lines->push_back({i + 1, s});
    }
    return true;
}

// "U+2190" or "-" (none).
inline bool parseChar(const QString& text, char32_t* ch) {
    const QString t = text.trimmed();
    if (t == u"-") {
        *ch = 0;
        return true;
    }
    if (!t.startsWith(u"U+")) return false;
    bool ok = false;
    const uint v = t.mid(2).toUInt(&ok, 16);
    if (!ok || v > 0x10FFFF) return false;
    *ch = char32_t(v);
    return true;
}

inline bool parseInt(const QString& text, int* v) {
    bool ok = false;
    *v = text.trimmed().toInt(&ok);
    return ok;
}

inline bool parseFloat(const QString& text, float* v) {
    bool ok = false;
    *v = text.trimmed().toFloat(&ok);
    return ok && std::isfinite(*v);
}

inline const std::map<QString, uint8_t>& primitiveKinds() {
    static const std::map<QString, uint8_t> kinds = {
        {QStringLiteral("line"), OpPrimLine},        {QStringLiteral("scurve"), OpPrimSCurve},
        {QStringLiteral("caret"), OpPrimCaret},      {QStringLiteral("triangle"), OpPrimTriangle},
        {QStringLiteral("bracket"), OpPrimBracket},  {QStringLiteral("rectangle"), OpPrimRectangle},
        {QStringLiteral("arc"), OpPrimArc},          {QStringLiteral("dot"), OpPrimDot},
        {QStringLiteral("ellipse"), OpPrimEllipse},  {QStringLiteral("curl"), OpPrimCurl},
        {QStringLiteral("quarter"), OpPrimQuarterArc}, {QStringLiteral("quarter2"), OpPrimQuarterArc2},
        {QStringLiteral("bow"), OpPrimBow},          {QStringLiteral("loop"), OpPrimLoop},
        {QStringLiteral("scurve2"), OpPrimSCurveMirror},
    };
    return kinds;
}

}  // namespace detail

inline bool readFontTable(const QString& path, std::vector<FontSource>* out, QString* error) {
    std::vector<std::pair<int, QString>> lines;
    if (!detail::readLines(path, &lines)) return detail::fail(error, path, 0, QStringLiteral("cannot read"));
    for (const auto& [n, s] : lines) {
        const QStringList f = s.split(u'\t');
        if (f.size() < 2 || f[0].trimmed().isEmpty() || f[1].trimmed().isEmpty())
            return detail::fail(error, path, n, QStringLiteral("expected: key, file, what"));
        out->push_back({f[0].trimmed(), f[1].trimmed(), f.value(2).trimmed()});
    }
    return true;
}

// glyphs.tsv: index, what, character, font key, script offset ("-" none), notes.
inline bool readGlyphTable(const QString& path, std::vector<GlyphSource>* out, QString* error) {
    std::vector<std::pair<int, QString>> lines;
    if (!detail::readLines(path, &lines)) return detail::fail(error, path, 0, QStringLiteral("cannot read"));
    for (const auto& [n, s] : lines) {
        const QStringList f = s.split(u'\t');
        GlyphSource g;
        g.line = n;
        if (f.size() < 5 || !detail::parseInt(f[0], &g.index) || !detail::parseChar(f[2], &g.ch))
            return detail::fail(error, path, n, QStringLiteral("expected: index, what, U+code, font, offset, notes"));
        g.what = f[1].trimmed();
        g.font = f[3].trimmed();
        if (f[4].trimmed() != u"-" && !detail::parseFloat(f[4], &g.scriptOffset))
            return detail::fail(error, path, n, QStringLiteral("bad script offset"));
        g.notes = f.value(5).trimmed();
        if (!out->empty() && g.index != out->back().index + 1)
            return detail::fail(error, path, n, QStringLiteral("indices must run 1, 2, 3, ... without gaps"));
        if (out->empty() && g.index != 1) return detail::fail(error, path, n, QStringLiteral("the first index is 1"));
        out->push_back(g);
    }
    return true;
}

// outlines.tsv: index, what, character, font key, variant, notes.
inline bool readOutlineTable(const QString& path, std::vector<OutlineSource>* out, QString* error) {
    std::vector<std::pair<int, QString>> lines;
    if (!detail::readLines(path, &lines)) return detail::fail(error, path, 0, QStringLiteral("cannot read"));
    for (const auto& [n, s] : lines) {
        const QStringList f = s.split(u'\t');
        OutlineSource o;
        o.line = n;
        if (f.size() < 5 || !detail::parseInt(f[0], &o.index) || !detail::parseChar(f[2], &o.ch) ||
            !detail::parseInt(f[4], &o.variant) || o.variant < 0)
            return detail::fail(error, path, n, QStringLiteral("expected: index, what, U+code, font, variant, notes"));
        o.what = f[1].trimmed();
        o.font = f[3].trimmed();
        o.notes = f.value(5).trimmed();
        if (o.index != int(out->size())) return detail::fail(error, path, n, QStringLiteral("indices must run 0, 1, 2, ..."));
        out->push_back(o);
    }
    return true;
}

// operators.txt: a record line "TYPE U+code what | key=value ..." followed by
// up to six primitive lines "kind key=value ...", each indented.
inline bool readOperatorText(const QString& path, std::vector<OperatorSource>* out, QString* error) {
    std::vector<std::pair<int, QString>> lines;
    if (!detail::readLines(path, &lines)) return detail::fail(error, path, 0, QStringLiteral("cannot read"));
    OperatorSource* current = nullptr;
    int primitives = 0;
    float defaultPen = 1.0f;
    for (const auto& [n, s] : lines) {
        const bool indented = s.startsWith(u' ') || s.startsWith(u'\t');
        if (!indented) {
            // 1042  U+002B  plus sign | w=0.8 h=1 class=0 axis pen=1.6
            const int bar = s.indexOf(u'|');
            if (bar < 0) return detail::fail(error, path, n, QStringLiteral("a record line needs '|' before its settings"));
            const QStringList head = s.left(bar).simplified().split(u' ');
            OperatorSource op;
            op.line = n;
            if (head.size() < 2 || !detail::parseInt(head[0], &op.type) || !detail::parseChar(head[1], &op.ch))
                return detail::fail(error, path, n, QStringLiteral("expected: type, U+code, what | settings"));
            op.what = QStringList(head.mid(2)).join(u' ');
            if (op.type != kFirstOperatorType + int(out->size()))
                return detail::fail(error, path, n, QStringLiteral("types must run from 1042 without gaps"));
            defaultPen = 1.0f;
            bool axis = false;
            int spacingClass = 0;
            for (const QString& kv : s.mid(bar + 1).simplified().split(u' ', Qt::SkipEmptyParts)) {
                if (kv == u"axis") {
                    axis = true;
                    continue;
                }
                const QString key = kv.section(u'=', 0, 0), value = kv.section(u'=', 1);
                float v = 0;
                if (!detail::parseFloat(value, &v)) return detail::fail(error, path, n, QStringLiteral("bad value: ") + kv);
                if (key == u"w") op.record.widthFactor = v;
                else if (key == u"h") op.record.heightFactor = v;
                else if (key == u"class") spacingClass = int(v);
                else if (key == u"pen") defaultPen = v;
                else return detail::fail(error, path, n, QStringLiteral("unknown setting: ") + key);
            }
            if (spacingClass < 0 || spacingClass > 15) return detail::fail(error, path, n, QStringLiteral("class is 0 to 15"));
            op.record.flags = uint8_t(spacingClass | (axis ? 0x10 : 0));
            out->push_back(op);
            current = &out->back();
            primitives = 0;
            continue;
        }
        if (!current) return detail::fail(error, path, n, QStringLiteral("a primitive before any record"));
        if (primitives == kOperatorPrimitiveCount)
            return detail::fail(error, path, n, QStringLiteral("more than six primitives"));
        const QStringList words = s.simplified().split(u' ');
        const auto kind = detail::primitiveKinds().find(words[0]);
        if (kind == detail::primitiveKinds().end())
            return detail::fail(error, path, n, QStringLiteral("unknown primitive: ") + words[0]);
        OperatorPrimitive p;
        p.kind = kind->second;
        p.pen = defaultPen;
        for (const QString& kv : words.mid(1)) {
            const QString key = kv.section(u'=', 0, 0), value = kv.section(u'=', 1);
            float v = 0;
            if (!detail::parseFloat(value, &v)) return detail::fail(error, path, n, QStringLiteral("bad value: ") + kv);
            if (key == u"x") p.x = v;
            else if (key == u"y") p.y = v;
            else if (key == u"sx") p.sx = v;
            else if (key == u"sy") p.sy = v;
            else if (key == u"angle") p.angle = v;
            else if (key == u"pen") p.pen = v;
            else return detail::fail(error, path, n, QStringLiteral("unknown field: ") + key);
        }
        current->record.primitives[primitives++] = p;
    }
    return true;
}

// Reads fonts.tsv, glyphs.tsv, outlines.tsv and operators.txt of a folder.
inline bool readSources(const QString& folder, Sources* out, QString* error) {
    const QString d = folder.endsWith(u'/') ? folder : folder + u'/';
    return readFontTable(d + QStringLiteral("fonts.tsv"), &out->fonts, error) &&
           readGlyphTable(d + QStringLiteral("glyphs.tsv"), &out->glyphs, error) &&
           readOutlineTable(d + QStringLiteral("outlines.tsv"), &out->outlines, error) &&
           readOperatorText(d + QStringLiteral("operators.txt"), &out->operators, error);
}

// ---------------------------------------------------------------------------
// Fonts

// The folders searched for font files when none are given.
inline QStringList defaultFontFolders() {
    return {QStringLiteral("/usr/share/fonts"), QStringLiteral("/usr/share/texmf/fonts"),
            QStringLiteral("/usr/share/texlive/texmf-dist/fonts")};
}

// The first file of that name below the folders; empty when there is none.
inline QString findFontFile(const QStringList& folders, const QString& fileName) {
    for (const QString& folder : folders) {
        QDirIterator it(folder, {fileName}, QDir::Files, QDirIterator::Subdirectories | QDirIterator::FollowSymlinks);
        if (it.hasNext()) return it.next();
    }
    return QString();
}

// Fonts opened at a pixel size of 100, so that outlines come out in glyph
// units (100 per em, y down, origin on the baseline).
class FontCache {
public:
    explicit FontCache(QStringList folders) : m_folders(std::move(folders)) {}

    // The font of a key of the font table; null (with a message) when its
    // file is missing or unusable.
    const QRawFont* font(const Sources& sources, const QString& key, QString* error) {
        auto it = m_fonts.find(key);
        if (it != m_fonts.end()) return &it.value();
        const FontSource* row = sources.font(key);
        if (!row) {
            if (error) *error = QStringLiteral("unknown font key: ") + key;
            return nullptr;
        }
        const QString path = findFontFile(m_folders, row->file);
        if (path.isEmpty()) {
            if (error) *error = QStringLiteral("font file not found: %1 (in %2)").arg(row->file, m_folders.join(u' '));
            return nullptr;
        }
        QRawFont raw(path, 100, QFont::PreferNoHinting);
        if (!raw.isValid()) {
            if (error) *error = QStringLiteral("cannot use font file: ") + path;
            return nullptr;
        }
        return &m_fonts.insert(key, raw).value();
    }

private:
    QStringList m_folders;
    QHash<QString, QRawFont> m_fonts;
};

namespace detail {

inline quint16 u16(const QByteArray& t, qsizetype at) {
    return at >= 0 && at + 2 <= t.size() ? qFromBigEndian<quint16>(t.constData() + at) : 0;
}

// Index of a glyph in an OpenType coverage table; -1 when not covered.
inline int coverageIndex(const QByteArray& t, qsizetype at, quint32 glyph) {
    const int format = u16(t, at);
    const int count = u16(t, at + 2);
    if (format == 1) {
        for (int i = 0; i < count; ++i)
            if (u16(t, at + 4 + 2 * i) == glyph) return i;
    } else if (format == 2) {
        for (int i = 0; i < count; ++i) {
            const qsizetype r = at + 4 + 6 * i;
            const quint32 first = u16(t, r), last = u16(t, r + 2);
            if (glyph >= first && glyph <= last) return int(u16(t, r + 4) + (glyph - first));
        }
    }
    return -1;
}

}  // namespace detail

// The glyph of a character; with variant n > 0 the n-th larger vertical size
// that the font's MATH table lists for it (the display size of big operators
// is usually 1). 0 when the font has no such glyph.
inline quint32 glyphOf(const QRawFont& font, char32_t ch, int variant = 0) {
    const QString text = QString::fromUcs4(&ch, 1);
    const QList<quint32> glyphs = font.glyphIndexesForString(text);
    if (glyphs.size() != 1 || glyphs[0] == 0) return 0;
    const quint32 base = glyphs[0];
    if (variant == 0) return base;
    const QByteArray t = font.fontTable("MATH");
    const qsizetype variants = detail::u16(t, 8);
    if (variants == 0) return 0;
    const qsizetype coverage = variants + detail::u16(t, variants + 2);
    const int vertCount = detail::u16(t, variants + 6);
    const int i = detail::coverageIndex(t, coverage, base);
    if (i < 0 || i >= vertCount) return 0;
    const qsizetype construction = variants + detail::u16(t, variants + 10 + 2 * i);
    const int count = detail::u16(t, construction + 2);
    if (variant >= count) return 0;
    return detail::u16(t, construction + 4 + 4 * variant);
}

// The outline of a glyph in glyph units (y down, origin on the baseline) and
// its advance.
inline QPainterPath glyphOutline(const QRawFont& font, quint32 glyph, qreal* advance) {
    const QList<QPointF> adv = font.advancesForGlyphIndexes(QList<quint32>{glyph}, QRawFont::UseDesignMetrics);
    if (advance) *advance = adv.isEmpty() ? 0 : adv[0].x();
    return font.pathForGlyph(glyph);
}

// The parts of the reference font's metrics that place glyphs and operators,
// in em. Text is measured in a box one line spacing high with the baseline at
// the cell ascent below its top; an element's y lies in the middle of that box.
struct ReferenceMetrics {
    float cellAscent = 0;
    float lineSpacing = 0;
    float baselineBelowCentre = 0;  // cellAscent - lineSpacing / 2
    float axisHeight = 0;           // the middle of the minus sign above the baseline
    float characterAscent = 0;      // what a character element gets as ascent and descent
    float minusThickness = 0;
};

inline float designUnits(const QByteArray& t, qsizetype at, bool isSigned) {
    const quint16 v = detail::u16(t, at);
    return isSigned ? float(qint16(v)) : float(v);
}

// Reads the metrics of the reference font with the rules of text measuring:
// cell ascent and descent from the OS/2 Windows values, the line spacing
// their sum plus the part of the hhea line gap that they do not cover.
inline ReferenceMetrics referenceMetrics(const QRawFont& font, float spacing6 = 0.0f) {
    ReferenceMetrics r;
    const QByteArray head = font.fontTable("head"), hhea = font.fontTable("hhea"), os2 = font.fontTable("OS/2");
    const float upem = designUnits(head, 18, false);
    if (upem <= 0) return r;
    const float winAscent = designUnits(os2, 74, false), winDescent = designUnits(os2, 76, false);
    const float hheaSpan = designUnits(hhea, 4, true) - designUnits(hhea, 6, true) + designUnits(hhea, 8, true);
    const float lineSpacing = std::max(winAscent + winDescent, hheaSpan);
    r.cellAscent = winAscent / upem;
    r.lineSpacing = lineSpacing / upem;
    r.baselineBelowCentre = r.cellAscent - r.lineSpacing / 2;
    const QRectF minus = glyphOutline(font, glyphOf(font, U'\u2212'), nullptr).boundingRect();
    r.axisHeight = float(-minus.center().y()) / 100.0f;
    r.minusThickness = float(minus.height()) / 100.0f;
    // The measured margin: the smaller of the space above 'A' and below 'g'
    // in the box, less 1/8 em.
    const QRectF a = glyphOutline(font, glyphOf(font, U'A'), nullptr).boundingRect();
    const QRectF g = glyphOutline(font, glyphOf(font, U'g'), nullptr).boundingRect();
    const float aboveA = r.cellAscent + float(a.top()) / 100.0f;
    const float belowG = r.lineSpacing - (r.cellAscent + float(g.bottom()) / 100.0f);
    const float margin = std::min(aboveA, belowG) - 0.125f - spacing6;
    r.characterAscent = r.lineSpacing / 2 - margin;
    return r;
}

// Arrows (glyphs 233 to 354) are drawn about the element's middle without
// the text font's corrections; they sit on the math axis of the text. Every
// other glyph sits on the text's baseline.
inline bool glyphSitsOnAxis(int index) { return index >= 233 && index <= 354; }

// Where a glyph's baseline lies below the element's y, in em: the text's
// baseline, or for an arrow the place that puts the source font's axis on
// the text's axis.
inline float glyphBaseline(int index, const ReferenceMetrics& text, float sourceAxis) {
    if (glyphSitsOnAxis(index)) return text.baselineBelowCentre - text.axisHeight + sourceAxis;
    return text.baselineBelowCentre;
}

// Appends a Qt path to point and type arrays in the path point types of the
// drawing layer (0 start, 1 line, 3 Bezier, 0x80 closing a figure). Every
// figure of a font outline is closed.
template <typename PointList, typename TypeList>
void appendPathPoints(const QPainterPath& path, PointList* points, TypeList* types, bool closeFigures = true) {
    const int n = path.elementCount();
    auto closeLast = [&](size_t figureStart) {
        if (!closeFigures || types->size() <= figureStart + 1) return;
        // A figure that returns to its start point by a line drops that line.
        const auto& first = (*points)[figureStart];
        const auto& last = points->back();
        if ((types->back() & 0x07) == 1 && std::abs(first.x - last.x) < 1e-4f && std::abs(first.y - last.y) < 1e-4f) {
            points->pop_back();
            types->pop_back();
        }
        types->back() = uint8_t(types->back() | 0x80);
    };
    size_t figureStart = points->size();
    for (int i = 0; i < n; ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        switch (e.type) {
        case QPainterPath::MoveToElement:
            if (i > 0) closeLast(figureStart);
            figureStart = points->size();
            points->push_back({float(e.x), float(e.y)});
            types->push_back(0);
            break;
        case QPainterPath::LineToElement:
            points->push_back({float(e.x), float(e.y)});
            types->push_back(1);
            break;
        case QPainterPath::CurveToElement:
        case QPainterPath::CurveToDataElement:
            points->push_back({float(e.x), float(e.y)});
            types->push_back(3);
            break;
        }
    }
    if (n > 0) closeLast(figureStart);
}

}  // namespace toliva::symlib
