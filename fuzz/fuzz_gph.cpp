// Glyph list bytes: read, draw every glyph, store again and check that the
// stored list reads back to the same bytes.
#include "model/GlyphOutline.h"
#include "platform/Archive.h"
#include "platform/gdiplus/Graphics.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

using namespace toliva;

namespace {

QByteArray store(GlyphList& list) {
    QByteArray bytes;
    Archive ar(&bytes, Archive::Store);
    ar.writeI32(int32_t(list.size()));
    for (auto& g : list) SerializeGlyph(*g, ar);
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Archive in(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    GlyphList list;
    ReadGlyphList(in, list, true);

    gp::RecordingGraphics rec;
    for (auto& g : list) {
        DrawGlyph(rec, 0, false, true, *g);
        gp::GraphicsPath scaled;
        GetGlyphPath(*g, scaled, 150, 12);
        scaled.toQPainterPath();
        scaled.GetBounds();
    }

    const QByteArray first = store(list);
    Archive again(first);
    GlyphList back;
    ReadGlyphList(again, back, true);
    if (back.size() != list.size() || store(back) != first) __builtin_trap();

    if (!list.empty()) {
        GlyphOutline& g = *list.front();
        ShearGlyph(g, 0.2);
        FlipGlyphHorizontal(g);
        FlipGlyphVertical(g);
        GlyphOutline copy;
        CopyGlyph(copy, g);
        if (!GlyphsEqual(copy, g)) __builtin_trap();
    }
    return 0;
}
