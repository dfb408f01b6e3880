#include "sheet/editing/AutoFormat.h"

#include "sheet/editing/ElementWork.h"
#include "sheet/editing/WordLists.h"

#include "model/EqElement.h"
#include "platform/AppContext.h"
#include "tex/LaTeX.h"
#include "tex/TeXContext.h"

#include <algorithm>
#include <vector>

namespace toliva {
namespace {

// Styles of automatic words: 0 upright to 3 bold italic. A word with any
// other style byte (a damaged file) is never applied: it would turn
// characters into element types that are no characters.
constexpr uint8_t kLastWordStyle = 3;
constexpr char16_t kNabla = 0x2207;

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool isBracketChar(char16_t c) {
    return c == u'(' || c == u')' || c == u'[' || c == u']' || c == u'{' || c == u'}';
}

// A character a word may be made of: a character element without accents.
bool isPlainCharacter(const EqElement* e) { return e && IsCharType(e->type) && e->payload.empty(); }

const AutoWord* findWord(const WordLists& lists, QStringView text) {
    for (const AutoWord& w : lists.words)
        if (w.enabled && w.style <= kLastWordStyle && QStringView(w.word) == text) return &w;
    return nullptr;
}

int longestEnabledWord(const WordLists& lists) {
    int longest = 0;
    for (const AutoWord& w : lists.words)
        if (w.enabled) longest = std::max(longest, int(w.word.size()));
    return longest;
}

void restyle(EqElement* e, int32_t type) {
    e->type = type;
    SetWorkMark(e, kAutoFormatMark, true);
}

}  // namespace

bool IsAutoUprightCharacter(const AutoFormatContext& context, const EqElement* e) {
    if (!e || !IsCharType(e->type)) return false;
    const char16_t c = e->ch;
    const bool* opt = context.words ? context.words->autoFormat : nullptr;
    if (opt && opt[0] && isDigit(c)) return true;
    if (opt && opt[1] && (IsPunctuationChar(c) || isBracketChar(c))) return true;
    if (opt && opt[2] && IsCJKElement(e)) return true;
    if (c == kNabla) return true;
    const EqElement* parent = e->parent;
    if (!parent) return false;
    if (IsCompactGroupType(parent->type) || parent->type == EqTypeArcMark) return true;
    if ((context.options & OptExtraUpright1) && parent->type == EqTypeSubscript) return true;
    if ((context.options & OptExtraUpright2) && parent->type == EqTypeSubSuperscript && !parent->children.empty()) {
        const EqElement* head = e;
        while (head->prev) head = head->prev;
        return head == parent->children.back();
    }
    return false;
}

bool ApplyAutoWord(const AutoFormatContext& context, EqElement* e) {
    if (!context.autoWords || !context.words || !isPlainCharacter(e)) return false;
    const WordLists& lists = *context.words;
    const int longest = longestEnabledWord(lists);
    if (longest <= 0) return false;

    // The plain characters that end with e, e first; no longer than the
    // longest word (longer texts cannot match).
    std::vector<EqElement*> back;
    for (EqElement* x = e; isPlainCharacter(x) && int(back.size()) < longest; x = x->prev) back.push_back(x);
    QString text;
    text.reserve(qsizetype(back.size()));
    for (auto it = back.rbegin(); it != back.rend(); ++it) text += QChar((*it)->ch);

    for (int n = int(back.size()); n >= 1; --n) {
        const AutoWord* w = findWord(lists, QStringView(text).right(n));
        if (!w) continue;
        for (int i = 0; i < n; ++i) restyle(back[size_t(i)], int32_t(w->style) + 1);
        return true;
    }

    // A character beyond ASCII by its LaTeX name ("\infty" for U+221E).
    if (e->ch <= 128) return false;
    static const TeXWriteContext kNoNames;
    QString name = LaTeXCharacterText(e, context.texWrite ? *context.texWrite : kNoNames);
    name.remove(QLatin1Char(' '));
    if (name.isEmpty()) return false;
    const AutoWord* w = findWord(lists, name);
    if (!w) return false;
    restyle(e, int32_t(w->style) + 1);
    return true;
}

void FormatTypedCharacter(const AutoFormatContext& context, EqElement* e) {
    if (!e || !IsCharType(e->type)) return;
    if (context.options & OptTeXTyping) {
        const bool inCommand = e->prev && e->prev->type == EqTypeCharText;
        if (inCommand || e->ch == u'\\' || e->ch == u'_' || e->ch == u'^') {
            e->type = EqTypeCharText;
            return;
        }
    }
    if (IsAutoUprightCharacter(context, e)) restyle(e, EqTypeCharUpright);
    ApplyAutoWord(context, e);
}

TypedCharacterHook MakeTypedCharacterHook(const AutoFormatContext& context) {
    return [context](EqModel*, EqElement* e) { FormatTypedCharacter(context, e); };
}

}  // namespace toliva
