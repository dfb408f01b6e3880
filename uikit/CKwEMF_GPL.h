// The painter of property grid pages: a page picture whose fields mark value
// places, drawn at a chosen text size, its fields laid out in device units
// and each field's value painted from one group of a property list.
//
//   CKwEMF_GPL page(25);
//   page.LoadFile(path);
//   gp::PainterGraphics g(&backBuffer);
//   page.DrawPage(g, {0, 0, w, h}, &list, groupIndex, selectedField);
//   // page.fields[i].laidOut now holds every field's box for hit tests.
//
// Field item numbers are 1-based: a field shows item (item number - 1) of the
// group. Only fields of kind 3 are painted.
#pragma once

#include "uikit/CKwEMF.h"

#include "platform/gdiplus/Font.h"
#include "platform/gdiplus/GpTypes.h"

#include <QFont>
#include <QString>

#include <vector>

namespace toliva {

class CKwPGL;

// Field kinds and types the painter knows.
enum PageFieldKind : int { kFieldKindValue = 3 };
enum PageFieldType : int {
    kFieldText = 1,          // editable text
    kFieldReadOnlyText = 2,  // read-only text; "@IPv4" shows this machine's address
    kFieldColorref = 4,      // colour box, COLORREF value drawn opaque
    kFieldFrame = 5,         // 3-D frame
    kFieldSquareOption = 9,  // square option mark
    kFieldFixedText = 10,    // editable text in the fixed-pitch font
    kFieldFont = 11,         // font value "face,size,style,colour"
    kFieldArgb = 14,         // colour box, ARGB value over white
    kFieldRoundOption = 19,  // round option mark
    kFieldCheckBox = 21,     // check box
    kFieldFillStyle = 26,    // fill style, colours from the three fields before
    kFieldButton = 39,       // button
};

class CKwEMF_GPL : public CKwEMF {
public:
    // Style codes of FillPathWithStyle.
    static constexpr int kStyleSolid = 1;
    static constexpr int kStyleFirstHatch = 2;      // hatch style = code - 2
    static constexpr int kStyleLastHatch = 54;
    static constexpr int kStyleLinear0 = 55;        // linear gradients at 0, 90 and 45 degrees
    static constexpr int kStyleLinear90 = 56;
    static constexpr int kStyleLinear45 = 57;
    static constexpr int kStyleRadial = 58;
    static constexpr int kStylePathGradient = 59;

    // The text the placeholder field shows the machine's address for.
    static constexpr const char* kIPv4Placeholder = "@IPv4";

    // pointSize: the text size of the page in device pixels; the reference
    // field's line is laid out 1.12 times as high.
    explicit CKwEMF_GPL(int pointSize);
    ~CKwEMF_GPL() override;

    // A page without fields is drawn as a plain picture (Draw); otherwise the
    // page is drawn and laid out, then its values are painted. Holds the
    // application's drawing lock.
    void DrawPage(gp::Graphics& graphics, const gp::RectF& rect, const CKwPGL* list, int group, int selectedField);

    // Draws the page centred in rect at the scale that makes the reference
    // (first) field's line 1.12 x the point size high, and sets every field's
    // laid-out rectangle. Returns the number of fields laid out: the field
    // count, or 0 when nothing was laid out. Draws nothing, and lays out
    // nothing, without a drawable picture or when the rectangle, the page
    // bounds or the point size is 0 or not a number. A reference field
    // without height draws the plain picture (Draw) and lays out nothing.
    int DrawAndLayout(gp::Graphics& graphics, const gp::RectF& rect);

    // Paints the values of the laid-out fields from the group of the list
    // (nothing before a layout). A field of type 11 gets its font colour
    // swatch, whose box becomes its hitArea; other fields' hitArea is empty.
    void DrawFields(gp::Graphics& graphics, const CKwPGL* list, int group, int selectedField);

    // The optional preview line: the laid-out box of the last field filled
    // white, with text centred across it in "Consolas" 20 point, its baseline
    // on the box's vertical centre. Nothing for an empty text or before a layout.
    void DrawPreviewLine(gp::Graphics& graphics, const QString& text) const;

    // "@IPv4" becomes this machine's IPv4 address (HostIPv4Address; empty
    // when the lookup fails); any other text stays as it is.
    static QString ExpandIPv4Placeholder(const QString& text);

    // Fills path by a style code with the colours c0, c1 and c2 (ARGB):
    // 1 solid c0; 2 to 54 hatch (code - 2) of c0 on c1; 55, 56, 57 linear
    // gradients across the bounds at 0, 90 and 45 degrees, from c0 at the
    // start to c1 at 0.618 of the way and on to c2 at the end; 58 radial on the circle
    // through the bounds' corners and 59 from the path itself, both c1 at the
    // centre and c0 around. 0, negative codes and codes above 59 fill nothing.
    static void FillPathWithStyle(gp::ARGB c0, gp::ARGB c1, gp::ARGB c2, gp::Graphics& graphics,
                                  const gp::GraphicsPath& path, int style);

    // Whether a text box of this height gets several lines (word breaks and
    // room for a scroll bar) rather than one: when it is taller than 1.8 x
    // the text size. The grid's in-place edit follows the same rule.
    static bool IsMultiLineBox(float boxHeight, float textSize);

    float PointSize() const { return m_pointSize; }
    // The point size at which DrawAndLayout makes the page as large as fits
    // in rect; 0 when the page has no bounds or no reference line to scale by.
    float PointSizeToFit(const gp::RectF& rect) const;
    // A new point size; the fields' layout is dropped until the next draw.
    void SetPointSize(float pointSize);
    // The page's laid-out rectangle (also kept in referenceRect).
    const gp::RectF& PageRect() const { return referenceRect; }
    bool IsLaidOut() const { return m_laidOut; }

    // "Segoe UI" 10.5 point and "Consolas" 11 point, regular, as pixel fonts
    // at the interface scale.
    const gp::Font& TextFont() const { return m_textFont; }
    const gp::Font& FixedFont() const { return m_fixedFont; }
    // The same fonts for Qt widgets (the grid's in-place edits).
    QFont WidgetFont(bool fixedPitch) const;

protected:
    void OnFieldsLoaded() override;

private:
    // The reference field's line in page units (0 without fields).
    float referenceLine() const;
    void layoutButtonRows();
    void clearLayout();
    void drawField(gp::Graphics& graphics, const CKwPGL* list, int group, int index, bool selected);
    void drawTextField(gp::Graphics& graphics, const CKwPGL* list, int group, int index);
    void drawFontField(gp::Graphics& graphics, const CKwPGL* list, int group, int index);
    void drawFillStyleField(gp::Graphics& graphics, const CKwPGL* list, int group, int index);
    // The text of a read-only field, with "@IPv4" expanded once per load.
    QString readOnlyText(int index, const QString& value);

    float m_pointSize = 0;
    gp::Font m_textFont;
    gp::Font m_fixedFont;
    bool m_laidOut = false;
    std::vector<char> m_expanded;  // per field: the placeholder was expanded into its text
};

}  // namespace toliva
