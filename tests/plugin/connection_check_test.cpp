// The connection test on the driver's action: the lines it shows, in order,
// what a wrong payment form or a short answer does, and a failed hang-up at
// its end.
#include "drivers/combo/connection_check.h"
#include "tests/support/register_script.h"

namespace ztlink {
namespace {

using zt::pl;
const std::string SEP(1, zt::kProgressSep);

class ConnectionTest : public OperationTest {};

TEST_F(ConnectionTest, ConnectionTestShowsEveryItemInOrder) {
    host.params["ComboPort"] = "COM2";
    auto& a = combo();
    zt::TestConnection(a);
    std::vector<std::string> list = host.list();
    const std::vector<std::string> head = {
        pl("Zdalne zablokowanie serwera Posnet (SKP)"),
        "Otwieranie portu komunikacyjnego COM2 ...",
        pl("Nawiązano połączenie z kasą NEO XL 3.01"),
        pl("Odczyt nagłówka..."),
        "- linia 1: Sklep",
        pl("- linia 2: ul. Długa 1"),
        "Odczyt stawek VAT...",
        "- A: 23.00%",
        "- B: zw",
        "- C: -",
        "Odczyt daty i czasu...",
        "- 2012-02-03 07:05:09",
        "Odczyt statusu kasy...",
        pl("- typ protokołu komunikacyjnego: NEO XL 3.01"),
        "- numer kasy: 1",
        "- numer zalogowanego operatora: 3",
        "- tryb pracy: FISKALNY",
        "- data i czas fiskalizacji: 2012-02-03 7:05:09",
        "- NIP: 5260250274",
        "- numer unikatowy: ABC123",
        "- wersja firmware(oprogramowania): 3.01",
        "Odczyt statusu baz kasy...",
        pl("- stan totalizerów: NIEZEROWE"),
    };
    ASSERT_GE(list.size(), head.size() + 20);
    EXPECT_EQ(std::vector<std::string>(list.begin(), list.begin() + head.size()), head);
    // Twenty counting lines, each with its own value.
    EXPECT_TRUE(shownLine(pl("S0 - rozmiar bazy opakowań::") + SEP + "100"));
    EXPECT_TRUE(shownLine(pl("S0 - ilość zaprogramowanych formatów kodów::") + SEP + "119"));
    const std::vector<std::string> tail = {
        pl("Weryfikacja zaprogramowanych form płatności"),
        "Odczyt numeru kasy...",
        " - kasa o numerze: 1",
        "Zamykanie portu komunikacyjnego ...",
        pl("Zdalne odblokowanie serwera Posnet (SKP)"),
    };
    EXPECT_EQ(std::vector<std::string>(list.end() - tail.size(), list.end()), tail);
    // The verification is a step of its own and closes its line.
    EXPECT_TRUE(shownLine(pl("S0 Weryfikacja zaprogramowanych form płatności") + SEP + "OK"));
}

TEST_F(ConnectionTest, WrongPaymentFormOnlyWarnsInTheConnectionTest) {
    host.params["ComboPort"] = "COM2";
    Register reg;
    reg.wrongForm = 5;
    auto& a = combo(reg);
    EXPECT_EQ(raised([&] { zt::TestConnection(a); }), "");
    EXPECT_EQ(host.list(1), std::vector<std::string>{pl("Forma płatności nr 5 powinna być typu \"Czek\"")});
    EXPECT_EQ(host.list(2), std::vector<std::string>{pl("Kasa jest w trybie fiskalnym. Formy płatności należy "
                                                        "zaprogramować ręcznie zgodnie z powyższymi zaleceniami.")});
    EXPECT_TRUE(host.has(" - kasa o numerze: 1"));
}

TEST_F(ConnectionTest, ShortDatabaseAnswerEndsOnTheMissingCounter) {
    host.params["ComboPort"] = "COM2";
    Register reg;
    reg.dbCounters = 3;  // fields 2 to 4
    auto& a = combo(reg);
    EXPECT_NE(raised([&] { zt::TestConnection(a); }), "");
    // The counters that came are shown before the test ends; the line of the
    // missing one is closed with the error.
    EXPECT_TRUE(shownLine(pl("S0 - rozmiar bazy klawiszy::") + SEP + "102"));
    EXPECT_TRUE(shownLine(pl("S2 - ilość zaprogramowanych klawiszy:")));
    EXPECT_EQ(host.list().back(), pl("Zdalne odblokowanie serwera Posnet (SKP)"));
}

TEST_F(ConnectionTest, FailedHangUpDoesNotHideTheFailureThatEndedTheTest) {
    Register reg;
    reg.refuse = zt::cmdHEADERGET;
    PtyPeer peer(reg, [](const std::string& command) {
        if (command.rfind("ATDT", 0) == 0) return std::string("\r\nCONNECT 9600\r\n");
        if (command == "ATH") return std::string("\r\nERROR\r\n");
        return std::string("\r\nOK\r\n");
    });
    factory->useFake = false;
    factory->carrierOnPty = true;
    host.params["ComboPort"] = peer.path();
    host.params["ComboModemPhone"] = "0221234567";
    host.params["ComboModemTimeout"] = "60";
    combo_ = std::make_unique<zt::TZTComboAction>(lib, 1, factory);
    combo_->WczytajKonfiguracje();
    const int fds = openDescriptors();
    EXPECT_EQ(raised([&] { zt::TestConnection(*combo_); }),
              pl("Kasa zgłosiła błąd wykonania: [W904] - baza jest pusta"));
    EXPECT_EQ(peer.commands().back(), "ATH");
    EXPECT_EQ(openDescriptors(), fds);  // the port is closed all the same
}

}  // namespace
}  // namespace ztlink
