// Tests of the bench's own parts; the bench against the plug-in is the script test.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>

#include "host/bench_host.h"
#include "host/console.h"
#include "host/exchange.h"
#include "host/extended.h"
#include "host/goods_rule.h"
#include "host/host_buffer.h"
#include "host/options.h"
#include "host/params_file.h"
#include "host/translation_file.h"
#include "platform/cp1250.h"

namespace zt {
namespace {

namespace fs = std::filesystem;

ParsedOptions parse(std::vector<std::string> args) { return parseOptions(args); }

TEST(BenchOptions, DefaultsCommandsAndValues) {
    auto r = parse({"run", "-8", "6", "--register=3", "--vat", "23,0,-1", "--barcode-formats", "28ó,29"});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.command, BenchCommand::Run);
    EXPECT_EQ(r.options.arg1, -8);  // a negative operation is not an option
    EXPECT_EQ(r.options.arg2, 6);
    EXPECT_EQ(r.options.registerNo, 3);
    EXPECT_EQ(r.options.sessionValue(), 3);  // defaults to the register number
    EXPECT_EQ(r.options.vat, (std::vector<std::int32_t>{23, 0, -1}));
    ASSERT_EQ(r.options.barcodeFormats.size(), 2u);
    EXPECT_EQ(r.options.barcodeFormats[0], "28\xF3");  // given in UTF-8, kept in Windows-1250

    auto d = parse({"properties"});
    EXPECT_EQ(d.options.vat, (std::vector<std::int32_t>{23, 8, 5, 0, -1}));
    EXPECT_TRUE(d.options.abortCallback);
    EXPECT_TRUE(parse({"--help"}).options.help);
}

TEST(BenchOptions, WrongCommandLinesAreErrors) {
    EXPECT_NE(parse({"--bogus", "properties"}).error, "");
    EXPECT_NE(parse({"properties", "--register"}).error, "");        // value missing
    EXPECT_NE(parse({"--register", "x1", "properties"}).error, "");  // not a number
    EXPECT_NE(parse({"--vat", "23,-2", "properties"}).error, "");
    EXPECT_NE(parse({"--vat", "21474837", "properties"}).error, "");  // not expressible in hundredths
    EXPECT_EQ(parse({"--vat", "21474836", "properties"}).error, "");
    EXPECT_NE(parse({"--refuse-store=1", "properties"}).error, "");
    EXPECT_NE(parse({}).error, "");
    EXPECT_NE(parse({"explode"}).error, "");
    EXPECT_NE(parse({"run"}).error, "");
    EXPECT_NE(parse({"run", "1", "2", "3"}).error, "");
    EXPECT_NE(parse({"window", "a"}).error, "");
}

TEST(BenchOptions, Utf8Detection) {
    EXPECT_FALSE(isNonAsciiUtf8("plain"));
    EXPECT_TRUE(
        isNonAsciiUtf8("Z\xC5\x82\xC4\x85"
                       "cze"));
    EXPECT_FALSE(
        isNonAsciiUtf8("Z\xB3\xB9"
                       "cze"));                    // Windows-1250
    EXPECT_FALSE(isNonAsciiUtf8("\xC0\x80"));      // overlong
    EXPECT_FALSE(isNonAsciiUtf8("\xED\xA0\x80"));  // surrogate
    EXPECT_FALSE(isNonAsciiUtf8("\xC5"));          // cut short
    EXPECT_EQ(toCp1250IfUtf8("\xB3"), "\xB3");
}

TEST(ParamsFileTest, Utf8FileIsReadIn1250AndWrittenBackInUtf8KeepingOtherLines) {
    auto f = ParamsFile::fromText(
        "# comment\r\nComboPort=COM1\r\nOpis=Z\xC5\x82\xC4\x85"
        "cze\r\nbroken line\r\n");
    EXPECT_TRUE(f.utf8());
    EXPECT_EQ(f.get("comboport").value_or("-"), "COM1");  // keys ignore ASCII case
    EXPECT_EQ(f.get("Opis").value_or("-"),
              "Z\xB3\xB9"
              "cze");
    EXPECT_FALSE(f.get("Missing"));
    f.set("ComboPort", "TCP/IP");
    f.set("ZT_Combo_X", "\xB3");
    EXPECT_EQ(f.text(),
              "# comment\r\nComboPort=TCP/IP\r\nOpis=Z\xC5\x82\xC4\x85"
              "cze\r\nbroken line\r\nZT_Combo_X=\xC5\x82\r\n");
}

TEST(ParamsFileTest, Cp1250FileStays1250) {
    auto f = ParamsFile::fromText(
        "Opis=Z\xB3\xB9"
        "cze\n");
    EXPECT_FALSE(f.utf8());
    EXPECT_EQ(f.get("Opis").value_or("-"),
              "Z\xB3\xB9"
              "cze");
    f.set("Opis", "\xB3");
    EXPECT_EQ(f.text(), "Opis=\xB3\n");
}

TEST(ParamsFileTest, MultiLineValuesRoundTripAndBackslashesStayLiteral) {
    auto f = ParamsFile::fromText("ComboEdiFolder=c:\\Ambrel\\nowy\\\n");
    EXPECT_EQ(f.get("ComboEdiFolder").value_or("-"), "c:\\Ambrel\\nowy\\");
    f.set("ZT_Combo_Order", "2300\r\n800\\x");
    EXPECT_EQ(f.text(), "ComboEdiFolder=c:\\Ambrel\\nowy\\\nZT_Combo_Order:=2300\\r\\n800\\\\x\n");
    auto g = ParamsFile::fromText(f.text());
    EXPECT_EQ(g.get("ZT_Combo_Order").value_or("-"), "2300\r\n800\\x");
    g.set("ZT_Combo_Order", "1");
    EXPECT_EQ(g.text(), "ComboEdiFolder=c:\\Ambrel\\nowy\\\nZT_Combo_Order=1\n");
}

TEST(ParamsFileTest, SaveWritesTheFileItWasLoadedFrom) {
    fs::path dir = fs::temp_directory_path() /
                   ("zthost-params-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::create_directories(dir);
    fs::path p = dir / "p.ini";
    std::ofstream(p, std::ios::binary) << "A=1\nB=2\n";
    auto f = ParamsFile::load(p.string());
    f.set("B", "3");
    ASSERT_TRUE(f.save());
    std::ifstream in(p, std::ios::binary);
    std::string s((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(s, "A=1\nB=3\n");
    EXPECT_FALSE(fs::exists(dir / "p.ini.tmp"));
    EXPECT_FALSE(ParamsFile().save());  // no file behind it
    EXPECT_THROW(ParamsFile::load((dir / "none.ini").string()), std::runtime_error);
    fs::remove_all(dir);
}

QORExtended ext(std::uint64_t mantissa, std::uint32_t signExp) {
    return QORExtended{{static_cast<std::uint32_t>(mantissa), static_cast<std::uint32_t>(mantissa >> 32), signExp}};
}

TEST(Extended, DecodesBitPatterns) {
    EXPECT_EQ(extendedToDouble(ext(0x8000000000000000ull, 0x3FFF)), 1.0);
    EXPECT_EQ(extendedToDouble(ext(0xC000000000000000ull, 0xC000)), -3.0);
    EXPECT_EQ(extendedToDouble(ext(0, 0)), 0.0);
    EXPECT_TRUE(std::signbit(extendedToDouble(ext(0, 0x8000))));
    // 0.5 and 12.34 as an x87 stores them (12.34: 0xC570A3D70A3D70A4 * 2^(0x4002-16383-63)).
    EXPECT_EQ(extendedToDouble(ext(0x8000000000000000ull, 0x3FFE)), 0.5);
    EXPECT_EQ(extendedToDouble(ext(0xC570A3D70A3D70A4ull, 0x4002)), 12.34);
    EXPECT_TRUE(std::isinf(extendedToDouble(ext(0x8000000000000000ull, 0x7FFF))));
    EXPECT_TRUE(std::isnan(extendedToDouble(ext(0xC000000000000000ull, 0x7FFF))));
    // The two unread bytes above the exponent do not count.
    EXPECT_EQ(extendedToDouble(ext(0x8000000000000000ull, 0xABCD3FFF)), 1.0);
    // Smallest extended denormal is far below double range.
    EXPECT_EQ(extendedToDouble(ext(1, 0)), 0.0);
    for (double d : {0.01, 99999.99, -1234.5, 1e300, 4.9e-324})
        EXPECT_EQ(extendedToDouble(doubleToExtended(d)), d) << d;
}

TEST(ConsoleTest, PrefixesSeparatorAndEncoding) {
    EXPECT_EQ(Console::prefix(0), "[INFO] ");
    EXPECT_EQ(Console::prefix(1), "[WARN] ");
    EXPECT_EQ(Console::prefix(2), "[ERR ] ");
    EXPECT_EQ(Console::prefix(7), "[MSG7] ");
    EXPECT_EQ(Console::printable(pl("Wysyłanie:\x01"
                                    "25 %\r"),
                                 "\t"),
              "Wysyłanie:\t25 %");
}

TEST(ConsoleTest, MessagesAndPlainStatusLines) {
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    {
        Console c(f, false);
        c.message(2, pl("Błąd"));
        c.status(0, std::string("Eksport:\x01") + "OK");
    }
    std::rewind(f);
    char buf[256] = {0};
    std::size_t n = std::fread(buf, 1, sizeof buf - 1, f);
    std::fclose(f);
    EXPECT_EQ(std::string(buf, n), "[ERR ] Błąd\n[STAT] Eksport:\tOK\n");
}

TEST(ConsoleTest, LiveStatusIsRedrawnAndEndedBeforeAMessage) {
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    {
        Console c(f, true);
        c.status(0, "abcdef");
        c.status(0, "ab");
        c.message(0, "m");
    }
    std::rewind(f);
    char buf[256] = {0};
    std::size_t n = std::fread(buf, 1, sizeof buf - 1, f);
    std::fclose(f);
    EXPECT_EQ(std::string(buf, n), "\rabcdef\rab    \rab\n[INFO] m\n");
}

TEST(Exchange, GoodsCsvQuotesAndConverts) {
    GoodsRecord r;
    r.name = "Mas\xB3o, \"extra\"";
    r.plu = 12;
    r.codes = "590;591";
    r.overwrite = 1;
    r.group = "OPAKOWANIA";
    r.unit = "kg";
    r.vat = -1;
    r.prices[0] = r.prices[1] = r.prices[2] = r.prices[3] = 12.5;
    r.package = 1;
    r.answer = -1;
    r.price1Bits = doubleToExtended(12.5);
    EXPECT_EQ(
        goodsCsvRow(r),
        "\"Masło, \"\"extra\"\"\",12,590;591,1,OPAKOWANIA,kg,-1,12.5,12.5,12.5,12.5,0,1,,-1,4002C800000000000000\n");
}

TEST(Exchange, StoredResultsAreNumberedAndNeverOverwritten) {
    fs::path dir = fs::temp_directory_path() /
                   ("zthost-store-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    EXPECT_EQ(storeResult(dir.string(), "wynik.exp"), "");  // nothing to store
    std::ofstream(dir / "wynik.exp") << "1";
    EXPECT_EQ(storeResult(dir.string(), "wynik.exp"), "results/wynik-1.exp");
    EXPECT_EQ(storeResult(dir.string(), "wynik.exp"), "results/wynik-2.exp");
    EXPECT_TRUE(fs::exists(dir / "results" / "wynik-1.exp"));
    GoodsRecord r;
    ASSERT_TRUE(appendGoods((dir / "goods.csv").string(), r));
    ASSERT_TRUE(appendGoods((dir / "goods.csv").string(), r));
    std::ifstream in(dir / "goods.csv");
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first + "\n", goodsCsvHeader());
    int rows = 0;
    for (std::string l; std::getline(in, l);) ++rows;
    EXPECT_EQ(rows, 2);
    fs::remove_all(dir);
}

TEST(HostBufferTest, TerminatesAndSeesOverruns) {
    Text301 b("sesja 1");
    EXPECT_EQ(b.text(), "sesja 1");
    std::memset(b.get(), 'x', 301);
    EXPECT_EQ(b.text().size(), 300u);
    EXPECT_FALSE(b.overrun());
    b.get()[301] = 'y';
    EXPECT_TRUE(b.overrun());
}

TEST(TranslationFileTest, LinesModuleKeyText) {
    auto t = TranslationFile::fromText("m|k|Tekst \xC5\x82\r\n# c|d|e\nm|k|second\nbad line\nm|empty|\n");
    EXPECT_EQ(t.find("m", "k").value_or("-"), "Tekst \xB3");
    EXPECT_FALSE(t.find("#c", "d"));
    EXPECT_FALSE(t.find("m", "x"));
    EXPECT_EQ(t.find("m", "empty").value_or("-"), "");
}

struct BenchFixture {
    BenchOptions o;
    std::FILE* f = std::tmpfile();
    Console console{f, false};
    std::string output() {
        std::fflush(f);
        std::rewind(f);
        std::string s;
        for (int c; (c = std::fgetc(f)) != EOF;) s += static_cast<char>(c);
        return s;
    }
    ~BenchFixture() { std::fclose(f); }
};

TEST(BenchHostTest, AnswersTheCallbacksAsTheHost) {
    BenchFixture b;
    b.o = parse({"--register", "2", "--session", "7", "--vat", "23,-1", "--barcode-formats", "28x", "--abort-after",
                 "2", "run", "-1"})
              .options;
    const std::int32_t h = BenchHost::kHostValue;
    BenchHost host(b.o, b.console, ParamsFile::fromText("ComboPort=" + std::string(400, 'P') + "\n"),
                   TranslationFile::fromText("m|k|T\n"), true, "/w/");
    EXPECT_EQ(BenchHost::current(), &host);

    Text301 value;
    host.parameter(h, 7, "comboport", value.get());
    EXPECT_EQ(value.text(), std::string(300, 'P'));  // cut to the 301-byte buffer
    Text301 absent("x");
    host.parameter(h, 7, "Nothing", absent.get());
    EXPECT_EQ(absent.text(), "");

    std::int32_t id = -1, regNo = 0;
    Text301 t1, t2;
    Text261 dir;
    host.environment(h, 7, &id, &regNo, t1.get(), t2.get(), dir.get());
    EXPECT_EQ(id, 1);
    EXPECT_EQ(regNo, 2);
    EXPECT_EQ(t1.text(), "Tekst 1");
    EXPECT_EQ(dir.text(), "/w/");

    std::int32_t rate = 0;
    EXPECT_EQ(host.vatRate(h, 7, 0, &rate, true), 1);
    EXPECT_EQ(rate, 2300);
    EXPECT_EQ(host.vatRate(h, 7, 1, &rate, true), 1);
    EXPECT_EQ(rate, -1);  // exempt stays -1
    EXPECT_EQ(host.vatRate(h, 7, 0, &rate, false), 1);
    EXPECT_EQ(rate, 23);
    EXPECT_EQ(host.vatRate(h, 7, 2, &rate, false), 0);
    Text301 item;
    EXPECT_EQ(host.textList(h, 7, 0, item.get()), 1);
    EXPECT_EQ(item.text(), "28x");
    EXPECT_EQ(host.textList(h, 7, 1, item.get()), 0);

    // Two queries go on, the third says stop.
    EXPECT_EQ(host.abortQuery(h, 7), 0);
    EXPECT_EQ(host.abortQuery(h, 7), 0);
    EXPECT_EQ(host.abortQuery(h, 7), 1);

    char small[3];
    EXPECT_EQ(host.lookup(small, 3, "m", "k"), 1);
    EXPECT_STREQ(small, "T");
    EXPECT_EQ(host.lookup(small, 3, "m", "none"), 0);

    // Without a parameter file a written value is kept in memory and read back.
    EXPECT_EQ(host.writeParameter(h, 7, "ZT_Combo_X", "1\r\n2"), 1);
    Text301 back;
    host.parameter(h, 7, "ZT_Combo_X", back.get());
    EXPECT_EQ(back.text(), "1\r\n2");

    host.message(h, 8, 1, "w\x01v");
    std::string out = b.output();
    EXPECT_NE(out.find("[WARN] w\tv\n"), std::string::npos);
    EXPECT_NE(out.find("callback 12 called with host value 23124 and session 8, expected 23124 and 7"),
              std::string::npos);
}

TEST(BenchHostTest, RefusesStoresWhenAsked) {
    BenchFixture b;
    b.o = parse({"--refuse-store", "run", "-2"}).options;
    BenchHost host(b.o, b.console, ParamsFile(), TranslationFile(), false, "/w/");
    const std::int32_t h = BenchHost::kHostValue;
    EXPECT_EQ(host.store(h, 1, "wynik.exp"), 0);
    EXPECT_EQ(host.writeParameter(h, 1, "ZT_Combo_X", "1"), 0);
    EXPECT_FALSE(host.params().get("ZT_Combo_X"));
}

TEST(GoodsRuleTest, TheFirstMatchingItemAnswers) {
    GoodsRule rule;
    ASSERT_EQ(rule.Parse("3=skip,1-4=update,7=error,9=5,p2=error,p*=skip,*=add"), "");
    const struct {
        int number;
        bool package;
        int answer;
    } cases[] = {{3, false, 0}, {1, false, 2}, {4, false, 2}, {7, false, -1}, {9, false, 5},
                 {8, false, 1}, {2, true, -1}, {3, true, 0},  {1, true, 0}};
    for (const auto& c : cases) EXPECT_EQ(rule.Answer(c.number, c.package), c.answer) << c.number << " " << c.package;
    ASSERT_EQ(rule.Parse(""), "");
    EXPECT_EQ(rule.Answer(5, false), 1);
    EXPECT_EQ(rule.Answer(5, true), 1);
    for (const char* bad : {"1", "1=maybe", "x=add", "5-2=add", "1-=add", "=add", "1=99999999999"})
        EXPECT_NE(rule.Parse(bad), "") << bad;
}

TEST(GoodsRuleTest, TheBenchRefusesABadRuleOnTheCommandLine) {
    EXPECT_NE(parseOptions({"--goods-answer", "1=later", "window", "6"}).error, "");
    const auto ok = parseOptions({"--goods-answer", "1=skip", "--goods-csv", "g.csv", "window", "6"});
    EXPECT_EQ(ok.error, "");
    EXPECT_EQ(ok.options.goodsAnswer, "1=skip");
    EXPECT_EQ(ok.options.goodsCsv, "g.csv");
}

}  // namespace
}  // namespace zt

namespace zt {
namespace {

TEST(BenchHostTest, ShowsTheExportResultWhenItIsStored) {
    fs::path dir = fs::temp_directory_path() /
                   ("zthost-wynik-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    {
        std::ofstream f(dir / "wynik.exp", std::ios::binary);
        for (int i = 1; i <= 52; ++i) f << "PLU;" << i << ";" << 100 + i << ";59" << i << ";DOD\r\n";
    }
    BenchFixture b;
    b.o = parse({"run", "-2"}).options;
    BenchHost host(b.o, b.console, ParamsFile(), TranslationFile(), false, dir.string() + "/");
    EXPECT_EQ(host.store(BenchHost::kHostValue, 1, "wynik.exp"), 1);
    const std::string out = b.output();
    EXPECT_NE(out.find("[HOST] wynik.exp: PLU;1;101;591;DOD\n"), std::string::npos) << out;
    EXPECT_NE(out.find("[HOST] wynik.exp: PLU;50;150;5950;DOD\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("PLU;51;"), std::string::npos) << out;
    EXPECT_NE(out.find("[HOST] wynik.exp: ... 2 more lines\n[HOST] wynik.exp: 52 records transferred\n"),
              std::string::npos)
        << out;
    fs::remove_all(dir);
}

}  // namespace
}  // namespace zt
