#include "shell/CDialogPrint.h"

#include "model/EqModel.h"
#include "model/EqOutput.h"
#include "model/RenderContext.h"
#include "platform/AppContext.h"
#include "platform/MessageSink.h"
#include "platform/gdiplus/Graphics.h"
#include "sheet/CKwEESheet.h"
#include "sheet/editing/Undo.h"
#include "uikit/CKwMenu.h"
#include "uikit/LangTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <mutex>

namespace toliva {
namespace {

const QString kLangFile = QStringLiteral("PRINT.xml");
constexpr int kMaxListItems = 100;
// The preview frame's size in the dialog.
constexpr int kPreviewWidth = 440;
constexpr int kPreviewHeight = 470;

template <typename W>
W* withId(W* widget, int id) {
    widget->setProperty(kCtrlIdProperty, id);
    return widget;
}

// A combo box's selection, or none when the index lies outside its list.
void selectIndex(QComboBox* combo, int index) {
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

// Pages go to a print target: every page after the first starts with a new
// page of the device. The footer is written as text, so that a PDF file
// holds it as text.
class TargetPageSink : public PrintPageSink {
public:
    explicit TargetPageSink(PrintTarget& target) : m_target(target) {}

    void startPage() override {
        if (m_started) m_target.newPage();
        m_started = true;
    }
    void endPage() override {}
    void drawFooter(gp::Graphics&, const PageFooter& footer) override {
        // The graphics has put the painter under the footer's transform.
        QPainter* dc = m_target.painter();
        QFont font(footer.fontName);
        font.setPixelSize(std::max(1, int(std::lround(footer.size))));
        dc->save();
        dc->setFont(font);
        dc->setPen(Qt::black);
        // Right-aligned at the point, hanging below it.
        constexpr qreal kRoom = 100000;
        dc->drawText(QRectF(footer.at.x - kRoom, footer.at.y, kRoom, kRoom), Qt::AlignRight | Qt::AlignTop,
                     footer.text);
        dc->restore();
    }

private:
    PrintTarget& m_target;
    bool m_started = false;
};

void antiAlias(gp::Graphics& g) {
    g.SetSmoothingMode(gp::SmoothingModeAntiAlias);
    g.SetTextRenderingHint(gp::TextRenderingHintAntiAlias);
}

}  // namespace

void FillComboFromLangGroup(QComboBox* combo, LangTable& table, const QString& groupKey) {
    if (!combo) return;
    for (int item = 1; item <= kMaxListItems; ++item) {
        const QString text = LoadLangString(table, groupKey, item);
        if (text.isEmpty()) break;
        combo->addItem(text);
    }
}

CDialogPrint::CDialogPrint(PrintDialogContext& context, QWidget* parent) : QDialog(parent), m_context(context) {
    const PrintChoices stored = ReadPrintChoices();
    m_nPrinter = stored.printer;
    m_nColour = stored.colour;
    m_nPaperSize = stored.paperSize;
    m_nPaperLayout = stored.paperLayout;
    m_nScale = stored.scale;
    m_nCentered = stored.centered;

    setFont(CreateMenuFont());
    // The texts the dialog shows when the language file has none.
    setWindowTitle(QStringLiteral("Print"));
    auto* preview = withId(new QFrame(this), kPreviewFrame);
    preview->setFrameShape(QFrame::NoFrame);
    preview->setFixedSize(kPreviewWidth, kPreviewHeight);

    auto* printers = withId(new QComboBox(this), kPrinters);
    auto* paper = withId(new QComboBox(this), kPaperSizes);
    auto* colours = withId(new QComboBox(this), kColours);
    auto* scales = withId(new QComboBox(this), kScales);
    auto* portrait = withId(new QRadioButton(QStringLiteral("Portrait"), this), kPortrait);
    auto* landscape = withId(new QRadioButton(QStringLiteral("Landscape"), this), kLandscape);
    auto* centered = withId(new QCheckBox(QStringLiteral("Centre on the page"), this), kCentered);
    auto* ok = withId(new QPushButton(QStringLiteral("Print"), this), kOk);
    auto* cancel = withId(new QPushButton(QStringLiteral("Cancel"), this), kCancel);
    ok->setDefault(true);
    for (QComboBox* combo : {printers, paper, colours, scales}) combo->setMinimumWidth(240);

    auto* controls = new QVBoxLayout;
    controls->setContentsMargins(14, 14, 14, 12);
    controls->setSpacing(6);
    auto addRow = [&](int labelId, const QString& text, QWidget* field) {
        controls->addWidget(withId(new QLabel(text, this), labelId));
        controls->addWidget(field);
        controls->addSpacing(6);
    };
    addRow(kPrinterLabel, QStringLiteral("Printer:"), printers);
    addRow(kPaperLabel, QStringLiteral("Paper size:"), paper);
    auto* orientation = new QHBoxLayout;
    orientation->addWidget(portrait);
    orientation->addWidget(landscape);
    orientation->addStretch(1);
    controls->addLayout(orientation);
    controls->addSpacing(6);
    addRow(kColourLabel, QStringLiteral("Colour:"), colours);
    addRow(kScaleLabel, QStringLiteral("Scale:"), scales);
    controls->addWidget(centered);
    controls->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    controls->addLayout(buttons);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(preview);
    layout->addLayout(controls);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    for (QAbstractButton* b : {static_cast<QAbstractButton*>(portrait), static_cast<QAbstractButton*>(landscape),
                               static_cast<QAbstractButton*>(centered)})
        connect(b, &QAbstractButton::clicked, this, [this] { OnSelectionChange(); });
    for (QComboBox* combo : {paper, scales})
        connect(combo, &QComboBox::currentIndexChanged, this, [this] {
            if (m_initialized) OnSelectionChange();
        });
}

CDialogPrint::~CDialogPrint() = default;

int CDialogPrint::DoModal() {
    OnInitDialog();
    if (runModal) return runModal(*this);
    return exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}

void CDialogPrint::showEvent(QShowEvent* event) {
    OnInitDialog();
    QDialog::showEvent(event);
}

void CDialogPrint::OnInitDialog() {
    if (m_initialized) return;
    LangTable table(m_context.app.languageCode(), kLangFile);
    static constexpr int kPairs[][2] = {{0, 1},          {kOk, 2},          {kCancel, 3},     {kPrinterLabel, 4},
                                        {kPaperLabel, 5}, {kColourLabel, 6}, {kScaleLabel, 7}, {kPortrait, 8},
                                        {kLandscape, 9},  {kCentered, 10},   {-1, -1}};
    SetDialogLangTexts(table, QStringLiteral("gCS_1"), this, kPairs);
    FillComboFromLangGroup(combo(kPaperSizes), table, QStringLiteral("gPSize"));
    FillComboFromLangGroup(combo(kColours), table, QStringLiteral("gColor"));
    FillComboFromLangGroup(combo(kScales), table, QStringLiteral("gScale"));

    // The preview takes the client area left of the frame's right edge.
    if (layout()) layout()->activate();
    if (QWidget* frame = DialogControl(this, kPreviewFrame)) {
        const QRect f = frame->geometry();
        setPreviewArea(QRect(QPoint(0, 1), QPoint(f.x() + f.width() - 2, std::max(1, height() - 1))));
    }

    EnumeratePrinters();
    selectIndex(combo(kPrinters), m_nPrinter);
    selectIndex(combo(kColours), m_nColour);
    selectIndex(combo(kPaperSizes), m_nPaperSize);
    selectIndex(combo(kScales), m_nScale);
    button(kPortrait)->setChecked(m_nPaperLayout == PaperPortrait);
    button(kLandscape)->setChecked(m_nPaperLayout == PaperLandscape);
    DoDataExchange(false);
    m_initialized = true;
}

void CDialogPrint::EnumeratePrinters() {
    m_printerNames = printService().printerNames();
    combo(kPrinters)->addItems(m_printerNames);
}

void CDialogPrint::DoDataExchange(bool saveAndValidate) {
    auto* check = button(kCentered);
    if (saveAndValidate)
        m_nCentered = check->isChecked() ? 1 : 0;
    else
        check->setChecked(m_nCentered != 0);
}

void CDialogPrint::ReadControls() {
    m_nPaperSize = combo(kPaperSizes)->currentIndex();
    m_nPaperLayout = button(kPortrait)->isChecked() ? PaperPortrait : PaperLandscape;
    m_nColour = combo(kColours)->currentIndex();
    m_nScale = combo(kScales)->currentIndex();
}

void CDialogPrint::OnSelectionChange() {
    DoDataExchange(true);
    ReadControls();
    RenderPreview();
    update(m_previewArea);
}

gp::SizeF CDialogPrint::GetPaperSize() const { return toliva::GetPaperSize(m_nPaperSize, m_nPaperLayout); }

PageSetup CDialogPrint::pageSetup() const {
    PageSetup setup;
    setup.page = GetPaperSize();
    setup.scaleIndex = m_nScale;
    setup.margin = m_fMargin;
    setup.footerFont = m_context.uiFontName;
    setup.footerSize = float(m_context.uiMetric);
    return setup;
}

EqModel* CDialogPrint::printedEquation() {
    EqModel* source = m_pTarget ? m_pTarget->equation() : nullptr;
    if (!source) return nullptr;
    if (!m_printEq) {
        m_printEq = std::make_unique<EqModel>(source->settings);
        CopyEquationContent(source, m_printEq.get());
    }
    return m_printEq.get();
}

void CDialogPrint::layoutEquation(gp::Graphics& g) {
    EqModel* eq = printedEquation();
    if (!eq) return;
    LayoutForOutput(m_context.render, &g, eq, {0, 0}, 1.0f);
    m_fEqWidth = eq->widestLine;
    m_fEqHeight = eq->totalHeight;
}

void CDialogPrint::setPreviewArea(const QRect& area) {
    m_previewArea = area;
    m_bPreviewReady = false;
}

void CDialogPrint::RenderPreview() {
    if (m_previewArea.isEmpty()) return;
    if (m_preview.size() != m_previewArea.size())
        m_preview = QImage(m_previewArea.size(), QImage::Format_ARGB32_Premultiplied);
    if (m_preview.isNull()) return;
    m_preview.fill(Qt::white);

    std::unique_lock<std::recursive_mutex> lock;
    if (m_context.render.drawingLock) lock = std::unique_lock<std::recursive_mutex>(*m_context.render.drawingLock);
    QPainter dc(&m_preview);
    dc.setRenderHint(QPainter::SmoothPixmapTransform);
    gp::PainterGraphics g(&dc);
    antiAlias(g);
    layoutEquation(g);

    const float areaWidth = float(m_previewArea.width()), areaHeight = float(m_previewArea.height());
    const gp::SizeF paper = GetPaperSize();
    const float pageWidth = std::max(paper.width, 1.0f), pageHeight = std::max(paper.height, 1.0f);
    const float f = PreviewFitFactor({areaWidth, areaHeight}, {pageWidth, pageHeight});
    const float F = std::trunc((areaWidth - pageWidth * f) / 2), G = std::trunc((areaHeight - pageHeight * f) / 2);
    m_previewFit = f;
    m_previewCorner = {F, G};

    const gp::GraphicsState state = g.Save();
    g.TranslateTransform(F, G);
    g.ScaleTransform(f, f);
    DrawPage(m_context.render, g, printedEquation(), pageSetup(), nullptr);
    g.Restore(state);

    // The grey around the page covers whatever the lines drew beyond it.
    const float right = F + pageWidth * f, bottom = G + pageHeight * f;
    const gp::SolidBrush band(kBandColour);
    g.FillRectangle(band, 0, 0, F, areaHeight);
    g.FillRectangle(band, right, 0, areaWidth - right, areaHeight);
    g.FillRectangle(band, F, 0, right - F, G);
    g.FillRectangle(band, F, bottom, right - F, areaHeight - bottom);
    g.SetSmoothingMode(gp::SmoothingModeNone);
    g.DrawRectangle(gp::Pen(kPageFrameColour, 1.0f), F, G, pageWidth * f + 1, pageHeight * f + 1);
    g.DrawRectangle(gp::Pen(kOuterFrameColour, 1.0f), F - 1, G - 1, pageWidth * f + 3, pageHeight * f + 3);
    m_bPreviewReady = true;
}

void CDialogPrint::BlitPreview(QPainter& dc) {
    if (!m_preview.isNull()) dc.drawImage(m_previewArea.topLeft(), m_preview);
}

void CDialogPrint::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    if (m_previewArea.isEmpty()) return;
    if (!m_bPreviewReady) RenderPreview();
    QPainter dc(this);
    BlitPreview(dc);
    const int x = m_previewArea.x() + m_previewArea.width();
    dc.setPen(QColor::fromRgb(kSeparatorColour));
    dc.drawLine(x, m_previewArea.top(), x, m_previewArea.bottom());
}

void CDialogPrint::ApplyToDevMode(PrintRequest& request) {
    ReadControls();
    const PaperSize paper = PaperAt(m_nPaperSize);
    request.paperMillimetres = QSizeF(paper.widthMm, paper.heightMm);
    request.landscape = m_nPaperLayout != PaperPortrait;
    request.colour = m_nColour == 0;
}

std::unique_ptr<PrintTarget> CDialogPrint::BuildPrinterHandles(const QString& printer, PrintOpenStatus* status) {
    PrintRequest request;
    request.printer = printer;
    request.jobName = m_context.documentTitle;
    request.owner = this;
    ApplyToDevMode(request);
    return printService().open(request, status);
}

CDialogPrint::PrintOutcome CDialogPrint::PrintEquation() {
    DoDataExchange(true);
    ReadControls();
    m_nPrinter = combo(kPrinters)->currentIndex();
    if (m_nPrinter < 0 || m_nPrinter >= m_printerNames.size()) {
        showMessage(QStringLiteral("Cannot connect the printer."));
        return NoPrinter;
    }
    PrintOpenStatus status = PrintOpenStatus::Failed;
    std::unique_ptr<PrintTarget> target = BuildPrinterHandles(m_printerNames[m_nPrinter], &status);
    if (!target) {
        if (status == PrintOpenStatus::Cancelled) return PrintCancelled;
        // Without a printer there is nothing to print on.
        showMessage(QStringLiteral("Failed to select custom printer"));
        return PrinterSetupFailed;
    }
    {
        std::unique_lock<std::recursive_mutex> lock;
        if (m_context.render.drawingLock) lock = std::unique_lock<std::recursive_mutex>(*m_context.render.drawingLock);
        gp::PainterGraphics g(target->painter());
        antiAlias(g);
        layoutEquation(g);
        TargetPageSink sink(*target);
        DrawPage(m_context.render, g, printedEquation(), pageSetup(), &sink);
    }
    // A printer that fails while printing says nothing; a PDF file that
    // cannot be written is the user's file, and the user hears of it.
    if (!target->finish() && !target->outputFile().isEmpty()) {
        LangTable table(m_context.app.languageCode(), QStringLiteral("LANG_03.xml"));
        showMessage(LoadLangString(table, QStringLiteral("gMSG_2"), 2) + target->outputFile(), MB_OK | MB_ICONWARNING);
        return PrintFailed;
    }
    return Printed;
}

void CDialogPrint::OnOK() {
    PrintEquation();
    StorePrintChoices(choices());
    done(QDialog::Accepted);
}

PrintChoices CDialogPrint::choices() const {
    PrintChoices c;
    c.printer = m_nPrinter;
    c.colour = m_nColour;
    c.paperSize = m_nPaperSize;
    c.paperLayout = m_nPaperLayout;
    c.scale = m_nScale;
    c.centered = m_nCentered;
    return c;
}

QComboBox* CDialogPrint::combo(int id) const {
    return qobject_cast<QComboBox*>(DialogControl(const_cast<CDialogPrint*>(this), id));
}

QAbstractButton* CDialogPrint::button(int id) const {
    return qobject_cast<QAbstractButton*>(DialogControl(const_cast<CDialogPrint*>(this), id));
}

}  // namespace toliva
