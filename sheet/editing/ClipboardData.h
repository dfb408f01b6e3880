// Equations to and from the clipboard and dropped data, with no window: the
// reader of each format, the data and the text a copy puts on the clipboard,
// and the tree work of copy, paste, plain-text paste and replace-all. The
// sheet (CKwEESheetClipboard.cpp) takes the undo steps and refreshes.
//
// Everything read here comes from other programs and is not trusted: a block
// that is too large, a count that the block cannot hold, a stream that does
// not load to its end or MathML that does not parse is refused as a whole,
// and the caller's equation is never touched by a reader.
#pragma once

#include "model/EqLayoutSettings.h"
#include "platform/SafeFile.h"
#include "sheet/editing/AutoFormat.h"
#include "sheet/editing/ClipboardFormats.h"
#include "sheet/editing/Selection.h"
#include "tex/TeXContext.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <functional>
#include <memory>

class QMimeData;

namespace toliva {

class EqModel;
struct EqElement;

// A block from outside larger than this is refused unread.
constexpr qsizetype kMaxClipboardBlockBytes = kMaxInputFileBytes;
// Plain text is pasted up to this many UTF-16 units; the rest is left out.
constexpr qsizetype kMaxPlainTextPaste = qsizetype(1) << 20;
// Brackets of pasted text nested deeper than this stay characters.
constexpr int kMaxPastedBracketDepth = 200;

// What the readers need of the program.
struct ClipboardReadContext {
    // The style of the equations made (null: the per-user defaults).
    const EqLayoutSettings* style = nullptr;
    // The LaTeX reader's names and labels (clipboard text).
    TeXReadContext tex;
    // The automatic upright rules applied to pasted text.
    AutoFormatContext autoFormat;
    // Reads the document file of an embedded equation object of the program
    // (kEmbeddedItemFormat); empty: such objects are not read.
    std::function<std::unique_ptr<EqModel>(const QByteArray& documentFile)> readEmbeddedItem;
};

// ---- readers: each gives a new equation, or null when the data is missing
// or refused.

// An archive stream that loads whole.
std::unique_ptr<EqModel> EquationFromNativeBytes(const QByteArray& bytes, const ClipboardReadContext& context);
// An int32 byte count n (0 <= n <= the bytes after it), then n bytes of an
// archive stream that loads whole.
std::unique_ptr<EqModel> EquationFromLiteBytes(const QByteArray& block, const ClipboardReadContext& context);
// MathML text up to its first zero byte (the whole block without one).
std::unique_ptr<EqModel> EquationFromMathMLBytes(const QByteArray& block, const ClipboardReadContext& context);

// An embedded equation object of the program in the data object, read with
// the context's reader.
std::unique_ptr<EqModel> EquationFromOleItem(const QMimeData& data, const ClipboardReadContext& context);
// The native format of the data object.
std::unique_ptr<EqModel> EquationFromNativeData(const QMimeData& data, const ClipboardReadContext& context);
// The lite format of the data object.
std::unique_ptr<EqModel> EquationFromLiteData(const QMimeData& data, const ClipboardReadContext& context);
// The MathML formats in the order the data object offers them; the first
// that reads wins.
std::unique_ptr<EqModel> EquationFromMathMLData(const QMimeData& data, const ClipboardReadContext& context);
// Non-empty text: as MathML when it reads as MathML, else through the LaTeX
// reader (whatever it reports); then every character element that the
// automatic upright rules select becomes upright.
std::unique_ptr<EqModel> EquationFromClipboardText(const QString& text, const ClipboardReadContext& context);
// What a drop brings: the native format, else MathML. Text is not dropped.
std::unique_ptr<EqModel> EquationFromDataObject(const QMimeData& data, const ClipboardReadContext& context);
// What a paste brings: the native format, MathML, text, the lite format, in
// this order.
std::unique_ptr<EqModel> EquationFromClipboardData(const QMimeData& data, const ClipboardReadContext& context);
// Whether the sheet takes a drop of the data: the native or a MathML format.
// Files (a list of addresses) are the frame's.
bool IsDroppableData(const QMimeData& data);

// ---- what a copy writes

// The clipboard data of a copied equation, for one write: the native format,
// then the metafile picture (left out when empty). Null when the equation
// cannot be written.
std::unique_ptr<QMimeData> EquationMimeData(EqModel* eq, const QByteArray& metafile);
// The LaTeX text of a copy: empty for an equation with only empty lines;
// else the lines between the delimiters of delimCode (0 "$$", 1 "$", 2 "\[",
// 3 "\(", 4 none, any other value "$$"), with line feeds inside the
// delimiters only when keepLineFeeds, the lines joined by a line feed, two
// backslashes and a line feed. The embedded item's LaTeX comments carry the
// same text.
QString ClipboardLaTeXText(const EqModel& eq, TeXWriteContext context, int delimCode, bool keepLineFeeds);
// Puts the text on the clipboard; an empty text does nothing.
void SetClipboardText(const QString& text);

// ---- tree work

// Fills target, which should be empty, with copies of the selection: a line
// head that starts the selection is skipped, every further head starts a new
// line. Then target takes the style. Nothing without a selection.
void CopySelectionToEquation(const SheetSelection& selection, EqModel* target, const EqLayoutSettings& style);
// Copies of source and the elements after it, linked after previous under
// parent, owned by eq; the copy of source (null without source).
EqElement* CopyChainAfter(const EqElement* source, EqElement* previous, EqElement* parent, EqModel* eq);
// Copies of every line of source at eq's caret. In a structure the lines go
// one after another; at the top level the first goes at the caret and every
// further one becomes a new line after the caret's. What followed the caret
// follows the last inserted element, which becomes the caret. Nothing (null)
// when source has no line, only one empty line, or would nest the tree
// deeper than an equation stream holds.
EqElement* InsertEquationLines(EqModel* eq, const EqModel& source);
// The same, but the elements of source move into eq instead of being
// copied (source is left without lines): for an equation read only to be
// inserted. Nothing moves when InsertEquationLines would insert nothing.
EqElement* MoveEquationLines(EqModel* eq, EqModel& source);

// The element type of a pasted character: 1042 + its place in the operator
// table, 506 + its place in the arrow table, -1 for any other character.
int CharToElementType(char16_t c);
// The index in chars of the closer that matches opener ("(", "[", "{"),
// counting only openers of the same kind; chars' length without one; -1 for
// any other opener.
qsizetype FindMatchingBracket(char16_t opener, QStringView chars);
// Types characters in at eq's caret: "(", "[", "{" become bracket structures
// (337, 338, 339) around what they enclose, the square root sign a radical
// (136), operator and arrow characters their elements; tab and unmatched
// ")", "]", "}" are skipped, every other character is an upright character.
// Nothing without a caret.
void InsertPlainText(EqModel* eq, SheetSelection& selection, QStringView text);
// The plain-text paste: in a structure only the first line of text; at the
// top level every line, with a line break after each line that ended with a
// line feed ("\r\n" counts as one). The text is cut at kMaxPlainTextPaste.
void PastePlainText(EqModel* eq, SheetSelection& selection, QStringView text);
// Replaces every complete run of patternLength marked elements by a copy of
// replacement, chain by chain; an incomplete run ends the walk of its chain.
// Returns how many runs were replaced.
int ReplaceMarkedRuns(EqModel* eq, SheetSelection& selection, int patternLength, const EqModel& replacement);
// Whether a move of the selection may drop at the caret: the caret (moved
// out of a calculation result) is no selected element and lies in no
// selected structure.
bool MayDropSelectionAtCaret(EqModel* eq, const SheetSelection& selection);

}  // namespace toliva
