// The walk of the MathML reader over one "math" element: element by element
// into the element types of the equation. Internal to the reader.
#pragma once

#include "TeXInternal.h"

#include "MathMLReadTables.h"
#include "tex/MathML.h"

#include <QString>
#include <QStringList>

#include <pugixml.hpp>

#include <string>
#include <vector>

namespace toliva {
class EqModel;
struct EqElement;
}  // namespace toliva

namespace toliva::mathmlread {

// The next sibling that is an element (text between elements is ignored).
pugi::xml_node nextElement(pugi::xml_node node);
pugi::xml_node firstElement(pugi::xml_node node);
// Child element i (from 0), or none.
pugi::xml_node elementAt(pugi::xml_node node, int i);
bool nameIs(pugi::xml_node node, const char16_t* name);
// The token text as written: surrounding white space removed, inner runs
// collapsed to one blank; no look-alike replacement. written, when given,
// receives the length of the text before white space was collapsed.
std::u16string rawTokenText(pugi::xml_node node, qsizetype* written = nullptr);
// The text with look-alike characters replaced (LookAlike).
std::u16string withLookAlikes(std::u16string text);
// The value of an attribute, or fallback when it is missing.
QString attribute(pugi::xml_node node, const char* name, const QString& fallback = QString());

class TreeReader {
public:
    explicit TreeReader(EqModel* eq) : m_eq(eq) {}

    // Reads node after the element after and, with cont, its following
    // siblings. Returns the last element built (after when none).
    EqElement* read(pugi::xml_node node, EqElement* after, bool cont);

    // What was left out, for the caller's message; empty when nothing was.
    QString report() const;
    // What was read otherwise than written, in the order met.
    const std::vector<MathMLReadProblem>& problems() const { return m_problems; }

    // True once the element or text budget was reached (kMaxMathMLElements,
    // kMaxMathMLText): nothing more is read.
    bool full() const { return m_elementsFull || m_textFull; }
    // A new line at the end of the equation, counted against the element
    // budget; null when the budget is reached.
    EqElement* newLine();

private:
    // One node read: the last element built and the last XML node consumed
    // (a node can take its following siblings as arguments).
    struct Step {
        EqElement* last;
        pugi::xml_node node;
    };
    enum class TokenKind { Identifier, Number, Text };

    Step one(pugi::xml_node node, EqElement* after, bool cont);

    // New elements and chains.
    EqElement* link(EqElement* after, int type, uint16_t ch = 0);
    EqElement* newChain(EqElement* owner, bool front = false);
    // A new child chain of owner holding node (and with cont its siblings).
    EqElement* chainWith(EqElement* owner, pugi::xml_node node, bool cont, bool front = false);

    EqElement* structure(pugi::xml_node node, EqElement* after, int type, int count);
    void arrowRule(EqElement* e);
    Step fraction(pugi::xml_node node, EqElement* after);
    Step scripts(pugi::xml_node node, EqElement* after, int type);
    Step limits(pugi::xml_node node, EqElement* after, int limitCount, bool underOver, bool cont);
    Step multiscripts(pugi::xml_node node, EqElement* after);
    EqElement* scriptPair(EqElement* after, pugi::xml_node sub, pugi::xml_node sup, bool pre);
    Step over(pugi::xml_node node, EqElement* after);
    Step under(pugi::xml_node node, EqElement* after, bool cont);
    Step accent(pugi::xml_node node, EqElement* after, bool underSide, bool attributeTrue);
    Step space(pugi::xml_node node, EqElement* after);
    Step fenced(pugi::xml_node node, EqElement* after);
    Step table(pugi::xml_node node, EqElement* after);
    // The children of an mphantom, given the phantom kind.
    EqElement* phantom(pugi::xml_node node, EqElement* after, int8_t kind);
    // An element read as its content that is no row or style: reported once
    // per name.
    void noteUnknown(pugi::xml_node node, const QString& name);
    Step longDivision(pugi::xml_node node, EqElement* after);
    Step token(pugi::xml_node node, EqElement* after, TokenKind kind);
    Step operatorToken(pugi::xml_node node, EqElement* after, bool cont);
    // A token from its text, already taken from the text budget.
    Step tokenFrom(pugi::xml_node node, EqElement* after, TokenKind kind, const std::u16string& text);
    EqElement* tokenCharacter(EqElement* after, char16_t c, int type, Alphabet alphabet);
    // The token text of node (rawTokenText), taken from the text budget: cut
    // where the budget ran out.
    std::u16string readTokenText(pugi::xml_node node);

    // Whether n more elements fit the element budget; when they do not, the
    // budget is marked reached.
    bool roomFor(qsizetype n);
    // Takes written characters of token text from the text budget; returns
    // how many of them fit (all, or what was left when it was reached).
    qsizetype takeText(qsizetype written);

    EqModel* m_eq;
    qsizetype m_elements = 0;  // elements built, chains and lines included
    qsizetype m_text = 0;      // characters of token text read
    bool m_elementsFull = false;
    bool m_textFull = false;
    int m_depth = 0;
    bool m_tooDeep = false;
    bool m_tableCut = false;
    std::vector<MathMLReadProblem> m_problems;
    QStringList m_unknown;
};

}  // namespace toliva::mathmlread
