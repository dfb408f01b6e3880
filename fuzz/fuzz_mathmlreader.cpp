// MathML text: read it; whatever is built must dump, store and read back as
// an equation stream, and its MathML must read again without harm.
#include "model/EqDump.h"
#include "model/EqModel.h"
#include "model/EqStream.h"
#include "FuzzSupport.h"
#include "platform/MessageSink.h"
#include "model/SymbolLibrary.h"
#include "tex/MathML.h"

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
    static const EqLayoutSettings style = builtInStyle();
    MathMLReader reader;
    const MathMLReadResult r = ReadMathML(reader, data, size, style);
    if (r.ok != bool(r.equation)) __builtin_trap();
    if (r.overflow && r.message.isEmpty()) __builtin_trap();  // a limit reached is named
    // Whatever was not understood is told.
    if (MathMLReadReport(r).size() != qsizetype(r.problems.size()) + (r.message.isEmpty() ? 0 : 1)) __builtin_trap();
    for (const MathMLReadProblem& p : r.problems)
        if (p.position < -1) __builtin_trap();
    if (!r.equation) {
        if (r.message.isEmpty()) __builtin_trap();  // a failure always says why
        return 0;
    }
    EqModel& eq = *r.equation;
    if (IsEquationEmpty(&eq)) __builtin_trap();
    DumpEquation(eq);

    // The tree is sound: it stores and reads back as the same stream.
    const QByteArray saved = EquationToBytes(&eq);
    EqModel back(style);
    if (!LoadEquationAtomically(&back, saved)) __builtin_trap();
    if (EquationToBytes(&back) != saved) __builtin_trap();

    // Its MathML reads again.
    static const SymbolLibrary& symbols = *[] {
        auto* library = new SymbolLibrary;
        LoadSymbolLibrary(*library);
        return library;
    }();
    TeXWriteContext context;
    context.symbols = &symbols;
    const QByteArray again = EquationToMathML(eq, context).toUtf8();
    MathMLReader second;
    ReadMathML(second, again.constData(), size_t(again.size()), style);
    return 0;
}
