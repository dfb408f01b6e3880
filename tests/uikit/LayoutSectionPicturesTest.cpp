// The pictures of the equation settings' Layout page ("GenDef/ES/ES<n>.apx"
// beside the program, drawn by apxc from data/sources/pages/ES): every section
// but the fonts' has one, with exactly one field per control of its section
// in the order the page lays the controls over them, and the fields must land
// inside the area the page draws the picture into.
#include "platform/Folders.h"
#include "platform/LangTable.h"
#include "platform/gdiplus/Graphics.h"
#include "uikit/CKwEMF_GPL.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QImage>
#include <QString>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>

namespace toliva {
namespace {

// The field types of a section, one letter a control in the page's order:
// e an edit (1), r a radio button (19), c a check box (21), l a caption (2).
struct Section {
    int number;
    const char* fields;
};
constexpr Section kSections[] = {
    {0, "eeeerrrrccl"},   // margins, line alignment, office options, their caption
    {2, "eeec"},          // base size, smallest size, small groups, office font size
    {3, "eeee"},          // line gap, gap beside characters, two kernings
    {4, "eee"},           // text font metrics
    {5, "eeeeeee"},       // scripts
    {6, "eeee"},          // fractions
    {7, "eeeeerr"},       // radicals and the two hook styles
    {8, "eeeeeeerrrrrr"}, // integrals and the six sign styles
    {9, "eeerrce"},       // big operators, their styles, the side-limit size
    {10, "eeeeee"},       // matrices
    {11, "eeee"},         // accents
    {12, "rrrrreeee"},    // brackets: two brace styles, three round styles
    {13, "eeerr"},        // operators and the unary minus
    {14, "ee"},           // CJK characters
};

constexpr float kPageWidth = 640, kPageHeight = 400, kReferenceHeight = 26;

int typeOf(char c) {
    switch (c) {
    case 'e': return kFieldText;
    case 'r': return kFieldRoundOption;
    case 'c': return kFieldCheckBox;
    default: return kFieldReadOnlyText;
    }
}

QString picturePath(int n) { return programFolder() + QStringLiteral("GenDef/ES/ES%1.apx").arg(n); }

std::string describe(const gp::RectF& r) {
    return std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.width) + "x" +
           std::to_string(r.height);
}

bool inside(const gp::RectF& inner, const gp::RectF& outer) {
    constexpr float slack = 1e-3f;
    return inner.x >= outer.x - slack && inner.y >= outer.y - slack &&
           inner.x + inner.width <= outer.x + outer.width + slack &&
           inner.y + inner.height <= outer.y + outer.height + slack;
}

bool overlap(const PictureField& a, const PictureField& b) {
    return a.x < b.x2 && b.x < a.x2 && a.y < b.y2 && b.y < a.y2;
}

class LayoutSectionPictures : public ::testing::TestWithParam<Section> {};

// What the page loads: the fields, their order and types, the page box.
TEST_P(LayoutSectionPictures, HoldOneFieldPerControlInTheSectionsOrder) {
    const Section s = GetParam();
    CKwEMF_GPL picture(20);
    ASSERT_TRUE(picture.LoadFile(picturePath(s.number))) << picturePath(s.number).toStdString();
    ASSERT_TRUE(picture.IsDrawable());
    const std::string types = s.fields;
    ASSERT_EQ(picture.FieldCount(), int(types.size()));
    EXPECT_EQ(picture.pageBounds, (gp::RectF{0, 0, kPageWidth, kPageHeight}));
    EXPECT_FLOAT_EQ(picture.fields[0].y2 - picture.fields[0].y, kReferenceHeight);
    for (size_t i = 0; i < types.size(); ++i) {
        const PictureField& f = picture.fields[i];
        SCOPED_TRACE(testing::Message() << "field " << i);
        EXPECT_EQ(f.kind, kFieldKindValue);
        EXPECT_EQ(f.type, typeOf(types[i]));
        // Every control stays inside the page and has room inside its field
        // (the page sets it in by 3 at the sides and 2 above and below).
        EXPECT_TRUE(f.x >= 0 && f.y >= 0 && f.x2 <= kPageWidth && f.y2 <= kPageHeight);
        if (f.type == kFieldText) {
            EXPECT_FLOAT_EQ(f.y2 - f.y, kReferenceHeight);
            EXPECT_GE(f.x2 - f.x, 56.0f);
        } else {
            EXPECT_GE(f.x2 - f.x, 20.0f);
            EXPECT_GE(f.y2 - f.y, 20.0f);
        }
        // Two controls on one place would hide each other.
        for (size_t j = 0; j < i; ++j) EXPECT_FALSE(overlap(f, picture.fields[j])) << "and field " << j;
    }
}

// The page scales the picture to its section area with the point size that
// makes the 640 x 400 box fit; every field lands inside the area, and the
// picture's ink stays inside the page box.
TEST_P(LayoutSectionPictures, LayOutInsideTheSectionArea) {
    const Section s = GetParam();
    const gp::RectF areas[] = {{10, 15, 520, 330}, {0, 0, 640, 400}, {20, 30, 760, 380}};
    for (const gp::RectF& area : areas) {
        SCOPED_TRACE(describe(area));
        const float e = std::min(area.width / kPageWidth, area.height / kPageHeight);
        const int pointSize = int(std::floor(e * kReferenceHeight / 1.12f));
        CKwEMF_GPL picture(pointSize);
        ASSERT_TRUE(picture.LoadFile(picturePath(s.number)));
        QImage image(int(area.x + area.width) + 20, int(area.y + area.height) + 20, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        gp::PainterGraphics g(&image);
        ASSERT_EQ(picture.DrawAndLayout(g, area), picture.FieldCount());
        const gp::RectF page = picture.PageRect();
        EXPECT_TRUE(inside(page, area)) << describe(page);
        for (int i = 0; i < picture.FieldCount(); ++i) {
            const gp::RectF& r = picture.fields[size_t(i)].laidOut;
            EXPECT_TRUE(inside(r, area)) << "field " << i << " at " << describe(r);
            // The control set into the field keeps a size.
            EXPECT_GT(r.width - 6, 0.0f) << "field " << i;
            EXPECT_GT(r.height - 4, 0.0f) << "field " << i;
        }
        int in = 0, out = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (qAlpha(image.pixel(x, y)) < 48) continue;
                const bool within = x + 1 > page.x - 1.5f && x < page.x + page.width + 1.5f &&
                                    y + 1 > page.y - 1.5f && y < page.y + page.height + 1.5f;
                (within ? in : out)++;
            }
        }
        EXPECT_GT(in, 2000) << "the picture draws almost nothing";
        EXPECT_EQ(out, 0) << "ink outside the page box";
    }
}

INSTANTIATE_TEST_SUITE_P(Shipped, LayoutSectionPictures, ::testing::ValuesIn(kSections),
                         [](const testing::TestParamInfo<Section>& info) {
                             return "ES" + std::to_string(info.param.number);
                         });

// The fonts' section shows the preview instead of a picture.
TEST(LayoutSectionPicturesSet, TheFontsSectionHasNoPicture) {
    EXPECT_FALSE(QFileInfo::exists(picturePath(1)));
}

// The section list: items 16 down to 2 of "gLC_1" name sections 0 to 14,
// item 1 is the list's title; each in both languages, no two alike.
TEST(LayoutSectionCaptions, EverySectionHasItsOwnCaptionInBothLanguages) {
    for (const char* language : {"en", "cn"}) {
        SCOPED_TRACE(language);
        LangTable table(QString::fromLatin1(language), QStringLiteral("LANG_04.xml"));
        std::set<QString> seen;
        for (int item = 1; item <= 16; ++item) {
            const QString text = LoadLangString(table, QStringLiteral("gLC_1"), item);
            EXPECT_FALSE(text.trimmed().isEmpty()) << "item " << item;
            EXPECT_TRUE(seen.insert(text).second) << "item " << item << " repeats " << text.toStdString();
        }
        EXPECT_TRUE(LoadLangString(table, QStringLiteral("gLC_1"), 17).isEmpty());
    }
}

}  // namespace
}  // namespace toliva
