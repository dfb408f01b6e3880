// Small helpers shared by the tests.
#pragma once

#include <QByteArray>
#include <QString>

#include <gtest/gtest.h>

#include <vector>

class QProcessEnvironment;

// Ends a test that needs a tool or file tools/install-deps.sh installs (or the
// formula corpus beside the checkout) when it is missing: a skip on a
// developer's machine, a failure under .ci/run, where everything must be
// present. The message streams like GTEST_SKIP's:
//   if (pandoc.isEmpty()) TOLIVA_SKIP_UNLESS_CI() << "pandoc is not on PATH";
#define TOLIVA_SKIP_UNLESS_CI()                                                                \
    return GTEST_MESSAGE_(::toliva::test::missingInstallNote(), ::toliva::test::missingInstallResult())

namespace toliva::test {

// True under .ci/run: TOLIVA_REQUIRE_INSTALLED=1, or CI=true where that variable is unset.
bool installRequired();
// What TOLIVA_SKIP_UNLESS_CI reports: a failure when installRequired(), else a skip.
::testing::TestPartResult::Type missingInstallResult();
const char* missingInstallNote();

// For an editor program a test starts: its update check at start-up asks
// this machine (TOLIVA_UPDATE_HOST 127.0.0.1), never through a proxy.
void KeepUpdateCheckLocal(QProcessEnvironment& env);

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

// The real-world formula corpus: shared/corpus beside the repository, or the
// folder TOLIVA_CORPUS_DIR names.
struct CorpusFormula {
    QString id;   // file name and row key
    QString tex;  // the row's last field
};
QString corpusFolder();
// Every row of the corpus's *.tsv files; empty when the folder is absent.
std::vector<CorpusFormula> readCorpus();

// Where the tests that picture windows for a person to look at save them:
// build/<preset>/screenshots beside the test programs' folder, made when
// missing; ends with '/'.
QString screenshotFolder();

}  // namespace toliva::test
