#include "shell/CEEDPP_Advanced.h"

#include "shell/CEEDPP_Layout.h"
#include "shell/CEESettingDlg.h"
#include "shell/settings/AppSettings.h"
#include "shell/settings/EquationSettingsValues.h"

#include "platform/AppContext.h"
#include "sheet/CKwEESheet.h"
#include "uikit/LangTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace toliva {
namespace {

constexpr char kGroup[] = "gPP_5";
// Items shown beside the edits (not control texts): the ranges and the unit.
constexpr int kFramesRangeItem = 5;
constexpr int kBooksRangeItem = 7;
constexpr int kResolutionUnitItem = 11;
// Labels and group boxes.
constexpr int kCaptureGroup = 1245, kFramesLabel = 1248, kFormatLabel = 1317, kLibraryGroup = 1321,
              kBooksLabel = 1327, kOfficeGroup = 1249, kResolutionLabel = 1334;

template <typename W>
W* withId(W* widget, int id) {
    widget->setProperty(kCtrlIdProperty, id);
    return widget;
}

// The edit's number; fallback when it holds none.
int editValue(const QLineEdit* edit, int fallback) {
    bool ok = false;
    const int value = edit->text().trimmed().toInt(&ok);
    return ok ? value : fallback;
}

void setBit(uint32_t& word, uint32_t bit, bool on) { word = on ? (word | bit) : (word & ~bit); }

}  // namespace

CEEDPP_Advanced::CEEDPP_Advanced(CEESettingDlg* owner) : QWidget(owner), m_owner(owner) {
    setProperty(kCtrlIdProperty, kCtrlId);
    setWindowTitle(QStringLiteral("Advanced"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setFont(owner->context().uiFont);

    const auto numberEdit = [this](int id) {
        auto* e = withId(new QLineEdit(this), id);
        e->setValidator(new QIntValidator(0, 1000000, e));
        e->setMaximumWidth(90);
        return e;
    };
    const auto note = [this](int item) {
        auto* label = new QLabel(this);
        label->setProperty("langItem", item);
        return label;
    };

    auto* capture = withId(new QGroupBox(QStringLiteral("Notes and screen capture"), this), kCaptureGroup);
    auto* captureGrid = new QGridLayout(capture);
    captureGrid->addWidget(withId(new QLabel(QStringLiteral("Notes to keep:"), capture), kFramesLabel), 0, 0);
    captureGrid->addWidget(numberEdit(kFrames), 0, 1);
    captureGrid->addWidget(note(kFramesRangeItem), 0, 2);
    captureGrid->addWidget(withId(new QLabel(QStringLiteral("Capture format:"), capture), kFormatLabel), 1, 0);
    captureGrid->addWidget(withId(new QComboBox(this), kCaptureFormat), 1, 1, 1, 2, Qt::AlignLeft);
    captureGrid->setColumnStretch(3, 1);

    auto* library = withId(new QGroupBox(QStringLiteral("Libraries"), this), kLibraryGroup);
    auto* libraryGrid = new QGridLayout(library);
    libraryGrid->addWidget(withId(new QLabel(QStringLiteral("Recent books to list:"), library), kBooksLabel), 0, 0);
    libraryGrid->addWidget(numberEdit(kRecentBooks), 0, 1);
    libraryGrid->addWidget(note(kBooksRangeItem), 0, 2);
    libraryGrid->addWidget(withId(new QCheckBox(QStringLiteral("A single click on a tile inserts it"), this),
                                  kSingleClickTiles), 1, 0, 1, 4);
    libraryGrid->addWidget(withId(new QCheckBox(QStringLiteral("File every stored equation into the notes"), this),
                                  kFileIntoNotes), 2, 0, 1, 4);
    libraryGrid->setColumnStretch(3, 1);

    auto* office = withId(new QGroupBox(QStringLiteral("Office add-in"), this), kOfficeGroup);
    auto* officeBox = new QVBoxLayout(office);
    officeBox->addWidget(withId(new QCheckBox(QStringLiteral("No space after inline equations"), this),
                                kNoSpaceAfterInline));
    officeBox->addWidget(withId(new QCheckBox(QStringLiteral("Multi-line pictures: baseline at half the height"), this),
                                kHalfHeightBaseline));
    officeBox->addWidget(withId(new QCheckBox(QStringLiteral("New equations take the office document's font size"),
                                              this), kDocFontSize));

    auto* exportRow = new QHBoxLayout;
    exportRow->addWidget(withId(new QLabel(QStringLiteral("Export resolution:"), this), kResolutionLabel));
    exportRow->addWidget(numberEdit(kResolution));
    exportRow->addWidget(note(kResolutionUnitItem));
    exportRow->addStretch(1);
    exportRow->addWidget(
        withId(new QPushButton(QStringLiteral("Recognition Settings..."), this), kRecognitionSettings));

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(24, 20, 24, 20);
    page->setSpacing(14);
    page->addWidget(capture);
    page->addWidget(library);
    page->addWidget(office);
    page->addLayout(exportRow);
    page->addStretch(1);

    for (int id : {kNoSpaceAfterInline, kHalfHeightBaseline, kDocFontSize})
        connect(checkBox(id), &QCheckBox::clicked, this, [this] { OnOfficeOption(); });
    connect(qobject_cast<QPushButton*>(DialogControl(this, kRecognitionSettings)), &QPushButton::clicked, this,
            [this] { OnRecognitionSettings(); });
}

CEEDPP_Advanced::~CEEDPP_Advanced() = default;

QCheckBox* CEEDPP_Advanced::checkBox(int id) const {
    return qobject_cast<QCheckBox*>(DialogControl(const_cast<CEEDPP_Advanced*>(this), id));
}
QLineEdit* CEEDPP_Advanced::edit(int id) const {
    return qobject_cast<QLineEdit*>(DialogControl(const_cast<CEEDPP_Advanced*>(this), id));
}
QComboBox* CEEDPP_Advanced::captureFormatBox() const {
    return qobject_cast<QComboBox*>(DialogControl(const_cast<CEEDPP_Advanced*>(this), kCaptureFormat));
}

bool CEEDPP_Advanced::OnInitDialog() {
    EquationSettingsContext& context = m_owner->context();
    LangTable table(context.app.languageCode(), QStringLiteral("LANG_04.xml"));
    const QString group = QString::fromLatin1(kGroup);
    SetDialogLangTexts(table, group, this,
                       {{0, 1}, {kCaptureGroup, 2}, {kFramesLabel, 3}, {kFormatLabel, 4}, {kLibraryGroup, 6},
                        {kBooksLabel, 8}, {kOfficeGroup, 9}, {kNoSpaceAfterInline, 10}, {kResolutionLabel, 12},
                        {kHalfHeightBaseline, 13}, {kSingleClickTiles, 14}, {kFileIntoNotes, 15},
                        {kDocFontSize, 16}, {kRecognitionSettings, 17}});
    for (QLabel* label : findChildren<QLabel*>()) {
        const int item = label->property("langItem").toInt();
        if (item > 0) label->setText(LoadLangString(table, group, item));
    }

    m_nResolution = ReadStoredExportResolution();
    m_nFrames = context.settings.clipFrames;
    m_nRecentBooks = context.settings.recentBooks;
    edit(kResolution)->setText(QString::number(m_nResolution));
    edit(kFrames)->setText(QString::number(m_nFrames));
    edit(kRecentBooks)->setText(QString::number(m_nRecentBooks));

    QComboBox* formats = captureFormatBox();
    formats->clear();
    const QString padding(30, QLatin1Char(' '));
    for (int item : {1, 2}) formats->addItem(LoadLangString(table, QStringLiteral("gCB_7"), item) + padding);
    formats->setCurrentIndex(context.settings.captureFormat >= 0 && context.settings.captureFormat < formats->count()
                                 ? context.settings.captureFormat
                                 : -1);

    SyncOfficeOptions(0);
    checkBox(kSingleClickTiles)->setChecked(context.app.option(OptSingleClickTiles));
    checkBox(kFileIntoNotes)->setChecked(context.app.option(OptFileIntoNotes));
    return true;
}

void CEEDPP_Advanced::SyncOfficeOptions(int store) {
    AppContext& app = m_owner->context().app;
    if (store) {
        OfficeOptions options;
        options.noSpaceAfterInline = checkBox(kNoSpaceAfterInline)->isChecked();
        options.halfHeightBaseline = checkBox(kHalfHeightBaseline)->isChecked();
        options.docFontSize = checkBox(kDocFontSize)->isChecked();
        StoreOfficeOptions(app, options);
        if (CEEDPP_Layout* layout = m_owner->layoutPage()) layout->SyncOfficeOptions(0);
        return;
    }
    const OfficeOptions options = ReadOfficeOptions(app);
    checkBox(kNoSpaceAfterInline)->setChecked(options.noSpaceAfterInline);
    checkBox(kHalfHeightBaseline)->setChecked(options.halfHeightBaseline);
    checkBox(kDocFontSize)->setChecked(options.docFontSize);
}

void CEEDPP_Advanced::Apply() {
    EquationSettingsContext& context = m_owner->context();
    // Kept to what the settings accept, so that nothing out of range is used
    // before the next start.
    m_nFrames = std::clamp(editValue(edit(kFrames), m_nFrames), kMinFrames, kMaxFrames);
    m_nRecentBooks = std::clamp(editValue(edit(kRecentBooks), m_nRecentBooks), kMinRecentBooks, kMaxRecentBooks);
    m_nResolution = std::max(editValue(edit(kResolution), m_nResolution), kMinResolution);
    edit(kFrames)->setText(QString::number(m_nFrames));
    edit(kRecentBooks)->setText(QString::number(m_nRecentBooks));
    edit(kResolution)->setText(QString::number(m_nResolution));

    context.settings.clipFrames = m_nFrames;
    context.settings.recentBooks = m_nRecentBooks;
    const int format = captureFormatBox()->currentIndex();
    if (format >= 0) context.settings.captureFormat = format;
    setBit(context.app.options, OptSingleClickTiles, checkBox(kSingleClickTiles)->isChecked());
    setBit(context.app.options, OptFileIntoNotes, checkBox(kFileIntoNotes)->isChecked());
    StoreExportResolution(m_nResolution);
    SyncOfficeOptions(1);
}

void CEEDPP_Advanced::OnOfficeOption() { SyncOfficeOptions(1); }

void CEEDPP_Advanced::OnRecognitionSettings() {
    if (m_owner->m_pTarget) m_owner->m_pTarget->ShowRecognitionSettings();
}

}  // namespace toliva
