// Feeds bytes to the language-file reader as the contents of a language file
// and looks up texts the way the program does.
#include "platform/MessageSink.h"
#include "uikit/LangTable.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace toliva;
    static RecordingMessageSink sink;
    ScopedMessageSink guard(&sink);
    sink.shown.clear();

    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const char* code : {"en", "cn"}) {
        LangTable table;
        OpenLangTableBuffer(table, QString::fromLatin1(code), bytes);
        for (const char* group : {"gMSG_1", "gDLG_1", "gCS_1", "gPOP_1", "gNONE"}) {
            for (int item : {0, 1, 2, 3, 7, 99, 123, -1}) LoadLangString(table, QString::fromLatin1(group), item);
            LoadLangItemString(table, 5);
        }
        LangMessageBox(table, QStringLiteral("gMSG_1"), 1, MB_OK);
        LangYesNoBox(nullptr, table, QStringLiteral("gMSG_1"), 1, 2);
        CloseLangTable(table);
        LoadLangString(table, QStringLiteral("gMSG_1"), 1);
    }
    return 0;
}
