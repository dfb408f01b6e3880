// The per-user data and the registry in a scratch home for one test: sets
// TOLIVA_HOME and reopens the registry there; the old home comes back with
// the object. Header only: the programs that use it link toliva_platform.
#pragma once

#include "platform/RegistryStore.h"

#include <QByteArray>
#include <QString>

#include <cstdlib>

namespace toliva::test {

class ScratchRegistryHome {
public:
    explicit ScratchRegistryHome(const QString& home) : m_oldHome(qgetenv("TOLIVA_HOME")) {
        setenv("TOLIVA_HOME", home.toLocal8Bit().constData(), 1);
        RegistryStore::resetInstance();
    }
    ~ScratchRegistryHome() {
        setenv("TOLIVA_HOME", m_oldHome.constData(), 1);
        RegistryStore::resetInstance();
    }
    ScratchRegistryHome(const ScratchRegistryHome&) = delete;
    ScratchRegistryHome& operator=(const ScratchRegistryHome&) = delete;

private:
    QByteArray m_oldHome;
};

}  // namespace toliva::test
