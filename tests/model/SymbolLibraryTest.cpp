#include "model/SymbolLibrary.h"

#include "common/TestSupport.h"
#include "model/EqFonts.h"
#include "model/EqModel.h"
#include "model/EqSpacing.h"
#include "platform/Archive.h"
#include "platform/Folders.h"
#include "platform/gdiplus/Graphics.h"
#include "platform/gdiplus/GraphicsPath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>

using namespace toliva;
using toliva::test::ScratchFolder;
using toliva::test::writeFile;

namespace {

// A glyph with n points on a line and the character code as its mark.
std::unique_ptr<GlyphOutline> makeGlyph(int16_t code, int n) {
    auto g = std::make_unique<GlyphOutline>();
    for (int i = 0; i < n; ++i) {
        g->points.push_back({float(i), float(code)});
        g->types.push_back(i == 0 ? 0 : 1);
    }
    g->count = n;
    g->m[0] = 50;
    g->charCode = code;
    return g;
}

OperatorDrawRecord makeRecord(float width) {
    OperatorDrawRecord r;
    r.widthFactor = width;
    r.heightFactor = 1;
    r.flags = 0x10;
    r.primitives[0] = {OpPrimLine, 1.5f, 0, -0.5f, 0, 0.5f, 0};
    r.primitives[1] = {OpPrimCaret, 1, -90, 0, 0.25f, 0.8f, 0.5f};
    return r;
}

// Two outlines (codes 101, 102), three glyphs (codes 1, 2, 3) and two
// operator records.
void fill(SymbolLibrary& lib, int operators = 2) {
    lib.outlines.push_back(makeGlyph(101, 4));
    lib.outlines.push_back(makeGlyph(102, 0));
    lib.glyphs.push_back(makeGlyph(1, 3));
    lib.glyphs.push_back(makeGlyph(2, 1));
    lib.glyphs.push_back(makeGlyph(3, 5));
    lib.operatorCount = operators;
    if (operators > 0) {
        lib.operators.reset(new OperatorDrawRecord[size_t(operators)]);
        for (int i = 0; i < operators; ++i) lib.operators[size_t(i)] = makeRecord(0.5f + float(i));
    }
}

QByteArray stream(const SymbolLibrary& lib) {
    QByteArray bytes;
    Archive ar(&bytes, Archive::Store);
    WriteSymbolLibrary(ar, lib);
    return bytes;
}

QByteArray recordBytes(const OperatorDrawRecord& r) {
    QByteArray b(kOperatorRecordStreamSize, '\0');
    SerializeOperatorRecord(r, reinterpret_cast<uint8_t*>(b.data()));
    return b;
}

std::vector<int> codes(const GlyphList& list) {
    std::vector<int> out;
    for (const auto& g : list) out.push_back(g->charCode);
    return out;
}

QByteArray int32Bytes(int32_t v) {
    QByteArray b;
    Archive ar(&b, Archive::Store);
    ar.writeI32(v);
    return b;
}

}  // namespace

TEST(SymbolLibrary, StreamHoldsOutlinesThenGlyphsThenRecordsOf159Bytes) {
    SymbolLibrary lib;
    fill(lib);
    const QByteArray bytes = stream(lib);
    // Three counts, records of 38 + 9n bytes, operator records of 159 bytes.
    const int glyphBytes = (38 + 36) + 38 + (38 + 27) + (38 + 9) + (38 + 45);
    EXPECT_EQ(bytes.size(), 12 + glyphBytes + 2 * 159);
    EXPECT_EQ(bytes.left(4), int32Bytes(2));  // the outline list comes first
    EXPECT_EQ(bytes.mid(bytes.size() - 2 * 159, 159), recordBytes(lib.operators[0]));

    SymbolLibrary back;
    Archive in(bytes);
    ReadSymbolLibrary(in, back);
    EXPECT_EQ(in.bytesLeft(), 0);
    EXPECT_EQ(codes(back.outlines), (std::vector<int>{101, 102}));
    EXPECT_EQ(codes(back.glyphs), (std::vector<int>{1, 2, 3}));
    for (size_t i = 0; i < 3; ++i) EXPECT_TRUE(GlyphsEqual(*back.glyphs[i], *lib.glyphs[i]));
    ASSERT_EQ(back.operatorCount, 2);
    for (int i = 0; i < 2; ++i) EXPECT_EQ(recordBytes(back.operators[size_t(i)]), recordBytes(lib.operators[size_t(i)]));
    EXPECT_EQ(stream(back), bytes);
}

TEST(SymbolLibrary, LookupsAddressGlyphsFromOneAndRecordsByElementType) {
    SymbolLibrary lib;
    fill(lib);
    EXPECT_EQ(lib.glyph(0), nullptr);
    EXPECT_EQ(lib.glyph(1)->charCode, 1);  // code 1 shows the first record
    EXPECT_EQ(lib.glyph(3)->charCode, 3);
    EXPECT_EQ(lib.glyph(4), nullptr);
    EXPECT_EQ(lib.outline(-1), nullptr);
    EXPECT_EQ(lib.outline(0)->charCode, 101);
    EXPECT_EQ(lib.outline(2), nullptr);
    EXPECT_EQ(lib.operatorRecord(1041), nullptr);
    EXPECT_EQ(lib.operatorRecord(1042), &lib.operators[0]);
    EXPECT_EQ(lib.operatorRecord(1043), &lib.operators[1]);
    EXPECT_EQ(lib.operatorRecord(1044), nullptr);  // a short table
    lib.clear();
    EXPECT_EQ(lib.glyph(1), nullptr);
    EXPECT_EQ(lib.operatorRecord(1042), nullptr);
    EXPECT_EQ(lib.operatorCount, 0);
}

TEST(SymbolLibrary, ZeroOperatorCountLoadsBothListsAndNoTable) {
    SymbolLibrary lib;
    fill(lib, 0);
    const QByteArray bytes = stream(lib);
    EXPECT_EQ(bytes.right(4), int32Bytes(0));
    SymbolLibrary back;
    Archive in(bytes);
    ReadSymbolLibrary(in, back);
    EXPECT_EQ(back.outlines.size(), 2u);
    EXPECT_EQ(back.glyphs.size(), 3u);
    EXPECT_EQ(back.operatorCount, 0);
    EXPECT_FALSE(back.operators);
}

TEST(SymbolLibrary, OutlinesAreAppendedAndGlyphsReplacedOnReading) {
    SymbolLibrary lib;
    fill(lib);
    const QByteArray bytes = stream(lib);
    SymbolLibrary target;
    target.outlines.push_back(makeGlyph(900, 1));
    target.glyphs.push_back(makeGlyph(901, 1));
    Archive in(bytes);
    ReadSymbolLibrary(in, target);
    EXPECT_EQ(codes(target.outlines), (std::vector<int>{900, 101, 102}));
    EXPECT_EQ(codes(target.glyphs), (std::vector<int>{1, 2, 3}));
}

TEST(SymbolLibrary, TruncatedStreamKeepsWhatWasReadInFull) {
    SymbolLibrary lib;
    fill(lib);
    const QByteArray bytes = stream(lib);
    const int outlinesEnd = 4 + (38 + 36) + 38;
    const int glyphsEnd = outlinesEnd + 4 + (38 + 27) + (38 + 9) + (38 + 45);
    struct Case {
        int length;
        size_t outlines;
        size_t glyphs;
        int records;
    };
    const Case cases[] = {
        {0, 0, 0, 0},
        {3, 0, 0, 0},
        {4 + 40, 0, 0, 0},                      // inside the first outline
        {outlinesEnd, 2, 0, 0},                 // before the glyph count
        {outlinesEnd + 4 + 70, 2, 1, 0},        // inside the second glyph
        {glyphsEnd, 2, 3, 0},                   // before the operator count
        {glyphsEnd + 4, 2, 3, 0},               // a count but no record
        {glyphsEnd + 4 + 159 + 80, 2, 3, 1},    // inside the second record
        {int(bytes.size()), 2, 3, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        SymbolLibrary back;
        Archive in(bytes.left(c.length));
        ReadSymbolLibrary(in, back);
        EXPECT_EQ(back.outlines.size(), c.outlines);
        EXPECT_EQ(back.glyphs.size(), c.glyphs);
        EXPECT_EQ(back.operatorCount, c.records);
        EXPECT_EQ(bool(back.operators), c.records > 0);
        for (int i = 0; i < c.records; ++i)
            EXPECT_EQ(recordBytes(back.operators[size_t(i)]), recordBytes(lib.operators[size_t(i)]));
        for (size_t i = 0; i < c.glyphs; ++i) EXPECT_TRUE(GlyphsEqual(*back.glyphs[i], *lib.glyphs[i]));
    }
}

TEST(SymbolLibrary, CountsBeyondTheBytesLeftAllocateNothingTheyCannotFill) {
    // Huge or negative counts, each followed by one real record.
    const OperatorDrawRecord record = makeRecord(0.8f);
    for (int32_t count : {0x7FFFFFFF, 1000, -5}) {
        SCOPED_TRACE(count);
        QByteArray bytes = int32Bytes(count) + recordBytes(record);
        SymbolLibrary lib;
        Archive in(bytes);
        ReadOperatorTable(in, lib);
        if (count < 0) {
            EXPECT_EQ(lib.operatorCount, 0);
            EXPECT_FALSE(lib.operators);
        } else {
            ASSERT_EQ(lib.operatorCount, 1);
            EXPECT_EQ(recordBytes(lib.operators[0]), recordBytes(record));
        }
    }
    // Glyph lists that claim two billion records hold the one that is there.
    SymbolLibrary src;
    src.glyphs.push_back(makeGlyph(7, 2));
    QByteArray glyphBytes;
    {
        Archive ar(&glyphBytes, Archive::Store);
        ar.writeI32(0x7FFFFFFF);
        SerializeGlyph(*src.glyphs[0], ar);
    }
    SymbolLibrary lib;
    Archive in(int32Bytes(0) + glyphBytes);
    ReadSymbolLibrary(in, lib);
    EXPECT_EQ(codes(lib.glyphs), (std::vector<int>{7}));
}

TEST(SymbolLibrary, ReadingAgainReplacesTheTable) {
    SymbolLibrary lib;
    fill(lib);
    const QByteArray bytes = stream(lib);
    SymbolLibrary target;
    fill(target, 5);
    Archive in(bytes);
    ReadSymbolLibrary(in, target);
    EXPECT_EQ(target.operatorCount, 2);
}

TEST(SymbolLibrary, LoadingAFileAnswersWhetherItCouldBeOpened) {
    ScratchFolder folder;
    SymbolLibrary lib;
    fill(lib);
    SymbolLibrary target;
    EXPECT_FALSE(LoadSymbolLibraryFile(target, folder.file(QStringLiteral("missing.dat"))));
    EXPECT_TRUE(target.glyphs.empty());

    ASSERT_TRUE(writeFile(folder.file(QStringLiteral("lib.dat")), stream(lib)));
    EXPECT_TRUE(LoadSymbolLibraryFile(target, folder.file(QStringLiteral("lib.dat"))));
    EXPECT_EQ(target.glyphs.size(), 3u);

    // An empty file opens: the library stays empty and the load succeeds.
    ASSERT_TRUE(writeFile(folder.file(QStringLiteral("empty.dat")), QByteArray()));
    SymbolLibrary empty;
    EXPECT_TRUE(LoadSymbolLibraryFile(empty, folder.file(QStringLiteral("empty.dat"))));
    EXPECT_TRUE(empty.outlines.empty());
    EXPECT_EQ(empty.operatorCount, 0);
    EXPECT_EQ(SymbolLibraryFileName(), QStringLiteral("Dat/KwSLData.dat"));
}

TEST(SymbolLibrary, ScriptOffsetsCoverCodes32To222) {
    const std::set<int> allowed = {3, 5, 8, 10, 11, 12, 15};
    for (int code = 0; code < 500; ++code) {
        const float v = GlyphScriptOffset(code);
        if (code < 32 || code > 222) {
            EXPECT_EQ(v, 0.0f) << code;
        } else {
            EXPECT_TRUE(allowed.count(int(std::lround(v * 100)))) << code << " " << v;
        }
    }
}

// The library the build generates beside the programs.
class ShippedSymbolLibrary : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_lib = new SymbolLibrary;
        s_loaded = LoadSymbolLibrary(*s_lib);
    }
    static void TearDownTestSuite() {
        delete s_lib;
        s_lib = nullptr;
    }
    static SymbolLibrary* s_lib;
    static bool s_loaded;
};
SymbolLibrary* ShippedSymbolLibrary::s_lib = nullptr;
bool ShippedSymbolLibrary::s_loaded = false;

TEST_F(ShippedSymbolLibrary, HoldsElevenOutlinesOfHeight100) {
    ASSERT_TRUE(s_loaded);
    ASSERT_EQ(s_lib->outlines.size(), 11u);
    for (size_t i = 0; i < 11; ++i) {
        SCOPED_TRACE(i);
        gp::GraphicsPath path;
        GetGlyphPath(*s_lib->outlines[i], path, 100, 0);
        const QRectF ink = path.toQPainterPath().boundingRect();
        EXPECT_NEAR(ink.height(), 100, 0.5);
        EXPECT_NEAR(ink.center().y(), 0, 0.5);
        EXPECT_GT(ink.width(), 20);
    }
}

TEST_F(ShippedSymbolLibrary, GlyphsCoverTheSymbolBarsAndSitOnTheTextBaseline) {
    ASSERT_TRUE(s_loaded);
    ASSERT_GE(s_lib->glyphs.size(), 476u);
    for (int code = 1; code <= 476; ++code) {
        SCOPED_TRACE(code);
        const GlyphOutline* g = s_lib->glyph(code);
        ASSERT_NE(g, nullptr);
        EXPECT_EQ(g->count == 0, code == 302);  // 302 is the one empty place
        EXPECT_GT(g->m[0], 0);
        EXPECT_GT(g->m[1], 0);
        EXPECT_GT(g->m[2], 0);
        EXPECT_EQ(g->scale, 1.0f);
        EXPECT_EQ(g->strokeOnly, 0);
        if (g->count == 0) continue;
        // Centred across its advance, within a text box.
        const QRectF ink = g->path->toQPainterPath().boundingRect();
        EXPECT_LT(std::abs(ink.center().x()), 30);
        EXPECT_GT(ink.top(), -110);
        EXPECT_LT(ink.bottom(), 110);
    }
    // Capitals stand on one baseline: double-struck A, script A, fraktur A.
    for (int code : {2, 32, 58, 84, 198, 355}) {
        SCOPED_TRACE(code);
        const QRectF ink = s_lib->glyph(code)->path->toQPainterPath().boundingRect();
        EXPECT_NEAR(ink.bottom(), s_lib->glyph(2)->path->toQPainterPath().boundingRect().bottom(), 3);
    }
}

TEST_F(ShippedSymbolLibrary, HoldsARecordForEveryOperatorType) {
    ASSERT_TRUE(s_loaded);
    ASSERT_EQ(s_lib->operatorCount, kOperatorTableSize);
    for (int type = kFirstOperatorType; type <= kLastOperatorType; ++type) {
        SCOPED_TRACE(type);
        const OperatorDrawRecord* r = s_lib->operatorRecord(type);
        ASSERT_NE(r, nullptr);
        EXPECT_GT(r->widthFactor, 0);
        EXPECT_GT(r->heightFactor, 0);
        // 1289 stands for no character and draws nothing.
        EXPECT_EQ(r->primitives[0].kind == OpPrimNone, type == 1289);
        bool ended = false;
        for (const OperatorPrimitive& p : r->primitives) {
            if (p.kind == OpPrimNone) ended = true;
            EXPECT_TRUE(!ended || p.kind == OpPrimNone);  // nothing behind the end
            EXPECT_LE(p.kind, OpPrimSCurveMirror);
            for (float v : {p.pen, p.angle, p.x, p.y, p.sx, p.sy}) EXPECT_TRUE(std::isfinite(v));
        }
    }
}

// Operators, minus signs written as text and arrows line up in a formula:
// the bar of the '+' record, the bar of a U+2212 measured as text of the
// default style and the shaft of arrow 235 lie on one axis. A character is
// drawn in a text box one line spacing high centred on the element's y; an
// arrow is drawn about the element's y as its record stands.
TEST_F(ShippedSymbolLibrary, PlusMinusAndArrowShareOneAxis) {
    ASSERT_TRUE(s_loaded);
    EqModel eq;
    SetupEquationFonts(&eq);
    gp::RecordingGraphics measuring;
    MeasureFontMetrics(&measuring, &eq);
    const float size = eq.settings.fontSize;

    gp::RectF ink;
    float box = 0;
    ASSERT_EQ(MeasureGlyph(0x2212, &eq, &measuring, &ink, &box), gp::Ok);
    const float minusY = ink.y + ink.height / 2 - box / 2;

    gp::RecordingGraphics g;
    OperatorFrame frame;
    frame.unit = s_lib->operatorRecord(1042)->widthFactor * eq.settings.spacing[SpacingOperatorUnit] * size;
    frame.strokeWidth = eq.settings.spacing[SpacingRuleThickness] * size;
    ASSERT_TRUE(DrawOperatorFromTable(s_lib->operators.get(), s_lib->operatorCount, 0, frame,
                                      eq.fontMetrics[MetricAxisOffset], size, false, g));
    float plusY = NAN;
    for (const auto& op : g.ops) {
        ASSERT_EQ(op.points.size(), 2u);
        const gp::PointF a = op.transform.map(op.points[0]), b = op.transform.map(op.points[1]);
        if (std::abs(a.y - b.y) < 1e-3f) plusY = a.y;
    }
    ASSERT_FALSE(std::isnan(plusY));

    const QRectF arrow = s_lib->glyph(235)->path->toQPainterPath().boundingRect();
    const float arrowY = float(arrow.center().y()) * size / 100 + s_lib->glyph(235)->m[4] * size / 100;

    EXPECT_NEAR(plusY, minusY, 0.02f * size);
    EXPECT_NEAR(arrowY, minusY, 0.02f * size);
}
