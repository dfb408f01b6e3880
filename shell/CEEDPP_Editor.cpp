#include "shell/CEEDPP_Editor.h"

#include "shell/CEESettingDlg.h"
#include "shell/PanelContextFromSettings.h"
#include "shell/SettingsListMenu.h"
#include "shell/settings/AutoWordFiles.h"

#include "panels/CDlgCreateAW.h"
#include "platform/AppContext.h"
#include "platform/MessageSink.h"
#include "sheet/CKwEESheet.h"
#include "uikit/LangTable.h"
#include "uikit/Utilities.h"

#include <QCheckBox>
#include <QCursor>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

namespace toliva {
namespace {

constexpr char kGroup[] = "gPP_3";
const QString kFilter = QStringLiteral("Toliva AutoWord Definition(*.aad)|*.aad|");
// Rows filled from the sheet's list carry these after the word.
const QString kLoadedRowTail = QStringLiteral("   ");

template <typename W>
W* withId(W* widget, int id) {
    widget->setProperty(kCtrlIdProperty, id);
    return widget;
}

void setBit(uint32_t& word, uint32_t bit, bool on) { word = on ? (word | bit) : (word & ~bit); }

// The option bits and their boxes.
struct BitBox {
    int id;
    uint32_t bit;
};
constexpr BitBox kBitBoxes[] = {
    {CEEDPP_Editor::kDottedSeparators, OptDottedSeparators},
    {CEEDPP_Editor::kSpaceMarks, OptShowSpaceMarks},
    {CEEDPP_Editor::kAutoBrackets, OptAutoBrackets},
    {CEEDPP_Editor::kUprightInSubscripts, OptExtraUpright1},
    {CEEDPP_Editor::kUprightInScripts, OptExtraUpright2},
};
constexpr int kOptionBoxes[3] = {CEEDPP_Editor::kDigitsUpright, CEEDPP_Editor::kPunctuationUpright,
                                 CEEDPP_Editor::kCjkUpright};

// A row of the word list: its record, sorted by the row text as the list
// shows it (letters without regard to case first, then by case).
class WordRow : public QListWidgetItem {
public:
    WordRow(const QString& text, AutoWord record)
        : QListWidgetItem(text, nullptr, QListWidgetItem::UserType), record(std::move(record)) {}
    bool operator<(const QListWidgetItem& other) const override {
        const QString a = text(), b = other.text();
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a.compare(b, Qt::CaseSensitive) < 0;
    }
    AutoWord record;
};

WordRow* wordRow(QListWidgetItem* item) {
    return item && item->type() == QListWidgetItem::UserType ? static_cast<WordRow*>(item) : nullptr;
}

void setRowLook(WordRow* row, bool checked) {
    row->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    row->setFont(AutoWordRowFont(row->record.style, GetWindowsMajorVersion()));
}

}  // namespace

QFont AutoWordRowFont(int style, unsigned windowsMajorVersion) {
    QFont font(UIFontNameFor(windowsMajorVersion));
    font.setPointSize(windowsMajorVersion < 6 ? 8 : 9);
    const bool known = style >= 0 && style <= 3;
    font.setWeight(known && style >= 2 ? QFont::Black : QFont::Normal);
    font.setItalic(known && (style == 1 || style == 3));
    return font;
}

CEEDPP_Editor::CEEDPP_Editor(CEESettingDlg* owner) : QWidget(owner), m_owner(owner) {
    setProperty(kCtrlIdProperty, kCtrlId);
    setWindowTitle(QStringLiteral("Editor"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setFont(owner->context().uiFont);

    const auto box = [this](int id, const QString& text) { return withId(new QCheckBox(text, this), id); };

    auto* general = new QVBoxLayout;
    general->setSpacing(10);
    general->addWidget(box(kDottedSeparators, QStringLiteral("Dotted lines between the lines while editing")));
    general->addWidget(box(kSpaceMarks, QStringLiteral("Show the marks of spaces")));
    general->addWidget(box(kAutoBrackets, QStringLiteral("Typed brackets become bracket pairs")));

    auto* upright = withId(new QGroupBox(QStringLiteral("Set upright as they are typed"), this), kUprightGroup);
    auto* uprightBox = new QVBoxLayout(upright);
    uprightBox->setSpacing(8);
    uprightBox->addWidget(box(kDigitsUpright, QStringLiteral("Digits")));
    uprightBox->addWidget(box(kPunctuationUpright, QStringLiteral("Punctuation and brackets")));
    uprightBox->addWidget(box(kCjkUpright, QStringLiteral("CJK characters")));
    uprightBox->addWidget(box(kUprightInSubscripts, QStringLiteral("Letters in subscripts")));
    uprightBox->addWidget(box(kUprightInScripts, QStringLiteral("Letters in superscripts over a subscript")));
    general->addSpacing(6);
    general->addWidget(upright);
    general->addStretch(1);

    auto* words = new QVBoxLayout;
    words->setSpacing(6);
    auto* menuButton = withId(new QPushButton(QStringLiteral("Automatic Words ▾"), this), kMenuButton);
    words->addWidget(menuButton, 0, Qt::AlignLeft);
    m_list = withId(new QListWidget(this), kList);
    m_list->setSortingEnabled(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setUniformItemSizes(false);
    words->addWidget(m_list, 1);

    auto* page = new QHBoxLayout(this);
    page->setContentsMargins(24, 20, 24, 20);
    page->setSpacing(24);
    page->addLayout(general, 1);
    page->addLayout(words, 1);

    connect(menuButton, &QPushButton::clicked, this, [this] { ShowListMenu(false, QCursor::pos()); });
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) { EditRow(m_list->row(item)); });
    // A right-button press anywhere on the page stays with the page; over
    // the list it opens the menu.
    m_menu = new SettingsListMenu(owner->context(), this, /*withPictures=*/false);
    m_menu->TakeRightButton(m_list, [this](QPoint at) { ShowListMenu(true, at); });
}

CEEDPP_Editor::~CEEDPP_Editor() = default;

CKwEESheet* CEEDPP_Editor::sheet() const { return m_owner->m_pTarget; }

QCheckBox* CEEDPP_Editor::checkBox(int id) const {
    return qobject_cast<QCheckBox*>(DialogControl(const_cast<CEEDPP_Editor*>(this), id));
}

bool CEEDPP_Editor::OnInitDialog() {
    LangTable table(m_owner->context().app.languageCode(), QStringLiteral("LANG_04.xml"));
    TransferSettings(false);
    FillList();
    SetDialogLangTexts(table, QString::fromLatin1(kGroup), this,
                       {{0, 1}, {kDottedSeparators, 2}, {kUprightGroup, 3}, {kDigitsUpright, 4},
                        {kPunctuationUpright, 5}, {kCjkUpright, 6}, {kAutoBrackets, 7}, {kSpaceMarks, 8},
                        {kMenuButton, 9}, {kUprightInSubscripts, 10}, {kUprightInScripts, 11}});
    return true;
}

void CEEDPP_Editor::TransferSettings(bool apply) {
    CKwEESheet* target = sheet();
    if (!target) return;
    AppContext& app = m_owner->context().app;
    WordLists& lists = target->wordLists();
    if (!apply) {
        for (const BitBox& b : kBitBoxes) checkBox(b.id)->setChecked(app.option(b.bit));
        for (int i = 0; i < 3; ++i) checkBox(kOptionBoxes[i])->setChecked(lists.autoFormat[i]);
        return;
    }
    for (const BitBox& b : kBitBoxes) setBit(app.options, b.bit, checkBox(b.id)->isChecked());
    for (int i = 0; i < 3; ++i) lists.autoFormat[i] = checkBox(kOptionBoxes[i])->isChecked();
    // The sheet keeps the words in the reverse of the rows' order.
    lists.words.clear();
    for (int i = m_list->count() - 1; i >= 0; --i) {
        QListWidgetItem* item = m_list->item(i);
        const WordRow* row = wordRow(item);
        if (!row || row->record.word.isEmpty()) continue;
        AutoWord w = row->record;
        w.enabled = item->checkState() == Qt::Checked;
        lists.words.push_back(std::move(w));
    }
    lists.UpdateListNameLengths();
}

QListWidgetItem* CEEDPP_Editor::AddRow(const QString& text, const AutoWord& record) {
    auto* row = new WordRow(text, record);
    setRowLook(row, record.enabled);
    m_list->addItem(row);
    return row;
}

void CEEDPP_Editor::FillList() {
    m_list->clear();
    CKwEESheet* target = sheet();
    if (!target) return;
    for (const AutoWord& w : target->wordLists().words) AddRow(w.word + kLoadedRowTail, w);
}

bool CEEDPP_Editor::HasDuplicateWord(const QString& word, int skipRow) const {
    for (int i = 0; i < m_list->count(); ++i) {
        if (i == skipRow) continue;
        const WordRow* row = wordRow(m_list->item(i));
        if (row && row->record.word == word) return true;
    }
    return false;
}

std::vector<CEEDPP_Editor::Row> CEEDPP_Editor::rows() const {
    std::vector<Row> out;
    for (int i = 0; i < m_list->count(); ++i) {
        QListWidgetItem* item = m_list->item(i);
        Row r;
        r.text = item->text();
        if (const WordRow* row = wordRow(item)) r.record = row->record;
        r.checked = item->checkState() == Qt::Checked;
        out.push_back(std::move(r));
    }
    return out;
}

// ---- the word dialog

bool CEEDPP_Editor::RunWordDialog(AutoWord& record, int mode) {
    EquationSettingsContext& context = m_owner->context();
    PanelContext panel;
    FillPanelContext(panel, context.app, context.settings, context.programFolder);
    CDlgCreateAW dlg(panel, this);
    dlg.m_nMode = mode;
    dlg.m_strWord = record.word;
    dlg.m_nStyle = record.style <= 3 ? record.style : 0;
    dlg.m_nEnabled = record.enabled ? 1 : 0;
    if (runWordDialog) dlg.runModal = runWordDialog;
    if (dlg.DoModal() != IDOK || dlg.m_strWord.isEmpty()) return false;
    record.word = dlg.m_strWord;
    record.style = uint8_t(dlg.m_nStyle & 3);
    record.enabled = dlg.m_nEnabled != 0;
    return true;
}

void CEEDPP_Editor::showDuplicate() {
    LangTable table(m_owner->context().app.languageCode(), QStringLiteral("LANG_02.xml"));
    LangMessageBox(table, QStringLiteral("gMSG_2"), 1, MB_OK | MB_ICONWARNING);
}

void CEEDPP_Editor::EditRow(int index) {
    QListWidgetItem* item = m_list->item(index);
    WordRow* row = wordRow(item);
    if (!row) return;
    AutoWord record = row->record;
    // The dialog shows the row as the list shows it: its check mark.
    record.enabled = item->checkState() == Qt::Checked;
    if (!RunWordDialog(record, 0)) return;
    if (HasDuplicateWord(record.word, m_list->row(item))) {
        showDuplicate();
        return;
    }
    row->record = record;
    row->setText(record.word);
    setRowLook(row, record.enabled);
}

// ---- the list menu

void CEEDPP_Editor::RunMenuCommand(int item) {
    switch (item) {
    case SettingsListMenu::kNew: {
        AutoWord record;
        if (!RunWordDialog(record, 0)) return;
        if (HasDuplicateWord(record.word, -1)) {
            showDuplicate();
            return;
        }
        // A new word is always enabled.
        record.enabled = true;
        m_list->scrollToItem(AddRow(record.word, record));
        return;
    }
    case SettingsListMenu::kDeleteSelected:
        for (QListWidgetItem* selected : m_list->selectedItems()) delete selected;
        return;
    case SettingsListMenu::kClear: m_list->clear(); return;
    case SettingsListMenu::kDefaultList:
        m_list->clear();
        for (const QString& word : DefaultAutoWordTexts()) {
            AutoWord record;
            record.word = word;
            AddRow(word, record);
        }
        return;
    case SettingsListMenu::kCheckAll:
    case SettingsListMenu::kUncheckAll:
        for (int i = 0; i < m_list->count(); ++i)
            m_list->item(i)->setCheckState(item == int(SettingsListMenu::kCheckAll) ? Qt::Checked : Qt::Unchecked);
        return;
    case SettingsListMenu::kImport: ImportFile(); return;
    case SettingsListMenu::kExport: ExportFile(); return;
    default: return;
    }
}

void CEEDPP_Editor::ShowListMenu(bool onlyOverList, QPoint screenPoint) {
    if (onlyOverList && !m_list->rect().contains(m_list->mapFromGlobal(screenPoint))) return;
    RunMenuCommand(int(m_menu->Track(screenPoint, !m_list->selectedItems().isEmpty())));
}

bool CEEDPP_Editor::AskAutoWordFilePath(bool save, QString& path) {
    return SettingsListMenu::AskFilePath(kFilter, QStringLiteral("Untitled.aad"), this, path, save,
                                         QStringLiteral("*.aad"));
}

void CEEDPP_Editor::ImportFile() {
    CKwEESheet* target = sheet();
    QString path;
    if (!target || !AskAutoWordFilePath(false, path)) return;
    // The sheet's words change only when the whole file reads.
    switch (ReadAutoWordFile(path, target->wordLists())) {
    case AutoWordFileStatus::Read: FillList(); return;
    case AutoWordFileStatus::CannotOpen: return;
    case AutoWordFileStatus::Damaged: {
        LangTable table(m_owner->context().app.languageCode(), QStringLiteral("LANG_02.xml"));
        showMessage(LoadLangString(table, QStringLiteral("gMSG_2"), 3).replace(QLatin1Char('|'), QLatin1Char('\n')) +
                        path,
                    MB_OK | MB_ICONWARNING);
        return;
    }
    }
}

void CEEDPP_Editor::ExportFile() {
    CKwEESheet* target = sheet();
    QString path;
    if (!target || !AskAutoWordFilePath(true, path)) return;
    if (!WriteAutoWordFile(path, target->wordLists())) {
        LangTable table(m_owner->context().app.languageCode(), QStringLiteral("LANG_03.xml"));
        showMessage(LoadLangString(table, QStringLiteral("gMSG_2"), 2) + path, MB_OK | MB_ICONWARNING);
    }
}

}  // namespace toliva
