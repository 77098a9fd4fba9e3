// Readings of a receipt buffer cut at every record, on real files: the lines
// kept in "receipt.tmp", the leftover "combo.imp" processed first, the merge
// into the next reading. Every receipt, pay-in, pay-out, cancelled receipt
// and order must reach the buffers exactly once, with the sums of a clean run.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "drivers/import/receipt_booking.h"
#include "drivers/import/receipt_tmp.h"
#include "platform/fs.h"
#include "platform/whole_file.h"
#include "tests/platform/tempdir.h"

using namespace zt;
using zt::test::TempDir;

namespace {

const TdtTools kImportDay = TdtTools::Encode(2024, 5, 7, 21, 0, 0);

// The register's receipt buffer, two days.
const std::vector<std::string> kRecords = {
    "P_PLU;1;12;;Chleb;1000;450;0",
    "P_PLU;1;13;;Bulka;1000;100;1",
    "P_RAB;21;Rabat;1;1;10;",
    "P_PLA;2;2;Karta;2;440",
    "P_TRN;1;20240506100000000;1;Anna;7;440;440;101",
    "P_PLA;4;1;Gotowka;0;1000;;1;Anna;7",
    "P_PLU;1;14;;Maslo;1000;100;0",
    "P_OPA;0;3;;1000;50",
    "P_WAL;6;3;EUR;150;33;45000",
    "P_TRN;2;20240506110000000;1;Anna;7;150;150;102",
    "P_PLU;1;15;;Ser;1000;200;0",
    "P_PLA;2;1;Gotowka;0;200",
    "P_ANU;20240506111500000;1;Anna;7;1;200;200",
    "P_ZAM;32;12;590;1500;Tort",
    "P_PLU;1;12;;Chleb;2000;900;0",
    "P_RAB;23;Karta;2;3;20;99912345",
    "P_PLA;2;5;Czek;0;880",
    "P_TRN;3;20240507090000000;1;Anna;7;880;880;103",
    "P_PLA;5;1;Gotowka;0;300;Odbior;1;Anna;7",
    "P_ZAM;32;13;591;2500;Ciasto",
    "P_PLU;1;16;;Jaja;1000;300;0",
    "P_PLA;2;1;Gotowka;0;300",
    "P_TRN;4;20240507100000000;1;Anna;7;300;300;104",
};

// How a reading breaks off after it appended some records.
enum class Cut {
    kAnswerLost,  // the next request ran (last record confirmed), its answer never came
    kRefused,     // the next request did not run: the last record comes again
    kKilled,      // the process died while waiting for that answer: no failure path
};

// What reached the buffers over all processings.
struct Outcome {
    std::map<std::string, long double> sums;
    std::map<int, int> receiptSeen;
    std::map<int, std::string> receipts;
    std::multiset<std::string> others;
    std::vector<std::string> orders;

    void add(const ZTImpBufList& list, const ZTReceiptReader& r) {
        for (int i = 0; i < list.Count(); ++i) {
            ZTImpBuf& b = list.At(i);
            const std::string day = std::to_string(b.saleDate.Day()) + "|";
            sums[day + "cards"] += b.Cards();
            sums[day + "cheques"] += b.Cheques();
            sums[day + "others"] += b.Others();
            // A pay-in takes the day of the receipt after it when one follows
            // in the same file: only its total is the same in every run.
            sums["payin"] += b.PayIns();
            sums["payout"] += b.PayOuts();
            sums[day + "discounts"] += b.Discounts();
            sums[day + "baskets"] += b.Baskets();
            sums[day + "lines"] += b.ReceiptLines();
            sums[day + "bottles"] += b.BottlesSaled();
            for (int row = 0; row < b.CountPlu(); ++row) {
                ZTImpTowRec rec;
                b.GetPlu(row, rec);
                sums[day + rec.code + "/q"] += rec.quantity;
                sums[day + rec.code + "/v"] += rec.value;
            }
            for (int k = 0; k < b.GetReceiptsCount(); ++k) {
                QORParagon& p = *b.GetReceipts(k);
                ++receiptSeen[p.receiptNo];
                receipts[p.receiptNo] = p.ToText();
            }
            for (int k = 0; k < b.GetReceiptsOtherCount(); ++k) others.insert(b.GetReceiptsOther(k)->ToText());
        }
        for (const auto& o : r.Orders().Lines()) orders.push_back(o);
    }
};

class Station {
public:
    Station(bool fromReceipts) : fromReceipts_(fromReceipts) {}

    // One import: the leftover first, then a reading that breaks off after
    // `cutAfter` appended records (-1: reads to the end).
    void import(int cutAfter, Cut how) {
        if (fileExists(combo())) process();
        unfinished_.Begin();
        for (int n = 0; next_ < kRecords.size(); ++n) {
            if (n == cutAfter) {
                if (how == Cut::kRefused && n > 0) --next_;  // not confirmed: delivered again
                if (how != Cut::kKilled) unfinished_.Save(dir_.dir(), how == Cut::kRefused && n > 0, nullptr);
                return;
            }
            appendFileNoFollow(combo(), kRecords[next_] + "\r\n");
            unfinished_.Note(kRecords[next_]);
            ++next_;
        }
        unfinished_.Complete();
        if (fileExists(combo())) {
            MergeReceiptTmp(dir_.dir(), nullptr);
            process();
        }
    }

    bool clean() const {
        return !fileExists(combo()) && !fileExists(dir_.file("receipt.tmp")) && next_ == kRecords.size();
    }
    Outcome outcome;

private:
    std::string combo() const { return dir_.file("combo.imp"); }
    void process() {
        ZTImpBufList list({false, fromReceipts_, true});
        ZTReceiptImpReader reader;
        reader.Read(combo(), list, kImportDay);
        CarryOverReceipt(dir_.dir(), reader.Receipts().LeftoverLines());
        outcome.add(list, reader.Receipts());
        deleteFile(combo());
    }

    TempDir dir_;
    bool fromReceipts_;
    ZTUnfinishedReceipt unfinished_;
    std::size_t next_ = 0;  // the register's first unconfirmed record
};

void expectSame(const Outcome& got, const Outcome& want) {
    for (const auto& [no, n] : got.receiptSeen) EXPECT_EQ(n, 1) << "receipt " << no;
    EXPECT_EQ(got.receipts, want.receipts);
    EXPECT_EQ(got.others, want.others);
    EXPECT_EQ(got.orders, want.orders);
    for (const auto& [k, v] : want.sums) EXPECT_EQ(got.sums.count(k) ? got.sums.at(k) : 0, v) << k;
    for (const auto& [k, v] : got.sums)
        if (!want.sums.count(k)) {
            EXPECT_EQ(v, 0) << k;
        }
}

TEST(ReceiptRecovery, OneReadingCutAtEveryRecord) {
    for (const bool fromReceipts : {false, true}) {
        Station reference(fromReceipts);
        reference.import(-1, Cut::kAnswerLost);
        ASSERT_TRUE(reference.clean());
        ASSERT_EQ(reference.outcome.receipts.size(), 4u);
        for (const Cut how : {Cut::kAnswerLost, Cut::kRefused, Cut::kKilled}) {
            for (int k = 0; k <= static_cast<int>(kRecords.size()); ++k) {
                SCOPED_TRACE("mode " + std::to_string(fromReceipts) + " cut " + std::to_string(static_cast<int>(how)) +
                             " after " + std::to_string(k));
                Station s(fromReceipts);
                s.import(k, how);
                s.import(-1, how);
                EXPECT_TRUE(s.clean());
                expectSame(s.outcome, reference.outcome);
            }
        }
    }
}

TEST(ReceiptRecovery, TwoReadingsCutInARow) {
    for (const bool fromReceipts : {false, true}) {
        Station reference(fromReceipts);
        reference.import(-1, Cut::kAnswerLost);
        for (const Cut how : {Cut::kAnswerLost, Cut::kRefused}) {
            for (int k1 = 1; k1 < static_cast<int>(kRecords.size()); k1 += 2) {
                for (int k2 = 0; k2 + k1 <= static_cast<int>(kRecords.size()); ++k2) {
                    SCOPED_TRACE("mode " + std::to_string(fromReceipts) + " cut " +
                                 std::to_string(static_cast<int>(how)) + " after " + std::to_string(k1) + ", " +
                                 std::to_string(k2));
                    Station s(fromReceipts);
                    s.import(k1, how);
                    s.import(k2, how);
                    s.import(-1, how);
                    EXPECT_TRUE(s.clean());
                    expectSame(s.outcome, reference.outcome);
                }
            }
        }
    }
}

}  // namespace
