// The export as the host runs it (operation -2): the plug-in loaded with
// dlopen, "kasa.exp" in the working directory, the register simulator on
// TCP/IP already holding part of the goods.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <ostream>
#include <set>

#include "platform/cp1250.h"
#include "register_fixture.h"
#include "sim/card_server_stub.h"
#include "sim/register_simulator.h"

using zt::pl;
using ztest::FakeHost;
using ztest::RegisterOnTcp;
using namespace zt::sim;

namespace {

// A goods line: plu, koldod, barcode, name, price, VAT %, unit, group, status.
std::string Plu(int plu, const std::string& kod, const std::string& name, int price, int vat, int unit, int group,
                const std::string& status) {
    const std::string p = std::to_string(price);
    return "PLU;" + std::to_string(plu) + ";" + std::to_string(100 + plu) + ";" + kod + ";" + name + ";" + p + ";" + p +
           ";" + p + ";" + p + ";" + std::to_string(vat) + ";" + std::to_string(unit) + ";F;0;F;F;F;0;0;" +
           std::to_string(group) + ";" + status;
}
std::string Package(int plu, const std::string& number, const std::string& name, int price, const std::string& status) {
    const std::string p = std::to_string(price);
    return "PLU;" + std::to_string(plu) + ";" + std::to_string(100 + plu) + ";" + number + ";" + name + ";" + p + ";" +
           p + ";" + p + ";" + p + ";23;1;F;0;F;T;F;0;0;10;" + status;
}

PluRecord Goods(int plu, const std::string& name, const std::string& barcode, int price, int slot, int unit,
                int group) {
    PluRecord r;
    r.plu = static_cast<std::uint16_t>(plu), r.name = name, r.barcode = barcode, r.price = price;
    r.vatSlot = static_cast<std::uint8_t>(slot), r.unit = static_cast<std::uint8_t>(unit);
    r.group = static_cast<std::uint8_t>(group);
    return r;
}

// The register before the export: bread and apples as exported, milk at
// another price, beer under another name, water in another unit, an old
// article the export no longer has, and the bottle package.
RegisterState Register() {
    RegisterState s = defaultRegisterState();
    s.goods = {Goods(1, "Chleb", "5900000000011", 350, 2, 1, 1), Goods(2, "Mleko", "5900000000028", 299, 2, 3, 2),
               Goods(3, pl("Jabłka"), "00123", 450, 2, 2, 1),    Goods(4, "Piwo", "5900000000042", 399, 0, 1, 2),
               Goods(6, "Woda", "5900000000066", 199, 0, 1, 2),  Goods(9, "Stary", "5900000000099", 100, 0, 1, 1)};
    s.goods[0].salesValue = 1350;
    PackageRecord bottle;
    bottle.number = 1, bottle.name = "Butelka", bottle.barcode = "1", bottle.price = 50;
    s.packages = {bottle};
    return s;
}

const std::vector<std::string> kExport = {
    "VAT;23",
    "VAT;8",
    "VAT;5",
    "JM;1;0;szt.",
    "JM;2;3;kg",
    "JM;3;0;litr",
    "ASS;10;Pieczywo",
    "ASS;20;Nabial",
    Plu(1, "5900000000011", "Chleb", 350, 5, 1, 10, "DOD"),
    Plu(2, "5900000000028", "Mleko", 319, 5, 3, 20, "AKT"),
    Plu(3, "00123", pl("Jabłka"), 450, 5, 2, 10, "DOD"),
    Plu(4, "5900000000042", "Piwo jasne", 399, 23, 1, 20, "AKT"),
    Plu(5, "5900000000059", "Ser", 1299, 5, 2, 20, "DOD"),
    Plu(6, "5900000000066", "Woda", 199, 23, 3, 20, "AKT"),
    Plu(7, "5900000000073", "Wycofany", 100, 23, 1, 10, "USU"),
    Package(1001, "1", "Butelka", 50, "DOD"),
    Package(1002, "2", "Skrzynka", 1000, "DOD"),
};

class Export : public RegisterOnTcp {
protected:
    Export() : RegisterOnTcp(Register(), "zt-exp") {}

    void SetUp() override {
        RegisterOnTcp::SetUp();
        host.params["ComboOneAsortOnly"] = "0";
        host.params["RodzajTransmisji"] = "3";
        host.params["ComboKasTowMax"] = "0";
        host.params["ZT_Combo_PosortowaneStawkiVatPrec"] = "2300\r\n800\r\n500\r\n0\r\n-1";
        host.registerAll();
    }
    void write(const std::vector<std::string>& lines) {
        std::ofstream f(dir / "kasa.exp", std::ios::binary);
        for (const auto& l : lines) f << l << "\r\n";
    }
    std::string file(const std::string& name) const {
        std::ifstream f(dir / name, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(f)), {});
    }
    std::vector<std::string> wynik() const {
        std::vector<std::string> out;
        const std::string t = file("wynik.exp");
        for (std::size_t b = 0, e; b < t.size(); b = e + 2) {
            e = t.find("\r\n", b);
            if (e == std::string::npos) {
                out.push_back(t.substr(b) + "<no CR LF>");
                break;
            }
            out.push_back(t.substr(b, e - b));
        }
        return out;
    }
    // The commands that change the register, with their fields in protocol order.
    std::vector<std::string> changes() {
        static const std::set<std::string> kinds = {"PLUDELALL", "PACKDELALL", "GROUPINS", "MUINS",
                                                    "USERINS",   "PAYFORMINS", "PLUINS",   "PLUPRICEUPDATE",
                                                    "PLUDEL",    "PACKINS",    "PACKDEL"};
        std::vector<std::string> out;
        for (const auto& e : sim.journal().entries())
            if (kinds.count(e.name) && !e.repeated) out.push_back(e.name + " " + e.fields);
        return out;
    }
    std::string dump() const {
        std::string s;
        for (const auto& m : host.messages)
            s += std::to_string(m.kind) + (m.status ? "S " : "  ") + zt::toUtf8(m.text) + "\n";
        return s;
    }
    std::string journal() {
        std::string s;
        for (const auto& e : sim.journal().entries()) s += formatEntry(e) + "\n";
        return s;
    }
    bool has(const std::string& line) const {
        for (const auto& m : host.messages)
            if (m.text == line) return true;
        return false;
    }
    std::map<int, PluRecord> goods() const {
        std::map<int, PluRecord> m;
        for (const auto& g : sim.state().goods) m[g.plu] = g;
        return m;
    }
};

const std::vector<std::string> kGroupsAndUnits = {
    "GROUPINS V:1 S:\"Pieczywo\" B:0 B:0", "GROUPINS V:2 S:\"Nabial\" B:0 B:0",   "MUINS V:1 S:\"szt.\" S:\"szt.\" B:1",
    "MUINS V:2 S:\"kg\" S:\"kg\" B:1",     "MUINS V:3 S:\"litr\" S:\"litr\" B:1",
};

std::string PluIns(int plu, const std::string& name, const std::string& code, int price, int unit, int group,
                   int slot) {
    return "PLUINS V:" + std::to_string(plu) + " S:\"" + name + "\" S:\"" + code + "\" N:" + std::to_string(price) +
           " N:0 B:0 B:" + std::to_string(unit) + " B:0 B:" + std::to_string(group) + " B:" + std::to_string(slot) +
           " B:0 B:1 B:1 B:0 B:1 B:0";
}

}  // namespace

TEST_F(Export, ComparingModeSendsOnlyTheChanges) {
    write(kExport);
    EXPECT_EQ(host.run(-2), 0);
    EXPECT_TRUE(host.lines(2).empty()) << dump();
    std::vector<std::string> want = kGroupsAndUnits;
    want.insert(want.end(), {
                                "PLUDEL V:9 B:0 B:0",
                                "PACKINS V:2 S:\"Skrzynka\" S:\"2\" N:1000 N:0 B:1 B:1 B:0",
                                "PLUPRICEUPDATE V:2 N:319",
                                PluIns(4, "Piwo jasne", "5900000000042", 399, 1, 2, 0),
                                PluIns(5, "Ser", "5900000000059", 1299, 2, 2, 2),
                                PluIns(6, "Woda", "5900000000066", 199, 3, 2, 0),
                            });
    EXPECT_EQ(changes(), want) << journal();
    EXPECT_EQ(sim.journal().count(1171), 1u);  // REPCOMM on this family

    // Every exported record stands on the register, the old one is gone, and
    // the untouched bread kept its sales.
    const auto g = goods();
    EXPECT_EQ(g.size(), 6u);
    EXPECT_EQ(g.count(9), 0u);
    EXPECT_EQ(g.at(1).salesValue, 1350);
    EXPECT_EQ(g.at(2).price, 319);
    EXPECT_EQ(g.at(4).name, "Piwo jasne");
    EXPECT_EQ(g.at(6).unit, 3);
    EXPECT_EQ(g.at(3).barcode, "00123");
    ASSERT_EQ(sim.state().packages.size(), 2u);
    EXPECT_EQ(sim.state().packages[1].name, "Skrzynka");

    EXPECT_EQ(wynik(), (std::vector<std::string>{
                           "PLU;1;101;5900000000011;DOD", "PLU;2;102;5900000000028;AKT", "PLU;3;103;00123;DOD",
                           "PLU;4;104;5900000000042;AKT", "PLU;5;105;5900000000059;DOD", "PLU;6;106;5900000000066;AKT",
                           "PLU;7;107;5900000000073;USU", "PLU;1001;1101;1;DOD", "PLU;1002;1102;2;DOD"}));
    EXPECT_EQ(host.storeExport, 1);
    // The register's list as it was read.
    const std::string tow = file("combo.tow");
    EXPECT_NE(tow.find("\r\nTOW;9;Stary;5900000000099;0;0;0;100;0;1;0;1;0;1;1;0\r\n"), std::string::npos) << tow;
    EXPECT_NE(tow.find("\r\nOPA;1;Butelka;1;50;0;1\r\n"), std::string::npos) << tow;
    const auto st = host.lines(-1, true);
    for (const char* count : {" - do dodania:\x01"
                              "2",
                              " - do zmiany nazwy/stawki:\x01"
                              "2",
                              " - do zmiany ceny:\x01"
                              "1",
                              " - do usuni\xEA"
                              "cia:\x01"
                              "1"})
        EXPECT_NE(std::find(st.begin(), st.end(), count), st.end()) << count << dump();
    EXPECT_TRUE(std::filesystem::exists(dir / "ARCH2.EXP"));

    // Run again: nothing is left to send.
    sim.journal().clear();
    write(kExport);
    EXPECT_EQ(host.run(-5), 0);
    EXPECT_TRUE(host.lines(2).empty()) << dump();
    EXPECT_EQ(changes(), std::vector<std::string>{}) << journal();
    EXPECT_EQ(wynik().size(), 9u);
}

TEST_F(Export, ClearingModeProgramsEverythingAfresh) {
    host.params["ComboKasTowMax"] = "1";
    write(kExport);
    EXPECT_EQ(host.run(-2), 0);
    EXPECT_TRUE(host.lines(2).empty()) << dump();
    std::vector<std::string> want = {"PLUDELALL B:0", "PACKDELALL B:0"};
    want.insert(want.end(), kGroupsAndUnits.begin(), kGroupsAndUnits.end());
    want.insert(want.end(), {
                                "PACKINS V:1 S:\"Butelka\" S:\"1\" N:50 N:0 B:1 B:1 B:0",
                                "PACKINS V:2 S:\"Skrzynka\" S:\"2\" N:1000 N:0 B:1 B:1 B:0",
                                PluIns(1, "Chleb", "5900000000011", 350, 1, 1, 2),
                                PluIns(2, "Mleko", "5900000000028", 319, 3, 2, 2),
                                PluIns(3, pl("Jabłka"), "00123", 450, 2, 1, 2),
                                PluIns(4, "Piwo jasne", "5900000000042", 399, 1, 2, 0),
                                PluIns(5, "Ser", "5900000000059", 1299, 2, 2, 2),
                                PluIns(6, "Woda", "5900000000066", 199, 3, 2, 0),
                            });
    EXPECT_EQ(changes(), want) << journal();
    EXPECT_EQ(sim.journal().count(2110), 0u);  // no reading of the register's list
    const auto g = goods();
    EXPECT_EQ(g.size(), 6u);
    EXPECT_EQ(g.at(1).salesValue, 0);
    EXPECT_EQ(wynik(), (std::vector<std::string>{
                           "PLU;1;101;5900000000011;DOD", "PLU;2;102;5900000000028;AKT", "PLU;3;103;00123;DOD",
                           "PLU;4;104;5900000000042;AKT", "PLU;5;105;5900000000059;DOD", "PLU;6;106;5900000000066;AKT",
                           "PLU;7;107;5900000000073;USU", "PLU;1001;1101;1;DOD", "PLU;1002;1102;2;DOD"}));
}

TEST_F(Export, ARejectedRecordIsListedAndTheExportGoesOn) {
    Faults f;
    f.executionErrors.push_back({2100, 920, 5, 0});  // the barcode is taken
    sim.setFaults(f);
    std::vector<std::string> lines = kExport;
    lines.push_back(Plu(70000, "5900000000080", "Za duzy numer", 100, 23, 1, 10, "DOD"));
    write(lines);
    EXPECT_EQ(host.run(-2), 0);
    const auto errors = host.lines(2);
    ASSERT_EQ(errors.size(), 2u) << dump();
    EXPECT_EQ(errors[0].substr(0, 35), "...5900000000059 Ser             : ") << errors[0];
    EXPECT_NE(errors[0].find("[W920]"), std::string::npos) << errors[0];
    EXPECT_EQ(errors[1], pl("...5900000000080 Za duzy numer   : numer PLU 70000 poza zakresem kasy (1-65535)"));
    const auto st = host.lines(-1, true);
    EXPECT_NE(std::find(st.begin(), st.end(),
                        " - towary odrzucone:\x01"
                        "2"),
              st.end())
        << dump();
    const auto w = wynik();
    EXPECT_EQ(w.size(), 8u);
    for (const auto& l : w) EXPECT_EQ(l.find("PLU;5;"), std::string::npos);
    EXPECT_EQ(goods().count(5), 0u);
    EXPECT_EQ(goods().at(6).unit, 3);  // the records after it were sent
    const std::string log = file("import.log");
    EXPECT_NE(log.find("5900000000059 Ser             : [W920]"), std::string::npos) << log;
}

TEST_F(Export, ARegisterWithAnotherNumberGetsNothing) {
    host.registerNo = 12;
    write(kExport);
    host.run(-2);
    const auto errors = host.lines(2);
    ASSERT_FALSE(errors.empty()) << dump();
    EXPECT_EQ(errors.back(), pl("Niezgodny numer urządzenia!"));
    EXPECT_TRUE(changes().empty()) << journal();
    EXPECT_TRUE(std::filesystem::exists(dir / "wynik.exp"));
    EXPECT_EQ(file("wynik.exp"), "");
    EXPECT_EQ(host.storeExport, 1);
}

TEST_F(Export, FileConnectionRefusesTheExport) {
    host.params["ComboPort"] = "PLIK";
    write(kExport);
    host.run(-2);
    EXPECT_EQ(host.lines(2).back(), pl("Ustawione złącze PLIK. Kasa nie obsługuje eksportu do pliku"));
    EXPECT_FALSE(std::filesystem::exists(dir / "wynik.exp"));
    EXPECT_EQ(sim.journal().size(), 0u);
}

TEST_F(Export, ALinkCutInTheGoodsPassListsWhatReachedTheRegister) {
    // Find where the goods pass runs in a sound export, then cut the line there.
    write(kExport);
    ASSERT_EQ(host.run(-2), 0);
    std::uint32_t cut = 0;
    int pluins = 0;
    for (const auto& e : sim.journal().entries())
        if (e.name == "PLUINS" && ++pluins == 2) cut = e.command;
    ASSERT_GT(cut, 0u);
    for (std::uint32_t k : {cut - 2, cut - 1, cut}) {
        sim.setState(Register());
        Faults f;
        f.disconnectAfter = k;
        sim.setFaults(f);
        host.messages.clear();
        write(kExport);
        host.run(-2);
        ASSERT_FALSE(host.lines(2).empty()) << k << dump();
        EXPECT_EQ(host.lines(2).back(), pl("Błąd komunikacji z kasą")) << k << dump();
        // A record is listed exactly when the register holds it as exported.
        const auto g = goods();
        const std::string w = file("wynik.exp");
        const std::pair<int, std::pair<const char*, int>> exported[] = {
            {1, {"Chleb", 350}}, {2, {"Mleko", 319}}, {4, {"Piwo jasne", 399}}, {5, {"Ser", 1299}}, {6, {"Woda", 199}}};
        for (const auto& [plu, np] : exported) {
            const bool there = g.count(plu) && g.at(plu).name == np.first && g.at(plu).price == np.second &&
                               (plu != 6 || g.at(plu).unit == 3);
            const bool listed = w.find("PLU;" + std::to_string(plu) + ";") != std::string::npos;
            EXPECT_EQ(there, listed) << "cut " << k << " PLU " << plu << "\n" << w;
        }
        EXPECT_EQ(host.storeExport, 2);
        host.storeExport = 1;
    }
}

TEST_F(Export, PaymentFormsAreVerifiedOnAFiscalRegister) {
    sim.updateState([](RegisterState& s) { s.typeCode = 9; });  // family 7, fiscal
    host.params["ComboExpFPlatn"] = "1";
    write(kExport);
    EXPECT_EQ(host.run(-2), 0);
    EXPECT_TRUE(host.lines(2).empty()) << dump();
    EXPECT_EQ(sim.journal().count(2910), 5u);
    for (const auto& c : changes()) EXPECT_EQ(c.rfind("PAYFORMINS", 0), std::string::npos) << c;

    // A form of the wrong type stops the export before the goods base is cleared.
    sim.updateState([](RegisterState& s) { s.payForms[3].type = 1; });
    host.params["ComboKasTowMax"] = "1";
    host.messages.clear();
    sim.journal().clear();
    write(kExport);
    host.run(-2);
    EXPECT_EQ(host.lines(1), std::vector<std::string>{pl("Forma płatności nr 4 powinna być typu \"Bon\"")}) << dump();
    EXPECT_EQ(host.lines(2).back(), pl("Kasa jest w trybie fiskalnym. Formy płatności należy zaprogramować ręcznie "
                                       "zgodnie z powyższymi zaleceniami."));
    EXPECT_TRUE(changes().empty()) << journal();
    EXPECT_EQ(goods().size(), 6u);
}

TEST_F(Export, PaymentFormsAreProgrammedWithTheExactEuroRate) {
    host.params["ComboExpFPlatn"] = "1";
    host.params["ComboResztaZInnychFP"] = "1";
    std::vector<std::string> lines = kExport;
    lines.push_back("EURO;43210");
    write(lines);
    EXPECT_EQ(host.run(-2), 0);
    EXPECT_TRUE(host.lines(2).empty()) << dump();
    std::vector<std::string> forms;
    for (const auto& c : changes())
        if (c.rfind("PAYFORMINS", 0) == 0) forms.push_back(c);
    EXPECT_EQ(forms, (std::vector<std::string>{pl("PAYFORMINS V:2 S:\"Karta płatnicza\" B:2 V:3 S:\"\" N:1 B:1 B:1"),
                                               "PAYFORMINS V:3 S:\"Euro\" B:1 V:3 S:\"EUR\" N:43210 B:1 B:1",
                                               "PAYFORMINS V:4 S:\"Bon\" B:4 V:3 S:\"\" N:1 B:1 B:1",
                                               "PAYFORMINS V:5 S:\"Czek\" B:3 V:3 S:\"\" N:1 B:1 B:1",
                                               "PAYFORMINS V:6 S:\"Inna\" B:6 V:2 S:\"\" N:1 B:1 B:1"}));
}

TEST_F(Export, WeighedBarcodesLoseTheirPrefixOnFamilyFive) {
    host.params["ComboKasTowMax"] = "1";
    const std::vector<std::string> lines = {"VAT;23", "JM;1;0;szt.",
                                            Plu(20, "2812345?????", "Ser wazony", 100, 23, 1, 10, "DOD")};
    const std::pair<int, const char*> cases[] = {{2, "12345"}, {29, "2812345"}};  // NEO 1.01 (family 5), NEO XL
    for (const auto& [type, sent] : cases) {
        sim.setState(Register());
        sim.updateState([type = type](RegisterState& s) { s.typeCode = static_cast<std::uint8_t>(type); });
        sim.journal().clear();
        write(lines);
        EXPECT_EQ(host.run(-2), 0) << dump();
        ASSERT_EQ(goods().count(20), 1u) << type << journal();
        EXPECT_EQ(goods().at(20).barcode, sent) << type;
        EXPECT_EQ(wynik(), std::vector<std::string>{"PLU;20;120;2812345?????;DOD"});
    }
}

TEST_F(Export, TheGroupMapIsKeptAcrossExports) {
    write(kExport);
    ASSERT_EQ(host.run(-2), 0);
    EXPECT_EQ(host.written["ZT_Combo_ComboAsort1"], "10=0\r\n20=1");
    for (int i = 2; i <= 7; ++i) EXPECT_EQ(host.written["ZT_Combo_ComboAsort" + std::to_string(i)], "") << i;

    // Bread's group goes, a new one comes: it takes the freed slot, milk keeps its own.
    sim.journal().clear();
    std::vector<std::string> lines = kExport;
    lines[6] = "ASS;30;Sery";
    lines[8] = Plu(1, "5900000000011", "Chleb", 350, 5, 1, 30, "DOD");
    lines[12] = Plu(5, "5900000000059", "Ser", 1399, 5, 2, 20, "CEN");
    write(lines);
    ASSERT_EQ(host.run(-2), 0) << dump();
    EXPECT_EQ(host.written["ZT_Combo_ComboAsort1"], "30=0\r\n20=1");
    std::vector<std::string> groups;
    for (const auto& c : changes())
        if (c.rfind("GROUPINS", 0) == 0) groups.push_back(c);
    EXPECT_EQ(groups,
              (std::vector<std::string>{"GROUPINS V:1 S:\"Sery\" B:0 B:0", "GROUPINS V:2 S:\"Nabial\" B:0 B:0"}));
    // Bread's new group has slot 0 as its old one had: nothing to send for it.
    EXPECT_EQ(changes().back(), "PLUPRICEUPDATE V:5 N:1399") << journal();
    for (const auto& c : changes())
        EXPECT_TRUE(c.rfind("PLUINS V:1 ", 0) == std::string::npos &&
                    c.rfind("PLUPRICEUPDATE V:1 ", 0) == std::string::npos)
            << c;
}

TEST_F(Export, TheCardServerFileIsWritten) {
    CardServerStub skp;
    skp.start();
    host.params["ComboSkpIp"] = "127.0.0.1";
    host.params["ComboSkpPort"] = std::to_string(skp.port());
    std::filesystem::create_directories(dir / "skp" / "wejscie" / "0");
    host.params["ComboSkpUse"] = "2";
    host.params["ComboSkpPatterns"] = "0012345678901/0/5.00, 77/0/0";
    host.params["ComboSkpDane"] = (dir / "skp").string();
    std::vector<std::string> lines = kExport;
    lines.push_back("KON;7;Firma;F;Ulica;00-001;Miasto;123;NIP;KARTA1;20311231000000000;F;2.5;3;40");
    lines.push_back("KON;8;Sklep;S;Ulica;00-001;Miasto;123;NIP;KARTA2;20311231000000000;T;0;4;0");
    write(lines);
    EXPECT_EQ(host.run(-2), 0);
    EXPECT_EQ(host.lines(1), std::vector<std::string>{pl("Nieprawidłowy wzorzec karty: 77/0/0")}) << dump();
    EXPECT_EQ(file("skp/wejscie/0/dcrd_in.txt"),
              "@0\r\n@1\r\n@\r\n@\r\n"
              "#!0012345678901\t0\t0\t0\twg wzorca: 0012345678901\t500\t0\t0\r\n"
              "#KARTA1\t1\t0\t0\tFirma\t2\t0\t0\r\n"
              "#KARTA2\t0\t4\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "skp/wejscie/0/dcrd_in.tmp"));
}

TEST_F(Export, ClearingFailsBeforeTheBaseIsEmptiedWhenARecordCannotBeSent) {
    host.params["ComboKasTowMax"] = "1";
    struct Case {
        const char* extra;
        std::string error;
    };
    const Case cases[] = {
        {"PLU;8;108;5900000000080;Sok;100;100;100;100;7;1;F;0;F;F;F;0;0;10;DOD", "Niezdefiniowana stawka 7.00%"},
        {"JM;x;0;op.", pl("Nieprawidłowy identyfikator jednostki miary \"x\"")},
    };
    for (const auto& c : cases) {
        std::vector<std::string> lines = kExport;
        lines.push_back(c.extra);
        write(lines);
        host.messages.clear();
        sim.journal().clear();
        host.run(-2);
        ASSERT_FALSE(host.lines(2).empty()) << c.extra << dump();
        EXPECT_EQ(host.lines(2).back(), c.error) << dump();
        EXPECT_TRUE(changes().empty()) << journal();
        EXPECT_EQ(goods().size(), 6u);
        EXPECT_EQ(file("wynik.exp"), "");
    }
}

TEST_F(Export, TheHostsStopEndsTheExportWithAResult) {
    write(kExport);
    host.abortAfter = 12;  // within the goods pass
    host.run(-2);
    ASSERT_FALSE(host.lines(2).empty()) << dump();
    EXPECT_EQ(host.lines(2).back(), pl("Operacja przerwana przez użytkownika"));
    EXPECT_EQ(host.storeExport, 1);
    // Whatever is listed stands on the register as exported (a deletion: is gone).
    const auto g = goods();
    for (const auto& l : wynik()) {
        const int plu = std::stoi(l.substr(4));
        if (plu < 1000) {
            EXPECT_EQ(g.count(plu), l.ends_with(";USU") ? 0u : 1u) << l;
        }
    }
}

TEST_F(Export, OverTheSerialLine) {
    host.params["ComboPort"] = sim.ptyPath();
    write(kExport);
    EXPECT_EQ(host.run(-2), 0);
    EXPECT_TRUE(host.lines(2).empty()) << dump();
    EXPECT_EQ(wynik().size(), 9u);
    EXPECT_EQ(goods().at(4).name, "Piwo jasne");
}

TEST_F(Export, CashiersOnANonFiscalRegisterAndOneThatFails) {
    sim.updateState([](RegisterState& s) { s.workMode = 0; });
    host.params["ComboExpCashier"] = "1";
    std::vector<std::string> lines = kExport;
    lines.push_back("OPER;4;Nowak Jan;0;NOW;1000000004");
    lines.push_back("OPER;5;;1;PUSTY;");  // the register refuses an empty name
    lines.push_back("OPER;6;Lis Ewa;1;LISEWAXYZ;12345678901234567");
    write(lines);
    EXPECT_EQ(host.run(-2), 0);
    std::vector<std::string> users;
    for (const auto& e : sim.journal().entries())
        if (e.name == "USERINS" && !e.repeated) users.push_back(e.fields);
    EXPECT_EQ(users, (std::vector<std::string>{
                         "V:4 S:\"Nowak Jan\" S:\"NOW\" S:\"1000000004\" S:\"\" V:65534 B:255 B:6 B:1 B:1",
                         "V:5 S:\"\" S:\"PUSTY\" S:\"\" S:\"\" V:65535 B:255 B:6 B:1 B:1",
                         "V:6 S:\"Lis Ewa\" S:\"LISEWAXY\" S:\"1234567890123456\" S:\"\" V:65535 B:255 B:6 B:1 B:1"}))
        << journal();
    EXPECT_TRUE(has("- Nr: 04, Nazwa: Nowak Jan")) << dump();
    bool shown = false;
    for (const auto& m : host.messages) shown |= m.text.find("[W945]") != std::string::npos;
    EXPECT_TRUE(shown) << dump();
    EXPECT_EQ(sim.state().findCashier(6) != nullptr, true);
    EXPECT_EQ(wynik().size(), 9u);  // the goods went on
}

TEST_F(Export, ADeletionTheRegisterCanCarryOutIsSentOnce) {
    std::vector<std::string> lines = kExport;
    lines.push_back(Plu(9, "5900000000099", "Stary", 100, 23, 1, 10, "USU"));
    write(lines);
    EXPECT_EQ(host.run(-2), 0);
    EXPECT_TRUE(host.lines(2).empty()) << dump();
    const auto c = changes();
    EXPECT_EQ(std::count(c.begin(), c.end(), "PLUDEL V:9 B:0 B:0"), 1) << journal();
    EXPECT_EQ(goods().count(9), 0u);
    const auto w = wynik();
    EXPECT_NE(std::find(w.begin(), w.end(), "PLU;9;109;5900000000099;USU"), w.end());
}

// ---- "wynik.exp" lists exactly what stands on the register as exported ----
// Each row: the register's goods, a "kasa.exp", the commands that change the
// register and the result file expected, in the comparing mode unless the row
// sets other parameters.

namespace {

// A goods line of the exact suite: VAT 23 %, unit 1, fixed price, group 10;
// fields given by number replace or extend it.
std::string Tow(int plu, const std::string& kod, const std::string& name, const std::string& price,
                const std::string& status, const std::map<int, std::string>& fields = {}) {
    const std::string p = price + ";";
    const std::string line = "PLU;" + std::to_string(plu) + ";" + std::to_string(100 + plu) + ";" + kod + ";" + name +
                             ";" + p + p + p + p + "23;1;F;0;F;F;F;0;0;10;" + status;
    std::vector<std::string> f;
    for (std::size_t b = 0, e; b <= line.size(); b = e + 1) {
        e = std::min(line.find(';', b), line.size());
        f.push_back(line.substr(b, e - b));
    }
    for (const auto& [i, v] : fields) {
        if (f.size() <= static_cast<std::size_t>(i)) f.resize(static_cast<std::size_t>(i) + 1);
        f[static_cast<std::size_t>(i)] = v;
    }
    std::string s;
    for (const auto& x : f) s += (s.empty() ? "" : ";") + x;
    return s;
}
std::string Opa(int plu, const std::string& kod, const std::string& name, const std::string& status) {
    return Tow(plu, kod, name, "50", status, {{14, "T"}});
}

// PLUINS of a Tow line as it stands (VAT slot 0, unit 1, group 1 unless given).
std::string Ins(int plu, const std::string& name, const std::string& kod, int price, const std::string& tail = "",
                int group = 1) {
    return "PLUINS V:" + std::to_string(plu) + " S:\"" + name + "\" S:\"" + kod + "\" N:" + std::to_string(price) +
           " N:0 B:0 B:1 B:0 B:" + std::to_string(group) + " B:0 " + (tail.empty() ? "B:0 B:1 B:1" : tail) +
           " B:0 B:1 B:0";
}
std::string PackIns(int number, const std::string& name, const std::string& kod) {
    return "PACKINS V:" + std::to_string(number) + " S:\"" + name + "\" S:\"" + kod + "\" N:50 N:0 B:1 B:1 B:0";
}

using Held = std::vector<PluRecord>;

struct Exact {
    const char* name;
    Held held;                          // the register's goods before the export
    std::vector<std::string> kasa;      // after the VAT, unit and group lines
    std::vector<std::string> commands;  // GROUPINS, USERINS and the goods commands
    std::vector<std::string> wynik;
    std::vector<std::string> errors = {};  // messages of kind 2, rejections included
    std::map<std::string, std::string> params = {};
    std::vector<PackageRecord> packages = {};
    const char* eol = "\r\n";
    bool noHeader = false;  // "kasa.exp" is the row's lines alone
    std::function<void(RegisterState&)> tweak = {};
    std::vector<std::string> shown = {};  // among the messages and status lines
    const char* cutBefore = nullptr;      // the line drops before the first command of this name
    std::vector<ExecutionFault> refusals = {};
};

void PrintTo(const Exact& e, std::ostream* os) { *os << e.name; }

const std::vector<std::string> kExactHeader = {"VAT;23", "VAT;8", "JM;1;0;szt.", "ASS;10;Pieczywo"};
const std::string kGroup = "GROUPINS V:1 S:\"Pieczywo\" B:0 B:0";

PackageRecord Pack(int number, const std::string& name, const std::string& barcode) {
    PackageRecord p;
    p.number = static_cast<std::uint16_t>(number), p.name = name, p.barcode = barcode, p.price = 50;
    return p;
}

class ExportExact : public Export, public ::testing::WithParamInterface<Exact> {
protected:
    void run() {
        const Exact& c = GetParam();
        RegisterState s = defaultRegisterState();
        s.goods = c.held;
        s.packages = c.packages;
        if (c.tweak) c.tweak(s);
        for (const auto& [k, v] : c.params) host.params[k] = v;
        std::vector<std::string> lines = c.noHeader ? std::vector<std::string>{} : kExactHeader;
        lines.insert(lines.end(), c.kasa.begin(), c.kasa.end());
        const auto once = [&] {
            sim.setState(s);
            std::ofstream f(dir / "kasa.exp", std::ios::binary);
            for (const auto& l : lines) f << l << c.eol;
            f.close();
            host.messages.clear();
            host.run(-2);
        };
        if (!c.refusals.empty()) {
            Faults f;
            f.executionErrors = c.refusals;
            sim.setFaults(f);
        }
        if (c.cutBefore) {
            // A sound run finds the command; the next one loses the line there.
            once();
            std::uint32_t at = 0;
            for (const auto& e : sim.journal().entries())
                if (!at && e.name == c.cutBefore) at = e.command;
            ASSERT_GT(at, 1u) << journal();
            Faults f;
            f.disconnectAfter = at - 1;
            sim.setFaults(f);
            sim.journal().clear();
        }
        once();
    }
    std::vector<std::string> sent() {
        static const std::set<std::string> kinds = {"PLUDELALL",      "PACKDELALL", "GROUPINS", "USERINS", "PLUINS",
                                                    "PLUPRICEUPDATE", "PLUDEL",     "PACKINS",  "PACKDEL"};
        std::vector<std::string> out;
        for (const auto& e : sim.journal().entries())
            if (kinds.count(e.name) && !e.repeated) out.push_back(e.name + " " + e.fields);
        return out;
    }
};

TEST_P(ExportExact, ListsWhatStandsOnTheRegister) {
    run();
    const Exact& c = GetParam();
    EXPECT_EQ(sent(), c.commands) << journal();
    EXPECT_EQ(host.lines(2), c.errors) << dump();
    EXPECT_EQ(wynik(), c.wynik) << dump();
    for (const auto& s : c.shown) EXPECT_TRUE(has(s)) << s << dump();
}

PluRecord Bread() { return Goods(1, "Chleb", "5900000000011", 350, 0, 1, 1); }
const std::string kBread = "PLU;1;101;5900000000011;";

// The groups 1001 .. 1000 + n after the header's group 10, and the GROUPINS
// of those that get a register slot (up to 100).
std::vector<std::string> ManyGroups(int n) {
    std::vector<std::string> out;
    for (int g = 1001; g <= 1000 + n; ++g) out.push_back("ASS;" + std::to_string(g) + ";G" + std::to_string(g));
    return out;
}
std::vector<std::string> ManyGroupsSent(int n, std::vector<std::string> then) {
    std::vector<std::string> out = {kGroup};
    for (int g = 1001; g <= 1000 + n && g <= 1100; ++g)
        out.push_back("GROUPINS V:" + std::to_string(g - 999) + " S:\"G" + std::to_string(g) + "\" B:0 B:0");
    out.insert(out.end(), then.begin(), then.end());
    return out;
}
std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const std::string kSok = "PLU;2;102;5900000000028;";

const Exact kExact[] = {
    {.name = "UnchangedGoodsNeedNoCommand",
     .held = {Bread()},
     .kasa = {Tow(1, "5900000000011", "Chleb", "350", "DOD")},
     .commands = {},
     .wynik = {kBread + "DOD"}},
    {.name = "ClearingFailsOnAMissingCardFolderBeforeTheRegisterIsEmptied",
     .held = {Bread()},
     .kasa = {Tow(1, "5900000000011", "Chleb", "350", "DOD"),
              "KON;7;Firma;F;Ulica;00-001;Miasto;123;NIP;KARTA1;20311231000000000;F;2.5;3;40"},
     .commands = {},
     .wynik = {},
     .errors = {pl("Podczas wykonywania operacji 'eksport' wystąpił błąd:"),
                "[2] /nonexistent/zt-skp\\wejscie\\0\\dcrd_in.tmp", "No such file or directory"},
     .params = {{"ComboKasTowMax", "1"}, {"ComboSkpUse", "2"}, {"ComboSkpDane", "/nonexistent/zt-skp"}}},
    {.name = "AnotherQuantityFormatIsSent",
     .held = {Bread()},
     .kasa = {Tow(1, "5900000000011", "Chleb", "350", "DOD", {{12, "3"}})},
     .commands = {kGroup, Ins(1, "Chleb", "5900000000011", 350, "B:3 B:1 B:1")},
     .wynik = {kBread + "DOD"}},
    {.name = "ComboProductFlagTakesTheDiscountAway",
     .held = {Bread()},
     .kasa = {Tow(1, "5900000000011", "Chleb", "350", "DOD")},
     .commands = {kGroup, Ins(1, "Chleb", "5900000000011", 350, "B:0 B:1 B:0")},
     .wynik = {kBread + "DOD"},
     .params = {{"ComboProductFlag", "1"}}},
    {.name = "APriceWithAFractionOfAGroszIsComparedAsSent",
     .held = {Bread()},
     .kasa = {Tow(1, "5900000000011", "Chleb", "350.9", "CEN")},
     .commands = {},
     .wynik = {kBread + "CEN"}},
    {.name = "DeletingGoodsTheRegisterLacksIsDone",
     .held = {Bread()},
     .kasa = {Tow(1, "5900000000011", "Chleb", "350", "DOD"), Tow(7, "5900000000073", "Wycofany", "100", "USU")},
     .commands = {},
     .wynik = {kBread + "DOD", "PLU;7;107;5900000000073;USU"}},
    {.name = "NegativePackageNumbersAreRejected",
     .held = {},
     .kasa = {Tow(1, "5900000000011", "Chleb", "350", "DOD", {{16, "-5"}}),
              Tow(2, "5900000000028", "Sok", "250", "DOD", {{16, "-1"}})},
     .commands = {kGroup},
     .wynik = {},
     .errors = {"...5900000000011 Chleb           : numer opakowania towaru -5 poza zakresem kasy (0-65)",
                "...5900000000028 Sok             : numer opakowania towaru -1 poza zakresem kasy (0-65)"}},
    {.name = "PackageNumbersAbove65AreSentAsNone",
     .held = {},
     .kasa = {Tow(1, "5900000000011", "Chleb", "350", "DOD", {{16, "70"}})},
     .commands = {kGroup, Ins(1, "Chleb", "5900000000011", 350)},
     .wynik = {kBread + "DOD"}},
    {.name = "TwoPackagesOnNumber99KeepTheFirst",
     .held = {},
     .kasa = {Opa(1001, "ABC", "Skrzynka", "DOD"), Opa(1002, "XYZ", "Kosz", "DOD")},
     .commands = {kGroup, PackIns(99, "Skrzynka", "ABC")},
     .wynik = {"PLU;1001;1101;ABC;DOD"},
     .errors = {pl("...XYZ Kosz            : numer 99 zajęty przez inny rekord tego eksportu")}},
    {.name = "TwoGoodsOnOnePluKeepTheFirst",
     .held = {},
     .kasa = {Tow(1, "5900000000011", "Chleb", "350", "DOD"), Tow(1, "5900000000028", "Sok", "250", "DOD")},
     .commands = {kGroup, Ins(1, "Chleb", "5900000000011", 350)},
     .wynik = {kBread + "DOD"},
     .errors = {pl("...5900000000028 Sok             : numer 1 zajęty przez inny rekord tego eksportu")}},
    {.name = "APackageThatIsNoNumberIsDeletedAs99",
     .held = {},
     .kasa = {Opa(1001, "ABC", "Skrzynka", "USU")},
     .commands = {kGroup, "PACKDEL V:99 B:0 B:0"},
     .wynik = {"PLU;1001;1101;ABC;USU"},
     .packages = {Pack(99, "Skrzynka", "ABC")}},
    {.name = "RenumberedGoodsReplaceTheStaleEntry",
     .held = {Goods(5, "Chleb", "5900000000011", 350, 0, 1, 1)},
     .kasa = {Tow(1, "5900000000011", "Chleb", "350", "DOD")},
     .commands = {kGroup, "PLUDEL V:5 B:0 B:0", Ins(1, "Chleb", "5900000000011", 350)},
     .wynik = {kBread + "DOD"}},
    {.name = "ManyGroupsFitTheMapAndGoodsWithoutASlotAreRejected",
     .held = {},
     .kasa = Concat(ManyGroups(180), {Tow(1, "5900000000011", "Chleb", "350", "DOD", {{18, "1100"}}),
                                      Tow(2, "5900000000028", "Sok", "250", "DOD", {{18, "1101"}})}),
     .commands = ManyGroupsSent(180, {Ins(1, "Chleb", "5900000000011", 350, "", 101)}),
     .wynik = {kBread + "DOD"},
     .errors = {pl("...5900000000028 Sok             : grupa towarowa 1101 bez miejsca na kasie (najwyżej 101 grup)")},
     .tweak = [](RegisterState& s) { s.databases.groups = 255; }},
    {.name = "ANegativeGroupIsRejectedWithItsGoods",
     .held = {},
     .kasa = {"ASS;-5;Ujemna", Tow(1, "5900000000011", "Chleb", "350", "DOD", {{18, "-5"}}),
              Tow(2, "5900000000028", "Sok", "250", "DOD")},
     .commands = {kGroup, Ins(2, "Sok", "5900000000028", 250)},
     .wynik = {kSok + "DOD"},
     .errors = {"...5900000000011 Chleb           : ujemny numer grupy towarowej -5"}},
    {.name = "ComboOneAsortOnlyProgramsTheMainGroup",
     .held = {},
     .kasa = {"ASS;20;Nabial", Tow(1, "5900000000011", "Chleb", "350", "DOD"),
              Tow(2, "5900000000028", "Sok", "250", "DOD", {{18, "20"}})},
     .commands = {pl("GROUPINS V:1 S:\"Grupa główna\" B:0 B:0"), Ins(1, "Chleb", "5900000000011", 350),
                  Ins(2, "Sok", "5900000000028", 250)},
     .wynik = {kBread + "DOD", kSok + "DOD"},
     .params = {{"ComboOneAsortOnly", "1"}}},
    {.name = "TextsThatCannotTravelAreCleanedOrRejected",
     .held = {Bread()},
     .kasa = {Tow(1, "5900000000011", "Chleb", "350." + std::string(30, '9'), "DOD"),
              Tow(2, "5900000000028", std::string("S\0ok", 4), "250", "DOD"),
              Tow(3, std::string("59000\0", 6) + "00035", "Maslo", "500", "DOD")},
     .commands = {kGroup, Ins(2, "Sok", "5900000000028", 250)},
     .wynik = {kBread + "DOD", kSok + "DOD"},
     .errors = {"...59000 Maslo           : kod kreskowy zawiera znak NUL"}},
    {.name = "NothingToSendStillHandlesCashiers",
     .held = {Bread()},
     .kasa = {Tow(1, "5900000000011", "Chleb", "350", "DOD"), "OPER;4;Nowak Jan;0;NOW;1000000004"},
     .commands = {"USERINS V:4 S:\"Nowak Jan\" S:\"NOW\" S:\"1000000004\" S:\"\" V:65534 B:255 B:6 B:1 B:1"},
     .wynik = {kBread + "DOD"},
     .params = {{"ComboExpCashier", "1"}},
     .tweak = [](RegisterState& s) { s.workMode = 0; }},
    {.name = "ALinkLostInTheCashierStepListsOnlyWhatTheRegisterHolds",
     .held = {Bread()},
     .kasa = {Tow(1, "5900000000011", "Chleb", "350", "DOD"), Tow(2, "5900000000028", "Sok", "250", "DOD"),
              "OPER;4;Nowak Jan;0;NOW;1000000004"},
     .commands = {kGroup},
     .wynik = {kBread + "DOD"},
     .errors = {pl("Podczas wykonywania operacji 'eksport' wystąpił błąd:"), pl("Błąd komunikacji z kasą")},
     .params = {{"ComboExpCashier", "1"}},
     .tweak = [](RegisterState& s) { s.workMode = 0; },
     .cutBefore = "USERINS"},
    {.name = "ABarcodeTooLongForTheRegisterIsRejectedByIt",
     .held = {Bread()},
     .kasa = {Tow(1, "5900000000011", "Chleb", "350", "DOD"), Tow(2, std::string(10000, '7'), "Sok", "250", "DOD")},
     .commands = {kGroup, Ins(2, "Sok", std::string(10000, '7'), 250)},
     .wynik = {kBread + "DOD"},
     .errors = {"..." + std::string(10000, '7') + " Sok             : [W6666] - " +
                pl("zbyt długi łańcuch (sprawdź kod kreskowy)")},
     .refusals = {{2100, 6666, 2, 0}}},
    {.name = "NoCardFileIsTouchedWithNothingToWrite",
     .held = {Bread()},
     .kasa = {Tow(1, "5900000000011", "Chleb", "350", "DOD"),
              "KON;7;Firma;F;Ulica;00-001;Miasto;123;NIP;KARTA1;20311231000000000;T;2.5;3;40"},
     .commands = {},
     .wynik = {kBread + "DOD"},
     .params = {{"ComboSkpUse", "1"}, {"ComboSkpDane", "/nonexistent/zt-skp"}}},
    {.name = "GoodsPassesEndAt100PercentAndShowEachRecord",
     .held = {},
     .kasa = {Tow(1, "5900000000011", "Chleb", "350", "DOD"), Opa(1001, "5", "Skrzynka", "DOD")},
     .commands = {kGroup, PackIns(5, "Skrzynka", "5"), Ins(1, "Chleb", "5900000000011", 350)},
     .wynik = {kBread + "DOD", "PLU;1001;1101;5;DOD"},
     .params = {{"ComboProgressTow", "1"}},
     .shown = {pl("Programowanie towarów...:\x01"
                  "100 %"),
               pl("Programowanie opakowań...:\x01"
                  "100 %"),
               "PRG_TOW Kod: 5900000000011, Nazwa: Chleb", "PRG_OPA Kod: 5, Nazwa: Skrzynka"}},
    {.name = "CrLineEnds",
     .held = {},
     .kasa = {Tow(1, "5900000000011", "Chleb", "350", "DOD")},
     .commands = {kGroup, Ins(1, "Chleb", "5900000000011", 350)},
     .wynik = {kBread + "DOD"},
     .eol = "\r"},
    {.name = "LfLineEnds",
     .held = {},
     .kasa = {Tow(1, "5900000000011", "Chleb", "350", "DOD")},
     .commands = {kGroup, Ins(1, "Chleb", "5900000000011", 350)},
     .wynik = {kBread + "DOD"},
     .eol = "\n"},
    {.name = "AFileWithoutRecordsNeverClearsTheRegister",
     .held = {Bread()},
     .kasa = {"# nic", ""},
     .commands = {},
     .wynik = {},
     .errors = {pl("Podczas wykonywania operacji 'eksport' wystąpił błąd:"),
                pl("Plik eksportu nie zawiera żadnego rekordu. Kasa nie została zmieniona.")},
     .params = {{"ComboKasTowMax", "1"}},
     .noHeader = true},
    {.name = "AFileWithoutRecordsNeverEmptiesTheRegister",
     .held = {Bread()},
     .kasa = {"# nic", ""},
     .commands = {},
     .wynik = {},
     .errors = {pl("Podczas wykonywania operacji 'eksport' wystąpił błąd:"),
                pl("Plik eksportu nie zawiera żadnego rekordu. Kasa nie została zmieniona.")},
     .noHeader = true},
};

INSTANTIATE_TEST_SUITE_P(Rows, ExportExact, ::testing::ValuesIn(kExact),
                         [](const ::testing::TestParamInfo<Exact>& i) { return std::string(i.param.name); });

}  // namespace
