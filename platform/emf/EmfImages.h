// Device-independent bitmaps (DIBs) as metafile records carry them.
#pragma once

#include <QByteArray>
#include <QImage>

#include <cstddef>
#include <cstdint>

namespace toliva::emf {

// True when some pixel is not fully opaque.
bool imageHasTransparency(const QImage& image);

// A 40-byte BITMAPINFOHEADER of a bottom-up bitmap without a colour table.
QByteArray dibHeader(int width, int height, int bitCount, int dpi);
// Bottom-up rows, each padded to 4 bytes.
QByteArray dibBits24(const QImage& image);
QByteArray dibBits32Premultiplied(const QImage& image);
// 1 bit a pixel with a two-entry colour table (0 black, 1 white) in front.
QByteArray dibHeaderMono(int width, int height, int dpi);
QByteArray dibBitsMono(const QImage& mask);  // pixel set where mask is white

// Largest bitmap the reader makes, in pixels.
constexpr int64_t kMaxDibPixels = int64_t(1) << 24;

enum class DibAlpha {
    Ignore,         // the fourth byte of 32-bit pixels is unused
    Premultiplied,  // 32-bit pixels carry premultiplied alpha
};

// Reads a bitmap from untrusted bytes: bmi/bmiSize hold the header and its
// colour table, bits/bitsSize the pixel rows. Returns a top-down image, or
// a null image when anything is out of range or unsupported.
QImage decodeDib(const uint8_t* bmi, size_t bmiSize, const uint8_t* bits, size_t bitsSize, DibAlpha alpha);

}  // namespace toliva::emf
