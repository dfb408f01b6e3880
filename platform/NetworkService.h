// Every transfer over the network goes through one replaceable service: the
// programs use libcurl (CurlNetworkService), tests answer by script or talk
// to servers on the loopback interface. Transfers are blocking; run them on
// a worker thread when the window must not wait.
//
// libcurl's global state is set up once per process (CurlGlobalScope in the
// program's main) and torn down once at exit, never around a transfer, so
// that transfers on several threads are safe.
#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <utility>
#include <vector>

namespace toliva {

// A part of a multipart form (RFC 7578).
struct FormPart {
    QByteArray name;         // the part's name ("file")
    QString fileName;        // sent as the part's file name; empty: none
    QByteArray contentType;  // empty: the library's default
    QByteArray data;
};

struct HttpRequest {
    enum Method { Get, Put, Post };
    Method method = Get;
    QString url;
    std::vector<QByteArray> headers;  // whole header lines ("token: ...")
    QByteArray body;                  // PUT: the upload; POST without parts: the body
    std::vector<FormPart> form;       // POST: a multipart form when not empty
    QString proxy;                    // empty: none (not even the environment's)
    int timeoutSeconds = 30;          // the whole transfer
    int connectTimeoutSeconds = 10;
    qint64 maxReplyBytes = 4 << 20;   // a longer reply fails the transfer
    // Set from another thread to give the transfer up (checked about every
    // tenth of a second); null: none.
    const std::atomic<bool>* cancel = nullptr;
};

struct HttpReply {
    bool ok = false;     // the transfer completed (whatever the HTTP status)
    int status = 0;      // the HTTP status code, 0 without a response
    QByteArray body;     // at most maxReplyBytes
    QString error;       // why the transfer failed, for the user
};

class NetworkService {
public:
    virtual ~NetworkService() = default;
    virtual HttpReply perform(const HttpRequest& request) = 0;
};

// libcurl (libcurl4-openssl-dev): the system's CA bundle, redirects not
// followed, no proxy unless the request names one.
class CurlNetworkService : public NetworkService {
public:
    HttpReply perform(const HttpRequest& request) override;
};

// libcurl's global set-up for the lifetime of the object: one in the
// program's main, before any thread starts a transfer.
class CurlGlobalScope {
public:
    CurlGlobalScope();
    ~CurlGlobalScope();
    CurlGlobalScope(const CurlGlobalScope&) = delete;
    CurlGlobalScope& operator=(const CurlGlobalScope&) = delete;
};

// The service in use: without an installed one, a CurlNetworkService (which
// needs a CurlGlobalScope to exist).
NetworkService& networkService();
// Installs a service (not owned); nullptr restores the default.
void setNetworkService(NetworkService* service);

class ScopedNetworkService {
public:
    explicit ScopedNetworkService(NetworkService* service);
    ~ScopedNetworkService();
    ScopedNetworkService(const ScopedNetworkService&) = delete;
    ScopedNetworkService& operator=(const ScopedNetworkService&) = delete;

private:
    NetworkService* m_previous;
};

// The proxy the system names for a URL's scheme: https_proxy (or
// HTTPS_PROXY) for https, http_proxy (or HTTP_PROXY) for http, else
// all_proxy; empty when none.
QString SystemProxyFor(const QString& url);

}  // namespace toliva
