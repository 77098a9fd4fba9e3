#pragma once
// Set of integers with a capacity, kept unique and in ascending order.
#include <vector>

namespace zt {

class TMacSetOfIntegers {
public:
    explicit TMacSetOfIntegers(int capacity = 100) : capacity_(capacity < 0 ? 0 : capacity) {}

    // True when added; false when already present or the set is full.
    bool Add(int value);
    bool Contains(int value) const;
    void Clear() noexcept { values_.clear(); }
    int GetCount() const noexcept { return static_cast<int>(values_.size()); }
    int Capacity() const noexcept { return capacity_; }
    // The index-th smallest value; raises zt::EMException out of range.
    int GetValues(int index) const;

private:
    int capacity_;
    std::vector<int> values_;
};

}  // namespace zt
