// Reading "kasa.exp" into the export buffer: PLU fields with their defaults,
// the two price rules, the other line kinds and the files that are refused.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "drivers/export/exp_buf.h"
#include "drivers/export/exp_records.h"
#include "platform/cp1250.h"
#include "platform/exception.h"
#include "tests/platform/tempdir.h"

using namespace zt;

namespace {

// A PLU line of 20 fields; fields are replaced or added by number.
std::string Plu(std::vector<std::pair<int, std::string>> set = {}) {
    std::vector<std::string> f = {"PLU",   "10",  "1001", "5901234123457",
                                  "Mleko", "250", "240",  "260",
                                  "270",   "23",  "1",    "F",
                                  "3",     "F",   "F",    "T",
                                  "0",     "0",   "5",    "DOD"};
    for (auto& [i, v] : set) {
        if (static_cast<std::size_t>(i) >= f.size()) f.resize(static_cast<std::size_t>(i) + 1);
        f[static_cast<std::size_t>(i)] = v;
    }
    std::string s;
    for (std::size_t i = 0; i < f.size(); ++i) s += (i ? ";" : "") + f[i];
    return s;
}

ZTTowRec Read(const std::string& line) {
    ZTTowRec r;
    r.FromLine(line);
    return r;
}

std::string Dec(const TxfTools& t) { return t.ToString(); }

std::string ErrorOf(const std::string& line) {
    try {
        Read(line);
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

}  // namespace

struct OptionalCase {
    const char* name;
    std::vector<std::pair<int, std::string>> set;
    int poziom, ile, prec;
    const char* cena;
};

TEST(ExpPluLine, OptionalFieldsAndTheRateInHundredths) {
    const std::vector<OptionalCase> cases = {
        {"20 fields: every default", {}, -1, 1000, 2300, "250"},
        {"exempt rate without field 30", {{9, "-1"}}, -1, 1000, -1, "250"},
        {"line ends at field 25", {{24, "12x"}}, -1, 1000, 2300, "250"},
        {"31 fields take field 30", {{30, "800"}}, -1, 1000, 800, "250"},
        {"field 30 read although 25 is empty", {{25, ""}, {30, "500"}}, -1, 1000, 500, "250"},
        {"empty field 30 is the absent default", {{30, ""}, {31, "Mleko 3,2%"}}, -1, 1000, 2300, "250"},
        {"malformed field 30 is the absent default", {{30, "2x"}}, -1, 1000, 2300, "250"},
        {"explicit 0 stays 0", {{30, "0"}}, -1, 1000, 0, "250"},
        {"level 1 takes the wholesale price", {{25, "1"}}, 1, 1000, 2300, "240"},
        {"level 2 takes the additional price", {{25, "2"}}, 2, 1000, 2300, "270"},
        {"level 3 takes the night price", {{25, "3"}}, 3, 1000, 2300, "260"},
        {"level 0 keeps the retail price", {{25, "0"}}, 0, 1000, 2300, "250"},
        {"factor 500 halves and rounds", {{5, "1235"}, {26, "500"}}, -1, 500, 2300, "618"},
        {"level before factor", {{25, "2"}, {26, "2000"}}, 2, 2000, 2300, "540"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ZTTowRec r = Read(Plu(c.set));
        EXPECT_EQ(r.poziom_cen, c.poziom);
        EXPECT_EQ(r.ile_w_kodzie, c.ile);
        EXPECT_EQ(r.stawka_prec, c.prec);
        EXPECT_EQ(Dec(r.cena), c.cena);
    }
}

TEST(ExpPluLine, MembersAsReadAndLenientNumbers) {
    const ZTTowRec r = Read(Plu({{5, "12.5zl"},
                                 {6, "abc"},
                                 {7, ""},
                                 {17, ""},
                                 {20, "o1"},
                                 {24, "30 dni"},
                                 {26, "1000"},
                                 {29, "1.5"},
                                 {32, "6.9"}}));
    EXPECT_EQ(r.plu, 10);
    EXPECT_EQ(r.koldod, 1001);
    EXPECT_EQ(r.kod, "5901234123457");
    EXPECT_EQ(r.org_barcode, "5901234123457");
    EXPECT_EQ(r.status, stDod);
    EXPECT_EQ(r.org_status, stDod);
    EXPECT_EQ(Dec(r.cena), "12.5");
    EXPECT_EQ(Dec(r.cena_hurt), "0");
    EXPECT_EQ(Dec(r.cena_noc), "0");
    EXPECT_TRUE(r.cena_otwarta);
    EXPECT_EQ(r.plu_opakowania, 0);
    EXPECT_EQ(r.nr_asort, 5);
    EXPECT_EQ(r.opis1, "o1");
    EXPECT_EQ(r.TerminW, 30);
    EXPECT_EQ(Dec(r.fd_dod_rabat_tow), "1.5");
    EXPECT_EQ(r.ile_jedn, 6);
    EXPECT_EQ(r.nr_buf, -1);
}

TEST(ExpPluLine, RejectedLinesNameTheFormat) {
    const std::string format = pl("Nieprawidłowy format pliku eksportowego");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {Plu({{19, "usu"}}), format},
        {Plu({{19, "XYZ"}}), format},
        {Plu({{11, "X"}}), format},
        {Plu({{13, ""}}), format},
        {"PLU;1;2;3;4;5;6;7;8;9;10;F;12;F;F;F;0;0;5", format},  // 19 fields
        {Plu({{1, "abc"}}), "'abc' is not a valid integer value"},
        {Plu({{9, "99999999999"}}), "'99999999999' is not a valid integer value"},
        {Plu({{9, "30000000"}}), format},  // the rate x 100 would overflow
        {Plu({{5, "99999999999999999999"}}), format},
    };
    for (const auto& [line, text] : cases) {
        SCOPED_TRACE(line);
        EXPECT_EQ(ErrorOf(line), text);
    }
}

TEST(ExpFile, LineKindsListsAndTheEuroRate) {
    test::TempDir dir;
    const std::string path = dir.file("kasa.exp");
    {
        std::ofstream f(path, std::ios::binary);
        f << "[naglowek]\r\n# komentarz\r\n  \r\n"
          << Plu() << "\r\n"
          << "plu;1;2;3\r\n"  // kinds are case-sensitive
          << Plu({{1, "11"}, {3, "590"}, {14, "T"}, {19, "USU"}}) << "  \r\n"
          << "VAT;23\r\nVAT;8;800\r\nVAT;-1\r\n"
          << "JM;1;0;szt\r\nJM;2;3;kg\r\n"
          << "OPER;3;Kowalska;1;KOW;C123\r\nWAL;EUR;Euro;43210;T;N\r\n"
          << "ASS;5;Nabial\r\nKON;7;Firma;F;Ulica;00-001;Miasto;123;NIP;KARTA1;20311231000000000;F;2.5;3;40\r\n"
          << "EURO;43210\r\nXYZ;1\r\n";
    }
    ZTExpBuf b;
    b.ReadFromFile(path, true, -1);
    EXPECT_TRUE(std::filesystem::exists(dir.file("ARCH2.EXP")));
    ASSERT_EQ(b.CountTow(), 2);
    EXPECT_EQ(b.LiczbaStatus(stDod), 1);
    EXPECT_EQ(b.LiczbaStatus(stUsu), 1);
    EXPECT_EQ(b.LiczbaOpakowan(), 1);
    EXPECT_EQ(b.FindRec("590", b.CountTow()), 1);
    EXPECT_EQ(b.FindRec("591", b.CountTow()), -1);

    EXPECT_EQ(b.Stawki(), (std::vector<std::string>{"23", "8", "-1"}));
    EXPECT_EQ(b.StawkiPrec(), (std::vector<std::string>{"2300", "800", "-1"}));
    EXPECT_EQ(b.NumerStawki(8), 2);
    EXPECT_EQ(b.NumerStawkiPrec(-1), 3);
    EXPECT_EQ(std::string(b.KursEuro().ToString()), "4.3210");
    EXPECT_EQ(b.KursEuro10000(), 43210);

    EXPECT_EQ(b.NazwaJedn(2), "kg");
    EXPECT_EQ(b.NazwaJedn(9), "szt.");
    EXPECT_EQ(b.IdxJednPrec(1), 3);
    EXPECT_THROW(b.IdxJednId(2), Exception);

    ASSERT_EQ(b.CountKasjer(), 1);
    EXPECT_EQ(b.GetKasjer(0).GetNumer(), 3);
    EXPECT_EQ(b.GetKasjer(0).GetKodKarty(), "C123");
    EXPECT_EQ(b.GetKasjerByNumer(4), nullptr);
    ASSERT_EQ(b.CountWaluty(), 1);
    EXPECT_EQ(b.GetWaluta(0).GetKurs(), 43210);
    EXPECT_TRUE(b.GetWaluta(0).GetCzyDomyslna());
    EXPECT_FALSE(b.GetWaluta(0).GetCzyMoznaWydawacReszte());
    try {
        b.GetWaluta(1);
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), "Nieprawid\xB3owy numer waluty");
    }

    ASSERT_EQ(b.CountAsort(), 1);
    ZTKontrRec k;
    ASSERT_EQ(b.CountKontrahents(), 1);
    b.CzytajRec(0, k);
    EXPECT_EQ(k.KodKarty, "KARTA1");
    EXPECT_EQ(k.IloscPunktow, 40);
    EXPECT_FALSE(k.KartaAktywna);
    EXPECT_EQ(b.TrybKontrahentow(), 1);
}

TEST(ExpFile, UnknownRateFailsNamingItAndRecordsReadBeforeAFailureStay) {
    ZTExpBuf b;
    b.CzytajLinie({"VAT;23", "VAT;5;550"});
    EXPECT_EQ(b.NumerStawkiPrec(550), 2);
    try {
        b.NumerStawkiPrec(800);
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_NE(e.message().find("8.00%"), std::string::npos) << e.message();
    }
    try {
        b.NumerStawki(-1);
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_NE(e.message().find("zw"), std::string::npos) << e.message();
    }
    EXPECT_EQ(b.NumerStawki(23), 1);  // an earlier miss leaves no false answer behind

    ZTExpBuf c;
    EXPECT_THROW(c.CzytajLinie({Plu(), Plu({{19, "usu"}}), Plu()}), Exception);
    EXPECT_EQ(c.CountTow(), 1);
}
