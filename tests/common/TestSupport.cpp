#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace toliva::test {

ScratchFolder::ScratchFolder() {
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/toliva-test-XXXXXX"));
    dir.setAutoRemove(false);
    m_path = dir.path();
}

ScratchFolder::~ScratchFolder() { QDir(m_path).removeRecursively(); }

QByteArray readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray fromHex(const char* hex) { return QByteArray::fromHex(QByteArray(hex).replace(' ', "")); }

}  // namespace toliva::test
