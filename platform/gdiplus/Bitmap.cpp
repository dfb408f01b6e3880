#include "Bitmap.h"

#include <cmath>

namespace toliva::gp {

bool PicturePixelSize(double width, double height, QSize* size, QString* reason) {
    if (!std::isfinite(width) || !std::isfinite(height)) {
        if (reason) *reason = QStringLiteral("the picture's size is not finite (%1 x %2)").arg(width).arg(height);
        return false;
    }
    const double w = std::max(1.0, std::ceil(width));
    const double h = std::max(1.0, std::ceil(height));
    if (w * h > double(kMaxBitmapPixels)) {
        if (reason)
            *reason = QStringLiteral("the picture would be %1 x %2 pixels, more than the limit of %3 pixels")
                          .arg(w, 0, 'g', 12)
                          .arg(h, 0, 'g', 12)
                          .arg(kMaxBitmapPixels);
        return false;
    }
    // Both sides are now at most kMaxBitmapPixels.
    if (size) *size = QSize(int(w), int(h));
    return true;
}

Bitmap::Bitmap(int width, int height) {
    if (width <= 0 || height <= 0) {
        m_status = InvalidParameter;
        return;
    }
    if (qint64(width) * height > kMaxBitmapPixels) {
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
