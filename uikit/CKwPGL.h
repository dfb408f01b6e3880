// The property list behind the property grid: groups of typed items, one
// group per page, addressed by (group index, item index), both 0-based.
//
// Every item keeps its value as text and, parsed at once, as int, real, bool
// and colour, so a field reads whichever form it needs. A value of the form
// "#name#" is a link to a named value of an optional value source; the getters
// resolve it when a source is set.
//
// Numbers are read as the C runtime's _wtoi and _wtof read them: leading
// blanks, an optional sign, digits up to the first character that does not
// fit, always the C locale. An integer that overflows saturates; a real that
// overflows gives the largest finite value of its sign. Hexadecimal, infinity
// and NaN forms are not read as reals, so a parsed real is always finite.
#pragma once

#include "platform/Utilities.h"  // TextToInt, TextToDouble

#include <QString>
#include <QStringList>

#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

namespace toliva {

// Style flags of a font value "face,size,style,colour".
enum PropertyFontStyle : int { kFontBold = 1, kFontItalic = 2, kFontUnderline = 4, kFontStrikeOut = 8 };

// A real as an int: truncated toward zero, clamped to the int range; NaN gives 0.
int ClampToInt(double value);

struct PropertyItem {
    QString name;
    bool boolValue = false;                          // intValue > 0
    int intValue = 0;                                // TextToInt of the text
    int colorValue = static_cast<int>(0xFF000000u);  // ARGB or COLORREF, as the page defines
    double realValue = 0.0;                          // TextToDouble of the text
    QString text;                                    // the value as given
    int choice = 0;                                  // selected option of an option field
    bool linked = false;                             // the text is "#name#"
    QString linkedName;                              // name between the two '#'
};

struct PropertyGroup {
    QString name;
    std::deque<PropertyItem> items;  // a deque: items keep their addresses as the group grows
};

// Stores text into the item and parses every typed form from it:
// int = TextToInt, real = TextToDouble, bool = int > 0, colour = int. A text of
// more than one character that, upper-cased, begins with '#' or ends with 'H'
// is a hexadecimal colour: every '#' and 'H' is removed and up to eight hex
// digits are read into the colour ("#80FF0000", "FF00H"). The text trimmed of
// spaces, longer than two characters, with a '#' at both ends is a link; its
// name is the text between them (so "#FF0000#" is a colour and a link).
void ParseItemValue(PropertyItem& item, const QString& text);

// Splits at ',', ';', the full-width comma U+FF0C and the full-width
// semicolon U+FF1B; each part is trimmed of spaces and tabs; empty parts are
// dropped.
QStringList SplitValueList(const QString& text);

// Named values that linked items refer to. A reference is a name followed by
// up to two bracketed indexes, each in [], () or {}: "name", "m[2]", "m(2)(3)",
// "m[#i#][#j#]". The first index is the row, a later one the column; indexes
// are 1-based; an index between two '#' is itself a reference read as an
// integer; an empty or missing index means the first row or column. Names
// match without regard to case. Lookups are safe from any thread.
class PropertyValueSource {
public:
    struct Entry {
        QString name;
        int rows = 0;
        int columns = 0;
        std::vector<double> values;  // rows x columns, row-major; empty: the entry is a scalar
        double scalar = 0.0;         // its low 32 bits also serve as a colour
        QString text;

        // Puts a colour into the low 32 bits of the scalar slot.
        void setColour(uint32_t colour);
    };

    // Adds the entry, replacing one of the same name.
    void setEntry(const Entry& entry);
    void clear();

    // The 8-byte value of a reference: the scalar of an entry without array,
    // else the array element at (row, column) when both lie inside the array.
    bool lookupValue(const QString& reference, double& out) const;
    // The value's low 32 bits.
    bool lookupColour(const QString& reference, uint32_t& out) const;
    // The text of the entry the reference names.
    bool lookupText(const QString& reference, QString& out) const;

private:
    bool lookupBits(const QString& reference, uint64_t& out) const;
    const Entry* find(const QString& name) const;  // caller holds m_mutex

    mutable std::mutex m_mutex;
    std::vector<Entry> m_entries;
};

class CKwPGL {
public:
    CKwPGL() = default;
    CKwPGL(const CKwPGL&) = delete;
    CKwPGL& operator=(const CKwPGL&) = delete;
    virtual ~CKwPGL() = default;

    // The item at (group, item); null when either index does not exist.
    PropertyItem* Item(int group, int item);
    const PropertyItem* Item(int group, int item) const;
    // The item at (group, item), first appending empty groups and empty items
    // until both indexes exist. Null only for a negative index.
    PropertyItem* GetOrAddItem(int group, int item);

    // Setters mark the list modified; they do nothing when the item is missing.
    void SetItemText(int group, int item, const QString& text);
    void SetItemChoice(int group, int item, int choice);
    // Stores a font value "face,size,style,colour".
    void SetItemValue(int group, int item, const QString& face, int size, int style, int colour);

    // Getters give the default (empty, 0, 0.0, false) for a missing item. For a
    // linked item with a source the referenced value is returned (int
    // truncated and clamped, bool when above 0, colour its low 32 bits); when
    // the reference cannot be resolved, the item's own parsed form.
    QString GetItemText(int group, int item, bool resolve) const;
    int GetItemInt(int group, int item) const;
    double GetItemDouble(int group, int item) const;
    bool GetItemBool(int group, int item) const;
    int GetItemColor(int group, int item) const;
    int GetItemChoice(int group, int item) const;

    // Reads the font value "face,size,style,colour" (resolved text): each part
    // that is present replaces the out value (size, style and colour as
    // TextToInt); the size, read or given, is then clamped to 5 .. 100.
    // True only when all four parts were present.
    bool GetItemFont(int group, int item, QString& face, int& size, int& style, int& colour) const;

    // Whether the item is the link "#**#": its text is shown but not edited.
    bool IsFreeEditItem(int group, int item) const;

    bool modified = false;                    // set by every setter; cleared by the owner
    const PropertyValueSource* source = nullptr;  // may be null
    std::deque<PropertyGroup> groups;
};

}  // namespace toliva
