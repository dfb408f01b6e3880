// Small helpers shared by the tests.
#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

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

// The real-world formula corpus: shared/corpus beside the repository.
struct CorpusFormula {
    QString id;   // file name and row key
    QString tex;  // the row's last field
};
QString corpusFolder();
// Every row of the corpus's *.tsv files; empty when the folder is absent.
std::vector<CorpusFormula> readCorpus();

}  // namespace toliva::test
