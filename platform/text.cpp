#include "platform/text.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace zt {
namespace {

#if defined(__MINGW32__)
// The C runtime's own vsnprintf knows neither %Lf nor %zu.
int vformat(char* buf, std::size_t size, const char* fmt, va_list ap) { return __mingw_vsnprintf(buf, size, fmt, ap); }
#else
int vformat(char* buf, std::size_t size, const char* fmt, va_list ap) { return std::vsnprintf(buf, size, fmt, ap); }
#endif

bool isBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }
bool inSet(char c, std::string_view set) { return set.find(c) != std::string_view::npos; }

}  // namespace

std::string TxTools::SelectWord(std::string_view text, int index, std::string_view separators) {
    return SelectWordEx(text, index, separators, false);
}

std::string TxTools::SelectWordEx(std::string_view text, int index, std::string_view separators, bool keepEmpty) {
    if (index < 0) return {};
    const std::size_t n = text.size();
    std::size_t pos = 0;
    for (int word = 0;; ++word) {
        if (!keepEmpty) {
            while (pos < n && inSet(text[pos], separators)) ++pos;
            if (pos >= n) return {};
        }
        std::size_t end = pos;
        while (end < n && !inSet(text[end], separators)) ++end;
        if (word == index) return std::string(text.substr(pos, end - pos));
        if (end >= n) return {};
        pos = end + 1;
    }
}

std::string TxTools::DelChars(std::string_view text, char c) {
    std::string out;
    out.reserve(text.size());
    for (char x : text)
        if (x != c) out += x;
    return out;
}

std::string TxTools::DelAnyChar(std::string_view text, std::string_view set) {
    std::string out;
    out.reserve(text.size());
    for (char x : text)
        if (!inSet(x, set)) out += x;
    return out;
}

std::string TxTools::DelAnyOtherChar(std::string_view text, std::string_view set) {
    std::string out;
    out.reserve(text.size());
    for (char x : text)
        if (inSet(x, set)) out += x;
    return out;
}

std::string TxTools::Chars2Char(std::string_view text, std::string_view set, char to) {
    std::string out(text);
    for (char& x : out)
        if (inSet(x, set)) x = to;
    return out;
}

std::string TxTools::Chars2Str(std::string_view text, std::string_view set, std::string_view to) {
    std::string out;
    out.reserve(text.size());
    for (char x : text) {
        if (inSet(x, set))
            out += to;
        else
            out += x;
    }
    return out;
}

bool TxTools::ContainsAnyChar(std::string_view text, std::string_view set) {
    return text.find_first_of(set) != std::string_view::npos;
}

std::string TxTools::FileName(std::string_view path) {
    const auto p = path.find_last_of("\\/:");
    return std::string(p == std::string_view::npos ? path : path.substr(p + 1));
}

std::string TxTools::FileExtension(std::string_view path) {
    const std::string name = FileName(path);
    const auto p = name.rfind('.');
    return p == std::string::npos ? std::string() : name.substr(p);
}

std::string TxTools::Trim(std::string_view text) { return TrimRight(TrimLeft(text)); }

std::string TxTools::TrimLeft(std::string_view text) {
    std::size_t b = 0;
    while (b < text.size() && isBlank(text[b])) ++b;
    return std::string(text.substr(b));
}

std::string TxTools::TrimRight(std::string_view text) {
    std::size_t e = text.size();
    while (e > 0 && isBlank(text[e - 1])) --e;
    return std::string(text.substr(0, e));
}

// Windows-1250 case pairs outside the two regular blocks (a-z, 0xE0-0xFE).
unsigned char TxTools::UpperChar(unsigned char c) noexcept {
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 32);
    switch (c) {
        case 0x9A: return 0x8A;  // š
        case 0x9C: return 0x8C;  // ś
        case 0x9D: return 0x8D;  // ť
        case 0x9E: return 0x8E;  // ž
        case 0x9F: return 0x8F;  // ź
        case 0xB3: return 0xA3;  // ł
        case 0xB9: return 0xA5;  // ą
        case 0xBA: return 0xAA;  // ş
        case 0xBE: return 0xBC;  // ľ
        case 0xBF: return 0xAF;  // ż
        default: return c;
    }
}

unsigned char TxTools::LowerChar(unsigned char c) noexcept {
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
    switch (c) {
        case 0x8A: return 0x9A;
        case 0x8C: return 0x9C;
        case 0x8D: return 0x9D;
        case 0x8E: return 0x9E;
        case 0x8F: return 0x9F;
        case 0xA3: return 0xB3;
        case 0xA5: return 0xB9;
        case 0xAA: return 0xBA;
        case 0xBC: return 0xBE;
        case 0xAF: return 0xBF;
        default: return c;
    }
}

std::string TxTools::UpperCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(UpperChar(static_cast<unsigned char>(c)));
    return out;
}

std::string TxTools::LowerCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(LowerChar(static_cast<unsigned char>(c)));
    return out;
}

bool TxTools::TryStrToInt(std::string_view s, std::int32_t& value) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
    bool hex = false;
    if (i < s.size() && s[i] == '$') {
        hex = true;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= s.size()) return false;
    std::int64_t v = 0;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return false;
        v = v * (hex ? 16 : 10) + d;
        if (v > (hex ? 0xFFFFFFFFLL : 2147483648LL)) return false;
    }
    if (hex) {
        // Hexadecimal fills the 32 bits: $FFFFFFFF is -1.
        std::int32_t r = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
        value = neg ? static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(r)) : r;
        return true;
    }
    if (neg) v = -v;
    if (v > 2147483647LL || v < -2147483648LL) return false;
    value = static_cast<std::int32_t>(v);
    return true;
}

std::int32_t TxTools::StrToIntDef(std::string_view text, std::int32_t fallback) {
    std::int32_t v;
    return TryStrToInt(text, v) ? v : fallback;
}

std::string TxTools::IntToStr(std::int64_t value) { return std::to_string(value); }

std::string format(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    va_list ap2;
    va_copy(ap2, ap);
    char small[256];
    const int n = vformat(small, sizeof small, fmt, ap);
    va_end(ap);
    std::string out;
    if (n < 0) {
        va_end(ap2);
        return out;
    }
    if (static_cast<std::size_t>(n) < sizeof small) {
        out.assign(small, static_cast<std::size_t>(n));
    } else {
        std::vector<char> big(static_cast<std::size_t>(n) + 1);
        vformat(big.data(), big.size(), fmt, ap2);
        out.assign(big.data(), static_cast<std::size_t>(n));
    }
    va_end(ap2);
    return out;
}

namespace {
// The conversions of a printf template in order, "%%" included.
std::string conversions(std::string_view t) {
    std::string out;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i] != '%') continue;
        std::size_t j = i + 1;
        while (j < t.size() && std::string_view("-+ #0123456789.*lhLqjzt").find(t[j]) != std::string_view::npos) ++j;
        out.append(t.substr(i, j < t.size() ? j - i + 1 : j - i));
        out += '|';
        i = j;
    }
    return out;
}
}  // namespace

std::string formatTemplate(const std::string& translated, std::string_view def) {
    return conversions(translated) == conversions(def) ? translated : std::string(def);
}

}  // namespace zt
