#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdlib>
#include <cstring>

namespace toliva::test {

bool installRequired() {
    const char* required = std::getenv("TOLIVA_REQUIRE_INSTALLED");
    if (required && *required) return std::strcmp(required, "0") != 0;
    const char* ci = std::getenv("CI");
    return ci && std::strcmp(ci, "true") == 0;
}

::testing::TestPartResult::Type missingInstallResult() {
    return installRequired() ? ::testing::TestPartResult::kFatalFailure : ::testing::TestPartResult::kSkip;
}

const char* missingInstallNote() {
    return installRequired() ? "Missing under .ci/run, where everything tools/install-deps.sh installs and the formula "
                               "corpus beside the checkout must be present"
                             : "";
}

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

QString corpusFolder() {
    // A checkout elsewhere (a second working tree, say) names the corpus.
    const QString named = QString::fromLocal8Bit(qgetenv("TOLIVA_CORPUS_DIR"));
    if (!named.isEmpty()) return QDir::cleanPath(named);
    const QDir here = QFileInfo(QStringLiteral(__FILE__)).absoluteDir();  // tests/common
    return QDir::cleanPath(here.absoluteFilePath(QStringLiteral("../../../shared/corpus")));
}

std::vector<CorpusFormula> readCorpus() {
    std::vector<CorpusFormula> formulas;
    const QDir folder(corpusFolder());
    const QStringList files = folder.entryList({QStringLiteral("*.tsv")}, QDir::Files, QDir::Name);
    for (const QString& name : files) {
        QFile f(folder.filePath(name));
        if (!f.open(QIODevice::ReadOnly)) continue;
        const QStringList rows = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (const QString& row : rows) {
            const QStringList fields = row.split(QLatin1Char('\t'));
            if (fields.size() < 2) continue;
            formulas.push_back({name + QLatin1Char(':') + fields.first(), fields.last()});
        }
    }
    return formulas;
}

void KeepUpdateCheckLocal(QProcessEnvironment& env) {
    const QString host = QStringLiteral("127.0.0.1");
    env.insert(QStringLiteral("TOLIVA_UPDATE_HOST"), host);
    // The program's retry goes through the proxy the environment names;
    // no_proxy keeps even that on this machine.
    for (const QString& name : {QStringLiteral("no_proxy"), QStringLiteral("NO_PROXY")}) {
        const QString list = env.value(name);
        env.insert(name, list.isEmpty() ? host : list + QLatin1Char(',') + host);
    }
}

QString screenshotFolder() {
    const QString folder = QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../screenshots"));
    QDir().mkpath(folder);
    return folder + QLatin1Char('/');
}

}  // namespace toliva::test
