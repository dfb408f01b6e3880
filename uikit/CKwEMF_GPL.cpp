#include "uikit/CKwEMF_GPL.h"

#include "platform/AppContext.h"
#include "platform/HostAddress.h"
#include "platform/emf/EmfPlayer.h"
#include "platform/gdiplus/Brush.h"
#include "platform/gdiplus/Graphics.h"
#include "platform/gdiplus/GraphicsPath.h"
#include "platform/gdiplus/Pen.h"
#include "uikit/CKwPGL.h"

#include <QPainter>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <mutex>

namespace toliva {
namespace {

constexpr gp::ARGB kFrameGrey = 0xFFA9A9A9;
constexpr gp::ARGB kBlack = 0xFF000000;
constexpr gp::ARGB kWhite = 0xFFFFFFFF;
constexpr gp::ARGB kReadOnlyFill = 0xFFBBBBBB;
constexpr gp::ARGB kBlue = 0xFF3232C8;
constexpr gp::ARGB kGreen = 0xFF32C832;
constexpr gp::ARGB kFrame3D = 0xFFC8C8C8;

// The reference field's line is this many point sizes high.
constexpr float kReferenceLine = 1.12f;
// Option tiles and font fields count this share of their height as the line.
constexpr float kTileLineShare = 0.285f;
// Text boxes taller than this many point sizes hold several lines.
constexpr float kMultiLineHeight = 1.8f;
// A button lies on its text field's row when their tops differ by at most
// this share of the text field's height.
constexpr float kRowTolerance = 0.5f;
// Rounded boxes: corner radius per point size.
constexpr float kCornerRadius = 0.11f;
// Text insets inside a box, pixels.
constexpr float kTextInsetLeft = 5;
constexpr float kTextInsetTop = 3;
constexpr float kTextInsetRight = 3;
// The width of a vertical scroll bar at 96 dots per inch.
constexpr float kScrollBarWidth = 17;
constexpr float kOptionDot = 0.22f;
constexpr float kGoldenFocus = 0.618f;

bool positiveFinite(float v) { return std::isfinite(v) && v > 0; }

bool usableBox(const gp::RectF& r) {
    return std::isfinite(r.x) && std::isfinite(r.y) && positiveFinite(r.width) && positiveFinite(r.height);
}

// Fields are painted only in boxes that device pixels can address; a page
// file may place a field anywhere.
constexpr float kMaxDeviceExtent = 1.0e6f;

bool paintableBox(const gp::RectF& r) {
    return usableBox(r) && std::fabs(r.x) <= kMaxDeviceExtent && std::fabs(r.y) <= kMaxDeviceExtent &&
           r.width <= kMaxDeviceExtent && r.height <= kMaxDeviceExtent;
}

float pointsToPixels(float points) { return points * 96.0f / 72.0f * app().uiScale; }

gp::Font makeFont(const char* family, float points) {
    return gp::Font(gp::FontFamily(QString::fromLatin1(family)), pointsToPixels(points), gp::FontStyleRegular,
                    gp::UnitPixel);
}

QRect deviceRect(const gp::RectF& r) {
    return QRect(qRound(r.x), qRound(r.y), std::max(0, qRound(r.width)), std::max(0, qRound(r.height)));
}

// A rounded box around r; the radius shrinks to fit a small box.
gp::GraphicsPath roundBox(const gp::RectF& r, float radius) {
    const QRect box = deviceRect(r);
    const float fit = std::min(box.width(), box.height()) / 2.0f;
    gp::GraphicsPath path;
    if (fit <= 0) return path;
    CKwEMF::AddRoundRectPath(path, box, std::clamp(radius, 0.5f, fit));
    return path;
}

gp::RectF inset(const gp::RectF& r, float dx, float dy) {
    return gp::RectF{r.x + dx, r.y + dy, std::max(0.0f, r.width - 2 * dx), std::max(0.0f, r.height - 2 * dy)};
}

float textWidth(gp::Graphics& g, const QString& text, const gp::Font& font) {
    gp::RectF box;
    if (g.MeasureString(text, font, gp::RectF{}, gp::StringFormat(), &box) != gp::Ok) return 0;
    return box.width;
}

// A cut never falls between the two halves of a surrogate pair.
int safeCut(const QString& text, int n) {
    if (n > 0 && n < text.size() && text.at(n).isLowSurrogate()) --n;
    return n;
}

// The longest start of text that fits width with an ellipsis after it.
QString elided(gp::Graphics& g, const QString& text, const gp::Font& font, float width) {
    if (textWidth(g, text, font) <= width) return text;
    const QString dots(QChar(0x2026));
    int lo = 0, hi = int(text.size());
    while (lo < hi) {
        const int mid = (lo + hi + 1) / 2;
        if (textWidth(g, text.left(safeCut(text, mid)) + dots, font) <= width)
            lo = mid;
        else
            hi = mid - 1;
    }
    return text.left(safeCut(text, lo)) + dots;
}

// The longest start of word (at least one character) that fits width.
int fittingPrefix(gp::Graphics& g, const QString& word, const gp::Font& font, float width) {
    int lo = 1, hi = int(word.size());
    while (lo < hi) {
        const int mid = (lo + hi + 1) / 2;
        if (textWidth(g, word.left(safeCut(word, mid)), font) <= width)
            lo = mid;
        else
            hi = mid - 1;
    }
    const int cut = safeCut(word, lo);
    return cut > 0 ? cut : std::min<int>(2, int(word.size()));
}

// Breaks text into lines no wider than width: at spaces, inside words that
// are wider than a line, and at line feeds; at most maxLines lines.
QStringList wrapped(gp::Graphics& g, const QString& text, const gp::Font& font, float width, int maxLines) {
    QStringList lines;
    QString normal = text;
    normal.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    normal.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    for (const QString& paragraph : normal.split(QLatin1Char('\n'))) {
        QString line;
        for (QString word : paragraph.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            if (int(lines.size()) >= maxLines) return lines;
            const QString joined = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
            if (textWidth(g, joined, font) <= width) {
                line = joined;
                continue;
            }
            if (!line.isEmpty()) lines.push_back(line);
            line.clear();
            while (!word.isEmpty() && int(lines.size()) < maxLines && textWidth(g, word, font) > width) {
                const int n = fittingPrefix(g, word, font, width);
                lines.push_back(word.left(n));
                word = word.mid(n);
            }
            line = word;
        }
        if (int(lines.size()) >= maxLines) return lines;
        lines.push_back(line);
    }
    while (int(lines.size()) > maxLines) lines.pop_back();
    return lines;
}

// Whether some face of the font's family draws every character of text.
bool familyCovers(const gp::Font& font, const QString& text) {
    const gp::FontFamily& family = font.family();
    for (char32_t code : text.toUcs4()) {
        if (QChar::isSpace(code) || code < 0x20) continue;
        bool found = false;
        for (int style : {gp::FontStyleRegular, gp::FontStyleBold, gp::FontStyleItalic, gp::FontStyleBoldItalic}) {
            const gp::FontFace* face = family.face(style);
            if (face && face->glyphFor(code)) {
                found = true;
                break;
            }
        }
        if (!found) return false;
    }
    return true;
}

// The font for a value text: the given one, or, for text it cannot draw
// (Chinese in the Latin interface font), the system's Chinese interface font
// at the same size, as the system's font linking would pick it.
gp::Font fontForText(const gp::Font& font, const QString& text) {
    if (familyCovers(font, text)) return font;
    const gp::Font linked(gp::FontFamily(QStringLiteral("Microsoft YaHei")), font.GetSize(), font.GetStyle(),
                          gp::UnitPixel);
    return linked.IsAvailable() ? linked : font;
}

// The 0-based item a field shows; -1 (no item) for numbers below 1.
int itemIndex(int itemNumber) { return itemNumber > 0 ? itemNumber - 1 : -1; }

gp::StringFormat nearFormat() {
    gp::StringFormat format;
    format.SetAlignment(gp::StringAlignmentNear);
    format.SetLineAlignment(gp::StringAlignmentNear);
    return format;
}

void strokeFrame(gp::Graphics& g, const gp::GraphicsPath& path) {
    if (path.GetPointCount() > 0) g.DrawPath(gp::Pen(kFrameGrey, 1), path);
}

}  // namespace

CKwEMF_GPL::CKwEMF_GPL(int pointSize)
    : m_pointSize(float(pointSize)), m_textFont(makeFont("Segoe UI", 10.5f)), m_fixedFont(makeFont("Consolas", 11)) {}

CKwEMF_GPL::~CKwEMF_GPL() = default;

void CKwEMF_GPL::OnFieldsLoaded() {
    m_laidOut = false;
    m_expanded.assign(fields.size(), 0);
    referenceRect = gp::RectF();
}

bool CKwEMF_GPL::IsMultiLineBox(float boxHeight, float textSize) { return boxHeight > kMultiLineHeight * textSize; }

QFont CKwEMF_GPL::WidgetFont(bool fixedPitch) const {
    const gp::Font& font = fixedPitch ? m_fixedFont : m_textFont;
    const gp::FontFace* face = font.family().face(gp::FontStyleRegular);
    QFont qfont(face && !face->familyName.isEmpty() ? face->familyName : font.family().GetFamilyName());
    qfont.setPixelSize(std::max(1, qRound(font.GetSize())));
    if (fixedPitch) qfont.setStyleHint(QFont::Monospace);
    return qfont;
}

QString CKwEMF_GPL::ExpandIPv4Placeholder(const QString& text) {
    if (text != QLatin1String(kIPv4Placeholder)) return text;
    return HostIPv4Address();
}

// ---- layout

void CKwEMF_GPL::clearLayout() {
    m_laidOut = false;
    referenceRect = gp::RectF();
    for (PictureField& f : fields) {
        f.laidOut = gp::RectF();
        f.hitArea = QRect();
    }
}

int CKwEMF_GPL::DrawAndLayout(gp::Graphics& graphics, const gp::RectF& rect) {
    std::lock_guard<std::recursive_mutex> lock(app().drawingLock);
    clearLayout();
    if (!IsDrawable() || fields.empty() || !usableBox(rect) || !positiveFinite(m_pointSize)) return 0;
    const gp::RectF bounds = pageBounds;
    if (!usableBox(bounds)) return 0;

    const float line = referenceLine();
    if (!positiveFinite(line)) {
        // Without a reference line there is no scale: the page is shown as
        // a picture and no field can be hit.
        Draw(graphics, rect);
        return 0;
    }

    const float e = kReferenceLine * m_pointSize / line;
    const float pageW = e * bounds.width;
    const float pageH = e * bounds.height;
    if (!positiveFinite(e) || !positiveFinite(pageW) || !positiveFinite(pageH)) return 0;
    const gp::RectF page{rect.x + (rect.width - pageW) / 2, rect.y + (rect.height - pageH) / 2, pageW, pageH};
    if (!usableBox(page)) return 0;
    referenceRect = page;

    const gp::Matrix saved = graphics.GetTransform();
    graphics.TranslateTransform(page.x + pageW / 2, page.y + pageH / 2);
    graphics.ScaleTransform(e, e);
    graphics.TranslateTransform(-bounds.width / 2, -bounds.height / 2);
    if (auto* pg = dynamic_cast<gp::PainterGraphics*>(&graphics)) {
        QPainter* painter = pg->painter();
        if (painter && painter->isActive())
            emf::EmfPlayer::play(metafile, painter, QRectF(0, 0, bounds.width, bounds.height));
    }
    graphics.SetTransform(saved);

    for (PictureField& f : fields) {
        f.laidOut = gp::RectF{page.x + e * (f.x - bounds.x), page.y + e * (f.y - bounds.y), e * (f.x2 - f.x),
                              e * (f.y2 - f.y)};
    }
    layoutButtonRows();
    m_laidOut = true;
    return FieldCount();
}

float CKwEMF_GPL::referenceLine() const {
    if (fields.empty()) return 0;
    const PictureField& reference = fields.front();
    float line = reference.y2 - reference.y;
    if (reference.type == kFieldSquareOption || reference.type == kFieldFont) line *= kTileLineShare;
    return line;
}

float CKwEMF_GPL::PointSizeToFit(const gp::RectF& rect) const {
    const float line = referenceLine();
    if (!usableBox(rect) || !usableBox(pageBounds) || !positiveFinite(line)) return 0;
    const float fit = std::min(rect.width / pageBounds.width, rect.height / pageBounds.height);
    const float pointSize = fit * line / kReferenceLine;
    return positiveFinite(pointSize) ? pointSize : 0;
}

void CKwEMF_GPL::SetPointSize(float pointSize) {
    m_pointSize = pointSize;
    clearLayout();
}

void CKwEMF_GPL::layoutButtonRows() {
    const size_t n = fields.size();
    for (size_t i = 0; i < n; ++i) {
        const PictureField& text = fields[i];
        if (text.type != kFieldText && text.type != kFieldFixedText) continue;
        for (size_t j = i + 1; j < n && fields[j].type == kFieldButton && fields[j].item == text.item; ++j) {
            PictureField& button = fields[j];
            if (std::fabs(button.laidOut.y - text.laidOut.y) <= kRowTolerance * std::fabs(text.laidOut.height)) {
                button.laidOut.y = text.laidOut.y;
                button.laidOut.height = text.laidOut.height;
            }
        }
    }
}

// ---- painting

void CKwEMF_GPL::DrawPage(gp::Graphics& graphics, const gp::RectF& rect, const CKwPGL* list, int group,
                          int selectedField) {
    std::lock_guard<std::recursive_mutex> lock(app().drawingLock);
    if (fields.empty()) {
        clearLayout();
        Draw(graphics, rect);
        return;
    }
    if (DrawAndLayout(graphics, rect) > 0) DrawFields(graphics, list, group, selectedField);
}

void CKwEMF_GPL::DrawFields(gp::Graphics& graphics, const CKwPGL* list, int group, int selectedField) {
    std::lock_guard<std::recursive_mutex> lock(app().drawingLock);
    if (!m_laidOut) return;
    if (m_expanded.size() != fields.size()) m_expanded.assign(fields.size(), 0);
    const gp::GraphicsState state = graphics.Save();
    graphics.SetSmoothingMode(gp::SmoothingModeAntiAlias);
    for (int i = 0; i < FieldCount(); ++i) {
        const PictureField& f = fields[size_t(i)];
        if (f.kind != kFieldKindValue || !paintableBox(f.laidOut)) continue;
        drawField(graphics, list, group, i, i == selectedField);
    }
    graphics.Restore(state);
}

void CKwEMF_GPL::drawField(gp::Graphics& g, const CKwPGL* list, int group, int index, bool selected) {
    PictureField& f = fields[size_t(index)];
    const gp::RectF box = f.laidOut;
    const int item = itemIndex(f.item);
    const float radius = kCornerRadius * m_pointSize;
    auto choiceIsMine = [&] { return list && list->GetItemChoice(group, item) == OptionIndexOf(index); };

    switch (f.type) {
    case kFieldText:
    case kFieldReadOnlyText:
    case kFieldFixedText:
        drawTextField(g, list, group, index);
        break;
    case kFieldColorref: {
        const gp::GraphicsPath path = roundBox(box, radius);
        const uint32_t colour = list ? uint32_t(list->GetItemInt(group, item)) : 0u;
        g.FillPath(gp::SolidBrush(gp::ArgbFromColorref(colour)), path);
        strokeFrame(g, path);
        break;
    }
    case kFieldFrame:
        g.DrawRectangle(gp::Pen(kFrame3D, 1), box.x + 0.5f, box.y + 0.5f, box.width - 1, box.height - 1);
        break;
    case kFieldSquareOption:
        // The option's own picture lies under the mark, so the chosen one
        // is tinted and framed rather than covered.
        if (choiceIsMine()) {
            g.FillRectangle(gp::SolidBrush(f.highlight), box);
            g.DrawRectangle(gp::Pen(kBlue, 2), inset(box, 1, 1));
        } else {
            g.DrawRectangle(gp::Pen(kFrameGrey, 1), box.x + 0.5f, box.y + 0.5f, box.width - 1, box.height - 1);
        }
        break;
    case kFieldFont:
        drawFontField(g, list, group, index);
        break;
    case kFieldArgb: {
        if (!f.visible) break;
        const gp::GraphicsPath path = roundBox(box, radius);
        g.FillPath(gp::SolidBrush(kWhite), path);
        // A dark square under the colour shows how transparent it is.
        const float side = std::max(1.0f, box.height / 2);
        g.FillRectangle(gp::SolidBrush(kBlack), box.x + 3, box.y + (box.height - side) / 2, side, side);
        const gp::ARGB colour = list ? gp::ARGB(uint32_t(list->GetItemColor(group, item))) : 0u;
        g.FillPath(gp::SolidBrush(colour), path);
        strokeFrame(g, path);
        break;
    }
    case kFieldRoundOption: {
        const float d = std::min(box.width, box.height);
        const gp::RectF circle{box.x + (box.width - d) / 2, box.y + (box.height - d) / 2, d, d};
        g.FillEllipse(gp::SolidBrush(kWhite), inset(circle, 0.5f, 0.5f));
        g.DrawEllipse(gp::Pen(kFrameGrey, 1), inset(circle, 0.5f, 0.5f));
        if (choiceIsMine()) {
            const float dot = kOptionDot * m_pointSize;
            g.FillEllipse(gp::SolidBrush(kBlue), circle.x + (d - dot) / 2, circle.y + (d - dot) / 2, dot, dot);
        }
        break;
    }
    case kFieldCheckBox: {
        const gp::GraphicsPath path = roundBox(box, radius);
        const bool checked = list && list->GetItemBool(group, item);
        g.FillPath(gp::SolidBrush(checked ? kBlue : kWhite), path);
        if (checked) {
            const gp::PointF tick[3] = {{box.x + 0.2f * box.width, box.y + 0.5f * box.height},
                                        {box.x + 0.4f * box.width, box.y + 0.7f * box.height},
                                        {box.x + 0.8f * box.width, box.y + 0.3f * box.height}};
            gp::Pen pen(kWhite, 3);
            pen.SetLineJoin(gp::LineJoinRound);
            pen.SetLineCap(gp::LineCapRound, gp::LineCapRound, gp::DashCapRound);
            g.DrawLines(pen, tick, 3);
        } else {
            strokeFrame(g, path);
        }
        break;
    }
    case kFieldFillStyle:
        drawFillStyleField(g, list, group, index);
        break;
    case kFieldButton: {
        // The caption is part of the page picture: the flat fill is the
        // field's translucent highlight.
        const gp::GraphicsPath path = roundBox(box, radius);
        g.FillPath(gp::SolidBrush(f.highlight), path);
        if (selected)
            g.DrawPath(gp::Pen(kGreen, 2), path);
        else
            strokeFrame(g, path);
        break;
    }
    default:
        break;
    }

    if (selected) {
        const float x = box.x + 2;
        g.DrawLine(gp::Pen(kBlue, 2), x, box.y + 3, x, box.bottom() - 3);
    }
}

QString CKwEMF_GPL::readOnlyText(int index, const QString& value) {
    if (value != QLatin1String(kIPv4Placeholder)) return value;
    PictureField& f = fields[size_t(index)];
    if (!m_expanded[size_t(index)]) {
        f.text = ExpandIPv4Placeholder(value);
        m_expanded[size_t(index)] = 1;
    }
    return f.text;
}

void CKwEMF_GPL::drawTextField(gp::Graphics& g, const CKwPGL* list, int group, int index) {
    const PictureField& f = fields[size_t(index)];
    const gp::RectF box = f.laidOut;
    const gp::GraphicsPath path = roundBox(box, kCornerRadius * m_pointSize);
    g.FillPath(gp::SolidBrush(f.type == kFieldReadOnlyText ? kReadOnlyFill : kWhite), path);
    strokeFrame(g, path);

    QString text = list ? list->GetItemText(group, itemIndex(f.item), true) : QString();
    const gp::Font* font = &m_textFont;
    float lower = 0;
    if (f.type == kFieldFixedText) {
        font = &m_fixedFont;
        lower = 1;
    } else if (f.type == kFieldReadOnlyText && text.startsWith(QLatin1Char('@'))) {
        font = &m_fixedFont;
        lower = 1;
        text = readOnlyText(index, text);
    }
    if (text.isEmpty() || !font->IsAvailable()) return;
    const gp::Font drawn = fontForText(*font, text);
    font = &drawn;

    gp::RectF area{box.x + kTextInsetLeft, box.y + kTextInsetTop + lower, 0, box.height - kTextInsetTop - lower};
    if (IsMultiLineBox(box.height, m_pointSize)) {
        area.width = box.width - kTextInsetLeft - kScrollBarWidth * app().uiScale;
        if (area.width <= 0) return;
        const float lineHeight = font->GetHeight();
        const int maxLines = lineHeight > 0 ? std::max(1, int(area.height / lineHeight)) : 1;
        text = wrapped(g, text, *font, area.width, maxLines).join(QLatin1Char('\n'));
    } else {
        area.width = box.width - kTextInsetLeft - kTextInsetRight;
        if (area.width <= 0) return;
        const qsizetype lineEnd = text.indexOf(QRegularExpression(QStringLiteral("[\r\n]")));
        if (lineEnd >= 0) text.truncate(lineEnd);
        text = elided(g, text, *font, area.width);
    }
    g.DrawString(text, *font, area, nearFormat(), kBlack);
}

void CKwEMF_GPL::drawFontField(gp::Graphics& g, const CKwPGL* list, int group, int index) {
    PictureField& f = fields[size_t(index)];
    const gp::RectF box = f.laidOut;
    QString face = QStringLiteral("Segoe UI");
    int size = 12;
    int style = kFontBold;
    int colour = 0;
    if (list) list->GetItemFont(group, itemIndex(f.item), face, size, style, colour);

    const gp::GraphicsPath path = roundBox(box, kCornerRadius * m_pointSize);
    g.FillPath(gp::SolidBrush(kWhite), path);
    strokeFrame(g, path);

    // The font colour, which the grid opens the colour dialog for.
    const float side = std::max(0.0f, box.height - 6);
    const gp::RectF swatch{box.right() - 3 - side, box.y + 3, side, side};
    if (side > 0 && swatch.x > box.x) {
        g.FillRectangle(gp::SolidBrush(gp::ArgbFromColorref(uint32_t(colour))), swatch);
        g.DrawRectangle(gp::Pen(kFrameGrey, 1), swatch);
        f.hitArea = deviceRect(swatch);
    }

    gp::FontFamily family(face);
    if (!family.IsAvailable()) family = m_textFont.family();
    const QString text = QStringLiteral("%1 / %2").arg(face).arg(size);
    const gp::Font font = fontForText(gp::Font(family, m_textFont.GetSize(), gp::FontStyleRegular, gp::UnitPixel), text);
    if (!font.IsAvailable()) return;
    const float right = f.hitArea.isEmpty() ? box.right() : swatch.x;
    const gp::RectF area{box.x + 3, box.y, right - box.x - 6, box.height};
    if (area.width <= 0) return;
    gp::StringFormat centred;
    centred.SetAlignment(gp::StringAlignmentCenter);
    centred.SetLineAlignment(gp::StringAlignmentCenter);
    g.DrawString(elided(g, text, font, area.width), font, area, centred, kBlack);
}

void CKwEMF_GPL::drawFillStyleField(gp::Graphics& g, const CKwPGL* list, int group, int index) {
    const PictureField& f = fields[size_t(index)];
    gp::ARGB colours[3] = {0, 0, 0};
    int style = 0;
    if (list) {
        // The three fields before this one hold its colours; a field near
        // the start of the page has fewer before it.
        for (int k = 0; k < 3; ++k) {
            const int before = index - 3 + k;
            if (before >= 0) colours[k] = gp::ARGB(uint32_t(list->GetItemColor(group, itemIndex(fields[size_t(before)].item))));
        }
        style = list->GetItemChoice(group, itemIndex(f.item));
    }
    const gp::GraphicsPath path = roundBox(f.laidOut, kCornerRadius * m_pointSize);
    FillPathWithStyle(colours[0], colours[1], colours[2], g, path, style);
    strokeFrame(g, path);
}

void CKwEMF_GPL::DrawPreviewLine(gp::Graphics& graphics, const QString& text) const {
    if (text.isEmpty() || !m_laidOut || fields.empty()) return;
    const gp::RectF box = fields.back().laidOut;
    if (!paintableBox(box)) return;
    std::lock_guard<std::recursive_mutex> lock(app().drawingLock);
    graphics.FillRectangle(gp::SolidBrush(kWhite), box);
    const gp::Font font = fontForText(makeFont("Consolas", 20), text);
    if (!font.IsAvailable()) return;
    const gp::FontFamily& family = font.family();
    const int em = family.GetEmHeight(gp::FontStyleRegular);
    const float ascent = em > 0 ? font.GetSize() * float(family.GetCellAscent(gp::FontStyleRegular)) / float(em) : 0;
    gp::StringFormat format;
    format.SetAlignment(gp::StringAlignmentCenter);
    format.SetLineAlignment(gp::StringAlignmentNear);
    const gp::RectF anchor{box.x + box.width / 2, box.y + box.height / 2 - ascent, 0, 0};
    graphics.DrawString(text, font, anchor, format, kBlack);
}

// ---- fill styles

void CKwEMF_GPL::FillPathWithStyle(gp::ARGB c0, gp::ARGB c1, gp::ARGB c2, gp::Graphics& graphics,
                                   const gp::GraphicsPath& path, int style) {
    if (path.GetPointCount() == 0 || style < kStyleSolid || style > kStylePathGradient) return;
    const gp::RectF b = path.GetBounds();
    if (!std::isfinite(b.x) || !std::isfinite(b.y) || !std::isfinite(b.width) || !std::isfinite(b.height)) return;
    const gp::PointF centre{b.x + b.width / 2, b.y + b.height / 2};

    if (style == kStyleSolid) {
        graphics.FillPath(gp::SolidBrush(c0), path);
    } else if (style <= kStyleLastHatch) {
        graphics.FillPath(gp::HatchBrush(gp::HatchStyle(style - kStyleFirstHatch), c0, c1), path);
    } else if (style <= kStyleLinear45) {
        // Across the bounds from the corner the direction meets first: c0
        // at the start, c1 at the focus, then on to c2 at the end, drawn as
        // c2 fading in over the c1 that the first gradient holds past its end.
        const float angle = style == kStyleLinear0 ? 0.0f : style == kStyleLinear90 ? 90.0f : 45.0f;
        const double rad = angle * M_PI / 180.0;
        const float dx = float(std::cos(rad)), dy = float(std::sin(rad));
        const gp::PointF corners[4] = {{b.x, b.y}, {b.right(), b.y}, {b.right(), b.bottom()}, {b.x, b.bottom()}};
        float lo = 0, hi = 0;
        gp::PointF start = corners[0];
        for (int i = 0; i < 4; ++i) {
            const float p = corners[i].x * dx + corners[i].y * dy;
            if (i == 0 || p < lo) lo = p, start = corners[i];
            if (i == 0 || p > hi) hi = p;
        }
        const float span = hi - lo;
        if (!(span > 0)) {
            graphics.FillPath(gp::SolidBrush(c1), path);
            return;
        }
        const gp::PointF focus{start.x + dx * span * kGoldenFocus, start.y + dy * span * kGoldenFocus};
        const gp::PointF end{start.x + dx * span, start.y + dy * span};
        gp::LinearGradientBrush first(start, focus, c0, c1);
        first.SetWrapMode(gp::WrapModeClamp);
        graphics.FillPath(first, path);
        gp::LinearGradientBrush second(focus, end, c2 & 0x00FFFFFFu, c2);
        second.SetWrapMode(gp::WrapModeClamp);
        graphics.FillPath(second, path);
    } else {
        gp::GraphicsPath shape;
        if (style == kStyleRadial) {
            const float d = std::hypot(b.width, b.height);
            shape.AddEllipse(centre.x - d / 2, centre.y - d / 2, d, d);
        }
        gp::PathGradientBrush brush(style == kStyleRadial ? shape : path);
        brush.SetCenterPoint(centre);
        brush.SetCenterColor(c1);
        int count = 1;
        brush.SetSurroundColors(&c0, &count);
        brush.SetFocusScales(0.01f, 0.01f);
        graphics.FillPath(brush, path);
    }
}

}  // namespace toliva
