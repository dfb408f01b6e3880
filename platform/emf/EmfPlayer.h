// Draws an enhanced metafile through a QPainter.
//
// Covers every record the recorder writes, and reads files from elsewhere on
// a best-effort basis: mapping modes, clipping by rectangles, regions and
// paths, arcs, text (with a stand-in font) and bitmaps. The bytes are
// untrusted: records are bounded by the data (see EmfRecordWalker), every
// field is read through bounds checks, object handles are bounded by the
// header's handle count and saved states by a fixed depth; records it does
// not know are skipped.
#pragma once

#include "platform/emf/EmfInfo.h"

#include <QByteArray>
#include <QList>
#include <QRectF>

class QPainter;

namespace toliva::emf {

struct EmfPlayResult {
    bool valid = false;        // the bytes start with a metafile header
    EmfHeader header;
    QList<QByteArray> comments;
    int records = 0;           // records read after the header
    bool reachedEof = false;   // the walk ended at the end record
};

// Saved states deeper than this are not kept (their restores still pair up).
constexpr int kMaxSavedStates = 1024;

class EmfPlayer {
public:
    // Maps the picture's frame onto target (in the painter's coordinates)
    // and draws the records. The painter's state is the same afterwards.
    static EmfPlayResult play(const QByteArray& emf, QPainter* painter, const QRectF& target);
};

}  // namespace toliva::emf
