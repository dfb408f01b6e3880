// The command dispatcher: every command code reaches its action or tells the
// user it is not available yet, the editor scale, the typing style, the base
// font size, colour-by-role drawing, line alignment, the equation settings,
// printing, help documents, forwarded frame commands, the language, and the
// jobs of the office add-in with their theme and exchange files.
#include "model/EqBuilder.h"
#include "model/EqModel.h"
#include "model/EqNotes.h"
#include "model/EqStream.h"
#include "platform/ClipboardService.h"
#include "platform/DialogService.h"
#include "platform/Folders.h"
#include "platform/LangTable.h"
#include "platform/MessageSink.h"
#include "platform/RegKey.h"
#include "platform/RegistryStore.h"
#include "platform/ShellService.h"
#include "sheet/CKwEESheet.h"
#include "tests/sheet/SheetFixtures.h"
#include "sheet/SheetBackend.h"
#include "sheet/SheetScript.h"
#include "sheet/editing/CommandCodes.h"
#include "tests/common/ModelFixtures.h"
#include "tests/common/TestSupport.h"
#include "tests/model/EqLayoutTestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <string>

namespace toliva {
namespace {

const QString kAppSettings = QStringLiteral("Software\\Toliva\\AppSettings");
const QString kWordCmds = QStringLiteral("Software\\Toliva\\WordCmds");
const QString kCustomColours = QStringLiteral("Software\\Toliva\\CDInit");

// Records what the sheet asks of the view, the frame and the document; each
// window function answers `available`.
class RecordingHost : public SheetHost {
public:
    bool available = true;
    bool embedded = false;
    bool view = true;
    std::vector<std::string> calls;
    std::vector<int> frameIds;
    std::vector<QString> findTexts;
    int modified = 0;

    bool called(const std::string& name) const { return std::count(calls.begin(), calls.end(), name) > 0; }

    void SetModifiedFlag() override { ++modified; }
    bool IsEmbedded() const override { return embedded; }
    void NotifyEmbeddedChanged() override { calls.push_back("NotifyEmbeddedChanged"); }
    void UpdateAlignButtons() override { calls.push_back("UpdateAlignButtons"); }
    void UpdateTitle() override { calls.push_back("UpdateTitle"); }
    void MinimiseMainWindow() override { calls.push_back("MinimiseMainWindow"); }
    void OpenUserSymbolPanel() override { calls.push_back("OpenUserSymbolPanel"); }
    bool HasView() const override { return view; }
    bool SendFrameCommand(int id) override {
        frameIds.push_back(id);
        return note("SendFrameCommand");
    }
    QPoint MainWindowPosition() const override { return {120, 45}; }
    bool ShowAppSettingsDialog() override { return note("ShowAppSettingsDialog"); }
    bool ToggleLibraryPanel() override { return note("ToggleLibraryPanel"); }
    bool ToggleLaTeXMode() override { return note("ToggleLaTeXMode"); }
    bool ShowWritingPad() override { return note("ShowWritingPad"); }
    bool CheckForUpdate() override { return note("CheckForUpdate"); }
    bool OpenProductWebPage() override { return note("OpenProductWebPage"); }
    bool ShowFindDialog(const QString& text) override {
        findTexts.push_back(text);
        return note("ShowFindDialog");
    }
    void UpdateToolbarStates() override { calls.push_back("UpdateToolbarStates"); }
    void ApplyPanelColours() override { calls.push_back("ApplyPanelColours"); }
    void RedrawLibrarySheets() override { calls.push_back("RedrawLibrarySheets"); }
    void ApplyLanguage() override { calls.push_back("ApplyLanguage"); }
    bool CopyEmbeddedItem() override { return note("CopyEmbeddedItem"); }

private:
    bool note(const char* name) {
        calls.push_back(name);
        return available;
    }
};

// The equation settings dialog as a user who changes the base size and
// presses OK; it notes whether undo recording was off meanwhile.
class ResizingDialogs : public ScriptedEditDialogs {
public:
    int equationSettings(EqModel* eq, bool officeMode) override {
        ScriptedEditDialogs::equationSettings(eq, officeMode);
        if (recordingOf) recordingSeen = recordingOf->recording;
        eq->settings.fontSize = 20;
        return 1;
    }
    const UndoHistory* recordingOf = nullptr;
    bool recordingSeen = true;
};

class DispatcherTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const QString& key : {kAppSettings, kWordCmds, kCustomColours}) RegistryStore::instance().deleteKey(key);
        app.userFolder = folder.path() + '/';
        build();
    }

    // Line 0 "ab", line 1 a 2 x 2 matrix of w, x, y, z; the caret at the end
    // of line 0.
    void build() {
        sheet.reset();
        eq = std::make_unique<EqModel>(test::builtInStyle());
        matrix = test::buildTextAndMatrix(eq.get(), &line0);
        auto owned = std::make_unique<HeadlessSheetBackend>();
        backend = owned.get();
        sheet = std::make_unique<CKwEESheet>(app, test::programContext(), &host, std::move(owned));
        sheet->setEditDialogs(&dialogs);
        sheet->captureLockPath = folder.file("no-capture-window");
        // Menus are counted and closed at once.
        sheet->trackMenu = [this](CKwMenu&, QPoint) {
            ++menusShown;
            return 0u;
        };
        ShowSheetOffscreen(*sheet, QSize(400, 300), eq.get());
        sheet->SetCaretElement(line0->next->next);
    }

    EqElement* a() const { return line0->next; }
    EqElement* b() const { return line0->next->next; }
    void selectLine0() {
        sheet->SetCaretElement(b());
        sheet->SelectRange(line0, b());
    }
    void caretInMatrix() { sheet->SetCaretElement(matrix->children[0]->next); }

    QString layoutFile() const { return folder.file(QStringLiteral("KwELayout.dat")); }
    static EqLayoutSettings readRecord(const QString& path, bool* ok = nullptr) {
        EqLayoutSettings s;
        const bool read = ReadLayoutSettingsFile(nullptr, path, s);
        if (ok) *ok = read;
        return s;
    }
    static QString notAvailable(const char* language = "en") {
        return NotAvailableYetText(QString::fromLatin1(language), Unavailable::Command);
    }
    std::vector<QString> messageTexts() const {
        std::vector<QString> out;
        for (const auto& m : messages.shown) out.push_back(m.text);
        return out;
    }
    static void writeString(const QString& keyPath, const QString& name, const QString& value) {
        RegKey key;
        ASSERT_TRUE(OpenRegKey(keyPath, key));
        ASSERT_TRUE(WriteRegString(key, name, value));
    }
    static void writeDword(const QString& keyPath, const QString& name, int value) {
        RegKey key;
        ASSERT_TRUE(OpenRegKey(keyPath, key));
        ASSERT_TRUE(WriteRegDword(key, name, value));
    }
    static QString readString(const QString& keyPath, const QString& name) {
        RegKey key;
        OpenRegKey(keyPath, key);
        QString out;
        ReadRegString(key, name, out, QStringLiteral("(none)"));
        return out;
    }
    static int readDword(const QString& keyPath, const QString& name) {
        RegKey key;
        OpenRegKey(keyPath, key);
        int out = -1;
        ReadRegDword(key, name, out, -1);
        return out;
    }

    test::ScratchFolder folder;
    AppContext app;
    RecordingHost host;
    ScriptedEditDialogs dialogs;
    RecordingMessageSink messages;
    ScopedMessageSink messageGuard{&messages};
    RecordingShellService shell;
    ScopedShellService shellGuard{&shell};
    MemoryClipboardService clipboard;
    ScopedClipboardService clipboardGuard{&clipboard};
    ScriptedDialogService pickers;
    ScopedDialogService pickerGuard{&pickers};
    std::unique_ptr<EqModel> eq;
    std::unique_ptr<CKwEESheet> sheet;
    HeadlessSheetBackend* backend = nullptr;
    EqElement* line0 = nullptr;
    EqElement* matrix = nullptr;
    int menusShown = 0;
};

// ---- every code

// What shows that a code reached its action.
enum class Seen {
    Host,          // the host function `what` was called
    NotAvailable,  // the "not available yet" message
    Dialog,        // the editing dialog `what` was asked
    ColourPicker,
    FilePicker,    // the file picker was asked
    Clipboard,     // the clipboard was written
    ShellOpen,     // a document was opened with the shell
    Equation,      // the equation (its marks included) changed
    Scale,
    TypingType,
    Selection,     // the selection changed
    Nothing,       // a code the dispatcher does not name: nothing at all
    Menu,          // a menu was shown (and closed without a choice)
};

// What the sheet is made to hold before the code runs.
enum class Prep { None, Select, SelectUpright, SelectPhantom, Typed, Undone, InMatrix, Sum, ClipboardText };

struct CodeCase {
    int code;
    Seen seen;
    const char* what = "";
    Prep prep = Prep::None;
};

// Everything a command could change, to compare before and after.
struct Trace {
    std::vector<std::string> calls;
    size_t messages = 0, dialogs = 0, pickers = 0, documents = 0, files = 0;
    QByteArray equation;
    float scale = 0;
    int typing = 0, lanSel = 0;
    size_t selected = 0;
    int clipboardWrites = 0;
    int undo = 0, redo = 0;
    int menus = 0;
};

TEST_F(DispatcherTest, EveryCodeReachesItsActionOrSaysItIsNotAvailableYet) {
    shell.forcedResult = ShellOpened;
    const CodeCase cases[] = {
        {CMD_MAIN_MENU, Seen::Menu},
        {CMD_TOGGLE_BOLD, Seen::TypingType},
        {CMD_TOGGLE_ITALIC, Seen::TypingType},
        {CMD_FONT_SIZE, Seen::Dialog, "string"},
        {CMD_TOGGLE_LAYOUT_OPTION, Seen::Equation},
        {CMD_COLOUR, Seen::ColourPicker},
        {CMD_APP_SETTINGS, Seen::Host, "ShowAppSettingsDialog"},
        {CMD_UNDO, Seen::Equation, "", Prep::Typed},
        {CMD_REDO, Seen::Equation, "", Prep::Undone},
        {CMD_EQ_SETTINGS, Seen::Dialog, "settings"},
        {CMD_FILE_NEW, Seen::Host, "SendFrameCommand"},
        {CMD_FILE_OPEN, Seen::Host, "SendFrameCommand"},
        {CMD_FILE_SAVE, Seen::Host, "SendFrameCommand"},
        {CMD_FILE_SAVE_AS, Seen::Host, "SendFrameCommand"},
        {CMD_APP_ABOUT, Seen::Host, "SendFrameCommand"},
        {CMD_ALIGN_LEFT, Seen::Equation},
        {CMD_ALIGN_CENTER, Seen::Host, "UpdateAlignButtons"},  // centre is the default
        {CMD_ALIGN_RIGHT, Seen::Equation},
        {CMD_ALIGN_AT_MARK, Seen::Equation},
        {CMD_ALIGN_AUTO_MARK, Seen::Equation},
        {CMD_ZOOM_IN, Seen::Scale},
        {CMD_ZOOM_OUT, Seen::Scale},
        {CMD_ZOOM_STANDARD, Seen::Scale},
        {CMD_CUT, Seen::Equation, "", Prep::Select},
        {CMD_COPY, Seen::Clipboard, "", Prep::Select},
        {CMD_PASTE, Seen::Equation, "", Prep::ClipboardText},
        {CMD_TOGGLE_LIBRARY_PANEL, Seen::Host, "ToggleLibraryPanel"},
        {CMD_PASTE_TEXT, Seen::Equation, "", Prep::ClipboardText},
        {CMD_EXPORT, Seen::FilePicker},
        {CMD_COPY_LATEX, Seen::Clipboard, "", Prep::Select},
        {CMD_COPY_MATHML, Seen::Clipboard, "", Prep::Select},
        {CMD_COPY_PICTURE, Seen::Clipboard},
        {CMD_SELECT_ALL, Seen::Selection},
        {CMD_CALC_LINE, Seen::Equation, "", Prep::Sum},
        {CMD_CALC_ALL, Seen::Equation, "", Prep::Sum},
        {CMD_FIND_REPLACE, Seen::Host, "ShowFindDialog"},
        {CMD_CLEAR_MARKS, Seen::Selection, "", Prep::Select},
        {CMD_USER_SYMBOLS, Seen::Host, "OpenUserSymbolPanel"},
        {CMD_FIND_SELECTION, Seen::Equation, "", Prep::Select},
        {CMD_REPLACE_MARKED, Seen::Selection, "", Prep::Select},
        {CMD_PRINT, Seen::Dialog, "print"},
        {CMD_HELP, Seen::ShellOpen},
        {CMD_ONLINE, Seen::Host, "OpenProductWebPage"},
        {CMD_CHECK_UPDATE, Seen::Host, "CheckForUpdate"},
        {CMD_OCR_HELP, Seen::ShellOpen},
        {CMD_MARK_STYLE_0, Seen::Equation, "", Prep::SelectPhantom},
        {CMD_MARK_STYLE_1, Seen::Equation, "", Prep::Select},
        {CMD_MARK_STYLE_2, Seen::Equation, "", Prep::Select},
        {CMD_MARK_STYLE_3, Seen::Equation, "", Prep::Select},
        {CMD_CHAR_UPRIGHT, Seen::Equation, "", Prep::Select},
        {CMD_CHAR_ITALIC, Seen::Equation, "", Prep::SelectUpright},
        {CMD_CHAR_BOLD, Seen::Equation, "", Prep::Select},
        {CMD_CHAR_BOLD_ITALIC, Seen::Equation, "", Prep::Select},
        {CMD_CHAR_TYPE_16, Seen::Equation, "", Prep::Select},
        {CMD_CHAR_TYPE_17, Seen::Equation, "", Prep::Select},
        {CMD_TEX_TO_EQUATION, Seen::NotAvailable},
        {CMD_EQUATION_TO_TEX, Seen::NotAvailable},
        {CMD_TOGGLE_LATEX_MODE, Seen::Host, "ToggleLaTeXMode"},
        {CMD_WRITING_PAD, Seen::Host, "ShowWritingPad"},
        {CMD_CAPTURE_OCR, Seen::Host, "MinimiseMainWindow"},
        {CMD_MOVE_FIRST_KIND + 0, Seen::Equation, "", Prep::InMatrix},
        {CMD_MOVE_FIRST_KIND + 1, Seen::Equation, "", Prep::InMatrix},
        {CMD_MOVE_FIRST_KIND + 2, Seen::Equation, "", Prep::InMatrix},
        {CMD_MOVE_FIRST_KIND + 3, Seen::Equation, "", Prep::InMatrix},
        {CMD_MOVE_SECOND_KIND + 0, Seen::Equation, "", Prep::InMatrix},
        {CMD_MOVE_SECOND_KIND + 1, Seen::Equation, "", Prep::InMatrix},
        {CMD_MOVE_SECOND_KIND + 2, Seen::Equation, "", Prep::InMatrix},
        {CMD_MOVE_LAST, Seen::Equation, "", Prep::InMatrix},
        {CMD_LANGUAGE_BASE + 1, Seen::Host, "ApplyLanguage"},
        {CMD_LANGUAGE_BASE + 2, Seen::Host, "ApplyLanguage"},
        // Codes no case names, the context menu's element codes that its
        // element handler declined, and the main menu's own identifiers.
        {8, Seen::Nothing},
        {100, Seen::Nothing},
        {300, Seen::Nothing},
        {CMD_MATRIX_ALIGN_FIRST, Seen::Nothing, "", Prep::InMatrix},
        {CMD_MATRIX_ALIGN_LAST, Seen::Nothing, "", Prep::InMatrix},
        {CMD_MATRIX_LINES_DIALOG, Seen::Nothing, "", Prep::InMatrix},
        {CMD_MATRIX_LINE_FIRST, Seen::Nothing, "", Prep::InMatrix},
        {CMD_MATRIX_FRAME_ON, Seen::Nothing, "", Prep::InMatrix},
        {CMD_MATRIX_FRAME_OFF, Seen::Nothing, "", Prep::InMatrix},
        {CMD_MATRIX_TRANSPOSE, Seen::Nothing, "", Prep::InMatrix},
        {CMD_CUSTOM_SPACE_AMOUNT, Seen::Nothing},
        {CMD_CHEM_MARKS, Seen::Nothing},
        {CMD_SWAP_VARIANT, Seen::Nothing},
        {CMD_NUMBER_FORMAT_FIRST, Seen::Nothing},
        {CMD_NUMBER_FORMAT_LAST, Seen::Nothing},
        {CMD_BRACKET_KIND_FIRST, Seen::Nothing},
        {CMD_BRACKET_KIND_LAST, Seen::Nothing},
        {CMD_LANGUAGE_BASE, Seen::Nothing},
        {CMD_EXIT, Seen::Nothing},
        {-1, Seen::Nothing},
    };
    for (const CodeCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "code " << c.code);
        app.eeScale = 4.0f;
        app.lanSel = 1;
        build();
        sheet->typingType = EqTypeCharItalic;
        switch (c.prep) {
        case Prep::None: break;
        case Prep::Select: selectLine0(); break;
        case Prep::SelectUpright:
            selectLine0();
            sheet->ExecuteCommand(CMD_CHAR_UPRIGHT);
            break;
        case Prep::SelectPhantom:
            selectLine0();
            sheet->ExecuteCommand(CMD_MARK_STYLE_3);
            break;
        case Prep::Typed:
        case Prep::Undone: {
            SheetScript script(*sheet, backend);
            ASSERT_TRUE(script.run(QStringLiteral("type c")).ok);
            if (c.prep == Prep::Undone) sheet->Undo();
            break;
        }
        case Prep::InMatrix: caretInMatrix(); break;
        case Prep::ClipboardText: clipboard.setText(QStringLiteral("c")); break;
        case Prep::Sum: {
            // A sum and its equals sign, not evaluated as it is typed.
            const uint32_t options = app.options;
            app.options &= ~uint32_t(OptAutoCalc);
            sheet->SetCaretElement(AddEmptyLine(sheet->equation()));
            SheetScript script(*sheet, backend);
            ASSERT_TRUE(script.run(QStringLiteral("type 2+3=")).ok);
            app.options = options;
            break;
        }
        }
        const auto trace = [&] {
            Trace t;
            t.calls = host.calls;
            t.messages = messages.shown.size();
            t.dialogs = dialogs.asked.size();
            t.pickers = pickers.colourRequests.size();
            t.files = pickers.fileRequests.size();
            t.documents = shell.documents.size();
            t.equation = EquationToBytes(eq.get(), true);
            t.scale = app.eeScale;
            t.typing = sheet->typingType;
            t.lanSel = app.lanSel;
            t.selected = sheet->selection().items.size();
            t.clipboardWrites = clipboard.writes;
            t.undo = sheet->undoHistory().undoCount();
            t.redo = sheet->undoHistory().redoCount();
            t.menus = menusShown;
            return t;
        };
        const Trace before = trace();
        sheet->ExecuteCommand(c.code);
        const Trace after = trace();
        const std::vector<std::string> newCalls(after.calls.begin() + long(before.calls.size()), after.calls.end());

        switch (c.seen) {
        case Seen::Host:
            EXPECT_TRUE(std::count(newCalls.begin(), newCalls.end(), std::string(c.what)) > 0) << c.what;
            break;
        case Seen::NotAvailable:
            ASSERT_EQ(after.messages, before.messages + 1);
            EXPECT_EQ(messages.shown.back().text, notAvailable());
            EXPECT_EQ(after.equation, before.equation);
            break;
        case Seen::Dialog:
            ASSERT_EQ(after.dialogs, before.dialogs + 1);
            EXPECT_EQ(dialogs.asked.back(), QString::fromLatin1(c.what));
            break;
        case Seen::ColourPicker: EXPECT_EQ(after.pickers, before.pickers + 1); break;
        case Seen::FilePicker: EXPECT_EQ(after.files, before.files + 1); break;
        case Seen::Clipboard: EXPECT_GT(after.clipboardWrites, before.clipboardWrites); break;
        case Seen::ShellOpen: EXPECT_EQ(after.documents, before.documents + 1); break;
        case Seen::Equation: EXPECT_NE(after.equation, before.equation); break;
        case Seen::Scale: EXPECT_NE(after.scale, before.scale); break;
        case Seen::TypingType: EXPECT_NE(after.typing, before.typing); break;
        case Seen::Selection: EXPECT_NE(after.selected, before.selected); break;
        case Seen::Menu:
            EXPECT_EQ(after.menus, before.menus + 1);
            EXPECT_EQ(after.equation, before.equation);
            break;
        case Seen::Nothing:
            EXPECT_TRUE(newCalls.empty());
            EXPECT_EQ(after.equation, before.equation);
            EXPECT_EQ(after.dialogs, before.dialogs);
            EXPECT_EQ(after.pickers, before.pickers);
            EXPECT_EQ(after.documents, before.documents);
            EXPECT_EQ(after.scale, before.scale);
            EXPECT_EQ(after.typing, before.typing);
            EXPECT_EQ(after.lanSel, before.lanSel);
            EXPECT_EQ(after.selected, before.selected);
            EXPECT_EQ(after.clipboardWrites, before.clipboardWrites);
            EXPECT_EQ(after.undo, before.undo);
            EXPECT_EQ(after.redo, before.redo);
            break;
        }
        // Only the codes of parts still to come say so.
        if (c.seen != Seen::NotAvailable) {
            EXPECT_EQ(after.messages, before.messages) << messageTexts().back().toStdString();
        }
    }
}

TEST_F(DispatcherTest, WithoutTheViewOrFrameFunctionTheUserIsToldInsteadOfNothingHappening) {
    host.available = false;
    const int codes[] = {CMD_APP_SETTINGS,    CMD_FILE_NEW,         CMD_FILE_OPEN,    CMD_FILE_SAVE,
                         CMD_FILE_SAVE_AS,    CMD_APP_ABOUT,        CMD_TOGGLE_LIBRARY_PANEL,
                         CMD_FIND_REPLACE, CMD_ONLINE,
                         CMD_CHECK_UPDATE,    CMD_TOGGLE_LATEX_MODE, CMD_WRITING_PAD};
    for (int code : codes) {
        SCOPED_TRACE(code);
        messages.shown.clear();
        sheet->ExecuteCommand(code);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, notAvailable());
    }
    // The LaTeX pane's two codes belong to the view: without one they do
    // nothing at all.
    host.view = false;
    messages.shown.clear();
    sheet->ExecuteCommand(CMD_TEX_TO_EQUATION);
    sheet->ExecuteCommand(CMD_EQUATION_TO_TEX);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(DispatcherTest, TheFindDialogGetsTheFirstRunOfCharactersOfTheSelection) {
    sheet->ExecuteCommand(CMD_FIND_REPLACE);
    selectLine0();
    sheet->ExecuteCommand(CMD_FIND_REPLACE);
    EXPECT_EQ(host.findTexts, (std::vector<QString>{QString(), QStringLiteral("ab")}));
}

// ---- the editor scale

TEST_F(DispatcherTest, ZoomStaysWithinItsBoundsAndAnUnchangedScaleRendersNothing) {
    struct Case {
        float start;
        int code;
        float expected;
    };
    const Case cases[] = {
        {19.8f, CMD_ZOOM_IN, 20.0f},     {20.0f, CMD_ZOOM_IN, 20.0f},   {0.5f, CMD_ZOOM_OUT, 0.2f},
        {0.2f, CMD_ZOOM_OUT, 0.2f},      {4.0f, CMD_ZOOM_OUT, 3.5f},    {4.0f, CMD_ZOOM_IN, 4.5f},
        {7.0f, CMD_ZOOM_STANDARD, 2.0f}, {2.0f, CMD_ZOOM_STANDARD, 2.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.start << " code " << c.code);
        app.eeScale = c.start;
        host.calls.clear();
        const int invalidations = backend->invalidations;
        sheet->ExecuteCommand(c.code);
        EXPECT_FLOAT_EQ(app.eeScale, c.expected);
        const bool changed = c.expected != c.start;
        EXPECT_EQ(host.called("UpdateTitle"), changed);
        EXPECT_EQ(backend->invalidations != invalidations, changed);
    }
}

// ---- typing style

TEST_F(DispatcherTest, BoldAndItalicSwitchTheTypingTypeAndLeaveTheOtherTypesAlone) {
    struct Case {
        int start, code, expected;
    };
    const Case cases[] = {
        {1, CMD_TOGGLE_BOLD, 3},   {2, CMD_TOGGLE_BOLD, 4},   {3, CMD_TOGGLE_BOLD, 1},   {4, CMD_TOGGLE_BOLD, 2},
        {16, CMD_TOGGLE_BOLD, 16}, {17, CMD_TOGGLE_BOLD, 17}, {1, CMD_TOGGLE_ITALIC, 2}, {2, CMD_TOGGLE_ITALIC, 1},
        {3, CMD_TOGGLE_ITALIC, 4}, {4, CMD_TOGGLE_ITALIC, 3}, {16, CMD_TOGGLE_ITALIC, 16},
        {17, CMD_TOGGLE_ITALIC, 17},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.start << " code " << c.code);
        sheet->typingType = c.start;
        host.calls.clear();
        const QByteArray before = EquationToBytes(eq.get(), true);
        sheet->ExecuteCommand(c.code);
        EXPECT_EQ(sheet->typingType, c.expected);
        // The tool bar follows a change.
        EXPECT_EQ(host.called("UpdateToolbarStates"), c.expected != c.start);
        EXPECT_EQ(EquationToBytes(eq.get(), true), before);
    }
}

// ---- base font size

TEST_F(DispatcherTest, FontSizeDialogClampsTheSizeAndKeepsTheSecondSizeAtMostAThird) {
    struct Case {
        const char* typed;
        float size2Before;
        float size;   // afterwards
        float size2;  // afterwards
        int result;
    };
    const Case cases[] = {
        {"2", 3.0f, 4.0f, 4.0f / 3.0f, 1},    {"50", 3.0f, 36.0f, 3.0f, 1},     {" 18 ", 9.0f, 18.0f, 6.0f, 1},
        {"12.5", 2.0f, 12.5f, 2.0f, 1},       {"-7", 3.0f, 4.0f, 4.0f / 3.0f, 1},
        // No number: nothing changes, as with Cancel.
        {"abc", 3.0f, 12.0f, 3.0f, 0},        {"", 3.0f, 12.0f, 3.0f, 0},       {"inf", 3.0f, 12.0f, 3.0f, 0},
        {"nan", 3.0f, 12.0f, 3.0f, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        eq->settings.fontSize = 12.0f;
        eq->settings.size2 = c.size2Before;
        dialogs.stringAnswers = {{true, QString::fromLatin1(c.typed), false}};
        EXPECT_EQ(sheet->FontSizeDialog(true), c.result);
        EXPECT_FLOAT_EQ(eq->settings.fontSize, c.size);
        EXPECT_FLOAT_EQ(eq->settings.size2, c.size2);
        EXPECT_LE(eq->settings.size2, eq->settings.fontSize / 3.0f + 1e-6f);
    }
    // What the dialog shows.
    const StringRequest& shown = dialogs.stringRequests.front();
    EXPECT_EQ(shown.title, "Font Size");
    EXPECT_EQ(shown.prompt, "Base font size (4 to 36 points):");
    EXPECT_EQ(shown.checkCaption, "Save as the default for new equations");
    EXPECT_TRUE(shown.showCheck);
    EXPECT_FALSE(shown.checked);
    EXPECT_EQ(shown.text, "12");
    EXPECT_FALSE(QFile::exists(layoutFile()));
}

TEST_F(DispatcherTest, FontSizeCancelChangesNothingAndTheCheckBoxSavesTheDefaults) {
    const QByteArray before = EquationToBytes(eq.get(), true);
    const int undos = sheet->undoHistory().undoCount();
    EXPECT_EQ(sheet->FontSizeDialog(true), 0);  // the empty queue cancels
    EXPECT_EQ(EquationToBytes(eq.get(), true), before);
    EXPECT_EQ(sheet->undoHistory().undoCount(), undos);
    EXPECT_EQ(readDword(kAppSettings, QStringLiteral("fs_check_check")), -1);

    // The box as the user left it last time; ticked, the style becomes the
    // default of new equations.
    writeDword(kAppSettings, QStringLiteral("fs_check_check"), 1);
    dialogs.stringAnswers = {{true, QStringLiteral("16"), true}};
    sheet->ExecuteCommand(CMD_FONT_SIZE);
    EXPECT_TRUE(dialogs.stringRequests.back().checked);
    EXPECT_FLOAT_EQ(eq->settings.fontSize, 16.0f);
    bool read = false;
    EXPECT_EQ(readRecord(layoutFile(), &read), eq->settings);
    EXPECT_TRUE(read);
    EXPECT_EQ(readDword(kAppSettings, QStringLiteral("fs_check_check")), 1);
    // One undo step gives the old size back.
    EXPECT_EQ(sheet->undoHistory().undoCount(), undos + 1);
    sheet->Undo();
    EXPECT_FLOAT_EQ(eq->settings.fontSize, 12.0f);

    // Unticked: the defaults file stays as it was.
    QFile::remove(layoutFile());
    dialogs.stringAnswers = {{true, QStringLiteral("20"), false}};
    EXPECT_EQ(sheet->FontSizeDialog(true), 1);
    EXPECT_FALSE(QFile::exists(layoutFile()));
    EXPECT_EQ(readDword(kAppSettings, QStringLiteral("fs_check_check")), 0);

    // Without a dialog service the user is told, and nothing changes.
    sheet->setEditDialogs(nullptr);
    messages.shown.clear();
    EXPECT_EQ(sheet->FontSizeDialog(true), 0);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, NotAvailableYetText(QStringLiteral("en"), Unavailable::StringInput));
}

// ---- colour-by-role drawing

TEST_F(DispatcherTest, RoleColoursFlipAndBecomeTheDefaultKeepingTheRestOfTheDefaultsFile) {
    // No defaults file yet: the built-in defaults with the new value.
    ASSERT_EQ(eq->settings.ints[0], 0);
    sheet->ExecuteCommand(CMD_TOGGLE_LAYOUT_OPTION);
    EXPECT_EQ(eq->settings.ints[0], 1);
    EqLayoutSettings expected = test::builtInStyle();
    expected.ints[0] = 1;
    expected.options[EqLayoutSettings::OptVersion] = EqLayoutSettings::kVersion;
    EXPECT_EQ(readRecord(layoutFile()), expected);
    EXPECT_TRUE(host.called("UpdateToolbarStates"));

    // A defaults file of the user's: only the value changes.
    EqLayoutSettings mine = test::builtInStyle();
    mine.fontSize = 20;
    mine.fontName = QStringLiteral("Cambria");
    mine.ints[0] = 1;
    ASSERT_TRUE(WriteLayoutSettingsFile(nullptr, layoutFile(), mine));
    sheet->ExecuteCommand(CMD_TOGGLE_LAYOUT_OPTION);
    EXPECT_EQ(eq->settings.ints[0], 0);
    mine.ints[0] = 0;
    EXPECT_EQ(readRecord(layoutFile()), mine);

    // The change is one undo step.
    sheet->Undo();
    EXPECT_EQ(eq->settings.ints[0], 1);

    // A damaged file: the user is told, and it is written anew.
    ASSERT_TRUE(test::writeFile(layoutFile(), QByteArray("\x03\x00\x41", 3)));
    messages.shown.clear();
    sheet->ExecuteCommand(CMD_TOGGLE_LAYOUT_OPTION);
    EXPECT_EQ(eq->settings.ints[0], 0);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.contains(layoutFile())) << messages.shown[0].text.toStdString();
    bool read = false;
    const EqLayoutSettings rewritten = readRecord(layoutFile(), &read);
    EXPECT_TRUE(read);
    EXPECT_EQ(rewritten.ints[0], 0);
    EXPECT_FLOAT_EQ(rewritten.fontSize, 12.0f);
}

// ---- line alignment

TEST_F(DispatcherTest, LineAlignmentGoesToTheEquationAndTheDefaultsFile) {
    const struct {
        int code;
        uint8_t option;
    } cases[] = {{CMD_ALIGN_LEFT, 0}, {CMD_ALIGN_RIGHT, 2}, {CMD_ALIGN_AT_MARK, 3}, {CMD_ALIGN_CENTER, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        host.calls.clear();
        const int modified = host.modified;
        sheet->ExecuteCommand(c.code);
        EXPECT_EQ(eq->settings.options[EqLayoutSettings::OptLineAlignment], c.option);
        EXPECT_EQ(readRecord(layoutFile()).options[EqLayoutSettings::OptLineAlignment], c.option);
        EXPECT_TRUE(host.called("UpdateAlignButtons"));
        EXPECT_GT(host.modified, modified);  // the document is marked changed
    }
    EXPECT_EQ(matrix->ch & 0xF, 0);

    // The mark goes on the element after the caret, and only there.
    b()->alignMark = 1;
    sheet->SetCaretElement(a());
    sheet->ExecuteCommand(CMD_ALIGN_AUTO_MARK);
    EXPECT_EQ(eq->settings.options[EqLayoutSettings::OptLineAlignment], 3);
    EXPECT_EQ(b()->alignMark, 1);
    EXPECT_EQ(a()->alignMark, 0);
    sheet->SetCaretElement(line0);
    sheet->ExecuteCommand(CMD_ALIGN_AUTO_MARK);
    EXPECT_EQ(a()->alignMark, 1);
    EXPECT_EQ(b()->alignMark, 0);

    // Undone, the mark comes back where it was (the undo replaces the
    // elements).
    sheet->Undo();
    EXPECT_EQ(eq->lines[0]->next->next->alignMark, 1);
    EXPECT_EQ(eq->lines[0]->next->alignMark, 0);
}

TEST_F(DispatcherTest, LineAlignmentInAMatrixUsesTheMatrixNumberingAndLeavesTheEquationAlone) {
    const struct {
        int code;
        int bits;
    } cases[] = {
        {CMD_ALIGN_LEFT, 1}, {CMD_ALIGN_CENTER, 0}, {CMD_ALIGN_RIGHT, 2}, {CMD_ALIGN_AT_MARK, 3},
        {CMD_ALIGN_AUTO_MARK, 3},
    };
    matrix->ch = 0x0240;  // other bits of the flag word stay
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        caretInMatrix();  // after w, at the end of the first cell
        sheet->ExecuteCommand(c.code);
        EXPECT_EQ(matrix->ch & 0xF, c.bits);
        EXPECT_EQ(matrix->ch & 0xFFF0, 0x0240);
        EXPECT_EQ(eq->settings.options[EqLayoutSettings::OptLineAlignment], 1);
    }
    // At the end of the cell the reference is the cell's head.
    EXPECT_EQ(matrix->children[0]->alignMark, 1);
    EXPECT_EQ(matrix->children[0]->next->alignMark, 0);
    EXPECT_FALSE(QFile::exists(layoutFile()));
}

// ---- equation settings and printing

TEST_F(DispatcherTest, EquationSettingsAreOneUndoStepAndTheViewFollowsAnOk) {
    ResizingDialogs resizing;
    resizing.recordingOf = &sheet->undoHistory();
    sheet->setEditDialogs(&resizing);
    const int undos = sheet->undoHistory().undoCount();
    sheet->ExecuteCommand(CMD_EQ_SETTINGS);
    EXPECT_FALSE(resizing.recordingSeen);  // the dialog's own changes leave no steps
    EXPECT_TRUE(sheet->undoHistory().recording);
    EXPECT_EQ(resizing.settingsOfficeModes, std::vector<bool>{false});
    EXPECT_FLOAT_EQ(eq->settings.fontSize, 20.0f);
    EXPECT_EQ(sheet->undoHistory().undoCount(), undos + 1);
    for (const char* call : {"ApplyPanelColours", "UpdateToolbarStates", "RedrawLibrarySheets"})
        EXPECT_TRUE(host.called(call)) << call;
    sheet->Undo();
    EXPECT_FLOAT_EQ(eq->settings.fontSize, 12.0f);

    // Cancel: no step is left, the library panel still redraws.
    sheet->setEditDialogs(&dialogs);
    host.calls.clear();
    const int undosNow = sheet->undoHistory().undoCount();
    dialogs.settingsAnswers = {0};
    EXPECT_EQ(sheet->ShowEquationSettings(false), 0);
    EXPECT_EQ(sheet->undoHistory().undoCount(), undosNow);
    EXPECT_TRUE(sheet->undoHistory().recording);
    EXPECT_FALSE(host.called("ApplyPanelColours"));
    EXPECT_TRUE(host.called("RedrawLibrarySheets"));

    // Office mode: the dialog alone, its answer returned.
    host.calls.clear();
    dialogs.settingsAnswers = {1};
    EXPECT_EQ(sheet->ShowEquationSettings(true), 1);
    EXPECT_EQ(dialogs.settingsOfficeModes.back(), true);
    EXPECT_TRUE(host.calls.empty());
    EXPECT_EQ(sheet->undoHistory().undoCount(), undosNow);
}

TEST_F(DispatcherTest, PrintingKeepsTheCaretBlinkingAndNeedsAnEquation) {
    sheet->StartCaret();
    ASSERT_TRUE(sheet->caretRunning());
    sheet->ExecuteCommand(CMD_PRINT);
    EXPECT_EQ(dialogs.printed, 1);
    EXPECT_TRUE(sheet->caretRunning());
    EXPECT_EQ(backend->timers.at(CKwEESheet::kCaretTimer), CKwEESheet::kCaretBlinkMs);

    sheet->SetEquation(nullptr);
    sheet->ExecuteCommand(CMD_PRINT);
    EXPECT_EQ(dialogs.printed, 1);
}

// ---- help documents, frame commands, language

TEST_F(DispatcherTest, HelpDocumentsOpenBesideTheProgramAndAMissingOneIsReported) {
    const QString notFound = LangText(QStringLiteral("LANG_01.xml"), QStringLiteral("gMSG_2"), 1);
    ASSERT_FALSE(notFound.isEmpty());
    struct Case {
        int code;
        const char* file;
        int shellResult;
        bool reported;
    };
    const Case cases[] = {
        {CMD_HELP, "Help.pdf", ShellOpened, false},
        {CMD_OCR_HELP, "OCR_Help.pdf", ShellOpened, false},
        {CMD_HELP, "Help.pdf", ShellFileNotFound, true},
        {CMD_OCR_HELP, "OCR_Help.pdf", ShellPathNotFound, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        shell.forcedResult = c.shellResult;
        shell.documents.clear();
        messages.shown.clear();
        sheet->ExecuteCommand(c.code);
        const QString path = programFolder() + QStringLiteral("Help/") + QString::fromLatin1(c.file);
        EXPECT_EQ(shell.documents, std::vector<QString>{path});
        if (c.reported) {
            ASSERT_EQ(messages.shown.size(), 1u);
            EXPECT_EQ(messages.shown[0].text, notFound + path);
        } else {
            EXPECT_TRUE(messages.shown.empty());
        }
    }
}

TEST_F(DispatcherTest, FrameCommandsGoToTheMainWindowWithTheSelectionCleared) {
    const struct {
        int code, id;
    } cases[] = {{CMD_FILE_NEW, ID_FILE_NEW},
                 {CMD_FILE_OPEN, ID_FILE_OPEN},
                 {CMD_FILE_SAVE, ID_FILE_SAVE},
                 {CMD_FILE_SAVE_AS, ID_FILE_SAVE_AS},
                 {CMD_APP_ABOUT, ID_APP_ABOUT}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        selectLine0();
        const QByteArray before = EquationToBytes(eq.get());
        sheet->ExecuteCommand(c.code);
        EXPECT_EQ(host.frameIds.back(), c.id);
        EXPECT_FALSE(sheet->selection().exists());
        EXPECT_EQ(EquationToBytes(eq.get()), before);  // cleared, not deleted
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(DispatcherTest, AnEmbeddedEquationStartsANewProgramAndRefusesOpenAndSaveAs) {
    host.embedded = true;
    sheet->ExecuteCommand(CMD_FILE_NEW);
    EXPECT_TRUE(host.frameIds.empty());
    ASSERT_EQ(shell.programs.size(), 1u);
    EXPECT_EQ(shell.programs[0].first, programFolder() + QStringLiteral("Toliva"));
    EXPECT_EQ(readDword(kAppSettings, QStringLiteral("MF_X")), 120);
    EXPECT_EQ(readDword(kAppSettings, QStringLiteral("MF_Y")), 45);
    EXPECT_TRUE(messages.shown.empty());

    const QString refusal = LangText(QStringLiteral("LANG_03.xml"), QStringLiteral("gMSG_2"), 1).replace('|', '\n');
    ASSERT_FALSE(refusal.isEmpty());
    for (int code : {CMD_FILE_OPEN, CMD_FILE_SAVE_AS}) {
        messages.shown.clear();
        sheet->ExecuteCommand(code);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, refusal);
    }
    EXPECT_TRUE(host.frameIds.empty());

    // Save and about go to the frame, and the container hears of it.
    host.calls.clear();
    sheet->ExecuteCommand(CMD_FILE_SAVE);
    EXPECT_EQ(host.frameIds, std::vector<int>{ID_FILE_SAVE});
    EXPECT_TRUE(host.called("NotifyEmbeddedChanged"));

    // A program that does not start is reported.
    shell.startSucceeds = false;
    messages.shown.clear();
    sheet->ExecuteCommand(CMD_FILE_NEW);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.endsWith(programFolder() + QStringLiteral("Toliva")));
}

TEST_F(DispatcherTest, LanguageTwoIsChineseAndEveryOtherChoiceEnglish) {
    const struct {
        int n, lanSel;
        const char* code;
    } cases[] = {{2, 2, "cn"}, {1, 1, "en"}, {2, 2, "cn"}, {3, 1, "en"}, {7, 1, "en"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.n);
        host.calls.clear();
        sheet->ExecuteCommand(CMD_LANGUAGE_BASE + c.n);
        EXPECT_EQ(app.lanSel, c.lanSel);
        EXPECT_TRUE(host.called("ApplyLanguage"));
        // The sheet's own messages follow at once.
        messages.shown.clear();
        sheet->ExecuteCommand(CMD_TEX_TO_EQUATION);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, notAvailable(c.code));
    }
    EXPECT_NE(notAvailable("cn"), notAvailable("en"));
}

// ---- the colour command and the matrix lines

TEST_F(DispatcherTest, TheColourCommandKeepsItsCustomColoursInGroupFourteen) {
    using Answer = ScriptedDialogService::Answer;
    writeDword(kCustomColours, QStringLiteral("G14C3"), 0x123456);
    std::array<QColor, 16> customs;
    for (auto& colour : customs) colour = QColor(1, 2, 3);
    customs[15] = QColor(0x40, 0x80, 0xC0);
    pickers.answers = {Answer::withColour(QColor(0x10, 0x20, 0x30), customs)};
    selectLine0();
    sheet->ExecuteCommand(CMD_COLOUR);
    ASSERT_EQ(pickers.colourRequests.size(), 1u);
    const ColourDialogRequest& request = pickers.colourRequests[0];
    EXPECT_TRUE(request.fullOpen);
    EXPECT_EQ(request.initial, QColor(0, 0, 0));
    EXPECT_EQ(request.customColours[0], QColor(240, 0, 0));     // built-in
    EXPECT_EQ(request.customColours[3], QColor(0x56, 0x34, 0x12));  // the user's
    EXPECT_EQ(a()->colour, 0xFF102030u);
    EXPECT_EQ(b()->colour, 0xFF102030u);
    EXPECT_EQ(eq->currentColour, 0xFF102030u);
    EXPECT_EQ(readDword(kCustomColours, QStringLiteral("G14C15")), 0xC08040);
    EXPECT_EQ(readDword(kCustomColours, QStringLiteral("G1C15")), -1);

    // Cancel changes nothing.
    const QByteArray before = EquationToBytes(eq.get(), true);
    sheet->ExecuteCommand(CMD_COLOUR);
    EXPECT_EQ(EquationToBytes(eq.get(), true), before);
}

TEST_F(DispatcherTest, MoveCodesAddAndRemoveMatrixRowsAndColumnsAtTheCaret) {
    const struct {
        int code;
        int rows, columns;  // afterwards
    } cases[] = {
        {CMD_MOVE_FIRST_KIND + 3, 3, 2},   // a row below
        {CMD_MOVE_FIRST_KIND + 2, 3, 3},   // a column right
        {CMD_MOVE_SECOND_KIND + 1, 2, 3},  // the caret's row
        {CMD_MOVE_SECOND_KIND + 0, 2, 2},  // the caret's column
        {CMD_MOVE_SECOND_KIND + 0, 2, 1},
        {CMD_MOVE_SECOND_KIND + 2, 2, 1},  // refused: the last column stays
    };
    caretInMatrix();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        sheet->ExecuteCommand(c.code);
        const MatrixShape shape = GetMatrixShape(matrix);
        EXPECT_EQ(shape.count2, c.rows);
        EXPECT_EQ(shape.count1, c.columns);
    }
}

// ---- office jobs

TEST_F(DispatcherTest, ThemeJobsSaveAndRestoreTheEquationStyle) {
    eq->settings.fontSize = 14;
    eq->settings.colours[3] = 0xFF123456;
    EXPECT_EQ(sheet->RunOfficeJob(6), 0);
    const EqLayoutSettings saved = eq->settings;
    EXPECT_EQ(readRecord(folder.file(QStringLiteral("MyTheme.thm"))), saved);

    eq->settings.fontSize = 30;
    eq->settings.ints[0] = 1;
    EXPECT_EQ(sheet->RunOfficeJob(7), 1);
    EXPECT_EQ(eq->settings, saved);

    // Job 8: the built-in style.
    EXPECT_EQ(sheet->RunOfficeJob(8), 1);
    EqLayoutSettings defaults;
    SetDefaultLayoutSettings(defaults);
    EXPECT_EQ(eq->settings, defaults);

    // The active theme is read the same way; a missing one gives the
    // built-in style, a damaged one the built-in style and a message.
    EqLayoutSettings active = saved;
    ASSERT_TRUE(WriteLayoutSettingsFile(nullptr, folder.file(QStringLiteral("ActiveTheme.thm")), active));
    eq->settings.fontSize = 9;
    EXPECT_EQ(sheet->RunOfficeJob(9), 1);
    EXPECT_EQ(eq->settings, saved);
    QFile::remove(folder.file(QStringLiteral("MyTheme.thm")));
    EXPECT_EQ(sheet->RunOfficeJob(7), 1);
    EXPECT_EQ(eq->settings, defaults);
    EXPECT_TRUE(messages.shown.empty());
    ASSERT_TRUE(test::writeFile(folder.file(QStringLiteral("ActiveTheme.thm")), QByteArray(7, '\x01')));
    eq->settings = saved;
    EXPECT_EQ(sheet->RunOfficeJob(9), 1);
    EXPECT_EQ(eq->settings, defaults);
    EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(DispatcherTest, StyleDialogJobsHandTheirChoiceToTheAddIn) {
    // Job 4: the font size dialog; OK makes the style the active theme.
    dialogs.stringAnswers = {{true, QStringLiteral("20"), false}};
    EXPECT_EQ(sheet->RunOfficeJob(4), 1);
    EXPECT_FLOAT_EQ(eq->settings.fontSize, 20.0f);
    EXPECT_EQ(readRecord(folder.file(QStringLiteral("ActiveTheme.thm"))), eq->settings);
    EXPECT_EQ(readString(kWordCmds, QStringLiteral("WaitingDoVerb")), "2");
    EXPECT_EQ(sheet->undoHistory().undoCount(), 0);  // no undo step in an office job

    QFile::remove(folder.file(QStringLiteral("ActiveTheme.thm")));
    EXPECT_EQ(sheet->RunOfficeJob(4), 0);  // cancelled
    EXPECT_EQ(readString(kWordCmds, QStringLiteral("WaitingDoVerb")), "1");
    EXPECT_FALSE(QFile::exists(folder.file(QStringLiteral("ActiveTheme.thm"))));

    // Job 5: the equation settings dialog in office mode.
    dialogs.settingsAnswers = {1, 0};
    EXPECT_EQ(sheet->RunOfficeJob(5), 1);
    EXPECT_EQ(dialogs.settingsOfficeModes.back(), true);
    EXPECT_EQ(readString(kWordCmds, QStringLiteral("WaitingDoVerb")), "2");
    EXPECT_TRUE(QFile::exists(folder.file(QStringLiteral("ActiveTheme.thm"))));
    EXPECT_EQ(sheet->RunOfficeJob(5), 0);
    EXPECT_EQ(readString(kWordCmds, QStringLiteral("WaitingDoVerb")), "1");

    // An active theme that cannot be written is not reported as handed on.
    app.userFolder = folder.file(QStringLiteral("missing")) + '/';
    dialogs.stringAnswers = {{true, QStringLiteral("22"), false}};
    messages.shown.clear();
    sheet->RunOfficeJob(4);
    EXPECT_EQ(readString(kWordCmds, QStringLiteral("WaitingDoVerb")), "1");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.contains(QStringLiteral("ActiveTheme.thm")));
    app.userFolder = folder.path() + '/';
}

TEST_F(DispatcherTest, Job10CopiesTheWholeEquationAsLaTeXWithoutLineFeeds) {
    // Line 1 becomes "c": two lines a b / c.
    ClearEquation(eq.get());
    EqBuilder builder(eq.get());
    builder.text(builder.line(), u"ab", EqTypeCharItalic);
    builder.text(builder.line(), u"c", EqTypeCharItalic);
    sheet->SetEquation(eq.get());
    struct Case {
        const char* display;  // "isDisplay"
        int delimCode;        // "TeXDelimCode"
        bool keepLineFeeds;
        const char* text;
    };
    const Case cases[] = {
        {"1", 0, false, "$$ab\\\\c$$"},   {"0", 0, false, "$ab\\\\c$"},      {"1", 1, false, "$$ab\\\\c$$"},
        {"0", 1, true, "$ab\\\\c$"},      {"1", 2, false, "\\[ab\\\\c\\]"},  {"0", 2, false, "\\(ab\\\\c\\)"},
        {"0", 3, true, "\\(ab\\\\c\\)"},  {"1", 4, true, "\\[ab\\\\c\\]"},   {"", 0, false, "$ab\\\\c$"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.display << " " << c.delimCode);
        writeString(kWordCmds, QStringLiteral("isDisplay"), QString::fromLatin1(c.display));
        writeDword(kAppSettings, QStringLiteral("TeXDelimCode"), c.delimCode);
        app.options = c.keepLineFeeds ? AppContext::kDefaultOptions | OptKeepDelimiterLineFeeds
                                      : AppContext::kDefaultOptions & ~uint32_t(OptKeepDelimiterLineFeeds);
        EXPECT_EQ(sheet->RunOfficeJob(10), 1);
        EXPECT_EQ(clipboard.text(), QString::fromLatin1(c.text));
        EXPECT_EQ(app.texDelimCode, c.delimCode);
    }
    // Job 12: MathML.
    EXPECT_EQ(sheet->RunOfficeJob(12), 1);
    EXPECT_TRUE(clipboard.text().contains(QStringLiteral("<math"))) << clipboard.text().toStdString();

    // An empty equation leaves the clipboard as it was.
    ClearEquation(eq.get());
    sheet->SetEquation(eq.get());
    const int writes = clipboard.writes;
    EXPECT_EQ(sheet->RunOfficeJob(10), 1);
    EXPECT_EQ(clipboard.writes, writes);
}

TEST_F(DispatcherTest, Job255WritesTheEquationStreamWhereTheAddInAsksAndNothingPartial) {
    const QString path = folder.file(QStringLiteral("exchange.afx"));
    // No path: nothing.
    EXPECT_EQ(sheet->RunOfficeJob(255), 0);
    EXPECT_TRUE(QDir(folder.path()).entryList({QStringLiteral("*.afx")}).isEmpty());

    writeString(kWordCmds, QStringLiteral("pCCI"), path);
    EXPECT_EQ(sheet->RunOfficeJob(255), 0);
    EqModel back(test::builtInStyle());
    ASSERT_TRUE(LoadEquationAtomically(&back, test::readFile(path)));
    EXPECT_EQ(EquationToBytes(&back), EquationToBytes(eq.get()));
    EXPECT_TRUE(messages.shown.empty());

    // A path that cannot be written: the user is told and no file appears.
    const struct {
        QString path;
        bool isFolder;
    } bad[] = {{folder.file(QStringLiteral("no-such-folder/x.afx")), false}, {folder.path(), true}};
    for (const auto& c : bad) {
        SCOPED_TRACE(c.path.toStdString());
        writeString(kWordCmds, QStringLiteral("pCCI"), c.path);
        messages.shown.clear();
        EXPECT_EQ(sheet->RunOfficeJob(255), 0);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_TRUE(messages.shown[0].text.contains(c.path));
        EXPECT_EQ(QFileInfo(c.path).isDir(), c.isFolder);
        EXPECT_FALSE(QFileInfo::exists(c.path) && !c.isFolder);
    }
}

TEST_F(DispatcherTest, OtherJobsAndTheirResults) {
    const QByteArray before = EquationToBytes(eq.get());
    EXPECT_EQ(sheet->RunOfficeJob(2), 1);
    EXPECT_EQ(EquationToBytes(eq.get()), before);

    // Job 3 flips colour-by-role drawing and writes no file.
    EXPECT_EQ(sheet->RunOfficeJob(3), 1);
    EXPECT_EQ(eq->settings.ints[0], 1);
    EXPECT_FALSE(QFile::exists(layoutFile()));

    // Job 32: the embedded item copies itself.
    EXPECT_EQ(sheet->RunOfficeJob(32), 0);
    EXPECT_TRUE(host.called("CopyEmbeddedItem"));
    EXPECT_TRUE(messages.shown.empty());

    // An item that cannot copy itself.
    host.available = false;
    messages.shown.clear();
    EXPECT_EQ(sheet->RunOfficeJob(32), 0);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, notAvailable());
    // Unknown jobs, and any job without an equation.
    messages.shown.clear();
    EXPECT_EQ(sheet->RunOfficeJob(99), 0);
    sheet->SetEquation(nullptr);
    for (int job : {2, 3, 6, 7, 8, 10, 255}) EXPECT_EQ(sheet->RunOfficeJob(job), 0) << job;
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_FALSE(QFile::exists(folder.file(QStringLiteral("MyTheme.thm"))));
}

}  // namespace
}  // namespace toliva
