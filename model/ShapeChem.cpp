#include "model/ShapeChem.h"

#include "model/EqDraw.h"
#include "model/EqDrawers.h"
#include "model/EqElement.h"
#include "model/EqLayout.h"
#include "model/EqTypes.h"
#include "platform/gdiplus/Brush.h"
#include "platform/gdiplus/Graphics.h"
#include "platform/gdiplus/Pen.h"

namespace toliva {

namespace {

constexpr int kPayloadBytes = 5;

// Offsets of one, two or three marks along their side, in units.
constexpr float kOffsets[4][3] = {{0, 0, 0}, {0, 0, 0}, {-2, 2, 0}, {-4, 0, 4}};

float shiftOf(uint8_t shift, float u) {
    if (shift == 1) return 4 * u;
    if (shift == 2) return -4 * u;
    return 0;
}

void drawMark(gp::Graphics& g, uint8_t kind, float cx, float cy, float u, gp::ARGB colour) {
    if (kind == 1) {
        g.FillEllipse(gp::SolidBrush(colour), cx - u, cy - u, 2 * u, 2 * u);
        return;
    }
    const float d = 1.4f * u;
    const gp::Pen pen(colour, 0.5f * u);
    g.DrawLine(pen, cx - d, cy - d, cx + d, cy + d);
    g.DrawLine(pen, cx - d, cy + d, cx + d, cy - d);
}

}  // namespace

ChemMarks DecodeChemMarks(const std::vector<uint8_t>& payload) {
    uint8_t bytes[kPayloadBytes] = {};
    for (size_t i = 0; i < kPayloadBytes && i < payload.size(); ++i) bytes[i] = payload[i];
    ChemMarks m;
    for (int side = 0; side < 4; ++side) {
        const uint8_t b = bytes[side];
        uint8_t fields[3] = {uint8_t(b & 3), uint8_t((b >> 2) & 3), uint8_t((b >> 4) & 3)};
        ChemMarks::Side& s = m.sides[side];
        for (const uint8_t f : fields)
            if (f != 0) ++s.count;
        for (int i = 0; i < 3; ++i) s.kinds[i] = fields[i];
    }
    m.shift = bytes[4];
    return m;
}

void CKwEE_O_ChemEForm::Layout(EqElement* e, gp::Graphics* graphics, float s, uint8_t flag) {
    CKwEE_O::Layout(e, graphics, s, flag);
    if (!e) return;
    const float u = unit = 0.07f * size;

    float w = 0;
    float a = 0;
    float d = 0;
    if (EqElement* content = ChildChain(e, 0)) {
        LayoutElement(content, graphics, s, flag);
        w = content->chainWidth;
        a = content->chainAscent;
        d = content->chainDescent;
    }
    e->width = w + 12 * u;
    e->ascent = a + 3 * u;
    e->descent = d + 3 * u;
    e->xOffset = 0;

    afterCompact = e->prev && IsCompactGroupType(e->prev->type) ? 1 : 0;
    beforeCompact = e->next && IsCompactGroupType(e->next->type) ? 1 : 0;
    if (afterCompact) e->width -= 0.6f * u;
    if (beforeCompact) e->width -= 0.6f * u;

    marks = DecodeChemMarks(e->payload);
    if (marks.sides[ChemLeft].count == 0) e->width -= 4 * u;
    if (marks.sides[ChemRight].count == 0) e->width -= 4 * u;
    // The shift moves the content and the marks: the box grows with them,
    // so that nothing is drawn outside it.
    const float shift = shiftOf(marks.shift, u);
    if (shift > 0) e->descent += shift;
    if (shift < 0) e->ascent -= shift;
}

void CKwEE_O_ChemEForm::Draw(gp::Graphics* graphics, float x, float y, uint8_t flag) {
    EqElement* e = element;
    if (!e || !graphics) return;
    gp::Graphics& g = *graphics;
    const float u = unit;

    float cx = x + e->width / 2;
    if (marks.sides[ChemLeft].count == 0) cx -= 2 * u;
    if (marks.sides[ChemRight].count == 0) cx += 2 * u;
    if (afterCompact) cx -= 0.6f * u;
    if (beforeCompact) cx += 0.6f * u;
    const float line = y + shiftOf(marks.shift, u);

    EqElement* content = ChildChain(e, 0);
    const float w = draw::W(content);
    DrawChain(content, g, cx - w / 2, line, scale, flag != 0);

    const float leftX = cx - w / 2 - 3 * u;
    const float rightX = cx + w / 2 + 3 * u;
    const float topY = line - draw::A(content) - u;
    const float bottomY = line + draw::D(content) + u;
    const gp::ARGB colour = GetElementDrawColour(e, 7);

    for (int side = 0; side < 4; ++side) {
        const ChemMarks::Side& s = marks.sides[side];
        for (int i = 0; i < s.count; ++i) {
            const float offset = kOffsets[s.count][i] * u;
            switch (side) {
            case ChemLeft: drawMark(g, s.kinds[i], leftX, line + offset, u, colour); break;
            case ChemRight: drawMark(g, s.kinds[i], rightX, line + offset, u, colour); break;
            case ChemTop: drawMark(g, s.kinds[i], cx + offset, topY, u, colour); break;
            default: drawMark(g, s.kinds[i], cx + offset, bottomY, u, colour); break;
            }
        }
    }
}

}  // namespace toliva
