#include "platform/RegistryStore.h"

#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include <sqlite3.h>

#include <cstdlib>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

namespace toliva {
namespace {

using test::ScratchFolder;

class RegistryStoreTest : public ::testing::Test {
protected:
    ScratchFolder folder;
    QString dbPath = folder.file(QStringLiteral("registry.sqlite"));
    RegistryStore store{dbPath};
};

TEST_F(RegistryStoreTest, KeyPathsAreNormalisedAndCaseInsensitive) {
    struct Case {
        const char* created;
        const char* looked;
    } cases[] = {
        {"Software\\Toliva\\AppSettings", "software\\TOLIVA\\appsettings"},
        {"\\Software\\Toliva\\Dlgs\\", "Software\\\\Toliva\\Dlgs"},
        {"Software\\Ärger", "SOFTWARE\\äRGER"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.created);
        ASSERT_TRUE(store.isOpen());
        EXPECT_FALSE(store.keyExists(QString::fromUtf8(c.looked)));
        EXPECT_TRUE(store.createKey(QString::fromUtf8(c.created)));
        EXPECT_TRUE(store.keyExists(QString::fromUtf8(c.looked)));
        EXPECT_EQ(RegistryStore::normaliseKey(QString::fromUtf8(c.created)),
                  RegistryStore::normaliseKey(QString::fromUtf8(c.looked)));
    }
}

TEST_F(RegistryStoreTest, CreateKeyMakesEveryParentAndKeepsFirstSpelling) {
    ASSERT_TRUE(store.createKey(QStringLiteral("Software\\Toliva\\Dlgs\\UserSym")));
    EXPECT_TRUE(store.keyExists(QStringLiteral("Software")));
    EXPECT_TRUE(store.keyExists(QStringLiteral("Software\\Toliva")));
    EXPECT_TRUE(store.keyExists(QStringLiteral("Software\\Toliva\\Dlgs")));
    EXPECT_TRUE(store.createKey(QStringLiteral("SOFTWARE\\TOLIVA\\FDInit")));  // existing parents
    EXPECT_EQ(store.subkeys(QStringLiteral("software")), QStringList{QStringLiteral("Toliva")});
    EXPECT_EQ(store.subkeys(QStringLiteral("Software\\Toliva")),
              (QStringList{QStringLiteral("Dlgs"), QStringLiteral("FDInit")}));
}

TEST_F(RegistryStoreTest, ValuesNeedAnExistingKeyAndIgnoreNameCase) {
    const QString key = QStringLiteral("Software\\Toliva\\AppSettings");
    EXPECT_FALSE(store.set(key, QStringLiteral("dw1"), REG_DWORD, RegistryStore::encodeDword(7)));
    EXPECT_FALSE(store.query(key, QStringLiteral("dw1")));

    ASSERT_TRUE(store.createKey(key));
    EXPECT_TRUE(store.set(key, QStringLiteral("LanSel"), REG_DWORD, RegistryStore::encodeDword(2)));
    EXPECT_TRUE(store.set(key.toUpper(), QStringLiteral("LANSEL"), REG_SZ, RegistryStore::encodeString("x")));
    EXPECT_TRUE(store.set(key, QString(), REG_BINARY, QByteArray()));  // unnamed value, empty data

    EXPECT_EQ(store.valueNames(key), (QStringList{QString(), QStringLiteral("LanSel")}));
    auto v = store.query(key, QStringLiteral("lansel"));
    ASSERT_TRUE(v);
    EXPECT_EQ(v->type, REG_SZ);
    EXPECT_EQ(v->data, test::fromHex("78 00 00 00"));
    auto unnamed = store.query(key, QStringLiteral(""));
    ASSERT_TRUE(unnamed);
    EXPECT_EQ(unnamed->type, REG_BINARY);
    EXPECT_TRUE(unnamed->data.isEmpty());

    EXPECT_TRUE(store.deleteValue(key, QStringLiteral("LANSEL")));
    EXPECT_FALSE(store.deleteValue(key, QStringLiteral("LanSel")));
    EXPECT_FALSE(store.query(key, QStringLiteral("LanSel")));
}

TEST_F(RegistryStoreTest, DeleteKeyRemovesItsSubtreeOnly) {
    for (const char* k : {"A\\B", "A\\B\\C", "A\\BC"}) {
        ASSERT_TRUE(store.createKey(k));
        ASSERT_TRUE(store.set(k, "v", REG_DWORD, RegistryStore::encodeDword(1)));
    }
    EXPECT_TRUE(store.deleteKey(QStringLiteral("a\\b")));
    EXPECT_FALSE(store.keyExists("A\\B"));
    EXPECT_FALSE(store.keyExists("A\\B\\C"));
    EXPECT_FALSE(store.query("A\\B\\C", "v"));
    EXPECT_TRUE(store.keyExists("A\\BC"));
    EXPECT_TRUE(store.query("A\\BC", "v"));
    EXPECT_FALSE(store.deleteKey("A\\B"));
    EXPECT_FALSE(store.deleteKey(""));  // the root stays
}

TEST(RegistryStoreCodec, StringsAndDwordsAreLittleEndian) {
    EXPECT_EQ(RegistryStore::encodeString(QString()), test::fromHex("00 00"));
    EXPECT_EQ(RegistryStore::encodeString(QString::fromUtf8("A€")), test::fromHex("41 00 AC 20 00 00"));
    EXPECT_EQ(RegistryStore::encodeDword(0x3FC00000), test::fromHex("00 00 C0 3F"));

    struct Case {
        const char* hex;
        const char* text;
    } cases[] = {
        {"41 00 AC 20 00 00", "A€"},
        {"41 00 42 00", "AB"},            // no terminator
        {"41 00 00 00 42 00 00 00", "A"},  // stops at the first terminator
        {"41 00 42", "A"},                 // odd trailing byte ignored
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hex);
        EXPECT_EQ(RegistryStore::decodeString(test::fromHex(c.hex)), QString::fromUtf8(c.text));
    }
}

TEST(RegistryStoreOpen, UnusableDatabaseFailsEveryCallWithItsReason) {
    ScratchFolder folder;
    ASSERT_TRUE(test::writeFile(folder.file("plain"), "not a folder"));
    const QString paths[] = {
        folder.file("plain/registry.sqlite"),  // parent is a file: cannot be created
        QString(),
    };
    for (const QString& path : paths) {
        SCOPED_TRACE(path.toStdString());
        RegistryStore store(path);
        EXPECT_FALSE(store.isOpen());
        EXPECT_EQ(store.openResult().status, RegistryOpenResult::Failed);
        EXPECT_FALSE(store.openResult().reason.isEmpty());
        EXPECT_TRUE(store.openResult().movedTo.isEmpty());
        const RegWriteResult created = store.createKey("Software");
        EXPECT_FALSE(created);
        EXPECT_EQ(created.reason, store.openResult().reason);
        EXPECT_FALSE(store.keyExists("Software"));
        EXPECT_FALSE(store.set("", "v", REG_DWORD, RegistryStore::encodeDword(1)));
        EXPECT_FALSE(store.query("", "v"));
        EXPECT_FALSE(store.deleteKey("Software"));
        EXPECT_FALSE(store.deleteValue("", "v"));
        EXPECT_TRUE(store.subkeys("").isEmpty());
        EXPECT_TRUE(store.valueNames("").isEmpty());
    }
}

// A sound database file holding enough values to span several pages.
QByteArray soundDatabaseBytes() {
    ScratchFolder folder;
    const QString path = folder.file("sound.sqlite");
    {
        RegistryStore store(path);
        EXPECT_TRUE(store.createKey("Software\\Toliva\\AppSettings"));
        for (int i = 0; i < 300; ++i)
            EXPECT_TRUE(store.set("Software\\Toliva\\AppSettings", QStringLiteral("value%1").arg(i), REG_SZ,
                                  RegistryStore::encodeString(QString(40, QChar(u'a' + i % 26)))));
    }  // the last connection folds the log into the file
    return test::readFile(path);
}

// A file in the registry's place that is no sound database is moved aside,
// kept byte for byte, and a fresh database takes its place; the next open
// finds nothing to report.
TEST(RegistryStoreOpen, DamagedFileIsMovedAsideAndAFreshOneStarted) {
    const QByteArray sound = soundDatabaseBytes();
    ASSERT_GT(sound.size(), 4 * 4096);
    QByteArray badPage = sound;
    badPage.replace(2 * 4096, 4096, QByteArray(4096, '\x5A'));  // a b-tree page overwritten
    QByteArray foreign;
    {
        ScratchFolder f;
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(f.file("f.sqlite").toUtf8().constData(), &db), SQLITE_OK);
        const char* sql = "CREATE TABLE keys(a, b); INSERT INTO keys VALUES(1, 2);";
        ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
        foreign = test::readFile(f.file("f.sqlite"));
    }
    const struct {
        const char* what;
        QByteArray bytes;
    } cases[] = {
        {"garbage bytes", QByteArray(4096, 'x')},
        {"garbage after a database header", sound.left(100) + QByteArray(8000, '\x7F')},
        {"truncated database", sound.left(sound.size() / 2)},
        {"overwritten page", badPage},
        {"foreign schema", foreign},
        // A header and schema that send the check out of memory.
        {"schema asking too much", test::readFile(QFileInfo(QStringLiteral(__FILE__))
                                                      .dir()
                                                      .filePath(QStringLiteral("../data/registry/schema-asks-too-much.sqlite")))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchFolder folder;
        const QString path = folder.file("registry.sqlite");
        ASSERT_TRUE(test::writeFile(path, c.bytes));
        {
            RegistryStore store(path);
            const RegistryOpenResult& opened = store.openResult();
            EXPECT_EQ(opened.status, RegistryOpenResult::Recovered) << opened.reason.toStdString();
            EXPECT_FALSE(opened.reason.isEmpty());
            EXPECT_TRUE(opened.movedTo.startsWith(path + ".damaged-")) << opened.movedTo.toStdString();
            EXPECT_EQ(test::readFile(opened.movedTo), c.bytes);
            ASSERT_TRUE(store.isOpen());
            EXPECT_FALSE(store.keyExists("Software"));
            ASSERT_TRUE(store.createKey("Software\\Toliva"));
            ASSERT_TRUE(store.set("Software\\Toliva", "v", REG_DWORD, RegistryStore::encodeDword(5)));
        }
        RegistryStore again(path);
        EXPECT_EQ(again.openResult().status, RegistryOpenResult::Opened);
        auto v = again.query("Software\\Toliva", "v");
        ASSERT_TRUE(v);
        EXPECT_EQ(v->data, RegistryStore::encodeDword(5));
        EXPECT_EQ(QDir(folder.path()).entryList({"registry.sqlite.damaged-*[0-9]"}, QDir::Files).size(), 1);
    }
}

// The journals of a damaged file go with it: left behind, SQLite would replay
// them into the fresh database.
TEST(RegistryStoreOpen, DamagedFileTakesItsJournalAlong) {
    ScratchFolder folder;
    const QString path = folder.file("registry.sqlite");
    ASSERT_TRUE(test::writeFile(path, QByteArray(4096, 'x')));
    ASSERT_TRUE(test::writeFile(path + "-wal", "old log"));
    ASSERT_TRUE(test::writeFile(path + "-shm", "old index"));
    RegistryStore store(path);
    ASSERT_EQ(store.openResult().status, RegistryOpenResult::Recovered);
    EXPECT_EQ(test::readFile(store.openResult().movedTo + "-wal"), "old log");
    EXPECT_FALSE(QFileInfo::exists(store.openResult().movedTo + "-shm"));
    EXPECT_TRUE(store.createKey("Software"));
}

// Another connection holds the write lock past the busy timeout: every write
// fails and says why; reads go on; writes work again once the lock is gone.
TEST(RegistryStoreOpen, WriteLockedPastTheBusyTimeoutIsReported) {
    ScratchFolder folder;
    const QString path = folder.file("registry.sqlite");
    RegistryStore store(path, 50);
    ASSERT_TRUE(store.createKey("A\\B"));
    ASSERT_TRUE(store.set("A\\B", "v", REG_DWORD, RegistryStore::encodeDword(1)));

    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    const struct {
        const char* what;
        std::function<RegWriteResult()> write;
    } writes[] = {
        {"set", [&] { return store.set("A\\B", "v", REG_DWORD, RegistryStore::encodeDword(2)); }},
        {"createKey", [&] { return store.createKey("A\\C"); }},
        {"deleteValue", [&] { return store.deleteValue("A\\B", "v"); }},
        {"deleteKey", [&] { return store.deleteKey("A"); }},
    };
    for (const auto& w : writes) {
        SCOPED_TRACE(w.what);
        const RegWriteResult r = w.write();
        EXPECT_FALSE(r);
        EXPECT_TRUE(r.reason.contains("locked")) << r.reason.toStdString();
    }
    auto v = store.query("A\\B", "v");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->data, RegistryStore::encodeDword(1));

    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    const RegWriteResult r = store.set("A\\B", "v", REG_DWORD, RegistryStore::encodeDword(2));
    EXPECT_TRUE(r);
    EXPECT_TRUE(r.reason.isEmpty());
}

TEST(RegistryStoreOpen, InstanceLivesInTheConfigFolderInWalMode) {
    ScratchFolder folder;
    const QByteArray oldHome = qgetenv("TOLIVA_HOME");
    const QString home = folder.file("not/yet/there");
    setenv("TOLIVA_HOME", home.toLocal8Bit().constData(), 1);
    RegistryStore::resetInstance();

    RegistryStore& store = RegistryStore::instance();
    EXPECT_TRUE(store.isOpen());
    EXPECT_EQ(store.path(), home + "/registry.sqlite");
    EXPECT_TRUE(store.createKey("Software\\Toliva"));
    EXPECT_TRUE(QFileInfo::exists(store.path()));
    EXPECT_TRUE(QFileInfo::exists(store.path() + "-wal"));

    setenv("TOLIVA_HOME", oldHome.constData(), 1);
    RegistryStore::resetInstance();
}

// Two processes on one database file. The children open their own store and
// leave with _exit, so they never touch the parent's connection.
class RegistryStoreProcesses : public RegistryStoreTest {
protected:
    // Runs body in a child process and returns its exit code (-1 when it
    // did not exit normally).
    template <class Body>
    static int runChild(Body body) {
        const pid_t pid = fork();
        if (pid == 0) _exit(body());
        return waitFor(pid);
    }
    static int waitFor(pid_t pid) {
        int status = 0;
        if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
        return WEXITSTATUS(status);
    }
    const QString key = QStringLiteral("Software\\Pirnel");
};

TEST_F(RegistryStoreProcesses, WriteInOneProcessIsSeenByTheOtherAtOnce) {
    // The parent's store has read the key before the child writes.
    ASSERT_TRUE(store.createKey(key));
    ASSERT_FALSE(store.query(key, "KwGEW"));

    const QString path = dbPath;
    const QString k = key;
    EXPECT_EQ(runChild([&] {
                  RegistryStore own(path);
                  return own.set(k, "KwGEW", REG_DWORD, RegistryStore::encodeDword(2)) ? 0 : 1;
              }),
              0);
    auto v = store.query(key, "kwgew");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->data, RegistryStore::encodeDword(2));

    ASSERT_TRUE(store.set(key, "Caller", REG_DWORD, RegistryStore::encodeDword(0)));
    EXPECT_EQ(runChild([&] {
                  RegistryStore own(path);
                  auto seen = own.query(k, "CALLER");
                  return (seen && seen->type == REG_DWORD && seen->data == RegistryStore::encodeDword(0)) ? 0 : 1;
              }),
              0);
}

TEST_F(RegistryStoreProcesses, ConcurrentWritersLoseNothing) {
    constexpr int kPerWriter = 200;
    int gate[2];
    ASSERT_EQ(pipe(gate), 0);
    pid_t writers[2];
    for (int w = 0; w < 2; ++w) {
        writers[w] = fork();
        if (writers[w] == 0) {
            close(gate[1]);
            char c;
            if (read(gate[0], &c, 1) != 0) _exit(3);  // wait until the parent closes the gate
            RegistryStore own(dbPath);
            if (!own.createKey(key)) _exit(1);
            for (int n = 0; n < kPerWriter; ++n) {
                const QString name = QStringLiteral("W%1_%2").arg(w).arg(n);
                if (!own.set(key, name, REG_DWORD, RegistryStore::encodeDword(uint32_t(n)))) _exit(2);
            }
            _exit(0);
        }
    }
    close(gate[0]);
    close(gate[1]);  // both writers start together
    EXPECT_EQ(waitFor(writers[0]), 0);
    EXPECT_EQ(waitFor(writers[1]), 0);

    const QStringList names = store.valueNames(key);
    EXPECT_EQ(names.size(), 2 * kPerWriter);
    for (int w = 0; w < 2; ++w) {
        auto last = store.query(key, QStringLiteral("w%1_%2").arg(w).arg(kPerWriter - 1));
        ASSERT_TRUE(last);
        EXPECT_EQ(last->data, RegistryStore::encodeDword(kPerWriter - 1));
    }
}

}  // namespace
}  // namespace toliva
