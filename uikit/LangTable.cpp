#include "uikit/LangTable.h"

#include "platform/MessageSink.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

namespace toliva {
namespace {

void setWidgetText(QWidget* w, const QString& text) {
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        b->setText(text);
    else if (auto* l = qobject_cast<QLabel*>(w))
        l->setText(text);
    else if (auto* e = qobject_cast<QLineEdit*>(w))
        e->setText(text);
    else if (auto* g = qobject_cast<QGroupBox*>(w))
        g->setTitle(text);
}

void applyPair(LangTable& table, QWidget* dialog, int ctrlId, int item) {
    const QString text = LoadLangItemString(table, item);
    if (text.isEmpty()) return;
    if (ctrlId <= 0) {
        dialog->setWindowTitle(text);
    } else if (QWidget* control = DialogControl(dialog, ctrlId)) {
        setWidgetText(control, text);
    }
}

// Makes groupKey the current group; false when the dialog texts cannot be set.
bool selectGroup(LangTable& table, const QString& groupKey, QWidget* dialog) {
    if (!dialog || !table.root) return false;
    table.group = table.root.child(groupKey.toUtf8().constData());
    return bool(table.group);
}

}  // namespace

QWidget* DialogControl(QWidget* dialog, int ctrlId) {
    if (!dialog) return nullptr;
    const auto children = dialog->findChildren<QWidget*>();
    for (QWidget* child : children) {
        const QVariant id = child->property(kCtrlIdProperty);
        bool ok = false;
        if (id.isValid() && id.toInt(&ok) == ctrlId && ok) return child;
    }
    return nullptr;
}

void SetDialogLangTexts(LangTable& table, const QString& groupKey, QWidget* dialog, const int pairs[][2]) {
    if (!pairs || !selectGroup(table, groupKey, dialog)) return;
    for (int i = 0; !(pairs[i][0] < 0 && pairs[i][1] < 0); ++i) applyPair(table, dialog, pairs[i][0], pairs[i][1]);
}

void SetDialogLangTexts(LangTable& table, const QString& groupKey, QWidget* dialog,
                        std::initializer_list<std::array<int, 2>> pairs) {
    if (!selectGroup(table, groupKey, dialog)) return;
    for (const auto& p : pairs) {
        if (p[0] < 0 && p[1] < 0) break;
        applyPair(table, dialog, p[0], p[1]);
    }
}

int LangMessageBox(LangTable& table, const QString& groupKey, int item, unsigned flags) {
    QString text = LoadLangString(table, groupKey, item);
    text.replace('|', '\n');
    return messageSink().show(text, QString(), flags, nullptr);
}

int LangYesNoBox(QWidget* owner, LangTable& table, const QString& groupKey, int titleItem, int textItem) {
    const QString caption = LoadLangString(table, groupKey, titleItem);
    const QString text = LoadLangString(table, groupKey, textItem);
    const int answer = messageSink().show(text, caption, MB_YESNO | MB_ICONINFORMATION, owner);
    return answer == IDYES ? IDYES : IDNO;
}

}  // namespace toliva
