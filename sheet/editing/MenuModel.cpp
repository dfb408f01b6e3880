#include "sheet/editing/MenuModel.h"

#include "model/EqElement.h"
#include "model/EqModel.h"
#include "model/EqTypes.h"
#include "platform/RegKey.h"
#include "sheet/editing/CommandCodes.h"
#include "sheet/editing/EditOps.h"
#include "sheet/editing/MatrixOps.h"

#include <QStringList>

#include <algorithm>

namespace toliva {

namespace {

// Language n is menu identifier 8000 + n, and the dispatcher takes them up
// to 8999: a larger count in the registry reads no further.
constexpr int kMaxLanguages = 999;

// The matrix flag word's fields.
constexpr uint16_t kMatrixAlignMask = 0x000F;
constexpr uint16_t kMatrixScriptMask = 0x00F0;
constexpr uint16_t kMatrixSpacingMask = 0x0F00;
// The alignment bits of codes 161 to 165: left, centre, right, at the
// marks, at the decimal point.
constexpr uint16_t kMatrixAlignOfCode[5] = {1, 0, 2, 3, 4};
// The number formats: 0 the style's default, 1 to 9 decimals, 10 to 13 the
// other formats (codes 512 to 525); the angle units 0 to 4 (526 to 530).
constexpr int kLastNumberFormat = CMD_NUMBER_ANGLE_FIRST - CMD_NUMBER_FORMAT_FIRST - 1;
constexpr int kLastAngleUnit = 4;

// Entries are appended through this: separators never lead, never follow
// one another and never end a menu.
class Builder {
public:
    explicit Builder(MenuEntries& out) : m_out(out) {}

    MenuEntry& item(const QString& file, const QString& group, int item, int code, const QString& icon = {},
                    unsigned flags = 0) {
        MenuEntry e;
        e.file = file;
        e.group = group;
        e.item = item;
        e.code = code;
        e.icon = icon;
        e.flags = flags;
        m_out.push_back(std::move(e));
        return m_out.back();
    }
    MenuEntry& item(const QString& group, int n, int code, const QString& icon = {}, unsigned flags = 0) {
        return item(kMenuCaptionFile, group, n, code, icon, flags);
    }
    MenuEntry& text(const QString& caption, int code, unsigned flags = 0) {
        MenuEntry e;
        e.text = caption;
        e.code = code;
        e.flags = flags;
        m_out.push_back(std::move(e));
        return m_out.back();
    }
    MenuEntry& popup(const QString& file, const QString& group, int n, const QString& icon = {}) {
        return item(file, group, n, 0, icon, MenuPopup);
    }
    MenuEntry& popup(const QString& group, int n, const QString& icon = {}) {
        return popup(kMenuCaptionFile, group, n, icon);
    }
    void separator() {
        if (m_out.empty() || m_out.back().isSeparator()) return;
        MenuEntry e;
        e.flags = MenuSeparator;
        m_out.push_back(std::move(e));
    }
    void append(const MenuEntry& e) { m_out.push_back(e); }

private:
    MenuEntries& m_out;
};

unsigned checkedIf(bool on) { return on ? MenuChecked : 0u; }

// No separator at the end of a menu or of a submenu.
void trimSeparators(MenuEntries& entries) {
    while (!entries.empty() && entries.back().isSeparator()) entries.pop_back();
    for (MenuEntry& e : entries)
        if (e.isPopup()) trimSeparators(e.children);
}

bool isItalicType(int type) { return type == EqTypeCharItalic || type == EqTypeCharBoldItalic; }
bool isBoldType(int type) { return type == EqTypeCharBold || type == EqTypeCharBoldItalic; }

// The typing style submenu: italic and bold, checked by the typing type.
void addStyleSubmenu(Builder& b, const MenuState& state) {
    MenuEntry& style = b.popup(QStringLiteral("gSM_Edit"), 1);
    Builder s(style.children);
    s.item(QStringLiteral("gSM_Edit"), 3, CMD_TOGGLE_ITALIC, {}, checkedIf(isItalicType(state.typingType)));
    s.item(QStringLiteral("gSM_Edit"), 4, CMD_TOGGLE_BOLD, {}, checkedIf(isBoldType(state.typingType)));
}

// The character types of the selection: 1 to 4, then 16 and 17.
void addCharacterTypeSubmenus(Builder& b) {
    MenuEntry& types = b.popup(QStringLiteral("gCS_2"), 23);
    Builder t(types.children);
    for (int i = 0; i < 4; ++i) t.item(QStringLiteral("gCS_2"), 4 + i, CMD_CHAR_UPRIGHT + i);
    MenuEntry& more = b.popup(QStringLiteral("gCS_2"), 44);
    Builder m(more.children);
    m.item(QStringLiteral("gCS_2"), 42, CMD_CHAR_TYPE_16);
    m.item(QStringLiteral("gCS_2"), 43, CMD_CHAR_TYPE_17);
}

void addUndoRedo(Builder& b, const MenuState& state) {
    const QString g = QStringLiteral("gCS_2");
    if (state.canUndo) {
        b.item(g, 1, CMD_UNDO, QStringLiteral("tb\\Undo"));
        if (!state.canRedo) b.separator();
    }
    if (state.canRedo) {
        b.item(g, 2, CMD_REDO, QStringLiteral("tb\\Redo"));
        b.separator();
    }
}

void addPaste(Builder& b, const MenuState& state) {
    const QString g = QStringLiteral("gCS_2");
    if (state.clipboardKind != 0) b.item(g, 12, CMD_PASTE, QStringLiteral("tb\\Paste"));
    if (state.clipboardKind == 2) b.item(g, 38, CMD_PASTE_TEXT);
}

void addCopies(Builder& b, const MenuState& state) {
    if (!state.hasSelection) return;
    const QString g = QStringLiteral("gCS_2");
    b.item(g, 10, CMD_CUT, QStringLiteral("tb\\Cut"));
    b.item(g, 9, CMD_COPY, QStringLiteral("tb\\Copy"));
    b.item(g, 24, CMD_COPY_LATEX);
    b.item(g, 40, CMD_COPY_MATHML);
}

void addFind(Builder& b, const MenuState& state) {
    const QString g = QStringLiteral("gCS_2");
    if (state.selectionSearchable) b.item(g, 34, CMD_FIND_SELECTION, QStringLiteral("menu\\Find"));
    if (state.hasMarks) b.item(g, 35, CMD_REPLACE_MARKED);
    b.item(g, 25, CMD_FIND_REPLACE, QStringLiteral("menu\\FindText"));
    b.item(g, 26, CMD_CLEAR_MARKS);
}

void addColourEntry(Builder& b, const MenuState& state) {
    if (!state.hasSelection || state.roleColours) return;
    b.separator();
    b.item(QStringLiteral("gSM_Edit"), 6, CMD_COLOUR, QStringLiteral("menu\\Color"));
    b.separator();
}

void collectCodes(const MenuEntries& entries, std::vector<int>& out) {
    for (const MenuEntry& e : entries) {
        if (e.isPopup()) collectCodes(e.children, out);
        else if (!e.isSeparator() && e.code != 0) out.push_back(e.code);
    }
}

// The first of e and its enclosing structures that pred accepts.
template <typename Pred>
EqElement* atOrAround(EqElement* e, Pred pred) {
    if (e && pred(e)) return e;
    for (EqElement* head = e ? FindChainStart(e) : nullptr; head && head->parent; head = FindChainStart(head->parent))
        if (pred(head->parent)) return head->parent;
    return nullptr;
}

template <typename Pred>
EqElement* around(EqElement* e, Pred pred) {
    for (EqElement* head = e ? FindChainStart(e) : nullptr; head && head->parent; head = FindChainStart(head->parent))
        if (pred(head->parent)) return head->parent;
    return nullptr;
}

}  // namespace

// ---- entries

const MenuEntry* FindMenuEntry(const MenuEntries& entries, int code) {
    for (const MenuEntry& e : entries) {
        if (e.isPopup()) {
            if (const MenuEntry* inner = FindMenuEntry(e.children, code)) return inner;
        } else if (!e.isSeparator() && e.code == code) {
            return &e;
        }
    }
    return nullptr;
}

std::vector<int> MenuCodes(const MenuEntries& entries) {
    std::vector<int> out;
    collectCodes(entries, out);
    return out;
}

QString MenuOutline(const MenuEntries& entries) {
    QStringList parts;
    for (const MenuEntry& e : entries) {
        if (e.isSeparator()) {
            parts << QStringLiteral("|");
        } else if (e.isPopup()) {
            parts << e.group + QLatin1Char('.') + QString::number(e.item) + (e.isGreyed() ? QStringLiteral("~") : QString()) +
                         QLatin1Char('[') + MenuOutline(e.children) + QLatin1Char(']');
        } else {
            QString s = QString::number(e.code);
            if (e.isChecked()) s += QLatin1Char('*');
            if (e.isGreyed()) s += QLatin1Char('~');
            parts << s;
        }
    }
    return parts.join(QLatin1Char(' '));
}

// ---- the language list

std::vector<LanguageName> ReadLanguageList() {
    std::vector<LanguageName> out;
    RegKey key;
    if (!OpenRegKey(kLanguageKey, key)) return out;
    QString countText;
    ReadRegString(key, QStringLiteral("LanNum"), countText, QStringLiteral("2"));
    const int count = std::min(countText.trimmed().toInt(), kMaxLanguages);
    for (int n = 1; n <= count; ++n) {
        QString name;
        ReadRegString(key, QStringLiteral("Lan%1").arg(n), name, QString());
        if (!name.isEmpty()) out.push_back({n, name});
    }
    return out;
}

// ---- the two menus

bool SelectionIsSearchable(const std::vector<EqElement*>& items) {
    if (items.empty()) return false;
    for (size_t i = 0; i < items.size(); ++i) {
        if (!items[i] || items[i]->type == EqTypeChainHead) return false;
        if (i > 0 && items[i - 1]->next != items[i]) return false;
    }
    return true;
}

MenuEntries BuildMainMenu(const MenuState& state) {
    MenuEntries menu;
    Builder b(menu);

    {
        MenuEntry& file = b.popup(QStringLiteral("gCS_1"), 1);
        Builder f(file.children);
        const QString g = QStringLiteral("gSM_File");
        f.item(g, 1, CMD_FILE_NEW, QStringLiteral("tb\\New"));
        if (!state.embedded) f.item(g, 2, CMD_FILE_OPEN, QStringLiteral("tb\\Open"));
        f.item(g, 3, CMD_FILE_SAVE, QStringLiteral("tb\\Save"));
        if (!state.embedded) f.item(g, 4, CMD_FILE_SAVE_AS);
        f.separator();
        f.item(g, 5, CMD_PRINT, QStringLiteral("tb\\Print"));
    }
    {
        MenuEntry& edit = b.popup(QStringLiteral("gCS_1"), 2);
        Builder e(edit.children);
        const QString g = QStringLiteral("gCS_2");
        addUndoRedo(e, state);
        e.item(g, 3, CMD_SELECT_ALL);
        e.separator();
        addFind(e, state);
        e.separator();
        e.item(g, 27, CMD_USER_SYMBOLS, QStringLiteral("menu\\UserSym"));
        e.separator();
        e.item(g, 21, CMD_CALC_LINE, QStringLiteral("menu\\CalLine"));
        e.item(g, 22, CMD_CALC_ALL, QStringLiteral("menu\\CalAll"));
        e.separator();
        addCopies(e, state);
        addPaste(e, state);
        e.separator();
        e.item(g, 39, CMD_WRITING_PAD, QStringLiteral("menu\\edit"));
        e.item(g, 45, CMD_CAPTURE_OCR, QStringLiteral("tb\\OCR"));
        e.separator();
        MenuEntry& align = e.popup(QStringLiteral("gSM_Edit"), 2);
        Builder a(align.children);
        for (int i = 0; i < 4; ++i)
            a.item(QStringLiteral("gSM_Arrange"), 1 + i, CMD_ALIGN_LEFT + i, {}, checkedIf(state.lineAlignment == i));
        addColourEntry(e, state);
        e.item(QStringLiteral("gSM_Edit"), 5, CMD_FONT_SIZE, QStringLiteral("menu\\FontSize"));
        addStyleSubmenu(e, state);
        if (state.hasSelection) addCharacterTypeSubmenus(e);
    }
    {
        MenuEntry& view = b.popup(QStringLiteral("gCS_1"), 3);
        Builder v(view.children);
        const QString g = QStringLiteral("gSM_View");
        v.item(g, 1, CMD_ZOOM_IN, QStringLiteral("menu\\zoom_in"));
        v.item(g, 2, CMD_ZOOM_OUT, QStringLiteral("menu\\zoom_out"));
        v.item(g, 3, CMD_ZOOM_STANDARD);
        v.item(QStringLiteral("gCS_2"), 31, CMD_COPY_PICTURE, QStringLiteral("menu\\Cap"));
        v.item(g, 4, CMD_TOGGLE_LAYOUT_OPTION, {}, checkedIf(state.roleColours));
        v.item(g, 5, CMD_TOGGLE_LATEX_MODE, {}, checkedIf(state.viewMode == 1));
    }
    b.item(QStringLiteral("gCS_2"), 19, CMD_EXPORT);
    b.item(QStringLiteral("gCS_1"), 5, CMD_EQ_SETTINGS, QStringLiteral("tb\\Settings"));
    b.item(QStringLiteral("gSM_View"), 6, CMD_APP_SETTINGS);
    {
        MenuEntry& languages = b.popup(QStringLiteral("gCS_1"), 6);
        Builder l(languages.children);
        for (const LanguageName& language : state.languages)
            l.text(language.name, CMD_LANGUAGE_BASE + language.number, checkedIf(language.number == state.currentLanguage));
        // Nothing to choose from: the entry shows, but does not open.
        if (languages.children.empty()) languages.flags |= MenuGreyed;
    }
    b.separator();
    b.item(QStringLiteral("gCS_2"), 28, CMD_TOGGLE_LIBRARY_PANEL, {}, checkedIf(state.libraryPanel));
    {
        MenuEntry& help = b.popup(QStringLiteral("gCS_1"), 8, QStringLiteral("menu\\Help"));
        Builder h(help.children);
        const QString g = QStringLiteral("gSM_Help");
        h.item(g, 1, CMD_APP_ABOUT);
        h.item(g, 2, CMD_HELP, QStringLiteral("menu\\PDF"));
        h.item(g, 5, CMD_OCR_HELP, QStringLiteral("menu\\PDF"));
        h.item(g, 3, CMD_ONLINE, QStringLiteral("menu\\Online"));
        h.item(g, 4, CMD_CHECK_UPDATE);
    }
    b.item(QStringLiteral("gCS_1"), 9, CMD_EXIT);
    trimSeparators(menu);
    return menu;
}

MenuEntries BuildContextMenu(const MenuState& state, const MenuEntries& elementSubmenus) {
    MenuEntries menu;
    Builder b(menu);
    const QString g = QStringLiteral("gCS_2");
    for (const MenuEntry& e : elementSubmenus) {
        if (e.isSeparator()) b.separator();
        else b.append(e);
    }
    b.separator();
    if (state.canUndo) b.item(g, 1, CMD_UNDO, QStringLiteral("tb\\Undo"));
    if (state.canRedo) b.item(g, 2, CMD_REDO, QStringLiteral("tb\\Redo"));
    b.separator();
    addCopies(b, state);
    addPaste(b, state);
    b.separator();
    b.item(g, 3, CMD_SELECT_ALL);
    addColourEntry(b, state);
    b.item(QStringLiteral("gSM_Edit"), 5, CMD_FONT_SIZE, QStringLiteral("menu\\FontSize"));
    addStyleSubmenu(b, state);
    if (state.hasSelection) addCharacterTypeSubmenus(b);
    b.separator();
    addFind(b, state);
    b.separator();
    b.item(g, 31, CMD_COPY_PICTURE, QStringLiteral("menu\\Cap"));
    b.item(g, 19, CMD_EXPORT);
    b.separator();
    b.item(g, 21, CMD_CALC_LINE, QStringLiteral("menu\\CalLine"));
    b.item(g, 22, CMD_CALC_ALL, QStringLiteral("menu\\CalAll"));
    trimSeparators(menu);
    return menu;
}

// ---- element submenus

int VariantPartner(int type) {
    for (const auto& [a, b] : kVariantPairs) {
        if (type == a) return b;
        if (type == b) return a;
    }
    return 0;
}

ElementMenuTargets FindElementMenuTargets(EqModel* eq) {
    ElementMenuTargets t;
    EqElement* caret = eq ? GetEquationCaret(eq) : nullptr;
    if (!caret) return t;

    t.bracket = around(caret, [](const EqElement* e) {
        return e->type >= kBracketMenuFirstType && e->type <= kBracketMenuLastType;
    });

    bool anyMove = false;
    for (int d = 0; d < 4; ++d) {
        t.addMoves[size_t(d)] = CheckMatrixLine(eq, d, true) == MatrixLineResult::Done;
        t.removeMoves[size_t(d)] = CheckMatrixLine(eq, d, false) == MatrixLineResult::Done;
        anyMove = anyMove || t.addMoves[size_t(d)] || t.removeMoves[size_t(d)];
    }
    if (anyMove) {
        // The matrix, or the structure whose argument becomes one.
        t.direction = MatrixAroundCaret(eq);
        if (!t.direction) t.direction = FindChainStart(caret)->parent;
        if (!t.direction) t.addMoves = t.removeMoves = {};
    }

    t.swap = atOrAround(caret, [](const EqElement* e) { return VariantPartner(e->type) != 0; });
    t.chemForm = atOrAround(caret, [](const EqElement* e) { return e->type == EqTypeChemForm; });
    if (caret->type == EqTypeSpaceCustom) t.customSpace = caret;
    else if (caret->next && caret->next->type == EqTypeSpaceCustom) t.customSpace = caret->next;
    t.matrix = MatrixAroundCaret(eq);
    if (caret->type == EqTypeCalcResult) t.result = caret;
    return t;
}

EqElement* StructureTarget(const ElementMenuTargets& targets, int code) {
    if (code >= CMD_MATRIX_ALIGN_FIRST && code <= CMD_MATRIX_TRANSPOSE) return targets.matrix;
    if (code == CMD_CUSTOM_SPACE_AMOUNT) return targets.customSpace;
    if (code == CMD_CHEM_MARKS) return targets.chemForm;
    if (code == CMD_SWAP_VARIANT) return targets.swap;
    if (code >= CMD_NUMBER_FORMAT_FIRST && code <= CMD_NUMBER_FORMAT_LAST) return targets.result;
    return nullptr;
}


namespace {

// An empty submenu with its caption.
MenuEntry submenuEntry(const QString& file, const QString& group, int item) {
    MenuEntry popup;
    popup.file = file;
    popup.group = group;
    popup.item = item;
    popup.flags = MenuPopup;
    return popup;
}

}  // namespace

MenuEntry BuildDirectionSubmenu(const std::array<bool, 4>& addMoves, const std::array<bool, 4>& removeMoves) {
    MenuEntry popup = submenuEntry(kElementCaptionFile, QStringLiteral("gCS_3"), 1);
    Builder b(popup.children);
    const bool anyAdd = std::find(addMoves.begin(), addMoves.end(), true) != addMoves.end();
    const bool anyRemove = std::find(removeMoves.begin(), removeMoves.end(), true) != removeMoves.end();
    for (int d = 0; d < 4; ++d)
        if (addMoves[size_t(d)]) b.item(kElementCaptionFile, popup.group, d + 2, CMD_MOVE_FIRST_KIND + d);
    if (anyAdd && anyRemove) b.separator();
    for (int d = 0; d < 4; ++d)
        if (removeMoves[size_t(d)]) b.item(kElementCaptionFile, popup.group, d + 6, CMD_MOVE_SECOND_KIND + d);
    return popup;
}

MenuEntry BuildBracketSubmenu(const EqElement* bracket) {
    MenuEntry popup = submenuEntry(kMenuCaptionFile, QStringLiteral("gCS_2"), 41);
    Builder b(popup.children);
    for (int i = 0; i < 4; ++i) {
        const int code = CMD_BRACKET_KIND_FIRST + i;
        const bool current = bracket && bracket->type + kBracketKindTypeOffset == code;
        b.item(QStringLiteral("gSM_Bra"), 1 + i, code, {}, checkedIf(current));
    }
    return popup;
}

uint16_t MatrixFlagsAfterCode(uint16_t flags, int code) {
    if (code >= CMD_MATRIX_ALIGN_FIRST && code <= CMD_MATRIX_ALIGN_LAST)
        return uint16_t((flags & ~kMatrixAlignMask) | kMatrixAlignOfCode[code - CMD_MATRIX_ALIGN_FIRST]);
    if (code >= CMD_MATRIX_LINE_FIRST && code < CMD_MATRIX_FRAME_ON)
        return uint16_t((flags & ~kMatrixSpacingMask) | uint16_t((code - CMD_MATRIX_LINE_FIRST) << 8));
    if (code == CMD_MATRIX_FRAME_ON) return uint16_t((flags & ~kMatrixScriptMask) | 0x10);
    if (code == CMD_MATRIX_FRAME_OFF) return uint16_t(flags & ~kMatrixScriptMask);
    return flags;
}

MenuEntry BuildMatrixSubmenu(const EqElement* matrix) {
    MenuEntry popup = submenuEntry(kMenuCaptionFile, QStringLiteral("gCS_2"), 29);
    Builder b(popup.children);
    for (int i = 0; i < 5; ++i)
        b.item(kElementCaptionFile, QStringLiteral("gSM_Arrange"), 1 + i, CMD_MATRIX_ALIGN_FIRST + i);
    b.separator();
    for (int i = 0; i < 5; ++i) b.item(QStringLiteral("gLSL_1"), 1 + i, CMD_MATRIX_LINE_FIRST + i);
    b.separator();
    const bool scriptSize = matrix && ((matrix->ch & kMatrixScriptMask) >> 4) == 1;
    b.item(QStringLiteral("gCS_1"), 17, scriptSize ? CMD_MATRIX_FRAME_OFF : CMD_MATRIX_FRAME_ON, {},
           checkedIf(scriptSize));
    b.separator();
    MatrixLinesRequest request;
    b.item(QStringLiteral("gCS_2"), 30, CMD_MATRIX_LINES_DIALOG, {},
           MatrixLinesRequestOf(matrix, &request) ? 0u : unsigned(MenuGreyed));
    b.item(QStringLiteral("gCS_2"), 33, CMD_MATRIX_TRANSPOSE, {}, CanTransposeMatrix(matrix) ? 0u : unsigned(MenuGreyed));
    return popup;
}

MenuEntry BuildNumberFormatSubmenu(int format, int angle) {
    MenuEntry popup = submenuEntry(kNumberFormatCaptionFile, QStringLiteral("gFL_x"), 1);
    Builder b(popup.children);
    const auto formatFlag = [format](int value) { return checkedIf(format == value && value <= kLastNumberFormat); };
    b.item(kNumberFormatCaptionFile, QStringLiteral("gFL_x"), 2, CMD_NUMBER_FORMAT_FIRST, {}, formatFlag(0));
    b.separator();
    QString decimals = QStringLiteral("X.");
    for (int n = 1; n <= 9; ++n) {
        decimals += QLatin1Char('X');
        b.text(decimals, CMD_NUMBER_FORMAT_FIRST + n, formatFlag(n));
    }
    b.separator();
    for (int i = 0; i < 4; ++i)
        b.item(kNumberFormatCaptionFile, QStringLiteral("gFL_4"), 1 + i, CMD_NUMBER_FORMAT_FIRST + 10 + i, {},
               formatFlag(10 + i));
    b.separator();
    for (int i = 0; i <= kLastAngleUnit; ++i)
        b.item(kNumberFormatCaptionFile, QStringLiteral("gFL_5"), 1 + i, CMD_NUMBER_ANGLE_FIRST + i, {},
               checkedIf(angle == i));
    return popup;
}

MenuEntries BuildStructureSubmenus(const ElementMenuTargets& targets) {
    MenuEntries out;
    Builder b(out);
    if (targets.swap) b.item(QStringLiteral("gCS_2"), 37, CMD_SWAP_VARIANT);
    if (targets.chemForm) b.item(QStringLiteral("gCS_2"), 36, CMD_CHEM_MARKS);
    if (targets.customSpace) b.item(QStringLiteral("gCS_2"), 32, CMD_CUSTOM_SPACE_AMOUNT);
    if (targets.matrix) out.push_back(BuildMatrixSubmenu(targets.matrix));
    if (targets.result) {
        uint8_t format = 0, angle = 0;
        GetCalcResultOptions(targets.result, &format, &angle);
        out.push_back(BuildNumberFormatSubmenu(format, angle));
    }
    return out;
}

MenuEntries BuildElementSubmenus(const ElementMenuTargets& targets) {
    MenuEntries out;
    Builder b(out);
    if (targets.direction) {
        MenuEntry direction = BuildDirectionSubmenu(targets.addMoves, targets.removeMoves);
        if (!direction.children.empty()) {
            b.append(direction);
            b.separator();
        }
    }
    if (targets.bracket) {
        b.append(BuildBracketSubmenu(targets.bracket));
        b.separator();
    }
    for (const MenuEntry& e : BuildStructureSubmenus(targets)) {
        b.append(e);
        b.separator();
    }
    return out;
}

}  // namespace toliva
