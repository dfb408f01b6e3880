// The more-symbols picker: a modal dialog showing every node of one symbol
// group (not only the cells that fit its bar) in a scrolling grid of a plain
// symbol panel, a page at a time.
//
// Two ways to run it: picking (one click on a symbol chooses it and closes
// with OK; a right click opens the symbol menu when a sheet is set), and
// replace mode (the symbol now in a bar cell is marked on its page; a click
// marks another, OK confirms). On OK the caller reads chosenKey (picking) or
// currentKey (replace mode); Cancel leaves both as the caller gave them.
//
// Controls: scroll bar 1297, the placeholder 1333 whose top-left corner is
// where the panel goes, OK 1, Cancel 2; texts from "LANG_12.xml" group
// "gCS_1" (the dialog item 1, OK item 2, Cancel item 3).
#pragma once

#include "model/SymbolKey.h"
#include "uikit/WindowMessages.h"

#include <QDialog>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <functional>
#include <vector>

class QPushButton;
class QScrollBar;

namespace toliva {

class CKwMenu;
class CKwTBG;
class CKwTBPanel;
struct CKwTBN;
struct PanelContext;

// What the picker's symbol menu needs of the editing sheet; the program
// hands one in when the picker inserts into a sheet.
class SymbolMenuSheet {
public:
    virtual ~SymbolMenuSheet() = default;
    // The sheet's equation has marked elements.
    virtual bool HasMarkedElements() const = 0;
    // The key combinations now bound to the key, as the hot-key table writes them.
    virtual QString HotkeyText(const SymbolKey& key) const = 0;
    // The TeX hint of the key (text, a tab, the shortcut column); may be empty.
    virtual QString TeXHint(const SymbolKey& key) const = 0;
    // Builds the key's symbol alone and puts it in place of the marked elements.
    virtual void ReplaceMarked(const SymbolKey& key) = 0;
    // Opens the hot-key dialog for the key.
    virtual void EditHotkey(const SymbolKey& key, const QString& hint) = 0;
};

class CDialogMoreSym : public QDialog, public MessageTarget {
public:
    enum ControlId { kOk = 1, kCancel = 2, kScrollBar = 1297, kPlaceholder = 1333 };
    // The symbol menu's entries.
    enum MenuId : unsigned { kMenuTeXHint = 2, kMenuHotkey = 3, kMenuReplaceMarked = 8 };
    // Scroll-bar codes.
    enum ScrollCode { kLineUp, kLineDown, kPageUp, kPageDown, kThumbTrack };
    // The placeholder's top-left corner in the dialog: the panel's corner,
    // and its left offset the margin on both sides.
    static constexpr int kPlaceholderX = 11;
    static constexpr int kPlaceholderY = 11;

    // nodes: the bar group's node list (not owned; must outlive the dialog).
    // context: the panel context of the bar (scale, colours, language).
    CDialogMoreSym(const std::vector<CKwTBN*>* nodes, const PanelContext& context, QWidget* parent = nullptr);
    ~CDialogMoreSym() override;

    // Set by the caller before the dialog runs.
    SymbolMenuSheet* m_pSheet = nullptr;  // picking only; the symbol menu needs it
    bool m_bReplaceMode = false;
    SymbolKey m_currentKey;               // replace mode: the symbol marked
    SymbolKey m_chosenKey;                // picking: the symbol chosen
    bool m_bLargeCells = false;

    // Runs the dialog; IDOK or IDCANCEL.
    int DoModal();
    // Runs in place of the modal loop when set (tests answer the dialog).
    std::function<int(CDialogMoreSym&)> runModal;
    // Tracks the symbol menu in place of its modal loop (tests choose);
    // returns the chosen id, 0 for none.
    std::function<unsigned(CKwMenu& menu, QPoint screenPoint)> trackMenu;
    // Where the mouse pointer is (tests place it); empty: the cursor.
    std::function<QPoint()> pointerPos;

    // The grid, the size and place, the caption, the first page (once).
    void OnInitDialog();

    // Scrolling: by rows (relative) or to a row; the first row stays within
    // 0 .. max(0, total rows - visible rows). Nothing happens when it does
    // not change.
    void ScrollTo(int rows, bool relative);
    void OnVScroll(ScrollCode code, int thumbPosition = 0);
    // A wheel turn: notches towards the user (positive) scroll down by half
    // a page each, away from the user up.
    void OnWheel(int notchesTowardsUser);
    // The mouse at a screen point.
    void OnLeftButtonDown(QPoint screenPoint);
    void OnLeftButtonUp(QPoint screenPoint);
    void OnRightButtonDown(QPoint screenPoint);
    // The panel's right click: the symbol menu of the pressed node.
    intptr_t OnWindowMessage(int message, intptr_t wParam, intptr_t lParam) override;
    void ShowSymbolMenu(const SymbolKey& key, QPoint screenPoint);

    // Where a dialog of the size goes for a mouse pointer: centred on it
    // horizontally, at least 5 pixels inside the main window's and the work
    // area's left edges and not past their right edges less 5; its top at the
    // pointer, kept above the main window's bottom less 5 and inside the work
    // area.
    static QPoint Placement(QSize size, QPoint pointer, const QRect& mainWindow, const QRect& workArea);

    int columns() const { return m_nCols; }
    int visibleRows() const { return m_nVisibleRows; }
    int cellsPerPage() const { return m_nCellsPerPage; }
    int firstRow() const { return m_nFirstRow; }
    int totalRows() const { return m_nTotalRows; }
    int currentIndex() const { return m_nCurrentIndex; }
    // The scroll range as the dialog gives it: 0 .. total rows - 1, a page of
    // the visible rows.
    int scrollMinimum() const { return 0; }
    int scrollMaximum() const { return m_nTotalRows - 1; }
    int scrollPage() const { return m_nVisibleRows; }
    CKwTBPanel* panel() const { return m_panel; }
    CKwTBG* pickerGroup() const;
    QScrollBar* scrollBar() const { return m_scroll; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    // Shows the page from the first row; in replace mode marks the current
    // symbol when it lies on the page.
    void showPage();
    void syncScrollBar();
    int nodeCount() const;

    const std::vector<CKwTBN*>* m_nodes;
    const PanelContext& m_context;
    CKwTBPanel* m_panel;
    QScrollBar* m_scroll;
    QWidget* m_placeholder;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    int m_nCols = 16;
    int m_nVisibleRows = 8;
    int m_nCellsPerPage = 128;
    int m_nCurrentIndex = -1;
    int m_nFirstRow = 0;
    int m_nTotalRows = 0;
    bool m_initialized = false;
    bool m_syncing = false;
    bool m_pressed = false;
};

}  // namespace toliva
