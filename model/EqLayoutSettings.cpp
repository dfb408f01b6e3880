#include "EqLayoutSettings.h"

#include "EqFonts.h"
#include "EqModel.h"
#include "EqNotes.h"
#include "EqSpacing.h"
#include "platform/AppContext.h"
#include "platform/Archive.h"

#include <cmath>

namespace toliva {
namespace {

constexpr float kDefaultFontSize = 12.0f;
constexpr float kDefaultSize2 = 3.0f;

constexpr std::array<float, 64> kDefaultSpacing = {
    0.5f,  0.02f, 0.15f, 0.1f,  0.8f,  0.0f,  0.0f,  0.56f, -0.06f, 0.08f, 0.08f, -0.06f, 0.25f,
    0.0f,  0.15f, 0.45f, 0.05f, 0.15f, 2.2f,  0.0f,  0.0f,  0.0f,   0.0f,  1.7f,  0.0f,   0.8f,
    0.2f,  0.8f,  0.25f, 0.0f,  0.0f,  1.0f,  0.1f,  0.1f,  0.1f,   0.4f,  0.0f,  0.7f,   0.1f,
    0.1f,  0.0f,  0.08f, 0.0f,  0.12f, 0.12f, 0.1f,  0.1f,  5.0f,   0.1f,  0.02f, 0.05f,  0.04f,
    1.0f,  0.05f, 1.12f, 1.2f,  1.3f,  0.8f,  0.0f,  0.0f,  0.0f,   0.0f,  0.0f,  0.0f};

constexpr std::array<uint8_t, 32> kDefaultOptions = {1, 1, 0, 2, 0, 0, 9, 1, 1, 1, 2};

constexpr std::array<int32_t, 8> kDefaultInts = {0, 1, 1, 0, 0, 1, 1, 1};

constexpr std::array<gp::ARGB, 16> kDefaultColours = {
    0xFFB22222, 0xFF404080, 0xFF000000, 0xFF0000F0, 0xFFB300B3, 0xFFFF0000, 0xFF800080, 0xFFC14E61,
    0xFF0020F0, 0xFF228B22, 0xFFE0E0E0, 0xFF8A2BE2, 0xFF2E8B57, 0xFFF000F0, 0xFF000000, 0xFFFFFFFF};

constexpr gp::ARGB kOldPhantomColour = 0xFFD3D3D3;

float clampTo(float v, float lo, float hi) { return v < lo ? lo : (v > hi ? hi : v); }

bool within(float v, float lo, float hi) { return std::isfinite(v) && v >= lo && v <= hi; }

// Values a damaged or hand-made record may hold that layout cannot work with
// (after the clamps, which settle what they cover).
void replaceUnusableValues(EqLayoutSettings& s) {
    if (!within(s.fontSize, kMinStyleFontSize, kMaxStyleFontSize)) s.fontSize = kDefaultFontSize;
    if (!within(s.size2, kMinStyleFontSize, kMaxStyleFontSize)) s.size2 = kDefaultSize2;
    for (size_t i = 0; i < s.spacing.size(); ++i)
        if (!within(s.spacing[i], -kMaxStyleSpacing, kMaxStyleSpacing)) s.spacing[i] = kDefaultSpacing[i];
}

void applyClamps(EqLayoutSettings& s) {
    auto& sp = s.spacing;
    if (sp[SpacingNestedFractionScale] < 0.5f) sp[SpacingNestedFractionScale] = 0.8f;
    if (sp[SpacingIntegralStep] < 0.1f) sp[SpacingIntegralStep] = 0.1f;
    sp[SpacingScriptWiden] = clampTo(sp[SpacingScriptWiden], 1.0f, 1.2f);
    sp[SpacingNestedBracketGrow] = clampTo(sp[SpacingNestedBracketGrow], 1.0f, 1.6f);
    if (sp[SpacingSideLimitOperatorSize] < 1.0f) sp[SpacingSideLimitOperatorSize] = 1.3f;

    const uint8_t version = s.options[EqLayoutSettings::OptVersion];
    if (version < 2) s.colours[EqLayoutSettings::ColourPhantom] = kOldPhantomColour;
    if (version < 14) sp[SpacingSmallGroupScale] = 0.8f;
}

// Where the notes of a call go: the caller's list, else the equation's.
EqNotes* notesFor(EqModel* equation, EqNotes* notes) {
    if (notes) return notes;
    return equation ? &EquationFonts(equation).notes : nullptr;
}

void writeRecord(EqLayoutSettings& s, Archive& ar) {
    s.options[EqLayoutSettings::OptVersion] = EqLayoutSettings::kVersion;
    ar.writeString(s.fontName);
    ar.writeString(s.fontName2);
    ar.writeF32(s.fontSize);
    ar.writeF32(s.size2);
    for (float f : s.spacing) ar.writeF32(f);
    ar.writeBytes(s.options.data(), qint64(s.options.size()));
    for (int32_t v : s.ints) ar.writeI32(v);
    for (gp::ARGB c : s.colours) ar.writeU32(gp::ColorrefFromArgb(c));
}

// Reads into a copy so that a failed read leaves the caller's record as it was.
void readRecord(EqLayoutSettings& s, Archive& ar, EqModel* equation) {
    EqLayoutSettings r = s;
    r.fontName = ar.readString();
    r.fontName2 = ar.readString();
    r.fontSize = ar.readF32();
    r.size2 = ar.readF32();
    for (float& f : r.spacing) f = ar.readF32();
    ar.readBytes(r.options.data(), qint64(r.options.size()));

    if (equation && equation->warnNewerVersion && r.options[EqLayoutSettings::OptVersion] > EqLayoutSettings::kVersion)
        EquationFonts(equation).notes.add(EqNoteKind::NewerVersion);

    for (int32_t& v : r.ints) v = ar.readI32();
    for (gp::ARGB& c : r.colours) c = gp::ArgbFromColorref(ar.readU32());

    applyClamps(r);
    replaceUnusableValues(r);
    s = std::move(r);
    if (equation) SetupEquationFonts(equation);
}

enum class FileRead { Ok, CannotOpen, Damaged };

FileRead readFile(EqModel* equation, const QString& path, EqLayoutSettings& s) {
    try {
        Archive ar = Archive::openFile(path, Archive::Load);
        SerializeLayoutSettings(s, ar, equation);
        return FileRead::Ok;
    } catch (const FileException&) {
        return FileRead::CannotOpen;
    } catch (const ArchiveException&) {
        return FileRead::Damaged;
    }
}

}  // namespace

EqLayoutSettings::EqLayoutSettings() { colours.fill(0xFF000000); }

void SetDefaultLayoutSettings(EqLayoutSettings& s) {
    s.fontName = QStringLiteral("Times New Roman");
    s.fontName2 = QStringLiteral("Times New Roman");
    s.fontSize = kDefaultFontSize;
    s.size2 = kDefaultSize2;
    s.spacing = kDefaultSpacing;
    s.options = kDefaultOptions;
    s.ints = kDefaultInts;
    s.colours = kDefaultColours;
}

void SerializeLayoutSettings(EqLayoutSettings& s, Archive& ar, EqModel* equation) {
    if (ar.isStoring())
        writeRecord(s, ar);
    else
        readRecord(s, ar, equation);
}

bool ReadLayoutSettingsFile(EqModel* equation, const QString& path, EqLayoutSettings& s, EqNotes* notes) {
    switch (readFile(equation, path, s)) {
    case FileRead::Ok:
        return true;
    case FileRead::CannotOpen:
        return false;
    case FileRead::Damaged:
        if (EqNotes* to = notesFor(equation, notes)) to->add(EqNoteKind::DamagedFile, path);
        return false;
    }
    return false;
}

bool WriteLayoutSettingsFile(EqModel* equation, const QString& path, EqLayoutSettings& s) {
    try {
        Archive ar = Archive::openFile(path, Archive::Store);
        SerializeLayoutSettings(s, ar, equation);
        ar.close();
        return true;
    } catch (const FileException&) {
        return false;
    }
}

QString UserLayoutSettingsPath() {
    AppContext& context = app();
    if (context.userFolder.isEmpty()) context.createUserFolders();
    return context.userFolder + QStringLiteral("KwELayout.dat");
}

bool LoadUserLayoutDefaults(EqModel* equation, EqLayoutSettings& s, EqNotes* notes) {
    const QString path = UserLayoutSettingsPath();
    const FileRead result = readFile(equation, path, s);
    if (result == FileRead::Ok) return true;
    if (result == FileRead::Damaged)
        if (EqNotes* to = notesFor(equation, notes)) to->add(EqNoteKind::DamagedDefaults, path);
    SetDefaultLayoutSettings(s);
    if (equation) SetupEquationFonts(equation);
    return false;
}

}  // namespace toliva
