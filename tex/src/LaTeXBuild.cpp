// The LaTeX reader's builder: the token tree of one segment into elements.
//
// Tokens are built left to right into the current chain; a structure's
// arguments go into new child chains. A group adds no structure: its content
// is built in place, and the colour that ran before it runs again after it.
#include "LaTeXTokens.h"
#include "MathMLReadTables.h"

#include "model/EqTreeOps.h"
#include "model/EqElement.h"
#include "model/EqModel.h"
#include "model/EqTypes.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace toliva::latex {
namespace {

constexpr char16_t kPrime = 0x2032;
constexpr char16_t kDoublePrime = 0x2033;
constexpr char16_t kTriplePrime = 0x2034;

// ---- Characters ---------------------------------------------------------------

struct Styled {
    int type;
    int ch;
};

bool isUpper(int c) { return c >= 'A' && c <= 'Z'; }
bool isLower(int c) { return c >= 'a' && c <= 'z'; }
bool isDigit(int c) { return c >= '0' && c <= '9'; }

// Characters that stay upright in the italic style.
bool uprightInItalic(int c) {
    if (isDigit(c) || (c >= 0x2032 && c <= 0x2035)) return true;
    switch (c) {
    case '!': case '&': case '(': case ')': case '*': case ',': case '.': case '/': case ':': case ';': case '?':
    case '[': case '\\': case ']': case '{': case '|': case '}': case '~':
        return true;
    default:
        return false;
    }
}

Styled italic(int c) { return {uprightInItalic(c) ? EqTypeCharUpright : EqTypeCharItalic, c}; }

// A character in a style of the style commands.
Styled styledCharacter(int c, int style) {
    switch (style) {
    case 2: case 9: case 10: case 13: return {EqTypeCharUpright, c};
    case 3: case 11: return {EqTypeCharBold, c};
    case 4: return {EqTypeCharBoldItalic, c};
    case 16: return {EqTypeCharSans, c};
    case 17: return {EqTypeCharMono, c};
    case 6:
    case 22: {  // double-struck
        const int type = style == 6 ? EqTypeGlyphSymbol : EqTypeGlyphSymbolBold;
        if (isUpper(c)) return {type, c - 63};
        if (isLower(c)) return {type, c + 354};
        if (isDigit(c)) return {type, c + 393};
        return italic(c);
    }
    case 7:
    case 23: {  // fraktur
        const int type = style == 7 ? EqTypeGlyphSymbol : EqTypeGlyphSymbolBold;
        if (isUpper(c)) return {type, c + 19};
        if (isLower(c)) return {type, c + 13};
        return italic(c);
    }
    case 5:
    case 14:  // calligraphic
        if (isUpper(c)) return {style == 5 ? EqTypeGlyphSymbol : EqTypeGlyphSymbolBold, c - 7};
        return italic(c);
    case 8:
    case 24:  // script
        if (isUpper(c)) return {style == 8 ? EqTypeGlyphSymbol : EqTypeGlyphSymbolBold, c - 33};
        return italic(c);
    default:
        return italic(c);
    }
}

// A symbol character of the name table (key kind 6) in a style: upright
// unless a style says otherwise; a few letter-like symbols are italic.
int symbolCharacterType(int c, int style) {
    switch (style) {
    case 3: case 11: return EqTypeCharBold;
    case 4: return EqTypeCharBoldItalic;
    case 16: return EqTypeCharSans;
    case 17: return EqTypeCharMono;
    case 1: case 12: return EqTypeCharItalic;
    case 2: case 9: case 10: case 13: return EqTypeCharUpright;
    default: break;
    }
    switch (c) {
    case 295: case 305: case 411: case 567: case 1009: case 1013: return EqTypeCharItalic;
    default: return EqTypeCharUpright;
    }
}

// ---- Tables -----------------------------------------------------------------------

int negatedOperator(int type) {
    static const int kPairs[][2] = {
        {1051, 1217}, {1052, 1218}, {1053, 1219}, {1060, 1184}, {1061, 1185}, {1062, 1186}, {1063, 1187},
        {1066, 1188}, {1067, 1189}, {1068, 1190}, {1069, 1191}, {1074, 1078}, {1079, 1192}, {1080, 1193},
        {1082, 1083}, {1085, 1183}, {1114, 1198}, {1115, 1199}, {1116, 1202}, {1117, 1203}, {1123, 1204},
        {1124, 1205}, {1125, 1206}, {1132, 1207}, {1133, 1208}, {1168, 1226}, {1169, 1227}, {1172, 1232},
        {1173, 1233}, {1174, 1234}, {1175, 1235}, {1176, 1236}, {1179, 1237}, {1180, 1238},
    };
    for (const auto& p : kPairs)
        if (p[0] == type) return p[1];
    return 0;
}

bool isBigOperatorBase(int type) {
    switch (type) {
    case 274: case 275: case 276: case 286: case 288: case 291: case 293: case 295: case 297: case 299: case 302:
    case 304: case 306: case 309: case 312: case 315: case 318: case 321: case 324: case 327: case 330: case 333:
    case 800: case 803:
        return true;
    default:
        return false;
    }
}

bool isSidesetBase(int type) {
    return (type >= 306 && type <= 333 && (type - 306) % 3 == 0) || type == 800 || type == 803;
}

enum Limits { LimitsDefault = 0, LimitsAbove = 1, LimitsSide = 2 };

// The type of a big operator or integral by its scripts.
int bigOperatorType(int base, bool both, bool one, int limits) {
    if (!both && !one) return base;
    if (base >= 306 && base <= 333) {
        static const int kSide[] = {848, 849, 850, 851, 852, 853, 854, 857, 858, 859};
        if (limits == LimitsSide) return kSide[(base - 306) / 3];
        return both ? base + 2 : base + 1;
    }
    if (base == 800 || base == 803) {
        if (limits == LimitsSide) return base == 800 ? 855 : 856;
        return both ? base + 2 : base + 1;
    }
    struct Integral {
        int base, bothAbove, both, oneAbove, one;
    };
    static const Integral kIntegrals[] = {
        {276, 788, 278, 787, 277}, {286, 786, 287, 785, 301}, {288, 773, 290, 769, 289},
        {291, 776, 281, 772, 292}, {293, 779, 282, 777, 294}, {295, 780, 283, 778, 296},
        {297, 783, 284, 781, 298}, {299, 784, 285, 782, 300}, {302, 775, 280, 771, 303},
        {304, 774, 279, 770, 305},
    };
    for (const Integral& i : kIntegrals) {
        if (i.base != base) continue;
        if (both) return limits == LimitsAbove ? i.bothAbove : i.both;
        return limits == LimitsAbove ? i.oneAbove : i.one;
    }
    return base;  // 274, 275
}

bool isMathStyleWord(const QString& name) {
    return name == QLatin1String("displaystyle") || name == QLatin1String("textstyle") ||
           name == QLatin1String("scriptstyle") || name == QLatin1String("scriptscriptstyle");
}

// Matrices, arrays and cases set their cells in text style; aligned
// blocks, gathered lines and dcases in display style.
bool isTextStyleEnvironment(int code, const QString& name) {
    if (name == QLatin1String("gathered") || name == QLatin1String("dcases")) return false;
    return (code >= 1 && code <= 9) || code == 15;
}

struct EnvironmentShape {
    int ch;
    int bracket;
};

EnvironmentShape environmentShape(int code) {
    switch (code) {
    case 1: return {0, 338};
    case 2: return {0, 337};
    case 3: return {0, 339};
    case 4: return {0, 341};
    case 5: return {0, 342};
    case 7: return {0, 0};
    case 8: return {16, 0};
    case 10: return {3, 0};
    case 13: return {3, 0};
    case 14: return {3, 0};
    case 15: return {1, 355};
    case 16: return {3, 0};
    default: return {0, 0};
    }
}

bool isAlignedEnvironment(int code) { return code == 10 || code == 12 || code == 13; }

// The bracket type that has the delimiters left and right of its own, 336
// (which holds them in its ch) when none has.
int bracketTypeOf(int left, int right) {
    if (left == 1 && right == 17) return 337;
    if (left == 2 && right == 18) return 338;
    if (left == 3 && right == 19) return 339;
    if (left == 5 && right == 21) return 341;
    if (left == 6 && right == 22) return 342;
    if (right == 0 && left >= 1 && left <= 6) return 352 + left;
    if (left == 0 && right >= 17 && right <= 22) return 343 + right;
    return 336;
}

// Colours by name, compared without regard to case.
bool namedColour(QStringView name, uint32_t* rgb) {
    struct Named {
        const char* name;
        uint32_t rgb;
    };
    static const Named kColours[] = {
        {"black", 0x000000},  {"blue", 0x0000FF}, {"brown", 0xA52A2A},  {"cyan", 0x00FFFF},   {"gray", 0x808080},
        {"green", 0x008000},  {"orange", 0xFFA500}, {"plum", 0xDDA0DD}, {"pink", 0xFFC0CB},   {"purple", 0x800080},
        {"red", 0xFF0000},    {"white", 0xFFFFFF}, {"yellow", 0xFFFF00},
    };
    for (const Named& n : kColours) {
        if (name.compare(QLatin1String(n.name), Qt::CaseInsensitive) == 0) {
            *rgb = n.rgb;
            return true;
        }
    }
    return false;
}

// A colour: a name, or three comma-separated numbers (fractions with the
// model "rgb", integers 0-255 otherwise). Gives 0xRRGGBB.
bool parseColour(QStringView text, QStringView model, uint32_t* rgb) {
    text = text.trimmed();
    if (namedColour(text, rgb)) return true;
    const auto parts = text.split(QLatin1Char(','));
    if (parts.size() != 3) return false;
    const bool fractions = model.trimmed() == QLatin1String("rgb");
    uint32_t value = 0;
    for (QStringView part : parts) {
        bool ok = false;
        int byte = 0;
        if (fractions) {
            const double f = part.trimmed().toDouble(&ok);
            if (!ok || !(f >= 0.0 && f <= 1.0)) return false;
            byte = int(std::lround(f * 255.0));
        } else {
            byte = part.trimmed().toInt(&ok);
            if (!ok || byte < 0 || byte > 255) return false;
        }
        value = value << 8 | uint32_t(byte);
    }
    *rgb = value;
    return true;
}

int spaceUnit(QStringView unit) {
    static const char* const kUnits[] = {"em", "mu", "ex", "pc", "pt", "px", "in", "mm", "cm"};
    for (int i = 0; i < 9; ++i)
        if (unit == QLatin1String(kUnits[i])) return i;
    return 255;
}

// "-2.5pt": the amount and the unit code; false without digits.
bool parseSpace(QStringView text, float* amount, int* unit) {
    qsizetype i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && text[i].isSpace()) ++i;
    };
    skipBlanks();
    QString number;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) number += text[i++];
    skipBlanks();
    bool digits = false;
    while (i < text.size() && (text[i].isDigit() || text[i] == u'.')) {
        digits = digits || text[i].isDigit();
        number += text[i++];
    }
    if (!digits) return false;
    skipBlanks();
    *amount = number.toFloat();
    *unit = spaceUnit(text.mid(i, 2));
    return true;
}

// ---- The builder --------------------------------------------------------------------

// Where building goes on: new elements follow cur; owner is the structure
// whose argument the chain is (none on a line); colour is the running colour.
struct Chain {
    EqElement* cur;
    EqElement* owner;
    uint32_t colour;
};

LaTeXToken* nextSignificant(LaTeXToken* t) { return t ? skipInsignificant(t->next) : nullptr; }

// Blanks, \limits and \nolimits between a script character and its argument.
LaTeXToken* skipScriptGap(LaTeXToken* t) {
    while (t && (!isSignificant(t) || t->kind == TokLimits || t->kind == TokNoLimits)) t = t->next;
    return t;
}

bool stopsOperand(const LaTeXToken* t) {
    return t->isOperatorSymbol() || t->kind == TokLineBreak || t->kind == TokCell || t->kind == TokMiddle;
}

bool isPrimeToken(const LaTeXToken* t) { return t && t->kind == TokChar && t->value2 == kPrime; }

// Function names are read as their upright letters, which is what they are.
bool isFunctionName(const QString& name) {
    static const char* const kNames[] = {
        "arccos", "arccot", "arccsc", "arcsec", "arcsin", "arctan", "arg",  "cos",  "cosh",   "cot",  "coth",
        "csc",    "csch",   "deg",    "det",    "dim",    "exp",    "gcd",  "hom",  "ker",    "lg",   "liminf",
        "limsup", "ln",     "log",    "Pr",     "sec",    "sech",   "sgn",  "sin",  "sinh",   "tan",  "tanh",
    };
    for (const char* n : kNames)
        if (name == QLatin1String(n)) return true;
    return false;
}

// Commands that only change how much room their argument takes (overlaps,
// smashed height): the model has no form for that, so the argument is read
// in place and the command is reported.
bool isRoomCommand(const QString& name) {
    static const char* const kNames[] = {"smash", "rlap", "llap", "clap", "mathrlap", "mathllap", "mathclap"};
    for (const char* n : kNames)
        if (name == QLatin1String(n)) return true;
    return false;
}

// The old style switches apply to the rest of their group.
bool isStyleSwitch(const QString& name) {
    static const char* const kSwitches[] = {"rm", "bf", "it", "sf", "tt", "cal"};
    for (const char* s : kSwitches)
        if (name == QLatin1String(s)) return true;
    return false;
}

// Sets the style mark of t and of everything inside it.
void markStyle(LaTeXToken* t, int style, bool withFollowing) {
    std::vector<LaTeXToken*> stack;
    for (LaTeXToken* x = t; x; x = withFollowing ? x->next : nullptr) stack.push_back(x);
    while (!stack.empty()) {
        LaTeXToken* x = stack.back();
        stack.pop_back();
        x->style = style;
        // Math inside a text keeps its own styles.
        if (x->flags & kMathInText) continue;
        for (LaTeXToken* c = x->content; c; c = c->next) stack.push_back(c);
        if (x->env)
            for (auto& row : x->env->rows)
                for (LaTeXToken* cell : row) stack.push_back(cell);
    }
}

class Builder {
public:
    Builder(EqModel* eq, TokenTree& tree, QStringView text, SegmentError* report)
        : m_eq(eq), m_tree(&tree), m_text(text), m_report(report) {}

    // False when the tokens nest too deeply to build (the lines made are
    // then incomplete).
    bool buildLine(LaTeXToken* root) {
        EqElement* head = AddEmptyLine(m_eq);
        Chain c{head, nullptr, head->colour};
        buildSequence(root->content, c);
        return !m_tooDeep;
    }

private:
    // Deeper structures could not be stored (the equation stream takes 512
    // levels).
    static constexpr int kMaxBuildDepth = 2 * kLaTeXMaxNesting;

    EqModel* m_eq;
    TokenTree* m_tree;
    QStringView m_text;
    SegmentError* m_report;
    int m_depth = 0;
    bool m_tooDeep = false;
    // The token being built, whose arguments are read.
    const LaTeXToken* m_command = nullptr;
    // Text style: in the cells of matrices, arrays and cases and after
    // \textstyle or \scriptstyle, up to the end of the group. A \frac is
    // then the small fraction, as \tfrac. The parts of fractions and
    // scripts start again in display style: the layout makes them smaller
    // itself.
    bool m_textStyle = false;

    class StyleScope {
    public:
        StyleScope(Builder* b, bool textStyle) : m_b(b), m_saved(b->m_textStyle) { b->m_textStyle = textStyle; }
        ~StyleScope() { m_b->m_textStyle = m_saved; }
        StyleScope(const StyleScope&) = delete;
        StyleScope& operator=(const StyleScope&) = delete;

    private:
        Builder* m_b;
        bool m_saved;
    };

    // ---- Elements and chains

    EqElement* add(Chain& c, int type, int ch = 0) {
        EqElement* e = NewElementAfter(c.cur, uint16_t(ch), m_eq, type);
        e->colour = e->colour2 = c.colour;
        c.cur = e;
        return e;
    }

    EqElement* newChain(EqElement* owner, int mode = ChainAppend) { return NewChildChain(owner, m_eq, mode); }
    static Chain chainAt(EqElement* head) { return {head, head->parent, head->colour}; }

    void appendText(Chain& c, QStringView text, int type = EqTypeCharUpright) {
        EqElement* first = c.cur;
        c.cur = AppendCharRun(text, c.cur, m_eq);
        for (EqElement* e = first->next; e; e = e->next) {
            e->type = type;
            e->colour = e->colour2 = c.colour;
        }
    }

    // Calls f on each element built in c since before.
    template <typename F>
    void forEachMade(EqElement* before, const Chain& c, F f) {
        for (EqElement* e = before->next; e; e = e->next) {
            f(e);
            if (e == c.cur) break;
        }
    }

    // ---- Sequences, groups and arguments

    void buildSequence(LaTeXToken* t, Chain& c) {
        while (t) t = buildOne(t, c);
    }

    // A group's content, in place; the running colour is restored after it.
    void buildContent(LaTeXToken* group, Chain& c) {
        const StyleScope style(this, m_textStyle);
        const uint32_t colour = c.colour;
        if (!buildSlantedFraction(group, c)) buildSequence(group->content, c);
        c.colour = colour;
    }

    // The next significant token (a group counts as one) in place.
    LaTeXToken* buildInPlace(LaTeXToken* t, Chain& c) {
        t = skipInsignificant(t);
        if (!t) return m_command && !m_tooDeep ? missingArgument(m_command) : nullptr;
        return buildOne(t, c);
    }

    // The next significant token into a new child chain of owner.
    LaTeXToken* buildArgument(LaTeXToken* t, EqElement* owner, int mode = ChainAppend) {
        Chain sub = chainAt(newChain(owner, mode));
        return buildInPlace(t, sub);
    }

    // The content of a group token (a cell, an optional argument) into a new
    // child chain of owner.
    void buildContentArgument(LaTeXToken* group, EqElement* owner, int mode = ChainAppend) {
        Chain sub = chainAt(newChain(owner, mode));
        if (group) buildContent(group, sub);
    }

    // The two parts of a fraction, in display style.
    LaTeXToken* buildFractionParts(LaTeXToken* t, EqElement* f) {
        const StyleScope style(this, false);
        return buildArgument(buildArgument(t, f), f);
    }

    // ---- Dispatch

    // Builds t (with the tokens it takes) and returns the token after them.
    // Commands that take the next token as argument ("\\hat\\hat...",
    // "x^^^", "\\frac\\frac...") nest without groups, so the depth is
    // counted here; past the limit building stops.
    LaTeXToken* buildOne(LaTeXToken* t, Chain& c) {
        if (m_tooDeep || m_depth >= kMaxBuildDepth) {
            m_tooDeep = true;
            return nullptr;
        }
        ++m_depth;
        const LaTeXToken* outer = m_command;
        m_command = t;
        LaTeXToken* next = buildToken(t, c);
        m_command = outer;
        --m_depth;
        return m_tooDeep ? nullptr : next;
    }

    LaTeXToken* buildToken(LaTeXToken* t, Chain& c) {
        switch (t->kind) {
        case TokChar: return buildCharacter(t, c);
        case TokSymbol: return buildSymbol(t, c);
        case TokUnknown:
            if (isReferenceCommand(t->text)) return buildReference(t, c);
            if (isRoomCommand(t->text)) {
                m_report->noteUnknown(QLatin1Char('\\') + t->text, t->pos);
                LaTeXToken* n = skipInsignificant(t->next);
                return buildInPlace(n && n->kind == TokOptional ? n->next : n, c);
            }
            if (!isFunctionName(t->text)) m_report->noteUnknown(QLatin1Char('\\') + t->text, t->pos);
            appendText(c, t->text);
            return t->next;
        case TokSub:
        case TokSup:
            return buildScript(t, c);
        case TokGroup:
            buildContent(t, c);
            return t->next;
        case TokOptional: {
            EqElement* b = add(c, 338);
            buildContentArgument(t, b);
            return t->next;
        }
        case TokEnvironment: buildEnvironment(t, c); return t->next;
        case TokInfix: buildInfix(t, c); return t->next;
        case TokBracket: buildBracket(t, c); return t->next;
        case TokMiddle:
            add(c, EqTypeCharUpright, '|');
            return t->next;
        case TokMacro:
            add(c, EqTypeLibraryRef, t->value2);
            return t->next;
        case TokNot: return buildNegation(t, c);
        case TokColor: return buildColour(t, c);
        case TokBlank:
            if ((t->style >= 10 && t->style <= 13) || (t->flags & kReadAsText)) add(c, 101);
            return t->next;
        case TokLineBreak: {
            // At the top level the line ends; inside a structure it is dropped.
            if (!c.owner) {
                const uint32_t colour = c.colour;
                c = Chain{AddEmptyLine(m_eq), nullptr, colour};
            }
            LaTeXToken* n = t->next;
            return n && n->kind == TokOptional ? n->next : n;
        }
        default:
            // \displaystyle, \textstyle, \scriptstyle, \scriptscriptstyle:
            // up to the end of the group.
            if (t->keyKind == 153 && isMathStyleWord(t->text)) m_textStyle = t->text != QLatin1String("displaystyle");
            return t->next;
        }
    }

    // ---- Characters

    LaTeXToken* buildCharacter(LaTeXToken* t, Chain& c) {
        if (isPrimeToken(t)) {
            // Primes before a superscript are its start: x'^2 is x^{\prime 2}.
            LaTeXToken* after = skipInsignificant(afterPrimes(t));
            if (after && after->kind == TokSup) {
                const StyleScope style(this, false);
                EqElement* s = add(c, 173);
                LaTeXToken* next = buildPrimedSuperscript(t, s, ChainAppend);
                LaTeXToken* other = skipInsignificant(next);
                if (other && other->kind == TokSub) {
                    next = buildArgument(skipScriptGap(other->next), s);
                    s->type = 175;
                }
                c.cur = s;
                return next;
            }
        }
        return buildPlainCharacter(t, c);
    }

    static LaTeXToken* afterPrimes(LaTeXToken* t) {
        while (isPrimeToken(t)) t = t->next;
        return t;
    }

    // The primes at t, and the superscript that follows them if any, into a
    // new superscript chain of s.
    LaTeXToken* buildPrimedSuperscript(LaTeXToken* t, EqElement* s, int mode) {
        Chain sup = chainAt(newChain(s, mode));
        while (isPrimeToken(t)) t = buildPlainCharacter(t, sup);
        LaTeXToken* n = skipInsignificant(t);
        if (n && n->kind == TokSup) return buildInPlace(skipScriptGap(n->next), sup);
        return t;
    }

    LaTeXToken* buildPlainCharacter(LaTeXToken* t, Chain& c) {
        int code = t->value2;
        LaTeXToken* next = t->next;
        if (code == kPrime) {
            // Primes in a row collapse into double and triple primes.
            while (isPrimeToken(next) && (code == kPrime || code == kDoublePrime)) {
                code = code == kPrime ? kDoublePrime : kTriplePrime;
                next = next->next;
            }
        }
        if (code < 0x20) return next;
        // Letters of the mathematical alphanumeric block carry their style.
        if (QChar::isHighSurrogate(char16_t(code)) && next && next->kind == TokChar &&
            QChar::isLowSurrogate(char16_t(next->value2))) {
            mathmlread::StyledElement styled;
            if (mathmlread::MathAlphanumericElement(QChar::surrogateToUcs4(char16_t(code), char16_t(next->value2)),
                                                    &styled)) {
                add(c, styled.type, styled.ch);
                return next->next;
            }
        }
        if (t->style == 13 && isLower(code)) code -= 32;
        const Styled s = styledCharacter(code, t->style);
        add(c, s.type, s.ch);
        return next;
    }

    void buildNamedCharacter(LaTeXToken* t, Chain& c) {
        int style = t->style;
        // Upright letters (the Greek capitals) stay upright, or become bold;
        // sans-serif and monospace keep their face.
        if (t->value1 == 1 && style != 16 && style != 17) style = (style == 3 || style == 4 || style == 11) ? 3 : 2;
        const Styled s = styledCharacter(t->value2, style);
        add(c, s.type, s.ch);
    }

    // ---- Labels, tags and references

    static bool isReferenceCommand(const QString& name) {
        return name == QLatin1String("label") || name == QLatin1String("tag") || name == QLatin1String("eqref");
    }

    // "\tag{1}" is kept as the text "(1)" after a quad ("\tag*{1}" without
    // the parentheses), "\eqref{A}" as "(A)". A label has no visible form:
    // it is dropped and reported, since its name is lost.
    LaTeXToken* buildReference(LaTeXToken* t, Chain& c) {
        LaTeXToken* n = skipInsignificant(t->next);
        bool starred = false;
        if (t->text == QLatin1String("tag") && n && n->kind == TokChar && n->value2 == '*') {
            starred = true;
            n = skipInsignificant(n->next);
        }
        if (!n || !n->isBraceGroup()) return missingArgument(t);
        if (t->text == QLatin1String("label")) {
            m_report->noteUnknown(QStringLiteral("\\label"), t->pos);
            return n->next;
        }
        if (t->text == QLatin1String("tag")) add(c, 102);
        const QString inside = GroupText(n, m_text).trimmed().toString();
        appendText(c, starred ? inside : QLatin1Char('(') + inside + QLatin1Char(')'));
        return n->next;
    }

    // A command or script whose argument is missing fails the segment.
    LaTeXToken* missingArgument(const LaTeXToken* t) {
        const QString what = t->kind == TokSub ? QStringLiteral("_") : t->kind == TokSup ? QStringLiteral("^")
                                                                                          : QLatin1Char('\\') + t->text;
        // Reported where its sequence ends: there the argument was due.
        int at = t->end;
        for (const LaTeXToken* x = t; x; x = x->next) at = std::max(at, x->end);
        m_report->fail(QStringLiteral("%1 without its argument").arg(what), at);
        return nullptr;
    }

    // ---- Symbol commands

    LaTeXToken* buildSymbol(LaTeXToken* t, Chain& c) {
        switch (t->keyKind) {
        case 1:
        case 4:
            buildNamedCharacter(t, c);
            return t->next;
        case 2: return buildAccent(t->next, c, t->value1);
        case 3: return buildStructure(t, c);
        case 6:
            add(c, symbolCharacterType(t->value1, t->style), t->value1);
            return t->next;
        case 13:
            add(c, EqTypeGlyphSymbol, t->value1);
            return t->next;
        case 149: return buildNamed(t, c);
        case 150: {
            const int type = t->value1 == 2 ? 230 : t->value1 == 3 ? 233 : t->value1 == 4 ? 217 : 228;
            EqElement* e = add(c, type);
            Chain sub = chainAt(newChain(e));
            appendText(sub, u"lim");
            return t->next;
        }
        case 151: return buildStyle(t, c);
        case 152: return buildExtensibleArrow(t, c);
        case 154: return buildSymbolByCode(t, c);
        default: return t->next;
        }
    }

    // Builds the next token and gives the first element it made the accent.
    LaTeXToken* buildAccent(LaTeXToken* t, Chain& c, int code) {
        EqElement* before = c.cur;
        LaTeXToken* next = buildInPlace(t, c);
        EqElement* first = before->next;
        if (code > 0 && first && (IsGlyphSymbolType(first->type) || IsStyledCharType(first->type)) &&
            !(IsCharType(first->type) && first->ch == u' '))
            AddAccentMark(first, uint8_t(code & 0xFF));
        return next;
    }

    static void negate(EqElement* op) {
        if (const int negated = negatedOperator(op->type))
            op->type = negated;
        else
            op->ch = 0xEEFF;
    }

    LaTeXToken* buildNegation(LaTeXToken* t, Chain& c) {
        LaTeXToken* n = skipInsignificant(t->next);
        if (!n) return missingArgument(t);
        if (n->isOperatorSymbol()) {
            negate(add(c, n->value1, 0));
            return n->next;
        }
        // "\not{=}", "\not\text{...}": an operator made by the argument is
        // negated too; anything else gets the slash accent.
        EqElement* before = c.cur;
        LaTeXToken* next = buildAccent(n, c, 27);
        if (before->next && IsOperatorType(before->next->type)) negate(before->next);
        return next;
    }

    LaTeXToken* buildColour(LaTeXToken* t, Chain& c) {
        LaTeXToken* n = skipInsignificant(t->next);
        QStringView model;
        if (n && n->kind == TokOptional) {
            model = GroupText(n, m_text);
            n = skipInsignificant(n->next);
        }
        if (!n || !n->isBraceGroup()) return t->next;
        uint32_t rgb = 0;
        const bool known = parseColour(GroupText(n, m_text), model, &rgb);
        if (t->value2 != 1) {
            if (known) c.colour = 0xFF000000u | rgb;
            return n->next;
        }
        // \textcolor: the colour holds for the next argument only.
        const uint32_t colour = c.colour;
        if (known) c.colour = 0xFF000000u | rgb;
        LaTeXToken* after = buildInPlace(n->next, c);
        c.colour = colour;
        return after;
    }

    // "{{a}\Bigg/{b}}": the writer's slanted fraction.
    bool buildSlantedFraction(LaTeXToken* group, Chain& c) {
        LaTeXToken* a = skipInsignificant(group->content);
        LaTeXToken* slash = nextSignificant(a);
        LaTeXToken* b = nextSignificant(slash);
        if (!a || !a->isBraceGroup() || !slash || slash->kind != TokSymbol ||
            slash->text != QLatin1String("Bigg/") || !b || !b->isBraceGroup() || nextSignificant(b))
            return false;
        EqElement* f = add(c, 130);
        buildContentArgument(a, f);
        buildContentArgument(b, f);
        return true;
    }

    // ---- Scripts

    LaTeXToken* buildScript(LaTeXToken* t, Chain& c) {
        const StyleScope style(this, false);
        const bool sub = t->kind == TokSub;
        EqElement* s = add(c, sub ? 174 : 173);
        LaTeXToken* next = buildArgument(skipScriptGap(t->next), s);
        LaTeXToken* other = skipInsignificant(next);
        if (other && other->kind == (sub ? TokSup : TokSub)) {
            next = buildArgument(skipScriptGap(other->next), s, sub ? ChainPrepend : ChainAppend);
            s->type = 175;
        } else if (sub && isPrimeToken(other)) {
            // Primes after a subscript are the superscript: x_3'^2 is x_3^{\prime 2}.
            next = buildPrimedSuperscript(other, s, ChainPrepend);
            s->type = 175;
        }
        c.cur = s;
        return next;
    }

    // Scripts after a big operator or an operator name, each built into a
    // chain of owner that is not linked yet.
    struct Scripts {
        EqElement* sub = nullptr;
        EqElement* sup = nullptr;
        int limits = LimitsDefault;
    };

    LaTeXToken* collectScripts(LaTeXToken* t, EqElement* owner, Scripts* s) {
        for (;;) {
            t = skipInsignificant(t);
            if (!t) return t;
            if (t->kind == TokLimits || t->kind == TokNoLimits) {
                s->limits = t->kind == TokLimits ? LimitsAbove : LimitsSide;
                t = t->next;
                continue;
            }
            EqElement** slot = t->kind == TokSub ? &s->sub : t->kind == TokSup ? &s->sup : nullptr;
            if (!slot || *slot) return t;
            *slot = newChain(owner, ChainDetached);
            Chain sub = chainAt(*slot);
            const LaTeXToken* outer = m_command;
            m_command = t;
            const StyleScope style(this, false);
            t = buildInPlace(skipScriptGap(t->next), sub);
            m_command = outer;
        }
    }

    EqElement* emptyChain(EqElement* owner) { return newChain(owner, ChainDetached); }

    // ---- Structures (key kind 3)

    static constexpr int kOverBrace = 216;
    static constexpr int kUnderBrace = 232;

    // \overbrace{x}^{n} and \underbrace{x}_{n}: a label on the brace's own
    // side is centred over (under) the brace as a limit of an over (under)
    // script whose base is the brace. A brace without such a label, or with
    // scripts on both sides, keeps its scripts beside it.
    LaTeXToken* buildBrace(LaTeXToken* t, Chain& c, int type) {
        const bool over = type == kOverBrace;
        LaTeXToken* argument = skipInsignificant(t->next);
        LaTeXToken* label = argument ? skipInsignificant(argument->next) : nullptr;
        const bool labelled = label && label->kind == (over ? TokSup : TokSub);
        LaTeXToken* afterLabel = nullptr;
        if (labelled) {
            LaTeXToken* labelArgument = skipScriptGap(label->next);
            afterLabel = labelArgument ? skipInsignificant(labelArgument->next) : nullptr;
        }
        if (!labelled || (afterLabel && afterLabel->kind == (over ? TokSub : TokSup)))
            return buildArgument(t->next, add(c, type));
        EqElement* e = add(c, over ? 177 : 179);
        Chain base = chainAt(newChain(e));
        LaTeXToken* n = buildArgument(t->next, add(base, type));
        n = skipInsignificant(n);  // the label's '^' or '_'
        n = buildArgument(skipScriptGap(n->next), e);
        c.cur = e;
        return n;
    }

    LaTeXToken* buildStructure(LaTeXToken* t, Chain& c) {
        const int type = t->value1;
        LaTeXToken* n = t->next;
        if (isBigOperatorBase(type)) return buildBigOperator(t, c, type, nullptr);
        if (type == 1043 && t->style == 10) {
            add(c, EqTypeCharUpright, '-');
            return n;
        }
        if (type == kOverBrace || type == kUnderBrace) return buildBrace(t, c, type);
        if ((type >= 208 && type <= 219) || (type >= 224 && type <= 235) || (type >= 240 && type <= 248) ||
            type == 189 || type == 190 || type == 598)
            return buildArgument(n, add(c, type));
        switch (type) {
        case 249:
        case 250:
        case 251: {
            EqElement* box = add(c, type);
            LaTeXToken* o = skipInsignificant(n);
            QStringView model;
            const bool colourArgument = t->text == QLatin1String("colorbox");
            if (colourArgument && o && o->kind == TokOptional) {
                // \colorbox[model]{colour}{..}: the colour is an argument.
                model = GroupText(o, m_text);
                o = skipInsignificant(o->next);
            }
            if (o && (colourArgument ? o->isBraceGroup() : o->kind == TokOptional)) {
                uint32_t rgb = 0;
                if (parseColour(GroupText(o, m_text), model, &rgb))
                    SetBoxColour(box, (rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16);
                n = o->next;
            }
            return buildArgument(n, box);
        }
        case 131: {
            EqElement* e = add(c, type);
            n = buildArgument(buildArgument(n, e), e);
            newChain(e);
            return n;
        }
        case 136:
        case 1536: {
            // With an optional argument: radicand (or content) first, then the index.
            LaTeXToken* o = skipInsignificant(n);
            EqElement* e = add(c, type);
            if (!o || o->kind != TokOptional) return buildArgument(n, e);
            if (type == 136) e->type = 137;
            buildContentArgument(o, e);
            return buildArgument(o->next, e, ChainPrepend);
        }
        case 256: {
            LaTeXToken* o = skipInsignificant(n);
            Chain* target = &c;
            Chain inner{};
            if (o && o->kind == TokOptional) {
                const QStringView option = GroupText(o, m_text).trimmed();
                if (option == u"1" || option == u"2" || option == u"3") {
                    EqElement* script = add(c, 174);
                    inner = chainAt(newChain(script));
                    target = &inner;
                }
                n = o->next;
            }
            return buildArgument(n, add(*target, type));
        }
        case 128:
            // In text style \frac is the small fraction; \dfrac keeps the form.
            return buildFractionParts(n, add(c, m_textStyle && t->text == QLatin1String("frac") ? 132 : 128));
        case 129:
        case 130:
        case 132:
            return buildFractionParts(n, add(c, type));
        case 191: {
            EqElement* e = add(c, type);
            return buildArgument(buildArgument(n, e), e);
        }
        case 177:
        case 179: {
            // \overset{over}{base}: the base is the first child.
            EqElement* e = add(c, type, t->value2);
            return buildArgument(buildArgument(n, e), e, ChainPrepend);
        }
        default:
            add(c, type, t->value2);
            return n;
        }
    }

    // ---- Big operators and integrals

    // The operand: a brace group alone, else the tokens up to the next
    // operator symbol, line break or cell.
    LaTeXToken* buildOperand(LaTeXToken* t, Chain& c) {
        LaTeXToken* first = skipInsignificant(t);
        if (first && first->isBraceGroup()) {
            buildContent(first, c);
            return first->next;
        }
        while (t && !stopsOperand(t)) t = buildOne(t, c);
        return t;
    }

    LaTeXToken* buildBigOperator(LaTeXToken* t, Chain& c, int base, LaTeXToken* rightSideScripts) {
        LaTeXToken* n = t->next;
        // "\int\dotsi\int" is one operator.
        if (base == 288) {
            LaTeXToken* dots = skipInsignificant(n);
            LaTeXToken* second = nextSignificant(dots);
            if (dots && dots->hasKey(3, 1106) && second && second->hasKey(3, 288)) {
                base = 276;
                n = second->next;
            }
        }
        EqElement* e = add(c, base);
        Scripts s;
        n = collectScripts(n, e, &s);
        // A lone upper limit keeps its place above: both limits, the lower
        // one empty.
        if (s.sup && !s.sub) s.sub = emptyChain(e);
        const bool both = s.sub && s.sup;
        const bool one = s.sub && !s.sup;
        e->type = bigOperatorType(base, both, one, s.limits);
        if (both) {
            AttachChildChain(e, s.sup, ChainAppend);
            AttachChildChain(e, s.sub, ChainAppend);
        } else if (one) {
            if (e->type >= 848 && e->type <= 859) newChain(e, ChainAppend);
            AttachChildChain(e, s.sub, ChainAppend);
        } else if (base == 274 || base == 275) {
            newChain(e, ChainAppend);
        }
        Chain operand = chainAt(newChain(e));
        if (rightSideScripts) buildSideScripts(rightSideScripts, operand);
        n = buildOperand(n, operand);
        c.cur = e;
        return n;
    }

    // The scripts of one \sideset group become side scripts (182), with the
    // superscript first; a lone one gets an empty partner.
    void buildSideScripts(LaTeXToken* group, Chain& c) {
        EqElement* before = c.cur;
        buildContent(group, c);
        forEachMade(before, c, [this](EqElement* e) {
            if (e->type == 173) newChain(e, ChainAppend);
            if (e->type == 174) newChain(e, ChainPrepend);
            if (e->type >= 173 && e->type <= 175) e->type = 182;
        });
    }

    // A prime standing alone in a \sideset group is a superscript.
    void primesToScripts(LaTeXToken* group) {
        for (LaTeXToken* p = group->content; p; p = p->next) {
            if (!isPrimeToken(p)) continue;
            LaTeXToken* last = p;
            while (isPrimeToken(last->next)) last = last->next;
            LaTeXToken* after = skipInsignificant(last->next);
            if (after && (after->kind == TokSub || after->kind == TokSup)) {
                p = last;
                continue;
            }
            // "'" becomes "^{'}".
            LaTeXToken* sup = m_tree->makeExtra(TokSup, p->pos);
            LaTeXToken* arg = m_tree->makeExtra(TokGroup, p->pos);
            sup->parent = arg->parent = group;
            sup->prev = p->prev;
            if (p->prev)
                p->prev->next = sup;
            else
                group->content = sup;
            sup->next = arg;
            arg->prev = sup;
            arg->next = last->next;
            if (last->next) last->next->prev = arg;
            arg->content = p;
            p->prev = nullptr;
            last->next = nullptr;
            for (LaTeXToken* x = p; x; x = x->next) x->parent = arg;
            p = arg;
        }
    }

    // ---- Named constructs (key kind 149)

    LaTeXToken* buildNamed(LaTeXToken* t, Chain& c) {
        LaTeXToken* n = t->next;
        switch (t->value1) {
        case 1: {  // binomial
            EqElement* bracket = add(c, 337);
            Chain inside = chainAt(newChain(bracket));
            // \tbinom, and \binom in text style, set their parts in script
            // size, as \tfrac does.
            const bool small = t->text == QLatin1String("tbinom") || (m_textStyle && t->text == QLatin1String("binom"));
            EqElement* m = add(inside, EqTypeMatrixColumn, small ? 16 : 0);
            return buildFractionParts(n, m);
        }
        case 2:
            appendText(c, u"mod");
            return n;
        case 3:
        case 4: {
            EqElement* bracket = add(c, 337);
            Chain inside = chainAt(newChain(bracket));
            if (t->value1 == 3) {
                appendText(inside, u"mod");
                add(inside, 100);
            }
            return buildInPlace(n, inside);
        }
        case 5: case 6: case 7: case 8: case 9: {
            static const char16_t* const kNames[] = {u"lim", u"max", u"min", u"inf", u"sup"};
            const QStringView name(kNames[t->value1 - 5]);
            LaTeXToken* script = skipScriptGap(n);
            if (!script || script->kind != TokSub) {
                appendText(c, name);
                return n;
            }
            EqElement* e = add(c, 180);
            Chain nameChain = chainAt(newChain(e));
            appendText(nameChain, name);
            return buildArgument(skipScriptGap(script->next), e);
        }
        case 32:
            appendText(c, u"...");
            return n;
        case 48: {
            // "\cfrac[l]": the numerator's alignment has no form here.
            if (LaTeXToken* o = skipInsignificant(n); o && o->kind == TokOptional) n = o->next;
            // \dfrac and \cfrac keep the display form in text style.
            return buildFractionParts(n, add(c, t->value2 == '1' ? 130 : 128));
        }
        case 65:
        case 66:
        case 67: {
            EqElement* before = c.cur;
            n = buildInPlace(n, c);
            const int8_t kind = int8_t(t->value1 - 64);
            forEachMade(before, c, [kind](EqElement* e) { SetPhantomKindKeepingInner(e, kind); });
            return n;
        }
        case 68: return buildCustomSpace(t, c);
        case 80: return buildSideset(t, c);
        default: return n;
        }
    }

    LaTeXToken* buildCustomSpace(LaTeXToken* t, Chain& c) {
        LaTeXToken* n = skipInsignificant(t->next);
        float amount = 0;
        int unit = 0;
        if (n && n->isBraceGroup()) {
            if (!parseSpace(GroupText(n, m_text), &amount, &unit)) {
                amount = 0;
                unit = 0;
            }
            n = n->next;
        } else {
            // "\kern -2.5pt ": the amount and the unit are the next tokens.
            QString number;
            LaTeXToken* x = n;
            if (x && (x->hasKey(3, 1043) || x->hasKey(3, 1042))) {
                number += x->value1 == 1043 ? u'-' : u'+';
                x = skipInsignificant(x->next);
            }
            bool digits = false;
            while (x && x->kind == TokChar && (isDigit(x->value2) || x->value2 == '.')) {
                digits = digits || isDigit(x->value2);
                number += QChar(char16_t(x->value2));
                x = x->next;
            }
            if (!digits) return t->next;
            amount = number.toFloat();
            x = skipInsignificant(x);
            unit = 255;
            if (x && x->next && x->kind == TokChar && x->next->kind == TokChar) {
                const QString word = QString(QChar(char16_t(x->value2))) + QChar(char16_t(x->next->value2));
                unit = spaceUnit(word);
                if (unit != 255) x = x->next->next;
            }
            n = x;
        }
        EqElement* e = add(c, EqTypeSpaceCustom, (unit & 0xFF) + (t->value2 << 8));
        SetSpaceAmount(e, amount);
        return n;
    }

    LaTeXToken* buildSideset(LaTeXToken* t, Chain& c) {
        LaTeXToken* left = skipInsignificant(t->next);
        LaTeXToken* right = nextSignificant(left);
        LaTeXToken* op = nextSignificant(right);
        if (!left || !left->isBraceGroup() || !right || !right->isBraceGroup() || !op || op->kind != TokSymbol ||
            op->keyKind != 3 || !isSidesetBase(op->value1))
            return t->next;
        primesToScripts(left);
        primesToScripts(right);
        buildSideScripts(left, c);
        return buildBigOperator(op, c, op->value1, right);
    }

    // ---- Styles (key kind 151)

    LaTeXToken* buildStyle(LaTeXToken* t, Chain& c) {
        if (t->value1 == 224) return buildOperatorName(t, c);
        int style = t->value1;
        if (t->style == 4 && style >= 1 && style <= 3) style = 4;
        if (t->style == 4 && style == 5) style = 14;
        if (t->style == 5 && style == 4) style = 14;
        if (isStyleSwitch(t->text)) {
            // In text the switches give the text styles.
            if (t->flags & kReadAsText) style = style == 1 ? 12 : style == 2 ? 10 : style == 3 ? 11 : style;
            if (t->next) markStyle(t->next, style, true);
            return t->next;
        }
        LaTeXToken* arg = skipInsignificant(t->next);
        if (!arg) return missingArgument(t);
        markStyle(arg, style, false);
        return buildOne(arg, c);
    }

    // \operatorname{name} and \mathop{name}: the name with its scripts as limits.
    LaTeXToken* buildOperatorName(LaTeXToken* t, Chain& c) {
        LaTeXToken* n = skipInsignificant(t->next);
        int limits = LimitsDefault;
        if (n && n->kind == TokChar && n->value2 == '*') {  // \operatorname*
            limits = LimitsAbove;
            n = skipInsignificant(n->next);
        }
        if (!n) return missingArgument(t);
        if (t->text == QLatin1String("operatorname")) markStyle(n, 2, false);
        EqElement* e = add(c, 179, 1);
        Chain name = chainAt(newChain(e));
        Scripts s;
        s.limits = limits;
        n = collectScripts(buildOne(n, name), e, &s);
        if (s.sup && s.sub) {
            e->type = 178;
            AttachChildChain(e, s.sup, ChainAppend);
            AttachChildChain(e, s.sub, ChainAppend);
        } else if (s.sup) {
            e->type = 177;
            AttachChildChain(e, s.sup, ChainAppend);
        } else {
            e->type = s.limits == LimitsAbove ? 180 : 179;
            AttachChildChain(e, s.sub ? s.sub : emptyChain(e), ChainAppend);
        }
        c.cur = e;
        return n;
    }

    // ---- Extensible arrows (key kind 152) and \symbol (154)

    LaTeXToken* buildExtensibleArrow(LaTeXToken* t, Chain& c) {
        static const int kWithText[] = {628, 629, 630, 574, 631, 570, 640, 641, 643};
        static const int kWithout[] = {624, 625, 626, 553, 627, 560, 632, 633, 642};
        LaTeXToken* n = skipInsignificant(t->next);
        LaTeXToken* under = n && n->kind == TokOptional ? n : nullptr;
        const int index = t->value1 >= 1 && t->value1 <= 9 ? t->value1 - 1 : 1;
        EqElement* e = add(c, under ? kWithText[index] : kWithout[index]);
        n = buildArgument(under ? under->next : n, e);
        if (under) buildContentArgument(under, e);
        return n;
    }

    LaTeXToken* buildSymbolByCode(LaTeXToken* t, Chain& c) {
        LaTeXToken* n = skipInsignificant(t->next);
        if (!n) return missingArgument(t);
        QStringView source = n->isBraceGroup() ? GroupText(n, m_text) : m_text.mid(n->pos, n->end - n->pos);
        QString text;
        for (QChar q : source)
            if (q != u' ' && q != u'\t') text += q;
        bool ok = false;
        uint32_t code = 0;
        if (text.startsWith(u'"'))
            code = text.mid(1).toUInt(&ok, 16);
        else if (text.startsWith(u'\''))
            code = text.mid(1).toUInt(&ok, 8);
        else if (text.startsWith(u'`')) {
            QStringView rest = QStringView(text).mid(1);
            if (rest.startsWith(u'\\')) rest = rest.mid(1);
            ok = !rest.isEmpty();
            if (ok) code = rest.size() >= 2 && rest[0].isHighSurrogate() && rest[1].isLowSurrogate()
                               ? QChar::surrogateToUcs4(rest[0], rest[1])
                               : rest[0].unicode();
        } else
            code = text.toUInt(&ok, 10);
        if (!ok) return n->next;
        if (code == 0x24EA) {
            add(c, EqTypeGlyphSymbol, 148);
        } else if (code >= 0x2460 && code <= 0x2469) {
            add(c, EqTypeGlyphSymbol, int(149 + code - 0x2460));
        } else if (code > 0xFFFF && code <= 0x10FFFF) {
            add(c, EqTypeCharUpright, QChar::highSurrogate(code));
            add(c, EqTypeCharUpright, QChar::lowSurrogate(code));
        } else if (code > 10 && code <= 0xFFFF && !QChar::isSurrogate(char32_t(code))) {
            add(c, EqTypeCharUpright, int(code));
        }
        return n->next;
    }

    // ---- Brackets and environments

    // "\left( \begin{matrix}...\end{matrix} \right)" is the written form of
    // a bracket type around a matrix: it reads as that type.
    static bool holdsOnlyMatrix(const LaTeXToken* t) {
        const LaTeXToken* only = skipInsignificant(t->content);
        return t->flags == 0 && only && only->kind == TokEnvironment && only->env->bracket < 0 &&
               environmentShape(only->env->code).bracket == 0 && !skipInsignificant(only->next);
    }

    void buildBracket(LaTeXToken* t, Chain& c) {
        const int fixed = holdsOnlyMatrix(t) ? bracketTypeOf(t->value1 >> 8 & 0xFF, t->value1 & 0xFF) : 336;
        EqElement* b = add(c, fixed, fixed == 336 ? t->value1 & 0xFFFF : 0);
        LaTeXToken* middle = nullptr;
        for (LaTeXToken* x = t->content; x && !middle; x = x->next)
            if (x->kind == TokMiddle) middle = x;
        Chain first = chainAt(newChain(b));
        const uint32_t colour = first.colour;
        for (LaTeXToken* x = t->content; x && x != middle;) x = buildOne(x, first);
        if (!middle) return;
        Chain second = chainAt(newChain(b));
        second.colour = colour;
        buildSequence(middle->next, second);
    }

    // A two-part token: a fraction or a column of the two parts, inside its
    // bracket when it has delimiters.
    void buildInfix(LaTeXToken* t, Chain& c) {
        Chain inside{};
        Chain* target = &c;
        EqElement* bracket = nullptr;
        if (t->flags & 1) {
            const int left = t->value2 >> 8 & 0xFF;
            const int right = t->value2 & 0xFF;
            const int type = bracketTypeOf(left, right);
            bracket = add(c, type, type == 336 ? left << 8 | right : 0);
            inside = chainAt(newChain(bracket));
            target = &inside;
        }
        const int type = t->value1 == InfixStack ? EqTypeMatrixColumn
                         : t->value1 == InfixSmallFraction ? EqTypeSmallFraction
                                                           : EqTypeFraction;
        EqElement* e = add(*target, type);
        for (LaTeXToken* part = t->content; part; part = part->next) {
            Chain sub = chainAt(newChain(e));
            buildOne(part, sub);
        }
        if (bracket) c.cur = bracket;
    }

    void buildEnvironment(LaTeXToken* t, Chain& c) {
        const Environment& env = *t->env;
        const EnvironmentShape shape = environmentShape(env.code);
        const size_t rows = env.rows.size();
        size_t columns = 1;
        for (const auto& row : env.rows) columns = std::max(columns, row.size());

        Chain inside{};
        Chain* target = &c;
        EqElement* bracket = nullptr;
        int bracketType = env.bracket >= 0 ? env.bracket : shape.bracket;
        // Rules on the outside of a column format are bars around the matrix.
        if (bracketType == 0 && (env.ruleBefore || env.ruleAfter))
            bracketType = bracketTypeOf(env.ruleBefore ? 5 : 0, env.ruleAfter ? 21 : 0);
        if (bracketType) {
            bracket = add(c, bracketType);
            inside = chainAt(newChain(bracket));
            target = &inside;
        }
        auto cell = [&](size_t r, size_t k) -> LaTeXToken* {
            return r < rows && k < env.rows[r].size() ? env.rows[r][k] : nullptr;
        };

        const StyleScope style(this, isTextStyleEnvironment(env.code, t->text));
        if (rows <= 1 && columns == 1) {
            // One cell: its content stands in the chain itself.
            if (LaTeXToken* only = cell(0, 0)) buildContent(only, *target);
        } else {
            int ch = env.align >= 0 ? env.align : shape.ch;
            if (env.code == 7) ch |= 16;
            EqElement* m = nullptr;
            // eqnarray's three columns are one pair with the relation in the middle.
            if (isAlignedEnvironment(env.code) && env.code != 10 && columns > 2) {
                m = buildAlignedPairs(env, *target);
            } else if (isAlignedEnvironment(env.code)) {
                m = add(*target, EqTypeMatrixColumn, 3);
                for (size_t r = 0; r < rows; ++r) buildAlignedRow(env.rows[r], m);
            } else if (rows == 1) {
                m = add(*target, EqTypeMatrixRow, ch);
                for (size_t k = 0; k < columns; ++k) buildContentArgument(cell(0, k), m);
            } else if (columns == 1) {
                m = add(*target, EqTypeMatrixColumn, ch);
                for (size_t r = 0; r < rows; ++r) buildContentArgument(cell(r, 0), m);
            } else {
                m = add(*target, EqTypeMatrix, ch);
                for (size_t r = 0; r < rows; ++r)
                    for (size_t k = 0; k < columns; ++k) buildContentArgument(cell(r, k), m);
                SetMatrixCounts(m, int(rows), int(columns));
            }
            if (env.hasRules) SetMatrixRules(m, env.rules);
        }
        if (bracket) c.cur = bracket;
    }

    // Rows of several aligned pairs ("a &= 1 & b &= 2"): a matrix aligned
    // at the alignment point, one cell per pair, each pair marked at the
    // start of its second part.
    EqElement* buildAlignedPairs(const Environment& env, Chain& c) {
        size_t pairs = 1;
        for (const auto& row : env.rows) pairs = std::max(pairs, (row.size() + 1) / 2);
        EqElement* m = add(c, EqTypeMatrix, 3);
        for (const auto& row : env.rows) {
            for (size_t k = 0; k < pairs; ++k) {
                EqElement* head = newChain(m);
                Chain cell = chainAt(head);
                if (2 * k < row.size()) buildContent(row[2 * k], cell);
                EqElement* before = cell.cur;
                if (2 * k + 1 < row.size()) buildContent(row[2 * k + 1], cell);
                // Without a second part the pair ends at the point.
                SetAlignMark(before->next ? before->next : head);
            }
        }
        SetMatrixCounts(m, int(env.rows.size()), int(pairs));
        return m;
    }

    // One row of an aligned block: its cells one after the other in one
    // chain; the alignment point is the start of the second cell.
    void buildAlignedRow(const std::vector<LaTeXToken*>& cells, EqElement* m) {
        EqElement* head = newChain(m);
        Chain row = chainAt(head);
        EqElement* mark = nullptr;
        for (size_t k = 0; k < cells.size(); ++k) {
            EqElement* before = row.cur;
            buildContent(cells[k], row);
            // An empty second cell puts the point at the end of the row: on the head.
            if (k == 1) mark = before->next ? before->next : head;
        }
        if (mark) SetAlignMark(mark);
    }
};

}  // namespace

bool BuildLaTeXLine(EqModel* eq, TokenTree& tree, QStringView text, SegmentError* report) {
    Builder builder(eq, tree, text, report);
    return builder.buildLine(tree.root());
}

}  // namespace toliva::latex
