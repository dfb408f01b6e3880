#include "sheet/editing/TypedTeX.h"

#include "sheet/editing/EditOps.h"

#include "model/EqModel.h"
#include "model/EqTreeOps.h"
#include "tex/LaTeX.h"

#include <algorithm>

namespace toliva {
namespace {

bool isTyped(const EqElement* e) { return e && e->type == EqTypeCharText; }

// Gives every element of the chain from e on (and everything below them)
// whose colour is from the reader's default the typing colour.
void recolour(EqElement* e, gp::ARGB readerDefault, gp::ARGB typing) {
    std::vector<EqElement*> todo{e};
    while (!todo.empty()) {
        EqElement* x = todo.back();
        todo.pop_back();
        for (; x; x = x->next) {
            if (x->colour == readerDefault) x->colour = typing;
            if (x->colour2 == readerDefault) x->colour2 = typing;
            for (EqElement* child : x->children) todo.push_back(child);
        }
    }
}

// Copies of the elements of a source line (its head left out) linked after
// at; returns the last one (at when the line is empty).
EqElement* copyLineAfter(const EqElement* sourceHead, EqElement* at, EqModel* eq) {
    for (const EqElement* s = sourceHead->next; s; s = s->next) {
        EqElement* copy = CopyElementTree(s, eq);
        InsertRunAfter(at, copy);
        at = copy;
    }
    return at;
}

// Puts the lines of source after at, which lost what followed it (rest).
// In an argument chain the lines go one after another; in a top-level line
// the first goes in place and each further one becomes a new line. The rest
// follows the last element put in.
// Returns the last element placed (at when none).
EqElement* placeLines(EqModel* eq, EqElement* at, const EqModel& source, EqElement* rest) {
    EqElement* last = at;
    if (at->parent) {
        for (const EqElement* line : source.lines) last = copyLineAfter(line, last, eq);
    } else {
        const EqElement* atLine = FindChainStart(at);
        auto index = std::find(eq->lines.begin(), eq->lines.end(), atLine) - eq->lines.begin();
        for (size_t i = 0; i < source.lines.size(); ++i) {
            if (i > 0) {
                EqElement* head = NewChildChain(nullptr, eq, ChainDetached);
                eq->lines.insert(eq->lines.begin() + ++index, head);
                last = head;
            }
            last = copyLineAfter(source.lines[i], last, eq);
        }
    }
    if (rest) InsertRunAfter(last, rest);
    return last;
}

}  // namespace

TypedRun TypedRunAround(EqElement* e) {
    if (!isTyped(e)) return {};
    TypedRun run{e, e};
    while (isTyped(run.first->prev)) run.first = run.first->prev;
    while (isTyped(run.last->next)) run.last = run.last->next;
    return run;
}

QString TypedRunText(const TypedRun& run) {
    QString text;
    if (run.empty()) return text;
    for (const EqElement* e = run.first;; e = e->next) {
        text += QChar(e->ch);
        if (e == run.last) break;
    }
    return text;
}

TypedRun TypedCommandAt(EqElement* caret) {
    for (EqElement* e = caret; isTyped(e); e = e->prev)
        if (e->ch == u'\\') return {e, caret};
    return {};
}

QString TypedCommandText(EqElement* caret) {
    if (!isTyped(caret)) return {};
    EqElement* first = caret;
    while (first->ch != u'\\' && isTyped(first->prev)) first = first->prev;
    return TypedRunText({first, caret});
}

TypedTeXOutcome ConvertTypedTeXAt(EqModel* eq, const TeXReadContext& context,
                                  const std::function<void(EqModel*)>& expand) {
    TypedTeXOutcome out;
    if (!eq) return out;
    const TypedRun run = TypedRunAround(GetEquationCaret(eq));
    if (run.empty()) return out;
    out.text = TypedRunText(run);
    if (out.text.startsWith(QLatin1Char('$'))) out.text.remove(0, 1);
    if (out.text.trimmed().isEmpty()) return out;

    // The typed run stays until the text has read cleanly: a reader that
    // stumbles must not cost the user what was typed.
    const gp::ARGB typingColour = eq->currentColour;
    EqModel scratch(eq->settings);
    ClearEquation(&scratch);
    const gp::ARGB readerDefault = scratch.currentColour;
    LaTeXReadResult read;
    ReadLaTeXDocument(out.text, &scratch, context, &read);
    out.report = LaTeXReadReport(read, out.text);
    if (!read.ok || IsEquationEmpty(&scratch) || !out.report.isEmpty()) {
        out.result = TypedTeXOutcome::NotRead;
        return out;
    }

    if (expand) expand(&scratch);
    for (EqElement* line : scratch.lines) recolour(line, readerDefault, typingColour);

    EqElement* before = run.first->prev;
    EqElement* rest = run.last->next ? DetachRun(run.last->next) : nullptr;
    eq->caret = nullptr;
    DeleteEqElement(DetachRun(run.first));
    // Typing goes on after what the command became.
    EqElement* last = placeLines(eq, before, scratch, rest);
    InvalidateLineCache(eq, before);
    eq->needsLayout = 1;
    SetEquationCaret(eq, last);
    out.result = TypedTeXOutcome::Converted;
    return out;
}

bool TeXCandidateSuffix(int kind, QString* suffix, int* caretBack) {
    struct Row {
        const char* text;
        int back;
    };
    static constexpr Row kRows[] = {{"{}", 1}, {"{em}", 3}, {"{mu}", 3}, {" mu", 2}, {" em", 2}};
    if (kind < 1 || kind > 5) return false;
    *suffix = QLatin1String(kRows[kind - 1].text);
    *caretBack = kRows[kind - 1].back;
    return true;
}

int MatrixTemplateLaTeX(int kind, QString* text) {
    const int columns = kind & 0x0F;
    const int rows = (kind >> 4) & 0x0F;
    const int style = (kind >> 8) & 0x0F;
    QString body;
    for (int r = 0; r < rows; ++r) {
        body += QLatin1Char('\t');
        for (int c = 1; c < columns; ++c) body += QStringLiteral("&\t");
        body += QStringLiteral("\\\\\n");
    }
    const char* open;
    const char* close;
    switch (style) {
    case 1: open = "begin{pmatrix}\n"; close = "\\end{pmatrix}\n"; break;
    case 2: open = "begin{bmatrix}\n"; close = "\\end{bmatrix}\n"; break;
    case 3: open = "begin{Bmatrix}\n"; close = "\\end{Bmatrix}\n"; break;
    case 4: open = "begin{vmatrix}\n"; close = "\\end{vmatrix}\n"; break;
    case 5: open = "begin{Vmatrix}\n"; close = "\\end{Vmatrix}\n"; break;
    case 6: open = "left\\{\\begin{array}{l}\n"; close = "\\end{array}\\right.\n"; break;
    case 7: open = "left.\\begin{array}{r}\n"; close = "\\end{array}\\right\\}\n"; break;
    case 8: open = "begin{cases}\n"; close = "\\end{cases}\n"; break;
    default: open = "begin{matrix}\n"; close = "\\end{matrix}\n"; break;
    }
    const QString closing = QLatin1String(close);
    *text = QLatin1String(open) + body + closing;
    // Back over the closing and the body but its first tab.
    return int(closing.size() + body.size()) - 1;
}

}  // namespace toliva
