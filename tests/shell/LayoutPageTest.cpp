// The Layout page of the equation settings dialog: how its controls become
// style values and back, the main font's two parts, the sections laid over
// their pictures and the preview of the sample equation.
#include "ShellTestSupport.h"
#include "TestSupport.h"

#include "model/EqBuilder.h"
#include "model/EqStream.h"
#include "platform/AppContext.h"
#include "platform/Archive.h"
#include "platform/emf/EmfRecorder.h"
#include "shell/CEEDPP_Layout.h"
#include "shell/CEESettingDlg.h"
#include "shell/settings/AppSettings.h"
#include "shell/settings/LayoutPageRules.h"
#include "tests/common/ModelFixtures.h"
#include "uikit/CKwEMF_GPL.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>

#include <algorithm>
#include <map>
#include <set>
#include <vector>

namespace toliva {
namespace {

using test::builtInStyle;

// ---- store and load

// The controls as the built-in style loads them, with some edits changed.
LayoutControlStates loadedWith(const std::map<int, QString>& typed) {
    EqLayoutSettings s = builtInStyle();
    LayoutControlStates states = LoadLayoutControls(s);
    for (const auto& [id, text] : typed) states.edits[id] = text;
    return states;
}

struct StoreCase {
    const char* what;
    std::map<int, QString> typed;
    float EqLayoutSettings::*size;  // null: a spacing
    int spacing;
    float expected;
};

TEST(LayoutPageRules, StoreClampsEveryValueInItsRange) {
    float EqLayoutSettings::*const none = nullptr;
    const StoreCase cases[] = {
        {"half the base size", {{1101, "50"}}, &EqLayoutSettings::size2, 0, 6},
        {"second size above 24, then above the base", {{1101, "250"}}, &EqLayoutSettings::size2, 0, 12},
        {"second size above 24 with a large base", {{1100, "30"}, {1101, "90"}}, &EqLayoutSettings::size2, 0, 24},
        {"second size from the base as typed", {{1100, "40"}, {1101, "50"}}, &EqLayoutSettings::size2, 0, 20},
        {"base size below 4", {{1100, "3"}}, &EqLayoutSettings::fontSize, 0, 4},
        {"base size above 36", {{1100, "50"}}, &EqLayoutSettings::fontSize, 0, 36},
        {"base size not a number", {{1100, "abc"}}, &EqLayoutSettings::fontSize, 0, 4},
        {"base size with a tail", {{1100, " 14.5pt"}}, &EqLayoutSettings::fontSize, 0, 14.5f},
        {"small groups above 90%", {{1113, "95"}}, none, 57, 0.9f},
        {"small groups below 50%", {{1113, "10"}}, none, 57, 0.5f},
        {"small groups not a number", {{1113, "x"}}, none, 57, 0.5f},
        {"a plain spacing", {{1120, "12.5"}}, none, 0, 0.125f},
        {"spacing 10 after the unused id", {{1131, "7"}}, none, 10, 0.07f},
        {"spacing 4 below 50%", {{1124, "20"}}, none, 4, 0.5f},
        {"spacing 4 not a number", {{1124, "-"}}, none, 4, 0.5f},
        {"spacing 52 above 123.6%", {{1173, "1000"}}, none, 52, 1.236f},
        {"spacing 52 below 61.8%", {{1173, "0"}}, none, 52, 0.618f},
        {"spacing 54 above what a record holds", {{1175, "150"}}, none, 54, 1.2f},
        {"spacing 55 below 100%", {{1176, "50"}}, none, 55, 1.0f},
        {"spacing 55 above 160%", {{1176, "200"}}, none, 55, 1.6f},
        {"a spacing beyond any record", {{1127, "1e40"}}, none, 7, kMaxStyleSpacing},
        {"a negative spacing beyond any record", {{1127, "-1e300"}}, none, 7, -kMaxStyleSpacing},
    };
    for (const StoreCase& c : cases) {
        SCOPED_TRACE(c.what);
        EqLayoutSettings s = builtInStyle();
        StoreLayoutControls(loadedWith(c.typed), s);
        const float got = c.size ? s.*(c.size) : s.spacing[size_t(c.spacing)];
        EXPECT_FLOAT_EQ(got, c.expected);
    }
}

TEST(LayoutPageRules, LoadWritesPercentTextsAndClampsTheRecord) {
    EqLayoutSettings s = builtInStyle();
    s.spacing[52] = 0.618f;
    s.spacing[54] = 2.0f;
    s.spacing[55] = 0.5f;
    const LayoutControlStates states = LoadLayoutControls(s);
    EXPECT_EQ(states.edit(1100), "12");
    EXPECT_EQ(states.edit(1101), "25");  // 3 of 12
    EXPECT_EQ(states.edit(1113), "80");
    EXPECT_EQ(states.edit(1120), "50");      // spacing 0
    EXPECT_EQ(states.edit(1128), "-6");      // spacing 8
    EXPECT_EQ(states.edit(1173), "61.8");    // spacing 52
    EXPECT_FALSE(states.edits.count(1130));  // no spacing has it
    // The record itself is clamped, and the edits show what it holds.
    EXPECT_FLOAT_EQ(s.spacing[54], 1.2f);
    EXPECT_FLOAT_EQ(s.spacing[55], 1.0f);
    EXPECT_EQ(states.edit(1175), "120");
    EXPECT_EQ(states.edit(1176), "100");

    // What was loaded stores back unchanged (the built-in second size of 3
    // lies below what the page offers, so it is not a case here).
    s.size2 = 6;
    EqLayoutSettings back = s;
    LayoutControlStates again = LoadLayoutControls(back);
    EXPECT_EQ(again.edit(1101), "50");
    StoreLayoutControls(again, back);
    EXPECT_EQ(back, s);
}

struct ButtonCase {
    int byte;
    uint8_t value;
    std::set<int> ticked;  // of the byte's buttons
    uint8_t storedBack;
};

TEST(LayoutPageRules, ButtonsAndOptionBytesBothWays) {
    const ButtonCase cases[] = {
        {0, 0, {1190}, 0},         {0, 1, {1102}, 1},         {0, 2, {1103}, 2},   {0, 3, {1191}, 3},
        {0, 4, {1192}, 4},         {0, 5, {1193}, 5},         {0, 9, {1193}, 5},   {1, 0, {1105}, 0},
        {1, 1, {1104}, 1},         {1, 2, {1105, 1187}, 2},   {1, 3, {1104, 1187}, 3}, {2, 0, {1107}, 0},
        {2, 1, {1106}, 1},         {3, 0, {1108}, 0},         {3, 1, {1109}, 1},   {3, 2, {1183}, 2},
        {7, 0, {1180}, 0},         {7, 1, {1181}, 1},         {7, 2, {1182}, 2},   {7, 3, {1184}, 3},
        {8, 0, {1186}, 0},         {8, 1, {1185}, 1},         {9, 0, {1189}, 0},   {9, 1, {1188}, 1},
    };
    const std::map<int, std::set<int>> buttonsOf = {
        {0, {1190, 1102, 1103, 1191, 1192, 1193}}, {1, {1104, 1105, 1187}}, {2, {1106, 1107}},
        {3, {1108, 1109, 1183}}, {7, {1180, 1181, 1182, 1184}}, {8, {1185, 1186}}, {9, {1188, 1189}}};
    for (const ButtonCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "byte " << c.byte << " = " << int(c.value));
        EqLayoutSettings s = builtInStyle();
        s.options[size_t(c.byte)] = c.value;
        const LayoutControlStates states = LoadLayoutControls(s);
        std::set<int> ticked;
        for (int id : buttonsOf.at(c.byte))
            if (states.isTicked(id)) ticked.insert(id);
        EXPECT_EQ(ticked, c.ticked);
        EqLayoutSettings back = builtInStyle();
        StoreLayoutControls(states, back);
        EXPECT_EQ(back.options[size_t(c.byte)], c.storedBack);
    }

    // Nothing ticked at all.
    LayoutControlStates none = loadedWith({});
    none.ticked.clear();
    none.sizeStep = 3;
    EqLayoutSettings s = builtInStyle();
    StoreLayoutControls(none, s);
    const std::map<int, int> expected = {{0, 0}, {1, 0}, {2, 0}, {3, 2}, {7, 0}, {8, 0}, {9, 0}, {10, 3}};
    for (const auto& [byte, value] : expected) EXPECT_EQ(s.options[size_t(byte)], value) << "byte " << byte;

    // A size step the combo does not offer shows no selection and stays.
    s.options[10] = 7;
    LayoutControlStates loaded = LoadLayoutControls(s);
    EXPECT_EQ(loaded.sizeStep, -1);
    StoreLayoutControls(loaded, s);
    EXPECT_EQ(s.options[10], 7);
}

TEST(LayoutPageRules, MainFontNameSplitsAndJoinsAtTheBar) {
    EqLayoutSettings s = builtInStyle();
    s.fontName = "Cambria|SimSun";
    s.fontName2 = "Arial";
    s.ints[6] = 0;
    s.ints[7] = 1;
    const LayoutFontNames names = LayoutFontNamesOf(s);
    EXPECT_EQ(names.main, "Cambria");
    EXPECT_EQ(names.second, "SimSun");
    EXPECT_EQ(names.text, "Arial");
    EXPECT_FALSE(names.mainDefault);
    EXPECT_TRUE(names.textDefault);

    // A second font joins the main name; item 0 again stores the main name alone.
    StoreLayoutFonts({3, "Georgia"}, {5, "KaiTi"}, {2, "Verdana"}, s);
    EXPECT_EQ(s.fontName, "Georgia|KaiTi");
    EXPECT_EQ(s.fontName2, "Verdana");
    EXPECT_EQ(s.ints[6], 0);
    EXPECT_EQ(s.ints[7], 0);
    StoreLayoutFonts({3, "Georgia"}, {0, "(Default)"}, {2, "Verdana"}, s);
    EXPECT_EQ(s.fontName, "Georgia");

    // Item 0 of the main and text combos marks the defaults.
    StoreLayoutFonts({0, "(Default)"}, {0, "(Default)"}, {0, "(Default)"}, s);
    EXPECT_EQ(s.ints[6], 1);
    EXPECT_EQ(s.ints[7], 1);

    // A font that is not installed here leaves its combo without a selection;
    // storing keeps the record's name for that part.
    s.fontName = "NotHere|KaiTi";
    s.fontName2 = "AlsoMissing";
    s.ints[6] = 0;
    s.ints[7] = 0;
    StoreLayoutFonts({-1, {}}, {-1, {}}, {-1, {}}, s);
    EXPECT_EQ(s.fontName, "NotHere|KaiTi");
    EXPECT_EQ(s.fontName2, "AlsoMissing");
    EXPECT_EQ(s.ints[6], 0);
    StoreLayoutFonts({-1, {}}, {4, "SimSun"}, {-1, {}}, s);
    EXPECT_EQ(s.fontName, "NotHere|SimSun");
}

TEST(LayoutPageRules, EveryPictureControlBelongsToExactlyOneSection) {
    std::map<int, int> uses;
    for (int section = 0; section < kLayoutSectionCount; ++section) {
        if (section == kLayoutFontSection) continue;
        for (int id : kLayoutSections[size_t(section)]) ++uses[id];
    }
    // Four edits and captions, 57 spacing edits, 25 buttons.
    std::set<int> expected = {1100, 1101, 1113, 1274};
    for (int k = 0; k < kLayoutSpacingEditCount; ++k) expected.insert(LayoutSpacingEditId(k));
    for (int id = 1102; id <= 1109; ++id) expected.insert(id);
    for (int id = 1180; id <= 1196; ++id) expected.insert(id);
    ASSERT_EQ(expected.size(), 86u);
    EXPECT_EQ(uses.size(), expected.size());
    for (int id : expected) EXPECT_EQ(uses[id], 1) << "control " << id;
    EXPECT_EQ(std::set<int>(LayoutPictureControls().begin(), LayoutPictureControls().end()), expected);
    for (int id : expected)
        EXPECT_EQ(IsLayoutButton(id), (id >= 1102 && id <= 1109) || (id >= 1180 && id <= 1196)) << id;

    for (int k = 0; k < kLayoutSpacingEditCount; ++k) EXPECT_EQ(LayoutSpacingOfEdit(LayoutSpacingEditId(k)), k);
    EXPECT_EQ(LayoutSpacingEditId(9), 1129);
    EXPECT_EQ(LayoutSpacingEditId(10), 1131);
    EXPECT_EQ(LayoutSpacingEditId(56), 1177);
    EXPECT_EQ(LayoutSpacingOfEdit(1130), -1);
    EXPECT_EQ(LayoutSpacingEditId(57), -1);
    const std::vector<int> fonts(kLayoutSections[kLayoutFontSection].begin(), kLayoutSections[kLayoutFontSection].end());
    EXPECT_EQ(fonts, (std::vector<int>{1225, 1096, 1227, 1112, 1226, 1110, 1420, 1097}));
}

// ---- the page

struct FieldRecord {
    float x, y, x2, y2;
};

// A page picture of the sections' form: bounds 0 0 640 400, text fields, a
// grey paper large enough to be drawn.
QByteArray sectionPicture(const std::vector<FieldRecord>& fields) {
    emf::EmfRecorder rec(QSizeF(640, 400));
    {
        QPainter p(&rec);
        p.fillRect(QRectF(0, 0, 640, 400), QColor(0xF0, 0xF0, 0xF0));
    }
    rec.addComment(QByteArray(400, 'p'));
    const QByteArray emf = rec.toEmf();
    QByteArray bytes;
    Archive ar(&bytes, Archive::Store);
    ar.writeI32(int(fields.size()));
    for (float v : {0.0f, 0.0f, 640.0f, 400.0f}) ar.writeF32(v);
    for (const FieldRecord& f : fields) {
        ar.writeI32(1);
        ar.writeI32(3);
        ar.writeI32(1);
        for (float v : {f.x, f.y, f.x2, f.y2}) ar.writeF32(v);
    }
    ar.writeI32(int(emf.size()));
    ar.writeF32(1.0f);
    ar.writeF32(640);
    ar.writeF32(400);
    ar.writeBytes(emf.constData(), emf.size());
    return bytes;
}

// Section 3's four edits, the first field 26 high.
const std::vector<FieldRecord> kSection3Fields = {
    {40, 30, 140, 56}, {200, 30, 300, 56}, {40, 200, 140, 226}, {400, 300, 520, 330}};

QByteArray sampleEquation() {
    EqModel eq(builtInStyle());
    EqBuilder b(&eq);
    test::addSampleLine(b, 1);
    return EquationToBytes(&eq);
}

class LayoutPageTest : public test::ShellFixture {
protected:
    void SetUp() override {
        ShellFixture::SetUp();
        m_program = programFolderWith({QStringLiteral("Languages/LANG_04.xml")});
        ASSERT_TRUE(QDir().mkpath(m_program + "GenDef/ES"));
        ASSERT_TRUE(QDir().mkpath(m_program + "Dat"));
        ASSERT_TRUE(test::writeFile(m_program + "GenDef/ES/ES3.apx", sectionPicture(kSection3Fields)));
        m_app.lanSel = 1;
    }

    // A page on a dialog that holds the built-in style.
    std::unique_ptr<CEEDPP_Layout> makePage() {
        m_context = std::make_unique<EquationSettingsContext>(
            EquationSettingsContext{m_app, m_settings, m_program, QFont(), {}});
        m_dialog = std::make_unique<CEESettingDlg>(*m_context);
        m_dialog->workingLayout() = builtInStyle();
        auto page = std::make_unique<CEEDPP_Layout>(m_dialog.get());
        page->resize(700, 460);
        page->OnInitDialog();
        page->FillFontLists();
        return page;
    }

    template <typename W = QWidget>
    static W* ctrl(CEEDPP_Layout& page, int id) {
        W* w = qobject_cast<W*>(page.control(id));
        EXPECT_TRUE(w) << "control " << id;
        return w;
    }

    static void showSection(CEEDPP_Layout& page, int section) {
        page.m_nSection = section;
        page.ShowSection();
    }

    QString m_program;
    AppContext m_app;
    AppSettings m_settings;
    std::unique_ptr<EquationSettingsContext> m_context;
    std::unique_ptr<CEESettingDlg> m_dialog;
};

TEST_F(LayoutPageTest, ControlsLandOnTheirPictureFields) {
    auto page = makePage();
    const QRect area = page->sectionArea();
    ASSERT_FALSE(area.isEmpty());
    showSection(*page, 3);

    // The 640 x 400 page as large as fits, centred in the area.
    const double e = std::min(area.width() / 640.0, area.height() / 400.0);
    const double left = area.left() + (area.width() - 640 * e) / 2;
    const double top = area.top() + (area.height() - 400 * e) / 2;
    const int ids[] = {1120, 1121, 1122, 1123};
    for (size_t i = 0; i < kSection3Fields.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "field " << i);
        const FieldRecord& f = kSection3Fields[i];
        QWidget* w = ctrl(*page, ids[i]);
        ASSERT_TRUE(w->isVisibleTo(page.get()));
        const QRect g = w->geometry();
        EXPECT_NEAR(g.left(), left + e * f.x + 3, 1.0);
        EXPECT_NEAR(g.top(), top + e * f.y + 2, 1.0);
        EXPECT_NEAR(g.width(), e * (f.x2 - f.x) - 6, 1.0);
        EXPECT_NEAR(g.height(), e * (f.y2 - f.y) - 4, 1.0);
    }
    // The rest of the page's controls are out of sight, and so are the
    // fonts (section 0 has no picture here, so it shows none).
    for (int id : LayoutPictureControls()) {
        if (std::find(std::begin(ids), std::end(ids), id) != std::end(ids)) continue;
        EXPECT_FALSE(page->control(id)->isVisibleTo(page.get())) << id;
        EXPECT_EQ(page->control(id)->pos(), QPoint(-100, -100)) << id;
    }
    for (int id : kLayoutSections[kLayoutFontSection]) EXPECT_FALSE(page->control(id)->isVisibleTo(page.get())) << id;
    // The picture was drawn into the area.
    const QImage& image = page->sectionImage();
    ASSERT_EQ(image.size(), area.size());
    EXPECT_EQ(image.pixel(image.width() / 2, image.height() / 2), qRgb(0xF0, 0xF0, 0xF0));

    // Going to the fonts section parks them again.
    ctrl<QListWidget>(*page, 1267)->setCurrentRow(1);
    EXPECT_EQ(page->m_nSection, 1);
    for (int id : ids) EXPECT_FALSE(page->control(id)->isVisibleTo(page.get())) << id;
    for (int id : kLayoutSections[kLayoutFontSection]) EXPECT_TRUE(page->control(id)->isVisibleTo(page.get())) << id;
}

TEST_F(LayoutPageTest, ARememberedSectionOutOfRangeShowsTheNearestOne) {
    auto page = makePage();
    showSection(*page, 99);
    EXPECT_EQ(page->m_nSection, 14);
    showSection(*page, -3);
    EXPECT_EQ(page->m_nSection, 0);
}

TEST_F(LayoutPageTest, WithoutTheSampleFileTheFontsSectionHasNoPreview) {
    auto page = makePage();
    EXPECT_FALSE(page->hasPreview());
    showSection(*page, 1);
    for (int id : kLayoutSections[kLayoutFontSection]) EXPECT_TRUE(page->control(id)->isVisibleTo(page.get())) << id;
    const QImage& image = page->sectionImage();
    ASSERT_FALSE(image.isNull());
    for (int y = 0; y < image.height(); y += 7)
        for (int x = 0; x < image.width(); x += 7) ASSERT_EQ(image.pixel(x, y), qRgb(255, 255, 255)) << x << "," << y;
    EXPECT_EQ(page->previewExtent(), QSizeF(0, 0));
}

TEST_F(LayoutPageTest, TheSampleEquationIsPreviewedInTheWorkingStyle) {
    ASSERT_TRUE(test::writeFile(m_program + "Dat/KwFSData.dat", sampleEquation()));
    auto page = makePage();
    ASSERT_TRUE(page->hasPreview());
    showSection(*page, 1);
    const QSizeF first = page->previewExtent();
    EXPECT_GT(first.width(), 0);
    EXPECT_GT(first.height(), 0);
    const QImage& image = page->sectionImage();
    int ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 100) ++ink;
    EXPECT_GT(ink, 20);
    // The frame around the area.
    EXPECT_EQ(image.pixel(0, image.height() / 2), qRgb(180, 180, 180));

    // Choosing another size step draws the preview anew from the working record.
    QComboBox* step = ctrl<QComboBox>(*page, 1097);
    ASSERT_EQ(step->count(), 4);
    step->setCurrentIndex(3);
    page->OnFontChange();
    EXPECT_EQ(m_dialog->workingLayout().options[10], 3);
    // The preview draws at a quarter of the screen's dots per inch, whatever
    // the working base size.
    m_dialog->workingLayout().fontSize = 30;
    page->OnFontChange();
    EXPECT_NEAR(page->previewExtent().height(), first.height(), first.height() * 0.2);
}

TEST_F(LayoutPageTest, ADamagedSampleFileGivesNoPreview) {
    QByteArray damaged = sampleEquation();
    damaged.chop(damaged.size() / 3);
    for (const QByteArray& bytes : {damaged, QByteArray("\xFF\xFE\xFF\x7F garbage", 12), QByteArray()}) {
        ASSERT_TRUE(test::writeFile(m_program + "Dat/KwFSData.dat", bytes));
        auto page = makePage();
        EXPECT_FALSE(page->hasPreview());
        showSection(*page, 1);
        EXPECT_TRUE(page->control(1096)->isVisibleTo(page.get()));
        EXPECT_EQ(page->previewExtent(), QSizeF(0, 0));
    }
}

TEST_F(LayoutPageTest, ASampleWithAWildOutlineShowsNothing) {
    // A stream whose glyph outline holds numbers out of all range (it would
    // lay out to an infinite height) reads as damaged: no preview, a white
    // section.
    const QString sample =
        QFileInfo(QStringLiteral(__FILE__)).dir().filePath(QStringLiteral("../data/preview/wild-outline.eqs"));
    const QByteArray bytes = test::readFile(sample);
    ASSERT_FALSE(bytes.isEmpty());
    ASSERT_TRUE(test::writeFile(m_program + "Dat/KwFSData.dat", bytes));
    auto page = makePage();
    EXPECT_FALSE(page->hasPreview());
    showSection(*page, 1);
    EXPECT_EQ(page->previewExtent().height(), 0);
    const QImage& image = page->sectionImage();
    EXPECT_EQ(image.pixel(image.width() / 2, image.height() - 5), qRgb(255, 255, 255));
}

TEST_F(LayoutPageTest, ExchangeMovesTheControlsIntoTheWorkingRecord) {
    auto page = makePage();
    EqLayoutSettings& record = m_dialog->workingLayout();
    EXPECT_EQ(ctrl<QLineEdit>(*page, 1101)->text(), "25");
    EXPECT_TRUE(ctrl<QAbstractButton>(*page, 1181)->isChecked());  // centred lines

    ctrl<QLineEdit>(*page, 1101)->setText("50");
    ctrl<QLineEdit>(*page, 1113)->setText("95");
    ctrl<QAbstractButton>(*page, 1184)->click();
    ctrl<QAbstractButton>(*page, 1193)->click();
    EXPECT_FALSE(ctrl<QAbstractButton>(*page, 1181)->isChecked());  // one of a group
    EXPECT_FALSE(ctrl<QAbstractButton>(*page, 1102)->isChecked());
    page->Exchange(1);
    EXPECT_FLOAT_EQ(record.size2, 6);
    EXPECT_FLOAT_EQ(record.spacing[57], 0.9f);
    EXPECT_EQ(record.options[7], 3);
    EXPECT_EQ(record.options[0], 5);

    // The record's fonts show in the combos: item 0 for the defaults.
    EXPECT_EQ(ctrl<QComboBox>(*page, 1096)->currentIndex(), 0);
    EXPECT_EQ(ctrl<QComboBox>(*page, 1096)->itemText(0), "(Default)");
    EXPECT_EQ(ctrl<QComboBox>(*page, 1112)->currentIndex(), 0);

    // The section list: 15 rows, padded.
    QListWidget* list = ctrl<QListWidget>(*page, 1267);
    ASSERT_EQ(list->count(), 15);
    EXPECT_TRUE(list->item(0)->text().endsWith(QString(26, ' ')));
    EXPECT_EQ(ctrl<QCheckBox>(*page, 1194)->text(), "No space after inline equations in Word");
    EXPECT_EQ(page->windowTitle(), "Layout");
}

TEST_F(LayoutPageTest, TheOfficeOptionsAreStoredAtOnce) {
    auto page = makePage();
    m_app.options &= ~uint32_t(OptHalfHeightBaseline);
    page->SyncOfficeOptions(0);
    QCheckBox* noSpace = ctrl<QCheckBox>(*page, 1194);
    QCheckBox* half = ctrl<QCheckBox>(*page, 1195);
    EXPECT_TRUE(noSpace->isChecked());  // nothing stored yet
    EXPECT_FALSE(half->isChecked());
    half->click();
    EXPECT_TRUE(m_app.option(OptHalfHeightBaseline));
    noSpace->click();
    EXPECT_EQ(test::readString(test::kWordCmds, "NoSpaceAfterInline"), "0");
}

}  // namespace
}  // namespace toliva
