#include "Font.h"

#include "platform/Folders.h"
#include "platform/gdiplus/FontMap.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>

#include <atomic>
#include <cmath>
#include <iterator>
#include <list>
#include <map>
#include <mutex>
#include <unordered_map>
#include <utility>

namespace toliva::gp {
namespace {

// Big-endian fields of a font table; 0 past its end.
int readU16(const QByteArray& table, int offset) {
    if (offset < 0 || offset + 2 > table.size()) return 0;
    return (uint8_t(table[offset]) << 8) | uint8_t(table[offset + 1]);
}
int readS16(const QByteArray& table, int offset) { return int16_t(uint16_t(readU16(table, offset))); }

// What the glyph cache knows of one glyph of one face.
struct CachedGlyph {
    bool hasOutline = false;
    bool hasAdvance = false;
    float advance = 0;
    QPainterPath outline;  // design units; copies share its data
};

// Glyphs by face and glyph index, most recently used first, at most limit of
// them. Outlines are plain data, with nothing of the font engine in them.
class GlyphCache {
public:
    // Calls reader with the glyph of key when the cache has it, marking it
    // most recently used, and answers what reader does; false when it has not.
    template <class F>
    bool read(quint64 key, F&& reader) {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto found = m_index.find(key);
        if (found == m_index.end()) return false;
        m_order.splice(m_order.begin(), m_order, found->second);
        return reader(found->second->second);
    }

    // Calls writer with the glyph of key, made when the cache has none.
    template <class F>
    void update(quint64 key, F&& writer) {
        std::list<Entry> dropped;  // goes after the lock
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_limit == 0) return;
        auto found = m_index.find(key);
        if (found != m_index.end()) {
            m_order.splice(m_order.begin(), m_order, found->second);
        } else {
            m_order.emplace_front(key, CachedGlyph());
            m_index.emplace(key, m_order.begin());
        }
        writer(m_order.front().second);
        trim(&dropped);
    }

    size_t count() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_index.size();
    }
    size_t limit() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_limit;
    }
    void setLimit(size_t limit) {
        std::list<Entry> dropped;
        std::lock_guard<std::mutex> lock(m_mutex);
        m_limit = limit;
        trim(&dropped);
    }
    void clear() {
        std::list<Entry> dropped;
        std::lock_guard<std::mutex> lock(m_mutex);
        dropped.swap(m_order);
        m_index.clear();
    }

private:
    using Entry = std::pair<quint64, CachedGlyph>;

    // The caller holds the mutex.
    void trim(std::list<Entry>* dropped) {
        while (m_index.size() > m_limit) {
            m_index.erase(m_order.back().first);
            dropped->splice(dropped->end(), m_order, std::prev(m_order.end()));
        }
    }

    std::mutex m_mutex;
    std::list<Entry> m_order;
    std::unordered_map<quint64, std::list<Entry>::iterator> m_index;
    size_t m_limit = kDefaultGlyphCacheLimit;
};

// The loaded faces and families, shared by every family and equation that
// holds one. The caches are made on first use and never destroyed with the
// other statics: a process may end with its application still alive (leaked,
// or held in a static), and by then the font engine's own per-thread data may
// be gone, so a face released at static destruction would touch a dead
// engine. The faces are released instead when the application is destroyed,
// by a post routine that runs while the engine still works; a process that
// never destroys its application leaves them to the system.
struct FontCaches {
    std::mutex mutex;
    std::map<QString, std::shared_ptr<const FontFace>> faces;
    std::map<QString, std::shared_ptr<const FontFamilyData>> families;
    bool releaseScheduled = false;
    GlyphCache glyphs;  // has its own lock
};

FontCaches& caches() {
    static FontCaches* const instance = new FontCaches;  // never deleted, see above
    return *instance;
}

void releaseCaches() {
    FontCaches& c = caches();
    std::map<QString, std::shared_ptr<const FontFace>> faces;
    std::map<QString, std::shared_ptr<const FontFamilyData>> families;
    {
        std::lock_guard<std::mutex> lock(c.mutex);
        faces.swap(c.faces);
        families.swap(c.families);
        c.releaseScheduled = false;
    }
    c.glyphs.clear();
    // The faces go here, outside the lock.
}

// Before the first entry goes into the caches under an application; the
// caller holds the mutex.
void scheduleRelease(FontCaches& c) {
    if (c.releaseScheduled) return;
    qAddPostRoutine(releaseCaches);
    c.releaseScheduled = true;
}

QString makeKey(const FontFamilyData& data) {
    QString key = data.name;
    for (const auto& face : data.faces) key += QLatin1Char('|') + (face ? face->path : QString());
    return key;
}

// The family of the rows for name, or null when none of its files loads.
std::shared_ptr<const FontFamilyData> mappedFamily(const QString& name) {
    const std::vector<const FontMapRow*> rows = FindFamilyRows(name);
    if (rows.empty()) return nullptr;
    auto data = std::make_shared<FontFamilyData>();
    data->name = QString::fromUtf8(rows.front()->name);
    bool any = false;
    for (const FontMapRow* row : rows) {
        if (row->style < 0 || row->style > 3) continue;
        if (auto face = FontFace::load(QString::fromUtf8(row->file))) {
            data->faces[size_t(row->style)] = face;
            any = true;
        }
    }
    if (!any) return nullptr;
    data->key = makeKey(*data);
    return data;
}

// An installed family of exactly this name, or null.
std::shared_ptr<const FontFamilyData> installedFamily(const QString& name) {
    bool known = false;
    for (const QString& family : QFontDatabase::families())
        if (family.compare(name, Qt::CaseInsensitive) == 0) known = true;
    if (!known) return nullptr;
    auto data = std::make_shared<FontFamilyData>();
    data->name = name;
    bool any = false;
    for (int style = 0; style < 4; ++style) {
        if (auto face = FontFace::installed(name, style)) {
            data->faces[size_t(style)] = face;
            any = true;
        }
    }
    if (!any) return nullptr;
    data->key = makeKey(*data);
    return data;
}

quint64 glyphKey(quint64 faceId, quint32 glyph) { return (faceId << 32) | glyph; }

quint64 nextFaceId() {
    static std::atomic<quint64> next{1};
    return next.fetch_add(1, std::memory_order_relaxed);
}

int styleOf(bool bold, bool italic) { return (bold ? FontStyleBold : 0) | (italic ? FontStyleItalic : 0); }

}  // namespace

bool FontEngineAvailable() { return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr; }

size_t GlyphCacheCount() { return caches().glyphs.count(); }
size_t GlyphCacheLimit() { return caches().glyphs.limit(); }
void SetGlyphCacheLimit(size_t limit) { caches().glyphs.setLimit(limit); }

// ---- FontFace

FontFace::FontFace() : m_id(nextFaceId()) {}

std::shared_ptr<const FontFace> FontFace::load(const QString& path) {
    if (!FontEngineAvailable() || path.isEmpty()) return nullptr;
    FontCaches& c = caches();
    std::lock_guard<std::mutex> lock(c.mutex);
    auto found = c.faces.find(path);
    if (found != c.faces.end()) return found->second;
    if (!QFileInfo(path).isFile()) return nullptr;

    auto face = std::make_shared<FontFace>();
    face->m_raw.loadFromFile(path, 16, QFont::PreferNoHinting);
    if (!face->m_raw.isValid()) return nullptr;
    face->path = path;
    face->readMetrics();
    if (face->unitsPerEm <= 0) return nullptr;
    scheduleRelease(c);
    c.faces[path] = face;
    return face;
}

std::shared_ptr<const FontFace> FontFace::installed(const QString& name, int style) {
    if (!FontEngineAvailable()) return nullptr;
    const QString key = QStringLiteral("installed:%1:%2").arg(name.toLower()).arg(style);
    FontCaches& c = caches();
    std::lock_guard<std::mutex> lock(c.mutex);
    auto found = c.faces.find(key);
    if (found != c.faces.end()) return found->second;

    QFont font(name);
    font.setStyleStrategy(QFont::NoFontMerging);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setPixelSize(16);
    font.setBold((style & FontStyleBold) != 0);
    font.setItalic((style & FontStyleItalic) != 0);
    auto face = std::make_shared<FontFace>();
    face->m_raw = QRawFont::fromFont(font);
    // The engine matches names loosely; only the family itself will do.
    if (!face->m_raw.isValid() || face->m_raw.familyName().compare(name, Qt::CaseInsensitive) != 0) return nullptr;
    face->path = key;
    face->readMetrics();
    if (face->unitsPerEm <= 0 || styleOf(face->bold, face->italic) != style) return nullptr;
    scheduleRelease(c);
    c.faces[key] = face;
    return face;
}

void FontFace::readMetrics() {
    familyName = m_raw.familyName();
    unitsPerEm = int(std::lround(m_raw.unitsPerEm()));
    if (unitsPerEm <= 0) return;
    // Outlines and advances come in design units.
    m_raw.setPixelSize(unitsPerEm);

    const QByteArray os2 = m_raw.fontTable("OS/2");
    const QByteArray hhea = m_raw.fontTable("hhea");
    const int hheaAscent = readS16(hhea, 4);
    const int hheaDescent = readS16(hhea, 6);
    const int hheaGap = readS16(hhea, 8);
    if (os2.size() >= 78) {
        cellAscent = readU16(os2, 74);
        cellDescent = readU16(os2, 76);
        const int selection = readU16(os2, 62);
        italic = (selection & 0x01) != 0;
        bold = (selection & 0x20) != 0;
    } else {
        cellAscent = hheaAscent;
        cellDescent = -hheaDescent;
        italic = m_raw.style() != QFont::StyleNormal;
        bold = m_raw.weight() >= QFont::DemiBold;
    }
    // The hhea line gap counts only as far as the cell does not already
    // cover the hhea ascent and descent.
    const int cell = cellAscent + cellDescent;
    const int extra = hheaGap - (cell - (hheaAscent - hheaDescent));
    lineSpacing = cell + (extra > 0 ? extra : 0);
}

quint32 FontFace::glyphFor(char32_t code) const {
    // Asked for every character measured and drawn: no string or list made.
    QChar units[2];
    int length = 1;
    if (QChar::requiresSurrogates(code)) {
        units[0] = QChar(QChar::highSurrogate(code));
        units[1] = QChar(QChar::lowSurrogate(code));
        length = 2;
    } else {
        units[0] = QChar(char16_t(code));
    }
    quint32 glyphs[2] = {0, 0};
    int count = 2;
    if (!m_raw.glyphIndexesForChars(units, length, glyphs, &count) || count != 1) return 0;
    return glyphs[0];
}

float FontFace::advance(quint32 glyph) const {
    GlyphCache& cache = caches().glyphs;
    const quint64 key = glyphKey(m_id, glyph);
    float found = 0;
    const bool known = cache.read(key, [&](const CachedGlyph& g) {
        found = g.advance;
        return g.hasAdvance;
    });
    if (known) return found;
    QPointF adv;
    const float value = m_raw.advancesForGlyphIndexes(&glyph, &adv, 1, QRawFont::UseDesignMetrics) ? float(adv.x()) : 0;
    cache.update(key, [&](CachedGlyph& g) {
        g.advance = value;
        g.hasAdvance = true;
    });
    return value;
}

QPainterPath FontFace::outline(quint32 glyph) const {
    GlyphCache& cache = caches().glyphs;
    const quint64 key = glyphKey(m_id, glyph);
    QPainterPath found;
    const bool known = cache.read(key, [&](const CachedGlyph& g) {
        if (!g.hasOutline) return false;
        found = g.outline;
        return true;
    });
    if (known) return found;
    // Fetched outside the cache's lock: two threads missing the same glyph
    // both fetch it, and the later store wins.
    const QPainterPath path = m_raw.pathForGlyph(glyph);
    cache.update(key, [&](CachedGlyph& g) {
        g.outline = path;
        g.hasOutline = true;
    });
    return path;
}

// ---- FontFamily

FontFamily::FontFamily(const QString& name) {
    if (!FontEngineAvailable() || name.trimmed().isEmpty()) return;
    const QString key = name.toLower();
    FontCaches& c = caches();
    {
        std::lock_guard<std::mutex> lock(c.mutex);
        auto found = c.families.find(key);
        if (found != c.families.end()) {
            m_data = found->second;
            m_status = Ok;
            return;
        }
    }
    std::shared_ptr<const FontFamilyData> data = mappedFamily(name);
    if (!data) data = installedFamily(name);
    if (!data) return;
    std::lock_guard<std::mutex> lock(c.mutex);
    scheduleRelease(c);
    c.families[key] = data;
    m_data = data;
    m_status = Ok;
}

FontFamily FontFamily::GenericSerif() { return FontFamily(GenericSerifName()); }

QString FontFamily::GetFamilyName() const { return m_data ? m_data->name : QString(); }

QString FontFamily::key() const { return m_data ? m_data->key : QString(); }

bool FontFamily::IsStyleAvailable(int style) const {
    return m_data && style >= 0 && style < 4 && m_data->faces[size_t(style)] != nullptr;
}

const FontFace* FontFamily::face(int style) const {
    if (!m_data) return nullptr;
    const int s = style & 3;
    // Own face, then the style without italic, without bold, then regular.
    for (int candidate : {s, s & FontStyleBold, s & FontStyleItalic, 0})
        if (m_data->faces[size_t(candidate)]) return m_data->faces[size_t(candidate)].get();
    for (const auto& f : m_data->faces)
        if (f) return f.get();
    return nullptr;
}

int FontFamily::GetEmHeight(int style) const {
    const FontFace* f = face(style);
    return f ? f->unitsPerEm : 0;
}
int FontFamily::GetCellAscent(int style) const {
    const FontFace* f = face(style);
    return f ? f->cellAscent : 0;
}
int FontFamily::GetCellDescent(int style) const {
    const FontFace* f = face(style);
    return f ? f->cellDescent : 0;
}
int FontFamily::GetLineSpacing(int style) const {
    const FontFace* f = face(style);
    return f ? f->lineSpacing : 0;
}

// ---- PrivateFontCollection

Status PrivateFontCollection::AddFontFile(const QString& path) {
    std::shared_ptr<const FontFace> face = FontFace::load(path);
    if (!face) return FileNotFound;

    QString familyName = face->familyName;
    int style = styleOf(face->bold, face->italic);
    const QString folder = programFolder();
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (absolute.startsWith(folder)) {
        if (const FontMapRow* row = FindPrivateFontRow(absolute.mid(folder.size()))) {
            familyName = QString::fromUtf8(row->family);
            style = row->style & 3;
        }
    }

    // Families handed out before keep what they held: a changed family is a
    // new copy.
    for (auto& family : m_families) {
        if (family->name.compare(familyName, Qt::CaseInsensitive) != 0) continue;
        if (family->faces[size_t(style)]) return Ok;
        auto copy = std::make_shared<FontFamilyData>(*family);
        copy->faces[size_t(style)] = face;
        copy->key = makeKey(*copy);
        family = copy;
        return Ok;
    }
    auto data = std::make_shared<FontFamilyData>();
    data->name = familyName;
    data->faces[size_t(style)] = face;
    data->key = makeKey(*data);
    m_families.push_back(data);
    return Ok;
}

FontFamily PrivateFontCollection::GetFamily(int index) const {
    if (index < 0 || index >= int(m_families.size())) return FontFamily();
    return FontFamily(std::shared_ptr<const FontFamilyData>(m_families[size_t(index)]));
}

// ---- Font

Font::Font(const FontFamily& family, float emSize, int style, Unit unit) : m_family(family), m_style(style & 3) {
    if (!std::isfinite(emSize) || emSize <= 0 || (unit != UnitWorld && unit != UnitDisplay && unit != UnitPixel)) {
        m_status = InvalidParameter;
        return;
    }
    m_size = emSize;
    m_status = family.IsAvailable() ? Ok : FontFamilyNotFound;
}

float Font::GetHeight() const {
    const FontFace* f = m_family.face(m_style);
    if (!f || m_status != Ok) return 0;
    return float(f->lineSpacing) * m_size / float(f->unitsPerEm);
}

// ---- StringFormat

Status StringFormat::SetAlignment(StringAlignment a) {
    if (a < StringAlignmentNear || a > StringAlignmentFar) return InvalidParameter;
    m_alignment = a;
    return Ok;
}

Status StringFormat::SetLineAlignment(StringAlignment a) {
    if (a < StringAlignmentNear || a > StringAlignmentFar) return InvalidParameter;
    m_lineAlignment = a;
    return Ok;
}

}  // namespace toliva::gp
