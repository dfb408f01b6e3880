// The equation document file: its archive, the compound file around it, and
// the office document's font size for new equations.
#include "shell/document/AfxFile.h"

#include "model/EqBuilder.h"
#include "model/EqDump.h"
#include "model/EqModel.h"
#include "model/EqStream.h"
#include "platform/Archive.h"
#include "platform/RegKey.h"
#include "platform/RegistryStore.h"
#include "platform/SafeFile.h"
#include "sheet/editing/CommandWork.h"
#include "tests/common/ModelFixtures.h"
#include "TestSupport.h"

#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <cstring>
#include <optional>

using namespace toliva;

namespace {

const QByteArray kCompoundMagic = test::fromHex("D0 CF 11 E0 A1 B1 1A E1");

// A style that differs from the built-in one, so that a lost style shows.
EqLayoutSettings documentStyle() {
    EqLayoutSettings s = test::builtInStyle();
    s.fontSize = 20;
    s.size2 = 5;
    s.colours[14] = 0xFF102030;
    return s;
}

// Three lines of a typical formula.
std::unique_ptr<EqModel> sampleEquation() {
    auto eq = std::make_unique<EqModel>(documentStyle());
    EqBuilder b(eq.get());
    for (int k = 0; k < 3; ++k) test::addSampleLine(b, k);
    return eq;
}

// The canonical dump of eq as a read gives it back.
QString readBackDump(EqModel* eq) {
    EqModel back(test::builtInStyle());
    if (!LoadEquationAtomically(&back, EquationToBytes(eq))) return QStringLiteral("(unreadable)");
    return DumpEquation(back);
}

QByteArray f32Bytes(float v) {
    QByteArray out(4, Qt::Uninitialized);
    std::memcpy(out.data(), &v, 4);  // little-endian machine, as the archive
    return out;
}

QByteArray i32Bytes(int32_t v) {
    QByteArray out(4, Qt::Uninitialized);
    std::memcpy(out.data(), &v, 4);
    return out;
}

QByteArray archiveOf(EqModel* eq, float extentX, float extentY) { return AfxArchiveBytes(eq, extentX, extentY); }

// A content that a failed read must leave as it is.
struct Previous {
    AfxContent content;
    EqModel* equation = nullptr;

    Previous() {
        content.equation = sampleEquation();
        content.metafileCache = "old picture";
        content.extentX = 1;
        content.extentY = 2;
        equation = content.equation.get();
    }
    void expectUnchanged() const {
        EXPECT_EQ(content.equation.get(), equation);
        EXPECT_EQ(content.metafileCache, QByteArray("old picture"));
        EXPECT_EQ(content.extentX, 1.0f);
        EXPECT_EQ(content.extentY, 2.0f);
    }
};

}  // namespace

TEST(AfxFile, WritingAndReadingGiveTheSameDocumentBack) {
    test::ScratchFolder folder;
    auto eq = sampleEquation();
    const QByteArray archive = archiveOf(eq.get(), 1234.5f, 678.25f);
    // The archive: the equation stream, the flag 0 (never a metafile), the extents.
    EXPECT_EQ(archive, EquationToBytes(eq.get()) + QByteArray(1, '\0') + f32Bytes(1234.5f) + f32Bytes(678.25f));

    for (bool compound : {true, false}) {
        SCOPED_TRACE(compound ? "compound file" : "bare archive");
        const QString path = folder.file(compound ? "compound.afx" : "bare.afx");
        QString reason;
        if (compound) {
            ASSERT_TRUE(WriteAfxFile(path, archive, &reason)) << reason.toStdString();
        } else {
            ASSERT_TRUE(test::writeFile(path, archive));
        }

        Previous previous;
        ASSERT_TRUE(ReadAfxFile(path, previous.content, &reason)) << reason.toStdString();
        const AfxContent& read = previous.content;
        ASSERT_TRUE(read.equation);
        EXPECT_EQ(DumpEquation(*read.equation), readBackDump(eq.get()));
        EXPECT_EQ(read.equation->settings.fontSize, 20.0f);
        EXPECT_EQ(read.equation->settings.colours[14], 0xFF102030u);
        EXPECT_EQ(read.equation->warnNewerVersion, 0);
        EXPECT_TRUE(read.metafileCache.isEmpty());
        EXPECT_EQ(read.extentX, 1234.5f);
        EXPECT_EQ(read.extentY, 678.25f);
    }
}

TEST(AfxFile, TheFileIsACompoundFileWithAContentsStream) {
    auto eq = sampleEquation();
    const QByteArray archive = archiveOf(eq.get(), 300, 200);
    const QByteArray file = WrapInCompoundFile(archive);
    EXPECT_TRUE(file.startsWith(kCompoundMagic));
    // The directory names the stream in UTF-16.
    EXPECT_TRUE(file.contains(QByteArray("C\0o\0n\0t\0e\0n\0t\0s\0", 16)));
    QByteArray back;
    QString reason;
    ASSERT_TRUE(ArchiveOfDocumentFile(file, &back, &reason)) << reason.toStdString();
    EXPECT_EQ(back, archive);

    // Anything else is taken as the bare archive.
    ASSERT_TRUE(ArchiveOfDocumentFile(archive, &back, &reason));
    EXPECT_EQ(back, archive);

    // A large archive (past the compound file's small-block limit) too.
    const QByteArray large = archive.repeated(200);
    ASSERT_TRUE(ArchiveOfDocumentFile(WrapInCompoundFile(large), &back, &reason));
    EXPECT_EQ(back, large);
}

TEST(AfxFile, TheMetafileFlagAndSize) {
    auto eq = sampleEquation();
    const QByteArray stream = EquationToBytes(eq.get());
    const QByteArray extents = f32Bytes(10) + f32Bytes(20);
    struct Case {
        const char* name;
        QByteArray tail;                  // after the equation stream
        std::optional<QByteArray> cache;  // none: a malformed archive
        ArchiveException::Cause cause = ArchiveException::BadFormat;
    };
    const Case cases[] = {
        {"flag 1 with bytes", QByteArray(1, '\1') + i32Bytes(4) + "WMF!" + extents, QByteArray("WMF!")},
        {"any flag but 0", QByteArray(1, '\x7F') + i32Bytes(2) + "ab" + extents, QByteArray("ab")},
        {"flag 1, size 0: no bytes", QByteArray(1, '\1') + i32Bytes(0) + extents, QByteArray()},
        {"negative size", QByteArray(1, '\1') + i32Bytes(-1) + extents, std::nullopt},
        {"most negative size", QByteArray(1, '\1') + i32Bytes(INT32_MIN) + extents, std::nullopt},
        {"size beyond the archive", QByteArray(1, '\1') + i32Bytes(9) + extents, std::nullopt},
        {"huge size", QByteArray(1, '\1') + i32Bytes(INT32_MAX) + extents, std::nullopt},
        {"extents cut", QByteArray(1, '\0') + f32Bytes(10), std::nullopt, ArchiveException::EndOfFile},
        {"size cut", QByteArray(1, '\1') + "\4\0", std::nullopt, ArchiveException::EndOfFile},
    };
    test::ScratchFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray archive = stream + c.tail;

        AfxContent content;
        Archive ar(archive);
        if (c.cache) {
            ReadAfxArchive(ar, content);
            EXPECT_EQ(content.metafileCache, *c.cache);
            EXPECT_EQ(content.extentX, 10.0f);
            EXPECT_EQ(content.extentY, 20.0f);
            EXPECT_EQ(ar.bytesLeft(), 0);
            continue;
        }
        try {
            ReadAfxArchive(ar, content);
            ADD_FAILURE() << "read a malformed archive";
        } catch (const ArchiveException& e) {
            EXPECT_EQ(e.cause(), c.cause);
        }
        EXPECT_FALSE(content.equation);

        // The file reader reports it and keeps what it had.
        const QString path = folder.file("malformed.afx");
        ASSERT_TRUE(WriteAfxFile(path, archive, nullptr));
        Previous previous;
        QString reason;
        EXPECT_FALSE(ReadAfxFile(path, previous.content, &reason));
        EXPECT_FALSE(reason.isEmpty());
        previous.expectUnchanged();
    }
}

TEST(AfxFile, FilesThatDoNotReadLeaveThePreviousContent) {
    test::ScratchFolder folder;
    auto eq = sampleEquation();
    const QByteArray archive = archiveOf(eq.get(), 300, 200);
    const QByteArray compound = WrapInCompoundFile(archive);
    // The same file with its stream named otherwise.
    QByteArray renamed = compound;
    const QByteArray name("C\0o\0n\0t\0e\0n\0t\0s\0", 16);
    ASSERT_EQ(renamed.count(name), 1);
    renamed.replace(name, QByteArray("C\0o\0n\0t\0e\0n\0t\0z\0", 16));

    struct Case {
        const char* name;
        std::optional<QByteArray> bytes;  // none: no file
    };
    const Case cases[] = {
        {"no file", std::nullopt},
        {"truncated compound file", compound.left(compound.size() / 2)},
        {"compound header only", compound.left(512)},
        {"truncated bare archive", archive.left(archive.size() - 3)},
        {"compound file without the Contents stream", renamed},
        {"empty file", QByteArray()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = folder.file("doc.afx");
        QFile::remove(path);
        if (c.bytes) {
            ASSERT_TRUE(test::writeFile(path, *c.bytes));
        }
        Previous previous;
        QString reason;
        EXPECT_FALSE(ReadAfxFile(path, previous.content, &reason));
        EXPECT_FALSE(reason.isEmpty());
        previous.expectUnchanged();
    }

    QByteArray out = "unchanged";
    QString reason;
    EXPECT_FALSE(ArchiveOfDocumentFile(renamed, &out, &reason));
    EXPECT_TRUE(reason.contains(QStringLiteral("\"Contents\""))) << reason.toStdString();
    EXPECT_EQ(out, QByteArray("unchanged"));

    // A file beyond the cap is refused before it is read.
    const QString huge = folder.file("huge.afx");
    {
        QFile file(huge);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(kMaxInputFileBytes + 1));
    }
    Previous previous;
    EXPECT_FALSE(ReadAfxFile(huge, previous.content, &reason));
    previous.expectUnchanged();
}

TEST(AfxFile, AFailedWriteKeepsTheOldFile) {
    test::ScratchFolder folder;
    auto eq = sampleEquation();
    QString reason;
    EXPECT_FALSE(WriteAfxFile(folder.file("no/such/folder/doc.afx"), archiveOf(eq.get(), 1, 2), &reason));
    EXPECT_FALSE(reason.isEmpty());
    // A folder in the file's place is not replaced.
    EXPECT_FALSE(WriteAfxFile(folder.path(), archiveOf(eq.get(), 1, 2), &reason));
    EXPECT_TRUE(QFileInfo(folder.path()).isDir());
}

// ---- the office document's font size

TEST(DocEnvSize, SetsTheBaseSizeAndScalesTheSecondSize) {
    const QString kWordCmds = QStringLiteral("Software\\Toliva\\WordCmds");
    const QString kValue = QStringLiteral("DocEnvSize");
    struct Case {
        const char* name;
        std::optional<QString> text;  // none: no value
        std::optional<int> dword;     // a DWORD stored instead
        QString defaultText;
        float oldBase;
        bool applied;
        float base;
        float size2;  // from 3
    };
    const float nan = std::nanf("");
    const Case cases[] = {
        {"2", QStringLiteral("2"), {}, QStringLiteral("12"), 12, false, 12, 3},
        {"0", QStringLiteral("0"), {}, QStringLiteral("12"), 12, false, 12, 3},
        {"not a number", QStringLiteral("abc"), {}, QStringLiteral("12"), 12, false, 12, 3},
        {"empty text", QString(), {}, QStringLiteral("12"), 12, false, 12, 3},
        {"50 is at most 36", QStringLiteral("50"), {}, QString(), 12, true, 36, 9},
        {"10.5", QStringLiteral("10.5"), {}, QString(), 12, true, 10.5f, 3 * 10.5f / 12},
        {"blanks around", QStringLiteral(" 18 "), {}, QString(), 12, true, 18, 4.5f},
        {"a DWORD", {}, 14, QString(), 12, true, 14, 3.5f},
        {"missing, no default", {}, {}, QString(), 12, false, 12, 3},
        {"missing, default 12", {}, {}, QStringLiteral("12"), 10, true, 12, 3.6f},
        {"old base 0: no division", QStringLiteral("10.5"), {}, QString(), 0, true, 10.5f, 3},
        {"old base not finite", QStringLiteral("10.5"), {}, QString(), nan, true, 10.5f, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RegKey key;
        ASSERT_TRUE(OpenRegKey(kWordCmds, key));
        RegistryStore::instance().deleteValue(kWordCmds, kValue);
        if (c.text) {
            ASSERT_TRUE(WriteRegString(key, kValue, *c.text));
        }
        if (c.dword) {
            ASSERT_TRUE(WriteRegDword(key, kValue, *c.dword));
        }

        EqModel eq(test::builtInStyle());
        eq.settings.fontSize = c.oldBase;
        eq.settings.size2 = 3;
        eq.needsLayout = 0;
        EXPECT_EQ(ApplyDocEnvSize(&eq, c.defaultText), c.applied);
        if (c.applied) {
            EXPECT_FLOAT_EQ(eq.settings.fontSize, c.base);
            EXPECT_EQ(eq.needsLayout, 1);
        } else if (std::isfinite(c.oldBase)) {
            EXPECT_EQ(eq.settings.fontSize, c.oldBase);
            EXPECT_EQ(eq.needsLayout, 0);
        }
        EXPECT_FLOAT_EQ(eq.settings.size2, c.size2);
    }
    RegistryStore::instance().deleteValue(kWordCmds, kValue);
}
