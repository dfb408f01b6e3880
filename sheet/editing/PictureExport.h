// Pictures of an equation: the enhanced metafile and the bitmaps of export
// and of the picture copy, the bitmap encoders and the picture file types.
//
// Nothing here shows a window: the sheet asks for the file and tells the
// user what went wrong.
#pragma once

#include "model/EqOutput.h"

#include <QByteArray>
#include <QImage>
#include <QSizeF>
#include <QString>

class QPaintDevice;

namespace toliva {

class EqModel;
struct RenderContext;

// ---- the picture file types of export

// Types 1 to 6 in the order of the export dialog's filter: PNG, JPEG, GIF,
// TIFF, BMP, and the enhanced metafile.
enum ExportType : int {
    ExportPng = 1,
    ExportJpeg = 2,
    ExportGif = 3,
    ExportTiff = 4,
    ExportBmp = 5,
    ExportMetafileType = 6,
};
constexpr int kExportTypeCount = 6;

// The type the export dialog offers first, from the stored last type minus
// one ("iExp"): that type when the stored value, taken as unsigned, is below
// six, else the metafile.
int PreselectedExportType(int storedIndex);
// The type of a chosen file, by its ending without regard to case: ".emf" is
// the metafile, the bitmap endings their types; any other ending keeps the
// type the dialog offered.
int ExportTypeOfPath(const QString& path, int offeredType);

// ---- resolution, scale and margins of exported bitmaps

// "ExpResolu" under EqSettings: dots per inch, 96 when missing, at least 8.
constexpr int kDefaultExportResolution = 96;
constexpr int kMinExportResolution = 8;
int ClampExportResolution(int dpi);
int ReadExportResolution();
// The drawing scale at a resolution: dpi x 3.2 / 96 (the resolution is
// clamped first).
float ExportScale(int dpi);

// The blank border around the content, in pixels at the scale: spacings 32
// (left) and 33 (top), 45 + 0.1 (right) and 46 + 0.1 (bottom), times the
// base font size and the scale.
struct ExportMargins {
    float left = 0;
    float top = 0;
    float right = 0;
    float bottom = 0;
};
ExportMargins ExportMarginsOf(const EqModel* eq, float scale);

// Whether a target may get a transparent background: the clipboard (a path
// shorter than four characters) and files ending in "png" or "emf" in any
// case.
bool ExportAllowsTransparency(const QString& path);

// ---- rendering

// The equation recorded as an enhanced metafile: drawn at scale 1 from the
// origin with the picture-output flag set (text as outlines, no screen-only
// decorations), marks not highlighted, no frame. The equation's drawing
// flags are given back afterwards and its line pictures dropped; lay it out
// again before showing it.
QByteArray RecordEquationMetafile(const RenderContext& context, EqModel* eq);
// The equation's picture as DrawEquationPicture draws it (margins,
// background, the baseline of its metrics) at the scale on the device, a
// metafile recorder: antialiased, text as outlines, marks not highlighted.
// The drawing flags are given back afterwards and the line pictures dropped;
// lay the equation out again before showing it. Null metrics without an
// equation.
EqPictureMetrics RecordEquationPicture(const RenderContext& context, EqModel* eq, float scale, QPaintDevice* device);

// The equation rendered for export at the resolution (clamped to at least
// 8 dpi): laid out for output at ExportScale, a 32-bit ARGB picture of the
// margins plus the content (each side truncated to whole pixels, at least
// one), cleared with colour 15 of the style, transparent when integer
// option 5 is set and transparencyAllowed, with a nominal 72 dpi. Marks are
// not highlighted. A null image when the picture would hold more than
// gp::kMaxBitmapPixels pixels or cannot be made; *problem (may be null) then
// says why and *pixelSize (may be null) holds the size asked for. The line
// pictures of the equation are dropped.
QImage RenderExportBitmap(const RenderContext& context, EqModel* eq, int dpi, bool transparencyAllowed,
                          QString* problem = nullptr, QSizeF* pixelSize = nullptr);

// ---- encoders and files

// The MIME type of a bitmap file by its ending, without regard to case:
// "jpeg" and "jpg" JPEG, "tiff" and "tif" TIFF, "gif" GIF, "png" PNG,
// anything else BMP.
QString ImageMimeTypeForPath(const QString& path);

// The index of the encoder for a MIME type (exact comparison) among the
// encoders this build has: BMP, JPEG, GIF, TIFF and PNG, in that order, each
// when it can write (BMP, JPEG and TIFF are Qt's writers, GIF is giflib's,
// PNG libpng's); -1 when none matches.
int FindImageEncoder(const QString& mimeType);
// The number of encoders and the MIME type of one (empty outside the range).
int ImageEncoderCount();
QString ImageEncoderMimeType(int index);
// Encodes the picture in memory with encoder number index; false with the
// reason when it cannot.
bool EncodeImage(const QImage& image, int index, QByteArray* bytes, QString* problem = nullptr);

// A GIF picture of the image (its alpha ignored) through giflib: the colours
// reduced to a palette of at most 256; false with the reason when the image
// is empty or larger than a GIF can hold.
bool EncodeGif(const QImage& image, QByteArray* bytes, QString* problem = nullptr);

// Sets the picture's resolution (dpi) and saves it with the encoder chosen by
// the path's ending, encoded in memory first and then written whole (a
// failed write leaves no partial file and an old file as it was). Returns 1
// on success, 0 on failure with the reason in *problem (may be null).
int SaveBitmapFile(const QString& path, QImage& image, int dpi, QString* problem = nullptr);

// The metafile of RecordEquationMetafile written whole to the path; false
// with the reason when it cannot be recorded or written.
bool ExportMetafile(const RenderContext& context, EqModel* eq, const QString& path, QString* problem = nullptr);

// What became of a bitmap export.
enum class BitmapExportResult {
    Done,      // the file was written, or the picture is on the clipboard
    TooLarge,  // the picture would be too large at the resolution: nothing written
    Failed,    // it could not be encoded or written: no file, the old one kept
    Nothing,   // a path of one character: nothing to do
};

// Renders the equation at the resolution and saves it to the path
// (SaveBitmapFile); an empty path puts it on the clipboard instead, on an
// opaque white ground, as "image/png" data. A PNG file is drawn and encoded
// band by band, so that a large picture is never held whole; its pixels are
// those of RenderExportBitmap. *problem (may be null) tells why
// it did not succeed; *pixelSize (may be null) gets the picture's size in
// pixels as asked for.
BitmapExportResult ExportBitmap(const RenderContext& context, EqModel* eq, const QString& path, int dpi,
                                QString* problem = nullptr, QSizeF* pixelSize = nullptr);

}  // namespace toliva
