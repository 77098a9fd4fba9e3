#include "platform/file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <fstream>
#include <sstream>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/exception.h"
#include "platform/fs.h"
#include "platform/whole_file.h"
#include "tempdir.h"
#include "tests/support/read_file.h"

using namespace zt;

using ztest::slurp;

namespace {

std::vector<std::string> readAll(const std::string& path) {
    std::vector<std::string> lines;
    TMFile::ReadStringsFromFile(path, lines);
    return lines;
}

}  // namespace

TEST(TMFile, LineEndsCrLfLfAndLastLineWithoutEnd) {
    test::TempDir d;
    const auto p = d.file("a.txt");
    std::ofstream(p, std::ios::binary) << "one\r\ntwo\n\r\nlast";
    EXPECT_EQ(readAll(p), (std::vector<std::string>{"one", "two", "", "last"}));

    std::ofstream(p, std::ios::binary | std::ios::trunc) << "x\n";
    EXPECT_EQ(readAll(p), (std::vector<std::string>{"x"}));
    std::ofstream(p, std::ios::binary | std::ios::trunc) << "";
    EXPECT_TRUE(readAll(p).empty());
}

TEST(TMFile, WriteLineSeekTruncateRoundTrip) {
    test::TempDir d;
    const auto p = d.file("w.txt");
    {
        TMFile f(p);
        f.Open();  // created
        f.WriteLine("alpha");
        f.WriteLine("beta", "\n");
        EXPECT_EQ(f.Position(), 12);
        EXPECT_EQ(f.Size(), 12);
        f.SetPosition(7);
        f.Truncate();
        f.WriteLine("gamma");
        f.Flush();
        EXPECT_EQ(slurp(p), "alpha\r\ngamma\r\n");
        // Reading after writing sees the new bytes.
        f.SetPosition(0);
        std::string line;
        ASSERT_TRUE(f.ReadLine(line));
        EXPECT_EQ(line, "alpha");
        // Overwrite in the middle after a read.
        f.SetPosition(0);
        f.Write("A", 1);
        ASSERT_TRUE(f.ReadLine(line));
        EXPECT_EQ(line, "lpha");
    }  // destructor closes and writes out
    EXPECT_EQ(slurp(p), "Alpha\r\ngamma\r\n");

    TMFile app(p);
    app.Open();
    app.SeekEnd();
    app.Write(std::string_view("z"));
    app.Close();
    EXPECT_EQ(slurp(p), "Alpha\r\ngamma\r\nz");
}

TEST(TMFile, FailuresNameThePathAndTheReason) {
    test::TempDir d;
    const auto p = d.file("kasa.exp");
    TMFile f(p, true);
    try {
        f.Open();
        FAIL() << "opened a missing file read-only";
    } catch (const EMException& e) {
        EXPECT_EQ(std::string(e.what()), p + ": No such file or directory");
        ASSERT_EQ(e.topics().size(), 1u);
        EXPECT_EQ(e.topics()[0].title, p);
    }
    EXPECT_FALSE(fileExists(p));  // read-only never creates

    std::ofstream(p) << "x";
    TMFile ro(p, true);
    ro.Open();
    EXPECT_THROW(ro.Write("y", 1), EMException);
    EXPECT_THROW(TMFile(d.dir() + "no/such/dir/f.txt").Open(), EMException);
}

// A pipe planted under a name the plug-in reads ("kasa.exp", "combo.imp") is
// refused at once by every reader; opening it would wait for a writer for ever.
TEST(TMFile, ReadersRefuseWhatIsNotARegularFile) {
    test::TempDir d;
    const auto fifo = d.file("kasa.exp");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::vector<std::function<void()>> readers = {
        [&] { TMFile(fifo, true).Open(); },
        [&] { readAll(fifo); },
        [&] { (void)readFileWhole(fifo); },
    };
    for (const auto& read : readers) {
        try {
            read();
            ADD_FAILURE() << "read a pipe";
        } catch (const EMException& e) {
            EXPECT_EQ(std::string(e.what()), fifo + ": not a regular file");
        }
    }
    EXPECT_THROW((void)readFileWhole(d.dir()), EMException);
}

TEST(TMFile, ReadsLargeFileQuickly) {
    test::TempDir d;
    const auto p = d.file("big.txt");
    {
        TMFile f(p);
        f.Open();
        const std::string line(98, 'x');
        for (int i = 0; i < 100000; ++i) f.WriteLine(line);
    }
    const auto t0 = std::chrono::steady_clock::now();
    TMFile f(p, true);
    f.Open();
    EXPECT_EQ(f.Size(), 10000000);
    std::string line;
    int n = 0;
    while (f.ReadLine(line)) {
        ASSERT_EQ(line.size(), 98u);
        ++n;
    }
    EXPECT_EQ(n, 100000);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(2));
}

TEST(TMFile, ReadStringsFromFileIsLinear) {
    test::TempDir d;
    const auto p = d.file("lines.txt");
    // 4 MB of short lines, then one line of 4 MB with no line end at all.
    std::string text;
    for (int i = 0; i < 200000; ++i) text += "PLU;" + std::to_string(i) + ";nazwa\r\n";
    text += std::string(4 << 20, 'y');
    std::ofstream(p, std::ios::binary) << text;

    const auto t0 = std::chrono::steady_clock::now();
    const auto lines = readAll(p);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(2));
    ASSERT_EQ(lines.size(), 200001u);
    EXPECT_EQ(lines[123456], "PLU;123456;nazwa");
    EXPECT_EQ(lines.back().size(), std::size_t{4} << 20);
}

TEST(TMFile, CrLfSplitAcrossReadBuffers) {
    test::TempDir d;
    const auto p = d.file("split.txt");
    // The CR ends the first 64 KiB block, the LF starts the next.
    const std::string first(64 * 1024 - 1, 'a');
    std::ofstream(p, std::ios::binary) << first << "\r\nb\r\n";
    EXPECT_EQ(readAll(p), (std::vector<std::string>{first, "b"}));
}

TEST(TMFile, BackslashPathsWork) {
    test::TempDir d;
    std::string p = d.dir();
    for (char& c : p)
        if (c == '/') c = '\\';
    TMFile f(p + "w.txt");
    f.Open();
    f.Close();
    EXPECT_TRUE(fileExists(d.file("w.txt")));
}

// Files the plug-in creates in folders others can write to: a planted link or
// pipe never redirects them.
TEST(TMFile, NewAndNoFollowNeverGoThroughALink) {
    test::TempDir d;
    const auto target = d.file("target");
    const auto missing = d.file("missing");
    std::ofstream(target) << "keep";
    const auto toFile = d.file("to-file"), toMissing = d.file("to-missing"), pipe = d.file("pipe");
    ASSERT_EQ(::symlink(target.c_str(), toFile.c_str()), 0);
    ASSERT_EQ(::symlink(missing.c_str(), toMissing.c_str()), 0);
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);

    for (const auto& name : {toFile, toMissing, pipe, target}) {
        TMFile n(name, FileCreation::New);
        EXPECT_FALSE(n.TryOpen()) << name;
        EXPECT_FALSE(n.Active()) << name;
        EXPECT_THROW(TMFile(name, FileCreation::New).Open(), EMException) << name;
    }
    for (const auto& name : {toFile, toMissing, pipe})
        EXPECT_THROW(TMFile(name, FileCreation::NoFollow).Open(), EMException) << name;
    EXPECT_EQ(slurp(target), "keep");
    EXPECT_FALSE(fileExists(missing));

    // Fresh names are created; NoFollow appends to a plain file that is there.
    TMFile n(d.file("new"), FileCreation::New);
    ASSERT_TRUE(n.TryOpen());
    n.Write("a");
    n.Close();
    TMFile a(d.file("new"), FileCreation::NoFollow);
    a.Open();
    a.SeekEnd();
    a.Write("b");
    a.Close();
    TMFile c(d.file("log"), FileCreation::NoFollow);
    c.Open();
    c.Write("c");
    c.Close();
    EXPECT_EQ(slurp(d.file("new")), "ab");
    EXPECT_EQ(slurp(d.file("log")), "c");
}
