// Feeds text (UTF-8) to the LaTeX reader, checks the links of the tree it
// builds, writes it back as LaTeX and as an equation stream, and reads the
// LaTeX again.
#include "model/EqElement.h"
#include "model/EqLayoutSettings.h"
#include "model/EqModel.h"
#include "model/EqStream.h"
#include "platform/MessageSink.h"
#include "tex/LaTeX.h"
#include "tex/TeXCode.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

using namespace toliva;

void check(bool ok) {
    if (!ok) std::abort();
}

// Every chain starts with a head, links both ways and names its owner.
void checkTree(const EqModel& eq) {
    struct Item {
        const EqElement* head;
        const EqElement* owner;
    };
    std::vector<Item> chains;
    for (const EqElement* line : eq.lines) chains.push_back({line, nullptr});
    while (!chains.empty()) {
        const Item it = chains.back();
        chains.pop_back();
        check(it.head->type == EqTypeChainHead && !it.head->prev);
        for (const EqElement* e = it.head; e; e = e->next) {
            check(e->parent == it.owner && e->owner == &eq);
            if (e->next) check(e->next->prev == e);
            if (e != it.head) check(e->type != EqTypeChainHead);
            for (const EqElement* child : e->children) chains.push_back({child, e});
        }
    }
}

const EqLayoutSettings& style() {
    static const EqLayoutSettings s = [] {
        EqLayoutSettings settings;
        SetDefaultLayoutSettings(settings);
        return settings;
    }();
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static RecordingMessageSink sink;
    ScopedMessageSink guard(&sink);
    sink.shown.clear();

    static CTeXCode names;
    TeXReadContext readContext;
    readContext.names = &names;
    TeXWriteContext writeContext;
    writeContext.names = &names;
    writeContext.delimiters = LaTeXNoDelimiters;

    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    EqModel eq(style());
    LaTeXReadResult r;
    const bool ok = ReadLaTeXDocument(text, &eq, readContext, &r);
    check(ok == r.ok && !eq.lines.empty());
    check(sink.shown.empty());
    check(r.notes.items.size() == (r.overflow ? 1u : 0u));
    checkTree(eq);
    // Every unknown name has its place, inside the text.
    check(r.unknown.size() == r.unknownPositions.size());
    for (int at : r.unknownPositions) check(at >= 0 && at < text.size());
    for (const LaTeXReadProblem& p : r.problems) check(p.position >= 0 && p.position <= text.size());
    const QStringList report = LaTeXReadReport(r, text);
    check(report.isEmpty() == (r.ok && r.unknown.isEmpty() && r.problems.empty()));
    EquationToBytes(&eq);

    const QString written = EquationToLaTeX(eq, writeContext);
    EqModel again(style());
    ReadLaTeXDocument(written, &again, readContext, nullptr);
    checkTree(again);
    return 0;
}
