#include "shell/settings/LayoutPageRules.h"

#include "model/EqFonts.h"
#include "model/EqModel.h"
#include "model/EqOutput.h"
#include "model/EqStream.h"
#include "model/RenderContext.h"
#include "platform/Archive.h"
#include "platform/Utilities.h"
#include "platform/gdiplus/Graphics.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace toliva {
namespace {

constexpr int kSection0[] = {1153, 1154, 1166, 1167, 1180, 1181, 1182, 1184, 1194, 1195, 1274};
constexpr int kSection1[] = {1225, 1096, 1227, 1112, 1226, 1110, 1420, 1097};
constexpr int kSection2[] = {1100, 1101, 1113, 1196};
constexpr int kSection3[] = {1120, 1121, 1122, 1123};
constexpr int kSection4[] = {1125, 1126, 1161};
constexpr int kSection5[] = {1127, 1128, 1129, 1131, 1132, 1155, 1175};
constexpr int kSection6[] = {1124, 1133, 1134, 1135};
constexpr int kSection7[] = {1136, 1137, 1138, 1156, 1157, 1185, 1186};
constexpr int kSection8[] = {1139, 1140, 1141, 1142, 1143, 1160, 1165, 1102, 1103, 1190, 1192, 1193, 1191};
constexpr int kSection9[] = {1144, 1145, 1164, 1104, 1105, 1187, 1177};
constexpr int kSection10[] = {1146, 1147, 1152, 1169, 1170, 1171};
constexpr int kSection11[] = {1148, 1149, 1150, 1151};
constexpr int kSection12[] = {1106, 1107, 1108, 1109, 1183, 1162, 1163, 1168, 1176};
constexpr int kSection13[] = {1158, 1159, 1172, 1188, 1189};
constexpr int kSection14[] = {1173, 1174};

// Radio groups, each in the order of the values of its option byte.
constexpr int kIntegralStyleRadios[] = {1190, 1102, 1103, 1191, 1192, 1193};  // byte 0
constexpr int kBigOperatorRadios[] = {1105, 1104};                              // byte 1, bit 0
constexpr int kBraceRadios[] = {1107, 1106};                                    // byte 2
constexpr int kRoundBracketRadios[] = {1108, 1109, 1183};                       // byte 3
constexpr int kAlignmentRadios[] = {1180, 1181, 1182, 1184};                    // byte 7
constexpr int kRadicalRadios[] = {1186, 1185};                                  // byte 8
constexpr int kOperatorSpacingRadios[] = {1189, 1188};                          // byte 9
constexpr int kBigOperatorCheck = 1187;                                         // byte 1, bit 1

constexpr std::span<const int> kRadioGroups[] = {kIntegralStyleRadios, kBigOperatorRadios,  kBraceRadios,
                                                 kRoundBracketRadios,  kAlignmentRadios,    kRadicalRadios,
                                                 kOperatorSpacingRadios};

constexpr int kChecks[] = {kBigOperatorCheck, kLayoutNoSpaceAfterInlineCheck, kLayoutHalfHeightBaselineCheck,
                           kLayoutDocFontSizeCheck};

constexpr float kMinBaseSize = 4, kMaxBaseSize = 36;
constexpr float kMinSecondSize = 4, kMaxSecondSize = 24;

struct SpacingRange {
    int slot;
    double low, high;
};
// The spacings the page keeps in a range of their own. 54 is held to the
// range a record is read with, so a value stored here survives a save.
constexpr SpacingRange kStoreRanges[] = {{4, 0.5, 1.0}, {52, 0.618, 1.236}, {54, 1.0, 1.2}, {55, 1.0, 1.6}};
constexpr SpacingRange kLoadRanges[] = {{54, 1.0, 1.2}, {55, 1.0, 1.6}};
constexpr SpacingRange kSmallGroupRange{57, 0.5, 0.9};

// NaN takes the low end (the edits never give one; a product might).
double clampTo(double v, double low, double high) { return std::isnan(v) ? low : std::clamp(v, low, high); }

double percentOf(const LayoutControlStates& states, int id) { return TextToDouble(states.edit(id)) * 0.01; }

QString formatG(double v) { return QString::asprintf("%g", v); }

// The index of the first ticked radio of the group; -1 when none is.
int tickedIndex(const LayoutControlStates& states, std::span<const int> group) {
    for (size_t i = 0; i < group.size(); ++i)
        if (states.isTicked(group[i])) return int(i);
    return -1;
}

std::vector<int> makePictureControls() {
    std::vector<int> ids;
    for (int s = 0; s < kLayoutSectionCount; ++s) {
        if (s == kLayoutFontSection) continue;
        ids.insert(ids.end(), kLayoutSections[size_t(s)].begin(), kLayoutSections[size_t(s)].end());
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

}  // namespace

const std::array<std::span<const int>, kLayoutSectionCount> kLayoutSections = {
    kSection0, kSection1, kSection2,  kSection3,  kSection4,  kSection5,  kSection6, kSection7,
    kSection8, kSection9, kSection10, kSection11, kSection12, kSection13, kSection14};

const std::array<const char*, 4> kLayoutSizeSteps = {"0", "+5%", "+10%", "+15%"};

std::span<const int> LayoutPictureControls() {
    static const std::vector<int> ids = makePictureControls();
    return ids;
}

bool IsLayoutCheck(int id) { return std::find(std::begin(kChecks), std::end(kChecks), id) != std::end(kChecks); }

std::span<const int> LayoutRadioGroup(int id) {
    for (std::span<const int> group : kRadioGroups)
        if (std::find(group.begin(), group.end(), id) != group.end()) return group;
    return {};
}

bool IsIntegralStyleRadio(int id) {
    return std::find(std::begin(kIntegralStyleRadios), std::end(kIntegralStyleRadios), id) !=
           std::end(kIntegralStyleRadios);
}

bool IsLayoutButton(int id) { return IsLayoutCheck(id) || !LayoutRadioGroup(id).empty(); }

int LayoutSpacingEditId(int k) {
    if (k < 0 || k >= kLayoutSpacingEditCount) return -1;
    return k < 10 ? kLayoutFirstSpacingEdit + k : kLayoutFirstSpacingEdit + 1 + k;
}

int LayoutSpacingOfEdit(int id) {
    if (id < kLayoutFirstSpacingEdit || id > kLayoutLastSpacingEdit || id == kLayoutUnusedSpacingId) return -1;
    return id < kLayoutUnusedSpacingId ? id - kLayoutFirstSpacingEdit : id - kLayoutFirstSpacingEdit - 1;
}

QString LayoutControlStates::edit(int id) const {
    const auto it = edits.find(id);
    return it == edits.end() ? QString() : it->second;
}

void StoreLayoutControls(const LayoutControlStates& states, EqLayoutSettings& record) {
    // In this order: the sizes as typed, the second size from the base size
    // as typed, then the clamps.
    double base = TextToDouble(states.edit(kLayoutBaseSizeEdit));
    const double percent = TextToDouble(states.edit(kLayoutSecondSizeEdit));
    const double smallGroup = clampTo(percentOf(states, kLayoutSmallGroupEdit), kSmallGroupRange.low,
                                      kSmallGroupRange.high);
    double second = base * percent / 100;
    base = clampTo(base, kMinBaseSize, kMaxBaseSize);
    second = std::min(clampTo(second, kMinSecondSize, kMaxSecondSize), base);
    record.fontSize = float(base);
    record.size2 = float(second);
    record.spacing[size_t(kSmallGroupRange.slot)] = float(smallGroup);

    for (int k = 0; k < kLayoutSpacingEditCount; ++k) {
        double value = percentOf(states, LayoutSpacingEditId(k));
        for (const SpacingRange& r : kStoreRanges)
            if (r.slot == k) value = clampTo(value, r.low, r.high);
        // Beyond what a record may hold the value would be dropped for the
        // default when the record is read back.
        record.spacing[size_t(k)] = float(clampTo(value, -kMaxStyleSpacing, kMaxStyleSpacing));
    }

    auto& o = record.options;
    o[0] = uint8_t(std::max(0, tickedIndex(states, kIntegralStyleRadios)));
    const bool odd = states.isTicked(1104);
    o[1] = uint8_t(states.isTicked(kBigOperatorCheck) ? (odd ? 3 : 2) : (odd ? 1 : 0));
    o[2] = states.isTicked(1106) ? 1 : 0;
    o[3] = states.isTicked(1108) ? 0 : states.isTicked(1109) ? 1 : 2;
    o[EqLayoutSettings::OptLineAlignment] = uint8_t(std::max(0, tickedIndex(states, kAlignmentRadios)));
    o[8] = states.isTicked(1185) ? 1 : 0;
    o[9] = states.isTicked(1188) ? 1 : 0;
    if (states.sizeStep >= 0 && states.sizeStep < int(kLayoutSizeSteps.size()))
        o[EqLayoutSettings::OptFontSizeMode] = uint8_t(states.sizeStep);
}

LayoutControlStates LoadLayoutControls(EqLayoutSettings& record) {
    // The clamps come first, so that the edits show what the record holds.
    for (const SpacingRange& r : kLoadRanges) {
        float& v = record.spacing[size_t(r.slot)];
        v = float(clampTo(v, r.low, r.high));
    }

    LayoutControlStates states;
    const double base = record.fontSize;
    states.edits[kLayoutBaseSizeEdit] = formatG(base);
    states.edits[kLayoutSecondSizeEdit] = formatG(base > 0 ? double(record.size2) / base * 100 : 0.0);
    states.edits[kLayoutSmallGroupEdit] = formatG(double(record.spacing[size_t(kSmallGroupRange.slot)]) * 100);
    for (int k = 0; k < kLayoutSpacingEditCount; ++k)
        states.edits[LayoutSpacingEditId(k)] = formatG(double(record.spacing[size_t(k)]) * 100);

    const auto& o = record.options;
    auto tickIn = [&](std::span<const int> group, int index) {
        if (index >= 0 && index < int(group.size())) states.ticked.insert(group[size_t(index)]);
    };
    tickIn(kIntegralStyleRadios, std::min<int>(o[0], 5));
    // Big-operator styles above 3 draw as style 3.
    const int bigOperator = std::min<int>(o[1], 3);
    tickIn(kBigOperatorRadios, bigOperator & 1);
    if (bigOperator >= 2) states.ticked.insert(kBigOperatorCheck);
    tickIn(kBraceRadios, o[2] != 0 ? 1 : 0);
    tickIn(kRoundBracketRadios, std::min<int>(o[3], 2));
    tickIn(kAlignmentRadios, o[EqLayoutSettings::OptLineAlignment]);
    tickIn(kRadicalRadios, o[8] != 0 ? 1 : 0);
    tickIn(kOperatorSpacingRadios, o[9] != 0 ? 1 : 0);
    const int step = o[EqLayoutSettings::OptFontSizeMode];
    states.sizeStep = step < int(kLayoutSizeSteps.size()) ? step : -1;
    return states;
}

// ---- fonts

LayoutFontNames LayoutFontNamesOf(const EqLayoutSettings& record) {
    LayoutFontNames names;
    SplitAtBar(record.fontName, &names.main, &names.second);
    names.text = record.fontName2;
    names.mainDefault = record.ints[6] != 0;
    names.textDefault = record.ints[7] != 0;
    return names;
}

void StoreLayoutFonts(const LayoutFontChoice& main, const LayoutFontChoice& second, const LayoutFontChoice& text,
                      EqLayoutSettings& record) {
    const LayoutFontNames old = LayoutFontNamesOf(record);
    // The default entry (item 0) sets the integer that makes the equation
    // use its built-in font; the record keeps the name it had, so that the
    // entry's caption (in the interface language) never becomes a font name.
    QString mainName = old.main;
    if (main.index >= 0) {
        if (main.index > 0) mainName = main.text;
        record.ints[6] = main.index == 0 ? 1 : 0;
    }
    QString secondName = old.second;
    if (second.index >= 0) secondName = second.index > 0 ? second.text : QString();
    record.fontName = secondName.isEmpty() ? mainName : mainName + QLatin1Char('|') + secondName;
    if (text.index >= 0) {
        if (text.index > 0) record.fontName2 = text.text;
        record.ints[7] = text.index == 0 ? 1 : 0;
    }
}

// ---- preview

QString PreviewEquationPath(const QString& programFolder) {
    return programFolder + QStringLiteral("Dat/KwFSData.dat");
}

std::unique_ptr<EqModel> LoadPreviewEquation(const QString& programFolder) {
    EqLayoutSettings defaults;
    SetDefaultLayoutSettings(defaults);
    auto eq = std::make_unique<EqModel>(defaults);
    try {
        Archive ar = Archive::openFile(PreviewEquationPath(programFolder), Archive::Load);
        LoadEquation(eq.get(), ar);
    } catch (const FileException&) {
        return nullptr;
    } catch (const ArchiveException&) {
        return nullptr;
    }
    // A sample has nothing to tell the user (its style is replaced anyway).
    TakeEquationNotes(eq.get());
    return eq;
}

PreviewExtent DrawPreviewEquation(const RenderContext& context, gp::Graphics& graphics, EqModel& preview,
                                  const EqLayoutSettings& working, int dpiY) {
    preview.settings.CopyFrom(working);
    preview.settings.fontSize = float(dpiY > 0 ? dpiY : 96) / 4;
    SetupEquationFonts(&preview);
    preview.needsLayout = 1;
    graphics.SetSmoothingMode(gp::SmoothingModeAntiAlias);
    graphics.SetTextRenderingHint(gp::TextRenderingHintAntiAlias);
    DrawEquation(context, gp::PointF{0, 0}, graphics, &preview, 1.0f, false, false);
    TakeEquationNotes(&preview);
    // A sample whose outlines hold wild numbers may lay out to no usable
    // size; then there is nothing to show.
    const auto usable = [](float v) { return std::isfinite(v) && v > 0 ? v : 0.0f; };
    return {usable(preview.widestLine), usable(preview.totalHeight)};
}

}  // namespace toliva
