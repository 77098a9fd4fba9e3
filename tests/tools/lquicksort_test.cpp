#include "tools/lquicksort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace zt;

namespace {

class IntIndex : public TLQuickSort {
public:
    std::vector<int> v;
    std::vector<int> done;
    int key = 0;
    int compares = 0;

    void SetNumDone(int index) override { done.push_back(index); }
    int SortCompare(int i, int j) override {
        ++compares;
        return v[i] < v[j] ? -1 : v[i] > v[j] ? 1 : 0;
    }
    void ExChange(int i, int j) override { std::swap(v[i], v[j]); }
    int FindCompare(int i) override { return key < v[i] ? -1 : key > v[i] ? 1 : 0; }
    int find(int k) {
        key = k;
        return Find(0, static_cast<int>(v.size()) - 1);
    }
    int place(int k) {
        key = k;
        return FindInsertPlace(0, static_cast<int>(v.size()) - 1);
    }
};

}  // namespace

TEST(TLQuickSort, SortsAndReportsEachFinishedRange) {
    IntIndex x;
    x.v = {5, 3, 9, 1};
    EXPECT_EQ(x.Sort(0, 3), 0);
    EXPECT_EQ(x.v, (std::vector<int>{1, 3, 5, 9}));
    ASSERT_FALSE(x.done.empty());
    EXPECT_EQ(x.done.back(), 3);  // the outermost range finishes last
    // One call per Sort call: inner ranges end below the outer hi.
    for (std::size_t k = 0; k + 1 < x.done.size(); ++k) EXPECT_LE(x.done[k], 3);
}

TEST(TLQuickSort, DefaultSlotsDoNothing) {
    TLQuickSort base;
    EXPECT_EQ(base.Sort(0, 10), 0);
    EXPECT_EQ(base.Find(0, 10), 5);  // every element compares equal
}

TEST(TLQuickSort, LargeSortedReversedAndEqualInputs) {
    const int n = 100000;
    IntIndex x;
    x.v.resize(n);
    for (int i = 0; i < n; ++i) x.v[i] = i;
    x.Sort(0, n - 1);
    EXPECT_TRUE(std::is_sorted(x.v.begin(), x.v.end()));
    for (int i = 0; i < n; ++i) x.v[i] = n - i;
    x.Sort(0, n - 1);
    EXPECT_TRUE(std::is_sorted(x.v.begin(), x.v.end()));
    std::fill(x.v.begin(), x.v.end(), 7);
    x.Sort(0, n - 1);
    for (int i = 0; i < n; ++i) x.v[i] = (i * 7919) % 1009;
    x.Sort(0, n - 1);
    EXPECT_TRUE(std::is_sorted(x.v.begin(), x.v.end()));
}

TEST(TLQuickSort, FindInsertPlace) {
    IntIndex x;
    x.v = {9, 1, 5, 3};
    EXPECT_EQ(x.place(4), 2);  // sorts first
    EXPECT_TRUE(x.sorted);
    EXPECT_EQ(x.v, (std::vector<int>{1, 3, 5, 9}));
    EXPECT_EQ(x.place(0), 0);
    EXPECT_EQ(x.place(10), 4);
    EXPECT_EQ(x.place(5), -1);
    EXPECT_EQ(x.place(2), 1);
    EXPECT_EQ(x.place(6), 3);
}

TEST(TLQuickSort, FindSortsLazilyOnce) {
    IntIndex x;
    x.v = {4, 2, 8, 6};
    EXPECT_EQ(x.find(6), 2);
    EXPECT_EQ(x.find(7), -1);
    EXPECT_EQ(x.insertPlace, 3);
    // The collection changes without clearing the flag: no new sort.
    x.v = {8, 6, 4, 2};
    x.compares = 0;
    x.find(4);
    EXPECT_EQ(x.compares, 0);
    x.sorted = false;
    EXPECT_EQ(x.find(4), 1);
    EXPECT_GT(x.compares, 0);

    x.v = {3, 3, 3, 1};
    x.sorted = false;
    const int at = x.find(3);
    EXPECT_GE(at, 1);
    EXPECT_EQ(x.v[at], 3);
}

TEST(TLQuickSort, EmptyRangeTouchesNoElement) {
    IntIndex x;  // no elements: any compare would read past the vector
    EXPECT_EQ(x.Sort(0, -1), 0);
    EXPECT_EQ(x.find(1), -1);
    EXPECT_EQ(x.insertPlace, 0);
    EXPECT_EQ(x.place(1), 0);
}
