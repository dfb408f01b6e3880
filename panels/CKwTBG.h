// The symbol-bar model: a node (`CKwTBN`) carries one SymbolKey; a group
// (`CKwTBG`) is a grid of cells showing nodes, with its picture strip, its
// user order of cells (groups with an id above 0, with the more-symbols cell
// last), the hit test and the rendering of the group into its cached bitmap.
#pragma once

#include "panels/PanelContext.h"
#include "panels/SymbolBarTables.h"

#include "model/SymbolKey.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRectF>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class QPainter;

namespace toliva {

class CKwTBG;

struct CKwTBN {
    CKwTBG* owner = nullptr;
    int kind = 0;
    int code = 0;
    int third = 0;
    int pictureIndex = 0;   // tile of the group's strip; 10000 for the more cell
    uint8_t visible = 1;
    QString name;

    SymbolKey key() const { return SymbolKey{kind, code, uint16_t(third)}; }
};

struct TBCell {
    uint8_t shape = 0;
    float x = 0, y = 0, width = 0, height = 0;
    CKwTBN* node = nullptr;
};

class CKwTBG {
public:
    static constexpr int kMoreCode = 10000;
    static constexpr int kMarkCellBase = 1000000;

    explicit CKwTBG(const PanelContext& context);
    ~CKwTBG();  // writes the order file when the group has an order array
    CKwTBG(const CKwTBG&) = delete;
    CKwTBG& operator=(const CKwTBG&) = delete;

    // Fields, as the Part names them.
    float cellWidth = 0, cellHeight = 0;
    float dpiScaled = 0;
    int rows = 0, cols = 0;
    int mark = -1;
    uint32_t lineColour = 0xFFB4B4C8;  // ARGB
    uint8_t sharesNodes = 0;
    uint8_t shape = 0;
    float x = 0, y = 0, width = 0, height = 0;
    int hitCell = -1;
    int id = 0;
    uint32_t fillColour = 0;  // ARGB
    uint8_t redraw = 1;
    CKwTBN* pressedNode = nullptr;

    int cellCount() const { return rows * cols; }
    const std::vector<TBCell>& cells() const { return m_cells; }
    const std::vector<CKwTBN*>& nodes() const { return m_nodes; }
    const std::vector<int>& order() const { return m_order; }
    CKwTBN* moreNode() const { return m_more.get(); }
    const QImage& cachedBitmap() const { return m_bitmap; }
    const QImage& pictureStrip() const { return m_strip; }
    const QImage& morePicture() const { return m_morePicture; }

    // Building (rows and cols set first).
    bool BuildGroup(float cellWidth, float cellHeight, int groupId, uint8_t shapeByte, const BarRecord* table);
    bool BuildGroupFromNodes(int rows, int cols, float cellWidth, float cellHeight, const std::vector<CKwTBN*>* nodes);
    void MapCells();
    void ShowFrom(int firstNode);
    int FindNodeByKey(const SymbolKey& key) const;
    int HitTestGroup(QPoint clientPoint, SymbolKey* key);
    void PlaceGroup(float x, float y);
    // Renders when the redraw flag is set, then copies the bitmap to the
    // painter at the group's origin. background: COLORREF.
    void RenderGroup(QPainter& painter, uint32_t background);
    void DrawPressHighlight(int cell, QPainter& painter) const;
    // Draws a node's picture (its tile of its own group's strip, or the
    // more-symbols picture) centred in a cell of the painter, as the group's
    // cells show it.
    void DrawSymbolPicture(QPainter& painter, const CKwTBN& node, const QRectF& cell) const;
    bool LoadGroupPicture(const QString& pictureName);
    // The more-symbols picker over the group (id > 0); on OK key becomes the
    // chosen node's key.
    void PickFromMore(SymbolKey& key);
    bool ReplaceCellSymbol();

    // The order file of the group's id: the per-user copy, read first, and
    // the program's.
    QString UserOrderPath() const;
    QString ProgramOrderPath() const;
    void LoadGroupOrder();
    bool SaveGroupOrder() const;

    // The order file's bytes: N, then N entries. Reading fills order (its
    // size is cells - 1) with min(N, size) entries, none for N < 0; entries
    // keep their stored values. False when the bytes end early (the entries
    // read so far stay).
    static bool ReadOrderBytes(const QByteArray& bytes, std::vector<int>& order);
    static QByteArray OrderBytes(const std::vector<int>& order);

    // The top and bottom colours of a cell button over base (ARGB) for the
    // button style aero (above 0); alphas stay within 0..255.
    struct ButtonColours {
        QColor top, bottom;
    };
    static ButtonColours ButtonColoursFor(uint32_t base, int aero);

    const PanelContext& context() const { return m_context; }

private:
    // Copies the node's tile (or the more-symbols picture) into the cell with
    // a raster AND; the cell's rectangle is moved by (-dx, -dy).
    void drawNodePicture(QPainter& painter, const TBCell& cell, const CKwTBN& node, int pictureIndex,
                         float dx, float dy) const;
    void resetNodes();

    const PanelContext& m_context;
    std::vector<TBCell> m_cells;
    std::vector<CKwTBN*> m_nodes;
    std::vector<std::unique_ptr<CKwTBN>> m_ownedNodes;
    std::unique_ptr<CKwTBN> m_more;
    std::vector<int> m_order;
    bool m_hasOrder = false;  // the order array exists (first mapping of a group with id > 0)
    QImage m_bitmap;
    QImage m_strip;
    QImage m_morePicture;
};

}  // namespace toliva
