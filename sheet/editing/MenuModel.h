// The editing sheet's two popup menus as data: the main menu and the context
// menu with the submenus of the element at the caret. Each menu is built anew
// from a plain state record every time it opens; the sheet turns the entries
// into an icon menu with captions in the current language and carries the
// chosen code out. No widgets here.
//
// An entry names its caption as an item of a group of a language file
// ("LANG_03.xml" unless another file is named) or, for language names and
// number formats, as a text of its own; its code is a command code (or a
// menu identifier: 8000 + n for language n, 9001 for exit); its icon is a
// picture of the "icons/" folder named with its subfolder ("tb\Undo").
#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

namespace toliva {

class EqModel;
struct EqElement;

// The language files of the captions.
inline const QString kMenuCaptionFile = QStringLiteral("LANG_03.xml");
inline const QString kNumberFormatCaptionFile = QStringLiteral("LANG_04.xml");
inline const QString kElementCaptionFile = QStringLiteral("LANG_06.xml");

enum MenuEntryFlag : unsigned {
    MenuSeparator = 0x1,
    MenuPopup = 0x2,    // a submenu: its entries are the children
    MenuChecked = 0x4,  // the check mark: the state the entry shows is on
    MenuGreyed = 0x8,   // shown, but cannot be chosen
};

struct MenuEntry {
    QString file;   // the caption's language file; empty: text is the caption
    QString group;  // "gCS_2"
    int item = 0;   // 1-based
    QString text;   // a caption of its own (language names, "X.XX")
    int code = 0;   // 0 for separators and submenus
    QString icon;   // "tb\Undo"; empty: none
    unsigned flags = 0;
    std::vector<MenuEntry> children;

    bool isSeparator() const { return (flags & MenuSeparator) != 0; }
    bool isPopup() const { return (flags & MenuPopup) != 0; }
    bool isChecked() const { return (flags & MenuChecked) != 0; }
    bool isGreyed() const { return (flags & MenuGreyed) != 0; }
};
using MenuEntries = std::vector<MenuEntry>;

// The first entry (at any depth) with the code; null when there is none.
const MenuEntry* FindMenuEntry(const MenuEntries& entries, int code);
// The codes of the entries that can be chosen, depth first.
std::vector<int> MenuCodes(const MenuEntries& entries);
// The menu as a line of text, for tests and messages: codes as numbers,
// "|" for a separator, "*" after a checked code, "~" after a greyed one,
// a submenu as its group and item (and "~" when greyed) followed by its
// entries in brackets ("gCS_1.1[19 20 21 176 | 178]").
QString MenuOutline(const MenuEntries& entries);

// ---- the language list

struct LanguageName {
    int number = 0;  // n of "Lan%d"; menu identifier 8000 + n
    QString name;
};
// HKCU\Software\Toliva\Language: "LanNum" (a decimal text, "2" when it is
// missing) names how many "Lan%d" values to read; those that are not empty
// are listed, in order.
std::vector<LanguageName> ReadLanguageList();

// ---- the main menu and the context menu

// What the menus show depends on.
struct MenuState {
    bool embedded = false;              // the document lives in another program's document
    bool canUndo = false;
    bool canRedo = false;
    bool hasSelection = false;
    bool selectionSearchable = false;   // the selection is one run that F3 can look for
    bool hasMarks = false;              // the equation has find marks
    int clipboardKind = 0;              // ClipboardContentKind: 0 nothing usable, 2 text
    bool roleColours = false;           // colour-by-role drawing (the colour command is not offered)
    int lineAlignment = 1;              // option byte 7 of the equation's style
    int typingType = 2;                 // the current typing character type
    int viewMode = 0;                   // 1: LaTeX mode
    bool libraryPanel = false;          // option bit 0: the library panel is shown
    std::vector<LanguageName> languages;
    int currentLanguage = 1;            // the language number in use
};

// Whether F3 can look for the selection: one run of elements (no chain head)
// in one chain.
bool SelectionIsSearchable(const std::vector<EqElement*>& items);

MenuEntries BuildMainMenu(const MenuState& state);
// The context menu; elementSubmenus (BuildElementSubmenus) come first.
MenuEntries BuildContextMenu(const MenuState& state, const MenuEntries& elementSubmenus);

// ---- the submenus of the element at the caret

// The partners of the variant swap (code 242): each type becomes the other.
inline constexpr std::array<std::pair<int, int>, 31> kVariantPairs = {{
    {128, 130}, {308, 848}, {311, 849}, {314, 850}, {317, 851}, {320, 852}, {323, 853}, {805, 856},
    {802, 855}, {332, 858}, {335, 859}, {329, 857}, {326, 854}, {773, 290}, {784, 285}, {783, 284},
    {786, 287}, {774, 279}, {775, 280}, {776, 281}, {779, 282}, {780, 283}, {769, 289}, {772, 292},
    {777, 294}, {778, 296}, {781, 298}, {782, 300}, {785, 301}, {771, 303}, {770, 305},
}};
// The type a type swaps with; 0 for a type in no pair.
int VariantPartner(int type);

// The element menus' own codes: the bracket kinds (769 + kind) are types
// 337 to 340; the brackets the submenu is offered in.
constexpr int kBracketMenuFirstType = 337;
constexpr int kBracketMenuLastType = 348;

// What the caret stands in or at, for each element submenu; null where a
// submenu does not apply.
struct ElementMenuTargets {
    EqElement* bracket = nullptr;      // the nearest bracket (337 to 348) holding the caret
    EqElement* direction = nullptr;    // the matrix (or the structure) rows and columns go to
    std::array<bool, 4> addMoves{};    // left, up, right, down: a row or column can be added
    std::array<bool, 4> removeMoves{}; // ... removed
    EqElement* swap = nullptr;         // the caret element or the nearest structure with a variant partner
    EqElement* chemForm = nullptr;     // the chemical formula (608) at or around the caret
    EqElement* customSpace = nullptr;  // the custom space (104) at the caret
    EqElement* matrix = nullptr;       // the matrix at or around the caret
    EqElement* result = nullptr;       // the calculation result at or around the caret
};
// Looks around the equation's caret. The moves are those the sheet's row and
// column operations would carry out (CheckMatrixLine).
ElementMenuTargets FindElementMenuTargets(EqModel* eq);
// The element of the structure submenus that a code is meant for; null for
// codes of no structure submenu.
EqElement* StructureTarget(const ElementMenuTargets& targets, int code);

// "Rows and columns" (LANG_06.xml "gCS_3"): an insert entry (416 + d) for
// each direction that can take one, a separator when both kinds are there,
// a remove entry (420 + d) for each direction that can lose one. None
// (empty popup, no entries) when no move applies.
MenuEntry BuildDirectionSubmenu(const std::array<bool, 4>& addMoves, const std::array<bool, 4>& removeMoves);
// The bracket kinds 769 to 772; the kind of the bracket checked.
MenuEntry BuildBracketSubmenu(const EqElement* bracket);
// The matrix submenu: column alignment (161-165), row spacing (167-171),
// script-size cells (172 on, 173 off; checked when on), rule lines (166) and
// transpose (174), the last two greyed when the matrix cannot take them.
MenuEntry BuildMatrixSubmenu(const EqElement* matrix);
// The number format of a calculation result (LANG_04.xml): default (512),
// one to nine decimals (513-521), the other formats (522-525) and the
// angle units (526-530); the result's format and unit checked.
MenuEntry BuildNumberFormatSubmenu(int format, int angle);
// The structure entries that apply, in order: variant swap, chemical marks,
// custom space width, matrix submenu, number format submenu.
MenuEntries BuildStructureSubmenus(const ElementMenuTargets& targets);
// Every element submenu that applies (direction, bracket, structures), each
// followed by a separator.
MenuEntries BuildElementSubmenus(const ElementMenuTargets& targets);

// ---- the matrix flag word (the matrix element's character)

// The word after an element code 161 to 165 or 167 to 173; the word as it
// is for any other code.
uint16_t MatrixFlagsAfterCode(uint16_t flags, int code);

}  // namespace toliva
