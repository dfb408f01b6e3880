#include "shell/CEEDPP_AutoCal.h"

#include "shell/CEESettingDlg.h"
#include "shell/PanelContextFromSettings.h"
#include "shell/SettingsListMenu.h"
#include "shell/settings/AppSettings.h"
#include "shell/settings/ConstantFiles.h"

#include "model/EqModel.h"
#include "panels/CDlgCreateConst.h"
#include "platform/AppContext.h"
#include "platform/MessageSink.h"
#include "sheet/CKwEESheet.h"
#include "uikit/KitDialogs.h"
#include "uikit/LangTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cmath>

namespace toliva {
namespace {

constexpr char kGroup[] = "gPP_4";
const QString kFilter = QStringLiteral("Toliva Constant Values (*.acv)|*.acv|");
const QString kExtension = QStringLiteral("*.acv");
const QColor kSwatchFrame(200, 200, 220);
constexpr int kNameWidth = 120, kValueWidth = 180;
constexpr int kValueRole = Qt::UserRole;

template <typename W>
W* withId(W* widget, int id) {
    widget->setProperty(kCtrlIdProperty, id);
    return widget;
}

void setBit(uint32_t& word, uint32_t bit, bool on) { word = on ? (word | bit) : (word & ~bit); }

QColor fromColorRef(uint32_t c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }

}  // namespace

CEEDPP_AutoCal::CEEDPP_AutoCal(CEESettingDlg* owner) : QWidget(owner), m_owner(owner) {
    setProperty(kCtrlIdProperty, kCtrlId);
    setWindowTitle(QStringLiteral("Auto-calculation"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setFont(owner->context().uiFont);

    auto* enabled = withId(new QCheckBox(QStringLiteral("Calculate formula lines"), this), kEnabled);
    auto* options = new QGridLayout;
    options->addWidget(withId(new QLabel(QStringLiteral("Show the result:"), this), kTriggerLabel), 0, 0);
    options->addWidget(withId(new QComboBox(this), kTrigger), 0, 1);
    options->addWidget(withId(new QLabel(QStringLiteral("Number format:"), this), kNumberFormatLabel), 1, 0);
    options->addWidget(withId(new QComboBox(this), kNumberFormat), 1, 1);
    options->setColumnStretch(2, 1);
    options->setColumnMinimumWidth(1, 260);

    auto* back = withId(new QCheckBox(QStringLiteral("Draw results on a background colour"), this), kResultBack);
    auto* swatch = withId(new QWidget(this), kSwatch);
    // The page paints the swatch and takes its clicks.
    swatch->setAttribute(Qt::WA_TransparentForMouseEvents);
    swatch->setFixedSize(48, 20);
    auto* backRow = new QHBoxLayout;
    backRow->addWidget(back);
    backRow->addSpacing(12);
    backRow->addWidget(swatch);
    backRow->addStretch(1);
    auto* onlyEditing =
        withId(new QCheckBox(QStringLiteral("Only while editing, not in the pictures made"), this), kBackOnlyEditing);
    auto* onlyRow = new QHBoxLayout;
    onlyRow->addSpacing(24);
    onlyRow->addWidget(onlyEditing);
    onlyRow->addStretch(1);

    auto* group = withId(new QGroupBox(QStringLiteral("Constants"), this), kListGroup);
    m_list = withId(new QTreeWidget(group), kList);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setColumnCount(2);
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionsMovable(false);
    // The selection stays visible while the list has no focus.
    QPalette listPal = m_list->palette();
    listPal.setColor(QPalette::Inactive, QPalette::Highlight, listPal.color(QPalette::Active, QPalette::Highlight));
    listPal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     listPal.color(QPalette::Active, QPalette::HighlightedText));
    m_list->setPalette(listPal);
    auto* menuButton = withId(new QPushButton(QStringLiteral("List..."), group), kListMenu);
    auto* groupBox = new QVBoxLayout(group);
    groupBox->addWidget(m_list, 1);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(menuButton);
    groupBox->addLayout(buttonRow);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(24, 20, 24, 20);
    page->setSpacing(12);
    page->addWidget(enabled);
    page->addLayout(options);
    page->addLayout(backRow);
    page->addLayout(onlyRow);
    page->addWidget(group, 1);

    m_menu = new SettingsListMenu(owner->context(), this, true);
    m_menu->TakeRightButton(m_list, [this](QPoint at) { ShowListMenu(at, true); });
    connect(menuButton, &QPushButton::clicked, this, [this] { ShowListMenu(QCursor::pos(), false); });
    connect(back, &QCheckBox::clicked, this, [this] { OnResultBackClicked(); });
    connect(m_list, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item, int) { OnEditRow(m_list->indexOfTopLevelItem(item)); });
}

CEEDPP_AutoCal::~CEEDPP_AutoCal() = default;

QCheckBox* CEEDPP_AutoCal::checkBox(int id) const {
    return qobject_cast<QCheckBox*>(DialogControl(const_cast<CEEDPP_AutoCal*>(this), id));
}
QComboBox* CEEDPP_AutoCal::comboBox(int id) const {
    return qobject_cast<QComboBox*>(DialogControl(const_cast<CEEDPP_AutoCal*>(this), id));
}

QRect CEEDPP_AutoCal::swatchRect() const {
    const QWidget* swatch = DialogControl(const_cast<CEEDPP_AutoCal*>(this), kSwatch);
    return QRect(swatch->mapTo(this, QPoint(0, 0)), swatch->size());
}

// ---- initialisation and the settings

bool CEEDPP_AutoCal::OnInitDialog() {
    EquationSettingsContext& context = m_owner->context();
    LangTable table(context.app.languageCode(), QStringLiteral("LANG_04.xml"));
    TransferSettings(false);

    m_list->setHeaderLabels({LoadLangString(table, QStringLiteral("gCL_4"), 1),
                             LoadLangString(table, QStringLiteral("gCL_4"), 2)});
    m_list->setColumnWidth(0, kNameWidth);
    m_list->setColumnWidth(1, kValueWidth);
    if (CKwEESheet* sheet = m_owner->m_pTarget) FillList(sheet->wordLists().constants);

    QComboBox* formats = comboBox(kNumberFormat);
    formats->clear();
    for (int decimals = 1; decimals <= 9; ++decimals)
        formats->addItem(QStringLiteral("X.") + QString(decimals, QLatin1Char('X')));
    for (int item = 1; item <= 4; ++item) formats->addItem(LoadLangString(table, QStringLiteral("gFL_4"), item));
    formats->setCurrentIndex(m_owner->workingLayout().options[6] < kNumberFormatCount
                                 ? m_owner->workingLayout().options[6]
                                 : -1);

    SetDialogLangTexts(table, QString::fromLatin1(kGroup), this,
                       {{0, 1}, {kEnabled, 2}, {kNumberFormatLabel, 3}, {kTriggerLabel, 4}, {kListGroup, 5},
                        {kResultBack, 6}, {kBackOnlyEditing, 7}, {kListMenu, 8}});

    QComboBox* trigger = comboBox(kTrigger);
    trigger->clear();
    for (int item = 1; item <= 2; ++item) trigger->addItem(LoadLangString(table, QStringLiteral("gCT_4"), item));
    trigger->setCurrentIndex(context.settings.resEchoType != 0 ? 1 : 0);

    checkBox(kBackOnlyEditing)->setVisible(context.app.option(OptFillResultBox));
    update();
    return true;
}

void CEEDPP_AutoCal::TransferSettings(bool apply) {
    CKwEESheet* sheet = m_owner->m_pTarget;
    if (!sheet) return;
    EquationSettingsContext& context = m_owner->context();
    uint8_t& numberFormat = m_owner->workingLayout().options[6];
    if (!apply) {
        checkBox(kEnabled)->setChecked(context.app.option(OptAutoCalc));
        checkBox(kResultBack)->setChecked(context.app.option(OptFillResultBox));
        checkBox(kBackOnlyEditing)->setChecked(context.app.option(OptNoResultFillInMetafile));
        // Before the boxes are filled (the first load) nothing is selected.
        comboBox(kTrigger)->setCurrentIndex(context.settings.resEchoType != 0 ? 1 : 0);
        comboBox(kNumberFormat)->setCurrentIndex(numberFormat < kNumberFormatCount ? numberFormat : -1);
        checkBox(kBackOnlyEditing)->setVisible(checkBox(kResultBack)->isChecked());
        update();
        return;
    }
    setBit(context.app.options, OptAutoCalc, checkBox(kEnabled)->isChecked());
    setBit(context.app.options, OptFillResultBox, checkBox(kResultBack)->isChecked());
    setBit(context.app.options, OptNoResultFillInMetafile, checkBox(kBackOnlyEditing)->isChecked());
    // A box showing no choice (a value the page does not know) keeps the value.
    if (comboBox(kTrigger)->currentIndex() >= 0) context.settings.resEchoType = comboBox(kTrigger)->currentIndex();
    if (comboBox(kNumberFormat)->currentIndex() >= 0)
        numberFormat = uint8_t(comboBox(kNumberFormat)->currentIndex());
    sheet->ClearConstants();
    CollectList(sheet->wordLists().constants);
    sheet->UpdateListNameLengths();
}

// ---- the list

QString CEEDPP_AutoCal::ValueText(double value) { return QString::asprintf("%.20f", value); }

int CEEDPP_AutoCal::rowCount() const { return m_list->topLevelItemCount(); }

UserConstant CEEDPP_AutoCal::row(int i) const {
    const QTreeWidgetItem* item = m_list->topLevelItem(i);
    UserConstant c;
    if (!item) return c;
    c.name = item->text(0);
    c.value = item->data(0, kValueRole).toDouble();
    c.enabled = item->checkState(0) == Qt::Checked;
    return c;
}

void CEEDPP_AutoCal::setRow(QTreeWidgetItem* item, const UserConstant& c) {
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setText(0, c.name);
    item->setText(1, ValueText(c.value));
    item->setData(0, kValueRole, c.value);
    item->setCheckState(0, c.enabled ? Qt::Checked : Qt::Unchecked);
}

void CEEDPP_AutoCal::CollectList(std::vector<UserConstant>& list) const {
    std::vector<UserConstant> rows;
    for (int i = 0; i < rowCount(); ++i) {
        UserConstant c = row(i);
        if (!c.name.isEmpty()) rows.push_back(std::move(c));
    }
    list.insert(list.begin(), std::make_move_iterator(rows.rbegin()), std::make_move_iterator(rows.rend()));
}

void CEEDPP_AutoCal::FillList(const std::vector<UserConstant>& list) {
    m_list->clear();
    for (const UserConstant& c : list) AddConstant(c.name, c.value, c.enabled);
}

int CEEDPP_AutoCal::FindRow(const QString& name) const {
    for (int i = 0; i < rowCount(); ++i)
        if (m_list->topLevelItem(i)->text(0) == name) return i;
    return -1;
}

void CEEDPP_AutoCal::AddConstant(const QString& name, double value, bool enabled) {
    auto* item = new QTreeWidgetItem;
    setRow(item, UserConstant{name, enabled, value});
    m_list->insertTopLevelItem(0, item);
}

// ---- the list menu

void CEEDPP_AutoCal::ShowListMenu(QPoint screenPoint, bool overListOnly) {
    if (overListOnly && !m_list->rect().contains(m_list->mapFromGlobal(screenPoint))) return;
    const unsigned chosen = m_menu->Track(screenPoint, !m_list->selectedItems().isEmpty());
    if (chosen) RunMenuCommand(int(chosen));
}

void CEEDPP_AutoCal::RunMenuCommand(int item) {
    switch (item) {
    case SettingsListMenu::kNew: {
        UserConstant c;
        if (!runEntryDialog(c)) return;
        if (FindRow(c.name) >= 0) return refuseDuplicate();
        AddConstant(c.name, c.value, c.enabled);
        return;
    }
    case SettingsListMenu::kDeleteSelected: return deleteSelected();
    case SettingsListMenu::kClear: m_list->clear(); return;
    case SettingsListMenu::kDefaultList: return defaultList();
    case SettingsListMenu::kCheckAll: return setAllChecks(true);
    case SettingsListMenu::kUncheckAll: return setAllChecks(false);
    case SettingsListMenu::kImport: return importFile();
    case SettingsListMenu::kExport: return exportFile();
    default: return;
    }
}

void CEEDPP_AutoCal::OnEditRow(int i) {
    QTreeWidgetItem* item = m_list->topLevelItem(i);
    if (!item) return;
    UserConstant c = row(i);
    if (!runEntryDialog(c)) return;
    // The row may keep its own name; another row's is refused.
    for (int k = 0; k < rowCount(); ++k)
        if (k != i && m_list->topLevelItem(k)->text(0) == c.name) return refuseDuplicate();
    setRow(item, c);
}

bool CEEDPP_AutoCal::runEntryDialog(UserConstant& c) {
    EquationSettingsContext& context = m_owner->context();
    PanelContext panel;
    FillPanelContext(panel, context.app, context.settings, context.programFolder);
    CDlgCreateConst dialog(panel, this);
    dialog.m_strName = c.name;
    dialog.m_dValue = c.value;
    dialog.m_nEnabled = c.enabled ? 1 : 0;
    dialog.runModal = runConstantDialog;
    if (dialog.DoModal() != IDOK) return false;
    c.name = dialog.m_strName;
    c.value = dialog.m_dValue;
    c.enabled = dialog.m_nEnabled != 0;
    return true;
}

void CEEDPP_AutoCal::refuseDuplicate() {
    LangTable table(m_owner->context().app.languageCode(), QString::fromLatin1(SettingsListMenu::kLangFile));
    LangMessageBox(table, QStringLiteral("gMSG_1"), 1, MB_OK | MB_ICONWARNING);
}

void CEEDPP_AutoCal::deleteSelected() {
    for (;;) {
        QTreeWidgetItem* first = nullptr;
        for (int i = 0; i < rowCount() && !first; ++i)
            if (m_list->topLevelItem(i)->isSelected()) first = m_list->topLevelItem(i);
        if (!first) return;
        delete first;
    }
}

void CEEDPP_AutoCal::defaultList() {
    m_list->clear();
    AddConstant(QString(QChar(0x03C0)), 2 * std::asin(1.0), true);
    AddConstant(QStringLiteral("e"), std::exp(1.0), true);
    AddConstant(QStringLiteral("g"), 9.8, true);
}

void CEEDPP_AutoCal::setAllChecks(bool checked) {
    for (int i = 0; i < rowCount(); ++i) m_list->topLevelItem(i)->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

bool CEEDPP_AutoCal::AskConstantFilePath(const QString& defaultName, QWidget* owner, QString& path, bool save,
                                         const QString& defaultExtension) {
    return SettingsListMenu::AskFilePath(kFilter, defaultName, owner, path, save, defaultExtension);
}

void CEEDPP_AutoCal::importFile() {
    QString path;
    if (!AskConstantFilePath(QString(), this, path, false, kExtension)) return;
    std::vector<UserConstant> read;
    switch (ReadConstantFile(path, read)) {
    case ConstantFileResult::Read: FillList(read); return;
    case ConstantFileResult::CannotOpen: return;
    case ConstantFileResult::Malformed:
        showMessage(QStringLiteral("Unexpected file format.\n") + path, MB_OK | MB_ICONWARNING);
        return;
    }
}

void CEEDPP_AutoCal::exportFile() {
    QString path;
    if (!AskConstantFilePath(QStringLiteral("Untitled.acv"), this, path, true, kExtension)) return;
    std::vector<UserConstant> rows;
    CollectList(rows);
    QString reason;
    if (WriteConstantFile(path, rows, &reason)) return;
    LangTable table(m_owner->context().app.languageCode(), QStringLiteral("LANG_03.xml"));
    showMessage(LoadLangString(table, QStringLiteral("gMSG_2"), 2) + path + QStringLiteral("\n") + reason,
                MB_OK | MB_ICONWARNING);
}

// ---- the colour swatch

void CEEDPP_AutoCal::OnResultBackClicked() {
    checkBox(kBackOnlyEditing)->setVisible(checkBox(kResultBack)->isChecked());
    update();
}

void CEEDPP_AutoCal::OnLButtonDown(QPoint point) {
    if (!checkBox(kResultBack)->isChecked() || !swatchRect().contains(point)) return;
    uint32_t& colour = m_owner->context().app.resultBackColour;
    uint32_t chosen = colour;
    if (!PickColourWithCustomColours(chosen, kColourGroup, QString::fromLatin1(kCustomColourKey), true)) return;
    colour = chosen & 0xFFFFFF;
    update();
}

void CEEDPP_AutoCal::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) OnLButtonDown(event->position().toPoint());
    QWidget::mousePressEvent(event);
}

void CEEDPP_AutoCal::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    QPainter painter(this);
    const QRect r = swatchRect();
    if (!checkBox(kResultBack)->isChecked()) {
        painter.fillRect(r, Qt::white);
        return;
    }
    painter.fillRect(r, fromColorRef(m_owner->context().app.resultBackColour));
    painter.setPen(kSwatchFrame);
    painter.drawRect(r.adjusted(0, 0, -1, -1));
}

}  // namespace toliva
