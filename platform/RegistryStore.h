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

// How opening the database went.
struct RegistryOpenResult {
    enum Status {
        Opened,     // the file opened sound (or was created)
        Recovered,  // the file was damaged: it was moved to movedTo and a fresh one started
        Failed,     // nothing could be opened (see reason); every call fails
    };
    Status status = Failed;
    QString movedTo;  // Recovered: where the damaged file now lies
    QString reason;   // Failed, and Recovered: what was wrong, in SQLite's words
};

// What a write did: ok, or why not. A missing key or value is no error
// (ok false, reason empty); a database that refused the write (locked past
// the busy timeout, read-only, full, damaged) gives SQLite's message.
struct RegWriteResult {
    bool ok = false;
    QString reason;
    explicit operator bool() const { return ok; }
};

class RegistryStore {
public:
    static constexpr int kDefaultBusyTimeoutMs = 5000;

    // Opens (creating when needed) the database at path. A file that is no
    // sound registry database (not a database, damaged, a foreign schema) is
    // moved aside to "<path>.damaged-<UTC time>", keeping it for the user,
    // and a fresh database takes its place (openResult tells).
    explicit RegistryStore(const QString& dbPath, int busyTimeoutMs = kDefaultBusyTimeoutMs);
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
    const RegistryOpenResult& openResult() const { return m_openResult; }
    // How long a write waits for another connection's write to end.
    void setBusyTimeout(int ms);

    bool keyExists(const QString& key);
    // Creates the key and every missing parent; ok when it exists afterwards.
    RegWriteResult createKey(const QString& key);
    // Deletes the key, its values and its subkeys (not ok when it is missing).
    RegWriteResult deleteKey(const QString& key);
    QStringList subkeys(const QString& key);

    std::optional<RegValue> query(const QString& key, const QString& name);
    // Sets a value of an existing key (not ok when the key does not exist).
    RegWriteResult set(const QString& key, const QString& name, uint32_t type, const QByteArray& data);
    RegWriteResult deleteValue(const QString& key, const QString& name);
    QStringList valueNames(const QString& key);

    // Typed conveniences over query/set.
    static QByteArray encodeString(const QString& s);   // UTF-16LE plus terminator
    static QString decodeString(const QByteArray& data);  // up to the first terminator
    static QByteArray encodeDword(uint32_t v);

    // The canonical (folded) form of a key path.
    static QString normaliseKey(const QString& key);

private:
    // Opens the file; on damage returns false with m_db null and reason set.
    bool openFile(int busyTimeoutMs, bool* damaged, QString* reason);
    // A write on a store that is not open: why it is not.
    RegWriteResult notOpen() const;
    // A single-statement write: refused when it did not run, ok when it
    // changed a row, neither when there was nothing to change.
    RegWriteResult changed(bool ran) const;

    sqlite3* m_db = nullptr;
    QString m_path;
    RegistryOpenResult m_openResult;
    std::mutex m_mutex;
};

}  // namespace toliva
