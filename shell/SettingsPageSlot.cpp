#include "shell/SettingsPageSlot.h"

#include "shell/CEESettingDlg.h"

#include "platform/AppContext.h"
#include "sheet/editing/EditDialogs.h"
#include "uikit/LangTable.h"

#include <QLabel>
#include <QVBoxLayout>

namespace toliva {

SettingsPageSlot::SettingsPageSlot(CEESettingDlg* owner, int ctrlId, int captionItem, const QString& fallback)
    : QWidget(owner), m_owner(owner), m_captionItem(captionItem) {
    setProperty(kCtrlIdProperty, ctrlId);
    setWindowTitle(fallback);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    auto* text = new QLabel(this);
    text->setObjectName(QStringLiteral("notAvailable"));
    text->setAlignment(Qt::AlignCenter);
    text->setFont(owner->context().uiFont);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
}

SettingsPageSlot::~SettingsPageSlot() = default;

bool SettingsPageSlot::OnInitDialog() {
    const QString code = m_owner->context().app.languageCode();
    LangTable table(code, QStringLiteral("LANG_04.xml"));
    SetDialogLangTexts(table, QStringLiteral("gCS_1"), this, {{0, m_captionItem}});
    findChild<QLabel*>(QStringLiteral("notAvailable"))->setText(NotAvailableYetText(code, Unavailable::Dialog));
    return true;
}

}  // namespace toliva
