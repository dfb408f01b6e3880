// The property grid: a child window that shows settings as drawn pages. Each
// page is a page picture (CKwEMF_GPL) whose fields show the values of one
// group of a property list: group index = page index, item index = field
// item number - 1. The user clicks or tabs to a field and edits it in place
// (text boxes), toggles it (check boxes, options) or picks a colour, font,
// file or folder through the dialog service.
//
// The grid tells its owner about clicks and changes by numbered messages:
//   WM_PROPERTY_ITEM_CLICK    0x1F59  a button field fired          sent    (item number, 0)
//   WM_PROPERTY_OPTION_CHOSEN 0x1F5A  an option field was chosen    sent    (item number, 0)
//   WM_PROPERTY_ITEM_CHANGED  0x1F5F  the in-place edit changed     posted  (item number, 0)
//   WM_COMMAND                        Enter / Escape                posted  (IDOK or IDCANCEL, 0)
// A sent message is a direct call on the owner's MessageTarget; a posted one
// is a WindowMessageEvent queued to the owner. WM_PROPERTY_GRID_POSTED
// (0x1F5E) is posted to the grid itself to apply a pending choice or colour.
//
// The owner fills pageFiles and propertyList, then calls Create (or
// OnInitDialog) and gives the grid its geometry.
#pragma once

#include "platform/MessageSink.h"
#include "uikit/CKwEMF_GPL.h"
#include "uikit/KitDialogs.h"
#include "uikit/WindowMessages.h"

#include <QString>
#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

class QLineEdit;
class QPlainTextEdit;

namespace toliva {

class CKwPGL;

class CDlgAMF : public QWidget, public MessageTarget {
    Q_OBJECT
public:
    // Control ids of the two in-place edits.
    static constexpr int kSingleLineEditId = 2072;
    static constexpr int kMultiLineEditId = 2073;
    // Colour of a pressed button (ARGB).
    static constexpr uint32_t kPressedButtonArgb = 0x33806000;

    // A page list entry split into the file and the title between two '$'.
    struct PageEntry {
        QString path;
        QString title;  // empty when the entry names none
    };
    static PageEntry SplitPageEntry(const QString& entry);
    // The title a page file shows when its entry names none: the file name
    // without ".apx", less its first three characters when it begins with '0'
    // and is longer than three ("010Display" shows as "Display").
    static QString TitleFromFileName(const QString& path);
    // Row height of the page list, in multiples of the font size, by page count.
    static int PageListRowFactor(int pageCount);

    // The owner receives the messages and becomes the parent window.
    explicit CDlgAMF(QWidget* owner);
    ~CDlgAMF() override;

    // ---- set by the owner before creation
    QStringList pageFiles;           // ".apx" or ".apg" paths, optionally with "$title$"
    CKwPGL* propertyList = nullptr;  // not owned
    float fontSize;                  // interface text size in pixels
    float pageListFraction = 0.2f;   // of the client width
    float verticalFraction = 0.0f;   // handed over by the settings dialog; not used in drawing
    uint32_t backgroundColour = 0xFFFFFF;  // COLORREF
    // What WM_PROPERTY_GRID_POSTED applies: wParam 1 the choice, 3 the colour.
    int pendingChoice = 0;
    uint32_t pendingColour = 0;
    // The optional preview line over the current page's last field; empty: none.
    QString previewText;

    // Loads the pages and shows the grid.
    void Create();
    // Loads the pages of pageFiles; the current page is kept inside the pages.
    void OnInitDialog();
    // Post WM_COMMAND IDOK / IDCANCEL to the owner; the grid stays open.
    void OnOK();
    void OnCancel();

    int PageCount() const { return int(m_pages.size()); }
    CKwEMF_GPL* Page(int index) const;
    int CurrentPage() const { return m_currentPage; }
    // Selects a page (ignored when out of range): hides the edits and repaints.
    void SetCurrentPage(int index);
    // The page to show first; clamped into the pages when they are loaded.
    void SetStartPage(int index) { m_currentPage = index; }
    int CurrentField() const { return m_currentField; }
    bool PageListShown() const { return PageCount() > 1; }
    // Client rectangles of the page list and of the page.
    QRect PageListRect() const;
    QRect PageRect() const;
    // The field of the current page at a client point; -1 when none.
    int FieldAt(const QPoint& clientPoint) const;
    // A field's laid-out box in client coordinates.
    QRect FieldRect(int fieldIndex) const;

    // How a field is activated: a mouse click (point given), Tab, or Space.
    enum class Activation { Click, Tab, Space };
    void ActivateField(int fieldIndex, Activation how, const QPoint& clientPoint = {});
    // Whether the button field is a path button, and which: 1 browse,
    // 2 desktop, 3 work path; 0 when it is none.
    int PathButtonKind(int fieldIndex) const;

    // Renders both back buffers, then repaints.
    void RenderPage();
    void BlitPage();
    // The edits (for the owner's and tests' use).
    QLineEdit* SingleLineEdit() const { return m_singleEdit; }
    QPlainTextEdit* MultiLineEdit() const { return m_multiEdit; }
    // Hides both edits.
    void HideEdits();

    intptr_t OnWindowMessage(int message, intptr_t wParam, intptr_t lParam) override;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    // The keys the grid handles before anything else; true when used.
    bool preTranslateKey(QKeyEvent* event);
    void nextPage(bool wrap);
    void previousPage(bool wrap);
    void tabToNextField();
    void pressButton(int fieldIndex);
    void fireButton(int fieldIndex);
    void firePathButton(int fieldIndex, int kind);
    void openEdit(int fieldIndex);
    void editTextChanged(const QString& text);
    void pickColour(int fieldIndex);
    void pickFont(int fieldIndex, bool colourOnly);
    void applyPostedChoice();
    void applyPostedColour();
    void renderPageList();
    void renderPageBuffer();
    // The item index (0-based) a field shows; -1 for none.
    int itemIndexOf(int fieldIndex) const;
    const PictureField* field(int fieldIndex) const;

    QWidget* m_owner;
    std::vector<std::unique_ptr<CKwEMF_GPL>> m_pages;
    int m_currentPage = 0;
    int m_currentField = -1;
    int m_editField = -1;       // the field whose edit is shown
    bool m_pressed = false;
    bool m_editing = false;
    bool m_settingText = false;
    QPoint m_lastClick;         // relative to the page origin
    CachedBitmap m_listBuffer;
    CachedBitmap m_pageBuffer;
    QLineEdit* m_singleEdit = nullptr;
    QPlainTextEdit* m_multiEdit = nullptr;
    // File filters of browse buttons, by (page, item index), kept once seen.
    std::map<std::pair<int, int>, QString> m_fileFilters;
};

}  // namespace toliva
