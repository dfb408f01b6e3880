// The one-line input: what the caller gets back, the apply button's live
// preview, the password echo and the button texts in both languages.
#include "panels/CDialogSetString.h"
#include "platform/MessageSink.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <vector>

namespace toliva::test {
namespace {

TEST(SetStringTest, OkGivesTheTextAndTheCheckStateCancelGivesNothing) {
    struct Case {
        bool showCheck, checkedBefore, userClicksCheck;
        QString typed;
        bool checkedAfter;
    };
    const Case cases[] = {
        {false, true, false, QStringLiteral("12"), true},   // hidden: the caller's state stays
        {false, false, false, QStringLiteral("12"), false},
        {true, true, true, QStringLiteral("x y"), false},   // shown and cleared by the user
        {true, false, false, QString(), false},             // an empty text comes back empty
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString() + (c.showCheck ? " shown" : " hidden"));
        CDialogSetString dialog(QStringLiteral("en"));
        dialog.m_strTitle = QStringLiteral("Font Size");
        dialog.m_strPrompt = QStringLiteral("Size:");
        dialog.m_strText = QStringLiteral("9");
        dialog.m_bShowCheck = c.showCheck;
        dialog.m_bChecked = c.checkedBefore;
        dialog.m_strCheckCaption = QStringLiteral("As default");
        dialog.runModal = [&](CDialogSetString& d) {
            EXPECT_EQ(d.windowTitle(), QStringLiteral("Font Size"));
            EXPECT_EQ(d.promptLabel()->text(), QStringLiteral("Size:"));
            EXPECT_EQ(d.edit()->text(), QStringLiteral("9"));
            EXPECT_EQ(d.checkBox()->isVisibleTo(&d), c.showCheck);
            EXPECT_EQ(d.checkBox()->isChecked(), c.checkedBefore);
            EXPECT_FALSE(d.applyButton()->isVisibleTo(&d));
            EXPECT_EQ(d.edit()->echoMode(), QLineEdit::Normal);
            if (c.userClicksCheck) d.checkBox()->click();
            d.edit()->setText(c.typed);
            d.okButton()->click();
            return d.result() == QDialog::Accepted ? IDOK : IDCANCEL;
        };
        EXPECT_EQ(dialog.DoModal(), IDOK);
        EXPECT_EQ(dialog.m_strText, c.typed);
        EXPECT_EQ(dialog.m_bChecked, c.checkedAfter);
    }
    CDialogSetString dialog(QStringLiteral("en"));
    dialog.m_strText = QStringLiteral("keep");
    dialog.runModal = [](CDialogSetString& d) {
        d.edit()->setText(QStringLiteral("typed"));
        d.cancelButton()->click();
        return d.result() == QDialog::Accepted ? IDOK : IDCANCEL;
    };
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.m_strText, QStringLiteral("keep"));
}

TEST(SetStringTest, ApplySendsTheNumberAndKeepsTheDialogOpen) {
    CDialogSetString dialog(QStringLiteral("en"));
    dialog.m_strText = QStringLiteral("0.5em");
    dialog.m_bShowApply = true;
    dialog.m_nNumericMode = 1;
    std::vector<float> applied;
    dialog.m_applyValue = [&](float v) { applied.push_back(v); };
    dialog.OnInitDialog();
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(dialog.applyButton()->isVisible());
    dialog.edit()->setText(QStringLiteral("1.5"));
    dialog.applyButton()->setFocus();
    dialog.applyButton()->click();
    QApplication::processEvents();
    EXPECT_EQ(applied, std::vector<float>{1.5f});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_TRUE(dialog.edit()->hasFocus());
    EXPECT_EQ(dialog.m_strText, QStringLiteral("1.5"));

    // The number the text starts with; anything else, and numbers no float
    // holds (a NaN would pass any clamp), read as 0.
    const std::pair<const char*, float> texts[] = {
        {"2.25cm", 2.25f}, {" -3", -3.0f}, {".5", 0.5f}, {"1e2pt", 100.0f}, {"abc", 0.0f}, {"", 0.0f},
        {"nan", 0.0f},     {"inf", 0.0f},  {"-inf", 0.0f}, {"1e999", 0.0f},  {"1e39", 0.0f}, {"0x10", 0.0f},
    };
    for (const auto& [text, value] : texts) {
        SCOPED_TRACE(text);
        applied.clear();
        dialog.edit()->setText(QString::fromLatin1(text));
        dialog.applyButton()->click();
        ASSERT_EQ(applied.size(), 1u);
        EXPECT_EQ(applied[0], value);
    }

    // Numeric mode 0, or nothing to send to: the button does nothing.
    applied.clear();
    dialog.m_nNumericMode = 0;
    dialog.applyButton()->click();
    dialog.m_nNumericMode = 1;
    dialog.m_applyValue = nullptr;
    dialog.applyButton()->click();
    EXPECT_TRUE(applied.empty());
    dialog.hide();
}

TEST(SetStringTest, PasswordEchoAndButtonTextsInBothLanguages) {
    struct Case {
        const char* language;
        QString ok, cancel, apply;
    };
    const Case cases[] = {
        {"en", QStringLiteral("OK"), QStringLiteral("Cancel"), QStringLiteral("Apply")},
        {"cn", QStringLiteral("确定"), QStringLiteral("取消"), QStringLiteral("应用")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language);
        CDialogSetString dialog(QString::fromLatin1(c.language));
        dialog.m_strTitle = QStringLiteral("Lock");
        dialog.m_bPassword = true;
        dialog.m_bShowApply = true;
        dialog.runModal = [&](CDialogSetString& d) {
            EXPECT_EQ(d.edit()->echoMode(), QLineEdit::Password);
            EXPECT_EQ(d.okButton()->text(), c.ok);
            EXPECT_EQ(d.cancelButton()->text(), c.cancel);
            EXPECT_EQ(d.applyButton()->text(), c.apply);
            EXPECT_EQ(d.windowTitle(), QStringLiteral("Lock"));  // the caller's title stays
            d.edit()->setText(QStringLiteral("secret"));
            d.okButton()->click();
            return IDOK;
        };
        EXPECT_EQ(dialog.DoModal(), IDOK);
        EXPECT_EQ(dialog.m_strText, QStringLiteral("secret"));
    }
}

}  // namespace
}  // namespace toliva::test
