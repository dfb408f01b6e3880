// The picture an embedding container shows for the equation, and the cache
// it is made from.
//
// The cache is the served equation drawn as a picture at scale 33.6 through
// the metafile recorder and kept as Windows-metafile bits (no placeable
// header); its frame, the picture with its margins, gives the item's extent
// in 0.01 mm:
//
//   extent = frame (0.01 mm) / (33.6 x mm ratio)
//
// where the mm ratio is the reference device's millimetres per pixel over
// 0.35260416666666666, so one pixel of the equation at scale 1 is one
// printer's point in the container, whatever the screen.
//
// The container's picture is a placeable Windows metafile of the extent:
//
//   the mapping (MM_ANISOTROPIC, origin 0, the extent in its units)
//   an MFCOMMENT escape: "MathType", u16 0, i16 baseline        (11 words)
//   per chunk of the LaTeX text, an MFCOMMENT escape:
//     "TL-TEX-1", u32 total units, u32 chunk units n <= 16375,
//     n UTF-16LE units                                          (13 + n words)
//   a black backward-diagonal hatch over (1, 1) - (cx - 1, cy - 1) when the
//   equation is empty, else the cache's records played in
//
// The container finds the two kinds of comment by their tags, reassembles
// the LaTeX text by the total length and aligns the object with its text
// line by the baseline.
#pragma once

#include "model/EqOutput.h"
#include "tex/TeXContext.h"

#include <QByteArray>
#include <QList>
#include <QSize>
#include <QString>
#include <QStringView>

#include <cstdint>

namespace toliva {

class EqModel;
struct RenderContext;

// ---- the comment records

constexpr char kBaselineTag[] = "MathType";  // 8 letters, no terminator
constexpr char kLaTeXTag[] = "TL-TEX-1";
constexpr int kBaselineCommentBytes = 12;
constexpr int kMaxLaTeXChunkUnits = 16375;
constexpr int kLaTeXCommentHeaderBytes = 16;

// The 12 bytes of the baseline comment.
QByteArray BaselineComment(int16_t baseline);
// The LaTeX comments of a text, one per chunk of at most 16375 UTF-16 units
// in order; none for an empty text.
QList<QByteArray> LaTeXComments(QStringView text);

// The baseline the container gets, from the item's height (0.01 mm) and the
// picture's height, baseline offset and descent (pixels, DrawEquationPicture's
// height, axis and descent). The glyphs stand the offset below the picture's
// nominal baseline (height - descent), so the ink's baseline lies
// descent - offset above the picture's bottom:
//   k = extentY / pictureHeight
//   (extentY - (pictureDescent - pictureBaseline) x k) x 0.448
// truncated toward zero; a negative value is 0, a value beyond 16 bits is
// 32767, and without a positive, finite picture height (or with any value
// not finite) the baseline is 0.
int16_t PresentationBaseline(float extentY, float pictureHeight, float pictureBaseline, float pictureDescent);

// An extent value as a whole number of 0.01 mm, truncated; 0 when it is not
// finite, clamped to the int range.
int ExtentToInt(float value);

// ---- the cache

// The rendering scale of the cache.
constexpr float kPresentationScale = 33.6f;

// Whether the served equation shows the hatch: no equation, no line, or one
// line that holds only its head.
bool PresentationIsEmpty(const EqModel* eq);

// The reference device of a recording for a display's mm ratio (0 or a value
// that is not finite or out of reason: a 96-dpi screen): its resolution in
// whole dots per inch, and the ratio of that resolution, which the extent
// divides by.
int PresentationReferenceDpi(float mmPerPixelRatio);
float MmRatioOfDpi(int dpi);

struct PresentationCache {
    QByteArray wmf;  // Windows-metafile bits, no placeable header; empty: none
    QByteArray emf;  // the enhanced metafile they were converted from
    bool empty = true;
    float frameLeft = 0, frameTop = 0;   // in the units of the extent
    float extentX = 0, extentY = 0;      // 0.01 mm
    EqPictureMetrics picture;            // pixels at the rendering scale
};

// Renders the equation (null: an empty cache without bits): the picture is
// recorded at kPresentationScale with the reference device of the display's
// ratio, written as an enhanced metafile to tempEmfPath (when not empty; the
// frame is read back from the file, which is deleted afterwards) and
// converted to Windows-metafile bits, rescaled when the drawing would pass
// 16-bit coordinates. False with the reason when the bits cannot be made; the
// metrics and extents are set all the same.
bool RenderPresentationCache(const RenderContext& context, EqModel* eq, float mmPerPixelRatio,
                             const QString& tempEmfPath, PresentationCache* out, QString* problem = nullptr);

// ---- the container's picture

struct PresentationInput {
    QSize extent;            // 0.01 mm (the item's extent, truncated)
    int16_t baseline = 0;
    QString latex;           // empty: no LaTeX comment
    bool empty = true;       // the hatch instead of the cache
    QByteArray cache;        // Windows-metafile bits; empty: none, and the
                             // picture holds only its mapping
};

// Whether bytes are a well-formed Windows metafile (with or without the
// placeable header): a standard header, records of at least three words
// within the bytes, ending with the end record.
bool IsWindowsMetafile(const QByteArray& wmf);

// The placeable Windows metafile of the picture; empty with the reason when
// it cannot be made (a cache that is no Windows metafile).
QByteArray PresentationMetafile(const PresentationInput& input, QString* problem = nullptr);

// The MIME type the picture goes to the clipboard under.
inline constexpr char kPresentationMimeType[] = "image/x-wmf";

}  // namespace toliva
