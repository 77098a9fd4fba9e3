// "combo.imp" lines: what a writer puts down, the view of its kind reads back.
#include "drivers/import/combo_imp_lines.h"

#include <gtest/gtest.h>

#include "platform/datetime.h"
#include "platform/exception.h"

using namespace zt;

namespace {

// The line without its CR LF, split: what every reader hands a view.
std::vector<std::string_view> fieldsOf(const std::string& line) {
    EXPECT_EQ(line.substr(line.size() - 2), "\r\n") << line;
    return SplitFields(std::string_view(line).substr(0, line.size() - 2));
}

TEST(ComboImpLines, StateLinesReadBackWhatWasWritten) {
    const std::string spt = SptLine::Format(12, 675, 1500, 7, 6, 5, 2024);
    EXPECT_EQ(spt, "SPT;12;675;1500;7;06-05-2024\r\n");
    const auto sf = fieldsOf(spt);
    const SptLine s(sf);
    EXPECT_EQ(s.Plu(), "12");
    EXPECT_EQ(s.Value(), 675);
    EXPECT_EQ(s.Quantity(), 1500);

    const std::string spo = SpoLine::Format(3, 5, 2, 500, 200, 9);
    EXPECT_EQ(spo, "SPO;3;5;2;500;200;9\r\n");
    const auto of = fieldsOf(spo);
    const SpoLine o(of);
    EXPECT_EQ(o.Number(), "3");
    EXPECT_EQ(std::vector<std::int64_t>({o.Sold(), o.Returned(), o.ValueSold(), o.ValueReturned()}),
              std::vector<std::int64_t>({5, 2, 500, 200}));

    KasLine::Values v;
    EXPECT_EQ(KasLine::Format(v), "KAS;0\r\n");  // nobody logged in: the number alone
    v.cashier = 3;
    v.name = "No;wak\r\n";
    v.loginTime = "20240506080000000";
    v.now = "20240506210000000";
    v.receipts = 41;
    v.cancelled = 2;
    v.cancelledValue = 1500;
    v.voids = 3;
    v.voidsValue = 700;
    const std::string kas = KasLine::Format(v);
    EXPECT_EQ(kas, "KAS;3;Nowak;0;0;20240506080000000;20240506210000000;0;0;0;0;0;41;2;1500;3;700\r\n");
    const auto kf = fieldsOf(kas);
    const KasLine k(kf);
    EXPECT_EQ(k.Cashier(), 3);
    EXPECT_EQ(k.Name(), "Nowak");
    EXPECT_EQ(TdtTools(k.LoginTime()).ToString(TdtTools::kCompact), v.loginTime);
    EXPECT_EQ(TdtTools(k.Now()).ToString(TdtTools::kCompact), v.now);
    EXPECT_EQ(std::vector<std::int64_t>({k.Receipts(), k.Cancelled(), k.CancelledValue(), k.Voids(), k.VoidsValue()}),
              std::vector<std::int64_t>({41, 2, 1500, 3, 700}));

    const std::string kpl = KplLine::Format(3, "Euro", 300000, 45000);
    EXPECT_EQ(kpl, "KPL;3;Euro;300000;45000\r\n");
    const auto pf = fieldsOf(kpl);
    const KplLine p(pf);
    EXPECT_EQ(std::vector<std::int64_t>({p.Type(), p.Amount(), p.Rate()}),
              std::vector<std::int64_t>({3, 300000, 45000}));
}

TEST(ComboImpLines, JournalCommentsReadBackWhatWasWritten) {
    const struct {
        std::string line;
        JournalComment::Kind kind;
        const char* day;
        int number;
    } rows[] = {
        {JournalComment::Saving("20240506"), JournalComment::kSaving, "20240506", 0},
        {JournalComment::Saved("20240506"), JournalComment::kSaved, "20240506", 0},
        {JournalComment::Edi("20240506", 999), JournalComment::kEdi, "20240506", 999},
        {JournalComment::EdiWritten(), JournalComment::kEdiWritten, "", 0},
        {std::string(WithoutLineEnd(kReadingCompleteComment)), JournalComment::kReadComplete, "", 0},
        // Not the journal: a damaged day or number, another comment, a record.
        {"# SAVED 2024056", JournalComment::kNone, "", 0},
        {"# EDI 20240506 0", JournalComment::kNone, "", 0},
        {"# EDI 20240506 1000", JournalComment::kNone, "", 0},
        {kPendingComment, JournalComment::kNone, "", 0},
        {"SPT;1;2;3;4;01-01-2024", JournalComment::kNone, "", 0},
    };
    for (const auto& r : rows) {
        const JournalComment c = JournalComment::Parse(r.line);
        EXPECT_EQ(c.kind, r.kind) << r.line;
        EXPECT_EQ(c.day, r.day) << r.line;
        EXPECT_EQ(c.number, r.number) << r.line;
        EXPECT_TRUE(IsIgnoredLine(r.line) || r.line[0] == 'S') << r.line;
    }
}

TEST(ComboImpLines, ViewsConvertOnlyTheFieldsAskedFor) {
    const std::string line = "P_PLA;4;1;Gotowka;0;2500;;;Jan;kasjer";
    const auto f = SplitFields(line);
    const PPlaLine p(f);
    EXPECT_EQ(p.Type(), 4);
    EXPECT_EQ(p.Amount(), 2500);
    EXPECT_FALSE(p.Cashier().has_value());  // free text: no number, no failure
    const ComboImpFields any(f);
    EXPECT_THROW(any.Int(3), Exception);
    EXPECT_EQ(any.Text(42), "");
}

}  // namespace
