// How an equation is laid on printed pages: the paper table, the print
// scales, the page size in hundredths of an inch (the unit of a print
// target, platform/PrintService.h), the print dialog's remembered choices
// under "Software\Toliva\Print", and the drawing of the equation's lines over
// as many pages as they need, each with the footer "Page %d".
//
// Pages are drawn over a gp::Graphics whose unit is the page unit; a page
// sink starts and ends the pages (a print target, or a recorder in tests).
// The preview draws the first page only, without a sink, under whatever
// transform the caller set.
#pragma once

#include "platform/gdiplus/GpTypes.h"

#include <QString>

#include <array>

namespace toliva {

namespace gp {
class Graphics;
}

class EqModel;
struct RenderContext;

// ---- paper

struct PaperSize {
    int code = 9;            // the printer's paper code (9: A4)
    float widthMm = 210;     // in portrait
    float heightMm = 297;
};

inline constexpr int kPaperCount = 9;
// The paper-size list in order: Letter, Tabloid, Statement, A3, A4, A5,
// B4 (JIS), B5 (JIS), Envelope #10.
extern const std::array<PaperSize, kPaperCount> kPaperTable;
// The list's entry at index; A4 for any index outside the list.
PaperSize PaperAt(int index);

enum PaperLayout : int { PaperPortrait = 0, PaperLandscape = 1 };

// Page units (hundredths of an inch) per millimetre.
inline constexpr float kPageUnitsPerMillimetre = 3.937007874015748f;
// Width and height of the paper in page units; swapped for landscape (any
// orientation other than portrait).
gp::SizeF GetPaperSize(int paperIndex, int orientation);

// ---- scale

// The page margin on every side, in page units.
inline constexpr float kPrintMargin = 30.0f;
inline constexpr int kScaleCount = 10;
// The scale list's entry that fits the equation's width between the margins.
inline constexpr int kScaleFitWidth = 1;
// The factor of the scale list's entry at index: 1.0, fit to width, 0.25,
// 0.5, 1.2, 1.5, 2.0, 3.0, 4.0, 5.0; 1.0 for any index outside the list.
// Fitting takes the equation's width as at least 1.
float PrintScale(int index, float pageWidth, float equationWidth, float margin = kPrintMargin);

// ---- remembered choices

inline const QString kPrintKey = QStringLiteral("Software\\Toliva\\Print");

struct PrintChoices {
    int printer = 0;      // "sel_printer": index in the printer list
    int colour = 0;       // "sel_color": 0 colour, other monochrome
    int paperSize = 0;    // "sel_paper_size": index in the paper table
    int paperLayout = 0;  // "sel_paper_layout": 0 portrait, 1 landscape
    int scale = 0;        // "sel_scale": index in the scale list
    int centered = 1;     // "print_centered": kept for the check box only
    friend bool operator==(const PrintChoices&, const PrintChoices&) = default;
};

// Reads the six values (each its default when missing); stored indexes are
// taken as they are, whatever their range.
PrintChoices ReadPrintChoices();
// Writes the six values; false when the key could not be written.
bool StorePrintChoices(const PrintChoices& choices);

// ---- preview

// The space the preview leaves around the page, in pixels (both sides together).
inline constexpr float kPreviewBorder = 50.0f;
// The smallest factor the preview draws the page at.
inline constexpr float kMinPreviewFit = 0.01f;
// The factor that fits the page (each side at least 1) into the preview area
// less its border; never below kMinPreviewFit, so a preview area too small
// for the border draws a small page instead of a mirrored one.
float PreviewFitFactor(gp::SizeF area, gp::SizeF page);

// ---- pages

struct PageFooter {
    QString text;       // "Page %d"
    gp::PointF at;      // where the text ends (right) and starts (top)
    QString fontName;
    float size = 15;    // em size in page units
};

// Draws the footer's text, right-aligned at its point and hanging below it,
// in black.
void DrawFooterText(gp::Graphics& g, const PageFooter& footer);

// Where printed pages go.
class PrintPageSink {
public:
    virtual ~PrintPageSink() = default;
    virtual void startPage() = 0;
    virtual void endPage() = 0;
    // Draws a page's footer; the graphics is under the transform DrawPage
    // started with. By default DrawFooterText.
    virtual void drawFooter(gp::Graphics& g, const PageFooter& footer);
};

struct PageSetup {
    gp::SizeF page;                // in page units (GetPaperSize)
    int scaleIndex = 0;
    float margin = kPrintMargin;
    QString footerFont;
    float footerSize = 15;
};

// Draws the equation's lines as its last output layout placed them
// (LayoutForOutput at scale 1 from (0, 0): the placements, the widest line)
// at the scale of the setup, from the left edge its line alignment gives and
// the top margin. With a sink every line is printed: a line that does not fit
// below the lines already on a page goes to a new page (a line taller than a
// fresh page is drawn anyway), and every page ends with its footer. Without
// one, the preview: the lines that fit on the first page and the footer of
// page 1. Footers are drawn under the transform g had when DrawPage started;
// g has it again afterwards. Marked elements are not highlighted. Returns the
// number of pages.
int DrawPage(const RenderContext& context, gp::Graphics& g, EqModel* eq, const PageSetup& setup,
             PrintPageSink* printer);

}  // namespace toliva
