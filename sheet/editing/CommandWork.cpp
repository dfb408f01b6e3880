#include "sheet/editing/CommandWork.h"

#include "model/EqElement.h"
#include "model/EqModel.h"
#include "model/EqNotes.h"
#include "platform/RegKey.h"
#include "sheet/editing/Selection.h"
#include "tex/LaTeX.h"

#include <algorithm>
#include <cmath>

namespace toliva {

// ---- typing style

int BoldToggledType(int type) {
    switch (type) {
    case 1: return 3;
    case 2: return 4;
    case 3: return 1;
    case 4: return 2;
    default: return type;
    }
}

int ItalicToggledType(int type) {
    switch (type) {
    case 1: return 2;
    case 2: return 1;
    case 3: return 4;
    case 4: return 3;
    default: return type;
    }
}

// ---- base font size

QString FontSizeText(float size) { return QString::asprintf("%g", double(size)); }

bool ParseFontSizeText(const QString& text, float* size) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value)) return false;
    *size = float(std::clamp(value, double(kMinBaseFontSize), double(kMaxBaseFontSize)));
    return true;
}

void ApplyBaseFontSize(EqLayoutSettings& s, float size) {
    s.fontSize = std::clamp(size, kMinBaseFontSize, kMaxBaseFontSize);
    s.size2 = std::min(s.size2, s.fontSize / 3.0f);
}

bool ApplyDocEnvSize(EqModel* eq, const QString& defaultText) {
    if (!eq) return false;
    QString text = defaultText;
    RegKey key;
    if (OpenRegKey(kWordCmdsKey, key)) {
        QString stored;
        int value = 0;
        if (ReadRegString(key, QStringLiteral("DocEnvSize"), stored, defaultText))
            text = stored;
        else if (ReadRegDword(key, QStringLiteral("DocEnvSize"), value, 0))
            text = QString::number(value);
    }
    bool ok = false;
    const double size = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(size) || size <= 2) return false;
    const float base = float(std::min(size, double(kMaxBaseFontSize)));
    EqLayoutSettings& s = eq->settings;
    if (std::isfinite(s.fontSize) && s.fontSize > 0) s.size2 = s.size2 * base / s.fontSize;
    s.fontSize = base;
    eq->needsLayout = 1;
    InvalidateAllLineCaches(eq);
    return true;
}

// ---- line alignment

int MatrixAlignmentBits(int alignment) {
    switch (alignment) {
    case 0: return 1;
    case 1: return 0;
    case 2: return 2;
    default: return 3;  // 3 and the mark
    }
}

LineAlignmentChange ApplyLineAlignment(EqModel* eq, int alignment) {
    LineAlignmentChange change;
    const bool known = (alignment >= 0 && alignment <= 3) || alignment == kAlignSetMark;
    if (!eq || !known) return change;
    // Inside a calculation result the caret stands on the result.
    EqElement* caret = GetEquationCaret(eq);
    if (!caret) return change;
    EqElement* reference = caret->next ? caret->next : FindChainStart(caret);
    if (alignment == kAlignSetMark) SetAlignMark(reference);
    change.applied = true;
    change.value = alignment == kAlignSetMark ? 3 : alignment;
    EqElement* parent = reference->parent;
    if (parent && IsMatrixType(parent->type)) {
        parent->ch = uint16_t((parent->ch & ~0xFu) | unsigned(MatrixAlignmentBits(alignment)));
        change.matrix = parent;
    } else {
        eq->settings.options[EqLayoutSettings::OptLineAlignment] = uint8_t(change.value);
    }
    return change;
}

// ---- settings files

bool ReadSettingsOrDefaults(EqModel* eq, const QString& path, EqLayoutSettings& s, EqNotes* notes) {
    // Read into a scratch record: a damaged file leaves nothing half read.
    EqLayoutSettings read;
    const bool ok = !path.isEmpty() && ReadLayoutSettingsFile(nullptr, path, read, notes);
    if (ok) s = read;
    else SetDefaultLayoutSettings(s);
    // The fonts follow the record the equation now holds.
    if (eq && &s == &eq->settings) SetupEquationFonts(eq);
    return ok;
}

bool UpdateSettingsFile(const QString& path, const std::function<void(EqLayoutSettings&)>& change,
                        EqNotes* notes) {
    if (path.isEmpty()) return false;
    EqLayoutSettings s;
    ReadSettingsOrDefaults(nullptr, path, s, notes);
    change(s);
    return WriteLayoutSettingsFile(nullptr, path, s);
}

// ---- text

QString OfficeLaTeXText(const EqModel& eq, TeXWriteContext context, bool display, int delimCode) {
    if (IsEquationEmpty(&eq)) return {};
    const bool latexStyle = delimCode > 1;
    if (display) context.delimiters = latexStyle ? LaTeXDisplayBracket : LaTeXDisplayDollars;
    else context.delimiters = latexStyle ? LaTeXInlineParen : LaTeXInlineDollar;
    QString text = EquationToLaTeX(eq, context);
    text.remove(QStringLiteral("\r\n"));
    text.remove(QLatin1Char('\n'));
    return text;
}

QString FirstCharacterRun(const SheetSelection& selection) {
    QString text;
    for (const EqElement* e : selection.items) {
        if (IsCharType(e->type)) text += QChar(e->ch);
        else if (!text.isEmpty()) break;
    }
    return text;
}

}  // namespace toliva
