#include "drivers/import/booked_state.h"

#include "platform/fs.h"
#include "platform/whole_file.h"

namespace zt {

ZTBookedState ZTBookedState::Booked(std::string_view comboImp) {
    ZTBookedState s;
    for (const std::string_view line : CompleteLines(comboImp))
        if (const std::string_view booked = BookedLine(line); !booked.empty()) s.add(booked);
    return s;
}

ZTBookedState ZTBookedState::Read(std::string_view comboImp) {
    ZTBookedState s;
    for (const std::string_view line : CompleteLines(comboImp))
        if (!IsIgnoredLine(line)) s.add(line);
    return s;
}

void ZTBookedState::add(std::string_view line) {
    const std::vector<std::string_view> f = SplitFields(line);
    const std::string_view kind = TrimmedField(f[0]);
    if (kind == "SPT")
        goods_[SptLine(f).Plu()] = std::string(line);
    else if (kind == "SPO")
        packages_[SpoLine(f).Number()] = std::string(line);
    else if (kind == "KAS" || kind == "KPL")
        cash_.emplace_back(line);
}

std::string ZTBookedState::Lines() const {
    std::string out;
    for (const auto* m : {&goods_, &packages_})
        for (const auto& [key, line] : *m) out += kBookedPrefix + line + "\r\n";
    for (const std::string& line : cash_) out += kBookedPrefix + line + "\r\n";
    return out;
}

ZTBookedState::Goods ZTBookedState::Settle(const SptLine& line) const {
    const Goods now{line.Value(), line.Quantity()};
    const auto held = goods_.find(line.Plu());
    if (held == goods_.end()) return now;
    const std::vector<std::string_view> f = SplitFields(held->second);
    const SptLine h(f);
    if (now.value < h.Value() || now.quantity < h.Quantity()) return now;
    return {now.value - h.Value(), now.quantity - h.Quantity()};
}

ZTBookedState::Packages ZTBookedState::Settle(const SpoLine& line) const {
    const Packages now{line.Sold(), line.Returned(), line.ValueSold(), line.ValueReturned()};
    const auto held = packages_.find(line.Number());
    if (held == packages_.end()) return now;
    const std::vector<std::string_view> f = SplitFields(held->second);
    const SpoLine h(f);
    const Packages was{h.Sold(), h.Returned(), h.ValueSold(), h.ValueReturned()};
    if (now.sold < was.sold || now.returned < was.returned || now.valueSold < was.valueSold ||
        now.valueReturned < was.valueReturned)
        return now;
    return {now.sold - was.sold, now.returned - was.returned, now.valueSold - was.valueSold,
            now.valueReturned - was.valueReturned};
}

bool HoldsUnsettledCounters(const std::string& comboImpPath) {
    if (!fileExists(comboImpPath)) return false;
    const std::string text = readFileWhole(comboImpPath);
    for (const std::string_view line : CompleteLines(text)) {
        const std::string_view booked = BookedLine(line);
        const std::string_view kind = LineKind(booked.empty() ? line : booked);
        if (kind == "SPT" || kind == "SPO") return true;
    }
    return false;
}

}  // namespace zt
