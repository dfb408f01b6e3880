// Language tables: one XML language file opened for one language, and the
// texts looked up in it. No widgets here: the UI kit sets dialog texts
// and shows items as message boxes.
//
// Layout of a language file: one top-level element; below it one element per
// group ("gMSG_1", "gCS_1", "gDLG_1", ...); below a group one element per item,
// named "S%02d" from the 1-based item number (S01, S07, S123); each item has
// one attribute per language code ("en", "cn") that holds the text. Message
// texts mark line breaks with '|'.
//
// A file that is missing or does not parse gives a table without root: every
// lookup yields an empty text, and nothing is reported.
#pragma once

#include <QByteArray>
#include <QString>

#include <pugixml.hpp>

#include <string>

namespace toliva {

struct LangTable {
    LangTable() = default;
    // Opens "Languages/" + fileName beside the program (see OpenLangTable).
    LangTable(const QString& languageCode, const QString& fileName);
    LangTable(const LangTable&) = delete;
    LangTable& operator=(const LangTable&) = delete;

    QString code;             // the attribute that holds the text ("en", "cn")
    pugi::xml_document doc;
    std::string keyBuffer;    // the last item name formatted
    pugi::xml_node root;      // null when the file failed to load
    pugi::xml_node group;     // set by the last group lookup
};

// Loads the language file fileName from the folder "Languages/" beside the
// program, replacing whatever the table held.
void OpenLangTable(LangTable& table, const QString& languageCode, const QString& fileName);
// Loads a language file from a full path.
void OpenLangTableFile(LangTable& table, const QString& languageCode, const QString& path);
// Loads a language file from bytes in memory.
void OpenLangTableBuffer(LangTable& table, const QString& languageCode, const QByteArray& bytes);
// Frees the document and forgets root, group and code.
void CloseLangTable(LangTable& table);

// Makes groupKey the current group (none when the table has no such group),
// then returns item number item of it.
QString LoadLangString(LangTable& table, const QString& groupKey, int item);
// Item number item ("S%02d") of the current group in the table's language;
// empty when the group, the item or its attribute is missing.
QString LoadLangItemString(LangTable& table, int item);

// One text of a language file beside the program, in the application's language.
QString LangText(const QString& fileName, const QString& groupKey, int item);

}  // namespace toliva
