#include "platform/NetworkService.h"

#include <curl/curl.h>

#include <QUrl>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>

namespace toliva {
namespace {

std::atomic<NetworkService*> g_service{nullptr};

struct Transfer {
    const HttpRequest* request = nullptr;
    QByteArray body;
    bool tooLong = false;
    qsizetype uploaded = 0;
};

size_t writeReply(char* data, size_t size, size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    const size_t n = size * count;
    if (t->body.size() + qint64(n) > t->request->maxReplyBytes) {
        t->tooLong = true;
        return 0;  // the transfer stops with a write error
    }
    t->body.append(data, qsizetype(n));
    return n;
}

size_t readUpload(char* buffer, size_t size, size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    const QByteArray& body = t->request->body;
    const size_t n = std::min(size * count, size_t(body.size() - t->uploaded));
    std::memcpy(buffer, body.constData() + t->uploaded, n);
    t->uploaded += qsizetype(n);
    return n;
}

int progress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* t = static_cast<Transfer*>(user);
    return t->request->cancel && t->request->cancel->load() ? 1 : 0;
}

struct EasyDeleter {
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
struct ListDeleter {
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};
struct MimeDeleter {
    void operator()(curl_mime* m) const { curl_mime_free(m); }
};

}  // namespace

CurlGlobalScope::CurlGlobalScope() { curl_global_init(CURL_GLOBAL_ALL); }
CurlGlobalScope::~CurlGlobalScope() { curl_global_cleanup(); }

HttpReply CurlNetworkService::perform(const HttpRequest& request) {
    HttpReply reply;
    std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
    if (!easy) {
        reply.error = QStringLiteral("the network library could not start a transfer");
        return reply;
    }
    CURL* c = easy.get();
    Transfer transfer;
    transfer.request = &request;
    const QByteArray url = request.url.toUtf8();
    curl_easy_setopt(c, CURLOPT_URL, url.constData());
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_TIMEOUT, long(std::max(1, request.timeoutSeconds)));
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, long(std::max(1, request.connectTimeoutSeconds)));
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, writeReply);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, progress);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(request.maxReplyBytes));
    // Only the proxy the request names: the library would otherwise read the
    // environment by itself.
    const QByteArray proxy = request.proxy.toUtf8();
    curl_easy_setopt(c, CURLOPT_PROXY, proxy.constData());

    std::unique_ptr<curl_slist, ListDeleter> headers;
    for (const QByteArray& line : request.headers) {
        curl_slist* next = curl_slist_append(headers.get(), line.constData());
        if (!next) break;
        (void)headers.release();
        headers.reset(next);
    }
    if (headers) curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());

    std::unique_ptr<curl_mime, MimeDeleter> mime;
    switch (request.method) {
    case HttpRequest::Get: curl_easy_setopt(c, CURLOPT_HTTPGET, 1L); break;
    case HttpRequest::Put:
        curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(c, CURLOPT_READFUNCTION, readUpload);
        curl_easy_setopt(c, CURLOPT_READDATA, &transfer);
        curl_easy_setopt(c, CURLOPT_INFILESIZE_LARGE, curl_off_t(request.body.size()));
        break;
    case HttpRequest::Post:
        if (!request.form.empty()) {
            mime.reset(curl_mime_init(c));
            for (const FormPart& part : request.form) {
                curl_mimepart* p = curl_mime_addpart(mime.get());
                curl_mime_name(p, part.name.constData());
                curl_mime_data(p, part.data.constData(), size_t(part.data.size()));
                if (!part.fileName.isEmpty()) curl_mime_filename(p, part.fileName.toUtf8().constData());
                if (!part.contentType.isEmpty()) curl_mime_type(p, part.contentType.constData());
            }
            curl_easy_setopt(c, CURLOPT_MIMEPOST, mime.get());
        } else {
            curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(request.body.size()));
            curl_easy_setopt(c, CURLOPT_COPYPOSTFIELDS, request.body.constData());
        }
        break;
    }

    const CURLcode code = curl_easy_perform(c);
    long status = 0;
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
    reply.status = int(status);
    if (code == CURLE_OK) {
        reply.ok = true;
        reply.body = std::move(transfer.body);
        return reply;
    }
    if (transfer.tooLong || code == CURLE_FILESIZE_EXCEEDED)
        reply.error = QStringLiteral("the reply is longer than %1 bytes").arg(request.maxReplyBytes);
    else if (code == CURLE_ABORTED_BY_CALLBACK)
        reply.error = QStringLiteral("the transfer was cancelled");
    else
        reply.error = QString::fromUtf8(curl_easy_strerror(code));
    return reply;
}

NetworkService& networkService() {
    static CurlNetworkService curl;
    NetworkService* service = g_service.load();
    return service ? *service : curl;
}

void setNetworkService(NetworkService* service) { g_service.store(service); }

ScopedNetworkService::ScopedNetworkService(NetworkService* service) : m_previous(g_service.load()) {
    setNetworkService(service);
}

ScopedNetworkService::~ScopedNetworkService() { setNetworkService(m_previous); }

QString SystemProxyFor(const QString& url) {
    const QString scheme = QUrl(url).scheme().toLower();
    const auto env = [](const char* name) { return QString::fromLocal8Bit(qgetenv(name)); };
    QString proxy;
    if (scheme == QLatin1String("https")) {
        proxy = env("https_proxy");
        if (proxy.isEmpty()) proxy = env("HTTPS_PROXY");
    } else if (scheme == QLatin1String("http")) {
        proxy = env("http_proxy");
        if (proxy.isEmpty()) proxy = env("HTTP_PROXY");
    }
    if (proxy.isEmpty()) proxy = env("all_proxy");
    if (proxy.isEmpty()) proxy = env("ALL_PROXY");
    return proxy;
}

}  // namespace toliva
