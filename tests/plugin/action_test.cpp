// The action base and the driver action in-process, with a test host behind
// the library's callback table.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>

#include "action/extended.h"
#include "action/library.h"
#include "action/module.h"
#include "action/vat/vat_dialog.h"
#include "action/vat/vat_slots.h"
#include "drivers/combo/combo_action.h"
#include "platform/cp1250.h"
#include "platform/exception.h"
#include "platform/intset.h"
#include "platform/text.h"
#include "plugin/combo_library.h"
#include "plugin/operation_table.h"
#include "tests/support/host_state.h"

using namespace zt;
using ztest::HostState;

namespace {

const std::string S(1, '\x01');

class ActionTest : public ::testing::Test {
protected:
    HostState host;
    TZTComboLibrary lib{77};
    std::filesystem::path dir;

    void SetUp() override {
        char tmpl[] = "/tmp/zt-action-XXXXXX";
        dir = mkdtemp(tmpl);
        host.workDir = dir.string() + "/";
        host.registerAll([this](void* p, int k) { lib.RejestrujCallback(p, k); });
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::unique_ptr<TZTComboAction> action() { return std::make_unique<TZTComboAction>(lib, 3, nullptr, &ComboOperationTable()); }
    std::vector<std::string> status() const { return host.lines(-1, true); }
};

}  // namespace

TEST_F(ActionTest, EnvironmentComesFromTheHost) {
    host.registerNo = 4;
    auto a = action();
    EXPECT_EQ(a->EnvironmentId(), 5);
    EXPECT_EQ(a->NumerKasy(), 4);
    EXPECT_EQ(a->Tekst1(), "Tekst 1");
    EXPECT_EQ(a->KatalogRoboczy(), host.workDir);
    EXPECT_EQ(a->PlikLogu(), host.workDir + "import.log");
}

TEST_F(ActionTest, PercentProgressLine) {
    auto a = action();
    a->Postep(pl("Wysyłanie"), 3, 20);
    ASSERT_EQ(host.lines(0).size(), 1u);
    EXPECT_EQ(host.lines(0)[0], pl("Wysyłanie:") + S + "0 %");
    a->PostepPozycja(5);
    a->PostepPozycja(5);
    ASSERT_EQ(status().size(), 1u);
    EXPECT_EQ(status()[0], pl("Wysyłanie:") + S + "25 %");
    a->PostepTryb(0);
    EXPECT_EQ(status().back(), pl("Wysyłanie") + S + "OK");
    a->PostepTryb(0);
    EXPECT_EQ(status().size(), 2u);
}

TEST_F(ActionTest, CountingProgressKeepsAColonThatIsAlreadyThere) {
    auto a = action();
    a->Postep("Pierwsza\r\nTowary:", 4, 0);
    const auto info = host.lines(0);
    ASSERT_EQ(info.size(), 2u);
    EXPECT_EQ(info[0], "Pierwsza" + S + "0");
    EXPECT_EQ(info[1], "Towary::" + S + "0");
    a->PostepPozycja(7);
    EXPECT_EQ(status().back(), "Towary::" + S + "7");
    a->PostepTryb(1);
    EXPECT_EQ(host.messages.back().kind, 2);
    EXPECT_EQ(status().back(), "Towary:");
}

TEST_F(ActionTest, ProgressModesChooseKindAndSuffix) {
    auto a = action();
    a->Postep("a\nb", 0);
    a->Postep("c", 1);
    a->Postep("d", 2);
    a->Postep("e", 5);
    ASSERT_EQ(host.messages.size(), 5u);
    EXPECT_EQ(host.messages[0].text, "a");
    EXPECT_EQ(host.messages[1].text, "b" + S + "OK");
    EXPECT_EQ(host.messages[2].kind, 2);
    EXPECT_EQ(host.messages[3].kind, 1);
    EXPECT_EQ(host.messages[4].text, "e");
    // A maximum below 1 is kept as 1.
    a->Postep("x", 3, 0);
    a->PostepPozycja(1);
    EXPECT_EQ(status().back(), "x:" + S + "100 %");
    EXPECT_EQ(a->OstatniKomunikat(true), "x:");
}

TEST_F(ActionTest, StepCounterThinsOutUpdates) {
    auto a = action();
    a->Postep("n", 4);
    int counter = 0;
    for (int i = 0; i < 250; ++i) a->KrokPostepu(counter);
    std::vector<std::string> want;
    for (int i = 1; i <= 30; ++i) want.push_back("n:" + S + std::to_string(i));
    for (int i = 40; i <= 200; i += 10) want.push_back("n:" + S + std::to_string(i));
    want.push_back("n:" + S + "225");
    want.push_back("n:" + S + "250");
    EXPECT_EQ(status(), want);
}

TEST_F(ActionTest, VatOrderFromStoredWholePercents) {
    host.params["ZT_Combo_PosortowaneStawkiVat"] = "23\r\n8\r\n5\r\n0\r\n-1";
    auto a = action();
    auto& t = a->Stawki();
    EXPECT_EQ(t.Get(0), 2300);
    EXPECT_EQ(t.Get(1), 800);
    EXPECT_EQ(t.Get(2), 500);
    EXPECT_EQ(t.Get(3), 0);
    EXPECT_EQ(t.Get(4), -1);
    EXPECT_FALSE(t.Defined(5));
    EXPECT_EQ(t.DefinedCount(), 5);
}

TEST_F(ActionTest, VatOrderPrefersHundredthsAndTruncatesToTheRegister) {
    host.params["ZT_Combo_PosortowaneStawkiVat"] = "1\r\n2";
    host.params["ZT_Combo_PosortowaneStawkiVatPrec"] = "2300\r\nabc\r\n500\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8";
    auto a = action();
    auto& t = a->Stawki();
    EXPECT_EQ(t.Get(0), 2300);
    EXPECT_FALSE(t.Defined(1));
    EXPECT_EQ(t.Get(2), 500);
    EXPECT_EQ(t.Get(6), 4);
    EXPECT_FALSE(t.Defined(7));
    EXPECT_EQ(t.DefinedCount(), 7);
    EXPECT_EQ(StawkaNaTekst(t.Get(1), true, nullptr), "<pusta>");
}

TEST_F(ActionTest, VatOrderFromTheHostsRates) {
    host.vatWhole = {0, 5, 8, 23};
    auto a = action();
    auto& t = a->Stawki();
    EXPECT_EQ(t.Get(0), 2300);
    EXPECT_EQ(t.Get(1), 800);
    EXPECT_EQ(t.Get(3), 0);
    EXPECT_EQ(a->NumerStawki(800), 1);
    EXPECT_EQ(a->NumerStawki(800), 1);
    try {
        a->NumerStawki(700);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Niezdefiniowana stawka 7.00%");
    }
}

TEST_F(ActionTest, VatRatesTooLargeForHundredthsAreNoRates) {
    // Whole percents are scaled by 100; a value that cannot be is dropped, not wrapped.
    host.params["ZT_Combo_PosortowaneStawkiVat"] = "99999999\r\n23\r\n21474836\r\n21474837";
    {
        auto a = action();
        auto& t = a->Stawki();
        EXPECT_FALSE(t.Defined(0));
        EXPECT_EQ(t.Get(1), 2300);
        EXPECT_EQ(t.Get(2), 2147483600);
        EXPECT_FALSE(t.Defined(3));
    }
    host.params.clear();
    host.vatWhole = {2147483647, 23, 21474837, 8};
    auto a = action();
    auto& rates = a->StawkiHosta();
    ASSERT_EQ(rates.GetCount(), 2);
    EXPECT_EQ(rates.GetValues(0), 800);
    EXPECT_EQ(rates.GetValues(1), 2300);
    EXPECT_EQ(TekstNaStawke("99999999999", true), TZTStawkiKolejne::kUndefined);
    EXPECT_EQ(TekstNaStawke("21474836.47", true), 2147483647);
}

TEST_F(ActionTest, VatTextConversions) {
    EXPECT_EQ(StawkaNaTekst(-1, true, nullptr), "zw");
    EXPECT_EQ(StawkaNaTekst(850, true, nullptr), "8.50");
    EXPECT_EQ(StawkaNaTekst(2300, false, nullptr), "100");
    EXPECT_EQ(StawkaNaTekst(23, false, nullptr), "23");
    EXPECT_EQ(TekstNaStawke(" zw ", true), -1);
    EXPECT_EQ(TekstNaStawke("8.5", true), 850);
    EXPECT_EQ(TekstNaStawke("23,00", true), 2300);
    EXPECT_EQ(TekstNaStawke("7.6", false), 8);
    EXPECT_EQ(TekstNaStawke("x", true), TZTStawkiKolejne::kUndefined);
    TZTStawkiKolejne t;
    t.FromList({1, 2});
    t.Set(4, -5);
    EXPECT_EQ(t.ToText(), "2\r\n1\r\n-999\r\n-999\r\n-999\r\n-999\r\n-999\r\n-999\r\n-999\r\n-999");
}

TEST_F(ActionTest, LongOwnParametersArePiecedAt250) {
    auto a = action();
    const std::string v = std::string(250, 'a') + std::string(250, 'b') + std::string(100, 'c');
    a->ZapiszWlasnyParametrDlugi("ComboAsort", v, 4);
    EXPECT_EQ(host.written["ZT_Combo_ComboAsort1"], std::string(250, 'a'));
    EXPECT_EQ(host.written["ZT_Combo_ComboAsort2"], std::string(250, 'b'));
    EXPECT_EQ(host.written["ZT_Combo_ComboAsort3"], std::string(100, 'c'));
    EXPECT_EQ(host.written["ZT_Combo_ComboAsort4"], "");
    EXPECT_EQ(a->WlasnyParametrDlugi("ComboAsort", 4), v);
}

TEST_F(ActionTest, RefusedStoresThrowTheirTexts) {
    host.refuseStores = true;
    auto a = action();
    try {
        a->ZapiszParametr("K", "v");
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(std::string(e.what()), pl("Błąd zapisu własnego parametru 'K' do bazy danych"));
    }
    EXPECT_THROW(a->ZapiszWynikEksportu(), Exception);
    EXPECT_THROW(a->ZapiszKasaSprzedaz(), Exception);
    EXPECT_EQ(host.storeExport, 1);
}

TEST_F(ActionTest, ErrorReportWordsEachKindOfFailure) {
    auto a = action();
    EAbort abort("stop");
    a->RaportBledu("eksport", &abort);
    ASSERT_EQ(host.lines(2).size(), 1u);
    EXPECT_EQ(host.lines(2)[0], pl("Operacja 'eksport' została przerwana"));

    host.messages.clear();
    EMException m({{12, "Plik", "brak pliku"}, {13, "Port", "zajęty"}});
    a->RaportBledu("import", &m);
    const std::vector<std::string> want = {pl("Podczas wykonywania operacji 'import' wystąpił błąd:"), "[12] Plik",
                                           "brak pliku", "[13] Port", "zajęty"};
    EXPECT_EQ(host.lines(2), want);

    host.messages.clear();
    a->RaportBledu("x", nullptr);
    EXPECT_EQ(host.lines(2),
              std::vector<std::string>{pl("Podczas wykonywania operacji 'x' wystąpił nierozpoznawalny błąd")});
}

TEST_F(ActionTest, RejectedRecordsAreReportedAndLoggedOnce) {
    auto a = action();
    EXPECT_EQ(a->OdrzucRekord("1", "a", 0), 1);
    EXPECT_EQ(a->OdrzucRekord("2", "b", 0x12), 5);
    EXPECT_EQ(a->OdrzucRekord("3", "c", 4), 7);
    EXPECT_EQ(a->OdrzucRekord("4", "d", 6), 2);
    for (int i = 0; i < 8; ++i) a->OdrzucRekord(std::to_string(10 + i), "x", 9);
    a->Ostrzezenia().push_back("uwaga");
    a->LogujOdrzucone();  // off until the export switches it on
    EXPECT_TRUE(host.messages.empty());
    a->UstawLogowanieOdrzuconych(true);
    a->LogujOdrzucone();
    const auto errors = host.lines(2);
    ASSERT_EQ(errors.size(), 11u);
    EXPECT_EQ(errors[0], "...a (1)");
    EXPECT_EQ(errors[10], "i tak dalej...");
    EXPECT_EQ(host.lines(1), std::vector<std::string>{"...uwaga"});
    EXPECT_EQ(host.lines(0)[0], " - towary odrzucone:" + S + "0");
    a->LogujOdrzucone();
    EXPECT_EQ(host.lines(2).size(), 11u);

    std::ifstream log(dir / "import.log", std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(log)), {});
    EXPECT_EQ(text.substr(0, 82), std::string(80, '-') + "\r\n");
    EXPECT_NE(text.find(pl("\n\rTowary odrzucone i ostrzeżenia:\r\na (1)\r\n")), std::string::npos);
    EXPECT_NE(text.find("b (2)\r\n"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 4), "\r\n\r\n");

    // A link planted as "import.log" is not written through.
    std::filesystem::remove(dir / "import.log");
    std::ofstream(dir / "victim") << "keep";
    std::filesystem::create_symlink(dir / "victim", dir / "import.log");
    auto next = action();
    next->UstawLogowanieOdrzuconych(true);
    next->OdrzucRekord("5", "e", 0);
    next->LogujOdrzucone();
    std::ifstream victim(dir / "victim");
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(victim)), {}), "keep");
}

TEST_F(ActionTest, ConfigurationReadsTheGroupMapFromAllSevenPieces) {
    host.params["ComboEdiFolder"] = dir.string();
    host.params["ComboPort"] = "tcp/ip";
    host.params["ZT_Combo_ComboAsort1"] = "10=1\r\n2";
    host.params["ZT_Combo_ComboAsort2"] = "0=3";
    host.params["ZT_Combo_ComboAsort7"] = "\r\n70=4";
    auto a = action();
    ComboConfig c = LoadComboConfig(*a);
    EXPECT_EQ(c.transport, TransportKind::Serial);
    ASSERT_EQ(c.groupMap.Pairs().size(), 3u);
    EXPECT_EQ(c.groupMap.SlotOf(20), 3);
    EXPECT_EQ(c.groupMap.SlotOf(70), 4);
    host.params["ZT_Combo_ComboAsort7"] = "\r\n70=x";
    c = LoadComboConfig(*a);
    EXPECT_TRUE(c.groupMap.Pairs().empty());
    EXPECT_EQ(c.ediFolder, dir.string() + "\\");  // the host's separator on every system
    EXPECT_TRUE(c.debug == false);
}

TEST_F(ActionTest, DirectoryWriteTestLeavesTheUsersFilesAlone) {
    // A file named "test" that the user keeps in the folder is neither changed nor deleted.
    { std::ofstream(dir / "test") << "moje dane"; }
    auto a = action();
    host.params["Katalog"] = dir.string();
    EXPECT_EQ(a->ParametrKatalog("Katalog"), dir.string());
    std::ifstream in(dir / "test");
    std::string kept((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(kept, "moje dane");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1);
}

TEST_F(ActionTest, DirectoryWriteTestNeverWritesThroughAPlantedLink) {
    namespace fs = std::filesystem;
    const fs::path elsewhere = dir / "elsewhere";
    fs::create_directory(elsewhere);
    const fs::path folder = dir / "edi";
    fs::create_directory(folder);
    fs::create_symlink(elsewhere / "created", folder / "test");
    fs::create_symlink(elsewhere / "created1", folder / "test1");
    auto a = action();
    host.params["Katalog"] = folder.string();
    EXPECT_EQ(a->ParametrKatalog("Katalog"), folder.string());
    EXPECT_TRUE(fs::is_empty(elsewhere));
    EXPECT_TRUE(fs::is_symlink(folder / "test"));
    EXPECT_TRUE(fs::is_symlink(folder / "test1"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 2);
}

TEST_F(ActionTest, RateLookupNeverAnswersFromTheUnusedMarker) {
    host.params["ZT_Combo_PosortowaneStawkiVatPrec"] = "2300\r\n800";
    auto a = action();
    EXPECT_EQ(a->NumerStawki(800), 1);
    auto b = action();
    // 99.99 % equals the "nothing looked up yet" marker: it is searched, not taken from the last lookup.
    try {
        b->NumerStawki(9999);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Niezdefiniowana stawka 99.99%");
    }
    host.params["ZT_Combo_PosortowaneStawkiVatPrec"] = "9999\r\n800";
    auto c = action();
    EXPECT_EQ(c->NumerStawki(9999), 0);
    EXPECT_EQ(c->NumerStawki(9999), 0);
}

TEST_F(ActionTest, TranslatedTemplatesMustKeepTheirConversions) {
    lib.RejestrujCallback(reinterpret_cast<void*>(&HostState::cbLookup), 34);
    auto undefinedRate = [this] {
        auto a = action();
        try {
            a->NumerStawki(700);
        } catch (const Exception& e) {
            return std::string(e.what());
        }
        return std::string();
    };
    host.translations[{"zttools_ZTAction", "ZTActionNumerStawki"}] = "Undefined rate %.02f%%";
    EXPECT_EQ(undefinedRate(), "Undefined rate 7.00%");
    // A translation that would read the number as a pointer is not used.
    host.translations[{"zttools_ZTAction", "ZTActionNumerStawki"}] = "Undefined rate %s";
    EXPECT_EQ(undefinedRate(), "Niezdefiniowana stawka 7.00%");
    EXPECT_EQ(formatTemplate("%d z %d", "%d of %d"), "%d z %d");
    EXPECT_EQ(formatTemplate("%d", "%02d"), "%02d");
}

namespace {
// A presentation that records what it was shown and answers as told.
class ScriptedView : public VatDialogView {
public:
    std::function<bool(VatDialogModel&)> answer;
    VatDialogModel seen;
    bool Show(VatDialogModel& m, void*) override {
        seen = m;
        return answer(m);
    }
};
}  // namespace

TEST_F(ActionTest, VatDialogShowsRowsAndAppliesOk) {
    host.vatWhole = {0, 5, 8, 23};
    host.params["ZT_Combo_PosortowaneStawkiVatPrec"] = "800\r\n-1\r\n2300";
    auto a = action();
    TFrmStawki dialog(*a, a->Stawki(), "A", true, "");
    ScriptedView view;
    view.answer = [](VatDialogModel& m) {
        m.rows[0].selected = 4;  // 23.00
        m.rows[1].selected = 0;  // <pusta>
        m.rows[6].selected = 1;  // 0.00
        return true;
    };
    ASSERT_TRUE(dialog.Pokaz(&view));
    const auto& m = view.seen;
    EXPECT_EQ(m.caption, pl("Stawki VAT na kasie"));
    EXPECT_EQ(m.items, (std::vector<std::string>{"<pusta>", "0.00", "5.00", "8.00", "23.00"}));
    EXPECT_EQ(m.rows[0].label, "A:");
    EXPECT_EQ(m.rows[6].label, "G:");
    EXPECT_TRUE(m.rows[6].visible);
    EXPECT_FALSE(m.rows[7].visible);
    EXPECT_EQ(m.rows[0].selected, 3);
    EXPECT_EQ(m.rows[1].selected, 0);  // "zw" is not among the host's rates
    EXPECT_EQ(m.rows[2].selected, 4);
    EXPECT_FALSE(m.specialVisible);
    dialog.Zatwierdz();
    EXPECT_EQ(a->Stawki().ToText(), "2300\r\n-999\r\n2300\r\n-999\r\n-999\r\n-999\r\n0\r\n-999\r\n-999\r\n-999");
}

TEST_F(ActionTest, VatDialogNumericLabelsAndSpecialRow) {
    auto a = action();
    TFrmStawki dialog(*a, a->Stawki(), "3", false, "11:");
    EXPECT_EQ(dialog.Model().rows[0].label, "3:");
    EXPECT_EQ(dialog.Model().rows[9].label, "12:");
    EXPECT_TRUE(dialog.Model().specialVisible);
    EXPECT_EQ(dialog.Model().specialValue, "zw");
    EXPECT_FALSE(dialog.Model().editable);
}

TEST(Extended, EncodesTheHostsEightyBitReal) {
    for (long double v : {0.0L, 1.0L, -2.5L, 12.34L, 1e6L}) {
        const QORExtended x = toExtended(v);
        EXPECT_NEAR(static_cast<double>(fromExtended(x)), static_cast<double>(v), 1e-9) << static_cast<double>(v);
    }
    const QORExtended one = toExtended(1.0L);
    EXPECT_EQ(one.w[0], 0u);
    EXPECT_EQ(one.w[1], 0x80000000u);
    EXPECT_EQ(one.w[2], 0x3FFFu);
}

// A price in grosze reaches the host as the nearest extended to price / 100,
// whatever precision the FPU was left in.
TEST(Extended, HundredthsAreRoundedOnceToTheNearestExtended) {
    static_assert(std::numeric_limits<long double>::digits == 64, "the reference needs the 80-bit long double");
    const std::int64_t cases[] = {0,
                                  1,
                                  50,
                                  99,
                                  100,
                                  329,
                                  399,
                                  -50,
                                  -1,
                                  12345678901LL,
                                  999999999999LL,
                                  -999999999999LL,
                                  std::numeric_limits<std::int64_t>::max(),
                                  std::numeric_limits<std::int64_t>::min()};
    for (std::int64_t n : cases) {
        const QORExtended x = hundredthsToExtended(n);
        const long double want = static_cast<long double>(n) / 100.0L;
        EXPECT_EQ(fromExtended(x), want) << n;
        EXPECT_EQ(toExtended(want).w[0], x.w[0]) << n;
        EXPECT_EQ(toExtended(want).w[1], x.w[1]) << n;
        EXPECT_EQ(toExtended(want).w[2], x.w[2]) << n;
    }
    EXPECT_EQ(hundredthsToExtended(100).w[2], 0x3FFFu);
    EXPECT_EQ(hundredthsToExtended(-100).w[2], 0xBFFFu);
}
