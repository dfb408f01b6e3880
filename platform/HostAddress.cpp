#include "platform/HostAddress.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <climits>
#include <mutex>

namespace toliva {
namespace {

std::mutex& resolverMutex() {
    static std::mutex m;
    return m;
}

HostIPv4Resolver& installedResolver() {
    static HostIPv4Resolver r;
    return r;
}

}  // namespace

QString ResolveIPv4(const QByteArray& hostName) {
    if (hostName.isEmpty() || hostName.contains('\0')) return QString();
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(hostName.constData(), nullptr, &hints, &found) != 0 || !found) return QString();
    QString dotted;
    for (const addrinfo* a = found; a; a = a->ai_next) {
        if (a->ai_family != AF_INET || !a->ai_addr || a->ai_addrlen < socklen_t(sizeof(sockaddr_in))) continue;
        const auto* in = reinterpret_cast<const sockaddr_in*>(a->ai_addr);
        char text[INET_ADDRSTRLEN] = {};
        if (inet_ntop(AF_INET, &in->sin_addr, text, sizeof text)) {
            dotted = QString::fromLatin1(text);
            break;
        }
    }
    freeaddrinfo(found);
    return dotted;
}

QString SystemHostIPv4Address() {
    char name[HOST_NAME_MAX + 1] = {};
    if (gethostname(name, sizeof name - 1) != 0) return QString();
    return ResolveIPv4(QByteArray(name));
}

QString HostIPv4Address() {
    HostIPv4Resolver resolver;
    {
        std::lock_guard<std::mutex> lock(resolverMutex());
        resolver = installedResolver();
    }
    return resolver ? resolver() : SystemHostIPv4Address();
}

HostIPv4Resolver SetHostIPv4Resolver(HostIPv4Resolver resolver) {
    std::lock_guard<std::mutex> lock(resolverMutex());
    HostIPv4Resolver previous = std::move(installedResolver());
    installedResolver() = std::move(resolver);
    return previous;
}

}  // namespace toliva
