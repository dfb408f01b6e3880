// Writes a recorded drawing as an enhanced metafile.
#pragma once

#include "platform/emf/EmfDisplayList.h"

#include <QByteArray>

namespace toliva::emf {

// Logical units per device pixel the writer aims for: coordinates are whole
// numbers, so this is the precision of the stored drawing.
constexpr qreal kUnitsPerPixel = 16;

class EmfWriter {
public:
    // The whole file: header, records in the order of the list, end record.
    static QByteArray write(const DisplayList& list);
};

}  // namespace toliva::emf
