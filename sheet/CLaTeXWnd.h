// The LaTeX source window: a Scintilla control (made by the source-editor
// control library, sheet/editor/) driven with Scintilla messages. It applies
// the editor's appearance record as styles of the LaTeX lexer, keeps brace
// matching up to date, converts text between UTF-16 and the control's UTF-8,
// replaces the command being typed with a candidate picked in the prompt bar,
// reads and writes ".txt" files and has its own context menu and keys.
//
// The window lives in the LaTeX editing pane (CDialogTeXEdt), which it asks
// for everything beyond the text: applying it to the equation, the settings
// dialog, the prompt bar and the view's mode switch.
#pragma once

#include "sheet/editing/LaTeXEditorStyle.h"
#include "sheet/editor/SourceEditorControl.h"

#include <QByteArray>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>

#include <functional>

class QKeyEvent;
class QsciScintillaBase;

namespace toliva {

class CDialogTeXEdt;
class CKwMenu;

// What loading the source-editor control library gave.
struct SourceEditorLibrary {
    bool loaded = false;
    TolivaSourceEditorFactory create = nullptr;  // null unless loaded
    QString path;                                // the file loaded
    QString error;                               // why it did not load
};

// A text of the source window's message group (LANG_08.xml "gMSG_3"),
// '|' turned into line breaks; the fallback when the item is missing.
QString SourceWindowMessage(const QString& languageCode, int item, const QString& fallback);

// Loads the control library by its bare name, then from the program folder
// (empty: the folder of the running program), and resolves its factory.
// Loading twice is harmless: the library stays loaded for the process.
SourceEditorLibrary LoadSourceEditorLibrary(const QString& programFolder = QString());

class CLaTeXWnd : public QObject {
    Q_OBJECT
public:
    // Scintilla's style numbers and lexer the window uses.
    static constexpr int kStyleDefault = 32;
    static constexpr int kStyleBraceLight = 34;
    static constexpr int kLexerLaTeX = 14;
    // The conversion buffers grow in steps of this many bytes (UTF-8) and
    // units (UTF-16).
    static constexpr int kBufferStep = 1024;
    // The context menu's entries (the items of its language group).
    enum MenuItem : unsigned {
        MenuApply = 1,
        MenuUndo = 2,
        MenuRedo = 3,
        MenuCut = 4,
        MenuCopy = 5,
        MenuPaste = 6,
        MenuOpen = 7,
        MenuSave = 8,
        MenuSettings = 9,
        MenuWrap = 10,
        MenuCaretLine = 11,
        MenuLineNumbers = 12,
    };

    // owner: the pane (may be null: a window on its own, with no apply,
    // settings or prompt bar).
    explicit CLaTeXWnd(CDialogTeXEdt* owner = nullptr);
    ~CLaTeXWnd() override;

    // Creates the control through the factory as a visible child of parent
    // with the rectangle and the control id, and sets it up (UTF-8, smooth
    // font, no built-in context menu). False when there is no factory or it
    // made no Scintilla control.
    bool Create(TolivaSourceEditorFactory factory, const QRect& rect, QWidget* parent, int id);
    bool isCreated() const { return !m_control.isNull(); }
    // The control (null before Create).
    QsciScintillaBase* control() const;
    QWidget* widget() const;
    CDialogTeXEdt* owner() const { return m_owner; }
    // The language of the window's texts: the owner's application's, else
    // English.
    QString languageCode() const;

    // One Scintilla message (0 without a control).
    long Send(unsigned msg, unsigned long wParam = 0, long lParam = 0) const;
    long SendPtr(unsigned msg, unsigned long wParam, const void* lParam) const;

    // ---- appearance

    LaTeXEditorStyle style;
    // Writes the style to the user's settings file; called by
    // ApplyEditorStyle(true). Empty: nothing is written.
    std::function<bool(const LaTeXEditorStyle&)> saveStyle;
    // Applies the style to the control; with save also writes it. Nothing
    // happens while the style has no token styles.
    void ApplyEditorStyle(bool save);

    // ---- text

    // Replaces the text (an empty text empties the editor).
    void SetEditorText(const QString& text);
    // Fills the UTF-8 buffer (and with asUtf16 the UTF-16 buffer) with the
    // whole text. Returns the bytes with the terminator, or with asUtf16 the
    // UTF-16 units with the terminator; 0 for a text too long to hold.
    int GetEditorText(bool asUtf16);
    // The whole text as UTF-16.
    QString editorText();
    const QByteArray& utf8Buffer() const { return m_utf8; }
    const QString& utf16Buffer() const { return m_utf16; }
    int utf8Capacity() const { return m_utf8Capacity; }
    int utf16Capacity() const { return m_utf16Capacity; }

    // ---- the command being typed and the prompt bar's candidates

    // The command before the caret: a backslash followed only by ASCII
    // letters up to the caret. True when found; its text and byte positions
    // are kept.
    bool FindTypedCommand();
    const QString& typedCommand() const { return m_typed; }
    long typedStart() const { return m_typedStart; }
    long typedEnd() const { return m_typedEnd; }
    // Replaces the typed command with a picked candidate of the kind (the
    // prompt bar's kinds: 0 a plain command, 1 to 5 with their suffixes,
    // 1001 to 4096 the caret that many characters back from the end, 4097
    // and above a matrix template).
    void InsertCandidate(int kind, const QString& text);
    // Adds text at the caret, then moves the caret back caretOffset
    // characters.
    void InsertAtCaret(int caretOffset, const QString& text);
    // The caret's screen point one text line below it, for the prompt bar.
    void UpdateCaretPoint();
    QPoint caretPoint() const { return m_caretPoint; }

    // ---- brace matching, files, keys, menu

    void UpdateBraceMatch();
    // The two file commands of the context menu.
    void OpenTextFile();
    void SaveTextFile();
    // The window's keys; true when the key was used (and is consumed).
    bool PreTranslateMessage(QKeyEvent* event);
    void OnContextMenu(QPoint screenPoint);
    // Carries out a context-menu entry.
    void RunMenuCommand(unsigned item);
    // Tracks the context menu in place of its modal loop (tests choose an
    // entry); empty: CKwMenu::TrackPopupMenu.
    std::function<unsigned(CKwMenu& menu, QPoint screenPoint)> trackMenu;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Grows a capacity in steps of kBufferStep until it holds needed.
    static int grown(int capacity, int needed);
    // The UTF-8 text between two byte positions.
    QByteArray textRange(long start, long end) const;
    void matchBrace(long position);

    CDialogTeXEdt* m_owner;
    QPointer<QWidget> m_control;
    QPointer<QWidget> m_viewport;
    QsciScintillaBase* m_sci = nullptr;

    QByteArray m_utf8;
    QString m_utf16;
    int m_utf8Capacity = kBufferStep;
    int m_utf16Capacity = kBufferStep;

    QString m_typed;
    long m_typedStart = 0;
    long m_typedEnd = 0;
    QPoint m_caretPoint;
};

}  // namespace toliva
