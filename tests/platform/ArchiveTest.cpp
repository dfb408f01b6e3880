#include "platform/Archive.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace toliva;
using toliva::test::fromHex;

namespace {

QByteArray stored(const std::function<void(Archive&)>& write) {
    QByteArray buf;
    Archive ar(&buf, Archive::Store);
    write(ar);
    return buf;
}

}  // namespace

TEST(Archive, IntegersAndFloatsAreLittleEndian) {
    QByteArray b = stored([](Archive& ar) {
        ar.writeU8(0x12);
        ar.writeU16(0x3456);
        ar.writeI32(-2);
        ar.writeF32(1.5f);
        ar.writeF64(-0.25);
    });
    EXPECT_EQ(b, fromHex("12 5634 FEFFFFFF 0000C03F 000000000000D0BF"));

    Archive in(b);
    EXPECT_EQ(in.readU8(), 0x12);
    EXPECT_EQ(in.readU16(), 0x3456);
    EXPECT_EQ(in.readI32(), -2);
    EXPECT_EQ(in.readF32(), 1.5f);
    EXPECT_EQ(in.readF64(), -0.25);
    EXPECT_EQ(in.bytesLeft(), 0);
}

TEST(Archive, NonFiniteFloatsKeepTheirBits) {
    QByteArray b = stored([](Archive& ar) {
        ar.writeF32(std::numeric_limits<float>::infinity());
        ar.writeF64(std::numeric_limits<double>::quiet_NaN());
    });
    Archive in(b);
    EXPECT_TRUE(std::isinf(in.readF32()));
    EXPECT_TRUE(std::isnan(in.readF64()));
}

struct StringCase {
    int length;
    const char* prefix;  // bytes before the code units
};

class ArchiveStringForm : public ::testing::TestWithParam<StringCase> {};

TEST_P(ArchiveStringForm, WritesMarkerAndLengthFormAndReadsBack) {
    const StringCase c = GetParam();
    QString s(c.length, QChar(0x4E2D));
    QByteArray b = stored([&](Archive& ar) { ar.writeString(s); });
    const QByteArray prefix = fromHex(c.prefix);
    ASSERT_EQ(b.size(), prefix.size() + 2 * c.length);
    EXPECT_EQ(b.left(prefix.size()), prefix);
    Archive in(b);
    EXPECT_EQ(in.readString(), s);
    EXPECT_EQ(in.bytesLeft(), 0);
}

INSTANTIATE_TEST_SUITE_P(Lengths, ArchiveStringForm,
                         ::testing::Values(StringCase{0, "FFFEFF 00"}, StringCase{15, "FFFEFF 0F"},
                                           StringCase{254, "FFFEFF FE"}, StringCase{255, "FFFEFF FF FF00"},
                                           StringCase{0xFFFD, "FFFEFF FF FDFF"},
                                           StringCase{0xFFFE, "FFFEFF FF FFFF FEFF0000"}));

TEST(Archive, StringWithoutMarkerIsEightBitText) {
    Archive in(fromHex("03 41 E9 43"));
    EXPECT_EQ(in.readString(), QString::fromUtf8("A\xC3\xA9" "C"));
}

TEST(Archive, EightBitTextIsUtf8WhenItCanBeElseLatin1) {
    struct Case {
        const char* hex;
        QString text;
    } cases[] = {
        {"04 41 C3A9 43", QString::fromUtf8("A\xC3\xA9" "C")},          // UTF-8
        {"03 E4B8AD", QString(QChar(0x4E2D))},                            // three bytes, one character
        {"02 C3 28", QString::fromLatin1("\xC3(")},                       // a broken sequence
        {"02 E4B8", QString::fromLatin1("\xE4\xB8")},                   // cut short
        {"02 C0 80", QString::fromLatin1("\xC0\x80")},                  // overlong
        {"00", QString()},
    };
    for (const Case& c : cases) {
        Archive in(fromHex(c.hex));
        EXPECT_EQ(in.readString(), c.text) << c.hex;
        EXPECT_EQ(in.bytesLeft(), 0) << c.hex;
    }
}

TEST(Archive, LongEightBitLengthForm) {
    QByteArray b = fromHex("FF 0001");
    b.append(QByteArray(256, 'x'));
    Archive in(b);
    EXPECT_EQ(in.readString(), QString(256, 'x'));
}

TEST(Archive, ReadingPastTheEndThrowsEndOfFile) {
    Archive in(fromHex("0102"));
    EXPECT_EQ(in.readU8(), 1);
    try {
        in.readU32();
        FAIL() << "no exception";
    } catch (const ArchiveException& e) {
        EXPECT_EQ(e.cause(), ArchiveException::EndOfFile);
    }
}

TEST(Archive, StringLengthBeyondTheDataIsRefusedBeforeAllocating) {
    // Claims 0xFFFFFFF0 code units but holds four bytes.
    Archive in(fromHex("FFFEFF FF FFFF F0FFFFFF 41004200"));
    EXPECT_THROW(in.readString(), ArchiveException);
    Archive narrow(fromHex("FF FFFF FFFFFF7F 41"));
    EXPECT_THROW(narrow.readString(), ArchiveException);
}

TEST(Archive, RequireItemsChecksCountsAgainstBytesLeft) {
    Archive in(QByteArray(20, '\0'));
    EXPECT_NO_THROW(in.requireItems(5, 4));
    EXPECT_THROW(in.requireItems(6, 4), ArchiveException);
    EXPECT_THROW(in.requireItems(-1, 1), ArchiveException);
    EXPECT_THROW(in.requireItems(std::numeric_limits<qint64>::max(), 8), ArchiveException);
}

TEST(Archive, WrongModeIsRefused) {
    QByteArray buf;
    Archive out(&buf, Archive::Store);
    EXPECT_THROW(out.readU8(), ArchiveException);
    Archive in(fromHex("00"));
    EXPECT_THROW(in.writeU8(1), ArchiveException);
}

TEST(Archive, FileStoreWritesOnCloseAndLoadReadsItBack) {
    toliva::test::ScratchFolder dir;
    const QString path = dir.file("a.bin");
    toliva::test::writeFile(path, "old contents");
    {
        Archive out = Archive::openFile(path, Archive::Store);
        out.writeString(QStringLiteral("Times New Roman"));
        out.writeI32(7);
        // Nothing reaches the file before close: the old file stays whole.
        EXPECT_EQ(toliva::test::readFile(path), QByteArray("old contents"));
        out.close();
    }
    Archive in = Archive::openFile(path, Archive::Load);
    EXPECT_EQ(in.readString(), QStringLiteral("Times New Roman"));
    EXPECT_EQ(in.readI32(), 7);
}

TEST(Archive, FileErrorsCarryThePath) {
    toliva::test::ScratchFolder dir;
    const QString missing = dir.file("missing.bin");
    try {
        Archive::openFile(missing, Archive::Load);
        FAIL() << "no exception";
    } catch (const FileException& e) {
        EXPECT_EQ(e.path(), missing);
        EXPECT_EQ(e.cause(), FileException::CannotOpen);
        EXPECT_EQ(e.reason(), QStringLiteral("No such file or directory"));
        EXPECT_EQ(QString::fromUtf8(e.what()), QStringLiteral("cannot open %1: No such file or directory").arg(missing));
    }
    const QString unwritable = dir.file("no/such/folder/x.bin");
    Archive out = Archive::openFile(unwritable, Archive::Store);
    out.writeU8(1);
    try {
        out.close();
        FAIL() << "no exception";
    } catch (const FileException& e) {
        EXPECT_EQ(e.cause(), FileException::CannotWrite);
        EXPECT_EQ(QString::fromUtf8(e.what()), QStringLiteral("cannot write %1: No such file or directory").arg(unwritable));
    }
}
