// Symbol keys and insertion at the caret: elements, structures, templates,
// matrices, custom spaces, user symbols and chemical marks.
#include "sheet/CKwEESheet.h"

#include "model/EqElement.h"
#include "model/EqModel.h"
#include "model/GlyphOutline.h"
#include "model/SymbolLibrary.h"
#include "platform/LangTable.h"
#include "platform/MessageSink.h"
#include "sheet/editing/CaretMoves.h"
#include "sheet/editing/ChemMarks.h"
#include "sheet/editing/CommandCodes.h"
#include "sheet/editing/ElementWork.h"
#include "sheet/editing/ItemReferences.h"
#include "sheet/editing/SpaceAmount.h"
#include "uikit/CDlgGU.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace toliva {

namespace {

// Characters of kind-6 keys that stay upright whatever the typing style.
bool isUprightSymbol(uint16_t ch) {
    static constexpr std::array<uint16_t, 13> kUpright = {167,  176,  1009, 8224, 8225, 8240, 8242,
                                                          8243, 8244, 8245, 8706, 8733, 8734};
    return std::find(kUpright.begin(), kUpright.end(), ch) != kUpright.end();
}

// The big operators that take their outline from the symbol selection.
bool takesChosenOutline(int32_t type) { return type >= 860 && type <= 863; }

// The plain characters of a chemical form's content ("Na"), for the marks page.
QString chemContentText(const EqElement* element) {
    QString text;
    if (element->children.empty()) return text;
    for (const EqElement* e = element->children.front()->next; e; e = e->next)
        if (IsCharType(e->type) && e->ch) text += QChar(e->ch);
    return text;
}

}  // namespace

InsertionKey CKwEESheet::NormalizeKey(InsertionKey key) const {
    EqElement* caret = GetEquationCaret(m_eq);
    // A TeX command being typed keeps its characters.
    if (m_app.option(OptTeXTyping) && caret && caret->type == EqTypeCharText) return key;
    if (key.type >= 1 && key.type <= 4) {
        const int32_t op = key.ch == '+' ? 1042 : key.ch == '-' ? 1043 : key.ch == '=' ? 1049 : 0;
        if (op) {
            key.type = op;
            key.ch = 0;
        }
    }
    return key;
}

EqElement* CKwEESheet::insertAtCaret(const InsertionKey& key) {
    if (!GetEquationCaret(m_eq)) AddEmptyLine(m_eq);
    return InsertKey(m_eq, m_sel, NormalizeKey(key), characterHook());
}

void CKwEESheet::InsertElementKey(const InsertionKey& key, bool refresh) { insertElementKey(key, refresh); }

EqElement* CKwEESheet::insertElementKey(const InsertionKey& key, bool refresh) {
    if (!m_eq) return nullptr;
    // The big operators with their own outline ask for it first; Cancel
    // inserts nothing and takes no undo step.
    std::unique_ptr<GlyphOutline> chosen;
    if (takesChosenOutline(key.type)) {
        chosen = std::make_unique<GlyphOutline>();
        if (!editDialogs().selectSymbol(key.type, chosen.get())) return nullptr;
        // Without a chosen outline the operator keeps the library's.
        if (GlyphIsEmptyRecord(*chosen)) chosen.reset();
    }
    PushUndo(SelectionScope() == 2);
    EqElement* e = insertAtCaret(key);
    if (e && chosen) e->glyph = std::move(chosen);
    CalcAfterInsertion(e);
    if (refresh) Refresh(0);
    return e;
}

void CKwEESheet::ExecuteSymbolKey(const SymbolKey& key, bool freshEquation) {
    if (IsCommandKey(key)) {
        ExecuteCommand(key.code);
        return;
    }
    if (!m_eq) return;
    if (!freshEquation) {
        insertSymbolKey(key);
        EnsureCaretVisible();
        return;
    }

    // The symbol alone, for the copy that asked for it: built in a new
    // one-line equation that takes the sheet's place meanwhile.
    ClearSelection(false);
    PushUndo(false);
    const bool recording = m_undo.recording;
    m_undo.recording = false;
    EqModel built(m_eq->settings);
    built.fonts = m_eq->fonts;
    built.fontsPending = m_eq->fontsPending;
    AddEmptyLine(&built);
    m_eq->swap(built);
    m_sel.forgetElements();

    insertSymbolKey(key);

    m_sel.forgetElements();
    m_eq->swap(built);
    // Nothing to copy when nothing was inserted (a cancelled dialog).
    if (copyFreshEquation && !IsEquationEmpty(&built)) copyFreshEquation(&built);
    m_undo.recording = recording;
    // The sheet's own equation did not change: its snapshot goes.
    DropUnchangedUndo();
    Refresh(0);
    EnsureCaretVisible();
}

void CKwEESheet::insertSymbolKey(const SymbolKey& key) {
    InsertionKey k;
    switch (key.kind) {
    case 2: {
        // An accent on the character or glyph symbol at the caret: its code
        // is the low byte (an accent code, not a character to type).
        EqElement* caret = GetEquationCaret(m_eq);
        if (!caret || !(IsStyledCharType(caret->type) || IsGlyphSymbolType(caret->type))) return;
        PushUndo(true);
        AddAccentMark(caret, uint8_t(key.code & 0xFF));
        InvalidateLineCache(m_eq, caret);
        m_eq->needsLayout = 1;
        Refresh(0);
        DropUnchangedUndo();
        return;
    }
    case 3: {
        if (key.code <= EqTypeChainHead) return;  // a chain head is no element to insert
        k.type = key.code;
        k.ch = key.ch;
        if (key.code == EqTypeSpaceCustom) {
            InsertCustomSpace(k);
            return;
        }
        EqElement* e = insertElementKey(k, true);
        // A new chemical form, or a new element in one: its marks.
        if (e && e->type == EqTypeChemForm) EditChemMarks(e);
        else if (e && e->parent && e->parent->type == EqTypeChemForm) EditChemMarks(e->parent);
        return;
    }
    case 4:
        k.type = typingType;
        k.ch = uint16_t(key.code & 0xFFFF);
        // A code below 32 is no character to type; a character carried with
        // the key is meant instead (the default Ctrl+P carries pi).
        if (key.code >= 0 && key.code < 32) {
            if (key.ch == 0) return;
            k.ch = key.ch;
        }
        insertElementKey(k, true);
        return;
    case 5:
        InsertMatrixTemplate(key.code);
        return;
    case 6: {
        if (key.code == 1) {
            m_host->OpenUserSymbolPanel();
            return;
        }
        k.ch = uint16_t(key.code & 0xFFFF);
        const bool upright = isUprightSymbol(k.ch);
        k.type = upright ? EqTypeCharUpright : typingType;
        EqElement* e = insertElementKey(k, false);
        if (e && upright) SetWorkMark(e, kSelectedStyleMark, true);
        Refresh(0);
        return;
    }
    case 13:
    case 14:
        InsertUserSymbol(key);
        return;
    case 15:
        InsertTemplate(key.code);
        return;
    default:
        return;  // the more-symbols key and unknown kinds insert nothing
    }
}

// ---- custom spaces

void CKwEESheet::InsertCustomSpace(const InsertionKey& key) {
    if (!m_eq) return;
    float amount = 0.5f;
    int unit = key.ch & 0x0F;
    if (!AskSpaceAmount(editDialogs(), m_app.languageCode(), &amount, &unit)) return;
    InsertionKey k = key;
    k.type = EqTypeSpaceCustom;
    k.ch = uint16_t((key.ch & ~0x0F) | (unit & 0x0F));
    PushUndo(SelectionScope() == 2);
    if (EqElement* e = insertAtCaret(k)) SetSpaceAmount(e, amount);
    Refresh(0);
}

void CKwEESheet::SetCustomSpaceWidth(float amount) {
    if (!m_eq || !std::isfinite(amount)) return;
    EqElement* caret = GetEquationCaret(m_eq);
    if (!caret || caret->type != EqTypeSpaceCustom) return;
    SetSpaceAmount(caret, std::clamp(amount, -kMaxSpaceAmount, kMaxSpaceAmount));
    InvalidateLineCache(m_eq, caret);
    m_eq->needsLayout = 1;
    Refresh(0);
}

// ---- glyph symbols of the library and user symbols

void CKwEESheet::InsertUserSymbol(const SymbolKey& key) {
    if (!m_eq) return;
    InsertionKey k;
    std::unique_ptr<GlyphOutline> outline;
    if (key.kind == 13) {
        const int number = key.code & 0xFFFF;
        if (number < 1) return;
        // A number the library does not hold would show nothing.
        if (const SymbolLibrary* library = m_render.symbols;
            library && !library->glyphs.empty() && !library->glyph(number))
            return;
        k.type = typingType == 3 || typingType == 4 ? EqTypeGlyphSymbolBold : EqTypeGlyphSymbol;
        k.ch = uint16_t(number);
    } else if (key.kind == 14) {
        if (!userSymbols || key.code < 1 || size_t(key.code) > userSymbols->size()) return;
        const GlyphOutline* source = (*userSymbols)[size_t(key.code - 1)];
        if (!source) return;
        outline = std::make_unique<GlyphOutline>();
        CopyGlyph(*outline, *source);
        k.type = EqTypeUserSymbol;
        k.ch = key.ch;
    } else {
        return;
    }
    // One undo step for every caller (symbol keys and the panel alike).
    PushUndo(SelectionScope() == 2);
    EqElement* e = insertAtCaret(k);
    if (e && outline) e->glyph = std::move(outline);
    Refresh(0);
    DropUnchangedUndo();
}

// ---- chemical marks

void CKwEESheet::EditChemMarks(EqElement* element) {
    if (!m_eq || !element || element->type != EqTypeChemForm || m_chemDialog) return;
    const std::vector<uint8_t> before = element->payload;

    LangTable texts(m_app.languageCode(), QStringLiteral("DlgGU.xml"));
    CDlgGU dlg(this);
    dlg.pageFolder = QStringLiteral("efe");
    dlg.title = LoadLangString(texts, QStringLiteral("gTT_1"), 5);
    dlg.widthFactor = 0.7f;
    dlg.heightFactor = 1.2f;
    // Apply shows the marks on the element while the dialog stays open.
    dlg.showButton3 = true;
    dlg.modalRunner = runSettingsDialog;
    const ChemMarkChoices current = ChemMarkChoicesOf(element->payload);
    for (int side = 0; side < 4; ++side)
        for (int place = 0; place < 3; ++place)
            dlg.GetOrAddItem(0, ChemPageMarkItem(side, place))->choice = current.marks[size_t(side)][size_t(place)];
    dlg.GetOrAddItem(0, kChemPageShiftItem)->choice = current.shift;
    dlg.GetOrAddItem(0, kChemPageContentItem)->text = chemContentText(element);

    m_chemDialog = &dlg;
    m_chemElement = element;
    const int result = dlg.DoModal();
    // OK keeps the values; Cancel takes back what Apply showed.
    if (result == IDOK) ApplyChemMarks();
    else element->payload = before;
    m_chemDialog = nullptr;
    m_chemElement = nullptr;
    InvalidateLineCache(m_eq, element);
    m_eq->needsLayout = 1;
    Refresh(0);
}

void CKwEESheet::ApplyChemMarks() {
    if (!m_eq || !m_chemDialog || !m_chemElement) return;
    const CKwPGL& list = m_chemDialog->propertyList;
    ChemMarkChoices choices;
    for (int side = 0; side < 4; ++side)
        for (int place = 0; place < 3; ++place)
            choices.marks[size_t(side)][size_t(place)] = list.GetItemChoice(0, ChemPageMarkItem(side, place));
    choices.shift = list.GetItemChoice(0, kChemPageShiftItem);
    SetChemMarks(m_chemElement, choices);
    InvalidateLineCache(m_eq, m_chemElement);
    m_eq->needsLayout = 1;
}

void CKwEESheet::OnSettingsDialogButton(CDlgGU* sender, const QString& helpDocument) {
    if (sender && sender == m_chemDialog) {
        ApplyChemMarks();
        Refresh(0);
        return;
    }
    if (!helpDocument.isEmpty()) OpenHelpDocument(helpDocument);
}

intptr_t CKwEESheet::OnWindowMessage(int message, intptr_t wParam, intptr_t lParam) {
    if (message == WM_SETTINGS_DIALOG_BUTTON)
        OnSettingsDialogButton(reinterpret_cast<CDlgGU*>(wParam),
                               lParam == 0 ? QStringLiteral("Help.pdf") : QStringLiteral("OCR_Help.pdf"));
    return 0;
}

// ---- library-item references

void CKwEESheet::ExpandItemReferences(EqModel* eq) {
    if (!eq) return;
    // The selection may hold a reference that goes.
    if (eq == m_eq) ClearSelection(false);
    ExpandLibraryReferences(eq, [this](int index) { return m_host->LibraryItemEquation(index); });
}

}  // namespace toliva
