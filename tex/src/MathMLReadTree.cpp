#include "MathMLReadTree.h"

#include "MathMLReader.h"
#include "model/EqTreeOps.h"
#include "model/EqElement.h"
#include "model/EqModel.h"

#include <QStringList>

#include <algorithm>
#include <charconv>
#include <string>
#include <vector>

namespace toliva::mathmlread {
namespace {

std::vector<pugi::xml_node> elementChildren(pugi::xml_node node) {
    std::vector<pugi::xml_node> kids;
    for (pugi::xml_node c = firstElement(node); c; c = nextElement(c)) kids.push_back(c);
    return kids;
}

// A script place that holds nothing: missing, or "none".
bool isNone(pugi::xml_node node) { return !node || nameIs(node, u"none"); }

bool isTrueOrFalse(const QString& v) { return v == QLatin1String("true") || v == QLatin1String("false"); }

// The leading number of a length ("0.5em", "-3mu"): its digits, '.' and
// '-' in order; the rest is the unit. False when the number does not read.
bool splitLength(const QString& text, float* value, QString* unit) {
    std::string number;
    unit->clear();
    for (QChar q : text) {
        const char16_t c = q.unicode();
        if ((c >= u'0' && c <= u'9') || c == u'.' || c == u'-') number += char(c);
        else if (!q.isSpace()) *unit += q;
    }
    if (number.empty()) return false;
    float v = 0;
    const auto r = std::from_chars(number.data(), number.data() + number.size(), v);
    if (r.ec != std::errc() || r.ptr != number.data() + number.size()) return false;
    *value = v;
    return true;
}

// Rule words of "columnlines" and "rowlines": 0 none, 1 dashed, 2 solid.
std::vector<int> ruleWords(const QString& text) {
    static const struct {
        const char* word;
        int kind;
    } kWords[] = {{"none", 0}, {"dashed", 1}, {"solid", 2}};
    std::vector<int> words;
    for (qsizetype i = 0; i < text.size() && words.size() < 32;) {
        bool found = false;
        for (const auto& w : kWords) {
            const QLatin1String word(w.word);
            if (!QStringView(text).mid(i).startsWith(word)) continue;
            words.push_back(w.kind);
            i += word.size();
            found = true;
            break;
        }
        if (!found) ++i;
    }
    return words;
}

// Where an element's "<" stands in the parsed text; -1 when not known.
qlonglong elementOffset(pugi::xml_node node) {
    const ptrdiff_t at = node.offset_debug();  // of the name, right after the "<"
    return at > 0 ? qlonglong(at - 1) : -1;
}

// The phantom kind of an mpadded that only wraps an mphantom: no height and
// depth keeps the width (horizontal), no width keeps the height (vertical);
// 0 for any other mpadded.
int paddedPhantomKind(pugi::xml_node node) {
    const pugi::xml_node inner = firstElement(node);
    if (!inner || nextElement(inner) || !nameIs(inner, u"mphantom")) return 0;
    auto isZero = [node](const char* name) {
        float v = 1;
        QString unit;
        return splitLength(attribute(node, name), &v, &unit) && v == 0;
    };
    auto has = [node](const char* name) { return bool(node.attribute(name)); };
    if (isZero("height") && isZero("depth") && !has("width")) return PhantomHorizontal;
    if (isZero("width") && !has("height") && !has("depth")) return PhantomVertical;
    return 0;
}

// Elements read as their content on purpose: rows, styles and the parts of
// tables and scripts met outside their owner.
bool isContainer(const QString& name) {
    static const char* const kNames[] = {"math", "mrow", "mstyle", "mpadded", "merror", "mtr", "mtd",
                                         "mlabeledtr", "none", "mprescripts"};
    for (const char* n : kNames)
        if (name == QLatin1String(n)) return true;
    return false;
}

// Arrow glyphs that turn an over, under or over-and-under structure into an
// extensible arrow.
struct ArrowCodes {
    int glyph;
    int over;
    int under;
    int both;
};
const ArrowCodes kArrows[] = {
    {233, 625, 635, 629}, {235, 624, 634, 628}, {237, 626, 636, 630},
    {251, 632, 638, 640}, {253, 627, 637, 631}, {255, 633, 639, 641},
};

}  // namespace

// --- the walk ---------------------------------------------------------------

EqElement* TreeReader::read(pugi::xml_node node, EqElement* after, bool cont) {
    if (!node || full()) return after;
    if (m_depth >= kMaxMathMLDepth) {
        m_tooDeep = true;
        return after;
    }
    ++m_depth;
    // Siblings in a loop: a row can hold any number of them.
    while (node) {
        if (node.type() == pugi::node_element) {
            if (full() || !roomFor(1)) break;
            const Step s = one(node, after, cont);
            after = s.last;
            node = s.node;
        }
        if (!cont) break;
        node = node.next_sibling();
    }
    --m_depth;
    return after;
}

QString TreeReader::report() const {
    QStringList parts;
    if (m_tooDeep)
        parts << QStringLiteral("Parts nested more than %1 levels deep were left out.").arg(kMaxMathMLDepth);
    if (m_tableCut)
        parts << QStringLiteral("A table with more than %1 rows or columns was cut to that size.")
                     .arg(kMaxMathMLTableSize);
    if (m_elementsFull)
        parts << QStringLiteral("The element limit (%1 elements) was reached; the rest was left out.")
                     .arg(kMaxMathMLElements);
    if (m_textFull)
        parts << QStringLiteral("The text limit (%1 characters) was reached; the rest was left out.")
                     .arg(kMaxMathMLText);
    return parts.join(QLatin1Char(' '));
}

EqElement* TreeReader::newLine() {
    if (full() || !roomFor(1)) return nullptr;
    ++m_elements;
    return AddEmptyLine(m_eq);
}

bool TreeReader::roomFor(qsizetype n) {
    if (m_elements + n <= kMaxMathMLElements) return true;
    m_elementsFull = true;
    return false;
}

qsizetype TreeReader::takeText(qsizetype written) {
    const qsizetype fits = std::min(written, kMaxMathMLText - m_text);
    m_text += fits;
    if (fits < written) m_textFull = true;
    return fits;
}

std::u16string TreeReader::readTokenText(pugi::xml_node node) {
    qsizetype written = 0;
    std::u16string text = rawTokenText(node, &written);
    const qsizetype fits = takeText(written);
    if (fits < written && size_t(fits) < text.size()) text.resize(size_t(fits));
    return text;
}

TreeReader::Step TreeReader::one(pugi::xml_node node, EqElement* after, bool cont) {
    const QString name = MathMLNodeName(node);
    auto is = [&name](const char* n) { return name == QLatin1String(n); };
    if (is("mfenced")) return fenced(node, after);
    if (is("mtable")) return table(node, after);
    if (is("mphantom")) return {phantom(node, after, PhantomFull), node};
    if (is("msup")) return scripts(node, after, 173);
    if (is("msub")) {
        // A base with a "stretchy" attribute may be a big operator.
        if (attribute(firstElement(node), "stretchy").size() < 2) return scripts(node, after, 174);
        return limits(node, after, 1, false, cont);
    }
    if (is("msubsup")) return limits(node, after, 2, false, cont);
    if (is("mmultiscripts")) return multiscripts(node, after);
    if (is("munderover")) return limits(node, after, 2, true, cont);
    if (is("mfrac")) return fraction(node, after);
    if (is("msqrt")) return {structure(node, after, 136, -1), node};
    if (is("mroot")) return {structure(node, after, 137, 2), node};
    if (is("mi")) return token(node, after, TokenKind::Identifier);
    if (is("mn")) return token(node, after, TokenKind::Number);
    if (is("mo") || is("mtext")) return operatorToken(node, after, cont);
    if (is("mover")) return over(node, after);
    if (is("munder")) return under(node, after, cont);
    if (is("mspace") || is("hspace")) return space(node, after);
    if (is("menclose")) return {structure(node, after, EnclosureTypeOf(attribute(node, "notation")), -1), node};
    // The presentation form only; annotations are not read.
    if (is("semantics")) return {read(firstElement(node), after, false), node};
    if (is("mlongdiv")) return longDivision(node, after);
    if (is("mpadded"))
        if (const int kind = paddedPhantomKind(node)) return {phantom(firstElement(node), after, int8_t(kind)), node};
    // Anything else is transparent: its children in its place.
    if (!isContainer(name)) noteUnknown(node, name);
    return {read(node.first_child(), after, true), node};
}

// --- building blocks ----------------------------------------------------------

EqElement* TreeReader::link(EqElement* after, int type, uint16_t ch) {
    ++m_elements;
    return NewElementAfter(after, ch, m_eq, type);
}

EqElement* TreeReader::newChain(EqElement* owner, bool front) {
    ++m_elements;
    return NewChildChain(owner, m_eq, front ? ChainPrepend : ChainAppend);
}

EqElement* TreeReader::chainWith(EqElement* owner, pugi::xml_node node, bool cont, bool front) {
    EqElement* head = newChain(owner, front);
    read(node, head, cont);
    return head;
}

// An element of the given type whose chains hold the node's children: count
// -1 puts all of them into one chain, count n one child into each of n
// chains (a missing child leaves its chain empty).
EqElement* TreeReader::structure(pugi::xml_node node, EqElement* after, int type, int count) {
    EqElement* e = link(after, type);
    if (count < 0) {
        chainWith(e, node.first_child(), true);
    } else {
        pugi::xml_node c = firstElement(node);
        for (int i = 0; i < count; ++i) {
            chainWith(e, c, false);
            if (c) c = nextElement(c);
        }
    }
    arrowRule(e);
    return e;
}

// An over, under or over-and-under structure whose base is one arrow glyph,
// an equals sign or a tilde becomes an extensible arrow with the other
// chains as its text.
void TreeReader::arrowRule(EqElement* e) {
    const bool overOrUnder = (e->type == 177 || e->type == 179) && e->children.size() == 2;
    const bool both = e->type == 178 && e->children.size() == 3;
    if (!overOrUnder && !both) return;
    const EqElement* base = e->children.front()->next;
    if (!base || base->next) return;
    auto pick = [e, both](int over, int under, int overUnder) {
        return both ? overUnder : e->type == 177 ? over : under;
    };
    int code = 0;
    if (base->type == 1052) {
        code = pick(642, 643, 643);
    } else if (base->type == 1049) {
        code = pick(553, 553, 574);
    } else if (IsGlyphSymbolType(base->type)) {
        for (const ArrowCodes& a : kArrows)
            if (base->ch == a.glyph) code = pick(a.over, a.under, a.both);
    }
    if (!code) return;
    EqElement* head = e->children.front();
    e->children.erase(e->children.begin());
    DeleteEqElement(head);
    e->type = code;
}

// --- structures ---------------------------------------------------------------

TreeReader::Step TreeReader::fraction(pugi::xml_node node, EqElement* after) {
    // A fraction without a bar is a one-column stack.
    float thickness = 1;
    QString unit;
    if (splitLength(attribute(node, "linethickness"), &thickness, &unit) && thickness == 0) {
        EqElement* e = structure(node, after, 370, 2);
        e->ch = uint16_t((e->ch & ~0x0F00u) | 0x0100u);
        return {e, node};
    }
    const bool bevelled = attribute(node, "bevelled", QStringLiteral("false")) == QLatin1String("true");
    return {structure(node, after, bevelled ? 130 : 128, 2), node};
}

// The base read at the insertion point, then a script element whose chains
// (put in front, so the last script comes first) hold the next children.
TreeReader::Step TreeReader::scripts(pugi::xml_node node, EqElement* after, int type) {
    const pugi::xml_node base = firstElement(node);
    EqElement* last = read(base, after, false);
    EqElement* e = link(last, type);
    pugi::xml_node c = base ? nextElement(base) : pugi::xml_node();
    const int count = type == 175 ? 2 : 1;
    for (int i = 0; i < count; ++i) {
        chainWith(e, c, false, true);
        if (c) c = nextElement(c);
    }
    return {e, node};
}

// Scripts that may be the limits of a big operator.
TreeReader::Step TreeReader::limits(pugi::xml_node node, EqElement* after, int limitCount, bool underOver, bool cont) {
    const pugi::xml_node base = firstElement(node);
    const std::u16string text = rawTokenText(base);
    const bool stacked = underOver || attribute(base, "stretchy", QStringLiteral("true")) == QLatin1String("true");
    BigOperator op;
    if (BigOperatorOf(text, limitCount, stacked, &op)) {
        EqElement* e = link(after, op.type);
        // The operand is what follows the whole construction.
        EqElement* operand = newChain(e);
        pugi::xml_node consumed = node;
        if (cont) {
            if (const pugi::xml_node next = nextElement(node)) {
                read(next, operand, false);
                consumed = next;
            }
        }
        pugi::xml_node c = nextElement(base);
        for (int i = 0; i < op.limits; ++i) {
            chainWith(e, c, false, true);
            if (c) c = nextElement(c);
        }
        return {e, consumed};
    }
    if (underOver) {
        if (MathMLChildCount(node) == 3) {
            // Base, over, under: the order of the writer and the LaTeX reader.
            EqElement* e = link(after, 178);
            chainWith(e, base, false);
            chainWith(e, elementAt(node, 2), false);
            chainWith(e, elementAt(node, 1), false);
            arrowRule(e);
            return {e, node};
        }
        return accent(node, after, true, false);
    }
    return scripts(node, after, limitCount == 1 ? 174 : 175);
}

// Scripts after the base and, after "mprescripts", before it. A script
// written "none" is left out.
TreeReader::Step TreeReader::multiscripts(pugi::xml_node node, EqElement* after) {
    const std::vector<pugi::xml_node> kids = elementChildren(node);
    if (kids.empty()) return {after, node};
    int pre = -1;
    for (size_t i = 0; i < kids.size(); ++i) {
        if (MathMLNodeName(kids[i]).contains(QLatin1String("mprescripts"))) {
            pre = int(i);
            break;
        }
    }
    auto kid = [&kids](int i, int end) { return i >= 0 && i < end ? kids[size_t(i)] : pugi::xml_node(); };
    const int count = int(kids.size());
    const int postEnd = pre < 0 ? count : pre;
    EqElement* last = after;
    if (pre >= 0) {
        if (EqElement* e = scriptPair(last, kid(pre + 1, count), kid(pre + 2, count), true)) last = e;
    }
    if (postEnd > 0) {
        last = read(kids[0], last, false);
        if (EqElement* e = scriptPair(last, kid(1, postEnd), kid(2, postEnd), false)) last = e;
    }
    return {last, node};
}

EqElement* TreeReader::scriptPair(EqElement* after, pugi::xml_node sub, pugi::xml_node sup, bool pre) {
    const bool hasSub = !isNone(sub);
    const bool hasSup = !isNone(sup);
    if (!hasSub && !hasSup) return nullptr;
    int type = 0;
    if (pre) type = hasSub && hasSup ? 191 : hasSup ? 189 : 190;
    else type = hasSub && hasSup ? 175 : hasSup ? 173 : 174;
    EqElement* e = link(after, type);
    if (hasSub) chainWith(e, sub, false, true);
    if (hasSup) chainWith(e, sup, false, true);
    return e;
}

TreeReader::Step TreeReader::over(pugi::xml_node node, EqElement* after) {
    // Some writers put "accent" on the accent's own "mo".
    const QString accentValue = MathMLAttribute(node, "accent", QString(), true);
    if (isTrueOrFalse(accentValue)) return accent(node, after, false, accentValue == QLatin1String("true"));
    return {structure(node, after, 177, 2), node};
}

TreeReader::Step TreeReader::under(pugi::xml_node node, EqElement* after, bool cont) {
    QString accentValue = MathMLAttribute(node, "accentunder", QString(), true);
    if (!isTrueOrFalse(accentValue)) accentValue = MathMLAttribute(node, "underaccent", QString(), true);
    if (isTrueOrFalse(accentValue)) return accent(node, after, true, accentValue == QLatin1String("true"));
    return limits(node, after, 1, true, cont);
}

// The last child is the accent: a mark on a single symbol, else a wide
// accent over (or under) everything before it, else a plain over or under
// structure.
TreeReader::Step TreeReader::accent(pugi::xml_node node, EqElement* after, bool underSide, bool attributeTrue) {
    const int structureType = underSide ? 179 : 177;
    const std::vector<pugi::xml_node> kids = elementChildren(node);
    const pugi::xml_node mark = kids.empty() ? pugi::xml_node() : kids.back();
    const std::u16string markText = mark && nameIs(mark, u"mo") ? rawTokenText(mark) : std::u16string();
    if (markText.empty()) return {structure(node, after, structureType, 2), node};
    if (kids.size() == 1) return {after, node};

    // A detached work chain, owned by nobody while it is read.
    ++m_elements;
    EqElement* work = NewChildChain(nullptr, m_eq, ChainDetached);
    work->colour = after->colour2;
    work->colour2 = after->colour2;
    EqElement* last = work;
    for (size_t i = 0; i + 1 < kids.size(); ++i) last = read(kids[i], last, false);

    const char16_t a = markText[0];
    EqElement* only = work->next && !work->next->next ? work->next : nullptr;
    bool twice = false;
    const int markCode = AccentMarkOf(a, &twice);
    // Marks belong on characters and glyph symbols only: other types use
    // their payload for other things.
    if (only && attributeTrue && markCode && (IsCharType(only->type) || IsGlyphSymbolType(only->type))) {
        UnlinkElement(only);
        DeleteEqElement(work);
        LinkAfter(after, only);
        const uint8_t mark = uint8_t(underSide ? markCode + 128 : markCode);
        AddAccentMark(only, mark);
        if (twice) AddAccentMark(only, mark);
        return {only, node};
    }
    if (const int wide = WideAccentOf(a)) {
        EqElement* e = link(after, underSide ? wide + 16 : wide);
        AttachChildChain(e, work, ChainAppend);
        return {e, node};
    }
    DeleteEqElement(work);
    return {structure(node, after, structureType, 2), node};
}

TreeReader::Step TreeReader::space(pugi::xml_node node, EqElement* after) {
    float amount = 0;
    QString unit;
    if (!splitLength(attribute(node, "width"), &amount, &unit) || amount == 0) return {after, node};
    // Wider than any page: kept at a size layout can handle.
    amount = std::clamp(amount, -1000.0f, 1000.0f);
    const int unitCode = SpaceUnitOf(unit);
    EqElement* e = link(after, EqTypeSpaceCustom, uint16_t(unitCode < 0 ? 0 : unitCode));
    SetSpaceAmount(e, amount);
    return {e, node};
}

TreeReader::Step TreeReader::fenced(pugi::xml_node node, EqElement* after) {
    const QString open = attribute(node, "open", QStringLiteral("("));
    const QString close = attribute(node, "close", QStringLiteral(")"));
    QString separators = attribute(node, "separators");
    separators.remove(QLatin1Char(' '));
    const uint8_t left = open.isEmpty() ? 0 : DelimiterCode(open[0].unicode(), false);
    const uint8_t right = close.isEmpty() ? 0 : DelimiterCode(close[0].unicode(), true);
    EqElement* e = link(after, 336, uint16_t(left << 8 | right));
    EqElement* head = newChain(e);
    const std::vector<pugi::xml_node> kids = elementChildren(node);
    if (separators.isEmpty()) {
        read(node.first_child(), head, true);
    } else if (separators == QLatin1String("|") && kids.size() == 2) {
        read(kids[0], head, false);
        chainWith(e, kids[1], false);
    } else {
        EqElement* last = head;
        for (size_t i = 0; i < kids.size(); ++i) {
            if (i > 0) {
                const qsizetype s = std::min(qsizetype(i - 1), separators.size() - 1);
                last = link(last, EqTypeCharUpright, separators[s].unicode());
            }
            last = read(kids[i], last, false);
        }
    }
    return {e, node};
}

// Rows of cells: as many columns as the longest row, shorter rows padded
// with empty cells; a table without rows gives nothing.
TreeReader::Step TreeReader::table(pugi::xml_node node, EqElement* after) {
    std::vector<std::vector<pugi::xml_node>> rows;
    size_t columns = 1;
    for (pugi::xml_node tr = firstElement(node); tr; tr = nextElement(tr)) {
        // A numbered row is a row whose first cell is its label; the table
        // has no place for labels, so it is left out and reported.
        const bool labelled = nameIs(tr, u"mlabeledtr");
        if (!labelled && !nameIs(tr, u"mtr")) continue;
        if (rows.size() == size_t(kMaxMathMLTableSize)) {
            m_tableCut = true;
            break;
        }
        std::vector<pugi::xml_node>& cells = rows.emplace_back();
        pugi::xml_node label = labelled ? firstElement(tr) : pugi::xml_node();
        if (label)
            m_problems.push_back({QStringLiteral("the label of a numbered row <mlabeledtr> was left out"),
                                  elementOffset(label)});
        for (pugi::xml_node td = label ? nextElement(label) : firstElement(tr); td; td = nextElement(td)) {
            if (!nameIs(td, u"mtd")) continue;
            if (cells.size() == size_t(kMaxMathMLTableSize)) {
                m_tableCut = true;
                break;
            }
            cells.push_back(td);
        }
        columns = std::max(columns, cells.size());
    }
    if (rows.empty()) return {after, node};
    const size_t rowCount = rows.size();
    // Every cell is a chain, padded ones too: a table that does not fit the
    // element budget is left out.
    if (!roomFor(1 + qsizetype(rowCount * columns))) return {after, node};
    const int type = columns == 1 ? 370 : rowCount == 1 ? 369 : 371;
    EqElement* e = link(after, type);
    const QString align = attribute(node, "columnalign", QStringLiteral("center"));
    if (align == QLatin1String("left")) e->ch = 1;
    else if (align == QLatin1String("right")) e->ch = 2;
    SetMatrixCounts(e, int(rowCount), int(columns));
    for (const std::vector<pugi::xml_node>& cells : rows)
        for (size_t c = 0; c < columns; ++c)
            chainWith(e, c < cells.size() ? cells[c].first_child() : pugi::xml_node(), true);

    // Rule lines: masks 0 and 1 dashed columns and rows, 4 and 5 solid.
    uint8_t record[32] = {};
    const std::vector<int> columnWords = ruleWords(attribute(node, "columnlines"));
    const std::vector<int> rowWords = ruleWords(attribute(node, "rowlines"));
    for (size_t i = 0; i < columnWords.size() && i < columns; ++i)
        if (columnWords[i]) SetMatrixRuleBit(record, columnWords[i] == 1 ? 0 : 4, int(i));
    for (size_t i = 0; i < rowWords.size() && i < rowCount; ++i)
        if (rowWords[i]) SetMatrixRuleBit(record, rowWords[i] == 1 ? 1 : 5, int(i));
    SetMatrixRules(e, record);
    return {e, node};
}

EqElement* TreeReader::phantom(pugi::xml_node node, EqElement* after, int8_t kind) {
    EqElement* last = after;
    for (pugi::xml_node c = firstElement(node); c; c = nextElement(c)) {
        EqElement* start = last;
        last = read(c, last, false);
        if (last == start) continue;
        for (EqElement* x = start->next; x; x = x->next) {
            SetPhantomKindKeepingInner(x, kind);
            if (x == last) break;
        }
    }
    return last;
}

void TreeReader::noteUnknown(pugi::xml_node node, const QString& name) {
    if (m_unknown.contains(name)) return;
    m_unknown << name;
    m_problems.push_back({QStringLiteral("unknown element <%1>, read as its content").arg(name),
                          elementOffset(node)});
}

// Divisor, quotient, dividend in MathML; dividend, divisor, quotient here.
TreeReader::Step TreeReader::longDivision(pugi::xml_node node, EqElement* after) {
    EqElement* e = link(after, EqTypeLongDivision);
    chainWith(e, elementAt(node, 2), false);
    chainWith(e, elementAt(node, 0), false);
    chainWith(e, elementAt(node, 1), false);
    return {e, node};
}

}  // namespace toliva::mathmlread
