#include "drivers/export/discount_card.h"

#include <algorithm>

#include "action/module.h"
#include "platform/cp1250.h"
#include "platform/exception.h"
#include "tools/ltools.h"

namespace zt {
namespace {

constexpr std::string_view kFormatChars = "0123456789skymdYMDrx";
constexpr std::size_t kCheckDigitPosition = 13;  // 1-based

std::string tr(std::string_view key, std::string_view def) { return trm("zttools_KartaRab", key, def); }

bool has(std::string_view s, char c) { return s.find(c) != std::string_view::npos; }

// Length of the run of characters from the set that starts at the first of them.
std::size_t runWidth(std::string_view format, std::string_view set) {
    const auto b = format.find_first_of(set);
    if (b == std::string_view::npos) return 0;
    auto e = b;
    while (e < format.size() && set.find(format[e]) != std::string_view::npos) ++e;
    return e - b;
}

// Too long keeps the first characters; too short is padded on the left with "0".
std::string fitKeepFirst(std::string_view text, std::size_t width) {
    if (text.size() >= width) return std::string(text.substr(0, width));
    return std::string(width - text.size(), '0').append(text);
}

// A date part: a lower-case section keeps the last digits (2031 -> "31"), an
// upper-case one the first (2031 -> "20").
std::string datePart(std::string_view format, char lower, char upper, int value) {
    const std::size_t width = runWidth(format, std::string{lower, upper});
    const std::string text = std::to_string(value);
    if (text.size() <= width) return std::string(width - text.size(), '0') + text;
    return has(format, upper) ? text.substr(0, width) : text.substr(text.size() - width);
}

}  // namespace

void TKartaRab::Reset() {
    przedrostek = 0;
    poziomRabatu = 0;
    kodKlienta.clear();
}

void TKartaRab::SprawdzPoprawnoscFormatu(std::string_view format) {
    if (format.empty())
        throw Exception(tr("TKartaRaSprawdzPExceptio",
                           pl("TKartaRab: jak mam przetwarzać karty klienta, jeśli format nie wprowadzony?")));
    struct Pair {
        char lower, upper;
        const char* key;
        const char* text;
    };
    static constexpr Pair kPairs[] = {
        {'y', 'Y', "TKartaRaSprawdzPExceptio_00001", "TKartaRab: w formacie nie mogą występować równocześnie y i Y"},
        {'m', 'M', "TKartaRaSprawdzPExceptio_00002", "TKartaRab: w formacie nie mogą występować równocześnie m i M"},
        {'d', 'D', "TKartaRaSprawdzPExceptio_00003", "TKartaRab: w formacie nie mogą występować równocześnie d i D"},
    };
    for (const auto& p : kPairs)
        if (has(format, p.lower) && has(format, p.upper)) throw Exception(tr(p.key, pl(p.text)));
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == 'x' && i + 1 != kCheckDigitPosition)
            throw Exception(tr("TKartaRaSprawdzPExceptio_00004",
                               pl("TKartaRab: cyfra kontrolna EAN13 (literka 'x' w formacie karty) może być tylko na "
                                  "13 miejscu, albo wcale")));
        if (!has(kFormatChars, format[i]))
            throw Exception(
                tr("TKartaRaSprawdzPExceptio_00005",
                   pl("TKartaRab: niedopuszczalne znaki w formacie karty - używaj tylko 0-9 oraz skymdYMDrx")));
    }
    if (!has(format, 'k'))
        throw Exception(tr("TKartaRaSprawdzPExceptio_00006",
                           pl("TKartaRab: format karty musi zawierać sekcję z kodem klienta (\"kkk...\")")));
}

std::string TKartaRab::GenerujKod(std::string_view format) const {
    SprawdzPoprawnoscFormatu(format);
    int year = 0, month = 0, day = 0;
    terminWaznosci.Decode(year, month, day);
    const std::string prefix = fitKeepFirst(std::to_string(przedrostek), runWidth(format, "s"));
    const std::string client = fitKeepFirst(kodKlienta, runWidth(format, "k"));
    const std::string level = fitKeepFirst(std::to_string(poziomRabatu), runWidth(format, "r"));
    const std::string y = datePart(format, 'y', 'Y', year);
    const std::string m = datePart(format, 'm', 'M', month);
    const std::string d = datePart(format, 'd', 'D', day);

    std::string code;
    for (std::size_t i = 0; i < format.size();) {
        const char c = format[i];
        const std::string* section = nullptr;
        switch (c) {
            case 's': section = &prefix; break;
            case 'k': section = &client; break;
            case 'r': section = &level; break;
            case 'y':
            case 'Y': section = &y; break;
            case 'm':
            case 'M': section = &m; break;
            case 'd':
            case 'D': section = &d; break;
            case 'x': break;
            default: code += c; break;
        }
        if (section) code += *section;
        // A section is written whole and the walk goes on after the code built
        // so far; it always moves forward, also behind the "x" that adds nothing.
        i = section ? std::max(i + 1, code.size()) : i + 1;
    }
    if (has(format, 'x')) TLTools::KorygujCyfreKontrolnaEAN13(code);
    return code;
}

CardNumberField CardNumberFieldOf(std::string_view registerCardFormat) {
    CardNumberField f;
    const auto b = registerCardFormat.find('N');
    if (b == std::string_view::npos) return f;
    auto e = b;
    while (e < registerCardFormat.size() && registerCardFormat[e] == 'N') ++e;
    f.position = static_cast<int>(b) + 1;
    f.length = static_cast<int>(e - b);
    return f;
}

}  // namespace zt
