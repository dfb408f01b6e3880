#include "shell/CEEDPP_Layout.h"

#include "shell/CEEDPP_Advanced.h"
#include "shell/CEESettingDlg.h"
#include "shell/settings/EquationSettingsValues.h"
#include "shell/settings/LayoutPageRules.h"

#include "model/EqModel.h"
#include "model/RenderContext.h"
#include "platform/AppContext.h"
#include "platform/gdiplus/Graphics.h"
#include "sheet/CKwEESheet.h"
#include "uikit/CKwEMF_GPL.h"
#include "uikit/LangTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QRadioButton>
#include <QSignalBlocker>

#include <algorithm>
#include <cmath>

namespace toliva {
namespace {

const QString kTextGroup = QStringLiteral("gPP_1");
const QString kCaptionGroup = QStringLiteral("gLC_1");
constexpr int kDefaultFontItem = 9;
constexpr int kParked = -100;
constexpr QRgb kAreaFrame = 0xFFB4B4B4;  // RGB(180, 180, 180)

// The page as it opens; the settings dialog places and sizes it.
constexpr int kPageWidth = 640;
constexpr int kPageHeight = 420;
constexpr int kListWidth = 160;
constexpr int kMargin = 6;
// Rows of the fonts section: caption, then combo box.
constexpr int kFontRowHeight = 30;
constexpr int kFontCaptionWidth = 150;
constexpr int kFontComboWidth = 260;
// The preview starts this far below the size-step combo.
constexpr int kPreviewGap = 20;

const int kFontControls[][2] = {{kLayoutMainFontLabel, kLayoutMainFontCombo},
                                {kLayoutSecondFontLabel, kLayoutSecondFontCombo},
                                {kLayoutTextFontLabel, kLayoutTextFontCombo},
                                {kLayoutSizeStepLabel, kLayoutSizeStepCombo}};

template <typename W>
W* withId(W* widget, int id) {
    widget->setProperty(kCtrlIdProperty, id);
    return widget;
}

bool isEdit(int id) {
    return id == kLayoutBaseSizeEdit || id == kLayoutSecondSizeEdit || id == kLayoutSmallGroupEdit ||
           LayoutSpacingOfEdit(id) >= 0;
}

bool isOfficeCheck(int id) {
    return id == kLayoutNoSpaceAfterInlineCheck || id == kLayoutHalfHeightBaselineCheck ||
           id == kLayoutDocFontSizeCheck;
}

LayoutFontChoice choiceOf(const QComboBox* combo) {
    const int index = combo->currentIndex();
    return {index, index >= 0 ? combo->itemText(index) : QString()};
}

void selectText(QComboBox* combo, const QString& text, bool useDefault) {
    // A name that is not installed leaves the combo without a selection.
    combo->setCurrentIndex(useDefault ? 0 : combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

}  // namespace

CEEDPP_Layout::CEEDPP_Layout(CEESettingDlg* owner) : QWidget(owner), m_pOwner(owner) {
    withId(this, kPageId);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);

    auto* frame = withId(new QFrame(this), kLayoutSectionFrame);
    frame->setFrameStyle(QFrame::Box | QFrame::Plain);
    frame->setStyleSheet(QStringLiteral("QFrame { color: rgb(180, 180, 180); }"));

    m_pSectionList = withId(new QListWidget(this), kLayoutSectionList);
    // The rows carry trailing spaces that widen them; they are cut, not elided.
    m_pSectionList->setTextElideMode(Qt::ElideNone);
    m_pSectionList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(m_pSectionList, &QListWidget::currentRowChanged, this, [this] { OnSectionChange(); });

    for (int id : LayoutPictureControls()) {
        QWidget* w = nullptr;
        if (isEdit(id)) {
            w = new QLineEdit(this);
        } else if (id == kLayoutAlignmentCaption) {
            w = new QLabel(this);
        } else if (IsLayoutCheck(id)) {
            auto* check = new QCheckBox(this);
            if (isOfficeCheck(id)) connect(check, &QCheckBox::clicked, this, [this] { SyncOfficeOptions(1); });
            w = check;
        } else {
            auto* radio = new QRadioButton(this);
            // Groups are kept by the page: all radios share one parent.
            radio->setAutoExclusive(false);
            connect(radio, &QRadioButton::clicked, this, [this, id] { OnRadio(id); });
            w = radio;
        }
        withId(w, id)->setGeometry(kParked, kParked, 100, 100);
        w->hide();
    }

    for (const auto& row : kFontControls) {
        withId(new QLabel(this), row[0])->hide();
        auto* combo = withId(new QComboBox(this), row[1]);
        combo->hide();
        connect(combo, &QComboBox::activated, this, [this] { OnFontChange(); });
    }
    m_pMainFont = qobject_cast<QComboBox*>(DialogControl(this, kLayoutMainFontCombo));
    m_pSecondFont = qobject_cast<QComboBox*>(DialogControl(this, kLayoutSecondFontCombo));
    m_pTextFont = qobject_cast<QComboBox*>(DialogControl(this, kLayoutTextFontCombo));
    m_pSizeStep = qobject_cast<QComboBox*>(DialogControl(this, kLayoutSizeStepCombo));

    for (int s = 0; s < kSectionCount; ++s) {
        m_sections[size_t(s)].ids = kLayoutSections[size_t(s)];
        m_sections[size_t(s)].count = int(kLayoutSections[size_t(s)].size());
    }

    m_pPreview = LoadPreviewEquation(owner->context().programFolder);
    resize(kPageWidth, kPageHeight);
    LayoutChildren();
}

CEEDPP_Layout::~CEEDPP_Layout() { FreeCachedBitmap(m_previewBitmap); }

QWidget* CEEDPP_Layout::control(int id) const { return DialogControl(const_cast<CEEDPP_Layout*>(this), id); }

const CKwEMF_GPL* CEEDPP_Layout::sectionPicture(int section) const {
    if (section < 0 || section >= kSectionCount) return nullptr;
    return m_sections[size_t(section)].picture.get();
}

LangTable& CEEDPP_Layout::langTable() {
    if (!m_lang) {
        m_lang = std::make_unique<LangTable>();
        OpenLangTableFile(*m_lang, m_pOwner->context().app.languageCode(),
                          m_pOwner->context().programFolder + QStringLiteral("Languages/LANG_04.xml"));
    }
    return *m_lang;
}

const RenderContext& CEEDPP_Layout::renderContext() {
    if (m_pOwner->m_pTarget) return m_pOwner->m_pTarget->renderContext();
    if (!m_ownRender) m_ownRender = std::make_unique<RenderContext>(RenderContext::FromDataFolder());
    return *m_ownRender;
}

// ---- geometry

void CEEDPP_Layout::LayoutChildren() {
    const int h = std::max(height() - 2 * kMargin, 1);
    m_pSectionList->setGeometry(kMargin, kMargin, kListWidth, h);
    const int frameLeft = kMargin + kListWidth + kMargin;
    if (QWidget* frame = control(kLayoutSectionFrame)) {
        frame->setGeometry(frameLeft, kMargin, std::max(width() - frameLeft - kMargin, 1), h);
        frame->lower();
    }
}

void CEEDPP_Layout::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayoutChildren();
    if (!m_bInitialized) return;
    // The section area follows the frame when the dialog sizes the page.
    const QRect frame = control(kLayoutSectionFrame)->geometry();
    const QRect area = frame.adjusted(10, 15, -10, -2);
    if (area == m_rcSection) return;
    m_rcSection = m_rcSectionSaved = area;
    ShowSection();
}

QRect CEEDPP_Layout::renderArea() const {
    QRect area = m_rcSectionSaved;
    area.setTop(m_pSizeStep->geometry().bottom() + 1 + kPreviewGap);
    return area;
}

void CEEDPP_Layout::PlaceFontControls() {
    const int left = m_rcSection.left() + 10;
    int top = m_rcSection.top() + 8;
    const int comboWidth = std::max(std::min(kFontComboWidth, m_rcSection.width() - kFontCaptionWidth - 30), 60);
    for (const auto& row : kFontControls) {
        control(row[0])->setGeometry(left, top + 3, kFontCaptionWidth, kFontRowHeight - 8);
        control(row[1])->setGeometry(left + kFontCaptionWidth + 10, top, comboWidth, kFontRowHeight - 4);
        top += kFontRowHeight;
    }
}

// ---- initialisation

bool CEEDPP_Layout::OnInitDialog() {
    static constexpr int kTexts[][2] = {{0, 1},     {1225, 2},  {1227, 3},  {1226, 4},  {1180, 5},
                                        {1181, 6},  {1182, 7},  {1184, 8},  {1274, 10}, {1187, 11},
                                        {1420, 12}, {1194, 13}, {1195, 14}, {1196, 15}, {-1, -1}};
    SetDialogLangTexts(langTable(), kTextGroup, this, kTexts);
    LoadSectionPictures();
    m_rcSection = control(kLayoutSectionFrame)->geometry().adjusted(10, 15, -10, -2);
    m_rcSectionSaved = m_rcSection;
    m_bInitialized = true;
    ShowSection();
    return true;
}

void CEEDPP_Layout::LoadSectionPictures() {
    const QString folder = m_pOwner->context().programFolder;
    for (int n = 0; n < kSectionCount; ++n) {
        LayoutSection& section = m_sections[size_t(n)];
        section.picture.reset();
        if (n == kFontSection) continue;
        // The point size is chosen for the section area when it is drawn.
        auto picture = std::make_unique<CKwEMF_GPL>(1);
        if (picture->LoadFile(folder + QStringLiteral("GenDef/ES/ES%1.apx").arg(n))) section.picture = std::move(picture);
    }
}

void CEEDPP_Layout::FillFontLists() {
    LangTable& table = langTable();
    const QString defaultEntry = LoadLangString(table, kTextGroup, kDefaultFontItem);
    const QStringList families = QFontDatabase::families();
    for (QComboBox* combo : {m_pMainFont, m_pSecondFont, m_pTextFont}) {
        const QSignalBlocker block(combo);
        combo->clear();
        combo->addItem(defaultEntry);
        combo->addItems(families);
    }
    {
        const QSignalBlocker block(m_pSizeStep);
        m_pSizeStep->clear();
        for (const char* step : kLayoutSizeSteps) m_pSizeStep->addItem(QString::fromLatin1(step));
    }
    {
        const QSignalBlocker block(m_pSectionList);
        m_pSectionList->clear();
        const QString padding(26, QLatin1Char(' '));
        for (int item = kSectionCount + 1; item >= 2; --item)
            m_pSectionList->addItem(LoadLangString(table, kCaptionGroup, item) + padding);
        const int rowHeight = m_pSectionList->count() > 0 ? m_pSectionList->sizeHintForRow(0) + 2 : 0;
        for (int row = 0; row < m_pSectionList->count(); ++row)
            m_pSectionList->item(row)->setSizeHint(QSize(0, rowHeight));
        m_pSectionList->setCurrentRow(m_nSection);
    }
    Exchange(0);
}

// ---- sections

void CEEDPP_Layout::DrawSectionPicture() {
    const QSize size = m_rcSection.size();
    if (size.isEmpty()) {
        m_sectionImage = QImage();
        return;
    }
    if (m_sectionImage.size() != size) m_sectionImage = QImage(size, QImage::Format_ARGB32_Premultiplied);
    m_sectionImage.fill(Qt::white);
    CKwEMF_GPL* picture =
        m_nSection >= 0 && m_nSection < kSectionCount ? m_sections[size_t(m_nSection)].picture.get() : nullptr;
    if (!picture) return;
    const gp::RectF rect{0, 0, float(size.width()), float(size.height())};
    picture->SetPointSize(picture->PointSizeToFit(rect));
    gp::PainterGraphics g(&m_sectionImage);
    g.SetSmoothingMode(gp::SmoothingModeAntiAlias);
    g.SetTextRenderingHint(gp::TextRenderingHintAntiAlias);
    picture->DrawAndLayout(g, rect);  // holds the application's drawing lock
}

void CEEDPP_Layout::ParkAllControls() {
    for (int id : LayoutPictureControls()) {
        QWidget* w = control(id);
        w->setGeometry(kParked, kParked, 100, 100);
        w->hide();  // nor can the keyboard reach it
    }
}

void CEEDPP_Layout::ShowFontControls(bool show) {
    for (int id : kLayoutSections[kFontSection]) control(id)->setVisible(show);
}

void CEEDPP_Layout::ShowSection() {
    // The remembered section may come from anywhere.
    m_nSection = std::clamp(m_nSection, 0, kSectionCount - 1);
    DrawSectionPicture();
    ParkAllControls();
    if (m_nSection == kFontSection) {
        PlaceFontControls();
        ShowFontControls(true);
        ExchangeFonts(0, true);
    } else {
        ShowFontControls(false);
        const LayoutSection& section = m_sections[size_t(m_nSection)];
        const CKwEMF_GPL* picture = section.picture.get();
        if (picture && picture->IsLaidOut()) {
            const int n = std::min(picture->FieldCount(), section.count);
            for (int i = 0; i < n; ++i) {
                const gp::RectF& r = picture->fields[size_t(i)].laidOut;
                const QRect box(m_rcSection.left() + qRound(r.x) + 3, m_rcSection.top() + qRound(r.y) + 2,
                                qRound(r.width) - 6, qRound(r.height) - 4);
                QWidget* w = control(section.ids[size_t(i)]);
                w->setGeometry(box);
                w->show();
            }
        }
    }
    update();
}

void CEEDPP_Layout::OnSectionChange() {
    m_nSection = m_pSectionList->currentRow();
    m_bFontSectionJustSelected = m_nSection == kFontSection;
    ShowSection();
}

void CEEDPP_Layout::RefreshSectionControls() {
    if (m_nSection < 0 || m_nSection >= kSectionCount) return;
    for (int id : m_sections[size_t(m_nSection)].ids) {
        QWidget* w = control(id);
        if (!w->isVisibleTo(this)) continue;  // parked
        w->hide();
        w->show();
    }
}

// ---- values

void CEEDPP_Layout::Exchange(int store) {
    ExchangeFonts(store, false);
    SyncOfficeOptions(store);
    EqLayoutSettings& record = m_pOwner->workingLayout();
    if (store) {
        LayoutControlStates states;
        for (int id : LayoutPictureControls()) {
            if (auto* edit = qobject_cast<QLineEdit*>(control(id))) states.edits[id] = edit->text();
            else if (auto* button = qobject_cast<QAbstractButton*>(control(id)); button && button->isChecked())
                states.ticked.insert(id);
        }
        states.sizeStep = m_pSizeStep->currentIndex();
        StoreLayoutControls(states, record);
        return;
    }
    const LayoutControlStates states = LoadLayoutControls(record);
    for (int id : LayoutPictureControls()) {
        if (auto* edit = qobject_cast<QLineEdit*>(control(id))) edit->setText(states.edit(id));
        else if (auto* button = qobject_cast<QAbstractButton*>(control(id)); button && !isOfficeCheck(id))
            button->setChecked(states.isTicked(id));
    }
    m_pSizeStep->setCurrentIndex(states.sizeStep);
}

void CEEDPP_Layout::ExchangeFonts(int store, bool preview) {
    EqLayoutSettings& record = m_pOwner->workingLayout();
    if (store) {
        StoreLayoutFonts(choiceOf(m_pMainFont), choiceOf(m_pSecondFont), choiceOf(m_pTextFont), record);
        const int step = m_pSizeStep->currentIndex();
        if (step >= 0 && step < int(kLayoutSizeSteps.size()))
            record.options[EqLayoutSettings::OptFontSizeMode] = uint8_t(step);
    } else {
        const LayoutFontNames names = LayoutFontNamesOf(record);
        selectText(m_pMainFont, names.main, names.mainDefault);
        selectText(m_pSecondFont, names.second, names.second.isEmpty());
        selectText(m_pTextFont, names.text, names.textDefault);
    }
    if (m_bFontSectionJustSelected) {
        RefreshSectionControls();
        m_bFontSectionJustSelected = false;
    }
    if (preview) DrawPreview();
}

void CEEDPP_Layout::OnFontChange() { ExchangeFonts(1, true); }

void CEEDPP_Layout::SyncOfficeOptions(int store) {
    auto* noSpace = qobject_cast<QCheckBox*>(control(kLayoutNoSpaceAfterInlineCheck));
    auto* halfHeight = qobject_cast<QCheckBox*>(control(kLayoutHalfHeightBaselineCheck));
    auto* docSize = qobject_cast<QCheckBox*>(control(kLayoutDocFontSizeCheck));
    AppContext& app = m_pOwner->context().app;
    if (store) {
        OfficeOptions options;
        options.noSpaceAfterInline = noSpace->isChecked();
        options.halfHeightBaseline = halfHeight->isChecked();
        options.docFontSize = docSize->isChecked();
        StoreOfficeOptions(app, options);
        if (CEEDPP_Advanced* advanced = m_pOwner->advancedPage()) advanced->SyncOfficeOptions(0);
        return;
    }
    const OfficeOptions options = ReadOfficeOptions(app);
    noSpace->setChecked(options.noSpaceAfterInline);
    halfHeight->setChecked(options.halfHeightBaseline);
    docSize->setChecked(options.docFontSize);
}

void CEEDPP_Layout::OnRadio(int id) {
    if (IsIntegralStyleRadio(id)) {
        CheckAlignRadio(id);
        return;
    }
    for (int other : LayoutRadioGroup(id))
        if (auto* radio = qobject_cast<QAbstractButton*>(control(other))) radio->setChecked(other == id);
}

void CEEDPP_Layout::CheckAlignRadio(int id) {
    if (!IsIntegralStyleRadio(id)) return;
    for (int other : LayoutRadioGroup(id))
        if (auto* radio = qobject_cast<QAbstractButton*>(control(other))) radio->setChecked(other == id);
}

// ---- preview

void CEEDPP_Layout::RenderPreview() {
    const QRect area = renderArea();
    m_fPreviewWidth = m_fPreviewHeight = 0;
    if (area.width() <= 0 || area.height() <= 0) return;
    QImage* bitmap = GetCachedCompatibleBitmap(m_previewBitmap, area.width(), area.height());
    bitmap->fill(Qt::white);
    gp::PainterGraphics g(bitmap);
    const PreviewExtent extent =
        DrawPreviewEquation(renderContext(), g, *m_pPreview, m_pOwner->workingLayout(), logicalDpiY());
    m_fPreviewWidth = extent.width;
    m_fPreviewHeight = extent.height;
}

void CEEDPP_Layout::DrawPreview() {
    if (!m_pPreview || m_nSection != kFontSection || m_sectionImage.isNull()) return;
    RenderPreview();
    m_sectionImage.fill(Qt::white);
    QPainter p(&m_sectionImage);
    const QImage* bitmap = m_previewBitmap.bitmap.get();
    const QRect render = renderArea();
    if (bitmap && m_fPreviewWidth > 0 && m_fPreviewHeight > 0 && render.height() > 0) {
        const int w = int(std::min(std::ceil(m_fPreviewWidth), float(bitmap->width())));
        const int h = int(std::min(std::ceil(m_fPreviewHeight), float(bitmap->height())));
        // Centred in the section area, but never over the font controls.
        int x = (m_rcSection.width() - w) / 2;
        int y = (m_rcSection.height() - h) / 2;
        y = std::max(y, render.top() - m_rcSection.top());
        p.drawImage(QPoint(x, y), *bitmap, QRect(0, 0, w, h));
    }
    p.setPen(QColor::fromRgb(kAreaFrame));
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, m_rcSection.width() - 1, m_rcSection.height() - 1);
    update();
}

void CEEDPP_Layout::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (m_sectionImage.isNull()) return;
    QPainter p(this);
    p.drawImage(m_rcSection.topLeft(), m_sectionImage);
}

}  // namespace toliva
