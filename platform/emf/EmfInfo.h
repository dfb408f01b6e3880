// Reading enhanced-metafile bytes without drawing: the header, a walk over
// the records that never leaves the data, and the comments.
#pragma once

#include "platform/emf/EmfBytes.h"

#include <QByteArray>
#include <QList>
#include <QRectF>
#include <QSize>

#include <cstdint>
#include <optional>

namespace toliva::emf {

// A rectangle as the file stores it (inclusive corners).
struct EmfRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = -1;
    int32_t bottom = -1;
};

struct EmfHeader {
    EmfRect bounds;        // device pixels
    EmfRect frame;         // 0.01 mm
    QSize deviceSize;      // reference device, pixels
    QSize millimetres;     // reference device, millimetres
    uint32_t bytes = 0;    // as the header states it
    uint32_t records = 0;
    uint16_t handles = 0;

    // Pixels of the reference device per millimetre (x, y); 0 when unknown.
    QPointF pixelsPerMm() const;
    // The picture's rectangle in device pixels: the frame, or the bounds when
    // the frame cannot be converted; empty when neither is usable.
    QRectF pictureRect() const;
};

// Parses the header record; nothing when the bytes do not start with one.
std::optional<EmfHeader> readEmfHeader(const QByteArray& emf);

// Every comment's data in file order.
QList<QByteArray> emfComments(const QByteArray& emf);

// Steps over the records of untrusted bytes. The walk ends at the end
// record, at the first record whose size is under 8, not a multiple of 4 or
// beyond the data, or at the header's byte count when that is smaller than
// the data.
class EmfRecordWalker {
public:
    explicit EmfRecordWalker(const QByteArray& emf);

    bool valid() const { return m_header.has_value(); }
    const EmfHeader& header() const { return *m_header; }

    // The next record after the header: its type and a reader over exactly
    // its bytes. False when the walk has ended.
    bool next(uint32_t* type, ByteReader* record);
    bool reachedEof() const { return m_eof; }

private:
    const uint8_t* m_data;
    size_t m_limit = 0;
    size_t m_offset = 0;
    bool m_eof = false;
    bool m_done = false;
    std::optional<EmfHeader> m_header;
};

}  // namespace toliva::emf
