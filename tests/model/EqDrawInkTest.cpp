// Drawn on a raster surface, the ink of an element stays inside the drawn box
// that the dispatcher records for it, for the structure types that have no
// shape object, alone and beside neighbours.
#include "EqLayoutTestSupport.h"

#include "model/EqBuilder.h"
#include "model/EqDraw.h"
#include "model/EqLayout.h"
#include "model/EqModel.h"

#include "platform/gdiplus/Graphics.h"
#include "tests/common/InkCheck.h"
#include "tests/common/ModelFixtures.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cmath>
#include <string>

using namespace toliva;

namespace {

constexpr int kImageWidth = 700;
constexpr int kImageHeight = 400;
constexpr float kX = 150, kY = 200;

struct InkCase {
    int type;
    int chains;
    const char16_t* content;  // of every chain
    uint16_t ch = 0;
};

// Where the element stands in its line.
enum class Place { Alone, First, Middle, Last };

const char* placeName(Place p) {
    switch (p) {
    case Place::Alone: return "alone";
    case Place::First: return "first";
    case Place::Middle: return "middle";
    default: return "last";
    }
}

// Lays out and draws one element with invisible neighbours (full phantoms in
// output mode keep their boxes and draw no ink); returns the complaint, empty
// when there is none.
std::string drawAndCheck(const InkCase& c, Place place) {
    EqModel eq(test::largeStyle());
    EqBuilder b(&eq);
    EqElement* line = b.line();
    if (place == Place::Middle || place == Place::Last) SetPhantomKind(b.text(line, u"x"), PhantomFull, false);
    EqElement* e = b.add(line, c.type, c.chains, c.ch);
    for (int i = 0; i < c.chains; ++i) b.text(EqBuilder::arg(e, i), c.content, EqTypeCharItalic);
    if (place == Place::First || place == Place::Middle) SetPhantomKind(b.text(line, u"y"), PhantomFull, false);
    test::layoutForInkCheck(test::programContext(), eq);
    const test::InkDrawing d = test::drawLineInk(test::programContext(), line, kImageWidth, kImageHeight, kX, kY);
    if (!d.transformKept) return "the world transform was left changed";
    if (!d.statusOk) return "a drawing call failed";
    return test::inkComplaint(test::countInk(d.image, e->rect), e->rect);
}

class InkInsideBox : public ::testing::TestWithParam<InkCase> {};

TEST_P(InkInsideBox, InEveryPlaceOfTheLine) {
    const InkCase& c = GetParam();
    for (Place place : {Place::Alone, Place::First, Place::Middle, Place::Last}) {
        SCOPED_TRACE(placeName(place));
        EXPECT_EQ(drawAndCheck(c, place), "");
    }
}

std::string caseName(const testing::TestParamInfo<InkCase>& info) {
    std::string name = "type" + std::to_string(info.param.type);
    if (info.param.ch) name += "_" + std::to_string(info.param.ch);
    return name;
}

// Characters and glyph symbols.
INSTANTIATE_TEST_SUITE_P(Characters, InkInsideBox,
                         testing::Values(InkCase{1, 0, u"", u'a'}, InkCase{2, 0, u"", u'x'}, InkCase{3, 0, u"", u'B'},
                                         InkCase{4, 0, u"", u'k'}, InkCase{5, 0, u"", u'T'}, InkCase{1, 0, u"", u'2'},
                                         InkCase{1, 0, u"", u'*'}, InkCase{16, 0, u"", u'S'},
                                         InkCase{17, 0, u"", u'm'}, InkCase{6, 0, u"", 2}, InkCase{6, 0, u"", 40},
                                         InkCase{8, 0, u"", 2}, InkCase{6, 0, u"", 235}));

// Fractions, long division, stacks, radicals and scripts.
INSTANTIATE_TEST_SUITE_P(Structures, InkInsideBox,
                         testing::Values(InkCase{128, 2, u"ab"}, InkCase{129, 2, u"a"}, InkCase{130, 2, u"a"},
                                         InkCase{131, 3, u"22"}, InkCase{132, 2, u"a"}, InkCase{133, 2, u"a"},
                                         InkCase{134, 2, u"a"}, InkCase{136, 1, u"ab"}, InkCase{137, 2, u"a"},
                                         InkCase{177, 2, u"a"}, InkCase{178, 3, u"a"}, InkCase{179, 2, u"a"},
                                         InkCase{181, 2, u"a"}, InkCase{1536, 1, u"ab"},
                                         InkCase{173, 1, u"a"}, InkCase{174, 1, u"a"}, InkCase{175, 2, u"a"},
                                         InkCase{176, 1, u"a"}, InkCase{182, 2, u"a"}, InkCase{189, 1, u"a"},
                                         InkCase{190, 1, u"a"}, InkCase{191, 2, u"a"}, InkCase{64, 1, u"12"}),
                         caseName);

// Wide accents, enclosures, the phasor, arrows and frame marks.
INSTANTIATE_TEST_SUITE_P(Decorations, InkInsideBox,
                         testing::Values(InkCase{208, 1, u"abc"}, InkCase{209, 1, u"abc"}, InkCase{210, 1, u"abc"},
                                         InkCase{211, 1, u"abc"}, InkCase{212, 1, u"abc"}, InkCase{213, 1, u"abc"},
                                         InkCase{214, 1, u"abc"}, InkCase{215, 1, u"abc"}, InkCase{216, 1, u"abc"},
                                         InkCase{217, 1, u"abc"}, InkCase{218, 1, u"abc"}, InkCase{219, 1, u"abc"},
                                         InkCase{224, 1, u"abc"}, InkCase{225, 1, u"abc"}, InkCase{226, 1, u"abc"},
                                         InkCase{227, 1, u"abc"}, InkCase{228, 1, u"abc"}, InkCase{231, 1, u"abc"},
                                         InkCase{232, 1, u"abc"}, InkCase{233, 1, u"abc"}, InkCase{234, 1, u"abc"},
                                         InkCase{235, 1, u"abc"}, InkCase{240, 1, u"a"}, InkCase{243, 1, u"a"},
                                         InkCase{244, 1, u"a"}, InkCase{246, 1, u"a"}, InkCase{248, 1, u"a"},
                                         InkCase{250, 1, u"a"}, InkCase{252, 1, u"a"}, InkCase{256, 1, u"ab"},
                                         InkCase{506, 0, u""}, InkCase{510, 0, u""}, InkCase{553, 1, u"a"},
                                         InkCase{554, 1, u"ab"}, InkCase{556, 1, u"ab"}, InkCase{557, 1, u"ab"},
                                         InkCase{560, 1, u"ab"}, InkCase{561, 1, u"ab"}, InkCase{562, 1, u"ab"},
                                         InkCase{563, 1, u"ab"}, InkCase{566, 2, u"ab"},
                                         InkCase{590, 1, u"ab"}, InkCase{593, 1, u"ab"}, InkCase{594, 1, u"ab"},
                                         InkCase{597, 1, u"ab"}, InkCase{598, 1, u"a"},
                                         InkCase{624, 1, u"ab", 235}, InkCase{626, 2, u"ab", 235},
                                         InkCase{633, 1, u"ab", 253}, InkCase{634, 1, u"ab", 235},
                                         InkCase{642, 1, u"ab"}, InkCase{625, 1, u"ab"}),
                         caseName);

}  // namespace
