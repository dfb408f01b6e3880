#include "sheet/editing/PictureExport.h"

#include "model/EqDraw.h"
#include "model/EqModel.h"
#include "model/EqOutput.h"
#include "model/EqSpacing.h"
#include "model/RenderContext.h"
#include "platform/ClipboardService.h"
#include "platform/RegKey.h"
#include "platform/SafeFile.h"
#include "platform/emf/EmfRecorder.h"
#include "platform/gdiplus/Bitmap.h"
#include "platform/gdiplus/Graphics.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>

#include <gif_lib.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace toliva {
namespace {

const QString kResolutionValue = QStringLiteral("ExpResolu");

// The nominal resolution of a rendered picture before it is saved.
constexpr int kNominalDpi = 72;

int dotsPerMeter(int dpi) { return int(std::lround(double(dpi) / 0.0254)); }

// What the drawing passes change on the equation for a picture, given back
// when the picture is done.
class PictureFlags {
public:
    explicit PictureFlags(EqModel* eq)
        : m_eq(eq),
          m_markHighlight(eq->markHighlight),
          m_outlineText(eq->outlineText),
          m_outputMode(eq->outputMode),
          m_phantomColour(eq->phantomColour) {
        eq->markHighlight = 0;
    }
    ~PictureFlags() {
        m_eq->markHighlight = m_markHighlight;
        m_eq->outlineText = m_outlineText;
        m_eq->outputMode = m_outputMode;
        m_eq->phantomColour = m_phantomColour;
        InvalidateAllLineCaches(m_eq);
    }
    PictureFlags(const PictureFlags&) = delete;
    PictureFlags& operator=(const PictureFlags&) = delete;

private:
    EqModel* m_eq;
    uint8_t m_markHighlight;
    uint8_t m_outlineText;
    int32_t m_outputMode;
    gp::ARGB m_phantomColour;
};

void antiAlias(gp::Graphics& g) {
    g.SetSmoothingMode(gp::SmoothingModeAntiAlias);
    g.SetTextRenderingHint(gp::TextRenderingHintAntiAlias);
}

// ---- encoders

enum class Writer { Qt, Gif, Png };

struct EncoderInfo {
    const char* mime;
    const char* qtFormat;  // Qt's name of the format, for Writer::Qt
    Writer writer;
};

// In the order the encoders are numbered.
constexpr std::array<EncoderInfo, 5> kEncoders{{
    {"image/bmp", "bmp", Writer::Qt},
    {"image/jpeg", "jpeg", Writer::Qt},
    {"image/gif", "gif", Writer::Gif},
    {"image/tiff", "tiff", Writer::Qt},
    {"image/png", "png", Writer::Png},
}};

// The encoders this build can write with, in order.
const std::vector<const EncoderInfo*>& availableEncoders() {
    static const std::vector<const EncoderInfo*> list = [] {
        std::vector<const EncoderInfo*> out;
        const QList<QByteArray> formats = QImageWriter::supportedImageFormats();
        for (const EncoderInfo& e : kEncoders) {
            if (e.writer != Writer::Qt || formats.contains(QByteArray(e.qtFormat))) out.push_back(&e);
        }
        return out;
    }();
    return list;
}

bool encodeWithQt(const QImage& image, const char* format, QByteArray* bytes, QString* problem) {
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (!writer.write(image)) {
        if (problem) *problem = writer.errorString();
        return false;
    }
    *bytes = std::move(out);
    return true;
}

int appendGifBytes(GifFileType* gif, const GifByteType* data, int length) {
    static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(data), length);
    return length;
}

bool giflibFailed(int error, QString* problem) {
    if (problem) *problem = QStringLiteral("GIF: %1").arg(QString::fromUtf8(GifErrorString(error)));
    return false;
}

// ---- drawing

// An equation laid out for a picture, with the picture's size, margins,
// scale and background.
struct PreparedPicture {
    QSize size;
    ExportMargins margins;
    float scale = 1;
    gp::ARGB background = 0;
};

QString noMemoryFor(QSize size) {
    return QStringLiteral("not enough memory for a picture of %1 x %2 pixels").arg(size.width()).arg(size.height());
}

// Lays the equation out for output at the resolution's scale and works out
// the picture (the caller holds the pass and the picture flags). False when
// the picture would be too large.
bool preparePicture(const RenderContext& context, EqModel* eq, int dpi, bool transparencyAllowed,
                    PreparedPicture* picture, QString* problem, QSizeF* pixelSize) {
    picture->scale = ExportScale(dpi);
    // Measuring needs no surface.
    gp::PainterGraphics measuring(nullptr);
    antiAlias(measuring);
    LayoutForOutput(context, &measuring, eq, {0, 0}, picture->scale);

    const ExportMargins m = ExportMarginsOf(eq, picture->scale);
    picture->margins = m;
    const double width = std::trunc(double(m.left) + double(m.right) + double(eq->widestLine));
    const double height = std::trunc(double(m.top) + double(m.bottom) + double(eq->totalHeight));
    if (pixelSize) *pixelSize = QSizeF(width, height);
    if (!gp::PicturePixelSize(width, height, &picture->size, problem)) return false;

    picture->background = eq->settings.colours[EqLayoutSettings::ColourBackground];
    if (eq->settings.ints[5] != 0 && transparencyAllowed) picture->background &= 0x00FFFFFF;
    return true;
}

// Draws the rows of the picture from top on into band (as many as it has):
// the background, then every line that reaches into them. The painter is
// moved by whole rows, so a band holds exactly the pixels of the whole
// picture's rows.
void drawBand(EqModel* eq, const PreparedPicture& picture, QImage* band, int top) {
    band->fill(QColor::fromRgba(picture.background));
    QPainter painter(band);
    painter.translate(0, -top);
    gp::PainterGraphics g(&painter);
    antiAlias(g);
    // Ink may reach a little beyond a line's box: an em of slack.
    const float slack = eq->settings.fontSize * picture.scale + 2;
    const float bandTop = float(top) - slack;
    const float bandBottom = float(top + band->height()) + slack;
    const ExportMargins& m = picture.margins;
    for (const LinePlacement& p : eq->placements) {
        const float y = p.y + m.top;
        if (y + p.descent < bandTop || y - p.ascent > bandBottom) continue;
        DrawElement(p.head, g, p.x + m.left, y, nullptr, picture.scale, false);
    }
}

// ---- PNG through libpng, row by row

class PngWriter {
public:
    PngWriter() {
        m_png = png_create_write_struct(PNG_LIBPNG_VER_STRING, this, onError, onWarning);
        if (m_png) m_info = png_create_info_struct(m_png);
    }
    ~PngWriter() { png_destroy_write_struct(m_png ? &m_png : nullptr, m_info ? &m_info : nullptr); }
    PngWriter(const PngWriter&) = delete;
    PngWriter& operator=(const PngWriter&) = delete;

    // An opaque picture is written as RGB, any other as RGBA.
    bool begin(int width, int height, bool alpha, int pixelsPerMeter) {
        if (!m_png || !m_info) return fail("libpng could not start");
        m_alpha = alpha;
        m_width = width;
        if (alpha) m_row.resize(size_t(width));
        return guarded([&] {
            png_set_write_fn(m_png, &m_bytes, onWrite, nullptr);
            png_set_IHDR(m_png, m_info, png_uint_32(width), png_uint_32(height), 8,
                         alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                         PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
            const png_uint_32 ppm = png_uint_32(std::max(0, pixelsPerMeter));
            png_set_pHYs(m_png, m_info, ppm, ppm, PNG_RESOLUTION_METER);
            // The pictures are mostly rows of one colour and rows like the
            // one above: the up filter and run-length compression are fast
            // and small for them.
            png_set_filter(m_png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
            png_set_compression_level(m_png, 1);
            png_set_compression_strategy(m_png, Z_RLE);
            png_write_info(m_png, m_info);
            // Rows come as 32-bit ARGB words: B, G, R, A in memory.
            png_set_bgr(m_png);
            if (!m_alpha) png_set_filler(m_png, 0, PNG_FILLER_AFTER);
        });
    }

    // Rows first .. first + count - 1 of a premultiplied ARGB picture.
    bool writeRows(const QImage& image, int first, int count) {
        for (int y = first; y < first + count; ++y) {
            const auto* source = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            const QRgb* row = source;
            if (m_alpha) {
                for (int x = 0; x < m_width; ++x) m_row[size_t(x)] = qUnpremultiply(source[x]);
                row = m_row.data();
            }
            if (!guarded([&] { png_write_row(m_png, reinterpret_cast<png_const_bytep>(row)); })) return false;
        }
        return true;
    }

    bool finish(QByteArray* bytes) {
        if (!guarded([&] { png_write_end(m_png, nullptr); })) return false;
        *bytes = std::move(m_bytes);
        return true;
    }

    QString problem;

private:
    // Runs libpng calls; libpng reports an error by jumping back here. (No
    // object with a destructor lives between the jump and its target.)
    template <typename F>
    bool guarded(F&& calls) {
        if (setjmp(png_jmpbuf(m_png))) return false;
        calls();
        return true;
    }
    bool fail(const char* why) {
        problem = QString::fromLatin1(why);
        return false;
    }
    static void onError(png_structp png, png_const_charp message) {
        static_cast<PngWriter*>(png_get_error_ptr(png))->problem = QStringLiteral("PNG: ") + QString::fromUtf8(message);
        png_longjmp(png, 1);
    }
    static void onWarning(png_structp, png_const_charp) {}
    static void onWrite(png_structp png, png_bytep data, png_size_t length) {
        static_cast<QByteArray*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), qsizetype(length));
    }

    png_structp m_png = nullptr;
    png_infop m_info = nullptr;
    QByteArray m_bytes;
    std::vector<QRgb> m_row;
    bool m_alpha = false;
    int m_width = 0;
};

bool anyTranslucentPixel(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(row[x]) != 255) return true;
    }
    return false;
}

// A whole picture as PNG.
bool encodePng(const QImage& image, QByteArray* bytes, QString* problem) {
    if (image.isNull()) {
        if (problem) *problem = QStringLiteral("PNG: the picture is empty");
        return false;
    }
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    PngWriter png;
    const bool ok = png.begin(argb.width(), argb.height(), anyTranslucentPixel(argb), argb.dotsPerMeterX()) &&
                    png.writeRows(argb, 0, argb.height()) && png.finish(bytes);
    if (!ok && problem) *problem = png.problem;
    return ok;
}

// The rows of a band written at a time, and the rows above them drawn with
// them: the rasteriser works out a stroke's edge pixels a little differently
// right at the edge of its surface, so a band starts its drawing some rows
// before the rows it keeps.
constexpr int kBandRows = 256;
constexpr int kBandOverlap = 16;

// The PNG of the picture drawn band by band: only one band's memory is
// touched, however large the picture.
bool renderPngBands(EqModel* eq, const PreparedPicture& picture, int dpi, QByteArray* bytes, QString* problem) {
    const int height = picture.size.height();
    QImage band(picture.size.width(), kBandOverlap + std::min(kBandRows, height), QImage::Format_ARGB32_Premultiplied);
    if (band.isNull()) {
        if (problem) *problem = noMemoryFor(picture.size);
        return false;
    }
    PngWriter png;
    bool ok = png.begin(picture.size.width(), height, qAlpha(picture.background) != 255, dotsPerMeter(dpi));
    for (int top = 0; ok && top < height; top += kBandRows) {
        drawBand(eq, picture, &band, top - kBandOverlap);
        ok = png.writeRows(band, kBandOverlap, std::min(kBandRows, height - top));
    }
    ok = ok && png.finish(bytes);
    if (!ok && problem) *problem = png.problem;
    return ok;
}

}  // namespace

// ---- types

int PreselectedExportType(int storedIndex) {
    return unsigned(storedIndex) < unsigned(kExportTypeCount) ? storedIndex + 1 : ExportMetafileType;
}

int ExportTypeOfPath(const QString& path, int offeredType) {
    const QString name = path.toLower();
    if (name.endsWith(u".emf")) return ExportMetafileType;
    if (name.endsWith(u".png")) return ExportPng;
    if (name.endsWith(u".jpg") || name.endsWith(u".jpeg")) return ExportJpeg;
    if (name.endsWith(u".gif")) return ExportGif;
    if (name.endsWith(u".tif") || name.endsWith(u".tiff")) return ExportTiff;
    if (name.endsWith(u".bmp")) return ExportBmp;
    return offeredType >= 1 && offeredType <= kExportTypeCount ? offeredType : ExportMetafileType;
}

// ---- resolution, scale, margins

int ClampExportResolution(int dpi) { return dpi < kMinExportResolution ? kMinExportResolution : dpi; }

int ReadExportResolution() {
    RegKey key;
    OpenRegKey(kEqSettingsKey, key);
    int dpi = kDefaultExportResolution;
    ReadRegDword(key, kResolutionValue, dpi, kDefaultExportResolution);
    return ClampExportResolution(dpi);
}

float ExportScale(int dpi) { return float(ClampExportResolution(dpi)) * 3.2f / 96.0f; }

ExportMargins ExportMarginsOf(const EqModel* eq, float scale) {
    ExportMargins m;
    if (!eq) return m;
    const float F = eq->settings.fontSize;
    m.left = SpacingOf(eq, SpacingPictureMarginLeft) * F * scale;
    m.top = SpacingOf(eq, SpacingPictureMarginTop) * F * scale;
    m.right = (SpacingOf(eq, SpacingPictureMarginRight) + 0.1f) * F * scale;
    m.bottom = (SpacingOf(eq, SpacingPictureMarginBottom) + 0.1f) * F * scale;
    return m;
}

bool ExportAllowsTransparency(const QString& path) {
    if (path.size() < 4) return true;
    const QString ending = path.right(3).toUpper();
    return ending == u"PNG" || ending == u"EMF";
}

// ---- rendering

QByteArray RecordEquationMetafile(const RenderContext& context, EqModel* eq) {
    if (!eq) return {};
    const RenderScope pass(eq, context);
    const PictureFlags flags(eq);
    emf::EmfRecorder recorder;
    {
        gp::PainterGraphics g(static_cast<QPaintDevice*>(&recorder));
        antiAlias(g);
        eq->outlineText = 1;
        DrawEquation(context, gp::PointF{0, 0}, g, eq, 1.0f, false, false);
        eq->outlineText = 0;
    }
    return recorder.toEmf();
}

EqPictureMetrics RecordEquationPicture(const RenderContext& context, EqModel* eq, float scale, QPaintDevice* device) {
    if (!eq || !device) return {};
    const RenderScope pass(eq, context);
    const PictureFlags flags(eq);
    gp::PainterGraphics g(device);
    antiAlias(g);
    eq->outlineText = 1;
    const EqPictureMetrics metrics = DrawEquationPicture(context, g, eq, scale);
    eq->outlineText = 0;
    return metrics;
}

QImage RenderExportBitmap(const RenderContext& context, EqModel* eq, int dpi, bool transparencyAllowed,
                          QString* problem, QSizeF* pixelSize) {
    if (!eq) return {};
    const RenderScope pass(eq, context);
    const PictureFlags flags(eq);
    PreparedPicture picture;
    if (!preparePicture(context, eq, dpi, transparencyAllowed, &picture, problem, pixelSize)) return {};
    QImage image(picture.size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        if (problem) *problem = noMemoryFor(picture.size);
        return {};
    }
    image.setDotsPerMeterX(dotsPerMeter(kNominalDpi));
    image.setDotsPerMeterY(dotsPerMeter(kNominalDpi));
    drawBand(eq, picture, &image, 0);
    return image;
}

// ---- encoders and files

QString ImageMimeTypeForPath(const QString& path) {
    const QString name = path.toLower();
    if (name.endsWith(u"jpeg")) return QStringLiteral("image/jpeg");
    if (name.endsWith(u"tiff")) return QStringLiteral("image/tiff");
    if (name.endsWith(u"gif")) return QStringLiteral("image/gif");
    if (name.endsWith(u"jpg")) return QStringLiteral("image/jpeg");
    if (name.endsWith(u"png")) return QStringLiteral("image/png");
    if (name.endsWith(u"tif")) return QStringLiteral("image/tiff");
    return QStringLiteral("image/bmp");
}

int FindImageEncoder(const QString& mimeType) {
    const std::vector<const EncoderInfo*>& list = availableEncoders();
    for (size_t i = 0; i < list.size(); ++i)
        if (mimeType == QLatin1String(list[i]->mime)) return int(i);
    return -1;
}

int ImageEncoderCount() { return int(availableEncoders().size()); }

QString ImageEncoderMimeType(int index) {
    const std::vector<const EncoderInfo*>& list = availableEncoders();
    if (index < 0 || index >= int(list.size())) return {};
    return QString::fromLatin1(list[size_t(index)]->mime);
}

bool EncodeImage(const QImage& image, int index, QByteArray* bytes, QString* problem) {
    const std::vector<const EncoderInfo*>& list = availableEncoders();
    if (index < 0 || index >= int(list.size())) {
        if (problem) *problem = QStringLiteral("no such picture encoder");
        return false;
    }
    const EncoderInfo& e = *list[size_t(index)];
    if (e.writer == Writer::Gif) return EncodeGif(image, bytes, problem);
    if (e.writer == Writer::Png) return encodePng(image, bytes, problem);
    return encodeWithQt(image, e.qtFormat, bytes, problem);
}

bool EncodeGif(const QImage& image, QByteArray* bytes, QString* problem) {
    constexpr int kMaxGifSide = 65535;
    if (image.isNull()) {
        if (problem) *problem = QStringLiteral("GIF: the picture is empty");
        return false;
    }
    if (image.width() > kMaxGifSide || image.height() > kMaxGifSide) {
        if (problem)
            *problem = QStringLiteral("GIF: a picture of %1 x %2 pixels is larger than a GIF can hold (%3 pixels a side)")
                           .arg(image.width())
                           .arg(image.height())
                           .arg(kMaxGifSide);
        return false;
    }
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    const int w = rgb.width(), h = rgb.height();
    const size_t pixels = size_t(w) * size_t(h);
    std::vector<GifByteType> red(pixels), green(pixels), blue(pixels), indexes(pixels);
    for (int y = 0; y < h; ++y) {
        const uchar* row = rgb.constScanLine(y);
        const size_t base = size_t(y) * size_t(w);
        for (int x = 0; x < w; ++x) {
            red[base + size_t(x)] = row[3 * x];
            green[base + size_t(x)] = row[3 * x + 1];
            blue[base + size_t(x)] = row[3 * x + 2];
        }
    }
    std::array<GifColorType, 256> palette{};
    int paletteSize = int(palette.size());
    if (GifQuantizeBuffer(unsigned(w), unsigned(h), &paletteSize, red.data(), green.data(), blue.data(),
                          indexes.data(), palette.data()) != GIF_OK) {
        if (problem) *problem = QStringLiteral("GIF: the colours could not be reduced to a palette");
        return false;
    }

    QByteArray out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, appendGifBytes, &error);
    if (!gif) return giflibFailed(error, problem);
    // The whole palette is written: giflib's colour maps have a power-of-two size.
    ColorMapObject* map = GifMakeMapObject(int(palette.size()), palette.data());
    bool ok = map && EGifPutScreenDesc(gif, w, h, 8, 0, map) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, w, h, false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < h; ++y)
        ok = EGifPutLine(gif, indexes.data() + size_t(y) * size_t(w), w) == GIF_OK;
    if (!ok) error = gif->Error;
    GifFreeMapObject(map);
    int closeError = 0;
    if (EGifCloseFile(gif, &closeError) != GIF_OK && ok) {
        ok = false;
        error = closeError;
    }
    if (!ok) return giflibFailed(error ? error : E_GIF_ERR_NOT_ENOUGH_MEM, problem);
    *bytes = std::move(out);
    return true;
}

int SaveBitmapFile(const QString& path, QImage& image, int dpi, QString* problem) {
    image.setDotsPerMeterX(dotsPerMeter(dpi));
    image.setDotsPerMeterY(dotsPerMeter(dpi));
    const int encoder = FindImageEncoder(ImageMimeTypeForPath(path));
    if (encoder < 0) {
        if (problem) *problem = QStringLiteral("no encoder for %1").arg(ImageMimeTypeForPath(path));
        return 0;
    }
    QByteArray bytes;
    if (!EncodeImage(image, encoder, &bytes, problem)) return 0;
    return WriteFileSafely(path, bytes, problem) ? 1 : 0;
}

bool ExportMetafile(const RenderContext& context, EqModel* eq, const QString& path, QString* problem) {
    const QByteArray emf = RecordEquationMetafile(context, eq);
    if (emf.isEmpty()) {
        if (problem) *problem = QStringLiteral("the metafile could not be recorded");
        return false;
    }
    return WriteFileSafely(path, emf, problem);
}

BitmapExportResult ExportBitmap(const RenderContext& context, EqModel* eq, const QString& path, int dpi,
                                QString* problem, QSizeF* pixelSize) {
    if (!eq || path.size() == 1) return BitmapExportResult::Nothing;
    const auto tooLargeOrFailed = [&](const QSizeF& asked) {
        if (pixelSize) *pixelSize = asked;
        const bool tooLarge = !gp::PicturePixelSize(asked.width(), asked.height(), nullptr, nullptr);
        return tooLarge ? BitmapExportResult::TooLarge : BitmapExportResult::Failed;
    };
    QSizeF asked;

    if (!path.isEmpty() && ImageMimeTypeForPath(path) == u"image/png") {
        // A PNG file is drawn and encoded band by band.
        QByteArray bytes;
        {
            const RenderScope pass(eq, context);
            const PictureFlags flags(eq);
            PreparedPicture picture;
            if (!preparePicture(context, eq, dpi, ExportAllowsTransparency(path), &picture, problem, &asked))
                return tooLargeOrFailed(asked);
            if (pixelSize) *pixelSize = asked;
            if (!renderPngBands(eq, picture, ClampExportResolution(dpi), &bytes, problem))
                return BitmapExportResult::Failed;
        }
        return WriteFileSafely(path, bytes, problem) ? BitmapExportResult::Done : BitmapExportResult::Failed;
    }

    QImage image = RenderExportBitmap(context, eq, dpi, ExportAllowsTransparency(path), problem, &asked);
    if (image.isNull()) return tooLargeOrFailed(asked);
    if (pixelSize) *pixelSize = asked;
    if (path.isEmpty()) {
        // The clipboard's picture is opaque: on white.
        QImage onWhite(image.size(), QImage::Format_RGB32);
        onWhite.fill(Qt::white);
        {
            QPainter p(&onWhite);
            p.drawImage(0, 0, image);
        }
        clipboardService().setImage(onWhite);
        return BitmapExportResult::Done;
    }
    return SaveBitmapFile(path, image, ClampExportResolution(dpi), problem) ? BitmapExportResult::Done
                                                                             : BitmapExportResult::Failed;
}

}  // namespace toliva
