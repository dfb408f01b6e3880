// The gallery's pictures of the shape objects, and what the gallery's two
// halves share: the style, the picture renderer and the contact sheet cell.
#pragma once

#include "model/EqLayoutSettings.h"

#include <QImage>

class QDir;
class QPainter;
class QRect;

namespace toliva {
class EqModel;
class SymbolLibrary;
struct EqElement;
struct RenderContext;
}

namespace toliva::eqtool {

// A rendered sample: the picture and the y of its baseline.
struct GalleryShot {
    QImage image;
    float baseline = 0;
};

// The built-in style every sample starts from.
EqLayoutSettings galleryStyle();
// Draws the equation as an output picture on a transparent background.
GalleryShot renderGalleryPicture(const RenderContext& context, EqModel* eq, float scale);
// Gives the element its own copy of the library's glyph symbol (1-based);
// nothing when the library lacks it.
void giveOwnOutline(EqElement* e, const SymbolLibrary& library, int glyphCode);
// One contact sheet cell: the picture fitted into the cell, its outline and
// the baseline as a tick on each side.
void drawGalleryCell(QPainter& p, const QRect& cell, const GalleryShot& shot);

// Writes the shape pictures ("<family>-<sample>-<setting>.png"), one contact
// sheet per family ("contact-sheet-<family>.png") and the two showcase
// pictures into dir, and prints a summary; false (with a message) when a
// file cannot be written.
bool writeShapeGallery(const RenderContext& context, const QDir& dir);

}  // namespace toliva::eqtool
