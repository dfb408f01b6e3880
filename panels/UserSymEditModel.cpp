#include "panels/UserSymEditModel.h"

#include "model/EqElement.h"
#include "model/EqFonts.h"
#include "model/EqLayout.h"
#include "model/EqModel.h"
#include "model/EqTypes.h"
#include "model/GlyphOutline.h"
#include "model/RenderContext.h"
#include "platform/RegKey.h"

#include <Qt>

#include <algorithm>
#include <cmath>

namespace toliva {

namespace {

bool IsCharacterType(int32_t type) {
    return (type >= EqTypeCharUpright && type <= EqTypeCharText) || type == EqTypeCharSans ||
           type == EqTypeCharMono;
}

bool IsGlyphType(int32_t type) {
    return type == EqTypeGlyphSymbol || type == EqTypeUserSymbol || type == EqTypeGlyphSymbolBold;
}

float ClampScale(double scale) {
    if (!std::isfinite(scale)) scale = 0;
    return float(std::clamp(scale, double(UserSymEditModel::kScaleMin), double(UserSymEditModel::kScaleMax)));
}

// Appends an element after predecessor and makes it the caret.
EqElement* Append(EqModel* eq, EqElement* predecessor, int32_t type, uint16_t ch) {
    EqElement* e = NewChildElement(nullptr, type, ch, predecessor);
    if (e) SetEquationCaret(eq, e);
    return e;
}

}  // namespace

void UserSymNeighboursOf(EqModel* eq, PreviewNeighbour& caret, PreviewNeighbour& after) {
    caret = {};
    after = {};
    EqElement* e = eq ? GetEquationCaret(eq) : nullptr;
    if (!e) return;
    caret = {e->type, e->ch};
    if (e->next) after = {e->next->type, e->next->ch};
}

GlyphMetricsBlock GlyphMetricsBlock::From(const GlyphOutline& g) {
    GlyphMetricsBlock b;
    b.width = g.m[0];
    b.ascent = g.m[1];
    b.descent = g.m[2];
    b.xOffset = g.m[3];
    b.yOffset = g.m[4];
    b.scale = g.scale;
    b.hollow = g.strokeOnly;
    b.colour = g.colour;
    return b;
}

void GlyphMetricsBlock::ApplyTo(GlyphOutline& g) const {
    g.m[0] = width;
    g.m[1] = ascent;
    g.m[2] = descent;
    g.m[3] = xOffset;
    g.m[4] = yOffset;
    g.scale = scale;
    g.strokeOnly = hollow;
    g.colour = colour;
}

void ReadUserSymDefaults(GlyphMetricsBlock& block) {
    RegKey key;
    OpenRegKey(kUserSymRegKeyName, key);
    float x = 0, y = 0, scale = 1.0f;
    int hollow = 0, colour = 0;
    ReadRegFloat(key, QStringLiteral("pos_x"), x, 0);
    ReadRegFloat(key, QStringLiteral("pos_y"), y, 0);
    ReadRegFloat(key, QStringLiteral("scale"), scale, 1.0f);
    ReadRegDword(key, QStringLiteral("hollow"), hollow, 0);
    ReadRegDword(key, QStringLiteral("color"), colour, 0);
    CloseRegKey(key);
    // Damaged values (not finite, or beyond what a glyph record may hold)
    // give the defaults rather than a symbol that cannot be drawn or stored.
    block.xOffset = std::isfinite(x) && std::fabs(x) <= kMaxGlyphUnits ? x : 0.0f;
    block.yOffset = std::isfinite(y) && std::fabs(y) <= kMaxGlyphUnits ? y : 0.0f;
    block.scale = std::isfinite(scale) && scale >= UserSymEditModel::kScaleMin &&
                          scale <= UserSymEditModel::kScaleMax
                      ? scale
                      : 1.0f;
    block.hollow = hollow != 0 ? 1 : 0;
    block.colour = uint32_t(colour) & 0xFFFFFFu;
}

void WriteUserSymDefaults(const GlyphMetricsBlock& block) {
    RegKey key;
    if (!OpenRegKey(kUserSymRegKeyName, key)) return;
    WriteRegFloat(key, QStringLiteral("pos_x"), block.xOffset);
    WriteRegFloat(key, QStringLiteral("pos_y"), block.yOffset);
    WriteRegFloat(key, QStringLiteral("scale"), block.scale);
    WriteRegDword(key, QStringLiteral("hollow"), block.hollow != 0 ? 1 : 0);
    WriteRegDword(key, QStringLiteral("color"), int(block.colour));
    CloseRegKey(key);
}

double ParseTypedNumber(const QString& text) {
    const QByteArray bytes = text.trimmed().toLatin1();
    const char* start = bytes.constData();
    char* end = nullptr;
    const double value = std::strtod(start, &end);
    if (end == start || !std::isfinite(value)) return 0;
    return value;
}

// ---- the model

UserSymEditModel::UserSymEditModel() = default;

UserSymEditModel::~UserSymEditModel() { DeletePreview(); }

void UserSymEditModel::SetWorkingGlyph(const GlyphOutline& glyph) {
    m_working = std::make_unique<GlyphOutline>();
    CopyGlyph(*m_working, glyph);
}

void UserSymEditModel::ClearWorkingGlyph() { m_working.reset(); }

void UserSymEditModel::DeletePreview() {
    if (m_preview) DeleteEqModel(m_preview);
    m_preview = nullptr;
    m_box = {};
    m_bands = {};
}

const RenderContext& UserSymEditModel::ContextOf(UserSymSheet* sheet) {
    if (sheet) {
        if (const RenderContext* context = sheet->renderContext()) return *context;
    }
    static const RenderContext own = RenderContext::FromDataFolder();
    return own;
}

void UserSymEditModel::BuildPreview(UserSymSheet* sheet) {
    if (!m_working) return;
    DeletePreview();
    EqLayoutSettings settings;
    const bool haveSheet = sheet && sheet->layoutSettings(settings);
    m_preview = haveSheet ? new EqModel(settings) : new EqModel();
    EqLayoutSettings& s = m_preview->settings;
    s.options[EqLayoutSettings::OptLineAlignment] = 1;
    const float sheetSize = s.fontSize;
    s.size2 = sheetSize > 0 && std::isfinite(s.size2) ? s.size2 * 100.0f / sheetSize : 100.0f;
    s.fontSize = 100.0f;
    m_preview->needsLayout = 1;

    EqElement* head = AddEmptyLine(m_preview);
    if (!head) return;
    PreviewNeighbour before, after;
    if (sheet) {
        before = sheet->caretElement();
        after = sheet->elementAfterCaret();
    }
    if (!IsCharacterType(before.type)) before = {EqTypeCharItalic, uint16_t('A')};
    if (!IsCharacterType(after.type)) after = {EqTypeCharItalic, uint16_t('x')};

    EqElement* first = Append(m_preview, head, before.type, before.ch);
    EqElement* symbol = Append(m_preview, first, EqTypeUserSymbol, uint16_t(m_working->charCode));
    if (symbol) {
        symbol->glyph = std::make_unique<GlyphOutline>();
        CopyGlyph(*symbol->glyph, *m_working);
        EnsureGlyphOwnPath(*symbol->glyph);
    }
    Append(m_preview, symbol, after.type, after.ch);
    code = uint16_t(m_working->charCode);
    hollow = m_working->strokeOnly != 0;
}

EqElement* UserSymEditModel::symbolElement() const {
    if (!m_preview || m_preview->lines.empty() || !m_preview->lines[0]) return nullptr;
    for (EqElement* e = m_preview->lines[0]; e; e = e->next)
        if (IsGlyphType(e->type) && e->glyph) return e;
    return nullptr;
}

GlyphOutline* UserSymEditModel::symbol() const {
    EqElement* e = symbolElement();
    return e ? e->glyph.get() : nullptr;
}

EqElement* UserSymEditModel::firstCharacter() const {
    if (!m_preview || m_preview->lines.empty() || !m_preview->lines[0]) return nullptr;
    for (EqElement* e = m_preview->lines[0]; e; e = e->next)
        if (IsCharacterType(e->type)) return e;
    return nullptr;
}

bool UserSymEditModel::Layout(const QRect& client, const RenderContext& context) {
    m_box = {};
    m_bands = {};
    if (!m_preview || m_preview->lines.empty() || !m_preview->lines[0]) return false;
    EqElement* head = m_preview->lines[0];
    {
        const RenderScope pass(m_preview, context);
        if (m_preview->needsLayout) {
            MeasureFontMetrics(nullptr, m_preview);
            m_preview->needsLayout = 0;
        }
        LayoutLines(context, m_preview, nullptr, float(m_zoom), 0, false);
    }
    m_lineX = float(client.left()) + float(client.width()) / 2.0f - head->chainWidth / 2.0f;
    m_baselineY = float(client.top()) + float(client.height()) / 2.0f;
    PlaceChain(head, m_lineX, m_baselineY);
    if (EqElement* e = symbolElement()) {
        m_box = QRectF(e->rect.x, e->rect.y, e->rect.width, e->rect.height);
        const int x = int(std::lround(m_box.x())), y = int(std::lround(m_box.y()));
        const int w = int(std::lround(m_box.width())), h = int(std::lround(m_box.height()));
        m_bands[kLeft] = QRect(QPoint(x - 5, client.top()), QPoint(x + 5, client.bottom()));
        m_bands[kBottom] = QRect(QPoint(client.left(), y + h - 5), QPoint(client.right(), y + h + 5));
        m_bands[kRight] = QRect(QPoint(x + w - 5, client.top()), QPoint(x + w + 5, client.bottom()));
        m_bands[kTop] = QRect(QPoint(client.left(), y - 5), QPoint(client.right(), y + 5));
    }
    return true;
}

void UserSymEditModel::MouseDown(QPoint point) {
    m_last = point;
    m_dragging = true;
    m_picked = kNone;
    if (!symbol()) return;
    for (int i = 0; i < 4; ++i) {
        if (m_bands[size_t(i)].contains(point)) {
            m_picked = i;
            break;
        }
    }
}

bool UserSymEditModel::MouseMove(QPoint point) {
    if (!m_dragging) return false;
    GlyphOutline* g = symbol();
    const float dx = float(point.x() - m_last.x()) / float(m_zoom);
    const float dy = float(point.y() - m_last.y()) / float(m_zoom);
    m_last = point;
    if (!g) return false;
    switch (m_picked) {
    case kLeft: g->m[0] -= 2 * dx; break;
    case kRight: g->m[0] += 2 * dx; break;
    case kBottom: g->m[1] += dy; g->m[2] += dy; break;
    case kTop: g->m[1] -= dy; g->m[2] -= dy; break;
    default:
        if (dx == 0 && dy == 0) return false;
        g->m[3] += dx;
        g->m[4] += dy;
        return true;
    }
    for (int i = 0; i < 3; ++i) g->m[i] = std::max(g->m[i], kBoxMin);
    return true;
}

void UserSymEditModel::MouseUp() {
    m_dragging = false;
    m_picked = kNone;
}

bool UserSymEditModel::Wheel(int delta, bool ctrl) {
    if (m_dragging) return false;
    if (ctrl) {
        GlyphOutline* g = symbol();
        if (!g) return false;
        g->scale = ClampScale(double(g->scale) * (delta >= 0 ? 1.25 : 0.8));
    } else {
        if (delta > 0) m_zoom += kZoomStep;
        else if (delta < 0) m_zoom -= kZoomStep;
        m_zoom = std::max(m_zoom, kZoomMin);
    }
    return true;
}

bool UserSymEditModel::Key(int key, bool ctrl) {
    if (key != Qt::Key_Left && key != Qt::Key_Right && key != Qt::Key_Up && key != Qt::Key_Down) return false;
    const float step = float(m_zoom * (ctrl ? 0.5 : 2.0));
    if (GlyphOutline* g = symbol()) {
        switch (key) {
        case Qt::Key_Left: g->m[3] -= step; break;
        case Qt::Key_Right: g->m[3] += step; break;
        case Qt::Key_Up: g->m[4] -= step; break;
        default: g->m[4] += step; break;
        }
    }
    return true;
}

bool UserSymEditModel::Reset(UserSymSheet* sheet) {
    if (!m_working) return false;
    m_working->m[3] = 0;
    m_working->m[4] = 0;
    BuildPreview(sheet);
    return true;
}

bool UserSymEditModel::FitToNeighbours() {
    GlyphOutline* g = symbol();
    EqElement* c = firstCharacter();
    if (!g || !c || m_zoom <= 0) return false;
    g->m[1] = float(c->ascent / m_zoom);
    g->m[2] = float(c->descent / m_zoom);
    return true;
}

bool UserSymEditModel::SetScalePercent(double percent) {
    GlyphOutline* g = symbol();
    if (!g) return false;
    g->scale = ClampScale(std::isfinite(percent) ? percent / 100.0 : 0.0);
    return true;
}

bool UserSymEditModel::SetColour(uint32_t colour) {
    GlyphOutline* g = symbol();
    if (!g) return false;
    g->colour = colour & 0xFFFFFFu;
    return true;
}

bool UserSymEditModel::Slant(double degrees) {
    GlyphOutline* g = symbol();
    if (!g || !std::isfinite(degrees)) return false;
    // The slant is a tangent: near a right angle it is huge, and the
    // outline would be stretched beyond repair.
    const double folded = std::fmod(std::fabs(degrees), 180.0);
    if (std::fabs(folded - 90.0) < 90.0 - kSlantLimitDegrees) return false;
    const double radians = degrees * 3.141592653589793 / 180.0;
    GlyphOutline before;
    CopyGlyph(before, *g);
    ShearGlyph(*g, radians);
    for (const gp::PointF& p : g->points) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || std::fabs(p.x) > kMaxGlyphUnits ||
            std::fabs(p.y) > kMaxGlyphUnits) {
            CopyGlyph(*g, before);
            EnsureGlyphOwnPath(*g);
            return false;
        }
    }
    return true;
}

bool UserSymEditModel::FlipHorizontal() {
    GlyphOutline* g = symbol();
    if (!g) return false;
    FlipGlyphHorizontal(*g);
    return true;
}

bool UserSymEditModel::FlipVertical() {
    GlyphOutline* g = symbol();
    if (!g) return false;
    FlipGlyphVertical(*g);
    return true;
}

bool UserSymEditModel::SetHollow(bool value) {
    if (value == hollow) return false;
    hollow = value;
    if (GlyphOutline* g = symbol()) g->strokeOnly = value ? 1 : 0;
    if (m_working) m_working->strokeOnly = value ? 1 : 0;
    return true;
}

void UserSymEditModel::MergePicked(const GlyphOutline& picked, UserSymSheet* sheet) {
    if (GlyphOutline* g = symbol()) saved = GlyphMetricsBlock::From(*g);
    m_working = std::make_unique<GlyphOutline>();
    CopyGlyph(*m_working, picked);
    saved.ApplyTo(*m_working);
    m_working->m[0] = picked.m[0];
    m_working->m[1] = picked.m[2];
    m_working->m[2] = picked.m[2];
    EnsureGlyphOwnPath(*m_working);
    BuildPreview(sheet);
}

GlyphOutline* UserSymEditModel::Finish(int newCode) {
    GlyphOutline* g = symbol();
    if (!g) return nullptr;
    code = newCode;
    saved = GlyphMetricsBlock::From(*g);
    g->charCode = int16_t(uint16_t(newCode));
    return g;
}

}  // namespace toliva
