#include "panels/CDlgCreateAW.h"
#include "panels/PanelDialog.h"

#include "panels/CDlgToolbar.h"
#include "panels/EntryRules.h"
#include "platform/MessageSink.h"
#include "uikit/LangTable.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cmath>

namespace toliva {


CDlgToolbar* CDlgCreateAW::CreateCharacterBar(QObject* owner, const PanelContext& context, QWidget* parent) {
    auto* bar = new CDlgToolbar(owner, context, parent);
    bar->setObjectName(QStringLiteral("tb_grkb"));
    bar->m_nGridCols = 10;
    bar->m_nGridRows = 4;
    bar->LoadButtons(QStringLiteral("tb_grkb"));
    // Ten cells a row of about 30 points, four rows.
    const float scale = context.uiScale > 0 ? context.uiScale : 1.0f;
    bar->setMinimumSize(int(std::lround(300 * scale)), int(std::lround(112 * scale)));
    bar->show();
    return bar;
}

CDlgCreateAW::CDlgCreateAW(const PanelContext& context, QWidget* parent) : QDialog(parent), m_context(context) {
    setObjectName(QStringLiteral("CDlgCreateAW"));
    setModal(true);
    m_wordLabel = WithCtrlId(new QLabel(QStringLiteral("Word:"), this), kWordLabel);
    m_word = WithCtrlId(new QLineEdit(this), kWord);
    m_wordLabel->setBuddy(m_word);
    m_styleGroup = WithCtrlId(new QGroupBox(QStringLiteral("Style"), this), kStyleGroup);
    const char* names[] = {"Regular", "Italic", "Bold", "Bold Italic"};
    auto* styles = new QGridLayout(m_styleGroup);
    for (int i = 0; i < 4; ++i) {
        m_styles[size_t(i)] = WithCtrlId(new QRadioButton(QString::fromLatin1(names[i]), m_styleGroup), kRegular + i);
        styles->addWidget(m_styles[size_t(i)], i / 2, i % 2);
    }
    m_barPlace = WithCtrlId(new QWidget(this), kBarPlace);
    auto* barLayout = new QVBoxLayout(m_barPlace);
    barLayout->setContentsMargins(0, 0, 0, 0);
    m_bar = CreateCharacterBar(this, m_context, m_barPlace);
    barLayout->addWidget(m_bar);
    m_enabled = WithCtrlId(new QCheckBox(QStringLiteral("Enabled"), this), kEnabled);
    m_ok = WithCtrlId(new QPushButton(QStringLiteral("OK"), this), kOk);
    m_cancel = WithCtrlId(new QPushButton(QStringLiteral("Cancel"), this), kCancel);
    m_ok->setDefault(true);

    auto* wordRow = new QHBoxLayout;
    wordRow->addWidget(m_wordLabel);
    wordRow->addWidget(m_word, 1);
    QHBoxLayout* buttons = CDlgCreateAW::EntryButtonRow(m_enabled, m_ok, m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(wordRow);
    layout->addWidget(m_styleGroup);
    layout->addWidget(m_barPlace);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_ok, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

CDlgCreateAW::~CDlgCreateAW() = default;

QHBoxLayout* CDlgCreateAW::EntryButtonRow(QCheckBox* enabled, QPushButton* ok, QPushButton* cancel) {
    auto* row = new QHBoxLayout;
    row->addWidget(enabled);
    row->addStretch(1);
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}

int CDlgCreateAW::DoModal() {
    return RunPanelDialog(*this, runModal);
}

void CDlgCreateAW::OnInitDialog() {
    if (m_initialized) return;
    m_initialized = true;
    m_word->setText(m_strWord);
    m_enabled->setChecked(m_nEnabled != 0);
    m_styles[m_nStyle <= 3 ? m_nStyle : 0]->setChecked(true);
    LangTable texts(m_context.languageCode, QStringLiteral("LANG_02.xml"));
    SetDialogLangTexts(texts, QStringLiteral("gCS_2"), this,
                       {{0, 1}, {kOk, 2}, {kCancel, 3}, {kEnabled, 4}, {kWordLabel, 5}, {kRegular, 6}, {kItalic, 7},
                        {kBold, 8}, {kBoldItalic, 9}, {kStyleGroup, 11}});
    if (m_nMode > 0) m_enabled->hide();
    adjustSize();
    if (m_nMode > 1) move(m_nX, m_nY);
    m_word->selectAll();
    m_word->setFocus();
}

void CDlgCreateAW::OnOK() {
    const QString word = m_word->text();
    if (word.isEmpty()) {
        LangTable texts(m_context.languageCode, QStringLiteral("LANG_02.xml"));
        messageSink().show(LoadLangString(texts, QStringLiteral("gMSG_2"), 2), QString(), MB_OK | MB_ICONWARNING, this);
        m_word->setFocus();
        m_word->selectAll();
        return;
    }
    accept();
}

void CDlgCreateAW::accept() {
    // Every way of closing with OK keeps the empty word out.
    if (m_word->text().isEmpty()) return OnOK();
    m_strWord = m_word->text();
    m_nStyle = 0;
    for (int i = 1; i < 4; ++i)
        if (m_styles[size_t(i)]->isChecked()) m_nStyle = uint8_t(i);
    // A hidden check box is not the user's: the caller's value stays.
    if (m_nMode <= 0) m_nEnabled = m_enabled->isChecked() ? 1 : 0;
    QDialog::accept();
}

intptr_t CDlgCreateAW::OnWindowMessage(int message, intptr_t wParam, intptr_t) {
    if (message != WM_TOOLBAR_COMMAND) return 0;
    const QString c = CharacterOfCommand(wParam);
    if (!c.isEmpty()) m_word->insert(c);
    return 0;
}

bool CDlgCreateAW::event(QEvent* event) {
    if (DispatchPostedMessage(event, this)) return true;
    return QDialog::event(event);
}

}  // namespace toliva
