// The per-user registry: keys with typed values in one SQLite database.
//
// Key paths are backslash-separated and compared without regard to case
// ("Software\Toliva\AppSettings"); value names likewise. Every call goes to
// the database (no cache), so a second process sees each write at once; the
// database runs in WAL mode with a busy timeout, so two processes may use it
// together.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

struct sqlite3;

namespace toliva {

enum RegValueType : uint32_t { REG_NONE = 0, REG_SZ = 1, REG_BINARY = 3, REG_DWORD = 4 };

struct RegValue {
    uint32_t type = REG_NONE;
    QByteArray data;  // REG_SZ: UTF-16LE with its terminator; REG_DWORD: 4 bytes LE
};

class RegistryStore {
public:
    // Opens (creating when needed) the database at path.
    explicit RegistryStore(const QString& dbPath);
    ~RegistryStore();
    RegistryStore(const RegistryStore&) = delete;
    RegistryStore& operator=(const RegistryStore&) = delete;

    // The process's store: configFolder()/registry.sqlite, opened on first use.
    static RegistryStore& instance();
    // Closes the process's store so that the next instance() opens it again
    // (after TOLIVA_HOME changed, in tests).
    static void resetInstance();

    bool isOpen() const { return m_db != nullptr; }
    const QString& path() const { return m_path; }

    bool keyExists(const QString& key);
    // Creates the key and every missing parent; true when it exists afterwards.
    bool createKey(const QString& key);
    // Deletes the key, its values and its subkeys.
    bool deleteKey(const QString& key);
    QStringList subkeys(const QString& key);

    std::optional<RegValue> query(const QString& key, const QString& name);
    // Sets a value of an existing key (false when the key does not exist).
    bool set(const QString& key, const QString& name, uint32_t type, const QByteArray& data);
    bool deleteValue(const QString& key, const QString& name);
    QStringList valueNames(const QString& key);

    // Typed conveniences over query/set.
    static QByteArray encodeString(const QString& s);   // UTF-16LE plus terminator
    static QString decodeString(const QByteArray& data);  // up to the first terminator
    static QByteArray encodeDword(uint32_t v);

    // The canonical (folded) form of a key path.
    static QString normaliseKey(const QString& key);

private:
    sqlite3* m_db = nullptr;
    QString m_path;
    std::mutex m_mutex;
};

}  // namespace toliva
