// The register simulator over its real lines: answers, the repeated-request
// cache, every fault, context readings, complex sequences and the receipt buffer.
#include <gtest/gtest.h>

#include <chrono>

#include "platform/pty.h"
#include "platform/serial.h"
#include "proto/combo_data.h"
#include "proto/framing.h"
#include "sim/register_simulator.h"
#include "sim/sim_client.h"

namespace zt::sim {
namespace {

using F = TComboFraming;

TComboDataSet fieldsOf(const std::string& frame) {
    TComboDataSet d;
    d.ParseFromPacket(frame, nullptr);
    return d;
}

struct Sim : ::testing::Test {
    RegisterSimulator sim{defaultRegisterState(), SimulatorOptions{true, 0, false, 0, false}};
    std::optional<SimClient> client;
    std::uint32_t seq = 100;

    void SetUp() override {
        sim.start();
        client.emplace(sim.port());
    }
    std::optional<std::string> ask(std::uint16_t code, const std::vector<std::string>& fields = {},
                                   std::uint32_t timeoutMs = 2000) {
        return client->request(code, fields, ++seq, 0, timeoutMs);
    }
    // The execution code of a status answer, or -1 for another answer.
    static int statusW(const std::optional<std::string>& a) {
        if (!a || frameCommand(*a) != 0) return -1;
        return fieldsOf(*a)[2].AsV();
    }
};

TEST_F(Sim, TimeGetAnswersWithItsCodeSequenceAndTheFixedClock) {
    auto a = ask(cmdTIMEGET);
    ASSERT_TRUE(a);
    EXPECT_TRUE(checkCrc(*a));
    EXPECT_EQ(frameCommand(*a), cmdTIMEGET);
    EXPECT_EQ(frameSequence(*a), seq);
    auto f = fieldsOf(*a);
    ASSERT_EQ(f.Count(), 3u);
    EXPECT_EQ(f[0].AsB(), 12);
    EXPECT_EQ(f[1].AsB(), 30);
    EXPECT_EQ(f[2].AsB(), 0);
    auto j = sim.journal().entries();
    ASSERT_EQ(j.size(), 1u);
    EXPECT_EQ(j[0].name, "TIMEGET");
    EXPECT_EQ(j[0].answerCode, cmdTIMEGET);
}

TEST_F(Sim, IdentificationAnswersCarryTheFieldsTheTestReads) {
    auto st = fieldsOf(*ask(cmdCASHREGSTATUSGET));
    ASSERT_EQ(st.Count(), 22u);
    EXPECT_EQ(st[0].AsB(), 29);
    EXPECT_EQ(st[1].AsS(), "1");
    EXPECT_EQ(st[2].AsV(), 1);
    EXPECT_EQ(st[3].AsB(), 1);
    EXPECT_EQ(st[7].AsB(), 3);
    EXPECT_EQ(st[8].AsB(), 2);
    EXPECT_EQ(st[9].AsV(), 2012);
    EXPECT_EQ(st[10].AsB(), 7);
    EXPECT_EQ(st[21].AsS(), "3.01.07");

    auto hd = fieldsOf(*ask(cmdHEADERGET));
    ASSERT_EQ(hd[0].AsB(), 3);
    EXPECT_EQ(hd[6].AsS(), "00-950 Warszawa");

    auto vat = fieldsOf(*ask(cmdVATGET));
    ASSERT_EQ(vat.Count(), 7u);
    EXPECT_EQ(vat[0].AsV(), 2300);
    EXPECT_EQ(vat[4].AsV(), 0xFFFE);
    EXPECT_EQ(vat[5].AsV(), 0xFFFF);

    auto db = fieldsOf(*ask(cmdDBSTATUSGET));
    ASSERT_EQ(db.Count(), 22u);
    EXPECT_EQ(db[1].AsB(), 1);
    EXPECT_EQ(db[13].AsV(), sim.state().goods.size());
    EXPECT_EQ(fieldsOf(*ask(cmdCASHREGPARGET))[0].AsS(), "1");
    auto date = fieldsOf(*ask(cmdDATEGET));
    EXPECT_EQ(date[2].AsV(), 2024);
}

TEST_F(Sim, RepeatedRequestIsAnsweredFromTheCacheWithoutRunningAgain) {
    Faults f;
    f.noAnswer.at = 1;
    sim.setFaults(f);
    const std::uint32_t s = ++seq;
    client->send(cmdPLUSTATCLEARALL, {F::EncodeB(1), F::EncodeB(1)}, s);
    EXPECT_FALSE(client->receive(150));  // answer lost, command done
    EXPECT_EQ(sim.state().findPlu(1)->salesValue, 0);
    // Sales come in meanwhile: a second run would clear them.
    sim.updateState([](RegisterState& st) { st.findPlu(1)->salesValue = 777; });
    auto a = client->request(cmdPLUSTATCLEARALL, {F::EncodeB(1), F::EncodeB(1)}, s, kFlagRepeated);
    ASSERT_TRUE(a);
    EXPECT_EQ(frameCommand(*a), cmdPLUSTATCLEARALL);
    EXPECT_EQ(frameSequence(*a), s);
    EXPECT_EQ(sim.state().findPlu(1)->salesValue, 777);
    auto j = sim.journal().entries();
    ASSERT_EQ(j.size(), 2u);
    EXPECT_FALSE(j[0].repeated);
    EXPECT_EQ(j[0].note, "no answer");
    EXPECT_TRUE(j[1].repeated);
    EXPECT_TRUE(j[1].fromCache);
    // The same request without the repeat flag is a new command.
    ask(cmdPLUSTATCLEARALL, {F::EncodeB(1), F::EncodeB(1)});
    EXPECT_EQ(sim.state().findPlu(1)->salesValue, 0);
}

TEST_F(Sim, RequestWithBadCrcIsIgnored) {
    std::string frame = buildFrame(0, 7, cmdTIMEGET, {});
    frame[frame.size() - 2] = static_cast<char>(frame[frame.size() - 2] ^ 1);
    client->sendRaw(stuff(frame));
    EXPECT_FALSE(client->receive(150));
    EXPECT_EQ(sim.ignoredFrames(), 1u);
    EXPECT_EQ(sim.journal().size(), 0u);
    EXPECT_TRUE(ask(cmdTIMEGET));  // the line still works
}

TEST_F(Sim, BrokenAnswersFireOnceAndTheRepeatGetsTheSoundAnswer) {
    Faults f;
    f.badCrc.at = 1;
    f.wrongSequence.at = 2;
    f.garbage.at = 3;
    sim.setFaults(f);
    auto a = ask(cmdTIMEGET);
    ASSERT_TRUE(a);
    EXPECT_FALSE(checkCrc(*a));
    auto b = ask(cmdTIMEGET);
    ASSERT_TRUE(b);
    EXPECT_TRUE(checkCrc(*b));
    EXPECT_NE(frameSequence(*b), seq);
    auto c = client->request(cmdTIMEGET, {}, seq, kFlagRepeated);
    ASSERT_TRUE(c);
    EXPECT_EQ(client->skipped(), "ABC");
    EXPECT_EQ(frameSequence(*c), seq);
    auto d = ask(cmdTIMEGET);
    ASSERT_TRUE(d);
    EXPECT_TRUE(checkCrc(*d));
    EXPECT_EQ(frameSequence(*d), seq);
    EXPECT_EQ(client->skipped(), "ABC");
}

TEST_F(Sim, TransmissionStatusLeavesTheCommandUnrun) {
    Faults f;
    f.transmissionError.at = 1;
    f.transmissionStatus = 5;
    sim.setFaults(f);
    const std::uint32_t s = ++seq;
    auto a = client->request(cmdPLUDELALL, {F::EncodeB(0)}, s);
    ASSERT_TRUE(a);
    EXPECT_EQ(frameCommand(*a), 0);
    EXPECT_EQ(fieldsOf(*a)[1].AsV(), 5);
    EXPECT_FALSE(sim.state().goods.empty());
    // The plug-in sends the identical frame again: now it runs.
    auto b = client->request(cmdPLUDELALL, {F::EncodeB(0)}, s);
    ASSERT_TRUE(b);
    EXPECT_EQ(frameCommand(*b), cmdPLUDELALL);
    EXPECT_TRUE(sim.state().goods.empty());
}

TEST_F(Sim, ExecutionErrorHitsTheChosenCommandAndPluOnce) {
    Faults f;
    f.executionErrors.push_back({cmdPLUPRICEUPDATE, 926, 2, 1});
    sim.setFaults(f);
    EXPECT_EQ(frameCommand(*ask(cmdPLUPRICEUPDATE, {F::EncodeV(1), F::EncodeN(500)})), cmdPLUPRICEUPDATE);
    EXPECT_EQ(statusW(ask(cmdPLUPRICEUPDATE, {F::EncodeV(2), F::EncodeN(500)})), 926);
    EXPECT_EQ(sim.state().findPlu(2)->price, 329);
    EXPECT_EQ(frameCommand(*ask(cmdPLUPRICEUPDATE, {F::EncodeV(2), F::EncodeN(500)})), cmdPLUPRICEUPDATE);
    EXPECT_EQ(sim.state().findPlu(2)->price, 500);
    EXPECT_EQ(statusW(ask(cmdPLUPRICEUPDATE, {F::EncodeV(999), F::EncodeN(1)})), code::kNoRecord);
}

TEST_F(Sim, DisconnectAfterTheKthCommandAndDelayBeforeAnswers) {
    Faults f;
    f.disconnectAfter = 2;
    f.answerDelayMs = 40;
    sim.setFaults(f);
    auto t0 = std::chrono::steady_clock::now();
    ASSERT_TRUE(ask(cmdTIMEGET));
    EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(40));
    ASSERT_TRUE(ask(cmdTIMEGET));
    EXPECT_FALSE(ask(cmdTIMEGET, {}, 300));
    EXPECT_TRUE(client->peerClosed());
    // The next client is served again.
    sim.clearFaults();
    client.emplace(sim.port());
    EXPECT_TRUE(ask(cmdTIMEGET));
}

TEST_F(Sim, ContextReadingsEndWith975) {
    ASSERT_EQ(frameCommand(*ask(cmdCNTXPLUINIT, {F::EncodeB(0), F::EncodeB(0)})), cmdCNTXPLUINIT);
    std::vector<int> plus;
    for (int i = 0; i < 50; ++i) {
        auto a = ask(cmdPLUREAD, {F::EncodeV(0), F::EncodeB(1)});
        if (statusW(a) == code::kEndOfContext) break;
        auto f = fieldsOf(*a);
        plus.push_back(f[0].AsV());
        if (f[0].AsV() == 2) {  // goods with one extra barcode
            EXPECT_EQ(f[4].AsB(), 0);
            EXPECT_EQ(f[6].AsN(), 329);
            EXPECT_EQ(f[7].AsB(), 1);
            EXPECT_EQ(f[14].AsV(), 1);
            EXPECT_EQ(f[15].AsS(), "5900000000031");
        }
        if (f[0].AsV() == 10) {  // a set: shorter layout
            EXPECT_EQ(f[4].AsB(), 1);
            EXPECT_EQ(f.Count(), 9u);
        }
    }
    EXPECT_EQ(plus, (std::vector<int>{1, 2, 3, 4, 10}));

    ask(cmdCNTXPACKINIT, {F::EncodeB(2), F::EncodeB(2)});
    auto p = fieldsOf(*ask(cmdPACKSTATREAD, {F::EncodeV(0), F::EncodeB(1)}));
    EXPECT_EQ(p[0].AsV(), 1);
    EXPECT_EQ(p[1].AsN(), 12000);
    ask(cmdPACKSTATREAD, {F::EncodeV(0), F::EncodeB(1)});
    EXPECT_EQ(statusW(ask(cmdPACKSTATREAD, {F::EncodeV(0), F::EncodeB(1)})), code::kEndOfContext);

    ask(cmdCNTXGROUPINIT, {F::EncodeB(0), F::EncodeB(0)});
    int groups = 0;
    while (statusW(ask(cmdGROUPREAD, {F::EncodeV(0)})) != code::kEndOfContext && groups < 10) ++groups;
    EXPECT_EQ(groups, 3);
}

TEST_F(Sim, ProgrammingCommandsStoreAndClearTheBases) {
    std::vector<std::string> plu = {F::EncodeV(77), F::EncodeS("Bulka"), F::EncodeS("123"), F::EncodeN(99),
                                    F::EncodeN(0),  F::EncodeB(0),       F::EncodeB(1),     F::EncodeB(0),
                                    F::EncodeB(2),  F::EncodeB(1),       F::EncodeB(0),     F::EncodeB(1),
                                    F::EncodeB(1),  F::EncodeB(0),       F::EncodeB(1),     F::EncodeB(0)};
    EXPECT_EQ(frameCommand(*ask(cmdPLUINS, plu)), cmdPLUINS);
    auto* r = sim.state().findPlu(77);
    ASSERT_NE(r, nullptr);
    auto st = sim.state();
    EXPECT_EQ(st.findPlu(77)->name, "Bulka");
    EXPECT_EQ(st.findPlu(77)->group, 2);
    plu[9] = F::EncodeB(5);  // slot F is not active
    EXPECT_EQ(statusW(ask(cmdPLUINS, plu)), code::kBadVat);

    ask(cmdPACKINS, {F::EncodeV(9), F::EncodeS("Kosz"), F::EncodeS("9"), F::EncodeN(300), F::EncodeN(0), F::EncodeB(1),
                     F::EncodeB(1), F::EncodeB(0)});
    EXPECT_NE(sim.state().findPackage(9), nullptr);
    ask(cmdPAYFORMINS, {F::EncodeV(7), F::EncodeS("Bon 2"), F::EncodeB(4), F::EncodeV(1), F::EncodeS(""), F::EncodeN(1),
                        F::EncodeB(1), F::EncodeB(1)});
    auto pf = fieldsOf(*ask(cmdPAYFORMREAD, {F::EncodeV(7)}));
    ASSERT_EQ(pf.Count(), 6u);
    EXPECT_EQ(pf[2].AsB(), 4);
    EXPECT_EQ(statusW(ask(cmdPAYFORMREAD, {F::EncodeV(30)})), code::kNoRecord);

    EXPECT_EQ(statusW(ask(cmdPLUDEL, {F::EncodeV(500), F::EncodeB(0), F::EncodeB(0)})), code::kNoRecord);
    ask(cmdPLUDEL, {F::EncodeV(77), F::EncodeB(0), F::EncodeB(0)});
    EXPECT_EQ(sim.state().findPlu(77), nullptr);
    ask(cmdPACKSTATCLEARALL, {F::EncodeB(1)});
    EXPECT_EQ(sim.state().findPackage(1)->valueSold, 0);
    ask(cmdPLUDELALL, {F::EncodeB(0)});
    ask(cmdPACKDELALL, {F::EncodeB(0)});
    EXPECT_TRUE(sim.state().goods.empty());
    EXPECT_TRUE(sim.state().packages.empty());
    ask(cmdCNTXPLUINIT, {F::EncodeB(0), F::EncodeB(0)});
    EXPECT_EQ(statusW(ask(cmdPLUREAD, {F::EncodeV(0), F::EncodeB(1)})), code::kEndOfContext);
}

TEST_F(Sim, ComplexSequenceAnswersOneThenTheFinalAnswer) {
    sim.setComplexDelayMs(0);
    const std::vector<std::string> when = {F::EncodeB(6), F::EncodeB(5), F::EncodeV(2024), F::EncodeB(21),
                                           F::EncodeB(0)};
    auto first = ask(cmdREPFSKDAILY, when);
    ASSERT_TRUE(first);
    EXPECT_EQ(frameCommand(*first), 1);
    auto last = client->receive(2000);
    ASSERT_TRUE(last);
    EXPECT_EQ(frameCommand(*last), cmdREPFSKDAILY);
    EXPECT_EQ(frameSequence(*last), seq);
    auto st = sim.state();
    EXPECT_FALSE(st.totalizersNonZero);
    ASSERT_EQ(st.receipts.back().type, 16);

    auto c1 = ask(cmdREPCOMM);
    ASSERT_TRUE(c1);
    EXPECT_EQ(frameCommand(*c1), 1);
    EXPECT_EQ(frameCommand(*client->receive(2000)), cmdREPCOMM);
}

TEST_F(Sim, ReceiptBufferIsReadToTheEndAndConfirmedRecordsLeaveIt) {
    const std::size_t total = sim.state().receipts.size();
    std::vector<int> types;
    auto a = ask(cmdSALERECGET, {F::EncodeB(0)});
    for (int guard = 0; statusW(a) != code::kNoMoreReceipts && guard < 100; ++guard) {
        auto f = fieldsOf(*a);
        types.push_back(f[2].AsV());
        if (types.size() == 2) {
            // The link breaks here: the next reading starts with the unconfirmed record.
            auto again = fieldsOf(*ask(cmdSALERECGET, {F::EncodeB(0)}));
            EXPECT_EQ(again[2].AsV(), f[2].AsV());
        }
        a = ask(cmdSALERECGET, {F::EncodeB(1)});
    }
    EXPECT_EQ(types.size(), total);
    for (int t : {0, 1, 2, 3, 4, 5, 6, 10, 11, 13, 17, 18, 21, 23, 32, 33})
        EXPECT_NE(std::find(types.begin(), types.end(), t), types.end()) << t;
    EXPECT_TRUE(sim.state().receipts.empty());
    EXPECT_EQ(statusW(ask(cmdSALERECGET, {F::EncodeB(0)})), code::kNoMoreReceipts);
}

TEST_F(Sim, CashierStatisticsListThePaymentForms) {
    auto u = fieldsOf(*ask(cmdUSERSTATREAD, {F::EncodeV(1), F::EncodeB(0)}));
    EXPECT_EQ(u[3].AsL(), 768306600u);  // 2024-05-06 10:30:00
    EXPECT_EQ(u[9].AsL(), 3u);
    ASSERT_EQ(u[16].AsB(), 3);
    EXPECT_EQ(u[20].AsV(), 2);
    EXPECT_EQ(u[21].AsN(), 500);
    EXPECT_EQ(fieldsOf(*ask(cmdUSERREAD, {F::EncodeV(1)}))[1].AsS(), sim.state().cashiers[0].name);
    EXPECT_EQ(statusW(ask(cmdUSERREAD, {F::EncodeV(40)})), code::kNoUser);
    EXPECT_EQ(statusW(ask(cmdUSERREAD)), code::kMissingData);
    EXPECT_EQ(fieldsOf(*ask(cmdDISCNTCARDCFGGETEX))[3].AsS(), "PPNNNNNNNNNNC");
}

TEST(SimPty, AnswersOverTheSerialLine) {
    RegisterSimulator sim(defaultRegisterState(), SimulatorOptions{false, 0, true, 0, false});
    sim.start();
    TMSerialPort port;
    port.setPortName(sim.ptyPath());
    port.setTimeout(TMSerialPort::ReadConstant, 1000);
    port.Open();
    std::string wire = stuff(buildFrame(0, 16, cmdTIMEGET, {}));  // length byte 0x10 is doubled
    port.Transmit(wire.data(), wire.size(), true);
    FrameReceiver rx;
    std::optional<std::string> answer;
    std::uint8_t b = 0;
    for (int i = 0; i < 200 && !answer && port.Get(b); ++i)
        if (rx.feed(b) == FrameReceiver::Event::Frame) answer = rx.takeFrame();
    ASSERT_TRUE(answer);
    EXPECT_EQ(frameCommand(*answer), cmdTIMEGET);
    EXPECT_EQ(frameSequence(*answer), 16u);
    port.Close();
    sim.stop();
    EXPECT_FALSE(sim.running());
}

TEST(SimLifecycle, ExitAfterClientStopsByItself) {
    RegisterSimulator sim(defaultRegisterState(), SimulatorOptions{true, 0, false, 0, true});
    sim.start();
    {
        SimClient c(sim.port());
        EXPECT_TRUE(c.request(cmdTIMEGET, {}, 1));
    }
    EXPECT_TRUE(sim.waitStopped(3000));
    EXPECT_EQ(sim.clientsServed(), 1u);
}

}  // namespace
}  // namespace zt::sim
