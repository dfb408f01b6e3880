// Owner-drawn icon menus: every entry carries a caption, an optional
// shortcut text (after a tab in the entry's text) and a vector icon from the
// "icons/" folder beside the program.
//
//   CKwMenu menu;
//   menu.AppendItem(MF_STRING, 32, "Cut\tCtrl+X", "tb\\Cut");
//   menu.AppendItem(MF_SEPARATOR, 0, QString());
//   CKwMenu* sub = menu.AppendPopup(MF_STRING, "View");
//   sub->AppendItem(MF_CHECKED, 5, "Colours");
//   const unsigned chosen = menu.TrackPopupMenu(QCursor::pos());  // 0: none
//
// The menu's style hands the sizing of every entry to MeasureItem and its
// painting to DrawItem.
#pragma once

#include "uikit/CKwEMF.h"

#include <QFont>
#include <QMenu>
#include <QSize>

#include <memory>
#include <vector>

namespace toliva {

struct LangTable;

// Append flags.
enum MenuFlags : unsigned {
    MF_STRING = 0x0000,
    MF_GRAYED = 0x0001,
    MF_DISABLED = 0x0002,
    MF_CHECKED = 0x0008,
    MF_POPUP = 0x0010,
    MF_OWNERDRAW = 0x0100,
    MF_SEPARATOR = 0x0800,
};

// Item states handed to DrawItem.
enum OwnerDrawState : unsigned {
    ODS_SELECTED = 0x0001,
    ODS_GRAYED = 0x0002,
    ODS_DISABLED = 0x0004,
    ODS_CHECKED = 0x0008,
};

struct MeasureItemStruct {
    unsigned itemId = 0;
    int itemWidth = 0;
    int itemHeight = 0;
};

struct DrawItemStruct {
    unsigned itemId = 0;
    unsigned itemState = 0;  // OwnerDrawState bits
    QRect rcItem;
    QPainter* painter = nullptr;
};

// The font menus are measured with: the interface font, regular weight, 9
// point on system versions 6 and later, 8 before.
QFont CreateMenuFont();

class CKwMenu : public QMenu {
    Q_OBJECT
public:
    // Submenus get ids from here up; command ids lie below.
    static constexpr unsigned kFirstPopupId = 0x80000000u;

    // One entry that has an id and a caption.
    struct ItemRecord {
        QString caption;   // the text before the first tab
        QString shortcut;  // the rest of the text, from the first tab on
        std::unique_ptr<CKwEMF> icon;
        unsigned id = 0;
        bool measured = false;
        QSize size;        // as measured
        int margin = 0;    // the margin its measuring gave
    };

    explicit CKwMenu(QWidget* parent = nullptr);
    ~CKwMenu() override;

    // Appends an entry. Flags: MF_STRING, MF_GRAYED (or MF_DISABLED),
    // MF_CHECKED, MF_SEPARATOR, MF_OWNERDRAW (every entry is owner-drawn).
    // Unless the id is 0, the text is empty or the entry is a separator, a
    // record keeps caption, shortcut and the icon "icons/" + iconName + ".apx"
    // beside the program (iconName carries its subfolder, as "menu\CalLine";
    // its case does not matter; a missing file leaves the entry without icon).
    // False for MF_POPUP (use AppendPopup) and for ids at kFirstPopupId and above.
    bool AppendItem(unsigned flags, unsigned id, const QString& text, const QString& iconName = QString());
    // The same with the text of item `item` of a group of a language table.
    bool AppendItem(unsigned flags, unsigned id, LangTable& table, const QString& groupKey, int item,
                    const QString& iconName = QString());
    // Appends a submenu (MF_POPUP implied; MF_GRAYED honoured), owned by this
    // menu, and returns it. Its entry gets an
    // id of its own from kFirstPopupId up, so it never meets a command id.
    CKwMenu* AppendPopup(unsigned flags, const QString& text, const QString& iconName = QString());

    // Shows the menu at a screen point and waits; returns the id of the
    // chosen entry (also from a submenu), 0 when nothing was chosen.
    unsigned TrackPopupMenu(const QPoint& screenPos);

    // Sizes an entry (see the record of its id).
    virtual void MeasureItem(MeasureItemStruct* mis);
    // Paints an entry into dis->painter at dis->rcItem.
    virtual void DrawItem(const DrawItemStruct* dis);

    const ItemRecord* FindRecord(unsigned id) const;
    int Margin() const { return m_margin; }
    // The id of an entry's action (0 for separators).
    static unsigned ActionId(const QAction* action);

protected:
    // The extent of a text in the menu font on the screen. Tests replace it.
    virtual QSize TextExtent(const QString& text) const;
    void initStyleOption(QStyleOptionMenuItem* option, const QAction* action) const override;

private:
    QAction* addEntry(unsigned flags, unsigned id, const QString& text, const QString& iconName,
                      CKwMenu* popup = nullptr);

    CKwEMF m_check;
    QFont m_menuFont;   // measuring
    QFont m_textFont;   // drawing: 12 x UI scale pixels
    int m_margin = 10;
    std::vector<std::unique_ptr<ItemRecord>> m_records;
    std::vector<std::unique_ptr<CKwMenu>> m_popups;
};

}  // namespace toliva
