#include "panels/CDlgCreateConst.h"
#include "panels/PanelDialog.h"

#include "panels/CDlgCreateAW.h"
#include "panels/CDlgToolbar.h"
#include "panels/EntryRules.h"
#include "platform/MessageSink.h"
#include "uikit/LangTable.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace toliva {


CDlgCreateConst::CDlgCreateConst(const PanelContext& context, QWidget* parent) : QDialog(parent), m_context(context) {
    setObjectName(QStringLiteral("CDlgCreateConst"));
    setModal(true);
    m_nameLabel = WithCtrlId(new QLabel(QStringLiteral("Name:"), this), kNameLabel);
    m_name = WithCtrlId(new QLineEdit(this), kName);
    m_valueLabel = WithCtrlId(new QLabel(QStringLiteral("Value:"), this), kValueLabel);
    m_value = WithCtrlId(new QLineEdit(this), kValue);
    m_nameLabel->setBuddy(m_name);
    m_valueLabel->setBuddy(m_value);
    m_barPlace = WithCtrlId(new QWidget(this), kBarPlace);
    auto* barLayout = new QVBoxLayout(m_barPlace);
    barLayout->setContentsMargins(0, 0, 0, 0);
    m_bar = CDlgCreateAW::CreateCharacterBar(this, m_context, m_barPlace);
    barLayout->addWidget(m_bar);
    m_enabled = WithCtrlId(new QCheckBox(QStringLiteral("Enabled"), this), kEnabled);
    m_ok = WithCtrlId(new QPushButton(QStringLiteral("OK"), this), kOk);
    m_cancel = WithCtrlId(new QPushButton(QStringLiteral("Cancel"), this), kCancel);
    m_ok->setDefault(true);

    auto* fields = new QGridLayout;
    fields->addWidget(m_nameLabel, 0, 0);
    fields->addWidget(m_name, 0, 1);
    fields->addWidget(m_valueLabel, 1, 0);
    fields->addWidget(m_value, 1, 1);
    QHBoxLayout* buttons = CDlgCreateAW::EntryButtonRow(m_enabled, m_ok, m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(m_barPlace);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_ok, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

CDlgCreateConst::~CDlgCreateConst() = default;

int CDlgCreateConst::DoModal() {
    return RunPanelDialog(*this, runModal);
}

void CDlgCreateConst::OnInitDialog() {
    if (m_initialized) return;
    m_initialized = true;
    m_name->setText(m_strName);
    m_value->setText(FormatEntryNumber(m_dValue));
    m_enabled->setChecked(m_nEnabled != 0);
    LangTable texts(m_context.languageCode, QStringLiteral("LANG_02.xml"));
    SetDialogLangTexts(texts, QStringLiteral("gCS_1"), this,
                       {{0, 1}, {kOk, 2}, {kCancel, 3}, {kEnabled, 4}, {kNameLabel, 5}, {kValueLabel, 6}});
    adjustSize();
    m_name->setFocus();
}

void CDlgCreateConst::OnOK() {
    LangTable texts(m_context.languageCode, QStringLiteral("LANG_02.xml"));
    const auto refuse = [&](QLineEdit* field, const char* group, int item) {
        messageSink().show(LoadLangString(texts, QString::fromLatin1(group), item), QString(), MB_OK | MB_ICONWARNING,
                           this);
        field->setFocus();
        field->selectAll();
    };
    // The fields in their order: the value that is no number is reported
    // first, as the field exchange does.
    const std::optional<double> value = ParseEntryNumber(m_value->text());
    if (!value) return refuse(m_value, "gDDX", 1);
    const QString name = m_name->text();
    if (!IsConstantNameAccepted(name)) return refuse(m_name, "gMSG_1", 2);
    m_strName = name;
    m_dValue = *value;
    m_nEnabled = m_enabled->isChecked() ? 1 : 0;
    accept();
}

intptr_t CDlgCreateConst::OnWindowMessage(int message, intptr_t wParam, intptr_t) {
    if (message != WM_TOOLBAR_COMMAND) return 0;
    const QString c = CharacterOfCommand(wParam);
    if (!c.isEmpty()) m_name->insert(c);
    return 0;
}

bool CDlgCreateConst::event(QEvent* event) {
    if (DispatchPostedMessage(event, this)) return true;
    return QDialog::event(event);
}

}  // namespace toliva
