#include "panels/CDlgSelSym.h"
#include "panels/PanelDialog.h"

#include "platform/MessageSink.h"
#include "platform/RegKey.h"
#include "platform/gdiplus/Brush.h"
#include "platform/gdiplus/Font.h"
#include "platform/gdiplus/Graphics.h"
#include "platform/gdiplus/Pen.h"
#include "uikit/LangTable.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace toliva {

namespace {

const QString kRegKey = QStringLiteral("Software\\Toliva\\Dlgs\\UserSym");
const QString kLangFile = QStringLiteral("LANG_10.xml");
constexpr int kWheelRows = 8;
constexpr int kPageRows = 8;

// Draws one character centred in a box, in black, anti-aliased.
void DrawCharacter(QPainter& painter, const gp::FontFamily& family, int style, float emSize, uint16_t code,
                   const QRectF& box) {
    if (code == 0 || !family.IsAvailable()) return;
    gp::PainterGraphics g(&painter);
    g.SetSmoothingMode(gp::SmoothingModeAntiAlias);
    g.SetTextRenderingHint(gp::TextRenderingHintAntiAliasGridFit);
    const gp::Font font(family, emSize, style & 3, gp::UnitPixel);
    gp::StringFormat format;
    format.SetAlignment(gp::StringAlignmentCenter);
    format.SetLineAlignment(gp::StringAlignmentCenter);
    g.DrawString(QString(QChar(char16_t(code))), font,
                 gp::RectF{float(box.x()), float(box.y()), float(box.width()), float(box.height())}, format,
                 0xFF000000u);
}

}  // namespace

// The grid of characters: 12 columns, the visible rows of the scroll.
class SelSymGrid : public QWidget {
public:
    explicit SelSymGrid(CDlgSelSym* dialog) : QWidget(dialog), m_dialog(dialog) {
        setObjectName(QStringLiteral("SelSymGrid"));
    }
    gp::FontFamily family;
    gp::PrivateFontCollection collection;

    int cellAt(QPoint p) const {
        const int cell = m_dialog->m_nCellSize;
        if (p.x() < 0 || p.y() < 0 || cell <= 0) return -1;
        const int col = p.x() / cell, row = p.y() / cell;
        if (col >= CharacterScroll::kColumns || row >= m_dialog->m_scroll.visibleRows) return -1;
        return row * CharacterScroll::kColumns + col;
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        const int cell = m_dialog->m_nCellSize;
        const CharacterScroll& s = m_dialog->m_scroll;
        const int marked = s.cellOfIndex(m_dialog->m_nChosen);
        for (int i = 0; i < CharacterScroll::kColumns * s.visibleRows; ++i) {
            const QRect box((i % CharacterScroll::kColumns) * cell, (i / CharacterScroll::kColumns) * cell, cell, cell);
            if (i == marked && !m_dialog->m_chars.empty()) painter.fillRect(box.adjusted(1, 1, 0, 0), QColor(0xAA, 0xE6, 0xAA));
            const int index = s.indexOfCell(i);
            if (index >= 0)
                DrawCharacter(painter, family, m_dialog->m_nStyle, float(cell) / 2, m_dialog->m_chars[size_t(index)], box);
        }
        painter.setPen(QColor(0xB4, 0xB4, 0xB4));
        for (int c = 0; c <= CharacterScroll::kColumns; ++c) painter.drawLine(c * cell, 0, c * cell, s.visibleRows * cell);
        for (int r = 0; r <= s.visibleRows; ++r) painter.drawLine(0, r * cell, CharacterScroll::kColumns * cell, r * cell);
    }
    void mousePressEvent(QMouseEvent* e) override {
        setFocus();
        m_pressed = cellAt(e->position().toPoint());
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        const int cell = cellAt(e->position().toPoint());
        if (cell >= 0 && cell == m_pressed) m_dialog->SelectCharacterCell(cell + 1);
        m_pressed = -1;
    }
    void wheelEvent(QWheelEvent* e) override { QApplication::sendEvent(m_dialog, e); }
private:
    CDlgSelSym* m_dialog;
    int m_pressed = -1;
};

// The large preview of the chosen character.
class SelSymPreview : public QWidget {
public:
    explicit SelSymPreview(CDlgSelSym* dialog, SelSymGrid* grid) : QWidget(dialog), m_dialog(dialog), m_grid(grid) {
        setObjectName(QStringLiteral("SelSymPreview"));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        painter.setPen(QColor(0xB4, 0xB4, 0xB4));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
        const int n = int(m_dialog->m_chars.size());
        if (m_dialog->m_nChosen >= 0 && m_dialog->m_nChosen < n)
            DrawCharacter(painter, m_grid->family, m_dialog->m_nStyle, 36.0f,
                          m_dialog->m_chars[size_t(m_dialog->m_nChosen)], QRectF(rect()));
    }

private:
    CDlgSelSym* m_dialog;
    SelSymGrid* m_grid;
};

CDlgSelSym::CDlgSelSym(const PanelContext& context, QWidget* parent) : QDialog(parent), m_ctx(context) {
    setObjectName(QStringLiteral("CDlgSelSym"));
    setModal(true);
    m_nCellSize = std::max(1, int(m_ctx.uiScale * 36));
    m_fontLabel = WithCtrlId(new QLabel(QStringLiteral("Font:"), this), kFontLabel);
    m_fontCombo = WithCtrlId(new QComboBox(this), kFontCombo);
    m_styleLabel = WithCtrlId(new QLabel(QStringLiteral("Style:"), this), kStyleLabel);
    m_styleCombo = WithCtrlId(new QComboBox(this), kStyleCombo);
    m_codeLabel = WithCtrlId(new QLabel(QStringLiteral("Code:"), this), kCodeLabel);
    m_codeEdit = WithCtrlId(new QLineEdit(this), kCodeEdit);
    m_codeEdit->setReadOnly(true);
    m_scrollBar = WithCtrlId(new QScrollBar(Qt::Vertical, this), kScrollBar);
    m_grid = WithCtrlId(new SelSymGrid(this), kGrid);
    m_preview = WithCtrlId(new SelSymPreview(this, m_grid), kPreview);
    m_ok = WithCtrlId(new QPushButton(QStringLiteral("OK"), this), kOk);
    m_cancel = WithCtrlId(new QPushButton(QStringLiteral("Cancel"), this), kCancel);
    m_ok->setDefault(true);

    auto* side = new QVBoxLayout;
    side->addWidget(m_fontLabel);
    side->addWidget(m_fontCombo);
    side->addWidget(m_styleLabel);
    side->addWidget(m_styleCombo);
    side->addWidget(m_codeLabel);
    side->addWidget(m_codeEdit);
    side->addWidget(m_preview, 1);
    side->addWidget(m_ok);
    side->addWidget(m_cancel);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_grid, 0, Qt::AlignTop);
    layout->addWidget(m_scrollBar);
    layout->addLayout(side);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_ok, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_fontCombo, &QComboBox::activated, this, [this](int) { ApplyFontChoice(); });
    connect(m_styleCombo, &QComboBox::activated, this, [this](int) { ApplyFontChoice(); });
    connect(m_scrollBar, &QScrollBar::valueChanged, this, [this](int v) { ScrollCharactersTo(v); });
    // The bar's thumb spans the visible rows, but a page step moves 8 rows.
    connect(m_scrollBar, &QScrollBar::actionTriggered, this, [this](int action) {
        if (action == QAbstractSlider::SliderPageStepAdd) m_scrollBar->setSliderPosition(m_scroll.position + kPageRows);
        if (action == QAbstractSlider::SliderPageStepSub) m_scrollBar->setSliderPosition(m_scroll.position - kPageRows);
    });
}

CDlgSelSym::~CDlgSelSym() = default;

QWidget* CDlgSelSym::grid() const {
    return m_grid;
}

int CDlgSelSym::DoModal() {
    return RunPanelDialog(*this, runModal);
}

void CDlgSelSym::OnInitDialog() {
    if (m_initialised) return;
    m_initialised = true;
    int pos = 0, chosen = 0;
    {
        RegKey key;
        if (OpenRegKey(kRegKey, key)) {
            ReadRegString(key, QStringLiteral("Font"), m_strFontName, QStringLiteral("Arial"));
            ReadRegDword(key, QStringLiteral("FontStyle"), m_nStyle, 0);
            ReadRegDword(key, QStringLiteral("Pos"), pos, 0);
            ReadRegDword(key, QStringLiteral("Char"), chosen, 0);
        }
    }
    if (m_nStyle < 0 || m_nStyle > 3) m_nStyle = 0;
    m_fontCombo->addItems(PickerFontNames());
    int found = m_fontCombo->findText(m_strFontName, Qt::MatchStartsWith);
    if (found < 0) found = 0;
    m_fontCombo->setCurrentIndex(found);
    m_strFontName = m_fontCombo->currentText();

    LangTable texts(m_ctx.languageCode, kLangFile);
    SetDialogLangTexts(texts, QStringLiteral("gCS_3"), this,
                       {{0, 1}, {kFontLabel, 2}, {kStyleLabel, 3}, {kCodeLabel, 5}, {kOk, 6}, {kCancel, 7}});
    for (int i = 1; i <= 4; ++i) m_styleCombo->addItem(LoadLangString(texts, QStringLiteral("gLS_3"), i));
    m_styleCombo->setCurrentIndex(m_nStyle);

    // Rows grow with the screen's resolution, but never past its work area.
    QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    const int dpi = screen ? int(std::lround(screen->logicalDotsPerInchY())) : 96;
    const int workHeight = screen ? screen->availableGeometry().height() : 0;
    m_scroll.visibleRows = PickerVisibleRows(dpi, m_nCellSize, workHeight, 80);
    const QSize gridSize(CharacterScroll::kColumns * m_nCellSize + 1, m_scroll.visibleRows * m_nCellSize + 1);
    m_grid->setFixedSize(gridSize);
    m_scrollBar->setFixedHeight(gridSize.height());
    m_preview->setMinimumSize(std::max(80, 2 * m_nCellSize), std::max(80, 2 * m_nCellSize));

    m_nChosen = chosen;
    ApplyFontChoice();
    m_scroll.position = 0;
    m_scroll.scrollTo(pos);
    setScrollRange();
    refreshPage();

    adjustSize();
    if (screen) {
        const QWidget* main = parentWidget() ? parentWidget()->window() : nullptr;
        const QRect area = screen->availableGeometry();
        QRect frame(QPoint(0, 0), size());
        frame.moveCenter(main ? main->frameGeometry().center() : area.center());
        frame.moveLeft(std::max(area.left(), std::min(frame.left(), area.right() - frame.width())));
        frame.moveTop(std::max(area.top(), std::min(frame.top(), area.bottom() - frame.height())));
        move(frame.topLeft());
    }
}

void CDlgSelSym::ApplyFontChoice() {
    m_strFontName = m_fontCombo->currentText();
    m_nStyle = std::clamp(m_styleCombo->currentIndex(), 0, 3);
    std::vector<uint16_t> chars = ListFontCharacters(m_strFontName, m_nStyle, m_ctx.programFolder);
    // A font that covers nothing leaves the list as it was.
    if (!chars.empty()) m_chars = std::move(chars);
    m_grid->collection = gp::PrivateFontCollection();
    m_grid->family = PickerFontFamily(m_strFontName, m_ctx.programFolder, m_grid->collection);
    m_scroll.count = int(m_chars.size());
    m_nChosen = ClampChosenIndex(m_nChosen, m_scroll.count);
    m_scroll.scrollTo(m_scroll.position);
    setScrollRange();
    refreshPage();
}

void CDlgSelSym::wheelEvent(QWheelEvent* event) {
    const int notches = event->angleDelta().y() / 120;
    if (notches != 0) ScrollCharacters(-notches * kWheelRows);
    event->accept();
}

void CDlgSelSym::setScrollRange() {
    const QSignalBlocker block(m_scrollBar);
    m_scrollBar->setRange(0, m_scroll.maxPosition());
    m_scrollBar->setPageStep(m_scroll.visibleRows);
    m_scrollBar->setSingleStep(1);
    m_scrollBar->setValue(m_scroll.position);
}

void CDlgSelSym::ScrollCharacters(int rows) {
    ScrollCharactersTo(m_scroll.position + rows);
}

void CDlgSelSym::ScrollCharactersTo(int row) {
    if (!m_scroll.scrollTo(row)) return;
    setScrollRange();
    refreshPage();
}

void CDlgSelSym::SelectCharacterCell(int cell) {
    const int index = m_scroll.indexOfCell(cell - 1);
    if (index < 0) return;
    m_nChosen = index;
    refreshPage();
}

void CDlgSelSym::refreshPage() {
    updatePreview();
    m_grid->update();
}

void CDlgSelSym::updatePreview() {
    const int n = int(m_chars.size());
    if (m_nChosen >= 0 && m_nChosen < n) {
        m_nCode = m_chars[size_t(m_nChosen)];
        m_codeEdit->setText(QString::number(m_nCode));
    } else {
        m_codeEdit->clear();
    }
    m_preview->update();
}

void CDlgSelSym::writeChoice() {
    RegKey key;
    if (!OpenRegKey(kRegKey, key)) return;
    WriteRegString(key, QStringLiteral("Font"), m_strFontName);
    WriteRegDword(key, QStringLiteral("FontStyle"), m_nStyle);
    WriteRegDword(key, QStringLiteral("Pos"), m_scroll.position);
    WriteRegDword(key, QStringLiteral("Char"), m_nChosen);
}

void CDlgSelSym::OnOK() {
    const int n = int(m_chars.size());
    // Only a valid choice gives a glyph; nothing reaches the caller's slot before.
    if (n > 0 && m_nChosen >= 0 && m_nChosen < n) {
        m_nCode = m_chars[size_t(m_nChosen)];
        if (BuildGlyphFromCharacter(m_glyph, m_strFontName, m_nStyle, uint16_t(m_nCode), m_ctx.programFolder)) {
            if (m_pPendingGlyph) CopyGlyph(*m_pPendingGlyph, m_glyph);
            writeChoice();
            accept();
            return;
        }
    }
    m_nCode = 0;
    LangTable texts(m_ctx.languageCode, kLangFile);
    messageSink().show(LoadLangString(texts, QStringLiteral("gMSG_1"), 5).replace(QLatin1Char('|'), QLatin1Char('\n')),
                       QString(), MB_OK, this);
}

}  // namespace toliva
