// Pictures of an equation: the enhanced metafile and the bitmaps of export
// and of the picture copy.
#pragma once

#include <QByteArray>

namespace toliva {

class EqModel;
struct RenderContext;

// The equation drawn at scale 1 from the origin, recorded as an enhanced
// metafile (marks not highlighted, no frame, no screen-only decorations).
QByteArray RecordEquationMetafile(const RenderContext& context, EqModel* eq);

}  // namespace toliva
