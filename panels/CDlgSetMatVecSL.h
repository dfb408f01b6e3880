// The rule-line dialog of a matrix or vector: a preview of the cell grid on
// which the user picks one of eight line styles and clicks the gaps between
// cells (left button: the style, right button: no line), or sets and clears
// whole families of lines with buttons. It reads and writes the matrix's
// 32-byte rule-line record.
//
// It edits 1 to 33 columns and 1 to 33 rows with more than one cell: the
// record holds 32 lines of each direction. For any other shape (a damaged
// matrix) it does not run and answers Cancel.
//
// The current style is kept as "CSLS" under "Software\Toliva\Dlgs\MAT_SET"
// (read when the dialog is made, written when it goes, also after Cancel).
//
// Controls: OK 1, Cancel 2, "Set All" 1299, "Clear All" 1300, "Set All
// Horz." 1301, "Clear All Horz." 1302, "Set All Vert." 1303, "Clear All
// Vert." 1304, Help 1322, the preview 1331, the style radio buttons 1408 to
// 1415 with their pictures 1439 to 1446 ("icons/ML/01.apx" to "08.apx"),
// group box 1416, note 1437. Texts from "LANG_06.xml" group "gCS_2"; the
// help text is item 1 of "gMSG_1".
#pragma once

#include "panels/MatrixDialogWork.h"
#include "panels/PanelContext.h"

#include <QCursor>
#include <QDialog>
#include <QImage>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class QLabel;
class QPushButton;
class QRadioButton;

namespace toliva {

class CKwEMF;

class CDlgSetMatVecSL : public QDialog {
public:
    enum ControlId {
        kOk = 1,
        kCancel = 2,
        kSetAll = 1299,
        kClearAll = 1300,
        kSetAllHorz = 1301,
        kClearAllHorz = 1302,
        kSetAllVert = 1303,
        kClearAllVert = 1304,
        kHelp = 1322,
        kPreview = 1331,
        kFirstStyle = 1408,  // to 1415
        kStyleGroup = 1416,
        kNote = 1437,
        kFirstPicture = 1439,  // to 1446
    };
    static constexpr int kStyles = 8;
    static constexpr int kPreviewSide = 260;  // before the DPI scale
    static constexpr uint32_t kCellColour = 0xE6DCDC;   // COLORREF RGB(220, 220, 230)
    static constexpr uint32_t kLineColour = 0xFF0000;   // COLORREF RGB(0, 0, 255)
    static constexpr uint32_t kFrameColour = 0x969696;  // COLORREF RGB(150, 150, 150)

    // Reads the remembered style; 32 columns and rows, no lines.
    explicit CDlgSetMatVecSL(const PanelContext& context, QWidget* parent = nullptr);
    // Writes the current style.
    ~CDlgSetMatVecSL() override;

    int m_nStyle = 0;   // 0 to 7; lines get the code m_nStyle + 1
    int m_nColumns = 32;
    int m_nRows = 32;
    RuleLineRecord m_record{};  // the lines in; on OK the lines out

    // Runs the dialog; IDOK or IDCANCEL. A shape CanEditRuleLines refuses
    // answers IDCANCEL without running, with the record unchanged.
    int DoModal();
    // Runs in place of the modal loop when set (tests answer the dialog).
    std::function<int(CDlgSetMatVecSL&)> runModal;

    // Unpacks the record into the line codes, sets the texts and the
    // style, loads the pictures and renders the preview (once).
    void OnInitDialog();
    // The buttons: every line (or the horizontal, or the vertical ones)
    // gets the current style, or none.
    void SetAllLines(bool horizontal, bool vertical, bool set);
    // A press of the left (set) or right (clear) button at a point of the
    // dialog; true when a line was hit.
    bool OnLButtonDown(QPoint point);
    bool OnRButtonDown(QPoint point);
    void OnSelectStyle(int style);
    // Help: the help text as an information message.
    void OnHelp();
    // OK: the codes packed into the record, then closes.
    void OnOK();

    // Draws the grid and the lines into the back buffer.
    void RenderRulePreview();
    const QImage& previewImage() const { return m_buffer; }
    // The preview's rectangle in the dialog.
    QRect previewRect() const { return m_rcPreview; }
    // The line codes, the vertical lines first.
    const std::vector<uint8_t>& codes() const { return m_codes; }
    // The bands of the lines in the dialog (moved to the preview).
    std::vector<QRect> bandsInDialog() const;
    const CKwEMF* stylePicture(int style) const { return m_pictures[size_t(style)].get(); }
    // The cursor over the preview (drawn from "icons/cur/C2001.apx").
    QCursor ruleCursor() const { return m_cursor; }

    QRadioButton* styleButton(int style) const { return m_styleButtons[size_t(style)]; }
    QPushButton* button(int ctrlId) const;
    QWidget* preview() const { return m_preview; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    bool setHitLines(QPoint point, uint8_t code);
    void placePreview();

    PanelContext m_context;
    bool m_initialized = false;
    QRect m_rcPreview;
    QImage m_buffer;
    std::array<std::unique_ptr<CKwEMF>, kStyles> m_pictures;
    std::vector<QRect> m_bands;  // in the preview
    std::vector<uint8_t> m_codes;
    RulePreviewGeometry m_geometry;
    QCursor m_cursor;
    QWidget* m_preview;
    std::array<QRadioButton*, kStyles> m_styleButtons{};
    std::array<QWidget*, kStyles> m_pictureBoxes{};
    std::vector<QPushButton*> m_buttons;
    QLabel* m_note;
};

}  // namespace toliva
