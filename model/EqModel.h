// One equation: its lines, caret, current colour, style record and the
// placement of its laid-out lines.
#pragma once

#include "EqElement.h"
#include "EqLayoutSettings.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace toliva {

struct EqFontState;    // model/EqFonts.h
struct RenderContext;  // model/RenderContext.h

struct LinePlacement {
    EqElement* head = nullptr;
    float x = 0;
    float y = 0;  // baseline
    float width = 0;
    float ascent = 0;
    float descent = 0;
    float alignOffset = 0;
    bool visible = true;
};

class EqModel {
public:
    // Reads the style from the per-user "KwELayout.dat", or takes the built-in
    // defaults when that fails.
    EqModel();
    // Starts from the given style instead of reading the defaults file.
    explicit EqModel(const EqLayoutSettings& settings);
    ~EqModel();
    EqModel(const EqModel&) = delete;
    EqModel& operator=(const EqModel&) = delete;

    // Exchanges the whole content (lines, caret, settings, flags) of two
    // equations; elements are re-owned.
    void swap(EqModel& other);

    uint8_t flag0 = 0;
    uint8_t flag1 = 0;  // set from the space-mark option for one drawing of the editing view
    uint8_t ownsChains = 1;
    std::vector<LinePlacement> placements;
    std::vector<EqElement*> lines;
    EqElement* caret = nullptr;
    gp::ARGB currentColour = 0xFF000000;
    float widestLine = 0;
    float totalHeight = 0;
    float caretLineTop = 0;
    float caretLineBottom = 0;
    float minScale = 1.0f;
    uint8_t markHighlight = 1;
    uint8_t outlineText = 0;
    uint8_t needsLayout = 1;
    float viewLineGap = 0;
    uint8_t fontKinds[3] = {1, 1, 1};
    float fontMetrics[5] = {};
    int32_t lastStatus = 0;
    EqLayoutSettings settings;
    uint8_t warnNewerVersion = 0;
    gp::ARGB phantomColour = 0xFFD3D3D3;
    int32_t outputMode = 0;
    // Set while the style's font families wait for a font engine (a process
    // without QGuiApplication); the first use of the fonts loads them.
    bool fontsPending = true;
    // The loaded font families (model/EqFonts.h), set up by SetupEquationFonts.
    std::shared_ptr<EqFontState> fonts;
    // The context of the layout or drawing pass under way (RenderScope); not
    // part of the content, so swap leaves it in place.
    const RenderContext* renderContext = nullptr;
};

void DeleteEqModel(EqModel* eq);

bool IsEquationEmpty(const EqModel* eq);
EqElement* AddEmptyLine(EqModel* eq);
// Deletes every line (last first) and the placements, clears the caret and
// gives the current colour back to colour 14 of the style.
void ClearEquation(EqModel* eq);
// Without an element: the first line when there is none, else the end of the
// last line; returns null. With one: the caret goes there and takes its
// colour; inside a calculation result the caret moves to the result, which is
// returned.
EqElement* SetEquationCaret(EqModel* eq, EqElement* e);
// The caret, moved up to an enclosing calculation result.
EqElement* GetEquationCaret(EqModel* eq);
bool EquationHasMarks(const EqModel* eq);
void ClearEquationMarks(EqModel* eq, bool alsoSecond);
void InvalidateLineCache(EqModel* eq, EqElement* e);
void InvalidateAllLineCaches(EqModel* eq);
void PlaceEquationLines(EqModel* eq, float x, float y, float scale);
void AlignEquationLines(EqModel* eq, float x, float y, float width, float height);

// Loads the fonts of the equation's style (model/EqFonts.h).
void SetupEquationFonts(EqModel* eq);

}  // namespace toliva
