// The editing sheet: the widget that shows and edits an equation.
//
// The sheet renders the equation into an off-screen picture (the render
// bitmap; with a selection, the display bitmap holds the render bitmap with
// the selection painted over it) and only copies a picture to the screen when
// it paints. The caret is a rectangle inverted over that picture, blinking on
// timer 1. Window services (invalidation, timers, mouse capture, cursor,
// scroll bars, sleeps) go through a SheetBackend, so the same sheet runs on
// screen and headless; what the sheet asks of the view, the document and the
// application goes through a SheetHost.
//
// Every change of the equation runs in this order: an undo snapshot
// (PushUndo), the change on the element tree, Refresh (layout of the lines
// whose cached pictures were dropped, rendering, repaint), and the document's
// modified notification.
#pragma once

#include "model/RenderContext.h"
#include "platform/AppContext.h"
#include "sheet/SheetBackend.h"
#include "sheet/SheetHost.h"
#include "sheet/editing/EditDialogs.h"
#include "sheet/editing/EditOps.h"
#include "sheet/editing/HotkeyTable.h"
#include "sheet/editing/LineCalc.h"
#include "sheet/editing/Recognition.h"
#include "sheet/editing/Selection.h"
#include "model/SymbolKey.h"
#include "sheet/editing/Undo.h"
#include "sheet/editing/WordLists.h"
#include "tex/TeXContext.h"
#include "uikit/WindowMessages.h"

#include <QImage>
#include <QMimeData>
#include <QStringList>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace toliva {

class CDlgGU;
class CKwMenu;
struct ClipboardReadContext;
struct GlyphOutline;
class EqModel;
struct EqElement;

class CKwEESheet : public QWidget, public MessageTarget {
public:
    // The caret's blink timer and its period.
    static constexpr int kCaretTimer = 1;
    static constexpr int kCaretBlinkMs = 500;
    // The display scale in pixels per point is the editor scale times this.
    static constexpr float kPixelsPerPoint = 0.7046f;
    // Scrolling steps in pixels; thumb positions are taken in steps of 10.
    static constexpr int kLineStep = 50;
    static constexpr int kPageStep = 200;
    static constexpr int kThumbStep = 10;
    // The wait for the main window to be minimised before a capture, in polls
    // of 100 ms, and the wait for the capture, in polls of 100 ms.
    static constexpr int kIconicPolls = 50;
    static constexpr int kCapturePolls = 1000;
    // The selection's fill.
    static constexpr gp::ARGB kSelectionFill = 0x328080FF;

    // app: the editor scale, the option word and the folders; render: the
    // symbol library and the measurer (the sheet keeps a copy). host and
    // backend may be null: a host that does nothing and the on-screen
    // services.
    CKwEESheet(AppContext& app, const RenderContext& render, SheetHost* host = nullptr,
               std::unique_ptr<SheetBackend> backend = nullptr, QWidget* parent = nullptr);
    ~CKwEESheet() override;

    // ---- content

    // Takes the equation (not owned; null shows nothing).
    void SetEquation(EqModel* eq);
    EqModel* equation() const { return m_eq; }
    // Mode 0: lays out the lines whose pictures were dropped, renders,
    // repaints and notifies an embedded document; -1: renders from the
    // cached line pictures and repaints only.
    void Refresh(int mode);
    // After a change made outside the sheet's own operations.
    void CommitExternalEdit();
    void RenderEquation(int mode);
    void ComposeSelection();
    // The sheet has been painted once: before, Refresh does nothing. Runs
    // what the first paint does when it has not happened yet.
    void ShowFirstPicture();
    bool hasBeenShown() const { return m_shown; }
    float displayScale() const { return m_app.eeScale * kPixelsPerPoint; }
    // The editor scale, clamped to 0.2 .. 20; a change drops the cached
    // line pictures and renders again.
    void SetEditorScale(float scale);
    // The picture the sheet shows (render or display bitmap), null before the
    // first render; its used part is the client size.
    const QImage* shownPicture() const;
    QRect clientRect() const { return m_client; }

    // ---- scrolling

    void UpdateScrollRanges();
    int scrollX() const { return m_backend->scrollBar(Qt::Horizontal).position; }
    int scrollY() const { return m_backend->scrollBar(Qt::Vertical).position; }
    int hScrollMax() const { return m_hScrollMax; }
    int vScrollMax() const { return m_vScrollMax; }
    // A scroll-bar action (line, page, thumb).
    void OnHScroll(ScrollAction action, int thumb);
    void OnVScroll(ScrollAction action, int thumb);
    // False (and nothing done) for 0, for a negative delta at position 0 and
    // for a positive one at or beyond the maximum.
    bool ScrollHorz(int delta, bool restart);
    bool ScrollVert(int delta, bool restart);
    void EnsureCaretVisible();

    // ---- caret

    struct CaretGeometry {
        QRect bar;
        QRect underline;
        bool hasUnderline = false;
    };
    // Where the caret is drawn for the current caret element and layout.
    CaretGeometry ComputeCaretGeometry() const;
    // The geometry of the caret as drawn last (kept for erasing it).
    const CaretGeometry& caretGeometry() const { return m_caret; }
    bool caretDrawn() const { return m_caretDrawn; }
    bool caretRunning() const { return m_caretRunning; }
    bool caretEnabled() const { return m_caretEnabled; }
    void StartCaret();
    void StopCaret();
    void OnTimer(int id);
    void SetCaretElement(EqElement* e);
    QPoint GetCaretScreenPoint() const;
    void MoveCaretToPoint(QPoint clientPoint);

    // ---- selection, styles, marks

    SheetSelection& selection() { return m_sel; }
    void ClearSelection(bool rebuild);
    void SelectRange(EqElement* anchor, EqElement* caret);
    void SelectAll();
    int SelectionScope() const;
    // Character style 1-4, 16, 17 (-1 toggles upright and italic) of the
    // selection, or of the caret element without one.
    void SetSelectionStyle(int style);
    void SetSelectionColour(gp::ARGB colour);
    void ChooseSelectionColour();
    void SetSelectionFlags(uint8_t flags);
    void MarkOccurrences();
    void ResetFindMarks(bool flag);

    // ---- undo

    void PushUndo(bool lineOnly);
    void DropUnchangedUndo();
    void Undo();
    void Redo();
    void ClearUndoStack() { m_undo.ClearUndoStack(); }
    void ClearRedoStack() { m_undo.ClearRedoStack(); }
    UndoHistory& undoHistory() { return m_undo; }

    // ---- services and contexts the shell hands the sheet

    // The editing dialogs (null: the service that says they are not
    // available yet). Not owned.
    void setEditDialogs(EditDialogService* dialogs) { m_dialogs = dialogs; }
    EditDialogService& editDialogs();
    // The LaTeX reader's and writer's contexts (names, labels, delimiters)
    // for typed TeX and automatic formatting.
    TeXReadContext texRead;
    TeXWriteContext texWrite;
    // Tells the user that what was asked is not available yet.
    void NotAvailableYet(Unavailable what);
    // The recognition settings dialog of the program around the sheet; a
    // sheet without one says it is not available yet.
    void ShowRecognitionSettings();

    // ---- the command dispatcher (CKwEESheetCommands.cpp)

    // Carries out one command code; a code that no case names does nothing.
    void ExecuteCommand(int code);
    void ForwardFrameCommand(int id);
    void ToggleBold();
    void ToggleItalic();
    // The typing character type, and the tool bar follows it.
    void SetTypingType(int type);
    void ToggleRoleColours();
    // Alignment 0 left, 1 centre, 2 right, 3 at the mark, 26 set the mark.
    void SetLineAlignment(int alignment);
    // The base font size (4 to 36) through the one-line input dialog;
    // 1 on OK, else 0.
    int FontSizeDialog(bool refresh);
    int ShowEquationSettings(bool officeMode);
    void ShowPrintDialog();
    // The language of menu entry 8000 + n: 2 Chinese, else English.
    void SelectLanguage(int n);
    // An office add-in job on the equation; 1 when carried out, else 0.
    int RunOfficeJob(int job);
    // The whole equation as LaTeX (display style or inline) or MathML text,
    // with no line feed, on the clipboard (jobs 10 and 12).
    void CopyLaTeXForOffice(bool display, bool asMathML);
    // The rule-line dialog on the matrix around the caret.
    void MatrixLinesAtCaret(bool refresh);
    // Transposes the matrix around the caret (the element menu's entry).
    bool TransposeMatrixAtCaret();
    // Fills the cells of the matrix around the caret (two strings per cell).
    void FillMatrixAtCaret(const QStringList& cells, int characterType);
    // Opens a help document ("Help.pdf", "OCR_Help.pdf") beside the program.
    void OpenHelpDocument(const QString& fileName);

    // ---- insertion (CKwEESheetInsert.cpp)

    void ExecuteSymbolKey(const SymbolKey& key, bool freshEquation = false);
    // The equation built by the last fresh-equation key, for the copy that
    // asked for it (the clipboard takes it); null when none.
    std::function<void(EqModel*)> copyFreshEquation;
    void InsertElementKey(const InsertionKey& key, bool refresh);
    // A typed "+", "-" or "=" of a character type as its operator (1042,
    // 1043, 1049), except while a TeX command is typed.
    InsertionKey NormalizeKey(InsertionKey key) const;
    void InsertTemplate(int number);
    void InsertMatrixTemplate(int number);
    // The custom space (type 104) with its amount asked for; the amount of
    // the caret's custom space.
    void InsertCustomSpace(const InsertionKey& key);
    void SetCustomSpaceWidth(float amount);
    // Kinds 13 (glyph symbol of the library) and 14 (user symbol).
    void InsertUserSymbol(const SymbolKey& key);
    // The user symbols kind 14 takes its glyphs from (the user-symbol
    // panel's list; the shell sets it). Not owned.
    const std::vector<GlyphOutline*>* userSymbols = nullptr;
    // The marks of a chemical-form element (608) on the "efe" page.
    void EditChemMarks(EqElement* element);
    void ApplyChemMarks();
    // The live button of a settings dialog: the chemical-marks dialog applies
    // its values; another dialog opens the help document it names.
    void OnSettingsDialogButton(CDlgGU* sender, const QString& helpDocument);
    // The messages of the settings dialogs the sheet owns: an extra button
    // (WM_SETTINGS_DIALOG_BUTTON) goes to OnSettingsDialogButton, button 0
    // naming "Help.pdf" and the others "OCR_Help.pdf".
    intptr_t OnWindowMessage(int message, intptr_t wParam, intptr_t lParam) override;
    // A row or column of the matrix around the caret (direction 0 left, 1 up,
    // 2 right, 3 down), as one undo step; false when refused or no matrix.
    bool AddMatrixLine(int direction);
    bool RemoveMatrixLine(int direction);
    // Replaces every library-item reference (type 65) of the equation by the
    // stored formula's content (through the host).
    void ExpandItemReferences(EqModel* eq);

    // ---- line evaluation (CKwEESheetCalc.cpp)

    // Evaluates every equals sign of the line that holds the element; with
    // output (a command, a typed "=") the equation is laid out and shown
    // again and a cycle of definitions is reported. True when a result was
    // placed.
    bool CalcLine(EqElement* element, bool output);
    // Evaluates every line, definitions computed once.
    void CalcAll();
    // The value left of the equals sign as a result right after it.
    bool EvaluateAndInsert(EqElement* equals, int format, int angle);
    // After an element was inserted (typed or from a symbol key): an "="
    // evaluates its line at once with automatic calculation, unless the
    // calculation waits for Shift+Enter.
    void CalcAfterInsertion(const EqElement* inserted);

    // ---- copy, paste, drop and recognition (CKwEESheetClipboard.cpp)

    // The selection copied into the clipboard equation; false without a
    // selection or when the copy holds no line.
    bool PrepareClipboardEquation();
    EqModel* clipboardEquation() const { return m_clipboardEq.get(); }
    void Copy();                      // code 33
    void Cut();                       // code 32
    void CopyAsText(bool asMathML);   // codes 144 (LaTeX), 145 (MathML)
    // A deep copy of source (with its following siblings) into the sheet's
    // equation, linked after previous under parent.
    EqElement* CopyElementTreeIntoSheet(const EqElement* source, EqElement* previous, EqElement* parent);
    // Copies of every line of source at the caret (no undo step).
    void InsertEquationAtCaret(EqModel* source);
    // The same as one undo step that replaces the selection.
    void InsertEquation(EqModel* eq);
    // The LaTeX text read into a new equation and inserted; the reader's verdict.
    bool InsertLaTeXText(const QString& text);
    void Paste();                     // code 34
    void PasteText();                 // code 37
    void ReplaceMarked();             // code 157
    void ReplaceAllMarked(EqModel* replacement);
    // Characters typed in as elements: brackets become structures, operators
    // and arrows their elements.
    void InsertPlainText(QStringView text);
    // Dropped data at the caret: a drag from this sheet moves its selection
    // unless ctrlHeld; true when something was inserted.
    bool DropDataObject(const QMimeData& data, bool ctrlHeld);
    void ImportLaTeXFile();           // office job 11
    void PasteClipboardMathML();      // office job 13
    // Formula recognition of the clipboard's image, of a picture file.
    void RecognizeClipboardImage();
    void RecognizeImageFile(const QString& path, bool isMetafile);
    // Whether the last recognition inserted its formula.
    bool lastRecognitionInserted = false;
    // Reads the document file of an embedded equation object of the program
    // (pasted or dropped); set by the program, empty: such objects are not
    // read.
    std::function<std::unique_ptr<EqModel>(const QByteArray& documentFile)> readEmbeddedItem;
    // The recognition client (null: the service that says it is not
    // available yet). Not owned.
    void setRecognition(RecognitionService* recognition) { m_recognition = recognition; }
    RecognitionService& recognition();

    // ---- picture export (CKwEESheetExport.cpp)

    void ExportDialog();              // code 136
    void ExportBitmapFile(const QString& path);
    void CopyPicture();               // code 146

    // ---- the main and context menus (CKwEESheetMenus.cpp)

    // Build the menu, track it at the point and carry out the choice; the
    // chosen identifier (0: none).
    unsigned ShowMainMenu(QPoint screenPoint);
    unsigned ShowContextMenu(QPoint screenPoint);
    // A context-menu element code on the element its submenu was built for;
    // false when not handled.
    bool ApplyElementMenuCode(EqElement* element, int code);
    // The element's type swapped with its variant partner; false when it has none.
    bool SwapElementVariant(EqElement* element);
    // Tracks the menus in place of their modal loop (tests choose an
    // identifier); empty: CKwMenu::TrackPopupMenu.
    std::function<unsigned(CKwMenu& menu, QPoint screenPoint)> trackMenu;

    // ---- typed TeX and Enter (CKwEESheetTeX.cpp)

    void OnEnterKey(bool shift = false);
    // Converts the run of type-5 characters around the caret; false (and the
    // user told) when the text does not convert.
    bool ConvertTypedTeX();
    void UpdateTeXPrompt();
    void AcceptTeXCandidate(const QString& text, int kind);

    // ---- keys and the input method (CKwEESheetKeys.cpp)

    // One keyboard message in the window system's terms.
    struct KeyMessage {
        enum Kind { Char, KeyDown, KeyUp, ImeComposition, Other };
        Kind kind = Other;
        int vk = 0;        // KeyDown, KeyUp: the virtual-key code
        uint16_t ch = 0;   // Char: the UTF-16 character
        bool ctrl = false, shift = false, alt = false;
    };
    // The sheet's keyboard handling in its fixed order; true when the
    // message was used.
    bool HandleKeyMessage(const KeyMessage& message);
    // A Qt key press: the key-down path first, then, when it declines, the
    // event's text as typed characters. True when used.
    bool HandleKeyPress(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text, bool keypad);
    bool HandleKeyRelease(int qtKey, Qt::KeyboardModifiers modifiers, bool keypad);
    // The input method: a commit string is typed text; the preedit string
    // is drawn at the caret.
    void CommitInputText(const QString& text);
    void SetPreeditText(const QString& text);
    const QString& preeditText() const { return m_preedit; }
    // The Greek letter of a Latin letter for Ctrl+G, else the character.
    static uint16_t GreekLetterFor(uint16_t ch);
    HotkeyTable& hotkeys() { return *m_hotkeys; }
    // The tile sheet's item hot keys ({0xFEDF, 0xFEDF} entries); true when
    // an item took the key. Set by the shell.
    std::function<bool(int vk, bool ctrl, bool shift, bool alt)> tileHotkey;

    // ---- hotkey editing (CKwEESheetHotkey.cpp), the word lists

    // Edits the binding of one key on the "hot_key" page of the settings
    // dialog; caption names the symbol on the page. A refused combination
    // (no Ctrl or Alt, or one the editor keeps) is reported and the page
    // opens again. The user-symbol panel key is not edited: the panel opens
    // instead, unless the call comes from a panel.
    void EditHotkey(const SymbolKey& key, bool fromPanel, const QString& caption = {});
    // Runs the settings dialogs the sheet opens in place of their modal loop
    // (tests answer them); empty: the modal loop.
    std::function<int(CDlgGU&)> runSettingsDialog;
    // The key list of the hotkey page: virtual-key codes of positions 1 to 66
    // (position 0 is none); the position of a code, 0 when it has none.
    static const std::array<int, 66>& HotkeyDialogKeys();
    static int HotkeyDialogPosition(int vk);
    // Combinations the editor keeps for itself.
    static bool IsReservedHotkey(int vk, bool ctrl, bool shift, bool alt);
    WordLists& wordLists() { return m_words; }
    // The settings pages empty the lists before they load a file into them.
    void ClearAutoWords() { m_words.words.clear(); }
    void ClearConstants() { m_words.constants.clear(); }
    void UpdateListNameLengths() { m_words.UpdateListNameLengths(); }
    // The current character type of typed characters (1 upright, 2 italic,
    // 3 bold, 4 bold italic, 16, 17).
    int typingType = EqTypeCharItalic;
    bool autoWords = true;

    // ---- the rest of the window

    // The screen capture for recognition: minimise, start the capture
    // program, wait for its outcome, restore, hand a taken image on.
    void RunCapture();
    // Where the capture program's lock is looked for; empty: CaptureLockPath().
    QString captureLockPath;
    void CloseIfEmbedded();

    // The drag of a selection that is pressed on; set by the clipboard code.
    // Returns whether a drag ran. Without it, a press in the selection is an
    // ordinary press.
    std::function<bool(QPoint clientPoint)> dragSelection;

    SheetBackend& backend() { return *m_backend; }
    SheetHost& host() { return *m_host; }
    AppContext& appContext() { return m_app; }
    const RenderContext& renderContext() const { return m_render; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    bool focusNextPrevChild(bool next) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // Whether dropped data can go into the equation.
    bool takesDrop(const QMimeData* data) const;
    // A drag over the sheet: accepted with the action a drop would take when
    // its data can go into the equation, else ignored. True when accepted.
    bool acceptDrag(QDropEvent* event);

private:
    struct PendingKey {
        int32_t type = -1;
        uint16_t ch = 0;
    };

    void refresh(int mode, bool notify);
    void ensureBitmaps();
    void drawCaret(bool on);
    bool scrollBy(Qt::Orientation o, int delta, bool restart);
    void onScrollAction(Qt::Orientation o, ScrollAction action, int thumb);
    void refreshPictureCurrent();
    // Undo (false) or redo (true) one step of the history.
    void restoreFromHistory(bool redo);
    // Keys (CKwEESheetKeys.cpp).
    bool OnKeyDown(const KeyMessage& message);
    // The combination code: the virtual-key code, 0x10000 with Ctrl,
    // 0x100000 with Shift, 0x1000000 with Alt.
    bool OnShortcutKey(int combination);
    bool OnKeyUp(const KeyMessage& message);
    bool OnAltColourKey(bool ctrl, bool shift, int vk);
    bool ClassifyChar(uint16_t ch);
    void InsertTypedKey();
    void moveCaretByKey(EqElement* target, bool shift);
    void deleteAtCaret(bool forward);
    void OnEscape();
    // Insertion (CKwEESheetInsert.cpp).
    EqElement* insertAtCaret(const InsertionKey& key);
    // A symbol key of an inserting kind at the caret.
    void insertSymbolKey(const SymbolKey& key);
    // InsertElementKey; returns the new element, null when nothing was
    // inserted (a cancelled symbol selection).
    EqElement* insertElementKey(const InsertionKey& key, bool refresh);
    // What runs on a typed character after it is inserted: TeX typing and
    // automatic formatting (CKwEESheetTeX.cpp).
    TypedCharacterHook characterHook();
    bool changeMatrixLines(int direction, bool add);
    LineCalcContext lineCalcContext();
    // Clipboard (CKwEESheetClipboard.cpp): what the readers of pasted and
    // dropped data need; the drag of the selection (QDrag); an image handed
    // to recognition and its formula inserted.
    ClipboardReadContext clipboardReadContext();
    // InsertEquationAtCaret and InsertEquation; with move the equation's
    // elements move into the sheet's (it is left empty) instead of being
    // copied. The last element inserted, null when none.
    EqElement* placeEquation(EqModel* source, bool move);
    void insertEquation(EqModel* eq, bool move);
    // One undo step around a change that brings elements in (recording off
    // while it runs), then refresh; no step when nothing changed.
    void pastedStep(const std::function<void()>& change);
    bool startSelectionDrag();
    void recognizeImage(const QImage& image);

    AppContext& m_app;
    RenderContext m_render;
    SheetHost* m_host;
    std::unique_ptr<SheetBackend> m_backend;
    EqModel* m_eq = nullptr;

    WordLists m_words;
    UndoHistory m_undo;
    SheetSelection m_sel;
    VariableCache m_variableCache;  // filled while every line is evaluated
    bool m_calculatingAll = false;
    bool m_cycleMet = false;
    EqElement* m_pressCaret = nullptr;
    std::unique_ptr<HotkeyTable> m_hotkeys;

    int m_hScrollMax = 0;
    int m_vScrollMax = 0;
    QRect m_client{0, 0, 10, 10};

    QImage m_renderBitmap;
    QImage m_displayBitmap;
    QSize m_usedSize;
    const QImage* m_shownBitmap = nullptr;
    mutable std::recursive_mutex m_cs;

    CaretGeometry m_caret;
    bool m_caretDrawn = false;
    bool m_caretRunning = false;
    bool m_caretElementVisible = true;

    bool m_shown = false;
    bool m_caretEnabled = false;
    bool m_pictureCurrent = false;
    bool m_mouseSelecting = false;
    bool m_dragging = false;
    bool m_tearingDown = false;

    PendingKey m_lastKey;
    PendingKey m_pendingKey;

    EditDialogService* m_dialogs = nullptr;
    std::unique_ptr<UnavailableEditDialogs> m_noDialogs;

    // Keys: the Alt tap (0 nothing, 1 another key went down, 2 a modifier
    // went down at m_altTapCaret), the bare Ctrl key as the previous
    // key-down, the Greek one-shot and the quote toggle of text mode.
    int m_altTapState = 0;
    EqElement* m_altTapCaret = nullptr;
    bool m_prevBareCtrl = false;
    bool m_greekOneShot = false;
    bool m_quoteToggle = false;
    QString m_preedit;

    // The clipboard equation; the drag that started in this sheet.
    std::unique_ptr<EqModel> m_clipboardEq;
    bool m_dragFromHere = false;
    RecognitionService* m_recognition = nullptr;
    std::unique_ptr<UnavailableRecognition> m_noRecognition;

    // The chemical-marks dialog while it is open, and its element.
    CDlgGU* m_chemDialog = nullptr;
    EqElement* m_chemElement = nullptr;
};

}  // namespace toliva
