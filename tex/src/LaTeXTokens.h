// The LaTeX reader's token tree (inside the tex library only).
//
// A segment is cut into tokens; a group's inside becomes the group's content
// sequence. Tokens live in one arena per segment, so freeing the tree never
// walks it; sequences are plain doubly linked lists.
#pragma once

#include "TeXInternal.h"

#include "LaTeXReader.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

namespace toliva {
class EqModel;
struct EqElement;
}

namespace toliva::latex {

// Token kinds.
enum TokenKind : int {
    TokNone = 0,         // ignored: control characters, commands without effect, consumed tokens
    TokBlank = 1,        // a blank
    TokChar = 2,         // value2 = the character
    TokSymbol = 3,       // a command or operator character: key (keyKind, value1, value2)
    TokUnknown = 4,      // a command the table does not know; text = its name
    TokSub = 5,          // '_'
    TokSup = 6,          // '^'
    TokGroup = 7,        // "{...}" (value1 0) or "$...$" (value1 1); content
    TokOptional = 8,     // "[...]" after a command that takes an optional argument; content
    TokEnvironment = 9,  // a paired \begin ... \end; env holds its rows and cells
    TokBracket = 10,     // a paired delimiter; value1 = left code * 256 + right code; content
    TokMiddle = 11,      // "\middle|"
    TokMacro = 32,       // a TeX label of a stored formula; value2 = its index
    TokColor = 208,      // "\color"
    TokLimits = 253,     // "\limits"
    TokNoLimits = 254,   // "\nolimits"
    TokNot = 255,        // "\not"
    TokCell = 256,       // '&'
    TokLineBreak = 257,  // "\\"
    TokHLine = 258,
    TokVLine = 259,
    TokHDashLine = 260,
    TokVDashLine = 261,
    TokInfix = 262,      // a two-part form ("a \over b", \genfrac); content = its two parts; value1 = InfixForm,
                         // value2 = left code * 256 + right code of its delimiters when flags is 1
    TokBegin = 512,      // "\begin"; after the environment pass 512 + the environment code
    TokEnd = 768,        // "\end"; likewise 768 + code
    TokLeft = 1024,      // "\left"; value1 = the delimiter code
    TokRight = 1280,     // "\right"
    TokNameLeft = 1281,  // delimiter names: \lfloor, \lbrace, ...
    TokNameRight = 1296, // \rfloor, \rbrace, ...
};

// Fixed-size delimiter words (\Biggl, \bigr, \big, ...).
inline bool isFixedLeftKind(int k) { return k == 1312 || k == 1344 || k == 1376 || k == 1408; }
inline bool isFixedRightKind(int k) { return k == 1328 || k == 1360 || k == 1392 || k == 1424; }
inline bool isSelfPairKind(int k) { return k == 1317 || k == 1349 || k == 1425 || k == 1426; }
inline bool isFixedKind(int k) { return isFixedLeftKind(k) || isFixedRightKind(k) || isSelfPairKind(k); }

// No delimiter followed a delimiter word.
constexpr int kNoDelimiter = 255;

// Flags of bracket tokens.
enum BracketFlags : int {
    BracketLenient = 1,    // made of delimiter names or fixed-size words, not \left/\right
    BracketHalfLeft = 2,   // an opening word that found no partner; holds the rest of its sequence
    BracketHalfRight = 4,  // a closing word that found no partner; empty
};

// Flag of a group token: math ("$...$", "\(...\)") inside the argument of a
// text command. Its content is math again: the text's style stops there.
constexpr int kMathInText = 8;
// Flag of a token read inside the argument of a text command: a blank there
// is a space.
constexpr int kReadAsText = 16;

// Whether a command of the name table (kind, value1, name) sets its
// argument as text: blanks are spaces and characters stand for themselves.
bool IsTextStyleCommand(int kind, int value1, QStringView name);

// The element forms of two-part tokens.
enum InfixForm : int {
    InfixFraction = 0,       // with a bar
    InfixSmallFraction = 1,  // with a bar, in text size
    InfixStack = 2,          // without a bar: a column of the two parts
};

struct LaTeXToken;

// The rows and cells of an environment, filled by the tree passes.
struct Environment {
    int code = 0;  // environment code (1-16)
    std::vector<std::vector<LaTeXToken*>> rows;  // each cell is a group token
    uint8_t rules[32] = {};
    bool hasRules = false;
    int align = -1;  // alignment of a column format (0 c, 1 l, 2 r), -1 none
    int bracket = -1;  // the enclosing bracket type when it is not the code's own, -1 the code's
    bool ruleBefore = false;  // a column format with a rule before its first column ("{|c|c}")
    bool ruleAfter = false;   // ... after its last column
};

struct LaTeXToken {
    int kind = TokNone;
    int keyKind = 0;
    int value1 = 0;
    int value2 = 0;
    int flags = 0;
    int style = 0;  // style mark of the style commands
    int pos = 0;    // where the token starts in the segment's text
    int end = 0;    // where it ends (after a group's closing character)
    QString text;   // a command's name
    LaTeXToken* parent = nullptr;  // the token whose content sequence holds this one
    LaTeXToken* prev = nullptr;
    LaTeXToken* next = nullptr;
    LaTeXToken* content = nullptr;
    std::unique_ptr<Environment> env;

    bool hasKey(int kk, int v1) const { return kind == TokSymbol && keyKind == kk && value1 == v1; }
    bool isOperatorSymbol() const { return kind == TokSymbol && keyKind == 3 && value1 >= 1042 && value1 <= 1289; }
    bool isBraceGroup() const { return kind == TokGroup && value1 == 0; }
};

// Blanks and ignored tokens are not significant.
inline bool isSignificant(const LaTeXToken* t) { return t->kind != TokNone && t->kind != TokBlank; }
inline LaTeXToken* skipInsignificant(LaTeXToken* t) {
    while (t && !isSignificant(t)) t = t->next;
    return t;
}
inline LaTeXToken* lastOf(LaTeXToken* first) {
    while (first && first->next) first = first->next;
    return first;
}

// A failure of a segment (what and where), and the names the reader did not
// know there.
struct SegmentError {
    bool failed = false;
    QString message;
    int position = -1;
    QStringList unknown;  // "\name" of commands kept as text, "{name}" of ignored environments
    QList<int> unknownAt;  // where each entry of unknown was first met, -1 when not known
    // What was read otherwise than written, with where it stands (a "{"
    // without its "}" kept as a character); the segment still converts.
    std::vector<LaTeXReadProblem> problems;

    void noteUnknown(const QString& name, int position) {
        if (unknown.contains(name)) return;
        unknown << name;
        unknownAt << position;
    }

    void note(const QString& what, int where) { problems.push_back({what, where}); }

    void fail(const QString& what, int where) {
        if (failed) return;
        failed = true;
        message = what;
        position = where;
    }
};

// The tokens of one segment.
class TokenTree {
public:
    // root is a group token whose content is the segment's sequence.
    TokenTree();
    LaTeXToken* root() { return m_root; }
    // A token counted against the cap (the tokeniser's).
    LaTeXToken* make(int kind, int pos);
    // A token of the tree passes (cells); not counted.
    LaTeXToken* makeExtra(int kind, int pos);
    int count() const { return m_count; }
    bool full() const { return m_count >= kLaTeXTokenCap; }

private:
    std::deque<LaTeXToken> m_tokens;
    LaTeXToken* m_root = nullptr;
    int m_count = 0;
};

// Cuts a segment into tokens under tree.root(); token positions count from
// the segment's start; names and labels come from the context. Sets
// *truncatedAt to where the cap cut the text (-1 when it did not); fails the
// segment when groups nest too deeply.
void TokenizeLaTeX(TokenTree& tree, QStringView text, const TeXReadContext& context, int* truncatedAt,
                   SegmentError* error);

// The four tree passes, in order; false (with the reason) when one fails.
// text is the segment the tokens were made of; cutAt is where the token cap
// cut it (-1 when it did not), so that a partner lost to the cut is reported
// as the cap reached.
bool RunLaTeXTreePasses(TokenTree& tree, QStringView text, int cutAt, SegmentError* error);

// The source text of a group's inside.
QStringView GroupText(const LaTeXToken* group, QStringView text);

// Takes t out of its sequence (its neighbours are joined).
void UnlinkToken(LaTeXToken* t);
// Moves the run first..last (inclusive, of one sequence) to the end of
// owner's content; the sequence it came from is closed up.
void MoveIntoContent(LaTeXToken* owner, LaTeXToken* first, LaTeXToken* last);
// Puts the content of t in t's place and unlinks t.
void SpliceContent(LaTeXToken* t);

// Builds the token tree of a segment into a new line (or lines) at the end of
// eq. text is the segment the tokens were made of. False when the structure
// nests too deeply: the lines added are then incomplete.
bool BuildLaTeXLine(EqModel* eq, TokenTree& tree, QStringView text, SegmentError* report);

// Joins a left-only bracket whose chain starts with a right-only bracket
// into one bracket, over every chain of the line.
void MergeHalfBrackets(EqElement* lineHead);

}  // namespace toliva::latex
