// The VAT slot order as the host meets it: window 0 opens the slot dialog, whose
// rows show the order loaded from the stored values or the host's rates.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "fake_host.h"
#include "platform/cp1250.h"

using ztest::api;
using ztest::FakeHost;

namespace {

class VatOrder : public ::testing::Test {
protected:
    FakeHost host;
    std::string dump = "/tmp/zt-vat-dump-" + std::to_string(getpid()) + ".txt";

    void SetUp() override {
        host.vatWhole = {0, 5, 8, 23};
        host.registerAll();
    }
    void TearDown() override { std::remove(dump.c_str()); }

    // Opens window 0, answering the dialog with the script; returns its rows as shown.
    std::string show(const char* script) {
        std::remove(dump.c_str());
        setenv("ZTCOMBO_DIALOG_DUMP", dump.c_str(), 1);
        setenv("ZTCOMBO_DIALOG_SCRIPT", script, 1);
        std::int32_t op = -1;
        char name[301] = "";
        EXPECT_EQ(api().PokazOkno(host.lib, 1, 0, 1, &op, name), 0);
        unsetenv("ZTCOMBO_DIALOG_SCRIPT");
        unsetenv("ZTCOMBO_DIALOG_DUMP");
        std::ifstream in(dump);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

}  // namespace

TEST_F(VatOrder, StoredWholePercentsAreReadAsHundredths) {
    host.params["ZT_Combo_PosortowaneStawkiVat"] = "23\r\n8\r\n5\r\n0";
    const std::string rows = show("cancel");
    EXPECT_NE(rows.find("[0] A: 23.00\n  [1] B: 8.00\n  [2] C: 5.00\n  [3] D: 0.00\n  [4] E: <pusta>"),
              std::string::npos)
        << rows;
    EXPECT_TRUE(host.written.empty());
}

TEST_F(VatOrder, StoredHundredthsComeFirst) {
    host.params["ZT_Combo_PosortowaneStawkiVat"] = "23\r\n8";
    host.params["ZT_Combo_PosortowaneStawkiVatPrec"] = "500\r\nabc\r\n2300";
    const std::string rows = show("cancel");
    EXPECT_NE(rows.find("[0] A: 5.00\n  [1] B: <pusta>\n  [2] C: 23.00\n"), std::string::npos) << rows;
}

TEST_F(VatOrder, WithoutAStoredOrderTheHighestHostRateTakesSlotA) {
    const std::string rows = show("ok");
    EXPECT_NE(rows.find("[0] A: 23.00\n  [1] B: 8.00\n  [2] C: 5.00\n  [3] D: 0.00\n"), std::string::npos) << rows;
    EXPECT_EQ(host.written["ZT_Combo_PosortowaneStawkiVatPrec"],
              "2300\r\n800\r\n500\r\n0\r\n-999\r\n-999\r\n-999\r\n-999\r\n-999\r\n-999");
}

TEST_F(VatOrder, ASevenSlotRegisterShowsSevenRows) {
    host.params["ZT_Combo_PosortowaneStawkiVatPrec"] = "0\r\n500\r\n800\r\n2300\r\n0\r\n500\r\n800\r\n2300\r\n0\r\n500";
    const std::string rows = show("select 6 4;ok");
    EXPECT_NE(rows.find("[6] G: 8.00"), std::string::npos) << rows;
    EXPECT_EQ(rows.find("[7]"), std::string::npos) << rows;
    EXPECT_EQ(host.written["ZT_Combo_PosortowaneStawkiVatPrec"],
              "0\r\n500\r\n800\r\n2300\r\n0\r\n500\r\n2300\r\n-999\r\n-999\r\n-999");
}

TEST_F(VatOrder, ARefusedStoreIsReportedAsAnError) {
    host.refuseStores = true;
    show("ok");
    const auto errors = host.lines(2);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0], zt::pl("Podczas wykonywania operacji 'wyświetlanie okna' wystąpił błąd:"));
    EXPECT_EQ(errors[1], zt::pl("Błąd zapisu własnego parametru 'ZT_Combo_PosortowaneStawkiVatPrec' do bazy danych"));
}
