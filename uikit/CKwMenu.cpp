#include "uikit/CKwMenu.h"

#include "platform/AppContext.h"
#include "platform/Folders.h"
#include "platform/gdiplus/Brush.h"
#include "platform/gdiplus/Font.h"
#include "platform/gdiplus/Graphics.h"
#include "uikit/LangTable.h"
#include "uikit/Utilities.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>

#include <algorithm>
#include <atomic>
#include <mutex>

namespace toliva {
namespace {

constexpr uint32_t kSeparatorColour = 0xDCC8C8;        // COLORREF
constexpr uint32_t kSelectedColour = 0xFAC896;         // COLORREF
constexpr uint32_t kSelectedGreyedColour = 0xC0C0C0;   // COLORREF
constexpr QRgb kTextColour = 0xFF000000;
constexpr QRgb kGreyedTextColour = 0xFF808080;

std::atomic<unsigned> g_nextPopupId{CKwMenu::kFirstPopupId};

// The family that stands in for the interface font on this system.
QString interfaceFamily() {
    const gp::FontFamily family(GetUIFontName());
    const gp::FontFace* face = family.face(gp::FontStyleRegular);
    return face && !face->familyName.isEmpty() ? face->familyName : GetUIFontName();
}

QString iconPath(const QString& iconName) {
    return programFolder() + QStringLiteral("icons/") + dataName(iconName) + QStringLiteral(".apx");
}

// Hands the entries of icon menus to their menu's MeasureItem and DrawItem.
class CKwMenuStyle : public QProxyStyle {
public:
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override {
        if (type == CT_MenuItem) {
            auto* menu = const_cast<CKwMenu*>(qobject_cast<const CKwMenu*>(widget));
            auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
            if (menu && item) {
                MeasureItemStruct mis;
                mis.itemId = idOf(item);
                menu->MeasureItem(&mis);
                return QSize(mis.itemWidth, mis.itemHeight);
            }
        }
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        if (element == CE_MenuItem) {
            auto* menu = const_cast<CKwMenu*>(qobject_cast<const CKwMenu*>(widget));
            auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
            if (menu && item) {
                DrawItemStruct dis;
                dis.itemId = idOf(item);
                if (item->state & State_Selected) dis.itemState |= ODS_SELECTED;
                if (!(item->state & State_Enabled)) dis.itemState |= ODS_GRAYED | ODS_DISABLED;
                if (item->checkType != QStyleOptionMenuItem::NotCheckable && item->checked)
                    dis.itemState |= ODS_CHECKED;
                dis.rcItem = item->rect;
                dis.painter = painter;
                menu->DrawItem(&dis);
                if (item->menuItemType == QStyleOptionMenuItem::SubMenu) drawSubmenuArrow(item, painter);
                return;
            }
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        // Disabled entries can be highlighted, as the system's menus do.
        if (hint == SH_Menu_AllowActiveAndDisabled && qobject_cast<const CKwMenu*>(widget)) return 1;
        return QProxyStyle::styleHint(hint, option, widget, data);
    }

private:
    static unsigned idOf(const QStyleOptionMenuItem* item) {
        return CKwMenu::ActionId(qobject_cast<const QAction*>(item->styleObject));
    }

    static void drawSubmenuArrow(const QStyleOptionMenuItem* item, QPainter* painter) {
        const QRect r = item->rect;
        const qreal s = std::max<qreal>(3, r.height() / 6.0);
        const qreal cx = r.right() - 8 * app().uiScale;
        const qreal cy = r.center().y() + 0.5;
        const QPointF arrow[3] = {{cx - s / 2, cy - s}, {cx + s / 2, cy}, {cx - s / 2, cy + s}};
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(QColor::fromRgba((item->state & State_Enabled) ? kTextColour : kGreyedTextColour));
        painter->drawPolygon(arrow, 3);
        painter->restore();
    }
};

}  // namespace

QFont CreateMenuFont() {
    QFont font(interfaceFamily());
    font.setPointSize(GetWindowsMajorVersion() >= 6 ? 9 : 8);
    font.setWeight(QFont::Normal);
    return font;
}

CKwMenu::CKwMenu(QWidget* parent) : QMenu(parent) {
    auto* style = new CKwMenuStyle;
    style->setParent(this);
    setStyle(style);
    // The menu's own background: the system's button face.
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QApplication::palette().color(QPalette::Button));
    setPalette(pal);

    m_check.LoadFile(iconPath(QStringLiteral("menu\\check")));

    std::lock_guard<std::recursive_mutex> lock(app().drawingLock);
    // Measured as on a screen of 96 x UI scale dots per inch, where the
    // menu font's points become the pixels the entries are drawn with.
    m_menuFont = CreateMenuFont();
    m_menuFont.setPixelSize(std::max(1, qRound(m_menuFont.pointSizeF() * 96.0 / 72.0 * app().uiScale)));
    m_textFont = QFont(interfaceFamily());
    m_textFont.setPixelSize(std::max(1, int(12 * app().uiScale)));
    m_textFont.setWeight(QFont::Normal);
}

CKwMenu::~CKwMenu() {
    // Entries go before the submenus and records they refer to.
    clear();
}

unsigned CKwMenu::ActionId(const QAction* action) {
    if (!action || action->isSeparator()) return 0;
    bool ok = false;
    const unsigned id = action->data().toUInt(&ok);
    return ok ? id : 0;
}

QAction* CKwMenu::addEntry(unsigned flags, unsigned id, const QString& text, const QString& iconName,
                           CKwMenu* popup) {
    const bool separator = (flags & MF_SEPARATOR) != 0;
    if (!separator && id != 0 && !text.isEmpty()) {
        auto record = std::make_unique<ItemRecord>();
        const qsizetype tab = text.indexOf(u'\t');
        record->caption = tab < 0 ? text : text.left(tab);
        record->shortcut = tab < 0 ? QString() : text.mid(tab);
        record->id = id;
        if (!iconName.isEmpty()) {
            auto icon = std::make_unique<CKwEMF>();
            if (icon->LoadFile(iconPath(iconName))) record->icon = std::move(icon);
        }
        m_records.push_back(std::move(record));
    }

    QAction* action = nullptr;
    if (separator) {
        action = addSeparator();
    } else {
        // The caption alone: the menu draws the shortcut itself.
        const qsizetype tab = text.indexOf(u'\t');
        const QString caption = tab < 0 ? text : text.left(tab);
        if (popup) {
            popup->setTitle(caption);
            action = addMenu(popup);
        } else {
            action = addAction(caption);
        }
        action->setData(QVariant(id));
    }
    if (flags & (MF_GRAYED | MF_DISABLED)) action->setEnabled(false);
    if (flags & MF_CHECKED) {
        action->setCheckable(true);
        action->setChecked(true);
    }
    return action;
}

bool CKwMenu::AppendItem(unsigned flags, unsigned id, const QString& text, const QString& iconName) {
    if ((flags & MF_POPUP) || id >= kFirstPopupId) return false;
    addEntry(flags, id, text, iconName);
    return true;
}

bool CKwMenu::AppendItem(unsigned flags, unsigned id, LangTable& table, const QString& groupKey, int item,
                         const QString& iconName) {
    return AppendItem(flags, id, LoadLangString(table, groupKey, item), iconName);
}

CKwMenu* CKwMenu::AppendPopup(unsigned flags, const QString& text, const QString& iconName) {
    const unsigned id = g_nextPopupId.fetch_add(1);
    auto popup = std::make_unique<CKwMenu>();
    CKwMenu* sub = popup.get();
    m_popups.push_back(std::move(popup));
    addEntry(flags & ~(MF_SEPARATOR | MF_CHECKED), id, text, iconName, sub);
    return sub;
}

unsigned CKwMenu::TrackPopupMenu(const QPoint& screenPos) {
    QPointer<QAction> chosen = exec(screenPos);
    if (!chosen) return 0;
    const unsigned id = ActionId(chosen);
    return id >= kFirstPopupId ? 0 : id;
}

const CKwMenu::ItemRecord* CKwMenu::FindRecord(unsigned id) const {
    for (const auto& r : m_records)
        if (r->id == id) return r.get();
    return nullptr;
}

QSize CKwMenu::TextExtent(const QString& text) const {
    const QFontMetrics fm(m_menuFont);
    return QSize(fm.horizontalAdvance(text), fm.height());
}

void CKwMenu::initStyleOption(QStyleOptionMenuItem* option, const QAction* action) const {
    QMenu::initStyleOption(option, action);
    // The style finds the entry's id through its action.
    option->styleObject = const_cast<QAction*>(action);
}

void CKwMenu::MeasureItem(MeasureItemStruct* mis) {
    if (!mis) return;
    const float ui = app().uiScale;
    auto* record = const_cast<ItemRecord*>(FindRecord(mis->itemId));
    if (!record) {
        mis->itemWidth = 5;
        mis->itemHeight = 5;
        m_margin = int(0.2f * float(TextExtent(QStringLiteral("Hg")).height()));
        return;
    }
    if (!record->measured) {
        const QSize extent = TextExtent(record->caption + record->shortcut);
        int margin = int(0.2f * float(extent.height()));
        if (ui > 1.0f) margin -= 2;
        // A small text at a large scale would make the margin negative and
        // push the icon out of its entry.
        margin = std::max(0, margin);
        const int factor = record->shortcut.isEmpty() ? 22 : 28;
        record->size = QSize(int(float(extent.width()) * 1.1f + float(factor * margin) * ui),
                             extent.height() + 4 * margin + 2);
        record->margin = margin;
        record->measured = true;
    }
    // Measuring again (the menu lays itself out more than once) leaves the
    // margin as the last entry's measuring set it.
    m_margin = record->margin;
    mis->itemWidth = record->size.width();
    mis->itemHeight = record->size.height();
}

void CKwMenu::DrawItem(const DrawItemStruct* dis) {
    if (!dis || !dis->painter || !dis->painter->isActive()) return;
    std::lock_guard<std::recursive_mutex> lock(app().drawingLock);
    const float ui = app().uiScale;
    QPainter* painter = dis->painter;
    painter->save();
    {
        gp::PainterGraphics g(painter);
        g.SetSmoothingMode(gp::SmoothingModeAntiAlias);
        g.SetTextRenderingHint(ui > 1.0f ? gp::TextRenderingHintAntiAlias : gp::TextRenderingHintClearTypeGridFit);

        const QRect r = dis->rcItem;
        const ItemRecord* record = FindRecord(dis->itemId);
        if (!record) {
            // A separator: one pixel line across the entry at its middle.
            g.FillRectangle(gp::SolidBrush(gp::ArgbFromColorref(kSeparatorColour)),
                            gp::RectF{float(r.x()), float(r.y() + r.height() / 2), float(r.width()), 1});
        } else {
            const bool selected = (dis->itemState & ODS_SELECTED) != 0;
            const bool greyed = (dis->itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
            gp::ARGB background = QApplication::palette().color(QPalette::Button).rgba() | 0xFF000000u;
            if (selected) background = gp::ArgbFromColorref(greyed ? kSelectedGreyedColour : kSelectedColour);
            g.FillRectangle(gp::SolidBrush(background),
                            gp::RectF{float(r.x()), float(r.y()), float(r.width()), float(r.height())});

            const QRectF textBox(r.x() + r.height() + 4 * m_margin, r.y(),
                                 std::max(0, r.right() + 1 - (r.x() + r.height() + 4 * m_margin)), r.height());
            painter->setFont(m_textFont);
            painter->setPen(QColor::fromRgba(greyed ? kGreyedTextColour : kTextColour));
            const QFontMetricsF fm(m_textFont, painter->device());
            painter->drawText(textBox, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                              fm.elidedText(record->caption, Qt::ElideRight, textBox.width()));
            if (!record->shortcut.isEmpty()) {
                QRectF keyBox = textBox;
                keyBox.setRight(textBox.right() - 16 * ui);
                const QString keys = record->shortcut.mid(1);
                painter->drawText(keyBox, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
                                  fm.elidedText(keys, Qt::ElideRight, std::max<qreal>(0, keyBox.width())));
            }

            const float side = float(r.height() - 4);
            const gp::RectF square{float(r.x() + 2 * m_margin), float(r.y() + 2), side, side};
            if (dis->itemState & ODS_CHECKED)
                m_check.Draw(g, square);
            else if (record->icon)
                record->icon->Draw(g, square);
        }
    }
    painter->restore();
}

}  // namespace toliva
