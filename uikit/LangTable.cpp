#include "LangTable.h"

#include "platform/AppContext.h"
#include "platform/Folders.h"
#include "platform/MessageSink.h"

#include <QAbstractButton>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

#include <cstdio>

namespace toliva {
namespace {

void resetTable(LangTable& table, const QString& languageCode) {
    table.code = languageCode;
    table.doc.reset();
    table.keyBuffer.clear();
    table.root = pugi::xml_node();
    table.group = pugi::xml_node();
}

void keepRoot(LangTable& table, const pugi::xml_parse_result& result) {
    // A document that failed to parse may hold the part read before the
    // error; such a table counts as having no root.
    if (result) table.root = table.doc.document_element();
}

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

LangTable::LangTable(const QString& languageCode, const QString& fileName) {
    OpenLangTable(*this, languageCode, fileName);
}

void OpenLangTable(LangTable& table, const QString& languageCode, const QString& fileName) {
    OpenLangTableFile(table, languageCode, programFolder() + QStringLiteral("Languages/") + dataName(fileName));
}

void OpenLangTableFile(LangTable& table, const QString& languageCode, const QString& path) {
    resetTable(table, languageCode);
    keepRoot(table, table.doc.load_file(QFile::encodeName(path).constData()));
}

void OpenLangTableBuffer(LangTable& table, const QString& languageCode, const QByteArray& bytes) {
    resetTable(table, languageCode);
    keepRoot(table, table.doc.load_buffer(bytes.constData(), static_cast<size_t>(bytes.size())));
}

void CloseLangTable(LangTable& table) { resetTable(table, QString()); }

QString LoadLangString(LangTable& table, const QString& groupKey, int item) {
    if (table.root) table.group = table.root.child(groupKey.toUtf8().constData());
    return LoadLangItemString(table, item);
}

QString LoadLangItemString(LangTable& table, int item) {
    if (!table.group) return {};
    char key[16];
    std::snprintf(key, sizeof key, "S%02d", item);
    table.keyBuffer = key;
    const pugi::xml_node node = table.group.child(key);
    if (!node) return {};
    const pugi::xml_attribute attr = node.attribute(table.code.toUtf8().constData());
    if (!attr) return {};
    return QString::fromUtf8(attr.value());
}

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

QString LangText(const QString& fileName, const QString& groupKey, int item) {
    LangTable table(app().languageCode(), fileName);
    return LoadLangString(table, groupKey, item);
}

}  // namespace toliva
