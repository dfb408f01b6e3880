// The word and constant entry dialogs: the name rule and the number rule,
// what OK refuses (with its message) and what it gives back, the hidden
// enable box of the reduced mode, the Greek character bar typing into the
// field, and both dialogs as a person sees them in both languages.
#include "panels/CDlgCreateAW.h"
#include "panels/CDlgCreateConst.h"
#include "panels/CDlgToolbar.h"
#include "panels/EntryRules.h"
#include "platform/Folders.h"
#include "platform/LangTable.h"
#include "platform/MessageSink.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>

#include <cmath>
#include <optional>

namespace toliva::test {
namespace {

QString text(const char* language, const char* group, int item) {
    LangTable table(QString::fromLatin1(language), QStringLiteral("LANG_02.xml"));
    return LoadLangString(table, QString::fromLatin1(group), item);
}

int resultOf(QDialog& d) { return d.result() == QDialog::Accepted ? IDOK : IDCANCEL; }

// A left click on the bar's button at a list position, as the mouse gives it.
void clickBar(CDlgToolbar& bar, int position) {
    const QPoint at = bar.buttons()[size_t(position)]->rect.center();
    for (auto [type, button, buttons] : {std::tuple{QEvent::MouseButtonPress, Qt::LeftButton, Qt::MouseButtons(Qt::LeftButton)},
                                         std::tuple{QEvent::MouseButtonRelease, Qt::LeftButton, Qt::MouseButtons(Qt::NoButton)}}) {
        QMouseEvent e(type, QPointF(at), QPointF(bar.mapToGlobal(at)), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(&bar, &e);
    }
    QApplication::processEvents();  // the bar posts its command
}

class EntryDialogsTest : public ::testing::Test {
protected:
    void SetUp() override { context.programFolder = programFolder(); }
    PanelContext context;
    RecordingMessageSink sink;
    ScopedMessageSink scoped{&sink};
};

TEST(EntryRulesTest, ConstantNamesMustStartAboveTheAtSign) {
    const struct {
        const char* name;
        bool accepted;
    } cases[] = {
        {"2pi", false}, {" x", false}, {"@a", false}, {"", false}, {"?x", false}, {"(a", false},
        {"_a", true},   {"alpha", true}, {"A", true}, {"x1", true}, {"\xCE\xB1", true},  // α
    };
    for (const auto& c : cases) EXPECT_EQ(IsConstantNameAccepted(QString::fromUtf8(c.name)), c.accepted) << c.name;
}

TEST(EntryRulesTest, NumbersAreWholeDecimalNumbers) {
    const struct {
        const char* text;
        std::optional<double> value;
    } cases[] = {
        {"1.5", 1.5},      {" -2e3\t", -2000.0}, {".5", 0.5},   {"0", 0.0},           {"-0", 0.0},
        {"+7.", 7.0},      {"6.02E23", 6.02e23}, {"", {}},      {"  ", {}},           {"abc", {}},
        {"1.5cm", {}},     {"1,5", {}},          {"inf", {}},   {"nan", {}},          {"1e999", {}},
        {"0x10", {}},      {"1e", {}},           {"--1", {}},   {"\xEF\xBC\x91", {}},  // a full-width 1
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<double> got = ParseEntryNumber(QString::fromUtf8(c.text));
        ASSERT_EQ(got.has_value(), c.value.has_value());
        if (got) {
            EXPECT_DOUBLE_EQ(*got, *c.value);
        }
    }
    // What the field shows reads back as the same number.
    for (double v : {0.0, M_PI, -1.0e-300, 6.02214076e23, 123456789012345.0}) {
        const std::optional<double> back = ParseEntryNumber(FormatEntryNumber(v));
        ASSERT_TRUE(back) << FormatEntryNumber(v).toStdString();
        EXPECT_NEAR(*back, v, std::fabs(v) * 1e-14) << FormatEntryNumber(v).toStdString();
    }
    EXPECT_EQ(CharacterOfCommand(945), QStringLiteral("\u03B1"));
    EXPECT_EQ(CharacterOfCommand(0x1D6FC), QString::fromUcs4(U"\U0001D6FC", 1));
    for (intptr_t none : {intptr_t(-1), intptr_t(0), intptr_t(0xD800), intptr_t(0x110000)})
        EXPECT_TRUE(CharacterOfCommand(none).isEmpty()) << none;
}

TEST_F(EntryDialogsTest, ConstantOkRefusesABadNameOrNumberWithItsMessage) {
    const QString nameMessage = text("en", "gMSG_1", 2);
    const QString numberMessage = text("en", "gDDX", 1);
    ASSERT_FALSE(nameMessage.isEmpty());
    ASSERT_EQ(numberMessage, QStringLiteral("Please enter a number."));
    const struct {
        const char *name, *value;
        const QString* message;  // null: accepted
        int focused;             // the field that gets the focus back
    } cases[] = {
        {"2pi", "6.28", &nameMessage, CDlgCreateConst::kName},
        {" x", "1", &nameMessage, CDlgCreateConst::kName},
        {"@a", "1", &nameMessage, CDlgCreateConst::kName},
        {"", "1", &nameMessage, CDlgCreateConst::kName},
        {"g", "9.8 m", &numberMessage, CDlgCreateConst::kValue},
        {"g", "", &numberMessage, CDlgCreateConst::kValue},
        {"2pi", "x", &numberMessage, CDlgCreateConst::kValue},  // the value's message comes first
        {"_a", "-2.5e-3", nullptr, 0},
        {"alpha", "  3 ", nullptr, 0},
        {"\xCF\x86", "1.618", nullptr, 0},  // φ
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " = " + c.value);
        sink.shown.clear();
        CDlgCreateConst dialog(context);
        dialog.m_strName = QStringLiteral("old");
        dialog.m_dValue = 42;
        dialog.m_nEnabled = 0;
        bool stayedOpen = false;
        dialog.runModal = [&](CDlgCreateConst& d) {
            EXPECT_EQ(d.nameEdit()->text(), QStringLiteral("old"));
            EXPECT_EQ(d.valueEdit()->text(), QStringLiteral("42"));
            EXPECT_FALSE(d.enabledCheck()->isChecked());
            d.nameEdit()->setText(QString::fromUtf8(c.name));
            d.valueEdit()->setText(QString::fromUtf8(c.value));
            d.enabledCheck()->setChecked(true);
            d.okButton()->click();
            if (c.message) {
                stayedOpen = d.result() != QDialog::Accepted;
                EXPECT_EQ(d.focusWidget()->property("ctrlId").toInt(), c.focused);
                auto* field = static_cast<QLineEdit*>(d.focusWidget());
                EXPECT_EQ(field->selectedText(), field->text());
                d.cancelButton()->click();
            }
            return resultOf(d);
        };
        const int answer = dialog.DoModal();
        if (c.message) {
            EXPECT_TRUE(stayedOpen);
            EXPECT_EQ(answer, IDCANCEL);
            ASSERT_EQ(sink.shown.size(), 1u);
            EXPECT_EQ(sink.shown[0].text, *c.message);
            // Nothing of the refused entry reaches the caller.
            EXPECT_EQ(dialog.m_strName, QStringLiteral("old"));
            EXPECT_EQ(dialog.m_dValue, 42);
            EXPECT_EQ(dialog.m_nEnabled, 0);
        } else {
            EXPECT_EQ(answer, IDOK);
            EXPECT_TRUE(sink.shown.empty());
            EXPECT_EQ(dialog.m_strName, QString::fromUtf8(c.name));
            EXPECT_EQ(dialog.m_dValue, ParseEntryNumber(QString::fromUtf8(c.value)).value());
            EXPECT_EQ(dialog.m_nEnabled, 1);
        }
    }
}

TEST_F(EntryDialogsTest, WordOkGivesWordStyleAndEnabledByMode) {
    const struct {
        int mode, enabledBefore;
        bool userChecks;  // what the user leaves in the enable box
        int styleBefore, styleChosen;
        int enabledAfter;
    } cases[] = {
        {0, 1, false, 0, 3, 0},  // mode 0: the box is the user's
        {0, 0, true, 2, 0, 1},
        {1, 0, true, 1, 2, 0},   // mode 1: hidden, the caller's value comes back
        {1, 1, false, 1, 1, 1},
        {2, 0, true, 3, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " enabled " << c.enabledBefore);
        CDlgCreateAW dialog(context);
        dialog.m_nMode = c.mode;
        dialog.m_nX = 123;
        dialog.m_nY = 77;
        dialog.m_nEnabled = c.enabledBefore;
        dialog.m_nStyle = uint8_t(c.styleBefore);
        dialog.m_strWord = QStringLiteral("sin");
        dialog.runModal = [&](CDlgCreateAW& d) {
            EXPECT_EQ(d.enabledCheck()->isVisibleTo(&d), c.mode == 0);
            EXPECT_TRUE(d.styleButton(c.styleBefore)->isChecked());
            EXPECT_EQ(d.wordEdit()->selectedText(), QStringLiteral("sin"));
            EXPECT_EQ(d.focusWidget(), d.wordEdit());
            if (c.mode > 1) {
                EXPECT_EQ(d.pos(), QPoint(123, 77));
            }
            d.enabledCheck()->setChecked(c.userChecks);
            d.styleButton(c.styleChosen)->setChecked(true);
            d.wordEdit()->setText(QStringLiteral("x"));  // one character is a word
            d.okButton()->click();
            return resultOf(d);
        };
        EXPECT_EQ(dialog.DoModal(), IDOK);
        EXPECT_EQ(dialog.m_strWord, QStringLiteral("x"));
        EXPECT_EQ(dialog.m_nStyle, c.styleChosen);
        EXPECT_EQ(dialog.m_nEnabled, c.enabledAfter);
        EXPECT_TRUE(sink.shown.empty());
    }
}

TEST_F(EntryDialogsTest, AnEmptyWordIsRefusedAndCancelKeepsTheFields) {
    CDlgCreateAW dialog(context);
    dialog.m_strWord = QStringLiteral("lim");
    dialog.m_nStyle = 2;
    dialog.runModal = [&](CDlgCreateAW& d) {
        d.wordEdit()->clear();
        d.styleButton(1)->setChecked(true);
        d.okButton()->click();
        EXPECT_NE(d.result(), QDialog::Accepted);
        EXPECT_EQ(d.focusWidget(), d.wordEdit());
        d.cancelButton()->click();
        return resultOf(d);
    };
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].text, text("en", "gMSG_2", 2));
    EXPECT_EQ(dialog.m_strWord, QStringLiteral("lim"));
    EXPECT_EQ(dialog.m_nStyle, 2);
}

TEST_F(EntryDialogsTest, TheGreekBarReplacesTheSelectionOfItsField) {
    // The word dialog: a click on alpha replaces the selected "b" of "abc";
    // undo brings it back.
    CDlgCreateAW word(context);
    word.m_strWord = QStringLiteral("abc");
    word.OnInitDialog();
    word.show();
    CDlgToolbar* bar = word.characterBar();
    ASSERT_EQ(bar->buttons().size(), 40u);
    ASSERT_EQ(bar->buttons()[0]->command, 0x3B1);
    ASSERT_FALSE(bar->buttons()[0]->rect.isEmpty());
    word.wordEdit()->setSelection(1, 1);
    clickBar(*bar, 0);
    EXPECT_EQ(word.wordEdit()->text(), QStringLiteral("a\u03B1c"));
    word.wordEdit()->undo();
    EXPECT_EQ(word.wordEdit()->text(), QStringLiteral("abc"));
    word.wordEdit()->setSelection(1, 1);
    clickBar(*bar, 0);
    clickBar(*bar, 39);  // Omega, at the caret after alpha
    EXPECT_EQ(word.wordEdit()->text(), QStringLiteral("a\u03B1\u03A9c"));
    // A right click (a hot-key request) types nothing.
    word.OnWindowMessage(WM_TOOLBAR_COMMAND, -1, 0x3B1);
    EXPECT_EQ(word.wordEdit()->text(), QStringLiteral("a\u03B1\u03A9c"));

    // The constant dialog: into the name, even while the value has the focus.
    CDlgCreateConst constant(context);
    constant.m_strName = QStringLiteral("x");
    constant.OnInitDialog();
    constant.show();
    constant.nameEdit()->selectAll();
    constant.valueEdit()->setFocus();
    clickBar(*constant.characterBar(), 17);  // pi
    EXPECT_EQ(constant.nameEdit()->text(), QStringLiteral("\u03C0"));
    EXPECT_EQ(constant.valueEdit()->text(), QStringLiteral("0"));
}

TEST_F(EntryDialogsTest, TextsInBothLanguages) {
    for (const char* language : {"en", "cn"}) {
        SCOPED_TRACE(language);
        context.languageCode = QString::fromLatin1(language);
        CDlgCreateAW word(context);
        word.OnInitDialog();
        EXPECT_EQ(word.windowTitle(), text(language, "gCS_2", 1));
        EXPECT_EQ(word.okButton()->text(), text(language, "gCS_2", 2));
        EXPECT_EQ(word.enabledCheck()->text(), text(language, "gCS_2", 4));
        EXPECT_EQ(word.styleButton(3)->text(), text(language, "gCS_2", 9));
        EXPECT_EQ(word.findChild<QGroupBox*>()->title(), text(language, "gCS_2", 11));
        CDlgCreateConst constant(context);
        constant.OnInitDialog();
        EXPECT_EQ(constant.windowTitle(), text(language, "gCS_1", 1));
        EXPECT_EQ(constant.cancelButton()->text(), text(language, "gCS_1", 3));
        EXPECT_EQ(constant.enabledCheck()->text(), text(language, "gCS_1", 4));
        for (const auto* group : {"gMSG_1", "gMSG_2"}) EXPECT_FALSE(text(language, group, 2).isEmpty()) << group;
        EXPECT_FALSE(text(language, "gDDX", 1).isEmpty());
    }
    EXPECT_EQ(text("cn", "gCS_2", 1), QStringLiteral("自动单词"));
}

TEST_F(EntryDialogsTest, LookInBothLanguages) {
    for (const char* language : {"en", "cn"}) {
        context.languageCode = QString::fromLatin1(language);
        CDlgCreateAW word(context);
        word.m_strWord = QStringLiteral("sin");
        word.m_nStyle = 1;
        word.OnInitDialog();
        word.show();
        QApplication::processEvents();
        EXPECT_TRUE(word.grab().save(QDir(screenshotFolder()).filePath(QStringLiteral("entry_word_%1.png").arg(language))));
        CDlgCreateAW reduced(context);
        reduced.m_nMode = 1;
        reduced.m_nStyle = 1;
        reduced.OnInitDialog();
        reduced.show();
        QApplication::processEvents();
        EXPECT_TRUE(reduced.grab().save(QDir(screenshotFolder()).filePath(QStringLiteral("entry_word_mode1_%1.png").arg(language))));
        CDlgCreateConst constant(context);
        constant.m_strName = QStringLiteral("\u03C6");
        constant.m_dValue = 1.6180339887498949;
        constant.OnInitDialog();
        constant.show();
        QApplication::processEvents();
        EXPECT_TRUE(constant.grab().save(QDir(screenshotFolder()).filePath(QStringLiteral("entry_constant_%1.png").arg(language))));
    }
}

}  // namespace
}  // namespace toliva::test
