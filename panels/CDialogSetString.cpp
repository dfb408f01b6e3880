#include "panels/CDialogSetString.h"
#include "panels/PanelDialog.h"

#include "platform/MessageSink.h"
#include "uikit/LangTable.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

#include <cmath>

namespace toliva {


CDialogSetString::CDialogSetString(const QString& languageCode, QWidget* parent)
    : QDialog(parent), m_languageCode(languageCode) {
    setObjectName(QStringLiteral("CDialogSetString"));
    setModal(true);
    m_prompt = WithCtrlId(new QLabel(this), kPrompt);
    m_prompt->setWordWrap(true);
    m_edit = WithCtrlId(new QLineEdit(this), kEdit);
    m_check = WithCtrlId(new QCheckBox(this), kCheck);
    m_ok = WithCtrlId(new QPushButton(QStringLiteral("OK"), this), kOk);
    m_cancel = WithCtrlId(new QPushButton(QStringLiteral("Cancel"), this), kCancel);
    m_apply = WithCtrlId(new QPushButton(QStringLiteral("Apply"), this), kApply);
    m_ok->setDefault(true);
    m_apply->setAutoDefault(false);
    m_prompt->setBuddy(m_edit);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_check);
    buttons->addStretch(1);
    buttons->addWidget(m_apply);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_prompt);
    layout->addWidget(m_edit);
    layout->addLayout(buttons);
    setMinimumWidth(320);

    connect(m_ok, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_apply, &QPushButton::clicked, this, [this] { OnApplyValue(); });
}

CDialogSetString::~CDialogSetString() = default;

int CDialogSetString::DoModal() {
    return RunPanelDialog(*this, runModal);
}

void CDialogSetString::OnInitDialog() {
    if (m_initialized) return;
    m_initialized = true;
    setWindowTitle(m_strTitle);
    m_prompt->setText(m_strPrompt);
    m_check->setVisible(m_bShowCheck);
    m_check->setText(m_strCheckCaption);
    m_check->setChecked(m_bChecked);
    m_edit->setEchoMode(m_bPassword ? QLineEdit::Password : QLineEdit::Normal);
    m_edit->setText(m_strText);
    m_edit->selectAll();
    m_apply->setVisible(m_bShowApply);
    // The buttons' texts; the title and the prompt are the caller's.
    LangTable texts(m_languageCode, QStringLiteral("LANG_02.xml"));
    SetDialogLangTexts(texts, QStringLiteral("gCS_1"), this, {{kOk, 2}, {kCancel, 3}, {kApply, 8}});
    m_edit->setFocus();
}

void CDialogSetString::OnOK() { accept(); }

void CDialogSetString::accept() {
    // A hidden check box keeps the state the caller gave.
    m_bChecked = m_check->isChecked();
    m_strText = m_edit->text();
    QDialog::accept();
}

void CDialogSetString::OnApplyValue() {
    if (m_nNumericMode != 1 || !m_applyValue) return;
    m_strText = m_edit->text();
    m_applyValue(LeadingNumber(m_strText));
    m_edit->setFocus();
}

float CDialogSetString::LeadingNumber(const QString& text) {
    // A decimal number with an optional exponent, read with the point
    // whatever the user's locale; "nan", "inf" and numbers beyond a float
    // read as 0, as other text does.
    static const QRegularExpression number(QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?"));
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch()) return 0.0f;
    bool ok = false;
    const double value = match.captured(0).trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value) || std::fabs(value) > 3.0e38) return 0.0f;
    return float(value);
}

}  // namespace toliva
