// Fonts of the drawing layer: font families, private font collections,
// fonts of one em size and style, and the string format.
//
// A family is found by the name the system knows ("Times New Roman",
// "Segoe UI"); the font map (FontMap.h) says which installed font files
// stand in for it. A name that neither the map nor the installed fonts know
// gives a family that is not available (FontFamilyNotFound): nothing is
// substituted behind the caller's back.
//
// Metrics follow the system's text measuring: the cell ascent and descent are
// the OS/2 table's Windows ascent and descent, the line spacing is their sum
// plus the part of the hhea line gap that they do not already cover. All
// metrics of a family are in font design units (GetEmHeight per em).
//
// Fonts need the application's font engine (a QGuiApplication); without one
// every family is unavailable and no file is loaded.
#pragma once

#include "platform/gdiplus/GpTypes.h"

#include <QPainterPath>
#include <QRawFont>
#include <QString>

#include <array>
#include <cstddef>
#include <memory>
#include <vector>

namespace toliva::gp {

enum FontStyle : int {
    FontStyleRegular = 0,
    FontStyleBold = 1,
    FontStyleItalic = 2,
    FontStyleBoldItalic = 3,
};

// Units of a font's em size. World and pixel units are the same length here.
enum Unit { UnitWorld = 0, UnitDisplay = 1, UnitPixel = 2 };

// Whether fonts can be loaded in this process (a QGuiApplication exists).
bool FontEngineAvailable();

// Glyph outlines and advances are kept once fetched from a face, in design
// units, so that text drawn again at any size or transform costs no font
// engine call. The cache is shared by all faces and threads and holds at most
// GlyphCacheLimit() glyphs, the least recently used going first; it is
// emptied with the faces when the application ends.
inline constexpr size_t kDefaultGlyphCacheLimit = 4096;
size_t GlyphCacheCount();
size_t GlyphCacheLimit();
// A limit of 0 keeps nothing; glyphs over a lowered limit go at once.
void SetGlyphCacheLimit(size_t limit);

// Measured text boxes are wider than the text's advance by this much of the
// em on each side, as the system's text measuring pads them.
inline constexpr float kStringSidePaddingEm = 1.0f / 6.0f;

class FontFace;
struct AuthoredGlyph;

// The faces of one family, shared by every copy of a FontFamily.
struct FontFamilyData {
    QString name;
    // Faces by style (regular, bold, italic, bold italic); missing ones null.
    std::array<std::shared_ptr<const FontFace>, 4> faces;
    // A key naming the family and the files of its faces.
    QString key;
};

class FontFamily {
public:
    // No family: not available.
    FontFamily() = default;
    // The family the system knows by name (case is ignored). Not available,
    // with FontFamilyNotFound, when no font stands in for the name.
    explicit FontFamily(const QString& name);
    // The generic serif family.
    static FontFamily GenericSerif();

    bool IsAvailable() const { return m_data != nullptr; }
    Status GetLastStatus() const { return m_status; }
    QString GetFamilyName() const;
    // Whether the family has a face of its own for the style. A style
    // without one is drawn with the nearest face the family has, and a
    // character that the style's face lacks with another face of the family.
    bool IsStyleAvailable(int style) const;

    // Design units of the face that draws style; 0 when not available.
    int GetEmHeight(int style) const;
    int GetCellAscent(int style) const;
    int GetCellDescent(int style) const;
    int GetLineSpacing(int style) const;

    // The face that draws style: its own, else bold or italic dropped, else
    // any face; null when the family is not available.
    const FontFace* face(int style) const;
    // Names the family and its files; equal keys mean the same family.
    QString key() const;

    friend bool operator==(const FontFamily& a, const FontFamily& b) { return a.key() == b.key(); }

private:
    friend class PrivateFontCollection;
    explicit FontFamily(std::shared_ptr<const FontFamilyData> data) : m_data(std::move(data)), m_status(Ok) {}

    std::shared_ptr<const FontFamilyData> m_data;
    Status m_status = FontFamilyNotFound;
};

// Font files loaded by the program itself. Faces of files that carry the same
// family name form one family; families keep the order in which their first
// file was added. The program's own font files (FontMap.h) carry the family
// names the map gives them; other files their own.
class PrivateFontCollection {
public:
    // FileNotFound when the file cannot be read or holds no usable font.
    Status AddFontFile(const QString& path);
    int GetFamilyCount() const { return int(m_families.size()); }
    // The family at index; not available when out of range.
    FontFamily GetFamily(int index) const;

private:
    std::vector<std::shared_ptr<FontFamilyData>> m_families;
};

// A family at one em size and style.
class Font {
public:
    Font() = default;
    // InvalidParameter for an em size that is not a positive finite number or
    // a unit other than world, display or pixel; FontFamilyNotFound for a
    // family that is not available.
    Font(const FontFamily& family, float emSize, int style = FontStyleRegular, Unit unit = UnitPixel);

    bool IsAvailable() const { return m_status == Ok; }
    Status GetLastStatus() const { return m_status; }
    const FontFamily& family() const { return m_family; }
    float GetSize() const { return m_size; }
    int GetStyle() const { return m_style; }
    // The line spacing in world units.
    float GetHeight() const;

private:
    FontFamily m_family;
    float m_size = 0;
    int m_style = FontStyleRegular;
    Status m_status = InvalidParameter;
};

enum StringAlignment {
    StringAlignmentNear = 0,
    StringAlignmentCenter = 1,
    StringAlignmentFar = 2,
};

enum StringFormatFlags : int {
    StringFormatFlagsNoFitBlackBox = 0x4,
    StringFormatFlagsMeasureTrailingSpaces = 0x800,
    StringFormatFlagsNoWrap = 0x1000,
    StringFormatFlagsNoClip = 0x4000,
};

// How a string sits in its layout rectangle. A new format centres the text
// across (StringAlignmentCenter) and puts it at the top (near line
// alignment), as the equation measures characters.
//
// Text is never wrapped nor clipped. Along a side of the layout rectangle
// that is 0 long, the text is aligned to the rectangle's edge as to a point:
// near starts there, centre centres on it, far ends there.
class StringFormat {
public:
    explicit StringFormat(int flags = 0) : m_flags(flags) {}

    Status SetAlignment(StringAlignment a);
    StringAlignment GetAlignment() const { return m_alignment; }
    Status SetLineAlignment(StringAlignment a);
    StringAlignment GetLineAlignment() const { return m_lineAlignment; }
    Status SetFormatFlags(int flags) {
        m_flags = flags;
        return Ok;
    }
    int GetFormatFlags() const { return m_flags; }

private:
    StringAlignment m_alignment = StringAlignmentCenter;
    StringAlignment m_lineAlignment = StringAlignmentNear;
    int m_flags = 0;
};

// One loaded font file: its outlines and the metrics the drawing layer uses.
// Immutable once loaded; shared by every family that holds it.
class FontFace {
public:
    // Loads the first face of a font file; null when it cannot be used.
    static std::shared_ptr<const FontFace> load(const QString& path);
    // The face the font engine has for an installed family and style, when
    // its family name is exactly name; null otherwise.
    static std::shared_ptr<const FontFace> installed(const QString& name, int style);

    QString path;        // the file, or "installed:" and the family name
    QString familyName;  // as the file names it
    bool bold = false;
    bool italic = false;
    int unitsPerEm = 0;
    int cellAscent = 0;
    int cellDescent = 0;
    int lineSpacing = 0;

    // The glyph of a character, 0 when the face has none.
    quint32 glyphFor(char32_t code) const;
    // The advance of a glyph in design units.
    float advance(quint32 glyph) const;
    // The outline of a glyph in design units, y down, origin on the baseline.
    QPainterPath outline(quint32 glyph) const;

    FontFace();

private:
    void readMetrics();

    // Names the face in the glyph cache: never reused, unlike its address.
    const quint64 m_id;

    QRawFont m_raw;  // at a pixel size of one em in design units, unhinted
};

}  // namespace toliva::gp
