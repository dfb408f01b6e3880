// The IPv4 address of this machine, as its host name resolves.
//
// The lookup goes through a resolver that tests replace, so that nothing
// depends on the machine's network set-up:
//
//   ScopedHostIPv4Resolver fake([] { return QStringLiteral("192.0.2.7"); });
//   HostIPv4Address();  // "192.0.2.7"
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace toliva {

// Gives the address in dotted form, or an empty text when there is none.
using HostIPv4Resolver = std::function<QString()>;

// The first IPv4 address of hostName in dotted form (getaddrinfo); empty
// when the name is empty or does not resolve to an IPv4 address.
QString ResolveIPv4(const QByteArray& hostName);
// The first IPv4 address of this machine's host name (gethostname, then
// ResolveIPv4); empty when either step fails.
QString SystemHostIPv4Address();

// The address through the installed resolver, SystemHostIPv4Address when
// none is installed.
QString HostIPv4Address();
// Installs a resolver (an empty one restores the system lookup) and returns
// the one it replaces.
HostIPv4Resolver SetHostIPv4Resolver(HostIPv4Resolver resolver);

// Installs a resolver for its lifetime.
class ScopedHostIPv4Resolver {
public:
    explicit ScopedHostIPv4Resolver(HostIPv4Resolver resolver) : m_previous(SetHostIPv4Resolver(std::move(resolver))) {}
    ~ScopedHostIPv4Resolver() { SetHostIPv4Resolver(std::move(m_previous)); }
    ScopedHostIPv4Resolver(const ScopedHostIPv4Resolver&) = delete;
    ScopedHostIPv4Resolver& operator=(const ScopedHostIPv4Resolver&) = delete;

private:
    HostIPv4Resolver m_previous;
};

}  // namespace toliva
