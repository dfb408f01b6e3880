#include "shell/ShellRegistration.h"

#include "platform/Folders.h"
#include "platform/SafeFile.h"
#include "platform/ShellService.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

#include <cerrno>
#include <system_error>
#include <unistd.h>

namespace toliva {
namespace {

// The files are a few hundred bytes; anything larger is not ours and is replaced.
constexpr qint64 kMaxRegistrationFileBytes = 64 * 1024;

QString mimeFolder() { return XdgDataHome() + QStringLiteral("/mime"); }
QString applicationsFolder() { return XdgDataHome() + QStringLiteral("/applications"); }
QString mimePackagePath() { return mimeFolder() + QStringLiteral("/packages/toliva-equation.xml"); }
QString desktopEntryPath() { return applicationsFolder() + QStringLiteral("/toliva.desktop"); }

QByteArray mimePackageContent() {
    return QByteArrayLiteral(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
               "  <mime-type type=\"") +
           kAfxMimeType +
           QByteArrayLiteral(
               "\">\n"
               "    <comment>Equation.Toliva</comment>\n"
               "    <glob pattern=\"*.afx\"/>\n"
               "  </mime-type>\n"
               "</mime-info>\n");
}

QByteArray desktopEntryContent(const QString& programPath) {
    return QByteArrayLiteral(
               "[Desktop Entry]\n"
               "Type=Application\n"
               "Name=Toliva\n"
               "Exec=") +
           DesktopExecArgument(programPath).toUtf8() + QByteArrayLiteral(" %f\nMimeType=") + kAfxMimeType +
           QByteArrayLiteral(
               ";\n"
               "Categories=Office;Education;Math;\n");
}

// Which of the two folders changed, so that only their caches are refreshed.
struct Changes {
    bool mime = false;
    bool applications = false;
};

bool fail(QString* error, const QString& path, const QString& reason) {
    if (error) *error = path + QStringLiteral(": ") + reason;
    return false;
}

// Writes bytes to path unless the file already holds exactly them.
bool writeIfDifferent(const QString& path, const QByteArray& bytes, bool* changed, QString* error) {
    QByteArray present;
    if (ReadFileCapped(path, kMaxRegistrationFileBytes, &present, nullptr) && present == bytes) return true;
    const QString folder = QFileInfo(path).path();
    if (!ensureFolder(folder)) return fail(error, folder, QStringLiteral("the folder cannot be created"));
    QString reason;
    if (!WriteFileSafely(path, bytes, &reason)) return fail(error, path, reason);
    *changed = true;
    return true;
}

// Removes path; a file that is not there is no error.
bool removeIfPresent(const QString& path, bool* changed, QString* error) {
    if (::unlink(EncodeFileName(path).constData()) == 0) {
        *changed = true;
        return true;
    }
    if (errno == ENOENT) return true;
    return fail(error, path, QString::fromStdString(std::system_category().message(errno)));
}

bool writeDesktopEntry(const QString& programPath, Changes* changes, QString* error) {
    if (programPath.isEmpty()) return fail(error, desktopEntryPath(), QStringLiteral("no program path"));
    // A desktop entry is UTF-8; a path with bytes that are not cannot be written into it.
    if (!programPath.isValidUtf16())
        return fail(error, desktopEntryPath(), QStringLiteral("the program path is not valid UTF-8"));
    return writeIfDifferent(desktopEntryPath(), desktopEntryContent(programPath), &changes->applications, error);
}

// Starts tool on folder when it is installed; nobody waits for it.
void startUpdater(const char* tool, const QString& folder) {
    const QString program = QStandardPaths::findExecutable(QString::fromLatin1(tool));
    if (!program.isEmpty()) shellService().startProgram(program, {folder});
}

void refreshCaches(const Changes& changes) {
    if (changes.mime) startUpdater("update-mime-database", mimeFolder());
    if (changes.applications) startUpdater("update-desktop-database", applicationsFolder());
}

}  // namespace

QString XdgDataHome() { return userDataBase(); }

QString DesktopExecArgument(const QString& argument) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`=");
    bool quote = argument.isEmpty();
    for (const QChar c : argument) quote = quote || reserved.contains(c);
    QString out;
    if (quote) {
        out += u'"';
        for (const QChar c : argument) {
            if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') out += u'\\';
            out += c;
        }
        out += u'"';
    } else {
        out = argument;
    }
    out.replace(u'%', QStringLiteral("%%"));
    // The key file's own escapes come last: its reader undoes them first.
    QString escaped;
    for (const QChar c : out) {
        switch (c.unicode()) {
            case u'\\': escaped += QStringLiteral("\\\\"); break;
            case u'\n': escaped += QStringLiteral("\\n"); break;
            case u'\t': escaped += QStringLiteral("\\t"); break;
            case u'\r': escaped += QStringLiteral("\\r"); break;
            default: escaped += c;
        }
    }
    return escaped;
}

bool RegisterShellFileTypes(const QString& programPath, QString* error) {
    Changes changes;
    const bool ok = writeIfDifferent(mimePackagePath(), mimePackageContent(), &changes.mime, error) &&
                    writeDesktopEntry(programPath, &changes, error);
    refreshCaches(changes);
    return ok;
}

bool UnregisterShellFileTypes(QString* error) {
    // Both are tried; the first failure is the one reported.
    Changes changes;
    const bool mimeRemoved = removeIfPresent(mimePackagePath(), &changes.mime, error);
    const bool entryRemoved =
        removeIfPresent(desktopEntryPath(), &changes.applications, mimeRemoved ? error : nullptr);
    refreshCaches(changes);
    return mimeRemoved && entryRemoved;
}

bool UpdateServerRegistration(const QString& programPath, bool registering, QString* error) {
    Changes changes;
    const bool ok = registering ? writeDesktopEntry(programPath, &changes, error)
                                : removeIfPresent(desktopEntryPath(), &changes.applications, error);
    refreshCaches(changes);
    return ok;
}

}  // namespace toliva
