#include "platform/fs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/file.h"
#include "tempdir.h"

using namespace zt;

TEST(Fs, CreateRenameCopyDelete) {
    test::TempDir d;
    const std::string deep = d.dir() + "a\\b\\c";
    EXPECT_FALSE(dirExists(deep));
    EXPECT_TRUE(createDirs(deep));
    EXPECT_TRUE(dirExists(d.dir() + "a/b/c/"));
    EXPECT_FALSE(fileExists(deep));

    const auto a = d.file("a.txt"), b = d.file("b.txt"), c = d.file("c.txt");
    std::ofstream(a) << "AAA";
    std::ofstream(b) << "B";
    EXPECT_TRUE(renameFile(a, b));  // replaces b
    EXPECT_FALSE(fileExists(a));
    std::vector<std::string> lines;
    TMFile::ReadStringsFromFile(b, lines);
    EXPECT_EQ(lines, std::vector<std::string>{"AAA"});

    EXPECT_TRUE(copyFile(b, c));
    EXPECT_FALSE(copyFile(b, c, true));
    EXPECT_TRUE(fileExists(c));
    EXPECT_TRUE(anyFileMatches(d.dir() + "*.txt"));
    EXPECT_FALSE(anyFileMatches(d.dir() + "*.exp"));
    EXPECT_TRUE(deleteFile(c));
    EXPECT_FALSE(deleteFile(c));
}

TEST(Fs, PathForms) {
    EXPECT_EQ(nativePath("C:\\x\\y.txt"), "C:/x/y.txt");
    EXPECT_EQ(withTrailingSeparator("/tmp/x"), "/tmp/x/");
    EXPECT_EQ(withTrailingSeparator("c:\\work\\"), "c:\\work\\");
}

TEST(Fs, LinksAreSeenAsLinks) {
    test::TempDir d;
    std::filesystem::create_directory(d.file("real"));
    std::filesystem::create_directory_symlink(d.file("real"), d.file("link"));
    std::filesystem::create_symlink(d.file("missing"), d.file("dangling"));
    EXPECT_TRUE(isLink(d.file("link")));
    EXPECT_TRUE(isLink(d.file("link") + "/"));
    EXPECT_TRUE(isLink(d.file("dangling")));
    EXPECT_TRUE(dirExists(d.file("link")));  // dirExists follows it
    EXPECT_FALSE(isLink(d.file("real")));
    EXPECT_FALSE(isLink(d.file("missing")));
}
