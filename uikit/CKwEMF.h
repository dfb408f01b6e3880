// Pictures: an enhanced metafile, optionally with field records that mark
// where the property grid places values on a page.
//
// ".apx" file layout (little-endian archive, no magic number, no version):
//   int32 field count N (0 or less: no fields, and the next two entries are absent)
//   4 x float32 page bounds (left, top, width, height)
//   N x field record: int32 item, int32 kind, int32 type, float32 x, y, x2, y2
//   int32 metafile byte count B, float32 scale, float32 width, float32 height
//   B bytes of enhanced metafile (only when B > 0)
// A page bundle (".apg") is an int32 page count, then per page a title as an
// archive string followed by one picture in the layout above.
//
// Reading never trusts a count or a byte size: each is bounded by the bytes
// that are left, and a file that ends early keeps what was read before its end.
#pragma once

#include "platform/gdiplus/GpTypes.h"

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QString>

#include <functional>
#include <vector>

class QPainter;

namespace toliva {

class Archive;

namespace gp {
class Graphics;
class GraphicsPath;
}  // namespace gp

// One field of a page picture.
struct PictureField {
    static constexpr gp::ARGB kDefaultHighlight = 0x33FF8000;

    int item = 0;  // 1-based number of the property item the field shows
    int kind = 0;  // 3: a painted value field
    int type = 0;  // how the value is painted
    QString text;  // caches an expanded text
    float x = 0, y = 0, x2 = 0, y2 = 0;  // source rectangle, page units
    gp::ARGB highlight = kDefaultHighlight;
    gp::RectF laidOut;  // device units, set when the page is drawn
    QRect hitArea;      // set when the page is drawn
    bool visible = false;
};

class CKwEMF {
public:
    // The size of the record of one field in a file.
    static constexpr int kFieldRecordBytes = 28;
    // A metafile block of this many bytes or fewer draws nothing.
    static constexpr int kMinDrawableBytes = 256;

    CKwEMF() = default;
    CKwEMF(const CKwEMF&) = delete;
    CKwEMF& operator=(const CKwEMF&) = delete;
    virtual ~CKwEMF() = default;

    // Reads a picture file. False only when the file does not open; a file
    // that is short or damaged gives true with what could be read. A path
    // whose file does not exist as spelt is looked up without regard to the
    // case of its folder and file names.
    bool LoadFile(const QString& path);
    // Reads the fields and the metafile block from a loading archive,
    // replacing the whole picture. Throws ArchiveException (WrongMode) on a
    // storing archive, and (EndOfFile) when the data ends early; what was read
    // up to there stays.
    void Load(Archive& ar);
    // Loading: reads the metafile block (freeing the old one) and rebuilds the
    // picture; a block that claims more bytes than are left keeps the bytes
    // that are there. Storing: writes the block as it is held.
    void SerializeMetafile(Archive& ar);
    // Makes the drawable picture from the bytes; false without bytes.
    bool RebuildMetafile();

    // The position of a field among the fields with the same item number
    // (0 for the first of them); -1 for an index out of range.
    int OptionIndexOf(int fieldIndex) const;
    int FieldCount() const { return int(fields.size()); }

    // Whether Draw would draw anything (given a usable rectangle).
    bool IsDrawable() const;
    // Draws the picture centred and uniformly scaled to fit rect.
    void Draw(gp::Graphics& graphics, const gp::RectF& rect) const;
    // Draws the picture onto a painter's device at rect through a cached
    // bitmap on white, combined with the target by AND (source and
    // destination), so white leaves the target as it is. The bitmap is
    // rendered again only when the size changes or the picture was reloaded.
    void DrawToDC(QPainter* painter, const QRect& rect);
    // The cached bitmap (null before the first DrawToDC and after a load).
    const QImage& CachedBitmap() const { return m_cache; }

    // Adds a closed rounded rectangle of four quarter arcs of diameter
    // 2 x radius, starting at 180 degrees in the top-left corner and going
    // clockwise. The rectangle spans rect.x() to rect.x() + rect.width().
    static void AddRoundRectPath(gp::GraphicsPath& path, const QRect& rect, float radius);

    std::vector<PictureField> fields;
    QString title;
    gp::RectF pageBounds;      // page units
    gp::RectF referenceRect;   // laid-out rectangle of the reference field
    int byteCount = 0;         // B as held
    float scale = 1.0f;
    float width = 0;           // the metafile's frame in drawing units
    float height = 0;
    QByteArray metafile;
    float scale2 = 1.0f;

protected:
    // Called by Load after the field records and before the metafile block.
    virtual void OnFieldsLoaded() {}

private:
    void dropPicture();
    void readFields(Archive& ar);

    bool m_hasHandle = false;    // the bytes start with a metafile header
    bool m_hasPlayable = false;  // ... and the block is large enough to draw
    QImage m_cache;
};

// Reads a page bundle. For every page, makePage is called with the page's
// title and returns the picture that the page is read into (or null to stop).
// False only when the file does not open; a short or damaged file keeps the
// pages read before the damage, the damaged page with what it holds.
bool LoadPageBundle(const QString& path, const std::function<CKwEMF*(const QString& title)>& makePage);
// The same from a loading archive.
void ReadPageBundle(Archive& ar, const std::function<CKwEMF*(const QString& title)>& makePage);

// The path of an existing file that matches path without regard to the case
// of its folder and file names (the path itself when it exists or when no
// file matches).
QString ResolvePathIgnoringCase(const QString& path);

}  // namespace toliva
