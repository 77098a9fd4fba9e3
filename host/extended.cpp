#include "host/extended.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace zt {

double extendedToDouble(const QORExtended& x) {
    std::uint64_t mantissa = (static_cast<std::uint64_t>(x.w[1]) << 32) | x.w[0];
    int exponent = static_cast<int>(x.w[2] & 0x7FFF);
    bool negative = (x.w[2] & 0x8000) != 0;
    double value = 0.0;
    if (exponent == 0x7FFF) {
        // Fraction bits (below the integer bit) all zero: infinity; otherwise NaN.
        value =
            (mantissa << 1) == 0 ? std::numeric_limits<double>::infinity() : std::numeric_limits<double>::quiet_NaN();
    } else {
        // value = mantissa * 2^(exponent - 16383 - 63); denormals use exponent 1.
        int e = (exponent == 0 ? 1 : exponent) - 16383 - 63;
        // Round the 64-bit mantissa to 53 bits once, then scale exactly (or to 0/inf).
        value = std::ldexp(static_cast<double>(mantissa), e);
    }
    return negative ? -value : value;
}

QORExtended doubleToExtended(double d) {
    QORExtended x{{0, 0, 0}};
    std::uint32_t sign = std::signbit(d) ? 0x8000u : 0u;
    d = std::fabs(d);
    if (std::isnan(d)) {
        x.w[1] = 0xC0000000u;
        x.w[2] = sign | 0x7FFF;
    } else if (std::isinf(d)) {
        x.w[1] = 0x80000000u;
        x.w[2] = sign | 0x7FFF;
    } else if (d != 0.0) {
        int e = 0;
        double frac = std::frexp(d, &e);  // d = frac * 2^e, frac in [0.5, 1)
        auto mantissa = static_cast<std::uint64_t>(std::ldexp(frac, 64));
        x.w[0] = static_cast<std::uint32_t>(mantissa);
        x.w[1] = static_cast<std::uint32_t>(mantissa >> 32);
        x.w[2] = sign | static_cast<std::uint32_t>(e - 1 + 16383);
    } else {
        x.w[2] = sign;
    }
    return x;
}

}  // namespace zt
