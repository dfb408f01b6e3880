#include "sheet/editing/PictureExport.h"

#include "model/EqOutput.h"
#include "platform/emf/EmfRecorder.h"
#include "platform/gdiplus/Graphics.h"

namespace toliva {

QByteArray RecordEquationMetafile(const RenderContext& context, EqModel* eq) {
    emf::EmfRecorder recorder;
    {
        gp::PainterGraphics g(static_cast<QPaintDevice*>(&recorder));
        g.SetSmoothingMode(gp::SmoothingModeAntiAlias);
        g.SetTextRenderingHint(gp::TextRenderingHintAntiAlias);
        DrawEquation(context, gp::PointF(0, 0), g, eq, 1.0f, false, false);
    }
    return recorder.toEmf();
}

}  // namespace toliva
