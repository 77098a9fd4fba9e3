#pragma once
// The group map: which slot of the register's group table each host goods
// group occupies. Kept in the host's configuration between exports so that a
// group keeps its slot while it exists, and a vanished group's slot is reused.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zt {

class GroupMap {
public:
    // Host group number and register slot (from 0).
    using Pair = std::pair<int, int>;

    GroupMap() = default;
    explicit GroupMap(std::vector<Pair> pairs) : pairs_(std::move(pairs)) {}

    // Lines "group=slot" (CR LF or LF, blank lines skipped). A line that is not
    // two non-negative integers around "=" empties the whole map.
    static GroupMap FromText(std::string_view text);
    // One pair per line, CR LF between lines.
    std::string ToText() const;

    // Keeps the slots of the current groups, frees those of vanished groups
    // and gives each new group the lowest free slot, or one above every slot
    // used so far when none is free. Pairs end sorted by slot.
    void Update(const std::vector<int>& currentGroups);
    // The same within slots 0..maxSlot: pairs above it go, and a group that
    // finds no slot left stays out of the map.
    void Update(const std::vector<int>& currentGroups, int maxSlot);

    std::optional<int> SlotOf(int group) const;
    const std::vector<Pair>& Pairs() const noexcept { return pairs_; }

private:
    void update(const std::vector<int>& currentGroups, int maxSlot, bool bounded);

    std::vector<Pair> pairs_;
};

// The configuration behind the map: the action's own long parameter, read and
// written in numbered pieces (name + "1" ... name + count).
struct GroupMapStorage {
    std::function<std::string(std::string_view name, int count)> load;
    std::function<void(std::string_view name, std::string_view value, int count)> store;
};

inline constexpr std::string_view kGroupMapParameter = "ComboAsort";
// The register's group table takes slots 0..100 (group numbers 1..101); a map
// kept within them always fits its pieces.
inline constexpr int kGroupMapMaxSlot = 100;
// Written in as many pieces as are read, so that nothing stored is lost.
inline constexpr int kGroupMapPieces = 7;
inline constexpr std::size_t kGroupMapPieceSize = 250;
inline constexpr std::size_t kGroupMapMaxText = kGroupMapPieces * kGroupMapPieceSize;

GroupMap LoadGroupMap(const GroupMapStorage& storage);
// Fails, storing nothing, when the map's text does not fit the pieces: a cut
// pair would empty the whole map at the next load.
void StoreGroupMap(const GroupMapStorage& storage, const GroupMap& map);

}  // namespace zt
