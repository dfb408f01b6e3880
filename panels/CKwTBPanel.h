// The symbol panel windows: `CKwTBPanel` shows one or more symbol groups
// side by side and turns a press into the pressed node and its SymbolKey;
// `CKwTBPanel_Scr` is the main symbol strip, all groups in one scrolling row
// under a line of header tabs with a current group that the tabs, the wheel
// and a tab menu select and reorder, the order kept in the registry.
//
// Neither window takes the mouse itself: the owner forwards its presses and
// releases (screen points) to Press and Release. A right-button press on a
// cell sends WM_SYMBOL_PANEL_RCLICK (2026) to the owner with the panel in
// both parameters; the owner reads pressedKey(), pressedNode() and
// pressedGroup() to build its menu.
#pragma once

#include "panels/CKwTBG.h"
#include "panels/PanelContext.h"
#include "panels/SymbolBarTables.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QPainter;

namespace toliva {

class CKwMenu;

// The registry keys of the strip's order and of the groups' own colours.
inline const QString kStripOrderKey = QStringLiteral("Software\\Toliva\\TBP\\Scr");
inline const QString kGroupColourKey = QStringLiteral("Software\\Toliva\\TBP\\Color");

class CKwTBPanel : public QWidget {
public:
    static constexpr int kControlId = 0xFFFF;

    explicit CKwTBPanel(const PanelContext& context, QWidget* parent = nullptr);
    ~CKwTBPanel() override;

    // Remembers the parent as the owner (it receives the right-click
    // message), becomes its child at the rectangle and shows itself when
    // visible is set.
    virtual bool Create(const QString& caption, bool visible, const QRect& rect, QWidget* parent, int id);
    // A group of rows x cols cells built from the table; with dpiScaled the
    // cell sizes are multiplied by the interface scale. False (and no group)
    // when cols is not positive or the group cannot be built.
    virtual bool AddGroup(int rows, int cols, float cellWidth, float cellHeight, int groupId, int ignored,
                          uint8_t shape, const BarRecord* table, bool dpiScaled);
    // A group over the nodes of another group (always DPI-scaled).
    bool AddGroupFromNodes(int rows, int cols, float cellWidth, float cellHeight, const std::vector<CKwTBN*>* nodes);
    // Renders every group that has cells and lies (partly) in the client area.
    virtual void DrawGroups(QPainter& painter);
    // Places the groups in the rectangle: centred as one row.
    virtual void Layout(const QRect& rect);
    // A press at a screen point: true for a left press on a cell (the key is
    // then pressedKey()); a right press on a cell sends the right-click
    // message to the owner and returns false.
    virtual bool Press(QPoint screenPoint, bool leftButton);
    // True when the point is over the node pressed before.
    virtual bool Release(QPoint screenPoint);
    // Renders the back buffer and repaints, unless suspended or not shown yet.
    void Redraw();
    // Every group renders again at its next drawing.
    void MarkGroupsChanged();
    // The colour dialog for the group's fill colour (only with the groups'
    // own colours on); on OK the group takes it, the panel redraws and the
    // colour is kept as "Clr<n>" under kGroupColourKey. True on OK.
    bool ChooseGroupColour(CKwTBG* group);
    // The background colour from the context again (after a settings change).
    virtual void RefreshStyle();

    // The colour dialog in place of the program's (tests answer it): colour
    // is a COLORREF; true on OK with the choice in colour. Empty: the kit's
    // colour dialog with the custom colours of "Software\Toliva\CDInit".
    std::function<bool(uint32_t& colour)> chooseColour;

    const std::vector<std::unique_ptr<CKwTBG>>& groups() const { return m_groups; }
    CKwTBG* group(int index) const;
    int groupCount() const { return int(m_groups.size()); }
    int indexOfGroup(const CKwTBG* group) const;
    const SymbolKey& pressedKey() const { return m_pressedKey; }
    CKwTBN* pressedNode() const { return m_pressedNode; }
    CKwTBG* pressedGroup() const { return m_pressedGroup; }
    QObject* owner() const { return m_owner; }
    const PanelContext& context() const { return m_context; }

    // The client rectangle of the last resize.
    QRect clientRect() const { return m_client; }
    float totalWidth() const { return m_totalWidth; }
    float gap() const { return m_gap; }
    void setGap(float gap) { m_gap = gap; }
    int verticalMargin = 0;
    uint32_t background = 0xF0F0F0;  // COLORREF
    // While set, nothing renders (the picker sets it during a press).
    bool suspended = false;
    // Set by the first paint; nothing renders before it.
    bool shown() const { return m_shown; }
    // How many times the back buffer was rendered.
    int renderCount() const { return m_renders; }
    const QImage& backBuffer() const { return m_buffer; }
    // Renders the back buffer now (also before the first paint), for
    // pictures of the panel.
    void RenderBuffer();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

    // The group list reordered: position i takes the former element order[i].
    void reorderGroups(const std::vector<int>& order);
    // Moves a group from one position to another.
    void moveGroup(int from, int to);
    // The client point of a screen point.
    QPoint clientPoint(QPoint screenPoint) const { return mapFromGlobal(screenPoint); }
    void clearPressed();
    // The layout rectangle: the client area less the vertical margin.
    QRect layoutRect() const { return m_client.adjusted(0, verticalMargin, 0, -verticalMargin); }

    const PanelContext& m_context;
    QObject* m_owner = nullptr;
    std::vector<std::unique_ptr<CKwTBG>> m_groups;
    float m_totalWidth = 0;
    QRect m_client;
    float m_gap = 8.0f;
    QImage m_buffer;
    bool m_shown = false;
    int m_renders = 0;
    SymbolKey m_pressedKey;
    CKwTBN* m_pressedNode = nullptr;
    CKwTBG* m_pressedGroup = nullptr;
    // The cell whose press highlight shows until the release.
    int m_highlightCell = -1;
    CKwTBG* m_highlightGroup = nullptr;
};

// One header tab of the strip.
struct StripTab {
    QImage picture;             // may be null
    int pictureWidth = 0, pictureHeight = 0;
    float x = 0, y = 0, width = 0, height = 0;
    uint8_t collapsed = 0;      // 0 full, 1 collapsed left of the current tab, 2 right of it
    int darkening = 0;          // subtracted from each channel of the tab colour
    int builtPosition = 0;      // the group's position when the strip was built
};

class CKwTBPanel_Scr : public CKwTBPanel {
public:
    static constexpr uint32_t kTabLineColour = 0xC8B4B4;  // COLORREF
    static constexpr float kMarkerHeight = 3.0f;

    explicit CKwTBPanel_Scr(const PanelContext& context, QWidget* parent = nullptr);
    ~CKwTBPanel_Scr() override;  // saves the strip order

    void DrawGroups(QPainter& painter) override;
    void Layout(const QRect& rect) override;
    bool Press(QPoint screenPoint, bool leftButton) override;
    void RefreshStyle() override;
    // AddGroup with DPI scaling; on success a header tab with the picture
    // programFolder + "Pics/" + icon size folder + name (name as "\T01.bmp").
    virtual bool AddGroupWithPicture(int rows, int cols, float cellWidth, float cellHeight, int groupId, int ignored,
                                     uint8_t shape, const BarRecord* table, const QString& pictureName);
    // The picture strips: group n (1-based, list order) loads base + "%02d".
    void LoadGroupPictures(const QString& baseName);
    // The order kept as "TBS_%02d" under kStripOrderKey: tabs and groups
    // rebuilt so position i holds the former element entry[i]; missing
    // values read 0, values clamp to 0 .. n - 1, any duplicate keeps the
    // built order. Call once after the groups are built.
    void LoadStripOrder();
    // Writes each position's built position (also done on destruction).
    bool SaveStripOrder() const;
    void StepForward();
    void StepBack();
    void SetCurrentGroup(int index);
    int currentGroup() const { return m_current; }

    // The tab widths for the layout (the owner sets them after building).
    void SetTabWidths(int full, int collapsed) {
        fullTabWidth = full;
        collapsedTabWidth = collapsed;
    }
    int fullTabWidth = 60;
    int collapsedTabWidth = 8;

    float headerHeight() const { return m_headerHeight; }
    const std::vector<StripTab>& tabs() const { return m_tabs; }
    QRectF markerBar() const { return m_marker; }
    // The tab colour of a darkening step: each channel of the tab background
    // less the step, never below 0 (COLORREF).
    static uint32_t DarkenedColour(uint32_t colour, int step);

    // Tracks the tab menu in place of its modal loop (tests choose); empty:
    // the menu's own tracking. Returns the chosen id, 0 for none.
    std::function<unsigned(CKwMenu& menu, QPoint screenPoint)> trackMenu;
    // The tab menu of the tab at the position, at a screen point.
    void ShowTabMenu(int position, QPoint screenPoint);

    // The tab widths and darkening steps for the rectangle (part of Layout).
    void LayoutTabs(const QRect& rect);

private:
    void moveTab(int from, int to);
    void drawArchedTabs(QPainter& painter);
    void drawFlatTabs(QPainter& painter);
    void drawTabPicture(QPainter& painter, const StripTab& tab);
    void drawEdgeFades(QPainter& painter);

    float m_headerHeight = 36.0f;
    float m_fullTabLaidOut = 0;  // the width of a full tab in the last layout
    int m_current = 0;
    QRectF m_marker;
    std::vector<StripTab> m_tabs;
    uint32_t m_backArgb = 0xFFF0F0F0;
};

}  // namespace toliva
