// gallery: one picture of every element type that is not a shape object, in
// a few typical settings (plain, nested, in a superscript, coloured, as
// phantoms), each written as its own PNG, and a contact sheet of all of them
// with labels for review at a glance. The shape objects (accents, brackets,
// matrices, integrals, big operators, operators, chemical marks) follow with
// their own pictures and one contact sheet per family (GalleryShapes.cpp).
#include "Commands.h"
#include "GalleryShapes.h"

#include "model/EqBuilder.h"
#include "model/EqFonts.h"
#include "model/EqLayout.h"
#include "model/EqMeasure.h"
#include "model/EqModel.h"
#include "model/EqOutput.h"
#include "model/GlyphOutline.h"
#include "model/RenderContext.h"
#include "model/SymbolLibrary.h"
#include "platform/gdiplus/Bitmap.h"
#include "platform/gdiplus/Graphics.h"

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace toliva::eqtool {
namespace {

constexpr float kScale = 3.0f;
constexpr uint32_t kSampleColour = 0xC85A00;  // COLORREF of a mid blue

enum Setting { Plain, Nested, Scripted, Coloured, Phantom, SettingCount };
const char* const kSettingNames[SettingCount] = {"plain", "nested", "scripted", "coloured", "phantom"};
const char* const kSettingTitles[SettingCount] = {"plain", "nested", "in a superscript", "coloured",
                                                  "phantoms 1, 2, 3 (view)"};

struct TypeEntry {
    int32_t type;
    QString name;
};

std::vector<TypeEntry> galleryTypes() {
    std::vector<TypeEntry> t;
    auto add = [&t](int32_t type, const char* name) { t.push_back({type, QString::fromLatin1(name)}); };
    auto addRange = [&t](int32_t first, int32_t last, const char* name) {
        for (int32_t type = first; type <= last; ++type)
            t.push_back({type, QStringLiteral("%1 %2").arg(QLatin1String(name)).arg(type - first + 1)});
    };
    add(1, "upright"), add(2, "italic"), add(3, "bold"), add(4, "bold italic"), add(5, "text colour"),
        add(16, "sans-serif"), add(17, "monospace");
    add(6, "glyph symbol"), add(7, "user symbol"), add(8, "bold glyph symbol");
    add(64, "calculation result");
    const char* spaces[] = {"space -1/6", "space 1/18", "space 1/6",  "space 1/4.5", "space 5/18",
                            "space 1/3",  "space 1",    "space 2",    "custom 1 cm", "space 1/2"};
    for (int i = 0; i < 10; ++i) add(96 + i, spaces[i]);
    add(128, "fraction"), add(129, "bevelled"), add(130, "slash fraction"), add(131, "long division"),
        add(132, "small fraction");
    add(133, "stack over"), add(134, "stack under"), add(135, "arc mark"), add(136, "square root"),
        add(137, "root with index");
    add(173, "superscript"), add(174, "subscript"), add(175, "sub and superscript"), add(176, "baseline script"),
        add(177, "over script"), add(178, "over and under"), add(179, "under script"), add(180, "limit under"),
        add(181, "scripts with bar"), add(182, "stacked scripts");
    add(189, "pre-superscript"), add(190, "pre-subscript"), add(191, "pre-scripts");
    addRange(208, 219, "over accent");
    addRange(224, 235, "under accent");
    addRange(240, 252, "enclosure");
    add(256, "phasor");
    addRange(506, 550, "arrow");
    addRange(553, 563, "arrow, over");
    addRange(564, 574, "arrow, over+under");
    addRange(624, 643, "outline arrow");
    addRange(590, 598, "frame mark");
    add(1536, "small group");
    return t;
}

// The texts of the child chains a sample of the type gets.
std::vector<std::u16string> argTexts(int32_t type) {
    switch (type) {
    case 64: return {u""};
    case 128: case 129: case 130: case 132: case 133: case 134: return {u"a", u"b"};
    case 131: return {u"161", u"7", u"23"};  // dividend, divisor, quotient
    case 135: return {u"AB"};
    case 136: return {u"x"};
    case 137: return {u"x", u"3"};
    case 173: case 174: case 176: case 189: case 190: return {u"2"};
    case 175: case 191: return {u"2", u"i"};
    case 177: case 179: return {u"x", u"n"};
    case 178: return {u"x", u"n", u"k"};
    case 180: return {u"lim", u"n"};
    case 181: case 182: return {u"a", u"b"};
    case 256: return {u"30"};
    case 1536: return {u"ab"};
    default: break;
    }
    if (IsOverAccentType(type) || IsUnderAccentType(type)) return {u"xy"};
    if (IsEnclosureType(type) || IsFrameMarkType(type)) return {u"AB"};
    if (IsExtArrowAboveType(type)) return {u"f"};
    if (IsExtArrowBelowType(type) || IsExtArrowGlyphType(type)) return {u"f", u"g"};
    return {};
}

bool baseBefore(int32_t type) { return IsScriptType(type) || type == EqTypeArcMark; }
bool baseAfter(int32_t type) { return IsPreScriptType(type); }
bool hasArgs(int32_t type) { return !argTexts(type).empty() && type != EqTypeCalcResult; }

struct Range {
    EqElement* first = nullptr;
    EqElement* last = nullptr;
};

class SampleBuilder {
public:
    SampleBuilder(EqModel* eq, const SymbolLibrary& library) : m_b(eq), m_library(library) {}

    // Appends a sample of the type with what it needs around it (the base
    // of a script, letters around a space unless the caller puts its own)
    // to chain; returns the sample.
    Range append(EqElement* chain, int32_t type, bool nestSelf, bool letters = true) {
        const bool around = letters && IsSpaceType(type);
        if (baseBefore(type)) m_b.text(chain, u"x", EqTypeCharItalic);
        if (around) m_b.text(chain, u"a", EqTypeCharItalic);
        Range r = element(chain, type, nestSelf);
        if (baseAfter(type)) m_b.text(chain, u"x", EqTypeCharItalic);
        if (around) m_b.text(chain, u"b", EqTypeCharItalic);
        return r;
    }

    EqBuilder& builder() { return m_b; }

private:
    Range element(EqElement* chain, int32_t type, bool nestSelf) {
        if (IsCharType(type)) {
            const std::u16string text = type == 5 ? u"Text" : u"Ag2";
            EqElement* first = m_b.add(chain, type, 0, text[0]);
            EqElement* last = m_b.text(chain, std::u16string_view(text).substr(1), type);
            return {first, last};
        }
        const std::vector<std::u16string> args = argTexts(type);
        EqElement* e = m_b.add(chain, type, int(args.size()), glyphCode(type));
        for (size_t i = 0; i < args.size(); ++i) {
            EqElement* arg = EqBuilder::arg(e, int(i));
            if (i == 0 && nestSelf) append(arg, type, false);
            else m_b.text(arg, args[i], type == 180 && i == 0 ? EqTypeCharUpright : EqTypeCharItalic);
        }
        setUp(e);
        return {e, e};
    }

    static uint16_t glyphCode(int32_t type) {
        switch (type) {
        case 6: return 19;  // double-struck R
        case 7: return 43;  // script L, kept on the element as a user symbol
        case 8: return 44;  // script M
        default: return 0;
        }
    }

    void setUp(EqElement* e) const {
        if (e->type == EqTypeCalcResult) SetCalcResult(e, {3.14159265358979, 0, 0, 0});
        if (e->type == EqTypeSpaceCustom) {
            e->ch = 8;  // centimetres
            SetSpaceAmount(e, 1.0f);
        }
        if (IsColourBoxType(e->type)) SetBoxColour(e, 0x80E0FF);
        if (e->type == EqTypeUserSymbol) giveOwnOutline(e, m_library, e->ch);
    }

    EqBuilder m_b;
    const SymbolLibrary& m_library;
};

EqLayoutSettings builtInStyle() { return galleryStyle(); }

void buildSample(EqModel* eq, const SymbolLibrary& library, int32_t type, Setting setting) {
    SampleBuilder sb(eq, library);
    EqBuilder& b = sb.builder();
    EqElement* line = b.line();
    switch (setting) {
    case Plain:
        sb.append(line, type, false);
        break;
    case Nested:
        if (hasArgs(type)) {
            sb.append(line, type, true);
        } else {
            EqElement* frac = b.add(line, EqTypeFraction, 2);
            sb.append(EqBuilder::arg(frac, 0), type, false);
            b.text(EqBuilder::arg(frac, 1), u"2", EqTypeCharUpright);
        }
        break;
    case Scripted: {
        b.text(line, u"e", EqTypeCharItalic);
        EqElement* sup = b.add(line, 173, 1);
        sb.append(EqBuilder::arg(sup, 0), type, false);
        break;
    }
    case Coloured: {
        const Range r = sb.append(line, type, false);
        for (EqElement* e = r.first; e; e = e == r.last ? nullptr : e->next) SetElementColour(e, kSampleColour, false);
        break;
    }
    case Phantom:
        for (int kind = 1; kind <= 3; ++kind) {
            b.text(line, kind == 1 ? u"a" : kind == 2 ? u"b" : u"c", EqTypeCharItalic);
            const Range r = sb.append(line, type, false, false);
            for (EqElement* e = r.first; e; e = e == r.last ? nullptr : e->next) SetPhantomKind(e, int8_t(kind), false);
        }
        b.text(line, u"d", EqTypeCharItalic);
        break;
    default:
        break;
    }
}

using Shot = GalleryShot;

// A picture of width x height pixels, rounded up; a null image, with the
// reason printed, when it is over the picture limit.
QImage pictureImage(float width, float height) {
    QSize size;
    QString reason;
    if (gp::PicturePixelSize(width, height, &size, &reason)) return QImage(size, QImage::Format_ARGB32_Premultiplied);
    printError(QStringLiteral("eqtool: %1").arg(reason));
    return QImage();
}

Shot renderPicture(const RenderContext& context, EqModel* eq) { return renderGalleryPicture(context, eq, kScale); }

// The editing view shows what output hides: the phantom marks.
Shot renderView(const RenderContext& context, EqModel* eq) {
    constexpr float margin = 6;
    MeasureFontMetrics(nullptr, eq);
    LayoutLines(context, eq, nullptr, kScale, 0, false);
    const EqElement* head = eq->lines.front();
    const float w = head->chainWidth + eq->settings.fontSize + 2 * margin;
    const float h = head->chainAscent + head->chainDescent + 2 + 2 * margin;
    Shot shot;
    shot.image = pictureImage(w, h);
    if (shot.image.isNull()) return shot;
    shot.image.fill(Qt::white);
    QPainter painter(&shot.image);
    DrawEquationView(context, {margin, margin, w - margin, h - margin}, eq, &painter, kScale, false, nullptr);
    shot.baseline = margin + head->chainAscent;
    showNotes(eq);
    return shot;
}

// ---- the contact sheet

constexpr int kGroups = 3;
constexpr int kLabelWidth = 190;
constexpr int kCellWidth = 190;
constexpr int kCellHeight = 104;
constexpr int kHeaderHeight = 26;

void drawCell(QPainter& p, const QRect& cell, const Shot& shot) { drawGalleryCell(p, cell, shot); }

}  // namespace

EqLayoutSettings galleryStyle() {
    EqLayoutSettings s;
    SetDefaultLayoutSettings(s);
    return s;
}

GalleryShot renderGalleryPicture(const RenderContext& context, EqModel* eq, float scale) {
    gp::RecordingGraphics measuring;
    const EqPictureMetrics m = DrawEquationPicture(context, measuring, eq, scale);
    GalleryShot shot;
    shot.image = pictureImage(m.width, m.height);
    if (shot.image.isNull()) return shot;
    shot.image.fill(Qt::transparent);
    gp::PainterGraphics g(&shot.image);
    g.SetSmoothingMode(gp::SmoothingModeAntiAlias);
    g.SetTextRenderingHint(gp::TextRenderingHintAntiAlias);
    DrawEquationPicture(context, g, eq, scale);
    shot.baseline = m.baseline();
    showNotes(eq);
    return shot;
}

void drawGalleryCell(QPainter& p, const QRect& cell, const GalleryShot& shot) {
    p.setPen(QColor(0xE4, 0xE4, 0xE4));
    p.drawRect(cell.adjusted(0, 0, -1, -1));
    if (shot.image.isNull()) return;
    const QRect inner = cell.adjusted(4, 4, -4, -4);
    const double k = std::min({1.0, double(inner.width()) / shot.image.width(),
                               double(inner.height()) / shot.image.height()});
    const QSizeF size(shot.image.width() * k, shot.image.height() * k);
    const QRectF target(inner.x() + (inner.width() - size.width()) / 2,
                        inner.y() + (inner.height() - size.height()) / 2, size.width(), size.height());
    p.setPen(QColor(0xF0, 0xD0, 0xD0));
    p.drawRect(target);
    p.drawImage(target, shot.image);
    // The baseline, as a tick on each side of the picture.
    const double y = target.y() + shot.baseline * k;
    p.setPen(QColor(0xE0, 0x30, 0x30));
    p.drawLine(QPointF(target.left() - 4, y), QPointF(target.left() - 1, y));
    p.drawLine(QPointF(target.right() + 1, y), QPointF(target.right() + 4, y));
}

namespace {

QImage contactSheet(const std::vector<TypeEntry>& types, const std::vector<std::vector<Shot>>& shots) {
    const int rowsPerGroup = (int(types.size()) + kGroups - 1) / kGroups;
    const int groupWidth = kLabelWidth + SettingCount * kCellWidth;
    QImage sheet(kGroups * groupWidth, kHeaderHeight + rowsPerGroup * kCellHeight, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(13);
    p.setFont(font);
    for (int g = 0; g < kGroups; ++g) {
        const int x0 = g * groupWidth;
        p.setPen(QColor(0xE0, 0x30, 0x30));
        p.drawText(QRect(x0 + 6, 0, kLabelWidth - 10, kHeaderHeight), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("- - baseline"));
        p.setPen(Qt::darkBlue);
        for (int s = 0; s < SettingCount; ++s)
            p.drawText(QRect(x0 + kLabelWidth + s * kCellWidth, 0, kCellWidth, kHeaderHeight), Qt::AlignCenter,
                       QString::fromLatin1(kSettingTitles[s]));
    }
    for (size_t i = 0; i < types.size(); ++i) {
        const int x0 = int(i) / rowsPerGroup * groupWidth;
        const int y0 = kHeaderHeight + int(i) % rowsPerGroup * kCellHeight;
        p.setPen(Qt::black);
        p.drawText(QRect(x0 + 6, y0, kLabelWidth - 10, kCellHeight), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("%1  %2").arg(types[i].type).arg(types[i].name));
        for (int s = 0; s < SettingCount; ++s)
            drawCell(p, QRect(x0 + kLabelWidth + s * kCellWidth, y0, kCellWidth, kCellHeight), shots[i][size_t(s)]);
    }
    return sheet;
}

}  // namespace

int runGallery(const QStringList& args) {
    if (args.size() != 1 || args[0].isEmpty()) return kUsageError;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        printError(QStringLiteral("eqtool: gallery needs the font engine of a GUI application"));
        return 1;
    }
    const QDir dir(args[0]);
    if (!QDir().mkpath(dir.absolutePath())) {
        printError(QStringLiteral("eqtool: cannot create %1").arg(args[0]));
        return 1;
    }
    const RenderContext context = RenderContext::FromDataFolder();
    const std::vector<TypeEntry> types = galleryTypes();
    std::vector<std::vector<Shot>> shots(types.size());
    int written = 0;
    for (size_t i = 0; i < types.size(); ++i) {
        for (int s = 0; s < SettingCount; ++s) {
            EqModel eq(builtInStyle());
            buildSample(&eq, *context.symbols, types[i].type, Setting(s));
            Shot shot = s == Phantom ? renderView(context, &eq) : renderPicture(context, &eq);
            const QString name = QStringLiteral("%1-%2.png")
                                     .arg(types[i].type, 4, 10, QLatin1Char('0'))
                                     .arg(QLatin1String(kSettingNames[s]));
            if (!writePngFile(dir.filePath(name), shot.image)) return 1;
            ++written;
            shots[i].push_back(std::move(shot));
        }
    }
    const QString sheetPath = dir.filePath(QStringLiteral("contact-sheet.png"));
    if (!writePngFile(sheetPath, contactSheet(types, shots))) return 1;
    printOut(QStringLiteral("%1 pictures of %2 element types, contact sheet %3\n")
                 .arg(written)
                 .arg(types.size())
                 .arg(sheetPath));
    return writeShapeGallery(context, dir) ? 0 : 1;
}

}  // namespace toliva::eqtool
