#include "KeyPictures.h"

#include "model/EqDraw.h"
#include "model/EqElement.h"
#include "model/EqModel.h"
#include "model/EqOutput.h"
#include "model/EqTypes.h"
#include "platform/gdiplus/Graphics.h"
#include "sheet/CKwEESheet.h"
#include "sheet/SheetBackend.h"
#include "sheet/SheetScript.h"
#include "sheet/editing/ChemMarks.h"
#include "uikit/CDlgGU.h"

#include <QFileInfo>
#include <QPainter>
#include <QSvgRenderer>

#include <algorithm>
#include <cmath>

namespace toliva {

// ---- the dialogs

bool PictureEditDialogs::askString(StringRequest&) { return false; }

bool PictureEditDialogs::chooseMatrix(const MatrixRequest& request, MatrixChoice* out) {
    MatrixChoice c;
    // Placeholders at the ends, dots between them: a column, a row or a
    // square of any size. Two strings a cell: text and subscript.
    const QString dot = QStringLiteral(".");
    if (request.mode == 2) {
        c.rows = request.hideFill ? 2 : 3;
        c.names = {QString(), QString(), dot, QStringLiteral("|"), QString(), QString()};
    } else if (request.mode == 1) {
        c.columns = 3;
        c.names = {QString(), QString(), dot, QStringLiteral("-"), QString(), QString()};
    } else {
        c.rows = 3;
        c.columns = 3;
        c.names = {QString(), QString(), dot, QStringLiteral("-"), QString(), QString(),
                   dot, QStringLiteral("|"), dot, QStringLiteral("\\"), dot, QStringLiteral("|"),
                   QString(), QString(), dot, QStringLiteral("-"), QString(), QString()};
    }
    c.alignment = request.alignment < 0 ? 0 : request.alignment;
    if (request.hideFill || !request.wantNames) c.names.clear();
    if (out) *out = c;
    return true;
}

bool PictureEditDialogs::editMatrixLines(MatrixLinesRequest&) { return false; }

// OK without a glyph of its own: the operator keeps the library's outline.
bool PictureEditDialogs::selectSymbol(int, GlyphOutline*) { return true; }

int PictureEditDialogs::equationSettings(EqModel*, bool) { return 0; }

void PictureEditDialogs::print(EqModel*) {}

// ---- drawing

namespace {

EqLayoutSettings builtInStyle() {
    EqLayoutSettings s;
    SetDefaultLayoutSettings(s);
    return s;
}

// The base an accent key is applied to and a script is drawn after: a small
// empty box, the sign of a place to fill.
constexpr int kAccentBase = 0x25AB;

// A pixel is ink when it is not white.
bool isInk(QRgb p) { return qRed(p) < 250 || qGreen(p) < 250 || qBlue(p) < 250; }

// Black on white: the grey level of a pixel drawn on white, darkened so that
// the pale marks of empty places stay visible.
uchar inkLevel(QRgb p) {
    const int g = qGray(p);
    return uchar(g * g / 255);
}

// Draws eq at scale on white, with the empty places and space marks the
// editing view shows; returns the picture and its ink.
QImage drawEquation(const RenderContext& context, EqModel* eq, float scale, QRect* ink) {
    const RenderScope pass(eq, context);
    const float fontSize = eq->settings.fontSize;
    const float size2 = eq->settings.size2;
    eq->settings.fontSize *= scale;
    eq->settings.size2 *= scale;
    QImage image;
    {
        gp::RecordingGraphics measuring;
        LayoutForOutput(context, &measuring, eq, {0, 0}, 1.0f);
        const float pad = eq->settings.fontSize;
        const int w = int(std::ceil(eq->widestLine + 2 * pad));
        const int h = int(std::ceil(eq->totalHeight + 2 * pad));
        if (w > 0 && h > 0 && w < 8192 && h < 8192) {
            image = QImage(w, h, QImage::Format_RGB32);
            image.fill(Qt::white);
            gp::PainterGraphics g(&image);
            g.SetSmoothingMode(gp::SmoothingModeAntiAlias);
            g.SetTextRenderingHint(gp::TextRenderingHintAntiAlias);
            LayoutForOutput(context, &g, eq, {pad, pad}, 1.0f);
            eq->markHighlight = 1;
            eq->phantomColour = 0xFF000000;
            eq->flag1 = 1;
            for (const LinePlacement& p : eq->placements) DrawElement(p.head, g, p.x, p.y, nullptr, 1.0f, false);
            eq->flag1 = 0;
        }
    }
    eq->settings.fontSize = fontSize;
    eq->settings.size2 = size2;
    InvalidateAllLineCaches(eq);
    *ink = image.isNull() ? QRect() : InkBounds(image);
    return image;
}

// Copies the ink of source centred into box of target, in grey levels.
void placeInk(const QImage& source, const QRect& ink, QImage* target, const QRect& box) {
    const int x0 = box.x() + (box.width() - ink.width()) / 2;
    const int y0 = box.y() + (box.height() - ink.height()) / 2;
    for (int y = 0; y < ink.height(); ++y) {
        const QRgb* from = reinterpret_cast<const QRgb*>(source.constScanLine(ink.y() + y)) + ink.x();
        QRgb* to = reinterpret_cast<QRgb*>(target->scanLine(y0 + y)) + x0;
        for (int x = 0; x < ink.width(); ++x) {
            const uchar v = std::min(inkLevel(from[x]), uchar(qGray(to[x])));
            to[x] = qRgb(v, v, v);
        }
    }
}

}  // namespace

QRect InkBounds(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    int left = rgb.width(), right = -1, top = rgb.height(), bottom = -1;
    for (int y = 0; y < rgb.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            if (!isInk(line[x])) continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    if (right < 0) return {};
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

KeyPictures::KeyPictures(QString svgFolder)
    : m_svgFolder(std::move(svgFolder)), m_render(RenderContext::FromDataFolder()),
      m_blank(std::make_unique<EqModel>(builtInStyle())) {
    AddEmptyLine(m_blank.get());
    m_sheet = std::make_unique<CKwEESheet>(m_app, m_render, nullptr, std::make_unique<HeadlessSheetBackend>());
    m_sheet->setEditDialogs(&m_dialogs);
    // The chemical marks' page opens after a chemical form: answered Cancel.
    m_sheet->runSettingsDialog = [](CDlgGU&) { return int(IDCANCEL); };
    ShowSheetOffscreen(*m_sheet, QSize(400, 300), m_blank.get());
}

KeyPictures::~KeyPictures() {
    if (m_sheet) m_sheet->SetEquation(nullptr);
}

std::unique_ptr<EqModel> KeyPictures::equationOf(const SymbolKey& key) {
    auto eq = std::make_unique<EqModel>(builtInStyle());
    AddEmptyLine(eq.get());
    m_sheet->SetEquation(eq.get());
    // An accent needs a character at the caret; the scripts that belong to
    // the element before them are shown on a base (the over and under
    // scripts hold their own).
    const bool script = key.kind == 3 && ((key.code >= EqTypeSuperscript && key.code <= EqTypeBaselineScript) ||
                                          key.code == EqTypeBarScripts);
    if (key.kind == 2 || script) m_sheet->ExecuteSymbolKey(SymbolKey{6, kAccentBase, 0});
    m_sheet->ExecuteSymbolKey(key);
    // A chemical form's marks come from the page that opens after it (here
    // cancelled): the cell shows it with a few, as the marks look.
    if (key.kind == 3 && key.code == EqTypeChemForm) {
        ChemMarkChoices marks;
        marks.marks = {{{ChemMarkDot, ChemMarkDot, ChemMarkNone},
                        {ChemMarkDot, ChemMarkDot, ChemMarkNone},
                        {ChemMarkCross, ChemMarkDot, ChemMarkNone},
                        {ChemMarkDot, ChemMarkDot, ChemMarkNone}}};
        for (EqElement* e = eq->lines.front()->next; e; e = e->next)
            if (SetChemMarks(e, marks)) break;
    }
    m_sheet->SetEquation(m_blank.get());
    m_sheet->ClearUndoStack();
    m_sheet->ClearRedoStack();
    return eq;
}

bool KeyPictures::drawSvg(const QString& path, QImage* target, const QRect& box) {
    QSvgRenderer renderer(path);
    if (!renderer.isValid()) return false;
    QSizeF size = renderer.viewBoxF().size();
    if (size.isEmpty()) size = renderer.defaultSize();
    if (size.isEmpty()) return false;
    // The view box is the cell's copy window: kept in its proportions and
    // centred.
    const double s = std::min(box.width() / size.width(), box.height() / size.height());
    const QSizeF drawn = size * s;
    const QRectF to(box.x() + (box.width() - drawn.width()) / 2, box.y() + (box.height() - drawn.height()) / 2,
                    drawn.width(), drawn.height());
    QImage layer(target->size(), QImage::Format_RGB32);
    layer.fill(Qt::white);
    {
        QPainter p(&layer);
        p.setRenderHint(QPainter::Antialiasing);
        p.setClipRect(box);
        renderer.render(&p, to);
    }
    const QRect ink = InkBounds(layer);
    if (ink.isEmpty()) return false;
    // Grey levels over what the target holds (a raster AND needs no colour).
    for (int y = ink.top(); y <= ink.bottom(); ++y) {
        const QRgb* from = reinterpret_cast<const QRgb*>(layer.constScanLine(y));
        QRgb* line = reinterpret_cast<QRgb*>(target->scanLine(y));
        for (int x = ink.left(); x <= ink.right(); ++x) {
            const uchar v = std::min(uchar(qGray(from[x])), uchar(qGray(line[x])));
            line[x] = qRgb(v, v, v);
        }
    }
    return true;
}

bool KeyPictures::draw(const SymbolKey& key, float fontPixels, QImage* target, const QRect& box, QString* reason) {
    const QString svg = QStringLiteral("%1/key_%2_%3.svg").arg(m_svgFolder).arg(key.kind).arg(key.code);
    // Commands act on a selection and insert nothing: always their own picture.
    if (key.kind != 1 && key.kind != 0xFFFFF) {
        std::unique_ptr<EqModel> eq = equationOf(key);
        if (!IsEquationEmpty(eq.get())) {
            float scale = fontPixels / eq->settings.fontSize;
            QRect ink;
            QImage picture;
            // Larger than the box: smaller until it fits (the ink does not
            // shrink exactly with the scale, so a few rounds).
            for (int round = 0; round < 6; ++round) {
                picture = drawEquation(m_render, eq.get(), scale, &ink);
                if (ink.isEmpty()) break;
                if (ink.width() <= box.width() && ink.height() <= box.height()) break;
                const float fit = std::min(float(box.width()) / float(ink.width()),
                                           float(box.height()) / float(ink.height()));
                scale *= fit * (round < 2 ? 0.98f : 0.9f);
            }
            if (!ink.isEmpty() && ink.width() <= box.width() && ink.height() <= box.height()) {
                placeInk(picture, ink, target, box);
                ++drawnFromModel;
                return true;
            }
        }
    }
    if (QFileInfo::exists(svg) && drawSvg(svg, target, box)) {
        ++drawnFromSvg;
        return true;
    }
    if (reason)
        *reason = QStringLiteral("key (%1, %2, %3) draws nothing and has no source %4")
                      .arg(key.kind)
                      .arg(key.code)
                      .arg(key.ch)
                      .arg(svg);
    return false;
}

}  // namespace toliva
