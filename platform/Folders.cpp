#include "Folders.h"

#include <QDir>
#include <QFileInfo>

#include <cstdlib>

namespace toliva {
namespace {

QString envFolder(const char* name) {
    const char* v = std::getenv(name);
    return (v && *v) ? QDir::cleanPath(QString::fromLocal8Bit(v)) : QString();
}

QString homeFolder() {
    QString h = envFolder("HOME");
    return h.isEmpty() ? QDir::homePath() : h;
}

}  // namespace

// The executable does not move while it runs: both are worked out once.
QString programPath() {
    static const QString path = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    return path;
}

QString programFolder() {
    static const QString folder = [] {
        QString dir = QFileInfo(programPath()).absolutePath();
        if (!dir.endsWith('/')) dir += '/';
        return dir;
    }();
    return folder;
}

QString userDataBase() {
    QString f = envFolder("TOLIVA_HOME");
    if (!f.isEmpty()) return f;
    f = envFolder("XDG_DATA_HOME");
    if (!f.isEmpty()) return f;
    return homeFolder() + QStringLiteral("/.local/share");
}

QString configFolder() {
    QString f = envFolder("TOLIVA_HOME");
    if (!f.isEmpty()) return f;
    f = envFolder("XDG_CONFIG_HOME");
    if (f.isEmpty()) f = homeFolder() + QStringLiteral("/.config");
    return f + QStringLiteral("/toliva");
}

QString dataName(const QString& name) {
    QString s = name;
    s.replace('\\', '/');
    return s;
}

bool ensureFolder(const QString& path) { return QDir().mkpath(path); }

}  // namespace toliva
