#include "Bitmap.h"

namespace toliva::gp {

namespace {

// Keeps one bitmap below 1 GiB of pixels.
constexpr qint64 kMaxPixels = qint64(1) << 28;

}  // namespace

Bitmap::Bitmap(int width, int height) {
    if (width <= 0 || height <= 0) {
        m_status = InvalidParameter;
        return;
    }
    if (qint64(width) * height > kMaxPixels) {
        m_status = OutOfMemory;
        return;
    }
    m_image = QImage(width, height, QImage::Format_ARGB32_Premultiplied);
    if (m_image.isNull()) {
        m_status = OutOfMemory;
        return;
    }
    m_image.fill(Qt::transparent);
}

Bitmap::Bitmap(const QImage& image) : m_image(image.convertToFormat(QImage::Format_ARGB32_Premultiplied)) {
    if (m_image.isNull()) m_status = image.isNull() ? InvalidParameter : OutOfMemory;
}

Status Bitmap::GetPixel(int x, int y, ARGB* colour) const {
    if (!colour || !m_image.valid(x, y)) return InvalidParameter;
    *colour = m_image.pixelColor(x, y).rgba();
    return Ok;
}

Status Bitmap::SetPixel(int x, int y, ARGB colour) {
    if (!m_image.valid(x, y)) return InvalidParameter;
    m_image.setPixelColor(x, y, QColor::fromRgba(colour));
    return Ok;
}

}  // namespace toliva::gp
