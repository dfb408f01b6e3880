#include "AppContext.h"

#include "Folders.h"
#include "LangTable.h"
#include "RegKey.h"
#include "Utilities.h"

#include <optional>

namespace toliva {
namespace {

int readDword(const QString& subkey, const QString& name, int def) {
    RegKey key;
    int value = def;
    if (OpenRegKey(subkey, key)) ReadRegDword(key, name, value, def);
    return value;
}

// The start-up note of the registry's open, if it calls for one.
std::optional<StartupNote> registryNote(const RegistryOpenResult& opened) {
    switch (opened.status) {
    case RegistryOpenResult::Opened:
        return std::nullopt;
    case RegistryOpenResult::Recovered:
        return StartupNote{StartupNote::RegistryDamaged, opened.movedTo};
    case RegistryOpenResult::Failed:
        break;
    }
    return StartupNote{StartupNote::RegistryUnusable, opened.reason};
}

}  // namespace

QString StartupNoteText(const StartupNote& note) {
    struct Source {
        int item;
        const char* fallback;
    };
    static const Source kDamaged{4, "The settings database was damaged and has been put aside; your settings are "
                                    "back to their defaults.|The damaged file was kept as:|"};
    static const Source kUnusable{5, "The settings database cannot be opened, so settings will not be saved.|"};
    const Source& source = note.kind == StartupNote::RegistryDamaged ? kDamaged : kUnusable;
    QString text = LangText(QStringLiteral("LANG_07.xml"), QStringLiteral("gMSG_1"), source.item);
    if (text.isEmpty()) text = QString::fromUtf8(source.fallback);
    text.replace(QLatin1Char('|'), QLatin1Char('\n'));
    return text + note.argument;
}

int ParseLanguageSelection(const QString& text) { return TextToInt(text); }

int ReadLanguageSelection(int def) {
    const QString& subkey = kLanguageKey;
    if (!RegistryStore::instance().keyExists(subkey)) return def;
    RegKey key;
    QString text;
    if (!OpenRegKey(subkey, key) || !ReadRegString(key, QStringLiteral("LanSel"), text, QString())) return def;
    return ParseLanguageSelection(text);
}

AppContext& app() {
    static AppContext context;
    return context;
}

void AppContext::createUserFolders() {
    const QString base = userDataBase() + QStringLiteral("/Toliva/");
    ensureFolder(base);
    ensureFolder(base + QStringLiteral("Temp"));
    ensureFolder(base + QStringLiteral("UserBooks"));
    ensureFolder(base + QStringLiteral("UserBooks/BP"));
    userFolder = base;
    tempFolder = base + QStringLiteral("Temp/");
}

void AppContext::loadOptions() {
    const QString& settings = kAppSettingsKey;
    options = uint32_t(readDword(settings, QStringLiteral("dw1"), int(kDefaultOptions)));
    texDelimCode = readDword(settings, QStringLiteral("TeXDelimCode"), 0);
    lanSel = ReadLanguageSelection(lanSel);
    if (registryChecked) return;
    registryChecked = true;
    if (auto note = registryNote(RegistryStore::instance().openResult())) startupNotes.push_back(std::move(*note));
}

std::vector<StartupNote> AppContext::takeStartupNotes() {
    std::vector<StartupNote> taken;
    taken.swap(startupNotes);
    return taken;
}

}  // namespace toliva
