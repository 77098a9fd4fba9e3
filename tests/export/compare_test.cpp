// The comparison of the export buffer with the register's goods list, the
// result file and the register-list snapshot, byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "drivers/export/combo_exp_buf.h"
#include "drivers/export/combo_tow.h"
#include "tests/platform/tempdir.h"

using namespace zt;

namespace {

// Exported goods: PLU 10 "Mleko", barcode 5901234123457, price 250, 23 %
// (slot 0), unit 1, group 5 (register group 6), fixed price, no package.
std::string Plu(std::vector<std::pair<int, std::string>> set = {}) {
    std::vector<std::string> f = {"PLU",   "10",  "1001", "5901234123457",
                                  "Mleko", "250", "240",  "260",
                                  "270",   "23",  "1",    "F",
                                  "3",     "F",   "F",    "F",
                                  "0",     "0",   "5",    "DOD"};
    for (auto& [i, v] : set) f[static_cast<std::size_t>(i)] = v;
    std::string s;
    for (std::size_t i = 0; i < f.size(); ++i) s += (i ? ";" : "") + f[i];
    return s;
}

// What a register holding that record unchanged reports.
ZTTowarKasy Held() {
    ZTTowarKasy t;
    t.numer = 10;
    t.nazwa = "Mleko";
    t.kod = "5901234123457";
    t.stawka = 0;
    t.cena = 250;
    t.jednostka = 1;
    t.formatIlosci = 3;
    t.cenaSztywna = 1;
    t.grupa = 6;
    t.zezwolRabat = 1;
    t.kodow = 1;
    return t;
}

ZTComboUstawienia Config(int family = 2) {
    ZTComboUstawienia c;
    c.rodzina = family;
    c.stawkiSlotow[0] = 2300;
    c.stawkiSlotow[1] = 800;
    c.grupaKasy = [](int nr) { return nr == 5 ? 6 : 1; };
    return c;
}

template <typename F>
ZTTowarKasy Held(F change) {
    ZTTowarKasy t = Held();
    change(t);
    return t;
}

struct Case {
    const char* name;
    std::vector<std::pair<int, std::string>> set;  // on the exported line
    std::vector<ZTTowarKasy> reg;
    stTow status;
    bool trOk;
};

}  // namespace

TEST(ComboCompare, StatusOfAnExportedRecord) {
    const std::vector<Case> cases = {
        {"unchanged DOD: nothing to send, transferred", {}, {Held()}, stBrak, true},
        {"repriced", {}, {Held([](auto& t) { t.cena = 199; })}, stCen, false},
        {"a fraction of a grosz is not sent", {{5, "250.9"}}, {Held()}, stBrak, true},
        {"renamed", {}, {Held([](auto& t) { t.nazwa = "Mleko 2%"; })}, stAkt, false},
        {"other rate", {}, {Held([](auto& t) { t.stawka = 1; })}, stAkt, false},
        {"other unit (AKT changing only the unit)",
         {{19, "AKT"}},
         {Held([](auto& t) { t.jednostka = 2; })},
         stAkt,
         false},
        {"other group", {}, {Held([](auto& t) { t.grupa = 1; })}, stAkt, false},
        {"open price on the register", {}, {Held([](auto& t) { t.cenaSztywna = 0; })}, stAkt, false},
        {"other package", {}, {Held([](auto& t) { t.opakowanie = 3; })}, stAkt, false},
        {"other quantity format", {}, {Held([](auto& t) { t.formatIlosci = 0; })}, stAkt, false},
        {"no discount allowed", {}, {Held([](auto& t) { t.zezwolRabat = 0; })}, stAkt, false},
        {"a discount number", {}, {Held([](auto& t) { t.rabat = 2; })}, stAkt, false},
        {"a minimum stock", {}, {Held([](auto& t) { t.minStan = 5; })}, stAkt, false},
        {"a set in its place", {}, {Held([](auto& t) { t.rodzaj = ZTTowarKasy::Zestaw; })}, stAkt, false},
        {"USU held unchanged is still deleted", {{19, "USU"}}, {Held()}, stUsu, false},
        {"USU held repriced is still deleted", {{19, "USU"}}, {Held([](auto& t) { t.cena = 1; })}, stUsu, false},
        {"USU not held: deleted already", {{19, "USU"}}, {}, stBrak, true},
        {"AKT not held is added", {{19, "AKT"}}, {}, stDod, false},
        {"CEN not held is added", {{19, "CEN"}}, {}, stDod, false},
        {"zero-padded export barcode matches", {{3, "0005901234123457"}}, {Held()}, stBrak, true},
        {"zero-padded register barcode matches", {}, {Held([](auto& t) { t.kod = "005901234123457"; })}, stBrak, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TZTComboExpBuf b(Config());
        b.CzytajLinie({Plu(c.set)});
        for (const auto& t : c.reg) b.DodajZKasy(t);
        b.AnalizujCancelBufor(false);
        ZTTowRec r;
        b.CzytajRec(0, r);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.tr_ok, c.trOk);
        EXPECT_EQ(b.CountTow(), 1) << "no deletion record for a matched entry";
    }
}

TEST(ComboCompare, PriceLevelDecidesThePriceCompared) {
    ZTComboUstawienia cfg = Config();
    cfg.poziomCen = 1;
    TZTComboExpBuf b(cfg);
    b.CzytajLinie({Plu()});
    b.DodajZKasy(Held([](auto& t) { t.cena = 240; }));
    b.AnalizujCancelBufor(false);
    EXPECT_EQ(b.CzytajStatus(0), stBrak);
}

TEST(ComboCompare, RegisterOnlyEntriesBecomeDeletionsAndZerosAreSkipped) {
    TZTComboExpBuf b(Config());
    b.CzytajLinie({Plu()});
    b.DodajZKasy(Held([](auto& t) {
        t.numer = 77;
        t.kod = "00123";
        t.nazwa = "Stary";
    }));
    b.DodajZKasy(Held([](auto& t) {
        t.numer = 78;
        t.kod = "0000";
    }));
    b.DodajZKasy(Held([](auto& t) {
        t.numer = 79;
        t.kod = "";
    }));
    b.AnalizujCancelBufor(false);
    ASSERT_EQ(b.CountTow(), 2);
    ZTTowRec r;
    b.CzytajRec(1, r);
    EXPECT_EQ(r.status, stUsu);
    EXPECT_EQ(r.plu, 77);
    EXPECT_EQ(r.kod, "00123");
    EXPECT_TRUE(r.fd_from_ecr);
    EXPECT_EQ(b.CzytajStatus(0), stDod);  // PLU 10 is not on the register
    EXPECT_EQ(b.LiczbaStatus(stUsu), 1);
    EXPECT_EQ(b.LiczbaStatus(stDod), 1);
}

TEST(ComboCompare, EqualKeysTakeTheRowWithTheRegistersNumber) {
    TZTComboExpBuf b(Config());
    b.CzytajLinie({Plu({{1, "11"}, {3, "0123"}}), Plu({{1, "12"}, {3, "123"}}), Plu({{1, "13"}, {3, "00123"}})});
    b.DodajZKasy(Held([](auto& t) {
        t.numer = 12;
        t.kod = "123";
    }));
    b.DodajZKasy(Held([](auto& t) {
        t.numer = 13;
        t.kod = "123";
    }));
    b.DodajZKasy(Held([](auto& t) {
        t.numer = 40;
        t.kod = "123";
    }));  // a third PLU with the barcode
    b.DodajZKasy(Held([](auto& t) {
        t.numer = 41;
        t.kod = "123";
    }));  // and a fourth: no row left
    b.AnalizujCancelBufor(false);
    EXPECT_EQ(b.CzytajStatus(1), stBrak);  // PLU 12
    EXPECT_EQ(b.CzytajStatus(2), stBrak);  // PLU 13
    EXPECT_EQ(b.CzytajStatus(0), stDod);   // PLU 11 is not on the register
    // PLU 40 and 41 hold the barcode under numbers no row has: deleted, so
    // that PLU 11 can take it.
    ASSERT_EQ(b.CountTow(), 5);
    ZTTowRec r;
    for (int i : {3, 4}) {
        b.CzytajRec(i, r);
        EXPECT_EQ(r.plu, 37 + i);
        EXPECT_EQ(r.status, stUsu);
    }
}

TEST(ComboCompare, Family5BarcodeAndPackages) {
    TZTComboExpBuf b(Config(5));
    b.CzytajLinie({Plu({{3, "2812345?????"}}), Plu({{1, "0"}, {3, "7"}, {4, "Skrzynka"}, {5, "500"}, {14, "T"}})});
    b.DodajZKasy(Held([](auto& t) { t.kod = "12345"; }));
    ZTTowarKasy pack;
    pack.rodzaj = ZTTowarKasy::Opakowanie;
    pack.numer = 7;
    pack.nazwa = "Skrzynka";
    pack.kod = "7";
    pack.cena = 450;
    pack.cenaSztywna = 1;
    b.DodajZKasy(pack);
    b.AnalizujCancelBufor(false);
    EXPECT_EQ(b.CzytajStatus(0), stBrak);
    EXPECT_EQ(b.CzytajStatus(1), stCen);
    EXPECT_EQ(b.CountTow(), 2);
}

TEST(ComboCompare, OtherDriversVariantAppendsRegisterRecords) {
    ZTExpBuf b;
    b.CzytajLinie({Plu({{19, "CEN"}}), Plu({{1, "11"}, {3, "999"}, {19, "AKT"}})});
    b.AddInPlu("5901234123457", "x");
    b.AddInPlu("00", "x");
    b.AddInPlu("555", "x");
    b.ComparePLUSets(false);
    EXPECT_EQ(b.CzytajStatus(0), stAkt);  // base rule: held CEN becomes AKT
    EXPECT_EQ(b.CzytajStatus(1), stDod);  // not held
    ASSERT_EQ(b.CountTow(), 3);
    EXPECT_EQ(b.CzytajStatus(2), stUsu);
}

TEST(ExpResultFile, ListsTransferredRecordsAsReadAndIsWrittenWhole) {
    test::TempDir dir;
    TZTComboExpBuf b(Config());
    b.CzytajLinie({Plu(), Plu({{1, "11"}, {2, "1002"}, {3, "0042"}, {19, "AKT"}}),
                   Plu({{1, "12"}, {2, "1003"}, {3, "43"}, {19, "USU"}}), Plu({{1, "0"}, {3, "44"}})});
    b.DodajZKasy(Held());  // PLU 10 unchanged
    b.DodajZKasy(Held([](auto& t) {
        t.numer = 11;
        t.kod = "42";
        t.cena = 1;
    }));  // PLU 11 repriced
    b.DodajZKasy(Held([](auto& t) {
        t.numer = 99;
        t.kod = "98";
    }));  // extra on the register
    b.AnalizujCancelBufor(false);
    b.SetTrOk(1, true);  // the price change went through
    b.SetTrOk(3, true);  // PLU 0 is never listed
    b.SetTrOk(4, true);  // nor a register-built deletion
    EXPECT_EQ(b.CzytajStatus(1), stCen);

    // Files planted under both names must not be written through.
    const std::string victim = dir.file("victim");
    { std::ofstream(victim) << "keep"; }
    const std::string out = dir.file("wynik.exp");
    std::filesystem::create_symlink(victim, out);
    std::filesystem::create_symlink(victim, out + ".tmp");
    b.ZapiszWynikEksp(out);

    std::ifstream in(out, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    EXPECT_EQ(ss.str(), "PLU;10;1001;5901234123457;DOD\r\nPLU;11;1002;0042;AKT\r\nPLU;12;1003;43;USU\r\n");
    EXPECT_EQ(b.LiczbaWierszyWyniku(), 3);
    EXPECT_FALSE(std::filesystem::is_symlink(out));
    EXPECT_FALSE(std::filesystem::exists(out + ".tmp"));
    std::ifstream v(victim);
    std::string kept;
    v >> kept;
    EXPECT_EQ(kept, "keep");
}

TEST(ComboTowFile, HeaderThenEntriesWithoutLineBreakingTexts) {
    test::TempDir dir;
    ZTComboTowPlik p;
    ZTTowarKasy t = Held([](auto& x) {
        x.nazwa = "Ml;eko\r\n";
        x.kod = "59;01\r";
        x.minStan = 5000000000LL;
        x.formatIlosci = 0;
        x.zezwolRabat = 0;
    });
    p.Dodaj(WpisKasy(t));
    ZTTowarKasy s = Held([](auto& x) {
        x.rodzaj = ZTTowarKasy::Zestaw;
        x.rabat = 2;
        x.zezwolRabat = 1;
    });
    p.Dodaj(WpisKasy(s));
    ZTTowarKasy o;
    o.rodzaj = ZTTowarKasy::Opakowanie;
    o.numer = 3;
    o.nazwa = "Butelka";
    o.kod = "3";
    o.cena = 50;
    o.cenaSztywna = 1;
    p.Dodaj(WpisKasy(o));
    EXPECT_EQ(KluczWpisu(WpisKasy(o)), "3");
    p.Zapisz(dir.file("combo.tow"));
    std::ifstream in(dir.file("combo.tow"), std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    EXPECT_EQ(ss.str(),
              "#\r\n# Format pliku nie jest zgodny z KASA.EXP!\r\n"
              "# TOW;<plu>;<nazwa>;<kod_kresk_gl>;<min_stan_mag>;<czy_zestaw>;<vat>;<cena>;<nr_opak>;<nr_jm>;"
              "<format_il>;<flaga_c_sztyw>;<nr_rabatu>;<nr_grupy_tow>;<flaga_zezw_rab>;<il_kod_kresk>\r\n"
              "# ZES;<plu>;<nazwa>;<kod_kresk_gl>;<min_stan_mag>;<czy_zestaw>;<vat>;      ;         ;       ;"
              "           ;               ;<nr_rabatu>;              ;<flaga_zezw_rab>;<il_kod_kresk>\r\n"
              "# OPA;<nr_opak>;<nazwa>;<kod_kresk>;<cena>;<min_stan_mag>;<flaga_c_sztywnej>\r\n"
              "#\r\n"
              "TOW;10;Mleko;5901;5000000000;0;0;250;0;1;0;1;0;6;0;1\r\n"
              "ZES;10;Mleko;5901234123457;0;0;0; ; ; ; ; ;2; ;1;1\r\n"
              "OPA;3;Butelka;3;50;0;1\r\n");
}

TEST(ExpContractors, BecomeGoodsWithTheirCardCodes) {
    ZTExpBuf b;
    b.CzytajLinie({"VAT;23", "JM;4;0;szt", "KONA;7;Firma;F;U;K;M;T;N;KARTA;;T;0;2;15"});
    std::string debug;
    const int n = b.UtworzTowaryZKontrahentow(
        1000, "kkkk", debug, [](const ZTKartaDane& d, const std::string& f) { return "C" + d.kod + f; });
    EXPECT_EQ(n, 1);
    ZTTowRec r;
    b.CzytajRec(0, r);
    EXPECT_EQ(r.plu, 1007);
    EXPECT_EQ(r.kod, "CKARTAkkkk");
    EXPECT_EQ(r.cena.ToString(), "1500");
    EXPECT_EQ(r.jedn, 4);
    EXPECT_EQ(r.stawka_prec, 2300);
    EXPECT_TRUE(r.fd_tow_z_kontr);
    EXPECT_NE(debug.find("CKARTAkkkk (kod po konwersji)"), std::string::npos);

    ZTExpBuf noVat;
    noVat.CzytajLinie({"JM;4;0;szt", "KON;7;Firma;F;U;K;M;T;N;KARTA;;T;0;2"});
    EXPECT_THROW(noVat.UtworzTowaryZKontrahentow(0, "k", debug, nullptr), std::exception);
}
