// Fuzz target for "receipt.tmp" and its merge into "combo.imp": both files
// are written into a scratch folder from the input and merged as the import
// merges them; the in-memory merge reads the same texts. A merge that took
// "receipt.tmp" in leaves none behind, one that kept it leaves it in place.
//
// Input: one mode byte (bit 0: the merge into a leftover "combo.imp"; bit 1:
// the lines of "combo.imp" are first noted as a broken-off reading and saved,
// with the marker when bit 2 is set), the text of "combo.imp", and after a
// line "@@receipt.tmp@@" the text of "receipt.tmp" (none without it).
//
// Run with libFuzzer by fuzz/run.sh; the fuzz.receipt_tmp_fuzz test replays
// the committed corpus and regression inputs without it.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "drivers/import/combo_imp_lines.h"
#include "drivers/import/receipt_tmp.h"
#include "fuzz/fuzz_support.h"
#include "platform/exception.h"

namespace {

void put(const std::string& path, std::string_view text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(text.data(), static_cast<std::streamsize>(text.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::string_view combo = input, tmp;
    const std::size_t cut = input.find("\n@@receipt.tmp@@\n");
    const bool withTmp = cut != std::string_view::npos;
    if (withTmp) {
        combo = input.substr(0, cut + 1);
        tmp = input.substr(cut + 17);
    }

    try {
        std::string merged;
        (void)zt::MergedComboText(combo, tmp, merged);
    } catch (const zt::Exception&) {}
    bool repeated = false;
    (void)zt::ForNextReading(combo, &repeated);

    const std::string& dir = zt::fuzz::scratchDir();
    zt::fuzz::clearScratch();
    put(dir + "combo.imp", combo);
    if (withTmp) put(dir + zt::kReceiptTmpName, tmp);
    try {
        if (data[0] & 2) {
            zt::ZTUnfinishedReceipt unfinished;
            unfinished.Begin();
            for (std::string_view line : zt::AllLines(combo)) unfinished.Note(line);
            unfinished.Save(dir, data[0] & 4, nullptr);
        }
        const zt::MergeResult r =
            (data[0] & 1) ? zt::MergeIntoLeftover(dir, nullptr) : zt::MergeReceiptTmp(dir, nullptr);
        const bool left = std::filesystem::exists(dir + zt::kReceiptTmpName);
        if ((r == zt::MergeResult::kMerged && left) || (r == zt::MergeResult::kKept && !left)) __builtin_trap();
    } catch (const zt::Exception&) {}
    zt::fuzz::clearScratch();
    return 0;
}
