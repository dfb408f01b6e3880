// The LaTeX source window over the Scintilla control.
#include "sheet/CLaTeXWnd.h"

#include "platform/LangTable.h"
#include "platform/MessageSink.h"
#include "platform/SafeFile.h"
#include "platform/Utilities.h"
#include "platform/AppContext.h"
#include "sheet/CDialogTeXEdt.h"
#include "sheet/CKwEESheet.h"
#include "sheet/editing/HotkeyTable.h"
#include "sheet/editing/TypedTeX.h"
#include "sheet/editing/VirtualKeys.h"
#include "uikit/CKwMenu.h"
#include "uikit/KitDialogs.h"

#include <Qsci/qsciscintillabase.h>

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLibrary>
#include <QMouseEvent>
#include <QStringDecoder>
#include <QVariant>

#include <algorithm>
#include <cstring>

namespace toliva {

namespace {

// The Scintilla messages the window sends, by their public names.
enum SciMessage : unsigned {
    SCI_ADDTEXT = 2001,
    SCI_CLEARALL = 2004,
    SCI_GETLENGTH = 2006,
    SCI_GETCHARAT = 2007,
    SCI_GETCURRENTPOS = 2008,
    SCI_REDO = 2011,
    SCI_SELECTALL = 2013,
    SCI_GOTOPOS = 2025,
    SCI_GETENDSTYLED = 2028,
    SCI_SETCODEPAGE = 2037,
    SCI_STYLECLEARALL = 2050,
    SCI_STYLESETFORE = 2051,
    SCI_STYLESETBACK = 2052,
    SCI_STYLESETBOLD = 2053,
    SCI_STYLESETITALIC = 2054,
    SCI_STYLESETSIZE = 2055,
    SCI_STYLESETFONT = 2056,
    SCI_STYLESETUNDERLINE = 2059,
    SCI_SETCARETLINEVISIBLE = 2096,
    SCI_SETCARETLINEBACK = 2098,
    SCI_GETCOLUMN = 2129,
    SCI_SETHIGHLIGHTGUIDE = 2134,
    SCI_GETTEXTRANGE = 2162,
    SCI_POINTXFROMPOSITION = 2164,
    SCI_POINTYFROMPOSITION = 2165,
    SCI_LINEFROMPOSITION = 2166,
    SCI_POSITIONFROMLINE = 2167,
    SCI_UNDO = 2176,
    SCI_CUT = 2177,
    SCI_COPY = 2178,
    SCI_PASTE = 2179,
    SCI_SETTEXT = 2181,
    SCI_GETTEXT = 2182,
    SCI_SETMARGINTYPEN = 2240,
    SCI_SETMARGINWIDTHN = 2242,
    SCI_SETWRAPMODE = 2268,
    SCI_TEXTHEIGHT = 2279,
    SCI_BRACEHIGHLIGHT = 2351,
    SCI_BRACEBADLIGHT = 2352,
    SCI_BRACEMATCH = 2353,
    SCI_USEPOPUP = 2371,
    SCI_POSITIONBEFORE = 2417,
    SCI_SETFONTQUALITY = 2611,
    SCI_DELETERANGE = 2645,
    SCI_SETLEXER = 4001,
    SCI_COLOURISE = 4003,
};

constexpr long kCodePageUtf8 = 65001;
constexpr long kQualityAntialiased = 2;
constexpr long kDefaultForeColour = 0x505050;
constexpr long kBraceBack = 0x00FF00;
constexpr long kBraceFore = 0x0000FF;

bool isBrace(int ch) { return ch > 0 && std::strchr("()[]{}", ch) != nullptr; }
bool isAsciiLetter(int ch) { return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z'); }

// A key that types text: its text holds no control character. Such a key is
// never taken from the control, whatever modifiers it comes with (AltGr
// arrives as Ctrl+Alt on many layouts).
bool typesText(const QKeyEvent* event) {
    const QString text = event->text();
    if (text.isEmpty()) return false;
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.isPrint() || c.isSurrogate(); });
}

QString menuText(LangTable& table, unsigned item) {
    return LoadLangString(table, QStringLiteral("gPOP_1"), int(item));
}

}  // namespace

// A message of the source window's language group, with '|' as a line break.
QString SourceWindowMessage(const QString& languageCode, int item, const QString& fallback) {
    LangTable table(languageCode, QStringLiteral("LANG_08.xml"));
    QString text = LoadLangString(table, QStringLiteral("gMSG_3"), item);
    if (text.isEmpty()) text = fallback;
    text.replace(QLatin1Char('|'), QLatin1Char('\n'));
    return text;
}

namespace {

// A text file's bytes: UTF-8 (as the window saves them) when they are valid
// UTF-8, else the simplified-Chinese code page of older files. Line ends
// become line feeds.
QString decodeTextFileBytes(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) return DecodeTextFile(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

}  // namespace

// ---- the control library

SourceEditorLibrary LoadSourceEditorLibrary(const QString& programFolder) {
    SourceEditorLibrary out;
    const QString name = QStringLiteral(TOLIVA_SOURCE_EDITOR_LIBRARY);
    QString folder = programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : programFolder;
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    QStringList errors;
    for (const QString& candidate : {name, folder + name}) {
        QLibrary library(candidate);
        if (!library.load()) {
            errors << library.errorString();
            continue;
        }
        auto create = reinterpret_cast<TolivaSourceEditorFactory>(library.resolve(TOLIVA_SOURCE_EDITOR_FACTORY));
        if (!create) {
            errors << library.errorString();
            continue;
        }
        out.loaded = true;
        out.create = create;
        out.path = library.fileName();
        return out;
    }
    out.error = errors.join(QLatin1Char('\n'));
    return out;
}

// ---- creation

QString CLaTeXWnd::languageCode() const {
    return m_owner ? m_owner->appContext().languageCode() : QStringLiteral("en");
}

CLaTeXWnd::CLaTeXWnd(CDialogTeXEdt* owner) : m_owner(owner) {
    m_utf8.reserve(m_utf8Capacity);
    m_utf16.reserve(m_utf16Capacity);
}

CLaTeXWnd::~CLaTeXWnd() {
    // The control goes with its window.
    if (m_control) {
        m_control->removeEventFilter(this);
        if (m_viewport) m_viewport->removeEventFilter(this);
        delete m_control.data();
    }
}

bool CLaTeXWnd::Create(TolivaSourceEditorFactory factory, const QRect& rect, QWidget* parent, int id) {
    if (!factory || m_control) return false;
    QWidget* made = factory(parent);
    auto* sci = qobject_cast<QsciScintillaBase*>(made);
    if (!sci) {
        delete made;
        return false;
    }
    m_control = made;
    m_sci = sci;
    sci->setProperty("ctrlId", id);
    sci->setGeometry(rect);
    sci->installEventFilter(this);
    m_viewport = sci->viewport();
    m_viewport->installEventFilter(this);
    Send(SCI_SETCODEPAGE, kCodePageUtf8);
    Send(SCI_SETFONTQUALITY, kQualityAntialiased);
    Send(SCI_USEPOPUP, 0);
    sci->show();
    return true;
}

QsciScintillaBase* CLaTeXWnd::control() const { return m_control ? m_sci : nullptr; }
QWidget* CLaTeXWnd::widget() const { return m_control.data(); }

long CLaTeXWnd::Send(unsigned msg, unsigned long wParam, long lParam) const {
    if (!m_control) return 0;
    return m_sci->SendScintilla(msg, wParam, lParam);
}

long CLaTeXWnd::SendPtr(unsigned msg, unsigned long wParam, const void* lParam) const {
    if (!m_control) return 0;
    return m_sci->SendScintilla(msg, wParam, const_cast<void*>(lParam));
}

// ---- appearance

void CLaTeXWnd::ApplyEditorStyle(bool save) {
    if (style.tokens.empty() || !m_control) return;
    const LaTeXEditorStyle& s = style;
    Send(SCI_SETLEXER, kLexerLaTeX);
    Send(SCI_SETFONTQUALITY, s.options[3] >= 1 ? kQualityAntialiased : 0);
    Send(SCI_STYLESETFORE, kStyleDefault, kDefaultForeColour);
    Send(SCI_STYLESETBACK, kStyleDefault, long(s.backColour));
    Send(SCI_STYLESETSIZE, kStyleDefault, s.fontSize);
    const QByteArray face = s.fontFace.toUtf8();
    SendPtr(SCI_STYLESETFONT, kStyleDefault, face.constData());
    Send(SCI_SETWRAPMODE, s.options[0]);
    Send(SCI_SETCARETLINEVISIBLE, s.options[1]);
    Send(SCI_SETCARETLINEBACK, long(s.caretLineColour));
    const bool numbers = s.lineNumbers();
    Send(SCI_SETMARGINTYPEN, 0, 1);
    Send(SCI_SETMARGINWIDTHN, 0, numbers ? 32 : 0);
    Send(SCI_SETMARGINTYPEN, 1, 0);
    Send(SCI_SETMARGINWIDTHN, 1, numbers ? 8 : 12);
    Send(SCI_STYLECLEARALL);
    for (size_t i = 0; i < s.tokens.size(); ++i) {
        const TokenStyle& t = s.tokens[i];
        const unsigned long n = i;
        Send(SCI_STYLESETFORE, n, long(t.foreColour));
        Send(SCI_STYLESETBACK, n, long((t.flags & TokenStyle::OwnBackground) ? t.backColour : s.backColour));
        Send(SCI_STYLESETITALIC, n, (t.flags & TokenStyle::Italic) ? 1 : 0);
        Send(SCI_STYLESETBOLD, n, (t.flags & TokenStyle::Bold) ? 1 : 0);
        Send(SCI_STYLESETUNDERLINE, n, (t.flags & TokenStyle::Underline) ? 1 : 0);
    }
    Send(SCI_STYLESETBACK, kStyleBraceLight, kBraceBack);
    Send(SCI_STYLESETFORE, kStyleBraceLight, kBraceFore);
    Send(SCI_STYLESETBOLD, kStyleBraceLight, 1);
    if (save && saveStyle) saveStyle(style);
}

// ---- text

int CLaTeXWnd::grown(int capacity, int needed) {
    while (capacity < needed) capacity += kBufferStep;
    return capacity;
}

void CLaTeXWnd::SetEditorText(const QString& text) {
    Send(SCI_CLEARALL);
    if (text.isEmpty()) return;
    const QByteArray bytes = text.toUtf8();
    SendPtr(SCI_SETTEXT, 0, bytes.constData());
}

int CLaTeXWnd::GetEditorText(bool asUtf16) {
    if (!m_control) return 0;
    const long length = Send(SCI_GETLENGTH);
    if (length < 0 || length >= 0x7FFFFFFF - kBufferStep) return 0;
    const int needed = int(length) + 1;
    if (needed > m_utf8Capacity) {
        // Growing drops what the buffer held.
        m_utf8Capacity = grown(m_utf8Capacity, needed);
        m_utf8 = QByteArray();
        m_utf8.reserve(m_utf8Capacity);
    }
    m_utf8.resize(needed);
    SendPtr(SCI_GETTEXT, static_cast<unsigned long>(needed), m_utf8.data());
    m_utf8.resize(length);
    if (!asUtf16) return needed;
    // Never more UTF-16 units than UTF-8 bytes.
    if (needed > m_utf16Capacity) {
        m_utf16Capacity = grown(m_utf16Capacity, needed);
        m_utf16 = QString();
        m_utf16.reserve(m_utf16Capacity);
    }
    m_utf16 = QString::fromUtf8(m_utf8);
    return int(m_utf16.size()) + 1;
}

QString CLaTeXWnd::editorText() { return GetEditorText(true) > 0 ? m_utf16 : QString(); }

// ---- the command being typed

QByteArray CLaTeXWnd::textRange(long start, long end) const {
    if (!m_control || end <= start) return QByteArray();
    QByteArray bytes(end - start + 1, '\0');
    m_sci->SendScintilla(SCI_GETTEXTRANGE, start, end, bytes.data());
    bytes.resize(end - start);
    return bytes;
}

bool CLaTeXWnd::FindTypedCommand() {
    m_typed.clear();
    m_typedStart = m_typedEnd = 0;
    if (!m_control) return false;
    const long caret = Send(SCI_GETCURRENTPOS);
    // Back from the caret over ASCII letters to a backslash; any other
    // character before it means no command is being typed.
    long position = caret;
    for (;;) {
        const long before = Send(SCI_POSITIONBEFORE, position);
        if (before >= position) return false;  // the start of the text
        const int ch = int(Send(SCI_GETCHARAT, before));
        if (ch == '\\') {
            position = before;
            break;
        }
        if (!isAsciiLetter(ch)) return false;
        position = before;
    }
    m_typedStart = position;
    m_typedEnd = caret;
    m_typed = QString::fromUtf8(textRange(position, caret));
    return true;
}

void CLaTeXWnd::InsertCandidate(int kind, const QString& text) {
    if (m_owner && m_owner->promptHide) m_owner->promptHide();
    if (!FindTypedCommand()) return;
    const long length = m_typedEnd - m_typedStart;
    if (length > 0) Send(SCI_DELETERANGE, m_typedStart, length);
    QString t = text;
    int offset = 0;
    QString suffix;
    int back = 0;
    if (kind >= 4097) {
        offset = MatrixTemplateLaTeX(kind, &t);
    } else if (TeXCandidateSuffix(kind, &suffix, &back)) {
        t += suffix;
        offset = back;
    } else if (kind >= 1001) {
        offset = kind - 1000;
    }
    // The command typed went with its backslash.
    t.prepend(QLatin1Char('\\'));
    if (offset == 0) t += QLatin1Char(' ');
    InsertAtCaret(offset, t);
}

void CLaTeXWnd::InsertAtCaret(int caretOffset, const QString& text) {
    if (!m_control) return;
    const QByteArray bytes = text.toUtf8();
    SendPtr(SCI_ADDTEXT, static_cast<unsigned long>(bytes.size()), bytes.constData());
    if (caretOffset <= 0) return;
    long position = Send(SCI_GETCURRENTPOS);
    for (int i = 0; i < caretOffset; ++i) position = Send(SCI_POSITIONBEFORE, position);
    Send(SCI_GOTOPOS, position);
}

void CLaTeXWnd::UpdateCaretPoint() {
    if (!m_control) return;
    const long caret = Send(SCI_GETCURRENTPOS);
    const QPoint local(int(Send(SCI_POINTXFROMPOSITION, 0, caret)), int(Send(SCI_POINTYFROMPOSITION, 0, caret)));
    m_caretPoint = m_sci->viewport()->mapToGlobal(local) + QPoint(0, int(Send(SCI_TEXTHEIGHT, 0)));
}

// ---- brace matching

void CLaTeXWnd::matchBrace(long position) {
    const long match = Send(SCI_BRACEMATCH, position);
    if (match == -1) {
        Send(SCI_BRACEBADLIGHT, position);
        Send(SCI_SETHIGHLIGHTGUIDE, 0);
        return;
    }
    Send(SCI_BRACEHIGHLIGHT, position, match);
    Send(SCI_SETHIGHLIGHTGUIDE, std::min(Send(SCI_GETCOLUMN, position), Send(SCI_GETCOLUMN, match)));
}

void CLaTeXWnd::UpdateBraceMatch() {
    if (!m_control) return;
    const long endStyled = Send(SCI_GETENDSTYLED);
    if (endStyled < Send(SCI_GETLENGTH)) {
        const long line = Send(SCI_LINEFROMPOSITION, endStyled);
        Send(SCI_COLOURISE, Send(SCI_POSITIONFROMLINE, line), -1);
    }
    const long caret = Send(SCI_GETCURRENTPOS);
    if (isBrace(int(Send(SCI_GETCHARAT, caret)))) {
        matchBrace(caret);
        return;
    }
    const long before = Send(SCI_POSITIONBEFORE, caret);
    if (before < caret && isBrace(int(Send(SCI_GETCHARAT, before)))) {
        matchBrace(before);
        return;
    }
    Send(SCI_BRACEHIGHLIGHT, static_cast<unsigned long>(-1), -1);
    Send(SCI_SETHIGHLIGHTGUIDE, 0);
}

// ---- text files

void CLaTeXWnd::OpenTextFile() {
    QString path;
    if (!PickFileWithLastFolder(QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*||"), m_control, path,
                                QString::fromLatin1(kLastFolderKey), false, QStringLiteral("*.txt"),
                                kSiteLaTeXTextFiles))
        return;
    QByteArray bytes;
    if (!ReadFileCapped(path, kMaxInputFileBytes, &bytes, nullptr)) {
        showMessage(QStringLiteral("failed to open file : ") + path, MB_OK | MB_ICONWARNING);
        return;
    }
    const QString text = decodeTextFileBytes(bytes);
    // A file that reads empty leaves the editor as it is.
    if (!text.isEmpty()) SetEditorText(text);
}

void CLaTeXWnd::SaveTextFile() {
    if (GetEditorText(false) <= 1) return;
    const QByteArray bytes = m_utf8;
    QString path;
    if (!PickFileWithLastFolder(QStringLiteral("Text Files (*.txt)|*.txt|"), m_control, path,
                                QString::fromLatin1(kLastFolderKey), true, QStringLiteral("*.txt"),
                                kSiteLaTeXTextFiles, QStringLiteral("Untitled.txt")))
        return;
    QString reason;
    if (!WriteFileSafely(path, bytes, &reason))
        showMessage(SourceWindowMessage(languageCode(), 2, QStringLiteral("The text file could not be written:")) + QLatin1Char('\n') + path +
                        QLatin1Char('\n') + reason,
                    MB_OK | MB_ICONWARNING);
}

// ---- keys

bool CLaTeXWnd::PreTranslateMessage(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool ctrl = mods & Qt::ControlModifier;
    const bool shift = mods & Qt::ShiftModifier;
    const bool alt = mods & Qt::AltModifier;
    const bool keypad = mods & Qt::KeypadModifier;
    int key = event->key();
    if (key == Qt::Key_Backtab) key = Qt::Key_Tab;
    const int vkCode = std::max(VirtualKeyFromQt(key, keypad), vk::None);
    constexpr int C = 0x10000, S = 0x100000, A = 0x1000000;
    const int combination = vkCode | (ctrl ? C : 0) | (shift ? S : 0) | (alt ? A : 0);
    switch (combination) {
    case C | vk::Tab:
        if (m_owner && m_owner->toggleLaTeXMode) m_owner->toggleLaTeXMode();
        return true;
    case C | vk::letter('a'): Send(SCI_SELECTALL); return true;
    case C | vk::letter('c'): Send(SCI_COPY); return true;
    case C | vk::letter('v'): Send(SCI_PASTE); return true;
    case C | vk::letter('x'): Send(SCI_CUT); return true;
    case C | vk::letter('y'): Send(SCI_REDO); return true;
    case C | vk::letter('z'): Send(SCI_UNDO); return true;
    case S | vk::Return:
        if (m_owner) m_owner->ApplyToEquation();
        return true;
    case C | vk::Return:
        if (m_owner) {
            m_owner->ApplyToEquation();
            if (CKwEESheet* sheet = m_owner->sheet()) sheet->CloseIfEmbedded();
        }
        return true;
    default: break;
    }
    if (m_owner && m_owner->isPromptShowing && m_owner->isPromptShowing()) {
        if (combination == vk::Return) {
            if (m_owner->promptHide) m_owner->promptHide();
            return true;
        }
        const bool digit = (vkCode >= vk::digit(0) && vkCode <= vk::digit(9)) ||
                           (vkCode >= vk::Numpad0 && vkCode <= vk::Numpad0 + 9);
        const bool barKey = digit || vkCode == vk::Escape || vkCode == vk::Space || vkCode == vk::Prior ||
                            vkCode == vk::Next || vkCode == vk::Home || vkCode == vk::Up || vkCode == vk::Down ||
                            vkCode == vk::OemComma || vkCode == vk::OemPeriod;
        if (barKey && !ctrl && !alt && !shift && m_owner->promptKey && m_owner->promptKey(vkCode, ctrl, shift, alt))
            return true;
    }
    // Other keys with Ctrl or Alt do nothing, unless they type text.
    if ((ctrl || alt) && !typesText(event)) return true;
    return false;
}

// ---- the context menu

void CLaTeXWnd::OnContextMenu(QPoint screenPoint) {
    if (!m_control) return;
    LangTable table(languageCode(), QStringLiteral("LANG_08.xml"));
    CKwMenu menu(m_control);
    auto item = [&](unsigned id, const QString& icon = QString(), unsigned flags = MF_STRING) {
        menu.AppendItem(flags | MF_OWNERDRAW, id, menuText(table, id), icon);
    };
    auto separator = [&] { menu.AppendItem(MF_SEPARATOR, 0, QString()); };
    item(MenuApply);
    separator();
    item(MenuUndo, QStringLiteral("tb\\Undo"));
    item(MenuRedo, QStringLiteral("tb\\Redo"));
    separator();
    item(MenuCut, QStringLiteral("tb\\Cut"));
    item(MenuCopy, QStringLiteral("tb\\Copy"));
    item(MenuPaste, QStringLiteral("tb\\Paste"));
    separator();
    item(MenuSettings, QStringLiteral("tb\\Settings"));
    item(MenuWrap, QString(), style.wrap() ? MF_CHECKED : MF_STRING);
    item(MenuCaretLine, QString(), style.caretLine() ? MF_CHECKED : MF_STRING);
    item(MenuLineNumbers, QString(), style.lineNumbers() ? MF_CHECKED : MF_STRING);
    separator();
    item(MenuOpen, QStringLiteral("tb\\Open"));
    item(MenuSave, QStringLiteral("tb\\Save"));
    const unsigned chosen = trackMenu ? trackMenu(menu, screenPoint) : menu.TrackPopupMenu(screenPoint);
    if (chosen) RunMenuCommand(chosen);
}

void CLaTeXWnd::RunMenuCommand(unsigned item) {
    auto toggle = [this](int option) {
        style.options[size_t(option)] = style.options[size_t(option)] ? 0 : 1;
        ApplyEditorStyle(true);
    };
    switch (item) {
    case MenuApply:
        if (m_owner) m_owner->ApplyToEquation();
        break;
    case MenuUndo: Send(SCI_UNDO); break;
    case MenuRedo: Send(SCI_REDO); break;
    case MenuCut: Send(SCI_CUT); break;
    case MenuCopy: Send(SCI_COPY); break;
    case MenuPaste: Send(SCI_PASTE); break;
    case MenuOpen: OpenTextFile(); break;
    case MenuSave: SaveTextFile(); break;
    case MenuSettings:
        if (m_owner) m_owner->ShowEditorSettings();
        break;
    case MenuWrap: toggle(0); break;
    case MenuCaretLine: toggle(1); break;
    case MenuLineNumbers: toggle(2); break;
    default: break;
    }
}

// ---- events of the control

bool CLaTeXWnd::eventFilter(QObject* watched, QEvent* event) {
    if (!m_control || (watched != m_control && watched != m_viewport))
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress:
        if (PreTranslateMessage(static_cast<QKeyEvent*>(event))) {
            event->accept();
            return true;
        }
        break;
    case QEvent::ShortcutOverride: {
        // The window's own Ctrl keys are not shortcuts of the main window.
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) event->accept();
        break;
    }
    case QEvent::MouseButtonPress:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && m_owner) m_owner->ActivateFromEditor();
        break;
    case QEvent::ContextMenu:
        OnContextMenu(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    default: break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace toliva
