#include "sheet/editing/EditDialogs.h"

#include "model/GlyphOutline.h"
#include "platform/LangTable.h"
#include "platform/MessageSink.h"

#include <cstring>

namespace toliva {

QString NotAvailableYetText(const QString& languageCode, Unavailable what) {
    LangTable table(languageCode, QStringLiteral("LANG_01.xml"));
    const QString group = QStringLiteral("gNAY");
    QString name = LoadLangString(table, group, int(what));
    QString tail = LoadLangString(table, group, 1);
    // Without the language file the message still says what happened.
    if (name.isEmpty()) name = QStringLiteral("This function");
    if (tail.isEmpty()) tail = QStringLiteral(" is not available yet.");
    return name + tail;
}

void ShowNotAvailableYet(const QString& languageCode, Unavailable what) {
    showMessage(NotAvailableYetText(languageCode, what), MB_OK | MB_ICONINFORMATION);
}

// ---- the service of a sheet without dialogs

bool UnavailableEditDialogs::askString(StringRequest&) {
    ShowNotAvailableYet(languageCode, Unavailable::StringInput);
    return false;
}

bool UnavailableEditDialogs::chooseMatrix(const MatrixRequest&, MatrixChoice*) {
    ShowNotAvailableYet(languageCode, Unavailable::MatrixDialog);
    return false;
}

bool UnavailableEditDialogs::editMatrixLines(MatrixLinesRequest&) {
    ShowNotAvailableYet(languageCode, Unavailable::MatrixLines);
    return false;
}

bool UnavailableEditDialogs::selectSymbol(int, GlyphOutline*) {
    ShowNotAvailableYet(languageCode, Unavailable::SymbolSelection);
    return false;
}

int UnavailableEditDialogs::equationSettings(EqModel*, bool) {
    ShowNotAvailableYet(languageCode, Unavailable::EquationSettings);
    return 0;
}

void UnavailableEditDialogs::print(EqModel*) { ShowNotAvailableYet(languageCode, Unavailable::PrintDialog); }

// ---- the scripted service

bool ScriptedEditDialogs::askString(StringRequest& request) {
    asked.push_back(QStringLiteral("string"));
    stringRequests.push_back(request);
    if (stringAnswers.empty()) return false;
    const StringAnswer answer = stringAnswers.front();
    stringAnswers.pop_front();
    if (!answer.ok) return false;
    request.text = answer.text;
    request.checked = answer.checked;
    return true;
}

bool ScriptedEditDialogs::chooseMatrix(const MatrixRequest& request, MatrixChoice* out) {
    asked.push_back(QStringLiteral("matrix"));
    matrixRequests.push_back(request);
    if (matrixAnswers.empty()) return false;
    const auto answer = matrixAnswers.front();
    matrixAnswers.pop_front();
    if (!answer.first) return false;
    if (out) *out = answer.second;
    return true;
}

bool ScriptedEditDialogs::editMatrixLines(MatrixLinesRequest& request) {
    asked.push_back(QStringLiteral("lines"));
    linesRequests.push_back(request);
    if (linesAnswers.empty()) return false;
    const LinesAnswer answer = linesAnswers.front();
    linesAnswers.pop_front();
    if (!answer.ok) return false;
    std::memcpy(request.rules, answer.rules.data(), sizeof request.rules);
    return true;
}

bool ScriptedEditDialogs::selectSymbol(int type, GlyphOutline* out) {
    asked.push_back(QStringLiteral("symbol"));
    symbolTypes.push_back(type);
    if (symbolAnswers.empty()) return false;
    const bool ok = symbolAnswers.front();
    symbolAnswers.pop_front();
    if (ok && out && symbolGlyph) CopyGlyph(*out, *symbolGlyph);
    return ok;
}

int ScriptedEditDialogs::equationSettings(EqModel*, bool officeMode) {
    asked.push_back(QStringLiteral("settings"));
    settingsOfficeModes.push_back(officeMode);
    if (settingsAnswers.empty()) return 0;
    const int answer = settingsAnswers.front();
    settingsAnswers.pop_front();
    return answer;
}

void ScriptedEditDialogs::print(EqModel*) {
    asked.push_back(QStringLiteral("print"));
    ++printed;
}

}  // namespace toliva
