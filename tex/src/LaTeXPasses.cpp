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

struct EnvironmentName {
    const char* name;
    int code;
};
const EnvironmentName kEnvironments[] = {
    {"bmatrix", 1},  {"pmatrix", 2},   {"Bmatrix", 3},     {"vmatrix", 4},  {"Vmatrix", 5},    {"matrix", 6},
    {"subarray", 7}, {"smallmatrix", 8}, {"array", 9},     {"gathered", 9}, {"eqnarray", 10},  {"align", 12},
    {"aligned", 12}, {"align*", 13},   {"aligned*", 13},   {"equation", 14}, {"cases", 15},    {"dcases", 15},
    {"split", 16},   {"eqnarray*", 16},
};

int environmentCode(QStringView name) {
    for (const EnvironmentName& e : kEnvironments)
        if (name == QLatin1String(e.name)) return e.code;
    return 0;
}

void setRuleBit(Environment& env, int word, int bit) {
    if (bit < 0 || bit >= 32) return;
    SetMatrixRuleBit(env.rules, word, bit);
    env.hasRules = true;
}

// A column format ("{c}", "{l:r|c}"): the alignment of its first
// letter and the rule bits of its separators. False when the text is no
// format (it then stays content).
bool readColumnSpecification(QStringView preamble, Environment& env, int* letters) {
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
            if (*letters >= 1 && *letters <= 32) setRuleBit(env, c == u':' ? 0 : 4, *letters - 1);
            continue;
        }
        if (*letters == 0) env.align = (c == u'l' || c == u'L') ? 1 : (c == u'r' || c == u'R') ? 2 : 0;
        ++*letters;
    }
    return true;
}

void readEnvironmentWords(LaTeXToken* owner, QStringView text, SegmentError* report) {
    for (LaTeXToken* t = owner->content; t; t = t->next) {
        if (t->kind != TokBegin && t->kind != TokEnd) continue;
        LaTeXToken* group = nextSignificant(t);
        if (!group || !group->isBraceGroup()) {
            t->kind = TokNone;
            continue;
        }
        const QStringView name = GroupText(group, text).trimmed();
        const int code = environmentCode(name);
        t->text = name.toString();
        UnlinkToken(group);
        // Other environments (gather, multline, ...) are read as their
        // content: the words go, the rows become lines.
        if (code == 0) {
            if (t->kind == TokBegin) report->noteUnknown(QLatin1Char('{') + t->text + QLatin1Char('}'), t->pos);
            t->kind = TokNone;
            continue;
        }
        const bool begin = t->kind == TokBegin;
        t->kind += code;
        if (!begin) continue;
        t->env = std::make_unique<Environment>();
        t->env->code = code;
        int letters = 0;
        for (LaTeXToken* g = nextSignificant(t); g && g->isBraceGroup(); g = nextSignificant(t)) {
            if (!readColumnSpecification(GroupText(g, text), *t->env, &letters)) break;
            UnlinkToken(g);
        }
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

}  // namespace

bool RunLaTeXTreePasses(TokenTree& tree, QStringView text, int cutAt, SegmentError* error) {
    LaTeXToken* root = tree.root();
    if (!forEachSequence(root, [&](LaTeXToken* owner) { return pairDelimiters(owner, cutAt, error); })) return false;
    forEachSequence(root, [&](LaTeXToken* owner) {
        readEnvironmentWords(owner, text, error);
        return true;
    });
    if (!forEachSequence(root, [&](LaTeXToken* owner) { return pairEnvironments(owner, cutAt, error); })) return false;
    return forEachSequence(root, [&](LaTeXToken* owner) {
        for (LaTeXToken* t = owner->content; t; t = t->next)
            if (t->kind == TokEnvironment && t->env->rows.empty() && !splitEnvironment(tree, t, error)) return false;
        return true;
    });
}

}  // namespace toliva::latex
