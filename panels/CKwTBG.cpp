#include "panels/CKwTBG.h"

#include "platform/Archive.h"
#include "platform/MessageSink.h"
#include "platform/SafeFile.h"

#include <QBuffer>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <mutex>

namespace toliva {
namespace {

QColor fromColorRef(uint32_t c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }

uint32_t opaqueArgbFromColorRef(uint32_t c) {
    return 0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

// The marked cell's button colour.
constexpr uint32_t kMarkGreen = 0xFF008000;
// The press highlight: a solid rectangle without button effects, a
// translucent fill with them.
const QColor kPressSolid(220, 200, 100);
constexpr uint32_t kPressTranslucent = 0x64C8B400;

bool isMoreNode(const CKwTBN& node) { return node.key() == kMoreSymbolsKey; }

// Pictures are copied with a raster AND; the painter's raster operations need
// an opaque 32-bit image.
QImage forRasterAnd(const QImage& image) {
    if (image.isNull() || image.format() == QImage::Format_RGB32) return image;
    return image.convertToFormat(QImage::Format_RGB32);
}

bool saveBmp(const QString& path, const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "BMP")) return false;
    return WriteFileSafely(path, bytes, nullptr);
}

}  // namespace

CKwTBG::CKwTBG(const PanelContext& context) : m_context(context) {
    fillColour = opaqueArgbFromColorRef(context.uiBack);
}

CKwTBG::~CKwTBG() {
    if (m_hasOrder) SaveGroupOrder();
}

void CKwTBG::resetNodes() {
    for (TBCell& cell : m_cells) cell.node = nullptr;
    m_nodes.clear();
    m_ownedNodes.clear();
}

bool CKwTBG::BuildGroup(float cw, float ch, int groupId, uint8_t shapeByte, const BarRecord* table) {
    if (rows <= 0 || cols <= 0) return false;
    cellWidth = cw;
    cellHeight = ch;
    id = groupId;
    shape = shapeByte;
    sharesNodes = 0;
    resetNodes();
    m_cells.assign(size_t(cellCount()), TBCell{0, 0, 0, cw, ch, nullptr});
    if (!table) return true;

    const std::vector<SymbolKey> keys = ExpandBarRecords(table);
    m_ownedNodes.reserve(keys.size());
    for (size_t i = 0; i < keys.size(); ++i) {
        auto node = std::make_unique<CKwTBN>();
        node->owner = this;
        node->kind = keys[i].kind;
        node->code = keys[i].code;
        node->third = keys[i].ch;
        node->pictureIndex = int(i);
        node->visible = 1;
        m_nodes.push_back(node.get());
        m_ownedNodes.push_back(std::move(node));
    }
    MapCells();
    return true;
}

bool CKwTBG::BuildGroupFromNodes(int r, int c, float cw, float ch, const std::vector<CKwTBN*>* nodes) {
    if (!nodes || r <= 0 || c <= 0) return false;
    resetNodes();
    rows = r;
    cols = c;
    cellWidth = cw;
    cellHeight = ch;
    id = 0;
    shape = 0;
    sharesNodes = 1;
    m_cells.assign(size_t(cellCount()), TBCell{0, 0, 0, cw, ch, nullptr});
    m_nodes = *nodes;
    MapCells();
    return true;
}

void CKwTBG::MapCells() {
    if (m_nodes.empty()) return;
    for (TBCell& cell : m_cells) cell.node = nullptr;
    const int cells = int(m_cells.size());
    if (id <= 0) {
        const int n = std::min(cells, int(m_nodes.size()));
        for (int i = 0; i < n; ++i) m_cells[size_t(i)].node = m_nodes[size_t(i)];
    } else {
        if (!m_hasOrder) {
            m_hasOrder = true;
            LoadGroupOrder();
        }
        // An entry naming no node (a damaged or foreign file) shows the first.
        for (int i = 0; i + 1 < cells && i < int(m_order.size()); ++i) {
            const int position = m_order[size_t(i)];
            const bool exists = position >= 0 && position < int(m_nodes.size());
            m_cells[size_t(i)].node = m_nodes[exists ? size_t(position) : 0];
        }
        if (!m_more) {
            m_more = std::make_unique<CKwTBN>();
            m_more->owner = this;
            m_more->kind = kMoreCode;
            m_more->code = kMoreCode;
            m_more->third = 0;
            m_more->pictureIndex = kMoreCode;
            m_more->visible = 1;
        }
        if (cells > 0) m_cells[size_t(cells - 1)].node = m_more.get();
    }
    redraw = 1;
}

void CKwTBG::ShowFrom(int firstNode) {
    if (m_nodes.empty()) return;
    for (TBCell& cell : m_cells) cell.node = nullptr;
    for (size_t i = 0; i < m_cells.size(); ++i) {
        const long long position = (long long)firstNode + (long long)i;
        if (position < 0) continue;
        if (position >= (long long)m_nodes.size()) break;
        m_cells[i].node = m_nodes[size_t(position)];
    }
    redraw = 1;
}

int CKwTBG::FindNodeByKey(const SymbolKey& key) const {
    for (size_t i = 0; i < m_nodes.size(); ++i) {
        const CKwTBN* node = m_nodes[i];
        if (node->kind == key.kind && node->code == key.code && node->third == int(key.ch)) return int(i);
    }
    return -1;
}

int CKwTBG::HitTestGroup(QPoint p, SymbolKey* key) {
    hitCell = -1;
    pressedNode = nullptr;
    const QRect group(QPoint(int(x), int(y)), QPoint(int(x + width) - 1, int(y + height) - 1));
    if (!group.contains(p)) return -1;
    for (size_t i = 0; i < m_cells.size(); ++i) {
        const TBCell& cell = m_cells[i];
        const int left = int(cell.x), top = int(cell.y);
        const int right = int(cell.x + cell.width), bottom = int(cell.y + cell.height);
        if (p.x() < left || p.x() >= right || p.y() < top || p.y() >= bottom) continue;
        hitCell = int(i);
        if (cell.node && cell.node->visible) {
            if (key) *key = cell.node->key();
            pressedNode = cell.node;
            return int(i);
        }
        if (key) *key = SymbolKey{0, 0, 0};
        return -1;
    }
    return -1;
}

void CKwTBG::PlaceGroup(float px, float py) {
    x = px;
    y = py;
    width = float(cols) * cellWidth;
    height = float(rows) * cellHeight;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            const size_t index = size_t(r) * size_t(cols) + size_t(c);
            if (index >= m_cells.size()) return;  // the grid changed after building
            TBCell& cell = m_cells[index];
            cell.x = px + float(c) * cellWidth;
            cell.y = py + float(r) * cellHeight;
            cell.width = cellWidth;
            cell.height = cellHeight;
        }
    }
}

void CKwTBG::drawNodePicture(QPainter& painter, const TBCell& cell, const CKwTBN& node, int pictureIndex, float dx,
                             float dy) const {
    if (!node.visible) return;
    QRect source;
    QPoint target;
    const QImage* picture = nullptr;
    // The more cell is told by its key, not by its code alone: a symbol's
    // code point may well lie above 10000.
    if (isMoreNode(node)) {
        if (m_morePicture.isNull()) return;
        picture = &m_morePicture;
        const int bw = m_morePicture.width(), bh = m_morePicture.height();
        source = QRect(2, 2, bw - 2, bh - 2);
        target = QPoint(int(cell.x - dx + (cell.width - float(bw)) / 2 + 3),
                        int(cell.y - dy + (cell.height - float(bh)) / 2 + 3));
    } else {
        // A node shows a tile of its own group's strip, also in a group that
        // only borrows it (the more-symbols picker's), whose cells are at
        // least as large.
        const CKwTBG& strip = node.owner ? *node.owner : *this;
        if (strip.m_strip.isNull() || pictureIndex < 0) return;
        picture = &strip.m_strip;
        const int w = int(strip.cellWidth), h = int(strip.cellHeight);
        source = QRect(w * (pictureIndex % 10) + 3, h * (pictureIndex / 10) + 3, w - 4, h - 4);
        target = QPoint(int(cell.x - dx + (cell.width - float(w)) / 2 + 3),
                        int(cell.y - dy + (cell.height - float(h)) / 2 + 3));
    }
    if (source.width() <= 0 || source.height() <= 0) return;
    painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    painter.drawImage(target, *picture, source);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

CKwTBG::ButtonColours CKwTBG::ButtonColoursFor(uint32_t base, int aero) {
    // The top alpha would go below 0 once aero reaches 108, and any value
    // outside a byte makes no colour: both are held to 0..255.
    const int alphaTop = std::clamp(35 - aero / 3, 0, 255);
    const int alphaBottom = std::clamp((aero + 35) % 256, 0, 255);
    return {QColor(qRed(base), qGreen(base), qBlue(base), alphaTop),
            QColor(int(qRed(base) * 0.75), int(qGreen(base) * 0.75), int(qBlue(base) * 0.75), alphaBottom)};
}

void CKwTBG::RenderGroup(QPainter& painter, uint32_t background) {
    if (redraw) {
        const QSize size(int(width) + 1, int(height) + 1);
        if (m_bitmap.size() != size) m_bitmap = QImage(size, QImage::Format_RGB32);
        m_bitmap.fill(fromColorRef(background));
        QPainter p(&m_bitmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);

        const int aero = m_context.buttonAero;
        const double split = std::clamp(m_context.buttonGrad / 100.0, 0.0, 1.0);
        for (size_t i = 0; i < m_cells.size(); ++i) {
            const TBCell& cell = m_cells[i];
            if (!cell.node || !cell.node->visible) continue;
            const bool marked = mark == kMarkCellBase + int(i);
            const QRgb base = marked ? kMarkGreen : fillColour;
            const QRectF rect(cell.x - x, cell.y - y, cell.width, cell.height);
            if (aero > 0) {
                const ButtonColours colours = ButtonColoursFor(base, aero);
                QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
                gradient.setColorAt(0, colours.top);
                gradient.setColorAt(split, colours.bottom);
                gradient.setColorAt(1, colours.bottom);
                p.fillRect(rect, gradient);
            } else if (marked) {
                // Flat buttons: the marked cell is still told apart.
                p.fillRect(rect, QColor::fromRgba(kMarkGreen));
            }
            int picture = cell.node->pictureIndex;
            if (mark >= 0 && mark < kMarkCellBase) picture = int(i) == mark ? 1 : 0;
            drawNodePicture(p, cell, *cell.node, picture, x, y);
        }

        // The grid; a pixel's centre lies half a pixel in from its corner.
        QPen pen(QColor::fromRgba(lineColour), 1.0);
        pen.setCapStyle(Qt::FlatCap);
        p.setPen(pen);
        for (int j = 0; j <= rows; ++j) {
            const qreal ly = qreal(j) * cellHeight + 0.5;
            p.drawLine(QPointF(0, ly), QPointF(qreal(width) + 1, ly));
        }
        for (int i = 0; i <= cols; ++i) {
            const qreal lx = qreal(i) * cellWidth + 0.5;
            p.drawLine(QPointF(lx, 0), QPointF(lx, qreal(height)));
        }
        p.end();
        redraw = 0;
    }
    painter.drawImage(QPoint(int(x), int(y)), m_bitmap);
}

void CKwTBG::DrawSymbolPicture(QPainter& painter, const CKwTBN& node, const QRectF& cell) const {
    TBCell place;
    place.x = float(cell.x());
    place.y = float(cell.y());
    place.width = float(cell.width());
    place.height = float(cell.height());
    drawNodePicture(painter, place, node, node.pictureIndex, 0, 0);
}

void CKwTBG::DrawPressHighlight(int index, QPainter& painter) const {
    if (index < 0 || index >= int(m_cells.size())) return;
    const TBCell& cell = m_cells[size_t(index)];
    if (m_context.buttonAero <= 0)
        painter.fillRect(QRectF(cell.x + 2, cell.y + 2, cell.width - 2, cell.height - 2), kPressSolid);
    else
        painter.fillRect(QRectF(cell.x, cell.y, cell.width, cell.height), QColor::fromRgba(kPressTranslucent));
}

bool CKwTBG::LoadGroupPicture(const QString& name) {
    const QString& size = m_context.iconSizeFolder;
    const QString& program = m_context.programFolder;
    const QString cache = m_context.userFolder.isEmpty() ? QString() : m_context.userFolder + name + size + ".bmp";

    QImage strip;
    if (!cache.isEmpty()) strip.load(cache, "BMP");
    if (strip.isNull()) {
        if (!cache.isEmpty()) QDir().mkpath(m_context.userFolder);
        QImage made;
        if (m_context.uiScale > 1.1f) {
            // The double-size picture scaled down to this interface scale.
            std::unique_lock<std::recursive_mutex> lock;
            if (m_context.drawingLock) lock = std::unique_lock<std::recursive_mutex>(*m_context.drawingLock);
            const QImage source(program + "Pics/200/" + name + ".png");
            const int w = int(float(source.width()) * m_context.uiScale * 0.5f);
            const int h = int(float(source.height()) * m_context.uiScale * 0.5f);
            if (!source.isNull() && w > 0 && h > 0) {
                QImage::Format format = source.format();
                if (format == QImage::Format_Indexed8 || format == QImage::Format_Mono ||
                    format == QImage::Format_MonoLSB)
                    format = QImage::Format_ARGB32;
                made = QImage(w, h, format);
                made.fill(Qt::white);
                QPainter p(&made);
                p.setRenderHint(QPainter::SmoothPixmapTransform);
                p.drawImage(QRect(0, 0, w, h), source);
                p.end();
                made = made.convertToFormat(QImage::Format_RGB32);
                if (!cache.isEmpty()) saveBmp(cache, made);
            }
        } else {
            const QString from = program + "Pics/" + size + "/" + name + ".bmp";
            // An existing cached file is never overwritten.
            if (!cache.isEmpty() && !QFileInfo::exists(cache)) QFile::copy(from, cache);
            if (!cache.isEmpty()) strip.load(cache, "BMP");
            if (strip.isNull()) made.load(from, "BMP");
        }
        if (strip.isNull() && !cache.isEmpty()) strip.load(cache, "BMP");
        // A per-user folder that takes no file (or holds a damaged one) still
        // shows the pictures.
        if (strip.isNull()) strip = made;
    }
    m_strip = forRasterAnd(strip);
    if (id > 0) m_morePicture = forRasterAnd(QImage(program + "Pics/" + size + "/MORE.bmp", "BMP"));
    redraw = 1;
    return !m_strip.isNull();
}

void CKwTBG::PickFromMore(SymbolKey& key) {
    if (id <= 0 || !m_context.picker) return;
    const float s = dpiScaled != 0 && m_context.uiScale > 0 ? m_context.uiScale : 1.0f;
    const bool large = std::max(cellWidth, cellHeight) / s > 36;
    SymbolKey chosen = key;
    if (m_context.picker->pick(*this, large, false, chosen)) key = chosen;
}

bool CKwTBG::ReplaceCellSymbol() {
    if (!m_hasOrder || hitCell < 0 || hitCell > cellCount() - 2 || hitCell >= int(m_order.size()) || !pressedNode)
        return false;
    if (!m_context.picker) return false;
    const float s = dpiScaled != 0 && m_context.uiScale > 0 ? m_context.uiScale : 1.0f;
    const bool large = std::max(cellWidth, cellHeight) / s > 36;
    SymbolKey chosen = pressedNode->key();
    if (!m_context.picker->pick(*this, large, true, chosen)) return false;
    const int position = FindNodeByKey(chosen);
    if (position >= 0) {
        m_order[size_t(hitCell)] = position;
        MapCells();
    }
    redraw = 1;
    return true;
}

QString CKwTBG::UserOrderPath() const {
    if (m_context.userFolder.isEmpty()) return {};
    return m_context.userFolder + QString::asprintf("Dat/KwTBNSeq%d.dat", id);
}

QString CKwTBG::ProgramOrderPath() const {
    if (m_context.programFolder.isEmpty()) return {};
    return m_context.programFolder + QString::asprintf("Dat/KwTBNSeq%d.dat", id);
}

bool CKwTBG::ReadOrderBytes(const QByteArray& bytes, std::vector<int>& order) {
    try {
        Archive ar(bytes);
        const int32_t n = ar.readI32();
        const int count = n < 0 ? 0 : int(std::min<int64_t>(n, int64_t(order.size())));
        for (int i = 0; i < count; ++i) order[size_t(i)] = ar.readI32();
    } catch (const ArchiveException&) {
        return false;
    }
    return true;
}

QByteArray CKwTBG::OrderBytes(const std::vector<int>& order) {
    QByteArray bytes;
    Archive ar(&bytes, Archive::Store);
    ar.writeI32(int32_t(order.size()));
    for (int entry : order) ar.writeI32(entry);
    return bytes;
}

void CKwTBG::LoadGroupOrder() {
    const int entries = std::max(0, cellCount() - 1);
    m_order.resize(size_t(entries));
    for (int i = 0; i < entries; ++i) m_order[size_t(i)] = i;
    // The user's own order first; the program's copy gives the order a new
    // user starts with.
    for (const QString& path : {UserOrderPath(), ProgramOrderPath()}) {
        if (path.isEmpty()) continue;
        QByteArray bytes;
        if (!ReadFileCapped(path, kMaxInputFileBytes, &bytes, nullptr)) continue;
        if (!ReadOrderBytes(bytes, m_order)) showMessage(QStringLiteral("failed to open file : ") + path, MB_OK);
        return;
    }
}

bool CKwTBG::SaveGroupOrder() const {
    // Written to the per-user folder: the program's folder is read-only once
    // installed. A file that cannot be written is skipped without a word.
    const QString path = UserOrderPath();
    if (path.isEmpty()) return false;
    QDir().mkpath(QFileInfo(path).absolutePath());
    return WriteFileSafely(path, OrderBytes(m_order), nullptr);
}

}  // namespace toliva
