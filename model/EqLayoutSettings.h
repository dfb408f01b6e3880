// The style record of one equation and the defaults file "KwELayout.dat".
#pragma once

#include "platform/gdiplus/GpTypes.h"

#include <QString>

#include <array>
#include <cstdint>

namespace toliva {

class Archive;
class EqModel;
struct EqNotes;

struct EqLayoutSettings {
    static constexpr int kVersion = 16;
    enum Option { OptLineAlignment = 7, OptFontSizeMode = 10, OptOwnStyle = 30, OptVersion = 31 };
    enum Colour { ColourPhantom = 10, ColourText = 14, ColourBackground = 15 };

    // Constructed with empty names and opaque black colours; the other fields
    // take their values from SetDefaultLayoutSettings or a read.
    EqLayoutSettings();

    QString fontName;
    QString fontName2;
    float fontSize = 0;
    float size2 = 0;
    std::array<float, 64> spacing{};
    std::array<uint8_t, 32> options{};
    std::array<int32_t, 8> ints{};
    std::array<gp::ARGB, 16> colours{};

    void CopyFrom(const EqLayoutSettings& source) { *this = source; }
    friend bool operator==(const EqLayoutSettings&, const EqLayoutSettings&) = default;
};

void SetDefaultLayoutSettings(EqLayoutSettings& s);

// What a read record may hold. After the record's own clamps, a spacing or a
// size that is not finite or lies outside these bounds takes its default.
// Spacings are factors of the font size (em); the two sizes are in points.
// The integers are switches (zero or not) and the colours any ARGB value, so
// neither has a bound.
constexpr float kMaxStyleSpacing = 100.0f;  // em, either sign
constexpr float kMinStyleFontSize = 0.5f;   // points
constexpr float kMaxStyleFontSize = 2000.0f;

// Writes or reads one record. After a read the record's clamps are applied,
// then spacings and sizes outside the bounds above take their defaults, and
// the equation's fonts are set up; equation may be null. A
// record of a newer version read into an equation that asks for the warning
// (warnNewerVersion) adds the newer-version note to the equation's notes
// (TakeEquationNotes, model/EqFonts.h), once per read.
void SerializeLayoutSettings(EqLayoutSettings& s, Archive& ar, EqModel* equation);

// Reads a settings file. False without a note when the file cannot be
// opened; false with the damaged-file note (its path as argument) when it is
// damaged. Notes go to notes, or, when that is null, to the equation's notes.
bool ReadLayoutSettingsFile(EqModel* equation, const QString& path, EqLayoutSettings& s,
                            EqNotes* notes = nullptr);
// Writes a settings file (temporary file renamed over the old one); false when
// it cannot be written.
bool WriteLayoutSettingsFile(EqModel* equation, const QString& path, EqLayoutSettings& s);

// The per-user defaults file, "KwELayout.dat" in the per-user data folder.
QString UserLayoutSettingsPath();

// The defaults of a new equation: reads the per-user "KwELayout.dat", or, when
// that fails, takes the built-in defaults (and sets the fonts up). A damaged
// file gives the damaged-defaults note (its path as argument), which callers
// show once per run (EqNoteRun), not for every new equation. Notes go to
// notes, or, when that is null, to the equation's notes. Returns whether the
// file was read.
bool LoadUserLayoutDefaults(EqModel* equation, EqLayoutSettings& s, EqNotes* notes = nullptr);

}  // namespace toliva
