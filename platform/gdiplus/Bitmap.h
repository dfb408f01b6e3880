// A bitmap of the drawing layer: a 32-bit ARGB image held as a QImage.
//
// A new bitmap is transparent black. A bitmap that could not be made (a size
// below 1, or too large) is empty and reports its status.
#pragma once

#include "platform/gdiplus/GpTypes.h"

#include <QImage>

namespace toliva::gp {

class Bitmap {
public:
    Bitmap(int width, int height);
    explicit Bitmap(const QImage& image);

    int GetWidth() const { return m_image.width(); }
    int GetHeight() const { return m_image.height(); }
    Status GetLastStatus() const { return m_status; }

    // InvalidParameter outside the bitmap.
    Status GetPixel(int x, int y, ARGB* colour) const;
    Status SetPixel(int x, int y, ARGB colour);

    QImage& image() { return m_image; }
    const QImage& image() const { return m_image; }

private:
    QImage m_image;
    Status m_status = Ok;
};

}  // namespace toliva::gp
