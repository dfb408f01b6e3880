// What the user symbol editor and its glyph canvas compute, without a widget:
// the preview equation (the character before the sheet's caret, the symbol,
// the character after), the guide bands, the drags, the wheel and the keys,
// the tool-bar commands that change numbers, and the saved start values of a
// new symbol with their registry form.
#pragma once

#include "model/EqLayoutSettings.h"

#include <QRect>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>

namespace toliva {

class EqModel;
struct EqElement;
struct RenderContext;
struct GlyphOutline;

inline const QString kUserSymRegKeyName = QStringLiteral("Software\\Toliva\\Dlgs\\UserSym");

// One neighbour of the sheet's caret: an element type and its character.
struct PreviewNeighbour {
    int32_t type = 0;
    uint16_t ch = 0;
};

// What the editor reads of the editing sheet; the shell implements it.
class UserSymSheet {
public:
    virtual ~UserSymSheet() = default;
    // The sheet equation's layout settings; false when there is none.
    virtual bool layoutSettings(EqLayoutSettings& out) const = 0;
    // The caret element (moved up to an enclosing calculation result) and the
    // element after it; type 0 when there is none.
    virtual PreviewNeighbour caretElement() const = 0;
    virtual PreviewNeighbour elementAfterCaret() const = 0;
    // What the preview is measured and drawn with; null: the program's own.
    virtual const RenderContext* renderContext() const = 0;
};

// Fills the neighbours from an equation as the sheet's implementation does.
void UserSymNeighboursOf(EqModel* eq, PreviewNeighbour& caret, PreviewNeighbour& after);

// The eight values copied as one block: width, ascent, descent, x offset,
// y offset, scale, hollow flag, colour.
struct GlyphMetricsBlock {
    float width = 0, ascent = 0, descent = 0, xOffset = 0, yOffset = 0;
    float scale = 1.0f;
    int32_t hollow = 0;
    uint32_t colour = 0;

    static GlyphMetricsBlock From(const GlyphOutline& glyph);
    void ApplyTo(GlyphOutline& glyph) const;
};

// The registry form of a new symbol's start values ("pos_x", "pos_y",
// "scale" as float bits, "hollow", "color"). Values that are not finite or
// out of range read as the defaults.
void ReadUserSymDefaults(GlyphMetricsBlock& block);
void WriteUserSymDefaults(const GlyphMetricsBlock& block);

// A typed number as the editor reads it: the number the text starts with;
// 0 for a text that is no number or a number that is not finite.
double ParseTypedNumber(const QString& text);

class UserSymEditModel {
public:
    enum Guide { kNone = -1, kLeft = 0, kBottom = 1, kRight = 2, kTop = 3 };
    static constexpr double kZoomStart = 2.0, kZoomMin = 0.2, kZoomStep = 0.2;
    static constexpr float kScaleMin = 0.01f, kScaleMax = 100.0f, kBoxMin = 10.0f;
    // Slants within this many degrees of a right angle ruin the outline.
    static constexpr double kSlantLimitDegrees = 89.0;

    UserSymEditModel();
    ~UserSymEditModel();
    UserSymEditModel(const UserSymEditModel&) = delete;
    UserSymEditModel& operator=(const UserSymEditModel&) = delete;

    // The glyph as loaded or picked; null for a new symbol before a pick.
    GlyphOutline* workingGlyph() const { return m_working.get(); }
    // Takes a copy of glyph as the working glyph (no preview yet).
    void SetWorkingGlyph(const GlyphOutline& glyph);
    void ClearWorkingGlyph();

    // Rebuilds the preview from the working glyph and the sheet; nothing
    // without a working glyph.
    void BuildPreview(UserSymSheet* sheet);
    // What the preview is measured with: the sheet's, else the program's.
    static const RenderContext& ContextOf(UserSymSheet* sheet);
    void DeletePreview();
    EqModel* preview() const { return m_preview; }
    // The symbol: the glyph element of the preview's first line (its glyph).
    EqElement* symbolElement() const;
    GlyphOutline* symbol() const;
    // The preview's first character element.
    EqElement* firstCharacter() const;

    // Lays the preview out at the zoom and places its first line centred in
    // client; sets the guide bands and box. False without a preview.
    bool Layout(const QRect& client, const RenderContext& context);
    // The symbol's drawn box (pixels) after Layout; empty when none.
    QRectF symbolBox() const { return m_box; }
    const std::array<QRect, 4>& guideBands() const { return m_bands; }
    float lineX() const { return m_lineX; }
    float baselineY() const { return m_baselineY; }

    // Mouse: button down picks the first band holding point; move drags;
    // up ends. Each returns true when something changed.
    void MouseDown(QPoint point);
    bool MouseMove(QPoint point);
    void MouseUp();
    bool dragging() const { return m_dragging; }
    int pickedGuide() const { return m_picked; }
    // Wheel: with ctrl the symbol's scale, else the zoom.
    bool Wheel(int delta, bool ctrl);
    // Arrow keys (Qt key codes); false for other keys.
    bool Key(int key, bool ctrl);
    double zoom() const { return m_zoom; }
    void setZoom(double zoom) { m_zoom = zoom; }

    // Commands on the symbol (false: nothing done).
    bool Reset(UserSymSheet* sheet);           // 3
    bool FitToNeighbours();                    // 4
    bool SetScalePercent(double percent);      // 5
    bool SetColour(uint32_t colour);           // 6
    bool Slant(double degrees);                // 7: false when refused
    bool FlipHorizontal();                     // 8
    bool FlipVertical();                       // 9
    bool SetHollow(bool hollow);               // 10, 11: false when unchanged

    // A picked character: keeps the symbol's metrics (or the saved block for
    // a new symbol), takes the picked outline, width and height; rebuilds.
    void MergePicked(const GlyphOutline& picked, UserSymSheet* sheet);

    // Takes the symbol with its code as the finished glyph: saves the block,
    // sets the code; returns the symbol (null when none).
    GlyphOutline* Finish(int code);

    GlyphMetricsBlock saved;  // the start values of the next new symbol
    bool hollow = false;
    int code = 0;

private:
    std::unique_ptr<GlyphOutline> m_working;
    EqModel* m_preview = nullptr;
    double m_zoom = kZoomStart;
    int m_picked = kNone;
    bool m_dragging = false;
    QPoint m_last;
    QRectF m_box;
    std::array<QRect, 4> m_bands{};
    float m_lineX = 0, m_baselineY = 0;
};

}  // namespace toliva
