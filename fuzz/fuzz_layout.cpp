// Equation stream bytes laid out: whatever a damaged stream leaves (missing
// chains, odd types, deep nesting, strange styles) must lay out and place
// without a fault. Text is measured with fixed boxes, so no fonts are needed.
#include "model/EqLayout.h"
#include "model/EqMeasure.h"
#include "model/EqModel.h"
#include "model/EqStream.h"
#include "FuzzSupport.h"
#include "platform/MessageSink.h"

#include <QByteArray>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace toliva;
using namespace toliva::fuzz;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    useScratchHomeAndSilence();
    boxMeasuredContext();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    EqModel eq(builtInStyle());
    if (!LoadEquationAtomically(&eq, bytes, false)) return 0;
    for (float scale : {1.0f, 0.3f}) {
        LayoutLines(boxMeasuredContext(), &eq, nullptr, scale, 0, false);
        PlaceEquationLines(&eq, 0, 0, scale);
        AlignEquationLines(&eq, 0, 0, 400, 300);
        for (const LinePlacement& p : eq.placements) {
            PlaceChain(p.head, p.x, p.y);
            OffsetTree(p.head, 1, 1);
        }
    }
    return 0;
}
