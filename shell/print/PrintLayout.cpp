#include "shell/print/PrintLayout.h"

#include "model/EqDraw.h"
#include "model/EqModel.h"
#include "model/EqSpacing.h"
#include "model/RenderContext.h"
#include "platform/RegKey.h"
#include "platform/gdiplus/Font.h"
#include "platform/gdiplus/Graphics.h"

#include <algorithm>
#include <cmath>

namespace toliva {

const std::array<PaperSize, kPaperCount> kPaperTable = {{
    {1, 215.9f, 279.4f},     // Letter
    {3, 279.4f, 431.8f},     // Tabloid
    {6, 139.7f, 215.9f},     // Statement
    {8, 297.0f, 420.0f},     // A3
    {9, 210.0f, 297.0f},     // A4
    {11, 148.0f, 210.0f},    // A5
    {12, 250.0f, 354.0f},    // B4 (JIS)
    {13, 182.0f, 257.0f},    // B5 (JIS)
    {20, 104.775f, 241.3f},  // Envelope #10
}};

PaperSize PaperAt(int index) {
    if (index < 0 || index >= kPaperCount) return PaperSize{};
    return kPaperTable[size_t(index)];
}

gp::SizeF GetPaperSize(int paperIndex, int orientation) {
    const PaperSize paper = PaperAt(paperIndex);
    float w = paper.widthMm, h = paper.heightMm;
    if (orientation != PaperPortrait) std::swap(w, h);
    return {w * kPageUnitsPerMillimetre, h * kPageUnitsPerMillimetre};
}

float PrintScale(int index, float pageWidth, float equationWidth, float margin) {
    static constexpr float kFactors[kScaleCount] = {1.0f, 1.0f, 0.25f, 0.5f, 1.2f, 1.5f, 2.0f, 3.0f, 4.0f, 5.0f};
    if (index == kScaleFitWidth) return (pageWidth - 2 * margin) / std::max(equationWidth, 1.0f);
    if (index < 0 || index >= kScaleCount) return 1.0f;
    return kFactors[index];
}

// ---- remembered choices

namespace {

struct ChoiceValue {
    const char* name;
    int PrintChoices::*field;
};

constexpr ChoiceValue kChoiceValues[] = {
    {"print_centered", &PrintChoices::centered},   {"sel_printer", &PrintChoices::printer},
    {"sel_color", &PrintChoices::colour},           {"sel_paper_size", &PrintChoices::paperSize},
    {"sel_paper_layout", &PrintChoices::paperLayout}, {"sel_scale", &PrintChoices::scale},
};

}  // namespace

PrintChoices ReadPrintChoices() {
    PrintChoices choices;
    RegKey key;
    OpenRegKey(kPrintKey, key);
    for (const ChoiceValue& v : kChoiceValues) {
        int& field = choices.*v.field;
        ReadRegDword(key, QString::fromLatin1(v.name), field, field);
    }
    return choices;
}

bool StorePrintChoices(const PrintChoices& choices) {
    RegKey key;
    if (!OpenRegKey(kPrintKey, key)) return false;
    bool stored = true;
    for (const ChoiceValue& v : kChoiceValues)
        stored = WriteRegDword(key, QString::fromLatin1(v.name), choices.*v.field) && stored;
    return stored;
}

// ---- preview

float PreviewFitFactor(gp::SizeF area, gp::SizeF page) {
    const float w = std::max(page.width, 1.0f), h = std::max(page.height, 1.0f);
    const float f = std::min((area.width - kPreviewBorder) / w, (area.height - kPreviewBorder) / h);
    return f > kMinPreviewFit ? f : kMinPreviewFit;
}

// ---- pages

void DrawFooterText(gp::Graphics& g, const PageFooter& footer) {
    gp::FontFamily family(footer.fontName);
    if (!family.IsAvailable()) family = gp::FontFamily::GenericSerif();
    const gp::Font font(family, footer.size, gp::FontStyleRegular, gp::UnitPixel);
    gp::StringFormat format;
    format.SetAlignment(gp::StringAlignmentFar);
    format.SetLineAlignment(gp::StringAlignmentNear);
    g.DrawString(footer.text, font, gp::RectF{footer.at.x, footer.at.y, 0, 0}, format, 0xFF000000);
}

void PrintPageSink::drawFooter(gp::Graphics& g, const PageFooter& footer) { DrawFooterText(g, footer); }

namespace {

// Turns mark highlighting off for a drawing and back on afterwards.
class NoMarkHighlight {
public:
    explicit NoMarkHighlight(EqModel* eq) : m_eq(eq), m_saved(eq->markHighlight) { eq->markHighlight = 0; }
    ~NoMarkHighlight() { m_eq->markHighlight = m_saved; }
    NoMarkHighlight(const NoMarkHighlight&) = delete;
    NoMarkHighlight& operator=(const NoMarkHighlight&) = delete;

private:
    EqModel* m_eq;
    uint8_t m_saved;
};

}  // namespace

int DrawPage(const RenderContext& context, gp::Graphics& g, EqModel* eq, const PageSetup& setup,
             PrintPageSink* printer) {
    const gp::Matrix start = g.GetTransform();
    const float W = setup.page.width, H = setup.page.height, m = setup.margin;

    auto drawFooter = [&](int page) {
        const gp::Matrix current = g.GetTransform();
        g.SetTransform(start);
        const PageFooter footer{QString::asprintf("Page %d", page), {W - m, H - m}, setup.footerFont, setup.footerSize};
        if (printer)
            printer->drawFooter(g, footer);
        else
            DrawFooterText(g, footer);
        g.SetTransform(current);
    };

    if (!eq) {
        if (printer) printer->startPage();
        drawFooter(1);
        if (printer) printer->endPage();
        return 1;
    }

    const RenderScope pass(eq, context);
    const NoMarkHighlight noMarks(eq);
    const float width = eq->widestLine;
    const float s = PrintScale(setup.scaleIndex, W, width, m);
    float x0 = m;
    switch (eq->settings.options[EqLayoutSettings::OptLineAlignment]) {
    case 1: x0 = (W - s * width) / 2; break;
    case 2: x0 = W - m - s * width; break;
    default: break;
    }
    const float gap = SpacingOf(eq, SpacingLineGap) * eq->settings.fontSize;
    const float available = H - 2 * m;

    g.TranslateTransform(x0, m);
    g.ScaleTransform(s, s);

    int pages = 1;
    float y = 0;
    if (printer) {
        printer->startPage();
        bool pageHoldsLine = false;
        for (const LinePlacement& p : eq->placements) {
            const float J = (p.ascent + p.descent) * s;
            if (available < y + J && pageHoldsLine) {
                drawFooter(pages);
                ++pages;
                printer->endPage();
                printer->startPage();
                g.TranslateTransform(0, -y / s);
                y = J + s * gap;
            } else {
                y += J + s * gap;
            }
            DrawElement(p.head, g, p.x, p.y, nullptr, 1.0f, false);
            pageHoldsLine = true;
        }
        drawFooter(pages);
        printer->endPage();
    } else {
        for (const LinePlacement& p : eq->placements) {
            y += (p.ascent + p.descent + gap) * s;
            if (!(available > y)) break;
            DrawElement(p.head, g, p.x, p.y, nullptr, 1.0f, false);
        }
        drawFooter(1);
    }
    g.SetTransform(start);
    return pages;
}

}  // namespace toliva
