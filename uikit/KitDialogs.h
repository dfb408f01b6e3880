// Small services that many windows share: the colour dialog with sixteen
// custom colours kept per colour group in the registry, file dialogs that
// start in the folder last used at their site, and cached back buffers for
// windows that paint through an off-screen bitmap.
//
// Registry layout:
//   <colour key>\"G%dC%d"  REG_DWORD COLORREF (group number, index 0 to 15)
//   <folder key>\"LID_%d"  REG_SZ folder with its trailing '/' (site number)
#pragma once

#include <QImage>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>

class QObject;

namespace toliva {

inline constexpr char kCustomColourKey[] = "Software\\Toliva\\CDInit";
inline constexpr char kLastFolderKey[] = "Software\\Toliva\\FDInit";

// File-dialog sites, each with its own last folder.
enum FileDialogSite : int {
    kSiteLaTeXTextFiles = 1,
    kSiteMemoEditor = 2,
    kSiteThemeFiles = 3,
    kSiteGlyphFiles = 4,
    kSiteExport = 5,
    kSiteSettingsPages = 6,
    kSiteLaTeXEditorSettings = 8,
    kSiteHotkeysAndGridFiles = 9,  // hotkey files and the property grid's file fields
    kSiteBookPackets = 10,
};

// Sixteen colours, COLORREF 0x00BBGGRR.
using CustomColours = std::array<uint32_t, 16>;

// Red, blue, magenta, green, brick red and purple, then black.
CustomColours DefaultCustomColours();

// Reads the sixteen colours of the group; a value that is missing, not a
// 4-byte REG_DWORD, or a key that cannot be opened gives the default colour.
void LoadCustomColours(const QString& keyPath, CustomColours& colours, int group);
bool SaveCustomColours(const QString& keyPath, const CustomColours& colours, int group);
// The colour dialog, fully open on colour (a COLORREF; its top byte is
// ignored) with the group's custom colours. On OK colour gets the choice and,
// when save is set, the custom colours as the user left them are written
// back. Cancel changes and writes nothing and returns false.
bool PickColourWithCustomColours(uint32_t& colour, int group, const QString& keyPath, bool save);

// The same for group 1; RunColorDialog always writes the custom colours on OK.
void ReadCustomColors(const QString& keyPath, CustomColours& colours);
bool WriteCustomColors(const QString& keyPath, const CustomColours& colours);
bool RunColorDialog(uint32_t& colour, const QString& keyPath);

// The file dialog (save dialog when save is set, else open) with the filter
// (Windows form, see FileDialogRequest), the default extension and the
// proposed name (may be empty), starting in the folder kept as "LID_<site>" under keyPath. On OK path
// gets the chosen file and its folder is kept for the next dialog of the
// site; Cancel leaves path as it was and returns false.
bool PickFileWithLastFolder(const QString& filter, QObject* owner, QString& path, const QString& keyPath, bool save,
                            const QString& defaultExtension, int site, const QString& defaultName = QString());

// A window's back buffer and the size it was made at.
struct CachedBitmap {
    std::unique_ptr<QImage> bitmap;
    int width = 0;
    int height = 0;
};

// The cached bitmap at the size (a size below 1 counts as 1), made anew only
// when there is none or its size differs. Its contents are kept otherwise.
QImage* GetCachedCompatibleBitmap(CachedBitmap& cache, int width, int height);
void FreeCachedBitmap(CachedBitmap& cache);

}  // namespace toliva
