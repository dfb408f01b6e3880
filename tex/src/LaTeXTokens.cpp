// The LaTeX reader's tokeniser: one segment of text into a tree of tokens.
#include "LaTeXTokens.h"

#include "tex/TeXCode.h"
#include "TreeBuilders.h"

#include <algorithm>
#include <vector>

namespace toliva::latex {

TokenTree::TokenTree() {
    m_tokens.emplace_back();
    m_root = &m_tokens.back();
    m_root->kind = TokGroup;
}

LaTeXToken* TokenTree::make(int kind, int pos) {
    ++m_count;
    return makeExtra(kind, pos);
}

LaTeXToken* TokenTree::makeExtra(int kind, int pos) {
    m_tokens.emplace_back();
    LaTeXToken* t = &m_tokens.back();
    t->kind = kind;
    t->pos = pos;
    t->end = pos + 1;
    return t;
}

QStringView GroupText(const LaTeXToken* group, QStringView text) {
    const qsizetype from = qsizetype(group->pos) + 1;
    const qsizetype to = qsizetype(group->end) - 1;
    if (from < 0 || to > text.size() || to <= from) return {};
    return text.mid(from, to - from);
}

void UnlinkToken(LaTeXToken* t) {
    if (t->prev)
        t->prev->next = t->next;
    else if (t->parent)
        t->parent->content = t->next;
    if (t->next) t->next->prev = t->prev;
    t->prev = nullptr;
    t->next = nullptr;
    t->parent = nullptr;
}

void MoveIntoContent(LaTeXToken* owner, LaTeXToken* first, LaTeXToken* last) {
    if (!first || !last) return;
    LaTeXToken* before = first->prev;
    LaTeXToken* after = last->next;
    if (before)
        before->next = after;
    else if (first->parent)
        first->parent->content = after;
    if (after) after->prev = before;

    LaTeXToken* tail = lastOf(owner->content);
    first->prev = tail;
    if (tail)
        tail->next = first;
    else
        owner->content = first;
    last->next = nullptr;
    for (LaTeXToken* t = first; t; t = t->next) t->parent = owner;
}

void SpliceContent(LaTeXToken* t) {
    LaTeXToken* first = t->content;
    if (!first) {
        UnlinkToken(t);
        return;
    }
    LaTeXToken* last = lastOf(first);
    for (LaTeXToken* x = first; x; x = x->next) x->parent = t->parent;
    first->prev = t->prev;
    if (t->prev)
        t->prev->next = first;
    else if (t->parent)
        t->parent->content = first;
    last->next = t->next;
    if (t->next) t->next->prev = last;
    t->content = nullptr;
    t->prev = t->next = nullptr;
    t->parent = nullptr;
}

namespace {

bool isDelimiterWordName(QStringView name) {
    static const char* const kWords[] = {"left", "right", "middle", "big", "Big", "bigg", "Bigg", "bigl", "Bigl",
                                         "biggl", "Biggl", "bigr", "Bigr", "biggr", "Biggr", "bigm", "Bigm",
                                         "biggm", "Biggm"};
    for (const char* w : kWords)
        if (name == QLatin1String(w)) return true;
    return false;
}

// A comment runs from '%' up to the end of its line; the line break stays.
int CommentEnd(QStringView s, int at) {
    const int n = int(s.size());
    while (at < n && s[at] != u'\n' && s[at] != u'\r') ++at;
    return at;
}

// Where each '{' and '[' of the text is closed, found once with a stack.
// Escaped characters ("\{", "\}", "\[") never open or close anything. A '['
// opened inside a brace group cannot be closed outside it.
struct Matches {
    std::vector<int> close;       // for '{' and '[': the closing index, or -1
    std::vector<int> nextDollar;  // for '$': the next unescaped '$', or -1
    std::vector<int> closeParen;  // for the backslash of "\(": that of the next "\)", or -1

    explicit Matches(QStringView s)
        : close(size_t(s.size()), -1), nextDollar(size_t(s.size()), -1), closeParen(size_t(s.size()), -1) {
        std::vector<int> open;
        std::vector<int> dollars;
        std::vector<int> parens;  // "\(" (as i) and "\)" (as -1 - i) in text order
        const int n = int(s.size());
        for (int i = 0; i < n; ++i) {
            const char16_t c = s[i].unicode();
            if (c == u'%') {  // a comment holds nothing that opens or closes
                i = CommentEnd(s, i) - 1;
                continue;
            }
            if (c == u'\\') {
                const int letters = CountCommandLetters(s.mid(i + 1));
                if (letters == 0) {
                    if (i + 1 < n && s[i + 1] == u'(') parens.push_back(i);
                    if (i + 1 < n && s[i + 1] == u')') parens.push_back(-1 - i);
                    ++i;  // the escaped character is skipped with the backslash
                    continue;
                }
                // The delimiter after "\right" or "\bigl" is no bracket.
                const QStringView name = s.mid(i + 1, letters);
                i += letters;
                if (isDelimiterWordName(name)) {
                    int k = i + 1;
                    while (k < n && s[k] == u' ') ++k;
                    if (k < n && (s[k] == u'[' || s[k] == u']')) i = k;
                }
                continue;
            }
            if (c == u'{' || c == u'[') {
                open.push_back(i);
            } else if (c == u'}') {
                int k = int(open.size()) - 1;
                while (k >= 0 && s[open[size_t(k)]] != u'{') --k;
                if (k < 0) continue;  // a '}' without a '{'
                close[size_t(open[size_t(k)])] = i;
                open.resize(size_t(k));
            } else if (c == u']') {
                if (!open.empty() && s[open.back()] == u'[') {
                    close[size_t(open.back())] = i;
                    open.pop_back();
                }
            } else if (c == u'$') {
                dollars.push_back(i);
            }
        }
        for (size_t k = 0; k + 1 < dollars.size(); ++k) nextDollar[size_t(dollars[k])] = dollars[k + 1];
        int closing = -1;
        for (size_t k = parens.size(); k-- > 0;) {
            if (parens[k] < 0)
                closing = -1 - parens[k];
            else
                closeParen[size_t(parens[k])] = closing;
        }
    }
};

// A frame of the tokeniser: the inside of one group.
struct Frame {
    int end;             // the frame's text ends here
    int resume;          // where the enclosing frame goes on
    LaTeXToken* owner;   // the group whose content is being made
    LaTeXToken* last;    // the last token made in this frame
    bool plain;          // inside the argument of a text command
};

void link(Frame& f, LaTeXToken* t) {
    t->parent = f.owner;
    t->prev = f.last;
    if (f.last)
        f.last->next = t;
    else
        f.owner->content = t;
    f.last = t;
}

void setKey(LaTeXToken* t, int kind, int v1, int v2) {
    t->kind = TokSymbol;
    t->keyKind = kind;
    t->value1 = v1;
    t->value2 = v2;
}

// The plain-character rule.
void plainCharacter(LaTeXToken* t, char16_t c) {
    switch (c) {
    case u' ': t->kind = TokBlank; t->keyKind = 3; t->value1 = 101; return;
    case u'\'': t->kind = TokChar; t->value2 = 0x2032; return;
    case u'+': setKey(t, 3, 1042, 0); return;
    case u'-': setKey(t, 3, 1043, 0); return;
    case u'<': setKey(t, 3, 1060, 0); return;
    case u'=': setKey(t, 3, 1049, 0); return;
    case u'>': setKey(t, 3, 1061, 0); return;
    case 0x223D: setKey(t, 3, 1104, 0); return;
    case 0x224C: setKey(t, 3, 1105, 0); return;
    default: break;
    }
    if (c < 0x20) {
        t->kind = TokNone;
        return;
    }
    t->kind = TokChar;
    t->value2 = c;
}

// A '[' after these tokens opens an optional argument.
bool takesOptionalArgument(const LaTeXToken* t) {
    if (!t) return false;
    if (t->kind == TokColor || t->kind == TokLineBreak) return true;
    if (t->kind == TokUnknown && t->text == QLatin1String("smash")) return true;  // \smash[t], \smash[b]
    if (t->kind != TokSymbol) return false;
    if (t->keyKind == 152) return true;
    if (t->keyKind == 149 && t->value1 == 48) return t->text == QLatin1String("cfrac");  // \cfrac[l]{a}{b}
    if (t->keyKind != 3) return false;
    switch (t->value1) {
    case 136:   // \sqrt
    case 249:   // \bbox
    case 250:
    case 251:
    case 256:   // \phase[2]
    case 1536:  // \small[..]
        return true;
    default:
        return false;
    }
}

// The argument of \text and its siblings is read as plain characters.
bool isTextCommand(const LaTeXToken* t) {
    return t && t->kind == TokSymbol && IsTextStyleCommand(t->keyKind, t->value1, t->text);
}

// The old style switches that also set text: \rm, \bf, \it, \sf, \tt.
bool isTextSwitch(int kind, const QString& name) {
    static const char* const kSwitches[] = {"rm", "bf", "it", "sf", "tt"};
    if (kind != 151) return false;
    for (const char* w : kSwitches)
        if (name == QLatin1String(w)) return true;
    return false;
}

// The delimiter code that a named delimiter command gives after \left,
// \right or a fixed-size word; -1 for a command that is no delimiter. Bars
// are told apart by side later.
int namedDelimiter(CTeXCode* table, const QString& name) {
    struct Named {
        const char* name;
        int code;
    };
    static const Named kNames[] = {
        {"langle", 4}, {"rangle", 20}, {"vert", 5}, {"lvert", 5}, {"rvert", 21}, {"Vert", 6}, {"lVert", 6},
        {"rVert", 22}, {"lbrace", 3}, {"rbrace", 19}, {"lbrack", 2}, {"rbrack", 18}, {"lfloor", 7},
        {"rfloor", 24}, {"lceil", 8}, {"rceil", 23}, {"Lbrack", 9}, {"Rbrack", 25}, {"llbracket", 9},
        {"rrbracket", 25}, {"lgroup", 1}, {"rgroup", 17}, {"lt", 4}, {"gt", 20},
    };
    for (const Named& n : kNames)
        if (name == QLatin1String(n.name)) return n.code;
    // Further delimiter names of the table.
    int kind = 0, v1 = 0, v2 = 0;
    if (table && table->LookupTeXName(name, &kind, &v1, &v2) && kind == 153 && (v1 == TokNameLeft || v1 == TokNameRight))
        return v2;
    return -1;
}

// Bars have one code per side.
int sideCode(int code, bool leftSide) {
    if (leftSide && (code == 21 || code == 22)) return code - 16;
    if (!leftSide && (code == 5 || code == 6)) return code + 16;
    return code;
}

// Reads the delimiter after a delimiter word at *at (blanks already skipped):
// a character, an escaped brace or bar, or a delimiter command. Returns the
// delimiter's piece: 1 ( 2 ) 3 [ 4 ] 5 \{ 6 \} 7 < 8 > 9 | 10 \|, 0 for '.',
// or -1 when none follows; for a command also the code of the named
// delimiter in *named (-1 for none). *at moves past what was consumed.
struct Delimiter {
    int piece = -1;
    int named = -1;
};

Delimiter readDelimiter(CTeXCode* table, QStringView s, int end, int* at) {
    Delimiter d;
    const int i = *at;
    if (i >= end) return d;
    switch (s[i].unicode()) {
    case u'(': d.piece = 1; break;
    case u')': d.piece = 2; break;
    case u'[': d.piece = 3; break;
    case u']': d.piece = 4; break;
    case u'<': d.piece = 7; break;
    case u'>': d.piece = 8; break;
    case u'|': d.piece = 9; break;
    case u'.': d.piece = 0; break;
    case u'/': d.piece = -1; return d;
    case u'\\': {
        if (i + 1 >= end) return d;
        const char16_t c = s[i + 1].unicode();
        if (c == u'{' || c == u'}' || c == u'|') {
            d.piece = c == u'{' ? 5 : c == u'}' ? 6 : 10;
            *at = i + 2;
            return d;
        }
        const int n = CountCommandLetters(s.mid(i + 1, end - i - 1));
        if (n == 0) return d;
        const int code = namedDelimiter(table, s.mid(i + 1, n).toString());
        if (code < 0) return d;
        d.named = code;
        *at = i + 1 + n;
        return d;
    }
    default: return d;
    }
    *at = i + 1;
    return d;
}

// The delimiter code after \left (leftSide) or \right.
int sideWordCode(const Delimiter& d, bool leftSide) {
    if (d.named >= 0) return sideCode(d.named, leftSide);
    switch (d.piece) {
    case 0: return 0;
    case 1: return 1;
    case 2: return 17;
    case 3: return 2;
    case 4: return 18;
    case 5: return 3;
    case 6: return 19;
    case 7: return 4;
    case 8: return 20;
    case 9: return leftSide ? 5 : 21;
    case 10: return leftSide ? 6 : 22;
    default: return kNoDelimiter;
    }
}

// The code after a fixed-size word with size nibble s.
int fixedWordCode(const Delimiter& d, int s) {
    int piece = d.piece;
    if (d.named >= 0) {
        switch (d.named) {
        case 1: piece = 1; break;
        case 17: piece = 2; break;
        case 2: piece = 3; break;
        case 18: piece = 4; break;
        case 3: piece = 5; break;
        case 19: piece = 6; break;
        case 4: piece = 7; break;
        case 20: piece = 8; break;
        case 5: case 21: piece = 9; break;
        case 6: case 22: piece = 10; break;
        // Floors and ceilings have no fixed size: they stretch.
        case 7: case 8: case 23: case 24: return d.named;
        default: return kNoDelimiter;
        }
    }
    if (piece == 0) return 0;
    if (piece < 0) return kNoDelimiter;
    return s + piece;
}

// The reader word of a name-table entry of kind 153.
void readerWord(CTeXCode* table, LaTeXToken* t, int special, QStringView s, int end, int* at) {
    switch (special) {
    case 1: t->kind = TokLimits; return;
    case 2: t->kind = TokNot; return;
    case 3: t->kind = TokNoLimits; return;
    case 4: t->kind = TokColor; return;
    case 5: {
        int k = *at;
        while (k < end && (s[k] == u' ' || s[k] == u'\t')) ++k;
        if (k < end && s[k] == u'|') {
            t->kind = TokMiddle;
            *at = k + 1;
        } else {
            t->kind = TokNone;
        }
        return;
    }
    default: break;
    }
    if (special < 32) {
        t->kind = TokNone;
        return;
    }
    t->kind = special;
    if (special == TokLeft || special == TokRight) {
        const Delimiter d = readDelimiter(table, s, end, at);
        t->value1 = sideWordCode(d, special == TokLeft);
    } else if (special == TokNameLeft || special == TokNameRight) {
        t->value1 = t->value2;
    } else if (isFixedKind(special)) {
        const Delimiter d = readDelimiter(table, s, end, at);
        t->value1 = fixedWordCode(d, special & 0xF0);
    }
}

}  // namespace

bool IsTextStyleCommand(int kind, int value1, QStringView name) {
    if (kind != 151) return false;
    if (value1 >= 10 && value1 <= 13) return true;
    // \textsf and \texttt; \mathsf and \mathtt set math.
    return (value1 == 16 || value1 == 17) && name.startsWith(QLatin1String("text"));
}

void TokenizeLaTeX(TokenTree& tree, QStringView s, const TeXReadContext& context, int* truncatedAt,
                   SegmentError* error) {
    if (truncatedAt) *truncatedAt = -1;
    const int n = int(s.size());
    if (n <= 0) return;
    const Matches matches(s);
    CTeXCode* table = context.names;
    const QStringList& labels = context.labels;

    std::vector<Frame> frames;
    frames.push_back({n, n, tree.root(), nullptr, false});
    int i = 0;
    while (!frames.empty()) {
        Frame& f = frames.back();
        if (i >= f.end) {
            i = f.resume;
            frames.pop_back();
            continue;
        }
        const char16_t c = s[i].unicode();
        if (c == 0x19) {
            ++i;
            continue;
        }
        if (tree.full()) {
            if (truncatedAt) *truncatedAt = i;
            return;
        }
        LaTeXToken* t = tree.make(TokNone, i);
        link(f, t);

        // Opens the inside [from, to) of t as a new frame; the enclosing
        // frame goes on after the closing character.
        // Opens the inside [from, to) of t as a new frame; the enclosing
        // frame goes on after the closing characters (closer of them).
        auto openFrame = [&](int from, int to, bool plain, int closer = 1) {
            t->end = to + closer;
            if (int(frames.size()) > kLaTeXMaxNesting) {
                if (error) error->fail(QStringLiteral("nested too deeply"), i);
                return false;
            }
            const Frame inner{to, to + closer, t, nullptr, plain};
            frames.push_back(inner);
            i = from;
            return true;
        };
        // An opener without its partner in this frame is only a character.
        auto asCharacter = [&] {
            t->kind = TokChar;
            t->value2 = c;
            ++i;
        };
        auto closesHere = [&](int m) { return m >= 0 && m < f.end; };
        // A comment is dropped with its line break and the blanks that
        // start the next line.
        if (c == u'%') {
            i = std::min(CommentEnd(s, i), f.end);
            if (i < f.end && s[i] == u'\r') ++i;
            if (i < f.end && s[i] == u'\n') ++i;
            while (i < f.end && (s[i] == u' ' || s[i] == u'\t')) ++i;
            continue;
        }

        if (f.plain) {
            t->flags = kReadAsText;
            // Text: characters stand for themselves; braces only group, and
            // escaped special characters are those characters. Math inside
            // the text ("$x$", "\(x\)") and the text style commands are read
            // as such.
            if (c == u'{') {
                const int m = matches.close[size_t(i)];
                LaTeXToken* before = t->prev;
                while (before && !isSignificant(before)) before = before->prev;
                if (closesHere(m) && isTextCommand(before)) {
                    t->kind = TokGroup;
                    if (!openFrame(i + 1, m, true)) return;
                    continue;
                }
                ++i;
                continue;
            }
            if (c == u'}') {
                ++i;
                continue;
            }
            if (c == u'$' && closesHere(matches.nextDollar[size_t(i)])) {
                t->kind = TokGroup;
                t->value1 = 1;
                t->flags = kMathInText;
                if (!openFrame(i + 1, matches.nextDollar[size_t(i)], false)) return;
                continue;
            }
            if (c == u'\\' && i + 1 < f.end && s[i + 1] == u'(' && closesHere(matches.closeParen[size_t(i)])) {
                t->kind = TokGroup;
                t->value1 = 1;
                t->flags = kMathInText;
                if (!openFrame(i + 2, matches.closeParen[size_t(i)], false, 2)) return;
                continue;
            }
            if (c == u'\\' && i + 1 < f.end && QStringView(u" {}$%&#_").contains(s[i + 1])) {
                plainCharacter(t, s[i + 1].unicode());
                t->flags = kReadAsText;
                i += 2;
                continue;
            }
            if (c == u'\\') {
                const int letters = CountCommandLetters(s.mid(i + 1, f.end - i - 1));
                const QString name = s.mid(i + 1, letters).toString();
                int kind = 0, v1 = 0, v2 = 0;
                const bool found = letters > 0 && table && table->LookupTeXName(name, &kind, &v1, &v2);
                // Text styles, the old style switches, and the words that
                // have no effect in math have none in text either.
                const bool style = found && (IsTextStyleCommand(kind, v1, name) || isTextSwitch(kind, name));
                if (style || (found && kind == 153 && v1 == 0)) {
                    if (style) setKey(t, kind, v1, v2);
                    t->flags = kReadAsText;
                    t->text = name;
                    int at = i + 1 + letters;
                    while (at < f.end && (s[at] == u' ' || s[at].unicode() == 0x19)) ++at;
                    t->end = at;
                    i = at;
                    continue;
                }
                // Any other command in text stays its characters.
                if (letters > 0 && error) error->noteUnknown(QLatin1Char('\\') + name, i);
            }
            if (c == u'-') {  // a hyphen
                t->kind = TokChar;
                t->value2 = c;
            } else {
                plainCharacter(t, c);
            }
            ++i;
            continue;
        }
        switch (c) {
        case u'{': {
            const int m = matches.close[size_t(i)];
            if (!closesHere(m)) {
                if (error) error->fail(QStringLiteral("{ without }"), i);
                return;
            }
            t->kind = TokGroup;
            LaTeXToken* before = t->prev;
            while (before && !isSignificant(before)) before = before->prev;
            if (!openFrame(i + 1, m, isTextCommand(before))) return;
            break;
        }
        case u'$': {
            const int m = matches.nextDollar[size_t(i)];
            if (!closesHere(m)) {
                asCharacter();
                break;
            }
            t->kind = TokGroup;
            t->value1 = 1;
            if (!openFrame(i + 1, m, false)) return;
            break;
        }
        case u'&':
            t->kind = TokCell;
            ++i;
            break;
        case u'[': {
            const int m = matches.close[size_t(i)];
            if (!closesHere(m) || !takesOptionalArgument(t->prev)) {
                asCharacter();
                break;
            }
            t->kind = TokOptional;
            t->value1 = 1;
            if (!openFrame(i + 1, m, false)) return;
            break;
        }
        case u'^':
            t->kind = TokSup;
            ++i;
            break;
        case u'_':
            t->kind = TokSub;
            ++i;
            break;
        case u'\\': {
            if (i + 1 >= f.end) {  // a backslash at the very end makes nothing
                ++i;
                break;
            }
            int length = CountCommandLetters(s.mid(i + 1, f.end - i - 1));
            if (length == 0) length = 1;
            QString name = s.mid(i + 1, length).toString();
            int kind = 0, v1 = 0, v2 = 0;
            bool found = table && table->LookupTeXName(name, &kind, &v1, &v2);
            // "\alpha/2": the slash belongs to the name only where the
            // table knows such a name ("\big/"); the longest known name wins.
            while (!found) {
                const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
                if (slash <= 0) break;
                name.truncate(slash);
                length = int(slash);
                found = table && table->LookupTeXName(name, &kind, &v1, &v2);
            }
            int at = i + 1 + length;
            while (at < f.end && (s[at] == u' ' || s[at].unicode() == 0x19)) ++at;
            t->text = name;
            if (found && kind == 153) {
                t->keyKind = kind;
                t->value2 = v2;
                readerWord(table, t, v1, s, f.end, &at);
            } else if (found) {
                setKey(t, kind, v1, v2);
            } else if (const qsizetype label = labels.indexOf(name); label >= 0) {
                t->kind = TokMacro;
                t->value2 = int(label);
            } else if (name == QLatin1String("|")) {
                setKey(t, 3, 1124, 0);
            } else {
                t->kind = TokUnknown;
            }
            t->end = at;
            i = at;
            break;
        }
        default:
            // A "}" that closes a group ends its frame and never comes here.
            if (c == u'}' && error) error->note(QStringLiteral("\"}\" without its \"{\" is read as a character"), i);
            plainCharacter(t, c);
            ++i;
            break;
        }
    }
}

}  // namespace toliva::latex
