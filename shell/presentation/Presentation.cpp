#include "shell/presentation/Presentation.h"

#include "model/EqElement.h"
#include "model/EqModel.h"
#include "platform/SafeFile.h"
#include "platform/emf/EmfBytes.h"
#include "platform/emf/EmfFormat.h"
#include "platform/emf/EmfInfo.h"
#include "platform/emf/EmfRecorder.h"
#include "sheet/editing/PictureExport.h"

#include <QFile>
#include <QPainter>

#include <algorithm>
#include <climits>
#include <cmath>

namespace toliva {
namespace {

// Millimetres per pixel that the mm ratio is counted in.
constexpr double kRatioUnitMm = 0.35260416666666666;
// Reference resolutions outside these bounds are taken for a measuring fault.
constexpr int kMinReferenceDpi = 24;
constexpr int kMaxReferenceDpi = 2400;
// The placeable header's units: 0.01 mm, unless the extent needs fewer.
constexpr int kHimetricPerInch = 2540;

constexpr size_t kPlaceableBytes = 22;
constexpr size_t kHeaderBytes = 18;

// Where the records of a Windows metafile lie.
struct WmfParts {
    size_t header = 0;          // offset of the standard header
    size_t records = 0;         // offset of the first record
    size_t end = 0;             // offset of the end record
    uint16_t objects = 0;       // the header's object count
    uint32_t largestRecord = 0; // words, the end record included
};

bool findWmfParts(const QByteArray& wmf, WmfParts* parts) {
    emf::ByteReader r(reinterpret_cast<const uint8_t*>(wmf.constData()), size_t(wmf.size()));
    WmfParts p;
    if (r.u32(0) == emf::kPlaceableKey) p.header = kPlaceableBytes;
    const uint16_t type = r.u16(p.header);
    if (!r.ok() || (type != 1 && type != 2) || r.u16(p.header + 2) != kHeaderBytes / 2) return false;
    p.objects = r.u16(p.header + 10);
    p.records = p.header + kHeaderBytes;
    for (size_t at = p.records; r.has(at, 6);) {
        const uint32_t words = r.u32(at);
        if (words < 3 || !r.has(at, size_t(words) * 2)) return false;
        p.largestRecord = std::max(p.largestRecord, words);
        if (r.u16(at + 4) == emf::META_EOF) {
            p.end = at;
            *parts = p;
            return true;
        }
        at += size_t(words) * 2;
    }
    return false;
}

// Plays the records of source into target before target's end record, as a
// metafile device records a metafile played into it. Target must hold no
// objects of its own (it has drawn nothing but comments), so the source's
// object numbers stay what they are.
void playInto(QByteArray* target, const QByteArray& source, const WmfParts& from) {
    WmfParts to;
    findWmfParts(*target, &to);
    target->insert(qsizetype(to.end), source.constData() + from.records, qsizetype(from.end - from.records));
    emf::ByteWriter w(target);
    w.patchU32(qsizetype(to.header + 6), uint32_t((target->size() - qsizetype(to.header)) / 2));
    w.patchU16(qsizetype(to.header + 10), std::max(from.objects, to.objects));
    w.patchU32(qsizetype(to.header + 12), std::max(from.largestRecord, to.largestRecord));
}

}  // namespace

// ---- the comment records

QByteArray BaselineComment(int16_t baseline) {
    QByteArray data(kBaselineTag, 8);
    emf::ByteWriter w(&data);
    w.u16(0);
    w.i16(baseline);
    return data;
}

QList<QByteArray> LaTeXComments(QStringView text) {
    QList<QByteArray> comments;
    const qsizetype total = text.size();
    for (qsizetype at = 0; at < total; at += kMaxLaTeXChunkUnits) {
        const qsizetype n = std::min<qsizetype>(kMaxLaTeXChunkUnits, total - at);
        QByteArray data(kLaTeXTag, 8);
        data.reserve(kLaTeXCommentHeaderBytes + 2 * n);
        emf::ByteWriter w(&data);
        w.u32(uint32_t(total));
        w.u32(uint32_t(n));
        for (const QChar c : text.mid(at, n)) w.u16(c.unicode());
        comments.append(data);
    }
    return comments;
}

int16_t PresentationBaseline(float extentY, float pictureHeight, float pictureBaseline, float pictureDescent) {
    if (!(pictureHeight > 0) || !std::isfinite(pictureHeight) || !std::isfinite(extentY) ||
        !std::isfinite(pictureBaseline) || !std::isfinite(pictureDescent))
        return 0;
    // The glyphs sit the baseline offset below the picture's nominal
    // baseline (height - descent): the ink's baseline lies descent - offset
    // above the bottom.
    const float k = extentY / pictureHeight;
    const double value = double(extentY - (pictureDescent - pictureBaseline) * k) * 0.448;
    if (!std::isfinite(value) || value <= 0) return 0;
    return int16_t(std::min(std::trunc(value), double(INT16_MAX)));
}

int ExtentToInt(float value) {
    if (!std::isfinite(value)) return 0;
    return int(std::clamp(std::trunc(double(value)), double(INT_MIN), double(INT_MAX)));
}

// ---- the cache

bool PresentationIsEmpty(const EqModel* eq) {
    return !eq || eq->lines.empty() || (eq->lines.size() == 1 && (!eq->lines.front() || !eq->lines.front()->next));
}

int PresentationReferenceDpi(float mmPerPixelRatio) {
    if (!std::isfinite(mmPerPixelRatio) || mmPerPixelRatio <= 0) return 96;
    const double dpi = std::round(25.4 / (double(mmPerPixelRatio) * kRatioUnitMm));
    if (!(dpi >= kMinReferenceDpi && dpi <= kMaxReferenceDpi)) return 96;
    return int(dpi);
}

float MmRatioOfDpi(int dpi) { return float((25.4 / dpi) / kRatioUnitMm); }

bool RenderPresentationCache(const RenderContext& context, EqModel* eq, float mmPerPixelRatio,
                             const QString& tempEmfPath, PresentationCache* out, QString* problem) {
    *out = PresentationCache{};
    out->empty = PresentationIsEmpty(eq);
    if (!eq) return true;

    const int dpi = PresentationReferenceDpi(mmPerPixelRatio);
    const double s = double(kPresentationScale) * MmRatioOfDpi(dpi);
    emf::EmfRecorder recorder(QSizeF(), dpi);
    out->picture = RecordEquationPicture(context, eq, kPresentationScale, &recorder);
    // The frame is the picture, whose background may have drawn nothing.
    recorder.setSize(QSizeF(out->picture.width, out->picture.height));

    // The frame as the enhanced metafile states it, read back from the file
    // when it could be written.
    QByteArray emf = recorder.toEmf();
    if (!tempEmfPath.isEmpty()) {
        QByteArray written;
        if (WriteFileSafely(tempEmfPath, emf, nullptr) && ReadFileCapped(tempEmfPath, kMaxInputFileBytes, &written, nullptr))
            emf = written;
        QFile::remove(tempEmfPath);
    }
    out->emf = emf;
    if (const std::optional<emf::EmfHeader> header = emf::readEmfHeader(emf)) {
        const emf::EmfRect& f = header->frame;
        out->frameLeft = float(f.left / s);
        out->frameTop = float(f.top / s);
        out->extentX = float((double(f.right) - f.left) / s);
        out->extentY = float((double(f.bottom) - f.top) / s);
    }

    emf::WmfOptions options;
    options.placeable = false;
    options.unitsPerInch = dpi;  // the reference device's pixels, fewer when 16 bits do not hold them
    QString error;
    out->wmf = recorder.toWmf(options, &error);
    if (out->wmf.isEmpty()) {
        if (problem) *problem = error;
        return false;
    }
    return true;
}

// ---- the container's picture

bool IsWindowsMetafile(const QByteArray& wmf) {
    WmfParts parts;
    return findWmfParts(wmf, &parts);
}

QByteArray PresentationMetafile(const PresentationInput& input, QString* problem) {
    const int cx = std::max(1, input.extent.width());
    const int cy = std::max(1, input.extent.height());
    const bool hasCache = !input.cache.isEmpty();
    WmfParts cacheParts;
    if (hasCache && !input.empty && !findWmfParts(input.cache, &cacheParts)) {
        if (problem) *problem = QStringLiteral("The cached picture is no Windows metafile.");
        return {};
    }

    // The picture's own units are 0.01 mm; the writer takes fewer per inch
    // when the extent passes 16 bits.
    emf::EmfRecorder recorder(QSizeF(cx, cy), kHimetricPerInch);
    if (hasCache) {
        recorder.addComment(BaselineComment(input.baseline));
        for (const QByteArray& comment : LaTeXComments(input.latex)) recorder.addComment(comment);
        if (input.empty && cx > 2 && cy > 2) {
            QPainter p(&recorder);
            p.fillRect(QRectF(1, 1, cx - 2, cy - 2), QBrush(Qt::black, Qt::BDiagPattern));
        }
    }
    emf::WmfOptions options;
    options.unitsPerInch = kHimetricPerInch;
    QString error;
    QByteArray wmf = recorder.toWmf(options, &error);
    if (wmf.isEmpty()) {
        if (problem) *problem = error;
        return {};
    }
    if (hasCache && !input.empty) playInto(&wmf, input.cache, cacheParts);
    return wmf;
}

}  // namespace toliva
