// Feeds bytes to the TeX name table reader as the contents of
// "Dat/KwTLData.dat" and uses the table the way the reader, the writer and
// the symbol hints do.
#include "platform/MessageSink.h"
#include "tex/TeXCode.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace toliva;
    static RecordingMessageSink sink;
    ScopedMessageSink guard(&sink);
    sink.shown.clear();

    CTeXCode table;
    table.LoadTeXNameTableFromBytes(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)),
                                    QStringLiteral("KwTLData.dat"));

    int kind = 0, value1 = 0, value2 = 0;
    // Every stored name, and a few that are not.
    for (const TeXNameEntry& e : table.entries()) {
        table.LookupTeXName(e.nameLength(), e.name, &kind, &value1, &value2);
        table.LookupTeXName(e.nameText() + QLatin1Char('x'), &kind, &value1, &value2);
    }
    for (const char* name : {"frac", "alpha", "left", "\\", "!", "abcdefghijklmnopqrstuvwxyzABCDEF",
                             "abcdefghijklmnopqrstuvwxyzABCDEFG", "Z", "z", "0"})
        table.LookupTeXName(QString::fromLatin1(name), &kind, &value1, &value2);

    QString text;
    int cls = 0;
    for (const TeXNameEntry& e : table.entries()) {
        table.TeXNameOfOperator(e.value1, &text);
        table.TeXNameOfChar(uint16_t(e.value1), 2, &cls, &text);
        table.TeXNameOfChar(uint16_t(e.value2), 1, &cls, &text);
        table.TeXNameOfGlyph(e.value1, &text);
        table.TeXHintText(e.kind, e.value1, e.value2);
        table.TeXHintText(e.kind, e.value2, 0);
    }
    for (int code : {0, 1, 2, 31, 128, 209, 337, 359, 476, 1042, 1289})
        for (int kind2 : {1, 2, 3, 4, 6, 13}) table.TeXHintText(kind2, code, 0);
    return 0;
}
