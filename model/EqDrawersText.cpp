// Drawers of characters, glyph symbols and calculation results.
#include "model/EqDrawers.h"

#include "model/EqFonts.h"
#include "model/EqLayout.h"
#include "model/GlyphOutline.h"
#include "model/RenderContext.h"
#include "model/ShapeObject.h"
#include "model/ShapeAccent.h"
#include "platform/gdiplus/Brush.h"
#include "platform/gdiplus/Font.h"
#include "platform/gdiplus/GraphicsPath.h"

#include <cmath>
#include <optional>

namespace toliva {

using namespace draw;

namespace {

// The background of a calculation result when results are filled; the
// application does not keep a colour of its own for it yet.

bool IsPrime(uint16_t c) { return c >= 0x2032 && c <= 0x2035; }

// The colour of a character: a marked type-5 element is drawn once in red
// (its mark is cleared here), other type-5 elements in the text colour of the
// style; a phantom always takes the phantom colour.
gp::ARGB CharColour(EqElement* e) {
    const EqModel* eq = e->owner;
    if (e->type == EqTypeCharText) {
        gp::ARGB colour = eq->settings.colours[3];
        if (e->mark) {
            colour = kMarkedTextColour;
            e->mark = 0;
        }
        return e->phantomKind() > 0 ? eq->phantomColour : colour;
    }
    int role = 0;
    if (IsDigitElement(e)) role = 4;
    else if (IsPunctuationElement(e)) role = 7;
    else if (e->type == EqTypeCharItalic) role = 1;
    else if (e->type == EqTypeCharBold || e->type == EqTypeCharBoldItalic) role = 2;
    return GetElementDrawColour(e, role);
}

}  // namespace

void DrawElementText(EqElement* e, gp::Graphics& g, const QString& text, int style, float f, const gp::RectF& box,
                     gp::ARGB colour) {
    if (!(f > 0) || !std::isfinite(f)) return;
    EqModel* eq = e->owner;
    EqFontState& fonts = EquationFonts(eq);
    const EqFont* font = e->font ? e->font : fonts.serifFamily;
    if (!font) return;
    if (eq->outlineText) {
        gp::GraphicsPath path(gp::FillModeWinding);
        path.AddString(text, font->family, style, f, box, fonts.stringFormat);
        if (path.GetPointCount() > 0) g.FillPath(gp::SolidBrush(colour), path);
        return;
    }
    const gp::Font gpFont(font->family, f, style, gp::UnitPixel);
    g.DrawString(text, gpFont, box, fonts.stringFormat, colour);
}

void DrawCharElement(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script) {
    (void)scale;
    EqModel* eq = e->owner;
    if (e->type == EqTypeChainHead) {
        if (eq->markHighlight && e->ch == 0 && !e->next && e->parent) DrawEmptySlotBox(e, g);
        return;
    }
    if (IsSpaceElement(e)) {
        if (eq->flag1) DrawSpaceMarker(e, g);
        return;
    }

    if (e->ch2 != 0) {
        float f = e->fontSize;
        const float f0 = f;
        // A prime alone in a script chain is drawn larger than the script.
        if (script && IsPrime(e->ch) && FirstInChain(e) && !e->next) f = LonePrimeFontSize(eq, f);

        gp::RectF box = e->rect;
        // A character with accent marks keeps the box it has without them.
        float half = 0;
        if (AccentHalfHeight(e, &half)) {
            box.y = y - half;
            box.height = 2 * half;
        }
        box.x = e->rect.x - e->width + e->xOffset;
        box.width = 3 * e->width;  // the string is centred across the box
        if (IsCJKElement(e)) {
            box.y += f * SpacingOf(e, SpacingCJKShift);
            box.height += 2 * f;
        }
        if (e->type == EqTypeCharSans) box.y += 0.08f * f;
        else if (e->type == EqTypeCharMono) box.y += 0.095f * f;
        const float margins = eq->fontMetrics[MetricMargin] + eq->fontMetrics[MetricShift];
        box.y -= f * margins;
        box.height += 2 * f * margins;

        const gp::ARGB colour = CharColour(e);

        std::optional<gp::SavedState> saved;
        if (script) {
            // Script characters are drawn wider about the box's centre.
            const float widen = SpacingOf(e, SpacingScriptWiden);
            saved.emplace(g);
            g.TranslateTransform(box.x + box.width / 2, box.y + box.height / 2);
            g.ScaleTransform(widen, 1.0f);
            box = {widen * f * 0.035f - box.width / 2, -box.height / 2, box.width, box.height};
        } else if (IsDigitElement(e)) {
            f *= 0.98f;
            box.y += 0.015f * f0;
        }
        if (e->ch == u'*') {
            f += 0.2f * f;
            box.y += 0.19f * f0;
        }
        int style = gp::FontStyleRegular;
        if (e->type == EqTypeCharItalic) {
            style = gp::FontStyleItalic;
        } else if (e->type == EqTypeCharBold || e->type == EqTypeCharBoldItalic) {
            style = e->type == EqTypeCharBold ? gp::FontStyleBold : gp::FontStyleBoldItalic;
            box.y -= f0 * eq->fontMetrics[MetricExtra];
        }
        DrawElementText(e, g, QString(QChar(e->ch2)), style, f, box, colour);
    }

    if (e->shape) e->shape->Draw(&g, x + e->width / 2, y, script ? 1 : 0);
}

void DrawGlyphSymbolElement(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script) {
    if (!e->glyph) return DrawCharElement(e, g, x, y, scale, script);
    const EqModel* eq = e->owner;
    GlyphOutline& glyph = *e->glyph;
    const float size = SizeAt(e, scale);
    const float dx = glyph.m[3] * size / 100;
    float dy = glyph.m[4] * size / 100;
    // Symbols sit where characters of the text font sit; the arrows keep
    // their own place.
    if (!IsGlyphSymbolOperator(e)) dy -= eq->fontMetrics[MetricShift] * size;

    gp::ARGB colour;
    bool useColour = true;
    if (e->type == EqTypeUserSymbol) {
        colour = GetElementDrawColour(e, 14);
        // With colours by role a user symbol keeps its own colour, except as
        // a phantom.
        useColour = eq->settings.ints[0] == 0 || e->phantomKind() > 0;
    } else {
        const int role = e->ch >= 233 ? 9 : (e->type == EqTypeGlyphSymbolBold ? 2 : 0);
        colour = GetElementDrawColour(e, role);
    }
    {
        gp::SavedState saved(g);
        g.TranslateTransform(x + e->xOffset + e->width / 2 + dx, y + dy);
        const float k = glyph.scale * size / 100;
        g.ScaleTransform(k, k);
        DrawGlyph(g, colour, useColour, e->type == EqTypeGlyphSymbolBold, glyph);
    }
    if (e->shape) e->shape->Draw(&g, x + dx + e->width / 2, y + dy, script ? 1 : 0);
}

void DrawCalcResult(EqElement* e, gp::Graphics& g, float x, float y, float scale, bool script) {
    EqModel* eq = e->owner;
    const float size = SizeAt(e, scale);
    float available = e->width - e->xOffset;
    if (e->next) available -= 0.1f * size;
    EqElement* chain = ChildChain(e, 0);
    if (chain) SetPhantomKind(chain, int8_t(e->phantomKind()), true);
    const RenderContext* context = PassContext(eq);
    if (context && context->option(OptFillResultBox) &&
        !(eq->outlineText && context->option(OptNoResultFillInMetafile)))
        g.FillRectangle(gp::SolidBrush(gp::ArgbFromColorref(context->resultBackColour)), e->rect);
    DrawChain(chain, g, x + e->xOffset + available / 2 - W(chain) / 2, y, scale, script);
}

}  // namespace toliva
