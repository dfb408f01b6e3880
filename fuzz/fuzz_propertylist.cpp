// Feeds text to the property list as item values and as references into a
// small value source, and reads every typed form back the way the property
// grid does.
#include "uikit/CKwPGL.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace toliva;
    static PropertyValueSource* source = [] {
        auto* s = new PropertyValueSource;
        s->setEntry({"m", 2, 3, {1, 2, 3, 4, 5, 6}, 0.0, "matrix"});
        s->setEntry({"k", 0, 0, {}, 1e300, "k"});
        s->setEntry({"i", 0, 0, {}, 2.0, ""});
        s->setEntry({"bad", 5, 5, {1, 2}, 0.0, ""});  // an array shorter than its size
        return s;
    }();

    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    CKwPGL list;
    list.source = source;
    for (const QString& line : text.split(u'\n')) {
        ParseItemValue(*list.GetOrAddItem(0, 0), line);
        list.SetItemText(0, 0, line);
        for (bool resolve : {false, true}) list.GetItemText(0, 0, resolve);
        list.GetItemInt(0, 0);
        list.GetItemDouble(0, 0);
        list.GetItemBool(0, 0);
        list.GetItemColor(0, 0);
        list.IsFreeEditItem(0, 0);
        QString face;
        int fontSize = 12, style = 0, colour = 0;
        list.GetItemFont(0, 0, face, fontSize, style, colour);
        SplitValueList(line);
        double v = 0;
        source->lookupValue(line, v);
        QString t;
        source->lookupText(line, t);
        TextToInt(line);
        TextToDouble(line);
    }
    return 0;
}
