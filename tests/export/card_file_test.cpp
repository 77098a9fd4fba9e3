#include "drivers/export/card_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/cp1250.h"
#include "platform/exception.h"
#include "tests/platform/tempdir.h"
#include "tests/support/read_file.h"

using namespace zt;

using ztest::slurp;

namespace {

const std::string kHeader = "@2\r\n@1\r\n@\r\n@\r\n";  // register 3

CardFileSettings settings(int use, std::string patterns) {
    CardFileSettings s;
    s.use = use;
    s.patterns = std::move(patterns);
    s.addToAddon = 1;  // differ, so that their order shows
    s.addToReb = 0;
    return s;
}

CardServerCard card(std::string code, std::string name, bool active, const char* discount, int level) {
    CardServerCard c;
    c.code = std::move(code);
    c.name = std::move(name);
    c.active = active;
    c.discount = TxfTools::Parse(discount);
    c.level = level;
    return c;
}

struct PatternCase {
    const char* patterns;
    const char* lines;     // after the header
    const char* warnings;  // the invalid patterns, "|" after each
};

TEST(CardServerText, Patterns) {
    const PatternCase cases[] = {
        {"0012345678901/0/5.00", "#!0012345678901\t0\t0\t0\twg wzorca: 0012345678901\t500\t1\t0\r\n", ""},
        {"ABC/3/0", "#!ABC\t0\t3\r\n", ""},
        {"ABC/0/0", "", "ABC/0/0|"},
        {"ABC/0", "", "ABC/0|"},
        {"ABC/50/0,ABC/51/0", "#!ABC\t0\t50\r\n", "ABC/51/0|"},
        {"ABC/-1/2", "", "ABC/-1/2|"},
        {"0123456789012345/0/1", "#!0123456789012345\t0\t0\t0\twg wzorca: 0123456789012\t100\t1\t0\r\n", ""},
        {"01234567890123456/0/1", "", "01234567890123456/0/1|"},
        {"/1/1", "", "/1/1|"},
        {"A/1/abc,B/2/0", "#!B\t0\t2\r\n", "A/1/abc|"},  // a bad percent is a bad pattern, not a failed export
        {" A/1/0 , ,, B/0/2,5 ", "#!A\t0\t1\r\n#!B\t0\t0\t0\twg wzorca: B\t200\t1\t0\r\n", "5|"},
        {"A\tB/1/0", "", "A B/1/0|"},  // a TAB in the code would add a field
        {"", "", ""},
    };
    for (const auto& c : cases) {
        const CardServerText t = BuildCardServerText(settings(2, c.patterns), 3, {});
        EXPECT_EQ(t.text, kHeader + c.lines) << c.patterns;
        std::string warnings;
        for (const auto& w : t.warnings) {
            ASSERT_EQ(w.rfind(pl("Nieprawidłowy wzorzec karty: "), 0), 0u) << w;
            warnings += w.substr(pl("Nieprawidłowy wzorzec karty: ").size()) + "|";
        }
        EXPECT_EQ(warnings, c.warnings) << c.patterns;
        EXPECT_EQ(t.lines, static_cast<int>(std::count(c.lines, c.lines + std::strlen(c.lines), '\n')));
    }
}

TEST(CardServerText, ContractorCards) {
    const std::vector<CardServerCard> cards = {
        card("1001", "Kowalski", true, "0", 2),
        card("1002", "Nowak", false, "0", 4),
        card("12345678901234567", pl("Firma o bardzo długiej nazwie"), true, "7.5", 0),
        card("1004", pl("Pół\tprocent"), false, "0.5", 9),
        card("", "Bez karty", false, "0", 1),
        card("10\t05", pl("Wiśniewski"), false, "0", 1),
    };
    const std::string blocked = "#1002\t1\t4\r\n" + pl("#1004\t1\t0\t0\tPół procent\t0\t1\t0\r\n");
    const std::string all = "#1001\t0\t2\r\n#1002\t1\t4\r\n" +
                            pl("#1234567890123456\t0\t0\t0\tFirma o bardzo długie...\t7\t1\t0\r\n") +
                            pl("#1004\t1\t0\t0\tPół procent\t0\t1\t0\r\n");
    const struct {
        int use;
        std::string lines;
    } cases[] = {{1, blocked}, {2, all}};
    for (const auto& c : cases) {
        const CardServerText t = BuildCardServerText(settings(c.use, ""), 3, cards);
        EXPECT_EQ(t.text, kHeader + c.lines) << c.use;
        EXPECT_EQ(t.lines, static_cast<int>(std::count(c.lines.begin(), c.lines.end(), '\n')));
        ASSERT_EQ(t.warnings.size(), 1u);
        EXPECT_NE(t.warnings[0].find("10 05"), std::string::npos) << t.warnings[0];
    }
}

TEST(CardServerFile, Path) {
    EXPECT_EQ(CardServerFilePath("C:\\SKP", 3, "txt"), "C:\\SKP\\wejscie\\2\\dcrd_in.txt");
    EXPECT_EQ(CardServerFilePath("C:\\SKP\\", 1, "tmp"), "C:\\SKP\\wejscie\\0\\dcrd_in.tmp");
    EXPECT_EQ(CardServerFilePath("/srv/skp/", 10, "txt"), "/srv/skp/wejscie\\9\\dcrd_in.txt");
}

class CardServerFileWrite : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(dir_.file("wejscie/2")); }
    std::string at(const char* name) const { return dir_.file(std::string("wejscie/2/") + name); }
    test::TempDir dir_;
};

TEST_F(CardServerFileWrite, ReplacesTheFileWhole) {
    std::ofstream(at("dcrd_in.txt"), std::ios::binary) << "old card file, longer than the new one\r\n";
    std::ofstream(at("dcrd_in.tmp"), std::ios::binary) << "left by a failed export";
    WriteCardServerFile(dir_.dir(), 3, "@2\r\n");
    EXPECT_EQ(slurp(at("dcrd_in.txt")), "@2\r\n");
    EXPECT_FALSE(std::filesystem::exists(at("dcrd_in.tmp")));
}

TEST_F(CardServerFileWrite, NeverWritesThroughALink) {
    const std::string victim = dir_.file("victim");
    std::ofstream(victim, std::ios::binary) << "keep";
    for (const char* linkName : {"dcrd_in.tmp", "dcrd_in.txt"}) {
        std::filesystem::remove(at("dcrd_in.tmp"));
        std::filesystem::remove(at("dcrd_in.txt"));
        std::filesystem::create_symlink(victim, at(linkName));
        WriteCardServerFile(dir_.dir(), 3, "@2\r\n");
        EXPECT_EQ(slurp(victim), "keep") << linkName;
        EXPECT_FALSE(std::filesystem::is_symlink(at("dcrd_in.txt"))) << linkName;
        EXPECT_EQ(slurp(at("dcrd_in.txt")), "@2\r\n") << linkName;
    }
}

TEST_F(CardServerFileWrite, MissingDirectoryIsAFileError) {
    try {
        WriteCardServerFile(dir_.dir(), 8, "@7\r\n");
        ADD_FAILURE() << "written without its directory";
    } catch (const EMException& e) {
        EXPECT_NE(e.message().find("dcrd_in.tmp"), std::string::npos) << e.message();
    }
}

}  // namespace
