#include "platform/CaptureHandoff.h"

#include <QDir>
#include <QLockFile>

namespace toliva {

QString CaptureLockPath() {
    // The per-user runtime folder; without one (a bare session) the
    // temporary folder, which both programs see alike.
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::tempPath();
    return folder + QStringLiteral("/pirnel-capture.lock");
}

bool IsCaptureWindowOpen(const QString& path) {
    QLockFile probe(path);
    // A lock of a live process is never stale by age: the capture may take long.
    probe.setStaleLockTime(0);
    if (probe.tryLock(0)) {
        probe.unlock();
        return false;
    }
    return probe.error() == QLockFile::LockFailedError;
}

CaptureWindowLock::CaptureWindowLock(const QString& path) : m_lock(std::make_unique<QLockFile>(path)) {
    m_lock->setStaleLockTime(0);
}

CaptureWindowLock::~CaptureWindowLock() { release(); }

bool CaptureWindowLock::acquire() {
    if (m_held) return true;
    m_held = m_lock->tryLock(0);
    return m_held;
}

void CaptureWindowLock::release() {
    if (!m_held) return;
    m_lock->unlock();
    m_held = false;
}

}  // namespace toliva
