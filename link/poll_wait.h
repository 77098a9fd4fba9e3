#pragma once
// Bounded waits on outside input measured on the installed clock (platform/clock.h).
// Each round gives the operating system a short real wait for the input and
// then lets the clock reach the round's length, so the same loop waits in real
// time on the system clock and costs almost nothing on a virtual one.
#include <algorithm>
#include <cstdint>

#include "platform/clock.h"

namespace zt {

// Real wait the probe may spend per round.
constexpr std::uint32_t kPollSliceMs = 1;

// Milliseconds from start to now on the clock; a clock that ran backwards counts as 0.
inline std::uint32_t elapsedSince(std::uint32_t start) {
    const auto d = static_cast<std::int32_t>(tickCount() - start);
    return d < 0 ? 0u : static_cast<std::uint32_t>(d);
}

// Calls probe(kPollSliceMs) until it returns true (then true) or boundMs have
// passed (then false). The number of rounds is capped as well, so a clock that
// stands still cannot hold the loop.
template <typename Probe>
bool pollUntil(std::uint32_t boundMs, std::uint32_t roundMs, Probe&& probe) {
    roundMs = std::max<std::uint32_t>(roundMs, 1);
    const std::uint32_t start = tickCount();
    const std::uint64_t maxRounds = boundMs / roundMs + 2;
    for (std::uint64_t round = 0; round < maxRounds; ++round) {
        const std::uint32_t before = tickCount();
        if (probe(kPollSliceMs)) return true;
        const std::uint32_t elapsed = elapsedSince(start);
        if (elapsed >= boundMs) return false;
        const std::uint32_t moved = elapsedSince(before);
        if (moved < roundMs) sleepMs(std::min(roundMs - moved, boundMs - elapsed));
    }
    return false;
}

}  // namespace zt
