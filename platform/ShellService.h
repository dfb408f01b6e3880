// Opening documents and web pages with the desktop's default program goes
// through one replaceable service, as messages and pickers do. Tests install
// a recording service; without an installed one the desktop opens them.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace toliva {

// What opening reports, with the codes the callers test: 0 and above 32
// mean opened.
enum ShellOpenResult : int {
    ShellOpened = 42,
    ShellFileNotFound = 2,
    ShellPathNotFound = 3,
    ShellNoAssociation = 31,
};

class ShellService {
public:
    virtual ~ShellService() = default;
    // Opens a file with its default program.
    virtual int openDocument(const QString& path) = 0;
    // Opens an address in the web browser; false when it could not be handed on.
    virtual bool openUrl(const QString& url) = 0;
    // Starts a program with arguments; false when it could not be started.
    virtual bool startProgram(const QString& path, const QStringList& arguments) = 0;
};

// The file's own report: not found (the file, or its folder) before opening.
int ShellResultForMissing(const QString& path);

// The desktop's service: QDesktopServices and QProcess.
class DesktopShellService : public ShellService {
public:
    int openDocument(const QString& path) override;
    bool openUrl(const QString& url) override;
    bool startProgram(const QString& path, const QStringList& arguments) override;
};

// For tests: records every request; documents are reported by the file
// system's answer (missing file or folder) unless a result is forced.
class RecordingShellService : public ShellService {
public:
    int openDocument(const QString& path) override;
    bool openUrl(const QString& url) override;
    bool startProgram(const QString& path, const QStringList& arguments) override;

    std::vector<QString> documents;
    std::vector<QString> urls;
    std::vector<std::pair<QString, QStringList>> programs;
    int forcedResult = 0;  // 0: by the file system
    bool startSucceeds = true;
};

ShellService& shellService();
void setShellService(ShellService* service);

class ScopedShellService {
public:
    explicit ScopedShellService(ShellService* service);
    ~ScopedShellService();
    ScopedShellService(const ScopedShellService&) = delete;
    ScopedShellService& operator=(const ScopedShellService&) = delete;

private:
    ShellService* m_previous;
};

}  // namespace toliva
