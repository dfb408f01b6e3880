#include "AppContext.h"

#include "Folders.h"
#include "RegKey.h"

namespace toliva {
namespace {

int readDword(const QString& subkey, const QString& name, int def) {
    RegKey key;
    int value = def;
    if (OpenRegKey(subkey, key)) ReadRegDword(key, name, value, def);
    return value;
}

}  // namespace

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
    const QString settings = QStringLiteral("Software\\Toliva\\AppSettings");
    options = uint32_t(readDword(settings, QStringLiteral("dw1"), int(kDefaultOptions)));
    texDelimCode = readDword(settings, QStringLiteral("TeXDelimCode"), 0);
    lanSel = readDword(QStringLiteral("Software\\Toliva\\Language"), QStringLiteral("LanSel"), 1);
}

}  // namespace toliva
