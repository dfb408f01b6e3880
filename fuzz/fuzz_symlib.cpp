// Symbol library bytes: read the three parts, look every entry up, draw the
// glyphs, outlines and operator records, store the library again and check
// that the stored bytes read back to the same bytes.
#include "model/GlyphOutline.h"
#include "model/OperatorPrimitives.h"
#include "model/SymbolLibrary.h"
#include "platform/Archive.h"
#include "platform/gdiplus/Graphics.h"
#include "platform/gdiplus/GraphicsPath.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

using namespace toliva;

namespace {

QByteArray store(const SymbolLibrary& lib) {
    QByteArray bytes;
    Archive ar(&bytes, Archive::Store);
    WriteSymbolLibrary(ar, lib);
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Archive in(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    SymbolLibrary lib;
    ReadSymbolLibrary(in, lib);

    gp::RecordingGraphics rec;
    for (int code = 0; code <= int(lib.glyphs.size()) + 1; ++code) {
        if (GlyphOutline* g = lib.glyph(code)) DrawGlyph(rec, 0xFF000000, true, true, *g);
        GlyphScriptOffset(code);
    }
    for (int i = -1; i <= int(lib.outlines.size()); ++i) {
        if (GlyphOutline* g = lib.outline(i)) {
            gp::GraphicsPath path;
            GetGlyphPath(*g, path, 220, -9.999f);
            path.GetBounds();
        }
    }
    OperatorFrame frame;
    frame.unit = 20;
    frame.strokeWidth = 1;
    for (int type = kFirstOperatorType - 1; type <= kLastOperatorType + 1; ++type) {
        if (const OperatorDrawRecord* r = lib.operatorRecord(type)) {
            DrawOperatorRecord(*r, frame, rec);
            DrawOperatorNegation(type - kFirstOperatorType, frame, rec);
        }
    }
    if (rec.GetTransform() != gp::Matrix()) __builtin_trap();

    const QByteArray first = store(lib);
    Archive again(first);
    SymbolLibrary back;
    ReadSymbolLibrary(again, back);
    if (again.bytesLeft() != 0 || store(back) != first) __builtin_trap();
    return 0;
}
