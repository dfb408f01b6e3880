// Real-world formulas (the shared corpus beside the repository): every one is
// read without a crash, and the share that converts without loss is printed.
#include "LaTeXReaderTestSupport.h"

#include "common/TestSupport.h"
#include "platform/MessageSink.h"
#include "TeXTestContext.h"
#include "tex/LaTeX.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace toliva::test {
namespace {

QString writeBack(const EqModel& eq) { return EquationToLaTeX(eq, writeContext(LaTeXNoDelimiters)); }

TEST(LaTeXCorpusTest, RealWorldFormulas) {
    const QString folder = corpusFolder();
    const std::vector<CorpusFormula> formulas = readCorpus();
    if (formulas.empty()) TOLIVA_SKIP_UNLESS_CI() << "no corpus in " << folder.toStdString();

    RecordingMessageSink sink;
    ScopedMessageSink guard(&sink);
    int converted = 0;
    int withoutLoss = 0;
    int stable = 0;
    std::map<QString, int> failures;
    std::map<QString, int> unknown;
    for (const CorpusFormula& f : formulas) {
        EqModel eq(builtInStyle());
        LaTeXReadResult r;
        ReadLaTeXDocument(f.tex, &eq, readContext(), &r);
        if (r.ok) ++converted;
        if (!r.message.isEmpty()) ++failures[r.message];
        for (const QString& name : r.unknown) ++unknown[name];
        const bool lossless = r.ok && !r.error && !r.overflow && r.unknown.isEmpty();
        if (lossless) ++withoutLoss;

        // What the writer makes of it reads back to the same text.
        if (r.ok) {
            const QString first = writeBack(eq);
            EqModel again(builtInStyle());
            ReadLaTeXDocument(first, &again, readContext(), nullptr);
            if (writeBack(again) == first) ++stable;
        }
    }
    const int n = int(formulas.size());
    std::printf("LaTeX corpus: %d formulas; %d converted (%.1f%%); %d without loss (%.1f%%); "
                "%d read back to the same text\n",
                n, converted, 100.0 * converted / n, withoutLoss, 100.0 * withoutLoss / n, stable);
    for (const auto& [message, count] : failures) std::printf("  %3d x %s\n", count, qPrintable(message));
    std::vector<std::pair<int, QString>> names;
    for (const auto& [name, count] : unknown) names.push_back({count, name});
    std::sort(names.rbegin(), names.rend());
    QString list;
    for (size_t i = 0; i < names.size() && i < 40; ++i)
        list += QStringLiteral(" %1(%2)").arg(names[i].second).arg(names[i].first);
    std::printf("  not known:%s\n", qPrintable(list));
    EXPECT_GT(converted, 0);
}

}  // namespace
}  // namespace toliva::test
