#include "plugin/extended.h"

#include <cmath>
#include <cstdint>

namespace zt {

QORExtended toExtended(long double value) {
    QORExtended out{{0, 0, 0}};
    double v = static_cast<double>(value);
    if (v == 0.0 || !std::isfinite(v)) return out;
    std::uint32_t sign = v < 0 ? 0x8000u : 0u;
    int exp = 0;
    double m = std::frexp(std::fabs(v), &exp);  // m in [0.5, 1)
    // Explicit integer bit: mantissa = m * 2^64, exponent = exp - 1 + bias.
    auto mant = static_cast<std::uint64_t>(std::ldexp(m, 64));
    std::uint32_t e = static_cast<std::uint32_t>(exp - 1 + 16383) & 0x7FFFu;
    out.w[0] = static_cast<std::uint32_t>(mant);
    out.w[1] = static_cast<std::uint32_t>(mant >> 32);
    out.w[2] = (sign | e) & 0xFFFFu;
    return out;
}

long double fromExtended(const QORExtended& x) {
    std::uint64_t mant = (static_cast<std::uint64_t>(x.w[1]) << 32) | x.w[0];
    int e = static_cast<int>(x.w[2] & 0x7FFFu);
    bool neg = (x.w[2] & 0x8000u) != 0;
    if (mant == 0 && e == 0) return 0.0L;
    long double v = std::ldexp(static_cast<long double>(mant), e - 16383 - 63);
    return neg ? -v : v;
}

}  // namespace zt
