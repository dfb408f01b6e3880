#include "AppContext.h"

#include "Folders.h"
#include "RegistryStore.h"

namespace toliva {
namespace {

std::optional<uint32_t> readDword(const QString& key, const QString& name) {
    auto v = RegistryStore::instance().query(key, name);
    if (!v || v->type != REG_DWORD || v->data.size() != 4) return std::nullopt;
    const auto* p = reinterpret_cast<const uint8_t*>(v->data.constData());
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
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
    options = readDword(settings, QStringLiteral("dw1")).value_or(kDefaultOptions);
    texDelimCode = int(readDword(settings, QStringLiteral("TeXDelimCode")).value_or(0));
    lanSel = int(readDword(QStringLiteral("Software\\Toliva\\Language"), QStringLiteral("LanSel")).value_or(1));
}

}  // namespace toliva
