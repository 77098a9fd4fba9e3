// The unfinished-receipt lines, "receipt.tmp" and its merge into "combo.imp",
// on real files, including runs cut short between the merge's steps.
#include "drivers/import/receipt_tmp.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/exception.h"
#include "platform/whole_file.h"
#include "tests/platform/tempdir.h"

using namespace zt;
using zt::test::TempDir;

namespace {

void put(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}
bool exists(const std::string& p) { return std::filesystem::exists(p); }

// combo.imp without its comment lines.
std::string records(const std::string& combo) {
    std::string out;
    std::size_t start = 0;
    while (start < combo.size()) {
        std::size_t lf = combo.find('\n', start);
        lf = lf == std::string::npos ? combo.size() : lf + 1;
        const std::string line = combo.substr(start, lf - start);
        if (line.rfind("#", 0) != 0) out += line;  // comments are read by no one
        start = lf;
    }
    return out;
}

TEST(UnfinishedReceipt, KeepsOnlyTheOpenReceiptsBody) {
    ZTUnfinishedReceipt u;
    u.Begin();
    EXPECT_FALSE(u.IsComplete());
    for (const char* line :
         {"P_PLU;1;12;;A;1000;100;0\r\n", "P_TRN;1;20240506100000000;1;A;7;100;100;1\r\n", "P_PLU;1;13;;B;1000;200;0",
          "P_OPA;0;3;;1000;50\r\n", "P_RAB;21;R;1;1;5;\r\n", "P_PLA;2;1;G;0;250\r\n", "P_PLA;4;1;G;0;1000;;1;A;7\r\n",
          "P_PLA;5;1;G;0;10;;1;A;7\r\n", "P_WAL;6;3;EUR;100;22;45000\r\n", "P_ZAM;32;1;2;3;x\r\n",
          "P_FSK;20240506000000000;1;0;0;0;0;0;0;0;\r\n"})
        u.Note(line);
    const std::vector<std::string> expected = {"P_PLU;1;13;;B;1000;200;0\r\n", "P_OPA;0;3;;1000;50\r\n",
                                               "P_RAB;21;R;1;1;5;\r\n", "P_PLA;2;1;G;0;250\r\n",
                                               "P_WAL;6;3;EUR;100;22;45000\r\n"};
    EXPECT_EQ(u.Lines(), expected);
    u.Note("P_ANU;20240506110000000;1;A;7;1;0;0\r\n");
    EXPECT_TRUE(u.Lines().empty());
}

TEST(UnfinishedReceipt, SaveWritesReceiptTmpUnlessComplete) {
    const struct {
        bool complete;
        bool repeated;
        std::vector<std::string> lines;
        const char* file;  // nullptr: no file
    } cases[] = {
        {true, true, {"P_PLU;1;12;;A;1000;100;0\r\n"}, nullptr},
        {false,
         false,
         {"P_PLU;1;12;;A;1000;100;0\r\n", "P_RAB;21;R;1;1;5;\r\n"},
         "P_PLU;1;12;;A;1000;100;0\r\nP_RAB;21;R;1;1;5;\r\n"},
        {false, true, {"P_PLU;1;12;;A;1000;100;0\r\n"}, "P_PLU;1;12;;A;1000;100;0\r\nFIRST_LINE_REPEATED"},
        {false, true, {}, "FIRST_LINE_REPEATED"},
        {false, false, {}, nullptr},  // broken off between receipts: nothing waits
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file ? c.file : "none");
        TempDir d;
        ZTUnfinishedReceipt u;
        u.Begin();
        for (const auto& l : c.lines) u.Note(l);
        if (c.complete) u.Complete();
        u.Save(d.dir(), c.repeated, nullptr);
        if (!c.file)
            EXPECT_FALSE(exists(d.file("receipt.tmp")));
        else
            EXPECT_EQ(readFileWhole(d.file("receipt.tmp")), c.file);
        EXPECT_TRUE(u.Lines().empty());
        EXPECT_FALSE(exists(d.file("receipt.new")));
    }
}

TEST(ReceiptTmpMerge, LinesGoInFrontOfTheFirstReceiptLine) {
    const struct {
        const char* name;
        std::string tmp, combo;
        MergeResult result;
        std::string merged;  // combo.imp afterwards, without the comment line
    } cases[] = {
        {"plain", "P_PLU;1;12;;A;1000;100;0\r\n# c\r\nP_PLA;2;1;G;0;100\r\n",
         "\r\nSPT;1;2;3;0;06-05-2024\r\nP_PLU;1;13;;B;1000;200;0\r\nP_TRN;5;x;1;A;7;0;0;1\r\n", MergeResult::kMerged,
         "\r\nSPT;1;2;3;0;06-05-2024\r\nP_PLU;1;12;;A;1000;100;0\r\nP_PLA;2;1;G;0;100\r\n"
         "P_PLU;1;13;;B;1000;200;0\r\nP_TRN;5;x;1;A;7;0;0;1\r\n"},
        {"marker drops the repeated line once", "P_PLU;1;12;;A;1000;100;0\r\nFIRST_LINE_REPEATED",
         "\r\nP_PLU;1;12;;A;1000;100;0\r\nP_PLU;1;12;;A;1000;100;0\r\nP_TRN;5;x;1;A;7;0;0;1\r\n", MergeResult::kMerged,
         "\r\nP_PLU;1;12;;A;1000;100;0\r\nP_PLU;1;12;;A;1000;100;0\r\nP_TRN;5;x;1;A;7;0;0;1\r\n"},
        {"no receipt line: waits", "P_PLU;1;12;;A;1000;100;0\r\n", "\r\nSPT;1;2;3;0;06-05-2024\r\n", MergeResult::kKept,
         "\r\nSPT;1;2;3;0;06-05-2024\r\n"},
        {"a cut last line is no place to insert", "P_PLU;1;12;;A;1000;100;0\r\n", "\r\nP_PLU;1;13", MergeResult::kKept,
         "\r\nP_PLU;1;13"},
        // Written by other programs: LF or CR alone ends a line as CR LF does.
        {"LF only", "P_PLU;1;12;;A;1000;100;0\nP_RAB;21;R;1;1;5;\n",
         "\nP_PLU;1;13;;B;1000;200;0\nP_TRN;5;x;1;A;7;0;0;1\n", MergeResult::kMerged,
         "\nP_PLU;1;12;;A;1000;100;0\r\nP_RAB;21;R;1;1;5;\r\nP_PLU;1;13;;B;1000;200;0\nP_TRN;5;x;1;A;7;0;0;1\n"},
        {"CR only", "P_PLU;1;12;;A;1000;100;0\rP_RAB;21;R;1;1;5;\rFIRST_LINE_REPEATED",
         "\rP_PLU;1;12;;A;1000;100;0\rP_PLU;1;13;;B;1000;200;0\rP_TRN;5;x;1;A;7;0;0;1\r", MergeResult::kMerged,
         "\rP_PLU;1;12;;A;1000;100;0\r\nP_RAB;21;R;1;1;5;\r\nP_PLU;1;13;;B;1000;200;0\rP_TRN;5;x;1;A;7;0;0;1\r"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir d;
        put(d.file("receipt.tmp"), c.tmp);
        put(d.file("combo.imp"), c.combo);
        EXPECT_EQ(MergeReceiptTmp(d.dir(), nullptr), c.result);
        EXPECT_EQ(records(readFileWhole(d.file("combo.imp"))), c.merged);
        EXPECT_EQ(exists(d.file("receipt.tmp")), c.result == MergeResult::kKept);
        EXPECT_EQ(exists(d.file("arch2.imp")), c.result == MergeResult::kMerged);
        EXPECT_FALSE(exists(d.file("combo.new")));
    }
    TempDir d;
    EXPECT_EQ(MergeReceiptTmp(d.dir(), nullptr), MergeResult::kNothing);

    // A line no open receipt has stops the merge by its number; nothing moves.
    const std::string combo = "\r\nP_PLU;1;13;;B;1000;200;0\r\nP_TRN;5;x;1;A;7;0;0;1\r\n";
    put(d.file("combo.imp"), combo);
    put(d.file("receipt.tmp"), "P_PLU;1;12;;A;1000;100;0\rP_TRN;5;x;1;A;7;0;0;1\r");
    try {
        MergeReceiptTmp(d.dir(), nullptr);
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), "receipt.tmp, wiersz 2: to nie jest wiersz paragonu: 'P_TRN;5;x;1;A;7;0;0;1'");
    }
    EXPECT_EQ(readFileWhole(d.file("combo.imp")), combo);
    EXPECT_TRUE(exists(d.file("receipt.tmp")));
}

// A run killed after combo.imp was replaced and before receipt.tmp went:
// the next merge finishes the job without inserting the lines again.
TEST(ReceiptTmpMerge, RepeatedAfterAKillDoesNotRepeatLines) {
    TempDir d;
    const std::string tmp = "P_PLU;1;12;;A;1000;100;0\r\n";
    const std::string combo = "\r\nP_PLU;1;13;;B;1000;200;0\r\nP_TRN;5;x;1;A;7;0;0;1\r\n";
    std::string merged;
    ASSERT_TRUE(MergedComboText(combo, tmp, merged));
    put(d.file("combo.imp"), merged);  // the rename happened
    put(d.file("receipt.tmp"), tmp);   // the delete did not
    EXPECT_EQ(MergeReceiptTmp(d.dir(), nullptr), MergeResult::kMerged);
    EXPECT_EQ(readFileWhole(d.file("combo.imp")), merged);
    EXPECT_FALSE(exists(d.file("receipt.tmp")));

    // A different receipt.tmp is still merged into a file that took another one.
    put(d.file("receipt.tmp"), "P_RAB;21;R;1;1;5;\r\n");
    EXPECT_EQ(MergeReceiptTmp(d.dir(), nullptr), MergeResult::kMerged);
    EXPECT_EQ(
        records(readFileWhole(d.file("combo.imp"))),
        "\r\nP_RAB;21;R;1;1;5;\r\nP_PLU;1;12;;A;1000;100;0\r\nP_PLU;1;13;;B;1000;200;0\r\nP_TRN;5;x;1;A;7;0;0;1\r\n");
}

// A second failed reading does not overwrite a receipt.tmp that was never
// merged: its lines go into this reading's combo.imp first.
TEST(ReceiptTmpMerge, SecondFailureMergesThePendingFileFirst) {
    TempDir d;
    put(d.file("receipt.tmp"), "P_PLU;1;12;;a;1000;100;0\r\nP_PLU;1;13;;b;1000;100;0\r\n");
    put(d.file("combo.imp"), "\r\nP_PLU;1;14;;c;1000;100;0\r\nP_TRN;57;x;1;A;7;0;0;1\r\nP_PLU;1;15;;x;1000;100;0\r\n");
    ZTUnfinishedReceipt u;
    u.Begin();
    u.Note("P_PLU;1;14;;c;1000;100;0\r\n");
    u.Note("P_TRN;57;x;1;A;7;0;0;1\r\n");
    u.Note("P_PLU;1;15;;x;1000;100;0\r\n");
    u.Save(d.dir(), false, nullptr);
    EXPECT_EQ(records(readFileWhole(d.file("combo.imp"))),
              "\r\nP_PLU;1;12;;a;1000;100;0\r\nP_PLU;1;13;;b;1000;100;0\r\nP_PLU;1;14;;c;1000;100;0\r\n"
              "P_TRN;57;x;1;A;7;0;0;1\r\nP_PLU;1;15;;x;1000;100;0\r\n");
    EXPECT_EQ(readFileWhole(d.file("receipt.tmp")), "P_PLU;1;15;;x;1000;100;0\r\n");

    // Nothing to merge into (no receipt line read): the waiting lines and
    // their marker stay in front.
    TempDir e;
    put(e.file("receipt.tmp"), "P_PLU;1;12;;a;1000;100;0\r\nFIRST_LINE_REPEATED");
    put(e.file("combo.imp"), "\r\nSPT;1;2;3;0;06-05-2024\r\n");
    ZTUnfinishedReceipt v;
    v.Begin();
    v.Save(e.dir(), false, nullptr);
    EXPECT_EQ(readFileWhole(e.file("receipt.tmp")), "P_PLU;1;12;;a;1000;100;0\r\nFIRST_LINE_REPEATED");
}

// A write broken off inside a record (the disk full) leaves half a line at
// the end of combo.imp: it goes before the comment is appended, which would
// otherwise end it and make a record of it that fails every later import.
TEST(UnfinishedReceipt, APartialLastLineGoesBeforeTheNextComment) {
    for (const std::string end : {"\r\n", "\n", "\r"}) {
        SCOPED_TRACE(testing::PrintToString(end));
        TempDir d;
        const std::string whole = "\r\nP_PLU;1;14;;c;1000;100;0" + end;
        put(d.file("combo.imp"), whole + "P_PLU;1;15;;x;10");
        ZTUnfinishedReceipt u;
        u.Begin();
        u.Note("P_PLU;1;14;;c;1000;100;0\r\n");
        u.Save(d.dir(), false, nullptr);
        EXPECT_EQ(readFileWhole(d.file("combo.imp")), whole + "# NEXT receipt.tmp\r\n");
        EXPECT_EQ(readFileWhole(d.file("receipt.tmp")), "P_PLU;1;14;;c;1000;100;0\r\n");
        EXPECT_FALSE(exists(d.file("combo.new")));
    }
}

}  // namespace
