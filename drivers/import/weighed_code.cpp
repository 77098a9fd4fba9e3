#include "drivers/import/weighed_code.h"

#include <algorithm>
#include <climits>

#include "action/module.h"
#include "platform/cp1250.h"
#include "platform/exception.h"
#include "platform/text.h"

namespace zt {
namespace {

constexpr std::size_t kFormatLength = 13;

std::string tr(std::string_view key, std::string_view def) { return trm("zttools_Wazony", key, def); }

// Length of the run of c that starts at its first occurrence; 0 when absent.
std::size_t runWidth(std::string_view format, char c) {
    const auto b = format.find(c);
    if (b == std::string_view::npos) return 0;
    auto e = b;
    while (e < format.size() && format[e] == c) ++e;
    return e - b;
}

// Cut to the width keeping the first characters, or padded on the left with "0".
std::string fitLeftPadded(std::string_view text, std::size_t width) {
    if (text.size() >= width) return std::string(text.substr(0, width));
    return std::string(width - text.size(), '0').append(text);
}

bool samePrefix(std::string_view a, std::string_view b) { return a.substr(0, 2) == b.substr(0, 2); }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A code of decimal digits only that fits an int; -1 otherwise (a sign, a
// blank or a hexadecimal form is no goods number).
int goodsNumber(std::string_view code) {
    if (code.empty()) return -1;
    long long v = 0;
    for (char c : code) {
        if (!isDigit(c)) return -1;
        v = v * 10 + (c - '0');
        if (v > INT_MAX) return -1;
    }
    return static_cast<int>(v);
}

}  // namespace

void TKodWazony::Reset() {
    kodZerowy_.clear();
    przedrostek_.clear();
    stala_.clear();
    liczba_ = 0;
}

const std::vector<std::string>& TKodWazony::formaty(std::string_view key) const {
    if (!formaty_) throw Exception(tr(key, pl("TKodWazony: formaty ważone nie zainicjowane!")));
    return *formaty_;
}

std::string TKodWazony::NormalizujPoPrzedrostku(std::string_view kod) const {
    const auto& list = formaty("TKodWazoNormalizExceptio");
    if (kod.size() <= 2) return std::string(kod);
    for (const auto& f : list) {
        if (!samePrefix(f, kod)) continue;
        const auto first = f.find_first_of("?K");  // the check digit counts as variable
        if (first == std::string::npos || first + 1 <= 3) continue;
        if (first == kod.size()) {
            std::string r(kod);
            if (r.size() < kFormatLength) r.append(kFormatLength - r.size(), '?');
            return r;
        }
    }
    return std::string(kod);
}

std::string TKodWazony::NormalizujPoDlugosci(std::string_view kod) const {
    const auto& list = formaty("TKodWazoNormalizExceptio_00001");
    for (const auto& f : list) {
        if (f.size() != kod.size() || !samePrefix(f, kod)) continue;
        const auto fixed =
            static_cast<std::size_t>(std::count_if(f.begin(), f.end(), [](char c) { return c != '?' && c != 'K'; }));
        std::string r(kod.substr(0, fixed));
        r.append(f.size() - r.size(), '?');
        return r;
    }
    return std::string(kod);
}

std::string TKodWazony::PoskladajKod(std::string_view format, std::string_view przedrostek, std::string_view stala,
                                     int liczba) {
    const auto badFormat = [] {
        return Exception(tr("TKodWazoPoskladaExceptio", pl("TKodWazony: nieprawidłowy format wcorca kodu")));
    };
    if (format.size() != kFormatLength) throw badFormat();
    // Any other letter would leave the code short of 13 characters.
    if (format.find_first_not_of("xS?GK0123456789") != std::string_view::npos) throw badFormat();
    if (format.find('S') == std::string_view::npos)
        throw Exception(tr("TKodWazoPoskladaExceptio_00001", pl("TKodWazony: brak cześci stałej \"S\" w formacie")));
    if (format.find('?') == std::string_view::npos)
        throw Exception(tr("TKodWazoPoskladaExceptio_00002", pl("TKodWazony: brak cześci zmiennej \"?\" w formacie")));

    const std::size_t wx = runWidth(format, 'x'), ws = runWidth(format, 'S'), wq = runWidth(format, '?'),
                      wg = runWidth(format, 'G');
    przedrostek_ = fitLeftPadded(przedrostek, wx);
    const auto nz = stala.find_first_not_of('0');
    stala_ = fitLeftPadded(nz == std::string_view::npos ? std::string_view{} : stala.substr(nz), ws);
    liczba_ = liczba;
    std::string number;
    if (wg > 0) {
        number = zt::format("%0*d", static_cast<int>(wg), liczba);
        // A cut or signed number would name other goods.
        if (liczba < 0 || number.size() != wg) {
            const std::string def = pl("TKodWazony: liczba %d nie mieści się w części \"G\" formatu");
            throw Exception(zt::format(formatTemplate(tr("TKodWazoPoskladaExceptio_00003", def), def).c_str(), liczba));
        }
    }

    std::string r;
    for (std::size_t i = 0; i < format.size();) {
        const char c = format[i];
        switch (c) {
            case 'x': r += przedrostek_; break;
            case 'S': r += stala_; break;
            case '?': r.append(wq, '?'); break;
            case 'G': r += number; break;
            case 'K': r += (!r.empty() && r.back() == '?') ? '?' : '0'; break;
            default: r += c; break;
        }
        // Sections are written whole; the walk goes on after what was built.
        i = std::max(i + 1, r.size());
    }
    // A letter in two runs of different widths overruns the 13 characters.
    if (r.size() != kFormatLength) throw badFormat();
    kodZerowy_ = TxTools::Chars2Char(r, "?", '0');
    return r;
}

std::string TKodWazony::KonwertujKodRaportu(std::string_view kod, int kodPocz, int kodKonc,
                                            std::string_view formatKasy) {
    std::string n = NormalizujPoPrzedrostku(kod);
    if (n != kod) return n;
    const int number = goodsNumber(kod);
    if (number < 0 || number < kodPocz || number > kodKonc || formatKasy.size() < 2) return NormalizujPoDlugosci(kod);
    std::string f(formatKasy);
    const std::string prefix = f.substr(0, 2);
    f.replace(0, 2, "xx");
    return PoskladajKod(f, prefix, kod, liczba_);
}

}  // namespace zt
