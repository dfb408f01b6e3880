#include "sheet/CDlgTESettings.h"

#include "platform/AppContext.h"
#include "platform/Folders.h"
#include "platform/MessageSink.h"
#include "platform/SafeFile.h"
#include "uikit/KitDialogs.h"
#include "uikit/LangTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>

namespace toliva {
namespace {

constexpr char kLanguageFile[] = "LANG_08.xml";
constexpr uint32_t kFrameColour = 0xB4B4B4;
constexpr uint32_t kHatchColour = 0x787878;
constexpr int kListPadding = 27;  // spaces after every list text

// Labels and frames that carry texts but no meaning of their own.
enum LabelId : int {
    kFontGroup = 2001,
    kSizeLabel,
    kEditorGroup,
    kBackLabel,
    kCaretLineLabel,
    kTokenGroup,
    kForeLabel,
    kTokenBackLabel,
    kListLabel,
    kPreviewLabel,
};

QString openFailureText(const QString& path) { return QStringLiteral("failed to open file : ") + path; }

QColor fromColorref(uint32_t c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }

// A swatch or the preview: painted by the dialog, reports clicks.
class StyleArea : public QWidget {
public:
    StyleArea(int ctrlId, QWidget* parent) : QWidget(parent) {
        setProperty(kCtrlIdProperty, ctrlId);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    std::function<void(QPainter&, const QRect&)> paint;
    std::function<void()> clicked;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        if (paint) paint(p, rect());
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (clicked && event->button() == Qt::LeftButton)
            clicked();
        else
            QWidget::mousePressEvent(event);
    }
};

template <class W>
W* withId(W* widget, int ctrlId) {
    widget->setProperty(kCtrlIdProperty, ctrlId);
    return widget;
}

}  // namespace

QString CDlgTESettings::SampleText(int position) {
    // One sample per style of the LaTeX lexer, in the order of the list.
    static const char* const kSamples[] = {
        "Toliva",          // text
        "\\sin\\alpha",    // commands
        "\\begin{matrix}", // environment start
        "$a+b$",           // inline math
        "%Comment",        // comments
        "\\end{matrix}",   // environment end
        "$$a+b$$",         // display math
        "Comment block",   // comment blocks
        "\\verb|x|",       // verbatim
        "\\#\\&",          // short commands
        "{}&^_",           // special characters
        "[options]",       // command options
        "\\end{error}",    // errors
    };
    if (position < 0 || position >= int(std::size(kSamples))) return QStringLiteral("Toliva");
    return QString::fromLatin1(kSamples[position]);
}

CDlgTESettings::CDlgTESettings(LaTeXEditorStyle& style, const AppContext& app, QWidget* parent)
    : QDialog(parent), m_style(style), m_snapshot(style), m_app(app), m_programFolder(programFolder()) {
    buildControls();
    OnInitDialog();
}

CDlgTESettings::~CDlgTESettings() = default;

void CDlgTESettings::buildControls() {
    auto* top = new QHBoxLayout;

    // The token list inside its frame, one pixel in on every side.
    auto* left = new QVBoxLayout;
    left->addWidget(withId(new QLabel(this), kListLabel));
    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    frame->setObjectName(QStringLiteral("tokenListFrame"));
    frame->setStyleSheet(QStringLiteral("QFrame#tokenListFrame { border: 1px solid #B4B4B4; }"));
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->setContentsMargins(1, 1, 1, 1);
    m_list = withId(new QListWidget(frame), kTokenList);
    m_list->setFrameShape(QFrame::NoFrame);
    // The captions end in spaces: clipped, never shortened with an ellipsis.
    m_list->setTextElideMode(Qt::ElideNone);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    frameLayout->addWidget(m_list);
    left->addWidget(frame, 1);
    top->addLayout(left, 2);

    auto* right = new QVBoxLayout;
    auto swatch = [&](int id) {
        auto* area = new StyleArea(id, this);
        area->setFixedSize(48, 20);
        area->setCursor(Qt::PointingHandCursor);
        area->paint = [this, id](QPainter& p, const QRect& r) { paintSwatch(id, p, r); };
        area->clicked = [this, id] { OnSwatchClicked(id); };
        return area;
    };

    auto* fontGroup = withId(new QGroupBox(this), kFontGroup);
    auto* fontLayout = new QHBoxLayout(fontGroup);
    m_face = withId(new QComboBox(fontGroup), kFontFace);
    m_face->setMinimumContentsLength(16);
    m_face->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_size = withId(new QSpinBox(fontGroup), kFontSize);
    m_size->setRange(1, 999);
    fontLayout->addWidget(m_face, 1);
    fontLayout->addWidget(withId(new QLabel(fontGroup), kSizeLabel));
    fontLayout->addWidget(m_size);
    right->addWidget(fontGroup);

    auto* editorGroup = withId(new QGroupBox(this), kEditorGroup);
    auto* editorLayout = new QGridLayout(editorGroup);
    const int optionIds[4] = {kWrap, kCaretLine, kLineNumbers, kSmoothFont};
    for (int i = 0; i < 4; ++i) {
        m_options[i] = withId(new QCheckBox(editorGroup), optionIds[i]);
        editorLayout->addWidget(m_options[i], i / 2, (i % 2) * 2, 1, 2);
        connect(m_options[i], &QCheckBox::toggled, this, [this] { redraw(); });
    }
    m_areas[0] = swatch(kBackSwatch);
    m_areas[1] = swatch(kCaretLineSwatch);
    editorLayout->addWidget(withId(new QLabel(editorGroup), kBackLabel), 2, 0);
    editorLayout->addWidget(m_areas[0], 2, 1, Qt::AlignLeft);
    editorLayout->addWidget(withId(new QLabel(editorGroup), kCaretLineLabel), 2, 2);
    editorLayout->addWidget(m_areas[1], 2, 3, Qt::AlignLeft);
    right->addWidget(editorGroup);

    auto* tokenGroup = withId(new QGroupBox(this), kTokenGroup);
    auto* tokenLayout = new QGridLayout(tokenGroup);
    m_areas[2] = swatch(kTokenForeSwatch);
    m_areas[3] = swatch(kTokenBackSwatch);
    tokenLayout->addWidget(withId(new QLabel(tokenGroup), kForeLabel), 0, 0);
    tokenLayout->addWidget(m_areas[2], 0, 1, Qt::AlignLeft);
    tokenLayout->addWidget(withId(new QLabel(tokenGroup), kTokenBackLabel), 0, 2);
    tokenLayout->addWidget(m_areas[3], 0, 3, Qt::AlignLeft);
    const int flagIds[4] = {kOwnBackground, kItalic, kBold, kUnderline};
    const uint8_t flagBits[4] = {TokenStyle::OwnBackground, TokenStyle::Italic, TokenStyle::Bold,
                                 TokenStyle::Underline};
    for (int i = 0; i < 4; ++i) {
        m_flags[i] = withId(new QCheckBox(tokenGroup), flagIds[i]);
        tokenLayout->addWidget(m_flags[i], 1 + i / 2, (i % 2) * 2, 1, 2);
        const uint8_t bit = flagBits[i];
        connect(m_flags[i], &QCheckBox::toggled, this, [this, bit](bool on) { setTokenFlag(bit, on); });
    }
    right->addWidget(tokenGroup);
    right->addStretch(1);
    top->addLayout(right, 3);

    auto* preview = new StyleArea(kPreview, this);
    preview->setMinimumHeight(96);
    preview->paint = [this](QPainter& p, const QRect& r) { paintPreview(p, r); };
    m_areas[4] = preview;

    auto* buttons = new QHBoxLayout;
    for (int id : {kDefaults, kImport, kExport}) {
        auto* b = withId(new QPushButton(this), id);
        b->setAutoDefault(false);
        buttons->addWidget(b);
        if (id == kDefaults) connect(b, &QPushButton::clicked, this, &CDlgTESettings::OnRestoreDefaults);
        if (id == kImport) connect(b, &QPushButton::clicked, this, &CDlgTESettings::OnImport);
        if (id == kExport) connect(b, &QPushButton::clicked, this, &CDlgTESettings::OnExport);
    }
    buttons->addStretch(1);
    auto* ok = withId(new QPushButton(QStringLiteral("OK"), this), kOk);
    auto* cancel = withId(new QPushButton(QStringLiteral("Cancel"), this), kCancel);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CDlgTESettings::accept);
    connect(cancel, &QPushButton::clicked, this, &CDlgTESettings::reject);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* main = new QVBoxLayout(this);
    main->addLayout(top, 1);
    main->addWidget(withId(new QLabel(this), kPreviewLabel));
    main->addWidget(preview);
    main->addLayout(buttons);

    connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) { selectToken(row); });
    connect(m_face, &QComboBox::textActivated, this, [this](const QString& face) {
        m_style.fontFace = face;
        redraw();
    });
    connect(m_size, &QSpinBox::valueChanged, this, [this] { redraw(); });
}

void CDlgTESettings::OnInitDialog() {
    LangTable texts(m_app.languageCode(), QString::fromLatin1(kLanguageFile));
    SetDialogLangTexts(texts, QStringLiteral("gSET_1"), this,
                       {{0, 1},
                        {kFontGroup, 2},
                        {kSizeLabel, 3},
                        {kEditorGroup, 4},
                        {kWrap, 5},
                        {kCaretLine, 6},
                        {kLineNumbers, 7},
                        {kSmoothFont, 8},
                        {kBackLabel, 9},
                        {kCaretLineLabel, 10},
                        {kTokenGroup, 11},
                        {kForeLabel, 12},
                        {kTokenBackLabel, 13},
                        {kOwnBackground, 14},
                        {kItalic, 15},
                        {kBold, 16},
                        {kUnderline, 17},
                        {kDefaults, 18},
                        {kImport, 19},
                        {kExport, 20},
                        {kOk, 21},
                        {kCancel, 22},
                        {kListLabel, 23},
                        {kPreviewLabel, 24}});

    m_face->addItems(QFontDatabase::families());
    const QString face = m_style.fontFace;
    if (!face.isEmpty())
        for (int i = 0; i < m_face->count(); ++i)
            if (m_face->itemText(i).startsWith(face, Qt::CaseInsensitive)) {
                m_face->setCurrentIndex(i);
                break;
            }
    showOptions();
    fillTokenList();
}

void CDlgTESettings::showOptions() {
    m_size->setValue(m_style.fontSize);
    for (int i = 0; i < 4; ++i) m_options[i]->setChecked(m_style.options[size_t(i)] != 0);
}

void CDlgTESettings::takeOptions(LaTeXEditorStyle& style) const {
    for (int i = 0; i < 4; ++i) style.options[size_t(i)] = m_options[i]->isChecked() ? 1 : 0;
    style.fontSize = m_size->value();
}

void CDlgTESettings::fillTokenList() {
    LangTable texts(m_app.languageCode(), QString::fromLatin1(kLanguageFile));
    const QSignalBlocker block(m_list);
    m_list->clear();
    const QString padding(kListPadding, u' ');
    for (size_t i = 0; i < m_style.tokens.size(); ++i) {
        QString text = LoadLangString(texts, QStringLiteral("gCTR_1"), int(i) + 1);
        // A file with more styles than captions: the style's number.
        if (text.isEmpty()) text = QString::number(i);
        auto* item = new QListWidgetItem(text + padding, m_list);
        item->setData(Qt::UserRole, int(i));
    }
    if (m_list->count() > 0) {
        const int height = m_list->sizeHintForRow(0) + 2;
        for (int i = 0; i < m_list->count(); ++i) m_list->item(i)->setSizeHint(QSize(0, height));
        m_list->setCurrentRow(0);
    }
    selectToken(m_list->count() > 0 ? 0 : -1);
}

void CDlgTESettings::selectToken(int row) {
    m_current = row >= 0 && size_t(row) < m_style.tokens.size() ? row : -1;
    m_sample = SampleText(row);
    redraw();
}

TokenStyle* CDlgTESettings::current() {
    return m_current >= 0 && size_t(m_current) < m_style.tokens.size() ? &m_style.tokens[size_t(m_current)] : nullptr;
}

void CDlgTESettings::setTokenFlag(uint8_t flag, bool on) {
    if (TokenStyle* t = current()) t->flags = on ? uint8_t(t->flags | flag) : uint8_t(t->flags & ~flag);
    redraw();
}

void CDlgTESettings::redraw() {
    const TokenStyle* t = current();
    const uint8_t bits[4] = {TokenStyle::OwnBackground, TokenStyle::Italic, TokenStyle::Bold, TokenStyle::Underline};
    for (int i = 0; i < 4; ++i) {
        const QSignalBlocker block(m_flags[i]);
        m_flags[i]->setChecked(t && (t->flags & bits[i]));
        m_flags[i]->setEnabled(t != nullptr);
    }
    m_areas[2]->setEnabled(t != nullptr);
    m_areas[3]->setEnabled(t != nullptr);
    for (QWidget* area : m_areas) area->update();
}

QFont CDlgTESettings::SampleFont() const {
    QFont font(m_style.fontFace);
    font.setPointSize(std::clamp(m_size->value(), 1, kPreviewMaxSize));
    const TokenStyle* t =
        m_current >= 0 && size_t(m_current) < m_style.tokens.size() ? &m_style.tokens[size_t(m_current)] : nullptr;
    const uint8_t flags = t ? t->flags : 0;
    font.setItalic(flags & TokenStyle::Italic);
    font.setWeight((flags & TokenStyle::Bold) ? QFont::Bold : QFont::Normal);
    font.setUnderline(flags & TokenStyle::Underline);
    return font;
}

void CDlgTESettings::paintSwatch(int ctrlId, QPainter& p, const QRect& r) {
    const TokenStyle* t = current();
    const QColor back = fromColorref(m_style.backColour);
    switch (ctrlId) {
    case kBackSwatch:
        p.fillRect(r, back);
        break;
    case kCaretLineSwatch:
        p.fillRect(r, fromColorref(m_style.caretLineColour));
        break;
    case kTokenForeSwatch:
        p.fillRect(r, t ? fromColorref(t->foreColour) : palette().color(QPalette::Window));
        break;
    case kTokenBackSwatch:
        if (t && (t->flags & TokenStyle::OwnBackground)) {
            p.fillRect(r, fromColorref(t->backColour));
        } else {
            // No own background: the editor's, hatched.
            p.fillRect(r, back);
            p.fillRect(r, QBrush(fromColorref(kHatchColour), Qt::BDiagPattern));
        }
        break;
    default:
        break;
    }
    p.setPen(fromColorref(kFrameColour));
    p.drawRect(r.adjusted(0, 0, -1, -1));
}

void CDlgTESettings::paintPreview(QPainter& p, const QRect& r) {
    const QColor back = fromColorref(m_style.backColour);
    p.fillRect(r, back);
    if (const TokenStyle* t = current()) {
        const QFont font = SampleFont();
        const QFontMetrics metrics(font);
        const int size = font.pointSize();
        const int width = metrics.horizontalAdvance(m_sample);
        const QRect text(r.center().x() - width / 2, r.center().y() - size, width, metrics.height());
        p.setFont(font);
        p.setPen(fromColorref(t->foreColour));
        p.fillRect(text, (t->flags & TokenStyle::OwnBackground) ? fromColorref(t->backColour) : back);
        p.drawText(text, Qt::AlignLeft | Qt::AlignTop, m_sample);
    }
    p.setPen(fromColorref(kFrameColour));
    p.drawRect(r.adjusted(0, 0, -1, -1));
}

void CDlgTESettings::OnSwatchClicked(int ctrlId) {
    TokenStyle* t = current();
    uint32_t* colour = nullptr;
    switch (ctrlId) {
    case kBackSwatch: colour = &m_style.backColour; break;
    case kCaretLineSwatch: colour = &m_style.caretLineColour; break;
    case kTokenForeSwatch: colour = t ? &t->foreColour : nullptr; break;
    case kTokenBackSwatch: colour = t ? &t->backColour : nullptr; break;
    default: break;
    }
    if (!colour) return;
    uint32_t chosen = *colour & 0xFFFFFF;
    // Choosing a token background leaves its own-background flag as it is.
    if (RunColorDialog(chosen, QString::fromLatin1(kCustomColourKey))) {
        *colour = chosen;
        redraw();
    }
}

void CDlgTESettings::OnRestoreDefaults() {
    const QString path = ShippedEditorStylePath(m_programFolder);
    if (!ReadStyleFile(path, m_style)) {
        showMessage(openFailureText(path));
        return;
    }
    // What was read shows in the boxes, so OK keeps the defaults.
    showOptions();
    fillTokenList();
}

void CDlgTESettings::OnImport() {
    QString path;
    if (!PickFileWithLastFolder(kImportFilter, this, path, QString::fromLatin1(kLastFolderKey), false, QString(),
                                kSiteLaTeXEditorSettings))
        return;
    if (!ReadStyleFile(path, m_style)) {
        showMessage(openFailureText(path));
        return;
    }
    showOptions();
    fillTokenList();
}

void CDlgTESettings::OnExport() {
    QString path;
    if (!PickFileWithLastFolder(kExportFilter, this, path, QString::fromLatin1(kLastFolderKey), true,
                                QStringLiteral("*.alx"), kSiteLaTeXEditorSettings, QStringLiteral("settings.alx")))
        return;
    // The file gets what the dialog shows, boxes included.
    LaTeXEditorStyle shown = m_style;
    takeOptions(shown);
    QString reason;
    if (!WriteFileSafely(path, StyleBytes(shown), &reason))
        showMessage(QStringLiteral("cannot write %1: %2").arg(path, reason));
}

void CDlgTESettings::accept() {
    takeOptions(m_style);
    SaveEditorStyle(m_style, m_app.userFolder);
    QDialog::accept();
}

void CDlgTESettings::reject() {
    m_style = m_snapshot;
    QDialog::reject();
}

}  // namespace toliva
