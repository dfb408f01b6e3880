// The values the equation settings dialog keeps between runs (under
// "Software\Toliva\EqSettings") and the three office options that two of its
// pages show side by side: "NoSpaceAfterInline" (read by the office add-in
// from "Software\Toliva\WordCmds"), the half-height baseline of multi-line
// pictures and the office document's font size for new equations (bits of
// the option word).
#pragma once

#include <QString>

#include <cstdint>

namespace toliva {

struct AppContext;

// "UFN" (default 1): OK also writes the per-user defaults file.
bool ReadWriteDefaultsOnOK();
void StoreWriteDefaultsOnOK(bool on);

// The remembered page and Layout section, read as signed numbers. The page
// is clamped to 0 .. 5 by the dialog, the section to 0 .. 14 by the page.
int ReadSettingsPageIndex();     // "PageI", default 0
int ReadLayoutSectionIndex();    // "LayoutI", default 0
void StoreSettingsPageIndex(int page);
void StoreLayoutSectionIndex(int section);

// "ExpResolu" as stored (default 96), not clamped.
int ReadStoredExportResolution();
void StoreExportResolution(int dpi);

struct OfficeOptions {
    bool noSpaceAfterInline = true;   // "NoSpaceAfterInline" is not exactly "0"
    bool halfHeightBaseline = false;  // OptHalfHeightBaseline (0x80)
    bool docFontSize = false;         // OptDocFontSizeAfterImport (0x40000)
};

// Reads the switch from the registry and the two bits from the option word.
OfficeOptions ReadOfficeOptions(const AppContext& app);
// Writes "NoSpaceAfterInline" as "1" or "0" and sets or clears the two bits.
void StoreOfficeOptions(AppContext& app, const OfficeOptions& options);

}  // namespace toliva
