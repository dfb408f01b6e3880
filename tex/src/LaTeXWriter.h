// The LaTeX writer: turns element chains into LaTeX source text.
//
// The writer works element by element along a chain and chooses the output
// by the element type code. It only reads the tree; nothing in the model is
// changed by writing. Names of operators, characters and glyph symbols come
// from the TeX name table of the context.
#pragma once

#include "TeXInternal.h"

#include "tex/TeXContext.h"

#include <QList>
#include <QString>

#include <cstdint>

namespace toliva {

struct EqElement;

// ---- Chains and elements -------------------------------------------------

// Appends the LaTeX of e to out. With cont set, goes on along e's chain to
// its end; writing a whole chain means calling this on the chain's head with
// colourGroupOpen false. colourGroupOpen tells that a colour group opened by
// the element before e is still open. Without cont only e (with the elements
// its writer consumes) is written and every group it opened is closed again.
void WriteLaTeX(const TeXWriteContext& ctx, const EqElement* e, QString* out, bool colourGroupOpen, bool cont);

// The LaTeX of a whole chain, from its head.
QString LaTeXChainText(const TeXWriteContext& ctx, const EqElement* head);
// The LaTeX of e's child chain i (1-based) with one trailing blank removed;
// empty when e has no such chain.
QString LaTeXChildText(const TeXWriteContext& ctx, const EqElement* e, int i);

// The element's own text (before phantoms, alignment markers and colours).
// *last receives the last element used (the end of a character run).
QString LaTeXElementText(const TeXWriteContext& ctx, const EqElement* e, const EqElement** last);

// Removes one trailing blank, unless it belongs to a control space "\ ".
void ChopTrailingBlank(QString* text);

// "x" for a one-character text other than the apostrophe, else "{x}".
QString LaTeXBareArgument(const QString& text);

// Mode 0: the colour prefix "{\color{name} " or "{\color[RGB]{r, g, b} ";
// mode 1: the colour option "[name]" or "[r, g, b]".
QString LaTeXColourText(uint32_t argb, int mode);

// ---- Characters and spaces ------------------------------------------------

// Class codes of WriteLaTeXChar: the class decides which neighbours form one
// run. 1-4, 16 and 17 follow the character type; the others never join runs.
enum LaTeXCharClass : int {
    LaTeXClassUpright = 1,
    LaTeXClassItalic = 2,
    LaTeXClassBold = 3,
    LaTeXClassBoldItalic = 4,
    LaTeXClassText = 5,
    LaTeXClassAlone = 6,        // spaces, punctuation and escaped characters
    LaTeXClassGreekUpright = 7, // upright Greek capitals of type 1
    LaTeXClassNamedSymbol = 8,  // characters named by a kind-6 entry
    LaTeXClassSans = 16,
    LaTeXClassMono = 17,
};

// Text and class of one character (types 1-5, 16, 17) or space (96-105).
QString WriteLaTeXChar(const TeXWriteContext& ctx, const EqElement* e, int* classCode);
// Writes the character run that starts at first (its text, wrapped by its
// class, with the first element's accents) and returns the last element used.
const EqElement* WriteLaTeXCharRun(const TeXWriteContext& ctx, const EqElement* first, QString* text);
// The function-name rule of upright runs. literal marks the characters of
// text that stand for themselves (names are searched only among those); an
// empty mask marks every character literal.
QString LaTeXFunctionNames(const QString& text, const QList<bool>& literal = {});
// Wraps text in the accent commands of e's payload, in payload order.
QString ApplyLaTeXAccents(const EqElement* e, const QString& text);

// ---- Brackets and matrices ------------------------------------------------

// The text of one delimiter code on the left or right side. *sideWord tells
// whether the text carries \left or \right.
QString LaTeXDelimiterText(int code, bool leftSide, bool* sideWord = nullptr);
void WriteLaTeXBracket(const TeXWriteContext& ctx, const EqElement* e, QString* text);
void WriteLaTeXMatrix(const TeXWriteContext& ctx, const EqElement* e, QString* text);

// Alignment markers that elements of an aligned block carry until the matrix
// writer resolves them per row.
inline const QString kLaTeXAlignMarker = QStringLiteral("&&$$&&");
inline const QString kLaTeXRelationMarker = QStringLiteral("&&**&&");
// Resolves the markers of one row of an aligned block.
QString ResolveLaTeXAlignMarkers(const QString& row);

// ---- Symbols, operators, decorations, big operators -----------------------

void WriteLaTeXOperator(const TeXWriteContext& ctx, const EqElement* e, QString* text);
void WriteLaTeXArrow(const EqElement* e, QString* text);
void WriteLaTeXGlyph(const TeXWriteContext& ctx, const EqElement* e, QString* text);
void WriteLaTeXDecoration(const TeXWriteContext& ctx, const EqElement* e, QString* text);
void WriteLaTeXBigOperator(const TeXWriteContext& ctx, const EqElement* e, QString* text);
void WriteLaTeXIntegral(const TeXWriteContext& ctx, const EqElement* e, QString* text);
// command plus the limits and operand by e's number of child chains.
void WriteLaTeXLimits(const TeXWriteContext& ctx, const EqElement* e, const QString& command, QString* text);

// The command of a big operator or integral type.
QString LaTeXBigOperatorCommand(int type);
QString LaTeXIntegralCommand(int type);

}  // namespace toliva
