#include "TreeBuilders.h"

namespace toliva {

int CountCommandLetters(int count, const char16_t* characters) {
    if (!characters) return 0;
    int n = 0;
    while (n < count) {
        const char16_t c = characters[n];
        if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'/')) break;
        ++n;
    }
    return n;
}

}  // namespace toliva
