// Page 1 of the equation settings dialog: 22 colour swatches drawn by the
// page, thirteen colours of the working style record and the first nine
// custom colours of the editing sheet's colour choice, and two check boxes.
#pragma once

#include <QRect>
#include <QString>
#include <QWidget>

#include <array>

class QCheckBox;

namespace toliva {

class CEESettingDlg;

// One swatch: where it sits (column -1, 0 or 1 in quarter widths around the
// centre, row in row heights) and what it edits (a colour slot of the style
// record for rows 0 to 12, custom colour row - 13 of the palette after).
struct ColourItem {
    float column = 0;
    float row = 0;
    int slot = 0;
    QString caption;
    int left = 0, top = 0, width = 0, height = 0;
};

inline constexpr int kColourItemCount = 22;
inline constexpr int kFirstPaletteItem = 13;
// The custom colour groups: the equation colours' dialog, and the palette of
// the sheet's colour choice.
inline constexpr int kStyleColourGroup = 3;
inline constexpr int kPaletteColourGroup = 14;

using ColourItems = std::array<ColourItem, kColourItemCount>;

// The constant table the page starts from (captions empty).
ColourItems DefaultColourItems();

struct ColourPageLayout {
    std::array<QRect, kColourItemCount> swatches;  // left, top, width, height
    std::array<int, 4> separators{};               // y of the four lines
};
// The swatch grid of a client rectangle given by its edges (right and bottom
// exclusive).
ColourPageLayout ComputeColourLayout(int l, int t, int r, int b);
// The first item whose swatch holds the point (right and bottom edges
// outside); -1 for none.
int HitColourItem(const ColourPageLayout& layout, QPoint point);

class CEEDPP_Colors : public QWidget {
public:
    static constexpr int kCtrlId = 136;
    static constexpr int kCheckRoles = 1212;        // integer 0 of the record
    static constexpr int kCheckTransparent = 1214;  // integer 5

    explicit CEEDPP_Colors(CEESettingDlg* owner);
    ~CEEDPP_Colors() override;

    bool OnInitDialog();

    // Bound to check box 1214 (integer 5 of the record) and 1212 (integer 0);
    // the dialog fills and reads them.
    int m_nCheck1214 = 0;
    int m_nCheck1212 = 0;
    // The check values into the boxes, and back.
    void PushChecks();
    void ReadChecks();

    // A press at a point of the page: a swatch opens the colour dialog.
    void OnLButtonDown(QPoint point);

    const ColourItems& items() const { return m_items; }
    const ColourPageLayout& layout() const { return m_layout; }
    QCheckBox* checkBox(int id) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void ComputeLayout();

    CEESettingDlg* m_owner;
    ColourItems m_items;
    ColourPageLayout m_layout;
};

}  // namespace toliva
