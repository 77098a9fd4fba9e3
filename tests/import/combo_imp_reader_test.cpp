// "combo.imp" read back into one buffer per sale date.
#include "drivers/import/combo_imp_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "drivers/import/imp_archive.h"
#include "platform/cp1250.h"
#include "platform/exception.h"
#include "tests/platform/tempdir.h"
#include "tests/support/kasa_imp_text.h"

using namespace zt;

using ztest::section;

namespace {

const TdtTools kImportDay = TdtTools::Encode(2024, 5, 6, 21, 0, 0);

// Records what the reader hands on: the receipt lines with the sale day of
// the buffer each went to, and the progress calls.
class RecordingReader : public ZTComboImpReader {
public:
    std::vector<std::pair<std::string, int>> lines;  // line, day of its buffer (-1 none)
    int records = 0;
    std::string started;
    int ended = -1;

protected:
    void OnStart(const std::string& text) override { started = text; }
    void OnRecord() override { ++records; }
    void OnEnd(bool ok) override { ended = ok ? 1 : 0; }
    void OnReceiptLine(std::string_view line, ZTImpBuf* b) override {
        lines.emplace_back(std::string(line), b ? static_cast<int>(b->saleDate.Day()) : -1);
    }
};

TEST(ComboImpReading, SalesCashierAndCashPerForm) {
    const std::string text =
        "\r\n# comment\r\n- dash\r\n   \r\n"
        "SPT;12;675;1500;0;06-05-2024\r\n"
        "SPT;13;0;0;0;06-05-2024\r\n"
        "SPO;3;5;2;500;200;0\r\n"
        "SPO;4;1;1;100;100;0\r\n"
        "KAS;3;Nowak ;0;0;20240506080000000;20240506210000000;0;0;0;0;0;41;2;1500;3;700\r\n"
        "KPL;1;Got;25000;10000\r\n"
        "KPL;2;Karta;1234;10000\r\n"
        "KPL;3;Euro;300000;45000\r\n"
        "KPL;3;Euro;1;0\r\n"
        "KPL;9;?;x;y\r\n"
        "XYZ;whatever\r\n";
    ZTImpBufList list;
    RecordingReader r;
    r.ReadText(text, list, kImportDay);
    EXPECT_EQ(r.started, "Analiza pliku combo.imp...");
    EXPECT_EQ(r.ended, 1);
    EXPECT_EQ(r.records, 11);
    ASSERT_EQ(list.Count(), 1);
    ASSERT_EQ(r.lines.size(), 1u);  // only the end-of-file call
    EXPECT_EQ(r.lines[0].first, "");
    ZTImpBuf& b = list.At(0);
    EXPECT_EQ(b.saleDate.Value(), kImportDay.Value());
    const std::string t = b.WriteToText(false);
    // SPT quantity is field 3, value field 2; a package sold and returned alike nets to 0.
    EXPECT_EQ(section(t, "TOWAROWE"), "PLU;12;;1500;675\r\nPLU;;3;3;300\r\n");
    EXPECT_NE(t.find("ZWROT_OPAKOWAN;300\r\nSPRZEDAZ_OPAKOWAN;600\r\n"), std::string::npos);
    // 300000 x 45000 / 10000 passes 32 bits on the way.
    EXPECT_EQ(section(t, "STAN_KASY"),
              "KAS_NUMER;3\r\nKAS_NAZWISKO;Nowak\r\nKAS_ZMSTART;20240506080000000\r\nKAS_BIEZ;20240506210000000\r\n"
              "KAS_STANKASY;25000\r\nKAS_KARTY;1234\r\nKAS_PARAGONOW;41\r\nKAS_IL_PAR_ANULOWANYCH;2\r\n"
              "KAS_WART_PAR_ANULOWANYCH;1500\r\nKAS_IL_STORNO;3\r\nKAS_WART_STORNO;700\r\n"
              "KAS_WAL1_NAZWA;EUR\r\nKAS_WAL1_KURS;45000\r\nKAS_WAL1_STAN;300001\r\nKAS_WAL1_BILANS;1350000\r\n");
    EXPECT_NE(t.find("FISK_Z_PLU;T\r\nNADPISZ_FISK;N\r\nNADPISZ_OPAK;N\r\n"), std::string::npos);
}

TEST(ComboImpReading, ReceiptLinesGoToTheBufferOfTheirClosingDay) {
    const std::string d1 = "20240505120000000", d2 = "20240506093000000";
    const std::string text =
        "SPT;1;1;1;0;01-01-2024\r\n"  // ignored in the sales-from-receipts mode
        "P_PLU;0;1;;A;1000;100;0\r\n"
        "# a comment inside a receipt\r\n"
        "P_TRN;1;" +
        d1 +
        ";1;Jan;2;100;100;101\r\n"
        "P_PLU;0;2;;B;1000;200;0\r\n"
        "P_PLA;2;1;Got;0;200\r\n"
        "P_TRN;2;" +
        d2 +
        ";1;Jan;2;200;200;102\r\n"
        "KAS;0\r\n"
        "P_PLU;0;3;;C;1000;300;0\r\n";  // its receipt never closed
    ZTImpBufList list({false, true, true});
    RecordingReader r;
    r.ReadText(text, list, kImportDay);
    ASSERT_EQ(list.Count(), 2);
    const int day1 = TdtTools::Parse(d1, 13).Day(), day2 = TdtTools::Parse(d2, 13).Day();
    EXPECT_EQ(list.At(0).saleDate.Day(), day1);
    EXPECT_EQ(list.At(1).saleDate.Day(), day2);
    EXPECT_TRUE(list.At(0).salesFromReceipts);
    EXPECT_TRUE(list.At(0).writeReceipts);
    EXPECT_TRUE(list.At(0).defaultIdentIsCode);
    const std::vector<std::pair<std::string, int>> want = {
        {"P_PLU;0;1;;A;1000;100;0", day1},
        {"P_TRN;1;" + d1 + ";1;Jan;2;100;100;101", day1},
        {"P_PLU;0;2;;B;1000;200;0", day2},
        {"P_PLA;2;1;Got;0;200", day2},
        {"P_TRN;2;" + d2 + ";1;Jan;2;200;200;102", day2},
        // The run without a closing line stays in the current buffer.
        {"P_PLU;0;3;;C;1000;300;0", day2},
        {"", day2}};
    EXPECT_EQ(r.lines, want);
    EXPECT_TRUE(list.At(1).Kas_IsActiveKasjerSection());  // the cashier went to the current buffer
    EXPECT_EQ(list.At(0).CountPlu(), 0);

    ZTImpBufList off;  // otherwise everything is the DataImportu day's
    RecordingReader r2;
    r2.ReadText(text, off, kImportDay);
    ASSERT_EQ(off.Count(), 1);
    for (const auto& l : r2.lines) EXPECT_EQ(l.second, kImportDay.Day());
}

TEST(ComboImpReading, EmptyCutShortAndMalformedFiles) {
    {  // only comments: no buffer in the sales-from-receipts mode, one empty buffer otherwise
        ZTImpBufList on({false, true, false}), off;
        RecordingReader r;
        r.ReadText("# x\r\n", on, kImportDay);
        r.ReadText("# x\r\n", off, kImportDay);
        EXPECT_EQ(on.Count(), 0);
        EXPECT_EQ(off.Count(), 1);
    }
    {  // a killed writer's half line is not read: its record comes again
        ZTImpBufList list;
        RecordingReader r;
        r.ReadText("SPT;1;100;1000;0;01-01-2024\r\nSPT;2;10", list, kImportDay);
        EXPECT_EQ(r.records, 1);
        EXPECT_EQ(list.At(0).CountPlu(), 1);
        EXPECT_EQ(r.ended, 1);
    }
    const struct {
        const char* line;
        const char* bad;
    } bad[] = {{"SPT;1;12x;1;0;01-01-2024\n", "'12x'"},
               {"SPO;1;1;1;1\n", "''"},
               {"KPL;3;Euro;1;99999999999999999999\n", "'99999999999999999999'"},
               {"KAS;\n", "''"}};
    for (const auto& c : bad) {
        ZTImpBufList list;
        RecordingReader r;
        try {
            r.ReadText(c.line, list, kImportDay);
            ADD_FAILURE() << c.line;
        } catch (const Exception& e) {
            EXPECT_EQ(e.message(), "combo.imp, wiersz 1: " + std::string(c.bad) + " is not a valid integer value");
        }
        EXPECT_EQ(r.ended, 0) << c.line;
    }
}

// Other programs write the file too: CR LF, LF and CR end a line alike, and a
// line that cannot be read is named by its number whatever ends the lines.
TEST(ComboImpReading, EveryLineEndReadsAlike) {
    const std::vector<std::string> lines = {
        "SPT;12;675;1500;0;06-05-2024",
        "",
        "# comment",
        "SPO;3;5;2;500;200;0",
        "KAS;3;Nowak;0;0;20240506080000000;20240506210000000;0;0;0;0;0;41;2;1500;3;700",
        "KPL;1;Got;25000;10000"};
    const auto joined = [&lines](const std::string& end, const std::string& extra) {
        std::string t;
        for (const auto& l : lines) t += l + end;
        return t + extra;
    };
    std::string expected;
    for (const char* end : {"\r\n", "\n", "\r"}) {
        SCOPED_TRACE(testing::PrintToString(end));
        ZTImpBufList list;
        RecordingReader r;
        r.ReadText(joined(end, ""), list, kImportDay);
        EXPECT_EQ(r.records, 4);
        ASSERT_EQ(list.Count(), 1);
        const std::string text = list.At(0).WriteToText(false);
        if (expected.empty()) expected = text;
        EXPECT_EQ(text, expected);
        EXPECT_NE(section(text, "TOWAROWE"), "");

        try {
            r.ReadText(joined(end, std::string("SPT;1;1x;1;0;01-01-2024") + end), list, kImportDay);
            ADD_FAILURE();
        } catch (const Exception& e) {
            EXPECT_EQ(e.message(), "combo.imp, wiersz 7: '1x' is not a valid integer value");
        }
    }
}

TEST(ComboImpReading, FromFileAndIntoTheArchives) {
    test::TempDir d;
    std::ofstream(d.file("combo.imp"), std::ios::binary) << "SPT;7;70;1000;0;01-01-2024\r\nSPT;8;1";
    ZTImpBufList list;
    RecordingReader r;
    r.Read(d.file("combo.imp"), list, kImportDay);
    EXPECT_EQ(list.At(0).CountPlu(), 1);
    EXPECT_THROW(r.Read(d.file("missing.imp"), list, kImportDay), EMException);

    ArchiveComboImp(d.dir(), nullptr);
    ArchiveComboImp(d.dir(), nullptr);
    ArchiveKasaImp(d.dir(), nullptr);  // no kasa.imp: nothing
    std::ifstream in(d.file("arch.imp"), std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string arch = ss.str();
    const std::string header = ComboArchiveHeader();
    ASSERT_EQ(arch.substr(0, header.size()), header);
    EXPECT_NE(header.find(pl("<ilość>;<wartość_po_rab>")), std::string::npos);
    EXPECT_EQ(header.substr(header.size() - 3), "#\r\n");
    const std::string body = arch.substr(header.size());
    const std::string one = body.substr(0, body.size() / 2);
    EXPECT_EQ(one.substr(0, 40), "\r\n------------ [IMPORT WYKONANY DNIA: 20");
    EXPECT_EQ(one.substr(one.size() - 53), "] ------------\r\nSPT;7;70;1000;0;01-01-2024\r\nSPT;8;1\r\n");
    EXPECT_EQ(body, one + one);
    EXPECT_FALSE(std::filesystem::exists(d.file("arch1.imp")));

    // An archive name that is a link is refused, not followed.
    std::ofstream(d.file("victim")) << "v";
    std::filesystem::create_symlink(d.file("victim"), d.file("arch2.imp"));
    std::ofstream(d.file("receipt.tmp")) << "P_PLU;x\r\n";
    EXPECT_THROW(ArchiveReceiptTmp(d.dir(), nullptr), EMException);
    std::ifstream v(d.file("victim"));
    std::string vs;
    v >> vs;
    EXPECT_EQ(vs, "v");
}

}  // namespace
