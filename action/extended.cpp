#include "action/extended.h"

#include <cmath>
#include <cstdint>

namespace zt {

QORExtended toExtended(long double value) {
    QORExtended out{{0, 0, 0}};
    if (value == 0.0L || !std::isfinite(value)) return out;
    std::uint32_t sign = value < 0 ? 0x8000u : 0u;
    int exp = 0;
    // In long double: where it is the 80-bit format no mantissa bit is lost.
    long double m = std::frexp(std::fabs(value), &exp);  // m in [0.5, 1)
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

QORExtended hundredthsToExtended(std::int64_t hundredths) {
    QORExtended out{{0, 0, 0}};
    if (hundredths == 0) return out;
    const std::uint32_t sign = hundredths < 0 ? 0x8000u : 0u;
    // Magnitude without overflow for the most negative value.
    const std::uint64_t n =
        hundredths < 0 ? 0 - static_cast<std::uint64_t>(hundredths) : static_cast<std::uint64_t>(hundredths);
    constexpr std::uint64_t d = 100;
    constexpr std::uint64_t top = 1ULL << 63;
    // Long division, one quotient bit at a time, until the integer bit is at bit 63.
    std::uint64_t q = n / d, r = n % d;
    int shift = 0;  // value = q * 2^-shift (+ r / d * 2^-shift)
    // n / 100 < 2^58: the quotient only ever moves left.
    while (q < top) {
        r <<= 1;
        q <<= 1;
        if (r >= d) {
            r -= d;
            q |= 1;
        }
        ++shift;
    }
    // Round to nearest, ties to even, on the remainder.
    const std::uint64_t twice = r << 1;
    if (twice > d || (twice == d && (q & 1))) {
        ++q;
        if (q == 0) {  // carried out of bit 63
            q = top;
            --shift;
        }
    }
    const int e = 63 - shift + 16383;
    out.w[0] = static_cast<std::uint32_t>(q);
    out.w[1] = static_cast<std::uint32_t>(q >> 32);
    out.w[2] = (sign | static_cast<std::uint32_t>(e)) & 0xFFFFu;
    return out;
}

}  // namespace zt
