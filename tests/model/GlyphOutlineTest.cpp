#include "model/GlyphOutline.h"

#include "common/TestSupport.h"
#include "platform/Archive.h"
#include "platform/gdiplus/Graphics.h"

#include <gtest/gtest.h>

#include <QFile>

#include <cmath>
#include <functional>
#include <limits>

using namespace toliva;
using toliva::test::fromHex;
using toliva::test::readFile;
using toliva::test::ScratchFolder;
using toliva::test::writeFile;

namespace {

// A closed triangle with a curved side, in glyph units.
std::unique_ptr<GlyphOutline> makeGlyph(int16_t code = 65) {
    gp::GraphicsPath p;
    p.AddLine(0, 0, 40, 0);
    p.AddBezier({40, 0}, {50, 30}, {30, 60}, {20, 80});
    p.CloseFigure();
    auto g = std::make_unique<GlyphOutline>();
    SetGlyphFromPath(*g, p);
    g->m[0] = 60;
    g->m[1] = 80;
    g->m[2] = 5;
    g->m[3] = 1.5f;
    g->m[4] = -2;
    g->scale = 1.25f;
    g->colour = 0x00332211;
    g->charCode = code;
    return g;
}

QByteArray stored(GlyphOutline& g) {
    QByteArray bytes;
    Archive ar(&bytes, Archive::Store);
    SerializeGlyph(g, ar);
    return bytes;
}

QByteArray listBytes(GlyphList& list, int32_t claimedCount) {
    QByteArray bytes;
    Archive ar(&bytes, Archive::Store);
    ar.writeI32(claimedCount);
    for (auto& g : list) SerializeGlyph(*g, ar);
    return bytes;
}

std::vector<std::string> drawLog(GlyphOutline& g, bool useColour, bool outline) {
    gp::RecordingGraphics rec;
    DrawGlyph(rec, 0xFFABCDEF, useColour, outline, g);
    return rec.log;
}

}  // namespace

TEST(GlyphOutline, NewRecordStoresThirtyEightBytesAndStaysEmptyUnderEdits) {
    GlyphOutline g;
    const QByteArray bytes = stored(g);
    EXPECT_EQ(bytes, fromHex("00000000 00000000 00000000 00000000 00000000 00000000 0000803F"
                             "00000000 00000000 0000"));
    EXPECT_TRUE(GlyphIsEmptyRecord(g));
    EXPECT_TRUE(drawLog(g, false, true).empty());
    EXPECT_EQ(GlyphMeanX(g), 0);
    EXPECT_EQ(GlyphMeanY(g), 0);
    ShearGlyph(g, 0.3);
    FlipGlyphVertical(g);
    FlipGlyphHorizontal(g);
    EXPECT_EQ(stored(g), bytes);
    EXPECT_FALSE(g.path);

    Archive in(bytes);
    GlyphOutline loaded;
    SerializeGlyph(loaded, in);
    EXPECT_TRUE(GlyphIsEmptyRecord(loaded));
    EXPECT_EQ(in.bytesLeft(), 0);
}

TEST(GlyphOutline, RecordLayoutIsInterleavedPointsThenFields) {
    GlyphOutline g;
    g.count = 1;
    g.points = {{1.0f, -2.0f}};
    g.types = {0x80};
    g.m[0] = 0.5f;
    g.scale = 2.0f;
    g.strokeOnly = 1;
    g.colour = 0x00ABCDEF;
    g.charCode = -2;
    const QByteArray bytes = stored(g);
    EXPECT_EQ(bytes.size(), 38 + 9);
    EXPECT_EQ(bytes, fromHex("01000000 0000803F 000000C0 80 0000003F 00000000 00000000 00000000 00000000"
                             "00000040 01000000 EFCDAB00 FEFF"));

    GlyphOutline back;
    Archive in(bytes);
    SerializeGlyph(back, in);
    EXPECT_EQ(back.charCode, -2);
    ASSERT_TRUE(back.path);
    EXPECT_EQ(back.path->GetPointCount(), 1);
    EXPECT_TRUE(GlyphsEqual(back, g));
}

TEST(GlyphOutline, CopyIsIndependentAndEqualUntilAnyStoredFieldChanges) {
    auto source = makeGlyph();
    GlyphOutline copy;
    CopyGlyph(copy, *source);
    EXPECT_TRUE(GlyphsEqual(copy, *source));
    ASSERT_TRUE(copy.path);
    EXPECT_NE(copy.path.get(), source->path.get());

    source->points[0].x = 99;  // the copy owns its own points
    EXPECT_FALSE(GlyphsEqual(copy, *source));
    CopyGlyph(*source, *source);  // copying onto itself keeps it
    EXPECT_EQ(source->points[0].x, 99);

    const std::vector<std::function<void(GlyphOutline&)>> changes = {
        [](GlyphOutline& g) { g.charCode = 66; },
        [](GlyphOutline& g) { g.colour = 0x00332212; },
        [](GlyphOutline& g) { g.scale = 1.0f; },
        [](GlyphOutline& g) { g.strokeOnly = 1; },
        [](GlyphOutline& g) { g.m[4] = 0; },
        [](GlyphOutline& g) { g.types[1] = 3; },
        [](GlyphOutline& g) { g.points.back().y += 0.001f; },
    };
    for (size_t i = 0; i < changes.size(); ++i) {
        SCOPED_TRACE(i);
        auto a = makeGlyph();
        auto b = makeGlyph();
        ASSERT_TRUE(GlyphsEqual(*a, *b));
        changes[i](*b);
        EXPECT_FALSE(GlyphsEqual(*a, *b));
        EXPECT_FALSE(GlyphIsEmptyRecord(*b));
    }
}

TEST(GlyphOutline, ClearedArraysStoreAsNoPoints) {
    auto g = makeGlyph();
    ClearGlyph(*g);
    EXPECT_EQ(g->count, 6);  // the count is left as it was
    EXPECT_FALSE(g->path);
    EnsureGlyphOwnPath(*g);
    EXPECT_FALSE(g->path);
    const QByteArray bytes = stored(*g);
    EXPECT_EQ(bytes.size(), 38);
    EXPECT_TRUE(drawLog(*g, false, false).empty());
}

TEST(GlyphOutline, DamagedRecordsThrowWithoutHugeAllocations) {
    struct Case {
        const char* name;
        QByteArray bytes;
        ArchiveException::Cause cause;
    };
    QByteArray huge = fromHex("FFFFFF7F");  // 0x7FFFFFFF points
    huge.append(46, '\0');                  // in a 50-byte stream
    auto whole = makeGlyph();
    const QByteArray good = stored(*whole);
    const Case cases[] = {
        {"huge count", huge, ArchiveException::EndOfFile},
        {"negative count", fromHex("FFFFFFFF") + QByteArray(40, '\0'), ArchiveException::BadFormat},
        {"cut in the points", good.left(4 + 9 * 2 + 3), ArchiveException::EndOfFile},
        {"cut in the fields", good.left(good.size() - 1), ArchiveException::EndOfFile},
        {"no count", fromHex("0100"), ArchiveException::EndOfFile},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Archive in(c.bytes);
        GlyphOutline g;
        try {
            SerializeGlyph(g, in);
            ADD_FAILURE() << "no exception";
        } catch (const ArchiveException& e) {
            EXPECT_EQ(e.cause(), c.cause);
        }
        EXPECT_EQ(g.points.size(), g.types.size());
    }
}

// Numbers no drawing can use mark a damaged record (they would lay an
// equation out to an infinite size); the limits themselves still read.
TEST(GlyphOutline, NumbersOutOfRangeAreDamage) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        const char* name;
        std::function<void(GlyphOutline&)> edit;
        bool damaged;
    } cases[] = {
        {"point not a number", [&](GlyphOutline& g) { g.points[1].x = nan; }, true},
        {"point far out", [](GlyphOutline& g) { g.points[2].y = -1e6f; }, true},
        {"metric infinite", [&](GlyphOutline& g) { g.m[1] = inf; }, true},
        {"metric far out", [](GlyphOutline& g) { g.m[0] = 3e30f; }, true},
        {"scale far out", [](GlyphOutline& g) { g.scale = 1e4f; }, true},
        {"scale not a number", [&](GlyphOutline& g) { g.scale = nan; }, true},
        {"at the limits", [](GlyphOutline& g) {
             g.points[0].x = kMaxGlyphUnits;
             g.m[2] = -kMaxGlyphUnits;
             g.scale = -kMaxGlyphScale;
         }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto g = makeGlyph();
        c.edit(*g);
        const QByteArray bytes = stored(*g);
        Archive in(bytes);
        GlyphOutline read;
        if (c.damaged) {
            try {
                SerializeGlyph(read, in);
                ADD_FAILURE() << "no exception";
            } catch (const ArchiveException& e) {
                EXPECT_EQ(e.cause(), ArchiveException::BadFormat);
            }
            EXPECT_FALSE(read.path);
        } else {
            SerializeGlyph(read, in);
            EXPECT_TRUE(GlyphsEqual(read, *g));
        }
    }
}

TEST(GlyphOutline, DrawFillsOrStrokesInTheChosenColour) {
    struct Case {
        int32_t strokeOnly;
        bool useColour;
        bool outline;
        std::vector<std::string> want;
    };
    const Case cases[] = {
        {0, false, false, {"fill #FF112233 path n=6"}},
        {0, false, true, {"fill #FF112233 path n=6", "stroke #FF112233 w=5 path n=6"}},
        {0, true, false, {"fill #FFABCDEF path n=6"}},
        {1, false, false, {"stroke #FF112233 w=3.90625 path n=6"}},
        {7, true, true, {"stroke #FFABCDEF w=3.90625 path n=6"}},  // never filled
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.strokeOnly << c.useColour << c.outline);
        auto g = makeGlyph();  // scale 1.25
        g->strokeOnly = c.strokeOnly;
        g->path.reset();  // drawing builds it
        EXPECT_EQ(drawLog(*g, c.useColour, c.outline), c.want);
    }
}

TEST(GlyphOutline, FlipsTwiceRestoreAndShearSlantsAboutTheMeanY) {
    for (auto flip : {&FlipGlyphVertical, &FlipGlyphHorizontal}) {
        auto g = makeGlyph();
        const std::vector<gp::PointF> before = g->points;
        flip(*g);
        EXPECT_NE(g->points, before);
        flip(*g);
        for (size_t i = 0; i < before.size(); ++i) {
            EXPECT_NEAR(g->points[i].x, before[i].x, 1e-4);
            EXPECT_NEAR(g->points[i].y, before[i].y, 1e-4);
        }
        EXPECT_EQ(g->path->points(), g->points);  // path rebuilt
    }

    gp::GraphicsPath p;
    const gp::PointF tri[] = {{0, 0}, {0, 10}, {10, 10}};
    p.AddLines(tri, 3);
    GlyphOutline g;
    SetGlyphFromPath(g, p);
    EXPECT_NEAR(GlyphMeanY(g), 20.0 / 3, 1e-5);
    EXPECT_NEAR(GlyphMeanX(g), 10.0 / 3, 1e-5);
    ShearGlyph(g, std::atan(0.5));
    const float want[] = {-10.0f / 3, 5.0f / 3, 35.0f / 3};
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(g.points[i].x, want[i], 1e-4);
        EXPECT_EQ(g.points[i].y, tri[i].y);
        EXPECT_EQ(g.path->points()[i], g.points[i]);
    }
}

TEST(GlyphOutline, GetGlyphPathScalesBySizeAndScaleAndRotates) {
    struct Case {
        float scale, size, angle;
        gp::PointF want;  // where (40, 0) goes
    };
    const Case cases[] = {
        {2.0f, 50, 0, {40, 0}},
        {1.0f, 250, 0, {100, 0}},
        {2.0f, 150, 0, {120, 0}},
        {1.0f, 100, 90, {0, 40}},
        {0.5f, 100, -90, {0, -20}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.scale << ' ' << c.size << ' ' << c.angle);
        auto g = makeGlyph();
        g->scale = c.scale;
        g->path.reset();
        gp::GraphicsPath target;
        target.AddLine(-1, -1, -2, -2);  // replaced, not appended to
        GetGlyphPath(*g, target, c.size, c.angle);
        ASSERT_EQ(target.GetPointCount(), 6);
        EXPECT_EQ(target.types(), g->types);
        EXPECT_NEAR(target.points()[1].x, c.want.x, 1e-4);
        EXPECT_NEAR(target.points()[1].y, c.want.y, 1e-4);
        EXPECT_EQ(g->points[1], (gp::PointF{40, 0}));  // the record is untouched
    }
}

TEST(GlyphList, FileRoundTripAppendAndEmptyList) {
    ScratchFolder dir;
    const QString path = dir.file("KwGLData.gph");

    GlyphList empty;
    ASSERT_TRUE(WriteGlyphListFile(empty, path));
    EXPECT_EQ(readFile(path), fromHex("00000000"));

    GlyphList list;
    list.push_back(makeGlyph(65));
    list.push_back(std::make_unique<GlyphOutline>());
    list.push_back(makeGlyph(-300));
    ASSERT_TRUE(WriteGlyphListFile(list, path));
    EXPECT_EQ(readFile(path).size(), 4 + (38 + 54) + 38 + (38 + 54));

    GlyphList back;
    back.push_back(makeGlyph(1));
    ASSERT_TRUE(ReadGlyphListFile(back, path, false));  // appends
    ASSERT_EQ(back.size(), 4u);
    EXPECT_EQ(back[0]->charCode, 1);
    for (size_t i = 0; i < 3; ++i) EXPECT_TRUE(GlyphsEqual(*back[i + 1], *list[i])) << i;

    ASSERT_TRUE(ReadGlyphListFile(back, path, true));  // replaces
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back[2]->charCode, -300);
    ClearGlyphList(back);
    EXPECT_TRUE(back.empty());
}

TEST(GlyphList, DamagedStreamsKeepTheRecordsReadInFull) {
    GlyphList two;
    two.push_back(makeGlyph(10));
    two.push_back(makeGlyph(11));
    const QByteArray whole = listBytes(two, 2);
    struct Case {
        const char* name;
        QByteArray bytes;
        size_t records;
    };
    const Case cases[] = {
        {"whole", whole, 2},
        {"last record cut", whole.left(whole.size() - 5), 1},
        {"first record cut", whole.left(20), 0},
        {"count larger than the records", listBytes(two, 0x7FFFFFFF), 2},
        {"count smaller than the records", listBytes(two, 1), 1},
        {"negative count", listBytes(two, -5), 0},
        {"no count", fromHex("0200"), 0},
        {"nothing", QByteArray(), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GlyphList list;
        list.push_back(makeGlyph(1));
        Archive in(c.bytes);
        ReadGlyphList(in, list, true);
        ASSERT_EQ(list.size(), c.records);
        for (size_t i = 0; i < list.size(); ++i) EXPECT_TRUE(GlyphsEqual(*list[i], *two[i]));
    }
}

TEST(GlyphList, FileFailuresAreReportedAndChangeNothing) {
    ScratchFolder dir;
    GlyphList list;
    list.push_back(makeGlyph(7));

    EXPECT_FALSE(ReadGlyphListFile(list, dir.file("missing.gph"), true));
    ASSERT_EQ(list.size(), 1u);  // not emptied
    EXPECT_EQ(list[0]->charCode, 7);

    EXPECT_FALSE(WriteGlyphListFile(list, dir.file("no/such/folder/x.gph")));
    EXPECT_FALSE(WriteGlyphListFile(list, dir.path()));  // a folder, not a file

    // A failed write leaves the old file as it was.
    const QString path = dir.file("kept.gph");
    ASSERT_TRUE(writeFile(path, fromHex("00000000")));
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    const bool written = WriteGlyphListFile(list, path);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (!written) {  // root may write anyway
        EXPECT_EQ(readFile(path), fromHex("00000000"));
    }
}
