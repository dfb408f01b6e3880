// The libcurl service against servers on the loopback interface, hostile
// ones among them: every transfer ends within its timeout and its reply cap,
// and a failed one says so.
#include "platform/NetworkService.h"

#include "common/LoopbackHttpServer.h"

#include <gtest/gtest.h>

#include <chrono>

namespace toliva {
namespace {

using test::LoopbackHttpServer;
using test::LoopbackRequest;

constexpr qint64 kHundredMegabytes = qint64(100) << 20;

// Streams size bytes of 'x' after the head; stops when the client goes.
void stream(int fd, const std::atomic<bool>& stopping, const std::string& head, qint64 size) {
    if (!LoopbackHttpServer::sendAll(fd, head)) return;
    const std::string chunk(64 * 1024, 'x');
    for (qint64 sent = 0; sent < size && !stopping; sent += qint64(chunk.size()))
        if (!LoopbackHttpServer::sendAll(fd, chunk)) return;
}

QString urlOf(const char* address, int port, const char* path = "/") {
    return QStringLiteral("http://%1:%2%3").arg(QLatin1String(address)).arg(port).arg(QLatin1String(path));
}

TEST(NetworkServiceTest, PutSendsItsBodyAndHeadersAndKeepsTheReplyBytes) {
    const char* address = "127.0.0.21";
    LoopbackHttpServer server(address, 0, [](const LoopbackRequest&, int fd, const std::atomic<bool>&) {
        LoopbackHttpServer::reply(fd, "OK");
    });
    ASSERT_TRUE(server.ok());
    HttpRequest request;
    request.method = HttpRequest::Put;
    request.url = urlOf(address, server.port(), "/OCR@@@abc+/d");
    request.headers = {QByteArrayLiteral("token: 0123456789a")};
    request.body = QByteArray(5000, '\x89');
    request.timeoutSeconds = 5;
    const HttpReply reply = CurlNetworkService().perform(request);
    ASSERT_TRUE(reply.ok) << reply.error.toStdString();
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.body, QByteArrayLiteral("OK"));
    const std::vector<LoopbackRequest> seen = server.requests();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].method, "PUT");
    EXPECT_EQ(seen[0].target, "/OCR@@@abc+/d");
    EXPECT_EQ(seen[0].header("token"), "0123456789a");
    EXPECT_EQ(seen[0].body, std::string(5000, '\x89'));
}

// Each hostile server fails the transfer cleanly: no reply body, a reason,
// and well within a few seconds of the one-second timeout.
TEST(NetworkServiceTest, HostileServersFailCleanlyWithinTheirLimits) {
    struct Case {
        const char* name;
        const char* address;
        LoopbackHttpServer::Handler handler;
    };
    const Case cases[] = {
        {"100 MB announced", "127.0.0.22",
         [](const LoopbackRequest&, int fd, const std::atomic<bool>& stopping) {
             stream(fd, stopping,
                    "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kHundredMegabytes) + "\r\n\r\n",
                    kHundredMegabytes);
         }},
        {"100 MB unannounced", "127.0.0.23",
         [](const LoopbackRequest&, int fd, const std::atomic<bool>& stopping) {
             stream(fd, stopping, "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n", kHundredMegabytes);
         }},
        {"never answers", "127.0.0.24",
         [](const LoopbackRequest&, int fd, const std::atomic<bool>& stopping) {
             LoopbackHttpServer::holdOpen(fd, stopping);
         }},
        {"answers the head only", "127.0.0.25",
         [](const LoopbackRequest&, int fd, const std::atomic<bool>& stopping) {
             LoopbackHttpServer::sendAll(fd, "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n");
             LoopbackHttpServer::holdOpen(fd, stopping);
         }},
        {"closes mid-reply", "127.0.0.26",
         [](const LoopbackRequest&, int fd, const std::atomic<bool>&) {
             LoopbackHttpServer::sendAll(fd, "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n$$x^2");
         }},
        {"not HTTP", "127.0.0.27",
         [](const LoopbackRequest&, int fd, const std::atomic<bool>&) {
             LoopbackHttpServer::sendAll(fd, std::string("\xff\xfe\x00garbage\r\n\r\n", 14));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackHttpServer server(c.address, 0, c.handler);
        ASSERT_TRUE(server.ok());
        HttpRequest request;
        request.url = urlOf(c.address, server.port());
        request.timeoutSeconds = 1;
        request.connectTimeoutSeconds = 1;
        request.maxReplyBytes = 1 << 20;
        const auto start = std::chrono::steady_clock::now();
        const HttpReply reply = CurlNetworkService().perform(request);
        const auto elapsed = std::chrono::steady_clock::now() - start;
        EXPECT_FALSE(reply.ok);
        EXPECT_TRUE(reply.body.isEmpty());
        EXPECT_FALSE(reply.error.isEmpty());
        EXPECT_LT(elapsed, std::chrono::seconds(10));
    }
}

// The service hands bytes over as they came: decoding (and refusing what is
// not UTF-8) is the reader's.
TEST(NetworkServiceTest, InvalidUtf8ComesBackAsTheBytesSent) {
    const char* address = "127.0.0.28";
    const std::string bytes("$$\xff\xfe\xc3(x^2\x80", 10);
    LoopbackHttpServer server(address, 0, [&](const LoopbackRequest&, int fd, const std::atomic<bool>&) {
        LoopbackHttpServer::reply(fd, bytes);
    });
    ASSERT_TRUE(server.ok());
    HttpRequest request;
    request.url = urlOf(address, server.port());
    request.timeoutSeconds = 2;
    const HttpReply reply = CurlNetworkService().perform(request);
    ASSERT_TRUE(reply.ok);
    EXPECT_EQ(reply.body, QByteArray(bytes.data(), qsizetype(bytes.size())));
}

TEST(NetworkServiceTest, NothingListeningFailsAtOnce) {
    HttpRequest request;
    request.url = QStringLiteral("http://127.0.0.29:6172/OCR@@@id");
    request.timeoutSeconds = 2;
    const HttpReply reply = CurlNetworkService().perform(request);
    EXPECT_FALSE(reply.ok);
    EXPECT_EQ(reply.status, 0);
    EXPECT_FALSE(reply.error.isEmpty());
}

}  // namespace
}  // namespace toliva
