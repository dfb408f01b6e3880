#include "shell/SettingsListMenu.h"

#include "shell/CEESettingDlg.h"

#include "platform/AppContext.h"
#include "uikit/CKwMenu.h"
#include "uikit/KitDialogs.h"
#include "uikit/LangTable.h"

#include <QChildEvent>
#include <QMouseEvent>
#include <QWidget>

namespace toliva {

SettingsListMenu::SettingsListMenu(EquationSettingsContext& context, QWidget* owner, bool withPictures)
    : QObject(owner), m_context(context), m_owner(owner), m_withPictures(withPictures) {}

SettingsListMenu::~SettingsListMenu() = default;

void SettingsListMenu::Fill(CKwMenu& menu, LangTable& table, bool rowSelected, bool withPictures) {
    const QString group = QString::fromLatin1(kGroup);
    const auto item = [&](unsigned id, const QString& picture = QString()) {
        menu.AppendItem(MF_OWNERDRAW, id, table, group, int(id), withPictures ? picture : QString());
    };
    const auto separator = [&] { menu.AppendItem(MF_SEPARATOR, 0, QString()); };
    item(kNew);
    if (rowSelected) item(kDeleteSelected);
    item(kClear);
    separator();
    item(kDefaultList);
    separator();
    item(kCheckAll);
    item(kUncheckAll);
    separator();
    item(kImport, QStringLiteral("tb\\Open"));
    item(kExport, QStringLiteral("tb\\Save"));
}

unsigned SettingsListMenu::Track(QPoint screenPoint, bool rowSelected) {
    LangTable table(m_context.app.languageCode(), QString::fromLatin1(kLangFile));
    CKwMenu menu(m_owner);
    Fill(menu, table, rowSelected, m_withPictures);
    const unsigned chosen =
        m_context.trackMenu ? m_context.trackMenu(menu, screenPoint) : menu.TrackPopupMenu(screenPoint);
    return chosen <= unsigned(kItemCount) ? chosen : 0;
}

void SettingsListMenu::TakeRightButton(QWidget* list, std::function<void(QPoint)> open) {
    m_list = list;
    m_open = std::move(open);
    watch(m_owner);
}

void SettingsListMenu::watch(QWidget* widget) {
    widget->installEventFilter(this);
    for (QWidget* child : widget->findChildren<QWidget*>()) child->installEventFilter(this);
}

bool SettingsListMenu::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::ChildAdded:
        if (auto* child = qobject_cast<QWidget*>(static_cast<QChildEvent*>(event)->child())) watch(child);
        return false;
    case QEvent::ContextMenu:
        // The press below opens the menu; the system's own context menu
        // (an edit's, a scroll bar's) never shows.
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::RightButton) return false;
        const QPoint screen = mouse->globalPosition().toPoint();
        if (event->type() == QEvent::MouseButtonPress && m_list && m_open && m_list->isVisible() &&
            m_list->rect().contains(m_list->mapFromGlobal(screen)))
            m_open(screen);
        return true;
    }
    case QEvent::MouseButtonRelease:
        return static_cast<QMouseEvent*>(event)->button() == Qt::RightButton;
    default: return false;
    }
}

bool SettingsListMenu::AskFilePath(const QString& filter, const QString& defaultName, QWidget* owner, QString& path,
                                   bool save, const QString& defaultExtension) {
    return PickFileWithLastFolder(filter, owner, path, QString::fromLatin1(kLastFolderKey), save,
                                  save ? defaultExtension : QString(), kFileSite, save ? defaultName : QString());
}

}  // namespace toliva
