#pragma once
// Date-time value: days since 30 December 1899 with the time of day as the
// fraction. Decoding rounds to the nearest second, so encode/decode and the
// text forms round-trip exactly to the second.
#include <cstdint>
#include <string>
#include <string_view>

namespace zt {

class TdtTools {
public:
    // Text forms.
    static constexpr int kDate = 0;      // YYYY-MM-DD
    static constexpr int kDateTime = 1;  // YYYY-MM-DD HH:MM:SS
    static constexpr int kTime = 7;      // HH:MM:SS
    static constexpr int kCompact = 13;  // YYYYMMDDHHMMSS000

    TdtTools() = default;
    explicit TdtTools(double value) : value_(value) {}

    static TdtTools Now();
    // Throws zt::EMException for an impossible date or time.
    static TdtTools Encode(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
    static bool IsValid(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
    void Decode(int& year, int& month, int& day, int& hour, int& minute, int& second) const;
    void Decode(int& year, int& month, int& day) const;

    double Value() const noexcept { return value_; }
    void SetValue(double v) noexcept { value_ = v; }

    // One of the forms above; any other format number gives form 1.
    std::string ToString(int format = kDateTime) const;
    // Reads a text of the form; false (value unchanged) for a bad text. Dates
    // are also read as "DD.MM.YYYY"; form 1 also takes a date alone and
    // "HH:MM" without seconds; form 13 also takes 14 digits without the
    // milliseconds (milliseconds are ignored).
    bool FromString(std::string_view text, int format);
    // The same, raising zt::EMException for a bad text.
    static TdtTools Parse(std::string_view text, int format);

    // Whole day count (time of day dropped).
    std::int32_t Day() const noexcept;
    TdtTools DateOnly() const { return TdtTools(static_cast<double>(Day())); }
    // 1 = Monday ... 7 = Sunday.
    int DayOfWeek() const noexcept;
    // Polish name of the weekday, Windows-1250 ("poniedziałek" ...).
    std::string DayName() const;

private:
    double value_ = 0.0;
};

}  // namespace zt
