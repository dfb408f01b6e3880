// Equation stream bytes: read them in both mark modes, dump the tree, save it,
// and check that what was saved reads back and saves to the same bytes.
#include "model/EqDump.h"
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
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    for (bool markMode : {false, true}) {
        EqModel eq(builtInStyle());
        if (!LoadEquationAtomically(&eq, bytes, markMode)) continue;
        DumpEquation(eq);

        const QByteArray saved = EquationToBytes(&eq, markMode);
        EqModel back(builtInStyle());
        if (!LoadEquationAtomically(&back, saved, markMode)) __builtin_trap();
        if (EquationToBytes(&back, markMode) != saved) __builtin_trap();
    }
    return 0;
}
