#include "host/goods_rule.h"

#include <charconv>
#include <limits>
#include <optional>
#include <string_view>

namespace zt {
namespace {

std::optional<std::int64_t> number(std::string_view s) {
    std::int64_t v = 0;
    if (s.empty()) return std::nullopt;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return v;
}

std::optional<std::int32_t> answerOf(std::string_view s) {
    if (s == "add") return 1;
    if (s == "update") return 2;
    if (s == "skip") return 0;
    if (s == "error") return -1;
    auto v = number(s);
    if (!v || *v < std::numeric_limits<std::int32_t>::min() || *v > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(*v);
}

}  // namespace

std::string GoodsRule::Parse(const std::string& text) {
    items_.clear();
    std::string_view rest(text);
    while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        const std::string_view item = rest.substr(0, comma);
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        const std::size_t eq = item.find('=');
        if (eq == std::string_view::npos) return "goods answer item '" + std::string(item) + "' has no '='";
        std::string_view selector = item.substr(0, eq);
        const auto answer = answerOf(item.substr(eq + 1));
        if (!answer)
            return "goods answer '" + std::string(item.substr(eq + 1)) +
                   "' is not add, update, skip, error or a number";
        Item it{false, std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max(), *answer};
        if (!selector.empty() && selector[0] == 'p') {
            it.package = true;
            selector.remove_prefix(1);
        }
        if (selector != "*") {
            const std::size_t dash = selector.find('-', 1);
            const auto from = number(selector.substr(0, dash));
            const auto to = dash == std::string_view::npos ? from : number(selector.substr(dash + 1));
            if (!from || !to || *to < *from)
                return "goods selector '" + std::string(item.substr(0, eq)) + "' is not N, N-M or *";
            it.from = *from;
            it.to = *to;
        }
        items_.push_back(it);
    }
    return "";
}

std::int32_t GoodsRule::Answer(std::int32_t number, bool package) const {
    for (const Item& it : items_)
        if (it.package == package && number >= it.from && number <= it.to) return it.answer;
    return 1;
}

}  // namespace zt
