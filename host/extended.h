#pragma once
// The 80-bit extended reals of the goods callback, decoded bit by bit so the
// bench does not depend on the size of long double.
#include "action/qordll.h"

namespace zt {

// Sign, 15-bit exponent and 64-bit mantissa with its explicit integer bit,
// rounded to the nearest double; infinities and NaNs are kept as such.
double extendedToDouble(const QORExtended& x);

// The encoding of a double as an 80-bit extended (exact), for tests.
QORExtended doubleToExtended(double d);

}  // namespace zt
