// The main menu and the context menu with its element submenus: the menus are
// built as data (sheet/editing/MenuModel) from the sheet's state, shown as
// icon menus with captions in the sheet's language, and the choice is carried
// out here.
#include "sheet/CKwEESheet.h"

#include "model/CalcFormat.h"
#include "model/EqElement.h"
#include "model/EqModel.h"
#include "platform/ClipboardService.h"
#include "platform/LangTable.h"
#include "platform/MessageSink.h"
#include "sheet/editing/ChemMarks.h"
#include "sheet/editing/ClipboardFormats.h"
#include "sheet/editing/CommandCodes.h"
#include "sheet/editing/MatrixOps.h"
#include "sheet/editing/MenuModel.h"
#include "sheet/editing/SpaceAmount.h"
#include "uikit/CKwMenu.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

namespace toliva {

namespace {

// The caption files of one menu, each opened once, in the sheet's language;
// a caption the language lacks is taken in English, and a caption no file
// has shows its group and item rather than an entry without text.
class MenuCaptions {
public:
    explicit MenuCaptions(QString languageCode) : m_code(std::move(languageCode)) {}

    QString caption(const MenuEntry& e) {
        if (e.file.isEmpty()) return e.text;
        QString text = LoadLangString(table(m_code, e.file), e.group, e.item);
        if (text.isEmpty() && m_code != QLatin1String("en"))
            text = LoadLangString(table(QStringLiteral("en"), e.file), e.group, e.item);
        if (text.isEmpty()) text = e.group + QLatin1Char(' ') + QString::number(e.item);
        return text;
    }

private:
    LangTable& table(const QString& code, const QString& file) {
        std::unique_ptr<LangTable>& slot = m_tables[code + QLatin1Char('/') + file];
        if (!slot) slot = std::make_unique<LangTable>(code, file);
        return *slot;
    }

    QString m_code;
    std::map<QString, std::unique_ptr<LangTable>> m_tables;
};

void fillMenu(CKwMenu& menu, const MenuEntries& entries, MenuCaptions& captions) {
    for (const MenuEntry& e : entries) {
        if (e.isSeparator()) {
            menu.AppendItem(MF_SEPARATOR, 0, QString());
            continue;
        }
        unsigned flags = MF_STRING;
        if (e.isGreyed()) flags |= MF_GRAYED;
        const QString text = captions.caption(e);
        if (e.isPopup()) {
            CKwMenu* sub = menu.AppendPopup(flags, text, e.icon);
            fillMenu(*sub, e.children, captions);
            continue;
        }
        if (e.isChecked()) flags |= MF_CHECKED;
        menu.AppendItem(flags, unsigned(e.code), text, e.icon);
    }
}

MenuState menuStateOf(CKwEESheet& sheet) {
    MenuState s;
    EqModel* eq = sheet.equation();
    const AppContext& app = sheet.appContext();
    s.embedded = sheet.host().IsEmbedded();
    s.canUndo = sheet.undoHistory().undoCount() > 0;
    s.canRedo = sheet.undoHistory().redoCount() > 0;
    s.hasSelection = sheet.selection().exists();
    s.selectionSearchable = SelectionIsSearchable(sheet.selection().items);
    s.hasMarks = eq && EquationHasMarks(eq);
    s.clipboardKind = ClipboardContentKind(clipboardService());
    s.roleColours = eq && eq->settings.ints[0] != 0;
    s.lineAlignment = eq ? eq->settings.options[EqLayoutSettings::OptLineAlignment] : 1;
    s.typingType = sheet.typingType;
    s.viewMode = sheet.host().ViewMode();
    s.libraryPanel = app.option(OptLibraryPanel);
    s.languages = ReadLanguageList();
    s.currentLanguage = app.lanSel;
    return s;
}

// The entries shown as an icon menu in the sheet's language and tracked;
// the chosen identifier, 0 for none.
unsigned trackEntries(CKwEESheet& sheet, const MenuEntries& entries, QPoint screenPoint) {
    CKwMenu menu(&sheet);
    MenuCaptions captions(sheet.appContext().languageCode());
    fillMenu(menu, entries, captions);
    if (sheet.trackMenu) return sheet.trackMenu(menu, screenPoint);
    return menu.TrackPopupMenu(screenPoint);
}

}  // namespace

unsigned CKwEESheet::ShowMainMenu(QPoint screenPoint) {
    const unsigned chosen = trackEntries(*this, BuildMainMenu(menuStateOf(*this)), screenPoint);
    if (chosen == 0) return 0;
    const int code = int(chosen);
    if (code == CMD_EXIT) m_host->CloseMainWindow();
    else if (code > CMD_LANGUAGE_BASE) SelectLanguage(code - CMD_LANGUAGE_BASE);
    else ExecuteCommand(code);
    return chosen;
}

unsigned CKwEESheet::ShowContextMenu(QPoint screenPoint) {
    const unsigned chosen = trackEntries(
        *this, BuildContextMenu(menuStateOf(*this), BuildElementSubmenus(FindElementMenuTargets(m_eq))), screenPoint);
    if (chosen == 0) return 0;
    const int code = int(chosen);
    // Looked up again: the menu's own loop may have let something else
    // change the equation, and an element taken before could be gone.
    const ElementMenuTargets targets = FindElementMenuTargets(m_eq);
    if (ApplyElementMenuCode(targets.bracket, code) || ApplyElementMenuCode(StructureTarget(targets, code), code) ||
        ApplyElementMenuCode(targets.direction, code))
        return chosen;
    ExecuteCommand(code);
    return chosen;
}

// Every code that changes the equation takes its undo snapshot only once it
// is clear that the element takes the code and the change will be made: a
// code the element does not take (Undo and Redo among them) goes on to the
// dispatcher with the undo history untouched, and a change that turns out
// to change nothing leaves no step behind.
bool CKwEESheet::ApplyElementMenuCode(EqElement* element, int code) {
    if (!element || !m_eq) return false;
    // After a change of the element: its line laid out again and shown.
    const auto changed = [this, element] {
        InvalidateLineCache(m_eq, element);
        m_eq->needsLayout = 1;
        Refresh(0);
        DropUnchangedUndo();
    };

    if (code >= CMD_NUMBER_FORMAT_FIRST && code <= CMD_NUMBER_FORMAT_LAST) {
        if (element->type != EqTypeCalcResult) return false;
        CalcResult r;
        GetCalcResult(element, &r);
        const bool isAngle = code >= CMD_NUMBER_ANGLE_FIRST;
        const uint8_t format = isAngle ? r.format : uint8_t(code - CMD_NUMBER_FORMAT_FIRST);
        const uint8_t angle = isAngle ? uint8_t(code - CMD_NUMBER_ANGLE_FIRST) : r.angle;
        if (format == r.format && angle == r.angle) return true;
        PushUndo(false);
        r.format = format;
        r.angle = angle;
        SetCalcResult(element, r);
        // The shown digits are rebuilt: the old ones are freed.
        FormatCalcResult(element, r.value, format, angle);
        m_sel.rebuildHitBoxes = true;
        changed();
        return true;
    }
    if (code >= CMD_BRACKET_KIND_FIRST && code <= CMD_BRACKET_KIND_LAST) {
        if (element->type < kBracketMenuFirstType || element->type > kBracketMenuLastType) return false;
        const int type = code - kBracketKindTypeOffset;
        if (element->type == type) return true;
        PushUndo(false);
        element->type = type;
        changed();
        return true;
    }
    if (code >= CMD_MOVE_FIRST_KIND && code < CMD_MOVE_SECOND_KIND) {
        // Each takes its own snapshot, and none when it is refused.
        AddMatrixLine(code - CMD_MOVE_FIRST_KIND);
        return true;
    }
    if (code >= CMD_MOVE_SECOND_KIND && code <= CMD_MOVE_LAST) {
        RemoveMatrixLine(code - CMD_MOVE_SECOND_KIND);
        return true;
    }
    if (code >= CMD_MATRIX_ALIGN_FIRST && code <= CMD_MATRIX_TRANSPOSE) {
        if (!IsMatrixType(element->type)) return false;
        if (code == CMD_MATRIX_LINES_DIALOG) {
            MatrixLinesRequest request;
            if (!MatrixLinesRequestOf(element, &request) || !editDialogs().editMatrixLines(request)) return true;
            PushUndo(false);
            SetMatrixRules(element, request.rules);
            changed();
            return true;
        }
        if (code == CMD_MATRIX_TRANSPOSE) {
            if (!CanTransposeMatrix(element)) return true;
            PushUndo(false);
            TransposeMatrix(element);
            changed();
            EnsureCaretVisible();
            return true;
        }
        const uint16_t flags = MatrixFlagsAfterCode(element->ch, code);
        if (flags == element->ch) return true;
        PushUndo(false);
        element->ch = flags;
        changed();
        if (code <= CMD_MATRIX_ALIGN_LAST) m_host->UpdateAlignButtons();
        return true;
    }

    switch (code) {
    case CMD_CUSTOM_SPACE_AMOUNT: {
        if (element->type != EqTypeSpaceCustom) return false;
        SetCaretElement(element);
        const float oldAmount = GetSpaceAmount(element);
        const int oldUnit = element->ch & 0x0F;
        float amount = oldAmount;
        int unit = oldUnit;
        const bool answered = AskSpaceAmount(editDialogs(), m_app.languageCode(), &amount, &unit, true);
        // The dialog's live preview may have changed the space: it takes its
        // amount from before the dialog again, so Cancel leaves it as it was
        // and the undo step below holds the old amount.
        if (GetSpaceAmount(element) != oldAmount) {
            SetSpaceAmount(element, oldAmount);
            InvalidateLineCache(m_eq, element);
            m_eq->needsLayout = 1;
            Refresh(0);
        }
        if (!answered) return true;
        amount = std::clamp(amount, -kMaxSpaceAmount, kMaxSpaceAmount);
        if (amount == oldAmount && unit == oldUnit) return true;
        PushUndo(false);
        SetSpaceAmount(element, amount);
        element->ch = uint16_t((element->ch & ~0x0Fu) | unsigned(unit & 0x0F));
        changed();
        return true;
    }
    case CMD_CHEM_MARKS: {
        if (element->type != EqTypeChemForm) return false;
        // The dialog shows its choices on the element while it is open and
        // takes them back on Cancel; the snapshot holds the marks as they
        // were before it opened.
        const std::vector<uint8_t> before = element->payload;
        EditChemMarks(element);
        if (element->payload == before) return true;
        std::vector<uint8_t> after = element->payload;
        element->payload = before;
        PushUndo(false);
        element->payload = std::move(after);
        changed();
        return true;
    }
    case CMD_SWAP_VARIANT:
        if (VariantPartner(element->type) == 0) return false;
        PushUndo(false);
        SwapElementVariant(element);
        DropUnchangedUndo();
        return true;
    default: return false;
    }
}

bool CKwEESheet::SwapElementVariant(EqElement* element) {
    if (!element) return false;
    const int partner = VariantPartner(element->type);
    if (partner == 0) return false;
    element->type = partner;
    if (EqModel* eq = element->owner ? element->owner : m_eq) {
        InvalidateLineCache(eq, element);
        eq->needsLayout = 1;
    }
    Refresh(0);
    return true;
}

}  // namespace toliva
