#include "platform/decimal.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "platform/exception.h"

namespace zt {
namespace {

constexpr std::int64_t kPow10[19] = {1LL,
                                     10LL,
                                     100LL,
                                     1000LL,
                                     10000LL,
                                     100000LL,
                                     1000000LL,
                                     10000000LL,
                                     100000000LL,
                                     1000000000LL,
                                     10000000000LL,
                                     100000000000LL,
                                     1000000000000LL,
                                     10000000000000LL,
                                     100000000000000LL,
                                     1000000000000000LL,
                                     10000000000000000LL,
                                     100000000000000000LL,
                                     1000000000000000000LL};

// m / 10^k rounded half away from zero.
std::int64_t divRound(std::int64_t m, int k) {
    if (k <= 0) return m;
    if (k > 18) return 0;
    const std::int64_t p = kPow10[k];
    std::int64_t q = m / p, r = m % p;
    // |r| >= p/2 rounds away; compare without overflow.
    if (r >= 0 ? r >= p - r : -r >= p + r) q += m < 0 ? -1 : 1;
    return q;
}

bool mulPow10(std::int64_t m, int k, std::int64_t& out) {
    if (k <= 0) {
        out = m;
        return true;
    }
    if (k > 18) {
        out = 0;
        return m == 0;
    }
    if (__builtin_mul_overflow(m, kPow10[k], &out)) return false;
    return true;
}

}  // namespace

TxfTools TxfTools::FromParts(std::int64_t mantissa, int scale) {
    TxfTools t;
    if (scale < 0) {
        if (!mulPow10(mantissa, -scale, t.mant_)) throw EMException(0, "decimal overflow", std::to_string(mantissa));
        scale = 0;
    } else {
        t.mant_ = mantissa;
    }
    if (scale > kMaxScale) {
        t.mant_ = divRound(t.mant_, scale - kMaxScale);
        scale = kMaxScale;
    }
    t.scale_ = scale;
    return t;
}

TxfTools::TxfTools(long double value) {
    const double v = static_cast<double>(value);
    if (!std::isfinite(v)) throw EMException(0, "invalid decimal value", "not a finite number");
    if (v == 0.0) return;
    // 15 significant digits: the digits a double carries reliably, so that a
    // money value held in a double comes back as the decimal it was.
    const int exponent = static_cast<int>(std::floor(std::log10(std::fabs(v))));
    int decimals = 14 - exponent;
    if (decimals < 0) decimals = 0;
    if (decimals > kMaxScale) decimals = kMaxScale;
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    if (!FromString(buf)) throw EMException(0, "decimal overflow", buf);
    // Drop trailing zero decimals.
    while (scale_ > 0 && mant_ % 10 == 0) {
        mant_ /= 10;
        --scale_;
    }
}

bool TxfTools::FromString(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ') --e;
    std::string_view s = text.substr(b, e - b);
    bool neg = false;
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
        neg = s[0] == '-';
        s.remove_prefix(1);
    }
    // Accumulated as a negative number so that the lowest 64-bit value fits.
    std::int64_t m = 0;
    int scale = 0;
    int intDigits = 0, fracDigits = 0;
    bool seenSep = false, roundUp = false, cut = false;
    for (char c : s) {
        if (c == '.' || c == ',') {
            if (seenSep) return false;
            seenSep = true;
            continue;
        }
        if (c < '0' || c > '9') return false;
        const int dgt = c - '0';
        if (seenSep) {
            ++fracDigits;
            if (cut) continue;
            std::int64_t t;
            if (scale >= kMaxScale || __builtin_mul_overflow(m, 10, &t) || __builtin_sub_overflow(t, dgt, &t)) {
                cut = true;  // further decimals only round
                roundUp = dgt >= 5;
                continue;
            }
            m = t;
            ++scale;
        } else {
            ++intDigits;
            if (__builtin_mul_overflow(m, 10, &m) || __builtin_sub_overflow(m, dgt, &m)) return false;
        }
    }
    if (intDigits + fracDigits == 0) return false;
    if (roundUp && __builtin_sub_overflow(m, 1, &m)) return false;
    if (!neg) {
        if (m == std::numeric_limits<std::int64_t>::min()) return false;
        m = -m;
    }
    mant_ = m;
    scale_ = scale;
    return true;
}

TxfTools TxfTools::Parse(std::string_view text) {
    TxfTools t;
    if (!t.FromString(text)) throw EMException(0, "invalid decimal value", std::string(text));
    return t;
}

void TxfTools::Round(int digits) {
    if (digits < 0) digits = 0;
    if (digits >= scale_) return;
    mant_ = divRound(mant_, scale_ - digits);
    scale_ = digits;
}

std::string TxfTools::ToString(int decimals) const {
    TxfTools t = *this;
    if (decimals >= 0) {
        if (decimals > kMaxScale) decimals = kMaxScale;
        t.Round(decimals);
    } else {
        decimals = t.scale_;
    }
    // Digits of |mantissa| without overflow for the lowest value.
    const bool neg = t.mant_ < 0;
    const std::uint64_t mag = neg ? 0 - static_cast<std::uint64_t>(t.mant_) : static_cast<std::uint64_t>(t.mant_);
    std::string digits = std::to_string(mag);
    if (static_cast<int>(digits.size()) <= t.scale_)
        digits.insert(0, static_cast<std::size_t>(t.scale_) + 1 - digits.size(), '0');
    std::string intPart = digits.substr(0, digits.size() - static_cast<std::size_t>(t.scale_));
    std::string frac = digits.substr(digits.size() - static_cast<std::size_t>(t.scale_));
    frac.resize(static_cast<std::size_t>(decimals), '0');
    std::string out;
    if (neg && mag != 0) out += '-';
    out += intPart;
    if (decimals > 0) out += '.' + frac;
    return out;
}

long double TxfTools::Value() const noexcept {
    return static_cast<long double>(mant_) / static_cast<long double>(kPow10[scale_]);
}

std::int64_t TxfTools::Scaled(int decimals) const {
    std::int64_t out;
    if (decimals >= scale_) {
        if (!mulPow10(mant_, decimals - scale_, out)) throw EMException(0, "decimal overflow", ToString());
        return out;
    }
    // One rounding of the exact value: rounding to whole units first and then
    // dividing would round 14.5 at 10^-1 up to 2.
    const int k = scale_ - decimals;
    if (k <= 18) return divRound(mant_, k);
    // Beyond 10^18 the half-way point is a whole multiple of the cut-off part,
    // so cutting digits first does not change the rounding.
    if (k - 18 > 18) return 0;
    return divRound(mant_ / kPow10[k - 18], 18);
}

}  // namespace zt
