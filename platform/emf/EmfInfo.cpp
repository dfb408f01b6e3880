#include "platform/emf/EmfInfo.h"

#include "platform/emf/EmfFormat.h"

namespace toliva::emf {

namespace {

EmfRect readRect(ByteReader& r, size_t at) {
    return {r.i32(at), r.i32(at + 4), r.i32(at + 8), r.i32(at + 12)};
}

}  // namespace

QPointF EmfHeader::pixelsPerMm() const {
    if (deviceSize.width() <= 0 || deviceSize.height() <= 0 || millimetres.width() <= 0 ||
        millimetres.height() <= 0)
        return {};
    return {qreal(deviceSize.width()) / millimetres.width(), qreal(deviceSize.height()) / millimetres.height()};
}

QRectF EmfHeader::pictureRect() const {
    const QPointF ppmm = pixelsPerMm();
    if (!ppmm.isNull() && int64_t(frame.right) > frame.left && int64_t(frame.bottom) > frame.top) {
        const qreal sx = ppmm.x() / 100, sy = ppmm.y() / 100;
        return QRectF(QPointF(frame.left * sx, frame.top * sy), QPointF(frame.right * sx, frame.bottom * sy));
    }
    if (int64_t(bounds.right) >= bounds.left && int64_t(bounds.bottom) >= bounds.top)
        return QRectF(QPointF(bounds.left, bounds.top), QPointF(qreal(bounds.right) + 1, qreal(bounds.bottom) + 1));
    return {};
}

EmfRecordWalker::EmfRecordWalker(const QByteArray& emf)
    : m_data(reinterpret_cast<const uint8_t*>(emf.constData())) {
    const size_t size = size_t(emf.size());
    ByteReader r(m_data, size);
    const uint32_t headerSize = r.u32(4);
    if (!r.ok() || r.u32(0) != EMR_HEADER || headerSize < kEmfHeaderMinSize || headerSize % 4 ||
        headerSize > size || r.u32(40) != kEmfSignature)
        return;
    EmfHeader h;
    h.bounds = readRect(r, 8);
    h.frame = readRect(r, 24);
    h.bytes = r.u32(48);
    h.records = r.u32(52);
    h.handles = r.u16(56);
    h.deviceSize = QSize(r.i32(72), r.i32(76));
    h.millimetres = QSize(r.i32(80), r.i32(84));
    m_header = h;
    // A byte count that fits the data bounds the walk; a larger one (a
    // truncated file) or a nonsensical one leaves the data's own end.
    m_limit = h.bytes >= headerSize && h.bytes <= size ? h.bytes : size;
    m_offset = headerSize;
}

bool EmfRecordWalker::next(uint32_t* type, ByteReader* record) {
    if (!m_header || m_done) return false;
    if (m_limit - m_offset < 8) {
        m_done = true;
        return false;
    }
    ByteReader r(m_data + m_offset, m_limit - m_offset);
    const uint32_t t = r.u32(0);
    const uint32_t size = r.u32(4);
    if (size < 8 || size % 4 || size > m_limit - m_offset) {
        m_done = true;
        return false;
    }
    *type = t;
    *record = ByteReader(m_data + m_offset, size);
    m_offset += size;
    if (t == EMR_EOF) {
        m_eof = true;
        m_done = true;
    }
    return true;
}

std::optional<EmfHeader> readEmfHeader(const QByteArray& emf) {
    EmfRecordWalker walker(emf);
    if (!walker.valid()) return std::nullopt;
    return walker.header();
}

QList<QByteArray> emfComments(const QByteArray& emf) {
    QList<QByteArray> out;
    EmfRecordWalker walker(emf);
    uint32_t type;
    ByteReader rec(nullptr, 0);
    while (walker.next(&type, &rec)) {
        if (type != EMR_COMMENT) continue;
        const uint32_t n = rec.u32(8);
        if (!rec.ok() || !rec.has(12, n)) continue;
        out.append(QByteArray(reinterpret_cast<const char*>(rec.at(12)), qsizetype(n)));
    }
    return out;
}

}  // namespace toliva::emf
