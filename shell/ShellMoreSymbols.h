// The program's more-symbols picker: the picker dialog over a strip group,
// owned by the view and handed to the strip through its panel context. While
// it picks a symbol to insert, its symbol menu acts on the view's sheet.
#pragma once

#include "panels/PanelContext.h"

#include <functional>

namespace toliva {

class CDialogMoreSym;
class CTolivaView;

class ShellMoreSymbolsPicker : public MoreSymbolsPicker {
public:
    explicit ShellMoreSymbolsPicker(CTolivaView& view);

    // The picker over the group's nodes, over the view; in replace mode the
    // key is the symbol marked first. True on OK with the key the one chosen
    // (picking) or marked (replace mode); Cancel leaves it.
    bool pick(CKwTBG& group, bool largeCells, bool replaceMode, SymbolKey& key) override;

    // Runs in place of the dialog's modal loop when set (tests answer it).
    std::function<int(CDialogMoreSym&)> runDialog;

private:
    CTolivaView& m_view;
};

}  // namespace toliva
