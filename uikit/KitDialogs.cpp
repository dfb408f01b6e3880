#include "uikit/KitDialogs.h"

#include "platform/DialogService.h"
#include "platform/RegKey.h"

#include <QFileInfo>

#include <algorithm>

namespace toliva {
namespace {

QString colourValueName(int group, int index) { return QStringLiteral("G%1C%2").arg(group).arg(index); }

QColor toQColor(uint32_t colorref) {
    return QColor(int(colorref & 0xFFu), int((colorref >> 8) & 0xFFu), int((colorref >> 16) & 0xFFu));
}

uint32_t toColorref(const QColor& c) {
    const QRgb rgb = c.rgb();
    return uint32_t(qRed(rgb)) | (uint32_t(qGreen(rgb)) << 8) | (uint32_t(qBlue(rgb)) << 16);
}

}  // namespace

// --- Custom colours --------------------------------------------------------------

CustomColours DefaultCustomColours() {
    return {0x0000F0, 0xF00000, 0xF000F0, 0x00A000, 0x2222B2, 0xB300B3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
}

void LoadCustomColours(const QString& keyPath, CustomColours& colours, int group) {
    const CustomColours defaults = DefaultCustomColours();
    RegKey key;
    OpenRegKey(keyPath, key);
    for (int i = 0; i < 16; ++i) {
        int value = 0;
        ReadRegDword(key, colourValueName(group, i), value, int(defaults[size_t(i)]));
        colours[size_t(i)] = uint32_t(value);
    }
}

bool SaveCustomColours(const QString& keyPath, const CustomColours& colours, int group) {
    RegKey key;
    if (!OpenRegKey(keyPath, key)) return false;
    bool ok = true;
    for (int i = 0; i < 16; ++i) ok = WriteRegDword(key, colourValueName(group, i), int(colours[size_t(i)])) && ok;
    return ok;
}

bool PickColourWithCustomColours(uint32_t& colour, int group, const QString& keyPath, bool save) {
    CustomColours customs{};
    LoadCustomColours(keyPath, customs, group);
    ColourDialogRequest request;
    request.initial = toQColor(colour);
    for (size_t i = 0; i < customs.size(); ++i) request.customColours[i] = toQColor(customs[i]);
    request.fullOpen = true;

    ColourDialogResult result;
    if (!dialogService().pickColour(request, &result)) return false;
    if (result.colour.isValid()) colour = toColorref(result.colour);
    if (save) {
        for (size_t i = 0; i < customs.size(); ++i)
            if (result.customColours[i].isValid()) customs[i] = toColorref(result.customColours[i]);
        SaveCustomColours(keyPath, customs, group);
    }
    return true;
}

void ReadCustomColors(const QString& keyPath, CustomColours& colours) { LoadCustomColours(keyPath, colours, 1); }

bool WriteCustomColors(const QString& keyPath, const CustomColours& colours) {
    return SaveCustomColours(keyPath, colours, 1);
}

bool RunColorDialog(uint32_t& colour, const QString& keyPath) {
    return PickColourWithCustomColours(colour, 1, keyPath, true);
}

// --- Last folders ----------------------------------------------------------------

bool PickFileWithLastFolder(const QString& filter, QObject* owner, QString& path, const QString& keyPath, bool save,
                            const QString& defaultExtension, int site, const QString& defaultName) {
    const QString valueName = QStringLiteral("LID_%1").arg(site);
    RegKey key;
    OpenRegKey(keyPath, key);

    FileDialogRequest request;
    request.save = save;
    request.filter = filter;
    request.defaultExtension = defaultExtension;
    request.defaultName = defaultName;
    request.overwritePrompt = true;
    request.owner = owner;
    ReadRegString(key, valueName, request.initialFolder, QString());

    QString chosen;
    if (!dialogService().pickFile(request, &chosen) || chosen.isEmpty()) return false;
    path = chosen;

    QString folder = QFileInfo(chosen).absolutePath();
    if (!folder.endsWith(u'/')) folder += u'/';
    // A folder too long for the value would be stored cut and name another
    // folder; the site then keeps the folder it had.
    if (folder.size() <= kRegStringMaxChars) WriteRegString(key, valueName, folder);
    return true;
}

// --- Back buffers ----------------------------------------------------------------

QImage* GetCachedCompatibleBitmap(CachedBitmap& cache, int width, int height) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (cache.bitmap && (cache.width != width || cache.height != height)) cache.bitmap.reset();
    if (!cache.bitmap) {
        cache.bitmap = std::make_unique<QImage>(width, height, QImage::Format_ARGB32_Premultiplied);
        cache.width = width;
        cache.height = height;
    }
    return cache.bitmap.get();
}

void FreeCachedBitmap(CachedBitmap& cache) {
    cache.bitmap.reset();
    cache.width = 0;
    cache.height = 0;
}

}  // namespace toliva
