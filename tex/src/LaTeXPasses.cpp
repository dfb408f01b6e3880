// The LaTeX reader's tree passes: delimiter pairing, environment words,
// environment pairing, rows and cells. Each pass walks every sequence of the
// token tree with an explicit stack and pairs words with a stack, so that a
// sequence is scanned once.
#include "LaTeXTokens.h"

#include "model/EqElement.h"

#include <vector>

namespace toliva::latex {
namespace {

// Calls process on every token that owns a sequence (the root, groups,
// brackets, environment cells), after the tokens of the sequences above it
// were processed. process may restructure the sequence it gets.
template <typename Process>
bool forEachSequence(LaTeXToken* root, Process process) {
    std::vector<LaTeXToken*> stack{root};
    while (!stack.empty()) {
        LaTeXToken* owner = stack.back();
        stack.pop_back();
        if (!process(owner)) return false;
        for (LaTeXToken* t = owner->content; t; t = t->next) {
            if (t->content) stack.push_back(t);
            if (t->env)
                for (auto& row : t->env->rows)
                    for (LaTeXToken* cell : row) stack.push_back(cell);
        }
    }
    return true;
}

LaTeXToken* nextSignificant(LaTeXToken* t) { return t ? skipInsignificant(t->next) : nullptr; }

LaTeXToken* lastSignificant(LaTeXToken* first) {
    LaTeXToken* found = nullptr;
    for (LaTeXToken* t = first; t; t = t->next)
        if (isSignificant(t)) found = t;
    return found;
}

// ---- Pass 1: delimiters ------------------------------------------------------

bool isOpener(const LaTeXToken* t) {
    return t->kind == TokLeft || t->kind == TokNameLeft || isFixedLeftKind(t->kind);
}
bool isLenientOpener(const LaTeXToken* t) {
    return t->kind == TokNameLeft || isFixedLeftKind(t->kind) || isSelfPairKind(t->kind);
}
bool isDelimiterWord(const LaTeXToken* t) {
    return t->kind == TokLeft || t->kind == TokRight || t->kind == TokNameLeft || t->kind == TokNameRight ||
           isFixedKind(t->kind);
}

// Whether the sequence of owner runs up to where the token cap cut the text
// (cutAt, -1 when it did not): then a word whose partner is missing there
// may have lost it to the cut. A group or environment ends before the cut
// when its closing word was read; a half-left bracket holds the rest of its
// own sequence.
bool reachesCut(const LaTeXToken* owner, int cutAt) {
    if (cutAt < 0) return false;
    const LaTeXToken* o = owner;
    while (o->parent && o->kind == TokBracket && (o->flags & BracketHalfLeft)) o = o->parent;
    return !o->parent || o->end > cutAt;
}

// The failure of an opening word whose partner was not found: when the cut
// explains it, it says the cap was reached.
void failUnclosed(SegmentError* error, const LaTeXToken* owner, int cutAt, const QString& what, const QString& partner,
                  int where) {
    if (reachesCut(owner, cutAt))
        error->fail(QStringLiteral("the token limit (%1 tokens) was reached before %2").arg(kLaTeXTokenCap).arg(partner),
                    cutAt);
    else
        error->fail(what, where);
}

int codeOf(const LaTeXToken* t) { return t->value1 == kNoDelimiter ? 0 : t->value1 & 0xFF; }
int leftCode(const LaTeXToken* bracket) { return (bracket->value1 >> 8) & 0xFF; }
int rightCode(const LaTeXToken* bracket) { return bracket->value1 & 0xFF; }

// An opening word without a partner: a left-only bracket holding the rest of
// its range (up to last, inclusive).
void makeHalfLeft(LaTeXToken* open, LaTeXToken* last) {
    if (last && last != open) MoveIntoContent(open, open->next, last);
    open->value1 = codeOf(open) << 8;
    open->kind = TokBracket;
    open->flags = BracketLenient | BracketHalfLeft;
}

// A closing word without a partner: an empty right-only bracket.
void makeHalfRight(LaTeXToken* close) {
    close->value1 = codeOf(close);
    close->kind = TokBracket;
    close->flags = BracketLenient | BracketHalfRight;
}

// A "\left." (or "\right.") around a lone floor, ceiling or fixed-size
// delimiter takes that delimiter: the writer puts the empty side word next
// to a delimiter that has none of its own, so that the words pair.
void absorbInnerDelimiters(LaTeXToken* b) {
    int left = leftCode(b);
    int right = rightCode(b);
    if (left == 0) {
        LaTeXToken* f = skipInsignificant(b->content);
        if (f && f->kind == TokBracket && (f->flags & BracketLenient)) {
            const bool only = lastSignificant(b->content) == f;
            if (f->flags & BracketHalfLeft) {
                left = leftCode(f);
                SpliceContent(f);
            } else if (!(f->flags & BracketHalfRight) && right == 0 && only) {
                left = leftCode(f);
                right = rightCode(f);
                SpliceContent(f);
            }
        }
    }
    if (right == 0) {
        LaTeXToken* l = lastSignificant(b->content);
        if (l && l->kind == TokBracket && (l->flags & BracketHalfRight)) {
            right = rightCode(l);
            UnlinkToken(l);
        }
    }
    b->value1 = left << 8 | right;
}

void makePair(LaTeXToken* open, LaTeXToken* close) {
    if (open->next != close) MoveIntoContent(open, open->next, close->prev);
    const bool strict = open->kind == TokLeft && close->kind == TokRight;
    open->value1 = codeOf(open) << 8 | codeOf(close);
    open->flags = open->kind == TokLeft ? 0 : BracketLenient;
    open->kind = TokBracket;
    UnlinkToken(close);
    close->kind = TokNone;
    if (strict) absorbInnerDelimiters(open);
}

bool pairDelimiters(LaTeXToken* owner, int cutAt, SegmentError* error) {
    // A word without a delimiter before a glyph symbol ("\left\uparrow") is
    // dropped; a fixed-size word without one has nothing to size.
    for (LaTeXToken* t = owner->content; t; t = t->next) {
        if (!isDelimiterWord(t) || t->value1 != kNoDelimiter) continue;
        const LaTeXToken* n = nextSignificant(t);
        if ((n && n->kind == TokSymbol && n->keyKind == 13) || isFixedKind(t->kind)) t->kind = TokNone;
    }

    std::vector<LaTeXToken*> open;
    // Closes the opener at index k: the openers above it found no partner.
    auto close = [&](size_t k, LaTeXToken* closer) {
        while (open.size() > k + 1) {
            makeHalfLeft(open.back(), closer->prev);
            open.pop_back();
        }
        makePair(open[k], closer);
        open.pop_back();
    };
    LaTeXToken* next = nullptr;
    for (LaTeXToken* t = owner->content; t; t = next) {
        next = t->next;  // pairing moves what lies between and unlinks the closer
        if (isOpener(t)) {
            open.push_back(t);
        } else if (isSelfPairKind(t->kind)) {
            if (!open.empty() && open.back()->kind == t->kind)
                close(open.size() - 1, t);
            else
                open.push_back(t);
        } else if (t->kind == TokRight) {
            // \right closes the nearest \left, or else the nearest other
            // opening word ("\lvert x \right|").
            int k = int(open.size()) - 1;
            while (k >= 0 && open[size_t(k)]->kind != TokLeft) --k;
            if (k < 0) k = int(open.size()) - 1;
            if (k < 0) {
                error->fail(QStringLiteral("\\right without \\left"), t->pos);
                return false;
            }
            close(size_t(k), t);
        } else if (t->kind == TokNameRight || isFixedRightKind(t->kind)) {
            // Closes the nearest delimiter name or fixed-size word inside
            // the innermost \left; alone it is a right-only bracket.
            int k = int(open.size()) - 1;
            while (k >= 0 && open[size_t(k)]->kind != TokLeft && !isLenientOpener(open[size_t(k)])) --k;
            if (k >= 0 && open[size_t(k)]->kind != TokLeft)
                close(size_t(k), t);
            else
                makeHalfRight(t);
        }
    }
    while (!open.empty()) {
        LaTeXToken* o = open.back();
        open.pop_back();
        if (o->kind == TokLeft) {
            failUnclosed(error, owner, cutAt, QStringLiteral("\\left without \\right"), QStringLiteral("\\right"),
                         o->pos);
            return false;
        }
        makeHalfLeft(o, lastOf(o));
    }
    return true;
}

// ---- Pass 2: environment words ----------------------------------------------

// What an environment word takes after its name besides column formats.
enum EnvironmentExtra : int {
    EnvPlain = 0,
    EnvColumnCount = 1,  // a brace group with the number of columns ("alignat{2}"), not kept
    EnvStarAlign = 2,    // an optional alignment "[l]", "[c]" or "[r]" ("pmatrix*")
    EnvRightBrace = 4,   // the brace stands on the right ("rcases")
};

struct EnvironmentName {
    const char* name;
    int code;
    int extra;
};
const EnvironmentName kEnvironments[] = {
    {"bmatrix", 1, EnvPlain},       {"pmatrix", 2, EnvPlain},        {"Bmatrix", 3, EnvPlain},
    {"vmatrix", 4, EnvPlain},       {"Vmatrix", 5, EnvPlain},        {"matrix", 6, EnvPlain},
    {"subarray", 7, EnvPlain},      {"smallmatrix", 8, EnvPlain},    {"array", 9, EnvPlain},
    {"gathered", 9, EnvPlain},      {"eqnarray", 10, EnvPlain},      {"align", 12, EnvPlain},
    {"aligned", 12, EnvPlain},      {"align*", 13, EnvPlain},        {"aligned*", 13, EnvPlain},
    {"equation", 14, EnvPlain},     {"cases", 15, EnvPlain},         {"dcases", 15, EnvPlain},
    {"split", 16, EnvPlain},        {"eqnarray*", 16, EnvPlain},
    // Centred lines.
    {"gather", 9, EnvPlain},        {"gather*", 9, EnvPlain},        {"multline", 9, EnvPlain},
    {"multline*", 9, EnvPlain},
    // Aligned pairs of columns.
    {"flalign", 12, EnvPlain},      {"flalign*", 13, EnvPlain},      {"alignat", 12, EnvColumnCount},
    {"alignat*", 13, EnvColumnCount}, {"alignedat", 12, EnvColumnCount}, {"xalignat", 12, EnvColumnCount},
    {"xalignat*", 13, EnvColumnCount}, {"xxalignat", 12, EnvColumnCount},
    // Matrices with a column alignment.
    {"bmatrix*", 1, EnvStarAlign},  {"pmatrix*", 2, EnvStarAlign},   {"Bmatrix*", 3, EnvStarAlign},
    {"vmatrix*", 4, EnvStarAlign},  {"Vmatrix*", 5, EnvStarAlign},   {"matrix*", 6, EnvStarAlign},
    {"rcases", 15, EnvRightBrace},
};

const EnvironmentName* findEnvironment(QStringView name) {
    for (const EnvironmentName& e : kEnvironments)
        if (name == QLatin1String(e.name)) return &e;
    return nullptr;
}

void setRuleBit(Environment& env, int word, int bit) {
    if (bit < 0 || bit >= 32) return;
    SetMatrixRuleBit(env.rules, word, bit);
    env.hasRules = true;
}

// The column format without its inserted material: "@{...}" and "!{...}"
// put text or space between columns, which has no place in the matrix.
// Empty when a group there is not closed.
QString withoutInsertions(QStringView preamble, bool* ok) {
    QString out;
    *ok = true;
    for (qsizetype i = 0; i < preamble.size(); ++i) {
        const QChar c = preamble[i];
        if (c != u'@' && c != u'!') {
            out += c;
            continue;
        }
        qsizetype j = i + 1;
        while (j < preamble.size() && preamble[j] == u' ') ++j;
        if (j >= preamble.size() || preamble[j] != u'{') {
            *ok = false;
            return {};
        }
        int depth = 0;
        for (; j < preamble.size(); ++j) {
            if (preamble[j] == u'\\') {
                ++j;
                continue;
            }
            if (preamble[j] == u'{') ++depth;
            if (preamble[j] == u'}' && --depth == 0) break;
        }
        if (depth != 0) {
            *ok = false;
            return {};
        }
        i = j;
    }
    return out;
}

// A column format ("{c}", "{l:r|c}", "{|c|c|}", "{@{}lr@{}}"): the
// alignment of its first letter and the rule bits of its separators. A
// separator before the first column or after the last one is a rule on the
// outside. False when the text is no format (it then stays content).
bool readColumnSpecification(QStringView text, Environment& env, int* letters, QChar* pending) {
    bool ok = false;
    const QString preamble = withoutInsertions(text, &ok);
    if (!ok) return false;
    for (QChar q : preamble) {
        const char16_t c = q.unicode();
        if (c != u'c' && c != u'l' && c != u'r' && c != u'C' && c != u'L' && c != u'R' && c != u':' && c != u'|' &&
            c != u' ')
            return false;
    }
    for (QChar q : preamble) {
        const char16_t c = q.unicode();
        if (c == u' ') continue;
        if (c == u':' || c == u'|') {
            if (*letters == 0)
                env.ruleBefore = env.ruleBefore || c == u'|';
            else if (pending->isNull() || c == u'|')
                *pending = q;
            continue;
        }
        // A separator between two letters rules the boundary between them.
        if (!pending->isNull() && *letters >= 1 && *letters <= 32)
            setRuleBit(env, *pending == u':' ? 0 : 4, *letters - 1);
        *pending = QChar();
        if (*letters == 0) env.align = (c == u'l' || c == u'L') ? 1 : (c == u'r' || c == u'R') ? 2 : 0;
        ++*letters;
    }
    return true;
}

// "[l]", "[c]" or "[r]" after the name of a starred matrix: the column
// alignment; the characters are taken out of the sequence.
void readStarAlignment(LaTeXToken* word, Environment& env) {
    LaTeXToken* open = nextSignificant(word);
    if (!open || open->kind != TokChar || open->value2 != '[') return;
    LaTeXToken* letter = nextSignificant(open);
    LaTeXToken* close = nextSignificant(letter);
    if (!letter || letter->kind != TokChar || !close || close->kind != TokChar || close->value2 != ']') return;
    const int c = letter->value2;
    if (c != 'l' && c != 'c' && c != 'r') return;
    env.align = c == 'l' ? 1 : c == 'r' ? 2 : 0;
    for (LaTeXToken* t = word->next; t;) {
        LaTeXToken* n = t->next;
        const bool last = t == close;
        UnlinkToken(t);
        t->kind = TokNone;
        if (last) break;
        t = n;
    }
}

// "\\substack{a\\b}": the lines of its group as a column of centred cells,
// an environment of its own.
void readStackedLines(LaTeXToken* word) {
    LaTeXToken* group = nextSignificant(word);
    if (!group || !group->isBraceGroup()) return;
    UnlinkToken(group);
    word->kind = TokEnvironment;
    word->env = std::make_unique<Environment>();
    word->env->code = 9;
    word->value1 = 128 + 9;
    word->end = group->end;
    word->content = group->content;
    for (LaTeXToken* x = word->content; x; x = x->next) x->parent = word;
    group->content = nullptr;
}

void readEnvironmentWords(LaTeXToken* owner, QStringView text, SegmentError* report) {
    for (LaTeXToken* t = owner->content; t; t = t->next) {
        if (t->kind == TokUnknown && t->text == QLatin1String("substack")) {
            readStackedLines(t);
            continue;
        }
        if (t->kind != TokBegin && t->kind != TokEnd) continue;
        LaTeXToken* group = nextSignificant(t);
        if (!group || !group->isBraceGroup()) {
            t->kind = TokNone;
            continue;
        }
        const QStringView name = GroupText(group, text).trimmed();
        const EnvironmentName* found = findEnvironment(name);
        t->text = name.toString();
        UnlinkToken(group);
        // Other environments are read as their content: the words go, the
        // rows become lines.
        if (!found) {
            if (t->kind == TokBegin) report->noteUnknown(QLatin1Char('{') + t->text + QLatin1Char('}'), t->pos);
            t->kind = TokNone;
            continue;
        }
        const bool begin = t->kind == TokBegin;
        t->kind += found->code;
        if (!begin) continue;
        t->env = std::make_unique<Environment>();
        t->env->code = found->code;
        if (found->extra & EnvRightBrace) t->env->bracket = 362;
        if (found->extra & EnvStarAlign) readStarAlignment(t, *t->env);
        if (found->extra & EnvColumnCount) {
            if (LaTeXToken* count = nextSignificant(t); count && count->isBraceGroup()) UnlinkToken(count);
        }
        int letters = 0;
        QChar pending;
        for (LaTeXToken* g = nextSignificant(t); g && g->isBraceGroup(); g = nextSignificant(t)) {
            if (!readColumnSpecification(GroupText(g, text), *t->env, &letters, &pending)) break;
            UnlinkToken(g);
        }
        if (pending == u'|') t->env->ruleAfter = true;
    }
}

// ---- Pass 3: environment pairing ----------------------------------------------

bool isBeginWord(const LaTeXToken* t) { return t->kind > TokBegin && t->kind <= TokBegin + 16; }
bool isEndWord(const LaTeXToken* t) { return t->kind > TokEnd && t->kind <= TokEnd + 16; }

bool pairEnvironments(LaTeXToken* owner, int cutAt, SegmentError* error) {
    std::vector<LaTeXToken*> open;
    for (LaTeXToken* t = owner->content; t; t = t->next) {
        if (isBeginWord(t)) {
            open.push_back(t);
            continue;
        }
        if (!isEndWord(t)) continue;
        if (open.empty()) {
            error->fail(QStringLiteral("\\end{%1} without \\begin").arg(t->text), t->pos);
            return false;
        }
        LaTeXToken* b = open.back();
        open.pop_back();
        if (b->kind - TokBegin != t->kind - TokEnd) {
            error->fail(QStringLiteral("\\end{%1} does not close \\begin{%2}").arg(t->text, b->text), t->pos);
            return false;
        }
        if (b->next != t) MoveIntoContent(b, b->next, t->prev);
        b->value1 = 128 + b->env->code;
        b->kind = TokEnvironment;
        b->end = t->end;
        UnlinkToken(t);
        t->kind = TokNone;
        t = b;
    }
    if (!open.empty()) {
        const QString name = open.back()->text;
        failUnclosed(error, owner, cutAt, QStringLiteral("\\begin{%1} without \\end").arg(name),
                     QStringLiteral("\\end{%1}").arg(name), open.back()->pos);
        return false;
    }
    return true;
}

// ---- Pass 4: rows and cells -----------------------------------------------------

bool hasSignificant(const LaTeXToken* group) {
    for (const LaTeXToken* t = group->content; t; t = t->next)
        if (isSignificant(t)) return true;
    return false;
}

bool splitEnvironment(TokenTree& tree, LaTeXToken* envToken, SegmentError* error) {
    Environment& env = *envToken->env;
    std::vector<std::vector<LaTeXToken*>> rows(1);
    LaTeXToken* cell = nullptr;
    LaTeXToken* tail = nullptr;  // the cell's last token
    auto currentCell = [&](int pos) {
        if (!cell) {
            cell = tree.makeExtra(TokGroup, pos);
            cell->parent = envToken;
            rows.back().push_back(cell);
            tail = nullptr;
        }
        return cell;
    };
    LaTeXToken* t = envToken->content;
    envToken->content = nullptr;
    while (t) {
        LaTeXToken* next = t->next;
        t->prev = t->next = nullptr;
        switch (t->kind) {
        case TokLineBreak:
            currentCell(t->pos);
            rows.emplace_back();
            cell = nullptr;
            // The spacing of a row ("\\[2pt]") is not kept.
            if (next && next->kind == TokOptional) next = next->next;
            break;
        case TokCell:
            if (env.code == 16) break;
            currentCell(t->pos);
            cell = nullptr;
            break;
        case TokHLine:
        case TokHDashLine: {
            const int done = int(rows.size()) - 1;  // rows ended so far
            if (done >= 1 && done <= 31) setRuleBit(env, t->kind == TokHLine ? 5 : 1, done - 1);
            break;
        }
        case TokVLine:
        case TokVDashLine: {
            const int cells = int(rows.back().size()) + (cell ? 0 : 1);
            setRuleBit(env, t->kind == TokVLine ? 4 : 0, cells - 2);
            break;
        }
        default: {
            LaTeXToken* c = currentCell(t->pos);
            t->parent = c;
            t->prev = tail;
            if (tail)
                tail->next = t;
            else
                c->content = t;
            tail = t;
            break;
        }
        }
        t = next;
    }
    currentCell(envToken->end);
    // A line break right before the end word opens no row.
    if (rows.size() > 1 && rows.back().size() == 1 && !hasSignificant(rows.back()[0])) rows.pop_back();
    size_t columns = 1;
    for (const auto& row : rows) columns = std::max(columns, row.size());
    if (rows.size() > size_t(kLaTeXMaxMatrixCount) || columns > size_t(kLaTeXMaxMatrixCount)) {
        error->fail(QStringLiteral("more than %1 rows or columns").arg(kLaTeXMaxMatrixCount), envToken->pos);
        return false;
    }
    env.rows = std::move(rows);
    return true;
}


// ---- Two-part forms ---------------------------------------------------------------

struct InfixWord {
    const char* name;
    int form;
    int delimiters;  // 0 none, 1 fixed (left, right below), 2 read after the word
    int left, right;
    bool dimension;  // a rule thickness follows
};
const InfixWord kInfixWords[] = {
    {"over", InfixFraction, 0, 0, 0, false},          {"atop", InfixStack, 0, 0, 0, false},
    {"above", InfixFraction, 0, 0, 0, true},          {"choose", InfixStack, 1, 1, 17, false},
    {"brace", InfixStack, 1, 3, 19, false},           {"brack", InfixStack, 1, 2, 18, false},
    {"overwithdelims", InfixFraction, 2, 0, 0, false}, {"atopwithdelims", InfixStack, 2, 0, 0, false},
    {"abovewithdelims", InfixFraction, 2, 0, 0, true},
};

const InfixWord* findInfixWord(const LaTeXToken* t) {
    if (t->kind != TokUnknown) return nullptr;
    for (const InfixWord& w : kInfixWords)
        if (t->text == QLatin1String(w.name)) return &w;
    return nullptr;
}

// The delimiter code of one token standing for a delimiter, -1 when it is
// none. left tells the side (a bar has a code for each).
int delimiterCodeOf(const LaTeXToken* t, bool left) {
    if (!t) return -1;
    if (t->kind == TokChar) {
        switch (t->value2) {
        case '(': return 1;
        case ')': return 17;
        case '[': return 2;
        case ']': return 18;
        case '|': return left ? 5 : 21;
        case '.': return 0;
        default: return -1;
        }
    }
    if (t->kind == TokSymbol) {
        if (t->keyKind == 6 && t->value1 == '{') return 3;
        if (t->keyKind == 6 && t->value1 == '}') return 19;
        if (t->keyKind == 3 && t->value1 == 1060) return 4;
        if (t->keyKind == 3 && t->value1 == 1061) return 20;
        if (t->keyKind == 3 && t->value1 == 1124) return left ? 6 : 22;
        if (t->keyKind == 13 && t->value1 == 381) return 4;
        if (t->keyKind == 13 && t->value1 == 382) return 20;
        return -1;
    }
    // A delimiter name ("\lbrace") stands as a bracket of its own.
    if (t->kind == TokBracket && (t->flags & BracketLenient) && !skipInsignificant(t->content)) {
        const int l = leftCode(t);
        const int r = rightCode(t);
        return left ? (l ? l : r) : (r ? r : l);
    }
    return -1;
}

// The delimiter in a brace group ("{(}", "{}" for none), -1 when it holds
// something else.
int groupDelimiterCode(const LaTeXToken* group, bool left) {
    if (!group->isBraceGroup()) return delimiterCodeOf(group, left);
    const LaTeXToken* d = skipInsignificant(group->content);
    if (!d) return 0;
    if (skipInsignificant(d->next)) return -1;
    return delimiterCodeOf(d, left);
}

// A rule thickness: a brace group or a number with a unit. Takes it out of
// the sequence and tells whether it is zero.
bool takeDimension(LaTeXToken* word, QStringView text) {
    LaTeXToken* n = nextSignificant(word);
    if (!n) return false;
    QString number;
    if (n->isBraceGroup()) {
        for (QChar q : GroupText(n, text))
            if (q.isDigit() || q == u'.') number += q;
        UnlinkToken(n);
        return !number.isEmpty() && number.toDouble() == 0;
    }
    LaTeXToken* x = n;
    while (x && x->kind == TokChar && ((x->value2 >= '0' && x->value2 <= '9') || x->value2 == '.')) {
        number += QChar(char16_t(x->value2));
        x = x->next;
    }
    if (number.isEmpty()) return false;
    // The unit: two letters.
    if (x && x->kind == TokChar && x->next && x->next->kind == TokChar && QChar(x->value2).isLetter() &&
        QChar(x->next->value2).isLetter())
        x = x->next->next;
    while (n != x) {
        LaTeXToken* after = n->next;
        UnlinkToken(n);
        n->kind = TokNone;
        n = after;
    }
    return number.toDouble() == 0;
}

// Gives t (whose kind becomes TokInfix) the two parts, each a token.
void makeInfix(LaTeXToken* t, LaTeXToken* first, LaTeXToken* second, int form, int left, int right, bool delimited) {
    t->kind = TokInfix;
    t->value1 = form;
    t->value2 = left << 8 | right;
    t->flags = delimited ? 1 : 0;
    t->content = first;
    first->prev = nullptr;
    first->next = second;
    second->prev = first;
    second->next = nullptr;
    first->parent = second->parent = t;
}

// "a \over b" and its kin: the words split their sequence (up to a line
// break) into the two parts of one token.
void readInfixWords(TokenTree& tree, LaTeXToken* owner, QStringView text) {
    LaTeXToken* start = owner->content;  // the first token after the last line break
    for (LaTeXToken* t = owner->content; t; t = t->next) {
        if (t->kind == TokLineBreak) {
            start = t->next;
            continue;
        }
        const InfixWord* w = findInfixWord(t);
        if (!w) continue;
        int left = w->left;
        int right = w->right;
        bool delimited = w->delimiters != 0;
        if (w->delimiters == 2) {
            LaTeXToken* a = nextSignificant(t);
            const int l = delimiterCodeOf(a, true);
            // A pair of delimiter names side by side was paired into one bracket.
            if (a && a->kind == TokBracket && l >= 0 && leftCode(a) && rightCode(a)) {
                left = leftCode(a);
                right = rightCode(a);
                UnlinkToken(a);
            } else {
                LaTeXToken* b = nextSignificant(a);
                const int r = delimiterCodeOf(b, false);
                left = l < 0 ? 0 : l;
                right = r < 0 ? 0 : r;
                if (l >= 0) UnlinkToken(a);
                if (l >= 0 && r >= 0) UnlinkToken(b);
            }
        }
        int form = w->form;
        if (w->dimension && takeDimension(t, text)) form = InfixStack;
        LaTeXToken* end = t;  // the last token of the second part
        while (end->next && end->next->kind != TokLineBreak) end = end->next;
        LaTeXToken* first = tree.makeExtra(TokGroup, t->pos);
        LaTeXToken* second = tree.makeExtra(TokGroup, t->pos);
        if (start != t) MoveIntoContent(first, start, t->prev);
        if (end != t) MoveIntoContent(second, t->next, end);
        makeInfix(t, first, second, form, left, right, delimited);
        start = nullptr;
    }
}

// "\genfrac{(}{)}{0pt}{1}{a}{b}": delimiters, rule thickness, size, then
// the two parts.
void readGeneralFractions(TokenTree& tree, LaTeXToken* owner, QStringView text) {
    for (LaTeXToken* t = owner->content; t; t = t->next) {
        if (t->kind != TokUnknown || t->text != QLatin1String("genfrac")) continue;
        LaTeXToken* args[6] = {};
        LaTeXToken* x = t;
        int count = 0;
        for (; count < 6; ++count) {
            x = nextSignificant(x);
            if (!x) break;
            args[count] = x;
        }
        if (count < 6) continue;
        const int left = groupDelimiterCode(args[0], true);
        const int right = groupDelimiterCode(args[1], false);
        if (left < 0 || right < 0) continue;
        int form = InfixFraction;
        if (args[2]->isBraceGroup()) {
            QString number;
            for (QChar q : GroupText(args[2], text))
                if (q.isDigit() || q == u'.') number += q;
            if (!number.isEmpty() && number.toDouble() == 0) form = InfixStack;
        }
        if (form == InfixFraction && args[3]->isBraceGroup()) {
            const QStringView size = GroupText(args[3], text).trimmed();
            if (size == u"1" || size == u"2" || size == u"3") form = InfixSmallFraction;
        }
        for (int i = 0; i < 6; ++i) UnlinkToken(args[i]);
        // A part that is one token stands in a group of its own, so that
        // it takes nothing after it.
        for (int i = 4; i < 6; ++i) {
            if (args[i]->kind == TokGroup) continue;
            LaTeXToken* g = tree.makeExtra(TokGroup, args[i]->pos);
            g->end = args[i]->end;
            g->content = args[i];
            args[i]->parent = g;
            args[i] = g;
        }
        makeInfix(t, args[4], args[5], form, left, right, left != 0 || right != 0);
    }
}

}  // namespace

bool RunLaTeXTreePasses(TokenTree& tree, QStringView text, int cutAt, SegmentError* error) {
    LaTeXToken* root = tree.root();
    if (!forEachSequence(root, [&](LaTeXToken* owner) { return pairDelimiters(owner, cutAt, error); })) return false;
    forEachSequence(root, [&](LaTeXToken* owner) {
        readEnvironmentWords(owner, text, error);
        return true;
    });
    if (!forEachSequence(root, [&](LaTeXToken* owner) { return pairEnvironments(owner, cutAt, error); })) return false;
    if (!forEachSequence(root, [&](LaTeXToken* owner) {
            for (LaTeXToken* t = owner->content; t; t = t->next)
                if (t->kind == TokEnvironment && t->env->rows.empty() && !splitEnvironment(tree, t, error))
                    return false;
            return true;
        }))
        return false;
    return forEachSequence(root, [&](LaTeXToken* owner) {
        readGeneralFractions(tree, owner, text);
        readInfixWords(tree, owner, text);
        return true;
    });
}

}  // namespace toliva::latex
