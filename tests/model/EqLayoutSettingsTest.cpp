#include "model/EqLayoutSettings.h"

#include "EqLayoutTestSupport.h"
#include "model/EqFonts.h"
#include "model/EqModel.h"
#include "model/EqNotes.h"
#include "model/EqOutput.h"
#include "model/EqSpacing.h"
#include "model/EqStream.h"
#include "platform/gdiplus/Graphics.h"
#include "platform/Archive.h"
#include "platform/MessageSink.h"
#include "TestSupport.h"
#include "tests/common/ModelFixtures.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <cstring>
#include <limits>

namespace toliva {
namespace {

// Byte offsets inside a record whose two names are "Times New Roman".
constexpr int kFontSizeAt = 68;
constexpr int kSize2At = 72;
constexpr int spacingAt(int i) { return 76 + 4 * i; }
constexpr int optionAt(int i) { return 332 + i; }
constexpr int colourAt(int i) { return 396 + 4 * i; }
constexpr int kRecordSize = 460;

QByteArray recordBytes(EqLayoutSettings s) {
    QByteArray bytes;
    Archive ar(&bytes, Archive::Store);
    SerializeLayoutSettings(s, ar, nullptr);
    return bytes;
}

EqLayoutSettings readRecord(const QByteArray& bytes, EqModel* eq = nullptr) {
    EqLayoutSettings s;
    Archive ar(bytes);
    SerializeLayoutSettings(s, ar, eq);
    return s;
}

void putFloat(QByteArray& bytes, int at, float v) { std::memcpy(bytes.data() + at, &v, 4); }

TEST(EqLayoutSettings, DefaultRecordLayout) {
    const QByteArray bytes = recordBytes(test::builtInStyle());
    ASSERT_EQ(bytes.size(), kRecordSize);
    EXPECT_EQ(bytes.left(6), test::fromHex("FF FE FF 0F 54 00"));  // marker, 15 units, 'T'
    EXPECT_EQ(bytes.mid(kFontSizeAt, 8), test::fromHex("00 00 40 41 00 00 40 40"));  // 12.0, 3.0
    EXPECT_EQ(uint8_t(bytes[optionAt(31)]), 16);
    // Colour 0 0xFFB22222 as COLORREF; colour 15 white.
    EXPECT_EQ(bytes.mid(colourAt(0), 4), test::fromHex("B2 22 22 00"));
    EXPECT_EQ(bytes.mid(colourAt(15), 4), test::fromHex("FF FF FF 00"));
}

TEST(EqLayoutSettings, RoundTripKeepsEveryFieldButVersionAndAlpha) {
    EqLayoutSettings s = test::builtInStyle();
    s.fontName = QStringLiteral("Cambria Math");
    s.fontName2 = QString(300, QChar(0x4E2D));  // needs the long length prefix
    s.fontSize = 17.5f;
    s.size2 = 4.25f;
    for (int i = 0; i < 64; ++i) s.spacing[size_t(i)] += 0.001f * float(i);  // stays inside the clamps
    for (int i = 0; i < 31; ++i) s.options[size_t(i)] = uint8_t(i * 7);
    s.options[31] = 3;
    for (int i = 0; i < 8; ++i) s.ints[size_t(i)] = -1000 * i;
    for (int i = 0; i < 16; ++i) s.colours[size_t(i)] = 0x80000000u | uint32_t(0x010203 * i);

    const EqLayoutSettings back = readRecord(recordBytes(s));

    EqLayoutSettings expected = s;
    expected.options[31] = 16;
    for (auto& c : expected.colours) c |= 0xFF000000u;
    EXPECT_EQ(back, expected);
}

struct ClampCase {
    int index;
    float written;
    float loaded;
};

class SettingsClamp : public ::testing::TestWithParam<ClampCase> {};

TEST_P(SettingsClamp, AppliedOnRead) {
    const ClampCase c = GetParam();
    EqLayoutSettings s = test::builtInStyle();
    s.spacing[size_t(c.index)] = c.written;
    EXPECT_FLOAT_EQ(readRecord(recordBytes(s)).spacing[size_t(c.index)], c.loaded);
}

INSTANTIATE_TEST_SUITE_P(Table, SettingsClamp,
                         ::testing::Values(ClampCase{55, 2.0f, 1.6f}, ClampCase{55, 0.5f, 1.0f},
                                           ClampCase{55, 1.4f, 1.4f}, ClampCase{56, 0.9f, 1.3f},
                                           ClampCase{56, 1.0f, 1.0f}, ClampCase{4, 0.4f, 0.8f},
                                           ClampCase{4, 0.5f, 0.5f}, ClampCase{39, 0.05f, 0.1f},
                                           ClampCase{54, 0.9f, 1.0f}, ClampCase{54, 1.5f, 1.2f},
                                           ClampCase{54, 1.1f, 1.1f}));

// Far-out values: the clamps settle the slots they cover first; what is
// still outside the bounds (kMaxStyleSpacing) takes the slot's default.
INSTANTIATE_TEST_SUITE_P(FarOut, SettingsClamp,
                         ::testing::Values(ClampCase{54, 2.8e29f, 1.2f}, ClampCase{55, -1e30f, 1.0f},
                                           ClampCase{4, -1e30f, 0.8f}, ClampCase{39, -1e30f, 0.1f},
                                           ClampCase{56, 2.8e29f, 1.3f}, ClampCase{54, NAN, 1.12f},
                                           ClampCase{0, 2.8e29f, 0.5f}, ClampCase{32, -1e30f, 0.1f},
                                           ClampCase{47, 1e4f, 5.0f}, ClampCase{18, -100.5f, 2.2f},
                                           ClampCase{1, kMaxStyleSpacing, kMaxStyleSpacing},
                                           ClampCase{1, -kMaxStyleSpacing, -kMaxStyleSpacing}));

struct VersionCase {
    uint8_t version;
    gp::ARGB phantomColour;
    float spacing57;
};

class SettingsOldVersion : public ::testing::TestWithParam<VersionCase> {};

TEST_P(SettingsOldVersion, ReplacesFieldsItDidNotHave) {
    const VersionCase c = GetParam();
    EqLayoutSettings s = test::builtInStyle();
    s.colours[10] = 0xFF123456;
    s.spacing[SpacingSmallGroupScale] = 0.5f;
    QByteArray bytes = recordBytes(s);
    bytes[optionAt(31)] = char(c.version);

    const EqLayoutSettings back = readRecord(bytes);
    EXPECT_EQ(back.options[31], c.version);
    EXPECT_EQ(back.colours[10], c.phantomColour);
    EXPECT_FLOAT_EQ(back.spacing[SpacingSmallGroupScale], c.spacing57);
}

INSTANTIATE_TEST_SUITE_P(Table, SettingsOldVersion,
                         ::testing::Values(VersionCase{1, 0xFFD3D3D3, 0.8f}, VersionCase{2, 0xFF123456, 0.8f},
                                           VersionCase{13, 0xFF123456, 0.8f}, VersionCase{14, 0xFF123456, 0.5f}));

TEST(EqLayoutSettings, NewerVersionNotesOnlyWhenAskedOncePerReadAndStillReads) {
    EqLayoutSettings s = test::builtInStyle();
    s.fontSize = 20;
    QByteArray bytes = recordBytes(s);
    bytes[optionAt(31)] = char(17);

    RecordingMessageSink sink;
    ScopedMessageSink guard(&sink);
    EqModel eq{test::builtInStyle()};
    TakeEquationNotes(&eq);
    EqNoteRun run;
    for (uint8_t warn : {0, 1, 1}) {
        eq.warnNewerVersion = warn;
        const EqLayoutSettings back = readRecord(bytes, &eq);
        EXPECT_EQ(back.options[31], 17);
        EXPECT_EQ(back.fontSize, 20);
        const EqNotes notes = TakeEquationNotes(&eq);
        ASSERT_EQ(notes.items.size(), size_t(warn));
        if (warn) {
            // Every read that meets a newer record shows the warning.
            EXPECT_EQ(notes.items[0].kind, EqNoteKind::NewerVersion);
            EXPECT_TRUE(run.admit(notes.items[0]));
            const QString text = NoteText(notes.items[0]);
            EXPECT_TRUE(text.contains(QStringLiteral("newer version"))) << text.toStdString();
            EXPECT_FALSE(text.contains(QLatin1Char('|')));
        }
    }
    // A second record of the same read adds nothing.
    readRecord(bytes, &eq);
    readRecord(bytes, &eq);
    EXPECT_EQ(TakeEquationNotes(&eq).items.size(), 1u);
    EXPECT_TRUE(sink.shown.empty());
}

TEST(EqLayoutSettings, UnusableSizesAndSpacingsTakeDefaults) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        int at;
        float value;
    };
    const Case cases[] = {{kFontSizeAt, nan},     {kFontSizeAt, 0},       {kFontSizeAt, -5},
                          {kSize2At, inf},        {kSize2At, -1},         {spacingAt(3), inf},
                          {spacingAt(55), nan},   {spacingAt(4), -inf},   {kFontSizeAt, 2.8e29f},
                          {kFontSizeAt, 0.25f},   {kSize2At, -1e30f},     {kSize2At, kMaxStyleFontSize * 2}};
    const EqLayoutSettings d = test::builtInStyle();
    for (const Case& c : cases) {
        QByteArray bytes = recordBytes(d);
        putFloat(bytes, c.at, c.value);
        EXPECT_EQ(readRecord(bytes), [&] {
            EqLayoutSettings e = d;
            e.options[31] = 16;
            return e;
        }()) << "offset " << c.at << " value " << c.value;
    }
}

// An equation stream whose style record holds far-out values in several
// slots loads with the defaults there and draws through the output passes;
// the view pass also copes with such a value set in code, past the read.
TEST(EqLayoutSettings, FarOutValuesInAStreamLoadAsDefaultsAndDraw) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EqModel eq{test::builtInStyle()};
    EqBuilder b(&eq);
    for (int i = 0; i < 3; ++i) {
        EqElement* line = b.line();
        b.text(line, u"x+y", EqTypeCharItalic);
        EqElement* frac = b.add(line, EqTypeFraction, 2);
        b.text(EqBuilder::arg(frac, 0), u"a", EqTypeCharItalic);
        b.text(EqBuilder::arg(frac, 1), u"b", EqTypeCharItalic);
    }
    SetEquationCaret(&eq, nullptr);
    QByteArray bytes = EquationToBytes(&eq);
    const struct {
        int at;
        float value;
    } farOut[] = {{kFontSizeAt, 2.8e29f}, {kSize2At, nan},          {spacingAt(0), 2.8e29f}, {spacingAt(32), -1e30f},
                  {spacingAt(45), nan},   {spacingAt(56), 2.8e29f}, {spacingAt(12), -1e30f}, {spacingAt(18), 2.8e29f}};
    for (const auto& f : farOut) putFloat(bytes, f.at, f.value);

    EqModel loaded{test::builtInStyle()};
    ASSERT_TRUE(LoadEquationAtomically(&loaded, bytes));
    EqLayoutSettings expected = test::builtInStyle();
    expected.options[31] = 16;
    EXPECT_EQ(loaded.settings, expected);
    ASSERT_EQ(loaded.lines.size(), 3u);

    test::FixedBoxMeasurer measurer;
    const RenderContext context = test::contextWith(measurer);
    gp::RecordingGraphics picture;
    const EqPictureMetrics m = DrawEquationPicture(context, picture, &loaded, 2.0f);
    EXPECT_GT(m.width, 0);
    EXPECT_LT(m.width, 1000);
    EXPECT_LT(m.height, 1000);

    QImage view(400, 300, QImage::Format_ARGB32_Premultiplied);
    view.fill(Qt::white);
    QPainter painter(&view);
    for (const float gap : {expected.spacing[SpacingLineGap], 2.8e29f, -1e30f, nan}) {
        loaded.settings.spacing[SpacingLineGap] = gap;
        LayoutLines(context, &loaded, nullptr, 2.0f, 0, true);
        EXPECT_TRUE(DrawEquationView(context, {0, 0, 400, 300}, &loaded, &painter, 2.0f, true, nullptr)) << gap;
    }
}

TEST(EqLayoutSettings, FailedReadLeavesRecordAsItWas) {
    EqLayoutSettings s = test::builtInStyle();
    s.fontSize = 30;
    const QByteArray bytes = recordBytes(test::builtInStyle()).left(400);
    Archive ar(bytes);
    EXPECT_THROW(SerializeLayoutSettings(s, ar, nullptr), ArchiveException);
    EXPECT_EQ(s.fontSize, 30);
}

class SettingsFile : public ::testing::Test {
protected:
    test::ScratchFolder folder;
    RecordingMessageSink sink;
    ScopedMessageSink guard{&sink};
};

TEST_F(SettingsFile, WriteThenRead) {
    const QString path = folder.file(QStringLiteral("KwELayout.dat"));
    EqLayoutSettings s = test::builtInStyle();
    s.fontSize = 14;
    ASSERT_TRUE(WriteLayoutSettingsFile(nullptr, path, s));
    EXPECT_EQ(test::readFile(path).size(), kRecordSize);

    EqModel eq{test::builtInStyle()};
    ReleaseEquationFonts(&eq);
    EqLayoutSettings back;
    ASSERT_TRUE(ReadLayoutSettingsFile(&eq, path, back));
    EXPECT_EQ(back, s);
    EXPECT_NE(EquationFonts(&eq).serifFamily, nullptr);  // fonts set up after the read
    EXPECT_TRUE(sink.shown.empty());
}

TEST_F(SettingsFile, MissingFileIsSilent) {
    EqLayoutSettings s = test::builtInStyle();
    EqNotes notes;
    EXPECT_FALSE(ReadLayoutSettingsFile(nullptr, folder.file(QStringLiteral("none.dat")), s, &notes));
    EXPECT_TRUE(notes.empty());
    EXPECT_TRUE(sink.shown.empty());
}

TEST_F(SettingsFile, DamagedFileIsNotedWithItsPath) {
    const QString path = folder.file(QStringLiteral("KwELayout.dat"));
    const QByteArray good = recordBytes(test::builtInStyle());
    EqNoteRun run;
    for (int size : {0, 1, 3, 100, kRecordSize - 1}) {
        ASSERT_TRUE(test::writeFile(path, good.left(size)));
        EqLayoutSettings s;
        s.fontSize = 99;
        EqNotes notes;
        EXPECT_FALSE(ReadLayoutSettingsFile(nullptr, path, s, &notes)) << size;
        EXPECT_EQ(s.fontSize, 99) << size;
        ASSERT_EQ(notes.items.size(), 1u) << size;
        EXPECT_EQ(notes.items[0].kind, EqNoteKind::DamagedFile);
        EXPECT_EQ(NoteText(notes.items[0]), QStringLiteral("failed to open file : ") + path);
        EXPECT_TRUE(run.admit(notes.items[0])) << size;  // every damaged read shows
    }
    // Without a list the note goes to the equation.
    EqModel eq{test::builtInStyle()};
    TakeEquationNotes(&eq);
    EqLayoutSettings s;
    EXPECT_FALSE(ReadLayoutSettingsFile(&eq, path, s));
    EXPECT_TRUE(TakeEquationNotes(&eq).contains(EqNoteKind::DamagedFile));
    EXPECT_TRUE(sink.shown.empty());
}

TEST_F(SettingsFile, WriteFailureReturnsFalse) {
    EqLayoutSettings s = test::builtInStyle();
    EXPECT_FALSE(WriteLayoutSettingsFile(nullptr, folder.file(QStringLiteral("no/such/folder/KwELayout.dat")), s));
}

TEST_F(SettingsFile, UserDefaultsFile) {
    const QString path = UserLayoutSettingsPath();
    EXPECT_TRUE(path.endsWith(QStringLiteral("/KwELayout.dat")));
    QFile::remove(path);

    // Missing: built-in defaults, silently.
    EqLayoutSettings s;
    EXPECT_FALSE(LoadUserLayoutDefaults(nullptr, s));
    EXPECT_EQ(s, test::builtInStyle());

    // Present: a new equation takes it.
    EqLayoutSettings user = test::builtInStyle();
    user.fontSize = 21;
    user.colours[14] = 0xFF102030;
    ASSERT_TRUE(WriteLayoutSettingsFile(nullptr, path, user));
    {
        EqModel eq;
        EXPECT_EQ(eq.settings.fontSize, 21);
        EXPECT_EQ(eq.currentColour, 0xFF102030u);
    }

    // Damaged: defaults, and a note for every equation that a run shows once
    // however many equations are made.
    ASSERT_TRUE(test::writeFile(path, test::fromHex("FF FE FF 05")));
    EqNotes notes;
    EXPECT_FALSE(LoadUserLayoutDefaults(nullptr, s, &notes));
    EXPECT_EQ(s, test::builtInStyle());
    ASSERT_EQ(notes.items.size(), 1u);
    EXPECT_EQ(notes.items[0].kind, EqNoteKind::DamagedDefaults);
    EXPECT_EQ(NoteText(notes.items[0]), QStringLiteral("failed to open file : ") + path);
    EqNoteRun run;
    int admitted = run.admit(notes.items[0]);
    {
        EqModel a;
        EqModel b;
        EXPECT_EQ(a.settings, test::builtInStyle());
        for (EqModel* eq : {&a, &b}) {
            const EqNotes taken = TakeEquationNotes(eq);
            ASSERT_TRUE(taken.contains(EqNoteKind::DamagedDefaults));
            for (const EqNote& n : taken.items)
                if (n.kind == EqNoteKind::DamagedDefaults) admitted += run.admit(n);
        }
    }
    EXPECT_EQ(admitted, 1);
    EXPECT_TRUE(sink.shown.empty());
    QFile::remove(path);
}

}  // namespace
}  // namespace toliva
