#include "link/transport/transport_multiplexer.h"

#include "platform/clock.h"

namespace zt {
namespace {

// How long the multiplexer takes to switch (ms).
constexpr std::uint32_t kMultiplexer4WaitMs = 300;
constexpr std::uint32_t kMultiplexer8WaitMs = 500;
constexpr std::uint8_t kMultiplexer8Select = 0xFE;

}  // namespace

MultiplexerTransport::MultiplexerTransport(std::unique_ptr<Transport> line, int channel)
    : line_(std::move(line)), channel_(channel) {}

void MultiplexerTransport::open() {
    if (line_->isOpen()) return;
    line_->open();
    Transport& t = *line_;
    const int ch = channel_;
    if (ch >= 1 && ch <= 4) {
        t.setRTS(ch == 1 || ch == 2);
        t.setDTR(ch == 2 || ch == 4);
        sleepMs(kMultiplexer4WaitMs);
    } else if (ch >= 5 && ch <= 12) {
        t.setRTS(false);
        t.setDTR(false);
        sleepMs(kMultiplexer8WaitMs);
        t.setRTS(true);
        t.setDTR(true);
        sleepMs(kMultiplexer8WaitMs);
        const std::uint8_t select = kMultiplexer8Select;
        const auto channel = static_cast<std::uint8_t>(ch - 4);
        t.send(&select, 1);
        t.send(&channel, 1);
        sleepMs(kMultiplexer8WaitMs);
        t.setRTS(false);
    }
}

}  // namespace zt
