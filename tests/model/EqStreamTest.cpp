#include "model/EqStream.h"

#include "model/EqBuilder.h"
#include "model/EqDump.h"
#include "model/EqFonts.h"
#include "model/EqModel.h"
#include "model/GlyphOutline.h"
#include "model/EqSpacing.h"
#include "platform/Archive.h"
#include "platform/MessageSink.h"
#include "TestSupport.h"
#include "tests/common/ModelFixtures.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstring>
#include <functional>

namespace toliva {
namespace {

constexpr int kRecordSize = 460;      // default settings record
constexpr int kVersionAt = 332 + 31;  // option byte 31 inside it
constexpr int kFirstElementAt = kRecordSize + 4;

// Equations in these tests start from the built-in style.
struct Eq : EqModel {
    Eq() : EqModel(test::builtInStyle()) {}
};

QByteArray settingsRecord(EqLayoutSettings s, uint8_t version = 16) {
    QByteArray bytes;
    Archive ar(&bytes, Archive::Store);
    SerializeLayoutSettings(s, ar, nullptr);
    bytes[kVersionAt] = char(version);
    return bytes;
}

// Writes one element record by hand, up to and including the child count.
// A colour is written only when the version has one.
void writeElement(Archive& ar, uint8_t version, int32_t type, uint8_t flags, uint16_t ch, uint32_t colorref,
                  const QByteArray& payload, int32_t children) {
    ar.writeI32(type);
    ar.writeU8(flags);
    ar.writeU16(ch);
    if (version > 2) ar.writeU32(colorref);
    ar.writeI32(int32_t(payload.size()));
    ar.writeBytes(payload.constData(), payload.size());
    ar.writeI32(children);
}

int chainLength(const EqElement* head) {
    int n = 0;
    for (const EqElement* e = head; e; e = e->next) ++n;
    return n;
}

QString dumpOf(const QByteArray& bytes, bool markMode = false) {
    Eq eq;
    EXPECT_TRUE(LoadEquationAtomically(&eq, bytes, markMode));
    return DumpEquation(eq);
}

std::unique_ptr<GlyphOutline> triangleGlyph(int16_t charCode) {
    auto g = std::make_unique<GlyphOutline>();
    g->count = 3;
    g->points = {{0, 0}, {50, -70}, {100, 0}};
    g->types = {0, 1, 0x81};
    g->m[0] = 100;
    g->m[1] = 70;
    g->m[2] = 5;
    g->m[3] = 1.5f;
    g->m[4] = -2;
    g->scale = 1.25f;
    g->colour = 0x00336699;
    g->charCode = charCode;
    return g;
}

// ---- the golden streams -------------------------------------------------

// Every stored element field: character types and colours, phantom kinds with
// the caret mark, the alignment mark, payloads of calculation results, custom
// spaces, colour boxes and matrices with rules, glyph outlines, nested child
// chains and several lines.
void buildFields(EqModel& eq) {
    EqBuilder b(&eq);
    EqElement* l0 = b.line();
    EqElement* x = b.text(l0, u"x", EqTypeCharItalic);
    x->colour = 0xFFB22222;
    b.text(l0, u"=", EqTypeCharUpright)->alignMark = 1;
    b.add(l0, 1049);
    b.text(l0, u"a", EqTypeCharBold)->phantom = PhantomHorizontal;
    b.text(l0, u"b", EqTypeCharBoldItalic)->phantom = PhantomVertical | kCaretMarkBit;
    b.text(l0, u"\u4E2D", EqTypeCharText)->phantom = PhantomFull;
    b.text(l0, u"s", 16)->colour = 0xFF0020F0;
    b.text(l0, u"m", 17);

    EqElement* l1 = b.line();
    EqElement* frac = b.add(l1, EqTypeFraction, 2);
    b.text(EqBuilder::arg(frac, 0), u"1");
    EqElement* root = b.add(EqBuilder::arg(frac, 1), EqTypeRoot, 2);
    b.text(EqBuilder::arg(root, 0), u"3");
    EqElement* script = b.add(EqBuilder::arg(root, 1), 173, 1);
    b.text(EqBuilder::arg(script, 0), u"n", EqTypeCharItalic);
    EqElement* calc = b.add(l1, EqTypeCalcResult, 1);
    SetCalcResult(calc, CalcResult{3.25, -1e300, 2, 1});
    b.text(EqBuilder::arg(calc, 0), u"2");
    SetSpaceAmount(b.add(l1, EqTypeSpaceCustom, 0, 3), 0.75f);
    EqElement* box = b.add(l1, 249, 1);
    SetBoxColour(box, 0x00204080);
    b.text(EqBuilder::arg(box, 0), u"y");
    EqElement* matrix = b.add(l1, EqTypeMatrix, 4);
    matrix->payload = {2, 2};
    for (int i = 0; i < 32; ++i) matrix->payload.push_back(uint8_t(i * 3 + 1));
    for (int i = 0; i < 4; ++i) b.text(EqBuilder::arg(matrix, i), std::u16string(1, char16_t(u'p' + i)));
    EqElement* accented = b.text(l1, u"v", EqTypeCharItalic);
    accented->payload = {0x12, 0x00, 0x34};

    EqElement* l2 = b.line();
    b.add(l2, EqTypeGlyphSymbol, 0, 5)->glyph = triangleGlyph(0x2211);
    b.add(l2, EqTypeUserSymbol, 0, 2);  // no outline of its own
    EqElement* bigOp = b.add(l2, 860, 3, 1);
    bigOp->glyph = triangleGlyph(0x220F);
    b.text(EqBuilder::arg(bigOp, 0), u"k", EqTypeCharItalic);
    b.add(l2, EqTypeGlyphSymbolBold, 0, 9);

    b.line();  // an empty last line
}

// A style that differs from the defaults in every part of the record.
void buildStyle(EqModel& eq) {
    EqLayoutSettings& s = eq.settings;
    s.fontName = QStringLiteral("Cambria Math");
    s.fontName2 = QStringLiteral("DejaVu Sans");
    s.fontSize = 18;
    s.size2 = 5;
    s.spacing[SpacingLineGap] = 0.75f;
    s.spacing[SpacingNestedBracketGrow] = 1.5f;
    s.options[7] = 2;
    s.options[28] = 1;
    s.ints[0] = 1;
    s.ints[7] = 0;
    s.colours[7] = 0xFF123456;
    s.colours[14] = 0xFF202020;
    EqBuilder b(&eq);
    b.text(b.line(), u"E=mc", EqTypeCharItalic);
}

// Mark mode (undo snapshots): both mark flags.
void buildMarks(EqModel& eq) {
    EqBuilder b(&eq);
    EqElement* line = b.line();
    b.text(line, u"a")->mark = 1;
    b.text(line, u"b")->mark2 = 1;
    EqElement* c = b.text(line, u"c");
    c->mark = 1;
    c->mark2 = 1;
    EqElement* sq = b.add(line, EqTypeSqrt, 1);
    b.text(EqBuilder::arg(sq, 0), u"d")->mark = 1;
}

// Versions 1 and 2: no colour field; version 1 has no phantom either.
QByteArray oldStream(uint8_t version) {
    EqLayoutSettings s = test::builtInStyle();
    s.colours[14] = 0xFF102030;
    QByteArray bytes = settingsRecord(s, version);
    Archive ar(&bytes, Archive::Store);
    ar.writeI32(1);
    writeElement(ar, version, EqTypeChainHead, 0, 0, 0, {}, 0);
    ar.writeU8(1);
    writeElement(ar, version, EqTypeCharItalic, 0x42, 'x', 0, {}, 0);  // aligned, vertical phantom
    ar.writeU8(1);
    writeElement(ar, version, EqTypeFraction, 0x03, 0, 0, {}, 2);
    writeElement(ar, version, EqTypeChainHead, 0, 0, 0, {}, 0);
    ar.writeU8(1);
    writeElement(ar, version, EqTypeCharUpright, 0, '1', 0, {}, 0);
    ar.writeU8(0);
    writeElement(ar, version, EqTypeChainHead, 0, 0, 0, {}, 0);
    ar.writeU8(0);
    ar.writeU8(0);
    return bytes;
}

struct Golden {
    const char* name;
    bool markMode;
    std::function<QByteArray()> bytes;
};

QByteArray built(void (*build)(EqModel&), bool markMode = false) {
    Eq eq;
    build(eq);
    return EquationToBytes(&eq, markMode);
}

std::vector<Golden> goldens() {
    return {
        {"empty", false, [] { return built([](EqModel& eq) { AddEmptyLine(&eq); }); }},
        {"fields", false, [] { return built(buildFields); }},
        {"style", false, [] { return built(buildStyle); }},
        {"undo-marks", true, [] { return built(buildMarks, true); }},
        {"v1-basic", false, [] { return oldStream(1); }},
        {"v2-basic", false, [] { return oldStream(2); }},
    };
}

QString streamsFolder() {
    return QFileInfo(QStringLiteral(__FILE__)).dir().filePath(QStringLiteral("../data/streams"));
}

// TOLIVA_WRITE_GOLDENS=1 rewrites the files (streams and their dumps) after
// an intended change of the format.
TEST(EqStreamGolden, FilesMatchTheWriter) {
    const bool write = qEnvironmentVariableIntValue("TOLIVA_WRITE_GOLDENS") == 1;
    const QDir dir(streamsFolder());
    for (const Golden& g : goldens()) {
        const QString path = dir.filePath(QLatin1String(g.name) + QStringLiteral(".eqs"));
        const QByteArray bytes = g.bytes();
        if (write) {
            ASSERT_TRUE(test::writeFile(path, bytes));
            ASSERT_TRUE(test::writeFile(dir.filePath(QLatin1String(g.name) + QStringLiteral(".dump")),
                                        dumpOf(bytes, g.markMode).toUtf8()));
        }
        EXPECT_EQ(test::readFile(path), bytes) << g.name;
    }
}

// ---- layout of the stream -----------------------------------------------

TEST(EqStream, EmptyEquationBytes) {
    Eq eq;
    AddEmptyLine(&eq);
    for (bool markMode : {false, true}) {
        const QByteArray bytes = EquationToBytes(&eq, markMode);
        ASSERT_EQ(bytes.size(), markMode ? 486 : 484);
        EXPECT_EQ(bytes.left(kRecordSize), settingsRecord(test::builtInStyle()));
        const QByteArray marks = markMode ? test::fromHex("00 00") : QByteArray();
        EXPECT_EQ(bytes.mid(kRecordSize), test::fromHex("01 00 00 00"            // one line
                                                        "00 00 00 00 00 00 00"   // type 0, flags, ch
                                                        "00 00 00 00") +         // colour
                                              marks +
                                              test::fromHex("00 00 00 00"        // payload length
                                                            "00 00 00 00 00"));  // children, has-next
    }
}

TEST(EqStream, ElementRecordFlagsAndColour) {
    Eq eq;
    EqBuilder b(&eq);
    EqElement* line = b.line();
    EqElement* x = b.text(line, u"x", EqTypeCharItalic);
    x->phantom = PhantomVertical;
    x->alignMark = 1;
    x->colour = 0x80112233;  // alpha is not stored
    x->payload = {7, 8};

    const QByteArray bytes = EquationToBytes(&eq);
    EXPECT_EQ(bytes.mid(kFirstElementAt + 19, 1), test::fromHex("01"));  // the head's has-next
    EXPECT_EQ(bytes.mid(kFirstElementAt + 20), test::fromHex("02 00 00 00  42  78 00  11 22 33 00"
                                                             "02 00 00 00  07 08  00 00 00 00  00"));
    EXPECT_EQ(x->phantom, PhantomVertical);  // unchanged by the write

    Eq back;
    ASSERT_TRUE(LoadEquationAtomically(&back, bytes));
    const EqElement* y = back.lines.at(0)->next;
    ASSERT_TRUE(y);
    EXPECT_EQ(y->phantom, PhantomVertical);
    EXPECT_EQ(y->alignMark, 1);
    EXPECT_EQ(y->colour, 0xFF112233u);
    EXPECT_EQ(y->ch, u'x');
    EXPECT_EQ(y->prev, back.lines[0]);
    EXPECT_EQ(y->parent, nullptr);
}

TEST(EqStream, RoundTripKeepsTheTree) {
    Eq eq;
    buildFields(eq);
    const QByteArray bytes = EquationToBytes(&eq);
    Eq back;
    ASSERT_TRUE(LoadEquationAtomically(&back, bytes));
    EXPECT_EQ(DumpEquation(back), DumpEquation(eq));
    EXPECT_EQ(EquationToBytes(&back), bytes);

    // Parent links of what was read.
    const EqElement* frac = back.lines.at(1)->next;
    ASSERT_EQ(frac->children.size(), 2u);
    const EqElement* root = frac->children[1]->next;
    EXPECT_EQ(frac->children[1]->parent, frac);
    EXPECT_EQ(root->parent, frac);
    EXPECT_EQ(root->children[0]->next->parent, root);
}

TEST(EqStream, OldVersions) {
    struct Case {
        uint8_t version;
        int8_t phantom;
    };
    for (const Case c : {Case{1, 0}, Case{2, PhantomVertical}}) {
        Eq eq;
        ASSERT_TRUE(LoadEquationAtomically(&eq, oldStream(c.version))) << int(c.version);
        EXPECT_EQ(eq.settings.options[EqLayoutSettings::OptVersion], c.version);
        const EqElement* x = eq.lines.at(0)->next;
        EXPECT_EQ(x->ch, u'x');
        EXPECT_EQ(x->alignMark, 1);
        EXPECT_EQ(x->phantom, c.phantom);
        EXPECT_EQ(x->colour, 0xFF102030u);  // the style's text colour
        const EqElement* frac = x->next;
        EXPECT_EQ(frac->phantom, c.version < 2 ? 0 : 3);
        ASSERT_EQ(frac->children.size(), 2u);
        EXPECT_EQ(frac->children[0]->next->ch, u'1');
        EXPECT_EQ(eq.settings.colours[EqLayoutSettings::ColourPhantom], c.version < 2 ? 0xFFD3D3D3u : 0xFFE0E0E0u);

        // Saved again as the current version, with colours.
        const QByteArray saved = EquationToBytes(&eq);
        EXPECT_EQ(uint8_t(saved[kVersionAt]), 16);
        Eq again;
        ASSERT_TRUE(LoadEquationAtomically(&again, saved));
        EXPECT_EQ(DumpEquation(again).section(QLatin1Char('\n'), 1), DumpEquation(eq).section(QLatin1Char('\n'), 1));
    }
}

TEST(EqStream, MarkMode) {
    Eq eq;
    buildMarks(eq);
    const QByteArray withMarks = EquationToBytes(&eq, true);
    const QByteArray plain = EquationToBytes(&eq, false);
    EXPECT_EQ(withMarks.size() - plain.size(), 2 * 7);  // seven elements

    Eq back;
    ASSERT_TRUE(LoadEquationAtomically(&back, withMarks, true));
    EXPECT_EQ(DumpEquation(back), DumpEquation(eq));

    ASSERT_TRUE(LoadEquationAtomically(&back, plain, false));
    EXPECT_FALSE(EquationHasMarks(&back));

    // Any non-zero mark byte is a set mark.
    QByteArray odd = EquationToBytes(&eq, true);
    const int markAt = kFirstElementAt + 22 + 11;  // first element after the head
    ASSERT_EQ(uint8_t(odd[markAt]), 1);
    odd[markAt] = char(7);
    ASSERT_TRUE(LoadEquationAtomically(&back, odd, true));
    EXPECT_EQ(back.lines[0]->next->mark, 1);
}

TEST(EqStream, GlyphElementWithoutOutlineKeepsTheRestIntact) {
    for (int32_t type : {6, 7, 8, 860, 863}) {
        Eq eq;
        EqBuilder b(&eq);
        EqElement* line = b.line();
        b.text(line, u"a");
        b.add(line, type, IsBigOperatorType(type) ? 3 : 0, 4);
        b.text(line, u"b");
        const QByteArray bytes = EquationToBytes(&eq);

        Eq back;
        ASSERT_TRUE(LoadEquationAtomically(&back, bytes)) << type;
        EXPECT_EQ(DumpEquation(back), DumpEquation(eq)) << type;
        EXPECT_EQ(chainLength(back.lines[0]), 4);
        EXPECT_FALSE(back.lines[0]->next->next->glyph);
    }
}

TEST(EqStream, GlyphOutlineRoundTrips) {
    Eq eq;
    EqBuilder b(&eq);
    EqElement* sym = b.add(b.line(), EqTypeGlyphSymbol, 0, 12);
    sym->glyph = triangleGlyph(0x222B);
    Eq back;
    ASSERT_TRUE(LoadEquationAtomically(&back, EquationToBytes(&eq)));
    const EqElement* got = back.lines[0]->next;
    ASSERT_TRUE(got->glyph);
    EXPECT_TRUE(GlyphsEqual(*got->glyph, *sym->glyph));
}

// ---- damaged streams ------------------------------------------------------

TEST(EqStream, EveryTruncationFailsAndLeavesTargetUntouched) {
    Eq source;
    buildFields(source);
    for (bool markMode : {false, true}) {
        const QByteArray bytes = EquationToBytes(&source, markMode);

        Eq target;
        buildStyle(target);
        target.outputMode = 1;
        SetEquationCaret(&target, nullptr);
        const QString before = DumpEquation(target);
        for (qsizetype n = 0; n < bytes.size(); ++n) {
            ASSERT_FALSE(LoadEquationAtomically(&target, bytes.left(n), markMode)) << n;
            ASSERT_EQ(DumpEquation(target), before) << n;

            // The plain reader keeps what it read, and reports the damage.
            Eq partial;
            Archive ar(bytes.left(n));
            ASSERT_THROW(LoadEquation(&partial, ar, markMode), ArchiveException) << n;
        }
        ASSERT_TRUE(LoadEquationAtomically(&target, bytes, markMode));
        EXPECT_EQ(DumpEquation(target), DumpEquation(source));
        EXPECT_EQ(target.outputMode, 1);  // how it is shown stays
        EXPECT_EQ(target.caret, nullptr);
    }
}

// A stream of one line whose head record carries the given fields.
QByteArray oneHeadStream(int32_t lineCount, int32_t type, int32_t payloadLength, int32_t children) {
    QByteArray bytes = settingsRecord(test::builtInStyle());
    Archive ar(&bytes, Archive::Store);
    ar.writeI32(lineCount);
    ar.writeI32(type);
    ar.writeU8(0);
    ar.writeU16(0);
    ar.writeU32(0);
    ar.writeI32(payloadLength);
    ar.writeI32(children);
    ar.writeU8(0);
    return bytes;
}

TEST(EqStream, ImpossibleCountsAreRefused) {
    struct Case {
        const char* what;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"huge line count", oneHeadStream(0x7FFFFFFF, 0, 0, 0)},
        {"negative line count", oneHeadStream(-1, 0, 0, 0)},
        {"huge payload", oneHeadStream(1, 0, 0x7FFFFFFF, 0)},
        {"negative payload", oneHeadStream(1, 0, -5, 0)},
        {"huge child count", oneHeadStream(1, 0, 0, 0x7FFFFFFF)},
        {"negative child count", oneHeadStream(1, 0, 0, int32_t(0x80000000))},
        {"line not starting with a head", oneHeadStream(1, EqTypeCharItalic, 0, 0)},
    };
    ASSERT_TRUE(LoadEquationAtomically(std::make_unique<Eq>().get(), oneHeadStream(1, 0, 0, 0)));
    for (const Case& c : cases) {
        Eq eq;
        EXPECT_FALSE(LoadEquationAtomically(&eq, c.bytes)) << c.what;
        Archive ar(c.bytes);
        EXPECT_THROW(LoadEquation(&eq, ar), ArchiveException) << c.what;
    }
}

// A line holding a chain of n nested single-argument structures.
QByteArray nestedStream(int n) {
    QByteArray bytes = settingsRecord(test::builtInStyle());
    Archive ar(&bytes, Archive::Store);
    ar.writeI32(1);
    writeElement(ar, 16, EqTypeChainHead, 0, 0, 0, {}, 0);
    ar.writeU8(1);
    for (int i = 0; i < n; ++i) {
        writeElement(ar, 16, EqTypeSqrt, 0, 0, 0, {}, 1);
        writeElement(ar, 16, EqTypeChainHead, 0, 0, 0, {}, 0);
        ar.writeU8(1);
    }
    writeElement(ar, 16, EqTypeCharItalic, 0, 'z', 0, {}, 0);
    for (int i = 0; i <= n; ++i) ar.writeU8(0);
    return bytes;
}

TEST(EqStream, NestingDepthIsBounded) {
    Eq eq;
    ASSERT_TRUE(LoadEquationAtomically(&eq, nestedStream(kMaxStreamDepth)));
    const EqElement* e = eq.lines[0]->next;
    for (int i = 0; i < kMaxStreamDepth; ++i) e = e->children.at(0)->next;
    EXPECT_EQ(e->ch, u'z');

    for (int n : {kMaxStreamDepth + 1, 100000}) {
        const QByteArray bomb = nestedStream(n);
        EXPECT_FALSE(LoadEquationAtomically(&eq, bomb)) << n;
        Eq partial;
        Archive ar(bomb);
        try {
            LoadEquation(&partial, ar);
            ADD_FAILURE() << "no exception for depth " << n;
        } catch (const ArchiveException& ex) {
            EXPECT_EQ(ex.cause(), ArchiveException::BadFormat);
        }
    }

    // A tree too deep to read back is not written either.
    Eq deep;
    EqBuilder b(&deep);
    EqElement* chain = b.line();
    for (int i = 0; i <= kMaxStreamDepth; ++i) chain = EqBuilder::arg(b.add(chain, EqTypeSqrt, 1), 0);
    EXPECT_THROW(EquationToBytes(&deep), ArchiveException);
}

TEST(EqStream, MillionElementChain) {
    constexpr int kCount = 1000000;
    Eq eq;
    EqBuilder b(&eq);
    EqElement* last = b.line();
    for (int i = 0; i < kCount; ++i) last = b.add(last, EqTypeCharItalic, 0, char16_t(u'a' + i % 26));
    const QByteArray bytes = EquationToBytes(&eq);
    EXPECT_EQ(bytes.size(), kFirstElementAt + 20 * (kCount + 1));

    Eq back;
    ASSERT_TRUE(LoadEquationAtomically(&back, bytes));
    EXPECT_EQ(chainLength(back.lines[0]), kCount + 1);
    EXPECT_EQ(FindChainEnd(back.lines[0])->ch, u'a' + (kCount - 1) % 26);
    EXPECT_EQ(EquationToBytes(&back), bytes);
}

// What a read notes reaches the equation whether or not the read succeeds,
// and notes the caller has not taken yet survive the exchange.
TEST(EqStream, NotesOfAReadReachTheEquation) {
    QByteArray newer = settingsRecord(test::builtInStyle(), 17);
    {
        Archive ar(&newer, Archive::Store);  // appends
        ar.writeI32(0);
    }
    Eq eq;
    eq.warnNewerVersion = 1;
    AddEmptyLine(&eq);
    TakeEquationNotes(&eq);
    EquationFonts(&eq).notes.add(EqNoteKind::DamagedFile, QStringLiteral("pending"));
    ASSERT_TRUE(LoadEquationAtomically(&eq, newer));
    EqNotes notes = TakeEquationNotes(&eq);
    EXPECT_EQ(notes.items, (std::vector<EqNote>{{EqNoteKind::DamagedFile, QStringLiteral("pending")},
                                                {EqNoteKind::NewerVersion, QString()}}));

    AddEmptyLine(&eq);
    const size_t lines = eq.lines.size();
    EXPECT_FALSE(LoadEquationAtomically(&eq, newer.left(newer.size() - 2)));
    EXPECT_EQ(eq.lines.size(), lines);
    notes = TakeEquationNotes(&eq);
    EXPECT_TRUE(notes.contains(EqNoteKind::NewerVersion));

    eq.warnNewerVersion = 0;
    ASSERT_TRUE(LoadEquationAtomically(&eq, newer));
    EXPECT_FALSE(TakeEquationNotes(&eq).contains(EqNoteKind::NewerVersion));
}

// ---- the own-style marker ---------------------------------------------------

class OwnStyleMarker : public ::testing::Test {
protected:
    void TearDown() override { QFile::remove(UserLayoutSettingsPath()); }

    static QByteArray markedStream(uint8_t version) {
        EqLayoutSettings s = test::builtInStyle();
        s.fontSize = 15;
        s.options[EqLayoutSettings::OptOwnStyle] = 0xFF;
        QByteArray bytes = settingsRecord(s, version);
        Archive ar(&bytes, Archive::Store);
        ar.writeI32(1);
        writeElement(ar, version, EqTypeChainHead, 0, 0, 0x00332211, {}, 0);
        ar.writeU8(1);
        writeElement(ar, version, EqTypeCharItalic, 0, 'q', 0x00332211, {}, 0);
        ar.writeU8(0);
        return bytes;
    }

    RecordingMessageSink sink;
    ScopedMessageSink guard{&sink};
};

TEST_F(OwnStyleMarker, TakesTheUserDefaults) {
    EqLayoutSettings user = test::builtInStyle();
    user.fontSize = 20;
    user.colours[EqLayoutSettings::ColourText] = 0xFF0A0B0C;
    ASSERT_TRUE(WriteLayoutSettingsFile(nullptr, UserLayoutSettingsPath(), user));

    for (uint8_t version : {16, 1}) {
        Eq eq;
        ASSERT_TRUE(LoadEquationAtomically(&eq, markedStream(version))) << int(version);
        EXPECT_EQ(eq.settings.fontSize, 20);
        EXPECT_EQ(eq.settings.options[EqLayoutSettings::OptOwnStyle], 0);
        // The elements follow the layout of the stream's own version.
        const EqElement* q = eq.lines[0]->next;
        ASSERT_TRUE(q);
        EXPECT_EQ(q->ch, u'q');
        EXPECT_EQ(q->colour, version == 16 ? 0xFF112233u : 0xFF0A0B0Cu);
    }
    EXPECT_TRUE(sink.shown.empty());
}

TEST_F(OwnStyleMarker, BuiltInDefaultsWithoutUserFile) {
    QFile::remove(UserLayoutSettingsPath());
    Eq eq;
    ASSERT_TRUE(LoadEquationAtomically(&eq, markedStream(16)));
    EXPECT_EQ(eq.settings, test::builtInStyle());
}

}  // namespace
}  // namespace toliva
