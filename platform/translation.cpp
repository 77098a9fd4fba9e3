#include "platform/translation.h"

#include <cstring>
#include <vector>

namespace zt {

std::string TMLgExtTools::GetString(std::string_view module, std::string_view key, std::string_view def) const {
    if (!lookup_) return std::string(def);
    constexpr std::int32_t kSize = 1024;
    std::vector<char> buf(kSize + 1, '\0');
    std::string m(module), k(key);
    std::int32_t ok = 0;
    try {
        FpuScope host(hostFpu_ ? *hostFpu_ : saveFpu());
        ok = lookup_(buf.data(), kSize, m.c_str(), k.c_str());
    } catch (...) {
        ok = 0;
    }
    buf[kSize] = '\0';
    if (ok == 0 || buf[0] == '\0') return std::string(def);
    return std::string(buf.data(), std::strlen(buf.data()));
}

}  // namespace zt
