#include "shell/CDlgCheckUpdate.h"

#include "shell/ShellTexts.h"
#include "shell/settings/AppSettings.h"

#include "platform/AppContext.h"
#include "platform/MessageSink.h"
#include "uikit/CKwMenu.h"
#include "uikit/LangTable.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace toliva {
namespace {

constexpr char kGroup[] = "gDLG_1";
constexpr int kNewerItem = 5;

template <typename W>
W* withId(W* widget, int id) {
    widget->setProperty(kCtrlIdProperty, id);
    return widget;
}

}  // namespace

CDlgCheckUpdate::CDlgCheckUpdate(const AppContext& app, AppSettings& settings, bool newer, QWidget* parent)
    : QDialog(parent), m_app(app), m_settings(settings), m_bNewer(newer) {
    setFont(CreateMenuFont());
    // The texts the dialog shows when the language file has none.
    setWindowTitle(QStringLiteral("Check for updates"));
    auto* message = withId(new QLabel(QStringLiteral("No newer version of Toliva was found."), this), kMessage);
    message->setWordWrap(true);
    message->setMinimumWidth(300);
    auto* check = withId(new QCheckBox(QStringLiteral("Tell me when a newer version is available"), this), kAutoCheck);
    auto* ok = withId(new QPushButton(QStringLiteral("Visit the web site"), this), kOk);
    auto* cancel = withId(new QPushButton(QStringLiteral("Close"), this), kCancel);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(check, &QCheckBox::clicked, this, [this] { OnCheckAutoUpdate(); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 12);
    layout->setSpacing(12);
    layout->addWidget(message);
    layout->addWidget(check);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

CDlgCheckUpdate::~CDlgCheckUpdate() = default;

int CDlgCheckUpdate::DoModal() {
    OnInitDialog();
    if (modalRunner) return modalRunner(*this);
    return exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}

void CDlgCheckUpdate::showEvent(QShowEvent* event) {
    OnInitDialog();
    QDialog::showEvent(event);
}

void CDlgCheckUpdate::OnInitDialog() {
    if (m_initialized) return;
    m_initialized = true;
    LangTable table(m_app.languageCode(), languageFile);
    static constexpr int kPairs[][2] = {{0, 1}, {kOk, 2}, {kCancel, 3}, {kMessage, 4}, {kAutoCheck, 6}, {-1, -1}};
    SetDialogLangTexts(table, QString::fromLatin1(kGroup), this, kPairs);
    if (m_bNewer) {
        // The fallback stands when the file has no text for a newer build.
        messageLabel()->setText(QStringLiteral("A newer version of Toliva is available."));
        static constexpr int kNewerPair[][2] = {{kMessage, kNewerItem}, {-1, -1}};
        SetDialogLangTexts(table, QString::fromLatin1(kGroup), this, kNewerPair);
    }
    m_nAutoCheck = m_settings.autoCheckUpdate ? 1 : 0;
    DoDataExchange(false);
}

void CDlgCheckUpdate::DoDataExchange(bool saveAndValidate) {
    if (saveAndValidate)
        m_nAutoCheck = autoCheckBox()->isChecked() ? 1 : 0;
    else
        autoCheckBox()->setChecked(m_nAutoCheck != 0);
}

void CDlgCheckUpdate::OnCheckAutoUpdate() {
    DoDataExchange(true);
    // Saved with the other settings when the program ends.
    m_settings.autoCheckUpdate = m_nAutoCheck != 0;
}

void CDlgCheckUpdate::OnOK() {
    OpenMakerLink(MakerProductPage, m_app.lanSel);
    done(QDialog::Accepted);
}

QPushButton* CDlgCheckUpdate::button(int id) const {
    return qobject_cast<QPushButton*>(DialogControl(const_cast<CDlgCheckUpdate*>(this), id));
}

QLabel* CDlgCheckUpdate::messageLabel() const {
    return qobject_cast<QLabel*>(DialogControl(const_cast<CDlgCheckUpdate*>(this), kMessage));
}

QCheckBox* CDlgCheckUpdate::autoCheckBox() const {
    return qobject_cast<QCheckBox*>(DialogControl(const_cast<CDlgCheckUpdate*>(this), kAutoCheck));
}

}  // namespace toliva
