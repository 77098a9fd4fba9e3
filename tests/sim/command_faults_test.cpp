// Faults tied to the k-th command over the real TCP line: every send of that
// command is hit, the commands around it are not, and the count starts again
// for the next client.
#include <gtest/gtest.h>

#include "proto/combo_data.h"
#include "proto/framing.h"
#include "sim/register_simulator.h"
#include "sim/sim_client.h"

namespace zt::sim {
namespace {

using F = TComboFraming;
using Kind = CommandFault::Kind;

TComboDataSet fieldsOf(const std::string& frame) {
    TComboDataSet d;
    d.ParseFromPacket(frame, nullptr);
    return d;
}

TEST(CommandFaults, HitEverySendOfTheKthCommandAndRestartForTheNextClient) {
    RegisterSimulator sim{defaultRegisterState(), SimulatorOptions{true, 0, false, 0, false}};
    sim.start();
    Faults f;
    f.commandFaults = {{2, Kind::LoseAnswers, 0}, {3, Kind::TransmissionStatus, 7}, {4, Kind::Refuse, 50}};
    sim.setFaults(f);
    const std::vector<std::string> clearStats = {F::EncodeB(1), F::EncodeB(1)};
    for (int client = 1; client <= 2; ++client) {
        SCOPED_TRACE(client);
        sim.updateState([](RegisterState& s) { s.findPlu(1)->salesValue = 777; });
        SimClient c(sim.port());
        ASSERT_TRUE(c.request(cmdTIMEGET, {}, 1));

        // 2: run once, no send answered.
        EXPECT_FALSE(c.request(cmdPLUSTATCLEARALL, clearStats, 2, 0, 100));
        EXPECT_EQ(sim.state().findPlu(1)->salesValue, 0);
        sim.updateState([](RegisterState& s) { s.findPlu(1)->salesValue = 555; });
        EXPECT_FALSE(c.request(cmdPLUSTATCLEARALL, clearStats, 2, kFlagRepeated, 100));
        EXPECT_FALSE(c.request(cmdPLUSTATCLEARALL, clearStats, 2, kFlagRepeated, 100));
        EXPECT_EQ(sim.state().findPlu(1)->salesValue, 555);  // the repeats did not run it again

        // 3: every send answered with the transmission status, never run.
        for (int send = 0; send < 3; ++send) {
            auto a = c.request(cmdPLUDELALL, {F::EncodeB(0)}, 3);
            ASSERT_TRUE(a);
            EXPECT_EQ(frameCommand(*a), 0);
            EXPECT_EQ(fieldsOf(*a)[1].AsV(), 7);
        }
        EXPECT_FALSE(sim.state().goods.empty());

        // 4: refused with the execution code, not run.
        auto r = c.request(cmdPACKDELALL, {F::EncodeB(0)}, 4);
        ASSERT_TRUE(r);
        EXPECT_EQ(fieldsOf(*r)[1].AsV(), 0);
        EXPECT_EQ(fieldsOf(*r)[2].AsV(), 50);
        EXPECT_FALSE(sim.state().packages.empty());

        // 5: untouched.
        auto t = c.request(cmdTIMEGET, {}, 5);
        ASSERT_TRUE(t);
        EXPECT_EQ(frameCommand(*t), cmdTIMEGET);
    }
    std::vector<std::uint32_t> commands;
    for (const auto& j : sim.journal().entries()) commands.push_back(j.command);
    const std::vector<std::uint32_t> perClient = {1, 2, 2, 2, 3, 3, 3, 4, 5};
    std::vector<std::uint32_t> expected = perClient;
    expected.insert(expected.end(), perClient.begin(), perClient.end());
    EXPECT_EQ(commands, expected);
    sim.stop();
}

}  // namespace
}  // namespace zt::sim
