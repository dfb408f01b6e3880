#include "shell/settings/EquationSettingsValues.h"

#include "platform/AppContext.h"
#include "platform/RegKey.h"

namespace toliva {
namespace {

const QString kNoSpaceAfterInline = QStringLiteral("NoSpaceAfterInline");

int readEqSetting(const QString& name, int def) {
    RegKey key;
    OpenRegKey(kEqSettingsKey, key);
    int value = def;
    ReadRegDword(key, name, value, def);
    return value;
}

void storeEqSetting(const QString& name, int value) {
    RegKey key;
    if (OpenRegKey(kEqSettingsKey, key)) WriteRegDword(key, name, value);
}

void setBit(uint32_t& word, uint32_t bit, bool on) { word = on ? (word | bit) : (word & ~bit); }

}  // namespace

bool ReadWriteDefaultsOnOK() { return readEqSetting(QStringLiteral("UFN"), 1) != 0; }
void StoreWriteDefaultsOnOK(bool on) { storeEqSetting(QStringLiteral("UFN"), on ? 1 : 0); }

int ReadSettingsPageIndex() { return readEqSetting(QStringLiteral("PageI"), 0); }
int ReadLayoutSectionIndex() { return readEqSetting(QStringLiteral("LayoutI"), 0); }
void StoreSettingsPageIndex(int page) { storeEqSetting(QStringLiteral("PageI"), page); }
void StoreLayoutSectionIndex(int section) { storeEqSetting(QStringLiteral("LayoutI"), section); }

int ReadStoredExportResolution() { return readEqSetting(QStringLiteral("ExpResolu"), 96); }
void StoreExportResolution(int dpi) { storeEqSetting(QStringLiteral("ExpResolu"), dpi); }

OfficeOptions ReadOfficeOptions(const AppContext& app) {
    OfficeOptions options;
    RegKey key;
    OpenRegKey(kWordCmdsKey, key);
    QString text;
    ReadRegString(key, kNoSpaceAfterInline, text, QString());
    options.noSpaceAfterInline = text != QLatin1String("0");
    options.halfHeightBaseline = app.option(OptHalfHeightBaseline);
    options.docFontSize = app.option(OptDocFontSizeAfterImport);
    return options;
}

void StoreOfficeOptions(AppContext& app, const OfficeOptions& options) {
    RegKey key;
    if (OpenRegKey(kWordCmdsKey, key))
        WriteRegString(key, kNoSpaceAfterInline, options.noSpaceAfterInline ? QStringLiteral("1") : QStringLiteral("0"));
    setBit(app.options, OptHalfHeightBaseline, options.halfHeightBaseline);
    setBit(app.options, OptDocFontSizeAfterImport, options.docFontSize);
}

}  // namespace toliva
