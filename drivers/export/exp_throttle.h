#pragma once
// Status-line positions of the export buffer's long loops are shown at most
// about once a second.
#include <cstdint>

#include "platform/clock.h"

namespace zt {

class ExpThrottle {
public:
    bool due() {
        const std::uint32_t now = tickCount();
        if (now - last_ < kProgressMs) return false;
        last_ = now;
        return true;
    }

private:
    static constexpr std::uint32_t kProgressMs = 1000;
    std::uint32_t last_ = tickCount();
};

}  // namespace zt
