#include "Templates.h"

#include "sheet/editing/ElementWork.h"

#include "model/EqElement.h"
#include "model/EqModel.h"

namespace toliva {
namespace {

constexpr uint16_t kBarCharacter = u'|';
// Glyph symbols of the symbol library: the angle brackets of bras and kets.
constexpr uint16_t kBraGlyph = 381;
constexpr uint16_t kKetGlyph = 382;
// Delimiter pairs (left code x 256 + right code) of templates 32 and 33:
// round and curly brackets.
constexpr uint16_t kRoundPair = 0x0111;
constexpr uint16_t kCurlyPair = 0x0313;
constexpr int32_t kSmallGroup = 1536;

struct AccentTemplate {
    int32_t accent;
    int32_t script;
};
// Templates 8 to 11.
constexpr AccentTemplate kAccentTemplates[] = {{210, 177}, {226, 179}, {216, 177}, {232, 179}};

void selectOnly(SheetSelection& selection, EqElement* e) {
    for (EqElement* s : selection.items)
        if (s) SetElementSelected(s, false);
    selection.forgetElements();
    selection.items.push_back(e);
    SetElementSelected(e, true);
}

EqElement* insertBar(const KeyInserter& insert) { return insert(InsertionKey{EqTypeCharUpright, kBarCharacter}); }
EqElement* insertGlyph(const KeyInserter& insert, uint16_t glyph) {
    return insert(InsertionKey{EqTypeGlyphSymbol, glyph});
}

}  // namespace

bool IsTemplateNumber(int number) {
    return (number >= 8 && number <= 11) || (number >= 32 && number <= 36) || number == 64 || number == 65;
}

bool InsertTemplate(EqModel* eq, SheetSelection& selection, int number, const KeyInserter& insert) {
    if (!eq || !insert || !IsTemplateNumber(number)) return false;
    switch (number) {
    case 8:
    case 9:
    case 10:
    case 11: {
        const AccentTemplate& t = kAccentTemplates[number - 8];
        EqElement* accent = insert(InsertionKey{t.accent, 0});
        if (!accent) return true;
        // The accent becomes the base of the script; the caret goes on to
        // the script's text.
        SetEquationCaret(eq, accent);
        selectOnly(selection, accent);
        insert(InsertionKey{t.script, 0});
        return true;
    }
    case 32:
    case 33:
        // The pair with a middle delimiter, drawn with the delimiters its
        // character names.
        if (EqElement* bracket = insert(InsertionKey{367, number == 32 ? kRoundPair : kCurlyPair}))
            bracket->type = 336;
        return true;
    case 34:
        insertGlyph(insert, kBraGlyph);
        insertBar(insert);
        return true;
    case 35:
        insertBar(insert);
        insertGlyph(insert, kKetGlyph);
        return true;
    case 36: {
        insertGlyph(insert, kBraGlyph);
        insertBar(insert);
        EqElement* ket = insertGlyph(insert, kKetGlyph);
        // The caret goes back before the ket's bracket.
        if (ket && ket->prev) SetEquationCaret(eq, ket->prev);
        return true;
    }
    case 64:
    case 65:
        if (insert(InsertionKey{kSmallGroup, 0})) insert(InsertionKey{number == 64 ? 128 : 129, 0});
        return true;
    default: return false;
    }
}

}  // namespace toliva
