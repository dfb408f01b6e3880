#include "uikit/KitDialogs.h"

#include "platform/DialogService.h"
#include "platform/RegistryStore.h"
#include "tests/common/TestSupport.h"
#include "platform/RegKey.h"

#include <gtest/gtest.h>

namespace toliva {
namespace {

using Answer = ScriptedDialogService::Answer;

const QString kColourKey = QStringLiteral("Software\\Toliva\\KitDialogsTest\\CDInit");
const QString kFolderKey = QStringLiteral("Software\\Toliva\\KitDialogsTest\\FDInit");

class KitDialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        store().deleteKey(kColourKey);
        store().deleteKey(kFolderKey);
    }
    static RegistryStore& store() { return RegistryStore::instance(); }
    static QStringList colourValues() { return store().valueNames(kColourKey); }

    ScriptedDialogService dialogs;
    ScopedDialogService guard{&dialogs};
};

TEST_F(KitDialogsTest, EmptyStoreGivesTheDefaultCustomColours) {
    const CustomColours expected = {0x0000F0, 0xF00000, 0xF000F0, 0x00A000, 0x2222B2, 0xB300B3, 0, 0,
                                    0,        0,        0,        0,        0,        0,        0, 0};
    CustomColours read{};
    ReadCustomColors(kColourKey, read);
    EXPECT_EQ(read, expected);
    LoadCustomColours(kColourKey, read, 7);
    EXPECT_EQ(read, expected);

    // The dialog starts with them, fully open, on the caller's colour.
    uint32_t colour = 0xAB00FF00;  // the top byte is no part of a COLORREF
    PickColourWithCustomColours(colour, 1, kColourKey, false);
    ASSERT_EQ(dialogs.colourRequests.size(), 1u);
    const ColourDialogRequest& r = dialogs.colourRequests[0];
    EXPECT_EQ(r.initial, QColor(0, 255, 0));
    EXPECT_TRUE(r.fullOpen);
    EXPECT_EQ(r.customColours[0], QColor(240, 0, 0));
    EXPECT_EQ(r.customColours[1], QColor(0, 0, 240));
    EXPECT_EQ(r.customColours[4], QColor(178, 34, 34));
    EXPECT_EQ(r.customColours[15], QColor(0, 0, 0));
}

TEST_F(KitDialogsTest, StoredCustomColoursOfTheWrongFormReadAsDefaults) {
    ASSERT_TRUE(store().createKey(kColourKey));
    store().set(kColourKey, "G1C0", REG_SZ, RegistryStore::encodeString("255"));
    store().set(kColourKey, "G1C1", REG_DWORD, test::fromHex("01 02"));
    store().set(kColourKey, "G1C2", REG_DWORD, RegistryStore::encodeDword(0x123456));
    store().set(kColourKey, "G2C0", REG_DWORD, RegistryStore::encodeDword(0x654321));
    CustomColours read{};
    ReadCustomColors(kColourKey, read);
    EXPECT_EQ(read[0], 0x0000F0u);
    EXPECT_EQ(read[1], 0xF00000u);
    EXPECT_EQ(read[2], 0x123456u);
    LoadCustomColours(kColourKey, read, 2);
    EXPECT_EQ(read[0], 0x654321u);
    EXPECT_EQ(read[2], 0xF000F0u);
}

TEST_F(KitDialogsTest, CustomColoursAreSavedOnlyWhenAskedAndNeverOnCancel) {
    std::array<QColor, 16> edited;
    edited.fill(QColor(1, 2, 3));

    struct Case {
        const char* what;
        Answer answer;
        bool save;
        bool ok;
        uint32_t colour;
        bool written;
    } cases[] = {
        {"cancel without flag", Answer::cancel(ScriptedDialogService::Kind::Colour), false, false, 0x112233, false},
        {"cancel with flag", Answer::cancel(ScriptedDialogService::Kind::Colour), true, false, 0x112233, false},
        {"OK without flag", Answer::withColour(QColor(10, 20, 30), edited), false, true, 0x1E140A, false},
        {"OK with flag", Answer::withColour(QColor(10, 20, 30), edited), true, true, 0x1E140A, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        store().deleteKey(kColourKey);
        dialogs.answers = {c.answer};
        uint32_t colour = 0x112233;
        EXPECT_EQ(PickColourWithCustomColours(colour, 3, kColourKey, c.save), c.ok);
        EXPECT_EQ(colour, c.colour);
        EXPECT_EQ(colourValues().size(), c.written ? 16 : 0);
        if (c.written) {
            CustomColours read{};
            LoadCustomColours(kColourKey, read, 3);
            for (uint32_t v : read) EXPECT_EQ(v, 0x030201u);
        }
    }
}

TEST_F(KitDialogsTest, RunColorDialogWritesGroupOneOnOk) {
    dialogs.answers = {Answer::withColour(QColor(255, 0, 0))};
    uint32_t colour = 0;
    EXPECT_TRUE(RunColorDialog(colour, kColourKey));
    EXPECT_EQ(colour, 0x0000FFu);
    EXPECT_EQ(colourValues().size(), 16);
    RegKey key;
    OpenRegKey(kColourKey, key);
    int v = 0;
    EXPECT_TRUE(ReadRegDword(key, "G1C5", v, 0));
    EXPECT_EQ(v, 0xB300B3);  // the defaults as the user left them
}

TEST_F(KitDialogsTest, LastFolderIsKeptPerSiteAndReused) {
    test::ScratchFolder scratch;
    const QString chosen = scratch.file("a.png");
    QString path = "before";

    dialogs.answers = {Answer::withFile(chosen)};
    EXPECT_TRUE(PickFileWithLastFolder("Pictures (*.png)|*.png|", nullptr, path, kFolderKey, true, "png",
                                       kSiteHotkeysAndGridFiles));
    EXPECT_EQ(path, chosen);
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    const FileDialogRequest& first = dialogs.fileRequests[0];
    EXPECT_TRUE(first.initialFolder.isEmpty());
    EXPECT_TRUE(first.save);
    EXPECT_TRUE(first.overwritePrompt);
    EXPECT_TRUE(first.defaultName.isEmpty());
    EXPECT_EQ(first.defaultExtension, "png");
    EXPECT_EQ(first.filter, "Pictures (*.png)|*.png|");

    RegKey key;
    OpenRegKey(kFolderKey, key);
    QString stored;
    EXPECT_TRUE(ReadRegString(key, "LID_9", stored, {}));
    EXPECT_EQ(stored, scratch.path() + '/');

    // The next dialog of the site opens there; Cancel keeps path and folder.
    path = "kept";
    EXPECT_FALSE(PickFileWithLastFolder("", nullptr, path, kFolderKey, false, "", kSiteHotkeysAndGridFiles));
    EXPECT_EQ(path, "kept");
    ASSERT_EQ(dialogs.fileRequests.size(), 2u);
    EXPECT_EQ(dialogs.fileRequests[1].initialFolder, scratch.path() + '/');
    EXPECT_FALSE(dialogs.fileRequests[1].save);

    // Another site has its own value.
    PickFileWithLastFolder("", nullptr, path, kFolderKey, false, "", kSiteExport);
    EXPECT_TRUE(dialogs.fileRequests[2].initialFolder.isEmpty());
    EXPECT_EQ(store().valueNames(kFolderKey), QStringList{"LID_9"});
}

TEST_F(KitDialogsTest, FolderTooLongForTheValueIsNotStoredCut) {
    const QString longFolder = '/' + QString(300, 'x');
    dialogs.answers = {Answer::withFile("/short/b.txt"), Answer::withFile(longFolder + "/c.txt")};
    QString path;
    EXPECT_TRUE(PickFileWithLastFolder("", nullptr, path, kFolderKey, false, "", 4));
    EXPECT_TRUE(PickFileWithLastFolder("", nullptr, path, kFolderKey, false, "", 4));
    EXPECT_EQ(path, longFolder + "/c.txt");
    RegKey key;
    OpenRegKey(kFolderKey, key);
    QString stored;
    ReadRegString(key, "LID_4", stored, {});
    EXPECT_EQ(stored, "/short/");
}

TEST(BackBuffer, ReusedAtTheSameSizeAndClampedToOnePixel) {
    CachedBitmap cache;
    QImage* a = GetCachedCompatibleBitmap(cache, 40, 30);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->size(), QSize(40, 30));
    a->fill(Qt::red);
    EXPECT_EQ(GetCachedCompatibleBitmap(cache, 40, 30), a);
    EXPECT_EQ(a->pixelColor(0, 0), QColor(Qt::red));  // contents kept

    QImage* b = GetCachedCompatibleBitmap(cache, 41, 30);
    EXPECT_EQ(b->size(), QSize(41, 30));
    EXPECT_EQ(cache.width, 41);

    struct Case {
        int w, h;
        QSize size;
    } cases[] = {{0, 0, {1, 1}}, {-5, 7, {1, 7}}, {9, 0, {9, 1}}};
    for (const auto& c : cases) {
        QImage* img = GetCachedCompatibleBitmap(cache, c.w, c.h);
        ASSERT_NE(img, nullptr);
        EXPECT_FALSE(img->isNull());
        EXPECT_EQ(img->size(), c.size);
    }
    QImage* one = GetCachedCompatibleBitmap(cache, 0, 0);
    EXPECT_EQ(GetCachedCompatibleBitmap(cache, 1, 1), one);

    FreeCachedBitmap(cache);
    EXPECT_EQ(cache.bitmap, nullptr);
    EXPECT_EQ(cache.width, 0);
}

}  // namespace
}  // namespace toliva
