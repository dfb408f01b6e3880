// Clipboard and dropped data from other programs: the first byte picks the
// route, the rest is the data.
//   0 a native block, 1 a lite block, 2 a MathML block, 3 text (UTF-8, read
//   as a paste and typed as a plain-text paste), 4 a data object of several
//   formats (the rest split at each 0xFF byte, formats taken in turn from
//   native, lite, the three MathML formats and text), read as a paste and as
//   a drop.
// A refused block leaves the equation it would go into as it was; what is
// accepted goes in at a caret inside a structure, and the equation still
// stores and reads back as the same stream.
#include "model/EqBuilder.h"
#include "model/EqDump.h"
#include "model/EqModel.h"
#include "model/EqStream.h"
#include "FuzzSupport.h"
#include "sheet/editing/ClipboardData.h"
#include "sheet/editing/ClipboardFormats.h"

#include <QByteArray>
#include <QMimeData>

#include <cstddef>
#include <cstdint>
#include <memory>

using namespace toliva;
using namespace toliva::fuzz;

namespace {

// "a" and a fraction whose numerator holds "b"; the caret after b.
std::unique_ptr<EqModel> target(const EqLayoutSettings& style) {
    auto eq = std::make_unique<EqModel>(style);
    EqBuilder b(eq.get());
    EqElement* line = b.line();
    b.text(line, u"a");
    EqElement* frac = b.add(line, EqTypeFraction, 2);
    EqElement* last = b.text(EqBuilder::arg(frac, 0), u"b");
    SetEquationCaret(eq.get(), last);
    return eq;
}

// The equation stores, reads back and stores the same.
void checkSound(EqModel& eq, const EqLayoutSettings& style) {
    const QByteArray saved = EquationToBytes(&eq);
    EqModel back(style);
    if (!LoadEquationAtomically(&back, saved)) __builtin_trap();
    if (EquationToBytes(&back) != saved) __builtin_trap();
}

// Inserts what was read, or checks that a refusal left the target alone.
void insertOrKeep(std::unique_ptr<EqModel> read, const EqLayoutSettings& style) {
    std::unique_ptr<EqModel> eq = target(style);
    const QByteArray before = EquationToBytes(eq.get());
    if (!read) {
        if (EquationToBytes(eq.get()) != before) __builtin_trap();
        return;
    }
    DumpEquation(*read);
    checkSound(*read, style);
    // Copied into a structure, then moved in at the top level as a paste does.
    InsertEquationLines(eq.get(), *read);
    checkSound(*eq, style);
    SetEquationCaret(eq.get(), eq->lines.front());
    const bool moved = MoveEquationLines(eq.get(), *read) != nullptr;
    if (moved && !read->lines.empty()) __builtin_trap();
    checkSound(*eq, style);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    useScratchHomeAndSilence();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const EqLayoutSettings style = builtInStyle();
    if (size < 1) return 0;
    const QByteArray block(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    ClipboardReadContext context;
    context.style = &style;

    switch (data[0] % 5) {
    case 0: insertOrKeep(EquationFromNativeBytes(block, context), style); break;
    case 1: insertOrKeep(EquationFromLiteBytes(block, context), style); break;
    case 2: insertOrKeep(EquationFromMathMLBytes(block, context), style); break;
    case 3: {
        const QString text = QString::fromUtf8(block);
        insertOrKeep(EquationFromClipboardText(text, context), style);
        std::unique_ptr<EqModel> eq = target(style);
        SheetSelection selection;
        PastePlainText(eq.get(), selection, text);
        checkSound(*eq, style);
        // At the top level too, where line feeds break lines.
        SetEquationCaret(eq.get(), eq->lines.front());
        PastePlainText(eq.get(), selection, text);
        checkSound(*eq, style);
        break;
    }
    default: {
        const QString formats[] = {kNativeClipboardFormat, kLiteClipboardFormat, kMathMLFormats[0],
                                   kMathMLFormats[1],      kMathMLFormats[2],    kTextFormat};
        QMimeData mime;
        int n = 0;
        for (const QByteArray& part : block.split('\xFF')) mime.setData(formats[n++ % 6], part);
        insertOrKeep(EquationFromClipboardData(mime, context), style);
        insertOrKeep(EquationFromDataObject(mime, context), style);
        break;
    }
    }
    return 0;
}
