#include "shell/ShellMoreSymbols.h"

#include "model/EqModel.h"
#include "panels/CDialogMoreSym.h"
#include "panels/CKwTBG.h"
#include "platform/MessageSink.h"
#include "sheet/CKwEESheet.h"
#include "shell/CTolivaView.h"

namespace toliva {

namespace {

// The symbol menu's view of the sheet: its marks, hot keys and TeX hints.
class ViewSheetForMenu : public SymbolMenuSheet {
public:
    explicit ViewSheetForMenu(CTolivaView& view) : m_view(view) {}
    bool HasMarkedElements() const override { return EquationHasMarks(m_view.sheet()->equation()); }
    QString HotkeyText(const SymbolKey& key) const override {
        return m_view.sheet()->hotkeys().GetKeysText(key, false);
    }
    QString TeXHint(const SymbolKey& key) const override { return m_view.texHint(key); }
    void ReplaceMarked(const SymbolKey& key) override { m_view.ReplaceMarkedWithSymbol(key); }
    // The picker is a symbol panel: the hot key keeps the symbol's own key.
    void EditHotkey(const SymbolKey& key, const QString& hint) override {
        m_view.sheet()->EditHotkey(key, true, hint);
    }

private:
    CTolivaView& m_view;
};

}  // namespace

ShellMoreSymbolsPicker::ShellMoreSymbolsPicker(CTolivaView& view) : m_view(view) {}

bool ShellMoreSymbolsPicker::pick(CKwTBG& group, bool largeCells, bool replaceMode, SymbolKey& key) {
    CDialogMoreSym dialog(&group.nodes(), group.context(), &m_view);
    ViewSheetForMenu sheet(m_view);
    dialog.m_bReplaceMode = replaceMode;
    dialog.m_bLargeCells = largeCells;
    dialog.m_currentKey = key;
    dialog.m_chosenKey = key;
    if (!replaceMode && m_view.sheet()) dialog.m_pSheet = &sheet;
    dialog.trackMenu = m_view.trackMenu;
    dialog.runModal = runDialog;
    if (dialog.DoModal() != IDOK) return false;
    key = replaceMode ? dialog.m_currentKey : dialog.m_chosenKey;
    return true;
}

}  // namespace toliva
