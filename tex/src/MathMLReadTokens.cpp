// Tokens: identifiers, numbers, operators and text.
#include "MathMLReadTree.h"

#include "MathMLReader.h"
#include "model/EqTreeOps.h"
#include "model/EqElement.h"
#include "model/EqModel.h"

namespace toliva::mathmlread {
namespace {

// Characters an identifier of one character is italic for.
bool isMathLetter(char16_t raw) {
    const char16_t c = LookAlike(raw);
    if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')) return true;
    return c == 0x0131 || (c >= 0x0391 && c <= 0x03F5) || raw == 0x210F;
}

struct Variant {
    int type = EqTypeCharUpright;
    Alphabet alphabet = Alphabet::None;
};

Variant variantOf(const QString& v) {
    static const struct {
        const char* name;
        int type;
        Alphabet alphabet;
    } kVariants[] = {
        {"script", EqTypeGlyphSymbol, Alphabet::Script},
        {"bold-script", EqTypeGlyphSymbolBold, Alphabet::BoldScript},
        {"fraktur", EqTypeGlyphSymbol, Alphabet::Fraktur},
        {"bold-fraktur", EqTypeGlyphSymbolBold, Alphabet::Fraktur},
        {"double-struck", EqTypeGlyphSymbol, Alphabet::DoubleStruck},
        {"sans-serif", EqTypeGlyphSymbol, Alphabet::SansSerif},
        {"bold-sans-serif", EqTypeGlyphSymbolBold, Alphabet::SansSerif},
        {"italic", EqTypeCharItalic, Alphabet::None},
        {"bold", EqTypeCharBold, Alphabet::None},
        {"bold-italic", EqTypeCharBoldItalic, Alphabet::None},
    };
    for (const auto& k : kVariants)
        if (v == QLatin1String(k.name)) return {k.type, k.alphabet};
    return {};
}

bool isLimitWord(const std::u16string& text) {
    const QString lower = QString::fromStdU16String(text).toLower();
    return lower == QLatin1String("lim") || lower == QLatin1String("max") || lower == QLatin1String("min");
}

}  // namespace

TreeReader::Step TreeReader::token(pugi::xml_node node, EqElement* after, TokenKind kind) {
    return tokenFrom(node, after, kind, readTokenText(node));
}

TreeReader::Step TreeReader::tokenFrom(pugi::xml_node node, EqElement* after, TokenKind kind,
                                       const std::u16string& text) {
    if (text.empty()) return {read(node.first_child(), after, true), node};

    // Equals signs with a word over them.
    if (kind != TokenKind::Identifier && text.size() == 1 && text[0] >= 0x225D && text[0] <= 0x225F) {
        static const char16_t* const kWords[] = {u"def", u"m", u"?"};
        const QStringView word(kWords[text[0] - 0x225D]);
        if (!roomFor(2 + word.size())) return {after, node};
        EqElement* e = link(after, 553);
        AppendCharRun(word, newChain(e), m_eq);
        m_elements += word.size();
        return {e, node};
    }

    const QString variantName = attribute(node, "mathvariant");
    Variant variant = variantOf(variantName);
    if (variantName.isEmpty() && kind == TokenKind::Identifier && text.size() == 1 && isMathLetter(text[0]))
        variant.type = EqTypeCharItalic;

    EqElement* last = after;
    for (size_t k = 0; k < text.size(); ++k) {
        if (!roomFor(1)) break;
        const char16_t c = text[k];
        // Letters of the mathematical alphanumeric block carry their style.
        StyledElement styled;
        if (QChar::isHighSurrogate(c) && k + 1 < text.size() && QChar::isLowSurrogate(text[k + 1]) &&
            MathAlphanumericElement(QChar::surrogateToUcs4(c, text[k + 1]), &styled)) {
            last = link(last, styled.type, styled.ch);
            ++k;
            continue;
        }
        last = tokenCharacter(last, c, variant.type, variant.alphabet);
    }

    // "lim", "max" and "min" under something are limit words.
    EqElement* owner = after->parent;
    if (owner && owner->type == 179 && variant.type == EqTypeCharUpright && isLimitWord(text)) owner->type = 180;
    return {last, node};
}

EqElement* TreeReader::tokenCharacter(EqElement* after, char16_t c, int type, Alphabet alphabet) {
    if (c == u' ') return link(after, EqTypeCharUpright, c);
    if (const int op = OperatorTypeOf(c)) return link(after, op);
    if (alphabet != Alphabet::None) {
        const bool bold = type == EqTypeGlyphSymbolBold;
        if (const StyledElement e = AlphabetElement(type, alphabet, c); e.type) return link(after, e.type, e.ch);
        // Not in the alphabet: a character in a matching style.
        if (isMathLetter(c)) type = bold ? EqTypeCharBoldItalic : EqTypeCharItalic;
        else type = bold ? EqTypeCharBold : EqTypeCharUpright;
    }
    if (const int glyph = GlyphIndexOf(c)) return link(after, EqTypeGlyphSymbol, uint16_t(glyph));
    if (c == u'\'') return link(after, EqTypeCharUpright, 0x2032);
    return link(after, type, LookAlike(c));
}

TreeReader::Step TreeReader::operatorToken(pugi::xml_node node, EqElement* after, bool cont) {
    const std::u16string raw = readTokenText(node);
    const std::u16string text = withLookAlikes(raw);
    // Following siblings are taken as arguments only where the reading goes
    // on after this node; otherwise they are arguments of the parent.
    const pugi::xml_node next = cont ? nextElement(node) : pugi::xml_node();

    // A big operator with the next sibling as its operand.
    BigOperator op;
    const bool stacked = attribute(node, "stretchy", QStringLiteral("true")) == QLatin1String("true");
    if (next && BigOperatorOf(raw, 0, stacked, &op)) {
        EqElement* e = link(after, op.type);
        for (int i = 0; i < op.limits; ++i) newChain(e);
        read(next, newChain(e), false);
        return {e, next};
    }

    // An opening bracket closed by the next sibling or the one after it.
    if (next && !text.empty()) {
        if (const uint8_t left = DelimiterCode(text[0], false)) {
            const QString stretchy = attribute(node, "stretchy");
            auto closing = [&stretchy](pugi::xml_node n) -> uint8_t {
                if (!n || !nameIs(n, u"mo") || attribute(n, "stretchy") != stretchy) return 0;
                const std::u16string t = MathMLTokenText(n);
                return t.empty() ? 0 : DelimiterCode(t[0], true);
            };
            if (const uint8_t right = closing(next)) {
                EqElement* e = link(after, 336, uint16_t(left << 8 | right));
                newChain(e);
                return {e, next};
            }
            const pugi::xml_node end = nextElement(next);
            if (const uint8_t right = closing(end)) {
                EqElement* e = link(after, 336, uint16_t(left << 8 | right));
                read(next, newChain(e), false);
                return {e, end};
            }
        }
    }

    // One operator character.
    if (text.size() == 1) {
        if (const int type = OperatorTypeOf(text[0])) return {link(after, type), node};
    }

    // A solidus between the element before it and the next sibling.
    if (next && !text.empty() && text[0] == u'/' && after->type != EqTypeChainHead && !after->next && after->prev) {
        EqElement* numerator = after;
        EqElement* before = numerator->prev;
        UnlinkElement(numerator);
        EqElement* e = link(before, 130);
        LinkAfter(newChain(e), numerator);
        read(next, newChain(e), false);
        return {e, next};
    }

    return tokenFrom(node, after, TokenKind::Text, raw);
}

}  // namespace toliva::mathmlread
