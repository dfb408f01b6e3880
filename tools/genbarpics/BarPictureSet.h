// The whole set of the symbol bars' pictures, as the program's "Pics" folder
// holds them:
//   100/TAB_P01.bmp .. TAB_P11.bmp   the strips at scale 1
//   200/TAB_P01.png .. TAB_P11.png   the strips at scale 2 (scaled down by the
//                                    program for the sizes above 1.1)
//   <size>/T01.bmp .. T11.bmp        the header tabs' pictures, and
//   <size>/MORE.bmp                  the more-symbols cell's picture, for each
//                                    size folder 100, 125, 150, 175 and 200.
// A strip holds one tile per node of its group in build order: tiles of the
// cell's size, ten a row, tile t at column t % 10 and row t / 10, black on
// white, the drawing inside the part of the tile a cell shows (from 3, 3 to
// w - 1, h - 1 at the size it is shown at).
#pragma once

#include "panels/SymbolBarTables.h"

#include <QImage>
#include <QString>
#include <QStringList>

namespace toliva {

class KeyPictures;

// One group's strip at a scale; a null image when a node cannot be drawn
// (each such node named in errors).
QImage DrawGroupStrip(KeyPictures& pictures, const MainStripGroup& group, float scale, QStringList* errors);

struct BarPictureCount {
    int files = 0;
};

// Draws and writes every picture under output; with a preview folder, PNG
// copies of the strips (the scale 1 ones doubled), the header pictures side
// by side and the more-symbols pictures go there for a person to look at.
// False with the reasons in errors when something cannot be drawn or written.
bool GenerateBarPictures(KeyPictures& pictures, const QString& output, const QString& preview,
                         BarPictureCount* count, QStringList* errors);

}  // namespace toliva
