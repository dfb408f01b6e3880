#include "uikit/CKwPGL.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace toliva {
namespace {

bool isBlank(QChar c) {
    const char16_t u = c.unicode();
    return u == ' ' || u == '\t' || u == '\n' || u == '\v' || u == '\f' || u == '\r';
}

int hexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    if (u >= 'a' && u <= 'f') return u - 'a' + 10;
    return -1;
}

// Reads the text as scanf's "%08X" does: blanks, then at most eight characters
// of an optional sign, an optional "0X" and hex digits. False without digits.
bool scanHex8(const QString& s, uint32_t& out) {
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (i < n && isBlank(s[i])) ++i;
    int width = 8;
    bool negative = false;
    if (i < n && (s[i] == u'+' || s[i] == u'-')) {
        negative = s[i] == u'-';
        ++i;
        --width;
    }
    if (width >= 3 && i + 2 < n && s[i] == u'0' && (s[i + 1] == u'X' || s[i + 1] == u'x') && hexDigit(s[i + 2]) >= 0) {
        i += 2;
        width -= 2;
    }
    uint32_t value = 0;
    int digits = 0;
    for (; i < n && width > 0; ++i, --width) {
        const int d = hexDigit(s[i]);
        if (d < 0) break;
        value = (value << 4) | uint32_t(d);
        ++digits;
    }
    if (digits == 0) return false;
    out = negative ? uint32_t(0) - value : value;
    return true;
}

QString trimSpaces(const QString& s) {
    qsizetype b = 0, e = s.size();
    while (b < e && s[b] == u' ') ++b;
    while (e > b && s[e - 1] == u' ') --e;
    return s.mid(b, e - b);
}

bool isOpenBracket(QChar c) { return c == u'[' || c == u'(' || c == u'{'; }
bool isCloseBracket(QChar c) { return c == u']' || c == u')' || c == u'}'; }

// A reference split into its name and its (at most two) index texts.
struct Reference {
    QString name;
    QString row;
    QString column;
};

Reference splitReference(const QString& text) {
    Reference ref;
    QString current;
    int depth = 0;
    int groups = 0;
    auto commit = [&] {
        (groups == 0 ? ref.row : ref.column) = current;
        ++groups;
        current.clear();
    };
    for (const QChar c : text) {
        if (isOpenBracket(c)) {
            ++depth;  // an inner bracket is dropped
        } else if (isCloseBracket(c)) {
            if (depth == 0) continue;  // unmatched: dropped
            if (--depth == 0) commit();
        } else if (depth == 0) {
            ref.name += c;
        } else {
            current += c;
        }
    }
    if (depth > 0) commit();  // an unclosed group ends with the text
    ref.name = ref.name.trimmed();
    ref.row = ref.row.trimmed();
    ref.column = ref.column.trimmed();
    return ref;
}

}  // namespace

// --- Numbers -------------------------------------------------------------------

int ClampToInt(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return INT_MAX;
    if (value <= -2147483648.0) return INT_MIN;
    return static_cast<int>(value);
}

// --- Items ---------------------------------------------------------------------

void ParseItemValue(PropertyItem& item, const QString& text) {
    item.text = text;
    item.intValue = TextToInt(text);
    item.realValue = TextToDouble(text);
    item.boolValue = item.intValue > 0;
    item.colorValue = item.intValue;
    if (text.size() > 1) {
        QString upper = text.toUpper();
        if (upper.startsWith(u'#') || upper.endsWith(u'H')) {
            upper.remove(u'#');
            upper.remove(u'H');
            uint32_t colour = 0;
            if (scanHex8(upper, colour)) item.colorValue = static_cast<int>(colour);
        }
    }
    const QString trimmed = trimSpaces(text);
    item.linked = trimmed.size() > 2 && trimmed.startsWith(u'#') && trimmed.endsWith(u'#');
    item.linkedName = item.linked ? trimmed.mid(1, trimmed.size() - 2) : QString();
}

QStringList SplitValueList(const QString& text) {
    QStringList parts;
    QString current;
    auto flush = [&] {
        qsizetype b = 0, e = current.size();
        while (b < e && (current[b] == u' ' || current[b] == u'\t')) ++b;
        while (e > b && (current[e - 1] == u' ' || current[e - 1] == u'\t')) --e;
        if (e > b) parts.push_back(current.mid(b, e - b));
        current.clear();
    };
    for (const QChar c : text) {
        if (c == u',' || c == u';' || c == QChar(0xFF0C) || c == QChar(0xFF1B))
            flush();
        else
            current += c;
    }
    flush();
    return parts;
}

// --- Value source ----------------------------------------------------------------

void PropertyValueSource::Entry::setColour(uint32_t colour) {
    const uint64_t bits = (std::bit_cast<uint64_t>(scalar) & 0xFFFFFFFF00000000ull) | colour;
    scalar = std::bit_cast<double>(bits);
}

void PropertyValueSource::setEntry(const Entry& entry) {
    std::lock_guard lock(m_mutex);
    for (Entry& e : m_entries) {
        if (e.name.compare(entry.name, Qt::CaseInsensitive) == 0) {
            e = entry;
            return;
        }
    }
    m_entries.push_back(entry);
}

void PropertyValueSource::clear() {
    std::lock_guard lock(m_mutex);
    m_entries.clear();
}

const PropertyValueSource::Entry* PropertyValueSource::find(const QString& name) const {
    for (const Entry& e : m_entries)
        if (e.name.compare(name, Qt::CaseInsensitive) == 0) return &e;
    return nullptr;
}

bool PropertyValueSource::lookupBits(const QString& reference, uint64_t& out) const {
    const Reference ref = splitReference(reference);
    // An index text becomes a 0-based index. Index texts hold no brackets (the
    // inner ones were dropped), so a nested reference nests one level only.
    auto indexOf = [this](const QString& t, int64_t& index) {
        if (t.isEmpty()) {
            index = 0;
            return true;
        }
        if (t.size() >= 2 && t.startsWith(u'#') && t.endsWith(u'#')) {
            double v = 0;
            if (!lookupValue(t.mid(1, t.size() - 2), v)) return false;
            index = int64_t(ClampToInt(v)) - 1;
            return true;
        }
        index = int64_t(TextToInt(t)) - 1;
        return true;
    };
    int64_t row = 0, column = 0;
    if (!indexOf(ref.row, row) || !indexOf(ref.column, column)) return false;

    std::lock_guard lock(m_mutex);
    const Entry* e = find(ref.name);
    if (!e) return false;
    if (e->values.empty()) {
        out = std::bit_cast<uint64_t>(e->scalar);
        return true;
    }
    if (row < 0 || row >= e->rows || column < 0 || column >= e->columns) return false;
    const int64_t at = row * e->columns + column;
    if (at >= int64_t(e->values.size())) return false;
    out = std::bit_cast<uint64_t>(e->values[size_t(at)]);
    return true;
}

bool PropertyValueSource::lookupValue(const QString& reference, double& out) const {
    uint64_t bits = 0;
    if (!lookupBits(reference, bits)) return false;
    out = std::bit_cast<double>(bits);
    return true;
}

bool PropertyValueSource::lookupColour(const QString& reference, uint32_t& out) const {
    uint64_t bits = 0;
    if (!lookupBits(reference, bits)) return false;
    out = uint32_t(bits & 0xFFFFFFFFu);
    return true;
}

bool PropertyValueSource::lookupText(const QString& reference, QString& out) const {
    const Reference ref = splitReference(reference);
    std::lock_guard lock(m_mutex);
    const Entry* e = find(ref.name);
    if (!e) return false;
    out = e->text;
    return true;
}

// --- List ------------------------------------------------------------------------

PropertyItem* CKwPGL::Item(int group, int item) {
    return const_cast<PropertyItem*>(static_cast<const CKwPGL*>(this)->Item(group, item));
}

const PropertyItem* CKwPGL::Item(int group, int item) const {
    if (group < 0 || size_t(group) >= groups.size()) return nullptr;
    const PropertyGroup& g = groups[size_t(group)];
    if (item < 0 || size_t(item) >= g.items.size()) return nullptr;
    return &g.items[size_t(item)];
}

PropertyItem* CKwPGL::GetOrAddItem(int group, int item) {
    if (group < 0 || item < 0) return nullptr;
    while (groups.size() <= size_t(group)) groups.emplace_back();
    auto& items = groups[size_t(group)].items;
    while (items.size() <= size_t(item)) items.emplace_back();
    return &items[size_t(item)];
}

void CKwPGL::SetItemText(int group, int item, const QString& text) {
    if (PropertyItem* p = Item(group, item)) {
        ParseItemValue(*p, text);
        modified = true;
    }
}

void CKwPGL::SetItemChoice(int group, int item, int choice) {
    if (PropertyItem* p = Item(group, item)) {
        p->choice = choice;
        modified = true;
    }
}

void CKwPGL::SetItemValue(int group, int item, const QString& face, int size, int style, int colour) {
    if (PropertyItem* p = Item(group, item)) {
        // One pass over the pattern: a face name holding "%2" stays as it is.
        ParseItemValue(*p, QStringLiteral("%1,%2,%3,%4")
                               .arg(face, QString::number(size), QString::number(style), QString::number(colour)));
        modified = true;
    }
}

QString CKwPGL::GetItemText(int group, int item, bool resolve) const {
    const PropertyItem* p = Item(group, item);
    if (!p) return {};
    QString resolved;
    if (resolve && p->linked && source && source->lookupText(p->linkedName, resolved)) return resolved;
    return p->text;
}

int CKwPGL::GetItemInt(int group, int item) const {
    const PropertyItem* p = Item(group, item);
    if (!p) return 0;
    double v = 0;
    if (p->linked && source && source->lookupValue(p->linkedName, v)) return ClampToInt(v);
    return p->intValue;
}

double CKwPGL::GetItemDouble(int group, int item) const {
    const PropertyItem* p = Item(group, item);
    if (!p) return 0.0;
    double v = 0;
    if (p->linked && source && source->lookupValue(p->linkedName, v)) return v;
    return p->realValue;
}

bool CKwPGL::GetItemBool(int group, int item) const {
    const PropertyItem* p = Item(group, item);
    if (!p) return false;
    double v = 0;
    if (p->linked && source && source->lookupValue(p->linkedName, v)) return v > 0;
    return p->boolValue;
}

int CKwPGL::GetItemColor(int group, int item) const {
    const PropertyItem* p = Item(group, item);
    if (!p) return 0;
    uint32_t c = 0;
    if (p->linked && source && source->lookupColour(p->linkedName, c)) return static_cast<int>(c);
    return p->colorValue;
}

int CKwPGL::GetItemChoice(int group, int item) const {
    const PropertyItem* p = Item(group, item);
    return p ? p->choice : 0;
}

bool CKwPGL::GetItemFont(int group, int item, QString& face, int& size, int& style, int& colour) const {
    const QStringList parts = SplitValueList(GetItemText(group, item, true));
    if (parts.size() > 0) face = parts[0];
    if (parts.size() > 1) size = TextToInt(parts[1]);
    if (parts.size() > 2) style = TextToInt(parts[2]);
    if (parts.size() > 3) colour = TextToInt(parts[3]);
    size = std::clamp(size, 5, 100);
    return parts.size() >= 4;
}

bool CKwPGL::IsFreeEditItem(int group, int item) const {
    const PropertyItem* p = Item(group, item);
    return p && p->linked && p->linkedName == QStringLiteral("**");
}

}  // namespace toliva
