// Where a dialog comes back: its position relative to a reference window
// and its size, kept in REG_DWORD values "X", "Y", "W" and "H" under the
// dialog's own key below "Software\Toliva\Dlgs". Restoring keeps the dialog
// at least 800 x 640 (unless the work area is smaller) and at least half on
// the work area of the reference window's monitor.
#pragma once

#include <QRect>

class QWidget;

namespace toliva {

struct RegKey;

// The values a dialog's placement is stored in.
struct DialogPlacementValues {
    static constexpr int kDefaultWidth = 800, kDefaultHeight = 640;
    int x = 0, y = 0;  // left and top minus the reference window's left and top
    int w = kDefaultWidth, h = kDefaultHeight;
};

// The stored values; a missing one takes its default: the size 800 x 640,
// centred on the reference rectangle.
DialogPlacementValues ReadDialogPlacement(RegKey& key, const QRect& reference);
// Where a dialog with those values goes, in screen coordinates: beside the
// reference rectangle, not left of or above the virtual screen, its size
// between 800 x 640 and the work area's, moved back when more than half of
// it would lie past the work area's right or bottom edge, and not left of or
// above the work area.
QRect PlaceDialog(const QRect& reference, const DialogPlacementValues& values, const QRect& virtualScreen,
                  const QRect& workArea);

// A window's rectangle on the screen (a top-level window with its frame).
QRect ScreenRect(const QWidget* window);

// Writes the dialog's placement relative to the reference window into the
// open key; nothing when either window is missing.
void SaveDialogPlacement(const QWidget* reference, const QWidget* dialog, RegKey& key);
// Moves and sizes the dialog by the placement stored in the open key, the
// work area being that of the monitor nearest to the reference window's
// top-left corner.
void RestoreDialogPlacement(const QWidget* reference, RegKey& key, QWidget* dialog);

}  // namespace toliva
