// The player on damaged bytes and on files written elsewhere. Run under
// AddressSanitizer, every case here also proves that nothing is read out of
// bounds.
#include "EmfTestSupport.h"

#include "platform/emf/EmfFormat.h"
#include "platform/emf/EmfInfo.h"

#include <gtest/gtest.h>

#include <uemf_utf.h>

using namespace toliva::emf;
using namespace toliva::emf::test;

namespace {

const QSize kSize(90, 30);
const QRect kFirst(2, 2, 20, 20), kSecond(34, 2, 20, 20), kThird(66, 2, 20, 20);

// Three squares, each drawn by its own rectangle record.
QByteArray threeSquares() {
    return record(
        [](QPainter& p) {
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::black);
            for (const QRect& r : {kFirst, kSecond, kThird}) p.drawRect(r);
        },
        QSizeF(kSize));
}

struct Rec {
    int offset;
    uint32_t type;
};

std::vector<Rec> records(const QByteArray& emf) {
    std::vector<Rec> out;
    int at = 0;
    while (at + 8 <= emf.size()) {
        uint32_t type, size;
        std::memcpy(&type, emf.constData() + at, 4);
        std::memcpy(&size, emf.constData() + at + 4, 4);
        out.push_back({at, type});
        if (size < 8) break;
        at += int(size);
    }
    return out;
}

int nth(const QByteArray& emf, uint32_t type, int n) {
    int seen = 0;
    for (const Rec& r : records(emf))
        if (r.type == type && seen++ == n) return r.offset;
    return -1;
}

void putU32(QByteArray* b, int at, uint32_t v) { std::memcpy(b->data() + at, &v, 4); }

// Which of the three squares came out.
std::array<bool, 3> squaresDrawn(const QByteArray& emf) {
    const QImage img = playInto(emf, kSize);
    return {inkedPixels(img, kFirst) > 300, inkedPixels(img, kSecond) > 300, inkedPixels(img, kThird) > 300};
}

QByteArray u32s(std::initializer_list<uint32_t> values) {
    QByteArray out;
    for (uint32_t v : values) out.append(reinterpret_cast<const char*>(&v), 4);
    return out;
}

}  // namespace

TEST(EmfPlayer, EveryTruncationDrawsWhatIsIntact) {
    const QByteArray emf = threeSquares();
    for (int cut = 0; cut <= emf.size(); ++cut) {
        const QByteArray part = emf.left(cut);
        playInto(part, kSize);
        readEmfHeader(part);
        emfComments(part);
    }
    // Cut inside the second square's record: the first one stays.
    const int second = nth(emf, EMR_RECTANGLE, 1);
    ASSERT_GT(second, 0);
    EXPECT_EQ(squaresDrawn(emf.left(second + 12)), (std::array<bool, 3>{true, false, false}));
    EXPECT_EQ(squaresDrawn(emf), (std::array<bool, 3>{true, true, true}));
}

TEST(EmfPlayer, DamagedRecordsEndTheWalkAndUnknownOnesAreSkipped) {
    const QByteArray good = threeSquares();
    const int second = nth(good, EMR_RECTANGLE, 1);
    ASSERT_GT(second, 0);
    struct Case {
        const char* name;
        std::function<void(QByteArray*)> damage;
        std::array<bool, 3> drawn;
    };
    const Case cases[] = {
        {"size 0", [&](QByteArray* b) { putU32(b, second + 4, 0); }, {true, false, false}},
        {"size under 8", [&](QByteArray* b) { putU32(b, second + 4, 4); }, {true, false, false}},
        {"size not a multiple of 4", [&](QByteArray* b) { putU32(b, second + 4, 26); }, {true, false, false}},
        {"size past the end", [&](QByteArray* b) { putU32(b, second + 4, 0x7FFFFFF0); }, {true, false, false}},
        {"size past the end by 4", [&](QByteArray* b) { putU32(b, second + 4, uint32_t(b->size() - second + 4)); },
         {true, false, false}},
        {"header counts more bytes than there are",
         [&](QByteArray* b) { putU32(b, 48, uint32_t(b->size()) + 1000); }, {true, true, true}},
        {"header counts fewer bytes: the count ends the walk", [&](QByteArray* b) { putU32(b, 48, uint32_t(second)); },
         {true, false, false}},
        {"header byte count 0", [&](QByteArray* b) { putU32(b, 48, 0); }, {true, true, true}},
        {"unknown record type", [&](QByteArray* b) { putU32(b, second, 0xBEEF); }, {true, false, true}},
        {"record too short for its fields", [&](QByteArray* b) {
             b->insert(second, u32s({EMR_RECTANGLE, 12, 5}));
         }, {true, true, true}},
        {"inserted unknown record", [&](QByteArray* b) {
             b->insert(second, u32s({0x12345678, 16, 1, 2}));
         }, {true, true, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray bad = good;
        c.damage(&bad);
        EXPECT_EQ(squaresDrawn(bad), c.drawn);
    }
}

TEST(EmfPlayer, NotAMetafileDrawsNothing) {
    const QByteArray good = threeSquares();
    const QByteArray cases[] = {QByteArray(), QByteArray(7, '\1'), QByteArray("not a metafile at all, no"),
                                good.left(87), QByteArray(good).replace(40, 4, "XEMF")};
    for (const QByteArray& bytes : cases) {
        EmfPlayResult r;
        const QImage img = playInto(bytes, kSize, QRectF(), &r);
        EXPECT_FALSE(r.valid);
        EXPECT_EQ(inkedPixels(img), 0);
        EXPECT_FALSE(readEmfHeader(bytes).has_value());
    }
}

TEST(EmfPlayer, HostileStateRecordsAreBounded) {
    ForeignEmf f(40, 40);
    // Handles outside the table, handle 0 and stock indices that do not exist.
    f.add(U_EMRCREATEBRUSHINDIRECT_set(0, logbrush_set(U_BS_SOLID, colorref3_set(255, 0, 0), 0)));
    f.add(U_EMRCREATEBRUSHINDIRECT_set(0xFFFF, logbrush_set(U_BS_SOLID, colorref3_set(255, 0, 0), 0)));
    f.add(U_EMRSELECTOBJECT_set(0xFFFF));
    f.add(U_EMRSELECTOBJECT_set(0x80000063));
    f.add(U_EMRDELETEOBJECT_set(0x7FFFFFFF));
    // Restores without saves, then far more saves than are kept.
    f.add(U_EMRRESTOREDC_set(-5));
    f.add(U_EMRRESTOREDC_set(100));
    for (int i = 0; i < kMaxSavedStates + 500; ++i) f.add(U_EMRSAVEDC_set());
    f.add(U_EMRCREATEBRUSHINDIRECT_set(1, logbrush_set(U_BS_SOLID, colorref3_set(0, 0, 0), 0)));
    f.add(U_EMRSELECTOBJECT_set(1));
    f.add(U_EMRSELECTOBJECT_set(0x80000000 | NULL_PEN));
    f.add(U_EMRRECTANGLE_set(U_RECTL{0, 0, 20, 40}));
    for (int i = 0; i < kMaxSavedStates + 500; ++i) f.add(U_EMRRESTOREDC_set(-1));
    // Back at the first state: the white stock brush and black pen.
    f.add(U_EMRRECTANGLE_set(U_RECTL{24, 0, 40, 40}));
    // A polygon that claims more points than it holds.
    f.raw(u32s({EMR_POLYGON16, 40, 0, 0, 10, 10, 0x7FFFFFFF, 0x00050005, 0x00100010, 0x00050010}));
    const QByteArray emf = f.finish(4);
    EmfPlayResult r;
    const QImage img = playInto(emf, QSize(40, 40), QRectF(), &r);
    EXPECT_TRUE(r.reachedEof);
    EXPECT_EQ(inkedPixels(img, QRect(2, 2, 16, 36)), 16 * 36);     // black square, drawn while saved deep
    EXPECT_EQ(inkedPixels(img, QRect(27, 3, 10, 34)), 0);           // white inside the second one
    EXPECT_GT(inkedPixels(img, QRect(24, 0, 1, 40)), 30);           // its black outline
}

TEST(EmfPlayer, ReadsFilesWrittenElsewhere) {
    // Mapping modes: 1000 x 1000 logical units onto the 100 x 100 picture.
    std::vector<uint16_t> face = {'D', 'e', 'j', 'a', 'V', 'u', ' ', 'S', 'a', 'n', 's', 0};
    U_LOGFONT lf = logfont_set(-300, 0, 0, 0, 700, 0, 0, 0, U_DEFAULT_CHARSET, 0, 0, 0, 0, face.data());
    size_t len = 0;
    uint16_t* text = U_Utf8ToUtf16le("HI", 0, &len);
    uint32_t dx[2] = {220, 220};
    char* emrtext = emrtext_set(U_POINTL{100, 700}, uint32_t(len), 2, text, U_ETO_NONE, U_RECTL{0, 0, -1, -1}, dx);
    std::free(text);

    QImage bitmap(2, 2, QImage::Format_RGB32);
    bitmap.setPixel(0, 0, qRgb(255, 0, 0));
    bitmap.setPixel(1, 0, qRgb(0, 255, 0));
    bitmap.setPixel(0, 1, qRgb(0, 0, 255));
    bitmap.setPixel(1, 1, qRgb(255, 255, 255));
    // 24-bit bottom-up rows, padded to 4 bytes.
    QByteArray px = QByteArray::fromHex("FF0000" "FFFFFF" "0000" "0000FF" "00FF00" "0000");
    U_BITMAPINFOHEADER bih = bitmapinfoheader_set(2, 2, 1, 24, U_BI_RGB, uint32_t(px.size()), 0, 0, 0, 0);
    PU_BITMAPINFO bmi = bitmapinfo_set(bih, nullptr);

    ForeignEmf f(100, 100);
    f.add(U_EMRSETMAPMODE_set(U_MM_ANISOTROPIC));
    f.add(U_EMRSETWINDOWEXTEX_set(U_SIZEL{1000, 1000}));
    f.add(U_EMRSETVIEWPORTEXTEX_set(U_SIZEL{100, 100}));
    f.add(U_EMRCREATEBRUSHINDIRECT_set(1, logbrush_set(U_BS_SOLID, colorref3_set(0, 0, 0), 0)));
    f.add(U_EMRSELECTOBJECT_set(1));
    f.add(U_EMRSELECTOBJECT_set(0x80000000 | NULL_PEN));
    // Clipped rectangle: only (0..300, 0..300) of it shows.
    f.add(U_EMRSAVEDC_set());
    f.add(U_EMRINTERSECTCLIPRECT_set(U_RECTL{0, 0, 300, 300}));
    f.add(U_EMRRECTANGLE_set(U_RECTL{0, 0, 500, 500}));
    f.add(U_EMRRESTOREDC_set(-1));
    // Bitmap into (600..1000, 0..400).
    f.add(U_EMRSTRETCHDIBITS_set(U_RECTL{60, 0, 100, 40}, U_POINTL{600, 0}, U_POINTL{400, 400}, U_POINTL{0, 0},
                                 U_POINTL{2, 2}, U_DIB_RGB_COLORS, U_SRCCOPY, bmi, uint32_t(px.size()), px.data()));
    // Text with a stand-in font.
    f.add(U_EMREXTCREATEFONTINDIRECTW_set(2, nullptr, reinterpret_cast<const char*>(&lf)));
    f.add(U_EMRSELECTOBJECT_set(2));
    f.add(U_EMRSETTEXTCOLOR_set(colorref3_set(0, 0, 200)));
    f.add(U_EMRSETTEXTALIGN_set(U_TA_BASELINE));
    f.add(U_EMREXTTEXTOUTW_set(U_RECTL{0, 0, -1, -1}, U_GM_COMPATIBLE, 1, 1, reinterpret_cast<PU_EMRTEXT>(emrtext)));
    // A transform set by multiplying: a square shifted to (600..800, 800..1000).
    f.add(U_EMRMODIFYWORLDTRANSFORM_set(xform_set(1, 0, 0, 1, 600, 800), U_MWT_LEFTMULTIPLY));
    f.add(U_EMRBITBLT_set(U_RECTL{0, 0, 0, 0}, U_POINTL{0, 0}, U_POINTL{200, 200}, U_POINTL{0, 0},
                          xform_set(1, 0, 0, 1, 0, 0), colorref3_set(0, 0, 0), U_DIB_RGB_COLORS, U_PATCOPY, nullptr,
                          0, nullptr));
    std::free(emrtext);
    std::free(bmi);

    const QByteArray emf = f.finish();
    EmfPlayResult r;
    const QImage img = playInto(emf, QSize(100, 100), QRectF(), &r);
    if (qEnvironmentVariableIsSet("TOLIVA_EMF_DUMP")) img.scaled(300, 300).save("/tmp/emf_foreign.png");
    EXPECT_TRUE(r.reachedEof);
    EXPECT_EQ(inkedPixels(img, QRect(2, 2, 26, 26)), 26 * 26);  // clipped square
    EXPECT_EQ(inkedPixels(img, QRect(32, 2, 16, 16)), 0);       // cut off by the clip
    EXPECT_EQ(img.pixel(70, 10), qRgb(255, 0, 0));               // the bitmap's top row
    EXPECT_EQ(img.pixel(90, 10), qRgb(0, 255, 0));
    EXPECT_EQ(img.pixel(70, 30), qRgb(0, 0, 255));
    EXPECT_EQ(img.pixel(90, 30), qRgb(255, 255, 255));
    EXPECT_GT(inkedPixels(img, QRect(10, 45, 50, 30)), 60);     // the text
    EXPECT_EQ(inkedPixels(img, QRect(62, 82, 16, 16)), 16 * 16);  // the pattern blit
}

TEST(EmfPlayer, FrameIsMappedOntoTheTarget) {
    const QByteArray emf = record(
        [](QPainter& p) { p.fillRect(QRectF(0, 0, 40, 20), Qt::black); }, QSizeF(40, 20));
    QImage img = blank(QSize(100, 60));
    {
        QPainter p(&img);
        p.translate(5, 5);  // the painter's own transform applies too
        EmfPlayer::play(emf, &p, QRectF(5, 5, 80, 40));
        EXPECT_EQ(p.transform(), QTransform::fromTranslate(5, 5));
    }
    EXPECT_EQ(inkedPixels(img), 80 * 40);
    EXPECT_EQ(inkedPixels(img, QRect(10, 10, 80, 40)), 80 * 40);
}
