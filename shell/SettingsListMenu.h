// The list menu of the settings pages that keep a list (the constants of the
// auto-calculation page, the words of the editor page): eight items from
// "LANG_02.xml" group "gPOP_1", built the same on every page, and the ways it
// opens: a button, and a right-button press that the page takes from all its
// controls and turns into the menu only over the list.
//
//   SettingsListMenu menu(context, this, /*withPictures=*/true);
//   menu.TakeRightButton(this, list, [this](QPoint at) { ShowListMenu(at, true); });
//   const unsigned chosen = menu.Track(QCursor::pos(), list->selectedItems().size() > 0);
#pragma once

#include <QObject>
#include <QPoint>
#include <QString>

#include <functional>

class QWidget;

namespace toliva {

class CKwMenu;
class LangTable;
struct EquationSettingsContext;

class SettingsListMenu : public QObject {
public:
    // The items' ids, in menu order (separators after 3, 4 and 6).
    enum Item : unsigned {
        kNew = 1,             // new entry
        kDeleteSelected = 2,  // shown only while a row is selected
        kClear = 3,
        kDefaultList = 4,
        kCheckAll = 5,
        kUncheckAll = 6,
        kImport = 7,          // picture "tb\Open" when the page shows pictures
        kExport = 8,          // picture "tb\Save"
    };
    static constexpr int kItemCount = 8;
    static constexpr char kLangFile[] = "LANG_02.xml";
    static constexpr char kGroup[] = "gPOP_1";
    // The file dialogs of the list files (".acv", ".aad") share one last folder.
    static constexpr int kFileSite = 6;

    // owner: the page; the menu's parent window and the one whose controls
    // give up their right-button presses.
    SettingsListMenu(EquationSettingsContext& context, QWidget* owner, bool withPictures);
    ~SettingsListMenu() override;

    // Fills a menu with the items (text item n for id n; a tab in a text
    // splits the label from its right-aligned part).
    static void Fill(CKwMenu& menu, LangTable& table, bool rowSelected, bool withPictures);
    // Builds the menu in the current language and runs it at a screen point
    // through the context's trackMenu (else the menu's own loop). The chosen
    // item, 0 when none.
    unsigned Track(QPoint screenPoint, bool rowSelected);

    // From now on a right-button press on the owner or on any control in it
    // is taken (never passed on); when the cursor lies over the list, open is
    // called with the screen point. Controls made later are covered too.
    void TakeRightButton(QWidget* list, std::function<void(QPoint)> open);

    // The open or save dialog of a list file: filter in the Windows form, the
    // default extension ("*.acv"; given to the save dialog only) and the name
    // a save dialog proposes. The folder is kept as "LID_6". True on OK with
    // path set.
    static bool AskFilePath(const QString& filter, const QString& defaultName, QWidget* owner, QString& path,
                            bool save, const QString& defaultExtension);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watch(QWidget* widget);

    EquationSettingsContext& m_context;
    QWidget* m_owner;
    bool m_withPictures;
    QWidget* m_list = nullptr;
    std::function<void(QPoint)> m_open;
};

}  // namespace toliva
