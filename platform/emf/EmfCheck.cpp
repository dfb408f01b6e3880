#include "platform/emf/EmfCheck.h"

#include "platform/emf/EmfBytes.h"
#include "platform/emf/EmfFormat.h"

#include <uemf.h>
#include <uemf_safe.h>
#include <uwmf.h>

namespace toliva::emf {

namespace {

MetafileCheck failed(int records, const QString& why) {
    MetafileCheck c;
    c.records = records;
    c.problem = why;
    return c;
}

// Parses one Windows-metafile record of a kind the writer produces; true for
// kinds it has no parser for.
bool parseWmfRecord(const char* rec, uint16_t function) {
    switch (function) {
        case META_EOF: return U_WMREOF_get(rec) != 0;
        case META_SAVEDC: return U_WMRSAVEDC_get(rec) != 0;
        case META_SETBKMODE: {
            uint16_t mode;
            return U_WMRSETBKMODE_get(rec, &mode) != 0;
        }
        case META_SETMAPMODE: {
            uint16_t mode;
            return U_WMRSETMAPMODE_get(rec, &mode) != 0;
        }
        case META_SETPOLYFILLMODE: {
            uint16_t mode;
            return U_WMRSETPOLYFILLMODE_get(rec, &mode) != 0;
        }
        case META_RESTOREDC: {
            int16_t dc;
            return U_WMRRESTOREDC_get(rec, &dc) != 0;
        }
        case META_SELECTOBJECT: {
            uint16_t index;
            return U_WMRSELECTOBJECT_get(rec, &index) != 0;
        }
        case META_DELETEOBJECT: {
            uint16_t index;
            return U_WMRDELETEOBJECT_get(rec, &index) != 0;
        }
        case META_SETWINDOWORG: {
            U_POINT16 p;
            return U_WMRSETWINDOWORG_get(rec, &p) != 0;
        }
        case META_SETWINDOWEXT: {
            U_POINT16 p;
            return U_WMRSETWINDOWEXT_get(rec, &p) != 0;
        }
        case META_CREATEPENINDIRECT: {
            U_PEN pen;
            return U_WMRCREATEPENINDIRECT_get(rec, &pen) != 0;
        }
        case META_CREATEBRUSHINDIRECT: {
            const char* brush;
            return U_WMRCREATEBRUSHINDIRECT_get(rec, &brush) != 0;
        }
        case META_POLYGON:
        case META_POLYLINE: {
            uint16_t n;
            const char* data;
            return (function == META_POLYGON ? U_WMRPOLYGON_get(rec, &n, &data) : U_WMRPOLYLINE_get(rec, &n, &data)) != 0;
        }
        case META_POLYPOLYGON: {
            uint16_t n;
            const uint16_t* counts;
            const char* points;
            return U_WMRPOLYPOLYGON_get(rec, &n, &counts, &points) != 0;
        }
        case META_INTERSECTCLIPRECT: {
            U_RECT16 r;
            return U_WMRINTERSECTCLIPRECT_get(rec, &r) != 0;
        }
        case META_ESCAPE: {
            uint16_t escape, length;
            const char* data;
            return U_WMRESCAPE_get(rec, &escape, &length, &data) != 0;
        }
        case META_STRETCHDIB: {
            U_POINT16 dst, cdst, src, csrc;
            uint16_t usage;
            uint32_t rop;
            const char* dib;
            return U_WMRSTRETCHDIB_get(rec, &dst, &cdst, &src, &csrc, &usage, &rop, &dib) != 0;
        }
        default: return true;
    }
}

}  // namespace

MetafileCheck checkEmf(const QByteArray& emf) {
    const char* data = emf.constData();
    const char* limit = data + emf.size();
    ByteReader r(reinterpret_cast<const uint8_t*>(data), size_t(emf.size()));
    if (r.u32(0) != EMR_HEADER || !r.ok()) return failed(0, QStringLiteral("no header record"));
    int records = 0;
    qsizetype at = 0;
    uint32_t lastType = 0;
    while (at < emf.size()) {
        uint32_t size = 0, type = 0;
        // The last argument says whether the bytes are in this machine's order.
        if (!U_emf_record_sizeok(data + at, limit, &size, &type, U_IS_LE))
            return failed(records, QStringLiteral("record %1 at %2: bad size").arg(records).arg(at));
        if (!U_emf_record_safe(data + at))
            return failed(records, QStringLiteral("record %1 (type %2) at %3: bad layout").arg(records).arg(type).arg(at));
        if (records > 0 && type == EMR_HEADER) return failed(records, QStringLiteral("second header record"));
        lastType = type;
        ++records;
        at += size;
        if (type == EMR_EOF) break;
    }
    if (lastType != EMR_EOF) return failed(records, QStringLiteral("no end record"));
    if (at != emf.size()) return failed(records, QStringLiteral("bytes after the end record"));
    if (r.u32(48) != uint32_t(emf.size()))
        return failed(records, QStringLiteral("header byte count %1, file %2").arg(r.u32(48)).arg(emf.size()));
    if (r.u32(52) != uint32_t(records))
        return failed(records, QStringLiteral("header record count %1, file %2").arg(r.u32(52)).arg(records));
    MetafileCheck ok;
    ok.ok = true;
    ok.records = records;
    return ok;
}

MetafileCheck checkWmf(const QByteArray& wmf) {
    const char* data = wmf.constData();
    const char* limit = data + wmf.size();
    U_WMRPLACEABLE placeable;
    U_WMRHEADER header;
    const int headerBytes = wmfheader_get(data, limit, &placeable, &header);
    if (headerBytes <= 0) return failed(0, QStringLiteral("bad header"));
    const qsizetype placeableBytes = headerBytes - 18;
    ByteReader r(reinterpret_cast<const uint8_t*>(data), size_t(wmf.size()));
    const uint32_t totalWords = r.u32(size_t(placeableBytes) + 6);
    const uint32_t maxRecord = r.u32(size_t(placeableBytes) + 12);
    if (qsizetype(totalWords) * 2 != wmf.size() - placeableBytes)
        return failed(0, QStringLiteral("header size %1 words, file %2 bytes").arg(totalWords).arg(wmf.size()));

    int records = 0;
    qsizetype at = headerBytes;
    uint16_t lastFunction = 0xFFFF;
    while (at < wmf.size()) {
        const size_t size = U_WMRRECSAFE_get(data + at, limit);
        if (size == 0) return failed(records, QStringLiteral("record %1 at %2: bad size").arg(records).arg(at));
        const uint16_t function = r.u16(size_t(at) + 4);
        if (size / 2 > maxRecord) return failed(records, QStringLiteral("record %1 larger than the header's largest").arg(records));
        if (!parseWmfRecord(data + at, function))
            return failed(records, QStringLiteral("record %1 (function 0x%2): bad layout").arg(records).arg(function, 4, 16, QChar('0')));
        lastFunction = function;
        ++records;
        at += qsizetype(size);
        if (function == META_EOF) break;
    }
    if (lastFunction != META_EOF) return failed(records, QStringLiteral("no end record"));
    if (at != wmf.size()) return failed(records, QStringLiteral("bytes after the end record"));
    MetafileCheck ok;
    ok.ok = true;
    ok.records = records;
    return ok;
}

}  // namespace toliva::emf
