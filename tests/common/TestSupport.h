// Small helpers shared by the tests.
#pragma once

#include <QByteArray>
#include <QString>

namespace toliva::test {

// A fresh empty folder for one test, removed with the object.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    const QString& path() const { return m_path; }
    QString file(const QString& name) const { return m_path + '/' + name; }

private:
    QString m_path;
};

QByteArray readFile(const QString& path);
bool writeFile(const QString& path, const QByteArray& bytes);
// Hex bytes such as "FF FE FF 03" to bytes.
QByteArray fromHex(const char* hex);

}  // namespace toliva::test
