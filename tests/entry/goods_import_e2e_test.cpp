// The register's goods taken into the host (window operation 6) as the host
// runs it: the plug-in loaded with dlopen, the simulator on TCP/IP.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

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

// The default register plus goods that meet every gap of the lookups.
RegisterState goodsRegister() {
    RegisterState s = defaultRegisterState();
    PluRecord water;
    water.plu = 5, water.name = "Woda", water.barcode = "5900000000055", water.price = 150;
    water.vatSlot = 4, water.group = 9, water.unit = 9, water.package = 7, water.extraBarcodes = {"111", "222"};
    PluRecord juice;
    juice.plu = 6, juice.name = "Sok", juice.barcode = "5900000000062", juice.price = 200;
    juice.vatSlot = 5, juice.group = 1, juice.unit = 1;
    PluRecord sugar;
    sugar.plu = 7, sugar.name = "Cukier", sugar.barcode = "5900000000079", sugar.price = 320;
    sugar.vatSlot = 8, sugar.group = 1, sugar.unit = 1;
    s.putPlu(water);
    s.putPlu(juice);
    s.putPlu(sugar);
    return s;
}

class GoodsImport : public RegisterOnTcp {
protected:
    GoodsImport() : RegisterOnTcp(goodsRegister(), "zt-goods") {}

    void SetUp() override {
        RegisterOnTcp::SetUp();
        host.params["ComboDedbug"] = "0";
        // What a host holds for the import's options nobody has set.
        host.params["ComboImportOverWrite"] = "FALSE";
        host.params["ComboImportLogSave"] = "TRUE";
    }
    void import() {
        host.registerAll();
        host.run(-8, 6);
    }
    std::string logPath() const { return dir.string() + "/import.log"; }
    std::string log() const {
        std::ifstream in(logPath(), std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    bool has(const std::string& line, bool status = false) const {
        for (const auto& m : host.messages)
            if (m.text == line && m.status == status) return true;
        return false;
    }
    int count(const std::string& line) const {
        return static_cast<int>(std::count_if(host.messages.begin(), host.messages.end(),
                                              [&](const ztest::Message& m) { return m.text == line; }));
    }
    std::string dump() const {
        std::string s;
        for (const auto& m : host.messages)
            s += std::to_string(m.kind) + (m.status ? "S " : "  ") + zt::toUtf8(m.text) + "\n";
        return s;
    }
};

struct Want {
    const char* name;
    int plu;
    const char* codes;
    const char* group;
    const char* unit;
    int vat;
    long double price;
    int openPrice, package;
    const char* packageCode;
};

// Packages first, then goods in PLU order; the set (PLU 10) never reaches the host.
const Want kRecords[] = {
    {"Butelka 0,5 l", 1, "1", "OPAKOWANIA", "opak", -1, 0.50L, 0, 1, ""},
    {"Skrzynka", 2, "2", "OPAKOWANIA", "opak", -1, 15.00L, 0, 1, ""},
    {"Chleb żytni", 1, "5900000000017", "Pieczywo", "szt.", 500, 4.50L, 0, 0, ""},
    {"Mleko 3,2% 1 l", 2, "5900000000024;5900000000031", "Nabiał", "litr", 500, 3.29L, 0, 0, "1"},
    {"Jabłka luz", 3, "2800003", "Owoce i warzywa", "kg", 500, 3.99L, 1, 0, ""},
    {"Piwo jasne 0,5 l", 4, "5900000000048", "Nabiał", "szt.", 2300, 3.99L, 0, 0, "1"},
    // zw, unknown group, unit and package, two additional barcodes
    {"Woda", 5, "5900000000055;111;222", "", "", -1, 1.50L, 0, 0, ""},
    {"Sok", 6, "5900000000062", "Pieczywo", "szt.", 0, 2.00L, 0, 0, ""},      // an inactive slot
    {"Cukier", 7, "5900000000079", "Pieczywo", "szt.", -1, 3.20L, 0, 0, ""},  // no rate for the slot
};

}  // namespace

TEST_F(GoodsImport, EveryPackageAndGoodsRecordReachesTheHostAsTheRegisterHasIt) {
    import();
    EXPECT_TRUE(host.lines(2).empty()) << dump();
    ASSERT_EQ(host.goods.size(), std::size(kRecords)) << dump();
    for (std::size_t i = 0; i < host.goods.size(); ++i) {
        const auto& g = host.goods[i];
        const auto& w = kRecords[i];
        SCOPED_TRACE(w.name);
        EXPECT_EQ(g.name, pl(w.name));
        EXPECT_EQ(g.plu, w.plu);
        EXPECT_EQ(g.codes, w.codes);
        EXPECT_EQ(g.overwrite, 0);
        EXPECT_EQ(g.group, pl(w.group));
        EXPECT_EQ(g.unit, pl(w.unit));
        EXPECT_EQ(g.vat, w.vat);
        // The nearest extended to the price, on all four levels; the two bytes past the ten unused.
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(g.prices[k], w.price) << k;
            EXPECT_EQ(g.raw[k].w[2] >> 16, 0u);
        }
        EXPECT_EQ(g.openPrice, w.openPrice);
        EXPECT_EQ(g.package, w.package);
        EXPECT_EQ(g.packageCode, w.packageCode);
    }
    EXPECT_TRUE(has(pl("Import towarów z kasy")));
    EXPECT_TRUE(has(pl(" - trwa odczyt stawek VAT...") + S + "OK", true)) << dump();
    EXPECT_TRUE(has(pl(" - trwa odczyt asortymentów...:") + S + "3", true));
    EXPECT_TRUE(has(pl(" - trwa odczyt jednostek miary...:") + S + "3", true));
    EXPECT_TRUE(has(pl(" - trwa odczyt opakowań...:") + S + "2", true));
    EXPECT_TRUE(has(pl(" - trwa odczyt towarów...")));
    EXPECT_TRUE(has(pl("Odczytano towarów:") + S + "7", true)) << dump();
    EXPECT_TRUE(has(pl(" - pominiętych (w tym 0 z błędem):") + S + "0"));
    EXPECT_TRUE(has(pl(" - dodanych:") + S + "7", true));
    EXPECT_TRUE(has(pl(" - zaktualizowanych:") + S + "0"));
    EXPECT_EQ(count(pl(" - odczyt towarów kontynuowany...")), 0);
    EXPECT_TRUE(has(pl("Zapis logu importu do pliku: ") + logPath()));
    // The link is closed: the register takes the next operation at once.
    host.messages.clear();
    host.run(-1);
    EXPECT_TRUE(host.lines(2).empty()) << dump();
}

TEST_F(GoodsImport, TheHostsAnswersAreCountedAndLogged) {
    host.params["ComboImportOverWrite"] = " TRUE ";
    host.goodsAnswer = [](int plu, bool package) {
        if (package) return 2;
        switch (plu) {
            case 3: return 0;
            case 4: return -1;
            case 5: return 9;
            case 2: return 2;
            default: return 1;
        }
    };
    import();
    EXPECT_TRUE(host.lines(2).empty()) << dump();
    for (const auto& g : host.goods) EXPECT_EQ(g.overwrite, 1);
    EXPECT_TRUE(has(pl("Odczytano towarów:") + S + "7", true)) << dump();
    EXPECT_TRUE(has(pl(" - pominiętych (w tym 1 z błędem):") + S + "2", true));
    EXPECT_TRUE(has(pl(" - dodanych:") + S + "3", true));
    EXPECT_TRUE(has(pl(" - zaktualizowanych:") + S + "1", true));  // packages are not counted
    // One line after the skipped record and one after the failed one, in place.
    EXPECT_EQ(count(pl(" - odczyt towarów kontynuowany...")), 2);
    const std::string text = log();
    for (const char* line :
         {"Butelka 0,5 l,1,1,OPAKOWANIA,opak,-1,0.50,Nie,Tak,BRAK,AKTUALIZACJA\r\n",
          "Mleko 3,2% 1 l,2,5900000000024;5900000000031,Nabiał,litr,500,3.29,Nie,Nie,1,AKTUALIZACJA\r\n",
          "Jabłka luz,3,2800003,Owoce i warzywa,kg,500,3.99,Tak,Nie,BRAK,POMINIETY\r\n",
          "Piwo jasne 0,5 l,4,5900000000048,Nabiał,szt.,2300,3.99,Nie,Nie,1,BLAD\r\n",
          "Woda,5,5900000000055;111;222,NIE_ZDEFINIOWANO,NIE_ZDEFINIOWANO,-1,1.50,Nie,Nie,BRAK,NIEZNANY\r\n"})
        EXPECT_NE(text.find(pl(line)), std::string::npos) << line << "\n" << zt::toUtf8(text);
}

TEST_F(GoodsImport, AHostWithoutTheGoodsCallbackFailsEveryRecordButTheRunGoesOn) {
    host.goodsCallback = false;
    import();
    EXPECT_TRUE(host.lines(2).empty()) << dump();
    EXPECT_TRUE(has(pl(" - pominiętych (w tym 7 z błędem):") + S + "7", true)) << dump();
    EXPECT_TRUE(has(pl(" - dodanych:") + S + "0"));
    EXPECT_EQ(count(pl(" - odczyt towarów kontynuowany...")), 7);
    EXPECT_NE(log().find(pl("Chleb żytni,1,5900000000017,Pieczywo,szt.,500,4.50,Nie,Nie,BRAK,BLAD\r\n")),
              std::string::npos);
}

TEST_F(GoodsImport, EachRunAppendsItsOwnBlockToTheLog) {
    const std::string block =
        "\r\n------------ [IMPORT WYKONANY DNIA: @] ------------\r\n"
        "<NAZWA_TOWARU>,<PLU>,<KODY>,<ASORTYMENT>,<JEDNOSTA_MIARY>,<STAWKA>,<CENA>,<CENA_OTWARTA>,<OPAKOWANIE>,"
        "<KOD_OPAKOWANIA>,<WYNIK_OPERACJI>\r\n"
        "Butelka 0,5 l,1,1,OPAKOWANIA,opak,-1,0.50,Nie,Tak,BRAK,DODANO\r\n"
        "Skrzynka,2,2,OPAKOWANIA,opak,-1,15.00,Nie,Tak,BRAK,DODANO\r\n"
        "Chleb żytni,1,5900000000017,Pieczywo,szt.,500,4.50,Nie,Nie,BRAK,DODANO\r\n"
        "Mleko 3,2% 1 l,2,5900000000024;5900000000031,Nabiał,litr,500,3.29,Nie,Nie,1,DODANO\r\n"
        "Jabłka luz,3,2800003,Owoce i warzywa,kg,500,3.99,Tak,Nie,BRAK,DODANO\r\n"
        "Piwo jasne 0,5 l,4,5900000000048,Nabiał,szt.,2300,3.99,Nie,Nie,1,DODANO\r\n"
        "Woda,5,5900000000055;111;222,NIE_ZDEFINIOWANO,NIE_ZDEFINIOWANO,-1,1.50,Nie,Nie,BRAK,DODANO\r\n"
        "Sok,6,5900000000062,Pieczywo,szt.,0,2.00,Nie,Nie,BRAK,DODANO\r\n"
        "Cukier,7,5900000000079,Pieczywo,szt.,-1,3.20,Nie,Nie,BRAK,DODANO\r\n";
    import();
    host.run(-8, 6);
    EXPECT_TRUE(host.lines(2).empty()) << dump();
    // The dates are the run's own: checked for their form, then compared as the rest.
    std::string text = log();
    const std::regex date("DNIA: (\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2})\\]");
    int dates = 0;
    for (std::smatch m; std::regex_search(text, m, date); ++dates)
        text.replace(static_cast<std::size_t>(m.position(1)), static_cast<std::size_t>(m.length(1)), "@");
    EXPECT_EQ(dates, 2);
    EXPECT_EQ(text, pl(block) + pl(block));
}

TEST_F(GoodsImport, WithLoggingOffNothingIsWritten) {
    for (const char* off : {"FALSE", "true", "1", ""}) {
        host.params["ComboImportLogSave"] = off;
        host.messages.clear();
        import();
        EXPECT_TRUE(host.lines(2).empty()) << dump();
        EXPECT_FALSE(std::filesystem::exists(logPath())) << off;
        EXPECT_TRUE(has(pl(" - dodanych:") + S + "7", true));
        for (const auto& m : host.messages) EXPECT_EQ(m.text.find(pl("Zapis logu")), std::string::npos);
    }
}

TEST_F(GoodsImport, TheHostsStopEndsTheRunWithoutALog) {
    host.registerAll();
    host.run(-8, 6);
    const int queries = host.abortQueries;
    ASSERT_GT(queries, 10);
    std::filesystem::remove(logPath());
    host.messages.clear();
    host.goods.clear();
    host.abortQueries = 0;
    host.abortAfter = queries - 4;  // among the goods
    host.run(-8, 6);
    const auto errors = host.lines(2);
    ASSERT_FALSE(errors.empty()) << dump();
    EXPECT_EQ(errors.back(), pl("Operacja przerwana przez użytkownika"));
    EXPECT_GT(host.goods.size(), 2u);
    EXPECT_LT(host.goods.size(), std::size(kRecords));
    EXPECT_FALSE(std::filesystem::exists(logPath()));
    EXPECT_FALSE(has(pl("Odczytano towarów:") + S + "0"));
}

TEST_F(GoodsImport, ALinkFailureAmongTheGoodsClosesTheLineAsFailed) {
    import();
    // Which command of the run is the third goods reading.
    std::uint32_t third = 0;
    int seen = 0;
    for (const auto& e : sim.journal().entries())
        if (e.name == "PLUREAD" && ++seen == 3) third = e.command;
    ASSERT_NE(third, 0u);
    std::filesystem::remove(logPath());
    host.messages.clear();
    host.goods.clear();
    Faults f;
    f.commandFaults.push_back({third, CommandFault::Kind::LoseAnswers, 0});
    sim.setFaults(f);
    host.run(-8, 6);
    const auto errors = host.lines(2);
    ASSERT_FALSE(errors.empty()) << dump();
    EXPECT_EQ(errors.back(), pl("Błąd komunikacji z kasą"));
    EXPECT_TRUE(has(pl(" - trwa odczyt towarów..."), true)) << dump();  // closed as failed
    EXPECT_EQ(host.goods.size(), 4u);                                   // the packages and two goods
    EXPECT_FALSE(std::filesystem::exists(logPath()));
    // The register is given back: a healthy run follows.
    sim.clearFaults();
    host.messages.clear();
    host.run(-8, 6);
    EXPECT_TRUE(host.lines(2).empty()) << dump();
}

TEST_F(GoodsImport, TheFileTransportIsRefusedBeforeAnythingOpens) {
    host.params["ComboPort"] = "PLIK";
    import();
    ASSERT_FALSE(host.lines(2).empty());
    EXPECT_EQ(host.lines(2).back(), pl("Ustaw port komunikacyjny"));
    EXPECT_EQ(sim.journal().size(), 0u);
    EXPECT_TRUE(host.goods.empty());
}

TEST_F(GoodsImport, WindowSixAsksForTheOptionsAndAnswersOneOnlyWhenConfirmed) {
    host.registerAll();
    host.params["ComboImportOverWrite"] = "FALSE";
    host.params["ComboImportLogSave"] = "TRUE";
    const std::string dumpFile = dir.string() + "/dialog.txt";
    setenv("ZTCOMBO_DIALOG_DUMP", dumpFile.c_str(), 1);
    setenv("ZTCOMBO_DIALOG_SCRIPT", "overwrite 1;log 0;esc", 1);
    std::int32_t op = -1;
    char name[301] = "";
    EXPECT_EQ(api().PokazOkno(host.lib, 1, 6, 1, &op, name), 0);
    EXPECT_EQ(op, 6);
    EXPECT_EQ(std::string(name), pl("Import towarów do programu"));
    EXPECT_TRUE(host.written.empty());

    op = -1;
    name[0] = 0;
    setenv("ZTCOMBO_DIALOG_SCRIPT", "overwrite 1;log 0;f2", 1);
    EXPECT_EQ(api().PokazOkno(host.lib, 1, 6, 1, &op, name), 1);
    unsetenv("ZTCOMBO_DIALOG_SCRIPT");
    unsetenv("ZTCOMBO_DIALOG_DUMP");
    EXPECT_EQ(op, 6);
    EXPECT_EQ(std::string(name), pl("Import towarów do programu"));
    EXPECT_EQ(host.written["ComboImportOverWrite"], "TRUE");
    EXPECT_EQ(host.written["ComboImportLogSave"], "FALSE");
    std::ifstream in(dumpFile);
    std::ostringstream shown;
    shown << in.rdbuf();
    EXPECT_NE(shown.str().find("== Import towarów z kasy =="), std::string::npos) << shown.str();
    EXPECT_NE(shown.str().find("[ ] overwrite"), std::string::npos) << shown.str();

    // The host runs what the window answered, with the options just stored.
    host.run(-8, op);
    EXPECT_TRUE(host.lines(2).empty()) << dump();
    ASSERT_FALSE(host.goods.empty());
    EXPECT_EQ(host.goods[0].overwrite, 1);
    EXPECT_FALSE(std::filesystem::exists(logPath()));
}
