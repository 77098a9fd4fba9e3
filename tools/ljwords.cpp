#include "tools/ljwords.h"

namespace zt {

int TLJWords::Split(std::string_view line) {
    words.clear();
    outOfRange = false;
    std::string_view rest = line;
    while (!rest.empty()) {
        const auto p = separator.empty() ? std::string_view::npos : rest.find(separator);
        if (p == std::string_view::npos) {
            words.emplace_back(rest);
            break;
        }
        words.emplace_back(rest.substr(0, p));
        // One character goes with the word whatever the separator's length, as
        // the other drivers of the family split their lines.
        rest.remove_prefix(p + 1);
    }
    return Count();
}

std::string TLJWords::Word(int index) {
    if (index < 0) return {};
    if (index >= Count()) {
        outOfRange = true;
        return {};
    }
    return words[static_cast<std::size_t>(index)];
}

}  // namespace zt
