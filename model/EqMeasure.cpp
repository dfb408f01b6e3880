// The text measuring seam, glyph symbols from the pass's library, the factors
// measuring and drawing share, and the measurers of characters, spaces, glyph
// symbols and calculation results.
#include "EqMeasure.h"

#include "CalcFormat.h"
#include "EqFonts.h"
#include "EqMeasureInternal.h"
#include "GlyphOutline.h"
#include "RenderContext.h"
#include "ShapeObject.h"
#include "SymbolLibrary.h"

#include "platform/gdiplus/Font.h"
#include "platform/gdiplus/Graphics.h"
#include "platform/gdiplus/GraphicsPath.h"

#include <cmath>
#include <cstring>
#include <mutex>
#include <numbers>
#include <unordered_map>

namespace toliva {

using namespace measure;

// ---- text measuring

namespace {

struct MeasureKey {
    const EqFont* family;
    QString text;
    uint32_t sizeBits;
    int style;
    friend bool operator==(const MeasureKey&, const MeasureKey&) = default;
};

struct MeasureKeyHash {
    size_t operator()(const MeasureKey& k) const {
        size_t h = qHash(k.text);
        h ^= std::hash<const void*>()(k.family) + 0x9e3779b9 + (h << 6) + (h >> 2);
        h ^= std::hash<uint32_t>()(k.sizeBits * 31u + uint32_t(k.style)) + 0x9e3779b9 + (h << 6) + (h >> 2);
        return h;
    }
};

// Text boxes depend only on family, text, size and style, so they are
// measured once; the table is emptied when it grows large.
class FontMeasurer final : public TextMeasurer {
public:
    TextMeasure Measure(EqModel* eq, gp::Graphics*, const EqFont* family, const QString& text, float emSize,
                        int style) override {
        if (!family && eq) family = EquationFonts(eq).serifFamily;
        if (!family || !(emSize > 0) || !std::isfinite(emSize)) return {};
        uint32_t bits;
        std::memcpy(&bits, &emSize, sizeof bits);
        MeasureKey key{family, text, bits, style};
        std::lock_guard<std::mutex> lock(m_mutex);
        if (auto it = m_cache.find(key); it != m_cache.end()) return it->second;
        const TextMeasure m = measure(eq, family, text, emSize, style);
        if (m_cache.size() >= kMaxEntries) m_cache.clear();
        m_cache.emplace(std::move(key), m);
        return m;
    }

private:
    static constexpr size_t kMaxEntries = 8192;

    static TextMeasure measure(EqModel* eq, const EqFont* family, const QString& text, float emSize, int style) {
        gp::StringFormat format;
        format.SetAlignment(gp::StringAlignmentCenter);
        format.SetLineAlignment(gp::StringAlignmentNear);
        const gp::StringFormat& f = eq ? EquationFonts(eq).stringFormat : format;
        const gp::Font font(family->family, emSize, style, gp::UnitPixel);
        gp::RecordingGraphics scratch;
        gp::RectF box;
        if (scratch.MeasureString(text, font, gp::RectF{}, f, &box) != gp::Ok) return {};
        gp::GraphicsPath path;
        path.AddString(text, family->family, style, emSize, box, f);
        TextMeasure m;
        m.boxWidth = box.width;
        m.boxHeight = box.height;
        m.ink = path.GetBounds();
        if (m.ink.width == 0 && m.ink.height == 0) {
            m.ink = gp::RectF{box.width / 2, box.height / 2, 0, 0};
        } else {
            m.ink.x -= box.x;
            m.ink.y -= box.y;
        }
        return m;
    }

    std::mutex m_mutex;
    std::unordered_map<MeasureKey, TextMeasure, MeasureKeyHash> m_cache;
};

}  // namespace

TextMeasurer& FontTextMeasurer() {
    static FontMeasurer measurer;
    return measurer;
}

TextMeasure MeasureText(EqModel* eq, gp::Graphics* graphics, const EqFont* family, const QString& text, float emSize,
                        int style) {
    const RenderContext* context = PassContext(eq);
    return context ? context->measurer->Measure(eq, graphics, family, text, emSize, style) : TextMeasure{};
}

// ---- glyph symbols

bool EnsureGlyphPath(EqElement* e) {
    if (!e) return false;
    if (e->glyph) return true;
    const int32_t t = e->type;
    if (t != EqTypeGlyphSymbol && t != EqTypeGlyphSymbolBold && !IsExtArrowGlyphType(t)) return false;
    const SymbolLibrary* library = PassSymbols(e);
    const GlyphOutline* source = library ? library->glyph(e->ch) : nullptr;
    if (!source) return false;
    auto copy = std::make_unique<GlyphOutline>();
    CopyGlyph(*copy, *source);
    EnsureGlyphOwnPath(*copy);
    e->glyph = std::move(copy);
    return true;
}

// ---- shared factors

float ScriptScaleFactor(const EqModel* eq) {
    constexpr float kDefault = 0.56f;
    const float v = eq ? SpacingOf(eq, SpacingScriptScale) : kDefault;
    if (!std::isfinite(v) || v <= 0) return kDefault;
    return std::clamp(v, 0.05f, 4.0f);
}

ArcMarkGeometry ArcMarkShape(const EqElement* e, float size) {
    ArcMarkGeometry a;
    if (!e) return a;
    const float r = (e->ascent + e->descent) * 0.707f;
    if (!std::isfinite(r) || r <= 0) return a;
    a.radius = r;
    const float t = 100.0f * size / (r * std::numbers::pi_v<float>);
    a.gapDegrees = std::isfinite(t) ? std::clamp(t, 0.0f, 45.0f) : 45.0f;
    return a;
}

float LonePrimeFontSize(const EqModel* eq, float fontSize) { return fontSize * 0.8f / ScriptScaleFactor(eq); }

float measure::scriptScale(const EqElement* e, float s) { return s * ScriptScaleFactor(e->owner); }

// ---- characters

namespace {

int styleOfType(int32_t type) {
    switch (type) {
    case EqTypeCharItalic: return gp::FontStyleItalic;
    case EqTypeCharBold: return gp::FontStyleBold;
    case EqTypeCharBoldItalic: return gp::FontStyleBoldItalic;
    default: return gp::FontStyleRegular;
    }
}

bool isPrime(uint16_t c) { return c >= 0x2032 && c <= 0x2034; }

// The alone and tight flags of a character (see MeasureCharElement).
void neighbourFlags(const EqElement* e, bool* alone, bool* tight) {
    *alone = *tight = true;
    if (IsCharType(e) && e->ch == '/') return;
    if (IsCharType(prevSkipped(e))) *alone = *tight = false;
    const EqElement* n = nextSkipped(e);
    if (!n) return;
    if (IsCharType(n)) {
        if (isPrime(n->ch) || n->ch == 0x00B0) {
            *tight = true;
        } else if (n->ch == 0x2035) {
            *tight = false;
            *alone = true;
        } else {
            *tight = false;
        }
    } else if (inRange(n->type, EqTypeSuperscript, EqTypeSubSuperscript)) {
        *tight = true;
    }
}

void neighbourCorrections(EqElement* e, float S2) {
    const EqElement* n = nextSkipped(e);
    const EqElement* p = prevSkipped(e);
    const auto is = [](const EqElement* x, int32_t t) { return x && x->type == t; };
    if (IsPunctuationChar(e->ch)) {
        if (n && IsGlyphSymbolType(n->type)) {
            e->width += 0.12f * S2;
            e->xOffset -= 0.06f * S2;
        } else if (is(n, EqTypeFraction)) {
            e->width += 0.1f * S2;
            e->xOffset -= 0.05f * S2;
        }
        if (p && IsGlyphSymbolType(p->type)) {
            e->width += 0.12f * S2;
            e->xOffset += 0.06f * S2;
        } else if (is(p, EqTypeFraction)) {
            e->width += 0.08f * S2;
            e->xOffset += 0.04f * S2;
        }
        return;
    }
    if (is(n, EqTypeFraction) || is(n, EqTypeCases)) {
        e->width += 0.12f * S2;
        e->xOffset -= 0.04f * S2;
    }
    if (p && IsGlyphSymbolType(p->type)) {
        e->width += 0.03f * S2;
        e->xOffset += 0.03f * S2;
    } else if (is(p, EqTypeFraction)) {
        e->width += 0.08f * S2;
        e->xOffset += 0.04f * S2;
    }
}

}  // namespace

void MeasureCharElement(EqElement* e, gp::Graphics* g, float s, uint8_t flag) {
    EqModel* eq = e->owner;
    const float S = baseSize(e) * s;
    float emSize = S;
    e->ch2 = e->ch;
    e->width = e->xOffset = 0;

    // Family and the code measured.
    const bool isChar = IsCharType(e);
    bool cjk = false;
    uint16_t code = e->ch;
    if (eq) {
        if (e->type == EqTypeCharMono) {
            UseMonoFamily(eq);
        } else if (e->type == EqTypeCharSans) {
            UseSansFamily(eq);
        } else if (IsDigitElement(e)) {
            UseSecondFamily(eq);
        } else if (IsCJKElement(e)) {
            UseTextFamily(eq);
            cjk = true;
            code = 0xCCCC;
            emSize *= SpacingOf(e, SpacingCJKScale);
        } else {
            code = e->ch2 = ChooseFamily(eq, e->ch);
        }
        e->font = EquationFonts(eq).currentFamily;
        // A character the family lacks is measured and drawn with one that has it.
        if (isChar && e->ch2 > 0x20) e->font = FamilyWithCharacter(eq, e->font, e->ch2);
    }
    if (!isChar || e->ch == 0 || e->ch == 0x20) code = 'z';
    e->fontSize = emSize;
    const int style = IsDigitElement(e) || !isChar ? gp::FontStyleRegular : styleOfType(e->type);

    const TextMeasure m = MeasureText(eq, g, e->font, QString(QChar(code)), emSize, style);
    const float k = flag ? SpacingOf(e, SpacingScriptWiden) : 1.0f;
    const float B = m.boxWidth * k;
    const float x = m.ink.x * k;
    const float iw = m.ink.width * k;
    const float S2 = S * k;

    const bool head = e->type == EqTypeChainHead;
    if (head && e->next) {
        e->width = 0;
    } else if (e->type == EqTypeCharSans || e->type == EqTypeCharMono) {
        e->width = 0.55f * B + SpacingOf(e, SpacingElementGap) * S;
    } else {
        bool alone;
        bool tight;
        neighbourFlags(e, &alone, &tight);
        if ((!alone && !tight) || cjk) {
            e->width = B - 0.36f * S2;
            e->xOffset = 0;
        } else if (tight && !alone) {
            e->width = x + iw - 0.15f * S2;
            e->xOffset = B / 2 - (x + iw / 2);
        } else if (tight) {
            e->width = iw;
            e->xOffset = B / 2 - (x + iw / 2);
        } else {
            e->width = B - x - 0.18f * S2;
            e->xOffset = B / 2 - (x + e->width / 2);
        }
        if (!tight) {
            const float gap = CharGapAfter(e) * S2;
            e->width += gap;
            e->xOffset -= gap / 2;
        }
        neighbourCorrections(e, S2);
        switch (e->ch) {
        case '*':
        case '|':
            e->width += 0.09f * S2;
            e->xOffset += 0.02f * S2;
            break;
        case ':':
            e->width += 0.09f * S2;
            break;
        case '_':
            e->width -= 0.25f * S2;
            break;
        default:
            break;
        }
    }

    const float margin = eq ? eq->fontMetrics[MetricMargin] : 0.0f;
    e->ascent = e->descent = m.boxHeight / 2 - margin * S;

    if (isChar && !e->payload.empty())
        LayoutAccentObject(e, g, s, flag, S, QString(QChar(e->ch2)), nullptr);
    else
        e->shape.reset();
}

// ---- spaces

void MeasureSpace(EqElement* e, gp::Graphics* g, float s, uint8_t) {
    EqModel* eq = e->owner;
    const float S = baseSize(e) * s;
    e->fontSize = S;
    const TextMeasure m = MeasureText(eq, g, e->font, QStringLiteral("M"), S, gp::FontStyleItalic);
    const float W = m.ink.width;
    const float margin = eq ? eq->fontMetrics[MetricMargin] : 0.0f;
    e->ascent = e->descent = m.boxHeight / 2 - margin * S;
    e->xOffset = 0;
    switch (e->type) {
    case EqTypeSpaceNegThin: e->width = -W / 6; break;
    case EqTypeSpaceHair: e->width = W / 18; break;
    case EqTypeSpaceThin: e->width = W / 6; break;
    case EqTypeSpaceMedium: e->width = W / 4.5f; break;
    case EqTypeSpaceThick: e->width = W * 5 / 18; break;
    case EqTypeSpaceThird: e->width = W / 3; break;
    case EqTypeSpaceQuad: e->width = W; break;
    case EqTypeSpaceQquad: e->width = 2 * W; break;
    case EqTypeSpaceHalf: e->width = W / 2; break;
    default: {
        const float t = GetSpaceAmount(e);
        switch (e->ch & 0x0F) {
        case 1: e->width = t * W / 18; break;
        case 2: e->width = t * S / 2; break;
        case 3: e->width = 12 * t * s; break;
        case 4:
        case 5: e->width = t * s; break;
        case 6: e->width = 72 * t * s; break;
        case 7: e->width = 2.83f * t * s; break;
        case 8: e->width = 28.3f * t * s; break;
        case 9: e->width = t * S * 0.01f; break;
        default: e->width = t * W; break;
        }
        break;
    }
    }
}

// ---- glyph symbols

void MeasureGlyphSymbol(EqElement* e, gp::Graphics* g, float s, uint8_t flag) {
    if (!EnsureGlyphPath(e)) {
        MeasureCharElement(e, g, s, flag);
        return;
    }
    const float S = baseSize(e) * s;
    const GlyphOutline& o = *e->glyph;
    e->fontSize = S;
    float w = S * (o.m[0] / 100) - 0.36f * S + SpacingOf(e, SpacingElementGap) * S;
    if (IsGlyphSymbolOperator(e)) w += 0.35f * S;
    if (e->type == EqTypeGlyphSymbolBold) w += 0.05f * S;
    setBox(e, w, o.m[1] * S / 100, o.m[2] * S / 100);
    if (!e->payload.empty())
        LayoutAccentObject(e, g, s, flag, S, QString(QChar(e->ch)), e->glyph.get());
    else
        e->shape.reset();
}

// ---- calculation results

void MeasureCalcResult(EqElement* e, gp::Graphics* g, float s, uint8_t flag) {
    CalcResult r;
    if (GetCalcResult(e, &r)) FormatCalcResult(e, r.value, r.format, r.angle);
    const float S = baseSize(e) * s;
    const ChainBox c = layChild(e, 0, g, s, flag);
    setBox(e, c.width, c.ascent, c.descent);
    if (IsCharType(prevSkipped(e))) {
        e->width += 0.1f * S;
        e->xOffset = 0.1f * S;
    }
    if (e->next) e->width += 0.1f * S;
}

// ---- arrow widths

float ArrowWidthFactor(int32_t t) {
    if (t == 508 || t == 512 || t == 516 || t == 520 || t == 521 || t == 523) return 0.5f;
    if (inRange(t, 524, 529)) return 1.4f;
    if (t == 532 || t == 533) return 1.1f;
    if (t == 534 || t == 535) return 0.8f;
    if (inRange(t, 536, 538)) return 1.6f;
    if (t == 541) return 1.2f;
    if (IsBoxedArrowType(t)) return 0.9f;
    return 1.0f;
}

}  // namespace toliva
