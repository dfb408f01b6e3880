#include "platform/emf/EmfImages.h"

#include "platform/emf/EmfBytes.h"
#include "platform/emf/EmfFormat.h"

#include <cmath>

namespace toliva::emf {

namespace {

int rowBytes(int width, int bitCount) { return ((width * bitCount + 31) / 32) * 4; }

}  // namespace

bool imageHasTransparency(const QImage& image) {
    if (!image.hasAlphaChannel()) return false;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x)
            if (qAlpha(row[x]) != 255) return true;
    }
    return false;
}

QByteArray dibHeader(int width, int height, int bitCount, int dpi) {
    QByteArray out;
    ByteWriter w(&out);
    w.u32(40);
    w.i32(width);
    w.i32(height);
    w.u16(1);
    w.u16(uint16_t(bitCount));
    w.u32(BI_RGB);
    w.u32(uint32_t(rowBytes(width, bitCount) * height));
    const int32_t perMetre = int32_t(std::lround(dpi / 0.0254));
    w.i32(perMetre);
    w.i32(perMetre);
    w.u32(0);
    w.u32(0);
    return out;
}

QByteArray dibHeaderMono(int width, int height, int dpi) {
    QByteArray out = dibHeader(width, height, 1, dpi);
    ByteWriter w(&out);
    w.patchU32(32, 2);  // colours used
    w.u32(0x00000000);
    w.u32(0x00FFFFFF);
    return out;
}

QByteArray dibBits24(const QImage& image) {
    const QImage src = image.convertToFormat(QImage::Format_RGB32);
    const int stride = rowBytes(src.width(), 24);
    QByteArray out(qsizetype(stride) * src.height(), '\0');
    for (int y = 0; y < src.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(src.constScanLine(src.height() - 1 - y));
        char* dst = out.data() + qsizetype(y) * stride;
        for (int x = 0; x < src.width(); ++x) {
            dst[3 * x] = char(qBlue(row[x]));
            dst[3 * x + 1] = char(qGreen(row[x]));
            dst[3 * x + 2] = char(qRed(row[x]));
        }
    }
    return out;
}

QByteArray dibBits32Premultiplied(const QImage& image) {
    const QImage src = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int stride = src.width() * 4;
    QByteArray out(qsizetype(stride) * src.height(), '\0');
    for (int y = 0; y < src.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(src.constScanLine(src.height() - 1 - y));
        char* dst = out.data() + qsizetype(y) * stride;
        for (int x = 0; x < src.width(); ++x) {
            dst[4 * x] = char(qBlue(row[x]));
            dst[4 * x + 1] = char(qGreen(row[x]));
            dst[4 * x + 2] = char(qRed(row[x]));
            dst[4 * x + 3] = char(qAlpha(row[x]));
        }
    }
    return out;
}

QByteArray dibBitsMono(const QImage& mask) {
    const QImage src = mask.convertToFormat(QImage::Format_RGB32);
    const int stride = rowBytes(src.width(), 1);
    QByteArray out(qsizetype(stride) * src.height(), '\0');
    for (int y = 0; y < src.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(src.constScanLine(src.height() - 1 - y));
        char* dst = out.data() + qsizetype(y) * stride;
        for (int x = 0; x < src.width(); ++x)
            if (qGray(row[x]) >= 128) dst[x / 8] = char(dst[x / 8] | (0x80 >> (x % 8)));
    }
    return out;
}

QImage decodeDib(const uint8_t* bmi, size_t bmiSize, const uint8_t* bits, size_t bitsSize, DibAlpha alpha) {
    ByteReader h(bmi, bmiSize);
    const uint32_t headerSize = h.u32(0);
    if (headerSize < 40 || headerSize > bmiSize) return {};
    const int32_t width = h.i32(4);
    const int32_t rawHeight = h.i32(8);
    const uint16_t bitCount = h.u16(14);
    const uint32_t compression = h.u32(16);
    uint32_t colorsUsed = h.u32(32);
    if (!h.ok() || width <= 0 || rawHeight == 0 || rawHeight == INT32_MIN) return {};
    const bool topDown = rawHeight < 0;
    const int64_t height = topDown ? -int64_t(rawHeight) : rawHeight;
    if (int64_t(width) * height > kMaxDibPixels) return {};
    if (compression != BI_RGB && !(compression == BI_BITFIELDS && (bitCount == 16 || bitCount == 32))) return {};

    const int64_t stride = ((int64_t(width) * bitCount + 31) / 32) * 4;
    switch (bitCount) {
        case 1:
        case 4:
        case 8:
        case 16:
        case 24:
        case 32: break;
        default: return {};
    }
    if (stride * height > int64_t(bitsSize)) return {};

    // Colour table after the header (after the three masks for bit fields).
    QList<QRgb> palette;
    size_t tableAt = headerSize;
    uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
    if (compression == BI_BITFIELDS) {
        if (headerSize == 40) {
            for (int i = 0; i < 3; ++i) masks[i] = h.u32(40 + 4 * size_t(i));
            tableAt += 12;
        } else {
            for (int i = 0; i < 3; ++i) masks[i] = h.u32(40 + 4 * size_t(i));
        }
        if (!h.ok()) return {};
    } else if (bitCount == 32) {
        masks[0] = 0x00FF0000, masks[1] = 0x0000FF00, masks[2] = 0x000000FF;
    }
    if (bitCount <= 8) {
        const uint32_t maxColors = 1u << bitCount;
        if (colorsUsed == 0 || colorsUsed > maxColors) colorsUsed = maxColors;
        for (uint32_t i = 0; i < colorsUsed; ++i) {
            const size_t o = tableAt + 4 * size_t(i);
            if (!h.has(o, 4)) break;
            palette.append(qRgb(h.u8(o + 2), h.u8(o + 1), h.u8(o)));
        }
        while (palette.size() < qsizetype(maxColors)) palette.append(qRgb(0, 0, 0));
    }

    auto channel = [](uint32_t value, uint32_t mask) -> int {
        if (mask == 0) return 0;
        int shift = 0;
        while (!((mask >> shift) & 1)) ++shift;
        const uint64_t max = mask >> shift;
        return int(uint64_t((value & mask) >> shift) * 255 / max);
    };

    const bool premul = alpha == DibAlpha::Premultiplied && bitCount == 32;
    QImage img(width, int(height), premul ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (img.isNull()) return {};
    for (int64_t y = 0; y < height; ++y) {
        const uint8_t* row = bits + (topDown ? y : height - 1 - y) * stride;
        QRgb* out = reinterpret_cast<QRgb*>(img.scanLine(int(y)));
        for (int32_t x = 0; x < width; ++x) {
            switch (bitCount) {
                case 1: out[x] = palette[(row[x / 8] >> (7 - x % 8)) & 1]; break;
                case 4: out[x] = palette[(row[x / 2] >> (x % 2 ? 0 : 4)) & 0xF]; break;
                case 8: out[x] = palette[row[x]]; break;
                case 16: {
                    const uint32_t v = uint32_t(row[2 * x]) | (uint32_t(row[2 * x + 1]) << 8);
                    out[x] = qRgb(channel(v, masks[0]), channel(v, masks[1]), channel(v, masks[2]));
                    break;
                }
                case 24: out[x] = qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]); break;
                case 32: {
                    const uint8_t* p = row + 4 * x;
                    if (premul) {
                        const int a = p[3];
                        // Premultiplied colour never exceeds its alpha.
                        out[x] = qRgba(std::min<int>(p[2], a), std::min<int>(p[1], a), std::min<int>(p[0], a), a);
                    } else {
                        const uint32_t v = uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) |
                                           (uint32_t(p[3]) << 24);
                        out[x] = qRgb(channel(v, masks[0]), channel(v, masks[1]), channel(v, masks[2]));
                    }
                    break;
                }
            }
        }
    }
    return img;
}

}  // namespace toliva::emf
