// Feeds bytes to the TeX prompt bar's candidate reader as the contents of
// "Dat/KwTCMData.dat", then ranks, pages and picks the candidates read the
// way the bar does, reads a few previews and writes the file back.
#include "fuzz/FuzzSupport.h"
#include "sheet/editing/TeXCandidates.h"
#include "tex/TeXContext.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace toliva;
    static const bool ready = [] {
        fuzz::useScratchHomeAndSilence();
        return true;
    }();
    (void)ready;

    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    CandidateFileContents read = ReadCandidateFile(bytes);

    // What was read writes back to the same entries.
    const QByteArray written = WriteCandidateFile(read.entries, int(read.entries.size()));
    const CandidateFileContents again = ReadCandidateFile(written);
    if (again.damaged || again.entries.size() != read.entries.size()) __builtin_trap();

    TeXCandidateList list;
    list.setLabels({QStringLiteral("label"), QString()});
    list.SetCandidatesForTest(std::move(read.entries));
    for (int perPage : {8, 1, 9}) {
        list.setCandidatesPerPage(perPage);
        for (const char* typed : {"\\", "\\a", "\\al", "\\Frac", "\\mathbb", "\\\xC3\xA9", ""}) {
            list.RankCandidates(QString::fromUtf8(typed));
            for (int step : {2, 4, 2, 3, 1, 0, 2})
                list.MovePage(step);
            QString text;
            for (int number = -1; number <= perPage + 1; ++number) {
                const int kind = list.PickCandidate(number, &text);
                if (kind < -1) __builtin_trap();
                if (kind >= 0 && list.candidateInCell(number - 1) < 0) __builtin_trap();
            }
            for (int cell = 0; cell < list.shownCount(); ++cell)
                if (list.candidateInCell(cell) < 0 || list.candidateInCell(cell) >= list.total()) __builtin_trap();
        }
    }

    // The previews of the first few candidates, as the bar reads them.
    const TeXReadContext context;
    const EqLayoutSettings style = fuzz::builtInStyle();
    for (int i = 0; i < list.total() && i < 4; ++i) {
        const TeXCandidate& c = list.candidates()[size_t(i)];
        if (c.text.size() > 256) continue;
        ReadCandidatePreview(c.kind, c.text, style, context);
    }
    return 0;
}
