// Line pacing on a virtual clock: bytes cost bytes x 10 / baud seconds each way,
// answered commands add the processing time, and no pacing costs nothing.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/clock.h"
#include "proto/commands.h"
#include "proto/framing.h"
#include "sim/line_pacer.h"
#include "sim/register_simulator.h"
#include "sim/sim_client.h"

namespace zt::sim {
namespace {

// Exact wire time in microseconds, the reference the slept milliseconds must match.
std::uint64_t wireUs(std::uint64_t bytes, std::uint32_t baud) { return bytes * 10 * 1000000 / baud; }

struct PacerCase {
    const char* name;
    std::uint32_t baud, processMs;
    std::size_t bytes, chunk;  // moved chunk bytes at a time
    std::uint32_t commands;
};

class Pacer : public ::testing::TestWithParam<PacerCase> {};

TEST_P(Pacer, SleepsTheWireTimeWithinAMillisecond) {
    const auto& c = GetParam();
    VirtualClock clock;
    LinePacer pacer({c.baud, c.processMs, &clock});
    const auto start = clock.tickCount();
    for (std::size_t done = 0; done < c.bytes; done += c.chunk) pacer.transfer(std::min(c.chunk, c.bytes - done));
    for (std::uint32_t i = 0; i < c.commands; ++i) pacer.process();
    const std::uint64_t slept = clock.tickCount() - start;

    const std::uint64_t expectUs = (c.baud ? wireUs(c.bytes, c.baud) : 0) + std::uint64_t{c.processMs} * c.commands * 1000;
    // Whole milliseconds are slept and the remainder carried: never ahead, at most 1 ms behind.
    EXPECT_LE(slept * 1000, expectUs);
    EXPECT_GT(slept * 1000 + 1000, expectUs);
}

INSTANTIATE_TEST_SUITE_P(
    Rates, Pacer,
    ::testing::Values(PacerCase{"Off", 0, 0, 5000, 1, 10},                  // default: never sleeps
                      PacerCase{"ProcessOnly", 0, 40, 5000, 1, 3},         // 120 ms, no wire time
                      PacerCase{"At9600ByteByByte", 9600, 0, 960, 1, 0},    // 1 s exactly
                      PacerCase{"At9600Block", 9600, 0, 960, 960, 0},
                      PacerCase{"At115200ByteByByte", 115200, 0, 1000, 1, 0},  // 86.8 ms from 0.087 ms bytes
                      PacerCase{"At115200OddChunks", 115200, 0, 10007, 13, 0},
                      PacerCase{"At300WithProcessing", 300, 25, 31, 1, 2},
                      PacerCase{"At1200MegabyteBlock", 1200, 0, 1 << 20, 1 << 20, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// The simulator oversleeping inside an answer is caught up; a line that stood
// idle before a new burst starts the pace afresh.
TEST(PacerLag, ContinuingBytesCatchUpAnIdleLineStartsAfresh) {
    for (const bool continuing : {true, false}) {
        VirtualClock clock;
        LinePacer pacer({9600, 0, &clock});
        const auto start = clock.tickCount();
        pacer.transfer(1);
        clock.sleep(20);  // late by far more than the idle margin
        pacer.transfer(99, continuing);
        const std::uint64_t took = clock.tickCount() - start;
        const std::uint64_t wireMs = wireUs(100, 9600) / 1000;  // 104 ms
        if (continuing)
            EXPECT_EQ(took, wireMs);
        else
            EXPECT_EQ(took, 20 + wireMs);
    }
}

// The simulator paces both directions of a TCP exchange and thinks before answering.
TEST(PacedSimulator, RequestAndAnswerTakeTheirWireTimePlusProcessing) {
    struct Case {
        std::uint32_t baud, processMs;
    };
    for (const Case c : {Case{0, 0}, Case{9600, 0}, Case{115200, 7}, Case{2400, 30}}) {
        SCOPED_TRACE(c.baud);
        VirtualClock clock;
        const auto start = clock.tickCount();
        std::size_t wire = 0;
        {
            RegisterSimulator sim(defaultRegisterState(), SimulatorOptions{true, 0, false, 0, false});
            sim.setPacing({c.baud, c.processMs, &clock});
            sim.start();
            SimClient client(sim.port());
            const std::string request = stuff(buildFrame(0, 1, cmdTIMEGET, {}));
            client.sendRaw(request);
            auto answer = client.receive(5000);
            ASSERT_TRUE(answer);
            wire = request.size() + stuff(*answer).size();
            sim.stop();  // joins the serving thread: its sleeps are all in
            // Its byte counts are what a run is weighed against the wire with.
            EXPECT_EQ(sim.bytesIn(), request.size());
            EXPECT_EQ(sim.bytesOut(), wire - request.size());
        }
        const std::uint64_t slept = clock.tickCount() - start;
        const std::uint64_t expectUs = (c.baud ? wireUs(wire, c.baud) : 0) + std::uint64_t{c.processMs} * 1000;
        EXPECT_LE(slept * 1000, expectUs);
        EXPECT_GT(slept * 1000 + 1000, expectUs);
    }
}

}  // namespace
}  // namespace zt::sim
