// Helpers shared by the metafile tests: drawing into images, comparing them
// and building files from outside with libUEMF.
#pragma once

#include "platform/emf/EmfPlayer.h"
#include "platform/emf/EmfRecorder.h"

#include <QImage>
#include <QPainter>

#include <uemf.h>

#include <cstdlib>
#include <cstring>
#include <functional>

namespace toliva::emf::test {

using Scene = std::function<void(QPainter&)>;

inline QImage blank(QSize size) {
    QImage img(size, QImage::Format_ARGB32);
    img.fill(Qt::white);
    return img;
}

inline QImage drawDirect(const Scene& scene, QSize size) {
    QImage img = blank(size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    scene(p);
    return img;
}

inline QByteArray record(const Scene& scene, QSizeF size, EmfRecorder* keep = nullptr) {
    EmfRecorder local(size);
    EmfRecorder& rec = keep ? *keep : local;
    {
        QPainter p(&rec);
        p.setRenderHint(QPainter::Antialiasing);
        scene(p);
    }
    return rec.toEmf();
}

inline QImage playInto(const QByteArray& emf, QSize size, QRectF target = QRectF(), EmfPlayResult* result = nullptr) {
    QImage img = blank(size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const EmfPlayResult r = EmfPlayer::play(emf, &p, target.isNull() ? QRectF(QPointF(0, 0), QSizeF(size)) : target);
    if (result) *result = r;
    return img;
}

// Share of pixels whose channels all lie within tolerance of the other image.
inline double agreement(const QImage& a, const QImage& b, int tolerance = 16) {
    if (a.size() != b.size()) return 0;
    const QImage x = a.convertToFormat(QImage::Format_ARGB32), y = b.convertToFormat(QImage::Format_ARGB32);
    qint64 same = 0;
    for (int row = 0; row < x.height(); ++row) {
        const QRgb* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
        const QRgb* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col) {
            if (std::abs(qRed(p[col]) - qRed(q[col])) <= tolerance &&
                std::abs(qGreen(p[col]) - qGreen(q[col])) <= tolerance &&
                std::abs(qBlue(p[col]) - qBlue(q[col])) <= tolerance)
                ++same;
        }
    }
    return double(same) / (qint64(x.width()) * x.height());
}

// Pixels that differ from white by more than a little.
inline int inkedPixels(const QImage& img, QRect area = QRect()) {
    const QImage x = img.convertToFormat(QImage::Format_ARGB32);
    if (area.isNull()) area = x.rect();
    int n = 0;
    for (int row = area.top(); row <= area.bottom(); ++row)
        for (int col = area.left(); col <= area.right(); ++col)
            if (qGray(x.pixel(col, row)) < 200) ++n;
    return n;
}

// Builds an enhanced metafile from records made by libUEMF.
class ForeignEmf {
public:
    // A picture of w x h pixels on a 96-dpi reference device.
    ForeignEmf(int w, int h) {
        const U_RECTL bounds{0, 0, w - 1, h - 1};
        const U_RECTL frame{0, 0, int32_t(w * 2540 / 96), int32_t(h * 2540 / 96)};
        add(U_EMRHEADER_set(bounds, frame, nullptr, 0, nullptr, U_SIZEL{960, 960}, U_SIZEL{254, 254}, 0));
    }
    ForeignEmf& add(char* rec) {
        uint32_t size;
        std::memcpy(&size, rec + 4, 4);
        m_bytes.append(rec, size);
        std::free(rec);
        ++m_records;
        return *this;
    }
    ForeignEmf& raw(const QByteArray& rec) {
        m_bytes.append(rec);
        ++m_records;
        return *this;
    }
    QByteArray finish(uint16_t handles = 16) {
        const uint32_t eof[5] = {14, 20, 0, 16, 20};
        m_bytes.append(reinterpret_cast<const char*>(eof), 20);
        ++m_records;
        const uint32_t size = uint32_t(m_bytes.size());
        std::memcpy(m_bytes.data() + 48, &size, 4);
        std::memcpy(m_bytes.data() + 52, &m_records, 4);
        std::memcpy(m_bytes.data() + 56, &handles, 2);
        return m_bytes;
    }

private:
    QByteArray m_bytes;
    uint32_t m_records = 0;
};

}  // namespace toliva::emf::test
