#include "panels/MatrixDialogWork.h"

#include "platform/RegKey.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace toliva {

// ---- rows and columns

int ClampMatrixCount(int count) { return std::clamp(count, kMatrixCountMin, kMatrixCountMax); }

int ParseMatrixCount(const QString& text) {
    // A decimal number with an optional fraction and exponent, read with the
    // point whatever the locale; what follows it is ignored.
    static const QRegularExpression number(QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?"));
    const QRegularExpressionMatch match = number.match(text);
    double value = 0.0;
    if (match.hasMatch()) {
        // A number too large for a double reads as infinite (and is kept to
        // 32 below); one too small reads as 0.
        bool ok = false;
        value = match.captured(0).trimmed().toDouble(&ok);
        if (!ok && !std::isinf(value)) value = 0.0;
    }
    // Clamped before the truncation, so no value overflows an int.
    if (value < kMatrixCountMin) return kMatrixCountMin;
    if (value > kMatrixCountMax) return kMatrixCountMax;
    return int(value);
}

// ---- names

QStringList VectorNames(const QString& name, int count) {
    QStringList names;
    for (int k = 1; k <= count; ++k) names << name << QString::number(k);
    return names;
}

QStringList MatrixNames(const QString& name, int rows, int columns) {
    if (rows > 1 && columns > 1) {
        QStringList names;
        for (int r = 1; r <= rows; ++r)
            for (int c = 1; c <= columns; ++c) names << name << QString::number(r) + QString::number(c);
        return names;
    }
    if (rows > 1) return VectorNames(name, rows);
    return VectorNames(name, columns);
}

namespace {

// A template written as tokens: "?k" the entry name with the subscript k,
// "…" "⋮" "⋱" the ellipses across, down and falling, "·" an empty cell;
// rows end at "/".
MatrixTemplate makeTemplate(int number, int rows, int columns, const char* cells) {
    MatrixTemplate t{number, rows, columns, {}};
    const QStringList tokens = QString::fromUtf8(cells).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString& token : tokens) {
        if (token == QLatin1String("/")) continue;
        if (token == QStringLiteral("…")) t.entries.push_back({QStringLiteral("."), QStringLiteral("-")});
        else if (token == QStringLiteral("⋮")) t.entries.push_back({QStringLiteral("."), QStringLiteral("|")});
        else if (token == QStringLiteral("⋱")) t.entries.push_back({QStringLiteral("."), QStringLiteral("\\")});
        else if (token == QStringLiteral("·")) t.entries.push_back({QString(), QString()});
        else t.entries.push_back({QStringLiteral("?"), token.mid(1)});
    }
    return t;
}

}  // namespace

const std::vector<MatrixTemplate>& MatrixTemplates() {
    static const std::vector<MatrixTemplate> templates = [] {
        const char* square4 = "?11 ?12 … ?1n / ?21 ?22 … ?2n / ⋮ ⋮ ⋱ ⋮ /";
        const char* square6 =
            "?11 ?12 … ?1j … ?1n / ?21 ?22 … ?2j … ?2n / ⋮ ⋮ ⋱ ⋮ ⋱ ⋮ / ?i1 ?i2 … ?ij … ?in / ⋮ ⋮ ⋱ ⋮ ⋱ ⋮ /";
        const auto join = [](const char* a, const char* b) { return QByteArray(a) + ' ' + QByteArray(b); };
        return std::vector<MatrixTemplate>{
            makeTemplate(1, 1, 3, "?1 … ?n"),
            makeTemplate(2, 1, 4, "?1 ?2 … ?n"),
            makeTemplate(3, 1, 6, "?1 ?2 … ?i … ?n"),
            makeTemplate(11, 3, 1, "?1 ⋮ ?n"),
            makeTemplate(12, 4, 1, "?1 ?2 ⋮ ?n"),
            makeTemplate(13, 6, 1, "?1 ?2 ⋮ ?i ⋮ ?n"),
            makeTemplate(21, 3, 3, "?1 · · / · ⋱ · / · · ?n"),
            makeTemplate(22, 4, 4, "?1 · · · / · ?2 · · / · · ⋱ · / · · · ?n"),
            makeTemplate(23, 4, 4, join(square4, "?n1 ?n2 … ?nn").constData()),
            makeTemplate(24, 6, 6, join(square6, "?n1 ?n2 … ?nj … ?nn").constData()),
            makeTemplate(25, 4, 4, join(square4, "?m1 ?m2 … ?mn").constData()),
            makeTemplate(26, 6, 6, join(square6, "?m1 ?m2 … ?mj … ?mn").constData()),
        };
    }();
    return templates;
}

const MatrixTemplate* FindMatrixTemplate(int number) {
    for (const MatrixTemplate& t : MatrixTemplates())
        if (t.number == number) return &t;
    return nullptr;
}

QString ExpandTemplateText(const QString& text, const QString& name) {
    QString out = text;
    return out.replace(QLatin1Char('?'), name);
}

QStringList TemplateNames(const MatrixTemplate& matrixTemplate, const QString& name) {
    QStringList names;
    for (const auto& [text, subscript] : matrixTemplate.entries) names << ExpandTemplateText(text, name) << subscript;
    return names;
}

// ---- the remembered choices

MatrixDialogValues LoadMatrixDialogValues() {
    MatrixDialogValues v;
    RegKey key;
    if (!OpenRegKey(kMatrixDialogKey, key)) return v;
    ReadRegDword(key, QStringLiteral("PARTITION"), v.partition, 0);
    ReadRegDword(key, QStringLiteral("ALIGN"), v.alignment, 1);
    ReadRegDword(key, QStringLiteral("COLS"), v.rows, 3);
    ReadRegDword(key, QStringLiteral("ROWS"), v.columns, 3);
    return v;
}

void SaveMatrixDialogValues(const MatrixDialogValues& values) {
    RegKey key;
    if (!OpenRegKey(kMatrixDialogKey, key)) return;
    WriteRegDword(key, QStringLiteral("PARTITION"), values.partition ? 1 : 0);
    WriteRegDword(key, QStringLiteral("ALIGN"), values.alignment);
    WriteRegDword(key, QStringLiteral("COLS"), values.rows);
    WriteRegDword(key, QStringLiteral("ROWS"), values.columns);
}

int LoadRuleLineStyle() {
    RegKey key;
    int style = 0;
    if (OpenRegKey(kMatrixDialogKey, key)) ReadRegDword(key, QStringLiteral("CSLS"), style, 0);
    return std::clamp(style, 0, 7);
}

void SaveRuleLineStyle(int style) {
    RegKey key;
    if (OpenRegKey(kMatrixDialogKey, key)) WriteRegDword(key, QStringLiteral("CSLS"), std::clamp(style, 0, 7));
}

// ---- rule lines

bool CanEditRuleLines(int columns, int rows) {
    return columns >= 1 && rows >= 1 && columns <= kRuleLinesMaxCount && rows <= kRuleLinesMaxCount &&
           columns + rows > 2;
}

namespace {

uint32_t plane(const RuleLineRecord& record, int offset) {
    return uint32_t(record[size_t(offset)]) | uint32_t(record[size_t(offset + 1)]) << 8 |
           uint32_t(record[size_t(offset + 2)]) << 16 | uint32_t(record[size_t(offset + 3)]) << 24;
}

void setBit(RuleLineRecord& record, int offset, int bit) {
    record[size_t(offset + bit / 8)] |= uint8_t(1u << (bit % 8));
}

// Planes of a direction: 0 for the lines between columns, 4 for those
// between rows; bit b of a code lies in the plane at direction + 8 b.
uint8_t codeOf(const RuleLineRecord& record, int direction, int line) {
    uint8_t code = 0;
    for (int b = 0; b < 4; ++b)
        if (plane(record, direction + 8 * b) >> line & 1u) code |= uint8_t(1u << b);
    return code;
}

}  // namespace

std::vector<uint8_t> UnpackRuleLines(const RuleLineRecord& record, int columns, int rows) {
    if (!CanEditRuleLines(columns, rows)) return {};
    std::vector<uint8_t> codes;
    codes.reserve(size_t(columns + rows - 2));
    for (int k = 0; k < columns - 1; ++k) codes.push_back(codeOf(record, 0, k));
    for (int k = 0; k < rows - 1; ++k) codes.push_back(codeOf(record, 4, k));
    return codes;
}

RuleLineRecord PackRuleLines(const std::vector<uint8_t>& codes, int columns, int rows) {
    RuleLineRecord record{};
    if (!CanEditRuleLines(columns, rows) || codes.size() != size_t(columns + rows - 2)) return record;
    for (size_t i = 0; i < codes.size(); ++i) {
        const bool vertical = i < size_t(columns - 1);
        const int line = vertical ? int(i) : int(i) - (columns - 1);
        for (int b = 0; b < 4; ++b)
            if (codes[i] >> b & 1u) setBit(record, (vertical ? 0 : 4) + 8 * b, line);
    }
    return record;
}

RulePreviewGeometry RulePreviewGeometryOf(QSize preview, int columns, int rows) {
    RulePreviewGeometry g;
    if (columns < 1 || rows < 1) return g;
    const int w = preview.width(), h = preview.height();
    g.cell = std::max(0, std::min((w - 1) / columns, (h - 1) / rows));
    if (g.cell > 44) g.cell = 45;
    const double cx = (w - 1) / 2.0, cy = (h - 1) / 2.0;
    const double halfWidth = g.cell * columns / 2.0, halfHeight = g.cell * rows / 2.0;
    g.left = int(cx - halfWidth);
    g.top = int(cy - halfHeight);
    g.right = int(cx + halfWidth);
    g.bottom = int(cy + halfHeight);
    g.inset = int(g.cell * 0.2);
    return g;
}

namespace {

// A rectangle given as its left, top and its right and bottom edges (the
// right and bottom not included); empty when they enclose nothing.
QRect edges(int left, int top, int right, int bottom) {
    if (right <= left || bottom <= top) return QRect();
    return QRect(left, top, right - left, bottom - top);
}

}  // namespace

QRect RulePreviewCell(const RulePreviewGeometry& g, int column, int row) {
    const int x = g.left + column * g.cell, y = g.top + row * g.cell;
    return edges(x + g.inset, y + g.inset, x + g.cell - g.inset + 1, y + g.cell - g.inset + 1);
}

std::vector<QRect> RulePreviewBands(const RulePreviewGeometry& g, int columns, int rows) {
    std::vector<QRect> bands;
    const int c = g.cell, m = g.inset;
    for (int k = 0; k < columns - 1; ++k)
        bands.push_back(edges(g.left + c - m + 1 + k * c, g.top - m + 1, g.left + c + m + k * c, g.bottom + m));
    for (int k = 0; k < rows - 1; ++k)
        bands.push_back(edges(g.left - m + 1, g.top + c - m + 1 + k * c, g.right + m, g.top + c + m + k * c));
    return bands;
}

QLine RulePreviewLine(const RulePreviewGeometry& g, int columns, int rows, int index) {
    const int c = g.cell, m = g.inset;
    if (index < 0 || index >= columns + rows - 2) return {};
    if (index < columns - 1) {
        // From the band's top + M to its bottom - M (the bottom not drawn),
        // halfway between its left and right edges.
        const int k = index;
        const int left = g.left + c - m + 1 + k * c, right = g.left + c + m + k * c;
        const int x = (left + right) / 2;
        return QLine(x, g.top + 1, x, g.bottom - 1);
    }
    const int k = index - (columns - 1);
    const int top = g.top + c - m + 1 + k * c, bottom = g.top + c + m + k * c;
    const int y = (top + bottom) / 2;
    return QLine(g.left + 1, y, g.right - 1, y);
}

std::vector<int> HitRuleLines(const std::vector<QRect>& bands, QPoint point) {
    std::vector<int> hits;
    for (size_t i = 0; i < bands.size() && hits.size() < 2; ++i)
        if (bands[i].contains(point)) hits.push_back(int(i));
    return hits;
}

// ---- the template window

QPoint PlaceWithin(QPoint topLeft, QSize size, const QRect& area) {
    QPoint p = topLeft;
    const int right = area.x() + area.width(), bottom = area.y() + area.height();
    if (p.x() + size.width() > right) p.setX(right - size.width());
    if (p.y() + size.height() > bottom) p.setY(bottom - size.height());
    return p;
}

}  // namespace toliva
