#include "host/progress_rate.h"

#include <cstdio>

namespace zt {
namespace {

constexpr std::uint32_t kSettleMs = 1000;  // a rate over less time says little

// The value after the separator: a count ("123") or a percentage ("45 %"); false otherwise.
bool parseValue(std::string_view v, std::int64_t& number, bool& percent) {
    while (!v.empty() && v.front() == ' ') v.remove_prefix(1);
    percent = v.size() > 1 && v.back() == '%';
    if (percent) v.remove_suffix(1);
    while (!v.empty() && v.back() == ' ') v.remove_suffix(1);
    if (v.empty() || v.size() > 12) return false;
    number = 0;
    for (char c : v) {
        if (c < '0' || c > '9') return false;
        number = number * 10 + (c - '0');
    }
    return true;
}

std::string clockText(std::uint64_t seconds) {
    char b[32];
    if (seconds >= 3600)
        std::snprintf(b, sizeof b, "%u:%02u:%02u", static_cast<unsigned>(seconds / 3600),
                      static_cast<unsigned>(seconds / 60 % 60), static_cast<unsigned>(seconds % 60));
    else
        std::snprintf(b, sizeof b, "%u:%02u", static_cast<unsigned>(seconds / 60), static_cast<unsigned>(seconds % 60));
    return b;
}

}  // namespace

std::string ProgressRate::note(std::string_view text, std::uint32_t nowMs, std::int64_t records) {
    const std::size_t sep = text.rfind('\x01');
    std::int64_t number = 0;
    bool percent = false;
    if (sep == std::string_view::npos || !parseValue(text.substr(sep + 1), number, percent)) {
        label_.clear();
        return {};
    }
    if (!percent) records = number;
    const std::string_view label = text.substr(0, sep);
    if (label_.empty() || label != label_) {
        label_ = std::string(label);
        startMs_ = nowMs;
        startRecords_ = records;
        startPercent_ = percent ? static_cast<int>(number) : 0;
        return {};
    }
    const std::uint32_t spent = nowMs - startMs_;
    if (spent < kSettleMs) return {};
    const std::int64_t done = records - startRecords_;
    std::string out;
    if (done > 0) out = std::to_string(done * 1000 / spent) + " rec/s";
    const int moved = static_cast<int>(number) - startPercent_;
    if (percent && moved > 0 && number <= 100)
        out += (out.empty() ? "" : ", ") +
               clockText(static_cast<std::uint64_t>(spent) * static_cast<std::uint64_t>(100 - number) /
                         static_cast<std::uint64_t>(moved) / 1000) +
               " left";
    return out.empty() ? out : "  [" + out + "]";
}

}  // namespace zt
