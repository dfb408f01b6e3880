// The print dialog: printers, paper size, orientation, colour and scale, a
// live preview of the first page, and printing of every line of the
// equation over as many pages as it needs, each with its page-number footer.
// The choices are kept under "Software\Toliva\Print" (shell/print/
// PrintLayout.h) when the dialog closes with OK. Texts come from group
// "gCS_1" of "PRINT.xml", the lists from its groups "gPSize", "gColor" and
// "gScale". Printers are listed and opened through the print service
// (platform/PrintService.h); messages go through the message sink.
#pragma once

#include "platform/PrintService.h"
#include "shell/print/PrintLayout.h"

#include <QDialog>
#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QAbstractButton;
class QComboBox;
class QPainter;

namespace toliva {

struct AppContext;
class CKwEESheet;
class EqModel;
struct LangTable;
struct RenderContext;

struct PrintDialogContext {
    AppContext& app;
    const RenderContext& render;
    QString uiFontName;     // the footer's font
    int uiMetric = 15;      // the footer's size in pixels
    QString documentTitle;  // the print job's name
};

// Adds items 1, 2, ... of a group to a combo box until an empty item, at most
// 100; a missing group adds nothing.
void FillComboFromLangGroup(QComboBox* combo, LangTable& table, const QString& groupKey);

class CDialogPrint : public QDialog {
public:
    static constexpr int IDD = 188;
    // Control ids.
    enum Control : int {
        kOk = 1,
        kCancel = 2,
        kPreviewFrame = 2238,
        kPrinterLabel = 2343,
        kColourLabel = 2344,
        kPrinters = 2345,
        kPaperLabel = 2346,
        kScaleLabel = 2347,
        kPortrait = 2353,
        kLandscape = 2354,
        kCentered = 2361,
        kPaperSizes = 2362,
        kColours = 2363,
        kScales = 2364,
    };
    // The preview's colours (RGB).
    static constexpr QRgb kBandColour = 0xFFC8C8C8;       // RGB(200, 200, 200)
    static constexpr QRgb kPageFrameColour = 0xFF787878;  // RGB(120, 120, 120)
    static constexpr QRgb kOuterFrameColour = 0xFFB4B4B4; // RGB(180, 180, 180)
    static constexpr QRgb kSeparatorColour = 0xFFC8C8DC;  // RGB(200, 200, 220)

    // What PrintEquation did.
    enum PrintOutcome { Printed, NoPrinter, PrinterSetupFailed, PrintCancelled, PrintFailed };

    // Reads the remembered choices.
    CDialogPrint(PrintDialogContext& context, QWidget* parent = nullptr);
    ~CDialogPrint() override;

    CKwEESheet* m_pTarget = nullptr;

    // Initialisation, then the modal loop (through runModal when set: tests
    // answer it). IDOK or IDCANCEL.
    int DoModal();
    std::function<int(CDialogPrint&)> runModal;

    // Texts, lists, the preview area, the printers and the remembered
    // choices in the controls. Runs once; DoModal and showing call it.
    void OnInitDialog();
    // The check box to the flag (saveAndValidate) or back.
    void DoDataExchange(bool saveAndValidate);
    // The orientation radios, the check box, the paper-size and scale
    // lists: reads the controls and draws the preview again.
    void OnSelectionChange();
    void ReadControls();
    // Reads the controls into the request: paper, orientation, colour.
    void ApplyToDevMode(PrintRequest& request);
    // Opens the print target for a printer with the controls' choices; null
    // unless *status is Opened.
    std::unique_ptr<PrintTarget> BuildPrinterHandles(const QString& printer, PrintOpenStatus* status);
    // The chosen paper in page units (hundredths of an inch).
    gp::SizeF GetPaperSize() const;
    // Prints every line on the chosen printer. Says "Cannot connect the
    // printer." when the list holds no printer at the chosen index and
    // "Failed to select custom printer" when the printer cannot be set up,
    // and prints nothing then; a cancelled PDF file picker prints nothing
    // silently.
    PrintOutcome PrintEquation();
    // Draws the first page into the preview picture: the equation laid out
    // for output, the page fitted into the preview area, grey bands around it
    // and its frame.
    void RenderPreview();
    // Copies the preview picture to the dialog at the preview area.
    void BlitPreview(QPainter& dc);
    // Prints, stores the choices and closes with OK.
    void OnOK();

    // What tests and the preview read.
    PrintChoices choices() const;
    const QStringList& printerNames() const { return m_printerNames; }
    QRect previewArea() const { return m_previewArea; }
    const QImage& previewImage() const { return m_preview; }
    bool previewReady() const { return m_bPreviewReady; }
    gp::PointF previewCorner() const { return m_previewCorner; }
    float previewFit() const { return m_previewFit; }
    // The equation's laid-out size from the last preview or print.
    gp::SizeF equationSize() const { return {m_fEqWidth, m_fEqHeight}; }
    QComboBox* combo(int id) const;
    QAbstractButton* button(int id) const;
    // Sets the preview area (the dialog places it from frame 2238 when it
    // initialises); the preview is drawn again on the next paint.
    void setPreviewArea(const QRect& area);

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void EnumeratePrinters();
    // The copy of the target's equation that the preview and printing lay
    // out, so that the sheet's own layout stays as it is; null without a
    // target.
    EqModel* printedEquation();
    PageSetup pageSetup() const;
    // Lays the printed equation out for output at scale 1 from (0, 0).
    void layoutEquation(gp::Graphics& g);

    PrintDialogContext& m_context;
    bool m_initialized = false;
    bool m_bPreviewReady = false;
    QImage m_preview;
    QRect m_previewArea;
    gp::PointF m_previewCorner;
    float m_previewFit = 0;
    float m_fEqWidth = 0;
    float m_fEqHeight = 0;
    QStringList m_printerNames;
    int m_nPrinter = 0;
    int m_nColour = 0;
    int m_nPaperSize = 0;
    int m_nPaperLayout = 0;
    int m_nScale = 0;
    int m_nCentered = 1;
    float m_fMargin = kPrintMargin;
    std::unique_ptr<EqModel> m_printEq;
};

}  // namespace toliva
