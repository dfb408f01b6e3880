// Small helpers of the editing tests: equations written as short texts.
#pragma once

#include "model/EqElement.h"
#include "model/EqModel.h"

#include <string>

namespace toliva::test {

// A chain as text: characters as themselves, other elements as
// "[type:chain|chain]" (a type without chains as "[type]").
inline std::string chainText(const EqElement* head) {
    std::string out;
    for (const EqElement* e = head ? head->next : nullptr; e; e = e->next) {
        if (IsCharType(e->type) && e->ch < 128) {
            out += char(e->ch);
            continue;
        }
        out += "[" + std::to_string(e->type);
        for (size_t i = 0; i < e->children.size(); ++i) out += (i ? "|" : ":") + chainText(e->children[i]);
        out += "]";
    }
    return out;
}

// Every line, separated by "/".
inline std::string equationText(const EqModel& eq) {
    std::string out;
    for (size_t i = 0; i < eq.lines.size(); ++i) out += (i ? "/" : "") + chainText(eq.lines[i]);
    return out;
}

}  // namespace toliva::test
