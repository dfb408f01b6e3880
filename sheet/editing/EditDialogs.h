// The small modal dialogs the editing sheet opens: the one-line input, the
// matrix dialog, the matrix rule-line dialog, the symbol selection for big
// operators with their own outline, the equation settings and the print
// dialog. The sheet asks them through an EditDialogService that the shell
// hands it; tests hand it a scripted one. A sheet given none asks the
// service that tells the user the dialog is not available yet and answers
// Cancel: never a silent success.
#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

namespace toliva {

class EqModel;
struct GlyphOutline;

// The one-line input dialog.
struct StringRequest {
    QString title;
    QString prompt;
    QString checkCaption;
    bool showCheck = false;
    bool checked = false;
    QString text;  // the text shown first; on OK the edited text
    bool password = false;  // every character shows as "*"
    // Live preview of a custom space's amount: an apply button hands the
    // typed number to the custom space at the sheet's caret while the
    // dialog stays open.
    bool livePreview = false;
};

// The matrix dialog. mode 0: rows and columns; 1: one row (columns only);
// 2: one column (rows only).
struct MatrixRequest {
    int mode = 0;
    int alignment = 0;       // the alignment preset; -1: the dialog's remembered one
    bool hideFill = false;   // the fill buttons (names) are not offered
    bool wantNames = false;  // the caller takes a list of cell texts
};

struct MatrixChoice {
    int rows = 1;
    int columns = 1;
    int alignment = 0;          // low bits of the flags
    int lineSpacingEntry = 0;   // combo entry 0 to 4
    bool scriptSize = false;    // 0x10 of the flags
    bool partition = false;     // the rule-line dialog runs on the new matrix
    uint8_t rules[32] = {};     // rule lines chosen in the dialog
    bool hasRules = false;
    QStringList names;          // two strings per cell (text, subscript)
    int entryStyle = 0;         // the style the names are typed in
};

// The rule-line dialog of a matrix: its counts and rule record.
struct MatrixLinesRequest {
    int rows = 0;
    int columns = 0;
    uint8_t rules[32] = {};
};

class EditDialogService {
public:
    virtual ~EditDialogService() = default;
    // Each returns true on OK with the out values set; false on Cancel.
    virtual bool askString(StringRequest& request) = 0;
    virtual bool chooseMatrix(const MatrixRequest& request, MatrixChoice* out) = 0;
    virtual bool editMatrixLines(MatrixLinesRequest& request) = 0;
    // The symbol selection (font-character picker) for the big operators
    // 860 to 863: on OK out holds a copy of the chosen glyph.
    virtual bool selectSymbol(int type, GlyphOutline* out) = 0;
    // The equation settings dialog on the equation; office mode restricts
    // it. OK applies the settings to the equation. Returns 1 on OK, else 0.
    virtual int equationSettings(EqModel* eq, bool officeMode) = 0;
    // The print dialog on the equation.
    virtual void print(EqModel* eq) = 0;
};

// What is not available yet: items 2 to 9 of group "gNAY" of "LANG_01.xml".
enum class Unavailable : int {
    StringInput = 2,
    MatrixDialog = 3,
    MatrixLines = 4,
    SymbolSelection = 5,
    EquationSettings = 6,
    PrintDialog = 7,
    Command = 8,  // a command of a part of the program still to come
    Dialog = 9,   // another dialog
};

// The "not available yet" message (item 1 of "gNAY" after the name of what),
// in the language given by its code ("en" or "cn").
QString NotAvailableYetText(const QString& languageCode, Unavailable what);
// Shows it through the message sink.
void ShowNotAvailableYet(const QString& languageCode, Unavailable what);

// Tells the user, through the message sink, that the dialog is not
// available yet, and answers Cancel.
class UnavailableEditDialogs : public EditDialogService {
public:
    explicit UnavailableEditDialogs(QString languageCode = QStringLiteral("en"))
        : languageCode(std::move(languageCode)) {}
    bool askString(StringRequest& request) override;
    bool chooseMatrix(const MatrixRequest& request, MatrixChoice* out) override;
    bool editMatrixLines(MatrixLinesRequest& request) override;
    bool selectSymbol(int type, GlyphOutline* out) override;
    int equationSettings(EqModel* eq, bool officeMode) override;
    void print(EqModel* eq) override;

    QString languageCode;
};

// For tests: records what was asked and answers from queues (an empty queue
// answers Cancel).
class ScriptedEditDialogs : public EditDialogService {
public:
    bool askString(StringRequest& request) override;
    bool chooseMatrix(const MatrixRequest& request, MatrixChoice* out) override;
    bool editMatrixLines(MatrixLinesRequest& request) override;
    bool selectSymbol(int type, GlyphOutline* out) override;
    int equationSettings(EqModel* eq, bool officeMode) override;
    void print(EqModel* eq) override;

    // What each dialog was asked, in order: "string", "matrix", "lines",
    // "symbol", "settings", "print".
    std::vector<QString> asked;
    std::vector<StringRequest> stringRequests;
    std::vector<MatrixRequest> matrixRequests;
    std::vector<MatrixLinesRequest> linesRequests;
    std::vector<int> symbolTypes;
    std::vector<bool> settingsOfficeModes;

    // The answers, front first.
    struct StringAnswer {
        bool ok = false;
        QString text;
        bool checked = false;
    };
    std::deque<StringAnswer> stringAnswers;
    std::deque<std::pair<bool, MatrixChoice>> matrixAnswers;
    struct LinesAnswer {
        bool ok = false;
        std::array<uint8_t, 32> rules{};
    };
    std::deque<LinesAnswer> linesAnswers;
    // On OK a copy of symbolGlyph goes out (none: out stays as it is).
    std::deque<bool> symbolAnswers;
    const GlyphOutline* symbolGlyph = nullptr;
    std::deque<int> settingsAnswers;
    int printed = 0;
};

}  // namespace toliva
