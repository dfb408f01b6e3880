// The work fields of an element as the editing sheet uses them. None of them
// is written to the stream.
//   work0    the selected byte (1 while the element is selected)
//   work1    0x01 the automatic-format mark, 0x02 the selected-style byte
//   workInt  the running index of the last hit-box walk (orders two elements)
#pragma once

#include "model/EqElement.h"

namespace toliva {

constexpr uint8_t kAutoFormatMark = 0x01;
constexpr uint8_t kSelectedStyleMark = 0x02;

inline bool IsElementSelected(const EqElement* e) { return e->work0 != 0; }
inline void SetElementSelected(EqElement* e, bool on) { e->work0 = on ? 1 : 0; }
inline bool HasWorkMark(const EqElement* e, uint8_t mark) { return (e->work1 & mark) != 0; }
inline void SetWorkMark(EqElement* e, uint8_t mark, bool on) {
    e->work1 = on ? uint8_t(e->work1 | mark) : uint8_t(e->work1 & ~mark);
}
inline int RunningIndex(const EqElement* e) { return e->workInt; }

}  // namespace toliva
