#include "tools/ltools.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "platform/clock.h"
#include "platform/cp1250.h"
#include "platform/exception.h"
#include "tests/support/read_file.h"

using namespace zt;

using ztest::slurp;

namespace {

class TempDir {
public:
    TempDir() {
        static int counter = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("zttools-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string file(const std::string& n) const { return (path_ / n).string(); }

private:
    std::filesystem::path path_;
};

void put(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

}  // namespace

TEST(TLTools, WholeFileWrites) {
    TempDir d;
    TLTools t;
    const auto f = d.file("wynik.exp"), tmp = d.file("wynik.tmp");
    put(f, "old content that is longer");
    t.BufToFile("new", f);
    EXPECT_EQ(slurp(f), "new");
    t.BufToAppendFile("+more", f);
    EXPECT_EQ(slurp(f), "new+more");

    // Append with no target: creates the temporary file, appends, renames.
    const auto g = d.file("g.txt");
    t.BufToFileEx("abc", g, tmp, nullptr, true);
    EXPECT_EQ(slurp(g), "abc");
    EXPECT_FALSE(std::filesystem::exists(tmp));
    t.BufToFileEx("def", g, tmp, nullptr, true);
    EXPECT_EQ(slurp(g), "abcdef");
    // A temporary file left by an earlier failure is not appended to.
    put(tmp, "STALE");
    const auto h = d.file("h.txt");
    t.BufToFileEx("x", h, tmp, nullptr, true);
    EXPECT_EQ(slurp(h), "x");
    t.BufToFileEx("only", g, tmp, nullptr, false);
    EXPECT_EQ(slurp(g), "only");
}

TEST(TLTools, RenFileReplacesAndReportsFailure) {
    TempDir d;
    TLTools t;
    put(d.file("a"), "A");
    put(d.file("b"), "B");
    t.RenFile(d.file("a"), d.file("b"), nullptr);
    EXPECT_EQ(slurp(d.file("b")), "A");
    try {
        t.RenFile(d.file("missing"), d.file("c"), nullptr);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), pl("Błąd zmiany nazwy pliku") + d.file("c"));
    }
}

TEST(TLTools, ArchiveFileHeadersAndLines) {
    TempDir d;
    TLTools t;
    t.ArchiveFile(d.file("none"), d.file("arch"), nullptr, true, 0, true, "");
    EXPECT_FALSE(std::filesystem::exists(d.file("arch")));

    put(d.file("src"), "l1\r\nl2\nl3");
    put(d.file("arch"), "prev\r\n");
    t.ArchiveFile(d.file("src"), d.file("arch"), nullptr, true, 1, true, "extra");
    const std::string a = slurp(d.file("arch"));
    EXPECT_EQ(a.rfind("prev\r\n\r\n----------- [EKSPORT WYKONANY DNIA: ", 0), 0u) << a;
    EXPECT_NE(a.find("] ------------\r\nZAMKNIETA ZM. FISK.\r\nextra\r\nl1\r\nl2\r\nl3\r\n"), std::string::npos) << a;

    put(d.file("arch2"), "");
    t.ArchiveFile(d.file("src"), d.file("arch2"), nullptr, false, 0, false, "");
    EXPECT_EQ(slurp(d.file("arch2")), "l1\r\nl2\r\nl3\r\n");
    t.ArchiveFile(d.file("src"), d.file("arch3"), nullptr, false, 9, true, "");
    EXPECT_EQ(slurp(d.file("arch3")).rfind("\r\n------------ [IMPORT WYKONANY DNIA: ", 0), 0u);
}

TEST(TLTools, SaveListAndDebugLog) {
    TempDir d;
    TLTools t;
    t.SaveListToFile(nullptr, d.file("l"));
    EXPECT_FALSE(std::filesystem::exists(d.file("l")));
    put(d.file("l"), "old old old old");
    std::vector<std::string> lines{"a", "b"};
    t.SaveListToFile(&lines, d.file("l"));
    EXPECT_EQ(slurp(d.file("l")), "a\r\nb\r\n");
    t.SaveListToFile(&lines, d.file("no/such/dir/l"));  // swallowed

    t.InitDebug(d.file("no/such/dir/log"), nullptr);
    EXPECT_FALSE(t.debugOn);
    t.DebugIt("X", "ignored");  // off: nothing happens

    VirtualClock vc;
    setClock(&vc);
    t.InitDebug(d.file("log"), nullptr);
    ASSERT_TRUE(t.debugOn);
    t.DebugIt("SEND", "abc");
    const std::uint8_t bytes[20] = {0x02, 'A', 'B', 0x10, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0xFF, 'x', 'y', 'z', 0x03};
    t.DebugItHex(bytes, 20);
    setClock(nullptr);
    const std::string log = slurp(d.file("log"));
    EXPECT_EQ(log.rfind("\r\n--- [KOMUNIKACJA Z DNIA: ", 0), 0u);
    std::istringstream in(log);
    std::vector<std::string> ls;
    for (std::string l; std::getline(in, l);) ls.push_back(l);
    ASSERT_EQ(ls.size(), 5u);
    EXPECT_EQ(ls[2].substr(8), " SEND abc\r");
    const std::string stamp = ls[2].substr(0, 9);
    EXPECT_EQ(ls[3], stamp + "02 41 42 10 00 01 02 03 04 05 06 07 08 09 0A FF .AB............\xFF\r");
    EXPECT_EQ(ls[4], std::string(9, ' ') + "78 79 7A 03 xyz.\r");

    // A failed set-up ends logging to the earlier file as well.
    t.InitDebug(d.file("no/such/dir/log"), nullptr);
    EXPECT_FALSE(t.debugOn);
    EXPECT_NO_THROW(t.DebugIt("X", "dropped"));
    EXPECT_EQ(slurp(d.file("log")), log);
}

TEST(TLTools, DebugLogNeverAppendsThroughAPlantedLink) {
    TempDir d;
    TLTools t;
    put(d.file("victim"), "keep");
    std::filesystem::create_symlink(d.file("victim"), d.file("log"));
    std::filesystem::create_symlink(d.file("created"), d.file("log2"));
    for (const char* name : {"log", "log2"}) {
        t.InitDebug(d.file(name), nullptr);
        EXPECT_FALSE(t.debugOn) << name;
    }
    EXPECT_EQ(slurp(d.file("victim")), "keep");
    EXPECT_FALSE(std::filesystem::exists(d.file("created")));

    // A link put in place of a log already in use stops the writes to it.
    t.InitDebug(d.file("real"), nullptr);
    ASSERT_TRUE(t.debugOn);
    std::filesystem::remove(d.file("real"));
    std::filesystem::create_symlink(d.file("victim"), d.file("real"));
    EXPECT_THROW(t.DebugIt("X", "y"), EMException);
    EXPECT_EQ(slurp(d.file("victim")), "keep");
}

// Every file the tools write ("ARCH2.EXP", a buffer file, a saved list) is
// refused when a link stands under its name: the link's target stays as it was.
TEST(TLTools, WritersNeverGoThroughAPlantedLink) {
    TempDir d;
    TLTools t;
    put(d.file("kasa.exp"), "PLU;1\r\n");
    const std::vector<std::pair<const char*, std::function<void(const std::string&)>>> writers = {
        {"archive", [&](const std::string& f) { t.ArchiveFile(d.file("kasa.exp"), f, nullptr, true, 0, true, ""); }},
        {"buffer", [&](const std::string& f) { t.BufToFile("x", f); }},
        {"append", [&](const std::string& f) { t.BufToAppendFile("x", f); }},
        {"list", [&](const std::string& f) {
             const std::vector<std::string> lines{"x"};
             t.SaveListToFile(&lines, f);
         }}};
    for (const auto& [name, write] : writers) {
        put(d.file("victim"), "keep");
        std::filesystem::remove(d.file("ARCH2.EXP"));
        std::filesystem::create_symlink(d.file("victim"), d.file("ARCH2.EXP"));
        try {
            write(d.file("ARCH2.EXP"));
        } catch (const std::exception&) {
        }
        EXPECT_EQ(slurp(d.file("victim")), "keep") << name;
    }
}

namespace {

int openFiles() {
    int n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) ++n;
    return n;
}

}  // namespace

TEST(TLTools, FailuresCloseFilesAndNameTheReason) {
    TempDir d;
    TLTools t;
    const auto f = d.file("wynik.exp");
    put(f, "old");
    put(d.file("src"), "l1\r\nl2\r\n");
    const int before = openFiles();

    // The copy of the old content fails: the reason is the system's, the
    // file stays whole and no half temporary file is left.
    try {
        t.BufToFileEx("new", f, d.file("no/dir/wynik.tmp"), nullptr, true);
        FAIL();
    } catch (const EMException& e) {
        EXPECT_EQ(e.message(), d.file("no/dir/wynik.tmp") + ": No such file or directory");
    }
    EXPECT_EQ(slurp(f), "old");

    // The archive cannot be opened: the source is closed again.
    EXPECT_THROW(t.ArchiveFile(d.file("src"), d.file("no/dir/arch"), nullptr, false, 0, true, ""), EMException);

    // The log file turned into a folder: DebugIt raises and holds nothing open.
    t.InitDebug(d.file("log"), nullptr);
    ASSERT_TRUE(t.debugOn);
    std::filesystem::remove(d.file("log"));
    std::filesystem::create_directory(d.file("log"));
    EXPECT_THROW(t.DebugIt("X", "y"), EMException);
    EXPECT_THROW(t.BufToFile("x", d.file("log")), EMException);
    EXPECT_EQ(openFiles(), before);
}

TEST(TLTools, FixedWidthTexts) {
    EXPECT_EQ(TLTools::StrMax("abcdefghij", 6, true), "abc...");
    EXPECT_EQ(TLTools::StrMax("abcdef", 6, true), "abcdef");
    EXPECT_EQ(TLTools::StrMax("abcdefghij", 3, true), "abc");  // too short for an ellipsis
    EXPECT_EQ(TLTools::StrMax("abcdefghij", 6, false), "abcdef");
    EXPECT_EQ(TLTools::StrSize("1234567", 4, ' ', 1, 0), "1234");
    EXPECT_EQ(TLTools::StrSize("1234567", 4, ' ', 0, 0), "4567");
    EXPECT_EQ(TLTools::StrSize("123", 6, '0', 1, 0), "000123");
    EXPECT_EQ(TLTools::StrSize("123", 6, ' ', 1, 1), "123   ");
}

TEST(TLTools, NumbersAndCodes) {
    EXPECT_EQ(TLTools::Str2Int("12.34", 2), 1234);
    EXPECT_EQ(TLTools::Str2Int(" 12,345 ", 2), 1235);
    EXPECT_EQ(TLTools::Str2Int("-0.5", 0), -1);
    EXPECT_EQ(TLTools::Str2Int("7", 3), 7000);
    EXPECT_EQ(TLTools::Str2Int("", 2), 0);
    EXPECT_THROW(TLTools::Str2Int("1x", 2), EMException);

    std::uint8_t b[3];
    TLTools::Dec2Bin("123456", b, 3);
    EXPECT_EQ(b[0], 0x12);
    EXPECT_EQ(b[2], 0x56);
    EXPECT_EQ(TLTools::Bin2Dec(b, 3), "123456");
    TLTools::Hex2Bin("aF0", b, 2);  // missing character counts as '0'
    EXPECT_EQ(b[0], 0xAF);
    EXPECT_EQ(b[1], 0x00);
    EXPECT_EQ(TLTools::Bin2Hex(b, 2), "AF00");
    EXPECT_EQ(TLTools::Bin2Dec(b, 1), ":?");  // nibble plus '0'

    EXPECT_EQ(TLTools::Vat2Str(-1), "zw");
    EXPECT_EQ(TLTools::Vat2Str(23), "23");
    EXPECT_EQ(TLTools::Str2Vat("zw"), -1);
    EXPECT_EQ(TLTools::Str2Vat("8"), 8);
    EXPECT_THROW(TLTools::Str2Vat("8%"), EMException);

    std::string r;
    EXPECT_EQ(TLTools::CopyTill("ab;cd;ef", r, ";", 4), "cd");
    EXPECT_EQ(r, "cd");
    EXPECT_EQ(TLTools::CopyTill("abc", r, ";", 1), "abc");
    EXPECT_EQ(TLTools::CopyTill("abc", r, ";", 9), "");

    std::string code = "590123412345";
    TLTools::KorygujCyfreKontrolnaEAN13(code);
    EXPECT_EQ(code, "5901234123457");
    code = "12345";
    TLTools::KorygujCyfreKontrolnaEAN13(code);
    EXPECT_EQ(code, "1234500000003");
    code = "59-0123-4123-45 99";
    TLTools::KorygujCyfreKontrolnaEAN13(code);
    EXPECT_EQ(code, "5901234123457");
}

TEST(TLTools, PolishLetterTable) {
    TLTools t;
    const std::string win = pl("ĄĆĘŁŃÓŚŻŹąćęłńóśżź");
    EXPECT_EQ(t.plstring(win), win);  // 2 -> 2
    t.codePageTo = 6;
    EXPECT_EQ(t.plstring(win + " x"), "ACELNOSZZacelnoszz x");
    t.codePageTo = 0;
    EXPECT_EQ(t.plstring(win), "\xA4\x8F\xA8\x9D\xE3\xE0\x97\xBD\x8D\xA5\x86\xA9\x88\xE4\xA2\x98\xBE\xAB");
    // Every row maps back to Windows-1250 where its letters are distinct.
    const auto& tab = TLTools::plTable();
    for (int row : {0, 1, 2, 3, 4, 5, 7, 11, 12}) {
        t.codePageFrom = 2;
        t.codePageTo = row;
        TLTools back;
        back.codePageFrom = row;
        back.codePageTo = 2;
        EXPECT_EQ(back.plstring(t.plstring(win)), win) << row;
        EXPECT_EQ(static_cast<unsigned char>(t.plstring(win)[17]), tab[row][17]);
    }
    EXPECT_EQ(tab[13][0], 0xB8);
    EXPECT_EQ(tab[10][3], 0xF8);
    EXPECT_EQ(tab[8][17], 0x5A);
}

TEST(TLTools, PlatformQueriesOffWindows) {
    TempDir d;
    EXPECT_EQ(TLTools::WczytajSciezkeDoBinariow(), "");
    EXPECT_EQ(TLTools::GetDirShortPath("/tmp"), "0");
    EXPECT_FALSE(TLTools::Is_Win_NT());
    EXPECT_FALSE(TLTools::IsFile(d.file("*.imp")));
    put(d.file("combo.imp"), "");
    EXPECT_TRUE(TLTools::IsFile(d.file("*.imp")));
}
