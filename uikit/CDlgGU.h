// The general settings dialog: a property grid (CDlgAMF) over every page
// picture of one folder "GenDef/<page folder>/<language>/", an optional list
// box above it and up to five buttons below it. The caller fills the property
// list, sets the placement and the buttons, runs the dialog and reads the
// values back.
//
// Messages to the owner window while the dialog runs:
//   WM_PROPERTY_ITEM_CLICK    0x1F59  a button field of the grid fired  sent    (item number, tag)
//   WM_PROPERTY_ITEM_CHANGED  0x1F5F  a text of the grid changed        posted  (item number, tag)
//   WM_SETTINGS_DIALOG_BUTTON 0x1F5B  button 3, 1389 or 1390            sent    (the dialog, 0, 1 or 2)
// Button texts come from group "gCC_1" of the language file.
#pragma once

#include "uikit/CDlgAMF.h"
#include "uikit/CKwPGL.h"
#include "uikit/WindowMessages.h"

#include <QDialog>
#include <QRect>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

class QListWidget;
class QPushButton;

namespace toliva {

class CDlgGU : public QDialog, public MessageTarget {
    Q_OBJECT
public:
    // Control ids.
    static constexpr int kButtonApply = 3;
    static constexpr int kButton1389 = 1389;
    static constexpr int kButton1390 = 1390;
    static constexpr int kListBoxId = 2071;
    // The dialog's own size before placement, at interface scale 1.
    static constexpr int kTemplateWidth = 900;
    static constexpr int kTemplateHeight = 640;

    // Where the dialog goes (placement modes):
    //   1, 2: right edge at x;  others below 4: left edge at x
    //   2, 3: bottom edge at y; others below 4: top edge at y
    //   4 and above: centred on the owner's centre plus (x, y); without an
    //   owner on the work area's centre plus (x, y)
    // The size is the template's, width x widthFactor, height x widthFactor x
    // heightFactor; the result is then pushed inside the work area.
    static QRect PlaceWindow(const QSize& templateSize, int mode, int x, int y, float widthFactor, float heightFactor,
                             const QRect* ownerRect, const QRect& workArea);
    // The page files of a folder: every file (not folder) whose name ends in
    // ".apx" in any case, sorted by name without regard to case.
    static QStringList CollectPageFiles(const QString& folder);

    // The owner receives the messages and is the window the dialog centres on.
    explicit CDlgGU(QWidget* owner = nullptr);
    ~CDlgGU() override;

    // ---- set by the caller before the dialog is created
    QString languageFile = QStringLiteral("DlgGU.xml");
    QString pageFolder;       // below "GenDef/"
    QString title;
    CKwPGL propertyList;      // group = page index
    bool showOkCancel = true;
    bool showButton3 = false;
    bool showButton1389 = false;
    bool showButton1390 = false;
    int placementMode = 5;
    int x = 0;
    int y = 0;
    float widthFactor = 1.0f;
    float heightFactor = 1.0f;
    float pageListFraction = 0.2f;
    float gridVerticalFraction = 0.0f;
    bool listBoxShown = false;
    float splitFactor = 0.3f;  // with the list box: the grid's height as a part of the window width
    int startPage = 0;
    QWidget* ownerWindow;
    intptr_t tag = 0;
    QStringList listBoxEntries;
    // The optional header picture of the capture program's settings pages
    // (".apx", program-relative); this dialog itself does not draw it.
    QString headerPicture;
    // Folder that holds the page sets (default: "GenDef/" beside the program).
    QString pageRoot;
    // The work area the dialog is kept inside (default: the available
    // geometry of the owner's screen, else of the primary screen).
    std::function<QRect()> workArea;

    // Runs the created dialog in place of the modal loop (tests answer the
    // dialog with it); returns IDOK or IDCANCEL. Empty: the modal loop.
    std::function<int(CDlgGU&)> modalRunner;

    // Creates the contents and runs the dialog; IDOK or IDCANCEL.
    int DoModal();
    // Creates the contents: texts, placement, buttons, the grid and its pages,
    // the list box. Runs once; DoModal and showing the dialog call it.
    void OnInitDialog();

    // The item (group, item) of the property list, made first when missing.
    PropertyItem* GetOrAddItem(int group, int item);
    void SetItemDouble(int group, int item, double value);
    void SetItemInt(int group, int item, int value);
    void SetItemBool(int group, int item, bool value);

    // The folder the pages are read from: pageRoot + page folder + "/" + language code.
    QString PageFolderPath() const;
    CDlgAMF* Grid() const { return m_grid; }
    QListWidget* ListBox() const { return m_listBox; }
    QPushButton* Button(int id) const;
    // The height of the button row: 54 x interface scale with button 3 or OK
    // and Cancel shown, else -2.
    int ButtonRowHeight() const;

    intptr_t OnWindowMessage(int message, intptr_t wParam, intptr_t lParam) override;

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void placeButtons(const QSize& templateSize, const QSize& newSize);
    void layoutClient();
    void listSelectionChanged(int row);
    void extraButton(int code);

    bool m_initialized = false;
    CDlgAMF* m_grid = nullptr;
    QListWidget* m_listBox = nullptr;
    QPushButton* m_buttons[5] = {};
};

}  // namespace toliva
