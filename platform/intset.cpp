#include "platform/intset.h"

#include <algorithm>
#include <string>

#include "platform/exception.h"

namespace zt {

bool TMacSetOfIntegers::Add(int value) {
    auto it = std::lower_bound(values_.begin(), values_.end(), value);
    if (it != values_.end() && *it == value) return false;
    if (GetCount() >= capacity_) return false;
    values_.insert(it, value);
    return true;
}

bool TMacSetOfIntegers::Contains(int value) const { return std::binary_search(values_.begin(), values_.end(), value); }

int TMacSetOfIntegers::GetValues(int index) const {
    if (index < 0 || index >= GetCount())
        throw EMException(0, "set of integers", "index " + std::to_string(index) + " out of range");
    return values_[static_cast<std::size_t>(index)];
}

}  // namespace zt
