// Page 3 of the equation settings dialog: the TeX options (dialect,
// delimiters of copied LaTeX, six option bits, the LaTeX editor's settings)
// on the left and, on the right, a drawn and scrolled list of every assigned
// shortcut: the main symbol bar's cells that have a hot key and the tiles
// that have a hot key or a TeX label. A row menu deletes one assignment,
// clears or resets the hotkey table and imports or exports it (".hks"); those
// commands act at once, the TeX options wait for the dialog's Apply.
#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <vector>

class QCheckBox;
class QComboBox;
class QPainter;
class QScrollBar;

namespace toliva {

class CEESettingDlg;
class CKwEMF;
class CKwTBG;
class CTolivaView;
class HotkeyTable;
class TileHotkeys;
struct CKwTBN;

// A stored-formula tile as the shortcut page sees it.
class ShortcutTile {
public:
    virtual ~ShortcutTile() = default;
    struct Shortcut {
        int ctrl = 0, shift = 0, alt = 0;  // the hot key's modifier flags
        int keyCode = 0;                    // index into the hotkey table's keys
        QString texLabel;                   // without the leading backslash
    };
    virtual Shortcut shortcut() const = 0;
    // Sets the flags and the key code to 0 and empties the label.
    virtual void clearShortcut() = 0;
    // The hot-key text and the label text ("\" + label); either may be empty.
    virtual void formatHotkeyText(QString* hotkey, QString* label) const = 0;
    // Draws the tile's formula fitted into a square of side `side` (base
    // scale 1), centred in cell.
    virtual void draw(QPainter& painter, const QRectF& cell, qreal side) const = 0;
};

// Where the page finds the symbol bar, the tiles and the LaTeX pane. The
// base class has none of them.
class ShortcutSources {
public:
    virtual ~ShortcutSources() = default;
    // The main symbol bar's groups in group order.
    virtual std::vector<const CKwTBG*> symbolGroups() const { return {}; }
    // The tile sheet's items in list order.
    virtual std::vector<ShortcutTile*> tileItems() const { return {}; }
    // The tile sheet hands its TeX labels to the sheet again.
    virtual void publishTeXLabels() {}
    // The tile sheet's item hot keys, which clearing the table also clears.
    virtual TileHotkeys* tileHotkeys() { return nullptr; }
    // The LaTeX pane's editor settings; false when there is no pane.
    virtual bool showLaTeXEditorSettings() { return false; }
};

// The sources of the program's view: its symbol strip and LaTeX pane (the
// view has no tile sheet yet, so no tiles are listed).
std::unique_ptr<ShortcutSources> MakeViewShortcutSources(CTolivaView& view);

struct HotkeyRow {
    enum Kind { Symbol = 0, Tile = 1 };
    int kind = Symbol;
    const CKwTBN* cell = nullptr;  // kind 0; not owned
    ShortcutTile* tile = nullptr;  // kind 1; not owned
};

class CEEDPP_SCTeX : public QWidget {
public:
    static constexpr int kCtrlId = 149;
    // Controls.
    static constexpr int kArea = 1340, kPicture = 1343, kScrollBar = 1297;
    static constexpr int kDialect = 1286, kDelimiters = 1287;
    static constexpr int kEditorSettings = 1299, kMenuButton = 1430;
    static constexpr int kTeXGroup = 1341, kDialectLabel = 1345, kDelimitersLabel = 1348, kListLabel = 1349;
    static constexpr int kTeXTyping = 1421, kPromptSheet = 1419, kPromptSource = 1420, kKeepLineFeeds = 1422,
                         kUsLayout = 1423, kAltTap = 1425;
    // The row menu's commands.
    enum RowCommand { RowDelete = 1, RowClearAll = 2, RowDefaults = 3, RowImport = 4, RowExport = 5 };
    // Scroll bar codes.
    enum ScrollCode { LineUp = 0, LineDown = 1, PageUp = 2, PageDown = 3, ThumbTrack = 5, EndScroll = 8 };
    static constexpr int kPageRows = 9;

    explicit CEEDPP_SCTeX(CEESettingDlg* owner);
    ~CEEDPP_SCTeX() override;

    bool OnInitDialog();
    // apply: the controls into the option word and the delimiter code;
    // otherwise the controls from them.
    void TransferSettings(bool apply);
    void Store() { TransferSettings(true); }
    void Load() { TransferSettings(false); }

    void BuildRows();
    void UpdateScrollBar();
    void RenderRows();
    // Moves the first visible row by delta, or to it when absolute; kept
    // within 0 .. row count - visible rows (0 when all rows fit).
    void ScrollRows(int value, bool absolute);
    void OnScrollBar(int code, int trackPosition);
    // A wheel turn: towards the user (negative delta) 9 rows down.
    void OnWheel(int delta);
    // Clicks at a point in page coordinates; true when handled.
    bool OnLButtonDown(QPoint point);
    bool OnRButtonDown(QPoint point, QPoint screenPoint);
    void ShowRowMenu(QPoint screenPoint);
    void RunRowCommand(int command);
    void OnEditorSettings();

    // The row under a point of the page; -1 outside the area or the rows.
    int RowAt(QPoint point) const;

    const std::vector<HotkeyRow>& rows() const { return m_rows; }
    QRect area() const { return m_area; }
    float rowHeight() const { return m_fRowHeight; }
    int visibleRows() const { return m_nVisibleRows; }
    int firstRow() const { return m_nFirstRow; }
    int selectedRow() const { return m_nSelected; }
    const QImage& rowsBitmap() const { return m_bitmap; }
    QCheckBox* checkBox(int id) const;
    QComboBox* comboBox(int id) const;
    QScrollBar* scrollBar() const;
    QWidget* control(int id) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    HotkeyTable* hotkeys() const;
    ShortcutSources* sources() const;
    void refreshRows();

    CEESettingDlg* m_owner;
    std::vector<HotkeyRow> m_rows;
    QRect m_area;
    float m_fRowHeight = 1;
    int m_nVisibleRows = 1;
    int m_nFirstRow = 0;
    int m_nSelected = 0;
    QImage m_bitmap;
    std::unique_ptr<CKwEMF> m_picture;  // "GenDef/set_hk.apx"
    bool m_bFilled = false;  // the combo boxes were filled
    bool m_bSettingScroll = false;
};

}  // namespace toliva
