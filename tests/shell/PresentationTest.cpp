// The picture an embedding container shows: the comment records and their
// bytes, the LaTeX text and its chunks, the baseline against the ink of the
// drawn equation, the cache and the container's metafile read back with
// libUEMF and drawn again, the extent of a picture too wide for 16 bits,
// and the embedded item's verbs, archive and clipboard data.
#include "ShellTestSupport.h"

#include "../common/ModelFixtures.h"
#include "../sheet/SheetTestSupport.h"
#include "model/EqOutput.h"
#include "model/EqStream.h"
#include "model/RenderContext.h"
#include "platform/Archive.h"
#include "platform/emf/EmfCheck.h"
#include "platform/emf/EmfPlayer.h"
#include "platform/emf/EmfRecorder.h"
#include "platform/gdiplus/Graphics.h"
#include "shell/CTolivaApp.h"
#include "shell/CTolivaDoc.h"
#include "shell/CTolivaSrvrItem.h"
#include "shell/CTolivaView.h"
#include "shell/ShellRegistration.h"
#include "shell/presentation/Presentation.h"
#include "sheet/editing/ClipboardData.h"
#include "sheet/editing/ClipboardFormats.h"

#include <QFileInfo>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QtEndian>

#include <climits>
#include <cmath>
#include <map>
#include <variant>

namespace toliva::test {
namespace {

// ---- reading Windows metafiles back

struct WmfRecord {
    uint32_t words = 0;
    uint16_t function = 0;
    QByteArray params;
    QByteArray bytes;  // the whole record
};

struct Wmf {
    bool placeable = false;
    QRect bounds;      // placeable header
    int unitsPerInch = 0;
    std::vector<WmfRecord> records;
};

uint16_t u16At(const QByteArray& b, qsizetype at) { return qFromLittleEndian<quint16>(b.constData() + at); }
int16_t i16At(const QByteArray& b, qsizetype at) { return qFromLittleEndian<qint16>(b.constData() + at); }
uint32_t u32At(const QByteArray& b, qsizetype at) { return qFromLittleEndian<quint32>(b.constData() + at); }

Wmf readWmf(const QByteArray& bytes) {
    Wmf wmf;
    qsizetype at = 0;
    if (bytes.size() >= 22 && u32At(bytes, 0) == 0x9AC6CDD7) {
        wmf.placeable = true;
        wmf.bounds = QRect(QPoint(i16At(bytes, 6), i16At(bytes, 8)), QPoint(i16At(bytes, 10) - 1, i16At(bytes, 12) - 1));
        wmf.unitsPerInch = u16At(bytes, 14);
        at = 22;
    }
    at += 18;
    while (at + 6 <= bytes.size()) {
        WmfRecord r;
        r.words = u32At(bytes, at);
        r.function = u16At(bytes, at + 4);
        if (r.words < 3 || at + qsizetype(r.words) * 2 > bytes.size()) break;
        r.bytes = bytes.mid(at, qsizetype(r.words) * 2);
        r.params = r.bytes.mid(6);
        wmf.records.push_back(r);
        at += qsizetype(r.words) * 2;
        if (r.function == 0) break;
    }
    return wmf;
}

// The data of every MFCOMMENT escape, in order.
QList<QByteArray> commentsOf(const QByteArray& bytes) {
    QList<QByteArray> out;
    for (const WmfRecord& r : readWmf(bytes).records)
        if (r.function == 0x0626 && u16At(r.params, 0) == 15) out.append(r.params.mid(4, u16At(r.params, 2)));
    return out;
}

// The LaTeX text of the "TL-TEX-1" comments; every chunk must give the same
// total, which the text must reach.
QString latexOf(const QList<QByteArray>& comments) {
    QString text;
    uint32_t total = 0;
    for (const QByteArray& c : comments) {
        if (!c.startsWith("TL-TEX-1")) continue;
        EXPECT_TRUE(total == 0 || total == u32At(c, 8));
        total = u32At(c, 8);
        const uint32_t n = u32At(c, 12);
        EXPECT_EQ(c.size(), qsizetype(16 + 2 * n));
        for (uint32_t i = 0; i < n; ++i) text.append(QChar(u16At(c, 16 + 2 * i)));
    }
    EXPECT_EQ(uint32_t(text.size()), total);
    return text;
}

// Draws a Windows metafile as a container plays it into a rectangle: the
// placeable header's bounds fill the image, the window maps onto them. It
// knows the records the writer makes and counts bitmaps it does not draw.
class WmfRaster {
public:
    QImage draw(const QByteArray& bytes, QSize size) {
        const Wmf wmf = readWmf(bytes);
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        m_size = size;
        m_org = wmf.bounds.topLeft();
        m_ext = wmf.bounds.size();
        std::vector<QPainter*> saved;
        for (const WmfRecord& r : wmf.records) {
            const QByteArray& a = r.params;
            switch (r.function) {
            case 0x020B: m_org = QPoint(i16At(a, 2), i16At(a, 0)); break;
            case 0x020C: m_ext = QSize(i16At(a, 2), i16At(a, 0)); break;
            case 0x02FA: {
                Pen pen{u16At(a, 0), i16At(a, 2), colour(u32At(a, 6))};
                put(pen);
                break;
            }
            case 0x02FC: put(Brush{u16At(a, 0), colour(u32At(a, 2)), u16At(a, 6)}); break;
            case 0x012D: {
                const auto it = m_objects.find(u16At(a, 0));
                if (it == m_objects.end()) break;
                if (const Pen* pen = std::get_if<Pen>(&it->second)) m_pen = *pen;
                if (const Brush* brush = std::get_if<Brush>(&it->second)) m_brush = *brush;
                break;
            }
            case 0x01F0: m_objects.erase(u16At(a, 0)); break;
            case 0x0106: m_winding = u16At(a, 0) == 2; break;
            case 0x001E: p.save(); break;
            case 0x0127: p.restore(); break;
            case 0x0416: p.setClipRect(map(QRectF(QPointF(i16At(a, 6), i16At(a, 4)), QPointF(i16At(a, 2), i16At(a, 0)))),
                                       Qt::IntersectClip);
                break;
            case 0x0324:
            case 0x0325: {
                const QPolygonF poly = points(a, 2, i16At(a, 0));
                QPainterPath path;
                path.addPolygon(poly);
                if (r.function == 0x0324) {
                    path.closeSubpath();
                    fill(p, path);
                }
                stroke(p, path);
                break;
            }
            case 0x0538: {
                const int count = u16At(a, 0);
                QPainterPath path;
                qsizetype at = 2 + 2 * count;
                for (int i = 0; i < count; ++i) {
                    const int n = u16At(a, 2 + 2 * i);
                    path.addPolygon(points(a, at, n));
                    path.closeSubpath();
                    at += 4 * n;
                }
                fill(p, path);
                stroke(p, path);
                break;
            }
            case 0x0F43: ++bitmaps; break;
            default: break;
            }
        }
        return image;
    }
    int bitmaps = 0;

private:
    struct Pen {
        uint16_t style;
        int16_t width;
        QColor colour;
    };
    struct Brush {
        uint16_t style;
        QColor colour;
        uint16_t hatch;
    };
    static QColor colour(uint32_t ref) { return QColor(ref & 0xFF, (ref >> 8) & 0xFF, (ref >> 16) & 0xFF); }
    void put(std::variant<Pen, Brush> object) {
        uint16_t i = 0;
        while (m_objects.count(i)) ++i;
        m_objects[i] = object;
    }
    QPointF map(QPointF q) const {
        return QPointF((q.x() - m_org.x()) * m_size.width() / m_ext.width(),
                       (q.y() - m_org.y()) * m_size.height() / m_ext.height());
    }
    QRectF map(const QRectF& r) const { return QRectF(map(r.topLeft()), map(r.bottomRight())); }
    QPolygonF points(const QByteArray& a, qsizetype at, int n) const {
        QPolygonF poly;
        for (int i = 0; i < n; ++i) poly << map(QPointF(i16At(a, at + 4 * i), i16At(a, at + 4 * i + 2)));
        return poly;
    }
    void fill(QPainter& p, QPainterPath path) {
        if (m_brush.style == 1) return;
        path.setFillRule(m_winding ? Qt::WindingFill : Qt::OddEvenFill);
        p.fillPath(path, m_brush.style == 2 ? QBrush(m_brush.colour, Qt::BDiagPattern) : QBrush(m_brush.colour));
    }
    void stroke(QPainter& p, const QPainterPath& path) {
        if (m_pen.style == 5) return;
        QPen pen(m_pen.colour, std::max(1.0, m_pen.width * double(m_size.width()) / m_ext.width()));
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        p.strokePath(path, pen);
    }
    QSize m_size;
    QPoint m_org;
    QSize m_ext{1, 1};
    std::map<uint16_t, std::variant<Pen, Brush>> m_objects;
    Pen m_pen{0, 0, Qt::black};
    Brush m_brush{0, Qt::white, 0};
    bool m_winding = false;
};

// ---- pictures compared

// The equation's picture drawn directly at the rendering scale, on white,
// shrunk by factor.
QImage directPicture(const RenderContext& context, EqModel* eq, QSize size, double factor) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(factor, factor);
    gp::PainterGraphics g(&p);
    g.SetSmoothingMode(gp::SmoothingModeAntiAlias);
    g.SetTextRenderingHint(gp::TextRenderingHintAntiAlias);
    DrawEquationPicture(context, g, eq, kPresentationScale);
    return image;
}

// The rows and columns that hold ink (grey below 128).
QRect inkBounds(const QImage& image) {
    QRect r;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128) r |= QRect(x, y, 1, 1);
    return r;
}

// Whether no pixel of other within one pixel of (x, y) has about the grey
// of image at (x, y).
bool unmatched(const QImage& image, const QImage& other, int x, int y) {
    const int grey = qGray(image.pixel(x, y));
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (other.valid(x + dx, y + dy) && std::abs(grey - qGray(other.pixel(x + dx, y + dy))) <= 96) return false;
    return true;
}

// What differs between two pictures of one size: the share of the ink
// pixels of either that the other does not match within a pixel, and the
// ink bounds.
void expectSamePicture(const QImage& got, const QImage& want, const char* what) {
    SCOPED_TRACE(what);
    if (!qEnvironmentVariableIsEmpty("TOLIVA_SHAPE_PNG_DIR")) {
        got.save(qEnvironmentVariable("TOLIVA_SHAPE_PNG_DIR") + QStringLiteral("/%1-got.png").arg(QLatin1String(what)));
        want.save(qEnvironmentVariable("TOLIVA_SHAPE_PNG_DIR") + QStringLiteral("/%1-want.png").arg(QLatin1String(what)));
    }
    ASSERT_EQ(got.size(), want.size());
    int ink = 0, differ = 0;
    for (int y = 0; y < got.height(); ++y) {
        for (int x = 0; x < got.width(); ++x) {
            const int a = qGray(got.pixel(x, y)), b = qGray(want.pixel(x, y));
            if (a < 128 || b < 128) ++ink;
            if (unmatched(got, want, x, y) || unmatched(want, got, x, y)) ++differ;
        }
    }
    ASSERT_GT(ink, 0);
    EXPECT_LT(differ, ink / 100 + 2) << differ << " of " << ink << " ink pixels differ";
    const QRect g = inkBounds(got), w = inkBounds(want);
    EXPECT_NEAR(g.left(), w.left(), 2);
    EXPECT_NEAR(g.right(), w.right(), 2);
    EXPECT_NEAR(g.top(), w.top(), 2);
    EXPECT_NEAR(g.bottom(), w.bottom(), 2);
}

// ---- the records

QByteArray hex(const char* text) { return QByteArray::fromHex(QByteArray(text).replace(' ', "")); }

// A cache to draw: a small Windows metafile of a square.
QByteArray squareCache() {
    emf::EmfRecorder recorder(QSizeF(40, 20));
    {
        QPainter p(&recorder);
        p.fillRect(QRectF(5, 5, 10, 10), Qt::black);
    }
    emf::WmfOptions options;
    options.placeable = false;
    return recorder.toWmf(options);
}

TEST(PresentationRecords, CommentRecordsHaveTheirBytes) {
    EXPECT_EQ(BaselineComment(0x0102), hex("4D617468547970650000 0201"));
    EXPECT_EQ(BaselineComment(-2), hex("4D617468547970650000 FEFF"));

    PresentationInput input;
    input.extent = QSize(1000, 500);
    input.baseline = 0x0102;
    input.latex = QStringLiteral("ab");
    input.empty = false;
    input.cache = squareCache();
    const QByteArray picture = PresentationMetafile(input);
    const emf::MetafileCheck check = emf::checkWmf(picture);
    ASSERT_TRUE(check.ok) << check.problem.toStdString();
    std::vector<QByteArray> escapes;
    for (const WmfRecord& r : readWmf(picture).records)
        if (r.function == 0x0626) escapes.push_back(r.bytes);
    ASSERT_EQ(escapes.size(), 2u);
    // 11 words: size, function 0x0626, escape 15, 12 bytes of data.
    EXPECT_EQ(escapes[0], hex("0B000000 2606 0F00 0C00 4D617468547970650000 0201"));
    // 13 + n words: size, function, escape, 16 + 2n bytes: tag, total, n, text.
    EXPECT_EQ(escapes[1], hex("0F000000 2606 0F00 1400 544C2D5445582D31 02000000 02000000 6100 6200"));
}

TEST(PresentationRecords, LaTeXIsCutIntoChunksOfAtMost16375Units) {
    struct Case {
        qsizetype units;
        std::vector<uint32_t> chunks;
    };
    const Case cases[] = {
        {0, {}}, {1, {1}}, {16375, {16375}}, {16376, {16375, 1}}, {32751, {16375, 16375, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.units);
        QString text;
        for (qsizetype i = 0; i < c.units; ++i) text.append(QChar(char16_t(u'a' + i % 26)));
        PresentationInput input;
        input.extent = QSize(300, 200);
        input.latex = text;
        input.empty = false;
        input.cache = squareCache();
        const QByteArray picture = PresentationMetafile(input);
        const emf::MetafileCheck check = emf::checkWmf(picture);
        ASSERT_TRUE(check.ok) << check.problem.toStdString();

        std::vector<uint32_t> chunks, words;
        for (const WmfRecord& r : readWmf(picture).records) {
            if (r.function != 0x0626 || !r.params.mid(4).startsWith("TL-TEX-1")) continue;
            EXPECT_EQ(u32At(r.params, 4 + 8), uint32_t(c.units));
            chunks.push_back(u32At(r.params, 4 + 12));
            words.push_back(r.words);
        }
        EXPECT_EQ(chunks, c.chunks);
        for (size_t i = 0; i < chunks.size(); ++i) EXPECT_EQ(words[i], 13 + chunks[i]);
        EXPECT_EQ(latexOf(commentsOf(picture)), text);
    }
}

TEST(PresentationRecords, BaselineValue) {
    const float nan = std::nanf("");
    const float inf = INFINITY;
    struct Case {
        const char* name;
        float extentY, height, offset, descent;
        int16_t expected;
    };
    const Case cases[] = {
        // k = 10: (1000 - (30 - 10) x 10) x 0.448 = 358.4
        {"plain", 1000, 100, 10, 30, 358},
        {"no offset", 1000, 100, 0, 30, 313},
        {"height 0", 1000, 0, 10, 30, 0},
        {"negative height", 1000, -100, 10, 30, 0},
        {"height not a number", 1000, nan, 10, 30, 0},
        {"infinite extent", inf, 100, 10, 30, 0},
        {"offset not a number", 1000, 100, nan, 30, 0},
        {"below the picture", 1000, 100, 0, 200, 0},
        {"beyond 16 bits", 1e9f, 1, 0, 0, 32767},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PresentationBaseline(c.extentY, c.height, c.offset, c.descent), c.expected);
    }

    struct Extent {
        float value;
        int expected;
    };
    for (const Extent e : {Extent{123.9f, 123}, Extent{-5.5f, -5}, Extent{nan, 0}, Extent{inf, 0},
                           Extent{1e20f, INT_MAX}, Extent{-1e20f, INT_MIN}})
        EXPECT_EQ(ExtentToInt(e.value), e.expected) << e.value;
}

TEST(PresentationRecords, ReferenceDeviceFollowsTheDisplay) {
    // A 96-dpi screen measures 0.264583 mm per pixel.
    const float ratio96 = float(0.26458333333 / 0.35260416666666666);
    EXPECT_EQ(PresentationReferenceDpi(ratio96), 96);
    EXPECT_EQ(PresentationReferenceDpi(ratio96 / 2), 192);
    for (const float unusable : {0.0f, -1.0f, std::nanf(""), 1e-6f, 1e6f}) EXPECT_EQ(PresentationReferenceDpi(unusable), 96);
    EXPECT_NEAR(MmRatioOfDpi(96), ratio96, 1e-6);
}

TEST(PresentationRecords, CacheThatIsNoMetafileIsRefused) {
    PresentationInput input;
    input.extent = QSize(300, 200);
    input.empty = false;
    for (const QByteArray& bad : {QByteArray("WMF!"), squareCache().left(40), squareCache().chopped(6)}) {
        input.cache = bad;
        EXPECT_FALSE(IsWindowsMetafile(bad));
        QString problem;
        EXPECT_TRUE(PresentationMetafile(input, &problem).isEmpty());
        EXPECT_FALSE(problem.isEmpty());
    }
    EXPECT_TRUE(IsWindowsMetafile(squareCache()));
}

// ---- the item in the program

class PresentationTest : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        ASSERT_TRUE(startProgram());
    }
    CTolivaSrvrItem& item() { return *doc().GetEmbeddedItem(); }
    // The program's context with the options as they are now.
    RenderContext render() {
        RenderContext r = theApp->renderContext();
        r.options = context.options;
        return r;
    }

    // The document's equation becomes lines of italic letters.
    void setLines(const std::vector<std::u16string>& lines) {
        EqModel built(doc().equation()->settings);
        EqBuilder b(&built);
        for (const std::u16string& line : lines) {
            EqElement* head = b.line();
            if (!line.empty()) b.text(head, line, EqTypeCharItalic);
        }
        doc().equation()->swap(built);
        doc().m_wmfCache.clear();
    }

    // The container's picture and its comments.
    QByteArray draw() {
        QByteArray picture;
        QSize size;
        EXPECT_TRUE(item().OnDraw(&picture, size));
        const emf::MetafileCheck check = emf::checkWmf(picture);
        EXPECT_TRUE(check.ok) << check.problem.toStdString();
        return picture;
    }

    // The baseline the picture reports, in pixels of the picture from its top.
    double reportedBaseline(const QByteArray& picture) {
        const QList<QByteArray> comments = commentsOf(picture);
        EXPECT_FALSE(comments.isEmpty());
        if (comments.isEmpty()) return -1;
        EXPECT_TRUE(comments.front().startsWith("MathType"));
        const double k = doc().m_fExtentY / doc().m_fPictureHeight;
        return i16At(comments.front(), 10) / 0.448 / k;
    }

};

TEST_F(PresentationTest, LaTeXTextFollowsTheDelimiterCode) {
    setLines({u"a", u"b"});
    struct Case {
        int code;
        bool lineFeeds;
        const char* text;
    };
    const Case cases[] = {
        {2, false, "\\[a\n\\\\\nb\\]"},
        {2, true, "\\[\na\n\\\\\nb\n\\]\n"},
        {4, false, "a\n\\\\\nb"},
        {7, false, "$$a\n\\\\\nb$$"},
        {0, false, "$$a\n\\\\\nb$$"},
        {1, true, "$\na\n\\\\\nb\n$\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        context.texDelimCode = c.code;
        context.options = c.lineFeeds ? context.options | OptKeepDelimiterLineFeeds
                                      : context.options & ~uint32_t(OptKeepDelimiterLineFeeds);
        EXPECT_EQ(latexOf(commentsOf(draw())).toStdString(), c.text);
    }
}

TEST_F(PresentationTest, EmptyEquationDrawsTheHatchAndTheBaselineOnly) {
    ASSERT_TRUE(doc().OnNewDocument());
    const QByteArray picture = draw();
    EXPECT_EQ(doc().m_bEmpty, 1);
    const QList<QByteArray> comments = commentsOf(picture);
    ASSERT_EQ(comments.size(), 1);
    EXPECT_EQ(comments.front().size(), 12);
    EXPECT_TRUE(comments.front().startsWith("MathType"));

    bool hatch = false;
    int polygons = 0;
    for (const WmfRecord& r : readWmf(picture).records) {
        if (r.function == 0x02FC) hatch = u16At(r.params, 0) == 2 && u32At(r.params, 2) == 0 && u16At(r.params, 6) == 3;
        if (r.function == 0x0324) ++polygons;
    }
    EXPECT_TRUE(hatch) << "a black backward-diagonal hatch brush";
    EXPECT_EQ(polygons, 1);
    // The hatch covers the picture.
    const QImage image = WmfRaster().draw(picture, QSize(200, 120));
    EXPECT_GT(inkBounds(image).width(), 190);
    EXPECT_GT(inkBounds(image).height(), 110);
}

TEST_F(PresentationTest, MetafilesReadBackAndDrawTheEquation) {
    const std::vector<std::vector<std::u16string>> equations = {
        {u"x"}, {u"ab+c", u"xyz"}, {u"f", u"gh", u"k"},
    };
    for (const auto& lines : equations) {
        SCOPED_TRACE(lines.size());
        setLines(lines);
        const QByteArray picture = draw();
        PresentationCache cache;
        ASSERT_TRUE(RenderPresentationCache(render(), doc().equation(), 0, QString(), &cache));
        for (const emf::MetafileCheck& check : {emf::checkEmf(cache.emf), emf::checkWmf(cache.wmf)})
            EXPECT_TRUE(check.ok) << check.problem.toStdString();
        EXPECT_EQ(cache.wmf, doc().m_wmfCache);

        // At a third of the rendering scale.
        const double f = 1.0 / 3;
        const QSize size(int(cache.picture.width * f), int(cache.picture.height * f));
        const QImage want = directPicture(render(), doc().equation(), size, f);

        QImage played(size, QImage::Format_ARGB32_Premultiplied);
        played.fill(Qt::white);
        {
            QPainter p(&played);
            p.setRenderHint(QPainter::Antialiasing);
            EXPECT_TRUE(emf::EmfPlayer::play(cache.emf, &p, QRectF(QPointF(0, 0), size)).valid);
        }
        expectSamePicture(played, want, "enhanced metafile");

        WmfRaster raster;
        expectSamePicture(raster.draw(picture, size), want, "container's picture");
        EXPECT_EQ(raster.bitmaps, 0);
    }
}

TEST_F(PresentationTest, BaselineLiesOnTheInkBottomOfX) {
    struct Case {
        int lines;
        bool halfHeight;
        int line;  // whose x the baseline stands on
    };
    for (const Case c : {Case{1, false, 0}, Case{3, false, 2}, Case{3, true, 1}, Case{1, true, 0}}) {
        SCOPED_TRACE(testing::Message() << c.lines << " lines, half height " << c.halfHeight);
        context.options = c.halfHeight ? context.options | OptHalfHeightBaseline
                                        : context.options & ~uint32_t(OptHalfHeightBaseline);
        setLines(std::vector<std::u16string>(size_t(c.lines), u"x"));
        const double baseline = reportedBaseline(draw());

        const QImage image = directPicture(render(), doc().equation(),
                                           QSize(int(doc().m_fPictureWidth) + 1, int(doc().m_fPictureHeight) + 1), 1);
        // The rows of each line's x, top to bottom.
        std::vector<std::pair<int, int>> runs;
        for (int y = 0; y < image.height(); ++y) {
            bool ink = false;
            for (int x = 0; x < image.width() && !ink; ++x) ink = qGray(image.pixel(x, y)) < 128;
            if (!ink) continue;
            if (!runs.empty() && runs.back().second == y - 1) runs.back().second = y;
            else runs.emplace_back(y, y);
        }
        ASSERT_EQ(runs.size(), size_t(c.lines));
        const int inkBottom = runs[size_t(c.line)].second + 1;
        // Within a pixel, and the record's own step (one unit).
        const double unit = 1 / (0.448 * doc().m_fExtentY / doc().m_fPictureHeight);
        EXPECT_NEAR(baseline, inkBottom, 1 + unit) << "the record's unit is " << unit << " pixels";
    }
}

TEST_F(PresentationTest, WideEquationKeepsItsExtent) {
    setLines({u"x"});
    draw();
    const double narrowPerPixel = doc().m_fExtentY / doc().m_fPictureHeight;

    // About 1400 pixels at scale 1: far beyond 16-bit coordinates at 33.6.
    setLines({std::u16string(200, u'm')});
    const QByteArray picture = draw();
    ASSERT_GT(doc().m_fPictureWidth / kPresentationScale, 1000);
    EXPECT_NEAR(doc().m_fExtentX / doc().m_fPictureWidth, narrowPerPixel, narrowPerPixel * 1e-3);
    EXPECT_NEAR(doc().m_fExtentY / doc().m_fPictureHeight, narrowPerPixel, narrowPerPixel * 1e-3);

    // The cache was rescaled into 16 bits and keeps the picture's shape.
    const Wmf cache = readWmf(doc().m_wmfCache);
    for (const WmfRecord& r : cache.records) {
        if (r.function != 0x020C) continue;
        const QSize ext(i16At(r.params, 2), i16At(r.params, 0));
        EXPECT_GT(ext.width(), 10000);
        const double aspect = doc().m_fPictureWidth / doc().m_fPictureHeight;
        EXPECT_NEAR(double(ext.width()) / ext.height(), aspect, aspect * 3e-3);
    }
    // The container's picture states the extent in its placeable header.
    const Wmf shown = readWmf(picture);
    ASSERT_TRUE(shown.placeable);
    EXPECT_NEAR(shown.bounds.width() * 2540.0 / shown.unitsPerInch, doc().m_fExtentX, doc().m_fExtentX * 2e-3);
    EXPECT_NEAR(shown.bounds.height() * 2540.0 / shown.unitsPerInch, doc().m_fExtentY, doc().m_fExtentY * 5e-3);
    QSize extent;
    EXPECT_TRUE(item().OnGetExtent(CTolivaSrvrItem::kContentAspect, extent));
    EXPECT_EQ(extent, QSize(int(doc().m_fExtentX), int(doc().m_fExtentY)));

    const double f = 1.0 / 16;
    const QSize size(int(doc().m_fPictureWidth * f), int(doc().m_fPictureHeight * f));
    expectSamePicture(WmfRaster().draw(picture, size), directPicture(render(), doc().equation(), size, f),
                      "rescaled picture");
}

TEST_F(PresentationTest, RenderingFillsTheDocumentAndLeavesNoTemporaryFile) {
    setLines({u"x"});
    doc().m_fExtentX = 0;
    theApp->view()->RenderMetafileCache(true);
    EXPECT_EQ(doc().m_bEmpty, 0);
    EXPECT_TRUE(emf::checkWmf(doc().m_wmfCache).ok);
    EXPECT_GT(doc().m_fExtentX, 0);
    EXPECT_GT(doc().m_fPictureHeight, doc().m_fPictureDescent);
    EXPECT_EQ(doc().m_fFrameLeft, 0);
    const QFileInfo temp(doc().m_strTempEmfPath);
    EXPECT_EQ(temp.absolutePath() + QLatin1Char('/'), theApp->m_strTempFolder);
    EXPECT_TRUE(temp.fileName().startsWith(QLatin1String("TEM")));
    EXPECT_TRUE(temp.fileName().endsWith(QLatin1String(".emf")));
    EXPECT_FALSE(temp.exists());

    // Another aspect is the framework's; the size stays as it was.
    QSize size(7, 7);
    EXPECT_FALSE(item().OnGetExtent(2, size));
    EXPECT_EQ(size, QSize(7, 7));
}

TEST_F(PresentationTest, VerbsAboveOneArePerformedAsVerbOne) {
    struct Case {
        int verb, performed;
    };
    for (const Case c : {Case{0, 0}, Case{1, 1}, Case{3, 1}, Case{32, 1}}) {
        SCOPED_TRACE(c.verb);
        doc().DoVerb(c.verb);
        EXPECT_EQ(item().lastPerformedVerb(), c.performed);
        EXPECT_EQ(doc().m_nJobCode, c.verb);
    }
}

TEST_F(PresentationTest, ClipboardDataIsTheDocumentsArchive) {
    setLines({u"ab", u"c"});
    draw();  // the extents the archive holds
    const std::string text = equationText(*doc().equation());
    const std::unique_ptr<QMimeData> data = item().OnGetClipboardData();
    ASSERT_TRUE(data);

    // The native data is the document's archive, which the sheet's reader
    // takes though the flag and the extents follow the equation.
    const QByteArray native = data->data(kNativeClipboardFormat);
    EXPECT_EQ(native, doc().ArchiveBytes());
    EXPECT_GT(native.size(), EquationToBytes(doc().equation()).size());
    const std::unique_ptr<EqModel> read = EquationFromNativeData(*data, ClipboardReadContext{});
    ASSERT_TRUE(read);
    EXPECT_EQ(equationText(*read), text);

    QByteArray archive;
    ASSERT_TRUE(ArchiveOfDocumentFile(data->data(QString::fromLatin1(kAfxMimeType)), &archive, nullptr));
    EXPECT_EQ(archive, native);
    const QByteArray picture = data->data(QString::fromLatin1(kPresentationMimeType));
    EXPECT_TRUE(emf::checkWmf(picture).ok);
    EXPECT_TRUE(commentsOf(picture).value(0).startsWith("MathType"));

    // The item's copy for the office add-in puts the same on the clipboard.
    ASSERT_TRUE(theApp->view()->CopyEmbeddedItem());
    ASSERT_TRUE(clipboard.mimeData());
    EXPECT_EQ(clipboard.mimeData()->data(kNativeClipboardFormat), native);
    EXPECT_TRUE(clipboard.mimeData()->hasFormat(QString::fromLatin1(kPresentationMimeType)));
}

TEST_F(PresentationTest, OnlyTheEmbeddedItemStoresTheDocument) {
    setLines({u"q"});
    QByteArray stored;
    {
        Archive ar(&stored, Archive::Store);
        item().Serialize(ar);
    }
    EXPECT_EQ(stored, doc().ArchiveBytes());

    CTolivaSrvrItem other(doc(), *theApp);
    QByteArray nothing;
    {
        Archive ar(&nothing, Archive::Store);
        other.Serialize(ar);
    }
    EXPECT_TRUE(nothing.isEmpty());
}

// A document file whose archive carries metafile bits (flag 1).
QString documentWithCache(const QString& path, EqModel* eq, const QByteArray& bits) {
    QByteArray archive = EquationToBytes(eq);
    archive.append('\1');
    const qint32 size = qint32(bits.size());
    archive.append(reinterpret_cast<const char*>(&size), 4);
    archive.append(bits);
    const float extents[2] = {3000.0f, 1500.0f};
    archive.append(reinterpret_cast<const char*>(extents), 8);
    QString reason;
    EXPECT_TRUE(WriteAfxFile(path, archive, &reason)) << reason.toStdString();
    return path;
}

TEST_F(PresentationTest, BitsFromAFileAreCheckedBeforeTheyAreShown) {
    EqModel eq(builtInStyle());
    EqBuilder b(&eq);
    b.text(b.line(), u"x", EqTypeCharItalic);

    // Metafile bits from the file are played as they are; the picture's
    // metrics are unknown (height 0): the baseline is 0, and the equation
    // is not empty, so no hatch.
    const QByteArray square = squareCache();
    ASSERT_TRUE(theApp->OpenDocumentFile(documentWithCache(home() + QStringLiteral("good.afx"), &eq, square)));
    ASSERT_EQ(doc().m_wmfCache, square);
    doc().m_fPictureHeight = 0;
    QByteArray picture = draw();
    EXPECT_EQ(doc().m_wmfCache, square);
    EXPECT_EQ(i16At(commentsOf(picture).value(0), 10), 0);
    for (const WmfRecord& r : readWmf(picture).records)
        EXPECT_FALSE(r.function == 0x02FC && u16At(r.params, 0) == 2) << "no hatch brush";
    EXPECT_EQ(latexOf(commentsOf(picture)), QStringLiteral("$$x$$"));

    // Bytes that are no metafile are dropped and the picture rendered anew.
    ASSERT_TRUE(theApp->OpenDocumentFile(documentWithCache(home() + QStringLiteral("bad.afx"), &eq, "WMF!")));
    picture = draw();
    EXPECT_NE(doc().m_wmfCache, QByteArray("WMF!"));
    EXPECT_TRUE(emf::checkWmf(doc().m_wmfCache).ok);
    EXPECT_GT(i16At(commentsOf(picture).value(0), 10), 0);
}

}  // namespace
}  // namespace toliva::test
