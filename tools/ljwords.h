#pragma once
// Splits a delimited line into words; empty fields count, a trailing
// separator does not start a further word.
#include <string>
#include <string_view>
#include <vector>

#include "tools/api.h"

namespace zt {

class ZT_API TLJWords {
public:
    // Words of the last split, in order.
    std::vector<std::string> words;
    // Separator text set before splitting (the system uses ";"); an empty
    // separator leaves the whole line one word. A word ends where the
    // separator starts, and only one character after it is dropped: with "||"
    // the line "a||b" splits into "a" and "|b".
    std::string separator = ";";
    // Set when a word past the end was asked for.
    bool outOfRange = false;

    int Split(std::string_view line);
    // The word at the 0-based index; empty for a negative index; empty with
    // outOfRange set at or past the number of words.
    std::string Word(int index);
    int Count() const noexcept { return static_cast<int>(words.size()); }
};

}  // namespace zt
