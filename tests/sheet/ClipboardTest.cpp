// Copy, cut and paste through the clipboard service, the plain-text paste,
// drag and drop inside the sheet and from outside, replace-all of marked
// runs, the office add-in's LaTeX file and MathML jobs, and recognition of
// clipboard and file images, on a headless sheet with a clipboard in memory
// (and the offscreen system clipboard where the formats must survive it).
#include "model/EqBuilder.h"
#include "model/EqModel.h"
#include "model/EqStream.h"
#include "model/GlyphOutline.h"
#include "platform/Archive.h"
#include "platform/ClipboardService.h"
#include "platform/MessageSink.h"
#include "platform/RegKey.h"
#include "platform/RegistryStore.h"
#include "platform/SafeFile.h"
#include "sheet/CKwEESheet.h"
#include "sheet/SheetBackend.h"
#include "sheet/SheetScript.h"
#include "sheet/editing/ClipboardData.h"
#include "sheet/editing/ClipboardFormats.h"
#include "sheet/editing/CommandCodes.h"
#include "sheet/editing/EditDialogs.h"
#include "sheet/editing/Recognition.h"
#include "tests/common/ModelFixtures.h"
#include "tests/common/TestSupport.h"
#include "tests/model/EqLayoutTestSupport.h"
#include "tests/sheet/SheetFixtures.h"
#include "tests/sheet/SheetTestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDragEnterEvent>
#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QtEndian>

#include <functional>
#include <string>
#include <vector>

namespace toliva {
namespace {

using test::elementAt;
using test::equationText;

const QString kAppSettings = QStringLiteral("Software\\Toliva\\AppSettings");
const QString kWordCmds = QStringLiteral("Software\\Toliva\\WordCmds");
const QString kMathMLX = QStringLiteral("<math xmlns=\"http://www.w3.org/1998/Math/MathML\"><mi>x</mi></math>");

class NotesHost : public SheetHost {
public:
    bool AddEquationToNotes(const EqModel& eq) override {
        notes.push_back(equationText(eq));
        return true;
    }
    void UpdateAlignButtons() override { ++alignButtons; }
    std::vector<std::string> notes;
    int alignButtons = 0;
};

// Recognition answered by script: the LaTeX it returns, what it was given.
class ScriptedRecognition : public RecognitionService {
public:
    bool SaveRecognitionImage(const QImage& image, const QString& path) override {
        saved.push_back(image.size());
        savedPaths.push_back(path);
        return acceptImage;
    }
    QString RecognizeFormula(const QString&) override {
        ++recognised;
        return answer;
    }
    bool acceptImage = true;
    QString answer;
    std::vector<QSize> saved;
    std::vector<QString> savedPaths;
    int recognised = 0;
};

std::unique_ptr<QMimeData> mimeOf(std::initializer_list<std::pair<QString, QByteArray>> formats) {
    auto mime = std::make_unique<QMimeData>();
    for (const auto& [format, bytes] : formats) mime->setData(format, bytes);
    return mime;
}

QImage smallImage() {
    QImage image(8, 6, QImage::Format_ARGB32);
    image.fill(Qt::black);
    return image;
}

class ClipboardTest : public ::testing::Test {
protected:
    ClipboardTest() : eq(test::builtInStyle()), b(&eq) {
        for (const QString& key : {kAppSettings, kWordCmds}) RegistryStore::instance().deleteKey(key);
        app.userFolder = folder.path() + '/';
        app.tempFolder = folder.path() + '/';
    }

    // Lines of italic characters.
    void lines(std::initializer_list<std::u16string> texts) {
        for (const std::u16string& t : texts) b.text(b.line(), t, EqTypeCharItalic);
    }
    void show() {
        auto owned = std::make_unique<HeadlessSheetBackend>();
        backend = owned.get();
        sheet = std::make_unique<CKwEESheet>(app, test::programContext(), &host, std::move(owned));
        ShowSheetOffscreen(*sheet, QSize(400, 300), &eq);
    }
    EqElement* at(const std::string& path) { return elementAt(&eq, path); }
    void caretAt(const std::string& path) { sheet->SetCaretElement(at(path)); }
    // Selects from one caret position to another and draws the selection.
    void select(const std::string& from, const std::string& to) {
        sheet->SetCaretElement(at(to));
        sheet->SelectRange(at(from), at(to));
        sheet->Refresh(-1);
    }
    std::string text() const { return equationText(eq); }
    QByteArray bytes() { return EquationToBytes(&eq, true); }
    ClipboardReadContext readContext() {
        ClipboardReadContext c;
        c.style = &style;
        return c;
    }

    test::ScratchFolder folder;
    AppContext app;
    NotesHost host;
    EqLayoutSettings style = test::builtInStyle();
    EqModel eq;
    EqBuilder b;
    MemoryClipboardService clipboard;
    ScopedClipboardService clipboardGuard{&clipboard};
    RecordingMessageSink messages;
    ScopedMessageSink messageGuard{&messages};
    HeadlessSheetBackend* backend = nullptr;
    std::unique_ptr<CKwEESheet> sheet;
};

// ---- copy

TEST_F(ClipboardTest, CopyPutsTheNativeFormatAndThePictureInOneWriteAndAddsTheCopyToTheNotes) {
    lines({u"ab", u"cd"});
    show();
    sheet->ExecuteCommand(CMD_COPY);
    EXPECT_EQ(clipboard.writes, 0) << "nothing without a selection";
    EXPECT_TRUE(host.notes.empty());

    sheet->SelectAll();
    sheet->ExecuteCommand(CMD_COPY);
    EXPECT_EQ(clipboard.writes, 1);
    EXPECT_EQ(clipboard.formats(), (QStringList{kNativeClipboardFormat, kMetafileFormat}));
    EXPECT_TRUE(clipboard.data(kMetafileFormat).startsWith(QByteArray("\x01\x00\x00\x00", 4)));
    const auto copy = EquationFromNativeBytes(clipboard.data(kNativeClipboardFormat), readContext());
    ASSERT_TRUE(copy);
    EXPECT_EQ(equationText(*copy), "ab/cd");
    EXPECT_EQ(host.notes, std::vector<std::string>{"ab/cd"});
    EXPECT_EQ(text(), "ab/cd");
}

TEST_F(ClipboardTest, TheNativeFormatRoundTripsThroughTheOffscreenSystemClipboard) {
    SystemClipboardService system;
    ScopedClipboardService useSystem(&system);
    EqElement* line = b.line();
    b.text(line, u"y=", EqTypeCharItalic);
    EqElement* frac = b.add(line, EqTypeFraction, 2);
    b.text(EqBuilder::arg(frac, 0), u"a", EqTypeCharBold);
    b.text(EqBuilder::arg(frac, 1), u"b", EqTypeCharItalic);
    frac->colour = 0xFF0000FF;
    lines({u"k"});
    show();
    sheet->SelectAll();
    sheet->ExecuteCommand(CMD_COPY);
    ASSERT_TRUE(system.hasFormat(kNativeClipboardFormat));
    EXPECT_TRUE(system.hasFormat(kMetafileFormat));

    // Another sheet pastes it.
    EqModel other(test::builtInStyle());
    AppContext otherApp;
    CKwEESheet target(otherApp, test::programContext(), nullptr, std::make_unique<HeadlessSheetBackend>());
    ShowSheetOffscreen(target, QSize(300, 200), &other);
    target.ExecuteCommand(CMD_PASTE);
    EXPECT_EQ(equationText(other), "y=[128:a|b]/k");
    EXPECT_EQ(EquationToBytes(&other), EquationToBytes(&eq));
    EXPECT_EQ(other.lines[0]->next->next->next->colour, 0xFF0000FFu);
    system.clear();
}

TEST_F(ClipboardTest, CutIsCopyThenDeletionAsOneUndoStep) {
    lines({u"abcd"});
    show();
    select("L0/1", "L0/3");
    const int undo = sheet->undoHistory().undoCount();
    sheet->ExecuteCommand(CMD_CUT);
    EXPECT_EQ(text(), "ad");
    EXPECT_EQ(sheet->undoHistory().undoCount(), undo + 1);
    const auto copy = EquationFromNativeBytes(clipboard.data(kNativeClipboardFormat), readContext());
    ASSERT_TRUE(copy);
    EXPECT_EQ(equationText(*copy), "bc");
    sheet->Undo();
    EXPECT_EQ(text(), "abcd");
    // Without a selection nothing happens.
    const QByteArray before = bytes();
    sheet->ExecuteCommand(CMD_CUT);
    EXPECT_EQ(bytes(), before);
}

// A copied element keeps type, flag word, colour, payload, its own outline,
// phantom and alignment-mark bytes and its children, but not its layout.
TEST_F(ClipboardTest, ACopiedElementKeepsEveryFieldButItsLayout) {
    EqElement* line = b.line();
    EqElement* bracket = b.add(line, 337, 1);
    EqElement* glyph = b.add(EqBuilder::arg(bracket, 0), EqTypeGlyphSymbol, 0, 0x2135);
    glyph->colour = 0xFF123456;
    glyph->payload = {1, 2, 3};
    glyph->phantom = PhantomVertical;
    glyph->alignMark = 1;
    glyph->glyph = std::make_unique<GlyphOutline>();
    glyph->glyph->count = 2;
    glyph->glyph->points = {{0, 0}, {10, 20}};
    glyph->glyph->types = {0, 1};
    glyph->glyph->m[0] = 55;
    show();
    ASSERT_TRUE(bracket->shape) << "laid out";
    bracket->ch = 0xBEEF;  // the flag word travels whatever it holds

    EqModel target(test::builtInStyle());
    EqElement* head = AddEmptyLine(&target);
    EqElement* copy = CopyChainAfter(bracket, head, nullptr, &target);
    ASSERT_TRUE(copy);
    EXPECT_TRUE(ElementsEqual(copy, bracket));
    EXPECT_EQ(copy->type, 337);
    EXPECT_EQ(copy->ch, 0xBEEF);
    EXPECT_EQ(copy->prev, head);
    EXPECT_EQ(copy->owner, &target);
    EXPECT_FALSE(copy->shape);
    const EqElement* g = copy->children.at(0)->next;
    ASSERT_TRUE(g);
    EXPECT_EQ(g->parent, copy);
    EXPECT_EQ(g->ch, 0x2135);
    EXPECT_EQ(g->colour, 0xFF123456u);
    EXPECT_EQ(g->payload, (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(g->phantom, PhantomVertical);
    EXPECT_EQ(g->alignMark, 1);
    ASSERT_TRUE(g->glyph);
    EXPECT_NE(g->glyph.get(), glyph->glyph.get());
    EXPECT_EQ(g->glyph->points.size(), 2u);
    EXPECT_EQ(g->glyph->m[0], 55);
}

struct DelimiterCase {
    int code;
    bool keepLineFeeds;
    const char* text;
};

TEST_F(ClipboardTest, LaTeXCopyTakesTheDelimitersOfTheSettings) {
    lines({u"a", u"b"});
    show();
    sheet->SelectAll();
    const DelimiterCase cases[] = {
        {0, false, "$$a\n\\\\\nb$$"},
        {0, true, "$$\na\n\\\\\nb\n$$\n"},
        {1, false, "$a\n\\\\\nb$"},
        {1, true, "$\na\n\\\\\nb\n$\n"},
        {2, false, "\\[a\n\\\\\nb\\]"},
        {2, true, "\\[\na\n\\\\\nb\n\\]\n"},
        {3, false, "\\(a\n\\\\\nb\\)"},
        {3, true, "\\(\na\n\\\\\nb\n\\)\n"},
        {4, false, "a\n\\\\\nb"},
        {4, true, "a\n\\\\\nb"},
        {7, false, "$$a\n\\\\\nb$$"},  // any other code: double dollars
    };
    for (const DelimiterCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.code << " " << c.keepLineFeeds);
        app.texDelimCode = c.code;
        app.options = c.keepLineFeeds ? app.options | OptKeepDelimiterLineFeeds : app.options & ~OptKeepDelimiterLineFeeds;
        sheet->ExecuteCommand(CMD_COPY_LATEX);
        EXPECT_EQ(clipboard.text().toStdString(), c.text);
    }
    sheet->ExecuteCommand(CMD_COPY_MATHML);
    EXPECT_TRUE(clipboard.text().contains(QStringLiteral("<mi>a</mi>"))) << clipboard.text().toStdString();
}

TEST_F(ClipboardTest, ASelectionThatBeginsWithALineHeadStartsTheCopyOnTheNextElement) {
    lines({u"ab", u"cd"});
    show();
    select("L0/2", "L1/1");  // from the end of line 0 to after c
    ASSERT_EQ(sheet->selection().items.front()->type, EqTypeChainHead);
    ASSERT_TRUE(sheet->PrepareClipboardEquation());
    EXPECT_EQ(equationText(*sheet->clipboardEquation()), "c");
    app.texDelimCode = 4;
    sheet->ExecuteCommand(CMD_COPY_LATEX);
    EXPECT_EQ(clipboard.text(), QStringLiteral("c"));
}

TEST_F(ClipboardTest, EmptyTextChangesNothing) {
    lines({u"ab", u""});
    show();
    // An empty line copied as LaTeX is no text: the clipboard keeps its own.
    clipboard.setText(QStringLiteral("kept"));
    select("L0/2", "L1/0");
    sheet->ExecuteCommand(CMD_COPY_LATEX);
    EXPECT_EQ(clipboard.text(), QStringLiteral("kept"));
    EXPECT_EQ(clipboard.writes, 1);
    SetClipboardText(QString());
    EXPECT_EQ(clipboard.writes, 1);

    // Pasting an empty text does nothing either way.
    clipboard.setText(QString());
    caretAt("L0/1");
    const QByteArray before = bytes();
    const int undo = sheet->undoHistory().undoCount();
    for (int code : {CMD_PASTE_TEXT, CMD_PASTE}) {
        sheet->ExecuteCommand(code);
        EXPECT_EQ(bytes(), before) << code;
        EXPECT_EQ(sheet->undoHistory().undoCount(), undo) << code;
    }
}

// ---- paste

TEST_F(ClipboardTest, PlainTextPasteBreaksLinesWhereTheTextDoes) {
    lines({u"abcd"});
    show();
    for (const char* pasted : {"X\nY", "X\r\nY"}) {
        SCOPED_TRACE(pasted);
        caretAt("L0/2");
        clipboard.setText(QString::fromLatin1(pasted));
        sheet->ExecuteCommand(CMD_PASTE_TEXT);
        EXPECT_EQ(text(), "abX/Ycd");
        EXPECT_EQ(at("L0/3")->type, EqTypeCharUpright);
        sheet->Undo();
        EXPECT_EQ(text(), "abcd");
    }
    // A paste through the LaTeX reader, which skips control characters.
    caretAt("L0/2");
    clipboard.setText(QStringLiteral("X\nY"));
    SheetScript script(*sheet, backend);
    ASSERT_TRUE(script.run(QStringLiteral("key Ctrl+V")).ok);
    EXPECT_EQ(text(), "abXYcd");
}

struct PlainTextCase {
    const char16_t* text;
    const char* result;
};

TEST_F(ClipboardTest, PlainTextBecomesBracketsOperatorsArrowsAndCharacters) {
    lines({u""});
    show();
    const PlainTextCase cases[] = {
        {u"(a)", "[337:a]"},
        {u"(a", "[337:a]"},
        {u"(ab+c", "[337:ab[1042]c]"},
        {u"(a)b", "[337:a]b"},
        {u")", ""},
        {u"a)b]c}", "abc"},
        {u"x\u2192y", "x[506]y"},
        {u"x\u2195y", "x[516]y"},
        {u"[a]{b}", "[338:a][339:b]"},
        {u"((a)b)", "[337:[337:a]b]"},
        {u"(a[b)c]", "[337:a[338:b]]c"},
        {u"\u221Ax", "[136:]x"},
        {u"a\tb", "ab"},
        {u"a=b\u2260c", "a[1049]b[1058]c"},
        {u"1.5", "1.5"},
    };
    for (const PlainTextCase& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.text).toStdString());
        caretAt("L0/0");
        clipboard.setText(QString::fromUtf16(c.text));
        sheet->ExecuteCommand(CMD_PASTE_TEXT);
        EXPECT_EQ(text(), c.result);
        sheet->Undo();
        ASSERT_EQ(text(), "");
    }
}

TEST_F(ClipboardTest, TheCharacterTablesOfPastedText) {
    EXPECT_EQ(CharToElementType(u'+'), 1042);
    EXPECT_EQ(CharToElementType(u'\u00D7'), 1045);
    EXPECT_EQ(CharToElementType(u'\u2261'), 1055);
    EXPECT_EQ(CharToElementType(u'\u00F8'), 1073);
    EXPECT_EQ(CharToElementType(u'\u2208'), 1082);
    EXPECT_EQ(CharToElementType(u'\u25CE'), 1112);
    EXPECT_EQ(CharToElementType(u'\u2192'), 506);
    EXPECT_EQ(CharToElementType(u'\u2195'), 516);
    EXPECT_EQ(CharToElementType(u'.'), -1);  // the table's empty places
    EXPECT_EQ(CharToElementType(u'a'), -1);
    EXPECT_EQ(FindMatchingBracket(u'(', u"a(b)c)d"), 5);
    EXPECT_EQ(FindMatchingBracket(u'[', u"a(b]"), 3);
    EXPECT_EQ(FindMatchingBracket(u'{', u"ab"), 2);
    EXPECT_EQ(FindMatchingBracket(u'<', u"a>"), -1);
}

TEST_F(ClipboardTest, PlainTextInsideAStructureKeepsOnlyItsFirstLine) {
    EqElement* line = b.line();
    EqElement* frac = b.add(line, EqTypeFraction, 2);
    b.text(EqBuilder::arg(frac, 1), u"d", EqTypeCharItalic);
    show();
    sheet->SetCaretElement(EqBuilder::arg(frac, 0));
    clipboard.setText(QStringLiteral("ab\ncd"));
    sheet->ExecuteCommand(CMD_PASTE_TEXT);
    EXPECT_EQ(text(), "[128:ab|d]");
}

TEST_F(ClipboardTest, DeeplyNestedPastedBracketsStayCharactersBeyondTheLimit) {
    lines({u""});
    show();
    const QString deep = QString(kMaxPastedBracketDepth + 50, QLatin1Char('(')) + QStringLiteral("x");
    clipboard.setText(deep);
    sheet->ExecuteCommand(CMD_PASTE_TEXT);
    // Every level still saves and loads again.
    const QByteArray saved = EquationToBytes(&eq);
    EqModel reread(test::builtInStyle());
    EXPECT_TRUE(LoadEquationAtomically(&reread, saved));
    int depth = 0;
    for (const EqElement* e = eq.lines[0]->next; e && e->type == 337; e = e->children[0]->next) ++depth;
    EXPECT_EQ(depth, kMaxPastedBracketDepth);
}

struct KindCase {
    const char* name;
    std::vector<QString> formats;
    bool image;
    int kind;
};

TEST_F(ClipboardTest, TheContentKindFollowsItsPriority) {
    const QString lite = kLiteClipboardFormat, emf = kMetafileFormat, text = kTextFormat;
    const QString mathml = kMathMLFormats[0];
    const KindCase cases[] = {
        {"everything", {mathml, emf, lite, text, kNativeClipboardFormat}, true, 1},
        {"text and the rest", {mathml, emf, lite, text}, true, 2},
        {"lite and the rest", {mathml, emf, lite}, true, 3},
        {"metafile, MathML, image", {mathml, emf}, true, 4},
        {"MathML and image", {mathml}, true, 5},
        {"text with its character set, and image", {QStringLiteral("text/plain;charset=utf-8")}, true, 2},
        {"MathML content", {kMathMLFormats[1]}, false, 5},
        {"MathML presentation", {kMathMLFormats[2]}, false, 5},
        {"image", {}, true, 6},
        {"files", {QStringLiteral("text/uri-list")}, false, 0},
        {"nothing", {}, false, 0},
    };
    for (const KindCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto mime = std::make_unique<QMimeData>();
        for (const QString& f : c.formats) mime->setData(f, "1");
        if (c.image) mime->setImageData(smallImage());
        clipboard.setMimeData(std::move(mime));
        EXPECT_EQ(ClipboardContentKind(clipboard), c.kind);
    }
    clipboard.clear();
    EXPECT_EQ(ClipboardContentKind(clipboard), 0);
}

TEST_F(ClipboardTest, TextThatIsMathMLIsReadAsMathML) {
    lines({u"ab"});
    show();
    caretAt("L0/1");
    clipboard.setText(QStringLiteral("<math xmlns=\"http://www.w3.org/1998/Math/MathML\"><mi>x</mi><mo>+</mo>"
                                     "<mn>1</mn></math>"));
    sheet->ExecuteCommand(CMD_PASTE);
    EXPECT_EQ(text(), "ax[1042]1b");
    // LaTeX text gets the automatic upright rules: digits stand upright.
    caretAt("L0/0");
    clipboard.setText(QStringLiteral("y2"));
    sheet->ExecuteCommand(CMD_PASTE);
    EXPECT_EQ(text(), "y2ax[1042]1b");
    EXPECT_EQ(at("L0/2")->type, EqTypeCharUpright);
}

TEST_F(ClipboardTest, MathMLFormatsAreTriedInTheOrderTheDataOffersThem) {
    lines({u""});
    show();
    struct Case {
        std::vector<std::pair<QString, QByteArray>> formats;
        const char* result;
    };
    const Case cases[] = {
        {{{kMathMLFormats[0], "<math><mi>q</mi></math>"}}, "q"},
        {{{kMathMLFormats[2], "<math><mi>p</mi></math>"}, {kMathMLFormats[0], "<math><mi>q</mi></math>"}}, "p"},
        // A malformed block gives way to the next format.
        {{{kMathMLFormats[1], "<math><mi>p</mi"}, {kMathMLFormats[0], "<math><mi>q</mi></math>"}}, "q"},
        // The text ends at its zero.
        {{{kMathMLFormats[0], QByteArray("<math><mi>r</mi></math>") + QByteArray(1, '\0') + "<garbage"}}, "r"},
        {{{kMathMLFormats[0], "<math><mi>r</mi></math>"}, {kTextFormat, "s"}}, "r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.result);
        auto mime = std::make_unique<QMimeData>();
        for (const auto& [f, data] : c.formats) mime->setData(f, data);
        clipboard.setMimeData(std::move(mime));
        caretAt("L0/0");
        sheet->ExecuteCommand(CMD_PASTE);
        EXPECT_EQ(text(), c.result);
        sheet->Undo();
    }
}

TEST_F(ClipboardTest, ThePasteReplacesTheSelectionAndTheLiteFormatIsReadLast) {
    lines({u"abc"});
    show();
    EqModel source(test::builtInStyle());
    EqBuilder sb(&source);
    sb.text(sb.line(), u"XY", EqTypeCharItalic);
    const QByteArray stream = EquationToBytes(&source);
    QByteArray lite(4, '\0');
    qToLittleEndian<qint32>(qint32(stream.size()), lite.data());
    lite += stream;
    clipboard.setData(kLiteClipboardFormat, lite);
    select("L0/1", "L0/2");  // b
    sheet->ExecuteCommand(CMD_PASTE);
    EXPECT_EQ(text(), "aXYc");
    sheet->Undo();
    EXPECT_EQ(text(), "abc");
}

TEST_F(ClipboardTest, SeveralLinesPastedIntoAStructureFollowOneAnother) {
    EqElement* line = b.line();
    EqElement* root = b.add(line, EqTypeSqrt, 1);
    b.text(EqBuilder::arg(root, 0), u"ab", EqTypeCharItalic);
    lines({u"cd"});
    show();
    EqModel source(test::builtInStyle());
    EqBuilder sb(&source);
    sb.text(sb.line(), u"X", EqTypeCharItalic);
    sb.text(sb.line(), u"Y", EqTypeCharItalic);
    clipboard.setMimeData(EquationMimeData(&source, {}));
    sheet->SetCaretElement(EqBuilder::arg(root, 0)->next);  // after a
    sheet->ExecuteCommand(CMD_PASTE);
    EXPECT_EQ(text(), "[136:aXYb]/cd");
    EXPECT_EQ(GetEquationCaret(&eq)->ch, u'Y');
    // At the top level the second line is a line of its own.
    caretAt("L1/1");
    sheet->ExecuteCommand(CMD_PASTE);
    EXPECT_EQ(text(), "[136:aXYb]/cX/Yd");
    EXPECT_GT(host.alignButtons, 0);
}

// A paste moves the elements it read into the sheet's equation; the result
// is the same as a copy's.
TEST_F(ClipboardTest, LinesMovedInAreTheSameAsLinesCopiedIn) {
    const auto makeSource = [] {
        auto source = std::make_unique<EqModel>(test::builtInStyle());
        EqBuilder sb(source.get());
        EqElement* line = sb.line();
        sb.text(line, u"X", EqTypeCharItalic);
        EqElement* root = sb.add(line, EqTypeSqrt, 1);
        sb.text(EqBuilder::arg(root, 0), u"r", EqTypeCharItalic);
        sb.text(sb.line(), u"Y", EqTypeCharItalic);
        return source;
    };
    const auto makeTarget = [](EqModel& eq) {
        EqBuilder tb(&eq);
        EqElement* last = tb.text(tb.line(), u"abcd", EqTypeCharItalic);
        SetEquationCaret(&eq, last->prev->prev);  // after b
    };
    EqModel copied(test::builtInStyle()), moved(test::builtInStyle());
    makeTarget(copied);
    makeTarget(moved);
    const auto source = makeSource();
    EqElement* copiedLast = InsertEquationLines(&copied, *source);
    EqElement* movedLast = MoveEquationLines(&moved, *source);
    ASSERT_TRUE(copiedLast && movedLast);
    EXPECT_EQ(equationText(moved), "abX[136:r]/Ycd");
    EXPECT_EQ(EquationToBytes(&moved), EquationToBytes(&copied));
    EXPECT_EQ(test::elementPath(movedLast), test::elementPath(copiedLast));
    EXPECT_TRUE(source->lines.empty());
    const EqElement* root = moved.lines[0]->next->next->next->next;
    EXPECT_EQ(root->owner, &moved);
    EXPECT_EQ(root->children[0]->next->owner, &moved);
    EXPECT_EQ(root->children[0]->next->parent, root);
    // Nothing to insert: nothing moves.
    EqModel empty(test::builtInStyle());
    AddEmptyLine(&empty);
    EXPECT_FALSE(MoveEquationLines(&moved, empty));
    EXPECT_EQ(empty.lines.size(), 1u);
}

TEST_F(ClipboardTest, OnlyAMetafileInsertsNothingAndABitmapWithTextPastesTheText) {
    lines({u"ab"});
    show();
    ScriptedRecognition recognition;
    recognition.answer = QStringLiteral("z");
    sheet->setRecognition(&recognition);
    caretAt("L0/1");
    const QByteArray before = bytes();
    const int undo = sheet->undoHistory().undoCount();
    clipboard.setData(kMetafileFormat, QByteArray(200, '\1'));
    sheet->ExecuteCommand(CMD_PASTE);
    EXPECT_EQ(bytes(), before);
    EXPECT_EQ(sheet->undoHistory().undoCount(), undo);

    auto mime = std::make_unique<QMimeData>();
    mime->setImageData(smallImage());
    mime->setText(QStringLiteral("q"));
    clipboard.setMimeData(std::move(mime));
    sheet->ExecuteCommand(CMD_PASTE);
    EXPECT_EQ(text(), "aqb");
    EXPECT_EQ(recognition.recognised, 0);
    EXPECT_TRUE(messages.shown.empty());
}

// ---- data from other programs that cannot be trusted

QByteArray liteBlock(qint32 count, const QByteArray& stream) {
    QByteArray block(4, '\0');
    qToLittleEndian<qint32>(count, block.data());
    return block + stream;
}

TEST_F(ClipboardTest, HostileClipboardDataIsRefusedWithTheEquationUnchanged) {
    lines({u"ab"});
    show();
    EqModel source(test::builtInStyle());
    EqBuilder sb(&source);
    EqElement* line = sb.line();
    sb.text(line, u"x", EqTypeCharItalic);
    EqElement* frac = sb.add(line, EqTypeFraction, 2);
    sb.text(EqBuilder::arg(frac, 0), u"1");
    const QByteArray stream = EquationToBytes(&source);
    // Where the line count stands: after the style record.
    QByteArray record;
    {
        Archive ar(&record, Archive::Store);
        SerializeLayoutSettings(source.settings, ar, nullptr);
    }
    const auto withCount = [&](qint32 count) {
        QByteArray s = stream;
        qToLittleEndian<qint32>(count, s.data() + record.size());
        return s;
    };
    struct Case {
        const char* name;
        QString format;
        QByteArray data;
    };
    std::vector<Case> cases = {
        {"huge line count", kNativeClipboardFormat, withCount(0x7FFFFFFF)},
        {"negative line count", kNativeClipboardFormat, withCount(-1)},
        {"lite count beyond the block", kLiteClipboardFormat, liteBlock(qint32(stream.size()) + 1, stream)},
        {"lite count far beyond the block", kLiteClipboardFormat, liteBlock(0x7FFFFFF0, stream)},
        {"negative lite count", kLiteClipboardFormat, liteBlock(-4, stream)},
        {"lite count short of the stream", kLiteClipboardFormat, liteBlock(qint32(stream.size()) - 3, stream)},
        {"lite block shorter than its count", kLiteClipboardFormat, QByteArray("\x10\0", 2)},
        {"unterminated MathML", kMathMLFormats[0], "<math><mi>x</mi"},
        {"MathML without math", kMathMLFormats[1], "<p>x</p>"},
        {"empty MathML", kMathMLFormats[2], QByteArray("\0<math><mi>x</mi></math>", 24)},
    };
    for (int cut : {1, 10, int(record.size()) + 2, int(stream.size()) / 2, int(stream.size()) - 1})
        cases.push_back({"truncated native", kNativeClipboardFormat, stream.left(cut)});
    caretAt("L0/1");
    const QByteArray before = bytes();
    const int undo = sheet->undoHistory().undoCount();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clipboard.setData(c.format, c.data);
        sheet->ExecuteCommand(CMD_PASTE);
        EXPECT_EQ(bytes(), before);
        EXPECT_EQ(sheet->undoHistory().undoCount(), undo);
        if (c.format == kNativeClipboardFormat || c.format == kMathMLFormats[0]) {
            clipboard.setData(c.format, c.data);
            EXPECT_FALSE(sheet->DropDataObject(*clipboard.mimeData(), false));
            EXPECT_EQ(bytes(), before);
        }
    }
    // Every shorter prefix of a stream is refused; the whole one reads.
    for (qsizetype n = 0; n < stream.size(); ++n) {
        ASSERT_FALSE(EquationFromNativeBytes(stream.left(n), readContext())) << n;
        ASSERT_FALSE(EquationFromLiteBytes(liteBlock(qint32(n), stream.left(n)), readContext())) << n;
    }
    const auto whole = EquationFromLiteBytes(liteBlock(qint32(stream.size()), stream), readContext());
    ASSERT_TRUE(whole);
    EXPECT_EQ(equationText(*whole), "x[128:1|]");
    EXPECT_TRUE(messages.shown.empty());
}

// ---- replace-all

TEST_F(ClipboardTest, ReplaceAllReplacesOnlyCompleteRunsOfThePattern) {
    lines({u"abcxabcyab", u"abqabc", u""});
    EqElement* frac = b.add(eq.lines[2], EqTypeFraction, 2);
    b.text(EqBuilder::arg(frac, 0), u"abc", EqTypeCharItalic);
    show();
    const auto mark = [&](const std::string& line, std::initializer_list<int> places) {
        for (int p : places) at(line + "/" + std::to_string(p))->mark = 1;
    };
    mark("L0", {1, 2, 3, 5, 6, 7, 9, 10});  // abc, abc, then ab: incomplete
    mark("L1", {1, 2, 4, 5, 6});            // ab (incomplete) ends the walk of the line
    for (EqElement* e = EqBuilder::arg(frac, 0)->next; e; e = e->next) e->mark = 1;
    sheet->selection().foundPatternLength = 3;

    EqModel replacement(test::builtInStyle());
    EqBuilder rb(&replacement);
    rb.text(rb.line(), u"Z", EqTypeCharItalic);
    const int undo = sheet->undoHistory().undoCount();
    sheet->ReplaceAllMarked(&replacement);
    EXPECT_EQ(text(), "ZxZyab/abqabc/[128:Z|]");
    EXPECT_EQ(sheet->undoHistory().undoCount(), undo + 1);
    sheet->Undo();
    EXPECT_EQ(text(), "abcxabcyab/abqabc/[128:abc|]");
}

TEST_F(ClipboardTest, ReplaceMarkedPutsTheSelectionInPlaceOfEveryOccurrence) {
    lines({u"abxab", u"Q"});
    show();
    select("L0/0", "L0/2");
    sheet->ExecuteCommand(CMD_FIND_SELECTION);
    ASSERT_EQ(sheet->selection().foundPatternLength, 2);
    select("L1/0", "L1/1");  // Q is the replacement
    sheet->ExecuteCommand(CMD_REPLACE_MARKED);
    EXPECT_EQ(text(), "QxQ/Q");
    EXPECT_FALSE(EquationHasMarks(&eq));
}

// ---- drag and drop

class DropTest : public ClipboardTest {
protected:
    void SetUp() override {
        lines({u"abcd"});
        show();
    }
    // Presses the mouse on the selection; the drag that starts drops data at
    // the caret path.
    bool dragAndDrop(const std::string& dropAt, bool ctrl) {
        EXPECT_FALSE(sheet->selection().highlight.empty());
        if (sheet->selection().highlight.empty()) return false;
        sheet->ExecuteCommand(CMD_COPY);
        const QMimeData* data = clipboard.mimeData();
        bool dropped = false;
        sheet->dragSelection = [&](QPoint) {
            SetEquationCaret(&eq, at(dropAt));
            dropped = sheet->DropDataObject(*data, ctrl);
            return true;
        };
        const QPointF point = QRectF(sheet->selection().highlight.front()).center();
        QMouseEvent press(QEvent::MouseButtonPress, point, point, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(sheet.get(), &press);
        return dropped;
    }
};

TEST_F(DropTest, ADragInsideTheSheetMovesTheSelection) {
    select("L0/0", "L0/2");  // ab
    EXPECT_TRUE(dragAndDrop("L0/4", false));
    EXPECT_EQ(text(), "cdab");
    // The dropped copy is selected.
    ASSERT_EQ(sheet->selection().items.size(), 2u);
    EXPECT_EQ(test::elementPath(sheet->selection().items[0]), "L0/3");
    EXPECT_EQ(test::elementPath(GetEquationCaret(&eq)), "L0/4");
    EXPECT_FALSE(backend->mouseCaptured());
    sheet->Undo();
    EXPECT_EQ(text(), "abcd");
}

TEST_F(DropTest, ADragWithCtrlCopiesTheSelection) {
    select("L0/0", "L0/2");
    EXPECT_TRUE(dragAndDrop("L0/3", true));
    EXPECT_EQ(text(), "abcabd");
    EXPECT_EQ(sheet->selection().items.size(), 2u);
}

TEST_F(DropTest, ADropOntoTheSelectionDoesNothing) {
    select("L0/1", "L0/3");  // bc
    const QByteArray before = bytes();
    for (const char* target : {"L0/2", "L0/3"}) {
        EXPECT_FALSE(dragAndDrop(target, false)) << target;
        EXPECT_EQ(bytes(), before) << target;
    }
    // With Ctrl it is a copy, which may go anywhere.
    EXPECT_TRUE(dragAndDrop("L0/2", true));
    EXPECT_EQ(text(), "abbccd");
}

TEST_F(DropTest, AMoveAcrossLinesKeepsWhatIsDroppedAndJoinsTheLines) {
    lines({u"ef", u"gh"});
    show();
    select("L0/3", "L1/1");  // d, the line break, e
    EXPECT_TRUE(dragAndDrop("L2/1", false));
    EXPECT_EQ(text(), "abcf/gd/eh");
}

TEST_F(DropTest, ADropFromOutsideCopiesAndTakesOnlyEquationsAndMathML) {
    caretAt("L0/2");
    EXPECT_TRUE(sheet->DropDataObject(*mimeOf({{kMathMLFormats[1], kMathMLX.toUtf8()}}), false));
    EXPECT_EQ(text(), "abxcd");
    // Text is not dropped: a drop takes the native format, else MathML.
    const QByteArray before = bytes();
    auto plain = mimeOf({{kTextFormat, "q"}});
    EXPECT_FALSE(sheet->DropDataObject(*plain, false));
    EXPECT_EQ(bytes(), before);
    EXPECT_FALSE(IsDroppableData(*plain));

    // Dropped files go to the frame: the sheet does not take them.
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a.png"))});
    EXPECT_FALSE(IsDroppableData(files));
    QDragEnterEvent enterFiles(QPoint(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(sheet.get(), &enterFiles);
    EXPECT_FALSE(enterFiles.isAccepted());
    auto native = mimeOf({{kNativeClipboardFormat, EquationToBytes(&eq)}});
    QDragEnterEvent enterNative(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, native.get(), Qt::LeftButton,
                                Qt::NoModifier);
    QApplication::sendEvent(sheet.get(), &enterNative);
    EXPECT_TRUE(enterNative.isAccepted());
    EXPECT_EQ(enterNative.dropAction(), Qt::CopyAction);
    EXPECT_TRUE(sheet->acceptDrops());
}

TEST_F(DropTest, TheSheetsOwnDragStartsAndEndsWithoutChangingTheEquation) {
    select("L0/1", "L0/3");
    const QByteArray before = bytes();
    const QPointF point = QRectF(sheet->selection().highlight.front()).center();
    QMouseEvent press(QEvent::MouseButtonPress, point, point, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(sheet.get(), &press);  // offscreen, the drag ends at once
    EXPECT_EQ(bytes(), before);
    EXPECT_FALSE(backend->mouseCaptured());
    EXPECT_EQ(sheet->selection().items.size(), 2u);
}

// ---- the office add-in

class OfficeJobTest : public ClipboardTest {
protected:
    void SetUp() override {
        lines({u"ab"});
        show();
    }
    QString texFile() const { return folder.file(QStringLiteral("TLObj.tex")); }
    static void writeString(const QString& keyPath, const QString& name, const QString& value) {
        RegKey key;
        ASSERT_TRUE(OpenRegKey(keyPath, key));
        ASSERT_TRUE(WriteRegString(key, name, value));
    }
    static void writeDword(const QString& keyPath, const QString& name, int value) {
        RegKey key;
        ASSERT_TRUE(OpenRegKey(keyPath, key));
        ASSERT_TRUE(WriteRegDword(key, name, value));
    }
};

TEST_F(OfficeJobTest, ALaTeXFileThatIsMissingOrUnreadableLeavesTheEquationAndSaysSo) {
    const QByteArray before = bytes();
    EXPECT_EQ(sheet->RunOfficeJob(11), 1);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("failed to open file : ") + texFile());
    EXPECT_EQ(bytes(), before);

    // Larger than a text may be: it opens but does not read.
    {
        QFile big(texFile());
        ASSERT_TRUE(big.open(QIODevice::WriteOnly));
        ASSERT_TRUE(big.resize(kMaxInputFileBytes + 1));
    }
    sheet->RunOfficeJob(11);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].text, QStringLiteral("Unable to load LaTeX code."));
    app.lanSel = 2;
    sheet->RunOfficeJob(11);
    ASSERT_EQ(messages.shown.size(), 3u);
    EXPECT_NE(messages.shown[2].text, messages.shown[1].text);
    EXPECT_FALSE(messages.shown[2].text.isEmpty());
    EXPECT_EQ(bytes(), before);

    // Nothing but blanks: nothing happens.
    ASSERT_TRUE(test::writeFile(texFile(), "\r\n  \n"));
    sheet->RunOfficeJob(11);
    EXPECT_EQ(messages.shown.size(), 3u);
    EXPECT_EQ(bytes(), before);
}

TEST_F(OfficeJobTest, ALaTeXFileReplacesTheEquationAndRereadsTheOptions) {
    // A comment line must not swallow the formula on the line after it.
    ASSERT_TRUE(test::writeFile(texFile(), "% from the add-in\r\nx+1\r\n"));
    app.options = 0;
    eq.settings.fontSize = 12;
    eq.settings.size2 = 6;
    writeString(kWordCmds, QStringLiteral("DocEnvSize"), QStringLiteral("18"));
    EXPECT_EQ(sheet->RunOfficeJob(11), 1);
    EXPECT_EQ(text(), "x[1042]1");
    EXPECT_TRUE(messages.shown.empty());
    // "dw1" missing: the default option word, which applies the document's size.
    EXPECT_EQ(app.options, AppContext::kDefaultOptions);
    EXPECT_EQ(app.options, 0x7F9F5u);
    EXPECT_FLOAT_EQ(eq.settings.fontSize, 18);
    EXPECT_FLOAT_EQ(eq.settings.size2, 9);
    sheet->Undo();
    EXPECT_EQ(text(), "ab");

    // Without option bit 0x40000 the size stays.
    writeDword(kAppSettings, QStringLiteral("dw1"), int(AppContext::kDefaultOptions & ~OptDocFontSizeAfterImport));
    eq.settings.fontSize = 12;
    sheet->RunOfficeJob(11);
    EXPECT_EQ(text(), "x[1042]1");
    EXPECT_FALSE(app.option(OptDocFontSizeAfterImport));
    EXPECT_FLOAT_EQ(eq.settings.fontSize, 12);
}

TEST_F(OfficeJobTest, TheMathMLJobInsertsTheClipboardsMathMLAndEmptiesTheClipboard) {
    caretAt("L0/1");
    clipboard.setMimeData(mimeOf({{kMathMLFormats[0], kMathMLX.toUtf8()}, {kTextFormat, "t"}}));
    backend->sleptMilliseconds = 0;
    EXPECT_EQ(sheet->RunOfficeJob(13), 1);
    EXPECT_EQ(text(), "axb");
    EXPECT_EQ(backend->sleptMilliseconds, 100);
    EXPECT_EQ(clipboard.clears, 1);
    EXPECT_FALSE(clipboard.mimeData());
    // Text alone is no MathML: nothing is inserted, the clipboard is emptied.
    clipboard.setText(QStringLiteral("t"));
    sheet->RunOfficeJob(13);
    EXPECT_EQ(text(), "axb");
    EXPECT_EQ(clipboard.clears, 2);
}

// ---- recognition

TEST_F(ClipboardTest, WithoutARecognitionClientTheUserIsToldAndNothingChanges) {
    lines({u"ab"});
    show();
    clipboard.setImage(smallImage());
    const QByteArray before = bytes();
    sheet->ExecuteCommand(CMD_PASTE);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, NotAvailableYetText(QStringLiteral("en"), Unavailable::Command));
    EXPECT_EQ(bytes(), before);
    EXPECT_TRUE(clipboard.hasImage());
}

TEST_F(ClipboardTest, ARecognisedClipboardImageIsInsertedAndItsLaTeXCopied) {
    lines({u"ab"});
    show();
    ScriptedRecognition recognition;
    sheet->setRecognition(&recognition);
    caretAt("L0/1");
    // No image: nothing at all.
    sheet->RecognizeClipboardImage();
    EXPECT_EQ(recognition.recognised, 0);

    clipboard.setImage(smallImage());
    recognition.answer = QStringLiteral("x+1");
    sheet->ExecuteCommand(CMD_PASTE);
    ASSERT_EQ(recognition.saved.size(), 1u);
    EXPECT_EQ(recognition.saved[0], QSize(8, 6));
    EXPECT_EQ(recognition.savedPaths[0], folder.file(QStringLiteral("src0.png")));
    EXPECT_EQ(text(), "ax[1042]1b");
    EXPECT_TRUE(sheet->lastRecognitionInserted);
    EXPECT_EQ(clipboard.text(), QStringLiteral("x+1"));
    EXPECT_EQ(backend->cursor, Qt::ArrowCursor);

    // A refused image and an empty answer change nothing.
    const QByteArray before = bytes();
    clipboard.setImage(smallImage());
    recognition.acceptImage = false;
    sheet->RecognizeClipboardImage();
    recognition.acceptImage = true;
    recognition.answer.clear();
    sheet->RecognizeClipboardImage();
    EXPECT_EQ(bytes(), before);
    EXPECT_EQ(recognition.recognised, 2);
    EXPECT_TRUE(clipboard.hasImage());
}

TEST_F(ClipboardTest, PictureFilesAreRecognisedAndAMetafileIsDrawnOnWhite) {
    lines({u""});
    show();
    ScriptedRecognition recognition;
    recognition.answer = QStringLiteral("y");
    sheet->setRecognition(&recognition);
    const QString png = folder.file(QStringLiteral("f.png"));
    ASSERT_TRUE(smallImage().save(png));
    sheet->RecognizeImageFile(png, false);
    EXPECT_EQ(text(), "y");
    ASSERT_EQ(recognition.saved.size(), 1u);
    EXPECT_EQ(recognition.saved[0], QSize(8, 6));

    // The equation's own metafile, drawn at its size.
    const QString emfPath = folder.file(QStringLiteral("f.emf"));
    sheet->SelectAll();
    sheet->ExecuteCommand(CMD_COPY);
    ASSERT_TRUE(test::writeFile(emfPath, clipboard.data(kMetafileFormat)));
    sheet->RecognizeImageFile(emfPath, true);
    ASSERT_EQ(recognition.saved.size(), 2u);
    EXPECT_GT(recognition.saved[1].width(), 0);

    // A file that is no picture: the user is told, nothing is recognised.
    const QString bad = folder.file(QStringLiteral("bad.emf"));
    ASSERT_TRUE(test::writeFile(bad, "not a metafile"));
    sheet->RecognizeImageFile(bad, true);
    sheet->RecognizeImageFile(folder.file(QStringLiteral("missing.png")), false);
    EXPECT_EQ(recognition.saved.size(), 2u);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("failed to open file : ") + bad);
}

}  // namespace
}  // namespace toliva

namespace toliva::test {
namespace {

// An embedded object of the program comes after the native format and before
// MathML, read by the reader the program hands in; without one it is not read.
TEST(EmbeddedItemData, ReadAfterTheNativeFormatWithTheProgramsReader) {
    EqModel native(builtInStyle());
    EqBuilder nb(&native);
    nb.text(nb.line(), u"n", EqTypeCharItalic);
    int reads = 0;
    ClipboardReadContext context;
    const auto itemEquation = [&](const QByteArray& bytes) {
        ++reads;
        if (bytes != "item") return std::unique_ptr<EqModel>();
        auto eq = std::make_unique<EqModel>(builtInStyle());
        EqBuilder b(eq.get());
        b.text(b.line(), u"i", EqTypeCharItalic);
        return eq;
    };

    QMimeData item;
    item.setData(kEmbeddedItemFormat, "item");
    EXPECT_TRUE(IsDroppableData(item));
    EXPECT_EQ(EquationFromDataObject(item, context), nullptr);  // no reader
    context.readEmbeddedItem = itemEquation;
    for (const auto& read : {EquationFromDataObject, EquationFromClipboardData}) {
        std::unique_ptr<EqModel> eq = read(item, context);
        ASSERT_NE(eq, nullptr);
        EXPECT_EQ(equationText(*eq), "i");
    }
    // The native format wins; an object that does not read gives way to MathML.
    QMimeData both;
    both.setData(kEmbeddedItemFormat, "item");
    both.setData(kNativeClipboardFormat, EquationToBytes(&native));
    reads = 0;
    EXPECT_EQ(equationText(*EquationFromDataObject(both, context)), "n");
    EXPECT_EQ(reads, 0);
    QMimeData damaged;
    damaged.setData(kEmbeddedItemFormat, "junk");
    damaged.setData(kMathMLFormats[0], "<math><mi>m</mi></math>");
    std::unique_ptr<EqModel> fromMathML = EquationFromDataObject(damaged, context);
    ASSERT_NE(fromMathML, nullptr);
    EXPECT_NE(equationText(*fromMathML).find('m'), std::string::npos);
    EXPECT_EQ(reads, 1);
}

}  // namespace
}  // namespace toliva::test
