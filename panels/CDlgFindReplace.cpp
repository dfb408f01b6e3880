#include "panels/CDlgFindReplace.h"

#include "panels/CDlgToolbar.h"
#include "panels/EquationSearch.h"
#include "platform/MessageSink.h"
#include "uikit/LangTable.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace toliva {

namespace {

const QString kLangFile = QStringLiteral("LANG_09.xml");

// The radio button of each style (0-4).
constexpr std::array<int, 5> kStyleControls = {CDlgFindReplace::kStyleKeep, CDlgFindReplace::kStyleUpright,
                                               CDlgFindReplace::kStyleItalic, CDlgFindReplace::kStyleBold,
                                               CDlgFindReplace::kStyleBoldItalic};

}  // namespace

CDlgFindReplace::CDlgFindReplace(FindReplaceTarget& target, const PanelContext& context, QWidget* owner)
    : QDialog(owner), m_target(target), m_languageCode(context.languageCode) {
    setObjectName(QStringLiteral("CDlgFindReplace"));
    setModal(false);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_findLabel = WithCtrlId(new QLabel(this), kFindLabel);
    m_find = WithCtrlId(new QLineEdit(this), kFindEdit);
    m_replaceLabel = WithCtrlId(new QLabel(this), kReplaceLabel);
    m_replace = WithCtrlId(new QLineEdit(this), kReplaceEdit);
    m_findLabel->setBuddy(m_find);
    m_replaceLabel->setBuddy(m_replace);

    m_styleGroup = WithCtrlId(new QGroupBox(this), kStyleGroup);
    auto* styleLayout = new QGridLayout(m_styleGroup);
    for (int s = 0; s < 5; ++s) {
        m_styles[size_t(s)] = WithCtrlId(new QRadioButton(m_styleGroup), kStyleControls[size_t(s)]);
        connect(m_styles[size_t(s)], &QRadioButton::clicked, this, [this, s] { m_nStyle = s; });
    }
    // Upright, italic / bold, bold italic / keep.
    styleLayout->addWidget(m_styles[1], 0, 0);
    styleLayout->addWidget(m_styles[2], 0, 1);
    styleLayout->addWidget(m_styles[3], 1, 0);
    styleLayout->addWidget(m_styles[4], 1, 1);
    styleLayout->addWidget(m_styles[0], 2, 0, 1, 2);

    m_findAll = WithCtrlId(new QPushButton(this), kFindAll);
    m_next = WithCtrlId(new QPushButton(this), kNext);
    m_replaceButton = WithCtrlId(new QPushButton(this), kReplace);
    m_replaceAll = WithCtrlId(new QPushButton(this), kReplaceAll);
    m_close = WithCtrlId(new QPushButton(this), kClose);
    for (QPushButton* b : {m_findAll, m_next, m_replaceButton, m_replaceAll, m_close}) b->setAutoDefault(false);
    m_next->setDefault(true);

    // The character bar lies over this place: ten columns, four rows.
    m_barPlace = WithCtrlId(new QWidget(this), kBarPlace);
    const int cell = int(22 * std::max(1.0f, context.uiScale));
    m_barPlace->setFixedSize(cell * 10, cell * 4);
    m_bar = new CDlgToolbar(this, context, m_barPlace);
    m_bar->setObjectName(QStringLiteral("tb_grkb"));
    m_bar->m_nGridCols = 10;
    m_bar->m_nGridRows = 4;
    m_bar->LoadButtons(QStringLiteral("tb_grkb"));
    auto* barLayout = new QVBoxLayout(m_barPlace);
    barLayout->setContentsMargins(0, 0, 0, 0);
    barLayout->addWidget(m_bar);
    m_bar->show();

    auto* fields = new QGridLayout;
    fields->addWidget(m_findLabel, 0, 0);
    fields->addWidget(m_find, 0, 1);
    fields->addWidget(m_replaceLabel, 1, 0);
    fields->addWidget(m_replace, 1, 1);
    auto* left = new QVBoxLayout;
    left->addLayout(fields);
    left->addWidget(m_styleGroup);
    left->addWidget(m_barPlace, 0, Qt::AlignLeft);
    left->addStretch(1);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {m_findAll, m_next, m_replaceButton, m_replaceAll}) buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(m_close);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);

    connect(m_findAll, &QPushButton::clicked, this, [this] { OnFindAll(); });
    connect(m_next, &QPushButton::clicked, this, [this] { OnFindNext(); });
    connect(m_replaceButton, &QPushButton::clicked, this, [this] { OnReplace(); });
    connect(m_replaceAll, &QPushButton::clicked, this, [this] { OnReplaceAll(); });
    connect(m_close, &QPushButton::clicked, this, &QWidget::hide);

    SetStyle(m_nStyle);
    ApplyLanguage(m_languageCode);
}

CDlgFindReplace::~CDlgFindReplace() = default;

QPushButton* CDlgFindReplace::button(int id) const {
    switch (id) {
    case kFindAll: return m_findAll;
    case kNext: return m_next;
    case kReplace: return m_replaceButton;
    case kReplaceAll: return m_replaceAll;
    case kClose: return m_close;
    default: return nullptr;
    }
}

void CDlgFindReplace::SetFindText(const QString& text) {
    m_find->setText(text);
    if (text.isEmpty()) {
        m_find->setFocus();
    } else {
        m_replace->setFocus();
        m_replace->selectAll();
    }
}

void CDlgFindReplace::ApplyLanguage(const QString& languageCode) {
    m_languageCode = languageCode;
    LangTable texts(languageCode, kLangFile);
    SetDialogLangTexts(texts, QStringLiteral("gCS_1"), this,
                       {{0, 1},
                        {kFindLabel, 2},
                        {kClose, 3},
                        {kFindAll, 5},
                        {kReplaceLabel, 6},
                        {kStyleGroup, 7},
                        {kStyleUpright, 8},
                        {kStyleItalic, 9},
                        {kStyleBold, 10},
                        {kStyleBoldItalic, 11},
                        {kStyleKeep, 13},
                        {kReplace, 14},
                        {kReplaceAll, 15},
                        {kNext, 16}});
}

void CDlgFindReplace::SetStyle(int style) {
    if (style < 0 || style > 4) style = 0;
    m_nStyle = style;
    m_styles[size_t(style)]->setChecked(true);
}

void CDlgFindReplace::tell(int item, QLineEdit* field) {
    LangTable texts(m_languageCode, kLangFile);
    LangMessageBox(texts, QStringLiteral("gMSG_1"), item, MB_OK | MB_ICONINFORMATION);
    if (field) field->setFocus();
}

void CDlgFindReplace::OnFindAll() {
    switch (FindAllStep(m_target, m_find->text())) {
    case SearchOutcome::EmptyFind: tell(1, m_find); break;
    case SearchOutcome::NothingFound: tell(3, m_find); break;
    case SearchOutcome::Done: hide(); break;
    default: break;
    }
}

void CDlgFindReplace::OnFindNext() {
    switch (FindNextStep(m_target, m_find->text())) {
    case SearchOutcome::EmptyFind: tell(1, m_find); break;
    case SearchOutcome::NothingMore: tell(2, nullptr); break;
    default: break;
    }
}

void CDlgFindReplace::OnReplace() {
    switch (ReplaceStep(m_target, m_find->text(), m_replace->text(), m_nStyle)) {
    case SearchOutcome::EmptyFind: tell(1, m_find); break;
    case SearchOutcome::EmptyReplace: tell(1, m_replace); break;
    case SearchOutcome::NothingMore: tell(2, nullptr); break;
    default: break;
    }
}

void CDlgFindReplace::OnReplaceAll() {
    switch (ReplaceAllStep(m_target, m_find->text(), m_replace->text(), m_nStyle)) {
    case SearchOutcome::EmptyFind: tell(1, m_find); break;
    case SearchOutcome::EmptyReplace: tell(1, m_replace); break;
    case SearchOutcome::NothingFound: tell(3, m_find); break;
    default: break;
    }
}

QLineEdit* CDlgFindReplace::focusedField() const {
    // The last field given the focus inside the dialog; the bar takes none.
    QWidget* focused = focusWidget();
    if (focused == m_find || focused == m_replace) return static_cast<QLineEdit*>(focused);
    return nullptr;
}

intptr_t CDlgFindReplace::OnWindowMessage(int message, intptr_t wParam, intptr_t) {
    if (message != WM_TOOLBAR_COMMAND || wParam <= 0 || wParam > 0xFFFF) return 0;
    if (QLineEdit* field = focusedField()) field->insert(QString(QChar(char16_t(wParam))));
    return 0;
}

bool CDlgFindReplace::event(QEvent* event) {
    if (DispatchPostedMessage(event, this)) return true;
    return QDialog::event(event);
}

void CDlgFindReplace::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F3) hide();
    QDialog::keyPressEvent(event);
}

}  // namespace toliva
