#include "panels/CDlgSetMatrix.h"
#include "panels/PanelDialog.h"

#include "panels/CDlgMatVecTemp.h"
#include "panels/MatrixDialogWork.h"
#include "platform/MessageSink.h"
#include "uikit/LangTable.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

namespace toliva {

namespace {

constexpr int kAlignIds[5] = {CDlgSetMatrix::kAlignLeft, CDlgSetMatrix::kAlignCentre, CDlgSetMatrix::kAlignRight,
                              CDlgSetMatrix::kAlignAtEquals, CDlgSetMatrix::kAlignAtPoint};

// The pair of arrows beside a count: a small column of an up and a down
// button.
QWidget* makeArrows(QWidget* parent, int id, QToolButton** up, QToolButton** down) {
    auto* box = WithCtrlId(new QWidget(parent), id);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QToolButton** b : {up, down}) {
        *b = new QToolButton(box);
        (*b)->setArrowType(b == up ? Qt::UpArrow : Qt::DownArrow);
        (*b)->setAutoRepeat(true);
        (*b)->setFixedSize(18, 12);
        (*b)->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(*b);
    }
    return box;
}

}  // namespace

CDlgSetMatrix::CDlgSetMatrix(const PanelContext& context, QWidget* parent)
    : QDialog(parent), m_context(context) {
    setObjectName(QStringLiteral("CDlgSetMatrix"));
    setModal(true);
    const MatrixDialogValues values = LoadMatrixDialogValues();
    m_nPartition = values.partition ? 1 : 0;
    m_nAlign = uint16_t(values.alignment);
    m_nRows = values.rows;
    m_nCols = values.columns;

    // The shape: rows x columns, typed, with arrows that step them.
    m_rowsLabel = WithCtrlId(new QLabel(QStringLiteral("Rows"), this), kRowsLabel);
    m_columnsLabel = WithCtrlId(new QLabel(QStringLiteral("Columns"), this), kColumnsLabel);
    m_times = WithCtrlId(new QLabel(QStringLiteral("×"), this), kTimesLabel);
    m_rowsEdit = WithCtrlId(new QLineEdit(this), kRowsEdit);
    m_columnsEdit = WithCtrlId(new QLineEdit(this), kColumnsEdit);
    for (QLineEdit* edit : {m_rowsEdit, m_columnsEdit}) {
        edit->setMaxLength(8);
        edit->setFixedWidth(56);
        edit->installEventFilter(this);
    }
    m_rowsSpin = makeArrows(this, kRowsSpin, &m_rowsUp, &m_rowsDown);
    m_columnsSpin = makeArrows(this, kColumnsSpin, &m_columnsUp, &m_columnsDown);
    m_rowsLabel->setBuddy(m_rowsEdit);
    m_columnsLabel->setBuddy(m_columnsEdit);
    auto* shape = new QGridLayout;
    shape->addWidget(m_rowsLabel, 0, 0, 1, 2);
    shape->addWidget(m_columnsLabel, 0, 3, 1, 2);
    shape->addWidget(m_rowsEdit, 1, 0);
    shape->addWidget(m_rowsSpin, 1, 1);
    shape->addWidget(m_times, 1, 2, Qt::AlignCenter);
    shape->addWidget(m_columnsEdit, 1, 3);
    shape->addWidget(m_columnsSpin, 1, 4);
    shape->setColumnStretch(5, 1);

    // The alignment of the cells.
    auto* alignGroup = WithCtrlId(new QGroupBox(QStringLiteral("Alignment"), this), kAlignGroup);
    auto* alignLayout = new QGridLayout(alignGroup);
    const char* alignTexts[5] = {"Left", "Centre", "Right", "At \"=\"", "At \".\""};
    for (int i = 0; i < 5; ++i) {
        m_align[i] = WithCtrlId(new QRadioButton(QString::fromLatin1(alignTexts[i]), alignGroup), kAlignIds[i]);
        alignLayout->addWidget(m_align[i], i / 3, i % 3);
    }

    // The options.
    auto* optionsGroup = WithCtrlId(new QGroupBox(QStringLiteral("Options"), this), kOptionsGroup);
    m_partition = WithCtrlId(new QCheckBox(QStringLiteral("Partition lines"), optionsGroup), kPartition);
    m_scriptSize = WithCtrlId(new QCheckBox(QStringLiteral("As Script Size"), optionsGroup), kScriptSize);
    m_lineSpacingLabel = WithCtrlId(new QLabel(QStringLiteral("Line spacing"), optionsGroup), kLineSpacingLabel);
    m_lineSpacing = WithCtrlId(new QComboBox(optionsGroup), kLineSpacingList);
    // The entries carry trailing spaces to widen the open list; the closed
    // box keeps a modest width.
    m_lineSpacing->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_lineSpacing->setMinimumContentsLength(14);
    m_lineSpacingLabel->setBuddy(m_lineSpacing);
    auto* optionsLayout = new QGridLayout(optionsGroup);
    optionsLayout->addWidget(m_lineSpacingLabel, 0, 0);
    optionsLayout->addWidget(m_lineSpacing, 0, 1);
    optionsLayout->addWidget(m_scriptSize, 1, 0, 1, 2);
    optionsLayout->addWidget(m_partition, 2, 0, 1, 2);
    optionsLayout->setColumnStretch(1, 1);

    // The buttons; the fill buttons and the partition box only when offered.
    m_create = WithCtrlId(new QPushButton(QStringLiteral("Create"), this), kCreate);
    m_cancel = WithCtrlId(new QPushButton(QStringLiteral("Cancel"), this), kCancel);
    m_autoFill = WithCtrlId(new QPushButton(QStringLiteral("Create and auto-fill"), this), kAutoFill);
    m_fromTemplate = WithCtrlId(new QPushButton(QStringLiteral("Create From Template"), this), kFromTemplate);
    m_create->setDefault(true);
    for (QPushButton* b : {m_cancel, m_autoFill, m_fromTemplate}) b->setAutoDefault(false);
    m_autoFill->hide();
    m_fromTemplate->hide();
    m_partition->hide();
    auto* fill = new QHBoxLayout;
    fill->addWidget(m_autoFill);
    fill->addWidget(m_fromTemplate);
    fill->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_create);
    buttons->addWidget(m_cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(shape);
    layout->addWidget(alignGroup);
    layout->addWidget(optionsGroup);
    layout->addLayout(fill);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_create, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_autoFill, &QPushButton::clicked, this, [this] { OnAutoFill(); });
    connect(m_fromTemplate, &QPushButton::clicked, this, [this] { OnShowTemplates(); });
    connect(m_rowsUp, &QToolButton::clicked, this, [this] { OnDeltaPosRows(1); });
    connect(m_rowsDown, &QToolButton::clicked, this, [this] { OnDeltaPosRows(-1); });
    connect(m_columnsUp, &QToolButton::clicked, this, [this] { OnDeltaPosColumns(1); });
    connect(m_columnsDown, &QToolButton::clicked, this, [this] { OnDeltaPosColumns(-1); });

    // The template window lives as long as the dialog, hidden until asked.
    m_pTemplates = new CDlgMatVecTemp(this, m_context);
    m_pTemplates->hide();
}

CDlgSetMatrix::~CDlgSetMatrix() {
    // Written whatever the answer: as read, or as last read from the controls.
    SaveMatrixDialogValues({m_nPartition, int(m_nAlign), m_nRows, m_nCols});
    delete m_pTemplates;
    m_pTemplates = nullptr;
}

QRadioButton* CDlgSetMatrix::alignButton(int ctrlId) const {
    for (int i = 0; i < 5; ++i)
        if (kAlignIds[i] == ctrlId) return m_align[i];
    return nullptr;
}

int CDlgSetMatrix::DoModal() {
    return RunPanelDialog(*this, runModal);
}

void CDlgSetMatrix::OnInitDialog() {
    if (m_initialized) return;
    m_initialized = true;
    // Counts as remembered, even out of range: they are kept to 1 .. 32 when
    // read back.
    m_rowsEdit->setText(QString::number(m_nRows));
    m_columnsEdit->setText(QString::number(m_nCols));
    if (m_nMode == 1) {
        for (QWidget* w : {static_cast<QWidget*>(m_rowsEdit), static_cast<QWidget*>(m_rowsLabel),
                           static_cast<QWidget*>(m_times), m_rowsSpin, static_cast<QWidget*>(m_lineSpacingLabel),
                           static_cast<QWidget*>(m_lineSpacing)})
            w->hide();
    } else if (m_nMode == 2) {
        for (QWidget* w : {static_cast<QWidget*>(m_columnsEdit), static_cast<QWidget*>(m_columnsLabel),
                           static_cast<QWidget*>(m_times), m_columnsSpin})
            w->hide();
    }
    switch (m_nAlign & 0xF) {
    case 1: m_align[0]->setChecked(true); break;
    case 2: m_align[2]->setChecked(true); break;
    case 3: m_align[3]->setChecked(true); break;
    case 4: m_align[4]->setChecked(true); break;
    default: m_align[1]->setChecked(true); break;
    }

    LangTable texts(m_context.languageCode, QStringLiteral("LANG_06.xml"));
    SetDialogLangTexts(texts, QStringLiteral("gCS_1"), this,
                       {{0, 1},
                        {kCreate, 2},
                        {kCancel, 3},
                        {kRowsLabel, 4},
                        {kColumnsLabel, 5},
                        {kAlignGroup, 6},
                        {kAlignLeft, 7},
                        {kAlignCentre, 8},
                        {kAlignRight, 9},
                        {kAlignAtEquals, 10},
                        {kAlignAtPoint, 11},
                        {kAutoFill, 12},
                        {kFromTemplate, 13},
                        {kOptionsGroup, 14},
                        {kPartition, 15},
                        {kLineSpacingLabel, 16},
                        {kScriptSize, 17}});
    m_lineSpacing->clear();
    for (int item = 1; item <= 5; ++item) {
        QString text = LoadLangString(texts, QStringLiteral("gLSL_1"), item);
        if (text.isEmpty()) text = QString::number(item);
        m_lineSpacing->addItem(text + QString(25, QLatin1Char(' ')));
    }
    m_lineSpacing->setCurrentIndex(m_nLineSpacing);

    if (m_bShowFillButtons) {
        m_autoFill->show();
        m_fromTemplate->show();
        m_partition->show();
    }
    m_partition->setChecked(m_nPartition != 0);
    m_scriptSize->setChecked(m_nScriptSize != 0);
    (m_nMode == 1 ? m_columnsEdit : m_rowsEdit)->setFocus();
    (m_nMode == 1 ? m_columnsEdit : m_rowsEdit)->selectAll();
}

void CDlgSetMatrix::ReadMatrixChoices() {
    m_nPartition = m_partition->isChecked() ? 1 : 0;
    m_nScriptSize = m_scriptSize->isChecked() ? 1 : 0;
    m_nLineSpacing = m_lineSpacing->currentIndex();
    m_nRows = ParseMatrixCount(m_rowsEdit->text());
    m_nCols = ParseMatrixCount(m_columnsEdit->text());
    if (m_align[0]->isChecked()) m_nAlign = 1;
    else if (m_align[2]->isChecked()) m_nAlign = 2;
    else if (m_align[3]->isChecked()) m_nAlign = 3;
    else if (m_align[4]->isChecked()) m_nAlign = 4;
    else m_nAlign = 0;
}

void CDlgSetMatrix::OnOK() {
    ReadMatrixChoices();
    accept();
}

void CDlgSetMatrix::step(QLineEdit* edit, int& count, int delta) {
    // The step goes from what the edit holds, so a typed count steps on.
    count = ClampMatrixCount(ParseMatrixCount(edit->text()) + delta);
    edit->setText(QString::number(count));
    edit->selectAll();
}

void CDlgSetMatrix::OnDeltaPosRows(int delta) { step(m_rowsEdit, m_nRows, delta); }

void CDlgSetMatrix::OnDeltaPosColumns(int delta) { step(m_columnsEdit, m_nCols, delta); }

bool CDlgSetMatrix::eventFilter(QObject* watched, QEvent* event) {
    // The arrow keys in a count step it as the arrows beside it do.
    if (event->type() == QEvent::KeyPress && (watched == m_rowsEdit || watched == m_columnsEdit)) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            const int delta = key == Qt::Key_Up ? 1 : -1;
            if (watched == m_rowsEdit) OnDeltaPosRows(delta);
            else OnDeltaPosColumns(delta);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool CDlgSetMatrix::askBaseName() {
    if (!askEntryName) return false;
    QString name;
    int style = 1;
    if (!askEntryName(name, style) || name.isEmpty()) return false;
    m_strEntryName = name;
    m_nEntryStyle = style;
    return true;
}

void CDlgSetMatrix::OnAutoFill() {
    // Without a list there is nothing to fill: nothing is asked.
    if (!m_pNames || !askBaseName()) return;
    ReadMatrixChoices();
    switch (m_nMode) {
    case 1: *m_pNames << VectorNames(m_strEntryName, m_nCols); break;
    case 2: *m_pNames << VectorNames(m_strEntryName, m_nRows); break;
    default: *m_pNames << MatrixNames(m_strEntryName, m_nRows, m_nCols); break;
    }
    done(QDialog::Accepted);
}

void CDlgSetMatrix::OnShowTemplates() {
    if (!m_pTemplates) return;
    const QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen) screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->virtualGeometry() : QRect(QPoint(0, 0), m_pTemplates->size());
    m_pTemplates->move(PlaceWithin(QCursor::pos(), m_pTemplates->size(), area));
    m_pTemplates->show();
    m_pTemplates->raise();
}

void CDlgSetMatrix::OnTemplateChosen(int number) {
    if (!m_pNames) return;
    ReadMatrixChoices();
    const MatrixTemplate* chosen = FindMatrixTemplate(number);
    if (!chosen || !askBaseName()) return;
    m_nRows = chosen->rows;
    m_nCols = chosen->columns;
    *m_pNames << TemplateNames(*chosen, m_strEntryName);
    done(QDialog::Accepted);
}

void CDlgSetMatrix::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    // The template window goes whenever the dialog is activated or
    // deactivated; its own pop-up does not count.
    if (event->type() == QEvent::ActivationChange && m_pTemplates && m_pTemplates->isVisible() &&
        QApplication::activePopupWidget() != m_pTemplates)
        m_pTemplates->hide();
}

}  // namespace toliva
