// "kasa.imp" as the host reads it, section by section.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "drivers/import/imp_buf.h"
#include "platform/clock.h"
#include "platform/cp1250.h"
#include "platform/exception.h"
#include "tests/platform/tempdir.h"
#include "tests/support/kasa_imp_text.h"
#include "tests/support/read_file.h"

using namespace zt;

using ztest::section;
using ztest::slurp;

namespace {

const double kNoon = TdtTools::Encode(2024, 5, 6, 12, 30, 0).Value();

ZTImpBuf& driverFlags(ZTImpBuf& b) {
    b.fiskZPlu = true;
    b.nadpiszOpak = false;
    b.defaultIdentIsCode = true;
    b.saleDate = TdtTools(kNoon);
    return b;
}

TEST(KasaImpFile, SectionsInOrder) {
    ZTImpBuf b;
    driverFlags(b).doklejPlu = true;
    b.AddPlu("12", 1500, 675, 1);
    b.AddPlu("5901234123457", 2000, 900, 2);
    b.AddPlu("3", 0, 50, 2);     // quantity 0: not written, value still counted
    b.AddPlu("4", 1000, 70, 0);  // identifier 0: the default (code)
    b.AddPlu("5", 1000, 70, 1);
    b.SetSaveFlag(4, false);
    b.AddParameter("ComboLastReceipt", "1234");
    b.AddParameter("a=b", "c");
    b.AddGodzinowy(9, 2, 3, 1575);
    ZTWymiana w{"EUR", 3, 1000};
    b += w;
    b += w;
    b.AddPayIn(10000);
    b.AddPayOut(500);
    b.AddDiscount(-150, true);
    b.AddBottlesSaled(100);
    b.AddBottlesTurned(50);
    b.AddKarty(1234);
    b.AddBony(1);
    b.AddCzeki(2);
    b.AddInne(3);
    b.AddKoszyk(2);
    b.AddLiniaPar(3);
    b.AddNetTax(1, 100);  // not written with FISK_Z_PLU
    b.Kas_SetNumer(3);
    b.Kas_SetNazwisko("Nowak;");
    b.Kas_SetZmstart(kNoon);
    b.Kas_SetStankasy(25000);
    b.Kas_SetParagonow(2);
    b.Kas_AddWaluta("EUR", 4300, 1000, 43000);
    b.Kas_AddWaluta("EUR", 430, 100, 0);  // a rate of 0 keeps the known one
    b.Kas_ActiveKasjerSection();

    const std::string t = b.WriteToText(false);
    EXPECT_EQ(t.substr(0, 12), "[TOWAROWE]\r\n");
    EXPECT_EQ(section(t, "TOWAROWE"), "PLU;12;;1500;675\r\nPLU;;5901234123457;2000;900\r\nPLU;;4;1000;70\r\n");
    EXPECT_EQ(section(t, "OPERACJE"), "KASPAR;ComboLastReceipt;1234\r\nKASPAR;a;b;c\r\n");
    EXPECT_EQ(section(t, "RAPORT_GODZINOWY"), "GODZ;9;1575;2;3\r\n");
    EXPECT_EQ(section(t, "RAPORT_WALUTOWY"), "WALUTA;EUR;3;2000\r\n");
    EXPECT_EQ(
        section(t, "FINANSOWE"),
        "WPLATY;10000\r\nWYPLATY;500\r\nRABATY;150\r\nZWROT_OPAKOWAN;50\r\nSPRZEDAZ_OPAKOWAN;100\r\n"
        "FPLATN_BON;1\r\nFPLATN_CZEK;2\r\nFPLATN_KARTA;1234\r\nFPLATN_INNE;3\r\nIL_KOSZYKOW;2\r\nIL_LINII_PAR;3\r\n");
    EXPECT_EQ(section(t, "STAN_KASY"),
              "KAS_NUMER;3\r\nKAS_NAZWISKO;Nowak\r\nKAS_ZMSTART;20240506123000000\r\nKAS_STANKASY;25000\r\n"
              "KAS_PARAGONOW;2\r\nKAS_WAL1_NAZWA;EUR\r\nKAS_WAL1_KURS;43000\r\nKAS_WAL1_STAN;1100\r\n"
              "KAS_WAL1_BILANS;4730\r\n");
    EXPECT_EQ(t.substr(t.find("\r\n\r\n[FLAGI]")),
              "\r\n\r\n[FLAGI]\r\nDATA_SPRZEDAZY;20240506123000000\r\nFISK_Z_PLU;T\r\nNADPISZ_FISK;N\r\n"
              "NADPISZ_OPAK;N\r\nPODSUMUJ_OPAK;N\r\nNADPISZ_PLU;N\r\nDOKLEJ_PLU;T\r\n");
    // Saved goods values, the quantity-0 row included, the unsaved one not.
    EXPECT_EQ(b.GetTotalValue(), 675 + 900 + 50 + 70);
}

TEST(KasaImpFile, CashStateAndVatVariants) {
    ZTImpBuf nobody;
    driverFlags(nobody);
    nobody.Kas_SetNumer(0);
    nobody.Kas_SetStankasy(5);
    nobody.Kas_ActiveKasjerSection();
    EXPECT_EQ(section(nobody.WriteToText(false), "STAN_KASY"), "KAS_NUMER;0\r\n");

    ZTImpBuf none;  // no cashier section, no cash-state text: no section
    EXPECT_EQ(section(none.WriteToText(false), "STAN_KASY"), "<missing>");

    ZTImpBuf lines;
    lines.AddLinieStanuKasy("X;1");
    lines.AddLinieStanuKasy("Y;2\r\n");
    EXPECT_EQ(section(lines.WriteToText(false), "STAN_KASY"), "X;1\r\nY;2\r\n");

    ZTImpBuf vat;  // fresh buffer: FISK_Z_PLU clear, NADPISZ_OPAK set
    vat.AddBruTax(2, 123);
    vat.AddVatTax(2, 23);
    vat.AddNetTax(2, 100);
    vat.AddBruTax(1, 10);
    const std::string t = vat.WriteToText(false);
    EXPECT_EQ(section(t, "FINANSOWE").substr(0, 40), "VAT;2;100;23;123\r\nVAT;1;0;0;10\r\nWPLATY;0");
    EXPECT_NE(t.find("FISK_Z_PLU;N\r\nNADPISZ_FISK;N\r\nNADPISZ_OPAK;T\r\n"), std::string::npos);
    EXPECT_EQ(vat.GetTotalValue(), 133);
}

TEST(KasaImpFile, CodesIdentifiersAndStripZeros) {
    ZTImpBuf b;
    b.AddPlu("000", 1, 1, 2);
    b.AddPlu("0012", 1, 1, 2);
    b.AddPlu("0", 1, 1, 1);
    EXPECT_EQ(section(b.WriteToText(true), "TOWAROWE"), "PLU;;0;1;1\r\nPLU;;12;1;1\r\nPLU;0;;1;1\r\n");
    EXPECT_EQ(section(b.WriteToText(false), "TOWAROWE"), "PLU;;000;1;1\r\nPLU;;0012;1;1\r\nPLU;0;;1;1\r\n");

    ZTImpBuf bad;
    bad.AddPlu("1", 1, 1, 5);
    try {
        bad.WriteToText(false);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), pl("ZTExpBuf::WriteToFile() - nieprawidłowy ident"));
    }
}

TEST(KasaImpFile, ReceiptBlocksFollowAndAreReleased) {
    for (const bool write : {true, false}) {
        ZTImpBuf b;
        b.writeReceipts = write;
        auto r = std::make_unique<QORParagon>();
        r->open = false;
        r->receiptNo = 9;
        b.AddReceipt(std::move(r));
        auto o = std::make_unique<QOROther>();
        o->type = QOROther::kCancelled;
        b.AddReceiptOtherInfo(std::move(o));
        const std::string t = b.WriteToText(false);
        const auto flags = t.find("DOKLEJ_PLU;N\r\n");
        ASSERT_NE(flags, std::string::npos);
        const std::string tail = t.substr(flags + 14);
        if (write)
            EXPECT_EQ(tail,
                      "\r\n[Paragon nr 9]\r\nTRN;-1;9;0;0;;;;;18991230000000000;0;-1\r\n"
                      "\n[INNA_OPER]\nOP_ANUL;;;0;0;-1;-1;;0;18991230000000000;;-1\r\n");
        else
            EXPECT_EQ(tail, "");
        EXPECT_EQ(b.GetReceiptsCount(), 1);
        EXPECT_EQ(b.GetReceipts(0), nullptr);
        EXPECT_EQ(b.GetReceiptsOther(0), nullptr);
    }
}

// Moves on every look at the time; counts the sleeps instead of sleeping.
class SteppingClock : public Clock {
public:
    explicit SteppingClock(std::uint32_t step) : step_(step) {}
    std::uint32_t tickCount() override { return ticks_ += step_; }
    void sleep(std::uint32_t ms) override { slept.push_back(ms); }
    double now() override { return 45000; }
    bool IsVirtual() const override { return true; }
    std::vector<std::uint32_t> slept;

private:
    std::uint32_t step_, ticks_ = 0;
};

struct ClockGuard {
    explicit ClockGuard(Clock& c) { setClock(&c); }
    ~ClockGuard() { setClock(nullptr); }
};

TEST(KasaImpPacing, SleepsAfterEveryNthRowOnceMeasured) {
    const struct {
        std::uint32_t step;
        int rows;
        std::size_t sleeps;
    } cases[] = {
        {30, 20, 4},  // 0.1 s passes at row 4: sleeps after rows 8, 12, 16, 20
        {250, 5, 4},  // already past at the first row: N is 1, never 0
        {0, 50, 0},   // time stands still: no pacing
    };
    for (const auto& c : cases) {
        SteppingClock clock(c.step);
        ClockGuard g(clock);
        ZTImpBuf b;
        for (int i = 0; i < c.rows; ++i) b.AddPlu(std::to_string(i), 1, 1, 1);
        b.WriteToText(false);
        EXPECT_EQ(clock.slept.size(), c.sleeps) << c.step;
        for (auto ms : clock.slept) EXPECT_EQ(ms, 20u);
    }
}

TEST(KasaImpSave, WholeFileRenamedIntoPlaceNeverThroughALink) {
    test::TempDir d;
    const std::string kasa = d.file("kasa.imp");
    ZTImpBuf b;
    b.AddPlu("1", 1, 1, 1);
    b.Save(kasa, false);
    const std::string first = slurp(kasa);
    EXPECT_EQ(first.substr(0, 22), "[TOWAROWE]\r\nPLU;1;;1;1");
    EXPECT_FALSE(std::filesystem::exists(kasa + ".tmp"));

    // A link planted under the temporary name and one under the target name:
    // the victims keep their bytes, "kasa.imp" becomes a plain file.
    const std::string victim1 = d.file("victim1"), victim2 = d.file("victim2");
    std::ofstream(victim1) << "keep1";
    std::ofstream(victim2) << "keep2";
    std::filesystem::create_symlink(victim1, kasa + ".tmp");
    std::filesystem::remove(kasa);
    std::filesystem::create_symlink(victim2, kasa);
    b.Save(kasa, false);
    EXPECT_EQ(slurp(victim1), "keep1");
    EXPECT_EQ(slurp(victim2), "keep2");
    EXPECT_FALSE(std::filesystem::is_symlink(kasa));
    EXPECT_EQ(slurp(kasa), first);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(kasa + ".tmp")));

    // A failed write leaves the old file as it was.
    EXPECT_THROW(b.Save(d.file("no/such/dir/kasa.imp"), false), EMException);
    EXPECT_EQ(slurp(kasa), first);
}

}  // namespace
