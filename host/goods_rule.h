#pragma once
// How the bench answers the goods callback: a rule by number, so a run can
// show every answer the plug-in must count ("add", "update", "skip", "error").
#include <cstdint>
#include <string>
#include <vector>

namespace zt {

class GoodsRule {
public:
    // Comma-separated "SELECTOR=ANSWER" items, the first that matches wins:
    // SELECTOR is a goods PLU "N" or range "N-M", the same after "p" for
    // package numbers, "*" for goods and "p*" for packages; ANSWER is add (1),
    // update (2), skip (0), error (-1) or an integer. Unmatched records are added.
    // Empty on success, else what is wrong.
    std::string Parse(const std::string& text);
    std::int32_t Answer(std::int32_t number, bool package) const;

private:
    struct Item {
        bool package;
        std::int64_t from, to;
        std::int32_t answer;
    };
    std::vector<Item> items_;
};

}  // namespace zt
