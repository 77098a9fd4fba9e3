#include "platform/exception.h"

namespace zt {
namespace {
int g_language = 0;

std::string joinTopics(const std::vector<EMException::Topic>& topics) {
    std::string s;
    for (const auto& t : topics) {
        if (!s.empty()) s += "\r\n";
        s += t.title;
        if (!t.description.empty()) s += ": " + t.description;
    }
    return s;
}
}  // namespace

EMException::EMException(int code, std::string title, std::string description)
    : EMException(std::vector<Topic>{Topic{code, std::move(title), std::move(description)}}) {}

EMException::EMException(std::vector<Topic> topics) : Exception(joinTopics(topics)), topics_(std::move(topics)) {}

void EMException::setLanguage(int language) noexcept { g_language = language; }
int EMException::language() noexcept { return g_language; }

bool exceptionIs(const std::exception& e, std::string_view className) noexcept {
    if (auto* z = dynamic_cast<const Exception*>(&e)) return z->inheritsFrom(className);
    return className == "Exception";
}

}  // namespace zt
