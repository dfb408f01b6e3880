// A bitmap of the drawing layer: a 32-bit ARGB image held as a QImage.
//
// A new bitmap is transparent black. A bitmap that could not be made (a size
// below 1, or too large) is empty and reports its status.
#pragma once

#include "platform/gdiplus/GpTypes.h"

#include <QImage>
#include <QSize>
#include <QString>

namespace toliva::gp {

// The most pixels one bitmap or picture may hold: 2^28, 1 GiB at 32 bits a
// pixel. Bitmaps, and every picture a render or export draws, keep to it.
constexpr qint64 kMaxBitmapPixels = qint64(1) << 28;

// The pixel size of a picture width x height pixels large: each side rounded
// up, at least one pixel. A side that is not finite, or more pixels than
// kMaxBitmapPixels, gives false and, in *reason (may be null), the size asked
// for and the limit. Nothing is converted to an integer before it is known to fit.
bool PicturePixelSize(double width, double height, QSize* size, QString* reason);

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
