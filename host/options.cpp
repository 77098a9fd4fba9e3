#include "host/options.h"

#include <charconv>
#include <limits>
#include <string_view>

#include "host/goods_rule.h"
#include "platform/cp1250.h"

namespace zt {
namespace {

std::optional<std::int32_t> parseInt(std::string_view s) {
    std::int32_t v = 0;
    if (s.empty()) return std::nullopt;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return v;
}

std::vector<std::string> splitComma(const std::string& s) {
    std::vector<std::string> out;
    if (s.empty()) return out;
    std::size_t start = 0;
    while (true) {
        std::size_t comma = s.find(',', start);
        out.push_back(s.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return out;
}

struct CommandInfo {
    const char* name;
    BenchCommand command;
    int minArgs;
    int maxArgs;
};

constexpr CommandInfo kCommands[] = {
    {"properties", BenchCommand::Properties, 0, 0},
    {"params", BenchCommand::Params, 0, 0},
    {"windows", BenchCommand::Windows, 0, 0},
    {"run", BenchCommand::Run, 1, 2},
    {"window", BenchCommand::Window, 1, 1},
    {"device-property", BenchCommand::DeviceProperty, 1, 1},
    {"find-receipt", BenchCommand::FindReceipt, 0, 0},
    {"resource", BenchCommand::Resource, 0, 0},
};

// Options that take a value.
constexpr const char* kValued[] = {"--plugin",       "--params",       "--register",     "--workdir",
                                   "--session",      "--session-type", "--vat",          "--barcode-formats",
                                   "--translations", "--abort-after",  "--goods-answer", "--goods-csv"};

bool takesValue(std::string_view name) {
    for (const char* v : kValued)
        if (name == v) return true;
    return false;
}

// Applies one option; returns an error text or "".
std::string applyOption(BenchOptions& o, std::string_view name, const std::string& value) {
    auto intValue = [&](std::int32_t& target) -> std::string {
        auto v = parseInt(value);
        if (!v) return "option " + std::string(name) + " needs an integer, got '" + value + "'";
        target = *v;
        return "";
    };
    if (name == "--plugin")
        o.plugin = value;
    else if (name == "--params")
        o.paramsFile = value;
    else if (name == "--workdir")
        o.workDir = value;
    else if (name == "--translations")
        o.translationsFile = value;
    else if (name == "--goods-csv")
        o.goodsCsv = value;
    else if (name == "--goods-answer") {
        GoodsRule rule;
        std::string e = rule.Parse(value);
        if (e.empty()) o.goodsAnswer = value;
        return e;
    } else if (name == "--register")
        return intValue(o.registerNo);
    else if (name == "--session-type")
        return intValue(o.sessionType);
    else if (name == "--session") {
        std::int32_t v = 0;
        std::string e = intValue(v);
        if (e.empty()) o.session = v;
        return e;
    } else if (name == "--abort-after") {
        std::int32_t v = 0;
        std::string e = intValue(v);
        if (e.empty() && v < 0) e = "option --abort-after needs a number of queries >= 0";
        if (e.empty()) o.abortAfter = v;
        return e;
    } else if (name == "--vat") {
        o.vat.clear();
        for (const std::string& item : splitComma(value)) {
            auto v = parseInt(item);
            // The bench also answers them in hundredths (kind 32): they must fit scaled.
            if (!v || *v < -1 || *v > std::numeric_limits<std::int32_t>::max() / 100)
                return "option --vat needs rates in whole percent (-1 = exempt), got '" + item + "'";
            o.vat.push_back(*v);
        }
    } else if (name == "--barcode-formats") {
        o.barcodeFormats.clear();
        for (const std::string& item : splitComma(value)) o.barcodeFormats.push_back(toCp1250IfUtf8(item));
    } else if (name == "--no-abort-callback")
        o.abortCallback = false;
    else if (name == "--refuse-store")
        o.refuseStore = true;
    else if (name == "--help" || name == "-h")
        o.help = true;
    else
        return "unknown option '" + std::string(name) + "'";
    return "";
}

}  // namespace

bool isNonAsciiUtf8(const std::string& s) {
    bool nonAscii = false;
    for (std::size_t i = 0; i < s.size();) {
        auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        nonAscii = true;
        std::size_t len = 0;
        std::uint32_t cp = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            cp = c & 0x07;
        } else
            return false;
        if (i + len > s.size()) return false;
        for (std::size_t k = 1; k < len; ++k) {
            auto cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += len;
    }
    return nonAscii;
}

std::string toCp1250IfUtf8(const std::string& text) { return isNonAsciiUtf8(text) ? pl(text) : text; }

ParsedOptions parseOptions(const std::vector<std::string>& args) {
    ParsedOptions r;
    BenchOptions& o = r.options;
    std::vector<std::string> words;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() < 2 || a[0] != '-' || (a[1] != '-' && a != "-h")) {
            words.push_back(a);  // command words; "-5" is a number, not an option
            continue;
        }
        std::string name = a;
        std::optional<std::string> value;
        if (auto eq = a.find('='); eq != std::string::npos) {
            name = a.substr(0, eq);
            value = a.substr(eq + 1);
        }
        if (takesValue(name)) {
            if (!value) {
                if (i + 1 >= args.size()) {
                    r.error = "option " + name + " needs a value";
                    return r;
                }
                value = args[++i];
            }
        } else if (value) {
            r.error = "option " + name + " takes no value";
            return r;
        }
        r.error = applyOption(o, name, value.value_or(""));
        if (!r.error.empty()) return r;
    }
    if (o.help) return r;
    if (words.empty()) {
        r.error = "no command given (try --help)";
        return r;
    }
    const CommandInfo* info = nullptr;
    for (const CommandInfo& c : kCommands)
        if (words[0] == c.name) info = &c;
    if (!info) {
        r.error = "unknown command '" + words[0] + "'";
        return r;
    }
    int n = static_cast<int>(words.size()) - 1;
    if (n < info->minArgs || n > info->maxArgs) {
        r.error = "wrong number of arguments for '" + words[0] + "' (try --help)";
        return r;
    }
    o.command = info->command;
    std::int32_t* targets[] = {&o.arg1, &o.arg2};
    for (int k = 0; k < n; ++k) {
        auto v = parseInt(words[1 + k]);
        if (!v) {
            r.error = "'" + words[0] + "' needs integer arguments, got '" + words[1 + k] + "'";
            return r;
        }
        *targets[k] = *v;
    }
    return r;
}

std::string usageText() {
    return R"(Usage: zthost [OPTIONS] COMMAND [ARGS]

Loads the ztcombo plug-in and plays the part of the host for one command.

Commands:
  properties             library type and properties 1, 2, 3, 102..105
  params                 parameter declarations of groups 101..107 with list texts
  windows                window descriptions 0..6
  run OP [EXTRA]         run operation OP (extra argument EXTRA, default 0)
  window N               show window N; when it answers 1, run operation -8
                         with the returned window operation as extra
  device-property N      device property N
  find-receipt           how the host is to find receipts
  resource               name of the shared resource of the register

Options:
  --plugin PATH          plug-in library (default: libztcombo.so / ztcombo.dll
                         next to zthost)
  --params FILE          key=value lines (Windows-1250 or UTF-8) answered to the
                         plug-in; its own parameters are written back to FILE
                         (a value with line breaks as key:=value with the
                         escapes \r \n \\)
  --register N           register number (default 1)
  --workdir DIR          working directory of the register (default: current)
  --session N            session value (default: the register number)
  --session-type N       first integer of the session record (default 0)
  --vat LIST             host VAT rates in whole percent, -1 = exempt
                         (default 23,8,5,0,-1)
  --barcode-formats LIST comma-separated weighed-barcode formats
  --translations FILE    lines module|key|text for the text lookup
  --no-abort-callback    do not register the abort query
  --abort-after N        answer "stop" from the (N+1)-th abort query on
  --refuse-store         answer 0 to the store requests (kinds 16, 17, 21)
  --goods-answer RULE    answers to the goods records (kind 33): items
                         SELECTOR=ANSWER, the first match wins; SELECTOR a
                         PLU N, a range N-M or * (all goods), with a leading p
                         for packages (p1, p*); ANSWER add, update, skip, error
                         or a number; unmatched records are added
                         (e.g. 1-10=update,13=skip,p*=error)
  --goods-csv FILE       where the goods records go (default DIR/goods.csv)
  -h, --help             this text

Output: messages of the plug-in as "[INFO] ", "[WARN] ", "[ERR ] " lines, the
status line as "[STAT] " lines (redrawn in place on a terminal); the byte 0x01
between a label and its value is printed as a TAB. Texts are printed in UTF-8.
Results stored by the plug-in are copied to DIR/results/, goods handed to the
host are appended to DIR/goods.csv (one row per record, every argument and
the answer). Ctrl-C asks the running operation to stop.

Export: "run -2" sends DIR/kasa.exp to the register; with RodzajTransmisji=3
in the parameter file ComboKasTowMax=1 clears the register's goods first and
ComboKasTowMax=0 compares them with the file and sends only the changes. The
bench prints wynik.exp (the records that reached the register) when the
plug-in stores it; rejected goods follow " - towary odrzucone" as [ERR ] lines
and are appended to DIR/import.log.

Exit status: 0 success, 1 failure (also when the plug-in reported an error
[ERR ]), 2 wrong command line.
)";
}

}  // namespace zt
