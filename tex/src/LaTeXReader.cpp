// The LaTeX reader's driver: math segments of a text, one segment into
// lines, and the merge of half brackets.
#include "LaTeXReader.h"

#include "LaTeXTokens.h"
#include "TreeBuilders.h"
#include "tex/TeXCode.h"
#include "model/EqElement.h"
#include "model/EqFonts.h"
#include "model/EqModel.h"
#include "model/EqTreeOps.h"

#include <algorithm>
#include <vector>

namespace toliva {
namespace {

const QString kTooDeep = QStringLiteral("nested too deeply");


// ---- Segments -------------------------------------------------------------------

struct Mark {
    int pos;
    int code;  // 1 \(  2 \)  3 \[  4 \]  5 $$  6 $
    int text;  // where the innermost text command around the mark starts, -1 for none
};

struct Segment {
    int start;
    int length;
};

// Where each '{' of the text is closed (the index of its '}'), or -1.
// Escaped braces and comments do not count.
std::vector<int> braceMatches(QStringView text) {
    const int n = int(text.size());
    std::vector<int> close(size_t(n), -1);
    std::vector<int> open;
    for (int i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\\') {
            ++i;
        } else if (c == u'%') {
            while (i + 1 < n && text[i + 1] != u'\n' && text[i + 1] != u'\r') ++i;
        } else if (c == u'{') {
            open.push_back(i);
        } else if (c == u'}' && !open.empty()) {
            close[size_t(open.back())] = i;
            open.pop_back();
        }
    }
    return close;
}

// After a text command at text[at] (the backslash): where its argument ends
// (after the '}') when it has one in braces, else -1. Dollars and "\(" there
// are math inside the text, no delimiters.
int textArgumentEnd(QStringView text, int at, const std::vector<int>& braces, CTeXCode* table) {
    const int n = int(text.size());
    const int letters = CountCommandLetters(text.mid(at + 1));
    if (letters == 0 || !table) return -1;
    const QString name = text.mid(at + 1, letters).toString();
    int kind = 0, v1 = 0, v2 = 0;
    if (!table->LookupTeXName(name, &kind, &v1, &v2) || !latex::IsTextStyleCommand(kind, v1, name)) return -1;
    int k = at + 1 + letters;
    while (k < n && (text[k] == u' ' || text[k] == u'\t')) ++k;
    return k < n && text[k] == u'{' && braces[size_t(k)] >= 0 ? braces[size_t(k)] + 1 : -1;
}

// Math delimiters inside the argument of a text command that stands in
// math ("$\text{if $x$}$", or a text without delimiters outside its text
// commands) are math within that text, not delimiters.
std::vector<Segment> splitSegments(QStringView text, CTeXCode* table) {
    const int n = int(text.size());
    // Without a dollar or a backslash bracket anywhere there is nothing to
    // split: the whole text is math.
    bool delimiters = false;
    for (int i = 0; i < n && !delimiters; ++i) {
        const char16_t c = text[i].unicode();
        const char16_t d = i + 1 < n ? text[i + 1].unicode() : u'\0';
        delimiters = c == u'$' || (c == u'\\' && (d == u'(' || d == u')' || d == u'[' || d == u']'));
    }
    if (!delimiters) return {{0, n}};
    const std::vector<int> braces = braceMatches(text);
    struct TextArgument {
        int start;
        int end;
    };
    std::vector<TextArgument> texts;
    std::vector<Mark> marks;
    auto mark = [&](int pos, int code) { marks.push_back({pos, code, texts.empty() ? -1 : texts.back().start}); };
    for (int i = 0; i < n;) {
        while (!texts.empty() && i >= texts.back().end) texts.pop_back();
        const char16_t c = text[i].unicode();
        if (c == u'%') {  // a comment holds no delimiters
            while (i < n && text[i] != u'\n' && text[i] != u'\r') ++i;
            continue;
        }
        if (c == u'\\' && i + 1 < n) {
            if (const int end = textArgumentEnd(text, i, braces, table); end > 0) {
                texts.push_back({i, end});
                i += 2;
                continue;
            }
            switch (text[i + 1].unicode()) {
            case u'(': mark(i, 1); break;
            case u')': if (i != 0) mark(i, 2); break;
            case u'[': mark(i, 3); break;
            case u']': if (i != 0) mark(i, 4); break;
            default: break;
            }
            i += 2;  // an escaped character ("\$", "\\") is no delimiter
        } else if (c == u'$') {
            const bool twice = i + 1 < n && text[i + 1] == u'$';
            mark(i, twice ? 5 : 6);
            i += twice ? 2 : 1;
        } else {
            ++i;
        }
    }
    // Without two delimiters outside text commands the whole text is math.
    if (std::count_if(marks.begin(), marks.end(), [](const Mark& m) { return m.text < 0; }) < 2) return {{0, n}};
    std::vector<Segment> segments;
    for (size_t k = 0; k < marks.size();) {
        const Mark open = marks[k];
        if (open.code == 2 || open.code == 4) {
            ++k;
            continue;
        }
        // Marks in a text command that starts inside this math are not
        // its end.
        const int closing = open.code == 1 ? 2 : open.code == 3 ? 4 : open.code;
        size_t j = k + 1;
        while (j < marks.size() && (marks[j].code != closing || marks[j].text > open.pos)) ++j;
        if (j == marks.size()) {
            ++k;
            continue;
        }
        const int start = open.pos + (open.code == 6 ? 1 : 2);
        if (marks[j].pos - start >= 1) segments.push_back({start, marks[j].pos - start});
        k = j + 1;
    }
    return segments;
}

// ---- Half brackets --------------------------------------------------------------

uint8_t leftByte(const EqElement* e) { return uint8_t(e->ch >> 8); }
uint8_t rightByte(const EqElement* e) { return uint8_t(e->ch & 0xFF); }

// A left-only bracket whose chain starts with a right-only bracket: the
// outer one takes the inner one's content and right side; what followed the
// inner one inside moves out after the outer one.
bool mergeOnce(EqElement* outer) {
    if (outer->type != 336 || outer->children.size() != 1 || rightByte(outer) != 0) return false;
    EqElement* oldHead = outer->children[0];
    EqElement* inner = oldHead->next;
    if (!inner || inner->type != 336 || inner->children.size() != 1 || leftByte(inner) != 0) return false;

    outer->ch = uint16_t((outer->ch & 0xFF00) | rightByte(inner));
    EqElement* content = inner->children[0];
    inner->children.clear();
    SetChainParent(content, outer);
    outer->children[0] = content;

    EqElement* following = inner->next;
    UnlinkElement(inner);
    if (following) InsertRunAfter(outer, DetachRun(following));
    DeleteEqElement(inner);
    DeleteEqElement(oldHead);
    return true;
}

}  // namespace

namespace latex {

void MergeHalfBrackets(EqElement* lineHead) {
    std::vector<EqElement*> heads{lineHead};
    while (!heads.empty()) {
        EqElement* head = heads.back();
        heads.pop_back();
        for (EqElement* e = head; e; e = e->next) {
            while (mergeOnce(e)) {
            }
            for (EqElement* child : e->children) heads.push_back(child);
        }
    }
}

}  // namespace latex

bool ReadLaTeXSegment(EqModel* eq, const TeXReadContext& context, LaTeXReadResult* result, QStringView segment,
                      int offset) {
    LaTeXReadResult local;
    LaTeXReadResult& r = result ? *result : local;
    const auto inText = [offset](int at) { return at >= 0 ? offset + at : -1; };
    // What the segment's reading noted, with positions in the whole text.
    const auto collect = [&](latex::SegmentError& e) {
        for (qsizetype k = 0; k < e.unknown.size(); ++k) {
            if (r.unknown.contains(e.unknown[k])) continue;
            r.unknown << e.unknown[k];
            r.unknownPositions << inText(k < e.unknownAt.size() ? e.unknownAt[k] : -1);
        }
        for (const LaTeXReadProblem& p : e.problems) r.problems.push_back({p.message, inText(p.position)});
        e.unknown.clear();
        e.unknownAt.clear();
        e.problems.clear();
    };
    const auto problem = [&](const QString& message, int at) {
        r.problems.push_back({message, at});
        if (r.message.isEmpty()) {
            r.message = message;
            r.position = at;
        }
    };
    latex::TokenTree tree;
    latex::SegmentError error;
    int truncatedAt = -1;
    latex::TokenizeLaTeX(tree, segment, context, &truncatedAt, &error);
    if (!error.failed) latex::RunLaTeXTreePasses(tree, segment, truncatedAt, &error);
    collect(error);
    if (error.failed) {
        r.error = true;
        problem(error.message, offset + error.position);
        return false;
    }
    const size_t lines = eq->lines.size();
    const bool built = latex::BuildLaTeXLine(eq, tree, segment, &error);
    collect(error);
    if (!built || error.failed) {
        while (eq->lines.size() > lines) {
            DeleteEqElement(eq->lines.back());
            eq->lines.pop_back();
        }
        eq->caret = nullptr;
        r.error = true;
        problem(built ? error.message : kTooDeep, offset + (built ? error.position : 0));
        return false;
    }
    if (truncatedAt >= 0) {
        r.overflow = true;
        problem(QStringLiteral("only the first %1 tokens were read").arg(kLaTeXTokenCap), offset + truncatedAt);
    }
    return true;
}

bool ReadLaTeXDocument(const QString& text, EqModel* eq, const TeXReadContext& context, LaTeXReadResult* result) {
    LaTeXReadResult local;
    LaTeXReadResult& r = result ? *result : local;
    r = LaTeXReadResult();
    ClearEquation(eq);
    for (const Segment& s : splitSegments(text, context.names)) {
        ++r.segments;
        if (ReadLaTeXSegment(eq, context, &r, QStringView(text).mid(s.start, s.length), s.start)) ++r.converted;
    }
    if (r.overflow) r.notes.add(EqNoteKind::FormulaCut);
    if (eq->lines.empty()) {
        AddEmptyLine(eq);
        r.ok = false;
        if (r.message.isEmpty()) {
            r.message = QStringLiteral("no formula in the text");
            r.position = 0;
        }
        return false;
    }
    for (EqElement* line : eq->lines) latex::MergeHalfBrackets(line);
    SetEquationCaret(eq, nullptr);
    r.ok = true;
    return true;
}

LaTeXReadResult ReadLaTeXInto(const QString& text, EqModel* eq, const TeXReadContext& context) {
    LaTeXReadResult r;
    EqModel scratch(eq->settings);
    ReadLaTeXDocument(text, &scratch, context, &r);
    // A text that gives nothing to show leaves the equation as it was.
    if (r.ok && IsEquationEmpty(&scratch)) {
        r.ok = false;
        if (r.message.isEmpty()) {
            r.message = QStringLiteral("no formula in the text");
            r.position = 0;
        }
    }
    if (r.ok) {
        // Notes the caller has not taken yet stay with eq.
        const EqNotes pending = TakeEquationNotes(eq);
        eq->swap(scratch);
        EquationFonts(eq).notes.add(pending);
    }
    return r;
}

}  // namespace toliva

namespace toliva {

QStringList LaTeXReadReport(const LaTeXReadResult& r, QStringView text) {
    struct Line {
        int position;
        QString message;
    };
    std::vector<Line> lines;
    for (const LaTeXReadProblem& p : r.problems) lines.push_back({p.position, p.message});
    for (qsizetype k = 0; k < r.unknown.size(); ++k) {
        const QString& name = r.unknown[k];
        const QString what = name.startsWith(QLatin1Char('{')) ? QStringLiteral("unknown environment %1")
                                                                : QStringLiteral("unknown command %1");
        lines.push_back({k < r.unknownPositions.size() ? r.unknownPositions[k] : -1, what.arg(name)});
    }
    // Why nothing came out, when no problem above says it.
    if (!r.ok && !r.message.isEmpty()) {
        bool said = false;
        for (const LaTeXReadProblem& p : r.problems) said = said || (p.message == r.message && p.position == r.position);
        if (!said) lines.push_back({r.position, r.message});
    }
    // In the order of the text; what has no position last.
    std::stable_sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) {
        return unsigned(a.position) < unsigned(b.position);
    });
    QStringList report;
    for (const Line& l : lines) {
        if (l.position < 0 || l.position > text.size()) {
            report << l.message;
            continue;
        }
        int line = 1;
        int column = 1;
        for (int i = 0; i < l.position; ++i) {
            if (text[i] == u'\n') {
                ++line;
                column = 1;
            } else {
                ++column;
            }
        }
        report << QStringLiteral("%1:%2: %3").arg(line).arg(column).arg(l.message);
    }
    return report;
}

}  // namespace toliva
