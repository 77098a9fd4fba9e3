#include "platform/whole_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/exception.h"
#include "tests/platform/tempdir.h"

using namespace zt;

namespace {

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

TEST(WholeFile, NewFileIsNeverAnExistingName) {
    test::TempDir d;
    const std::string victim = d.file("victim");
    std::ofstream(victim, std::ios::binary) << "keep";
    std::filesystem::create_symlink(victim, d.file("link"));
    std::filesystem::create_symlink(d.file("nowhere"), d.file("dangling"));
    for (const char* name : {"victim", "link", "dangling"}) {
        EXPECT_THROW(writeNewFile(d.file(name), "new"), EMException) << name;
        EXPECT_EQ(slurp(victim), "keep") << name;
    }
    EXPECT_FALSE(std::filesystem::exists(d.file("nowhere")));
    writeNewFile(d.file("fresh"), std::string("a\0b", 3));
    EXPECT_EQ(slurp(d.file("fresh")), std::string("a\0b", 3));
}

TEST(WholeFile, ReplaceLeavesNoTemporaryFile) {
    test::TempDir d;
    // The rename cannot replace a non-empty directory: the old target stays
    // and the temporary file goes.
    std::filesystem::create_directories(d.file("target/inner"));
    EXPECT_THROW(replaceFileWhole(d.file("target"), d.file("t.tmp"), "x"), EMException);
    EXPECT_FALSE(std::filesystem::exists(d.file("t.tmp")));
    EXPECT_TRUE(std::filesystem::is_directory(d.file("target/inner")));
}

}  // namespace
