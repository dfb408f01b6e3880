#include "platform/ShellService.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace toliva {

int ShellResultForMissing(const QString& path) {
    const QFileInfo info(path);
    if (info.exists()) return 0;
    return info.absoluteDir().exists() ? ShellFileNotFound : ShellPathNotFound;
}

int DesktopShellService::openDocument(const QString& path) {
    if (const int missing = ShellResultForMissing(path)) return missing;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path)) ? ShellOpened : ShellNoAssociation;
}

bool DesktopShellService::openUrl(const QString& url) { return QDesktopServices::openUrl(QUrl(url)); }

bool DesktopShellService::startProgram(const QString& path, const QStringList& arguments) {
    return QProcess::startDetached(path, arguments);
}

int RecordingShellService::openDocument(const QString& path) {
    documents.push_back(path);
    if (forcedResult) return forcedResult;
    if (const int missing = ShellResultForMissing(path)) return missing;
    return ShellOpened;
}

bool RecordingShellService::openUrl(const QString& url) {
    urls.push_back(url);
    return true;
}

bool RecordingShellService::startProgram(const QString& path, const QStringList& arguments) {
    programs.emplace_back(path, arguments);
    return startSucceeds;
}

namespace {
ShellService* g_shell = nullptr;
}

ShellService& shellService() {
    static DesktopShellService desktop;
    return g_shell ? *g_shell : desktop;
}

void setShellService(ShellService* service) { g_shell = service; }

ScopedShellService::ScopedShellService(ShellService* service) : m_previous(g_shell) { g_shell = service; }
ScopedShellService::~ScopedShellService() { g_shell = m_previous; }

}  // namespace toliva
