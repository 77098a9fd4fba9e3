#include "platform/whole_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/exception.h"
#include "tests/platform/tempdir.h"
#include "tests/support/read_file.h"

using namespace zt;

using ztest::slurp;

namespace {

TEST(WholeFileWrites, ReplaceAppendAndRead) {
    test::TempDir d;
    const std::string f = d.file("out.txt"), tmp = d.file("out.tmp");
    writeFileWhole(f, "first", tmp);
    writeFileWhole(f, std::string("a\0b", 3), tmp);
    EXPECT_EQ(readFileWhole(f), std::string("a\0b", 3));
    EXPECT_FALSE(std::filesystem::exists(tmp));

    std::ofstream(tmp) << "leftover of a killed writer";
    writeFileWhole(f, "third", tmp);
    EXPECT_EQ(slurp(f), "third");
    EXPECT_FALSE(std::filesystem::exists(tmp));

    appendFileNoFollow(d.file("log"), "x\r\n");
    appendFileNoFollow(d.file("log"), "y\r\n");
    EXPECT_EQ(readFileWhole(d.file("log")), "x\r\ny\r\n");
    EXPECT_THROW(readFileWhole(d.file("missing")), EMException);
}

TEST(WholeFileWrites, LinksAreNeverFollowed) {
    test::TempDir d;
    const std::string victim = d.file("victim");
    std::ofstream(victim) << "keep";
    std::filesystem::create_symlink(victim, d.file("t.tmp"));
    std::filesystem::create_symlink(victim, d.file("t"));
    writeFileWhole(d.file("t"), "new", d.file("t.tmp"));
    EXPECT_EQ(slurp(victim), "keep");
    EXPECT_FALSE(std::filesystem::is_symlink(d.file("t")));
    EXPECT_EQ(slurp(d.file("t")), "new");

    std::filesystem::create_symlink(victim, d.file("arch"));
    EXPECT_THROW(appendFileNoFollow(d.file("arch"), "x"), EMException);
    EXPECT_EQ(slurp(victim), "keep");
}

TEST(WholeFileWrites, AFailedWriteLeavesTheTargetAndNoTemporary) {
    test::TempDir d;
    const std::string f = d.file("t");
    writeFileWhole(f, "old", d.file("t.tmp"));
    // The temporary name is a directory that cannot be removed: the write fails cleanly.
    std::filesystem::create_directories(d.file("t.tmp/sub"));
    EXPECT_THROW(writeFileWhole(f, "new", d.file("t.tmp")), EMException);
    EXPECT_EQ(slurp(f), "old");
    // A target folder that is gone.
    EXPECT_THROW(writeFileWhole(d.file("gone/t"), "x", d.file("gone/t.tmp")), EMException);
}

}  // namespace
