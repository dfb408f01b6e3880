#include "RegistryStore.h"

#include "Folders.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace toliva {
namespace {

// keys: every existing key, folded path as the identity, the path as first
// created for display, and the folded parent path for listing subkeys.
// vals: the values of the keys; a value's name keeps the case it was first
// written with.
const char* const kSchema =
    "CREATE TABLE IF NOT EXISTS keys("
    " path_folded TEXT NOT NULL PRIMARY KEY,"
    " parent_folded TEXT NOT NULL,"
    " path TEXT NOT NULL);"
    "CREATE INDEX IF NOT EXISTS keys_parent ON keys(parent_folded);"
    "CREATE TABLE IF NOT EXISTS vals("
    " key_folded TEXT NOT NULL,"
    " name_folded TEXT NOT NULL,"
    " name TEXT NOT NULL,"
    " type INTEGER NOT NULL,"
    " data BLOB NOT NULL,"
    " PRIMARY KEY(key_folded, name_folded));";

// A write the database refused, with its message (read before any rollback
// replaces it).
RegWriteResult refusedBy(sqlite3* db) { return {false, QString::fromUtf8(sqlite3_errmsg(db))}; }

// Whether a result code of opening and checking blames the file itself (it
// is damaged, no database, or of a foreign shape: it will never work) rather
// than the folder, the disk, the memory or another process.
bool isDamageCode(int code) {
    switch (code & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_NOMEM:
    case SQLITE_READONLY:
    case SQLITE_INTERRUPT:
    case SQLITE_IOERR:
    case SQLITE_FULL:
    case SQLITE_CANTOPEN:
    case SQLITE_PROTOCOL:
    case SQLITE_PERM:
    case SQLITE_AUTH:
    case SQLITE_ABORT:
        return false;
    default:
        return code != SQLITE_OK;
    }
}

// Moves the damaged database and its journals to "<path>.damaged-<UTC time>"
// (with "-wal" and "-journal" beside it, so the copy opens as it was) and
// drops the shared-memory index. The fresh database must not find the old
// journals: SQLite would replay them into it. Returns the new path, empty
// when the file could not be moved.
QString moveAside(const QString& path) {
    const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString base = path + QStringLiteral(".damaged-") + stamp;
    QString target = base;
    for (int n = 2; QFileInfo::exists(target) || QFileInfo::exists(target + QStringLiteral("-wal")); ++n)
        target = base + QLatin1Char('-') + QString::number(n);
    if (!QFile::rename(path, target)) return {};
    for (const QLatin1String suffix : {QLatin1String("-wal"), QLatin1String("-journal")}) {
        if (QFileInfo::exists(path + suffix) && !QFile::rename(path + suffix, target + suffix))
            QFile::remove(path + suffix);
    }
    QFile::remove(path + QStringLiteral("-shm"));
    return target;
}

// One prepared statement, finalised with the object.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) {
        if (db && sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr) != SQLITE_OK) {
            sqlite3_finalize(m_stmt);
            m_stmt = nullptr;
        }
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool ok() const { return m_stmt != nullptr; }

    Statement& bind(int index, const QString& text) {
        const QByteArray utf8 = text.toUtf8();
        if (m_stmt) sqlite3_bind_text(m_stmt, index, utf8.isNull() ? "" : utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& bindBlob(int index, const QByteArray& data) {
        if (!m_stmt) return *this;
        if (data.isEmpty())
            sqlite3_bind_zeroblob(m_stmt, index, 0);  // a null pointer would bind NULL
        else
            sqlite3_bind_blob(m_stmt, index, data.constData(), int(data.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& bind(int index, int64_t v) {
        if (m_stmt) sqlite3_bind_int64(m_stmt, index, v);
        return *this;
    }

    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step() { return m_stmt ? sqlite3_step(m_stmt) : SQLITE_ERROR; }
    // Runs a statement that returns no rows.
    bool run() { return step() == SQLITE_DONE; }

    QString text(int col) const {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, col));
        return p ? QString::fromUtf8(p, sqlite3_column_bytes(m_stmt, col)) : QString();
    }
    QByteArray blob(int col) const {
        const void* p = sqlite3_column_blob(m_stmt, col);
        const int n = sqlite3_column_bytes(m_stmt, col);
        return (p && n > 0) ? QByteArray(static_cast<const char*>(p), n) : QByteArray();
    }
    int64_t integer(int col) const { return sqlite3_column_int64(m_stmt, col); }

private:
    sqlite3_stmt* m_stmt = nullptr;
};

// A write transaction that rolls back unless committed.
class WriteTransaction {
public:
    explicit WriteTransaction(sqlite3* db) : m_db(db) {
        m_active = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~WriteTransaction() {
        if (m_active) sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;

    bool active() const { return m_active; }
    RegWriteResult commit() {
        if (!m_active) return {};
        m_active = false;
        if (sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK) return {true, {}};
        RegWriteResult refused = refusedBy(m_db);
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        return refused;
    }

private:
    sqlite3* m_db;
    bool m_active = false;
};

// The key path with empty parts removed ("\A\\B\" -> "A\B"), case kept.
QString cleanKey(const QString& key) {
    return key.split(QLatin1Char('\\'), Qt::SkipEmptyParts).join(QLatin1Char('\\'));
}

QString fold(const QString& s) { return s.toCaseFolded(); }

std::mutex& instanceMutex() {
    static std::mutex m;
    return m;
}

std::unique_ptr<RegistryStore>& instanceSlot() {
    static std::unique_ptr<RegistryStore> store;
    return store;
}

}  // namespace

RegistryStore::RegistryStore(const QString& dbPath, int busyTimeoutMs) : m_path(dbPath) {
    bool damaged = false;
    QString reason;
    if (openFile(busyTimeoutMs, &damaged, &reason)) {
        m_openResult.status = RegistryOpenResult::Opened;
        return;
    }
    m_openResult.reason = reason;
    if (!damaged) return;  // Failed: the folder, the disk or the moment, not the file
    m_openResult.movedTo = moveAside(m_path);
    if (m_openResult.movedTo.isEmpty()) return;
    QString again;
    if (openFile(busyTimeoutMs, &damaged, &again))
        m_openResult.status = RegistryOpenResult::Recovered;
    else
        m_openResult.reason = again;
}

bool RegistryStore::openFile(int busyTimeoutMs, bool* damaged, QString* reason) {
    *damaged = false;
    if (m_path.isEmpty()) {
        *reason = QStringLiteral("no database path");
        return false;
    }
    const QByteArray file = m_path.toUtf8();
    sqlite3* db = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    const auto fail = [&](int code, const QString& message) {
        *damaged = isDamageCode(code);
        *reason = message.isEmpty() ? QString::fromUtf8(sqlite3_errmsg(db)) : message;
        sqlite3_close(db);
        return false;
    };
    if (const int rc = sqlite3_open_v2(file.constData(), &db, flags, nullptr); rc != SQLITE_OK) return fail(rc, {});
    sqlite3_busy_timeout(db, busyTimeoutMs);
    // The file may have been changed by anyone: no schema-defined functions
    // with side effects, no writes that can damage the file's structure.
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_exec(db, "PRAGMA trusted_schema=OFF", nullptr, nullptr, nullptr);
    // Nothing is written before the file has passed: a damaged one is kept
    // as it was, with its log (closing would delete the log file unless it
    // is marked persistent until then). First a quick check of every page's
    // structure (not of the indexes' contents): the database is small, and a
    // damaged one would otherwise answer reads with defaults and refuse every
    // write for good.
    int persistLog = 1;
    sqlite3_file_control(db, "main", SQLITE_FCNTL_PERSIST_WAL, &persistLog);
    int checked = SQLITE_OK;
    QString finding;
    {
        Statement check(db, "PRAGMA quick_check(1)");  // finalised before any close
        if (check.step() != SQLITE_ROW) {
            checked = sqlite3_extended_errcode(db);
            finding = QString::fromUtf8(sqlite3_errmsg(db));
            // Our database is small: a check that runs out of memory was sent
            // there by a header or schema that asks for absurd sizes.
            if ((checked & 0xFF) == SQLITE_NOMEM) checked = SQLITE_CORRUPT;
        } else if (check.text(0) != QLatin1String("ok")) {
            checked = SQLITE_CORRUPT;
            finding = check.text(0);
        }
    }
    if (checked != SQLITE_OK) return fail(checked, finding);
    // The schema, in one transaction that a failure rolls back: it fails for
    // a folder that cannot be written (SQLITE_READONLY, SQLITE_CANTOPEN), and
    // for a file with a foreign schema (SQLITE_ERROR: a table of another
    // shape stands under one of our names).
    if (const int rc = sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr); rc != SQLITE_OK) return fail(rc, {});
    if (const int rc = sqlite3_exec(db, kSchema, nullptr, nullptr, nullptr); rc != SQLITE_OK) {
        const QString message = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        return fail(rc, message);
    }
    if (!Statement(db, "SELECT path_folded, parent_folded, path FROM keys LIMIT 0").ok() ||
        !Statement(db, "SELECT key_folded, name_folded, name, type, data FROM vals LIMIT 0").ok()) {
        const QString message = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        return fail(SQLITE_FORMAT, message);
    }
    if (const int rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr); rc != SQLITE_OK) {
        const QString message = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        return fail(rc, message);
    }
    persistLog = 0;
    sqlite3_file_control(db, "main", SQLITE_FCNTL_PERSIST_WAL, &persistLog);
    // WAL lets readers go on while another process writes. The mode is kept
    // in the file, so a failure here (another process holds the database
    // in the middle of a change) leaves a usable database behind.
    sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
    m_db = db;
    return true;
}

RegistryStore::~RegistryStore() {
    if (m_db) sqlite3_close(m_db);
}

RegistryStore& RegistryStore::instance() {
    std::lock_guard lock(instanceMutex());
    auto& slot = instanceSlot();
    if (!slot) {
        const QString folder = configFolder();
        ensureFolder(folder);
        slot = std::make_unique<RegistryStore>(folder + QStringLiteral("/registry.sqlite"));
    }
    return *slot;
}

void RegistryStore::setBusyTimeout(int ms) {
    if (!m_db) return;
    std::lock_guard lock(m_mutex);
    sqlite3_busy_timeout(m_db, ms);
}

void RegistryStore::resetInstance() {
    std::lock_guard lock(instanceMutex());
    instanceSlot().reset();
}

QString RegistryStore::normaliseKey(const QString& key) { return fold(cleanKey(key)); }

bool RegistryStore::keyExists(const QString& key) {
    if (!m_db) return false;
    const QString k = normaliseKey(key);
    if (k.isEmpty()) return true;  // the root always exists
    std::lock_guard lock(m_mutex);
    Statement st(m_db, "SELECT 1 FROM keys WHERE path_folded = ?1");
    return st.bind(1, k).step() == SQLITE_ROW;
}

RegWriteResult RegistryStore::createKey(const QString& key) {
    if (!m_db) return notOpen();
    const QString path = cleanKey(key);
    if (path.isEmpty()) return {true, {}};
    std::lock_guard lock(m_mutex);
    WriteTransaction tx(m_db);
    if (!tx.active()) return refusedBy(m_db);
    // Every prefix of the path is a key; existing ones keep their spelling.
    const QStringList parts = path.split(QLatin1Char('\\'));
    QString prefix;
    for (const QString& part : parts) {
        const QString parent = fold(prefix);
        prefix = prefix.isEmpty() ? part : prefix + QLatin1Char('\\') + part;
        Statement st(m_db, "INSERT OR IGNORE INTO keys(path_folded, parent_folded, path) VALUES(?1, ?2, ?3)");
        if (!st.bind(1, fold(prefix)).bind(2, parent).bind(3, prefix).run()) return refusedBy(m_db);
    }
    return tx.commit();
}

RegWriteResult RegistryStore::deleteKey(const QString& key) {
    if (!m_db) return notOpen();
    const QString k = normaliseKey(key);
    if (k.isEmpty()) return {};  // the root cannot be deleted
    const QString below = k + QLatin1Char('\\');
    std::lock_guard lock(m_mutex);
    WriteTransaction tx(m_db);
    if (!tx.active()) return refusedBy(m_db);
    Statement exists(m_db, "SELECT 1 FROM keys WHERE path_folded = ?1");
    if (const int rc = exists.bind(1, k).step(); rc != SQLITE_ROW)
        return rc == SQLITE_DONE ? RegWriteResult{} : refusedBy(m_db);  // missing, or refused
    // The subtree is the key itself and every path that starts with "key\".
    Statement keys(m_db,
                   "DELETE FROM keys WHERE path_folded = ?1"
                   " OR substr(path_folded, 1, length(?2)) = ?2");
    Statement vals(m_db,
                   "DELETE FROM vals WHERE key_folded = ?1"
                   " OR substr(key_folded, 1, length(?2)) = ?2");
    if (!keys.bind(1, k).bind(2, below).run() || !vals.bind(1, k).bind(2, below).run()) return refusedBy(m_db);
    return tx.commit();
}

QStringList RegistryStore::subkeys(const QString& key) {
    QStringList names;
    if (!m_db) return names;
    std::lock_guard lock(m_mutex);
    Statement st(m_db, "SELECT path FROM keys WHERE parent_folded = ?1 ORDER BY path_folded");
    st.bind(1, normaliseKey(key));
    while (st.step() == SQLITE_ROW) {
        const QString path = st.text(0);
        names << path.mid(path.lastIndexOf(QLatin1Char('\\')) + 1);
    }
    return names;
}

std::optional<RegValue> RegistryStore::query(const QString& key, const QString& name) {
    if (!m_db) return std::nullopt;
    std::lock_guard lock(m_mutex);
    Statement st(m_db, "SELECT type, data FROM vals WHERE key_folded = ?1 AND name_folded = ?2");
    if (st.bind(1, normaliseKey(key)).bind(2, fold(name)).step() != SQLITE_ROW) return std::nullopt;
    const int64_t type = st.integer(0);
    if (type < 0 || type > int64_t(UINT32_MAX)) return std::nullopt;
    return RegValue{uint32_t(type), st.blob(1)};
}

RegWriteResult RegistryStore::set(const QString& key, const QString& name, uint32_t type, const QByteArray& data) {
    if (!m_db) return notOpen();
    std::lock_guard lock(m_mutex);
    // One statement, so that the key cannot vanish between check and write.
    Statement st(m_db,
                 "INSERT INTO vals(key_folded, name_folded, name, type, data)"
                 " SELECT ?1, ?2, ?3, ?4, ?5"
                 " WHERE ?1 = '' OR EXISTS(SELECT 1 FROM keys WHERE path_folded = ?1)"
                 " ON CONFLICT(key_folded, name_folded) DO UPDATE SET type = excluded.type, data = excluded.data");
    st.bind(1, normaliseKey(key)).bind(2, fold(name)).bind(3, name).bind(4, int64_t(type)).bindBlob(5, data);
    return changed(st.run());
}

RegWriteResult RegistryStore::deleteValue(const QString& key, const QString& name) {
    if (!m_db) return notOpen();
    std::lock_guard lock(m_mutex);
    Statement st(m_db, "DELETE FROM vals WHERE key_folded = ?1 AND name_folded = ?2");
    return changed(st.bind(1, normaliseKey(key)).bind(2, fold(name)).run());
}

RegWriteResult RegistryStore::notOpen() const {
    return {false, m_openResult.reason.isEmpty() ? QStringLiteral("the registry is not open") : m_openResult.reason};
}

RegWriteResult RegistryStore::changed(bool ran) const {
    if (!ran) return refusedBy(m_db);
    return {sqlite3_changes(m_db) > 0, {}};
}

QStringList RegistryStore::valueNames(const QString& key) {
    QStringList names;
    if (!m_db) return names;
    std::lock_guard lock(m_mutex);
    Statement st(m_db, "SELECT name FROM vals WHERE key_folded = ?1 ORDER BY name_folded");
    st.bind(1, normaliseKey(key));
    while (st.step() == SQLITE_ROW) names << st.text(0);
    return names;
}

QByteArray RegistryStore::encodeString(const QString& s) {
    QByteArray out;
    out.reserve((s.size() + 1) * 2);
    for (QChar c : s) {
        out.append(char(c.unicode() & 0xFF));
        out.append(char(c.unicode() >> 8));
    }
    out.append(2, '\0');
    return out;
}

QString RegistryStore::decodeString(const QByteArray& data) {
    QString s;
    const auto* p = reinterpret_cast<const uint8_t*>(data.constData());
    for (qsizetype i = 0; i + 1 < data.size(); i += 2) {
        const char16_t u = char16_t(p[i] | (p[i + 1] << 8));
        if (u == 0) break;
        s.append(QChar(u));
    }
    return s;
}

QByteArray RegistryStore::encodeDword(uint32_t v) {
    QByteArray out(4, '\0');
    for (int i = 0; i < 4; ++i) out[i] = char((v >> (8 * i)) & 0xFF);
    return out;
}

}  // namespace toliva
