#pragma once
// Decimal number for money and quantities. Held as an integer mantissa and a
// decimal scale (value = mantissa / 10^scale), so reading "12.34" and scaling
// it to grosze gives exactly 1234 with no binary floating-point error.
#include <cstdint>
#include <string>
#include <string_view>

namespace zt {

class TxfTools {
public:
    static constexpr int kMaxScale = 18;

    TxfTools() = default;
    // From an extended value, kept to 15 significant digits (what a double holds).
    explicit TxfTools(long double value);
    static TxfTools FromParts(std::int64_t mantissa, int scale);

    // Lenient reading: surrounding blanks, optional sign, digits with ',' or '.'
    // as the decimal separator (digits on at least one side). Digits past the
    // 18th decimal are rounded. False (value unchanged) for anything else or
    // for a value beyond the 64-bit range.
    bool FromString(std::string_view text);
    // The same, raising zt::EMException for a bad text.
    static TxfTools Parse(std::string_view text);

    // Rounds half away from zero to the given number of decimals (0 to 18;
    // fewer counts as 0).
    void Round(int digits);
    // With exactly the given decimals, '.' separator; a negative count shows
    // the decimals the number has.
    std::string ToString(int decimals = -1) const;
    long double Value() const noexcept;
    // Value x 10^decimals, rounded half away from zero; raises on overflow.
    std::int64_t Scaled(int decimals) const;

    std::int64_t Mantissa() const noexcept { return mant_; }
    int Scale() const noexcept { return scale_; }

private:
    std::int64_t mant_ = 0;
    int scale_ = 0;
};

}  // namespace zt
