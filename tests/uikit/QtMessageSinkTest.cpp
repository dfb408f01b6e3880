#include "uikit/QtMessageSink.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

namespace toliva {
namespace {

// What the box showed when the zero-timer found it.
struct Seen {
    bool found = false;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString caption;
    QString text;
    Qt::TextFormat format = Qt::AutoText;
    QWidget* parent = nullptr;
};

// Once the box runs, notes what it shows and presses `press` (or Escape when
// press is NoButton).
void pressOnNextBox(Seen* seen, QMessageBox::StandardButton press) {
    QTimer::singleShot(0, [seen, press] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (!box || !box->isVisible()) continue;
            seen->found = true;
            seen->buttons = box->standardButtons();
            if (box->defaultButton()) seen->defaultButton = box->standardButton(box->defaultButton());
            seen->icon = box->icon();
            seen->caption = box->windowTitle();
            seen->text = box->text();
            seen->format = box->textFormat();
            seen->parent = box->parentWidget();
            QAbstractButton* button = press == QMessageBox::NoButton ? nullptr : box->button(press);
            if (button) {
                button->click();
            } else {
                // Escape, also for a missing button: the answer then tells, not a hang.
                QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                QApplication::sendEvent(box, &escape);
            }
            return;
        }
    });
}

TEST(QtMessageSink, ShowsTheFlagsButtonsAndIconAndAnswersWithThePressedButton) {
    using B = QMessageBox;
    struct Case {
        unsigned flags;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton;
        QMessageBox::Icon icon;
        QMessageBox::StandardButton press;  // NoButton: Escape
        int answer;
    } cases[] = {
        {MB_OK, B::Ok, B::Ok, B::NoIcon, B::Ok, IDOK},
        {MB_OK | MB_ICONERROR, B::Ok, B::Ok, B::Critical, B::NoButton, IDOK},
        {MB_OKCANCEL | MB_ICONWARNING, B::Ok | B::Cancel, B::Ok, B::Warning, B::Ok, IDOK},
        {MB_OKCANCEL | MB_ICONWARNING, B::Ok | B::Cancel, B::Ok, B::Warning, B::Cancel, IDCANCEL},
        {MB_OKCANCEL, B::Ok | B::Cancel, B::Ok, B::NoIcon, B::NoButton, IDCANCEL},
        {MB_YESNO | MB_ICONQUESTION, B::Yes | B::No, B::Yes, B::Question, B::Yes, IDYES},
        {MB_YESNO | MB_ICONQUESTION, B::Yes | B::No, B::Yes, B::Question, B::No, IDNO},
        {MB_YESNO, B::Yes | B::No, B::Yes, B::NoIcon, B::NoButton, IDNO},
        {MB_YESNOCANCEL | MB_ICONINFORMATION, B::Yes | B::No | B::Cancel, B::Yes, B::Information, B::Yes, IDYES},
        {MB_YESNOCANCEL | MB_ICONINFORMATION, B::Yes | B::No | B::Cancel, B::Yes, B::Information, B::No, IDNO},
        {MB_YESNOCANCEL, B::Yes | B::No | B::Cancel, B::Yes, B::NoIcon, B::Cancel, IDCANCEL},
        {MB_YESNOCANCEL, B::Yes | B::No | B::Cancel, B::Yes, B::NoIcon, B::NoButton, IDCANCEL},
    };
    QtMessageSink sink;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "flags " << c.flags << ", press " << c.press);
        Seen seen;
        pressOnNextBox(&seen, c.press);
        EXPECT_EQ(sink.show("Save the changes?", "Caption", c.flags, nullptr), c.answer);
        ASSERT_TRUE(seen.found);
        EXPECT_EQ(seen.buttons, c.buttons);
        EXPECT_EQ(seen.defaultButton, c.defaultButton);
        EXPECT_EQ(seen.icon, c.icon);
        EXPECT_EQ(seen.caption, "Caption");
    }
}

TEST(QtMessageSink, ShowsPlainTextOverTheOwnerWithTheProgramsNameByDefault) {
    QWidget owner;
    QtMessageSink sink;
    Seen seen;
    pressOnNextBox(&seen, QMessageBox::Ok);
    EXPECT_EQ(sink.show("<b>a.afx</b>\nsecond line", {}, MB_OK, &owner), IDOK);
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.caption, "Toliva");
    EXPECT_EQ(seen.text, "<b>a.afx</b>\nsecond line");
    EXPECT_EQ(seen.format, Qt::PlainText);
    EXPECT_EQ(seen.parent, &owner);
}

}  // namespace
}  // namespace toliva
