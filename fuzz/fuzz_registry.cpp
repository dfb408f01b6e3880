// Feeds bytes as the registry database file: the store and the typed reads
// must fail softly on any file (foreign schema, odd column types, damage). A
// file that does not pass the store's checks must be moved aside untouched,
// with a fresh database in its place that takes writes, and start-up must
// report it once.
#include "platform/AppContext.h"
#include "platform/RegistryStore.h"
#include "platform/RegKey.h"

#include <QDir>
#include <QFile>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>
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
    const RegistryOpenResult opened = store.openResult();
    // The scratch folder can be written: whatever the file holds, the store opens.
    if (opened.status == RegistryOpenResult::Failed) std::abort();
    AppContext context;
    context.loadOptions();
    const std::vector<StartupNote> notes = context.takeStartupNotes();
    if (notes.size() != (opened.status == RegistryOpenResult::Recovered ? 1u : 0u)) std::abort();
    for (const StartupNote& note : notes) StartupNoteText(note);
    context.loadOptions();
    if (!context.takeStartupNotes().empty()) std::abort();
    if (opened.status == RegistryOpenResult::Recovered) {
        QFile kept(opened.movedTo);
        if (!kept.open(QIODevice::ReadOnly) ||
            kept.readAll() != QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)))
            std::abort();
        if (!store.createKey(QStringLiteral("Software\\Toliva\\Fresh"))) std::abort();
    }
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
    for (const QString& name : QDir(home).entryList({QStringLiteral("registry.sqlite.damaged-*")}, QDir::Files))
        QFile::remove(home + QLatin1Char('/') + name);
    return 0;
}
