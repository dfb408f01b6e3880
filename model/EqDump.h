// A canonical text form of an equation, for tests and tools: the same tree
// always gives the same text, and any stored difference shows in it.
//
//     version 16
//     font "Times New Roman" "Times New Roman" size 12 min 3
//     changed options[7]=2 colours[14]=FF102030      (fields that differ from the defaults)
//     line 0
//       type=0 ch=0000 colour=FF000000
//       type=128 ch=0000 colour=FF000000
//         arg 0
//           type=0 ...
//     caret line 0 elem 1 arg 0 elem 0
#pragma once

#include <QString>

namespace toliva {

class EqModel;

QString DumpEquation(const EqModel& eq);

}  // namespace toliva
