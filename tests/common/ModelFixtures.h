// Equation fixtures shared by the tests, the benchmarks and the fuzz targets
// (header only, so each of them can use it with the model library alone).
#pragma once

#include "model/EqElement.h"
#include "model/EqLayoutSettings.h"
#include "model/EqModel.h"

#include <cstdint>

namespace toliva::test {

// The built-in style, independent of any defaults file.
inline EqLayoutSettings builtInStyle() {
    EqLayoutSettings s;
    SetDefaultLayoutSettings(s);
    return s;
}

// The built-in style at 40 pixels (minimum 10): enough pixels to see a stray
// stroke in a picture.
inline EqLayoutSettings largeStyle() {
    EqLayoutSettings s = builtInStyle();
    s.fontSize = 40;
    s.size2 = 10;
    return s;
}

// Appends an element after pred in pred's chain.
inline EqElement* append(EqElement* pred, int32_t type, uint16_t ch = 0) {
    return NewChildElement(pred->parent, type, ch, pred);
}

}  // namespace toliva::test
