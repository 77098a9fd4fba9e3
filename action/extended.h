#pragma once
// 80-bit extended reals as the host receives them (kind 33 goods records):
// built bit by bit, so the result does not depend on the compiler's long double
// nor on the precision the host left the FPU in.
#include <cstdint>

#include "action/qordll.h"

namespace zt {

QORExtended toExtended(long double value);
long double fromExtended(const QORExtended& value);

// hundredths / 100 rounded once to the nearest extended (ties to even): a
// price in grosze as currency units, the same bits on every build.
QORExtended hundredthsToExtended(std::int64_t hundredths);

}  // namespace zt
