// The connection test and the window operations on the driver's action: the
// lines they show, in order, and what happens when opening or closing fails.
#include "export/payment_forms.h"
#include "import/service_ops.h"
#include "plugin/connection_test.h"
#include "link_support.h"
#include "platform/translation.h"
#include "plugin/combo_action.h"
#include "plugin/module.h"

namespace ztlink {
namespace {

using zt::pl;
using F = zt::TComboFraming;
const std::string SEP(1, zt::kProgressSep);

// A register of family 10 (NEO XL 3.01), fiscal, number 1, whose payment
// forms are as the driver wants them unless wrongForm says otherwise.
struct Register {
    int wrongForm = 0;     // a payment form of the wrong type
    int dbCounters = 20;   // DBSTATUSGET fields 2.. that are sent
    int refuse = 0;        // a command answered with the execution error 904

    std::string operator()(const std::string& req, int) const {
        const std::uint16_t code = zt::frameCommand(req);
        if (code == refuse) return statusFrame(req, 0, 904);
        std::vector<std::string> f;
        switch (code) {
            case zt::cmdHEADERGET: f = {F::EncodeB(2), F::EncodeS("x"), F::EncodeS("Sklep"), F::EncodeS("y"),
                                        F::EncodeS(pl("ul. Długa 1"))}; break;
            case zt::cmdVATGET: f = {F::EncodeV(2300), F::EncodeV(0xFFFE), F::EncodeV(0xFFFF)}; break;
            case zt::cmdDATEGET: f = {F::EncodeB(3), F::EncodeB(2), F::EncodeV(2012)}; break;
            case zt::cmdTIMEGET: f = {F::EncodeB(7), F::EncodeB(5), F::EncodeB(9)}; break;
            case zt::cmdCASHREGSTATUSGET:
                f = {F::EncodeB(29), F::EncodeS("1"), F::EncodeV(3), F::EncodeB(1)};
                for (int i = 4; i < 7; ++i) f.push_back(F::EncodeB(0));
                f.insert(f.end(), {F::EncodeB(3), F::EncodeB(2), F::EncodeV(2012), F::EncodeB(7), F::EncodeB(5),
                                   F::EncodeB(9)});
                for (int i = 13; i < 19; ++i) f.push_back(F::EncodeB(0));
                f.insert(f.end(), {F::EncodeS("5260250274"), F::EncodeS("ABC123"), F::EncodeS("3.01")});
                break;
            case zt::cmdDBSTATUSGET:
                f = {F::EncodeB(0), F::EncodeB(1)};
                for (int i = 0; i < dbCounters; ++i) f.push_back(F::EncodeV(static_cast<std::uint16_t>(100 + i)));
                break;
            case zt::cmdPAYFORMREAD: {
                const int n = static_cast<std::uint8_t>(req[14]);  // V form number, low byte
                const int type = n == wrongForm ? 0 : zt::RequiredPaymentFormType(n);
                f = {F::EncodeV(static_cast<std::uint16_t>(n)), F::EncodeS("forma"),
                     F::EncodeB(static_cast<std::uint8_t>(type)), F::EncodeV(0), F::EncodeS(""), F::EncodeN(1)};
                break;
            }
            case zt::cmdCASHREGPARGET: f = {F::EncodeS("1")}; break;
            default: f = {};
        }
        return answerFrame(req, code, f);
    }
};

class ReviewTest : public LinkTest {
protected:
    ReviewTest() {
        factory->useFake = true;
        host.params["ComboEdiFolder"] = dir() + "/EDI";
        std::filesystem::create_directories(dir() + "/EDI");
    }
    // The driver's action over the recording fake, its configuration read.
    zt::TZTComboAction& combo(const Register& reg = {}) {
        factory->prepare = [reg](zt::FakeTransport& t) { playOn(t, reg); };
        combo_ = std::make_unique<zt::TZTComboAction>(lib, 1, factory);
        combo_->WczytajKonfiguracje();
        return *combo_;
    }
    ~ReviewTest() override { combo_.reset(); }
    // Every line the host was shown, in order: the list (12) and the status line (13).
    std::vector<std::string> shown() const {
        std::vector<std::string> out;
        for (const auto& m : host.messages) out.push_back((m.status ? "S" : "L") + std::to_string(m.kind) + " " + m.text);
        return out;
    }
    bool shownLine(const std::string& line) const {
        const auto all = shown();
        return std::find(all.begin(), all.end(), line) != all.end();
    }
    std::unique_ptr<zt::TZTComboAction> combo_;
};

TEST_F(ReviewTest, ConnectionTestShowsEveryItemInOrder) {
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

TEST_F(ReviewTest, WrongPaymentFormOnlyWarnsInTheConnectionTest) {
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

TEST_F(ReviewTest, ShortDatabaseAnswerEndsOnTheMissingCounter) {
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

TEST_F(ReviewTest, WindowOperationsGiveTheRegisterBackWhenTheLineDoesNotOpen) {
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

TEST_F(ReviewTest, ServiceOperationLinesInOrder) {
    host.params["ComboPort"] = "COM2";
    zt::ResetSal(combo());
    std::vector<std::string> list = host.list();
    const std::vector<std::string> want = {
        pl("Zdalne zablokowanie serwera Posnet (SKP)"),
        "Otwieranie portu komunikacyjnego COM2 ...",
        pl("Nawiązano połączenie z kasą NEO XL 3.01"),
        pl("Zerowanie sprzedaży towarów na kasie..."),
        pl("Zerowanie sprzedaży opakowań na kasie..."),
        "Zamykanie portu komunikacyjnego ...",
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

TEST_F(ReviewTest, FailedHangUpDoesNotHideTheFailureThatEndedTheTest) {
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
    EXPECT_EQ(raised([&] { zt::TestConnection(*combo_); }), pl("Kasa zgłosiła błąd wykonania: [W904] - baza jest pusta"));
    EXPECT_EQ(peer.commands().back(), "ATH");
    EXPECT_EQ(openDescriptors(), fds);  // the port is closed all the same
}

// A host translation whose template reads another conversion than the
// default's must not decide how the port name is read.
std::int32_t ZT_HOST_STDCALL numberTemplate(char* out, std::int32_t size, const char*, const char* key) {
    if (std::string(key) != "SComboOpenRS23msgsprintf") return 0;
    std::snprintf(out, static_cast<std::size_t>(size), "%s", "Port %d ...");
    return 1;
}

TEST_F(ReviewTest, TranslatedPortTemplateMustKeepItsConversion) {
    zt::TMLgExtTools translation(numberTemplate);
    zt::setModuleTranslation(&translation);
    struct Restore {
        ~Restore() { zt::setModuleTranslation(nullptr); }
    } restore;
    auto& l = link(serialConfig("COM4"));
    l.OpenSerial();
    EXPECT_EQ(host.list(), std::vector<std::string>{"Otwieranie portu komunikacyjnego COM4 ..."});
    l.CloseLink();
}

}  // namespace
}  // namespace ztlink
