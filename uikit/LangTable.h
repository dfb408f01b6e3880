// Language tables for windows: dialog texts from a group and items shown as
// message boxes. The table itself and its look-ups are in platform/LangTable.h.
#pragma once

#include "platform/LangTable.h"

#include <QString>

#include <array>
#include <initializer_list>

class QWidget;

namespace toliva {

// The dynamic property (int) that gives a dialog's child widget its control id;
// SetDialogLangTexts finds controls by it.
inline constexpr char kCtrlIdProperty[] = "ctrlId";
// Gives a child widget its control id and returns it.
template <typename W>
W* WithCtrlId(W* widget, int id) {
    widget->setProperty(kCtrlIdProperty, id);
    return widget;
}
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

}  // namespace toliva
