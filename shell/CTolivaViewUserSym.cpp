// The user symbol panel: made on first use with the sheet's window as owner,
// kept until the view goes, shown again on later uses. The panel reaches the
// sheet only through the adapter below.
#include "model/EqElement.h"
#include "model/EqModel.h"
#include "model/EqTypes.h"
#include "panels/CDlgUserSymEditor.h"
#include "panels/CDlgUserSymPanel.h"
#include "panels/PanelContext.h"
#include "shell/CTolivaApp.h"
#include "shell/CTolivaView.h"
#include "shell/PanelContextFromSettings.h"
#include "shell/SheetUserSymSheet.h"
#include "sheet/CKwEESheet.h"
#include "sheet/editing/HotkeyTable.h"

namespace toliva {

namespace {

void collectChain(const EqElement* e, std::vector<std::unique_ptr<GlyphOutline>>& out, int depth) {
    if (depth > 256) return;  // a damaged tree cannot recurse without end
    for (; e; e = e->next) {
        if (e->type == EqTypeUserSymbol && e->glyph) {
            out.push_back(std::make_unique<GlyphOutline>());
            CopyGlyph(*out.back(), *e->glyph);
        }
        for (const EqElement* child : e->children) collectChain(child, out, depth + 1);
    }
}

}  // namespace

class ViewUserSymbolSheet : public UserSymbolSheet {
public:
    explicit ViewUserSymbolSheet(CKwEESheet& sheet) : m_sheet(sheet) {}
    void InsertUserSymbol(int index) override {
        m_sheet.InsertUserSymbol(SymbolKey{14, index + 1, 0});
    }
    std::vector<std::unique_ptr<GlyphOutline>> CollectUserSymbols() override {
        std::vector<std::unique_ptr<GlyphOutline>> out;
        if (const EqModel* eq = m_sheet.equation())
            for (const EqElement* line : eq->lines) collectChain(line, out, 0);
        return out;
    }
    void SetHotkeyForUserSymbol(int code) override { m_sheet.EditHotkey(SymbolKey{14, code, 0}, true); }
    QString HotkeyCaption(int code) override { return m_sheet.hotkeys().GetKeysText(SymbolKey{14, code, 0}, false); }

private:
    CKwEESheet& m_sheet;
};

void CTolivaView::OpenUserSymbolPanel() {
    if (!m_sheet) return;
    if (!m_pUserSymPanel) {
        m_userSymSheet = std::make_unique<ViewUserSymbolSheet>(*m_sheet);
        const float scale = m_panelContext ? m_panelContext->uiScale : 1.0f;
        m_pUserSymPanel = new CDlgUserSymPanel(m_userSymSheet.get(), m_app.m_strUserFolder,
                                               m_app.m_strProgramFolder, m_app.context().languageCode(), scale,
                                               m_sheet);
        m_pUserSymPanel->setWindowFlag(Qt::Tool);
        m_userSymEditorSheet = std::make_unique<SheetUserSymSheet>(*m_sheet);
        // New and Edit run the symbol editor over the sheet's caret.
        m_pUserSymPanel->runEditor = [this](CDlgUserSymPanel& panel, GlyphOutline* source) {
            PanelContext context;
            FillPanelContext(context, m_app.context(), m_app.settings(), m_app.m_strProgramFolder);
            return RunUserSymEditor(context, m_userSymEditorSheet.get(), panel, source,
                                    [this](CDlgUserSymEditor& editor) {
                                        if (runUserSymEditor) editor.runModal = runUserSymEditor;
                                    });
        };
        m_pUserSymPanel->OnInitDialog();
        m_sheet->userSymbols = &m_pUserSymPanel->symbolPointers();
    }
    m_pUserSymPanel->show();
    m_pUserSymPanel->raise();
    m_pUserSymPanel->activateWindow();
}

void CTolivaView::CloseUserSymbolPanel() {
    if (m_sheet) m_sheet->userSymbols = nullptr;
    delete m_pUserSymPanel;  // writes the user's glyph file
    m_pUserSymPanel = nullptr;
    m_userSymSheet.reset();
    m_userSymEditorSheet.reset();
}

}  // namespace toliva
