// Equation stream bytes drawn by the output passes: as a picture, and in the
// editing view with its line caches, scrolled so that some lines are culled.
// Whatever a damaged stream leaves must draw without a fault, and the
// style's sizes must come back unchanged from every pass.
#include "model/EqLayout.h"
#include "model/EqMeasure.h"
#include "model/EqModel.h"
#include "model/EqOutput.h"
#include "model/EqStream.h"
#include "FuzzSupport.h"
#include "platform/MessageSink.h"
#include "platform/gdiplus/Graphics.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace toliva;
using namespace toliva::fuzz;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    startDrawingFuzzer(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    EqModel eq(builtInStyle());
    if (!LoadEquationAtomically(&eq, bytes, false)) return 0;
    const float fontSize = eq.settings.fontSize, size2 = eq.settings.size2;

    const RenderContext& context = boxMeasuredContext();
    gp::RecordingGraphics recording;
    DrawEquationPicture(context, recording, &eq, 1.5f);
    DrawEquation(context, {3, 4}, recording, &eq, 0.5f, true, true);
    if (eq.settings.fontSize != fontSize || eq.settings.size2 != size2) __builtin_trap();

    QImage dc(160, 120, QImage::Format_ARGB32_Premultiplied);
    dc.fill(Qt::white);
    QPainter painter(&dc);
    LayoutLines(context, &eq, nullptr, 1.0f, 0, false);
    const EqElement* keep = eq.lines.empty() ? nullptr : eq.lines.back()->next;
    for (float top : {0.0f, -40.0f, 0.0f})
        DrawEquationView(context, {0, top, 160, 120}, &eq, &painter, 1.0f, true, keep);
    if (!eq.lines.empty()) InvalidateLineCache(&eq, eq.lines.front());
    LayoutLines(context, &eq, nullptr, 1.0f, 0, true);
    DrawEquationView(context, {0, 0, 160, 120}, &eq, &painter, 1.0f, true, keep);
    return 0;
}
