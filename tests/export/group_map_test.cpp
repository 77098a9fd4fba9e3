#include "drivers/combo/group_map.h"

#include <gtest/gtest.h>

#include <map>

#include "platform/exception.h"

using namespace zt;

namespace {

struct UpdateCase {
    const char* stored;
    std::vector<int> current;
    const char* after;
};

TEST(GroupMap, Update) {
    const UpdateCase cases[] = {
        {"10=0\r\n20=1\r\n30=2", {10, 30, 40}, "10=0\r\n40=1\r\n30=2"},  // a vanished group's slot is reused
        {"10=0\r\n20=1\r\n30=2", {10, 20, 40}, "10=0\r\n20=1\r\n40=3"},
        {"10=0\n20=7", {10, 30}, "10=0\r\n30=8"},        // a slot above all kept ones is not
        {"10=5", {30, 10, 20}, "20=0\r\n30=1\r\n10=5"},  // lowest free slots first
        {"", {5, 3, 3}, "3=0\r\n5=1"},                   // a group listed twice gets one slot
        {"30=2\r\n10=0", {}, ""},
        {"10=0\r\n20=0", {10, 20, 30}, "10=0\r\n20=1\r\n30=2"},  // two groups on one slot: the later moves
        {"10=3\r\n10=4", {10}, "10=3"},
        {"1=0\r\n2=2147483647", {1, 2, 3}, "1=0\r\n3=1\r\n2=2147483647"},
    };
    for (const auto& c : cases) {
        GroupMap m = GroupMap::FromText(c.stored);
        m.Update(c.current);
        EXPECT_EQ(m.ToText(), c.after) << c.stored;
    }
}

TEST(GroupMap, UpdateWithinTheRegistersSlots) {
    struct Case {
        UpdateCase update;
        int maxSlot;
    };
    const Case cases[] = {
        {{"10=0\r\n20=150", {10, 20}, "10=0\r\n20=1"}, 100},  // a slot above the limit is given up
        {{"1=0\r\n2=100", {1, 3}, "1=0\r\n3=1"}, 100},        // past the highest one used: any free slot
        {{"1=0\n2=1", {1, 2, 3}, "1=0\r\n2=1"}, 1},           // none left: the group stays out
    };
    for (const auto& [c, maxSlot] : cases) {
        GroupMap m = GroupMap::FromText(c.stored);
        m.Update(c.current, maxSlot);
        EXPECT_EQ(m.ToText(), c.after) << c.stored;
    }
}

TEST(GroupMap, UpdateFailsWhenNoSlotNumberIsLeft) {
    // The removed pair held the highest slot number there is.
    GroupMap m = GroupMap::FromText("1=0\r\n2=2147483647");
    EXPECT_THROW(m.Update({1, 3}), Exception);
}

TEST(GroupMap, ReadingTheStoredText) {
    struct Case {
        const char* text;
        std::size_t pairs;
    };
    const Case cases[] = {
        {"10=0\r\n\r\n 20 = 1 \n", 2},
        {"10=0\r\n20=-1", 0},  // one bad pair empties the whole map
        {"10=0\r\n20=x", 0},
        {"10=0\r\n20=", 0},
        {"10=0\r\n20", 0},
        {"Chleb=3", 0},
        {"10=99999999999", 0},
        {"", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(GroupMap::FromText(c.text).Pairs().size(), c.pairs) << c.text;
    const GroupMap m = GroupMap::FromText("10=0\r\n20=4");
    EXPECT_EQ(m.SlotOf(20), 4);
    EXPECT_FALSE(m.SlotOf(30).has_value());
}

// The host's configuration as the action's long parameter keeps it: pieces of
// at most 250 characters under name + "1" ... name + count.
struct FakeConfig {
    std::map<std::string, std::string> keys;
    int stores = 0;
    GroupMapStorage storage() {
        return {[this](std::string_view name, int count) {
                    std::string v;
                    for (int i = 1; i <= count; ++i) v += keys[std::string(name) + std::to_string(i)];
                    return v;
                },
                [this](std::string_view name, std::string_view value, int count) {
                    ++stores;
                    for (int i = 1; i <= count; ++i) {
                        const std::size_t from = static_cast<std::size_t>(i - 1) * 250;
                        keys[std::string(name) + std::to_string(i)] =
                            std::string(from < value.size() ? value.substr(from, 250) : std::string_view{});
                    }
                }};
    }
};

// n pairs "1000g=1ss" (9 characters, 11 with the line break); the first
// wideSlots of them carry a four-digit slot: 11 n - 2 + wideSlots characters.
GroupMap makeMap(int n, int wideSlots) {
    std::vector<GroupMap::Pair> pairs;
    for (int i = 0; i < n; ++i) pairs.emplace_back(10000 + i, i < wideSlots ? 1000 + i : 100 + i);
    GroupMap m(std::move(pairs));
    EXPECT_EQ(m.ToText().size(), static_cast<std::size_t>(11 * n - 2 + wideSlots));
    return m;
}

TEST(GroupMap, StoredInAsManyPiecesAsRead) {
    FakeConfig cfg;
    // Longer than six pieces: the seventh must be written, or the map comes back cut.
    GroupMap big = makeMap(146, 0);
    StoreGroupMap(cfg.storage(), big);
    EXPECT_FALSE(cfg.keys["ComboAsort7"].empty());
    EXPECT_EQ(LoadGroupMap(cfg.storage()).Pairs(), big.Pairs());

    GroupMap full = makeMap(159, 3);
    ASSERT_EQ(full.ToText().size(), kGroupMapMaxText);
    StoreGroupMap(cfg.storage(), full);
    EXPECT_EQ(LoadGroupMap(cfg.storage()).Pairs(), full.Pairs());
}

TEST(GroupMap, TooLongAMapFailsAndStoresNothing) {
    FakeConfig cfg;
    StoreGroupMap(cfg.storage(), GroupMap::FromText("1=0"));
    try {
        StoreGroupMap(cfg.storage(), makeMap(159, 4));  // one character too many
        ADD_FAILURE() << "a cut map was stored";
    } catch (const Exception& e) {
        EXPECT_NE(e.message().find("1751"), std::string::npos) << e.message();
    }
    EXPECT_EQ(cfg.stores, 1);
    EXPECT_EQ(LoadGroupMap(cfg.storage()).ToText(), "1=0");
}

}  // namespace
