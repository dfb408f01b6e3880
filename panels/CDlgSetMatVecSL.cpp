#include "panels/CDlgSetMatVecSL.h"
#include "panels/PanelDialog.h"

#include "platform/MessageSink.h"
#include "platform/gdiplus/Graphics.h"
#include "uikit/CKwEMF.h"
#include "uikit/LangTable.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace toliva {

namespace {

QColor fromColorRef(uint32_t c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }

// The pen of a line code: 1 and 5 dotted, 2 and 6 dash-dot, 3 and 7 dashed,
// 4 and 8 solid.
Qt::PenStyle penStyleOf(int code) {
    switch ((code - 1) % 4) {
    case 0: return Qt::DotLine;
    case 1: return Qt::DashDotLine;
    case 2: return Qt::DashLine;
    default: return Qt::SolidLine;
    }
}

// The cursor over the preview: its picture drawn at 32 x 32, the hot spot
// in the middle; a cross when the picture is missing.
QCursor loadRuleCursor(const QString& programFolder) {
    CKwEMF picture;
    if (!picture.LoadFile(programFolder + QStringLiteral("icons/cur/C2001.apx")) || !picture.IsDrawable())
        return QCursor(Qt::CrossCursor);
    QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        gp::PainterGraphics graphics(&image);
        picture.Draw(graphics, gp::RectF{0, 0, 32, 32});
    }
    return QCursor(QPixmap::fromImage(image), 15, 15);
}

const char* const kButtonTexts[] = {"Set All",        "Clear All",      "Set All Horz.",
                                    "Clear All Horz.", "Set All Vert.", "Clear All Vert."};

}  // namespace

CDlgSetMatVecSL::CDlgSetMatVecSL(const PanelContext& context, QWidget* parent)
    : QDialog(parent), m_context(context) {
    setObjectName(QStringLiteral("CDlgSetMatVecSL"));
    setModal(true);
    m_nStyle = LoadRuleLineStyle();

    // The preview: the dialog paints it; the placeholder takes the mouse.
    const int side = int(kPreviewSide * std::max(1.0f, context.dpiScale));
    m_preview = WithCtrlId(new QWidget(this), kPreview);
    m_preview->setFixedSize(side, side);
    m_preview->installEventFilter(this);

    // The styles with their pictures.
    auto* styles = WithCtrlId(new QGroupBox(QStringLiteral("Line Style"), this), kStyleGroup);
    auto* styleLayout = new QGridLayout(styles);
    for (int k = 0; k < kStyles; ++k) {
        m_styleButtons[size_t(k)] = WithCtrlId(new QRadioButton(styles), kFirstStyle + k);
        m_pictureBoxes[size_t(k)] = WithCtrlId(new QWidget(styles), kFirstPicture + k);
        m_pictureBoxes[size_t(k)]->setFixedSize(96, 18);
        m_pictureBoxes[size_t(k)]->setAttribute(Qt::WA_TransparentForMouseEvents);
        styleLayout->addWidget(m_styleButtons[size_t(k)], k, 0);
        styleLayout->addWidget(m_pictureBoxes[size_t(k)], k, 1);
        connect(m_styleButtons[size_t(k)], &QRadioButton::clicked, this, [this, k] { OnSelectStyle(k); });
    }

    // The buttons that set and clear families of lines.
    auto* families = new QGridLayout;
    for (int i = 0; i < 6; ++i) {
        auto* b = WithCtrlId(new QPushButton(QString::fromLatin1(kButtonTexts[i]), this), kSetAll + i);
        b->setAutoDefault(false);
        families->addWidget(b, i / 2, i % 2);
        m_buttons.push_back(b);
        // Pairs of set and clear: every line, the horizontal, the vertical.
        const bool set = i % 2 == 0;
        const int family = i / 2;
        const bool horizontal = family != 2, vertical = family != 1;
        connect(b, &QPushButton::clicked, this, [this, horizontal, vertical, set] {
            SetAllLines(horizontal, vertical, set);
        });
    }

    m_note = WithCtrlId(new QLabel(QStringLiteral("Click between two cells to draw a line in the chosen style; "
                                               "click it with the right button to remove it."),
                                this),
                     kNote);
    m_note->setWordWrap(true);

    auto* ok = WithCtrlId(new QPushButton(QStringLiteral("OK"), this), kOk);
    auto* cancel = WithCtrlId(new QPushButton(QStringLiteral("Cancel"), this), kCancel);
    auto* help = WithCtrlId(new QPushButton(QStringLiteral("Help"), this), kHelp);
    ok->setDefault(true);
    cancel->setAutoDefault(false);
    help->setAutoDefault(false);
    m_buttons.push_back(ok);
    m_buttons.push_back(cancel);
    m_buttons.push_back(help);
    connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] { OnHelp(); });

    auto* right = new QVBoxLayout;
    right->addWidget(styles);
    right->addLayout(families);
    right->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addWidget(m_preview, 0, Qt::AlignTop);
    top->addLayout(right);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(help);
    bottom->addStretch(1);
    bottom->addWidget(ok);
    bottom->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_note);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

CDlgSetMatVecSL::~CDlgSetMatVecSL() { SaveRuleLineStyle(m_nStyle); }

QPushButton* CDlgSetMatVecSL::button(int ctrlId) const {
    for (QPushButton* b : m_buttons)
        if (b->property(kCtrlIdProperty).toInt() == ctrlId) return b;
    return nullptr;
}

int CDlgSetMatVecSL::DoModal() {
    // A damaged matrix (no cells in a direction, or more lines than the
    // record holds) is not edited: its record stays as it is.
    if (!CanEditRuleLines(m_nColumns, m_nRows)) return IDCANCEL;
    return RunPanelDialog(*this, runModal);
}

void CDlgSetMatVecSL::OnInitDialog() {
    if (m_initialized || !CanEditRuleLines(m_nColumns, m_nRows)) return;
    m_initialized = true;
    m_codes = UnpackRuleLines(m_record, m_nColumns, m_nRows);

    LangTable texts(m_context.languageCode, QStringLiteral("LANG_06.xml"));
    SetDialogLangTexts(texts, QStringLiteral("gCS_2"), this,
                       {{0, 1},
                        {kOk, 2},
                        {kCancel, 3},
                        {kSetAll, 4},
                        {kClearAll, 5},
                        {kSetAllHorz, 6},
                        {kClearAllHorz, 7},
                        {kSetAllVert, 8},
                        {kClearAllVert, 9},
                        {kHelp, 10},
                        {kStyleGroup, 11},
                        {kNote, 12}});
    m_styleButtons[size_t(std::clamp(m_nStyle, 0, kStyles - 1))]->setChecked(true);
    for (int k = 0; k < kStyles; ++k) {
        auto picture = std::make_unique<CKwEMF>();
        picture->LoadFile(m_context.programFolder + QStringLiteral("icons/ML/%1.apx").arg(k + 1, 2, 10, QLatin1Char('0')));
        m_pictures[size_t(k)] = std::move(picture);
    }
    m_cursor = loadRuleCursor(m_context.programFolder);
    m_preview->setCursor(m_cursor);
    placePreview();
}

void CDlgSetMatVecSL::placePreview() {
    if (QLayout* l = layout()) l->activate();
    m_rcPreview = QRect(m_preview->mapTo(this, QPoint(0, 0)), m_preview->size());
    m_geometry = RulePreviewGeometryOf(m_rcPreview.size(), m_nColumns, m_nRows);
    m_bands = RulePreviewBands(m_geometry, m_nColumns, m_nRows);
    RenderRulePreview();
}

void CDlgSetMatVecSL::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The layout may have moved the placeholder since the dialog was set up.
    if (m_initialized && QRect(m_preview->mapTo(this, QPoint(0, 0)), m_preview->size()) != m_rcPreview) placePreview();
}

void CDlgSetMatVecSL::RenderRulePreview() {
    const QSize size = m_rcPreview.size();
    if (size.isEmpty()) return;
    if (m_buffer.size() != size) m_buffer = QImage(size, QImage::Format_RGB32);
    m_buffer.fill(Qt::white);
    QPainter painter(&m_buffer);
    painter.setBackgroundMode(Qt::TransparentMode);
    const RulePreviewGeometry& g = m_geometry;
    for (int r = 0; r < m_nRows; ++r)
        for (int c = 0; c < m_nColumns; ++c) painter.fillRect(RulePreviewCell(g, c, r), fromColorRef(kCellColour));
    const int vertical = m_nColumns - 1;
    for (size_t i = 0; i < m_codes.size(); ++i) {
        const int code = m_codes[i];
        if (code == 0) continue;
        painter.setPen(QPen(fromColorRef(kLineColour), 0, penStyleOf(code)));
        const QLine line = RulePreviewLine(g, m_nColumns, m_nRows, int(i));
        if (code <= 4) {
            painter.drawLine(line);
            continue;
        }
        // Doubled: one pixel before and one after the centre.
        const QPoint shift = int(i) < vertical ? QPoint(1, 0) : QPoint(0, 1);
        painter.drawLine(line.translated(-shift));
        painter.drawLine(line.translated(shift));
    }
    painter.setPen(QPen(fromColorRef(kFrameColour), 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(QPoint(0, 0), size).adjusted(0, 0, -1, -1));
}

void CDlgSetMatVecSL::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    for (int k = 0; k < kStyles; ++k) {
        CKwEMF* picture = m_pictures[size_t(k)].get();
        QWidget* box = m_pictureBoxes[size_t(k)];
        if (picture) picture->DrawToDC(&painter, QRect(box->mapTo(this, QPoint(0, 0)), box->size()));
    }
    if (!m_buffer.isNull()) painter.drawImage(m_rcPreview.topLeft(), m_buffer);
}

std::vector<QRect> CDlgSetMatVecSL::bandsInDialog() const {
    std::vector<QRect> bands = m_bands;
    for (QRect& band : bands)
        if (!band.isNull()) band.translate(m_rcPreview.topLeft());
    return bands;
}

bool CDlgSetMatVecSL::setHitLines(QPoint point, uint8_t code) {
    const std::vector<int> hits = HitRuleLines(bandsInDialog(), point);
    for (int i : hits) m_codes[size_t(i)] = code;
    if (hits.empty()) return false;
    RenderRulePreview();
    update();
    return true;
}

bool CDlgSetMatVecSL::OnLButtonDown(QPoint point) { return setHitLines(point, uint8_t(m_nStyle + 1)); }

bool CDlgSetMatVecSL::OnRButtonDown(QPoint point) { return setHitLines(point, 0); }

bool CDlgSetMatVecSL::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_preview && event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint point = m_preview->mapTo(this, mouse->position().toPoint());
        if (mouse->button() == Qt::LeftButton) OnLButtonDown(point);
        else if (mouse->button() == Qt::RightButton) OnRButtonDown(point);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void CDlgSetMatVecSL::SetAllLines(bool horizontal, bool vertical, bool set) {
    const uint8_t code = set ? uint8_t(m_nStyle + 1) : 0;
    const size_t verticalCount = size_t(std::max(0, m_nColumns - 1));
    for (size_t i = 0; i < m_codes.size(); ++i)
        if (i < verticalCount ? vertical : horizontal) m_codes[i] = code;
    RenderRulePreview();
    update();
}

void CDlgSetMatVecSL::OnSelectStyle(int style) {
    // The preview keeps its lines: only lines set from now on take it.
    m_nStyle = std::clamp(style, 0, kStyles - 1);
}

void CDlgSetMatVecSL::OnHelp() {
    LangTable texts(m_context.languageCode, QStringLiteral("LANG_06.xml"));
    LangMessageBox(texts, QStringLiteral("gMSG_1"), 1, MB_OK | MB_ICONINFORMATION);
}

void CDlgSetMatVecSL::OnOK() {
    m_record = PackRuleLines(m_codes, m_nColumns, m_nRows);
    accept();
}

}  // namespace toliva
