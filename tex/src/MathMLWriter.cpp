#include "MathMLWriter.h"

#include "GlyphChars.h"
#include "MathMLTables.h"
#include "tex/MathML.h"
#include "model/EqElement.h"
#include "model/EqModel.h"
#include "model/GlyphOutline.h"

#include <charconv>
#include <cstring>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace toliva {
namespace {

using mathml::LimitLayout;

constexpr const char* kMathMLNamespace = "http://www.w3.org/1998/Math/MathML";

bool isHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Characters that XML 1.0 allows, one UTF-16 unit at a time (surrogates are
// checked in pairs by the caller).
bool isXmlUnit(char16_t c) {
    if (c < 0x20) return c == 0x09 || c == 0x0A || c == 0x0D;
    return c != 0xFFFE && c != 0xFFFF;
}

// UTF-16 text to UTF-8, dropping what XML cannot hold: control characters,
// lone surrogates and the two non-characters U+FFFE and U+FFFF. With
// mapAngles, the codes 381 and 382 of delimiter and operator tables become
// the angle brackets U+2329 and U+232A.
std::string xmlText(std::u16string_view text, bool mapAngles = false) {
    std::u16string clean;
    clean.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (mapAngles && c == 381) c = 0x2329;
        else if (mapAngles && c == 382) c = 0x232A;
        if (isHighSurrogate(c)) {
            if (i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
                clean += c;
                clean += text[++i];
            }
            continue;
        }
        if (isLowSurrogate(c) || !isXmlUnit(c)) continue;
        clean += c;
    }
    return QString::fromUtf16(clean.data(), qsizetype(clean.size())).toStdString();
}

std::string xmlChar(char16_t c, bool mapAngles = false) {
    return xmlText(std::u16string_view(&c, c ? 1 : 0), mapAngles);
}

void setText(pugi::xml_node node, const std::string& utf8) {
    if (!utf8.empty()) node.append_child(pugi::node_pcdata).set_value(utf8.c_str());
}

void setAttribute(pugi::xml_node node, const char* name, const std::string& value) {
    node.append_attribute(name).set_value(value.c_str());
}

// "%g" of the C library: six significant digits, no trailing zeros; the
// decimal point is always '.'.
std::string formatG(double v) {
    char buffer[64];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::general, 6);
    return std::string(buffer, r.ptr);
}

// A payload byte of 0 or 128 marks nothing.
bool isAccentByte(uint8_t b) { return b != 0 && b != 128; }

bool hasAccents(const EqElement* e) {
    for (uint8_t b : e->payload)
        if (isAccentByte(b)) return true;
    return false;
}

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// The low surrogate that completes a character element holding a high one.
const EqElement* pairedLowSurrogate(const EqElement* e) {
    if (!IsCharType(e->type) || !isHighSurrogate(e->ch)) return nullptr;
    const EqElement* n = e->next;
    if (n && IsCharType(n->type) && isLowSurrogate(n->ch)) return n;
    return nullptr;
}

const char* scriptElementName(int type) {
    switch (type) {
    case 173: return "msup";
    case 174: case 176: return "msub";
    default: return "msubsup";
    }
}
int scriptSlots(int type) { return type == 173 || type == 174 || type == 176 ? 1 : 2; }

class Writer {
public:
    explicit Writer(const TeXWriteContext& context) : m_context(context) {}

    // Writes e and, with cont, everything after it in its chain.
    void chain(const EqElement* e, pugi::xml_node parent, bool cont) {
        while (e) {
            if (cont && e->type != EqTypeChainHead && e->phantomKind() != m_phantom) e = phantomRun(e, parent);
            else e = cont ? unit(e, parent) : byType(e, parent);
            if (!cont) break;
            e = e->next;
        }
    }

private:
    // The run of elements from e that share its phantom kind, inside the
    // form of that kind: mphantom, within an mpadded without height and
    // depth (the width kept) or without width (the height kept). Returns
    // the last element written.
    const EqElement* phantomRun(const EqElement* e, pugi::xml_node parent) {
        const int kind = e->phantomKind();
        const int outer = m_phantom;
        m_phantom = kind;
        pugi::xml_node place = parent;
        if (kind == PhantomHorizontal || kind == PhantomVertical) {
            pugi::xml_node padded = parent.append_child("mpadded");
            if (kind == PhantomHorizontal) {
                padded.append_attribute("height") = "0";
                padded.append_attribute("depth") = "0";
            } else {
                padded.append_attribute("width") = "0";
            }
            place = padded.append_child("mphantom");
        } else if (kind == PhantomFull) {
            place = parent.append_child("mphantom");
        }
        const EqElement* last = unit(e, place);
        while (last->next && last->next->phantomKind() == kind) last = unit(last->next, place);
        m_phantom = outer;
        return last;
    }

    // A chain wrapped in an mrow; an empty mrow for a missing chain.
    void wrapped(const EqElement* head, pugi::xml_node parent) {
        pugi::xml_node row = parent.append_child("mrow");
        if (head) chain(head, row, true);
    }

    const EqElement* child(const EqElement* e, size_t i) const {
        return i < e->children.size() ? e->children[i] : nullptr;
    }

    // Child chains at the given positions, each wrapped in mrow; a position
    // that has no chain gives an empty mrow, so that elements with a fixed
    // number of arguments keep it.
    void wrappedChildren(const EqElement* e, pugi::xml_node parent, std::initializer_list<size_t> positions) {
        for (size_t i : positions) wrapped(child(e, i), parent);
    }

    // The chains from the last back to the first, exactly n of them.
    void reversedChildren(const EqElement* e, pugi::xml_node parent, size_t n) {
        const size_t count = e->children.size();
        for (size_t k = 0; k < n; ++k) wrapped(k < count ? e->children[count - 1 - k] : nullptr, parent);
    }

    void allChildrenWrapped(const EqElement* e, pugi::xml_node parent) {
        for (const EqElement* head : e->children) wrapped(head, parent);
    }

    // One step of the chain walk: e, or e as the base of the scripts that
    // follow it. Returns the last element written.
    const EqElement* unit(const EqElement* e, pugi::xml_node parent) {
        const EqElement* low = pairedLowSurrogate(e);
        const EqElement* end = low ? low : e;
        if (end->next && IsScriptType(end->next->type)) return scriptGroup(e, parent);
        return byType(e, parent);
    }

    // The base, then its run of scripts: the last script holds the previous
    // one as its base, and so on down to the base itself.
    const EqElement* scriptGroup(const EqElement* base, pugi::xml_node parent) {
        const EqElement* last = pairedLowSurrogate(base);
        const EqElement* first = (last ? last : base)->next;
        const EqElement* s = first;
        while (s->next && IsScriptType(s->next->type)) s = s->next;
        const EqElement* lastScript = s;
        pugi::xml_node node = parent.append_child(scriptElementName(s->type));
        reversedChildren(s, node, size_t(scriptSlots(s->type)));
        while (s != first) {
            s = s->prev;
            pugi::xml_node inner = node.prepend_child(scriptElementName(s->type));
            reversedChildren(s, inner, size_t(scriptSlots(s->type)));
            node = inner;
        }
        byType(base, node.prepend_child("mrow"));
        return lastScript;
    }

    // Writes e alone by its type; returns the last element consumed (a
    // prescript consumes its base, a surrogate pair both halves).
    const EqElement* byType(const EqElement* e, pugi::xml_node parent) {
        const int t = e->type;
        if (IsCharType(t)) return character(e, parent);
        if (IsSpaceType(t)) {
            space(e, parent);
        } else if (IsBracketType(t)) {
            bracket(e, parent);
        } else if (IsOperatorType(t)) {
            setText(parent.append_child("mo"), xmlChar(mathml::OperatorChar(t), true));
        } else if (IsOverAccentType(t) || IsUnderAccentType(t)) {
            wideAccent(e, parent);
        } else if (IsEnclosureType(t) || t == EqTypePhasor) {
            pugi::xml_node node = parent.append_child("menclose");
            node.append_attribute("notation") = mathml::EnclosureNotation(t);
            wrapped(child(e, 0), node);
        } else if (t == EqTypeGlyphSymbol || t == EqTypeGlyphSymbolBold) {
            accented(e, parent, [this](const EqElement* g, pugi::xml_node p) { glyphSymbol(g, p); });
        } else if (IsArrowSymbolType(t)) {
            setText(parent.append_child("mo"), xmlChar(mathml::ArrowSymbolChar(t)));
        } else if (IsBigOperatorType(t) || IsIntegralType(t)) {
            bigOperator(e, parent);
        } else if (IsMatrixType(t)) {
            matrix(e, parent);
        } else if (IsPreScriptType(t)) {
            return prescripts(e, parent);
        } else if (t == 553) {
            defArrow(e, parent);
        } else if (IsExtArrowType(t)) {
            extArrow(e, parent, mathml::ExtArrowFormOf(t));
        } else {
            structure(e, parent);
        }
        return e;
    }

    void structure(const EqElement* e, pugi::xml_node parent) {
        switch (e->type) {
        case EqTypeCalcResult:
            if (const EqElement* head = child(e, 0)) chain(head, parent, true);
            break;
        case 128:
            wrappedChildren(e, parent.append_child("mfrac"), {0, 1});
            break;
        case 129:
        case 132:
            bevelled(e, parent);
            break;
        case EqTypeLongDivision:
            longDivision(e, parent);
            break;
        case 130: {
            pugi::xml_node row = parent.append_child("mrow");
            if (const EqElement* head = child(e, 0)) chain(head, row, true);
            setText(row.append_child("mo"), "/");
            if (e->children.size() > 1) chain(e->children.back(), row, true);
            break;
        }
        case EqTypeSqrt:
            allChildrenWrapped(e, parent.append_child("msqrt"));
            break;
        case EqTypeRoot:
            wrappedChildren(e, parent.append_child("mroot"), {0, 1});
            break;
        case 177:
            wrappedChildren(e, parent.append_child("mover"), {0, 1});
            break;
        case 178:
            if (e->children.size() == 3) wrappedChildren(e, parent.append_child("munderover"), {0, 2, 1});
            else wrappedChildren(e, parent.append_child("munderover"), {0, 1, 2});
            break;
        case 179:
        case 180:
            wrappedChildren(e, parent.append_child("munder"), {0, 1});
            break;
        case 133:
        case 134:
        case EqTypeArcMark:
        case EqTypeChemForm:
        case EqTypeSmall:
            allChildrenWrapped(e, parent.append_child("mrow"));
            break;
        default:
            if (IsFrameMarkType(e->type)) allChildrenWrapped(e, parent.append_child("mrow"));
            break;
        }
    }

    void bevelled(const EqElement* e, pugi::xml_node parent) {
        pugi::xml_node node = parent.append_child("mfrac");
        node.append_attribute("bevelled") = "true";
        wrappedChildren(e, node, {0, 1});
    }

    // Dividend, divisor and quotient; without a quotient chain the division
    // is written as a bevelled fraction.
    void longDivision(const EqElement* e, pugi::xml_node parent) {
        if (e->children.size() < 3) {
            bevelled(e, parent);
            return;
        }
        wrappedChildren(e, parent.append_child("mlongdiv"), {1, 2, 0});
    }

    // --- characters -------------------------------------------------------

    // Wraps the element's accents around what write puts in the innermost
    // place: the last payload byte outermost.
    template <typename Write>
    void accented(const EqElement* e, pugi::xml_node parent, Write write) {
        pugi::xml_node place = parent;
        for (size_t i = e->payload.size(); i-- > 0;) {
            const uint8_t code = e->payload[i];
            if (!isAccentByte(code)) continue;
            const bool under = code > 128;
            pugi::xml_node node = place.append_child(under ? "munder" : "mover");
            node.append_attribute(under ? "accentunder" : "accent") = "true";
            pugi::xml_node row = node.append_child("mrow");
            setText(node.append_child("mo"), xmlChar(mathml::AccentChar(under ? code - 128 : code)));
            place = row;
        }
        write(e, place);
    }

    const EqElement* character(const EqElement* e, pugi::xml_node parent) {
        const EqElement* low = pairedLowSurrogate(e);
        accented(e, parent, [this, low](const EqElement* c, pugi::xml_node p) { plainCharacter(c, low, p); });
        return low ? low : e;
    }

    void plainCharacter(const EqElement* e, const EqElement* low, pugi::xml_node parent) {
        char16_t ch = e->ch;
        switch (ch) {
        case 0x0127: ch = 0x210F; break;
        case 0x01B1: ch = 0x2127; break;
        case 0x0394: ch = 0x2206; break;
        case 0x03A3: ch = 0x2211; break;
        default: break;
        }
        std::u16string units(1, ch);
        if (low) units += char16_t(low->ch);
        const std::string text = xmlText(units);

        // An upright run such as "sin" or "12" forms one token.
        const EqElement* prev = e->prev;
        if (e->type == EqTypeCharUpright && !low && prev && prev == m_lastElement && prev->type == EqTypeCharUpright &&
            !hasAccents(prev) && m_lastToken && m_lastToken.parent() == parent && parent.last_child() == m_lastToken &&
            isDigit(prev->ch) == isDigit(e->ch)) {
            pugi::xml_node data = m_lastToken.first_child();
            if (data) data.set_value((std::string(data.value()) + text).c_str());
            else setText(m_lastToken, text);
            m_lastElement = e;
            return;
        }
        pugi::xml_node token = parent.append_child(isDigit(ch) ? "mn" : "mi");
        if (!isDigit(ch)) {
            switch (e->type) {
            case EqTypeCharUpright: token.append_attribute("mathvariant") = "normal"; break;
            case EqTypeCharBold: token.append_attribute("mathvariant") = "bold"; break;
            case EqTypeCharBoldItalic: token.append_attribute("mathvariant") = "bold-italic"; break;
            default: break;
            }
        }
        setText(token, text);
        m_lastToken = token;
        m_lastElement = low ? low : e;
    }

    void glyphSymbol(const EqElement* e, pugi::xml_node parent) {
        const mathml::GlyphMeaning m = mathml::GlyphMeaningOf(e->ch, e->type);
        if (m.kind == mathml::GlyphMeaning::Letter) {
            pugi::xml_node token = parent.append_child(isDigit(m.ch) ? "mn" : "mi");
            token.append_attribute("mathvariant") = m.variant;
            setText(token, xmlChar(m.ch));
            return;
        }
        char16_t ch = m.ch;
        if (m.kind == mathml::GlyphMeaning::Unknown) ch = RecordedGlyphChar(m_context, e);
        setText(parent.append_child("mo"), xmlChar(ch));
    }


    // --- spaces, brackets, accents ------------------------------------------

    void space(const EqElement* e, pugi::xml_node parent) {
        // A thin space right after a function name ("sin") is the function
        // application, which reads back as that space.
        const EqElement* prev = e->prev;
        const pugi::xml_node before = parent.last_child();
        if (e->type == 97 && prev && prev->type == EqTypeCharUpright && QChar(prev->ch).isLetter() &&
            !hasAccents(prev) && before && std::strcmp(before.name(), "mi") == 0) {
            setText(parent.append_child("mo"), xmlChar(0x2061));
            return;
        }
        std::string width;
        if (e->type == EqTypeSpaceCustom) {
            static const char* const units[] = {"em", "mu", "ex", "pc", "pt", "px", "in", "mm", "cm", "%"};
            const int unit = e->ch & 0x0F;
            width = formatG(double(GetSpaceAmount(e))) + (unit <= 9 ? units[unit] : "em");
        } else {
            double em = 0;
            switch (e->type) {
            case 96: em = -1.0 / 6; break;
            case 97: em = 1.0 / 18; break;
            case 98: em = 1.0 / 6; break;
            case 99: em = 2.0 / 9; break;
            case 100: em = 5.0 / 18; break;
            case 101: em = 1.0 / 3; break;
            case 102: em = 1; break;
            case 103: em = 2; break;
            case 105: em = 0.5; break;
            default: break;
            }
            width = formatG(em) + "em";
        }
        setAttribute(parent.append_child("mspace"), "width", width);
    }

    void bracket(const EqElement* e, pugi::xml_node parent) {
        const BracketDelimiters d = GetBracketDelimiters(e);
        pugi::xml_node node = parent.append_child("mfenced");
        setAttribute(node, "open", xmlChar(mathml::DelimiterChar(d.left), true));
        setAttribute(node, "close", xmlChar(mathml::DelimiterChar(d.right), true));
        node.append_attribute("separators") = "|";
        if (e->children.empty()) return;
        wrapped(e->children.front(), node);
        if (e->children.size() > 1) wrapped(e->children.back(), node);
    }

    void wideAccent(const EqElement* e, pugi::xml_node parent) {
        const bool under = IsUnderAccentType(e->type);
        pugi::xml_node node = parent.append_child(under ? "munder" : "mover");
        node.append_attribute(under ? "accentunder" : "accent") = "true";
        wrapped(child(e, 0), node);
        setText(node.append_child("mo"), xmlChar(mathml::WideAccentChar(e->type)));
    }

    // --- arrows ---------------------------------------------------------------

    void extArrow(const EqElement* e, pugi::xml_node parent, mathml::ExtArrowForm form) {
        using P = mathml::ExtArrowForm::Place;
        pugi::xml_node node;
        switch (form.place) {
        case P::Over:
            node = parent.append_child("mover");
            node.append_attribute("accent") = "false";
            break;
        case P::Under:
            node = parent.append_child("munder");
            node.append_attribute("accentunder") = "false";
            break;
        case P::Both:
            node = parent.append_child("munderover");
            node.append_attribute("accent") = "false";
            node.append_attribute("accentunder") = "false";
            break;
        case P::None:
            return;
        }
        setText(node.append_child("mo"), xmlChar(form.ch));
        if (form.place == P::Both) {
            wrapped(e->children.size() > 1 ? e->children.back() : nullptr, node);
            wrapped(child(e, 0), node);
        } else {
            wrapped(child(e, 0), node);
        }
    }

    // "def", "m" and "?" over an equals sign have characters of their own.
    void defArrow(const EqElement* e, pugi::xml_node parent) {
        std::u16string word;
        bool upright = true;
        if (const EqElement* head = child(e, 0)) {
            for (const EqElement* c = head->next; c; c = c->next) {
                if (c->type != EqTypeCharUpright) {
                    upright = false;
                    break;
                }
                word += char16_t(c->ch);
            }
        }
        char16_t ch = 0;
        if (upright && word == u"def") ch = 0x225D;
        else if (upright && word == u"m") ch = 0x225E;
        else if (upright && word == u"?") ch = 0x225F;
        if (ch) {
            setText(parent.append_child("mo"), xmlChar(ch));
            return;
        }
        extArrow(e, parent, {mathml::ExtArrowForm::Over, u'='});
    }

    // --- big operators, integrals -------------------------------------------

    void bigOperator(const EqElement* e, pugi::xml_node parent) {
        mathml::BigOperatorForm form;
        if (!mathml::BigOperatorFormOf(e->type, &form)) return;
        const size_t chains = e->children.size();
        const size_t limits = chains > 0 ? chains - 1 : 0;
        LimitLayout layout = form.layout;
        if (layout == LimitLayout::SideByCount)
            layout = limits == 0 ? LimitLayout::Plain : limits == 1 ? LimitLayout::Sub : LimitLayout::SubSup;
        else if (layout == LimitLayout::StackByCount)
            layout = limits == 0 ? LimitLayout::Plain : limits == 1 ? LimitLayout::Under : LimitLayout::UnderOver;

        std::string text;
        if (form.text) text = xmlText(form.text);
        else if (e->glyph && e->glyph->charCode) text = xmlChar(char16_t(e->glyph->charCode));

        pugi::xml_node row = parent.append_child("mrow");
        const EqElement* operand = chains ? e->children.back() : nullptr;
        auto writeOperator = [&](pugi::xml_node node) {
            pugi::xml_node mo = node.append_child("mo");
            mo.append_attribute("stretchy") = "false";
            setText(mo, text);
        };
        if (layout == LimitLayout::Plain) {
            writeOperator(row);
            if (operand) wrapped(operand, row);
            return;
        }
        const char* name = "msub";
        size_t limitSlots = 1;
        switch (layout) {
        case LimitLayout::SubSup: name = "msubsup"; limitSlots = 2; break;
        case LimitLayout::Under: name = "munder"; break;
        case LimitLayout::UnderOver: name = "munderover"; limitSlots = 2; break;
        default: break;
        }
        pugi::xml_node node = row.append_child(name);
        writeOperator(node);
        // The limits from the second-to-last chain back to the first.
        for (size_t k = 0; k < limitSlots; ++k) wrapped(k < limits ? e->children[limits - 1 - k] : nullptr, node);
        if (operand) wrapped(operand, row);
    }

    // --- matrices -------------------------------------------------------------

    // One entry per boundary; empty when every entry would be "none".
    // Style masks: dashed in 0 and 1, solid in 2 and 3 (columns at even
    // places of the record, rows at odd ones).
    static std::string ruleLines(const MatrixShape& shape, int count, int rowOffset) {
        std::string text;
        bool any = false;
        for (int i = 1; i < count; ++i) {
            const int bit = i - 1;
            auto has = [&](int style) { return bit < 32 && (MatrixRuleMask(shape, 2 * style + rowOffset) >> bit & 1u); };
            const char* entry = "none";
            if (has(0) || has(1)) entry = "dashed";
            else if (has(2) || has(3)) entry = "solid";
            if (entry[0] != 'n') any = true;
            if (!text.empty()) text += ' ';
            text += entry;
        }
        return any ? text : std::string();
    }

    void matrix(const EqElement* e, pugi::xml_node parent) {
        // Two stacked chains with overlapping rows and nothing else set: a
        // fraction without a bar, as such a fraction reads.
        if (e->type == EqTypeMatrixColumn && e->children.size() == 2 && e->ch == 0x0100) {
            pugi::xml_node node = parent.append_child("mfrac");
            node.append_attribute("linethickness") = "0";
            wrappedChildren(e, node, {0, 1});
            return;
        }
        const MatrixShape shape = GetMatrixShape(e);
        const int columns = shape.count1;
        const int rows = shape.count2;
        pugi::xml_node table = parent.append_child("mtable");
        const int align = e->ch & 0x0F;
        const bool inCases = e->parent && e->parent->type == 355 && align == 1;
        if (!inCases && align == 1) table.append_attribute("columnalign") = "left";
        else if (!inCases && align == 2) table.append_attribute("columnalign") = "right";
        if (columns > 1) {
            const std::string lines = ruleLines(shape, columns, 0);
            if (!lines.empty()) setAttribute(table, "columnlines", lines);
        }
        if (rows > 1) {
            const std::string lines = ruleLines(shape, rows, 1);
            if (!lines.empty()) setAttribute(table, "rowlines", lines);
        }
        for (int r = 0; r < rows; ++r) {
            pugi::xml_node tr = table.append_child("mtr");
            for (int c = 0; c < columns; ++c) {
                pugi::xml_node td = tr.append_child("mtd");
                if (const EqElement* head = child(e, size_t(r) * size_t(columns) + size_t(c))) chain(head, td, true);
            }
        }
    }

    // --- prescripts -------------------------------------------------------------

    // A run of prescripts nests: each one's base is the next, and the last
    // one's base is the element after the run together with its scripts.
    // Returns the last element consumed.
    const EqElement* prescripts(const EqElement* e, pugi::xml_node parent) {
        pugi::xml_node place = parent;
        const EqElement* p = e;
        for (;;) {
            pugi::xml_node node = place.append_child("mmultiscripts");
            pugi::xml_node base = node.append_child("mrow");
            node.append_child("mprescripts");
            if (p->type == 189) node.append_child("none");
            reversedChildren(p, node, p->type == 191 ? 2 : 1);
            if (p->type == 190) node.append_child("none");
            place = base;
            const EqElement* next = p->next;
            if (!next || IsScriptType(next->type)) return p;
            if (!IsPreScriptType(next->type)) return unit(next, place);
            p = next;
        }
    }

    const TeXWriteContext& m_context;
    int m_phantom = 0;  // the phantom kind of the form being written into
    pugi::xml_node m_lastToken;
    const EqElement* m_lastElement = nullptr;
};

// Named references of the serialiser become numeric ones.
std::string numericReferences(const std::string& xml) {
    static const std::pair<std::string_view, std::string_view> kRefs[] = {
        {"&amp;", "&#38;"}, {"&lt;", "&#60;"}, {"&gt;", "&#62;"}, {"&quot;", "&#34;"}, {"&apos;", "&#39;"},
    };
    std::string out;
    out.reserve(xml.size());
    for (size_t i = 0; i < xml.size();) {
        if (xml[i] == '&') {
            bool replaced = false;
            for (const auto& [named, numeric] : kRefs) {
                if (xml.compare(i, named.size(), named) != 0) continue;
                out += numeric;
                i += named.size();
                replaced = true;
                break;
            }
            if (replaced) continue;
        }
        out += xml[i++];
    }
    return out;
}

}  // namespace

void xml_string_writer::write(const void* data, size_t size) { result.append(static_cast<const char*>(data), size); }

void WriteMathMLChain(const TeXWriteContext& context, const EqElement* e, pugi::xml_node parent, bool cont) {
    Writer writer(context);
    writer.chain(e, parent, cont);
}

QString EquationToMathML(const EqModel& eq, const TeXWriteContext& context, unsigned int saveFlags) {
    pugi::xml_document doc;
    pugi::xml_node math = doc.append_child("math");
    math.append_attribute("xmlns") = kMathMLNamespace;
    for (const EqElement* head : eq.lines) WriteMathMLChain(context, head, math, true);
    xml_string_writer sink;
    doc.save(sink, "\t", saveFlags, pugi::encoding_utf8);
    return QString::fromStdString(numericReferences(sink.result));
}

}  // namespace toliva
