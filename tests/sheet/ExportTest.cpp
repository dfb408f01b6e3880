// Export of the equation to picture files and the picture copy: the types of
// the save dialog and what it remembers, the resolution and the picture's
// size and background, the encoders, each written file read back by a
// reader of its own, and what happens when a picture would be too large or
// a file cannot be written.
#include "model/EqBuilder.h"
#include "model/EqModel.h"
#include "model/EqOutput.h"
#include "model/EqSpacing.h"
#include "model/EqStream.h"
#include "platform/ClipboardService.h"
#include "platform/DialogService.h"
#include "platform/LangTable.h"
#include "platform/MessageSink.h"
#include "platform/RegKey.h"
#include "platform/RegistryStore.h"
#include "platform/emf/EmfCheck.h"
#include "platform/gdiplus/Bitmap.h"
#include "platform/gdiplus/Graphics.h"
#include "sheet/CKwEESheet.h"
#include "sheet/SheetBackend.h"
#include "sheet/SheetScript.h"
#include "sheet/editing/CommandCodes.h"
#include "sheet/editing/PictureExport.h"
#include "tests/common/ModelFixtures.h"
#include "tests/common/TestSupport.h"
#include "tests/model/EqLayoutTestSupport.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <gif_lib.h>

#include <sys/resource.h>

#include <climits>
#include <cmath>
#include <csignal>
#include <cstring>
#include <memory>

namespace toliva {
namespace {

const QString kAppSettings = QStringLiteral("Software\\Toliva\\AppSettings");
const QString kEqSettings = QStringLiteral("Software\\Toliva\\EqSettings");
const QString kFolders = QStringLiteral("Software\\Toliva\\FDInit");

void writeDword(const QString& keyPath, const QString& name, int value) {
    RegKey key;
    ASSERT_TRUE(OpenRegKey(keyPath, key));
    ASSERT_TRUE(WriteRegDword(key, name, value));
}

int readDword(const QString& keyPath, const QString& name, int missing = INT_MIN) {
    RegKey key;
    OpenRegKey(keyPath, key);
    int out = missing;
    ReadRegDword(key, name, out, missing);
    return out;
}

QString readString(const QString& keyPath, const QString& name) {
    RegKey key;
    OpenRegKey(keyPath, key);
    QString out;
    ReadRegString(key, name, out, QStringLiteral("(none)"));
    return out;
}

// The picture's size worked out apart from the renderer: the equation laid
// out for output at the scale, and the margins from the style's spacings.
QSize expectedSize(const RenderContext& context, EqModel* eq, float scale) {
    gp::PainterGraphics measuring(nullptr);
    LayoutForOutput(context, &measuring, eq, {0, 0}, scale);
    InvalidateAllLineCaches(eq);
    const auto& sp = eq->settings.spacing;
    const double F = double(eq->settings.fontSize) * scale;
    const double w = (double(sp[32]) + double(sp[45]) + 0.1) * F + double(eq->widestLine);
    const double h = (double(sp[33]) + double(sp[46]) + 0.1) * F + double(eq->totalHeight);
    return {std::max(1, int(w)), std::max(1, int(h))};
}

// A GIF read back through giflib.
struct GifPicture {
    bool ok = false;
    int width = 0, height = 0;
    QImage image;  // the first frame's pixels through its palette
};

GifPicture readGif(const QByteArray& bytes) {
    struct Source {
        const QByteArray* bytes;
        qsizetype at = 0;
    } source{&bytes};
    const InputFunc read = [](GifFileType* gif, GifByteType* out, int length) -> int {
        auto* s = static_cast<Source*>(gif->UserData);
        const int n = int(std::min<qsizetype>(length, s->bytes->size() - s->at));
        std::memcpy(out, s->bytes->constData() + s->at, size_t(n));
        s->at += n;
        return n;
    };
    GifPicture out;
    int error = 0;
    GifFileType* gif = DGifOpen(&source, read, &error);
    if (!gif) return out;
    if (DGifSlurp(gif) == GIF_OK && gif->ImageCount >= 1) {
        const SavedImage& frame = gif->SavedImages[0];
        const ColorMapObject* map = frame.ImageDesc.ColorMap ? frame.ImageDesc.ColorMap : gif->SColorMap;
        out.width = gif->SWidth;
        out.height = gif->SHeight;
        out.ok = map && frame.ImageDesc.Width == gif->SWidth && frame.ImageDesc.Height == gif->SHeight;
        if (out.ok) {
            out.image = QImage(out.width, out.height, QImage::Format_RGB32);
            for (int y = 0; y < out.height; ++y)
                for (int x = 0; x < out.width; ++x) {
                    const int index = frame.RasterBits[size_t(y) * size_t(out.width) + size_t(x)];
                    out.ok = out.ok && index < map->ColorCount;
                    const GifColorType c = map->Colors[index < map->ColorCount ? index : 0];
                    out.image.setPixel(x, y, qRgb(c.Red, c.Green, c.Blue));
                }
        }
    }
    DGifCloseFile(gif, &error);
    return out;
}

// A picture file read back through Qt's readers: its format, size and
// resolution.
struct ReadBack {
    QByteArray format;
    QImage image;
};

ReadBack readPicture(const QString& path) {
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    ReadBack out;
    out.format = reader.format();
    out.image = reader.read();
    return out;
}

// Whether two colours differ by at most tolerance in each channel.
bool near(QRgb a, QRgb b, int tolerance) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance && std::abs(qAlpha(a) - qAlpha(b)) <= tolerance;
}

// Lowers the soft limit on the size of a file this process writes for the
// object's lifetime, with SIGXFSZ ignored: a write beyond it fails with
// EFBIG, as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit) {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_signal = ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit r = m_saved;
        r.rlim_cur = limit;
        ::setrlimit(RLIMIT_FSIZE, &r);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        ::signal(SIGXFSZ, m_signal);
    }

private:
    struct rlimit m_saved {};
    void (*m_signal)(int) = nullptr;
};

class ExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const QString& key : {kAppSettings, kEqSettings, kFolders}) RegistryStore::instance().deleteKey(key);
        app.userFolder = folder.path() + '/';
        // Margins of four sizes, so each spacing shows where it counts.
        EqLayoutSettings style = test::builtInStyle();
        style.spacing[SpacingPictureMarginLeft] = 0.5f;
        style.spacing[SpacingPictureMarginTop] = 0.25f;
        style.spacing[SpacingPictureMarginRight] = 1.0f;
        style.spacing[SpacingPictureMarginBottom] = 0.75f;
        style.colours[EqLayoutSettings::ColourBackground] = kBackground;
        eq = std::make_unique<EqModel>(style);
        EqBuilder b(eq.get());
        EqElement* line = b.line();
        b.text(line, u"ab", EqTypeCharItalic);
        EqElement* frac = b.add(line, EqTypeFraction, 2);
        b.text(EqBuilder::arg(frac, 0), u"x", EqTypeCharItalic);
        b.text(EqBuilder::arg(frac, 1), u"2");
        EqElement* line1 = b.line();
        b.text(line1, u"c+1");
        auto owned = std::make_unique<HeadlessSheetBackend>();
        backend = owned.get();
        sheet = std::make_unique<CKwEESheet>(app, test::programContext(), nullptr, std::move(owned));
        ShowSheetOffscreen(*sheet, QSize(400, 300), eq.get());
    }

    const RenderContext& context() const { return test::programContext(); }
    QString file(const QString& name) const { return folder.file(name); }
    QString expText(const char* group, int item) {
        LangTable table(QStringLiteral("en"), QStringLiteral("EXP.xml"));
        return LoadLangString(table, QString::fromLatin1(group), item);
    }
    // Runs the export command with the save dialog answered by path (empty:
    // Cancel).
    void exportTo(const QString& path) {
        pickers.answers.push_back(path.isEmpty() ? ScriptedDialogService::Answer::cancel(ScriptedDialogService::Kind::File)
                                                 : ScriptedDialogService::Answer::withFile(path));
        sheet->ExecuteCommand(CMD_EXPORT);
    }
    QStringList filesInFolder() const { return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden); }

    static constexpr gp::ARGB kBackground = 0xFF336699;

    test::ScratchFolder folder;
    AppContext app;
    RecordingMessageSink messages;
    ScopedMessageSink messageGuard{&messages};
    MemoryClipboardService clipboard;
    ScopedClipboardService clipboardGuard{&clipboard};
    ScriptedDialogService pickers;
    ScopedDialogService pickerGuard{&pickers};
    std::unique_ptr<EqModel> eq;
    std::unique_ptr<CKwEESheet> sheet;
    HeadlessSheetBackend* backend = nullptr;
};

// ---- types, endings, encoders

TEST(ExportTypes, TheStoredTypeAndTheFileEndingChooseTheType) {
    struct StoredCase {
        int stored;
        int offered;
    };
    const StoredCase stored[] = {{0, 1}, {1, 2}, {4, 5}, {5, 6}, {6, 6}, {7, 6}, {100, 6}, {-1, 6}, {INT_MIN, 6}};
    for (const StoredCase& c : stored) EXPECT_EQ(PreselectedExportType(c.stored), c.offered) << c.stored;

    struct PathCase {
        const char* path;
        int offered;
        int type;
    };
    const PathCase paths[] = {
        {"/t/a.emf", 1, ExportMetafileType}, {"/t/a.EMF", 1, ExportMetafileType}, {"/t/a.png", 6, ExportPng},
        {"/t/a.JPG", 6, ExportJpeg},         {"/t/a.jpeg", 6, ExportJpeg},        {"/t/a.gif", 6, ExportGif},
        {"/t/a.tiff", 6, ExportTiff},        {"/t/a.tif", 6, ExportTiff},         {"/t/a.Bmp", 6, ExportBmp},
        {"/t/a.xyz", 3, ExportGif},          {"/t/a.xyz", 6, ExportMetafileType}, {"/t/noending", 2, ExportJpeg},
    };
    for (const PathCase& c : paths)
        EXPECT_EQ(ExportTypeOfPath(QString::fromLatin1(c.path), c.offered), c.type) << c.path << " " << c.offered;
}

TEST(ExportTypes, TheEncoderFollowsTheEndingWhateverItsCase) {
    struct Case {
        const char* path;
        const char* mime;
    };
    // "A.JPG" is a JPEG, not a BMP: the ending is compared without case.
    const Case cases[] = {
        {"a.png", "image/png"},   {"A.PNG", "image/png"},   {"a.jpg", "image/jpeg"}, {"A.JPG", "image/jpeg"},
        {"a.jpeg", "image/jpeg"}, {"a.JPEG", "image/jpeg"}, {"a.gif", "image/gif"},  {"a.GIF", "image/gif"},
        {"a.tiff", "image/tiff"}, {"a.TIF", "image/tiff"},  {"a.bmp", "image/bmp"},  {"a.emf", "image/bmp"},
        {"a", "image/bmp"},       {"", "image/bmp"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ImageMimeTypeForPath(QString::fromLatin1(c.path)), QString::fromLatin1(c.mime)) << c.path;
}

TEST(ExportTypes, TransparencyIsForTheClipboardPngAndEmfInAnyCase) {
    struct Case {
        const char* path;
        bool allowed;
    };
    const Case cases[] = {{"", true},       {"a:", true},      {"abc", true},    {"a.png", true},  {"A.PNG", true},
                          {"a.Emf", true},  {"a.jpg", false},  {"a.bmp", false}, {"a.gif", false}, {"a.tiff", false},
                          {"a.pngx", false}};
    for (const Case& c : cases) EXPECT_EQ(ExportAllowsTransparency(QString::fromLatin1(c.path)), c.allowed) << c.path;
}

TEST(ExportTypes, FindImageEncoderGivesTheIndexOfAnExactMimeTypeOrMinusOne) {
    const char* mimes[] = {"image/bmp", "image/jpeg", "image/gif", "image/tiff", "image/png"};
    int previous = -1;
    for (const char* mime : mimes) {
        const int index = FindImageEncoder(QString::fromLatin1(mime));
        if (index < 0 && QString::fromLatin1(mime) == u"image/tiff") {
            // Qt's TIFF writer comes with qt6-image-formats-plugins.
            TOLIVA_SKIP_UNLESS_CI() << "Qt has no TIFF writer here (qt6-image-formats-plugins)";
        }
        ASSERT_GT(index, previous) << mime;
        EXPECT_EQ(ImageEncoderMimeType(index), QString::fromLatin1(mime));
        previous = index;
    }
    EXPECT_EQ(ImageEncoderCount(), previous + 1);
    for (const char* other : {"image/PNG", "", "image/webp", "png", "image/png "})
        EXPECT_EQ(FindImageEncoder(QString::fromLatin1(other)), -1) << other;
    EXPECT_EQ(ImageEncoderMimeType(-1), QString());
    EXPECT_EQ(ImageEncoderMimeType(ImageEncoderCount()), QString());
}

TEST(ExportTypes, TheGifEncoderKeepsTheColoursAndRefusesWhatAGifCannotHold) {
    QImage image(37, 11, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(0x33, 0x66, 0x99));
    for (int x = 5; x < 20; ++x) image.setPixel(x, 4, qRgb(255, 0, 0));
    image.setPixel(30, 9, qRgb(255, 255, 255));
    QByteArray bytes;
    ASSERT_TRUE(EncodeGif(image, &bytes));
    const GifPicture gif = readGif(bytes);
    ASSERT_TRUE(gif.ok);
    EXPECT_EQ(gif.width, 37);
    EXPECT_EQ(gif.height, 11);
    // The palette is made by median cut on five bits a channel.
    for (QPoint p : {QPoint(0, 0), QPoint(7, 4), QPoint(30, 9), QPoint(36, 10)})
        EXPECT_TRUE(near(gif.image.pixel(p), image.pixel(p), 8)) << p.x() << "," << p.y();

    QString problem;
    EXPECT_FALSE(EncodeGif(QImage(), &bytes, &problem));
    EXPECT_FALSE(problem.isEmpty());
    QImage wide(70000, 1, QImage::Format_RGB32);
    wide.fill(Qt::white);
    EXPECT_FALSE(EncodeGif(wide, &bytes, &problem));
    EXPECT_TRUE(problem.contains(QStringLiteral("70000"))) << problem.toStdString();
}

// ---- resolution, size, background

TEST_F(ExportTest, TheResolutionIsAtLeastEightDotsPerInchAndSetsTheScale) {
    struct Case {
        int stored;  // INT_MIN: no value
        int dpi;
    };
    const Case cases[] = {{INT_MIN, 96}, {0, 8}, {5, 8}, {-300, 8}, {8, 8}, {9, 9}, {300, 300}};
    for (const Case& c : cases) {
        RegistryStore::instance().deleteKey(kEqSettings);
        if (c.stored != INT_MIN) writeDword(kEqSettings, QStringLiteral("ExpResolu"), c.stored);
        EXPECT_EQ(ReadExportResolution(), c.dpi) << c.stored;
    }
    EXPECT_FLOAT_EQ(ExportScale(0), 8 * 3.2f / 96);
    EXPECT_FLOAT_EQ(ExportScale(5), 8 * 3.2f / 96);
    EXPECT_FLOAT_EQ(ExportScale(96), 3.2f);
    EXPECT_FLOAT_EQ(ExportScale(300), 10.0f);
}

TEST_F(ExportTest, ThePictureIsTheMarginsAroundTheContentAtTheScale) {
    for (int dpi : {8, 96, 300}) {
        SCOPED_TRACE(dpi);
        const float f = ExportScale(dpi);
        const QSize expected = expectedSize(context(), eq.get(), f);
        const QImage image = RenderExportBitmap(context(), eq.get(), dpi, false);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), expected);

        // The margins are bare background; the content starts right after
        // the left and top margins.
        const ExportMargins m = ExportMarginsOf(eq.get(), f);
        EXPECT_FLOAT_EQ(m.left, 0.5f * eq->settings.fontSize * f);
        EXPECT_FLOAT_EQ(m.bottom, 0.85f * eq->settings.fontSize * f);
        const QRgb bg = QColor::fromRgba(kBackground).rgba();
        int firstInkX = image.width(), firstInkY = image.height();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (!near(image.pixel(x, y), bg, 2)) {
                    firstInkX = std::min(firstInkX, x);
                    firstInkY = std::min(firstInkY, y);
                }
        EXPECT_GE(firstInkX, int(m.left) - 1);
        EXPECT_LE(firstInkX, int(m.left + 0.2f * eq->settings.fontSize * f) + 1);
        EXPECT_GE(firstInkY, int(m.top) - 1);
        EXPECT_EQ(image.dotsPerMeterX(), 2835);  // 72 dpi until it is saved
    }
    // Drawing gives the equation's state back: no highlight lost, no cached
    // line left at the export's scale.
    EXPECT_EQ(eq->markHighlight, 1);
    EXPECT_EQ(eq->outlineText, 0);
    for (EqElement* line : eq->lines) EXPECT_EQ(line->lineBitmap, nullptr);
}

TEST_F(ExportTest, OptionFiveMakesPngTransparentWhileJpegKeepsColourFifteen) {
    struct Case {
        const char* name;
        int option5;
        int alpha;  // of the corner pixel read back
    };
    const Case cases[] = {{"t.png", 1, 0}, {"T.PNG", 1, 0}, {"o.png", 0, 255}, {"t.jpg", 1, 255}, {"t.bmp", 1, 255}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        eq->settings.ints[5] = c.option5;
        sheet->ExportBitmapFile(file(QString::fromLatin1(c.name)));
        const ReadBack back = readPicture(file(QString::fromLatin1(c.name)));
        ASSERT_FALSE(back.image.isNull());
        const QRgb corner = back.image.pixel(0, 0);
        EXPECT_EQ(qAlpha(corner), c.alpha);
        if (c.alpha == 255) {
            EXPECT_TRUE(near(corner, QColor::fromRgba(kBackground).rgba(), 6)) << std::hex << corner;
        }
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ExportTest, MarksAndEmptySlotsAreNotInThePictures) {
    // An empty argument would get its box on the screen, a marked element
    // its highlight.
    EqBuilder(eq.get()).add(eq->lines[1], EqTypeFraction, 2);
    eq->lines[0]->next->mark = 1;
    eq->markHighlight = 1;
    const QImage marked = RenderExportBitmap(context(), eq.get(), 96, false);
    const QByteArray markedEmf = RecordEquationMetafile(context(), eq.get());
    EXPECT_EQ(eq->markHighlight, 1);
    eq->lines[0]->next->mark = 0;
    eq->markHighlight = 0;
    EXPECT_EQ(RenderExportBitmap(context(), eq.get(), 96, false), marked);
    EXPECT_EQ(RecordEquationMetafile(context(), eq.get()), markedEmf);
    EXPECT_EQ(eq->markHighlight, 0);
    EXPECT_EQ(eq->outlineText, 0);
}

TEST_F(ExportTest, APngFileHoldsExactlyThePixelsOfTheWholePicture) {
    // A PNG is drawn band by band; lines and strokes cross the bands' edges.
    EqBuilder b(eq.get());
    for (int k = 0; k < 6; ++k) test::addSampleLine(b, k);
    for (int dpi : {175, 300}) {
        writeDword(kEqSettings, QStringLiteral("ExpResolu"), dpi);
        for (int option5 : {0, 1}) {
            SCOPED_TRACE(testing::Message() << dpi << " dpi, option 5: " << option5);
            eq->settings.ints[5] = option5;
            const QImage whole =
                RenderExportBitmap(context(), eq.get(), dpi, true).convertToFormat(QImage::Format_ARGB32);
            ASSERT_GT(whole.height(), 600);
            const QString path = file(QStringLiteral("bands.png"));
            sheet->ExportBitmapFile(path);
            const ReadBack back = readPicture(path);
            ASSERT_EQ(back.format, QByteArray("png"));
            EXPECT_EQ(back.image.hasAlphaChannel(), option5 == 1);
            EXPECT_TRUE(back.image.convertToFormat(QImage::Format_ARGB32) == whole);
        }
    }
}

// ---- the export dialog and the files it writes

TEST_F(ExportTest, EachTypeIsWrittenAsItsFormatAndReadsBack) {
    writeDword(kEqSettings, QStringLiteral("ExpResolu"), 150);
    const QSize size = expectedSize(context(), eq.get(), ExportScale(150));
    struct Case {
        const char* name;
        int type;
        const char* format;  // Qt's reader, "gif" giflib, "emf" libUEMF
    };
    const Case cases[] = {
        {"e.png", ExportPng, "png"},   {"e.jpg", ExportJpeg, "jpeg"}, {"e.gif", ExportGif, "gif"},
        {"e.tiff", ExportTiff, "tiff"}, {"e.bmp", ExportBmp, "bmp"},   {"e.emf", ExportMetafileType, "emf"},
        // The ending is compared without case: not a BMP named JPG.
        {"A.JPG", ExportJpeg, "jpeg"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = file(QString::fromLatin1(c.name));
        exportTo(path);
        ASSERT_TRUE(QFileInfo::exists(path));
        EXPECT_EQ(readDword(kAppSettings, QStringLiteral("iExp")), c.type - 1);
        const QByteArray format(c.format);
        if (format == "emf") {
            const emf::MetafileCheck check = emf::checkEmf(test::readFile(path));
            EXPECT_TRUE(check.ok) << check.problem.toStdString();
            EXPECT_GT(check.records, 2);
        } else if (format == "gif") {
            const GifPicture gif = readGif(test::readFile(path));
            ASSERT_TRUE(gif.ok);
            EXPECT_EQ(QSize(gif.width, gif.height), size);
            EXPECT_TRUE(near(gif.image.pixel(0, 0), QColor::fromRgba(kBackground).rgba(), 8));
        } else {
            const ReadBack back = readPicture(path);
            EXPECT_EQ(back.format, format);
            EXPECT_EQ(back.image.size(), size);
            // Every format but BMP carries the resolution.
            if (format != "bmp") {
                EXPECT_NEAR(back.image.dotsPerMeterX(), 150 / 0.0254, 2);
            }
        }
    }
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(pickers.mismatches, 0);
}

TEST_F(ExportTest, TheDialogOffersTheLastTypeFirstAndStartsInTheLastFolder) {
    struct Case {
        int stored;  // INT_MIN: no value
        int offered;
    };
    const Case cases[] = {{INT_MIN, 1}, {2, 3}, {5, 6}, {6, 6}, {7, 6}, {-1, 6}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        RegistryStore::instance().deleteKey(kAppSettings);
        if (c.stored != INT_MIN) writeDword(kAppSettings, QStringLiteral("iExp"), c.stored);
        exportTo(QString());
        ASSERT_FALSE(pickers.fileRequests.empty());
        const FileDialogRequest& r = pickers.fileRequests.back();
        EXPECT_TRUE(r.save);
        EXPECT_TRUE(r.overwritePrompt);
        EXPECT_EQ(r.owner, sheet.get());
        EXPECT_EQ(r.defaultName, expText("gCS_2", c.offered));
        EXPECT_EQ(r.defaultExtension, expText("gCS_1", c.offered));
        // Every type's piece is in the filter, the offered one first.
        EXPECT_TRUE(r.filter.startsWith(expText("gCS_3", c.offered))) << r.filter.toStdString();
        for (int type = 1; type <= kExportTypeCount; ++type) EXPECT_TRUE(r.filter.contains(expText("gCS_3", type)));
        // Cancel leaves the stored type as it was.
        EXPECT_EQ(readDword(kAppSettings, QStringLiteral("iExp")), c.stored);
    }
    EXPECT_EQ(expText("gCS_3", 1), QStringLiteral("PNG picture (*.png)|*.png|"));

    // A file chosen in a folder: the next dialog starts there.
    QDir(folder.path()).mkdir(QStringLiteral("pictures"));
    const QString sub = file(QStringLiteral("pictures"));
    exportTo(sub + QStringLiteral("/x.png"));
    EXPECT_EQ(readString(kFolders, QStringLiteral("LID_5")), sub + '/');
    exportTo(QString());
    EXPECT_EQ(pickers.fileRequests.back().initialFolder, sub + '/');
}

TEST_F(ExportTest, CancelWritesNothingAndKeepsTheStoredType) {
    writeDword(kAppSettings, QStringLiteral("iExp"), 2);
    const QByteArray before = EquationToBytes(eq.get(), true);
    exportTo(QString());
    EXPECT_EQ(pickers.fileRequests.size(), 1u);
    EXPECT_EQ(readDword(kAppSettings, QStringLiteral("iExp")), 2);
    EXPECT_TRUE(filesInFolder().isEmpty()) << filesInFolder().join(' ').toStdString();
    EXPECT_EQ(readString(kFolders, QStringLiteral("LID_5")), QStringLiteral("(none)"));
    EXPECT_EQ(EquationToBytes(eq.get(), true), before);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(clipboard.writes, 0);
}

// ---- too large, and files that cannot be written

TEST_F(ExportTest, APictureTooLargeForTheResolutionIsRefusedWithAMessage) {
    // 2^31 - 1 dpi asks for far more pixels than any bitmap may hold.
    writeDword(kEqSettings, QStringLiteral("ExpResolu"), INT_MAX);
    exportTo(file(QStringLiteral("huge.png")));
    EXPECT_TRUE(filesInFolder().isEmpty()) << filesInFolder().join(' ').toStdString();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.startsWith(QStringLiteral("At the export resolution of 2147483647 dpi")))
        << messages.shown[0].text.toStdString();
    EXPECT_TRUE(messages.shown[0].text.contains(QString::number(gp::kMaxBitmapPixels)));
    EXPECT_EQ(readDword(kAppSettings, QStringLiteral("iExp")), ExportPng - 1);

    // The picture copy is refused the same way, leaving the clipboard alone.
    sheet->CopyPicture();
    EXPECT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(clipboard.writes, 0);

    // In Chinese too.
    app.lanSel = 2;
    sheet->ExportBitmapFile(file(QStringLiteral("huge.png")));
    ASSERT_EQ(messages.shown.size(), 3u);
    EXPECT_TRUE(messages.shown[2].text.contains(QStringLiteral("2147483647 dpi")));
    EXPECT_NE(messages.shown[2].text, messages.shown[0].text);

    // A resolution that fits is drawn: the limit is on the pixels only.
    writeDword(kEqSettings, QStringLiteral("ExpResolu"), 600);
    sheet->ExportBitmapFile(file(QStringLiteral("fine.png")));
    EXPECT_TRUE(QFileInfo::exists(file(QStringLiteral("fine.png"))));
    EXPECT_EQ(messages.shown.size(), 3u);
}

TEST_F(ExportTest, AFailedWriteLeavesTheOldFileWholeAndNoPartOfTheNewOne) {
    const QString png = file(QStringLiteral("old.png"));
    const QString emf = file(QStringLiteral("old.emf"));
    ASSERT_TRUE(test::writeFile(png, "old picture"));
    ASSERT_TRUE(test::writeFile(emf, "old metafile"));
    FindImageEncoder(QStringLiteral("image/png"));  // the image plugins are loaded before the limit
    {
        // Room for the old files, not for a whole new picture.
        const FileSizeLimit limit(64);
        exportTo(png);
        exportTo(emf);
    }
    EXPECT_EQ(test::readFile(png), QByteArray("old picture"));
    EXPECT_EQ(test::readFile(emf), QByteArray("old metafile"));
    EXPECT_EQ(filesInFolder().size(), 2) << filesInFolder().join(' ').toStdString();
    // The user is told that the picture was not saved, and why.
    ASSERT_EQ(messages.shown.size(), 2u);
    for (const auto& m : messages.shown) EXPECT_TRUE(m.text.startsWith(expText("gMSG_1", 2)));
    EXPECT_TRUE(messages.shown[0].text.contains(png));
    EXPECT_TRUE(messages.shown[1].text.contains(emf));

    // SaveBitmapFile says 1 or 0.
    QImage image(4, 3, QImage::Format_ARGB32);
    image.fill(Qt::red);
    EXPECT_EQ(SaveBitmapFile(file(QStringLiteral("s.png")), image, 300), 1);
    EXPECT_NEAR(readPicture(file(QStringLiteral("s.png"))).image.dotsPerMeterX(), 300 / 0.0254, 2);
    EXPECT_EQ(SaveBitmapFile(file(QStringLiteral("missing/s.png")), image, 300), 0);
    EXPECT_EQ(SaveBitmapFile(folder.path(), image, 96), 0);  // a folder is not replaced
}

// ---- the picture copy

TEST_F(ExportTest, ThePictureCopyPutsABitmapOrAMetafileOnTheClipboard) {
    // Format 1, the default: the bitmap, opaque on white even where the
    // background is transparent.
    eq->settings.ints[5] = 1;
    sheet->CopyPicture();
    ASSERT_TRUE(clipboard.hasImage());
    const QImage copied = clipboard.image();
    EXPECT_EQ(copied.size(), expectedSize(context(), eq.get(), ExportScale(96)));
    EXPECT_EQ(copied.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(eq->settings.ints[5], 1);

    // Any other format: the metafile, recorded in memory.
    writeDword(kAppSettings, QStringLiteral("CaptureFormat"), 0);
    sheet->CopyPicture();
    ASSERT_TRUE(clipboard.hasFormat(QStringLiteral("image/emf")));
    const emf::MetafileCheck check = emf::checkEmf(clipboard.data(QStringLiteral("image/emf")));
    EXPECT_TRUE(check.ok) << check.problem.toStdString();
    EXPECT_TRUE(filesInFolder().isEmpty());
    EXPECT_TRUE(messages.shown.empty());

    // Without an equation there is nothing to copy.
    const int writes = clipboard.writes;
    CKwEESheet empty(app, context(), nullptr, std::make_unique<HeadlessSheetBackend>());
    empty.CopyPicture();
    empty.ExecuteCommand(CMD_EXPORT);
    EXPECT_EQ(clipboard.writes, writes);
    EXPECT_EQ(pickers.fileRequests.size(), 0u);
}

}  // namespace
}  // namespace toliva
