#pragma once
// Reading a "kasa.imp" text in tests: the lines of one "[name]" section.
#include <string>

namespace ztest {

// The lines between "[name]\r\n" and the next section; "<missing>" without one.
inline std::string section(const std::string& text, const std::string& name) {
    const std::string head = "[" + name + "]\r\n";
    const auto at = text.find(head);
    if (at == std::string::npos) return "<missing>";
    const auto from = at + head.size();
    const auto to = text.find("\r\n[", from);
    return text.substr(from, to == std::string::npos ? std::string::npos : to - from);
}

}  // namespace ztest
