#include "shell/DialogPlacement.h"

#include "platform/RegKey.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cstdint>
#include <limits>

namespace toliva {

namespace {

const QString kX = QStringLiteral("X"), kY = QStringLiteral("Y"), kW = QStringLiteral("W"), kH = QStringLiteral("H");

// Win32-style edges: right and bottom lie past the rectangle.
int64_t rightOf(const QRect& r) { return int64_t(r.left()) + r.width(); }
int64_t bottomOf(const QRect& r) { return int64_t(r.top()) + r.height(); }

int toInt(int64_t v) {
    return int(std::clamp<int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

QScreen* screenNearest(QPoint point) {
    QScreen* best = nullptr;
    int64_t bestDistance = std::numeric_limits<int64_t>::max();
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect g = screen->geometry();
        const int64_t dx = std::max<int64_t>({int64_t(g.left()) - point.x(), 0, int64_t(point.x()) - g.right()});
        const int64_t dy = std::max<int64_t>({int64_t(g.top()) - point.y(), 0, int64_t(point.y()) - g.bottom()});
        const int64_t distance = dx * dx + dy * dy;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = screen;
        }
    }
    return best;
}

}  // namespace

DialogPlacementValues ReadDialogPlacement(RegKey& key, const QRect& reference) {
    DialogPlacementValues v;
    ReadRegDword(key, kW, v.w, DialogPlacementValues::kDefaultWidth);
    ReadRegDword(key, kH, v.h, DialogPlacementValues::kDefaultHeight);
    ReadRegDword(key, kX, v.x, (reference.width() - DialogPlacementValues::kDefaultWidth) / 2);
    ReadRegDword(key, kY, v.y, (reference.height() - DialogPlacementValues::kDefaultHeight) / 2);
    return v;
}

QRect PlaceDialog(const QRect& reference, const DialogPlacementValues& values, const QRect& virtualScreen,
                  const QRect& workArea) {
    // Stored values come from outside: the sums are taken wide.
    int64_t x = std::max<int64_t>(int64_t(reference.left()) + values.x, virtualScreen.left());
    int64_t y = std::max<int64_t>(int64_t(reference.top()) + values.y, virtualScreen.top());
    const int w = std::min(std::max(values.w, DialogPlacementValues::kDefaultWidth), workArea.width());
    const int h = std::min(std::max(values.h, DialogPlacementValues::kDefaultHeight), workArea.height());
    if (rightOf(workArea) - w / 2 < x) x = rightOf(workArea) - w;
    if (bottomOf(workArea) - h / 2 < y) y = bottomOf(workArea) - h;
    x = std::max<int64_t>(x, workArea.left());
    y = std::max<int64_t>(y, workArea.top());
    return QRect(toInt(x), toInt(y), w, h);
}

QRect ScreenRect(const QWidget* window) {
    if (window->isWindow()) return window->frameGeometry();
    return QRect(window->mapToGlobal(QPoint(0, 0)), window->size());
}

void SaveDialogPlacement(const QWidget* reference, const QWidget* dialog, RegKey& key) {
    if (!reference || !dialog) return;
    const QRect r = ScreenRect(reference), d = ScreenRect(dialog);
    WriteRegDword(key, kX, d.left() - r.left());
    WriteRegDword(key, kY, d.top() - r.top());
    WriteRegDword(key, kW, d.width());
    WriteRegDword(key, kH, d.height());
}

void RestoreDialogPlacement(const QWidget* reference, RegKey& key, QWidget* dialog) {
    if (!reference || !dialog) return;
    const QRect r = ScreenRect(reference);
    QScreen* screen = screenNearest(r.topLeft());
    const QRect virtualScreen = screen ? screen->virtualGeometry() : r;
    const QRect workArea = screen ? screen->availableGeometry() : r;
    const QRect placed = PlaceDialog(r, ReadDialogPlacement(key, r), virtualScreen, workArea);
    // The stored size is the window's with its frame; the frame's share is
    // known once the window has been shown (none before).
    const QSize frame = dialog->frameGeometry().size() - dialog->size();
    dialog->move(placed.topLeft());
    dialog->resize(placed.size() - frame);
}

}  // namespace toliva
