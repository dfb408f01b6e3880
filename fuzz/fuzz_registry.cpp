// Feeds bytes as the registry database file: the store and the typed reads
// must fail softly on any file (foreign schema, odd column types, damage).
#include "platform/RegistryStore.h"
#include "platform/RegKey.h"

#include <QDir>
#include <QFile>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <unistd.h>

namespace {

QString homeFolder() {
    static const QString home = [] {
        const QString h = QDir::tempPath() + QStringLiteral("/toliva-fuzz-registry-%1").arg(getpid());
        QDir().mkpath(h);
        setenv("TOLIVA_HOME", h.toLocal8Bit().constData(), 1);
        return h;
    }();
    return home;
}

void readEverything(const QString& keyPath, int depth) {
    using namespace toliva;
    RegistryStore& store = RegistryStore::instance();
    RegKey key;
    if (!OpenRegKey(keyPath, key)) return;
    for (const QString& name : store.valueNames(keyPath)) {
        QString s;
        int i = 0;
        float f = 0;
        ReadRegString(key, name, s, QString());
        ReadRegDword(key, name, i, 0);
        ReadRegFloat(key, name, f, 0);
        ReadRegBool(key, name, false);
        if (auto v = store.query(keyPath, name)) RegistryStore::decodeString(v->data);
    }
    if (depth >= 4) return;
    for (const QString& sub : store.subkeys(keyPath).mid(0, 16))
        readEverything(keyPath.isEmpty() ? sub : keyPath + QLatin1Char('\\') + sub, depth + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace toliva;
    const QString home = homeFolder();
    RegistryStore::resetInstance();
    const QString file = home + QStringLiteral("/registry.sqlite");
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) QFile::remove(file + QLatin1String(suffix));
    {
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly)) std::abort();
        f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }

    RegistryStore& store = RegistryStore::instance();
    readEverything(QString(), 0);
    // Writes on whatever opened (a damaged file may refuse them).
    RegKey key;
    if (OpenRegKey(QStringLiteral("Software\\Toliva\\Fuzz"), key)) {
        WriteRegDword(key, QStringLiteral("v"), 7);
        WriteRegString(key, QStringLiteral("s"), QStringLiteral("text"));
        int v = 0;
        ReadRegDword(key, QStringLiteral("V"), v, 0);
    }
    store.deleteKey(QStringLiteral("Software"));
    return 0;
}
