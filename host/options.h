#pragma once
// Command line of the host bench: options and one command with its arguments.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zt {

enum class BenchCommand { None, Properties, Params, Windows, Run, Window, DeviceProperty, FindReceipt, Resource };

struct BenchOptions {
    std::string plugin;      // empty: the default library next to the bench
    std::string paramsFile;  // empty: no parameters (kind 6 answers empty)
    std::int32_t registerNo = 1;
    std::string workDir;                  // empty: the current directory
    std::optional<std::int32_t> session;  // default: the register number
    std::int32_t sessionType = 0;
    std::vector<std::int32_t> vat{23, 8, 5, 0, -1};  // whole percent, -1 = exempt
    std::vector<std::string> barcodeFormats;         // Windows-1250
    std::string translationsFile;
    bool abortCallback = true;
    std::optional<std::int32_t> abortAfter;
    bool refuseStore = false;
    std::string goodsAnswer;  // rule of the goods callback's answers (host/goods_rule.h)
    std::string goodsCsv;     // empty: DIR/goods.csv
    bool help = false;

    BenchCommand command = BenchCommand::None;
    std::int32_t arg1 = 0;  // operation, window or property number
    std::int32_t arg2 = 0;  // extra of an operation

    std::int32_t sessionValue() const { return session.value_or(registerNo); }
};

struct ParsedOptions {
    BenchOptions options;
    std::string error;  // not empty: the command line is wrong (exit status 2)
};

ParsedOptions parseOptions(const std::vector<std::string>& args);

// The usage text printed by --help.
std::string usageText();

// A command-line or file text as Windows-1250: valid UTF-8 holding non-ASCII
// bytes is converted, anything else is taken as it is.
std::string toCp1250IfUtf8(const std::string& text);
bool isNonAsciiUtf8(const std::string& text);

}  // namespace zt
