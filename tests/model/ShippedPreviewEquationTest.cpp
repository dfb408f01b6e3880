// The preview equation of the settings' Layout page, "Dat/KwFSData.dat"
// beside the program (written by eqtool from data/sources/KwFSData.tex): an
// equation stream that LoadEquation reads through an archive to its end, two
// lines that show what the fonts and the layout values act on.
#include "model/EqElement.h"
#include "model/EqModel.h"
#include "model/EqStream.h"
#include "model/EqTypes.h"
#include "platform/Archive.h"
#include "platform/Folders.h"
#include "tests/common/ModelFixtures.h"

#include <gtest/gtest.h>

#include <set>

namespace toliva {
namespace {

// What the lines hold, gathered over every chain.
struct Contents {
    std::set<int32_t> types;
    bool greek = false, digit = false, cjk = false;
};

void gather(const EqElement* head, Contents& c) {
    for (const EqElement* e = head; e; e = e->next) {
        c.types.insert(e->type);
        if (IsCharType(e)) {
            c.greek = c.greek || (e->ch >= 0x3B1 && e->ch <= 0x3C9);
            c.digit = c.digit || IsDigitElement(e);
            c.cjk = c.cjk || IsCJKElement(e);
        }
        for (const EqElement* child : e->children) gather(child, c);
    }
}

bool holds(const Contents& c, bool (*is)(int32_t)) {
    for (int32_t t : c.types)
        if (is(t)) return true;
    return false;
}

TEST(ShippedPreviewEquation, LoadsAsTwoLinesOfTheUsualStructures) {
    EqModel eq(test::builtInStyle());
    try {
        Archive ar = Archive::openFile(programFolder() + QStringLiteral("Dat/KwFSData.dat"), Archive::Load);
        LoadEquation(&eq, ar);
        EXPECT_EQ(ar.bytesLeft(), 0) << "bytes after the equation";
    } catch (const ArchiveException& e) {
        FAIL() << e.what();
    }
    ASSERT_EQ(eq.lines.size(), 2u);
    // Its own style: loading it never falls back to the user's defaults.
    EXPECT_NE(eq.settings.options[EqLayoutSettings::OptOwnStyle], 0xFF);

    Contents c;
    for (const EqElement* line : eq.lines) {
        ASSERT_EQ(line->type, EqTypeChainHead);
        EXPECT_NE(line->next, nullptr) << "an empty line";
        gather(line, c);
    }
    EXPECT_TRUE(holds(c, IsFractionType));
    EXPECT_TRUE(holds(c, IsRadicalType));
    EXPECT_TRUE(holds(c, IsIntegralType));
    EXPECT_TRUE(holds(c, IsBigOperatorType));
    EXPECT_TRUE(holds(c, IsScriptType));
    // Letters, digits and CJK text are each drawn in a font of their own.
    EXPECT_TRUE(c.greek);
    EXPECT_TRUE(c.digit);
    EXPECT_TRUE(c.cjk);
}

}  // namespace
}  // namespace toliva
