// The user symbol panel: a modeless window owned by the sheet window that
// keeps the user's own symbols (glyph records) in an ordered list, shows them
// in a scrolling grid and hands a clicked one to the sheet for insertion.
// The list is read from the per-user "KwGLData.gph" when the panel is made
// and written back when it is destroyed; a file that read only in part is
// never overwritten unless the list changed since, the old file is kept as
// "KwGLData.gph.bak", and the new one is written beside it and renamed.
//
// Controls: "New..." 1288, "Load..." 1299, "Save As..." 1300, "Clear" 1305,
// "Extract" 1301, Close 2, grid 1333, scroll bar 1297; texts from group
// "gCS_1" of "LANG_10.xml".
#pragma once

#include "model/GlyphOutline.h"

#include <QDialog>
#include <QRect>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class QPushButton;
class QScrollBar;

namespace toliva {

class CDlgUserSymEditor;

// What the panel needs of the sheet; the shell implements it.
class UserSymbolSheet {
public:
    virtual ~UserSymbolSheet() = default;
    // Inserts the symbol at 0-based index (a key of kind 14 with code index + 1).
    virtual void InsertUserSymbol(int index) = 0;
    // Copies of every user symbol used in the equation, depth-first in order.
    virtual std::vector<std::unique_ptr<GlyphOutline>> CollectUserSymbols() { return {}; }
    // The hotkey setting for the key {14, code, 0}.
    virtual void SetHotkeyForUserSymbol(int /*code*/) {}
    // The caption of that key's hotkey, empty when it has none.
    virtual QString HotkeyCaption(int /*code*/) { return {}; }
};

class CDlgUserSymPanel : public QDialog {
public:
    enum ControlId {
        kClose = 2, kNew = 1288, kLoad = 1299, kSaveAs = 1300, kClear = 1305, kExtract = 1301,
        kGrid = 1333, kScrollBar = 1297
    };
    // Context menu commands.
    enum MenuId {
        kMenuAdd = 1, kMenuEdit = 2, kMenuUp = 16, kMenuDown = 17, kMenuFront = 18, kMenuEnd = 19,
        kMenuDelete = 32, kMenuCopyFormat = 48, kMenuPasteFormat = 49, kMenuCopy = 64, kMenuPaste = 65,
        kMenuCut = 66, kMenuHotkey = 128
    };
    static constexpr int kRows = 8;

    // userFolder: where "KwGLData.gph" lives (ends with a separator or not).
    CDlgUserSymPanel(UserSymbolSheet* sheet, const QString& userFolder, const QString& programFolder,
                     const QString& languageCode, float uiScale, QWidget* parent = nullptr);
    ~CDlgUserSymPanel() override;

    // Reads "KwGLData.gph" (emptying the list first); called by the constructor.
    void OnCreate();
    void OnInitDialog();
    // Texts of the window and its buttons in the given language.
    void ApplyLanguage(const QString& languageCode);

    // The list; the sheet reads symbols from it for insertion.
    const GlyphList& symbols() const { return m_symbols; }
    // Pointers to the records, kept current for the sheet.
    const std::vector<GlyphOutline*>& symbolPointers() const { return m_pointers; }

    // Inserts a copy before the symbol at the insertion index, or appends.
    void AddGlyph(const GlyphOutline& glyph);
    // Runs the editor with the insertion index set (-1: at the end).
    void OpenSymbolEditor(int index);

    // Buttons.
    void OnNewSymbol();
    void OnLoad();
    void OnSaveAs();
    void OnClear();
    void OnExtract();

    // Appends a file's records; false when it does not open.
    bool LoadFile(const QString& path);
    // Writes the per-user file as the destructor does; false when skipped or failed.
    bool SaveUserFile();
    QString userFilePath() const;

    // The context menu for symbol index i: which items show, then the action.
    std::vector<int> MenuItems(int index) const;
    void RunMenuCommand(int id, int index);
    void ShowSymbolMenu(int index, QPoint screenPoint);

    // Layout numbers.
    static int ColumnsForDpi(int logPixelsY) { return int(18 * logPixelsY / 96); }
    static int RowCount(int symbolCount, int columns) { return columns > 0 ? symbolCount / columns + 1 : 1; }
    int columns() const { return m_columns; }
    int rowCount() const { return m_rowCount; }
    int scrollPosition() const { return m_scroll; }
    int cellSize() const;
    void ScrollPanel(int position, bool relative);
    void RefreshPanel();
    // Symbol index of a point inside the grid, or -1.
    int IndexAt(QPoint gridPoint) const;
    // Clicks on the grid (in the grid's coordinates).
    void ClickCell(QPoint gridPoint);
    QRect gridRect() const { return m_gridRect; }

    // Replaceable outside effects (tests answer them).
    std::function<QString(bool save, const QString& suggested)> chooseFile;  // empty: cancelled
    std::function<bool(const QString& text, const QString& title)> askYesNo;
    std::function<void(const QString& text)> showInfo;
    std::function<int(const std::vector<int>& items, QPoint at)> trackMenu;  // 0: nothing chosen
    // Runs the editor; index -1 with source none: a new symbol. Returns IDOK or IDCANCEL.
    std::function<int(CDlgUserSymPanel& panel, GlyphOutline* source)> runEditor;
    // Work area for clamping the window (empty: the screen's).
    QRect workArea;
    int logPixelsY = 0;  // 0: the screen's

    bool loadedInPart() const { return m_partialLoad; }
    bool listChanged() const { return m_changed; }

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void wheelEvent(QWheelEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void reject() override;

private:
    void LayoutUserSymbolPanel();
    void syncPointers();
    void changed();

    UserSymbolSheet* m_sheet;
    QString m_userFolder;
    QString m_programFolder;
    QString m_languageCode;
    float m_uiScale;
    GlyphList m_symbols;
    std::vector<GlyphOutline*> m_pointers;
    std::unique_ptr<std::array<float, 8>> m_format;
    std::unique_ptr<GlyphOutline> m_clipboard;
    QRect m_gridRect;
    int m_columns = 18;
    int m_scroll = 0;
    int m_rowCount = 1;
    int m_insertAt = -1;
    int m_pressed = -1;
    int m_cell = 36;
    bool m_partialLoad = false;
    bool m_fileFound = false;
    bool m_changed = false;
    QScrollBar* m_scrollBar = nullptr;
    QPushButton* m_buttons[6] = {};
};

}  // namespace toliva
