// Real-world MathML: the formulas of the shared corpus, turned into MathML by
// pandoc, are read back. Nothing may crash; the share that converts is
// printed, not asserted (it depends on the pandoc at hand).
#include "tex/MathML.h"

#include "model/EqModel.h"
#include "common/TestSupport.h"
#include "tests/common/ModelFixtures.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <cstdio>
#include <vector>

namespace toliva {
namespace {

using test::corpusFolder;
using test::CorpusFormula;
using test::readCorpus;

TEST(MathMLPandoc, CorpusFormulasReadBack) {
    const QString folder = corpusFolder();
    if (!QFileInfo(folder).isDir()) TOLIVA_SKIP_UNLESS_CI() << "no formula corpus at " << folder.toStdString();
    const QString pandoc = QStandardPaths::findExecutable(QStringLiteral("pandoc"));
    if (pandoc.isEmpty()) TOLIVA_SKIP_UNLESS_CI() << "pandoc is not installed";
    const std::vector<CorpusFormula> formulas = readCorpus();
    ASSERT_FALSE(formulas.empty());

    // One pandoc run for all formulas: each display formula after a marker
    // paragraph that names its index.
    QString markdown;
    for (size_t i = 0; i < formulas.size(); ++i)
        markdown += QStringLiteral("FORMULA-%1\n\n$$%2$$\n\n").arg(i).arg(formulas[i].tex);
    QProcess process;
    process.start(pandoc, {QStringLiteral("-f"), QStringLiteral("markdown"), QStringLiteral("-t"),
                           QStringLiteral("html"), QStringLiteral("--mathml")});
    ASSERT_TRUE(process.waitForStarted());
    process.write(markdown.toUtf8());
    process.closeWriteChannel();
    ASSERT_TRUE(process.waitForFinished(120000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    const QString html = QString::fromUtf8(process.readAllStandardOutput());

    // The MathML of each formula, where pandoc made one.
    std::vector<QString> mathml(formulas.size());
    static const QRegularExpression kMarker(QStringLiteral("<p>FORMULA-(\\d+)</p>"));
    QRegularExpressionMatchIterator it = kMarker.globalMatch(html);
    std::vector<std::pair<size_t, qsizetype>> marks;
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        marks.emplace_back(m.captured(1).toULongLong(), m.capturedEnd());
    }
    for (size_t k = 0; k < marks.size(); ++k) {
        const qsizetype end =
            k + 1 < marks.size() ? html.lastIndexOf(QLatin1String("<p>FORMULA-"), marks[k + 1].second) : html.size();
        const QString chunk = html.mid(marks[k].second, end - marks[k].second);
        const qsizetype open = chunk.indexOf(QLatin1String("<math"));
        const qsizetype close = chunk.lastIndexOf(QLatin1String("</math>"));
        if (open >= 0 && close > open && marks[k].first < formulas.size())
            mathml[marks[k].first] = chunk.mid(open, close + 7 - open);
    }

    int byPandoc = 0;
    int read = 0;
    int complete = 0;
    QStringList notRead;
    for (size_t i = 0; i < formulas.size(); ++i) {
        if (mathml[i].isEmpty()) continue;
        ++byPandoc;
        const QByteArray bytes = mathml[i].toUtf8();
        MathMLReader reader;
        const MathMLReadResult r = ReadMathML(reader, bytes.constData(), size_t(bytes.size()), test::builtInStyle());
        if (!r.ok) {
            notRead << formulas[i].id + QStringLiteral(" (") + r.message + QLatin1Char(')');
            continue;
        }
        ++read;
        if (r.message.isEmpty()) ++complete;
    }
    std::printf(
        "MathML of %zu corpus formulas: pandoc converted %d; the reader read %d (%.1f%%), %d without "
        "anything left out.\n",
        formulas.size(), byPandoc, read, byPandoc ? 100.0 * read / byPandoc : 0.0, complete);
    for (const QString& id : notRead) std::printf("  not read: %s\n", qPrintable(id));
    EXPECT_GT(byPandoc, 0);
}

}  // namespace
}  // namespace toliva
