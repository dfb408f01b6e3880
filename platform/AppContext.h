// What the application object offers to the libraries: the option word, the
// LaTeX delimiter mode, the language selection, the folders it created at
// start-up and the drawing lock. One instance per process.
#pragma once

#include <QString>

#include <cstdint>
#include <mutex>
#include <vector>

namespace toliva {

// Bits of the option word ("dw1" under AppSettings).
enum AppOption : uint32_t {
    OptLibraryPanel = 0x1,
    OptSingleClickTiles = 0x40,     // a single click on a tile inserts it
    OptHalfHeightBaseline = 0x80,   // multi-line pictures: baseline at half the height
    OptDottedSeparators = 0x100,
    OptShowSpaceMarks = 0x200,
    OptFileIntoNotes = 0x400,  // every stored equation is also filed into the notes
    OptTeXTyping = 0x800,
    OptAutoBrackets = 0x1000,
    OptAutoCalc = 0x2000,
    OptFillResultBox = 0x4000,
    OptNoResultFillInMetafile = 0x8000,
    OptPromptForSheet = 0x10000,
    OptPromptForSource = 0x20000,
    OptDocFontSizeAfterImport = 0x40000,
    OptExtraUpright1 = 0x80000,
    OptKeepDelimiterLineFeeds = 0x100000,
    OptNativeUsLayout = 0x200000,
    OptExtraUpright2 = 0x400000,
    OptNoAltTap = 0x800000,
};

// What start-up found for the user to read: the program shows each note's
// text (StartupNoteText) through its message sink, once.
struct StartupNote {
    enum Kind {
        RegistryDamaged,   // the settings database was damaged; argument: where it was moved
        RegistryUnusable,  // the settings database cannot be opened; argument: the reason
    };
    Kind kind = RegistryDamaged;
    QString argument;
};

// The note's text in the application's language, with '|' turned into line
// breaks and the argument appended.
QString StartupNoteText(const StartupNote& note);

struct AppContext {
    static constexpr uint32_t kDefaultOptions = 0x7F9F5;

    uint32_t options = kDefaultOptions;  // "dw1"
    int texDelimCode = 0;                // "TeXDelimCode": 0 $$, 1 $, 2 \[, 3 \(, 4 none
    float eeScale = 4.0f;                // editor scale, 0.2 to 20
    int lanSel = 1;                      // "LanSel": 2 Chinese, else English
    float uiScale = 1.0f;
    uint32_t resultBackColour = 0xFFFFFF;  // "res_clr_bk_RGB", COLORREF; drawn opaque
    // The calculation switch: 0 off, 1 Shift+Enter after "=" evaluates the
    // caret's line.
    int calcSwitch = 0;

    QString userFolder;  // per-user data folder, trailing '/'
    QString tempFolder;  // its "Temp" subfolder, trailing '/'

    // Held around every rendering into a cached off-screen bitmap.
    std::recursive_mutex drawingLock;

    bool option(uint32_t bit) const { return (options & bit) != 0; }
    // The attribute that language files are read with.
    QString languageCode() const { return lanSel == 2 ? QStringLiteral("cn") : QStringLiteral("en"); }

    // Creates the per-user folders ("Toliva", its "Temp", "UserBooks" and
    // "UserBooks/BP") and records them; safe to call again.
    void createUserFolders();
    // Reads "dw1", "TeXDelimCode" (AppSettings) and "LanSel" (Language, see
    // ReadLanguageSelection; a missing one keeps lanSel) from the registry. The first call, which opens it, records a start-up note
    // when the database was damaged (moved aside, a fresh one started) or
    // cannot be opened.
    void loadOptions();
    // The start-up notes not shown yet; the list is left empty.
    std::vector<StartupNote> takeStartupNotes();

    std::vector<StartupNote> startupNotes;
    bool registryChecked = false;  // the registry's open has been looked at
};

// "LanSel" text to the language number, as _wtoi reads it (TextToInt): 0 for
// text that is not a number; "02" is 2.
int ParseLanguageSelection(const QString& text);
// The language number stored as the text "LanSel" under "Software\Toliva\Language";
// def when the key or the value is missing or the value is no text. Only
// reads: a missing key is not created.
int ReadLanguageSelection(int def);

// The process's application context.
AppContext& app();

}  // namespace toliva
