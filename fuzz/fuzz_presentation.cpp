// The container's picture made from cached metafile bits that came with a
// document file: the bits are played in only when they walk as a Windows
// metafile, and what comes out always walks as one, with the totals of its
// header right. The input: two int32 extents, four floats for the baseline,
// a flag byte (the hatch), then the bits.
#include "FuzzSupport.h"
#include "shell/presentation/Presentation.h"

#include <QByteArray>
#include <QtEndian>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

using namespace toliva;

namespace {

constexpr size_t kFixedBytes = 8 + 16 + 1;

float floatAt(const uint8_t* data) {
    float v;
    std::memcpy(&v, data, 4);
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kFixedBytes) return 0;
    PresentationInput input;
    input.extent = QSize(qFromLittleEndian<qint32>(data), qFromLittleEndian<qint32>(data + 4));
    const float extentY = floatAt(data + 8);
    input.baseline = PresentationBaseline(extentY, floatAt(data + 12), floatAt(data + 16), floatAt(data + 20));
    if (input.baseline < 0) __builtin_trap();
    ExtentToInt(extentY);
    input.empty = data[24] & 1;
    input.latex = QStringLiteral("x^2");
    input.cache = QByteArray(reinterpret_cast<const char*>(data + kFixedBytes), qsizetype(size - kFixedBytes));

    const bool accepted = IsWindowsMetafile(input.cache);
    const QByteArray picture = PresentationMetafile(input);
    if (picture.isEmpty()) {
        // Only bits to be played that are no metafile are refused.
        if (accepted || input.empty || input.cache.isEmpty()) __builtin_trap();
        return 0;
    }
    if (!IsWindowsMetafile(picture)) __builtin_trap();
    // The placeable header, then the header's size in words: the whole file.
    if (qsizetype(qFromLittleEndian<quint32>(picture.constData() + 22 + 6)) * 2 != picture.size() - 22) __builtin_trap();
    return 0;
}
