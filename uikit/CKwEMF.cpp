#include "uikit/CKwEMF.h"

#include "platform/AppContext.h"
#include "platform/Archive.h"
#include "platform/emf/EmfInfo.h"
#include "platform/emf/EmfPlayer.h"
#include "platform/gdiplus/Graphics.h"
#include "platform/gdiplus/GraphicsPath.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <optional>

namespace toliva {
namespace {

bool positiveFinite(float v) { return std::isfinite(v) && v > 0; }

}  // namespace

bool CKwEMF::LoadFile(const QString& path) {
    std::optional<Archive> ar;
    try {
        ar.emplace(Archive::openFile(ResolvePathIgnoringCase(path), Archive::Load));
    } catch (const FileException&) {
        return false;
    }
    try {
        Load(*ar);
    } catch (const ArchiveException&) {
        // A short or damaged file keeps what was read.
    }
    return true;
}

void CKwEMF::Load(Archive& ar) {
    if (!ar.isLoading()) throw ArchiveException(ArchiveException::WrongMode, "picture: not a loading archive");
    // A reload starts from an empty picture, so nothing of the old one (its
    // cached bitmap above all) outlives a file that ends early.
    fields.clear();
    pageBounds = gp::RectF();
    metafile.clear();
    byteCount = 0;
    scale = 1.0f;
    width = 0;
    height = 0;
    dropPicture();
    readFields(ar);
    OnFieldsLoaded();
    SerializeMetafile(ar);
}

void CKwEMF::readFields(Archive& ar) {
    const int32_t count = ar.readI32();
    if (count <= 0) return;
    gp::RectF bounds;
    bounds.x = ar.readF32();
    bounds.y = ar.readF32();
    bounds.width = ar.readF32();
    bounds.height = ar.readF32();
    pageBounds = bounds;

    // Only the records that are wholly there are read; a count beyond them
    // makes the file short.
    const qint64 present = std::min<qint64>(count, ar.bytesLeft() / kFieldRecordBytes);
    fields.reserve(size_t(present));
    for (qint64 i = 0; i < present; ++i) {
        PictureField f;
        f.item = ar.readI32();
        f.kind = ar.readI32();
        f.type = ar.readI32();
        f.x = ar.readF32();
        f.y = ar.readF32();
        f.x2 = ar.readF32();
        f.y2 = ar.readF32();
        f.highlight = PictureField::kDefaultHighlight;
        f.visible = true;
        fields.push_back(std::move(f));
    }
    if (present < count) throw ArchiveException(ArchiveException::EndOfFile, "picture: field records end early");
}

void CKwEMF::SerializeMetafile(Archive& ar) {
    if (ar.isStoring()) {
        const int32_t count = byteCount > 0 ? int32_t(metafile.size()) : byteCount;
        ar.writeI32(count);
        ar.writeF32(scale);
        ar.writeF32(width);
        ar.writeF32(height);
        if (count > 0) ar.writeBytes(metafile.constData(), metafile.size());
        return;
    }

    metafile.clear();
    byteCount = 0;
    dropPicture();
    const int32_t count = ar.readI32();
    const float s = ar.readF32();
    const float w = ar.readF32();
    const float h = ar.readF32();
    byteCount = count;
    scale = s;
    width = w;
    height = h;
    if (count <= 0) return;

    // A block that claims more than is left keeps the bytes that are there.
    const qint64 present = std::min<qint64>(count, ar.bytesLeft());
    metafile = ar.readByteArray(present);
    byteCount = int(present);
    RebuildMetafile();
    if (present < count) throw ArchiveException(ArchiveException::EndOfFile, "picture: metafile block ends early");
}

bool CKwEMF::RebuildMetafile() {
    dropPicture();
    if (metafile.isEmpty()) return false;
    m_hasHandle = emf::readEmfHeader(metafile).has_value();
    // A block of 256 bytes or fewer holds a handle but nothing to draw.
    m_hasPlayable = m_hasHandle && byteCount > kMinDrawableBytes;
    return m_hasHandle;
}

void CKwEMF::dropPicture() {
    m_hasHandle = false;
    m_hasPlayable = false;
    m_cache = QImage();
}

int CKwEMF::OptionIndexOf(int fieldIndex) const {
    if (fieldIndex < 0 || fieldIndex >= FieldCount()) return -1;
    const int item = fields[size_t(fieldIndex)].item;
    int position = 0;
    for (int i = 0; i < fieldIndex; ++i)
        if (fields[size_t(i)].item == item) ++position;
    return position;
}

bool CKwEMF::IsDrawable() const {
    return !metafile.isEmpty() && byteCount > 0 && m_hasHandle && m_hasPlayable && positiveFinite(width) &&
           positiveFinite(height);
}

void CKwEMF::Draw(gp::Graphics& graphics, const gp::RectF& rect) const {
    // A picture without a usable size, or a rectangle without one, would give
    // an infinite or undefined scale: nothing is drawn.
    if (!IsDrawable() || !positiveFinite(rect.width) || !positiveFinite(rect.height)) return;
    if (!std::isfinite(rect.x) || !std::isfinite(rect.y)) return;
    float s = std::min(rect.width / width, rect.height / height);
    if (!std::isfinite(s)) return;
    if (s < 0.0001f) s = 0.0001f;

    const gp::Matrix saved = graphics.GetTransform();
    graphics.TranslateTransform(rect.x + rect.width / 2, rect.y + rect.height / 2);
    graphics.ScaleTransform(s, s);
    graphics.TranslateTransform(-width / 2, -height / 2);
    if (auto* pg = dynamic_cast<gp::PainterGraphics*>(&graphics)) {
        QPainter* painter = pg->painter();
        if (painter && painter->isActive()) emf::EmfPlayer::play(metafile, painter, QRectF(0, 0, width, height));
    }
    graphics.SetTransform(saved);
}

void CKwEMF::DrawToDC(QPainter* painter, const QRect& rect) {
    if (!painter || !painter->isActive()) return;
    if (!m_cache.isNull() && m_cache.size() != rect.size()) m_cache = QImage();
    if (m_cache.isNull()) {
        if (rect.width() <= 0 || rect.height() <= 0) return;
        QImage bitmap(rect.size(), QImage::Format_RGB32);
        if (bitmap.isNull()) return;
        bitmap.fill(Qt::white);
        {
            std::lock_guard<std::recursive_mutex> lock(app().drawingLock);
            gp::PainterGraphics g(&bitmap);
            g.SetSmoothingMode(gp::SmoothingModeAntiAlias);
            Draw(g, gp::RectF{0, 0, float(rect.width()), float(rect.height())});
        }
        m_cache = bitmap;
    }
    painter->save();
    painter->setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    painter->drawImage(rect.topLeft(), m_cache);
    painter->restore();
}

void CKwEMF::AddRoundRectPath(gp::GraphicsPath& path, const QRect& rect, float radius) {
    const float l = float(rect.x());
    const float t = float(rect.y());
    const float r = l + float(rect.width());
    const float b = t + float(rect.height());
    const float d = 2 * radius;
    path.StartFigure();
    path.AddArc(l, t, d, d, 180, 90);
    path.AddArc(r - d, t, d, d, 270, 90);
    path.AddArc(r - d, b - d, d, d, 0, 90);
    path.AddArc(l, b - d, d, d, 90, 90);
    path.CloseFigure();
}

bool LoadPageBundle(const QString& path, const std::function<CKwEMF*(const QString& title)>& makePage) {
    std::optional<Archive> file;
    try {
        file.emplace(Archive::openFile(ResolvePathIgnoringCase(path), Archive::Load));
    } catch (const FileException&) {
        return false;
    }
    ReadPageBundle(*file, makePage);
    return true;
}

void ReadPageBundle(Archive& ar, const std::function<CKwEMF*(const QString& title)>& makePage) {
    try {
        const int32_t count = ar.readI32();
        for (int32_t i = 0; i < count; ++i) {
            // Every page takes some bytes, so a count beyond the data ends
            // with the data.
            if (ar.bytesLeft() <= 0) break;
            const QString title = ar.readString();
            CKwEMF* page = makePage ? makePage(title) : nullptr;
            if (!page) break;
            page->Load(ar);
        }
    } catch (const ArchiveException&) {
        // A short or damaged bundle keeps the pages read so far.
    }
}

QString ResolvePathIgnoringCase(const QString& path) {
    if (path.isEmpty() || QFileInfo::exists(path)) return path;
    const QString clean = QDir::cleanPath(QDir::fromNativeSeparators(path));
    const bool absolute = clean.startsWith(u'/');
    const QStringList parts = clean.split(u'/', Qt::SkipEmptyParts);
    QString current = absolute ? QStringLiteral("/") : QStringLiteral(".");
    QString built = absolute ? QStringLiteral("/") : QString();
    for (const QString& part : parts) {
        QString name = part;
        const QString direct = QDir(current).filePath(part);
        if (part != QLatin1String("..") && !QFileInfo::exists(direct)) {
            const QStringList entries = QDir(current).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                                                QDir::NoDotAndDotDot);
            auto match = std::find_if(entries.begin(), entries.end(), [&](const QString& e) {
                return e.compare(part, Qt::CaseInsensitive) == 0;
            });
            if (match == entries.end()) return path;
            name = *match;
        }
        current = QDir(current).filePath(name);
        built = built.isEmpty() || built.endsWith(u'/') ? built + name : built + u'/' + name;
    }
    return built;
}

}  // namespace toliva
