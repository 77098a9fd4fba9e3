#include "drivers/export/card_file.h"

#include "action/module.h"
#include "platform/cp1250.h"
#include "platform/exception.h"
#include "platform/text.h"
#include "platform/whole_file.h"
#include "tools/ltools.h"

namespace zt {
namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kLineBreakers = "\t\r\n";

std::string tr(std::string_view key, std::string_view def) { return trm("ztcombo_cbaction", key, def); }

// A text shown in a message, on one line.
std::string oneLine(std::string_view text) { return TxTools::Chars2Char(text, kLineBreakers, ' '); }

std::int64_t integerPart(const TxfTools& v) {
    std::int64_t m = v.Mantissa();
    for (int k = 0; k < v.Scale(); ++k) m /= 10;
    return m;
}

// One pattern "code/level/percent"; empty when it is not valid.
std::string patternLine(std::string_view pattern, const CardFileSettings& s) {
    const std::string code = TxTools::SelectWordEx(pattern, 0, "/", true);
    const int level = TxTools::StrToIntDef(TxTools::SelectWordEx(pattern, 1, "/", true), -1);
    std::int64_t percent = 0;
    try {
        percent = TLTools::Str2Int(TxTools::SelectWordEx(pattern, 2, "/", true), 2);
    } catch (const EMException&) {
        return {};  // a percent that is no number makes the pattern invalid, not the export
    }
    if (code.empty() || code.size() > 16 || TxTools::ContainsAnyChar(code, kLineBreakers)) return {};
    if (level < 0 || level > 50 || (percent == 0 && level == 0)) return {};
    if (percent != 0)
        return format("#!%s\t0\t0\t0\twg wzorca: %s\t%lld\t%d\t%d", code.c_str(),
                      TLTools::StrMax(code, 13, false).c_str(), static_cast<long long>(percent), s.addToAddon,
                      s.addToReb);
    return format("#!%s\t0\t%d", code.c_str(), level);
}

std::string cardLine(const CardServerCard& c, const CardFileSettings& s) {
    const std::string code = TLTools::StrMax(c.code, 16, false);
    const int blocked = c.active ? 0 : 1;
    if (c.discount.Mantissa() != 0) {
        const std::string name = TLTools::StrMax(oneLine(c.name), 24, true);
        return format("#%s\t%d\t0\t0\t%s\t%lld\t%d\t%d", code.c_str(), blocked, name.c_str(),
                      static_cast<long long>(integerPart(c.discount)), s.addToAddon, s.addToReb);
    }
    return format("#%s\t%d\t%d", code.c_str(), blocked, c.level);
}

}  // namespace

CardServerText BuildCardServerText(const CardFileSettings& s, int registerNumber,
                                   const std::vector<CardServerCard>& cards) {
    CardServerText out;
    const auto add = [&](const std::string& line) {
        out.text += line;
        out.text += kCrLf;
    };
    add(format("@%lld", static_cast<long long>(registerNumber) - 1));
    add("@1");
    add("@");
    add("@");

    for (std::size_t b = 0; b <= s.patterns.size();) {
        auto e = s.patterns.find(',', b);
        if (e == std::string::npos) e = s.patterns.size();
        const std::string pattern = TxTools::Trim(std::string_view(s.patterns).substr(b, e - b));
        b = e + 1;
        if (pattern.empty()) continue;
        const std::string line = patternLine(pattern, s);
        if (line.empty()) {
            out.warnings.push_back(tr("SendDiscDodajKomQORDLL_Z", pl("Nieprawidłowy wzorzec karty: ")) +
                                   oneLine(pattern));
            continue;
        }
        add(line);
        ++out.lines;
    }

    for (const auto& c : cards) {
        if (s.use == 1 && c.active) continue;
        if (c.code.empty()) continue;  // a contractor without a card
        if (TxTools::ContainsAnyChar(c.code, kLineBreakers)) {
            // Dropping the characters could give another customer's code.
            out.warnings.push_back(tr("TZTComboSendDiscBadCode",
                                      pl("Nieprawidłowy kod karty rabatowej (znak tabulacji lub końca wiersza), "
                                         "karta pominięta: ")) +
                                   oneLine(c.code));
            continue;
        }
        add(cardLine(c, s));
        ++out.lines;
    }
    return out;
}

std::string CardServerFilePath(std::string_view dataDir, int registerNumber, std::string_view ext) {
    std::string dir(dataDir);
    if (dir.empty() || (dir.back() != '\\' && dir.back() != '/')) dir += '\\';
    return format("%swejscie\\%lld\\dcrd_in.%.*s", dir.c_str(), static_cast<long long>(registerNumber) - 1,
                  static_cast<int>(ext.size()), ext.data());
}

void WriteCardServerFile(std::string_view dataDir, int registerNumber, std::string_view text) {
    writeFileWhole(CardServerFilePath(dataDir, registerNumber, "txt"), text,
                   CardServerFilePath(dataDir, registerNumber, "tmp"));
}

}  // namespace zt
