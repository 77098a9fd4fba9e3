// Pacing bytes and answers at the configured line speed.
#include "sim/line_pacer.h"

namespace zt::sim {
namespace {
// Lagging more than this the line is taken to have been idle: the pace starts
// afresh instead of bursting to catch up.
constexpr std::int32_t kIdleMs = 5;
}  // namespace

void LinePacer::transfer(std::size_t bytes, bool continuing) {
    if (!paced() || bytes == 0) return;
    const std::uint32_t now = clock_.tickCount();
    if (!started_ || (!continuing && static_cast<std::int32_t>(now - dueTick_) > kIdleMs)) {
        started_ = true;
        dueTick_ = now;
    }
    owedBitMs_ += static_cast<std::uint64_t>(bytes) * 10 * 1000;
    const std::uint64_t ms = owedBitMs_ / options_.baud;
    owedBitMs_ -= ms * options_.baud;
    dueTick_ += static_cast<std::uint32_t>(ms);
    const auto wait = static_cast<std::int32_t>(dueTick_ - now);
    if (wait > 0) clock_.sleep(static_cast<std::uint32_t>(wait));
}

void LinePacer::process() {
    if (options_.processMs != 0) clock_.sleep(options_.processMs);
}

}  // namespace zt::sim
