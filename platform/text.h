#pragma once
// Text tools over Windows-1250 byte strings.
#include <cstdint>
#include <string>
#include <string_view>

namespace zt {

class TxTools {
public:
    // Word number index (from 0) of a text cut at any of the separator
    // characters. Runs of separators count as one and leading/trailing
    // separators are skipped. Empty text past the last word.
    static std::string SelectWord(std::string_view text, int index, std::string_view separators);
    // The same; with keepEmpty set every separator ends a field, so two
    // separators in a row give an empty field (a;;b has fields a, "", b).
    static std::string SelectWordEx(std::string_view text, int index, std::string_view separators, bool keepEmpty);

    static std::string DelChars(std::string_view text, char c);
    static std::string DelAnyChar(std::string_view text, std::string_view set);
    // Keeps only the characters of the set.
    static std::string DelAnyOtherChar(std::string_view text, std::string_view set);
    // Every character of the set becomes `to`.
    static std::string Chars2Char(std::string_view text, std::string_view set, char to);
    // Every character of the set becomes the text `to`.
    static std::string Chars2Str(std::string_view text, std::string_view set, std::string_view to);
    static bool ContainsAnyChar(std::string_view text, std::string_view set);

    // The name after the last '\\', '/' or ':'.
    static std::string FileName(std::string_view path);
    // The extension of the name with its dot (".exp"); empty when none.
    static std::string FileExtension(std::string_view path);

    // Blanks are spaces and control characters.
    static std::string Trim(std::string_view text);
    static std::string TrimLeft(std::string_view text);
    static std::string TrimRight(std::string_view text);
    // Windows-1250 letters, Polish ones included.
    static std::string UpperCase(std::string_view text);
    static std::string LowerCase(std::string_view text);
    static unsigned char UpperChar(unsigned char c) noexcept;
    static unsigned char LowerChar(unsigned char c) noexcept;

    // Leading blanks, optional sign, then decimal digits or hexadecimal after
    // "$" or "0x"; anything else, trailing characters or a value outside the
    // 32-bit range give the fallback. Hexadecimal takes up to 32 bits
    // ("$FFFFFFFF" is -1).
    static std::int32_t StrToIntDef(std::string_view text, std::int32_t fallback);
    static bool TryStrToInt(std::string_view text, std::int32_t& value);
    static std::string IntToStr(std::int64_t value);
};

// printf-style formatting into a std::string; the GNU conversions (%Lf, %lld,
// %zu) work on Windows too.
#if defined(__clang__)
std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
#else
std::string format(const char* fmt, ...) __attribute__((format(gnu_printf, 1, 2)));
#endif

// A translated printf template, or the default when the translation's
// conversions differ from the default's (a host text must not decide what
// the arguments are read as).
std::string formatTemplate(const std::string& translated, std::string_view def);

}  // namespace zt
