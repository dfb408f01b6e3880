// The picture of one symbol key, as a cell of a symbol bar shows it: the key
// carried out by a headless editing sheet on an empty equation, the result
// drawn through the model's drawing layer in black on white, fitted and
// centred into a box. Keys that insert nothing (commands, keys whose dialog
// is cancelled) are drawn from a hand-made SVG source instead.
#pragma once

#include "model/RenderContext.h"
#include "model/SymbolKey.h"
#include "platform/AppContext.h"
#include "sheet/editing/EditDialogs.h"

#include <QImage>
#include <QRect>
#include <QString>

#include <memory>

namespace toliva {

class CKwEESheet;
class EqModel;

// The dialogs of a sheet that draws pictures: the matrix dialog answers a
// small matrix whose middle cells hold dots (a matrix of any size), the
// symbol selection of the big operators answers their library outline;
// the rest answer Cancel.
class PictureEditDialogs : public EditDialogService {
public:
    bool askString(StringRequest& request) override;
    bool chooseMatrix(const MatrixRequest& request, MatrixChoice* out) override;
    bool editMatrixLines(MatrixLinesRequest& request) override;
    bool selectSymbol(int type, GlyphOutline* out) override;
    int equationSettings(EqModel* eq, bool officeMode) override;
    void print(EqModel* eq) override;
};

class KeyPictures {
public:
    // svgFolder holds the hand-made sources "key_<kind>_<code>.svg".
    explicit KeyPictures(QString svgFolder);
    ~KeyPictures();
    KeyPictures(const KeyPictures&) = delete;
    KeyPictures& operator=(const KeyPictures&) = delete;

    // Draws key into target (white where nothing is drawn) inside box:
    // characters at fontPixels pixels, anything larger made smaller until it
    // fits, the ink centred in the box. False with a reason when the key
    // inserts nothing and has no hand-made source.
    bool draw(const SymbolKey& key, float fontPixels, QImage* target, const QRect& box, QString* reason);

    // How many keys were drawn through the model and from SVG sources.
    int drawnFromModel = 0;
    int drawnFromSvg = 0;

private:
    // The equation a key gives when the sheet carries it out on an empty one.
    std::unique_ptr<EqModel> equationOf(const SymbolKey& key);
    bool drawSvg(const QString& path, QImage* target, const QRect& box);

    QString m_svgFolder;
    AppContext m_app;
    RenderContext m_render;
    PictureEditDialogs m_dialogs;
    std::unique_ptr<CKwEESheet> m_sheet;
    std::unique_ptr<EqModel> m_blank;
};

// The ink of an image: the smallest rectangle holding every pixel that is
// not white (empty when there is none).
QRect InkBounds(const QImage& image);

}  // namespace toliva
