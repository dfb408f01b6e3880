// The style record of one equation and the defaults file "KwELayout.dat".
#pragma once

#include "platform/gdiplus/GpTypes.h"

#include <QString>

#include <array>
#include <cstdint>

namespace toliva {

class Archive;
class EqModel;

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

// Writes or reads one record. After a read the record's clamps are applied,
// sizes and spacings that are not finite (or sizes not positive) take their
// defaults, and the equation's fonts are set up; equation may be null.
void SerializeLayoutSettings(EqLayoutSettings& s, Archive& ar, EqModel* equation);

// Reads a settings file. False without a message when the file cannot be
// opened; false with the "failed to open file : " message when it is damaged.
bool ReadLayoutSettingsFile(EqModel* equation, const QString& path, EqLayoutSettings& s);
// Writes a settings file (temporary file renamed over the old one); false when
// it cannot be written.
bool WriteLayoutSettingsFile(EqModel* equation, const QString& path, EqLayoutSettings& s);

// The per-user defaults file, "KwELayout.dat" in the per-user data folder.
QString UserLayoutSettingsPath();

// The defaults of a new equation: reads the per-user "KwELayout.dat", or, when
// that fails, takes the built-in defaults (and sets the fonts up). A damaged
// file is reported once per run, not for every new equation. Returns whether
// the file was read.
bool LoadUserLayoutDefaults(EqModel* equation, EqLayoutSettings& s);

}  // namespace toliva
