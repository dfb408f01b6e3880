// Writes a recorded drawing as a Windows metafile (16-bit records).
//
// Windows metafiles have no world transform, no Béziers and 16-bit
// coordinates: the writer maps everything to device space itself, flattens
// curves, draws pens that a metafile pen cannot reproduce (dashes, square or
// flat caps, mitred or bevelled joins, uneven transforms) as filled
// outlines, approximates clips by their bounding rectangles and stores
// transparent bitmaps as a mask and a colour bitmap. Coordinates are in
// units of 1/unitsPerInch inch; when the drawing would overflow 16 bits the
// writer uses fewer units per inch.
#pragma once

#include <QByteArray>
#include <QString>

namespace toliva::emf {

struct DisplayList;

struct WmfOptions {
    bool placeable = true;     // start with the 22-byte placeable header
    int unitsPerInch = 1440;   // wanted resolution of the coordinates
};

struct WmfLayout {
    int unitsPerInch = 0;      // the resolution actually used
    int width = 0, height = 0; // the frame in those units
};

class WmfWriter {
public:
    // Empty with *error set when a comment does not fit its 16-bit record.
    static QByteArray write(const DisplayList& list, const WmfOptions& options = WmfOptions(),
                            QString* error = nullptr, WmfLayout* layout = nullptr);
};

}  // namespace toliva::emf
