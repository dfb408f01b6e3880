#include "tex/TeXCode.h"

#include "platform/Archive.h"
#include "platform/Folders.h"

#include <algorithm>

namespace toliva {

int TeXNameEntry::nameLength() const {
    int n = 0;
    while (n < CTeXCode::kNameUnits && name[n] != 0) ++n;
    return n;
}

QString TeXNameEntry::nameText() const {
    return QString(reinterpret_cast<const QChar*>(name), nameLength());
}

int CTeXCode::BucketOf(char16_t first) {
    if (first >= u'A' && first <= u'Z') return first - u'A';
    if (first >= u'a' && first <= u'z') return 26 + (first - u'a');
    return 52;
}

QString CTeXCode::filePath() const {
    if (!m_path.isEmpty()) return m_path;
    return programFolder() + dataName(QStringLiteral("Dat\\KwTLData.dat"));
}

void CTeXCode::LoadTeXNameTable() {
    if (m_loaded) return;
    const QString path = filePath();
    QByteArray bytes;
    try {
        Archive file = Archive::openFile(path, Archive::Load);
        bytes = file.readByteArray(file.bytesLeft());
    } catch (const FileException&) {
        return;  // stays unloaded; the next lookup tries again
    } catch (const ArchiveException&) {
        return;
    }
    ReadTable(bytes, path);
}

QByteArray WriteTeXNameTable(const std::vector<TeXNameEntry>& entries) {
    std::array<std::vector<const TeXNameEntry*>, CTeXCode::kBuckets> buckets;
    for (const TeXNameEntry& e : entries) buckets[size_t(CTeXCode::BucketOf(e.name[0]))].push_back(&e);

    QByteArray bytes;
    Archive ar(&bytes, Archive::Store);
    ar.writeI32(int32_t(entries.size()));
    int32_t start = 0;
    for (const auto& b : buckets) {
        ar.writeI32(int32_t(b.size()));
        ar.writeI32(start);
        start += int32_t(b.size());
    }
    for (const auto& b : buckets) {
        for (const TeXNameEntry* e : b) {
            ar.writeI32(e->kind);
            ar.writeI32(e->value1);
            ar.writeI32(e->value2);
            for (char16_t unit : e->name) ar.writeU16(unit);
        }
    }
    ar.close();
    return bytes;
}

void CTeXCode::LoadTeXNameTableFromBytes(const QByteArray& bytes, const QString& pathForMessage) {
    if (m_loaded) return;
    ReadTable(bytes, pathForMessage);
}

// Reads what the bytes hold. The count and the buckets are checked against
// the bytes that are there: no allocation beyond what the file can fill, and
// no bucket reaching outside the entries that were read.
void CTeXCode::ReadTable(const QByteArray& bytes, const QString& pathForMessage) {
    m_entries.clear();
    m_bucketSize.fill(0);
    m_bucketStart.fill(0);
    m_operatorNames.clear();
    m_charNames.clear();
    m_glyphNames.clear();
    m_reverseBuilt = false;

    bool damaged = false;
    std::array<int32_t, kBuckets> sizes{};
    std::array<int32_t, kBuckets> starts{};
    Archive ar(bytes);
    try {
        const int32_t declared = ar.readI32();
        for (int b = 0; b < kBuckets; ++b) {
            sizes[b] = ar.readI32();
            starts[b] = ar.readI32();
        }
        qint64 wanted = declared;
        const qint64 room = ar.bytesLeft() / kEntryBytes;
        if (wanted < 0) {
            wanted = 0;
            damaged = true;
        }
        if (wanted > room) {
            wanted = room;
            damaged = true;
        }
        m_entries.reserve(size_t(wanted));
        for (qint64 i = 0; i < wanted; ++i) {
            TeXNameEntry e;
            e.kind = ar.readI32();
            e.value1 = ar.readI32();
            e.value2 = ar.readI32();
            for (int k = 0; k < kNameUnits; ++k) e.name[k] = char16_t(ar.readU16());
            m_entries.push_back(e);
        }
    } catch (const ArchiveException&) {
        damaged = true;  // keep what was read in full
    }

    const qint64 n = qint64(m_entries.size());
    for (int b = 0; b < kBuckets; ++b) {
        const qint64 size = sizes[b];
        const qint64 start = starts[b];
        if (size == 0) continue;
        if (size < 0 || start < 0 || start >= n) {
            damaged = true;  // outside the entries: empty
            continue;
        }
        m_bucketStart[b] = int32_t(start);
        m_bucketSize[b] = int32_t(std::min(size, n - start));
        if (size > n - start) damaged = true;
    }

    m_loaded = true;
    if (damaged) m_notes.add(EqNoteKind::DamagedFile, pathForMessage);
}

bool CTeXCode::LookupTeXName(int length, const char16_t* chars, int* kind, int* value1, int* value2) {
    if (length <= 0 || !chars) return false;
    LoadTeXNameTable();
    if (!m_loaded) return false;
    if (kind) *kind = 0;
    if (value1) *value1 = 0;
    if (value2) *value2 = 0;
    if (length > kNameUnits) return false;

    const int b = BucketOf(chars[0]);
    const int end = m_bucketStart[b] + m_bucketSize[b];
    for (int i = m_bucketStart[b]; i < end; ++i) {
        const TeXNameEntry& e = m_entries[size_t(i)];
        if (e.nameLength() != length || !std::equal(chars, chars + length, e.name)) continue;
        if (kind) *kind = e.kind;
        if (value1) *value1 = e.value1;
        if (value2) *value2 = e.value2;
        return true;
    }
    return false;
}

void CTeXCode::BuildTeXReverseTables() {
    m_operatorNames.clear();
    m_charNames.clear();
    m_glyphNames.clear();
    for (const TeXNameEntry& e : m_entries) {
        switch (e.kind) {
        case 3: m_operatorNames.push_back({0, e.value1, &e}); break;
        case 4: m_charNames.push_back({0, e.value2, &e}); break;
        case 6: m_charNames.push_back({1, e.value1, &e}); break;
        case 13: m_glyphNames.push_back({0, e.value1, &e}); break;
        default: break;
        }
    }
    m_reverseBuilt = true;
}

bool CTeXCode::EnsureReverseTables() {
    LoadTeXNameTable();
    if (!m_loaded) return false;
    if (!m_reverseBuilt) BuildTeXReverseTables();
    return true;
}

namespace {

const TeXReverseEntry* findKey(const std::vector<TeXReverseEntry>& names, int32_t key) {
    for (const TeXReverseEntry& r : names) {
        if (r.key == key) return &r;
    }
    return nullptr;
}

QString commandText(const TeXNameEntry& e) {
    return QLatin1Char('\\') + e.nameText() + QLatin1Char(' ');
}

}  // namespace

bool CTeXCode::TeXNameOfOperator(int operatorType, QString* text) {
    if (!EnsureReverseTables()) return false;
    const TeXReverseEntry* r = findKey(m_operatorNames, operatorType);
    if (!r) return false;
    if (text) *text = commandText(*r->entry);
    return true;
}

bool CTeXCode::TeXNameOfChar(uint16_t code, int elementType, int* classCode, QString* text) {
    if (!EnsureReverseTables()) return false;
    const TeXReverseEntry* r = findKey(m_charNames, code);
    if (!r) return false;
    if (text) *text = commandText(*r->entry);
    if (classCode && r->flag == 1 && elementType != 3 && elementType != 4) *classCode = 8;
    return true;
}

bool CTeXCode::TeXNameOfGlyph(int glyphIndex, QString* text) {
    if (!EnsureReverseTables()) return false;
    const TeXReverseEntry* r = findKey(m_glyphNames, glyphIndex);
    if (!r) return false;
    if (text) *text = commandText(*r->entry);
    return true;
}

namespace {

// Brackets have fixed hints: the pair as one would type it.
QString bracketHint(int code) {
    switch (code) {
    case 337: return QStringLiteral("TeX : \\left(\\right)");
    case 338: return QStringLiteral("TeX : \\left[\\right]");
    case 339: return QStringLiteral("TeX : \\left\\{\\right\\}");
    case 340: return QStringLiteral("TeX : \\left<\\right>");
    case 341: return QStringLiteral("TeX : \\left|\\right|");
    case 342: return QStringLiteral("TeX : \\left\\|\\right\\|");
    case 343: return QStringLiteral("TeX : \\lfloor\\rfloor");
    case 344: return QStringLiteral("TeX : \\lceil\\rceil");
    case 345: return QStringLiteral("TeX : \\Lbrack\\Rbrack");
    case 346: return QStringLiteral("TeX : \\left[\\right[");
    case 347: return QStringLiteral("TeX : \\left]\\right]");
    case 348: return QStringLiteral("TeX : \\left]\\right[");
    case 349: return QStringLiteral("TeX : \\left(\\right]");
    case 350: return QStringLiteral("TeX : \\left[\\right)");
    case 351:
    case 356: return QStringLiteral("TeX : \\left<\\right.");
    case 352: return QStringLiteral("TeX : \\left\\|\\right>");
    case 353: return QStringLiteral("TeX : \\left(\\right.");
    case 354: return QStringLiteral("TeX : \\left[\\right.");
    case 355: return QStringLiteral("TeX : \\left\\{\\right.");
    case 357: return QStringLiteral("TeX : \\left|\\right.");
    case 358: return QStringLiteral("TeX : \\left\\|\\right.");
    case 360: return QStringLiteral("TeX : \\left.\\right)");
    case 361: return QStringLiteral("TeX : \\left.\\right]");
    case 362: return QStringLiteral("TeX : \\left.\\right\\}");
    case 363: return QStringLiteral("TeX : \\left.\\right>");
    case 364: return QStringLiteral("TeX : \\left.\\right|");
    case 365: return QStringLiteral("TeX : \\left.\\right\\|");
    default: return {};
    }
}

// Styled alphabets of the glyph library: the letter is the index plus the offset.
QString styledLetterHint(int index) {
    struct Range {
        int first, last;
        const char* pattern;
        int offset;
    };
    static const Range kRanges[] = {
        {2, 27, "TeX : \\mathbb ", 63},        {441, 450, "TeX : \\mathbb ", -393},
        {451, 476, "TeX : \\mathbb ", -354},   {32, 57, "TeX : \\mathscr ", 33},
        {58, 83, "TeX : \\mathcal ", 7},       {84, 109, "TeX : \\mathfrak ", -19},
        {110, 135, "TeX : \\mathfrak ", -13},  {355, 380, "TeX : \\mathcalbf ", -290},
        {383, 408, "TeX : \\mathsf ", -318},   {409, 434, "TeX : \\mathsf ", -312},
    };
    for (const Range& r : kRanges) {
        if (index >= r.first && index <= r.last) return QLatin1String(r.pattern) + QChar(char16_t(index + r.offset));
    }
    return {};
}

}  // namespace

QString CTeXCode::TeXHintText(int kind, int code, int ch) {
    QString text;
    if (kind == 1 && ch == 0) {
        if (code == 209) text = QStringLiteral("TeX : \\hphantom");
        else if (code == 210) text = QStringLiteral("TeX : \\vphantom");
        else if (code == 211) text = QStringLiteral("TeX : \\phantom");
    } else if (kind == 3 && ch == 0) {
        text = bracketHint(code);
    } else if (kind == 13) {
        text = styledLetterHint(code);
    }
    if (!text.isEmpty()) return text;

    LoadTeXNameTable();
    for (const TeXNameEntry& e : m_entries) {
        if (e.kind != kind) continue;
        const bool byCharacter = kind == 4 && ch == 0 && e.value2 == code;
        const bool byKey = e.value2 == ch && e.value1 == code;
        if (byCharacter || byKey) return QStringLiteral("TeX : \\") + e.nameText();
    }
    return {};
}

}  // namespace toliva
