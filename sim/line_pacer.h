#pragma once
// Keeps a simulated line at the pace of a real one: 8N1 moves ten bits a byte,
// so n bytes take n * 10 / baud seconds. The pauses go through a Clock, so a
// virtual clock makes them free. Off (baud 0, no processing time) it never sleeps.
#include <cstddef>
#include <cstdint>

#include "platform/clock.h"

namespace zt::sim {

struct PacingOptions {
    std::uint32_t baud = 0;       // 0: bytes move as fast as the line takes them
    std::uint32_t processMs = 0;  // the register's thinking time before each answer
    Clock* clock = nullptr;       // null: the clock in force when the pacer is made
};

class LinePacer {
public:
    explicit LinePacer(PacingOptions options = {})
        : options_(options), clock_(options.clock ? *options.clock : zt::clock()) {}

    bool paced() const { return options_.baud != 0; }
    // Sleeps until n more bytes would have crossed the wire. The pace is kept
    // against a deadline, not by summing sleeps, so oversleeping does not add
    // up; part milliseconds are carried so byte-by-byte pacing stays exact.
    // continuing: the bytes follow others on a busy line (the rest of an
    // answer or of a request read at once), so a lag is the simulator's own
    // oversleeping, caught up, never an idle line that starts the pace afresh.
    void transfer(std::size_t bytes, bool continuing = false);
    // Sleeps for the processing time, once per answered command.
    void process();

private:
    PacingOptions options_;
    Clock& clock_;
    bool started_ = false;
    std::uint32_t dueTick_ = 0;    // when the line is free again
    std::uint64_t owedBitMs_ = 0;  // bits x 1000 not yet in dueTick_, below one baud's worth of ms
};

}  // namespace zt::sim
