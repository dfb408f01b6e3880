// The user symbol editor: a modal dialog in which one user symbol (a vector
// glyph made from a font character) is picked, placed, sized, scaled,
// slanted, flipped, coloured and set hollow or filled. The glyph canvas shows
// it between the editing sheet's caret neighbours; the tool bar "tb_sym_edt"
// carries the commands. OK hands the symbol to the user symbol panel (added,
// or changed in place when an existing symbol is edited); "Add and Create
// New" adds it and clears the canvas for the next one.
//
// The editor never sees the sheet: the shell hands it a UserSymSheet that
// answers the layout settings and the caret's neighbours. The panel is
// reached through the addGlyph callback; the picker, the colour dialog, the
// one-line input and the message box go through replaceable hooks.
//
// Registry "Software\Toliva\Dlgs\UserSym": "pos_x", "pos_y", "scale" (float
// bits), "hollow", "color": the start values of a new symbol, written back by
// the destructor.
//
// Controls: OK 1, Cancel 2, code edit 1300, its label 1302, "Add and Create
// New" 1307, placeholder 1338 for the tool bar and the canvas; texts from
// "LANG_10.xml" group "gCS_2".
#pragma once

#include "panels/PanelContext.h"
#include "panels/UserSymEditModel.h"

#include <QDialog>

#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;

namespace toliva {

class CDialogSetString;
class CDlgToolbar;
class CDlgUserSymPanel;
class CKwGECanvas;
struct GlyphOutline;

class CDlgUserSymEditor : public QDialog {
public:
    enum ControlId { kOk = 1, kCancel = 2, kCode = 1300, kCodeLabel = 1302, kAddAndNew = 1307,
                     kPlaceholder = 1338, kCanvas = 2104 };

    CDlgUserSymEditor(const PanelContext& context, QWidget* parent = nullptr);
    ~CDlgUserSymEditor() override;  // writes the saved values to the registry once it ran

    // Set by the opener before the dialog runs.
    UserSymSheet* m_pSheet = nullptr;           // null: the preview's neighbours are "A" and "x"
    std::function<void(const GlyphOutline&)> addGlyph;  // the panel's AddGlyph; none: no panel
    bool m_bEditExisting = false;
    GlyphOutline* m_pSourceGlyph = nullptr;     // the panel's record being edited (not owned)

    // Hooks (tests answer them; defaults show the real dialogs).
    // The font-character picker: true on OK with picked filled; none: the
    // picker dialog.
    std::function<bool(GlyphOutline& picked)> pickCharacter;
    // The one-line input for the scale and the slant.
    std::function<int(CDialogSetString&)> runSetString;
    // The colour dialog: true on OK with colour (COLORREF) set.
    std::function<bool(uint32_t& colour)> chooseColour;
    // The dialog's own modal loop.
    std::function<int(CDlgUserSymEditor&)> runModal;

    int DoModal();
    void OnInitDialog();
    void OnToolbarCommand(int command);
    void OnApplyValue();  // button 1307
    void OnOK();          // button 1

    UserSymEditModel& model() { return m_model; }
    CKwGECanvas* canvas() const { return m_canvas; }
    CDlgToolbar* toolbar() const { return m_toolbar; }
    QLineEdit* codeEdit() const { return m_codeEdit; }
    QPushButton* addAndNewButton() const { return m_addAndNew; }

    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refreshControls();
    void readCode();
    void updateHollowButtons();
    void afterChange();

    PanelContext m_context;
    UserSymEditModel m_model;
    CKwGECanvas* m_canvas = nullptr;
    CDlgToolbar* m_toolbar = nullptr;
    QLineEdit* m_codeEdit = nullptr;
    QLabel* m_codeLabel = nullptr;
    QPushButton* m_addAndNew = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    bool m_initialized = false;
};

// Runs the editor for the panel, as the panel's runEditor: with no source a
// new symbol, added to the panel; with a source the panel's record, changed
// in place on OK. prepare (tests) sets the editor's hooks before it runs.
int RunUserSymEditor(const PanelContext& context, UserSymSheet* sheet, CDlgUserSymPanel& panel,
                     GlyphOutline* source, const std::function<void(CDlgUserSymEditor&)>& prepare = {});

}  // namespace toliva
