#include "plugin/parameters.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>

#include "action/module.h"
#include "platform/cp1250.h"
#include "platform/translation.h"

namespace zt {
namespace {

TEST(ParametersTest, MissingDeclarationsAreEmpty) {
    for (auto [group, index] : {std::pair{106, 0}, {101, 25}, {100, 0}, {108, 0}, {101, -1}}) {
        ParamDecl d = declareParameter(group, index, "");
        EXPECT_EQ(d.type, 0) << group << "/" << index;
        EXPECT_EQ(d.flags, 0);
        EXPECT_TRUE(d.key.empty() && d.description.empty() && d.defaultValue.empty() && d.minimum.empty() &&
                    d.maximum.empty());
    }
}

TEST(ParametersTest, DeclarationFields) {
    ParamDecl asort = declareParameter(101, 13, "");
    EXPECT_EQ(asort.key, "ZT_Combo_ComboAsort1");
    EXPECT_EQ(declareParameter(101, 23, "").key, "ZT_Combo_ComboAsort7");
    // The import's save token goes back to the host as a parameter: declared, hidden.
    const ParamDecl lastSave = declareParameter(101, 24, "");
    EXPECT_EQ(lastSave.key, "ComboLastSave");
    EXPECT_EQ(lastSave.flags, 2);
    EXPECT_EQ(lastSave.type, 1);
    EXPECT_EQ(asort.flags, 2);
    EXPECT_EQ(asort.type, 1);
    EXPECT_EQ(asort.description, "");

    ParamDecl timeout = declareParameter(101, 4, "");
    EXPECT_EQ(timeout.key, "ComboModemTimeout");
    EXPECT_EQ(timeout.type, 4);
    EXPECT_EQ(timeout.defaultValue, "60");
    EXPECT_EQ(timeout.minimum, "1");
    EXPECT_EQ(timeout.maximum, "255");
    EXPECT_EQ(timeout.description, pl("Modem - timeout połączenia (sek.)"));

    // A lower bound alone.
    ParamDecl last = declareParameter(101, 19, "");
    EXPECT_EQ(last.key, "ComboLastReceipt");
    EXPECT_EQ(last.minimum, "0");
    EXPECT_EQ(last.maximum, "");

    // The same key in two groups with its own default in each.
    EXPECT_EQ(declareParameter(104, 4, "").defaultValue, "0");
    EXPECT_EQ(declareParameter(107, 3, "").key, "ComboDokPlu");
    EXPECT_EQ(declareParameter(107, 3, "").defaultValue, "1");

    // Without a translation the looked-up default stays Polish.
    EXPECT_EQ(declareParameter(101, 0, "").defaultValue, "PLIK");
}

TEST(ParametersTest, DirectoryDefaultsStartInProgramFolder) {
    EXPECT_EQ(declareParameter(102, 14, "").defaultValue, "c:\\Ambrel\\EDI");
    EXPECT_EQ(declareParameter(102, 11, "").defaultValue, "c:\\Ambrel\\Posnet\\skp\\dane");
    EXPECT_EQ(declareParameter(102, 14, "D:\\Prog\\").defaultValue, "D:\\Prog\\EDI");
    EXPECT_EQ(declareParameter(102, 11, "D:\\Prog").defaultValue, "D:\\Prog\\Posnet\\skp\\dane");
}

TEST(ParametersTest, WholeTableWalk) {
    const std::map<int, int> expected = {{101, 25}, {102, 17}, {103, 4}, {104, 6}, {105, 2}, {106, 0}, {107, 5}};
    for (auto [group, count] : expected) {
        std::set<std::string> keys;
        int n = 0;
        while (n < 100) {
            ParamDecl d = declareParameter(group, n, "");
            if (d.type == 0) break;
            EXPECT_FALSE(d.key.empty()) << group << "/" << n;
            EXPECT_TRUE(d.type == 1 || (d.type >= 3 && d.type <= 7)) << d.key;
            EXPECT_TRUE(d.flags >= 0 && d.flags <= 2) << d.key;
            // Internal values carry no label; everything else has one.
            EXPECT_EQ(d.flags == 2, d.description.empty()) << d.key;
            if (d.type != 4) {
                EXPECT_TRUE(d.minimum.empty() && d.maximum.empty()) << d.key;
            }
            keys.insert(d.key);
            ++n;
        }
        EXPECT_EQ(n, count) << "group " << group;
        EXPECT_EQ(static_cast<int>(keys.size()), count) << "duplicate key in group " << group;
    }
}

TEST(ParametersTest, ListTexts) {
    EXPECT_EQ(parameterListText("comboport", 3), "COM3");
    EXPECT_EQ(parameterListText("COMBOPORT", 0), "PLIK");
    EXPECT_EQ(parameterListText("ComboPort", 10), "TCP/IP");
    EXPECT_EQ(parameterListText("comboport", 11), "");
    EXPECT_EQ(parameterListText("comboport", -1), "");
    EXPECT_EQ(parameterListText("ComboPortX", 0), "");
    EXPECT_EQ(parameterListText("", 0), "");

    EXPECT_EQ(parameterListText("ComboKanMul", 5), "8xRS232 - Kana\xb3 1");
    EXPECT_EQ(parameterListText("ComboKanMul", 12), "8xRS232 - Kana\xb3 8");
    EXPECT_EQ(parameterListText("ComboKanMul", 13), "");
    EXPECT_EQ(parameterListText("ComboSpeed", 7), "115200");
    EXPECT_EQ(parameterListText("ComboCardFormatFull", 1), "tylko fragment \"NNN...\" z kodu karty (np. 232)");
    // Lists without a declaration of their own.
    EXPECT_EQ(parameterListText("ComboImpTow", 1), "Tak");
    EXPECT_EQ(parameterListText("combozerujstanymag", 0), "Nie");
    EXPECT_EQ(parameterListText("ComboProductFlag", 1),
              pl("cena otw/zam - czy można zmieniać cenę | towar rabatowany"));

    // Every choice parameter has at least two choices.
    for (int group = 101; group <= 107; ++group)
        for (int i = 0; i < 100; ++i) {
            ParamDecl d = declareParameter(group, i, "");
            if (d.type == 0) break;
            if (d.type == 7 || d.type == 3) {
                EXPECT_FALSE(parameterListText(d.key, 0).empty()) << d.key;
                EXPECT_FALSE(parameterListText(d.key, 1).empty()) << d.key;
            }
        }
}

// Host text lookup that answers every question with a marked text and remembers the keys asked.
std::string g_asked;
std::int32_t ZT_HOST_STDCALL testLookup(char* out, std::int32_t size, const char* module, const char* key) {
    g_asked += std::string(module) + "/" + key + ";";
    std::string answer = std::string("T:") + key;
    if (static_cast<std::int32_t>(answer.size()) >= size) return 0;
    std::memcpy(out, answer.c_str(), answer.size() + 1);
    return 1;
}

class TranslatedParametersTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_asked.clear();
        setModuleTranslation(&tools_);
    }
    void TearDown() override { setModuleTranslation(nullptr); }
    TMLgExtTools tools_{&testLookup};
};

TEST_F(TranslatedParametersTest, DescriptionsAndTextsAreLookedUpByKey) {
    EXPECT_EQ(declareParameter(101, 1, "").description, "T:TZTLibraParametrAOpis_00001");
    EXPECT_EQ(g_asked, "ztcombo_cbaction/TZTLibraParametrAOpis_00001;");

    g_asked.clear();
    ParamDecl port = declareParameter(101, 0, "");
    EXPECT_EQ(port.description, "T:TZTLibraParametrAOpis");
    EXPECT_EQ(port.defaultValue, "T:TZTLibraParametrAWartDom");

    // Plain descriptions and empty ones are not looked up.
    g_asked.clear();
    EXPECT_EQ(declareParameter(101, 22, "").description, pl("Ustawienia flag towarów"));
    EXPECT_EQ(declareParameter(101, 11, "").description, "");
    EXPECT_EQ(g_asked, "");

    EXPECT_EQ(parameterListText("ComboKanMul", 5), "T:TZTLibraTekstLisreturn_00006");
    EXPECT_EQ(parameterListText("ComboPort", 0), "T:TZTLibraTekstLisreturn");
    EXPECT_EQ(parameterListText("ComboFiscalReport", 1), "T:TZTLibraTekstLisreturn_00032");
    g_asked.clear();
    EXPECT_EQ(parameterListText("ComboPort", 3), "COM3");
    EXPECT_EQ(g_asked, "");
}

}  // namespace
}  // namespace zt
