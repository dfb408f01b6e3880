// The TeX prompt bar: scoring and ranking, use counts and their ageing, the
// candidate file and its per-user copy, the page shown, picks, the bar's
// picture, its context menu and the view's key routing.
#include "model/EqElement.h"
#include "model/EqModel.h"
#include "platform/Archive.h"
#include "platform/Folders.h"
#include "platform/MessageSink.h"
#include "platform/RegKey.h"
#include "platform/SafeFile.h"
#include "sheet/CDlgTeXPromptBar.h"
#include "sheet/CKwEESheet.h"
#include "sheet/SheetBackend.h"
#include "sheet/SheetScript.h"
#include "sheet/editing/EditDialogs.h"
#include "sheet/editing/TeXCandidates.h"
#include "sheet/editing/TypedTeX.h"
#include "sheet/editing/VirtualKeys.h"
#include "tex/TeXCode.h"
#include "tests/common/ModelFixtures.h"
#include "tests/common/TestSupport.h"
#include "tests/model/EqLayoutTestSupport.h"
#include "uikit/CKwMenu.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QFileDevice>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QSet>

using namespace toliva;

namespace {

TeXCandidate candidate(const char* text, int kind = 0, int useCount = 0) {
    TeXCandidate c;
    c.text = QString::fromUtf8(text);
    c.kind = kind;
    c.useCount = useCount;
    return c;
}

std::vector<TeXCandidate> candidates(std::initializer_list<const char*> texts) {
    std::vector<TeXCandidate> out;
    for (const char* t : texts) out.push_back(candidate(t));
    return out;
}

// The texts of the shown cells, best first.
QStringList shownTexts(const TeXCandidateList& list) {
    QStringList out;
    for (int i = 0; i < list.shownCount(); ++i) out << list.candidates()[size_t(list.candidateInCell(i))].text;
    return out;
}

}  // namespace

// ---- scoring and ranking

TEST(PromptScoreTest, LongestMatchOfTheTypedStartCountsPositionAndEqualLength) {
    struct Case {
        const char* candidate;
        const char* typed;
        int64_t score;
    } cases[] = {
        {"alpha", "al", (2 + 0) * 10000 - 0 + 10000},
        {"alpha", "pha", 3 * 10000 - 20 + 10000},
        {"alpha", "alpha", (5 + 1) * 10000 + 10000},  // equal length: the extra 10000
        {"alpha", "alphas", 5 * 10000 + 10000},       // the typed text runs past the candidate
        {"aXaY", "aY", 2 * 10000 - 20 + 10000},       // the longest run, not the first
        {"abab", "ab", 2 * 10000 + 10000},            // equal runs: the earliest
        {"alpha", "", 0},
        {"", "a", 0},
        {"beta", "x", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ScoreCandidate(QString::fromUtf8(c.candidate), QString::fromUtf8(c.typed)), c.score)
            << c.candidate << " / " << c.typed;
}

TEST(PromptRankTest, ExactCaseBeatsTheCaseInsensitiveMatchAndUseCountsBreakTies) {
    TeXCandidateList list;
    list.SetCandidatesForTest({candidate("Alpha", 0, 3), candidate("alpha", 0, 3), candidate("beta", 0, 3)});
    list.RankCandidates(QStringLiteral("\\al"));
    EXPECT_EQ(shownTexts(list), (QStringList{"alpha", "Alpha", "beta"}));
    // The scores: 30000, 29900 and 19970, each with its use count.
    std::vector<int64_t> scores;
    for (const RankEntry& r : list.ranking()) scores.push_back(r.score);
    // "beta" matches the 'a' at its end: 1 x 10000 - 30 + 10000.
    EXPECT_EQ(scores, (std::vector<int64_t>{19973, 29903, 30003}));

    // Enough use brings the other spelling first.
    list.candidates()[0].useCount = 200;
    list.RankCandidates(QStringLiteral("\\al"));
    EXPECT_EQ(shownTexts(list).front(), "Alpha");
}

TEST(PromptRankTest, BackslashAloneRanksByUseCountThenFileOrder) {
    TeXCandidateList list;
    list.SetCandidatesForTest({candidate("a", 0, 1), candidate("b", 0, 4), candidate("c", 0, 1)});
    list.RankCandidates(QStringLiteral("\\"));
    EXPECT_EQ(shownTexts(list), (QStringList{"b", "a", "c"}));
}

// ---- use counts

TEST(PromptUseCountTest, CountsAreHalvedWhenTheLargestExceedsTheNumberOfCandidates) {
    struct Case {
        int largest;
        int expectLargest;
        int expectOther;
    } cases[] = {{150, 75, 3}, {100, 100, 7}, {101, 50, 3}};
    for (const Case& c : cases) {
        std::vector<TeXCandidate> entries;
        for (int i = 0; i < 100; ++i) entries.push_back(candidate("x", 0, i == 0 ? c.largest : 7));
        TeXCandidateList list;
        list.SetCandidatesForTest(std::move(entries));
        EXPECT_EQ(list.candidates()[0].useCount, c.expectLargest) << c.largest;
        EXPECT_EQ(list.candidates()[1].useCount, c.expectOther) << c.largest;
    }
}

TEST(PromptUseCountTest, PicksOutsideTheShownCellsChangeNothing) {
    TeXCandidateList list;
    list.setCandidatesPerPage(4);
    list.SetCandidatesForTest(candidates({"a", "b", "c", "d", "e", "f"}));
    list.RankCandidates(QStringLiteral("\\"));
    QString text = QStringLiteral("unchanged");
    for (int number : {0, -1, 5, 100}) {
        EXPECT_EQ(list.PickCandidate(number, &text), -1) << number;
    }
    EXPECT_EQ(text, "unchanged");
    for (const TeXCandidate& c : list.candidates()) EXPECT_EQ(c.useCount, 0);

    list.candidates()[2].kind = 1003;
    EXPECT_EQ(list.PickCandidate(3, &text), 1003);
    EXPECT_EQ(text, "c");
    EXPECT_EQ(list.candidates()[2].useCount, 1);
    // The count never wraps.
    list.candidates()[2].useCount = INT32_MAX;
    list.PickCandidate(3, &text);
    EXPECT_EQ(list.candidates()[2].useCount, INT32_MAX);
}

// ---- pages

TEST(PromptPageTest, MovesStayWithinTheList) {
    TeXCandidateList list;
    list.setCandidatesPerPage(4);
    list.SetCandidatesForTest(candidates({"a", "b", "c", "d", "e", "f", "g", "h", "i", "j"}));
    list.RankCandidates(QStringLiteral("\\"));
    struct Step {
        int step;
        int start;
        bool moved;
    } steps[] = {{1, 0, false}, {3, 0, false}, {2, 4, true}, {2, 6, true}, {4, 6, false},
                 {3, 5, true},  {1, 1, true},  {0, 0, true}, {0, 0, false}};
    for (const Step& s : steps) {
        EXPECT_EQ(list.MovePage(s.step), s.moved) << s.step;
        EXPECT_EQ(list.pageStart(), s.start) << s.step;
    }
    list.MovePage(2);
    EXPECT_EQ(shownTexts(list), (QStringList{"e", "f", "g", "h"}));
}

// Fewer candidates than cells: only the candidates show, in every page
// position, and the cells beyond them pick nothing.
TEST(PromptPageTest, AListShorterThanAPageShowsOnlyItsCandidates) {
    for (int total : {0, 1, 3}) {
        std::vector<TeXCandidate> entries;
        for (int i = 0; i < total; ++i) entries.push_back(candidate("x"));
        TeXCandidateList list;
        list.SetCandidatesForTest(std::move(entries));
        list.RankCandidates(QStringLiteral("\\x"));
        for (int step : {2, 4, 1, 3, 0}) {
            list.MovePage(step);
            EXPECT_EQ(list.pageStart(), 0) << total;
            EXPECT_EQ(list.shownCount(), total);
            for (int cell = 0; cell < 8; ++cell) {
                const int index = list.candidateInCell(cell);
                EXPECT_TRUE(cell < total ? index >= 0 && index < total : index == -1) << total << " " << cell;
            }
        }
        QString text;
        EXPECT_EQ(list.PickCandidate(total + 1, &text), -1);
        EXPECT_EQ(list.PickCandidate(8, &text), -1);
    }
}

// ---- kinds and templates

TEST(PromptKindTest, MatrixTemplatesAreOneTestEverywhere) {
    struct Case {
        int kind;
        bool isTemplate;
    } cases[] = {
        {0x1123, true},  {0x1011, true},   {0x1832, true}, {0x18FF, true}, {0x1F11, true},
        {4096, false},   {0x1001, false},  {0x1010, false}, {0x2011, false}, {0x3011, false},
        {1003, false},   {0, false},       {-1, false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsMatrixTemplateCode(c.kind), c.isTemplate) << std::hex << c.kind;
    EXPECT_EQ(MatrixTemplateCode(1, 2, 3), 0x1123);

    EXPECT_EQ(CandidateCaretBack(1003), 3);
    EXPECT_EQ(CandidateCaretBack(4096), 3096);
    EXPECT_EQ(CandidateCaretBack(1000), 0);
    EXPECT_EQ(CandidateCaretBack(0x1123), 0);
}

TEST(PromptKindTest, PreviewTextsOfPlainArgumentAndTemplateCandidates) {
    EXPECT_EQ(CandidatePreviewLaTeX(0, QStringLiteral("alpha")), "\\alpha");
    EXPECT_EQ(CandidatePreviewLaTeX(1, QStringLiteral("sqrt")), "\\sqrt{A}\\cdots");
    // Empty places show as squares: the caret's place first.
    EXPECT_EQ(CandidatePreviewLaTeX(1003, QStringLiteral("frac{}{}")), "\\frac{\\square }{\\square}");
    EXPECT_EQ(CandidatePreviewLaTeX(1007, QStringLiteral("left(\\right)")), "\\left(\\square \\right)");
    // Style 1, two rows of three columns; the caret goes after the first tab.
    const QString body = QStringLiteral("\t&\t&\t\\\\\n\t&\t&\t\\\\\n");
    const QString expected = QStringLiteral("begin{pmatrix}\n") + body + QStringLiteral("\\end{pmatrix}\n");
    QString shownCells = expected;
    shownCells.replace(QLatin1Char('\t'), QStringLiteral("\\square "));
    EXPECT_EQ(CandidatePreviewLaTeX(0x1123, QStringLiteral("pmatrix2x3")), "\\" + shownCells);
    QString text;
    const int back = MatrixTemplateLaTeX(0x1123, &text);
    EXPECT_EQ(text, expected);
    EXPECT_EQ(back, body.size() + 13);
    EXPECT_EQ(text.left(text.size() - back), "begin{pmatrix}\n\t");
}

TEST(PromptKindTest, PreviewsOfTemplatesAndCommandsConvert) {
    CTeXCode names;
    TeXReadContext context;
    context.names = &names;
    const EqLayoutSettings style = test::builtInStyle();
    auto matrix = ReadCandidatePreview(0x1123, QString(), style, context);
    ASSERT_TRUE(matrix);
    // The matrix inside the round brackets of the first line.
    bool sawMatrix = false;
    std::function<void(EqElement*)> visit = [&](EqElement* head) {
        for (EqElement* e = head; e; e = e->next) {
            if (IsMatrixType(e->type)) {
                sawMatrix = true;
                EXPECT_EQ((e->ch >> 8) & 0x0F, 1);
            }
            for (EqElement* child : e->children) visit(child);
        }
    };
    visit(matrix->lines.front());
    EXPECT_TRUE(sawMatrix);
    EXPECT_TRUE(ReadCandidatePreview(1003, QStringLiteral("frac{}{}"), style, context));
    EXPECT_TRUE(ReadCandidatePreview(1, QStringLiteral("sqrt"), style, context));
}

// ---- the file

TEST(PromptFileTest, ArchiveStringLengthsAroundEachPrefixFormRoundTrip) {
    // Length, then the prefix after the FF FE FF marker.
    struct Case {
        int length;
        const char* prefix;
    } cases[] = {
        {254, "FE"}, {255, "FF FF 00"}, {65533, "FF FD FF"}, {65534, "FF FF FF FE FF 00 00"},
    };
    for (const Case& c : cases) {
        std::vector<TeXCandidate> entries{candidate("a", 1003, 9)};
        entries[0].text = QString(c.length, QLatin1Char('q'));
        const QByteArray bytes = WriteCandidateFile(entries, 1);
        const QByteArray prefix = test::fromHex(c.prefix);
        EXPECT_EQ(bytes.mid(12, 3), test::fromHex("FF FE FF")) << c.length;
        EXPECT_EQ(bytes.mid(15, prefix.size()), prefix) << c.length;
        EXPECT_EQ(bytes.size(), 15 + prefix.size() + 2 * c.length) << c.length;
        const CandidateFileContents read = ReadCandidateFile(bytes);
        ASSERT_FALSE(read.damaged) << c.length;
        ASSERT_EQ(read.entries.size(), 1u);
        EXPECT_EQ(read.entries[0].text.size(), c.length);
        EXPECT_EQ(read.entries[0].kind, 1003);
        EXPECT_EQ(read.entries[0].useCount, 9);
        // Cut anywhere in the string: damaged, never read past the end.
        EXPECT_TRUE(ReadCandidateFile(bytes.left(bytes.size() - 1)).damaged) << c.length;
    }
}

TEST(PromptFileTest, DamagedCountsAndEntriesAreReported) {
    struct Case {
        const char* hex;
        size_t entries;
        bool damaged;
    } cases[] = {
        {"00 00 00 00", 0, false},
        {"FF FF FF 7F 00 00 00 00 00 00 00 00 00", 1, true},  // a count the bytes cannot hold
        {"FF FF FF FF", 0, true},                             // negative
        {"02 00 00 00 01 00 00 00 05 00 00 00 01 61", 1, true},  // the second entry is missing
        {"01 00 00 00 FE FF FF FF FB FF FF FF 00", 1, false},  // negative kind and count read as 0
        {"", 0, true},
    };
    for (const Case& c : cases) {
        const CandidateFileContents read = ReadCandidateFile(test::fromHex(c.hex));
        EXPECT_EQ(read.entries.size(), c.entries) << c.hex;
        EXPECT_EQ(read.damaged, c.damaged) << c.hex;
        for (const TeXCandidate& e : read.entries) {
            EXPECT_GE(e.kind, 0);
            EXPECT_GE(e.useCount, 0);
        }
    }
}

class PromptFilesTest : public ::testing::Test {
public:
    PromptFilesTest() {
        files.shipped = folder.file("shipped.dat");
        files.user = folder.file("user/KwTCMData.dat");
        ensureFolder(folder.file("user"));
    }

    static QByteArray fileOf(std::initializer_list<std::pair<const char*, int>> entries) {
        std::vector<TeXCandidate> list;
        for (const auto& e : entries) list.push_back(candidate(e.first, 0, e.second));
        return WriteCandidateFile(list, int(list.size()));
    }

    test::ScratchFolder folder;
    CandidateFiles files;
    RecordingMessageSink messages;
    ScopedMessageSink guard{&messages};
};

// The shipped file stays as shipped (it may be read-only); the counts go to
// the user's copy, which is read from then on.
TEST_F(PromptFilesTest, UseCountsGoToTheUsersCopyAndAreReadBack) {
    const QByteArray shipped = fileOf({{"alpha", 0}, {"beta", 0}});
    ASSERT_TRUE(test::writeFile(files.shipped, shipped));
    QFile::setPermissions(files.shipped, QFileDevice::ReadOwner);
    {
        TeXCandidateList list(files);
        list.setLabels({"mylabel", ""});
        list.RankCandidates(QStringLiteral("\\be"));
        ASSERT_EQ(list.total(), 3);  // the empty label is left out
        // Labels count 5 uses, aged here to 2: 5 is above the 3 candidates.
        EXPECT_EQ(list.candidates()[2].useCount, TeXCandidateList::kLabelUseCount / 2);
        QString text;
        EXPECT_EQ(list.PickCandidate(1, &text), 0);
        EXPECT_EQ(text, "beta");
        EXPECT_TRUE(list.SaveCandidates());
    }
    EXPECT_EQ(test::readFile(files.shipped), shipped);
    TeXCandidateList again(files);
    again.LoadCandidates();
    ASSERT_EQ(again.fileEntryCount(), 2);  // labels are never written
    EXPECT_EQ(again.candidates()[1].text, "beta");
    EXPECT_EQ(again.candidates()[1].useCount, 1);
    EXPECT_TRUE(messages.shown.empty());
}

// A damaged file keeps what was read before the damage, says so once, and is
// never written over: the counts it lost would be lost for good.
TEST_F(PromptFilesTest, AReadErrorIsReportedAndNothingIsSavedAfterIt) {
    const QByteArray whole = fileOf({{"alpha", 4}, {"beta", 6}, {"gamma", 8}});
    const QByteArray damaged = whole.left(whole.size() - 3);
    ASSERT_TRUE(test::writeFile(files.user, damaged));
    TeXCandidateList list(files);
    list.setLabels({"mylabel"});
    list.RankCandidates(QStringLiteral("\\a"));
    EXPECT_TRUE(list.loaded());
    EXPECT_TRUE(list.readError());
    ASSERT_EQ(list.total(), 2);  // no labels, no empty records
    EXPECT_EQ(list.candidates()[1].text, "beta");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "failed to open file : " + files.user);
    QString text;
    list.PickCandidate(1, &text);
    EXPECT_FALSE(list.SaveCandidates());
    EXPECT_EQ(test::readFile(files.user), damaged);
    // Not read again.
    list.RankCandidates(QStringLiteral("\\b"));
    EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(PromptFilesTest, AMissingFileLoadsNothingAndIsTriedAgain) {
    TeXCandidateList list(files);
    list.setLabels({"mylabel"});
    list.RankCandidates(QStringLiteral("\\a"));
    EXPECT_FALSE(list.loaded());
    EXPECT_EQ(list.total(), 0);
    EXPECT_FALSE(list.SaveCandidates());
    EXPECT_FALSE(QFile::exists(files.user));
    ASSERT_TRUE(test::writeFile(files.shipped, fileOf({{"alpha", 0}})));
    list.RankCandidates(QStringLiteral("\\a"));
    EXPECT_TRUE(list.loaded());
    EXPECT_EQ(list.total(), 2);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(PromptFilesTest, ReloadingReadsTheFileAndTheNewLabels) {
    ASSERT_TRUE(test::writeFile(files.shipped, fileOf({{"alpha", 2}})));
    TeXCandidateList list(files);
    list.setLabels({"one"});
    list.LoadCandidates();
    list.candidates()[0].useCount = 50;
    list.setLabels({"one", "two"});
    list.ReloadCandidates();
    ASSERT_EQ(list.total(), 3);
    EXPECT_EQ(list.candidates()[0].useCount, 1);  // the file's 2, aged with the labels' 5
    EXPECT_EQ(list.candidates()[2].text, "two");
}

// The shipped table: generated at build time from its readable sources.
TEST(PromptShippedTest, TheGeneratedCandidateFileReadsWhole) {
    QByteArray bytes;
    ASSERT_TRUE(ReadFileCapped(programFolder() + QStringLiteral("Dat/KwTCMData.dat"), kMaxInputFileBytes, &bytes,
                               nullptr));
    const CandidateFileContents read = ReadCandidateFile(bytes);
    ASSERT_FALSE(read.damaged);
    EXPECT_GT(read.entries.size(), 500u);
    QSet<QString> texts;
    int templates = 0;
    for (const TeXCandidate& c : read.entries) {
        EXPECT_FALSE(c.text.isEmpty());
        EXPECT_FALSE(c.text.startsWith(QLatin1Char('\\'))) << c.text.toStdString();
        EXPECT_FALSE(texts.contains(c.text)) << c.text.toStdString();
        texts.insert(c.text);
        EXPECT_EQ(c.useCount, 0);
        const bool known = c.kind <= 5 || CandidateCaretBack(c.kind) > 0 || IsMatrixTemplateCode(c.kind);
        EXPECT_TRUE(known) << c.text.toStdString() << " " << c.kind;
        if (IsMatrixTemplateCode(c.kind)) ++templates;
    }
    EXPECT_GT(templates, 40);
    // "frac{}{}" puts the caret inside its first braces.
    const auto frac = std::find_if(read.entries.begin(), read.entries.end(),
                                   [](const TeXCandidate& c) { return c.text == u"frac{}{}"; });
    ASSERT_NE(frac, read.entries.end());
    EXPECT_EQ(frac->kind, 1003);
}

// ---- the bar

class PromptBarTest : public ::testing::Test {
public:
    PromptBarTest() {
        // Every test starts from the default look.
        RegKey key;
        OpenRegKey(QLatin1String(CDlgTeXPromptBar::kRegistryKey), key);
        WriteRegDword(key, QStringLiteral("CandidateN"), 8);
        WriteRegFloat(key, QStringLiteral("SampleSize"), 12.0f);
        WriteRegDword(key, QStringLiteral("FlatApp"), 0);
        WriteRegDword(key, QStringLiteral("FontSize"), -16);
        app.userFolder = folder.path() + QLatin1Char('/');
        bar = std::make_unique<CDlgTeXPromptBar>(app, test::programContext(), &owner);
        bar->list().setFiles(CandidateFiles{folder.file("none.dat"), QString()});
    }

    struct Owner : TeXPromptOwner {
        bool PickPromptCandidate(int number) override {
            picks.push_back(number);
            return true;
        }
        void PlacePromptBar(bool) override { ++placed; }
        void ReturnFocus() override { ++focused; }
        std::vector<int> picks;
        int placed = 0;
        int focused = 0;
    };

    void fill(std::initializer_list<const char*> texts) {
        bar->list().SetCandidatesForTest(candidates(texts));
    }

    test::ScratchFolder folder;
    AppContext app;
    Owner owner;
    RecordingMessageSink messages;
    ScopedMessageSink guard{&messages};
    std::unique_ptr<CDlgTeXPromptBar> bar;
};

TEST_F(PromptBarTest, CellsAreTheLabelWidthPlusTenButFiftyForShortLabels) {
    fill({"a", "operatorname", "b"});
    ASSERT_TRUE(bar->SetTypedText(QStringLiteral("\\")));
    const QFontMetrics fm(bar->barFont());
    ASSERT_EQ(bar->cellWidths().size(), 3u);
    int sum = 0;
    for (int i = 0; i < 3; ++i) {
        const QString label = QStringLiteral("%1.\\").arg(i + 1) +
                              bar->list().candidates()[size_t(bar->list().candidateInCell(i))].text;
        const int extent = fm.horizontalAdvance(label);
        EXPECT_EQ(bar->cellWidths()[size_t(i)], extent < 40 ? 50 : extent + 10) << label.toStdString();
        sum += bar->cellWidths()[size_t(i)];
    }
    EXPECT_EQ(bar->cellWidths()[0], 50);
    EXPECT_GT(bar->cellWidths()[1], 50);
    const int h = fm.height() + 6;
    EXPECT_EQ(bar->labelBandHeight(), h);
    EXPECT_EQ(bar->bitmap().width(), sum);
    EXPECT_EQ(bar->bitmap().height(), int(h * 2.5 + 16));
    EXPECT_EQ(bar->size(), bar->bitmap().size());

    // Hits lie strictly inside a cell's edges.
    EXPECT_EQ(bar->HitTestCell(0), 0);
    EXPECT_EQ(bar->HitTestCell(1), 1);
    EXPECT_EQ(bar->HitTestCell(49), 1);
    EXPECT_EQ(bar->HitTestCell(50), 0);
    EXPECT_EQ(bar->HitTestCell(51), 2);
    EXPECT_EQ(bar->HitTestCell(sum), 0);

    // The frame and the label band in their colours.
    EXPECT_EQ(bar->bitmap().pixel(0, 10) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(bar->bitmap().pixel(25, 1), QColor(0x6A, 0x35, 0x00).rgb());
}

TEST_F(PromptBarTest, AnEmptyListDrawsAnEmptyBarAndPicksNothing) {
    ASSERT_TRUE(bar->SetTypedText(QStringLiteral("\\al")));
    EXPECT_TRUE(bar->cellWidths().empty());
    EXPECT_EQ(bar->bitmap().width(), CDlgTeXPromptBar::kMinCellWidth);
    QString text;
    for (int n = 0; n <= 9; ++n) EXPECT_EQ(bar->PickCandidate(n, &text), -1);
    EXPECT_FALSE(bar->SetTypedText(QString()));
}

TEST_F(PromptBarTest, PreviewsAreDrawnInTheirCells) {
    fill({"frac{}{}", "alpha"});
    bar->list().candidates()[0].kind = 1003;
    bar->SetTypedText(QStringLiteral("\\"));
    for (int i = 0; i < 2; ++i) {
        const TeXCandidate& c = bar->list().candidates()[size_t(i)];
        ASSERT_TRUE(c.preview) << i;
        EXPECT_GT(c.previewScale, 0) << i;
        EXPECT_LE(c.previewScale, 2.0f);
        EXPECT_LE(c.previewHalfWidth * 2, bar->cellWidths()[size_t(i)]);
    }
    // Something dark in the preview band of the first cell.
    const QImage& image = bar->bitmap();
    bool ink = false;
    for (int y = bar->labelBandHeight() + 2; y < image.height() - 2 && !ink; ++y)
        for (int x = 2; x < bar->cellWidths()[0] - 2 && !ink; ++x) ink = qGray(image.pixel(x, y)) < 100;
    EXPECT_TRUE(ink);
}

TEST_F(PromptBarTest, PeriodWithTheBackslashAloneIsTyped) {
    fill({"a", "b", "c", "d", "e", "f", "g", "h", "i", "j"});
    bar->SetTypedText(QStringLiteral("\\"));
    EXPECT_FALSE(bar->TurnPageByKey(2));
    EXPECT_EQ(bar->list().pageStart(), 0);
    EXPECT_EQ(owner.placed, 0);
    bar->SetTypedText(QStringLiteral("\\a"));
    EXPECT_TRUE(bar->TurnPageByKey(2));
    EXPECT_EQ(bar->list().pageStart(), 2);
    EXPECT_EQ(owner.placed, 1);
    EXPECT_EQ(owner.focused, 1);
}

TEST_F(PromptBarTest, ContextMenuSetsCellsAndPreviewSizeAndKeepsThemInTheRegistry) {
    fill({"a", "b", "c", "d", "e", "f", "g", "h", "i", "j"});
    bar->SetTypedText(QStringLiteral("\\"));
    std::vector<unsigned> offered;
    bar->trackMenu = [&](CKwMenu& menu, QPoint) {
        offered.clear();
        for (unsigned id = 1; id < 40; ++id)
            if (menu.FindRecord(id)) offered.push_back(id);
        return unsigned(CDlgTeXPromptBar::IdCells4 + 2);
    };
    bar->ShowContextMenu(QPoint(0, 0));
    // On the first page there is no way back.
    EXPECT_EQ(std::count(offered.begin(), offered.end(), unsigned(CDlgTeXPromptBar::IdPrevPage)), 0);
    EXPECT_EQ(bar->look().candidateN, 6);
    EXPECT_EQ(bar->cellWidths().size(), 6u);

    ScriptedEditDialogs dialogs;
    bar->dialogs = &dialogs;
    struct Case {
        const char* typed;
        float size;
    } cases[] = {{"20", 20.0f}, {"abc", 12.0f}, {"100", 60.0f}, {"1e30", 60.0f}, {"nan", 12.0f}};
    for (const Case& c : cases) {
        dialogs.stringAnswers.push_back({true, QString::fromUtf8(c.typed), false});
        bar->trackMenu = [](CKwMenu&, QPoint) { return unsigned(CDlgTeXPromptBar::IdPreviewSize); };
        bar->ShowContextMenu(QPoint(0, 0));
        EXPECT_EQ(bar->look().sampleSize, c.size) << c.typed;
    }
    ASSERT_FALSE(dialogs.stringRequests.empty());
    EXPECT_EQ(dialogs.stringRequests[0].title, "Preview Size");
    EXPECT_EQ(dialogs.stringRequests[0].text, "12");  // the size before the first answer
}

TEST_F(PromptBarTest, MouseReleaseOnAMarkedCellAsksTheOwnerToPickIt) {
    fill({"a", "b", "c"});
    bar->SetTypedText(QStringLiteral("\\"));
    bar->show();
    const int y = 5;
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(60, y), bar->mapToGlobal(QPointF(60, y)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(bar.get(), &press);
    EXPECT_EQ(bar->markedCell(), 2);
    QMouseEvent move(QEvent::MouseMove, QPointF(110, y), bar->mapToGlobal(QPointF(110, y)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(bar.get(), &move);
    EXPECT_EQ(bar->markedCell(), 3);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(110, y), bar->mapToGlobal(QPointF(110, y)),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(bar.get(), &release);
    EXPECT_EQ(owner.picks, (std::vector<int>{3}));
    EXPECT_EQ(bar->markedCell(), 0);
}

TEST_F(PromptBarTest, TheWindowNeverTakesTheFocus) {
    EXPECT_TRUE(bar->windowFlags() & Qt::Tool);
    EXPECT_TRUE(bar->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(bar->testAttribute(Qt::WA_ShowWithoutActivating));
}

TEST_F(PromptBarTest, TheLookIsReadFromTheRegistryWithinItsBounds) {
    RegKey key;
    OpenRegKey(QLatin1String(CDlgTeXPromptBar::kRegistryKey), key);
    WriteRegDword(key, QStringLiteral("CandidateN"), 100000);
    WriteRegFloat(key, QStringLiteral("SampleSize"), -5.0f);
    WriteRegDword(key, QStringLiteral("FlatApp"), 7);
    WriteRegDword(key, QStringLiteral("TitleBkClr"), 0x7F112233);
    CDlgTeXPromptBar other(app, test::programContext(), nullptr);
    EXPECT_EQ(other.look().candidateN, CDlgTeXPromptBar::kMaxCandidateN);
    EXPECT_EQ(other.look().sampleSize, 12.0f);
    EXPECT_EQ(other.look().flatApp, 1);
    EXPECT_EQ(other.look().titleBkClr, 0x112233u);
    WriteRegDword(key, QStringLiteral("TitleBkClr"), 0x00356A);
    WriteRegDword(key, QStringLiteral("FlatApp"), 0);
}

// ---- the view's side

class PromptDriverTest : public PromptBarTest {
public:
    PromptDriverTest() : eq(test::builtInStyle()) {
        auto backend = std::make_unique<HeadlessSheetBackend>();
        sheet = std::make_unique<CKwEESheet>(app, test::programContext(), nullptr, std::move(backend));
        ShowSheetOffscreen(*sheet, QSize(400, 200), &eq);
        bar = std::make_unique<CDlgTeXPromptBar>(app, test::programContext(), nullptr);
        bar->list().setFiles(CandidateFiles{folder.file("none.dat"), QString()});
        driver = std::make_unique<TeXPromptDriver>(app, bar.get(), sheet.get());
        fill({"alpha", "beta", "gamma"});
    }
    ~PromptDriverTest() override {
        driver.reset();
        bar.reset();
        sheet.reset();
    }

    EqModel eq;
    std::unique_ptr<CKwEESheet> sheet;
    std::unique_ptr<TeXPromptDriver> driver;
};

TEST_F(PromptDriverTest, TheOptionWordDecidesWhetherTheBarShows) {
    app.options &= ~uint32_t(OptPromptForSheet);
    driver->ShowPromptBar(QStringLiteral("\\a"), 1);
    EXPECT_FALSE(driver->IsPromptBarShowingForSheet());
    app.options |= OptPromptForSheet;
    driver->ShowPromptBar(QStringLiteral("\\a"), 1);
    EXPECT_TRUE(driver->IsPromptBarShowingForSheet());
    driver->ShowPromptBar(QString(), 1);
    EXPECT_FALSE(bar->isVisible());
}

TEST_F(PromptDriverTest, KeysReachTheBarOnlyWhileItShowsAndWithoutModifiers) {
    EXPECT_FALSE(driver->PromptBarKeyDown(vk::Down, false, false, false));
    app.options |= OptPromptForSheet;
    driver->ShowPromptBar(QStringLiteral("\\"), 1);
    EXPECT_FALSE(driver->PromptBarKeyDown(vk::Down, true, false, false));
    EXPECT_FALSE(driver->PromptBarKeyDown(vk::Down, false, true, false));
    EXPECT_TRUE(driver->PromptBarKeyDown(vk::Home, false, false, false));
    // Period with the backslash alone is typed; digits beyond the candidates too.
    EXPECT_FALSE(driver->PromptBarKeyDown(vk::OemPeriod, false, false, false));
    EXPECT_FALSE(driver->PromptBarKeyDown('0', false, false, false));
    EXPECT_FALSE(driver->PromptBarKeyDown('7', false, false, false));
    EXPECT_FALSE(driver->PromptBarKeyDown('A', false, false, false));
    EXPECT_TRUE(driver->PromptBarKeyDown(vk::Escape, false, false, false));
    EXPECT_FALSE(bar->isVisible());
    EXPECT_FALSE(driver->PromptBarKeyDown(vk::Escape, false, false, false));
}

TEST_F(PromptDriverTest, ADigitPicksIntoTheSheetOrTheSourceWindow) {
    app.options |= OptPromptForSheet | OptPromptForSource;
    // Mode 2: the source window takes the pick.
    std::vector<std::pair<int, QString>> inserted;
    driver->insertIntoSource = [&](int kind, const QString& text) { inserted.push_back({kind, text}); };
    driver->sourceCaretPoint = [](bool) { return QPoint(10, 10); };
    driver->ShowPromptBar(QStringLiteral("\\be"), 2);
    EXPECT_EQ(bar->pos(), QPoint(10, 10));
    // A click on a cell picks through the driver as well.
    EXPECT_TRUE(driver->PickPromptCandidate(2));
    ASSERT_EQ(inserted.size(), 1u);
    inserted.clear();
    EXPECT_TRUE(driver->PromptBarKeyDown('1', false, false, false));
    ASSERT_EQ(inserted.size(), 1u);
    EXPECT_EQ(inserted[0].second, "beta");
    EXPECT_EQ(bar->list().candidates()[1].useCount, 1);
    EXPECT_TRUE(driver->PromptBarKeyDown(vk::Space, false, false, false));
    EXPECT_EQ(inserted.size(), 2u);
}
