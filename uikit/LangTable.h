// Language tables: one XML language file opened for one language.
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

#include <array>
#include <initializer_list>
#include <string>

class QWidget;

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

// The dynamic property (int) that gives a dialog's child widget its control id;
// SetDialogLangTexts finds controls by it.
inline constexpr char kCtrlIdProperty[] = "ctrlId";
// The first child widget of dialog (at any depth) whose "ctrlId" property is
// ctrlId; null when there is none.
QWidget* DialogControl(QWidget* dialog, int ctrlId);

// Sets the texts of a dialog and its controls from a group. pairs holds
// {control id, item number} pairs ended by a pair of two negative values. A
// control id of 0 or below names the dialog itself (its window title), any
// other id the child found by DialogControl: buttons, labels and line edits
// get the text, group boxes the title. An empty item text leaves the widget
// as it was. Nothing happens for a null dialog or a group that does not exist.
void SetDialogLangTexts(LangTable& table, const QString& groupKey, QWidget* dialog, const int pairs[][2]);
// The same for a list of pairs; it ends at a pair of two negative values or
// at the end of the list.
void SetDialogLangTexts(LangTable& table, const QString& groupKey, QWidget* dialog,
                        std::initializer_list<std::array<int, 2>> pairs);

// Shows an item as a message box with the caller's flags, each '|' turned into
// a line break; returns the button pressed.
int LangMessageBox(LangTable& table, const QString& groupKey, int item, unsigned flags);
// Asks a yes/no question with the information icon: caption from titleItem,
// text from textItem (a '|' stays as it is). Returns IDYES or IDNO.
int LangYesNoBox(QWidget* owner, LangTable& table, const QString& groupKey, int titleItem, int textItem);

// One text of a language file beside the program, in the application's language.
QString LangText(const QString& fileName, const QString& groupKey, int item);

}  // namespace toliva
