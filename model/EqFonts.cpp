#include "EqFonts.h"

#include "EqModel.h"
#include "EqSpacing.h"

#include "platform/Folders.h"
#include "platform/gdiplus/FontMap.h"
#include "platform/gdiplus/Graphics.h"
#include "platform/gdiplus/GraphicsPath.h"
#include "platform/Utilities.h"

#include <cmath>
#include <map>
#include <mutex>

namespace toliva {
namespace {

const QString kMathFamilyName = QStringLiteral("Toliva");
const QString kSerifFamilyName = QStringLiteral("Times New Roman");

// Characters that only the math family has.
constexpr uint16_t kMathOnlyCodes[] = {0x2111, 0x2118, 0x2135, 0x211C, 0x2207, 0x2A3F, 0xF0FE};
// Characters the math family draws in a form unlike the serif text: the
// math family's vertical bar stands on the baseline, where the bar of an
// absolute value must reach below it like the parentheses beside it.
constexpr uint16_t kSerifInMath[] = {0x03D0, 0x007C};

bool isSerifInMath(uint16_t code) {
    for (uint16_t c : kSerifInMath)
        if (c == code) return true;
    return false;
}

QString& fontFolderOverride() {
    static QString folder;
    return folder;
}

const EqFont* serifFallback() {
    if (const EqFont* f = InternFont(gp::FontFamily(kSerifFamilyName))) return f;
    return InternFont(gp::FontFamily::GenericSerif());
}

// Families of the style wait until a font engine exists; the first use of
// the equation's fonts then sets them up.
void ensureFonts(EqModel* eq) {
    if (eq->fontsPending && gp::FontEngineAvailable()) SetupEquationFonts(eq);
}

bool isMathOnly(uint16_t code) {
    for (uint16_t c : kMathOnlyCodes)
        if (c == code) return true;
    return false;
}

// Installed families, by the names the font table gives them, that draw what
// the equation's own families lack: a serif, a sans-serif and a monospace
// face with Greek, Cyrillic and symbols, then a face with CJK ideographs,
// kana and Hangul.
const char* const kSerifFallback = "serif";
const char* const kSansFallback = "Segoe UI";
const char* const kMonoFallback = "Consolas";
const char* const kCJKFallback = "Microsoft YaHei";

bool familyHas(const EqFont* f, char32_t code) {
    if (!f || !f->family.IsAvailable()) return false;
    // A face of the family that lacks a character draws it with another face
    // of the family, so any face will do.
    for (int style = gp::FontStyleRegular; style <= gp::FontStyleBoldItalic; ++style) {
        const gp::FontFace* face = f->family.face(style);
        if (face && face->glyphFor(code) != 0) return true;
    }
    return gp::FindAuthoredGlyph(f->family.GetFamilyName(), code) != nullptr;
}

void findFallbackFamilies(EqFontState& st) {
    if (st.fallbackFamiliesFound) return;
    st.fallbackFamiliesFound = true;
    for (const char* name : {kSerifFallback, kSansFallback, kMonoFallback, kCJKFallback})
        if (const EqFont* f = InternFont(gp::FontFamily(QString::fromLatin1(name)))) st.fallbackFamilies.push_back(f);
}

}  // namespace

namespace {

const EqFont* findFamilyWithCharacter(EqFontState& st, const EqFont* family, char32_t code) {
    if (familyHas(family, code)) return family;
    findFallbackFamilies(st);
    std::vector<const EqFont*> order;
    // Sans-serif and monospace text stays in its kind of face where it can.
    if (family == st.sansFamily || family == st.monoFamily) {
        const char* first = family == st.monoFamily ? kMonoFallback : kSansFallback;
        order.push_back(InternFont(gp::FontFamily(QString::fromLatin1(first))));
    }
    order.push_back(st.mathFamily);
    order.push_back(st.serifFamily);
    order.insert(order.end(), st.fallbackFamilies.begin(), st.fallbackFamilies.end());
    for (const EqFont* f : order)
        if (f && f != family && familyHas(f, code)) return f;
    return family;
}

}  // namespace

const EqFont* FamilyWithCharacter(EqModel* eq, const EqFont* family, char32_t code) {
    if (!eq || !family || code < 0x20) return family;
    EqFontState& st = EquationFonts(eq);
    EqFontState::FamilyAnswer& known = st.familyAnswers[code & 0xFF];
    if (known.asked != family || known.code != code)
        known = {family, code, findFamilyWithCharacter(st, family, code)};
    return known.answer;
}

const EqFont* InternFont(const gp::FontFamily& family) {
    if (!family.IsAvailable()) return nullptr;
    static std::mutex mutex;
    static std::map<QString, std::unique_ptr<EqFont>> fonts;
    std::lock_guard<std::mutex> lock(mutex);
    std::unique_ptr<EqFont>& slot = fonts[family.key()];
    if (!slot) slot = std::make_unique<EqFont>(EqFont{family});
    return slot.get();
}

EqFontState& EquationFonts(EqModel* eq) {
    if (!eq->fonts) eq->fonts = std::make_shared<EqFontState>();
    return *eq->fonts;
}

QString PrivateFontFolder() {
    QString folder = fontFolderOverride();
    if (folder.isEmpty()) return programFolder() + QStringLiteral("Fonts/");
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    return folder;
}

void SetPrivateFontFolder(const QString& folder) { fontFolderOverride() = folder; }

QStringList MathFontFiles(int sizeMode) {
    const char* sub = sizeMode == 1 ? "N_05/" : sizeMode == 2 ? "N_10/" : sizeMode == 3 ? "N_15/" : "N_00/";
    const QString folder = PrivateFontFolder() + QLatin1String(sub);
    QStringList files;
    for (const char* name : {"Tolivai.ttf", "Toliva.ttf", "Tolivab.ttf", "Tolivabi.ttf"})
        files << folder + QLatin1String(name);
    return files;
}

EqNotes TakeEquationNotes(EqModel* eq) { return eq->fonts ? eq->fonts->notes.take() : EqNotes(); }

void ReleaseEquationFonts(EqModel* eq) {
    if (!eq->fonts) return;
    EqNotes notes = eq->fonts->notes.take();
    *eq->fonts = EqFontState();
    eq->fonts->notes = std::move(notes);
}

void SetupEquationFonts(EqModel* eq) {
    eq->needsLayout = 1;
    if (!gp::FontEngineAvailable()) {
        ReleaseEquationFonts(eq);
        eq->fontsPending = true;
        return;
    }
    eq->fontsPending = false;
    ReleaseEquationFonts(eq);
    EqFontState& st = EquationFonts(eq);
    const EqLayoutSettings& s = eq->settings;
    st.stringFormat.SetAlignment(gp::StringAlignmentCenter);
    st.stringFormat.SetLineAlignment(gp::StringAlignmentNear);
    eq->fontKinds[FontKindMain] = eq->fontKinds[FontKindSecond] = eq->fontKinds[FontKindText] = FontKindNamed;

    const bool mathLoaded =
        LoadPrivateFamily(MathFontFiles(s.options[EqLayoutSettings::OptFontSizeMode]), st.mathCollection, &st.mathFamily,
                          &st.notes);
    st.serifFamily = serifFallback();

    QString mainName;
    QString secondName;
    SplitAtBar(s.fontName, &mainName, &secondName);

    if (mainName == kMathFamilyName || s.ints[6] != 0) {
        eq->fontKinds[FontKindMain] = mathLoaded ? FontKindMath : FontKindSerif;
    } else if (mainName != kSerifFamilyName) {
        st.userFamily = InternFont(gp::FontFamily(mainName));
        eq->fontKinds[FontKindMain] = FontKindNamed;
    } else {
        eq->fontKinds[FontKindMain] = FontKindSerif;
    }

    if (secondName.isEmpty()) {
        eq->fontKinds[FontKindSecond] = FontKindMath;
    } else if (secondName != kSerifFamilyName) {
        st.secondFamily = InternFont(gp::FontFamily(secondName));
        eq->fontKinds[FontKindSecond] = FontKindNamed;
    } else {
        eq->fontKinds[FontKindSecond] = FontKindSerif;
    }

    if (s.fontName2 != kSerifFamilyName && s.ints[7] == 0) {
        st.textFamily = InternFont(gp::FontFamily(s.fontName2));
        eq->fontKinds[FontKindText] = FontKindNamed;
    } else {
        eq->fontKinds[FontKindText] = FontKindSerif;
    }

    st.currentFamily = st.serifFamily;
}

void ResetLayoutSettings(EqModel* eq) {
    SetDefaultLayoutSettings(eq->settings);
    SetupEquationFonts(eq);
}

bool LoadPrivateFamily(const QStringList& files, std::unique_ptr<gp::PrivateFontCollection>& collection,
                       const EqFont** family, EqNotes* notes) {
    if (*family) return true;
    if (!gp::FontEngineAvailable()) return false;
    if (!collection) collection = std::make_unique<gp::PrivateFontCollection>();
    for (const QString& file : files) collection->AddFontFile(file);
    if (collection->GetFamilyCount() > 0) {
        if (const EqFont* f = InternFont(collection->GetFamily(0))) {
            *family = f;
            return true;
        }
    }
    if (notes) notes->add(EqNoteKind::MissingFonts);
    *family = serifFallback();
    return false;
}

void UseSansFamily(EqModel* eq) {
    ensureFonts(eq);
    EqFontState& st = EquationFonts(eq);
    LoadPrivateFamily({PrivateFontFolder() + QStringLiteral("cmss.ttf")}, st.sansCollection, &st.sansFamily,
                      &st.notes);
    st.currentFamily = st.sansFamily;
}

void UseMonoFamily(EqModel* eq) {
    ensureFonts(eq);
    EqFontState& st = EquationFonts(eq);
    LoadPrivateFamily({PrivateFontFolder() + QStringLiteral("cmtt.ttf")}, st.monoCollection, &st.monoFamily,
                      &st.notes);
    st.currentFamily = st.monoFamily;
}

void UseSecondFamily(EqModel* eq) {
    ensureFonts(eq);
    EqFontState& st = EquationFonts(eq);
    switch (eq->fontKinds[FontKindSecond]) {
    case FontKindMath:
        st.currentFamily = st.mathFamily;
        break;
    case FontKindNamed:
        st.currentFamily = st.secondFamily ? st.secondFamily : st.serifFamily;
        break;
    default:
        st.currentFamily = st.serifFamily;
        break;
    }
}

void UseTextFamily(EqModel* eq) {
    ensureFonts(eq);
    EqFontState& st = EquationFonts(eq);
    const bool named = eq->fontKinds[FontKindText] == FontKindNamed && st.textFamily;
    st.currentFamily = named ? st.textFamily : st.serifFamily;
}

uint16_t ChooseFamily(EqModel* eq, uint16_t code) {
    ensureFonts(eq);
    EqFontState& st = EquationFonts(eq);
    if (isMathOnly(code)) {
        st.currentFamily = st.mathFamily;
        return code;
    }
    switch (eq->fontKinds[FontKindMain]) {
    case FontKindMath:
        st.currentFamily = isSerifInMath(code) ? st.serifFamily : st.mathFamily;
        break;
    case FontKindNamed:
        st.currentFamily = st.userFamily ? st.userFamily : st.serifFamily;
        break;
    default:
        st.currentFamily = st.serifFamily;
        break;
    }
    return code;
}

gp::Status MeasureGlyph(uint16_t code, EqModel* eq, gp::Graphics* graphics, gp::RectF* ink, float* boxHeight) {
    if (ink) *ink = gp::RectF{};
    if (boxHeight) *boxHeight = 0;
    const uint16_t drawn = ChooseFamily(eq, code);
    const EqFontState& st = EquationFonts(eq);
    if (!st.currentFamily) return gp::Status(eq->lastStatus = gp::FontFamilyNotFound);

    const float size = eq->settings.fontSize;
    const gp::Font font(st.currentFamily->family, size, gp::FontStyleRegular, gp::UnitPixel);
    gp::RecordingGraphics scratch;
    gp::Graphics* g = graphics ? graphics : &scratch;
    const QString text = QString(QChar(drawn));
    gp::RectF box;
    const gp::Status status = g->MeasureString(text, font, gp::RectF{}, st.stringFormat, &box);
    eq->lastStatus = status;
    if (status != gp::Ok) return status;

    gp::GraphicsPath path;
    path.AddString(text, st.currentFamily->family, gp::FontStyleRegular, size, box, st.stringFormat);
    if (ink) *ink = path.GetBounds();
    if (boxHeight) *boxHeight = box.height;
    return gp::Ok;
}

void MeasureFontMetrics(gp::Graphics* graphics, EqModel* eq) {
    const float size = eq->settings.fontSize;
    if (!std::isfinite(size) || size <= 0) return;
    gp::RectF inkA;
    gp::RectF inkG;
    float boxA = 0;
    float boxG = 0;
    if (MeasureGlyph('A', eq, graphics, &inkA, &boxA) != gp::Ok) return;
    if (MeasureGlyph('g', eq, graphics, &inkG, &boxG) != gp::Ok) return;

    const float f = (inkA.bottom() - boxA / 2) / size;
    const float h = SpacingOf(eq, SpacingAxisShift) - 0.035f;
    eq->fontMetrics[MetricShift] = h;
    eq->fontMetrics[MetricMargin] =
        std::min(inkA.y, boxG - inkG.bottom()) / size - 0.125f - SpacingOf(eq, SpacingGlyphMargin);
    eq->fontMetrics[MetricExtra] = SpacingOf(eq, SpacingTextExtra);
    eq->fontMetrics[MetricAxisOffset] = 0.26145f - f + h;
    eq->fontMetrics[MetricBaselineOffset] = f - h;
}

}  // namespace toliva
