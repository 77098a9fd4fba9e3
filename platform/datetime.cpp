#include "platform/datetime.h"

#include <cmath>
#include <cstdio>

#include "platform/clock.h"
#include "platform/cp1250.h"
#include "platform/exception.h"

namespace zt {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
// Day count of 1899-12-30 counted from 1970-01-01.
constexpr std::int64_t kEpochShift = 25569;

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civilFromDays(std::int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2));
}

int daysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0)) return 29;
    return days[m - 1];
}

// Whole seconds since 1899-12-30 00:00, to the nearest second.
std::int64_t totalSeconds(double v) { return std::llround(v * static_cast<double>(kSecondsPerDay)); }

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
    return s;
}

// Reads exactly n digits at s[pos].
bool digits(std::string_view s, std::size_t pos, std::size_t n, int& out) {
    if (pos + n > s.size()) return false;
    int v = 0;
    for (std::size_t i = pos; i < pos + n; ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
        v = v * 10 + (s[i] - '0');
    }
    out = v;
    return true;
}

// "YYYY-MM-DD" or "DD.MM.YYYY" (day and month may have one digit there).
bool parseDate(std::string_view s, int& y, int& m, int& d) {
    if (s.size() == 10 && s[4] == '-' && s[7] == '-')
        return digits(s, 0, 4, y) && digits(s, 5, 2, m) && digits(s, 8, 2, d);
    auto dot1 = s.find('.');
    if (dot1 == std::string_view::npos || dot1 == 0 || dot1 > 2) return false;
    auto dot2 = s.find('.', dot1 + 1);
    if (dot2 == std::string_view::npos || dot2 - dot1 - 1 == 0 || dot2 - dot1 - 1 > 2) return false;
    return s.size() - dot2 - 1 == 4 && digits(s, 0, dot1, d) && digits(s, dot1 + 1, dot2 - dot1 - 1, m) &&
           digits(s, dot2 + 1, 4, y);
}

// "HH:MM:SS" or "HH:MM".
bool parseTime(std::string_view s, int& h, int& mi, int& sec) {
    sec = 0;
    if (s.size() == 8)
        return s[2] == ':' && s[5] == ':' && digits(s, 0, 2, h) && digits(s, 3, 2, mi) && digits(s, 6, 2, sec);
    if (s.size() == 5) return s[2] == ':' && digits(s, 0, 2, h) && digits(s, 3, 2, mi);
    return false;
}

}  // namespace

TdtTools TdtTools::Now() { return TdtTools(zt::now()); }

bool TdtTools::IsValid(int year, int month, int day, int hour, int minute, int second) {
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= daysInMonth(year, month) &&
           hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60;
}

TdtTools TdtTools::Encode(int year, int month, int day, int hour, int minute, int second) {
    if (!IsValid(year, month, day, hour, minute, second)) {
        char buf[80];
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour, minute, second);
        throw EMException(0, "invalid date or time", buf);
    }
    const std::int64_t days =
        daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) + kEpochShift;
    const std::int64_t secs = hour * 3600 + minute * 60 + second;
    return TdtTools(static_cast<double>(days) + static_cast<double>(secs) / kSecondsPerDay);
}

void TdtTools::Decode(int& year, int& month, int& day, int& hour, int& minute, int& second) const {
    const std::int64_t total = totalSeconds(value_);
    const std::int64_t days = floorDiv(total, kSecondsPerDay);
    const std::int64_t secs = total - days * kSecondsPerDay;
    civilFromDays(days - kEpochShift, year, month, day);
    hour = static_cast<int>(secs / 3600);
    minute = static_cast<int>(secs / 60 % 60);
    second = static_cast<int>(secs % 60);
}

void TdtTools::Decode(int& year, int& month, int& day) const {
    int h, mi, s;
    Decode(year, month, day, h, mi, s);
}

std::int32_t TdtTools::Day() const noexcept {
    return static_cast<std::int32_t>(floorDiv(totalSeconds(value_), kSecondsPerDay));
}

int TdtTools::DayOfWeek() const noexcept {
    // Day 2 (1900-01-01) was a Monday.
    const std::int64_t r = ((static_cast<std::int64_t>(Day()) - 2) % 7 + 7) % 7;
    return static_cast<int>(r) + 1;
}

std::string TdtTools::DayName() const {
    switch (DayOfWeek()) {
        case 1: return pl("poniedziałek");
        case 2: return pl("wtorek");
        case 3: return pl("środa");
        case 4: return pl("czwartek");
        case 5: return pl("piątek");
        case 6: return pl("sobota");
        default: return pl("niedziela");
    }
}

std::string TdtTools::ToString(int format) const {
    int y, m, d, h, mi, s;
    Decode(y, m, d, h, mi, s);
    char buf[64];
    switch (format) {
        case kDate: std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, m, d); break;
        case kTime: std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", h, mi, s); break;
        case kCompact: std::snprintf(buf, sizeof buf, "%04d%02d%02d%02d%02d%02d000", y, m, d, h, mi, s); break;
        default: std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", y, m, d, h, mi, s); break;
    }
    return buf;
}

bool TdtTools::FromString(std::string_view text, int format) {
    const std::string_view s = trimBlanks(text);
    int y = 1899, m = 12, d = 30, h = 0, mi = 0, sec = 0;
    bool ok = false;
    switch (format) {
        case kDate: ok = parseDate(s, y, m, d); break;
        case kTime: ok = parseTime(s, h, mi, sec); break;
        case kCompact: {
            int ms = 0;
            ok = (s.size() == 14 || (s.size() == 17 && digits(s, 14, 3, ms))) && digits(s, 0, 4, y) &&
                 digits(s, 4, 2, m) && digits(s, 6, 2, d) && digits(s, 8, 2, h) && digits(s, 10, 2, mi) &&
                 digits(s, 12, 2, sec);
            break;
        }
        default: {
            const auto sp = s.find(' ');
            if (sp == std::string_view::npos) {
                ok = parseDate(s, y, m, d);
            } else {
                ok = parseDate(s.substr(0, sp), y, m, d) && parseTime(trimBlanks(s.substr(sp)), h, mi, sec);
            }
            break;
        }
    }
    if (!ok || !IsValid(y, m, d, h, mi, sec)) return false;
    if (format == kTime) {
        value_ = static_cast<double>(h * 3600 + mi * 60 + sec) / kSecondsPerDay;
    } else {
        value_ = Encode(y, m, d, h, mi, sec).value_;
    }
    return true;
}

TdtTools TdtTools::Parse(std::string_view text, int format) {
    TdtTools t;
    if (!t.FromString(text, format)) throw EMException(0, "invalid date or time", std::string(text));
    return t;
}

}  // namespace zt
