// The clipboard service: one write puts several formats at once, the formats
// are listed in the order they were offered, pictures go in and come out,
// and every write replaces what was there; the same for the clipboard of
// tests and for the system clipboard (offscreen).
#include "platform/ClipboardService.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QUrl>

#include <functional>
#include <memory>

namespace toliva {
namespace {

const QString kEquation = QStringLiteral("application/x-qt-windows-mime;value=\"KWEE_CLIPBOARD_FORMAT\"");
const QString kPicture = QStringLiteral("image/emf");
const QString kText = QStringLiteral("text/plain");

QImage picture() {
    QImage image(5, 3, QImage::Format_ARGB32);
    image.fill(0xFF336699);
    image.setPixel(1, 1, 0xFFFF0000);
    return image;
}

struct Service {
    const char* name;
    std::function<std::unique_ptr<ClipboardService>()> make;
};

class ClipboardServiceTest : public ::testing::TestWithParam<Service> {
protected:
    void SetUp() override { service = GetParam().make(); }
    void TearDown() override { service->clear(); }
    std::unique_ptr<ClipboardService> service;
};

TEST_P(ClipboardServiceTest, OneWriteHoldsSeveralFormatsInTheirOrder) {
    auto mime = std::make_unique<QMimeData>();
    mime->setData(kEquation, QByteArray("\x01\x02\x00\x03", 4));
    mime->setData(kPicture, "EMF");
    mime->setText(QStringLiteral("a+b"));
    service->setMimeData(std::move(mime));
    const QStringList formats = service->formats();
    const qsizetype equation = formats.indexOf(kEquation);
    const qsizetype pictureAt = formats.indexOf(kPicture);
    ASSERT_GE(equation, 0) << formats.join(' ').toStdString();
    ASSERT_GE(pictureAt, 0);
    EXPECT_LT(equation, pictureAt);
    EXPECT_EQ(service->data(kEquation), QByteArray("\x01\x02\x00\x03", 4));
    EXPECT_EQ(service->data(kPicture), QByteArray("EMF"));
    EXPECT_EQ(service->text(), QStringLiteral("a+b"));
    EXPECT_TRUE(service->hasFormat(kText));
    EXPECT_FALSE(service->hasImage());
    EXPECT_TRUE(service->image().isNull());

    // The next write replaces all of it.
    service->setData(kPicture, "other");
    EXPECT_FALSE(service->hasFormat(kEquation));
    EXPECT_FALSE(service->hasFormat(kText));
    EXPECT_TRUE(service->text().isEmpty());
    EXPECT_EQ(service->data(kPicture), QByteArray("other"));
}

TEST_P(ClipboardServiceTest, APictureGoesInAndComesOut) {
    service->setImage(picture());
    EXPECT_TRUE(service->hasImage());
    const QImage out = service->image().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(out.size(), QSize(5, 3));
    EXPECT_EQ(out.pixel(1, 1), 0xFFFF0000u);
    EXPECT_EQ(out.pixel(0, 0), 0xFF336699u);
    EXPECT_TRUE(service->text().isEmpty());

    // A list of files is no text.
    auto files = std::make_unique<QMimeData>();
    files->setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/x.png"))});
    service->setMimeData(std::move(files));
    EXPECT_TRUE(service->text().isEmpty());
    EXPECT_FALSE(service->hasImage());

    // Text that some programs offer only with its character set named.
    service->setData(QStringLiteral("text/plain;charset=utf-8"), QString::fromUtf8("x\u00B2").toUtf8());
    EXPECT_TRUE(service->hasText());
    EXPECT_EQ(service->text(), QString::fromUtf8("x\u00B2"));

    service->clear();
    EXPECT_TRUE(service->formats().isEmpty());
    EXPECT_FALSE(service->hasImage());
    EXPECT_FALSE(service->hasText());
}

INSTANTIATE_TEST_SUITE_P(
    Services, ClipboardServiceTest,
    ::testing::Values(Service{"Memory", [] { return std::make_unique<MemoryClipboardService>(); }},
                      Service{"SystemOffscreen", [] { return std::make_unique<SystemClipboardService>(); }}),
    [](const ::testing::TestParamInfo<Service>& info) { return std::string(info.param.name); });

TEST(MemoryClipboardServiceTest, CountsWritesAndClears) {
    MemoryClipboardService clipboard;
    EXPECT_EQ(clipboard.mimeData(), nullptr);
    auto mime = std::make_unique<QMimeData>();
    mime->setData(kEquation, "x");
    mime->setData(kPicture, "y");
    clipboard.setMimeData(std::move(mime));
    EXPECT_EQ(clipboard.writes, 1);
    clipboard.setText(QStringLiteral("t"));
    clipboard.setImage(picture());
    EXPECT_EQ(clipboard.writes, 3);
    clipboard.setMimeData(nullptr);
    EXPECT_EQ(clipboard.clears, 1);
    EXPECT_EQ(clipboard.mimeData(), nullptr);
}

TEST(SystemClipboardServiceTest, ItIsTheApplicationsClipboard) {
    SystemClipboardService service;
    service.setText(QStringLiteral("seen by Qt"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("seen by Qt"));
    QGuiApplication::clipboard()->setText(QStringLiteral("set by Qt"));
    EXPECT_EQ(service.text(), QStringLiteral("set by Qt"));
    service.clear();
}

}  // namespace
}  // namespace toliva
