// What the Layout page of the equation settings dialog does with the style
// record, without its widgets: the 15 sections and their controls, how the
// controls' states become record values and back, the two-part main font
// name, and the sample equation its fonts section previews.
#pragma once

#include "model/EqLayoutSettings.h"

#include <QString>

#include <array>
#include <map>
#include <memory>
#include <set>
#include <span>

namespace toliva {

class EqModel;
struct RenderContext;

namespace gp {
class Graphics;
}

// Control ids of the page.
enum LayoutPageControl : int {
    kLayoutBaseSizeEdit = 1100,    // base size, points
    kLayoutSecondSizeEdit = 1101,  // second size, per cent of the base size
    kLayoutSmallGroupEdit = 1113,  // spacing 57, per cent
    kLayoutFirstSpacingEdit = 1120,
    kLayoutUnusedSpacingId = 1130,
    kLayoutLastSpacingEdit = 1177,
    kLayoutAlignmentCaption = 1274,
    kLayoutSectionFrame = 1099,
    kLayoutSectionList = 1267,
    kLayoutMainFontCombo = 1096,
    kLayoutSecondFontCombo = 1112,
    kLayoutTextFontCombo = 1110,
    kLayoutSizeStepCombo = 1097,
    kLayoutMainFontLabel = 1225,
    kLayoutSecondFontLabel = 1227,
    kLayoutTextFontLabel = 1226,
    kLayoutSizeStepLabel = 1420,
    kLayoutNoSpaceAfterInlineCheck = 1194,
    kLayoutHalfHeightBaselineCheck = 1195,
    kLayoutDocFontSizeCheck = 1196,
};

constexpr int kLayoutSectionCount = 15;
constexpr int kLayoutFontSection = 1;
constexpr int kLayoutSpacingEditCount = 57;

// The controls of each section, in the order in which they are laid over the
// fields of the section's picture (section 1: the font controls, shown as
// they stand).
extern const std::array<std::span<const int>, kLayoutSectionCount> kLayoutSections;

// The controls that sections other than the fonts' lay over their pictures:
// the four edits and captions, the 57 spacing edits and the 25 buttons.
std::span<const int> LayoutPictureControls();
// The buttons: radios and checks.
bool IsLayoutButton(int id);
bool IsLayoutCheck(int id);  // 1187, 1194, 1195, 1196; the other buttons are radios
// The radio group of id, id among them (a click ticks id and clears the
// rest); empty for a check or an id that is no radio.
std::span<const int> LayoutRadioGroup(int id);
// The six radios of the integral sign style (option byte 0).
bool IsIntegralStyleRadio(int id);

// The edit of spacing k (0 .. 56): 1120 + k below 10, else 1121 + k (1130 is
// not used); -1 for any other k. And back: -1 for an id that is none.
int LayoutSpacingEditId(int k);
int LayoutSpacingOfEdit(int id);

// The entries of the size-step combo 1097 (option byte 10).
extern const std::array<const char*, 4> kLayoutSizeSteps;

// What the page's controls hold: the texts of its edits by control id, the
// ticked buttons and the selection of the size-step combo (-1: none).
struct LayoutControlStates {
    std::map<int, QString> edits;
    std::set<int> ticked;
    int sizeStep = -1;

    bool isTicked(int id) const { return ticked.count(id) != 0; }
    QString edit(int id) const;
};

// The controls into the record: sizes, spacings and option bytes 0, 1, 2, 3,
// 7, 8, 9 and 10, each clamped to its range. Edits are read as plain decimal
// numbers (text that is no number reads as 0, then clamps). A size-step
// combo without a selection leaves byte 10 as it is.
void StoreLayoutControls(const LayoutControlStates& states, EqLayoutSettings& record);
// The record into the controls: the sizes and spacings as "%g" texts (the
// second size and the spacings in per cent), the buttons of the option
// bytes ticked. Spacings 54 and 55 are first clamped in the record itself.
LayoutControlStates LoadLayoutControls(EqLayoutSettings& record);

// ---- fonts

// The main font name is "main|second": the main family and a second family
// for what the main one lacks. Integer 6 set means the default main font,
// integer 7 the default text font.
struct LayoutFontNames {
    QString main;
    QString second;  // empty: none
    QString text;    // font name 2
    bool mainDefault = false;
    bool textDefault = false;
};
LayoutFontNames LayoutFontNamesOf(const EqLayoutSettings& record);

// A font combo's selection: its index (0 is the default entry, -1 none) and
// the text of the entry chosen.
struct LayoutFontChoice {
    int index = -1;
    QString text;
};
// The three font combos into the record. Item 0 of the main or text combo
// sets integer 6 or 7; a second font other than item 0 joins the main name
// after a '|'. A combo without a selection (its font is not installed here)
// keeps the record's name for its part.
void StoreLayoutFonts(const LayoutFontChoice& main, const LayoutFontChoice& second, const LayoutFontChoice& text,
                      EqLayoutSettings& record);

// ---- preview

// The sample equation of the fonts section: programFolder + "Dat/KwFSData.dat".
QString PreviewEquationPath(const QString& programFolder);
// Reads the sample equation; null when the file is missing or damaged.
std::unique_ptr<EqModel> LoadPreviewEquation(const QString& programFolder);

struct PreviewExtent {
    float width = 0;
    float height = 0;
};
// Copies the working record into the preview equation, sets its base size to
// a quarter of dpiY (24 at 96 dots per inch), sets its fonts up and draws it
// at scale 1 from (0, 0). Returns the laid-out width and height, each 0
// when it is not a positive finite number.
PreviewExtent DrawPreviewEquation(const RenderContext& context, gp::Graphics& graphics, EqModel& preview,
                                  const EqLayoutSettings& working, int dpiY);

}  // namespace toliva
