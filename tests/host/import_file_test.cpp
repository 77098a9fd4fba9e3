// "kasa.imp" as the bench's host reads it back.
#include <gtest/gtest.h>

#include "host/import_file.h"

using namespace zt;

TEST(ImportFile, SectionsAndTheParametersOfOperacje) {
    const std::string text =
        "junk\r\n[TOWAROWE]\r\nPLU;1;;3000;1350\r\n\r\n[OPERACJE]\r\nKASPAR;ComboLastReceipt;3302\r\n"
        "KASPAR;a;b;c\r\nKASPAR;;x\r\nKASPAR;novalue\r\nOTHER;k;v\r\n\r\n[FLAGI]\nFISK_Z_PLU;T";
    const auto s = ImportFileSections(text);
    ASSERT_EQ(s.size(), 3u);
    EXPECT_EQ(s[0].name, "TOWAROWE");
    EXPECT_EQ(s[0].lines, std::vector<std::string>{"PLU;1;;3000;1350"});
    EXPECT_EQ(s[1].lines.size(), 5u);
    EXPECT_EQ(s[2].lines, std::vector<std::string>{"FISK_Z_PLU;T"});
    const std::vector<std::pair<std::string, std::string>> want = {{"ComboLastReceipt", "3302"}, {"a", "b=c"}};
    EXPECT_EQ(ImportFileParameters(text), want);
    // Parameters outside [OPERACJE] are no parameters.
    EXPECT_TRUE(ImportFileParameters("[TOWAROWE]\r\nKASPAR;x;1\r\n").empty());
}
