#include "panels/CKwTBPanel.h"

#include "platform/LangTable.h"
#include "platform/RegKey.h"
#include "platform/gdiplus/GpTypes.h"
#include "uikit/CKwMenu.h"
#include "uikit/KitDialogs.h"
#include "uikit/WindowMessages.h"

#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QResizeEvent>

#include <algorithm>
#include <cmath>
#include <mutex>

namespace toliva {

namespace {

QColor fromColorref(uint32_t c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }

// A COLORREF less the amounts in red, green and blue, each channel kept at 0
// or above.
uint32_t minusRgb(uint32_t c, int r, int g, int b) {
    const int red = std::max(0, int(c & 0xFF) - r);
    const int green = std::max(0, int((c >> 8) & 0xFF) - g);
    const int blue = std::max(0, int((c >> 16) & 0xFF) - b);
    return uint32_t(red) | (uint32_t(green) << 8) | (uint32_t(blue) << 16);
}

int rightOf(const QRect& r) { return r.x() + r.width(); }
int bottomOf(const QRect& r) { return r.y() + r.height(); }

// The texts of the tab menu.
constexpr char kTabMenuGroup[] = "gPOP_2";
enum TabMenuId : unsigned { kMoveLeft = 1, kMoveFirst = 2, kMoveRight = 3, kMoveLast = 4 };

}  // namespace

// ---- the plain panel

CKwTBPanel::CKwTBPanel(const PanelContext& context, QWidget* parent)
    : QWidget(parent), background(context.uiBack & 0xFFFFFFu), m_context(context), m_owner(parent) {
    // The owner forwards the mouse; the panel takes none itself.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CKwTBPanel::~CKwTBPanel() = default;

bool CKwTBPanel::Create(const QString& caption, bool visible, const QRect& rect, QWidget* parent, int id) {
    m_owner = parent;
    if (parentWidget() != parent) setParent(parent);
    setWindowTitle(caption);
    setProperty("controlId", id);
    setGeometry(rect);
    setVisible(visible);
    return true;
}

bool CKwTBPanel::AddGroup(int rows, int cols, float cellWidth, float cellHeight, int groupId, int ignored,
                          uint8_t shape, const BarRecord* table, bool dpiScaled) {
    (void)ignored;
    if (cols <= 0) return false;
    auto group = std::make_unique<CKwTBG>(m_context);
    group->rows = rows;
    group->cols = cols;
    const float scale = dpiScaled ? m_context.uiScale : 1.0f;
    if (!group->BuildGroup(cellWidth * scale, cellHeight * scale, groupId, shape, table)) return false;
    group->dpiScaled = dpiScaled ? 1.0f : 0.0f;
    m_groups.push_back(std::move(group));
    return true;
}

bool CKwTBPanel::AddGroupFromNodes(int rows, int cols, float cellWidth, float cellHeight,
                                   const std::vector<CKwTBN*>* nodes) {
    if (cols <= 0) return false;
    auto group = std::make_unique<CKwTBG>(m_context);
    group->rows = rows;
    group->cols = cols;
    const float scale = m_context.uiScale;
    if (!group->BuildGroupFromNodes(rows, cols, cellWidth * scale, cellHeight * scale, nodes)) return false;
    group->dpiScaled = 1.0f;
    m_groups.push_back(std::move(group));
    return true;
}

CKwTBG* CKwTBPanel::group(int index) const {
    return index >= 0 && index < groupCount() ? m_groups[size_t(index)].get() : nullptr;
}

int CKwTBPanel::indexOfGroup(const CKwTBG* group) const {
    for (int i = 0; i < groupCount(); ++i)
        if (m_groups[size_t(i)].get() == group) return i;
    return -1;
}

void CKwTBPanel::DrawGroups(QPainter& painter) {
    const int left = m_client.x(), right = rightOf(m_client);
    for (const auto& group : m_groups) {
        if (group->cellCount() <= 0) continue;
        if (group->x + group->width <= float(left) || group->x >= float(right)) continue;
        group->RenderGroup(painter, background);
    }
}

void CKwTBPanel::Layout(const QRect& rect) {
    float total = 0;
    for (const auto& group : m_groups) total += float(group->cols) * group->cellWidth + m_gap;
    if (total > 0) total -= m_gap;
    m_totalWidth = total;
    float x = float(int((float(rect.width()) - total) / 2 + float(rect.x())));
    for (const auto& group : m_groups) {
        group->PlaceGroup(x, float(rect.y()));
        x += group->width + m_gap;
    }
}

void CKwTBPanel::clearPressed() {
    m_pressedKey = SymbolKey{};
    m_pressedNode = nullptr;
    m_pressedGroup = nullptr;
}

bool CKwTBPanel::Press(QPoint screenPoint, bool leftButton) {
    clearPressed();
    const QPoint point = clientPoint(screenPoint);
    if (!m_client.contains(point)) return false;
    for (const auto& group : m_groups) {
        SymbolKey key;
        const int cell = group->HitTestGroup(point, &key);
        if (cell < 0) continue;
        m_pressedNode = group->pressedNode;
        m_pressedGroup = group.get();
        m_pressedKey = key;
        m_highlightCell = cell;
        m_highlightGroup = group.get();
        break;
    }
    if (!m_pressedNode) return false;
    // The pressed cell shows its highlight until the release.
    repaint();
    if (leftButton) return true;
    SendWindowMessage(m_owner, WM_SYMBOL_PANEL_RCLICK, reinterpret_cast<intptr_t>(this),
                      reinterpret_cast<intptr_t>(this));
    m_highlightGroup = nullptr;
    m_highlightCell = -1;
    update();
    return false;
}

bool CKwTBPanel::Release(QPoint screenPoint) {
    if (!m_pressedNode) return false;
    const QPoint point = clientPoint(screenPoint);
    CKwTBN* under = nullptr;
    for (const auto& group : m_groups) {
        SymbolKey key;
        if (group->HitTestGroup(point, &key) >= 0) {
            under = group->pressedNode;
            break;
        }
    }
    m_highlightGroup = nullptr;
    m_highlightCell = -1;
    update();
    CKwTBN* pressed = m_pressedNode;
    m_pressedNode = nullptr;
    return under == pressed;
}

void CKwTBPanel::RenderBuffer() {
    const int w = std::max(1, m_client.width()), h = std::max(1, m_client.height());
    if (m_buffer.width() != w || m_buffer.height() != h) m_buffer = QImage(w, h, QImage::Format_RGB32);
    m_buffer.fill(fromColorref(background));
    {
        std::unique_lock<std::recursive_mutex> lock;
        if (m_context.drawingLock) lock = std::unique_lock<std::recursive_mutex>(*m_context.drawingLock);
        QPainter painter(&m_buffer);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
        DrawGroups(painter);
    }
    ++m_renders;
}

void CKwTBPanel::Redraw() {
    if (suspended || !m_shown) return;
    RenderBuffer();
    update();
}

void CKwTBPanel::MarkGroupsChanged() {
    for (const auto& group : m_groups) group->redraw = 1;
}

void CKwTBPanel::RefreshStyle() {
    background = m_context.uiBack & 0xFFFFFFu;
    MarkGroupsChanged();
}

bool CKwTBPanel::ChooseGroupColour(CKwTBG* group) {
    if (!group || !m_context.groupColours) return false;
    const int index = indexOfGroup(group);
    if (index < 0) return false;
    uint32_t colour = gp::ColorrefFromArgb(group->fillColour) & 0xFFFFFFu;
    const bool ok = chooseColour ? chooseColour(colour)
                                 : RunColorDialog(colour, QString::fromLatin1(kCustomColourKey));
    if (!ok) return false;
    colour &= 0xFFFFFFu;
    group->fillColour = 0xFF000000u | gp::ArgbFromColorref(colour);
    group->redraw = 1;
    Redraw();
    RegKey key;
    if (OpenRegKey(kGroupColourKey, key)) WriteRegDword(key, QStringLiteral("Clr%1").arg(index + 1), int(colour));
    return true;
}

void CKwTBPanel::reorderGroups(const std::vector<int>& order) {
    std::vector<std::unique_ptr<CKwTBG>> reordered;
    reordered.reserve(order.size());
    for (int from : order) reordered.push_back(std::move(m_groups[size_t(from)]));
    m_groups = std::move(reordered);
}

void CKwTBPanel::moveGroup(int from, int to) {
    if (from == to || from < 0 || to < 0 || from >= groupCount() || to >= groupCount()) return;
    auto group = std::move(m_groups[size_t(from)]);
    m_groups.erase(m_groups.begin() + from);
    m_groups.insert(m_groups.begin() + to, std::move(group));
}

void CKwTBPanel::paintEvent(QPaintEvent*) {
    if (!m_shown) {
        m_shown = true;
        RenderBuffer();
    }
    QPainter painter(this);
    painter.drawImage(0, 0, m_buffer);
    if (m_highlightGroup && m_highlightCell >= 0 && indexOfGroup(m_highlightGroup) >= 0)
        m_highlightGroup->DrawPressHighlight(m_highlightCell, painter);
}

void CKwTBPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_client = QRect(QPoint(0, 0), event->size());
    Layout(layoutRect());
    if (!suspended && m_shown) {
        RenderBuffer();
        update();
    }
}

// ---- the main strip

CKwTBPanel_Scr::CKwTBPanel_Scr(const PanelContext& context, QWidget* parent) : CKwTBPanel(context, parent) {
    m_gap = 10.0f;
    m_headerHeight = 19.0f * context.uiScale + 17.0f;
    m_backArgb = 0xFF000000u | gp::ArgbFromColorref(context.uiBack);
}

CKwTBPanel_Scr::~CKwTBPanel_Scr() { SaveStripOrder(); }

void CKwTBPanel_Scr::RefreshStyle() {
    CKwTBPanel::RefreshStyle();
    m_backArgb = 0xFF000000u | gp::ArgbFromColorref(m_context.uiBack);
}

bool CKwTBPanel_Scr::AddGroupWithPicture(int rows, int cols, float cellWidth, float cellHeight, int groupId,
                                         int ignored, uint8_t shape, const BarRecord* table,
                                         const QString& pictureName) {
    if (!AddGroup(rows, cols, cellWidth, cellHeight, groupId, ignored, shape, table, true)) return false;
    StripTab tab;
    QString name = pictureName;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QString path = m_context.programFolder + QStringLiteral("Pics/") + m_context.iconSizeFolder + name;
    QImage picture;
    if (picture.load(path)) {
        tab.picture = picture.convertToFormat(QImage::Format_RGB32);
        tab.pictureWidth = picture.width();
        tab.pictureHeight = picture.height();
    }
    tab.builtPosition = int(m_tabs.size());
    m_tabs.push_back(std::move(tab));
    return true;
}

void CKwTBPanel_Scr::LoadGroupPictures(const QString& baseName) {
    int n = 1;
    for (const auto& group : m_groups) group->LoadGroupPicture(baseName + QString::asprintf("%02d", n++));
}

void CKwTBPanel_Scr::LoadStripOrder() {
    for (size_t i = 0; i < m_tabs.size(); ++i) m_tabs[i].builtPosition = int(i);
    const int n = groupCount();
    if (n == 0) return;
    std::vector<int> entry(size_t(n), 0);
    RegKey key;
    if (OpenRegKey(kStripOrderKey, key)) {
        for (int i = 0; i < n; ++i) {
            int value = 0;
            ReadRegDword(key, QString::asprintf("TBS_%02d", i), value, 0);
            entry[size_t(i)] = std::clamp(value, 0, n - 1);
        }
    }
    // Any value twice: the order as built.
    std::vector<bool> seen(size_t(n), false);
    bool duplicate = false;
    for (int e : entry) {
        if (seen[size_t(e)]) duplicate = true;
        seen[size_t(e)] = true;
    }
    if (duplicate)
        for (int i = 0; i < n; ++i) entry[size_t(i)] = i;

    reorderGroups(entry);
    if (int(m_tabs.size()) == n) {
        std::vector<StripTab> tabs;
        tabs.reserve(size_t(n));
        for (int from : entry) tabs.push_back(std::move(m_tabs[size_t(from)]));
        m_tabs = std::move(tabs);
    }
    Layout(layoutRect());
    Redraw();
}

bool CKwTBPanel_Scr::SaveStripOrder() const {
    if (m_tabs.empty()) return true;
    RegKey key;
    if (!OpenRegKey(kStripOrderKey, key)) return false;
    bool ok = true;
    for (size_t i = 0; i < m_tabs.size(); ++i)
        ok = WriteRegDword(key, QString::asprintf("TBS_%02d", int(i)), m_tabs[i].builtPosition) && ok;
    return ok;
}

void CKwTBPanel_Scr::StepForward() { SetCurrentGroup(m_current + 1); }
void CKwTBPanel_Scr::StepBack() { SetCurrentGroup(m_current - 1); }

void CKwTBPanel_Scr::SetCurrentGroup(int index) {
    const int n = groupCount();
    if (n == 0) return;
    index = std::clamp(index, 0, n - 1);
    if (index == m_current) return;
    m_current = index;
    Layout(layoutRect());
    Redraw();
}

uint32_t CKwTBPanel_Scr::DarkenedColour(uint32_t colour, int step) { return minusRgb(colour, step, step, step); }

void CKwTBPanel_Scr::LayoutTabs(const QRect& rect) {
    const int n = int(m_tabs.size());
    if (n == 0) return;
    const float a = float(rect.width()) - (m_gap - 1) * 2;
    const float full = float(fullTabWidth), collapsedWidth = float(collapsedTabWidth);
    int k = 0;
    while (a < float(n - k) * full + float(k) * collapsedWidth && n - k > 1) ++k;
    m_fullTabLaidOut = (a - float(k) * collapsedWidth) / float(n - k);

    for (StripTab& tab : m_tabs) {
        tab.collapsed = 0;
        tab.darkening = 0;
    }
    // Collapsed tabs alternately from the left end (before the current tab)
    // and the right end (after it), starting at the left.
    const int current = std::clamp(m_current, 0, n - 1);
    int l = 0, r = n - 1, marked = 0;
    while (marked < k) {
        bool any = false;
        if (l < current) {
            m_tabs[size_t(l++)].collapsed = 1;
            ++marked;
            any = true;
        }
        if (marked < k && r > current) {
            m_tabs[size_t(r--)].collapsed = 2;
            ++marked;
            any = true;
        }
        if (!any) break;
    }

    if (m_context.tabGrad <= 0) return;
    const float d = float(m_context.tabGrad) * 0.01f;
    // Darker the further from the current tab: the k-th tab away gets
    // d x k x (k + 1) / 2, summed as an int.
    for (const int dir : {-1, 1}) {
        int sum = 0, away = 1;
        for (int i = current + dir; i >= 0 && i < n; i += dir, ++away) {
            sum = int(float(sum) + d * float(away));
            m_tabs[size_t(i)].darkening = sum;
        }
        // Collapsed tabs darker still, from the innermost one outwards.
        int extra = 2;
        float growth = 4;
        bool first = true;
        for (int i = current + dir; i >= 0 && i < n; i += dir) {
            if (m_tabs[size_t(i)].collapsed == 0) continue;
            if (!first) {
                extra = int(float(extra) + growth * d);
                growth += 4;
            }
            first = false;
            m_tabs[size_t(i)].darkening += extra;
        }
    }
}

void CKwTBPanel_Scr::Layout(const QRect& rect) {
    const int left = rect.x(), top = rect.y(), right = rightOf(rect);
    const float gap = m_gap;
    if (!m_tabs.empty()) {
        LayoutTabs(rect);
        float x = float(left) + gap - 1;
        for (StripTab& tab : m_tabs) {
            tab.x = float(int(x));
            tab.y = float(top + 2);
            tab.height = m_headerHeight - (gap + 2);
            x += tab.collapsed ? float(collapsedTabWidth) : m_fullTabLaidOut;
        }
        for (size_t i = 0; i + 1 < m_tabs.size(); ++i) m_tabs[i].width = m_tabs[i + 1].x - m_tabs[i].x;
        m_tabs.back().width = float(rect.width()) - gap - m_tabs.back().x;
    }

    const int n = groupCount();
    if (n == 0) return;
    const int current = std::clamp(m_current, 0, n - 1);
    const float y = float(int(float(top) + m_headerHeight));
    float before = 0, total = 0;
    for (int i = 0; i < n; ++i) {
        const float w = float(m_groups[size_t(i)]->cols) * m_groups[size_t(i)]->cellWidth;
        if (i < current) before += w + gap;
        total += w + gap;
    }
    if (total > 0) total -= gap;
    m_totalWidth = total;
    const float half = float(m_groups[size_t(current)]->cols) * m_groups[size_t(current)]->cellWidth / 2;
    float c = float(rect.width()) * (float(current) + 0.5f) / float(n) + gap - 1;
    c = std::max(c, float(left) + half + 40);
    c = std::min(c, float(right) - half - 41);
    float start = float(int(c - before - half));
    if (start > float(left) + gap - 1) start = float(left) + gap - 1;  // no empty space at the left
    else if (start + total + gap < float(right)) start = float(right) - total - gap;  // nor at the right
    float x = start;
    for (const auto& group : m_groups) {
        group->PlaceGroup(x, y);
        x += group->width + gap;
    }
    const CKwTBG& cur = *m_groups[size_t(current)];
    m_marker = QRectF(cur.x, y - 6, cur.width + 1, kMarkerHeight);
}

bool CKwTBPanel_Scr::Press(QPoint screenPoint, bool leftButton) {
    clearPressed();
    const QPoint point = clientPoint(screenPoint);
    if (!m_client.contains(point)) return false;
    for (size_t i = 0; i < m_tabs.size(); ++i) {
        const StripTab& tab = m_tabs[i];
        const int l = int(tab.x), t = int(tab.y), r = int(tab.x + tab.width), b = int(tab.y + tab.height);
        if (point.x() < l || point.x() >= r || point.y() < t || point.y() >= b) continue;
        SetCurrentGroup(int(i));
        if (!leftButton) ShowTabMenu(int(i), screenPoint);
        return false;
    }
    return CKwTBPanel::Press(screenPoint, leftButton);
}

void CKwTBPanel_Scr::moveTab(int from, int to) {
    const int n = int(m_tabs.size());
    if (from == to || from < 0 || to < 0 || from >= n || to >= n) return;
    StripTab tab = std::move(m_tabs[size_t(from)]);
    m_tabs.erase(m_tabs.begin() + from);
    m_tabs.insert(m_tabs.begin() + to, std::move(tab));
}

void CKwTBPanel_Scr::ShowTabMenu(int position, QPoint screenPoint) {
    const int last = groupCount() - 1;
    if (position < 0 || position > last) return;
    LangTable texts;
    if (m_context.programFolder.isEmpty())
        OpenLangTable(texts, m_context.languageCode, QStringLiteral("LANG_12.xml"));
    else
        OpenLangTableFile(texts, m_context.languageCode,
                          m_context.programFolder + QStringLiteral("Languages/LANG_12.xml"));
    const QString group = QString::fromLatin1(kTabMenuGroup);
    CKwMenu menu(this);
    if (position > 0) {
        menu.AppendItem(MF_STRING, kMoveLeft, texts, group, 1);
        menu.AppendItem(MF_STRING, kMoveFirst, texts, group, 2);
    }
    if (position < last) {
        menu.AppendItem(MF_STRING, kMoveRight, texts, group, 3);
        menu.AppendItem(MF_STRING, kMoveLast, texts, group, 4);
    }
    const unsigned chosen = trackMenu ? trackMenu(menu, screenPoint) : menu.TrackPopupMenu(screenPoint);
    int to = -1;
    switch (chosen) {
    case kMoveLeft:
        if (position > 0) to = position - 1;
        break;
    case kMoveFirst:
        if (position > 0) to = 0;
        break;
    case kMoveRight:
        if (position < last) to = position + 1;
        break;
    case kMoveLast:
        if (position < last) to = last;
        break;
    default: break;
    }
    if (to < 0) return;
    // The tab and its group move together; the moved group stays current.
    moveGroup(position, to);
    if (int(m_tabs.size()) == groupCount()) moveTab(position, to);
    m_current = to;
    Layout(layoutRect());
    Redraw();
}

// ---- drawing the strip

void CKwTBPanel_Scr::drawTabPicture(QPainter& painter, const StripTab& tab) {
    if (tab.collapsed || tab.picture.isNull()) return;
    const int x = int(tab.x + (tab.width - float(tab.pictureWidth)) / 2);
    const int y = int(tab.y + (tab.height - float(tab.pictureHeight)) / 2);
    painter.save();
    // White leaves the tab as it is (a raster AND); a picture larger than
    // its tab stays on it.
    painter.setClipRect(QRectF(tab.x, tab.y, tab.width, tab.height));
    painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    painter.drawImage(x, y, tab.picture);
    painter.restore();
}

namespace {

// The outline of an arched tab: sides leaning inwards with arched upper
// corners (70-degree arcs in boxes of 6 x s). A collapsed tab leans outwards
// on its side and reaches under its inner neighbour; the current tab's path
// also runs along the base line over the whole width.
QPainterPath tabPath(const StripTab& tab, float s, float clientLeft, float clientRight, bool current) {
    const float x = tab.x, top = tab.y, w = tab.width, bottom = tab.y + tab.height;
    const float box = 6 * s;
    QPainterPath path;
    if (tab.collapsed == 1) {
        // Left of the current tab: the top leans out to the left.
        const float outer = x, inner = x + w + 6 * s;
        path.moveTo(inner, bottom);
        path.lineTo(outer + 2 * s, bottom);
        path.arcTo(QRectF(outer - 1, top, box, box), 160, -70);
        path.lineTo(inner, top);
        path.closeSubpath();
        return path;
    }
    if (tab.collapsed == 2) {
        const float outer = x + w, inner = x - 6 * s;
        path.moveTo(inner, bottom);
        path.lineTo(inner, top);
        path.arcTo(QRectF(outer + 1 - box, top, box, box), 90, -70);
        path.lineTo(outer - 2 * s, bottom);
        path.closeSubpath();
        return path;
    }
    // A full tab; narrow tabs shrink their insets.
    const float k = std::min(1.0f, w / (30 * s));
    const float bl = x + 2 * s * k, br = x + w - 3 * s * k;
    const float tl = x + 8 * s * k, tr = x + w - 9 * s * k;
    const float b = box * k;
    if (current) {
        path.moveTo(clientLeft - 1, bottom);
        path.lineTo(bl, bottom);
    } else {
        path.moveTo(bl, bottom);
    }
    path.arcTo(QRectF(tl, top, b, b), 160, -70);
    path.arcTo(QRectF(tr - b, top, b, b), 90, -70);
    path.lineTo(br, bottom);
    if (current) path.lineTo(clientRight + 1, bottom);
    path.closeSubpath();
    return path;
}

}  // namespace

void CKwTBPanel_Scr::drawArchedTabs(QPainter& painter) {
    const int n = int(m_tabs.size());
    const int current = std::clamp(m_current, 0, n - 1);
    const float s = m_context.uiScale;
    const float left = float(m_client.x()), right = float(rightOf(m_client));
    const QColor line = fromColorref(kTabLineColour);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    // The tabs left of the current one from the outside in, then those right
    // of it from the outside in, so that inner tabs lie over outer ones.
    std::vector<int> order;
    for (int i = 0; i < current; ++i) order.push_back(i);
    for (int i = n - 1; i > current; --i) order.push_back(i);
    for (int i : order) {
        const StripTab& tab = m_tabs[size_t(i)];
        const QPainterPath path = tabPath(tab, s, left, right, false);
        painter.fillPath(path, fromColorref(DarkenedColour(m_context.scrTabBack, tab.darkening)));
        painter.strokePath(path, QPen(line, 1));
        drawTabPicture(painter, tab);
    }
    const StripTab& tab = m_tabs[size_t(current)];
    const QPainterPath path = tabPath(tab, s, left, right, true);
    const uint32_t back = m_context.uiBack & 0xFFFFFFu;
    painter.strokePath(path, QPen(fromColorref(minusRgb(back, 20, 25, 25)), 4));
    painter.fillPath(path, fromColorref(back));
    painter.strokePath(path, QPen(fromColorref(minusRgb(kTabLineColour, 20, 15, 15)), 1));
    // The strip that joins the current tab to the groups.
    const float bottom = tab.y + tab.height;
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(QRectF(left - 1, bottom - 1, right - left + 2, 2), fromColorref(back));
    drawTabPicture(painter, tab);
    painter.restore();
}

void CKwTBPanel_Scr::drawFlatTabs(QPainter& painter) {
    const int n = int(m_tabs.size());
    const int current = std::clamp(m_current, 0, n - 1);
    const QColor line = fromColorref(kTabLineColour);
    const QColor back = fromColorref(m_context.uiBack);
    const int left = m_client.x(), right = rightOf(m_client) - 1;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (int i = 0; i < n; ++i) {
        if (i == current) continue;
        const StripTab& tab = m_tabs[size_t(i)];
        const int x = int(tab.x), y = int(tab.y), r = int(tab.x + tab.width) - 1, b = int(tab.y + tab.height);
        painter.fillRect(QRect(x, y, r - x + 1, b - y), fromColorref(DarkenedColour(m_context.scrTabBack, tab.darkening)));
        painter.setPen(line);
        painter.drawRect(QRect(x, y, r - x, b - y));
        painter.setPen(back);
        painter.drawLine(x + 1, y + 1, x + 1, b - 1);
        painter.drawLine(x + 1, y + 1, r - 1, y + 1);
        drawTabPicture(painter, tab);
    }
    const StripTab& tab = m_tabs[size_t(current)];
    const int x = int(tab.x), y = int(tab.y), r = int(tab.x + tab.width) - 1, b = int(tab.y + tab.height);
    painter.fillRect(QRect(x, y, r - x + 1, b - y), back);
    // The base line, up and over the current tab and on to the right edge.
    painter.setPen(line);
    const QPoint points[] = {{left, b}, {x, b}, {x, y}, {r, y}, {r, b}, {right, b}};
    painter.drawPolyline(points, 6);
    painter.setPen(Qt::white);
    if (x > left) painter.drawLine(left, b + 1, x, b + 1);
    if (r < right) painter.drawLine(r, b + 1, right, b + 1);
    painter.drawLine(x + 1, y + 1, x + 1, b);
    painter.drawLine(x + 1, y + 1, r - 1, y + 1);
    painter.setPen(QColor(230, 230, 230));
    painter.drawLine(r - 1, y + 1, r - 1, b);
    drawTabPicture(painter, tab);
    painter.restore();
}

void CKwTBPanel_Scr::drawEdgeFades(QPainter& painter) {
    const QRect area = layoutRect();
    const float top = float(area.y()) + m_headerHeight - 2;
    const float height = float(bottomOf(area)) - top;
    const QColor back = fromColorref(m_context.uiBack);
    QColor clear = back;
    clear.setAlpha(0);
    const int last = groupCount() - 1;
    painter.save();
    if (m_context.buttonAero > 0) {
        if (m_current > 0) {
            const float x = float(area.x()) - 2;
            QLinearGradient fade(x, 0, x + 18, 0);
            fade.setColorAt(0, back);
            fade.setColorAt(0.5, back);
            fade.setColorAt(1, clear);
            painter.fillRect(QRectF(x, top, 18, height), fade);
        }
        if (m_current < last) {
            const float x = float(rightOf(area)) - 16;
            QLinearGradient fade(x, 0, x + 18, 0);
            fade.setColorAt(0, clear);
            fade.setColorAt(0.5, back);
            fade.setColorAt(1, back);
            painter.fillRect(QRectF(x, top, 18, height), fade);
        }
    } else {
        painter.fillRect(QRectF(float(area.x()), top, m_gap, height), back);
        painter.fillRect(QRectF(float(rightOf(area)) - m_gap, top, m_gap, height), back);
    }
    painter.restore();
}

void CKwTBPanel_Scr::DrawGroups(QPainter& painter) {
    if (!m_tabs.empty()) {
        if (m_context.archedTabs) drawArchedTabs(painter);
        else drawFlatTabs(painter);
    }
    CKwTBPanel::DrawGroups(painter);
    if (groupCount() > 0) painter.fillRect(m_marker, fromColorref(m_context.markerBar));
    drawEdgeFades(painter);
}

}  // namespace toliva
