#include "uikit/QtMessageSink.h"

#include <QApplication>
#include <QMessageBox>

namespace toliva {
namespace {

struct ButtonSet {
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton first;   // the default button
    QMessageBox::StandardButton escape;  // Escape and the close button
};

ButtonSet buttonSet(unsigned flags) {
    switch (flags & 0xF) {
        case MB_OKCANCEL: return {QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok, QMessageBox::Cancel};
        case MB_YESNO: return {QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, QMessageBox::No};
        case MB_YESNOCANCEL:
            return {QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes, QMessageBox::Cancel};
        default: return {QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok};
    }
}

QMessageBox::Icon iconOf(unsigned flags) {
    switch (flags & 0xF0) {
        case MB_ICONERROR: return QMessageBox::Critical;
        case MB_ICONQUESTION: return QMessageBox::Question;
        case MB_ICONWARNING: return QMessageBox::Warning;
        case MB_ICONINFORMATION: return QMessageBox::Information;
        default: return QMessageBox::NoIcon;
    }
}

int answerOf(int button) {
    switch (button) {
        case QMessageBox::Cancel: return IDCANCEL;
        case QMessageBox::Yes: return IDYES;
        case QMessageBox::No: return IDNO;
        default: return IDOK;
    }
}

}  // namespace

int QtMessageSink::show(const QString& text, const QString& caption, unsigned flags, void* owner) {
    const ButtonSet set = buttonSet(flags);
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return answerOf(set.escape);
    QMessageBox box(iconOf(flags), caption.isEmpty() ? QStringLiteral("Toliva") : caption, text, set.buttons,
                    static_cast<QWidget*>(owner));
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(set.first);
    box.setEscapeButton(set.escape);
    return answerOf(box.exec());
}

}  // namespace toliva
