// eqtool gallery, shape objects: every accent kind, bracket, matrix rule
// style, integral, big operator and operator is drawn in each setting, the
// family contact sheets and the showcases are written, and no shape picture
// comes out blank.
#include "EqtoolRun.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QRegularExpression>

#include <set>

namespace toliva {
namespace {

using GalleryRun = test::ToolRun;

GalleryRun runGallery(const QString& dir) { return test::eqtool({QStringLiteral("gallery"), dir}); }

// Some pixel is dark and not transparent.
bool hasInk(const QImage& picture) {
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(line[x]) > 0 && qGray(line[x]) < 128) return true;
    }
    return false;
}

const char* const kSettings[] = {"plain", "scripted", "nested"};
const char* const kFamilies[] = {"accents",  "brackets",     "bracket-sizes", "matrices", "integrals",
                                 "integrals-over-under", "big-operators", "operators", "chemical"};

class EqtoolShapeGallery : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_dir = new test::ScratchFolder;
        s_run = new GalleryRun(runGallery(s_dir->path()));
        s_files = new QStringList(QDir(s_dir->path()).entryList({QStringLiteral("*.png")}, QDir::Files));
    }
    static void TearDownTestSuite() {
        delete s_files;
        delete s_run;
        delete s_dir;
    }

    // The shape pictures of one setting whose names match pattern; the
    // pattern's captures 1 and 2 are the first and last type of a row.
    static std::set<int> typesCovered(const QString& pattern, const char* setting) {
        const QRegularExpression re(QStringLiteral("^%1-%2\\.png$").arg(pattern, QLatin1String(setting)));
        std::set<int> types;
        for (const QString& name : *s_files) {
            const QRegularExpressionMatch m = re.match(name);
            if (!m.hasMatch()) continue;
            const int first = m.captured(1).toInt();
            const int last = m.lastCapturedIndex() >= 2 ? m.captured(2).toInt() : first;
            for (int t = first; t <= last; ++t) types.insert(t);
        }
        return types;
    }

    static std::set<int> range(int first, int last) {
        std::set<int> s;
        for (int t = first; t <= last; ++t) s.insert(t);
        return s;
    }

    static inline test::ScratchFolder* s_dir = nullptr;
    static inline GalleryRun* s_run = nullptr;
    static inline QStringList* s_files = nullptr;
};

TEST_F(EqtoolShapeGallery, WritesEveryFamilySheetAndBothShowcases) {
    ASSERT_EQ(s_run->exitCode, 0) << s_run->err.toStdString();
    for (const char* family : kFamilies) {
        const QString name = QStringLiteral("contact-sheet-%1.png").arg(QLatin1String(family));
        ASSERT_TRUE(s_files->contains(name)) << family;
        const QImage sheet(s_dir->file(name));
        EXPECT_GT(sheet.width(), 800) << family;
        EXPECT_GT(sheet.height(), 300) << family;
    }
    for (const char* name : {"showcase-quadratic.png", "showcase-ruled-matrix.png"}) {
        ASSERT_TRUE(s_files->contains(QLatin1String(name))) << name;
        const QImage image(s_dir->file(QLatin1String(name)));
        EXPECT_TRUE(hasInk(image)) << name;
        // Drawn at scale 4: a fraction or a three-row matrix is far taller
        // than one line of the gallery's scale-3 pictures.
        EXPECT_GT(image.height(), 120) << name;
    }
    // The pictures that are not shape samples are still there.
    EXPECT_TRUE(s_files->contains(QStringLiteral("contact-sheet.png")));
}

TEST_F(EqtoolShapeGallery, CoversEveryShapeTypeInEverySetting) {
    ASSERT_EQ(s_run->exitCode, 0) << s_run->err.toStdString();
    for (const char* setting : kSettings) {
        SCOPED_TRACE(setting);
        EXPECT_EQ(typesCovered(QStringLiteral("accent-above-(\\d+)-(\\d+)"), setting), range(1, 28));
        EXPECT_EQ(typesCovered(QStringLiteral("accent-below-(\\d+)-(\\d+)"), setting), range(1, 28));
        EXPECT_EQ(typesCovered(QStringLiteral("bracket-(\\d{4})"), setting), range(336, 368));
        for (const char* size : {"20", "30", "40", "50", "60", "70", "80", "90", "a0"})
            EXPECT_TRUE(s_files->contains(QStringLiteral("bracket-fixed-%1-%2.png").arg(QLatin1String(size),
                                                                                      QLatin1String(setting))))
                << "fixed size class " << size;
        EXPECT_EQ(typesCovered(QStringLiteral("matrix-0371-rule-(\\d)"), setting), range(1, 8));
        EXPECT_EQ(typesCovered(QStringLiteral("matrix-0371-align-(\\d)"), setting), range(0, 4));
        EXPECT_EQ(typesCovered(QStringLiteral("matrix-(\\d{4})(?:-[a-z0-9-]+)?"), setting), range(369, 372));
        std::set<int> integrals = range(274, 305);
        integrals.merge(range(769, 788));
        for (int style = 0; style <= 5; ++style)
            EXPECT_EQ(typesCovered(QStringLiteral("integral-s%1-(\\d{4})-(\\d{4})").arg(style), setting), integrals)
                << "style " << style;
        std::set<int> bigOperators = range(306, 335);
        bigOperators.merge(range(800, 805));
        bigOperators.merge(range(848, 863));
        EXPECT_EQ(typesCovered(QStringLiteral("bigop-(\\d{4})-(\\d{4})"), setting), bigOperators);
        EXPECT_EQ(typesCovered(QStringLiteral("operator-(\\d{4})-(\\d{4})"), setting), range(1042, 1289));
        EXPECT_TRUE(s_files->contains(QStringLiteral("chem-dots-%1.png").arg(QLatin1String(setting))));
    }
}

TEST_F(EqtoolShapeGallery, EveryShapePictureHasInk) {
    ASSERT_EQ(s_run->exitCode, 0) << s_run->err.toStdString();
    const QRegularExpression shapePicture(
        QStringLiteral("^(accent|bracket|matrix|integral|bigop|operator|chem)-.*-(plain|scripted|nested)\\.png$"));
    int pictures = 0;
    for (const QString& name : *s_files) {
        if (!shapePicture.match(name).hasMatch()) continue;
        ++pictures;
        EXPECT_TRUE(hasInk(QImage(s_dir->file(name)))) << name.toStdString();
    }
    // Three settings of every sample, as many as the tool reports.
    EXPECT_EQ(pictures % 3, 0);
    const QRegularExpressionMatch reported =
        QRegularExpression(QStringLiteral("(\\d+) shape pictures")).match(s_run->out);
    ASSERT_TRUE(reported.hasMatch()) << s_run->out.toStdString();
    EXPECT_EQ(pictures, reported.captured(1).toInt());
}

}  // namespace
}  // namespace toliva
