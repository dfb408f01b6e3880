// Glyph list bytes: read, draw every glyph, store again and check that the
// stored list reads back to the same bytes.
#include "model/GlyphOutline.h"
#include "platform/Archive.h"
#include "platform/gdiplus/Graphics.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstring>

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
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    Archive in(input);
    GlyphList list;
    bool partial = false;
    ReadGlyphList(in, list, true, &partial);
    // A read that says it is whole got every record the count promised; the
    // panel relies on this before it overwrites a user's file.
    if (!partial) {
        if (size < 4) __builtin_trap();
        int32_t promised = 0;
        std::memcpy(&promised, input.constData(), sizeof promised);
        if (promised < 0 || size_t(promised) != list.size()) __builtin_trap();
    }
    // A user-chosen file is appended to what the list holds: the records
    // read before any damage stay, appended after the ones already there.
    {
        Archive twice(input);
        GlyphList appended;
        appended.push_back(std::make_unique<GlyphOutline>());
        bool partialAgain = false;
        ReadGlyphList(twice, appended, false, &partialAgain);
        if (partialAgain != partial || appended.size() != list.size() + 1) __builtin_trap();
    }

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
