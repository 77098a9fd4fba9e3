// The service operations on the driver's action: the lines they show, in
// order, and the register given back when the line does not open or a command
// is refused.
#include <functional>

#include "drivers/service/service_windows.h"
#include "tests/support/register_script.h"

namespace ztlink {
namespace {

using zt::pl;
const std::string SEP(1, zt::kProgressSep);

class ServiceOpsTest : public OperationTest {};

TEST_F(ServiceOpsTest, WindowOperationsGiveTheRegisterBackWhenTheLineDoesNotOpen) {
    host.params["ComboPort"] = "TCP/IP";
    const std::function<void(zt::TZTComboAction&)> ops[] = {
        [](zt::TZTComboAction& a) { zt::ResetSal(a); },
        [](zt::TZTComboAction& a) { zt::ResetAll(a, true); },
        [](zt::TZTComboAction& a) { zt::CommunicationReport(a); },
    };
    for (const auto& op : ops) {
        host.messages.clear();
        auto& a = combo();
        factory->prepare = [](zt::FakeTransport& t) { t.failNextOpen("connection refused"); };
        EXPECT_NE(raised([&] { op(a); }), "");
        // Unlocked by the operation itself, not later by the action's end.
        const auto list = host.list();
        ASSERT_FALSE(list.empty());
        EXPECT_EQ(list.back(), pl("Zdalne odblokowanie serwera Posnet (SKP)"));
        EXPECT_TRUE(shownLine(pl("S2 Nawiązywanie połączenia TCP/IP...")));
        combo_.reset();
    }
}

TEST_F(ServiceOpsTest, ServiceOperationLinesInOrder) {
    host.params["ComboPort"] = "COM2";
    zt::ResetSal(combo());
    std::vector<std::string> list = host.list();
    const std::vector<std::string> want = {
        pl("Zdalne zablokowanie serwera Posnet (SKP)"), "Otwieranie portu komunikacyjnego COM2 ...",
        pl("Nawiązano połączenie z kasą NEO XL 3.01"),  pl("Zerowanie sprzedaży towarów na kasie..."),
        pl("Zerowanie sprzedaży opakowań na kasie..."), "Zamykanie portu komunikacyjnego ...",
        pl("Zdalne odblokowanie serwera Posnet (SKP)"),
    };
    EXPECT_EQ(list, want);
    const auto sent = factory->fake->sends();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(zt::frameCommand(zt::unstuff(sent[1])), zt::cmdPLUSTATCLEARALL);
    EXPECT_EQ(zt::unstuff(sent[1]).substr(13, 4), (std::string{'B', '\x01', 'B', '\x01'}));
    EXPECT_EQ(zt::frameCommand(zt::unstuff(sent[2])), zt::cmdPACKSTATCLEARALL);

    // A refusal closes its line with the error and still closes the link.
    host.messages.clear();
    Register reg;
    reg.refuse = zt::cmdPACKDELALL;
    EXPECT_EQ(raised([&] { zt::ResetAll(combo(reg), true); }),
              pl("Kasa zgłosiła błąd wykonania: [W904] - baza jest pusta"));
    EXPECT_TRUE(shownLine(pl("S0 Czyszczenie bazy towarów...") + SEP + "OK"));
    EXPECT_TRUE(shownLine(pl("S2 Czyszczenie bazy opakowań...")));
    EXPECT_EQ(host.list().back(), pl("Zdalne odblokowanie serwera Posnet (SKP)"));
}

}  // namespace
}  // namespace ztlink
