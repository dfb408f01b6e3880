// The command dispatcher: every command code to its action.
#include "sheet/CKwEESheet.h"

#include "model/EqElement.h"
#include "model/EqModel.h"
#include "sheet/editing/CaretMoves.h"
#include "sheet/editing/CommandCodes.h"
#include "sheet/editing/ElementWork.h"

#include <array>

namespace toliva {

namespace {

// COLORREF 0x00BBGGRR and ARGB.
uint32_t toColorRef(gp::ARGB c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }
gp::ARGB fromColorRef(uint32_t c) { return 0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }

// Characters of kind-6 keys that stay upright whatever the typing style.
bool isUprightSymbol(uint16_t ch) {
    static constexpr std::array<uint16_t, 13> kUpright = {167,  176,  1009, 8224, 8225, 8240, 8242,
                                                          8243, 8244, 8245, 8706, 8733, 8734};
    return std::find(kUpright.begin(), kUpright.end(), ch) != kUpright.end();
}

bool isCharacterType(int32_t t) { return (t >= 1 && t <= 5) || t == 16 || t == 17; }

// The character styles of Ctrl+1 .. Ctrl+6 and the commands 216 .. 221.
constexpr std::array<int, 6> kStyles = {EqTypeCharUpright, EqTypeCharItalic, 3, 4, 16, 17};

}  // namespace

// ---- commands and symbol keys

void CKwEESheet::ExecuteCommand(int code) {
    switch (code) {
    case CMD_UNDO: Undo(); return;
    case CMD_REDO: Redo(); return;
    case CMD_ZOOM_IN: SetEditorScale(m_app.eeScale + 0.5f); return;
    case CMD_ZOOM_OUT: SetEditorScale(m_app.eeScale - 0.5f); return;
    case CMD_ZOOM_STANDARD: SetEditorScale(2.0f); return;
    case CMD_SELECT_ALL: SelectAll(); return;
    case CMD_CLEAR_MARKS: OnEscape(); return;
    case CMD_FIND_SELECTION: MarkOccurrences(); return;
    default: break;
    }
    if (code >= CMD_MARK_STYLE_0 && code <= CMD_MARK_STYLE_3) {
        SetSelectionFlags(uint8_t(code - CMD_MARK_STYLE_0));
    } else if (code >= CMD_CHAR_UPRIGHT && code <= CMD_CHAR_TYPE_17) {
        SetSelectionStyle(kStyles[size_t(code - CMD_CHAR_UPRIGHT)]);
    }
    // Every other code is not carried out here.
}

}  // namespace toliva
