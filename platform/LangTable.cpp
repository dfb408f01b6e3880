#include "platform/LangTable.h"

#include "platform/AppContext.h"
#include "platform/Folders.h"

#include <QFile>

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

QString LangText(const QString& fileName, const QString& groupKey, int item) {
    LangTable table(app().languageCode(), fileName);
    return LoadLangString(table, groupKey, item);
}

}  // namespace toliva
