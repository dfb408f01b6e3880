// Bytes as a token list for the line calculator: kinds, codes and units from
// the bytes (unknown ones included), values from small integers up to raw
// doubles (huge, infinite, not-a-number), some tokens inserted as postfix
// functions. Evaluating must neither crash nor hang, and the list's links
// must stay consistent.
#include "sheet/calc/CKwEECal.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

using namespace toliva;

namespace {

struct Reader {
    const uint8_t* data;
    size_t size;
    size_t pos = 0;

    bool more() const { return pos < size; }
    uint8_t byte() { return pos < size ? data[pos++] : 0; }
    double value() {
        const uint8_t mode = byte();
        switch (mode % 4) {
        case 0: return double(byte());
        case 1: return double(byte()) / double(1 + byte());
        case 2: return -double(byte());
        default: {
            uint64_t bits = 0;
            for (int i = 0; i < 8; ++i) bits = bits << 8 | byte();
            double v = 0;
            std::memcpy(&v, &bits, sizeof v);
            return v;
        }
        }
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) return 0;
    Reader in{data, size};
    CKwEECal cal;
    while (in.more()) {
        const uint8_t head = in.byte();
        const auto kind = uint8_t(head % 4);  // 3 is no known kind
        const bool postfix = (head & 0x80) != 0;
        const uint8_t code = in.byte() % 48;
        const auto unit = uint8_t((head >> 2) % 7);
        const double value = in.value();
        if (postfix)
            cal.InsertPostfix(value, kind, code, unit);
        else
            cal.Append(value, kind, code, unit);
    }
    double out = 0;
    cal.Evaluate(&out);

    // The reduced list is still a well-formed doubly linked list.
    const CKwEV* prev = nullptr;
    int n = 0;
    for (const CKwEV* t = cal.first(); t; t = t->next) {
        if (t->prev != prev) std::abort();
        prev = t;
        ++n;
    }
    if (prev != cal.last() || n != cal.count()) std::abort();
    return 0;
}
