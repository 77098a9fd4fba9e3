#pragma once
// 80-bit extended reals as the host receives them (kind 33 goods records):
// built bit by bit, so the result does not depend on the compiler's long double.
#include "plugin/qordll.h"

namespace zt {

QORExtended toExtended(long double value);
long double fromExtended(const QORExtended& value);

}  // namespace zt
