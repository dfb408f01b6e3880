#include "sheet/editing/ClipboardData.h"

#include "model/EqModel.h"
#include "model/EqStream.h"
#include "model/EqTreeOps.h"
#include "model/ShapeObject.h"
#include "platform/Archive.h"
#include "platform/ClipboardService.h"
#include "sheet/editing/EditOps.h"
#include "tex/LaTeX.h"
#include "tex/MathML.h"

#include <QImage>
#include <QMimeData>
#include <QtEndian>

#include <algorithm>
#include <unordered_set>
#include <utility>
#include <vector>

namespace toliva {

namespace {

std::unique_ptr<EqModel> newEquation(const ClipboardReadContext& context) {
    return context.style ? std::make_unique<EqModel>(*context.style) : std::make_unique<EqModel>();
}

// The nesting of the chain that holds e: 0 in a top-level line.
int chainDepthOf(const EqElement* e) {
    int depth = 0;
    for (const EqElement* p = e ? e->parent : nullptr; p; p = p->parent) ++depth;
    return depth;
}

// The deepest chain nesting of the equation's lines.
int treeDepthOf(const EqModel& eq) {
    int deepest = 0;
    std::vector<std::pair<const EqElement*, int>> todo;
    for (const EqElement* line : eq.lines) todo.emplace_back(line, 0);
    while (!todo.empty()) {
        const auto [chain, depth] = todo.back();
        todo.pop_back();
        deepest = std::max(deepest, depth);
        for (const EqElement* e = chain; e; e = e->next)
            for (const EqElement* child : e->children) todo.emplace_back(child, depth + 1);
    }
    return deepest;
}

// Copies of source and the elements after it linked after at (the end of
// its chain); the last copy, at when there is no source.
EqElement* copyRunAfter(const EqElement* source, EqElement* at, EqModel* eq) {
    for (const EqElement* s = source; s; s = s->next) {
        EqElement* copy = CopyElementTree(s, eq);
        LinkAfter(at, copy);
        at = copy;
    }
    return at;
}

// Moves the run after source's head behind at (the end of its chain) into
// eq: the elements become eq's and lose what layout made of them. The last
// element moved, at when there is none.
EqElement* moveRunAfter(EqElement* sourceHead, EqElement* at, EqModel* eq) {
    EqElement* first = sourceHead->next;
    if (!first) return at;
    DetachRun(first);
    std::vector<EqElement*> todo{first};
    while (!todo.empty()) {
        EqElement* chain = todo.back();
        todo.pop_back();
        for (EqElement* e = chain; e; e = e->next) {
            e->owner = eq;
            e->font = nullptr;
            e->shape.reset();
            e->lineBitmap.reset();
            for (EqElement* child : e->children) todo.push_back(child);
        }
    }
    InsertRunAfter(at, first);
    return FindChainEnd(first);
}

// Places the lines of source at eq's caret, each line's run by place(source
// head, element to follow, eq); see InsertEquationLines.
template <typename Place>
EqElement* placeLines(EqModel* eq, const EqModel& source, Place place) {
    if (!eq || source.lines.empty() || (source.lines.size() == 1 && !source.lines.front()->next)) return nullptr;
    if (!GetEquationCaret(eq)) SetEquationCaret(eq, nullptr);
    EqElement* at = GetEquationCaret(eq);
    if (!at) return nullptr;
    // A tree nested deeper than an equation stream holds could not be
    // saved again (nor undone).
    if (chainDepthOf(at) + treeDepthOf(source) > kMaxStreamDepth) return nullptr;

    EqElement* rest = at->next ? DetachRun(at->next) : nullptr;
    EqElement* last = at;
    if (at->parent) {
        // In a structure the lines go one after another.
        for (EqElement* line : source.lines) last = place(line, last, eq);
    } else {
        // Every further line becomes a line of its own after the caret's.
        std::vector<EqElement*> added;
        added.reserve(source.lines.size() - 1);
        for (size_t i = 0; i < source.lines.size(); ++i) {
            if (i > 0) {
                added.push_back(NewChildChain(nullptr, eq, ChainDetached));
                last = added.back();
            }
            last = place(source.lines[i], last, eq);
        }
        const auto line = std::find(eq->lines.begin(), eq->lines.end(), FindChainStart(at));
        eq->lines.insert(line == eq->lines.end() ? line : line + 1, added.begin(), added.end());
    }
    if (rest) InsertRunAfter(last, rest);
    InvalidateLineCache(eq, at);
    eq->needsLayout = 1;
    SetEquationCaret(eq, last);
    return last;
}

// Every character element that the automatic upright rules select becomes
// upright.
void applyUprightRules(EqModel* eq, const AutoFormatContext& context) {
    std::vector<EqElement*> todo(eq->lines.begin(), eq->lines.end());
    while (!todo.empty()) {
        EqElement* chain = todo.back();
        todo.pop_back();
        for (EqElement* e = chain; e; e = e->next) {
            if (IsAutoUprightCharacter(context, e)) e->type = EqTypeCharUpright;
            for (EqElement* child : e->children) todo.push_back(child);
        }
    }
}

bool isMathMLFormat(const QString& format) {
    return std::find(std::begin(kMathMLFormats), std::end(kMathMLFormats), format) != std::end(kMathMLFormats);
}

// A format's bytes; empty when missing or larger than a block may be.
QByteArray blockOf(const QMimeData& data, const QString& format) {
    if (!data.hasFormat(format)) return {};
    QByteArray block = data.data(format);
    if (block.size() > kMaxClipboardBlockBytes) return {};
    return block;
}

// The operator table (type 1042 + place) and the arrow table (506 + place);
// "." marks a place without a character.
constexpr char16_t kOperatorChars[] =
    u"+-\u2022\u00D7.\u00B1\u00F7=..~\u2248.\u2261..\u2260\u221D<>\u2264\u2265\u00AB\u00BB....\u2295.\u2299\u00F8"
    u".\u222A.\u2229....\u2208......\u00AC\u2235\u2234\u02C4\u02C5\u22A5\u2225\u2220..\u25A1.\u25CB\u25B3\u25C7"
    u"\u223D\u224C......\u25CE.";
constexpr char16_t kArrowChars[] = u"\u2192\u2197\u2191\u2196\u2190\u2199\u2193\u2198\u2194.\u2195";
static_assert(std::size(kOperatorChars) == 72 + 1, "the operator table has 72 places");
static_assert(std::size(kArrowChars) == 11 + 1, "the arrow table has 11 places");

constexpr int32_t kParenthesesType = 337;
constexpr int32_t kSquareBracketsType = 338;
constexpr int32_t kBracesType = 339;
constexpr char16_t kSquareRoot = u'\u221A';

bool isInsertedElementType(int type) {
    return (type >= EqTypeOperatorFirst && type <= EqTypeOperatorLast) || (type >= 506 && type <= 516);
}

// Inserts the run at the caret; depth counts the brackets opened around it,
// caretDepth the nesting of the chain the first of them stands in.
void insertRun(EqModel* eq, SheetSelection& selection, QStringView run, int depth, int caretDepth) {
    for (qsizetype i = 0; i < run.size(); ++i) {
        const char16_t c = run[i].unicode();
        const int32_t bracket = c == u'(' ? kParenthesesType : c == u'[' ? kSquareBracketsType
                                                          : c == u'{' ? kBracesType : 0;
        // Deeper brackets would nest the tree deeper than a stream holds.
        if (bracket && depth < kMaxPastedBracketDepth && caretDepth + depth + 1 <= kMaxStreamDepth) {
            const QStringView rest = run.mid(i + 1);
            const qsizetype inside = FindMatchingBracket(c, rest);
            EqElement* structure = InsertKey(eq, selection, InsertionKey{bracket, 0});
            if (!structure) return;
            insertRun(eq, selection, rest.left(inside), depth + 1, caretDepth);
            SetEquationCaret(eq, structure);
            i += inside + 1;  // past the enclosed characters and the closer
            continue;
        }
        if (c == kSquareRoot) {
            if (EqElement* root = InsertKey(eq, selection, InsertionKey{EqTypeSqrt, 0})) SetEquationCaret(eq, root);
            continue;
        }
        const int type = CharToElementType(c);
        if (isInsertedElementType(type)) {
            if (EqElement* e = InsertKey(eq, selection, InsertionKey{type, 0})) SetEquationCaret(eq, e);
            continue;
        }
        if (c == u'\t' || c == u')' || c == u']' || c == u'}') continue;
        InsertKey(eq, selection, InsertionKey{EqTypeCharUpright, c});
    }
}

}  // namespace

// ---- readers

std::unique_ptr<EqModel> EquationFromNativeBytes(const QByteArray& bytes, const ClipboardReadContext& context) {
    if (bytes.isEmpty() || bytes.size() > kMaxClipboardBlockBytes) return nullptr;
    std::unique_ptr<EqModel> eq = newEquation(context);
    if (!LoadEquationAtomically(eq.get(), bytes)) return nullptr;
    return eq;
}

std::unique_ptr<EqModel> EquationFromLiteBytes(const QByteArray& block, const ClipboardReadContext& context) {
    constexpr qsizetype kCountBytes = 4;
    if (block.size() < kCountBytes || block.size() > kMaxClipboardBlockBytes) return nullptr;
    const qint32 count = qFromLittleEndian<qint32>(block.constData());
    // The count comes from another program: it must fit the block.
    if (count < 0 || count > block.size() - kCountBytes) return nullptr;
    return EquationFromNativeBytes(block.mid(kCountBytes, count), context);
}

std::unique_ptr<EqModel> EquationFromMathMLBytes(const QByteArray& block, const ClipboardReadContext& context) {
    if (block.size() > kMaxClipboardBlockBytes) return nullptr;
    // The text ends at its zero, or with the block when it has none.
    qsizetype size = block.indexOf('\0');
    if (size < 0) size = block.size();
    if (size == 0) return nullptr;
    MathMLReader reader;
    MathMLReadResult read = context.style ? ReadMathML(reader, block.constData(), size_t(size), *context.style)
                                          : ReadMathML(reader, block.constData(), size_t(size));
    if (!read.ok || !read.equation) return nullptr;
    return std::move(read.equation);
}

std::unique_ptr<EqModel> EquationFromNativeData(const QMimeData& data, const ClipboardReadContext& context) {
    return EquationFromNativeBytes(blockOf(data, kNativeClipboardFormat), context);
}

std::unique_ptr<EqModel> EquationFromLiteData(const QMimeData& data, const ClipboardReadContext& context) {
    return EquationFromLiteBytes(blockOf(data, kLiteClipboardFormat), context);
}

std::unique_ptr<EqModel> EquationFromMathMLData(const QMimeData& data, const ClipboardReadContext& context) {
    for (const QString& format : data.formats()) {
        if (!isMathMLFormat(format)) continue;
        if (std::unique_ptr<EqModel> eq = EquationFromMathMLBytes(blockOf(data, format), context)) return eq;
    }
    return nullptr;
}

std::unique_ptr<EqModel> EquationFromClipboardText(const QString& text, const ClipboardReadContext& context) {
    if (text.isEmpty()) return nullptr;
    // MathML first, as UTF-16 with its byte-order mark so that the parser
    // cannot take it for anything else.
    QByteArray utf16;
    utf16.reserve((text.size() + 1) * 2);
    const char16_t bom = u'\uFEFF';
    utf16.append(reinterpret_cast<const char*>(&bom), 2);
    utf16.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    if (utf16.size() <= qsizetype(kMaxMathMLInputSize)) {
        MathMLReader reader;
        MathMLReadResult read = context.style ? ReadMathML(reader, utf16.constData(), size_t(utf16.size()), *context.style)
                                              : ReadMathML(reader, utf16.constData(), size_t(utf16.size()));
        if (read.ok && read.equation) return std::move(read.equation);
    }
    std::unique_ptr<EqModel> eq = newEquation(context);
    // The equation is kept whatever the reader reports.
    ReadLaTeXDocument(text, eq.get(), context.tex);
    applyUprightRules(eq.get(), context.autoFormat);
    return eq;
}

std::unique_ptr<EqModel> EquationFromOleItem(const QMimeData& data, const ClipboardReadContext& context) {
    if (!context.readEmbeddedItem || !data.hasFormat(kEmbeddedItemFormat)) return nullptr;
    return context.readEmbeddedItem(data.data(kEmbeddedItemFormat));
}

std::unique_ptr<EqModel> EquationFromDataObject(const QMimeData& data, const ClipboardReadContext& context) {
    if (std::unique_ptr<EqModel> eq = EquationFromNativeData(data, context)) return eq;
    if (std::unique_ptr<EqModel> eq = EquationFromOleItem(data, context)) return eq;
    return EquationFromMathMLData(data, context);
}

std::unique_ptr<EqModel> EquationFromClipboardData(const QMimeData& data, const ClipboardReadContext& context) {
    if (std::unique_ptr<EqModel> eq = EquationFromNativeData(data, context)) return eq;
    if (std::unique_ptr<EqModel> eq = EquationFromOleItem(data, context)) return eq;
    if (std::unique_ptr<EqModel> eq = EquationFromMathMLData(data, context)) return eq;
    if (HoldsText(data)) {
        if (std::unique_ptr<EqModel> eq = EquationFromClipboardText(data.text(), context)) return eq;
    }
    return EquationFromLiteData(data, context);
}

bool IsDroppableData(const QMimeData& data) {
    if (data.hasFormat(kNativeClipboardFormat) || data.hasFormat(kEmbeddedItemFormat)) return true;
    return std::any_of(std::begin(kMathMLFormats), std::end(kMathMLFormats),
                       [&](const QString& format) { return data.hasFormat(format); });
}

// ---- what a copy writes

std::unique_ptr<QMimeData> EquationMimeData(EqModel* eq, const QByteArray& metafile) {
    if (!eq) return nullptr;
    QByteArray bytes;
    try {
        bytes = EquationToBytes(eq);
    } catch (const ArchiveException&) {
        return nullptr;
    }
    auto mime = std::make_unique<QMimeData>();
    mime->setData(kNativeClipboardFormat, bytes);
    if (!metafile.isEmpty()) mime->setData(kMetafileFormat, metafile);
    return mime;
}

QString ClipboardLaTeXText(const EqModel& eq, TeXWriteContext context, int delimCode, bool keepLineFeeds) {
    if (IsEquationEmpty(&eq)) return {};
    context.delimiters = delimCode;
    context.delimiterLineFeeds = keepLineFeeds;
    return EquationToLaTeX(eq, context);
}

void SetClipboardText(const QString& text) {
    if (!text.isEmpty()) clipboardService().setText(text);
}

// ---- tree work

void CopySelectionToEquation(const SheetSelection& selection, EqModel* target, const EqLayoutSettings& style) {
    if (!target || !selection.exists()) return;
    const std::unordered_set<const EqElement*> selected(selection.items.begin(), selection.items.end());
    auto first = selection.items.begin();
    if ((*first)->type == EqTypeChainHead) ++first;
    EqElement* last = AddEmptyLine(target);
    for (auto it = first; it != selection.items.end(); ++it) {
        const EqElement* e = *it;
        if (e->type == EqTypeChainHead) {
            last = AddEmptyLine(target);
            continue;
        }
        // An element inside a selected structure comes with the structure.
        bool inner = false;
        for (const EqElement* p = e->parent; p && !inner; p = p->parent) inner = selected.count(p) != 0;
        if (inner) continue;
        EqElement* copy = CopyElementTree(e, target);
        LinkAfter(last, copy);
        last = copy;
    }
    target->settings = style;
    target->needsLayout = 1;
    SetEquationCaret(target, nullptr);
}

EqElement* CopyChainAfter(const EqElement* source, EqElement* previous, EqElement* parent, EqModel* eq) {
    if (!source || !eq) return nullptr;
    EqElement* first = CopyElementTree(source, eq);
    first->parent = parent;
    if (previous) {
        first->prev = previous;
        previous->next = first;
    }
    copyRunAfter(source->next, first, eq);
    return first;
}

EqElement* InsertEquationLines(EqModel* eq, const EqModel& source) {
    return placeLines(eq, source, [](const EqElement* head, EqElement* at, EqModel* into) {
        return copyRunAfter(head->next, at, into);
    });
}

EqElement* MoveEquationLines(EqModel* eq, EqModel& source) {
    EqElement* last = placeLines(eq, source, moveRunAfter);
    // Only the empty heads are left.
    if (last) ClearEquation(&source);
    return last;
}

int CharToElementType(char16_t c) {
    if (c == u'.') return -1;
    for (size_t i = 0; i + 1 < std::size(kOperatorChars); ++i)
        if (kOperatorChars[i] == c) return EqTypeOperatorFirst + int(i);
    for (size_t i = 0; i + 1 < std::size(kArrowChars); ++i)
        if (kArrowChars[i] == c) return EqTypeArrowSymbolFirst + int(i);
    return -1;
}

qsizetype FindMatchingBracket(char16_t opener, QStringView chars) {
    const char16_t closer = opener == u'(' ? u')' : opener == u'[' ? u']' : opener == u'{' ? u'}' : 0;
    if (!closer) return -1;
    int depth = 1;
    for (qsizetype i = 0; i < chars.size(); ++i) {
        const char16_t c = chars[i].unicode();
        if (c == opener) {
            ++depth;
        } else if (c == closer) {
            if (depth == 1) return i;
            --depth;
        }
    }
    return chars.size();
}

void InsertPlainText(EqModel* eq, SheetSelection& selection, QStringView text) {
    if (!eq) return;
    EqElement* caret = GetEquationCaret(eq);
    if (!caret) return;
    insertRun(eq, selection, text, 0, chainDepthOf(caret));
}

void PastePlainText(EqModel* eq, SheetSelection& selection, QStringView text) {
    if (!eq || !GetEquationCaret(eq)) return;
    text = text.left(kMaxPlainTextPaste);
    const auto withoutReturn = [](QStringView line) {
        return line.endsWith(u'\r') ? line.chopped(1) : line;
    };
    if (GetEquationCaret(eq)->parent) {
        // A structure takes the first line only.
        const qsizetype end = text.indexOf(u'\n');
        InsertPlainText(eq, selection, end < 0 ? text : withoutReturn(text.left(end)));
        return;
    }
    for (qsizetype start = 0;;) {
        const qsizetype end = text.indexOf(u'\n', start);
        if (end < 0) {
            InsertPlainText(eq, selection, text.mid(start));
            return;
        }
        InsertPlainText(eq, selection, withoutReturn(text.mid(start, end - start)));
        BreakLine(eq, selection);
        start = end + 1;
    }
}

namespace {

struct MarkedRunReplacer {
    EqModel* eq;
    SheetSelection& selection;
    int length;
    const EqModel& replacement;
    int replaced = 0;

    void walk(EqElement* e) {
        while (e) {
            if (e->type != EqTypeChainHead && e->mark) {
                EqElement* last = e;
                int count = 1;
                while (count < length && last->next && last->next->mark) {
                    last = last->next;
                    ++count;
                }
                // A run shorter than the pattern ends the walk of its chain.
                if (count < length) return;
                ClearSelection(eq, selection, false);
                SelectRun(selection, e, last);
                DeleteSelection(eq, selection);
                InsertEquationLines(eq, replacement);
                ++replaced;
                EqElement* caret = GetEquationCaret(eq);
                e = caret ? caret->next : nullptr;
                continue;
            }
            for (EqElement* child : e->children) walk(child);
            e = e->next;
        }
    }
};

}  // namespace

int ReplaceMarkedRuns(EqModel* eq, SheetSelection& selection, int patternLength, const EqModel& replacement) {
    if (!eq || patternLength < 1) return 0;
    MarkedRunReplacer replacer{eq, selection, patternLength, replacement};
    // Lines may be added on the way (a replacement of several lines).
    for (size_t i = 0; i < eq->lines.size(); ++i) replacer.walk(eq->lines[i]);
    return replacer.replaced;
}

bool MayDropSelectionAtCaret(EqModel* eq, const SheetSelection& selection) {
    if (!eq) return false;
    const EqElement* caret = GetEquationCaret(eq);
    if (!caret) return false;
    const std::unordered_set<const EqElement*> selected(selection.items.begin(), selection.items.end());
    for (const EqElement* e = caret; e; e = e->parent)
        if (selected.count(e)) return false;
    return true;
}

}  // namespace toliva
