// Detailed receipts through the import: the register's receipt buffer read
// into receipts, other-information records and orders, the two ways of
// counting the day's sales, the ComboLastReceipt guard, the EDI document, and
// a reading cut in the middle of a receipt completed by the next import.
#include <cstdio>
#include <ctime>
#include <fstream>

#include "import_fixture.h"

using namespace ztest;

namespace {

// Receipt 1201 of the simulator as the host gets it. Positions and payments
// end in LF alone, as the host reads them.
const std::string kReceipt1201 =
    "TRN;3301;1201;4;3;1;1;99001234567891;;20240506104500000;-20;-1\r\n"
    "ZAW;1;;2000;900;-1;-1;20240506104500000\nZAW;4;;1000;399;-1;-1;20240506104500000\n"
    "ZAW;;1;1000;50;-1;-1;20240506104500000\nZAW;;1;-2000;-100;-45;-1;20240506104500000\n"
    "PMT;0;1000;100;-1;-1;0;0;0;;20240506104500000\n"
    "PMT;4;100;1;-1;-1;4;0;0;;20240506104500000;7;EUR;43125;431\n"
    "PMT;0;-147;100;-1;-1;0;1;0;;20240506104500000\n";

// The archive ends every line in CR LF.
std::string archived(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}

class Receipts : public Import {
protected:
    void SetUp() override {
        Import::SetUp();
        host.params["ComboImpMode"] = "1";
        host.params["ComboImpReceipts"] = "1";
    }
    // Every kasa.imp the host was handed, in order (the archive of kasa.imp).
    std::string handedOver() const { return file("arch1.imp"); }
};

TEST_F(Receipts, ReceiptBufferModeCountsTheDayFromTheReceipts) {
    importOk();
    const std::string kasa = file("kasa.imp");
    // Sold goods of the receipts, not the counters (bread's counter says 3000).
    EXPECT_EQ(section(kasa, "TOWAROWE"),
              "PLU;1;;2000;900\r\nPLU;4;;1000;399\r\nPLU;;1;-1000;-50\r\nPLU;10;;1000;699\r\n");
    EXPECT_EQ(handedParams(kasa), "KASPAR;ComboLastReceipt;3302\r\nKASPAR;ComboLastSave;20240506:*\r\n");
    const std::string fin = section(kasa, "FINANSOWE");
    EXPECT_NE(fin.find("FPLATN_KARTA;699\r\n"), std::string::npos) << fin;
    // The currency payment once, in złoty.
    EXPECT_NE(fin.find("FPLATN_INNE;431\r\n"), std::string::npos) << fin;
    EXPECT_NE(fin.find("WPLATY;10000\r\nWYPLATY;2000\r\n"), std::string::npos) << fin;
    EXPECT_NE(fin.find("IL_KOSZYKOW;2\r\n"), std::string::npos) << fin;

    // Positions and payments end in LF alone, as the host reads them.
    EXPECT_EQ(section(kasa, "Paragon nr 1201"), kReceipt1201);
    EXPECT_EQ(occurrences(kasa, "[Paragon nr "), 2);
    // The voided milk is no sale but an other-information record; so is the cancelled receipt.
    EXPECT_NE(kasa.find("OP_STORNO;3301;1201;1;1;1;1;;0;20240506104500000;;-1\r\nZAW;2;;1000;329;"), std::string::npos);
    EXPECT_NE(kasa.find("OP_ANUL;;;0;1;1;1;;0;20240506110200000;;-1\r\nPMT;-1;399;100;"), std::string::npos);
    EXPECT_EQ(occurrences(kasa, "[INNA_OPER]"), 4);
}

TEST_F(Receipts, CountersModeTakesGoodsFromTheCountersAndPaymentsFromTheLines) {
    host.params["ComboImpMode"] = "0";
    host.params["ComboImpReceipts"] = "0";
    importOk();
    const std::string kasa = file("kasa.imp");
    EXPECT_EQ(section(kasa, "TOWAROWE"), "PLU;1;;3000;1350\r\nPLU;2;;2000;658\r\nPLU;;1;9000;450\r\n");
    EXPECT_EQ(occurrences(kasa, "[Paragon nr "), 0);
    EXPECT_EQ(occurrences(kasa, "[INNA_OPER]"), 0);
    const std::string fin = section(kasa, "FINANSOWE");
    EXPECT_NE(fin.find("FPLATN_KARTA;699\r\n"), std::string::npos) << fin;
    EXPECT_NE(fin.find("FPLATN_INNE;431\r\n"), std::string::npos) << fin;
    // Out of the receipt-buffer mode every buffer hands the last print number over.
    EXPECT_EQ(handedParams(kasa), "KASPAR;ComboLastReceipt;3302\r\nKASPAR;ComboLastSave;20240506:*\r\n");
}

TEST_F(Receipts, ReceiptsWithoutTheirBlocksInReceiptBufferMode) {
    host.params["ComboImpReceipts"] = "0";
    importOk();
    const std::string kasa = file("kasa.imp");
    EXPECT_EQ(occurrences(kasa, "[Paragon nr "), 0);
    EXPECT_EQ(section(kasa, "TOWAROWE").substr(0, 16), "PLU;1;;2000;900\r");
}

TEST_F(Receipts, ABufferPerDayAndTheLastReceiptGuard) {
    sim.updateState([](RegisterState& s) { sellReceipt(s, Sale().item(3, 1500).at({2024, 5, 7, 8, 30, 0})); });
    host.params["ComboLastReceipt"] = "3302";  // the host holds the first day already
    importOk();
    EXPECT_EQ(host.storeImport, 2);
    const std::string all = handedOver();
    const auto second = all.find("[IMPORT WYKONANY DNIA", all.find("[IMPORT WYKONANY DNIA") + 1);
    ASSERT_NE(second, std::string::npos);
    const std::string day1 = all.substr(0, second), day2 = all.substr(second);
    // Day 1: its receipts again, but no sums and no new last number.
    EXPECT_EQ(section(day1, "TOWAROWE"), "");
    EXPECT_EQ(handedParams(day1), "KASPAR;ComboLastSave;20240506:*\r\n");
    EXPECT_EQ(occurrences(day1, "[Paragon nr "), 2);
    EXPECT_NE(day1.find("DATA_SPRZEDAZY;20240506"), std::string::npos);
    // Day 2 is new.
    EXPECT_EQ(section(day2, "TOWAROWE"), "PLU;3;;1500;599\r\n");
    EXPECT_EQ(handedParams(day2), "KASPAR;ComboLastReceipt;3303\r\nKASPAR;ComboLastSave;20240507:*\r\n");
    EXPECT_NE(day2.find("DATA_SPRZEDAZY;20240507083000000"), std::string::npos);
}

// The host stores the last print number with each buffer, and the next
// buffer is measured against that: a day whose receipts the clock put out of
// order never takes the host's number back.
TEST_F(Receipts, TheLastReceiptGuardTakesTheHostsNumberForEachBuffer) {
    sim.updateState([](RegisterState& s) {
        sellReceipt(s, Sale().item(3, 1500).at({2024, 5, 7, 8, 30, 0}));  // 3303
        sellReceipt(s, Sale().item(3, 1000).at({2024, 5, 6, 18, 0, 0}));  // 3304, back on the first day
    });
    host.keepImports = true;
    importOk();
    EXPECT_EQ(host.storeImport, 2);
    EXPECT_EQ(host.params["ComboLastReceipt"], "3304");
    const std::string all = handedOver();
    const std::string day2 = all.substr(all.find("[IMPORT WYKONANY DNIA", all.find("[IMPORT WYKONANY DNIA") + 1));
    EXPECT_EQ(handedParams(day2), "KASPAR;ComboLastSave;20240507:*\r\n");
    EXPECT_EQ(occurrences(day2, "[Paragon nr "), 1);
}

TEST_F(Receipts, OrdersBecomeOneEdiDocumentPerProcessing) {
    host.params["ComboOrdersMagNo"] = pl("Magazyn główny");
    importOk();
    std::vector<std::filesystem::path> docs;
    for (const auto& e : std::filesystem::directory_iterator(dir / "EDI")) docs.push_back(e.path());
    ASSERT_EQ(docs.size(), 1u);
    const std::string name = docs[0].filename().string();
    EXPECT_EQ(name.substr(0, 7), "Doc001_");
    EXPECT_EQ(name.substr(name.size() - 8), "_001.txt");
    EXPECT_TRUE(has(pl("Utworzono nowy dokument EDI z zamówieniem: ") + name)) << dump();
    const std::string doc = slurp(docs[0]);
    // Code page 852: "ł" 0x88, "ó" 0xA2.
    EXPECT_NE(doc.find("Magazyn:Magazyn g\x88\xA2wny\r\n"), std::string::npos) << doc;
    // The changed order (33) replaced the first one.
    EXPECT_NE(doc.find("IloscLinii:1\r\nLinia:Kod{2800003}Ilosc{2.500}\r\n"), std::string::npos) << doc;

    // The next import with an order: the next number, its own lines only.
    sim.updateState([](RegisterState& s) { placeOrder(s, 1, 2000); });
    importOk();
    docs.clear();
    for (const auto& e : std::filesystem::directory_iterator(dir / "EDI")) docs.push_back(e.path());
    std::sort(docs.begin(), docs.end());
    ASSERT_EQ(docs.size(), 2u);
    EXPECT_NE(docs[1].filename().string().find("_002.txt"), std::string::npos);
    EXPECT_NE(slurp(docs[1]).find("IloscLinii:1\r\nLinia:Kod{5900000000017}Ilosc{2.000}\r\n"), std::string::npos);
}

// The document type as set; an empty setting reads 0, as every integer
// setting that cannot be read does.
TEST_F(Receipts, OrdersAsSetsTheDocumentType) {
    for (const auto& [setting, type] : {std::pair{"1", "ZAM_ODB"}, {"0", "ZAM"}, {"", "ZAM"}}) {
        SCOPED_TRACE(std::string("ComboOrdersAs '") + setting + "'");
        std::filesystem::remove_all(dir / "EDI");
        sim.updateState([](RegisterState& s) { placeOrder(s, 1, 2000); });
        host.params["ComboOrdersAs"] = setting;
        importOk();
        std::vector<std::filesystem::path> docs;
        for (const auto& e : std::filesystem::directory_iterator(dir / "EDI")) docs.push_back(e.path());
        ASSERT_EQ(docs.size(), 1u);
        EXPECT_NE(slurp(docs[0]).find(std::string("\r\nTypDok:") + type + "\r\n"), std::string::npos);
    }
}

// An order document that cannot be written holds up no import: the sales go
// to the host, the orders wait in the working directory with a message, and
// the next import that can writes them before its own, in one document.
struct BlockedEdi {
    const char* name;
    void (*block)(const std::filesystem::path& edi);  // while the import runs
    void (*mend)(const std::filesystem::path& edi);
};

const BlockedEdi kBlockedEdi[] = {
    {"FolderGone", [](const std::filesystem::path& edi) { std::filesystem::remove_all(edi); },
     [](const std::filesystem::path&) {}},
    {"EveryNumberOfTheDayTaken",
     [](const std::filesystem::path& edi) {
         std::filesystem::create_directories(edi);
         // Today and tomorrow: an import may run across midnight.
         for (const std::time_t t : {std::time(nullptr), std::time(nullptr) + 86400}) {
             char day[16];
             std::strftime(day, sizeof day, "%Y%m%d", std::localtime(&t));
             for (int n = 999; n >= 1; --n) {
                 char name[64];
                 std::snprintf(name, sizeof name, "Doc001_%s_%03d.txt", day, n);
                 if (n == 999 && std::filesystem::exists(edi / name)) break;  // taken at an earlier message
                 std::ofstream(edi / name) << "x";
             }
         }
     },
     [](const std::filesystem::path& edi) { std::filesystem::remove_all(edi); }},
};

class OrdersKept : public Receipts, public ::testing::WithParamInterface<BlockedEdi> {};

TEST_P(OrdersKept, UntilAnImportCanWriteThem) {
    const auto edi = dir / "EDI";
    const auto docs = [&] {
        std::vector<std::filesystem::path> d;
        if (std::filesystem::is_directory(edi))
            for (const auto& e : std::filesystem::directory_iterator(edi)) d.push_back(e.path());
        return d;
    };
    // Blocked after the folder was checked at the start of the operation.
    host.onMessage = [&] { GetParam().block(edi); };
    importOk();
    host.onMessage = nullptr;
    EXPECT_GT(host.storeImport, 0);
    EXPECT_FALSE(exists("combo.imp"));
    EXPECT_TRUE(sim.state().receipts.empty());
    const std::string kept = file("zamowienia_edi.txt");
    EXPECT_NE(kept.find(pl("\r\nJabłka luz;2800003;2500\r\n")), std::string::npos) << kept;
    bool told = false;
    for (const auto& m : host.messages)
        told = told || (m.text.rfind(pl("Nie można zapisać dokumentu zamówienia w katalogu EDI ("), 0) == 0 &&
                        m.text.find((dir / "zamowienia_edi.txt").string()) != std::string::npos);
    EXPECT_TRUE(told) << dump();
    const std::size_t before = docs().size();

    // Blocked again: the kept orders stay, the new ones join them.
    sim.updateState([](RegisterState& s) { placeOrder(s, 4, 3000); });
    host.onMessage = [&] { GetParam().block(edi); };
    importOk();
    host.onMessage = nullptr;
    EXPECT_EQ(docs().size(), before);

    GetParam().mend(edi);
    sim.updateState([](RegisterState& s) { placeOrder(s, 1, 2000); });
    importOk();
    EXPECT_FALSE(exists("zamowienia_edi.txt"));
    std::vector<std::string> written;
    for (const auto& d : docs())
        if (slurp(d) != "x") written.push_back(slurp(d));
    ASSERT_EQ(written.size(), 1u);
    EXPECT_NE(written[0].find("IloscLinii:3\r\nLinia:Kod{2800003}Ilosc{2.500}\r\nLinia:Kod{5900000000048}Ilosc{3.000}\r\n"
                              "Linia:Kod{5900000000017}Ilosc{2.000}\r\n"),
              std::string::npos)
        << written[0];
}

INSTANTIATE_TEST_SUITE_P(Import, OrdersKept, ::testing::ValuesIn(kBlockedEdi),
                         [](const auto& i) { return std::string(i.param.name); });

// The reading cut off inside receipt 1201 (its third record) in the ways a
// line fails; the next import completes it. Every receipt reaches the host
// once, with all its lines.
struct Cut {
    const char* name;
    CommandFault::Kind kind;
    std::uint16_t code;
};

class CutReceipt : public Receipts, public ::testing::WithParamInterface<Cut> {};

TEST_P(CutReceipt, TheNextImportCompletesIt) {
    // Commands: status, number, 1 + 6 goods, 1 + 3 packages; then SALERECGET from 14.
    Faults f;
    f.commandFaults = {{16, GetParam().kind, GetParam().code}};
    sim.setFaults(f);
    host.run(-3);
    ASSERT_FALSE(host.lines(2).empty()) << dump();
    EXPECT_EQ(host.storeImport, 0);
    EXPECT_TRUE(exists("combo.imp"));
    EXPECT_TRUE(exists("receipt.tmp"));

    sim.clearFaults();
    importOk();
    EXPECT_FALSE(exists("combo.imp"));
    EXPECT_FALSE(exists("receipt.tmp"));
    EXPECT_TRUE(sim.state().receipts.empty());
    const std::string all = handedOver();
    EXPECT_EQ(occurrences(all, "[Paragon nr 1201]"), 1) << all;
    EXPECT_EQ(occurrences(all, "[Paragon nr 1202]"), 1);
    const std::string last = file("kasa.imp");
    EXPECT_EQ(section(last, "Paragon nr 1201"), kReceipt1201);
    EXPECT_EQ(occurrences(all, "OP_STORNO;3301;1201"), 1);
    EXPECT_EQ(occurrences(all, "OP_ANUL;"), 1);
    EXPECT_EQ(occurrences(all, "OP_WPL;"), 1);
    EXPECT_EQ(section(last, "TOWAROWE"),
              "PLU;1;;2000;900\r\nPLU;4;;1000;399\r\nPLU;;1;-1000;-50\r\nPLU;10;;1000;699\r\n");
}

INSTANTIATE_TEST_SUITE_P(Import, CutReceipt,
                         ::testing::Values(Cut{"AnswerLost", CommandFault::Kind::LoseAnswers, 0},
                                           Cut{"Refused", CommandFault::Kind::Refuse, 958},
                                           Cut{"TransmissionStatus", CommandFault::Kind::TransmissionStatus, 1}),
                         [](const auto& i) { return std::string(i.param.name); });

}  // namespace

namespace {

// The user stops the import at any point of the reading; the next import
// hands every receipt over once.
TEST_F(Receipts, AnImportStoppedByTheUserIsCompletedByTheNext) {
    for (int stopAt : {3, 9, 12, 15, 19, 24}) {
        SCOPED_TRACE(stopAt);
        sim.setState(defaultRegisterState());
        for (const auto& e : std::filesystem::directory_iterator(dir))
            if (e.is_regular_file()) std::filesystem::remove(e.path());
        host.abortQueries = 0;
        host.abortAfter = stopAt;
        host.messages.clear();
        host.run(-3);
        EXPECT_EQ(host.lines(2).back(), pl("Operacja przerwana przez użytkownika")) << dump();
        host.abortAfter = -1;
        importOk();
        EXPECT_FALSE(exists("receipt.tmp"));
        EXPECT_TRUE(sim.state().receipts.empty());
        const std::string all = handedOver();
        EXPECT_EQ(occurrences(all, "[Paragon nr 1201]"), 1);
        EXPECT_EQ(occurrences(all, "[Paragon nr 1202]"), 1);
        EXPECT_EQ(occurrences(all, "OP_ANUL;"), 1);
        EXPECT_EQ(occurrences(all, archived("[Paragon nr 1201]\r\n" + kReceipt1201)), 1);
    }
}

}  // namespace

namespace {

// The register's buffer ends inside a receipt still being rung up: its first
// lines wait, and the import after its close hands it over whole, once.
TEST_F(Receipts, AReceiptStillOpenAtTheRegisterWaitsForItsEnd) {
    RegisterState s = defaultRegisterState();
    std::vector<ReceiptRecord> all = s.receipts;
    const std::size_t openPart = 3;  // three records of receipt 1201, no close
    s.receipts.assign(all.begin(), all.begin() + openPart);
    sim.setState(s);
    importOk();
    EXPECT_TRUE(exists("receipt.tmp"));
    EXPECT_EQ(occurrences(handedOver(), "[Paragon nr "), 0);
    EXPECT_EQ(section(file("kasa.imp"), "TOWAROWE"), "");

    sim.updateState([&all, openPart](RegisterState& r) { r.receipts.assign(all.begin() + openPart, all.end()); });
    importOk();
    EXPECT_FALSE(exists("receipt.tmp"));
    EXPECT_EQ(occurrences(handedOver(), archived("[Paragon nr 1201]\r\n" + kReceipt1201)), 1);
    EXPECT_EQ(occurrences(handedOver(), "[Paragon nr 1202]"), 1);
    EXPECT_EQ(occurrences(handedOver(), "OP_STORNO;3301;1201"), 1);
}

}  // namespace
