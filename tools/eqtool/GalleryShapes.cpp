// The shape objects in the gallery: accent marks, brackets, matrices,
// integrals, big operators, operators and chemical marks. Small kinds share
// a picture (a row of operators, a row of accent marks, a row of integrals);
// every sample is drawn plain, in a superscript and nested, and each family
// gets its own contact sheet. Two showcase pictures at a larger scale close
// the set: the quadratic formula and a ruled matrix in brackets.
#include "Commands.h"
#include "GalleryShapes.h"

#include "model/EqBuilder.h"
#include "model/EqMeasure.h"
#include "model/EqModel.h"
#include "model/GlyphOutline.h"
#include "model/RenderContext.h"
#include "model/SymbolLibrary.h"

#include <QDir>
#include <QFont>
#include <QPainter>

#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <vector>

namespace toliva::eqtool {
namespace {

constexpr float kScale = 3.0f;
constexpr float kShowcaseScale = 4.0f;
constexpr uint16_t kNegated = 0xEEFF;  // an operator's character: drawn with a negation slash

enum ShapeSetting { ShapePlain, ShapeScripted, ShapeNested, ShapeSettingCount };
const char* const kShapeSettingNames[ShapeSettingCount] = {"plain", "scripted", "nested"};
const char* const kShapeSettingTitles[ShapeSettingCount] = {"plain", "in a superscript", "nested"};

// Appends the sample to chain; nest asks for the sample inside itself.
using SampleBuild = std::function<void(EqBuilder& b, EqElement* chain, bool nest)>;

struct ShapeSample {
    QString key;    // part of the file names
    QString label;  // the contact sheet's row label
    SampleBuild build;
    std::function<void(EqLayoutSettings&)> style;  // changes to the built-in style, if any
    bool nestsItself = true;                       // false: the nested setting puts it in a numerator
};

struct ShapeFamily {
    QString key;
    QString title;
    int cellWidth = 300;
    int cellHeight = 130;
    int groups = 1;
    std::vector<ShapeSample> samples;
    int nestedWidth = 0;  // the nested column's width when it differs

    int columnWidth(int setting) const {
        return setting == ShapeNested && nestedWidth > 0 ? nestedWidth : cellWidth;
    }
    int columnX(int setting) const {
        int x = 0;
        for (int s = 0; s < setting; ++s) x += columnWidth(s);
        return x;
    }
};

// ---- building blocks

// Appends text: letters italic, digits and the rest upright, "+", "-" and
// "=" as the operators 1042, 1043 and 1049.
void math(EqBuilder& b, EqElement* chain, std::u16string_view s) {
    for (char16_t c : s) {
        switch (c) {
        case u'+': b.add(chain, 1042); break;
        case u'-': b.add(chain, 1043); break;
        case u'=': b.add(chain, 1049); break;
        default:
            b.text(chain, std::u16string(1, c), QChar(c).isLetter() ? EqTypeCharItalic : EqTypeCharUpright);
            break;
        }
    }
}

EqElement* fraction(EqBuilder& b, EqElement* chain, std::u16string_view num, std::u16string_view den) {
    EqElement* f = b.add(chain, EqTypeFraction, 2);
    math(b, EqBuilder::arg(f, 0), num);
    math(b, EqBuilder::arg(f, 1), den);
    return f;
}

// Content of growing height: "a", a fraction, a fraction of fractions, a
// column of four and a column of seven.
void tallContent(EqBuilder& b, EqElement* chain, int level) {
    switch (level) {
    case 0: math(b, chain, u"a"); break;
    case 1: fraction(b, chain, u"a", u"b"); break;
    case 2: {
        EqElement* f = b.add(chain, EqTypeFraction, 2);
        fraction(b, EqBuilder::arg(f, 0), u"a", u"b");
        fraction(b, EqBuilder::arg(f, 1), u"c", u"d");
        break;
    }
    default: {
        const int n = level == 3 ? 4 : 7;
        EqElement* m = b.add(chain, EqTypeMatrixColumn, n);
        for (int i = 0; i < n; ++i) math(b, EqBuilder::arg(m, i), std::u16string(1, char16_t(u'1' + i)));
        break;
    }
    }
}

QString range(int first, int last) { return QStringLiteral("%1-%2").arg(first).arg(last); }
QString code4(int n) { return QStringLiteral("%1").arg(n, 4, 10, QLatin1Char('0')); }

// ---- accents

ShapeSample accentRow(int first, int last, bool below) {
    const QString where = QLatin1String(below ? "below" : "above");
    ShapeSample s;
    s.key = QStringLiteral("accent-%1-%2-%3")
                .arg(where)
                .arg(first, 2, 10, QLatin1Char('0'))
                .arg(last, 2, 10, QLatin1Char('0'));
    s.label = QStringLiteral("kinds %1 %2 x").arg(range(first, last), where);
    s.build = [first, last, below](EqBuilder& b, EqElement* chain, bool) {
        for (int k = first; k <= last; ++k)
            b.text(chain, u"x", EqTypeCharItalic)->payload = {uint8_t(below ? 128 + k : k)};
    };
    s.nestsItself = false;
    return s;
}

// Characters of one type, each with the same marks.
void markedText(EqBuilder& b, EqElement* chain, std::u16string_view text, int32_t type,
                std::vector<uint8_t> marks) {
    for (char16_t c : text) b.text(chain, std::u16string(1, c), type)->payload = marks;
}

ShapeFamily accentFamily() {
    ShapeFamily f{QStringLiteral("accents"), QStringLiteral("accent marks on characters"), 300, 130, 1, {}};
    for (bool below : {false, true})
        for (int first = 1; first <= 28; first += 7) f.samples.push_back(accentRow(first, first + 6, below));

    auto extra = [&f](const char* key, const char* label, SampleBuild build) {
        f.samples.push_back({QStringLiteral("accent-%1").arg(QLatin1String(key)), QString::fromUtf8(label),
                             std::move(build), {}, false});
    };
    extra("capitals", "bar 11 over AETWZ, a h x", [](EqBuilder& b, EqElement* chain, bool) {
        markedText(b, chain, u"AETWZ", EqTypeCharItalic, {11});
        math(b, chain, u"+");
        markedText(b, chain, u"ahx", EqTypeCharItalic, {11});
    });
    extra("stacks", "3 above, 3 below, 1+1, 28+1, 156+129, 27+1", [](EqBuilder& b, EqElement* chain, bool) {
        markedText(b, chain, u"x", EqTypeCharItalic, {1, 5, 12});
        markedText(b, chain, u"y", EqTypeCharItalic, {129, 133, 140});
        markedText(b, chain, u"A", EqTypeCharItalic, {2, 130});
        markedText(b, chain, u"x", EqTypeCharItalic, {28, 1});
        markedText(b, chain, u"x", EqTypeCharItalic, {156, 129});
        markedText(b, chain, u"B", EqTypeCharItalic, {27, 1});
    });
    extra("types", "5 and 139 on types 1 3 4 5 16 17 6 8", [](EqBuilder& b, EqElement* chain, bool) {
        for (int32_t type : {1, 3, 4, 5, 16, 17}) markedText(b, chain, u"x", type, {5, 139});
        for (auto [type, code] : {std::pair{6, 19}, std::pair{8, 44}, std::pair{6, 33}})
            b.add(chain, type, 0, uint16_t(code))->payload = {5, 139};
    });
    extra("greek", "11 and 139 on italic Greek", [](EqBuilder& b, EqElement* chain, bool) {
        markedText(b, chain, u"\u03B1\u03B2\u03B4\u03B8\u03BB\u03C9\u0394\u03A9", EqTypeCharItalic, {11, 139});
    });
    return f;
}

// ---- brackets

QString delimiterName(uint8_t code) {
    static const char* const open[] = {"", "(", "[", "{", "\u27E8", "|", "\u2016", "\u230A", "\u2308", "\u27E6"};
    static const char* const close[] = {")", "]", "}", "\u27E9", "|", "\u2016", "\u2309", "\u230B", "\u27E7"};
    if (code == 0) return QStringLiteral("-");
    if (code <= 9) return QString::fromUtf8(open[code]);
    if (code >= 17 && code <= 25) return QString::fromUtf8(close[code - 17]);
    return QStringLiteral("0x%1").arg(code, 2, 16, QLatin1Char('0'));
}

QString bracketLabel(int32_t type, uint16_t ch) {
    EqModel eq(galleryStyle());
    EqBuilder b(&eq);
    const BracketDelimiters d = GetBracketDelimiters(b.add(b.line(), type, 1, ch));
    return QStringLiteral("%1  %2 %3").arg(type).arg(delimiterName(d.left), delimiterName(d.right));
}

// A bracket around "a+b"; nested, around a bracket of its kind holding a
// fraction, and "+c".
void bracket(EqBuilder& b, EqElement* chain, int32_t type, uint16_t ch, bool nest) {
    EqElement* in = EqBuilder::arg(b.add(chain, type, 1, ch), 0);
    if (!nest) {
        math(b, in, u"a+b");
        return;
    }
    fraction(b, EqBuilder::arg(b.add(in, type, 1, ch), 0), u"a", u"b");
    math(b, in, u"+c");
}

ShapeSample bracketGrowth(int32_t type, const std::function<void(EqLayoutSettings&)>& style, const QString& key,
                          const QString& label) {
    ShapeSample s;
    s.key = key;
    s.label = label;
    s.build = [type](EqBuilder& b, EqElement* chain, bool nest) {
        for (int level = 0; level <= 4; ++level) {
            EqElement* in = EqBuilder::arg(b.add(chain, type, 1), 0);
            if (nest) in = EqBuilder::arg(b.add(in, type, 1), 0);
            tallContent(b, in, level);
        }
    };
    s.style = style;
    return s;
}

ShapeFamily bracketFamily() {
    ShapeFamily f{QStringLiteral("brackets"), QStringLiteral("brackets"), 380, 150, 2, {}};
    const uint16_t ch336 = (4 << 8) | 18;  // an angle opening and a square closing
    for (int32_t type = 336; type <= 368; ++type) {
        const uint16_t ch = type == 336 ? ch336 : 0;
        f.samples.push_back({QStringLiteral("bracket-%1").arg(code4(type)), bracketLabel(type, ch),
                             [type, ch](EqBuilder& b, EqElement* chain, bool nest) {
                                 bracket(b, chain, type, ch, nest);
                             },
                             {}, true});
    }

    // Fixed sizes: one row per size class, the kinds 1-10 in pairs.
    struct SizeClass {
        int bits;
        const char* name;
    };
    const SizeClass classes[] = {{0x20, "3.5"},        {0x30, "3.5 turned"}, {0x40, "2.5"},
                                 {0x50, "2.5 turned"}, {0x60, "1.8"},        {0x70, "1.8 turned"},
                                 {0x80, "1.3"},        {0x90, "1.3 turned"}, {0xA0, "previous height"}};
    for (const SizeClass& c : classes) {
        const int bits = c.bits;
        f.samples.push_back({QStringLiteral("bracket-fixed-%1").arg(bits, 2, 16, QLatin1Char('0')),
                             QStringLiteral("336 fixed 0x%1: %2, kinds 1-10")
                                 .arg(bits, 2, 16, QLatin1Char('0'))
                                 .arg(QLatin1String(c.name)),
                             [bits](EqBuilder& b, EqElement* chain, bool nest) {
                                 for (int k = 1; k <= 9; k += 2)
                                     bracket(b, chain, 336, uint16_t((bits | k) << 8 | (bits | (k + 1))), nest);
                             },
                             {}, true});
    }
    f.samples.push_back({QStringLiteral("bracket-fixed-30-empty"), QStringLiteral("336 fixed 0x30 0x30 (no kind)"),
                         [](EqBuilder& b, EqElement* chain, bool nest) { bracket(b, chain, 336, 0x3030, nest); },
                         {}, true});

    f.samples.push_back({QStringLiteral("bracket-middle-bar"), QStringLiteral("337 340 341 with two chains"),
                         [](EqBuilder& b, EqElement* chain, bool nest) {
                             for (int32_t type : {337, 340, 341}) {
                                 EqElement* e = b.add(chain, type, 2);
                                 EqElement* first = EqBuilder::arg(e, 0);
                                 if (nest) {
                                     EqElement* inner = b.add(first, type, 2);
                                     math(b, EqBuilder::arg(inner, 0), u"a");
                                     math(b, EqBuilder::arg(inner, 1), u"b");
                                 } else {
                                     math(b, first, u"a");
                                 }
                                 fraction(b, EqBuilder::arg(e, 1), u"b", u"c");
                             }
                         },
                         {}, true});
    f.samples.push_back({QStringLiteral("bracket-lone-braces"), QStringLiteral("355 around 372, 362 around 370"),
                         [](EqBuilder& b, EqElement* chain, bool nest) {
                             math(b, chain, u"f=");
                             EqElement* cases = b.add(EqBuilder::arg(b.add(chain, 355, 1), 0), EqTypeCases, 2);
                             math(b, EqBuilder::arg(cases, 0), u"x+1");
                             if (nest) {
                                 EqElement* inner = b.add(EqBuilder::arg(b.add(EqBuilder::arg(cases, 1), 355, 1), 0),
                                                          EqTypeCases, 2);
                                 math(b, EqBuilder::arg(inner, 0), u"0");
                                 math(b, EqBuilder::arg(inner, 1), u"1");
                             } else {
                                 math(b, EqBuilder::arg(cases, 1), u"0");
                             }
                             math(b, chain, u"+");
                             EqElement* column = b.add(EqBuilder::arg(b.add(chain, 362, 1), 0), EqTypeMatrixColumn, 3);
                             for (int i = 0; i < 3; ++i) math(b, EqBuilder::arg(column, i), u"a");
                         },
                         {}, true});
    return f;
}

// Delimiters growing with their content, one row per kind, and the styles
// that change their shapes.
ShapeFamily bracketSizeFamily() {
    ShapeFamily f{QStringLiteral("bracket-sizes"), QStringLiteral("delimiters growing with their content"), 420,
                  400, 1, {}};
    for (int32_t type = 337; type <= 345; ++type)
        f.samples.push_back(bracketGrowth(type, {}, QStringLiteral("bracket-growth-%1").arg(code4(type)),
                                          bracketLabel(type, 0) + QStringLiteral(" growing")));
    f.samples.push_back(bracketGrowth(339, [](EqLayoutSettings& s) { s.options[2] = 1; },
                                      QStringLiteral("bracket-growth-0339-brace-style"),
                                      QStringLiteral("339 { } growing, brace style on")));
    for (int round : {0, 1})
        f.samples.push_back(bracketGrowth(337, [round](EqLayoutSettings& s) { s.options[3] = uint8_t(round); },
                                          QStringLiteral("bracket-growth-0337-round-%1").arg(round),
                                          QStringLiteral("337 ( ) growing, round style %1")
                                              .arg(QLatin1String(round ? "on" : "off"))));
    return f;
}

// ---- matrices

struct MatrixSpec {
    int32_t type = EqTypeMatrix;
    int columns = 3;
    int rows = 3;
    uint16_t ch = 0;
    std::vector<int> vertical;    // rule style of each column boundary
    std::vector<int> horizontal;  // rule style of each row boundary
    std::vector<std::u16string> cells;
    std::function<void(EqElement*)> finish;  // last touches on the built element
};

// The 32-byte rule record: style bit j of boundary k sets bit k-1 of mask
// 2j (columns) or 2j+1 (rows).
void setRules(EqElement* e, const std::vector<int>& vertical, const std::vector<int>& horizontal) {
    uint8_t record[32] = {};
    auto put = [&record](const std::vector<int>& styles, int first) {
        for (size_t k = 0; k < styles.size() && k < 32; ++k)
            for (int j = 0; j < 4; ++j)
                if (styles[k] & (1 << j)) record[4 * (2 * j + first) + k / 8] |= uint8_t(1u << (k % 8));
    };
    put(vertical, 0);
    put(horizontal, 1);
    SetMatrixRules(e, record);
}

EqElement* matrix(EqBuilder& b, EqElement* chain, const MatrixSpec& m, bool nest) {
    const int n = m.columns * m.rows;
    EqElement* e = b.add(chain, m.type, n, m.ch);
    if (m.type == EqTypeMatrix) SetMatrixShape(m.columns, e, m.rows);
    setRules(e, m.vertical, m.horizontal);
    for (int i = 0; i < n; ++i) {
        EqElement* cell = EqBuilder::arg(e, i);
        if (nest && i == 0) matrix(b, cell, m, false);
        else math(b, cell, m.cells.empty() ? std::u16string(u"a") : m.cells[size_t(i) % m.cells.size()]);
    }
    if (m.finish) m.finish(e);
    return e;
}

const std::vector<std::u16string> kCells3x3 = {u"1", u"x+y", u"0", u"22", u"b", u"c", u"0", u"1", u"z"};

ShapeSample matrixSample(const QString& key, const QString& label, const MatrixSpec& m) {
    return {QStringLiteral("matrix-%1").arg(key), label,
            [m](EqBuilder& b, EqElement* chain, bool nest) {
                math(b, chain, u"A=");
                matrix(b, chain, m, nest);
            },
            {}, true};
}

ShapeFamily matrixFamily() {
    ShapeFamily f{QStringLiteral("matrices"), QStringLiteral("matrices"), 320, 180, 1, {}};
    for (int style = 1; style <= 8; ++style) {
        MatrixSpec m;
        m.vertical = {style, style};
        m.horizontal = {style, style};
        m.cells = kCells3x3;
        f.samples.push_back(matrixSample(QStringLiteral("0371-rule-%1").arg(style),
                                         QStringLiteral("371 3x3, rule style %1").arg(style), m));
    }
    // Alignments: numbers in the first column, relations in the second, an
    // alignment mark on the last cell's plus.
    const char* const alignNames[] = {"centred", "left", "right", "alignment mark", "decimal point"};
    for (int align = 0; align <= 4; ++align) {
        MatrixSpec m;
        m.columns = 2;
        m.ch = uint16_t(align);
        m.cells = {u"3.14", u"x=1", u"12.5", u"yy=22", u"100", u"q+r"};
        m.finish = [](EqElement* e) {
            for (EqElement* x = EqBuilder::arg(e, 5); x; x = x->next)
                if (x->type == 1042) SetAlignMark(x);
        };
        f.samples.push_back(matrixSample(QStringLiteral("0371-align-%1").arg(align),
                                         QStringLiteral("371 3x2, %1").arg(QLatin1String(alignNames[align])), m));
    }
    for (int gap = 1; gap <= 4; ++gap) {
        MatrixSpec m;
        m.ch = uint16_t(gap << 8);
        m.cells = kCells3x3;
        f.samples.push_back(
            matrixSample(QStringLiteral("0371-gap-%1").arg(gap), QStringLiteral("371 row gap class %1").arg(gap), m));
    }
    {
        MatrixSpec m;
        m.ch = 1 << 4;
        m.cells = kCells3x3;
        m.vertical = {4, 4};
        f.samples.push_back(matrixSample(QStringLiteral("0371-script"), QStringLiteral("371 script size, ruled 4"), m));
    }
    {
        MatrixSpec m;
        m.cells = kCells3x3;
        m.finish = [](EqElement* e) { e->payload[0] = e->payload[1] = 4; };
        f.samples.push_back(
            matrixSample(QStringLiteral("0371-counts"), QStringLiteral("371 counts 4x4 over 9 cells"), m));
    }
    for (bool ruled : {false, true}) {
        MatrixSpec row;
        row.type = EqTypeMatrixRow;
        row.columns = 4;
        row.rows = 1;
        row.cells = {u"1", u"x", u"22", u"c"};
        if (ruled) row.vertical = {1, 4, 8};
        f.samples.push_back(matrixSample(QStringLiteral("0369%1").arg(QLatin1String(ruled ? "-ruled" : "")),
                                         QStringLiteral("369 row%1").arg(QLatin1String(ruled ? ", rules 1 4 8" : "")),
                                         row));
        MatrixSpec column;
        column.type = EqTypeMatrixColumn;
        column.columns = 1;
        column.cells = {u"a", u"b+c", u"1"};
        if (ruled) column.horizontal = {2, 6};
        f.samples.push_back(
            matrixSample(QStringLiteral("0370%1").arg(QLatin1String(ruled ? "-ruled" : "")),
                         QStringLiteral("370 column%1").arg(QLatin1String(ruled ? ", rules 2 6" : "")), column));
    }
    for (int align : {0, 1, 2}) {
        MatrixSpec m;
        m.type = EqTypeCases;
        m.columns = 1;
        m.ch = uint16_t(align);
        m.cells = {u"x+1", u"0", u"2y=x"};
        if (align == 0) m.horizontal = {3, 7};
        f.samples.push_back(matrixSample(QStringLiteral("0372-align-%1").arg(align),
                                         QStringLiteral("372 cases, %1%2")
                                             .arg(QLatin1String(alignNames[align]))
                                             .arg(QLatin1String(align == 0 ? ", rules 3 7" : "")),
                                         m));
    }
    return f;
}

// ---- integrals and big operators

// An integral with chains limits (0, 1 lower, 2 upper and lower) and "f";
// nested, the integrand starts with an integral of its kind.
void integral(EqBuilder& b, EqElement* chain, int32_t type, bool nest, int limits = 2) {
    EqElement* e = b.add(chain, type, limits + 1);
    if (limits == 2) math(b, EqBuilder::arg(e, 0), u"b");
    if (limits >= 1) math(b, EqBuilder::arg(e, limits - 1), u"a");
    EqElement* body = EqBuilder::arg(e, limits);
    if (nest) integral(b, body, type, false, limits);
    math(b, body, u"f");
}

void bigOperator(EqBuilder& b, EqElement* chain, int32_t type, bool nest, int limits = 2) {
    EqElement* e = b.add(chain, type, limits + 1);
    if (limits == 2) math(b, EqBuilder::arg(e, 0), u"n");
    if (limits >= 1) math(b, EqBuilder::arg(e, limits - 1), u"i=1");
    EqElement* body = EqBuilder::arg(e, limits);
    if (nest) bigOperator(b, body, type, false, limits);
    math(b, body, u"x");
}

using RowItem = std::function<void(EqBuilder&, EqElement*, int32_t, bool, int)>;

ShapeSample typeRow(const QString& prefix, const QString& labelPrefix, std::vector<int32_t> types, RowItem item,
                    int optionIndex, int optionValue) {
    ShapeSample s;
    s.key = QStringLiteral("%1-%2-%3").arg(prefix, code4(types.front()), code4(types.back()));
    s.label = labelPrefix + range(types.front(), types.back());
    s.build = [types, item](EqBuilder& b, EqElement* chain, bool nest) {
        for (int32_t t : types) item(b, chain, t, nest, 2);
    };
    if (optionIndex >= 0)
        s.style = [optionIndex, optionValue](EqLayoutSettings& st) {
            st.options[size_t(optionIndex)] = uint8_t(optionValue);
        };
    return s;
}

std::vector<int32_t> typesFrom(int32_t first, int32_t last) {
    std::vector<int32_t> t;
    for (int32_t x = first; x <= last; ++x) t.push_back(x);
    return t;
}

// "a", then the element with no limits, one and both, each after a letter.
ShapeSample limitsSample(const QString& key, const QString& label, int32_t type, RowItem item) {
    return {key, label,
            [type, item](EqBuilder& b, EqElement* chain, bool nest) {
                for (int limits = 0; limits <= 2; ++limits) {
                    math(b, chain, u"a");
                    item(b, chain, type, nest, limits);
                }
            },
            {}, true};
}

// Integrals with limits at the side (274-305) or above and below (769-788).
ShapeFamily integralFamily(bool overUnder) {
    ShapeFamily f{QLatin1String(overUnder ? "integrals-over-under" : "integrals"),
                  QStringLiteral("integrals by style (option byte 0)"), 760, 150, 1, {}, 1520};
    const std::vector<std::pair<int, int>> rows =
        overUnder ? std::vector<std::pair<int, int>>{{769, 775}, {776, 782}, {783, 788}}
                  : std::vector<std::pair<int, int>>{{274, 281}, {282, 289}, {290, 297}, {298, 305}};
    const RowItem item = [](EqBuilder& b, EqElement* chain, int32_t t, bool nest, int limits) {
        integral(b, chain, t, nest, limits);
    };
    for (int style = 0; style <= 5; ++style)
        for (auto [first, last] : rows)
            f.samples.push_back(typeRow(QStringLiteral("integral-s%1").arg(style),
                                        QStringLiteral("style %1: ").arg(style), typesFrom(first, last), item, 0,
                                        style));
    const int32_t type = overUnder ? 769 : 274;
    f.samples.push_back(limitsSample(QStringLiteral("integral-%1-limits").arg(code4(type)),
                                     QStringLiteral("%1 after a letter, 0 1 2 limits").arg(type), type, item));
    return f;
}

ShapeFamily bigOperatorFamily() {
    ShapeFamily f{QStringLiteral("big-operators"), QStringLiteral("big operators (style 1 unless named)"), 760, 160,
                  1, {}, 1480};
    const RowItem item = [](EqBuilder& b, EqElement* chain, int32_t t, bool nest, int limits) {
        bigOperator(b, chain, t, nest, limits);
    };
    const std::pair<int, int> rows[] = {{306, 313}, {314, 321}, {322, 329}, {330, 335},
                                        {800, 805}, {848, 855}, {856, 863}};
    for (auto [first, last] : rows)
        f.samples.push_back(typeRow(QStringLiteral("bigop"), QString(), typesFrom(first, last), item, -1, 0));
    for (int style = 0; style <= 3; ++style) {
        ShapeSample s = typeRow(QStringLiteral("bigop-s%1").arg(style), QString(), {306, 309, 312, 848, 850}, item,
                                1, style);
        s.label = QStringLiteral("style %1: 306 309 312 848 850").arg(style);
        f.samples.push_back(std::move(s));
    }
    f.samples.push_back(limitsSample(QStringLiteral("bigop-0306-limits"),
                                     QStringLiteral("306 after a letter, 0 1 2 limits"), 306, item));
    f.samples.push_back(limitsSample(QStringLiteral("bigop-0848-limits"),
                                     QStringLiteral("848 after a letter, 0 1 2 limits"), 848, item));
    f.samples.push_back({QStringLiteral("bigop-0306-body-182"), QStringLiteral("306 with a body starting with 182"),
                         [](EqBuilder& b, EqElement* chain, bool nest) {
                             EqElement* e = b.add(chain, 306, 3);
                             math(b, EqBuilder::arg(e, 0), u"n");
                             math(b, EqBuilder::arg(e, 1), u"i=1");
                             EqElement* body = EqBuilder::arg(e, 2);
                             if (nest) bigOperator(b, body, 306, false);
                             EqElement* scripts = b.add(body, 182, 2);
                             math(b, EqBuilder::arg(scripts, 0), u"a");
                             math(b, EqBuilder::arg(scripts, 1), u"b");
                             math(b, body, u"x");
                         },
                         {}, true});
    return f;
}

// ---- operators

ShapeFamily operatorFamily() {
    ShapeFamily f{QStringLiteral("operators"), QStringLiteral("operators between letters"), 700, 100, 1, {}};
    constexpr int kPerRow = 12;
    for (int first = EqTypeOperatorFirst; first <= EqTypeOperatorLast; first += kPerRow) {
        const int last = std::min(first + kPerRow - 1, int(EqTypeOperatorLast));
        f.samples.push_back({QStringLiteral("operator-%1-%2").arg(code4(first), code4(last)), range(first, last),
                             [first, last](EqBuilder& b, EqElement* chain, bool) {
                                 for (int t = first; t <= last; ++t) {
                                     b.text(chain, std::u16string(1, char16_t(u'a' + (t - first) % 26)),
                                            EqTypeCharItalic);
                                     b.add(chain, t);
                                 }
                                 b.text(chain, u"z", EqTypeCharItalic);
                             },
                             {}, false});
    }
    f.samples.push_back({QStringLiteral("operator-negated"),
                         QStringLiteral("negated 1049 1052 1055 1060 1061 1095 1132, then 1284"),
                         [](EqBuilder& b, EqElement* chain, bool) {
                             for (int t : {1049, 1052, 1055, 1060, 1061, 1095, 1132}) {
                                 b.text(chain, u"a", EqTypeCharItalic);
                                 b.add(chain, t, 0, kNegated);
                             }
                             b.text(chain, u"a", EqTypeCharItalic);
                             b.add(chain, 1284);
                             b.text(chain, u"b", EqTypeCharItalic);
                         },
                         {}, false});
    const SampleBuild unary = [](EqBuilder& b, EqElement* chain, bool) {
        // -a, -b after a comma, =-c, (-d), e-f (binary)
        math(b, chain, u"-a");
        b.text(chain, u",", EqTypeCharUpright);
        math(b, chain, u"-b=-c");
        b.text(chain, u"(", EqTypeCharUpright);
        math(b, chain, u"-d");
        b.text(chain, u")", EqTypeCharUpright);
        math(b, chain, u"e-f");
    };
    f.samples.push_back({QStringLiteral("operator-unary-minus"), QStringLiteral("unary minus (option byte 9 on)"),
                         unary, {}, false});
    f.samples.push_back({QStringLiteral("operator-unary-minus-off"), QStringLiteral("the same, option byte 9 off"),
                         unary, [](EqLayoutSettings& s) { s.options[9] = 0; }, false});
    return f;
}

// ---- chemical marks

void chem(EqBuilder& b, EqElement* chain, std::u16string_view symbol, std::vector<uint8_t> payload) {
    EqElement* e = b.add(chain, EqTypeChemForm, 1);
    b.text(EqBuilder::arg(e, 0), symbol, EqTypeCharUpright);
    e->payload = std::move(payload);
}

ShapeFamily chemFamily() {
    ShapeFamily f{QStringLiteral("chemical"), QStringLiteral("chemical marks (608)"), 300, 130, 1, {}};
    auto add = [&f](const char* key, const char* label, SampleBuild build) {
        f.samples.push_back({QStringLiteral("chem-%1").arg(QLatin1String(key)), QString::fromUtf8(label),
                             std::move(build), {}, false});
    };
    add("dots", "1, 2, 3 dots on every side", [](EqBuilder& b, EqElement* chain, bool) {
        chem(b, chain, u"O", {0x01, 0x01, 0x01, 0x01, 0});
        math(b, chain, u"+");
        chem(b, chain, u"N", {0x05, 0x05, 0x05, 0x05, 0});
        math(b, chain, u"+");
        chem(b, chain, u"C", {0x15, 0x15, 0x15, 0x15, 0});
    });
    add("crosses", "1, 2, 3 crosses on every side", [](EqBuilder& b, EqElement* chain, bool) {
        chem(b, chain, u"O", {0x02, 0x02, 0x02, 0x02, 0});
        math(b, chain, u"+");
        chem(b, chain, u"N", {0x0A, 0x0A, 0x0A, 0x0A, 0});
        math(b, chain, u"+");
        chem(b, chain, u"C", {0x2A, 0x2A, 0x2A, 0x2A, 0});
    });
    add("mixed", "mixed marks, empty sides", [](EqBuilder& b, EqElement* chain, bool) {
        chem(b, chain, u"Cl", {0x05, 0, 0x09, 0x21, 0});
        math(b, chain, u"+");
        chem(b, chain, u"H", {0, 0, 0, 0, 0});
        math(b, chain, u"+");
        chem(b, chain, u"S", {0, 0x15, 0, 0x15, 0});
    });
    add("shift", "shift byte 1, 2, 0", [](EqBuilder& b, EqElement* chain, bool) {
        for (uint8_t shift : {1, 2, 0}) {
            math(b, chain, u"x");
            chem(b, chain, u"O", {0x05, 0x05, 0x05, 0x05, shift});
        }
        math(b, chain, u"x");
    });
    add("compact", "three side by side", [](EqBuilder& b, EqElement* chain, bool) {
        chem(b, chain, u"H", {0, 0, 0x01, 0, 0});
        chem(b, chain, u"O", {0x01, 0x05, 0x01, 0x05, 0});
        chem(b, chain, u"H", {0x01, 0, 0, 0, 0});
    });
    add("short", "payloads of 1, 2 and 0 bytes", [](EqBuilder& b, EqElement* chain, bool) {
        chem(b, chain, u"O", {0x05});
        math(b, chain, u"+");
        chem(b, chain, u"N", {0x05, 0x05});
        math(b, chain, u"+");
        chem(b, chain, u"C", {});
    });
    return f;
}

// ---- rendering

void buildSample(EqModel* eq, const ShapeSample& s, ShapeSetting setting) {
    EqBuilder b(eq);
    EqElement* line = b.line();
    switch (setting) {
    case ShapePlain:
        s.build(b, line, false);
        break;
    case ShapeScripted: {
        b.text(line, u"e", EqTypeCharItalic);
        s.build(b, EqBuilder::arg(b.add(line, 173, 1), 0), false);
        break;
    }
    case ShapeNested:
        if (s.nestsItself) {
            s.build(b, line, true);
        } else {
            EqElement* frac = b.add(line, EqTypeFraction, 2);
            s.build(b, EqBuilder::arg(frac, 0), false);
            b.text(EqBuilder::arg(frac, 1), u"2", EqTypeCharUpright);
        }
        break;
    default:
        break;
    }
}

// Big operators of the kinds that carry their own outline get the library's
// double-struck R.
void giveBigOperatorsOutlines(EqElement* e, const SymbolLibrary& library) {
    for (; e; e = e->next) {
        if (IsOwnOutlineBigOperatorType(e->type)) giveOwnOutline(e, library, 19);
        for (EqElement* c : e->children) giveBigOperatorsOutlines(c, library);
    }
}

GalleryShot renderSample(const RenderContext& context, const ShapeSample& s, ShapeSetting setting) {
    EqLayoutSettings style = galleryStyle();
    if (s.style) s.style(style);
    EqModel eq(style);
    buildSample(&eq, s, setting);
    for (EqElement* line : eq.lines) giveBigOperatorsOutlines(line, *context.symbols);
    return renderGalleryPicture(context, &eq, kScale);
}

constexpr int kLabelWidth = 230;
constexpr int kHeaderHeight = 28;

QImage familySheet(const ShapeFamily& f, const std::vector<std::array<GalleryShot, ShapeSettingCount>>& shots) {
    const int rowsPerGroup = (int(f.samples.size()) + f.groups - 1) / f.groups;
    const int groupWidth = kLabelWidth + f.columnX(ShapeSettingCount);
    QImage sheet(f.groups * groupWidth, kHeaderHeight + rowsPerGroup * f.cellHeight,
                 QImage::Format_ARGB32_Premultiplied);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(13);
    p.setFont(font);
    for (int g = 0; g < f.groups; ++g) {
        const int x0 = g * groupWidth;
        p.setPen(Qt::black);
        p.drawText(QRect(x0 + 6, 0, kLabelWidth - 10, kHeaderHeight), Qt::AlignLeft | Qt::AlignVCenter, f.title);
        p.setPen(Qt::darkBlue);
        for (int s = 0; s < ShapeSettingCount; ++s)
            p.drawText(QRect(x0 + kLabelWidth + f.columnX(s), 0, f.columnWidth(s), kHeaderHeight), Qt::AlignCenter,
                       QString::fromLatin1(kShapeSettingTitles[s]));
    }
    for (size_t i = 0; i < f.samples.size(); ++i) {
        const int x0 = int(i) / rowsPerGroup * groupWidth;
        const int y0 = kHeaderHeight + int(i) % rowsPerGroup * f.cellHeight;
        p.setPen(Qt::black);
        p.drawText(QRect(x0 + 6, y0, kLabelWidth - 10, f.cellHeight),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, f.samples[i].label);
        for (int s = 0; s < ShapeSettingCount; ++s)
            drawGalleryCell(p, QRect(x0 + kLabelWidth + f.columnX(s), y0, f.columnWidth(s), f.cellHeight),
                            shots[i][size_t(s)]);
    }
    return sheet;
}

// ---- showcases

// x = (-b +- sqrt(b^2 - 4ac)) / 2a
void buildQuadratic(EqModel* eq) {
    EqBuilder b(eq);
    EqElement* line = b.line();
    math(b, line, u"x=");
    EqElement* frac = b.add(line, EqTypeFraction, 2);
    EqElement* num = EqBuilder::arg(frac, 0);
    math(b, num, u"-b");
    b.add(num, 1046);
    EqElement* root = EqBuilder::arg(b.add(num, EqTypeSqrt, 1), 0);
    math(b, root, u"b");
    math(b, EqBuilder::arg(b.add(root, 173, 1), 0), u"2");
    math(b, root, u"-4ac");
    math(b, EqBuilder::arg(frac, 1), u"2a");
}

// A = [a_ij], every boundary ruled solid.
void buildRuledMatrix(EqModel* eq) {
    EqBuilder b(eq);
    EqElement* line = b.line();
    math(b, line, u"A=");
    EqElement* inside = EqBuilder::arg(b.add(line, 338, 1), 0);
    EqElement* m = b.add(inside, EqTypeMatrix, 9);
    SetMatrixShape(3, m, 3);
    setRules(m, {4, 4}, {4, 4});
    for (int i = 0; i < 9; ++i) {
        EqElement* cell = EqBuilder::arg(m, i);
        math(b, cell, u"a");
        const std::u16string index{char16_t(u'1' + i / 3), char16_t(u'1' + i % 3)};
        math(b, EqBuilder::arg(b.add(cell, 174, 1), 0), index);
    }
}

}  // namespace

void giveOwnOutline(EqElement* e, const SymbolLibrary& library, int glyphCode) {
    if (const GlyphOutline* g = library.glyph(glyphCode)) {
        e->glyph = std::make_unique<GlyphOutline>();
        CopyGlyph(*e->glyph, *g);
    }
}

bool writeShapeGallery(const RenderContext& context, const QDir& dir) {
    const ShapeFamily families[] = {accentFamily(),        bracketFamily(),      bracketSizeFamily(),
                                    matrixFamily(),        integralFamily(false), integralFamily(true),
                                    bigOperatorFamily(),   operatorFamily(),     chemFamily()};
    int written = 0;
    for (const ShapeFamily& f : families) {
        std::vector<std::array<GalleryShot, ShapeSettingCount>> shots(f.samples.size());
        for (size_t i = 0; i < f.samples.size(); ++i) {
            for (int s = 0; s < ShapeSettingCount; ++s) {
                GalleryShot shot = renderSample(context, f.samples[i], ShapeSetting(s));
                const QString name =
                    QStringLiteral("%1-%2.png").arg(f.samples[i].key, QLatin1String(kShapeSettingNames[s]));
                if (!writePngFile(dir.filePath(name), shot.image)) return false;
                ++written;
                shots[i][size_t(s)] = std::move(shot);
            }
        }
        if (!writePngFile(dir.filePath(QStringLiteral("contact-sheet-%1.png").arg(f.key)), familySheet(f, shots)))
            return false;
    }

    const std::pair<const char*, void (*)(EqModel*)> showcases[] = {{"showcase-quadratic.png", buildQuadratic},
                                                                    {"showcase-ruled-matrix.png", buildRuledMatrix}};
    for (auto [name, build] : showcases) {
        EqModel eq(galleryStyle());
        build(&eq);
        if (!writePngFile(dir.filePath(QLatin1String(name)), renderGalleryPicture(context, &eq, kShowcaseScale).image))
            return false;
    }
    printOut(QStringLiteral("%1 shape pictures, %2 contact sheets contact-sheet-<family>.png, 2 showcases\n")
                 .arg(written)
                 .arg(std::size(families)));
    return true;
}

}  // namespace toliva::eqtool
