// The fonts of an equation: its math family from the program's own font
// files, "Times New Roman" as the serif family, the families its style names,
// the sans-serif and monospace families; which family draws a character;
// measuring one character and the equation's font metrics.
#pragma once

#include "model/EqNotes.h"
#include "platform/gdiplus/Font.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace toliva {

namespace gp {
class Graphics;
}

class EqModel;

// A font family as elements hold it. Families stay loaded for the whole run,
// so an element's pointer never dangles when its equation's fonts change.
struct EqFont {
    gp::FontFamily family;
};

// The one EqFont of a family (null for a family that is not available).
const EqFont* InternFont(const gp::FontFamily& family);

// Kinds of the main, second and text families (EqModel::fontKinds).
enum EqFontKindSlot { FontKindMain = 0, FontKindSecond = 1, FontKindText = 2 };
enum EqFontKind : uint8_t {
    FontKindNamed = 0,  // a family of the name given
    FontKindMath = 1,   // the math family (main), or no name given (second)
    FontKindSerif = 2,  // "Times New Roman"
};

// Indexes of EqModel::fontMetrics (see MeasureFontMetrics).
enum EqFontMetric {
    MetricAxisOffset = 0,
    MetricShift = 1,
    MetricMargin = 2,
    MetricExtra = 3,
    MetricBaselineOffset = 4,
};

// The families an equation loaded. A family that failed to load is null,
// except the math family, which is then the serif family.
struct EqFontState {
    const EqFont* currentFamily = nullptr;  // the family the next measuring or drawing uses
    std::unique_ptr<gp::PrivateFontCollection> mathCollection;
    std::unique_ptr<gp::PrivateFontCollection> sansCollection;
    std::unique_ptr<gp::PrivateFontCollection> monoCollection;
    const EqFont* mathFamily = nullptr;
    const EqFont* serifFamily = nullptr;
    const EqFont* userFamily = nullptr;
    const EqFont* secondFamily = nullptr;
    const EqFont* textFamily = nullptr;
    const EqFont* sansFamily = nullptr;
    const EqFont* monoFamily = nullptr;
    // Families that draw characters the chosen family lacks, in the order
    // they are tried (see FamilyWithCharacter); found on first need.
    std::vector<const EqFont*> fallbackFamilies;
    bool fallbackFamiliesFound = false;
    // The last answers of FamilyWithCharacter, by the character's low bits:
    // asked for every character laid out, mostly for the same few.
    struct FamilyAnswer {
        const EqFont* asked = nullptr;
        char32_t code = 0;
        const EqFont* answer = nullptr;
    };
    std::array<FamilyAnswer, 256> familyAnswers{};
    // Centred, near line alignment: used for measuring characters.
    gp::StringFormat stringFormat;
    // What loading the equation's style and fonts reported (missing fonts, a
    // newer version, a damaged defaults file) since the caller last took the
    // notes; kept when the families are released.
    EqNotes notes;
};

// The equation's font state (created empty on first use).
EqFontState& EquationFonts(EqModel* eq);
// The notes loading the equation's style and fonts left (EqFontState::notes),
// leaving none. Callers show them after a load or a layout; fonts load on
// first use, so a layout can add the missing-font note.
EqNotes TakeEquationNotes(EqModel* eq);

// The folder of the program's own font files ("Fonts/" beside the program).
QString PrivateFontFolder();
// Moves the program's font folder (tests); an empty folder restores it.
void SetPrivateFontFolder(const QString& folder);
// The math font files of a font size mode (option byte 10): folder N_05, N_10
// or N_15 for 1, 2, 3, N_00 for anything else; italic, regular, bold, bold
// italic in this order.
QStringList MathFontFiles(int sizeMode);

// Loads the families of the equation's style: the math family, the serif
// family, and the user, second and text families the font names ask for;
// sets the three kinds, marks the equation for layout and makes the serif
// family current. Without a font engine in the process (no QGuiApplication)
// the work waits until the equation's fonts are first used.
void SetupEquationFonts(EqModel* eq);
// The built-in style, then SetupEquationFonts.
void ResetLayoutSettings(EqModel* eq);
// Forgets every family and collection of the equation.
void ReleaseEquationFonts(EqModel* eq);

// Nothing when *family is set. Otherwise adds the files to the collection
// (created when there is none) and takes its first family. When it holds
// none, the missing-font note goes to notes (when given), *family becomes
// "Times New Roman" (or the generic serif family) and the result is false.
bool LoadPrivateFamily(const QStringList& files, std::unique_ptr<gp::PrivateFontCollection>& collection,
                       const EqFont** family, EqNotes* notes);

// Load "Fonts/cmss.ttf" or "Fonts/cmtt.ttf" on first use and make that
// family current.
void UseSansFamily(EqModel* eq);
void UseMonoFamily(EqModel* eq);
// Make the family of digits (by the second kind) or of CJK text (by the text
// kind) current; a named family that could not be loaded gives the serif one.
void UseSecondFamily(EqModel* eq);
void UseTextFamily(EqModel* eq);

// The family that draws a character: makes it current and returns the code
// to draw.
uint16_t ChooseFamily(EqModel* eq, uint16_t code);

// The family that draws code: family itself
// when it has the character (or cannot be replaced), else the first of the
// equation's math and serif families and then the fallback families of the
// font table (serif, sans-serif, monospace, CJK and Hangul faces; sans-serif
// first for sans-serif families, monospace first for monospace ones) that
// has it; family when none has it.
const EqFont* FamilyWithCharacter(EqModel* eq, const EqFont* family, char32_t code);
// Measures one character with the family ChooseFamily gives it, regular, at
// the style's font size in pixels: *ink gets the bounds of its outline and
// *boxHeight the height of its measured box, both in a frame whose box top is
// y = 0 and whose box is centred on x = 0. Either pointer may be null. A null
// graphics measures without a surface.
gp::Status MeasureGlyph(uint16_t code, EqModel* eq, gp::Graphics* graphics, gp::RectF* ink, float* boxHeight);

// Fills the five font metrics from 'A' and 'g' (see EqFontMetric).
void MeasureFontMetrics(gp::Graphics* graphics, EqModel* eq);

}  // namespace toliva
