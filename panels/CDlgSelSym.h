// The font-character picker: a modal dialog in which the user chooses one
// character of one font (an installed family or one of the program's own
// font sets) and gets it back as a vector glyph. It serves the user symbol
// editor and the sheet's big operators 860 to 863; for the latter the caller
// gives a pending glyph slot, which receives a copy of the glyph on OK only.
//
// Controls: font combo 1096, style combo 1287, code edit 1292 (read-only),
// scroll bar 1297, grid 1333, preview 1335, labels 1289, 1290, 1296, OK 1,
// Cancel 2. Texts from "LANG_10.xml" group "gCS_3"; styles from "gLS_3";
// the refusal of an empty choice is "gMSG_1" item 5.
//
// "Software\Toliva\Dlgs\UserSym" keeps "Font", "FontStyle", "Pos" and
// "Char"; they are written on OK only.
#pragma once

#include "model/GlyphOutline.h"
#include "panels/FontCharacters.h"
#include "panels/PanelContext.h"

#include <QDialog>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QWheelEvent;

namespace toliva {

class SelSymGrid;
class SelSymPreview;

class CDlgSelSym : public QDialog {
public:
    enum ControlId {
        kOk = 1, kCancel = 2, kFontCombo = 1096, kStyleCombo = 1287, kFontLabel = 1289, kStyleLabel = 1290,
        kCodeEdit = 1292, kCodeLabel = 1296, kScrollBar = 1297, kGrid = 1333, kPreview = 1335,
    };

    explicit CDlgSelSym(const PanelContext& context, QWidget* parent = nullptr);
    ~CDlgSelSym() override;

    // The caller's pending glyph slot (the sheet's big operators); receives a
    // copy of the glyph when OK closes the dialog. Not owned; may be null.
    GlyphOutline* m_pPendingGlyph = nullptr;

    // Runs the dialog; IDOK or IDCANCEL. After OK: m_glyph and m_nCode.
    int DoModal();
    // Runs in place of the modal loop when set (tests answer the dialog).
    std::function<int(CDlgSelSym&)> runModal;

    // Reads the stored choice, fills the combos and texts, lists the
    // characters of the chosen font.
    void OnInitDialog();
    // The font or style combo changed: lists the characters again.
    void ApplyFontChoice();
    // Scrolling by rows (wheel: 8 rows a notch; line 1, page 8).
    void ScrollCharacters(int rows);
    void ScrollCharactersTo(int row);
    // A grid cell (1-based on the page) was clicked.
    void SelectCharacterCell(int cell);
    // OK: a valid choice builds the glyph, writes the registry and closes;
    // otherwise the message is shown and the dialog stays open.
    void OnOK();

    // Result and state.
    QString m_strFontName = QStringLiteral("Arial");
    int m_nStyle = 0;           // 0 regular, 1 bold, 2 italic, 3 bold italic
    int m_nCode = 0;
    int m_nChosen = 0;          // index into m_chars
    std::vector<uint16_t> m_chars;
    CharacterScroll m_scroll;
    int m_nCellSize = 36;
    GlyphOutline m_glyph;

    QComboBox* fontCombo() const { return m_fontCombo; }
    QComboBox* styleCombo() const { return m_styleCombo; }
    QLineEdit* codeEdit() const { return m_codeEdit; }
    QScrollBar* scrollBar() const { return m_scrollBar; }
    QWidget* grid() const;
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

protected:
    // The wheel anywhere over the dialog scrolls 8 rows a notch.
    void wheelEvent(QWheelEvent* event) override;

private:
    void setScrollRange();
    void refreshPage();
    void updatePreview();
    void writeChoice();

    PanelContext m_ctx;
    bool m_initialised = false;
    QComboBox* m_fontCombo = nullptr;
    QComboBox* m_styleCombo = nullptr;
    QLineEdit* m_codeEdit = nullptr;
    QScrollBar* m_scrollBar = nullptr;
    SelSymGrid* m_grid = nullptr;
    SelSymPreview* m_preview = nullptr;
    QLabel* m_fontLabel = nullptr;
    QLabel* m_styleLabel = nullptr;
    QLabel* m_codeLabel = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

}  // namespace toliva
