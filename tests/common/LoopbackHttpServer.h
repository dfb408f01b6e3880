// A small HTTP/1.1 server on a loopback address for network tests: one
// thread accepts connections one after another, reads each request (head and
// Content-Length body, answering "Expect: 100-continue") and hands it to the
// test's handler, which writes whatever it likes on the socket. Each test
// binds its own 127.0.0.N, so fixed ports never clash between tests.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace toliva::test {

struct LoopbackRequest {
    std::string method;
    std::string target;
    std::vector<std::string> headers;  // whole lines without the line end
    std::string body;

    // The value of the first header of that name (compared without case).
    std::string header(const std::string& name) const {
        for (const std::string& line : headers) {
            const size_t colon = line.find(':');
            if (colon == std::string::npos || colon != name.size()) continue;
            if (strncasecmp(line.data(), name.data(), name.size()) != 0) continue;
            size_t start = colon + 1;
            while (start < line.size() && line[start] == ' ') ++start;
            return line.substr(start);
        }
        return {};
    }
};

class LoopbackHttpServer {
public:
    // Writes the reply on fd; stopping turns true when the server goes.
    using Handler = std::function<void(const LoopbackRequest&, int fd, const std::atomic<bool>& stopping)>;

    // Binds address:port (port 0: any free one); ok() tells whether it could.
    LoopbackHttpServer(const char* address, int port, Handler handler) : m_handler(std::move(handler)) {
        m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
        const int one = 1;
        ::setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(uint16_t(port));
        ::inet_pton(AF_INET, address, &addr.sin_addr);
        if (::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(m_listen, 8) != 0) {
            ::close(m_listen);
            m_listen = -1;
            return;
        }
        socklen_t len = sizeof addr;
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len);
        m_port = ntohs(addr.sin_port);
        m_thread = std::thread([this] { run(); });
    }
    ~LoopbackHttpServer() {
        m_stopping = true;
        if (m_thread.joinable()) m_thread.join();
        if (m_listen >= 0) ::close(m_listen);
    }
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    bool ok() const { return m_listen >= 0; }
    int port() const { return m_port; }
    std::vector<LoopbackRequest> requests() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_requests;
    }

    // Writes all of data; false when the peer went away.
    static bool sendAll(int fd, const std::string& data) {
        size_t sent = 0;
        while (sent < data.size()) {
            const ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) return false;
            sent += size_t(n);
        }
        return true;
    }
    // A complete "200 OK" reply with the body.
    static void reply(int fd, const std::string& body, const std::string& status = "200 OK") {
        sendAll(fd, "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) +
                        "\r\nConnection: close\r\n\r\n" + body);
    }
    // Waits until the server stops or the peer closes the connection.
    static void holdOpen(int fd, const std::atomic<bool>& stopping) {
        char scratch[256];
        while (!stopping) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 20) > 0 && ::recv(fd, scratch, sizeof scratch, 0) <= 0) return;
        }
    }

private:
    void run() {
        while (!m_stopping) {
            pollfd p{m_listen, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0) continue;
            const int fd = ::accept(m_listen, nullptr, nullptr);
            if (fd < 0) continue;
            LoopbackRequest request;
            if (readRequest(fd, &request)) {
                {
                    std::lock_guard<std::mutex> lock(m_mutex);
                    m_requests.push_back(request);
                }
                m_handler(request, fd, m_stopping);
            }
            ::close(fd);
        }
    }

    bool readRequest(int fd, LoopbackRequest* request) {
        std::string data;
        size_t headEnd = std::string::npos;
        bool continued = false;
        size_t length = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!m_stopping && std::chrono::steady_clock::now() < deadline) {
            if (headEnd != std::string::npos && data.size() >= headEnd + 4 + length) break;
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0) continue;
            char buffer[65536];
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0) return false;
            data.append(buffer, size_t(n));
            if (headEnd == std::string::npos) {
                headEnd = data.find("\r\n\r\n");
                if (headEnd == std::string::npos) continue;
                parseHead(data.substr(0, headEnd), request);
                const std::string contentLength = request->header("Content-Length");
                length = contentLength.empty() ? 0 : size_t(std::stoul(contentLength));
                if (!continued && strncasecmp(request->header("Expect").c_str(), "100-continue", 12) == 0) {
                    continued = true;
                    sendAll(fd, "HTTP/1.1 100 Continue\r\n\r\n");
                }
            }
        }
        if (headEnd == std::string::npos || data.size() < headEnd + 4 + length) return false;
        request->body = data.substr(headEnd + 4, length);
        return true;
    }

    static void parseHead(const std::string& head, LoopbackRequest* request) {
        size_t start = 0;
        bool first = true;
        while (start <= head.size()) {
            size_t end = head.find("\r\n", start);
            if (end == std::string::npos) end = head.size();
            const std::string line = head.substr(start, end - start);
            if (first) {
                const size_t a = line.find(' ');
                const size_t b = line.find(' ', a + 1);
                request->method = line.substr(0, a);
                request->target = line.substr(a + 1, b - a - 1);
                first = false;
            } else if (!line.empty()) {
                request->headers.push_back(line);
            }
            start = end + 2;
        }
    }

    Handler m_handler;
    int m_listen = -1;
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::vector<LoopbackRequest> m_requests;
};

}  // namespace toliva::test
