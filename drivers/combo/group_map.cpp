#include "drivers/combo/group_map.h"

#include <algorithm>
#include <climits>
#include <unordered_set>

#include "action/module.h"
#include "platform/cp1250.h"
#include "platform/exception.h"
#include "platform/text.h"

namespace zt {
namespace {

std::string tr(std::string_view key, std::string_view def) { return trm("ztcombo_cbaction", key, def); }

bool readNonNegative(std::string_view text, int& out) {
    std::int32_t v = 0;
    if (!TxTools::TryStrToInt(TxTools::Trim(text), v) || v < 0) return false;
    out = v;
    return true;
}

}  // namespace

GroupMap GroupMap::FromText(std::string_view text) {
    std::vector<Pair> pairs;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        auto end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (TxTools::Trim(line).empty()) continue;
        const auto eq = line.find('=');
        int group = 0, slot = 0;
        if (eq == std::string_view::npos || !readNonNegative(line.substr(0, eq), group) ||
            !readNonNegative(line.substr(eq + 1), slot))
            return GroupMap();
        pairs.emplace_back(group, slot);
    }
    return GroupMap(std::move(pairs));
}

std::string GroupMap::ToText() const {
    std::string out;
    for (const auto& [group, slot] : pairs_) {
        if (!out.empty()) out += "\r\n";
        out += std::to_string(group);
        out += '=';
        out += std::to_string(slot);
    }
    return out;
}

void GroupMap::Update(const std::vector<int>& currentGroups) { update(currentGroups, INT_MAX, false); }

void GroupMap::Update(const std::vector<int>& currentGroups, int maxSlot) { update(currentGroups, maxSlot, true); }

void GroupMap::update(const std::vector<int>& currentGroups, int maxSlot, bool bounded) {
    std::vector<int> current(currentGroups);
    std::sort(current.begin(), current.end());
    current.erase(std::unique(current.begin(), current.end()), current.end());

    std::stable_sort(pairs_.begin(), pairs_.end(), [](const Pair& a, const Pair& b) { return a.first < b.first; });
    // The highest slot ever used counts removed pairs too, so a slot above all
    // kept ones is not handed to another group at once.
    long long highest = -1;
    std::vector<Pair> kept;
    std::unordered_set<int> seenGroups, usedSlots;
    for (const auto& p : pairs_) {
        highest = std::max<long long>(highest, p.second);
        // A group listed twice, or two groups on one slot, would put goods into
        // another group's slot: only the first pair of each stays.
        const bool firstOfGroup = seenGroups.insert(p.first).second;
        if (firstOfGroup && p.second <= maxSlot && std::binary_search(current.begin(), current.end(), p.first) &&
            usedSlots.insert(p.second).second)
            kept.push_back(p);
    }

    std::vector<int> keptSlots(usedSlots.begin(), usedSlots.end());
    std::sort(keptSlots.begin(), keptSlots.end());
    std::unordered_set<int> keptGroups;
    for (const auto& p : kept) keptGroups.insert(p.first);

    // Free slots lie below the highest kept one; only as many as there are
    // new groups are ever looked for.
    int candidate = 0;
    std::size_t k = 0;
    const auto nextFreeSlot = [&]() -> std::optional<int> {
        for (; !keptSlots.empty() && candidate < keptSlots.back(); ++candidate) {
            while (k < keptSlots.size() && keptSlots[k] < candidate) ++k;
            if (keptSlots[k] != candidate) return candidate++;
        }
        return std::nullopt;
    };

    for (int g : current) {
        if (keptGroups.count(g)) continue;
        int slot;
        if (const auto free = nextFreeSlot()) {
            slot = *free;
        } else if (highest < maxSlot) {
            slot = static_cast<int>(++highest);
        } else if (!bounded) {
            throw Exception(tr("TZTComboSendAssoExceptio", pl("Brak wolnego numeru grupy towarowej na kasie")));
        } else {
            // Past the highest slot ever used: any slot still free, else none.
            slot = 0;
            while (slot <= maxSlot && usedSlots.count(slot)) ++slot;
            if (slot > maxSlot) continue;
        }
        usedSlots.insert(slot);
        kept.emplace_back(g, slot);
    }
    std::stable_sort(kept.begin(), kept.end(), [](const Pair& a, const Pair& b) { return a.second < b.second; });
    pairs_ = std::move(kept);
}

std::optional<int> GroupMap::SlotOf(int group) const {
    for (const auto& [g, s] : pairs_)
        if (g == group) return s;
    return std::nullopt;
}

GroupMap LoadGroupMap(const GroupMapStorage& storage) {
    return GroupMap::FromText(storage.load(kGroupMapParameter, kGroupMapPieces));
}

void StoreGroupMap(const GroupMapStorage& storage, const GroupMap& map) {
    const std::string text = map.ToText();
    if (text.size() > kGroupMapMaxText) {
        const std::string def =
            pl("Lista grup towarowych (%d znaków) nie mieści się w konfiguracji kasy (najwyżej %d znaków)");
        throw Exception(format(formatTemplate(tr("TZTComboSendAssoExceptio_00001", def), def).c_str(),
                               static_cast<int>(text.size()), static_cast<int>(kGroupMapMaxText)));
    }
    storage.store(kGroupMapParameter, text, kGroupMapPieces);
}

}  // namespace zt
