// Fuzz target for the register file "combo.imp": any text read as the import
// reads it (sales, cashier and cash lines into the buffers, receipt lines to
// the receipt reader), its comment and journal lines read by the save's
// journal, and each buffer written out again.
//
// Input: one mode byte (bit 0: the register's state lines skipped; bit 1:
// receipt positions go by barcode; bit 2: buffer sums from the receipts),
// then the text of the file.
//
// Run with libFuzzer by fuzz/run.sh; the fuzz.combo_imp_fuzz test replays the
// committed corpus and regression inputs without it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "drivers/import/combo_imp_lines.h"
#include "drivers/import/receipt_booking.h"
#include "drivers/import/save_journal.h"
#include "fuzz/fuzz_support.h"
#include "platform/exception.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const zt::TdtTools importDate = zt::TdtTools::Encode(2026, 3, 14);

    zt::ZTReceiptReaderSettings receipts;
    receipts.codeAsIdentifier = data[0] & 2;
    receipts.cardPosition = 2;
    receipts.cardLength = 6;
    zt::ZTReceiptImpReader reader(receipts);
    reader.SkipStateLines(data[0] & 1);
    zt::ZTImpBufSettings bufs;
    bufs.salesFromReceipts = data[0] & 4;
    bufs.writeReceipts = true;
    zt::ZTImpBufList list(bufs);
    try {
        reader.ReadText(text, list, importDate);
        for (int i = 0; i < list.Count(); ++i) (void)list.At(i).WriteToText(i % 2 == 0);
        (void)reader.Receipts().LeftoverLines();
    } catch (const zt::Exception&) {}

    for (std::string_view line : zt::AllLines(text)) {
        const zt::JournalComment c = zt::JournalComment::Parse(zt::WithoutLineEnd(line));
        if (c.kind != zt::JournalComment::kNone && !zt::IsIgnoredLine(line)) __builtin_trap();
    }
    // Reading only: nothing is marked, so the path is never written.
    const zt::ZTSaveJournal journal(zt::fuzz::scratchDir() + "combo.imp", text);
    (void)journal.ReadingComplete();
    (void)journal.Saved(importDate, journal.Token(importDate));
    (void)journal.EdiPlanned();
    return 0;
}
