// The connection test, the operations and the windows as the host runs them:
// the plug-in loaded with dlopen, the register simulator on TCP/IP and on a
// pseudo-terminal.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "platform/cp1250.h"
#include "register_fixture.h"
#include "sim/register_simulator.h"

using zt::pl;
using ztest::api;
using ztest::FakeHost;
using ztest::RegisterOnTcp;
using namespace zt::sim;

namespace {

const std::string S(1, '\x01');

class WithRegister : public RegisterOnTcp {
protected:
    WithRegister() : RegisterOnTcp(defaultRegisterState(), "zt-e2e") {}

    void SetUp() override {
        RegisterOnTcp::SetUp();
        host.params["ComboDedbug"] = "0";
        host.registerAll();
    }
    bool has(const std::string& line) const {
        for (const auto& m : host.messages)
            if (m.text == line) return true;
        return false;
    }
    std::string dump() const {
        std::string s;
        for (const auto& m : host.messages)
            s += std::to_string(m.kind) + (m.status ? "S " : "  ") + zt::toUtf8(m.text) + "\n";
        return s;
    }
};

}  // namespace

TEST_F(WithRegister, ConnectionTestOverTcpShowsTheRegister) {
    EXPECT_EQ(host.run(-1), 0);
    EXPECT_TRUE(host.lines(2).empty()) << dump();
    const std::vector<std::string> want = {
        pl("Nawiązano połączenie z kasą NEO XL 3.01"),
        pl("Odczyt nagłówka..."),
        pl("- linia 2: ul. Długa 1"),
        "- A: 23.00%",
        "- D: 0.00%",
        "- E: zw",
        "- F: -",
        "- 2024-05-06 12:30:00",
        pl("- typ protokołu komunikacyjnego: NEO XL 3.01"),
        "- numer kasy: 1",
        "- tryb pracy: FISKALNY",
        "- data i czas fiskalizacji: 2012-02-03 7:05:09",
        "- NIP: 5260250274",
        "- wersja firmware(oprogramowania): 3.01.07",
        pl("- stan totalizerów: NIEZEROWE"),
        pl("- rozmiar bazy opakowań::") + S + "0",
        pl("- ilość zaprogramowanych formatów kodów::") + S + "0",
        pl("Weryfikacja zaprogramowanych form płatności"),
        " - kasa o numerze: 1",
    };
    for (const auto& w : want) EXPECT_TRUE(has(w)) << zt::toUtf8(w) << "\n" << dump();
    // Twenty database counters, each shown as a counting line.
    int counters = 0;
    for (const auto& m : host.lines(0))
        if (m.find("::" + S + "0") != std::string::npos) ++counters;
    EXPECT_EQ(counters, 20);
    const auto st = host.lines(-1, true);
    EXPECT_NE(std::find(st.begin(), st.end(), pl("- rozmiar bazy PLU::") + S + "20000"), st.end());
}

TEST_F(WithRegister, ConnectionTestOverTheSerialLine) {
    host.params["ComboPort"] = sim.ptyPath();
    EXPECT_EQ(host.run(-1), 0);
    EXPECT_TRUE(host.lines(2).empty()) << dump();
    EXPECT_TRUE(has(pl("Otwieranie portu komunikacyjnego ") + sim.ptyPath() + " ...")) << dump();
    EXPECT_TRUE(has("- A: 23.00%"));
    // The port is released: the next operation opens it again at once.
    host.messages.clear();
    EXPECT_EQ(host.run(-1), 0);
    EXPECT_TRUE(host.lines(2).empty()) << dump();
}

TEST_F(WithRegister, ARegisterWithAnotherNumberFailsTheTest) {
    host.registerNo = 12;
    host.run(-1);
    const auto errors = host.lines(2);
    ASSERT_GE(errors.size(), 2u) << dump();
    EXPECT_EQ(errors[errors.size() - 2], pl("Podczas wykonywania operacji 'test połączenia' wystąpił błąd:"));
    EXPECT_EQ(errors.back(), pl("Niezgodny numer urządzenia!"));
    EXPECT_TRUE(has(" - kasa o numerze: 1"));
}

TEST_F(WithRegister, ARegisterThatDoesNotAnswer) {
    Faults f;
    f.noAnswer = FaultAt{1, 0};
    sim.setFaults(f);
    host.run(-1);
    EXPECT_TRUE(has(pl("Błąd podczas odczytu typu kasy. Przyjęto domyślnie Combo"))) << dump();
    const auto errors = host.lines(2);
    ASSERT_FALSE(errors.empty()) << dump();
    EXPECT_EQ(errors.back(), pl("Błąd komunikacji z kasą"));
}

TEST_F(WithRegister, FileTransportRefusesTheTest) {
    host.params["ComboPort"] = "PLIK";
    host.run(-1);
    ASSERT_FALSE(host.lines(2).empty());
    EXPECT_EQ(host.lines(2).back(), pl("Ustawione złącze PLIK. Kasa nie obsługuje testu połączenia z plikiem!"));
}

TEST_F(WithRegister, OperationsTheRegisterDoesNotRunOnItsOwn) {
    host.run(-4);
    EXPECT_EQ(host.lines(2).back(), pl("Wykonaj normalny import z kasy z włączonym importem par. szczegółowych"));
    for (int op : {-7, -9}) {
        host.messages.clear();
        host.run(op);
        EXPECT_EQ(host.lines(2).back(), pl("Urządzenie nie obsługuje zleconego typu operacji")) << op;
    }
    host.messages.clear();
    EXPECT_EQ(host.run(-8, 9), 0);
    EXPECT_TRUE(host.messages.empty()) << dump();
    EXPECT_EQ(sim.journal().size(), 0u);
}

TEST_F(WithRegister, WindowOperationsCheckThePortFirst) {
    host.params["ComboPort"] = "PLIK";
    for (int w : {1, 2, 5}) {
        host.messages.clear();
        host.run(-8, w);
        EXPECT_EQ(host.lines(2).back(), "Ustaw port komunikacyjny") << w;
    }
    host.params["ComboPort"] = "TCP/IP";
    for (int w : {3, 4}) {
        host.messages.clear();
        host.run(-8, w);
        EXPECT_EQ(host.lines(2).back(), pl("Ustaw złącze na COMx")) << w;
    }
    EXPECT_EQ(sim.journal().size(), 0u);
}

TEST_F(WithRegister, ResetSalClearsTheSalesCounters) {
    ASSERT_GT(sim.state().goods.at(0).salesValue + sim.state().goods.at(1).salesValue, 0);
    host.run(-8, 1);
    EXPECT_TRUE(host.lines(2).empty()) << dump();
    EXPECT_TRUE(has(pl("Zerowanie sprzedaży towarów na kasie...") + S + "OK") ||
                has(pl("Zerowanie sprzedaży towarów na kasie...")));
    for (const auto& g : sim.state().goods) EXPECT_EQ(g.salesValue, 0) << g.plu;
    for (const auto& p : sim.state().packages) EXPECT_EQ(p.valueSold, 0) << p.number;
    EXPECT_FALSE(sim.state().goods.empty());
}

TEST_F(WithRegister, ResetAllClearsTheGoodsBase) {
    host.run(-8, 2);
    EXPECT_TRUE(host.lines(2).empty()) << dump();
    EXPECT_TRUE(sim.state().goods.empty());
    EXPECT_TRUE(sim.state().packages.empty());
    EXPECT_TRUE(has(pl("Czyszczenie bazy opakowań...")));
}

TEST_F(WithRegister, CommunicationReportWaitsForTheComplexSequence) {
    sim.setComplexDelayMs(300);
    host.run(-8, 5);
    EXPECT_TRUE(host.lines(2).empty()) << dump();
    const std::string label = "Czekaj na wykonanie raportu na kasie...";
    EXPECT_TRUE(has(label + ":" + S + "0")) << dump();
    EXPECT_EQ(sim.journal().count(1171), 1u);
    // Each attempt to receive the final answer counts five; the line ends in OK.
    int last = 0;
    for (const auto& line : host.lines(-1, true)) {
        if (line.rfind(label + ":" + S, 0) != 0) continue;
        const int n = std::stoi(line.substr(label.size() + 2));
        EXPECT_EQ(n, last + 5) << zt::toUtf8(line);
        last = n;
    }
    EXPECT_GT(last, 0);
    const auto st = host.lines(-1, true);
    EXPECT_NE(std::find(st.begin(), st.end(), label + S + "OK"), st.end());
}

TEST_F(WithRegister, WindowsHandTheHostTheirOperation) {
    for (int w = 1; w <= 5; ++w) {
        std::int32_t op = -1;
        char name[301] = "";
        EXPECT_EQ(api().PokazOkno(host.lib, 1, w, 1, &op, name), 1) << w;
        EXPECT_EQ(op, w);
        EXPECT_NE(name[0], 0);
    }
    std::int32_t op = -1;
    char name[301] = "x";
    EXPECT_EQ(api().PokazOkno(host.lib, 1, 7, 1, &op, name), 0);
    EXPECT_EQ(op, -1);
    EXPECT_STREQ(name, "x");
    EXPECT_EQ(api().PokazOkno(host.lib, 1, 1, 1, &op, name), 1);
    EXPECT_EQ(std::string(name), pl("Zerowanie danych o sprzedaży"));
}

TEST_F(WithRegister, VatWindowStoresTheOrderAndLeavesTheOutArguments) {
    host.vatWhole = {23, 8, 5, 0};
    setenv("ZTCOMBO_DIALOG_SCRIPT", "select 0 3;select 1 4;ok", 1);
    std::int32_t op = -7;
    char name[301] = "x";
    EXPECT_EQ(api().PokazOkno(host.lib, 1, 0, 1, &op, name), 0);
    unsetenv("ZTCOMBO_DIALOG_SCRIPT");
    EXPECT_EQ(op, -7);
    EXPECT_STREQ(name, "x");
    EXPECT_EQ(host.written["ZT_Combo_PosortowaneStawkiVatPrec"],
              "800\r\n2300\r\n500\r\n0\r\n-999\r\n-999\r\n-999\r\n-999\r\n-999\r\n-999");
    host.written.clear();
    setenv("ZTCOMBO_DIALOG_SCRIPT", "select 0 1;cancel", 1);
    api().PokazOkno(host.lib, 1, 0, 1, &op, name);
    unsetenv("ZTCOMBO_DIALOG_SCRIPT");
    EXPECT_TRUE(host.written.empty());
}

TEST_F(WithRegister, TheHostsStopEndsTheGoodsBaseClearingBeforeItStarts) {
    host.abortAfter = 0;
    host.run(-8, 2);
    const auto errors = host.lines(2);
    ASSERT_FALSE(errors.empty()) << dump();
    EXPECT_EQ(errors.back(), pl("Operacja przerwana przez użytkownika"));
    EXPECT_FALSE(sim.state().goods.empty());
    EXPECT_EQ(sim.journal().count(2150), 0u);
    EXPECT_GE(host.abortQueries, 1);
}
