// The TeX name table: its writer's file layout and round trip, lookups by
// name in first-letter buckets, the reverse lookups, the hint texts, and the
// handling of missing, short and damaged files.
#include "tex/TeXCode.h"

#include "TestSupport.h"
#include "platform/MessageSink.h"

#include <gtest/gtest.h>

#include <QtEndian>

#include <algorithm>
#include <functional>
#include <iterator>
#include <vector>

namespace toliva::test {
namespace {

struct Row {
    const char16_t* name;
    int kind, value1, value2;
};

std::vector<TeXNameEntry> entriesOf(const std::vector<Row>& rows) {
    std::vector<TeXNameEntry> entries;
    for (const Row& r : rows) {
        TeXNameEntry e;
        e.kind = r.kind;
        e.value1 = r.value1;
        e.value2 = r.value2;
        const std::u16string name(r.name);
        std::copy(name.begin(), name.begin() + std::min<size_t>(name.size(), CTeXCode::kNameUnits), e.name);
        entries.push_back(e);
    }
    return entries;
}

// The file form of a table: rows grouped by first letter, in row order inside a group.
QByteArray tableBytes(const std::vector<Row>& rows) { return WriteTeXNameTable(entriesOf(rows)); }

int32_t i32At(const QByteArray& bytes, int offset) { return qFromLittleEndian<int32_t>(bytes.constData() + offset); }

bool sameEntry(const TeXNameEntry& a, const TeXNameEntry& b) {
    return a.kind == b.kind && a.value1 == b.value1 && a.value2 == b.value2 &&
           std::equal(std::begin(a.name), std::end(a.name), std::begin(b.name));
}

void setI32(QByteArray* bytes, int offset, int32_t v) { qToLittleEndian(v, bytes->data() + offset); }
int bucketSizeOffset(int bucket) { return 4 + 8 * bucket; }
int bucketStartOffset(int bucket) { return 8 + 8 * bucket; }

struct Key {
    int kind = -1, value1 = -1, value2 = -1;
    bool operator==(const Key&) const = default;
};

const std::vector<Row> kSample = {
    {u"alpha", 4, 0, 0x03B1},    {u"Gamma", 4, 1, 0x0393},   {u"varGamma", 4, 0, 0x0393},
    {u"partial", 6, 0x2202, 0},  {u"frac", 3, 128, 0},       {u"cdot", 3, 1044, 0},
    {u"leftarrow", 13, 233, 0},  {u"gets", 13, 233, 0},      {u"dot", 2, 1, 0},
    {u"!", 3, 96, 0},            {u"2pi", 3, 1106, 0},       {u"\u00E9", 6, 0xE9, 0},
    {u"Bbbk", 13, 31, 0},        {u"left", 153, 1024, 0},
};

class TeXCodeTest : public ::testing::Test {
protected:
    ScratchFolder folder;
    RecordingMessageSink sink;
    ScopedMessageSink guard{&sink};
    QString path = folder.file(QStringLiteral("KwTLData.dat"));

    CTeXCode& load(const QByteArray& bytes) {
        EXPECT_TRUE(writeFile(path, bytes));
        table = std::make_unique<CTeXCode>(path);
        table->LoadTeXNameTable();
        return *table;
    }
    Key lookup(const char16_t* name) {
        Key k;
        const std::u16string s(name);
        if (!table->LookupTeXName(int(s.size()), s.data(), &k.kind, &k.value1, &k.value2)) k.kind = -2;
        return k;
    }
    QString damagedMessage() const { return QStringLiteral("failed to open file : ") + path; }
    // The texts of the notes the table has left so far; the table itself
    // shows nothing (sink stays empty).
    const std::vector<QString>& noted() {
        if (table)
            for (const EqNote& n : table->TakeNotes().items) notes.push_back(NoteText(n));
        EXPECT_TRUE(sink.shown.empty());
        return notes;
    }

    std::vector<QString> notes;

    std::unique_ptr<CTeXCode> table;
};

TEST(TeXNameTableWriterTest, WritesTheFileLayout) {
    // Out of bucket order on purpose: "beta", "Alpha", "alpha".
    const QByteArray bytes = tableBytes({{u"beta", 4, 0, 0x03B2}, {u"Alpha", 4, 1, 0x0391}, {u"alpha", 4, 0, 0x03B1}});
    ASSERT_EQ(bytes.size(), CTeXCode::kHeaderBytes + 3 * CTeXCode::kEntryBytes);
    EXPECT_EQ(i32At(bytes, 0), 3);
    struct Bucket {
        int bucket, size, start;
    };
    for (const Bucket& b : {Bucket{0, 1, 0}, Bucket{1, 0, 1}, Bucket{26, 1, 1}, Bucket{27, 1, 2}, Bucket{28, 0, 3},
                            Bucket{52, 0, 3}}) {
        EXPECT_EQ(i32At(bytes, bucketSizeOffset(b.bucket)), b.size) << b.bucket;
        EXPECT_EQ(i32At(bytes, bucketStartOffset(b.bucket)), b.start) << b.bucket;
    }
    // The last entry: "beta", its key, its name zero-padded to 32 units.
    const int at = CTeXCode::kHeaderBytes + 2 * CTeXCode::kEntryBytes;
    EXPECT_EQ(i32At(bytes, at), 4);
    EXPECT_EQ(i32At(bytes, at + 4), 0);
    EXPECT_EQ(i32At(bytes, at + 8), 0x03B2);
    EXPECT_EQ(bytes.mid(at + 12, 10), QByteArray("b\0e\0t\0a\0\0\0", 10));
    EXPECT_EQ(bytes.mid(at + 12 + 8), QByteArray(2 * CTeXCode::kNameUnits - 8, '\0'));
}

TEST(TeXNameTableWriterTest, WhatIsWrittenReadsBack) {
    // A name of the full 32 units has no terminator.
    std::vector<Row> rows = kSample;
    rows.push_back({u"abcdefghijklmnopqrstuvwxyzABCDEF", 3, 7, 8});
    const std::vector<TeXNameEntry> written = entriesOf(rows);
    CTeXCode table;
    table.LoadTeXNameTableFromBytes(WriteTeXNameTable(written), QStringLiteral("memory"));
    ASSERT_TRUE(table.loaded());
    ASSERT_EQ(table.count(), int(written.size()));
    // The same entries, bucket by bucket, in the given order inside a bucket.
    std::vector<TeXNameEntry> expected = written;
    std::stable_sort(expected.begin(), expected.end(), [](const TeXNameEntry& a, const TeXNameEntry& b) {
        return CTeXCode::BucketOf(a.name[0]) < CTeXCode::BucketOf(b.name[0]);
    });
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_TRUE(sameEntry(table.entries()[i], expected[i])) << table.entries()[i].nameText().toStdString();
    for (const TeXNameEntry& e : written) {
        int kind = 0, value1 = 0, value2 = 0;
        ASSERT_TRUE(table.LookupTeXName(e.nameText(), &kind, &value1, &value2)) << e.nameText().toStdString();
    }
}

TEST(TeXCodeBucketTest, BucketsAreUpperLowerAndTheRest) {
    EXPECT_EQ(CTeXCode::BucketOf(u'A'), 0);
    EXPECT_EQ(CTeXCode::BucketOf(u'Z'), 25);
    EXPECT_EQ(CTeXCode::BucketOf(u'a'), 26);
    EXPECT_EQ(CTeXCode::BucketOf(u'z'), 51);
    for (char16_t c : {u'0', u'9', u'!', u',', u'\\', u'{', u'@', u'[', u'`', u'\u00E9', u' '})
        EXPECT_EQ(CTeXCode::BucketOf(c), 52) << int(c);
}

TEST_F(TeXCodeTest, NamesFindTheirKeys) {
    load(tableBytes(kSample));
    EXPECT_TRUE(noted().empty());
    EXPECT_EQ(table->count(), int(kSample.size()));
    for (const Row& r : kSample) EXPECT_EQ(lookup(r.name), (Key{r.kind, r.value1, r.value2})) << QString::fromUtf16(r.name).toStdString();
    // Names beginning with a digit or a symbol live in the last bucket.
    EXPECT_EQ(table->bucketSize(52), 3);
    EXPECT_EQ(lookup(u"2pi"), (Key{3, 1106, 0}));
}

TEST_F(TeXCodeTest, OnlyExactNamesMatch) {
    load(tableBytes(kSample));
    int kind = 7, v1 = 7, v2 = 7;
    EXPECT_FALSE(table->LookupTeXName(QStringLiteral("alph"), &kind, &v1, &v2));
    EXPECT_EQ((Key{kind, v1, v2}), (Key{0, 0, 0}));  // cleared on a miss
    for (const char16_t* miss : {u"alphab", u"Alpha", u"fra", u"dots", u"!!", u"eta"})
        EXPECT_EQ(lookup(miss).kind, -2) << QString::fromUtf16(miss).toStdString();
}

TEST_F(TeXCodeTest, OnlyTheFirstLetterBucketIsSearched) {
    // "beta" stored inside the bucket of 'a' is never found.
    QByteArray bytes = tableBytes({{u"alpha", 4, 0, 0x3B1}, {u"beta", 4, 0, 0x3B2}});
    setI32(&bytes, bucketSizeOffset(26), 2);
    setI32(&bytes, bucketSizeOffset(27), 0);
    load(bytes);
    EXPECT_EQ(lookup(u"alpha").kind, 4);
    EXPECT_EQ(lookup(u"beta").kind, -2);
}

TEST_F(TeXCodeTest, TheEarlierOfTwoEqualNamesWins) {
    load(tableBytes({{u"dup", 3, 1, 0}, {u"dz", 3, 2, 0}, {u"dup", 6, 3, 0}}));
    EXPECT_EQ(lookup(u"dup"), (Key{3, 1, 0}));
}

TEST_F(TeXCodeTest, ANameOfThirtyTwoUnitsHasNoTerminator) {
    // Last in the file, so a scan past the 32 units would leave the entry array.
    const char16_t* longName = u"abcdefghijklmnopqrstuvwxyzABCDEF";
    load(tableBytes({{u"a", 3, 1, 0}, {longName, 3, 2, 0}}));
    ASSERT_EQ(table->count(), 2);
    const TeXNameEntry& e = table->entries()[1];
    EXPECT_EQ(e.nameLength(), 32);
    EXPECT_EQ(e.nameText(), QString::fromUtf16(longName));
    EXPECT_EQ(lookup(longName), (Key{3, 2, 0}));
    EXPECT_EQ(lookup(u"abcdefghijklmnopqrstuvwxyzABCDEFG").kind, -2);
    QString text;
    EXPECT_TRUE(table->TeXNameOfOperator(2, &text));
    EXPECT_EQ(text, QStringLiteral("\\") + QString::fromUtf16(longName) + QStringLiteral(" "));
}

TEST_F(TeXCodeTest, AnEmptyNameFailsWithoutLoading) {
    ASSERT_TRUE(writeFile(path, tableBytes(kSample)));
    CTeXCode t(path);
    int kind = 7, v1 = 7, v2 = 7;
    EXPECT_FALSE(t.LookupTeXName(0, u"alpha", &kind, &v1, &v2));
    EXPECT_FALSE(t.LookupTeXName(-1, u"alpha", &kind, &v1, &v2));
    EXPECT_FALSE(t.loaded());
    EXPECT_EQ((Key{kind, v1, v2}), (Key{7, 7, 7}));
}

TEST_F(TeXCodeTest, AMissingFileFailsQuietlyAndIsTriedAgain) {
    CTeXCode t(path);
    int kind = 7, v1 = 7, v2 = 7;
    EXPECT_FALSE(t.LookupTeXName(QStringLiteral("alpha"), &kind, &v1, &v2));
    EXPECT_FALSE(t.loaded());
    QString text = QStringLiteral("keep");
    int cls = 2;
    EXPECT_FALSE(t.TeXNameOfOperator(1044, &text));
    EXPECT_FALSE(t.TeXNameOfChar(0x3B1, 2, &cls, &text));
    EXPECT_FALSE(t.TeXNameOfGlyph(233, &text));
    EXPECT_EQ(text, QStringLiteral("keep"));
    EXPECT_EQ(cls, 2);
    EXPECT_EQ(t.TeXHintText(4, 0x3B1, 0), QString());
    EXPECT_EQ(t.TeXHintText(3, 337, 0), QStringLiteral("TeX : \\left(\\right)"));  // fixed hints need no file
    EXPECT_TRUE(sink.shown.empty());

    // The file turns up: the next lookup reads it, reverse lookups included.
    ASSERT_TRUE(writeFile(path, tableBytes(kSample)));
    EXPECT_TRUE(t.TeXNameOfOperator(1044, &text));
    EXPECT_EQ(text, QStringLiteral("\\cdot "));
    EXPECT_TRUE(t.LookupTeXName(QStringLiteral("alpha"), &kind, &v1, &v2));
    EXPECT_TRUE(t.loaded());
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_TRUE(t.TakeNotes().empty());
}

TEST_F(TeXCodeTest, AShortFileKeepsTheEntriesRead) {
    const QByteArray full = tableBytes(kSample);
    const int entryBytes = CTeXCode::kEntryBytes;
    const int header = CTeXCode::kHeaderBytes;
    struct Case {
        int size;
        int entries;
    };
    for (const Case c : {Case{0, 0}, Case{3, 0}, Case{header - 1, 0}, Case{header, 0}, Case{header + entryBytes - 1, 0},
                         Case{header + 5 * entryBytes + 40, 5}, Case{int(full.size()) - 1, int(kSample.size()) - 1}}) {
        notes.clear();
        load(full.left(c.size));
        EXPECT_TRUE(table->loaded()) << c.size;
        EXPECT_EQ(table->count(), c.entries) << c.size;  // not the count the header claims
        ASSERT_EQ(noted().size(), 1u) << c.size;
        EXPECT_EQ(noted()[0], damagedMessage());
        // Every lookup stays inside what was read, and no second note comes.
        for (const Row& r : kSample) lookup(r.name);
        QString text;
        for (int type = 1040; type < 1050; ++type) table->TeXNameOfOperator(type, &text);
        table->TeXHintText(6, 0x2202, 0);
        EXPECT_EQ(noted().size(), 1u) << c.size;
    }
    // The entries read in full are found: here the two upper-case names.
    load(full.left(header + 2 * entryBytes));
    EXPECT_EQ(lookup(u"Gamma").kind, 4);
    EXPECT_EQ(lookup(u"alpha").kind, -2);
}

TEST_F(TeXCodeTest, CountsAndBucketsAreCheckedAgainstTheFile) {
    const std::vector<Row> rows = {{u"alpha", 4, 0, 0x3B1}, {u"beta", 4, 0, 0x3B2}, {u"cdot", 3, 1044, 0}};
    struct Case {
        const char* what;
        std::function<void(QByteArray*)> damage;
        int entries;
        std::vector<const char16_t*> found;
        std::vector<const char16_t*> lost;
    };
    const Case cases[] = {
        {"negative count", [](QByteArray* b) { setI32(b, 0, -5); }, 0, {}, {u"alpha", u"beta", u"cdot"}},
        {"huge count", [](QByteArray* b) { setI32(b, 0, 0x7FFFFFFF); }, 3, {u"alpha", u"beta", u"cdot"}, {}},
        {"count one past the data", [](QByteArray* b) { setI32(b, 0, 4); }, 3, {u"alpha", u"beta", u"cdot"}, {}},
        {"bucket start past the end", [](QByteArray* b) { setI32(b, bucketStartOffset(27), 3); }, 3,
         {u"alpha", u"cdot"}, {u"beta"}},
        {"huge bucket start", [](QByteArray* b) { setI32(b, bucketStartOffset(27), 0x7FFFFFFF); }, 3,
         {u"alpha", u"cdot"}, {u"beta"}},
        {"negative bucket start", [](QByteArray* b) { setI32(b, bucketStartOffset(27), -1); }, 3,
         {u"alpha", u"cdot"}, {u"beta"}},
        {"negative bucket size", [](QByteArray* b) { setI32(b, bucketSizeOffset(28), -1); }, 3,
         {u"alpha", u"beta"}, {u"cdot"}},
        {"bucket running past the end", [](QByteArray* b) { setI32(b, bucketSizeOffset(28), 0x7FFFFFFF); }, 3,
         {u"alpha", u"beta", u"cdot"}, {}},
    };
    for (const Case& c : cases) {
        notes.clear();
        QByteArray bytes = tableBytes(rows);
        c.damage(&bytes);
        load(bytes);
        EXPECT_EQ(table->count(), c.entries) << c.what;
        for (const char16_t* name : c.found) EXPECT_NE(lookup(name).kind, -2) << c.what;
        for (const char16_t* name : c.lost) EXPECT_EQ(lookup(name).kind, -2) << c.what;
        ASSERT_EQ(noted().size(), 1u) << c.what;
        EXPECT_EQ(noted()[0], damagedMessage()) << c.what;
    }
}

TEST_F(TeXCodeTest, ReverseLookupsGiveTheFirstNameOfAKey) {
    load(tableBytes(kSample));
    QString text;
    EXPECT_TRUE(table->TeXNameOfOperator(1044, &text));
    EXPECT_EQ(text, QStringLiteral("\\cdot "));
    EXPECT_TRUE(table->TeXNameOfOperator(128, &text));  // structures are kind 3 as well
    EXPECT_EQ(text, QStringLiteral("\\frac "));
    EXPECT_TRUE(table->TeXNameOfGlyph(233, &text));
    EXPECT_EQ(text, QStringLiteral("\\gets "));  // "gets" is grouped before "leftarrow"
    EXPECT_TRUE(table->TeXNameOfGlyph(31, &text));
    EXPECT_EQ(text, QStringLiteral("\\Bbbk "));

    text = QStringLiteral("keep");
    EXPECT_FALSE(table->TeXNameOfOperator(1045, &text));
    EXPECT_FALSE(table->TeXNameOfGlyph(234, &text));
    EXPECT_FALSE(table->TeXNameOfOperator(1024, &text));  // kind 153 is not an operator name
    int cls = 5;
    EXPECT_FALSE(table->TeXNameOfChar(0x3B2, 2, &cls, &text));
    EXPECT_EQ(text, QStringLiteral("keep"));
    EXPECT_EQ(cls, 5);
}

TEST_F(TeXCodeTest, CharacterNamesAndTheirClass) {
    load(tableBytes(kSample));
    struct Case {
        uint16_t code;
        int type;
        const char* text;
        int cls;  // the class passed in is 99
    };
    const Case cases[] = {
        {0x03B1, 2, "\\alpha ", 99},    // kind 4: the class is left alone
        {0x03B1, 1, "\\alpha ", 99},    //
        {0x0393, 1, "\\Gamma ", 99},    // "Gamma" is grouped before "varGamma"
        {0x2202, 1, "\\partial ", 8},   // kind 6: class 8 ...
        {0x2202, 2, "\\partial ", 8},   //
        {0x2202, 5, "\\partial ", 8},   //
        {0x2202, 16, "\\partial ", 8},  //
        {0x2202, 3, "\\partial ", 99},  // ... except in the bold types
        {0x2202, 4, "\\partial ", 99},  //
        {0x00E9, 2, "\\\u00E9 ", 8},
    };
    for (const Case& c : cases) {
        QString text;
        int cls = 99;
        EXPECT_TRUE(table->TeXNameOfChar(c.code, c.type, &cls, &text)) << c.code;
        EXPECT_EQ(text, QString::fromUtf8(c.text)) << c.code;
        EXPECT_EQ(cls, c.cls) << c.code << " type " << c.type;
    }
}

TEST_F(TeXCodeTest, OfAKindFourAndAKindSixNameTheEarlierIsTaken) {
    for (bool kind4First : {true, false}) {
        const Row four{u"vk", 4, 0, 0x3F0};
        const Row six{u"vksym", 6, 0x3F0, 0};
        load(tableBytes(kind4First ? std::vector<Row>{four, six} : std::vector<Row>{six, four}));
        QString text;
        int cls = 2;
        EXPECT_TRUE(table->TeXNameOfChar(0x3F0, 2, &cls, &text));
        EXPECT_EQ(text, kind4First ? QStringLiteral("\\vk ") : QStringLiteral("\\vksym "));
        EXPECT_EQ(cls, kind4First ? 2 : 8);
    }
}

TEST_F(TeXCodeTest, HintTexts) {
    std::vector<Row> rows = kSample;
    rows.push_back({u"lozenge", 13, 159, 0});
    rows.push_back({u"odd", 3, 359, 0});
    rows.push_back({u"vec", 2, 5, 0});
    rows.push_back({u"glyphtwo", 13, 2, 0});
    load(tableBytes(rows));
    struct Case {
        int kind, code, ch;
        const char* hint;
    };
    const Case cases[] = {
        // commands of the phantom family
        {1, 209, 0, "TeX : \\hphantom"},
        {1, 210, 0, "TeX : \\vphantom"},
        {1, 211, 0, "TeX : \\phantom"},
        {1, 212, 0, ""},
        {1, 209, 1, ""},
        // brackets
        {3, 337, 0, "TeX : \\left(\\right)"},
        {3, 339, 0, "TeX : \\left\\{\\right\\}"},
        {3, 342, 0, "TeX : \\left\\|\\right\\|"},
        {3, 343, 0, "TeX : \\lfloor\\rfloor"},
        {3, 344, 0, "TeX : \\lceil\\rceil"},
        {3, 345, 0, "TeX : \\Lbrack\\Rbrack"},
        {3, 348, 0, "TeX : \\left]\\right["},
        {3, 351, 0, "TeX : \\left<\\right."},
        {3, 356, 0, "TeX : \\left<\\right."},
        {3, 352, 0, "TeX : \\left\\|\\right>"},
        {3, 358, 0, "TeX : \\left\\|\\right."},
        {3, 360, 0, "TeX : \\left.\\right)"},
        {3, 365, 0, "TeX : \\left.\\right\\|"},
        {3, 359, 0, "TeX : \\odd"},  // no fixed hint: the table's name
        {3, 366, 0, ""},
        // styled letters: index plus offset
        {13, 2, 0, "TeX : \\mathbb A"},
        {13, 27, 0, "TeX : \\mathbb Z"},
        {13, 441, 0, "TeX : \\mathbb 0"},
        {13, 450, 0, "TeX : \\mathbb 9"},
        {13, 451, 0, "TeX : \\mathbb a"},
        {13, 476, 0, "TeX : \\mathbb z"},
        {13, 32, 0, "TeX : \\mathscr A"},
        {13, 57, 0, "TeX : \\mathscr Z"},
        {13, 58, 0, "TeX : \\mathcal A"},
        {13, 84, 0, "TeX : \\mathfrak A"},
        {13, 110, 0, "TeX : \\mathfrak a"},
        {13, 135, 0, "TeX : \\mathfrak z"},
        {13, 355, 0, "TeX : \\mathcalbf A"},
        {13, 383, 0, "TeX : \\mathsf A"},
        {13, 409, 0, "TeX : \\mathsf a"},
        {13, 434, 0, "TeX : \\mathsf z"},
        {13, 31, 0, "TeX : \\Bbbk"},  // outside the alphabets: the table
        {13, 159, 0, "TeX : \\lozenge"},
        {13, 136, 0, ""},
        // the table: kind 4 keys carry the character as their code
        {4, 0x03B1, 0, "TeX : \\alpha"},
        {4, 0x0393, 0, "TeX : \\Gamma"},
        {4, 0x03B1, 0x03B1, ""},
        {4, 0x03B2, 0, ""},
        {6, 0x2202, 0, "TeX : \\partial"},
        {6, 0x2202, 1, ""},
        {3, 128, 0, "TeX : \\frac"},
        {3, 1044, 0, "TeX : \\cdot"},
        {2, 5, 0, "TeX : \\vec"},
        {2, 1, 0, "TeX : \\dot"},
        {153, 1024, 0, "TeX : \\left"},
        {5, 1, 0, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(table->TeXHintText(c.kind, c.code, c.ch), QString::fromUtf8(c.hint))
            << c.kind << " " << c.code << " " << c.ch;
}

TEST_F(TeXCodeTest, LoadingFromBytesNamesThePathInTheNote) {
    CTeXCode t;
    t.LoadTeXNameTableFromBytes(tableBytes(kSample).left(100), QStringLiteral("where"));
    EXPECT_TRUE(t.loaded());
    const EqNotes taken = t.TakeNotes();
    ASSERT_EQ(taken.items.size(), 1u);
    EXPECT_EQ(taken.items[0].kind, EqNoteKind::DamagedFile);
    EXPECT_EQ(NoteText(taken.items[0]), QStringLiteral("failed to open file : where"));
    EXPECT_TRUE(t.TakeNotes().empty());
    EXPECT_TRUE(sink.shown.empty());
}

}  // namespace
}  // namespace toliva::test
