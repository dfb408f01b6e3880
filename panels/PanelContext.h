// What the symbol panels and tool bars read of the program: the interface
// scale and colours, the button style, the folders their pictures and order
// files lie in, the language and the drawing lock. The shell fills one from
// its settings and hands it to every panel it makes; tests make their own.
#pragma once

#include <QString>

#include <cstdint>
#include <mutex>

namespace toliva {

class CKwTBG;
struct SymbolKey;

// The more-symbols picker over a group's nodes. Returns true on OK with key
// set to the chosen node's key; replaceMode: the key holds the symbol being
// replaced when the picker opens.
class MoreSymbolsPicker {
public:
    virtual ~MoreSymbolsPicker() = default;
    virtual bool pick(CKwTBG& group, bool largeCells, bool replaceMode, SymbolKey& key) = 0;
};

struct PanelContext {
    float uiScale = 1.0f;                     // m_fUIScale
    float dpiScale = 1.0f;                    // m_fDpiScale
    QString iconSizeFolder = QStringLiteral("100");  // "100" .. "200"
    QString programFolder;                    // where "Pics", "icons" and "Dat" lie; trailing '/'
    QString userFolder;                       // per-user data folder; trailing '/'
    QString languageCode = QStringLiteral("en");
    uint32_t uiBack = 0xF0F0F0;               // m_clrUIBack, COLORREF
    uint32_t scrTabBack = 0xF0E6EA;           // m_clrScrTabBack
    uint32_t markerBar = 0xAAE6AA;            // m_clrMarkerBar
    int buttonAero = 25;                      // m_nButtonAero
    int buttonGrad = 75;                      // m_nButtonGrad
    int tabGrad = 50;                         // m_nTabGrad
    bool archedTabs = true;                   // m_bPanelOption0
    bool groupColours = true;                 // m_bPanelOption1
    std::recursive_mutex* drawingLock = nullptr;  // m_csLock; may be null
    MoreSymbolsPicker* picker = nullptr;      // null: the more cell picks nothing
};

}  // namespace toliva
