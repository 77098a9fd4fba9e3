#include "drivers/import/receipt_tmp.h"

#include <cstdint>

#include "action/module.h"
#include "drivers/import/imp_archive.h"
#include "drivers/import/own_file.h"
#include "platform/exception.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "platform/whole_file.h"

namespace zt {
namespace {

constexpr char kComboName[] = "combo.imp";

bool isReceiptLine(std::string_view line) { return IsReceiptKind(LineKind(line)); }

// Names the "receipt.tmp" a merged "combo.imp" took in.
std::string mergedComment(std::string_view receiptTmp) {
    std::uint64_t h = 14695981039346656037ull;
    for (const char c : receiptTmp) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    return format("%s %016llx", kMergedComment, static_cast<unsigned long long>(h));
}

bool holdsLine(std::string_view text, std::string_view line) {
    for (const std::string_view l : AllLines(text))
        if (WithoutLineEnd(l) == line) return true;
    return false;
}

struct ReceiptTmp {
    std::vector<std::string> lines;
    bool repeated = false;
};

// Only lines of an open receipt are ever kept: anything else would be booked
// as a sale, so it stops the merge, named by its line.
ReceiptTmp parseReceiptTmp(std::string_view text) {
    ReceiptTmp r;
    const std::vector<std::string_view> lines = AllLines(text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = WithoutLineEnd(lines[i]);
        if (IsIgnoredLine(line)) continue;
        if (TrimmedField(line) == kReceiptTmpMarker)
            r.repeated = true;
        else if (IsReceiptBodyLine(line))
            r.lines.push_back(std::string(line) + "\r\n");
        else
            throw Exception(std::string(kReceiptTmpName) + ", wiersz " + std::to_string(i + 1) +
                            ": to nie jest wiersz paragonu: '" + std::string(line) + "'");
    }
    return r;
}

// Before a receipt.tmp is written for the reading that comes next, the
// "combo.imp" it continues says so: a receipt.tmp pending without this line
// is older and belongs in front of that "combo.imp".
void noteNextReceiptTmp(const std::string& dir, bool repeated) {
    const std::string combo = dir + kComboName;
    if (!fileExists(combo)) return;
    // Half a record cut by a failed write would take the comment as its end.
    const std::string text = readFileWhole(combo);
    if (!text.empty() && !HasLineEnd(text))
        writeFileWhole(combo, std::string_view(text).substr(0, text.find_last_of("\r\n") + 1), dir + "combo.new");
    appendFileNoFollow(combo, std::string(repeated ? kNextRepeatedComment : kNextComment) + "\r\n");
}

}  // namespace

bool ForNextReading(std::string_view combo, bool* repeated) {
    bool found = false, rep = false;
    for (const std::string_view l : AllLines(combo)) {
        const std::string_view line = WithoutLineEnd(l);
        if (line == kNextRepeatedComment)
            found = rep = true;
        else if (line == kNextComment)
            found = true, rep = false;
    }
    if (repeated) *repeated = rep;
    return found;
}

MergeResult MergeIntoLeftover(const std::string& dir, const TMLgExtTools* t) {
    const std::string comboPath = dir + kComboName;
    if (!fileExists(dir + kReceiptTmpName) || !fileExists(comboPath)) return MergeResult::kNothing;
    const std::string combo = readFileWhole(comboPath);
    if (!holdsLine(combo, kPendingComment) || ForNextReading(combo, nullptr)) return MergeResult::kNothing;
    return MergeReceiptTmp(dir, t);
}

void ZTUnfinishedReceipt::Begin() {
    lines_.clear();
    complete_ = false;
}

void ZTUnfinishedReceipt::Note(std::string_view line) {
    const std::string_view bare = WithoutLineEnd(line);
    const std::string_view kind = LineKind(bare);
    if (kind == "P_TRN" || kind == "P_ANU")
        lines_.clear();
    else if (IsReceiptBodyLine(bare))
        lines_.push_back(std::string(bare) + "\r\n");
}

void WriteReceiptTmp(const std::string& dir, const std::vector<std::string>& lines, bool repeated) {
    std::string text;
    for (const std::string& l : lines) {
        const std::string_view bare = WithoutLineEnd(l);
        if (IsIgnoredLine(bare)) continue;
        text.append(bare);
        text += "\r\n";
    }
    if (repeated) text += kReceiptTmpMarker;
    writeFileWhole(dir + kReceiptTmpName, text, dir + "receipt.new");
}

void ZTUnfinishedReceipt::Save(const std::string& dir, bool repeated, const TMLgExtTools* t) {
    std::vector<std::string> lines = std::move(lines_);
    lines_.clear();
    if (complete_) return;
    const std::string pendingPath = dir + kReceiptTmpName;
    if (fileExists(pendingPath)) {
        // A receipt.tmp of an earlier reading is still waiting: its lines go
        // into this reading's combo.imp, or stay in front of the new ones.
        if (MergeReceiptTmp(dir, t) == MergeResult::kMerged) {
            // The open receipt now starts with the merged lines: keep the
            // whole of it, as combo.imp holds it at its end.
            ZTUnfinishedReceipt tail;
            const std::string combo = readFileWhole(dir + kComboName);
            for (const std::string_view l : AllLines(combo))
                if (HasLineEnd(l)) tail.Note(l);
            lines = std::move(tail.lines_);
        } else if (fileExists(pendingPath)) {
            ReceiptTmp pending = parseReceiptTmp(readFileWhole(pendingPath));
            pending.lines.insert(pending.lines.end(), lines.begin(), lines.end());
            lines = std::move(pending.lines);
            repeated = repeated || pending.repeated;
        }
    }
    // Broken off between two receipts: nothing waits for the next reading.
    if (lines.empty() && !repeated) {
        if (fileExists(pendingPath)) RemoveOwnFile(pendingPath);
        return;
    }
    noteNextReceiptTmp(dir, repeated);
    WriteReceiptTmp(dir, lines, repeated);
}

bool CarryOverReceipt(const std::string& dir, const std::vector<std::string>& leftover, bool repeated) {
    if (leftover.empty() || fileExists(dir + kReceiptTmpName) || isLink(dir + kReceiptTmpName)) return false;
    noteNextReceiptTmp(dir, repeated);
    WriteReceiptTmp(dir, leftover, repeated);
    return true;
}

std::string MergeProgressText() {
    return trm("ztcombo_cbaction", "TZTComboAddReceiMsgAdd", "Analiza pliku receipt.tmp...");
}

bool MergedComboText(std::string_view combo, std::string_view receiptTmp, std::string& out) {
    const ReceiptTmp kept = parseReceiptTmp(receiptTmp);
    out.clear();
    out.reserve(combo.size() + receiptTmp.size() + 64);
    out += mergedComment(receiptTmp);
    out += "\r\n";
    bool inserted = false;
    for (const std::string_view line : AllLines(combo)) {
        // A last line without its line end is no record yet.
        if (!inserted && HasLineEnd(line) && isReceiptLine(line)) {
            inserted = true;
            for (const std::string& k : kept.lines) out += k;
            if (kept.repeated) continue;
        }
        out.append(line);
    }
    return inserted;
}

MergeResult MergeReceiptTmp(const std::string& dir, const TMLgExtTools* t) {
    const std::string tmpPath = dir + kReceiptTmpName, comboPath = dir + kComboName;
    if (!fileExists(tmpPath)) return MergeResult::kNothing;
    const std::string receiptTmp = readFileWhole(tmpPath);
    const std::string combo = fileExists(comboPath) ? readFileWhole(comboPath) : std::string();
    // Already merged by a run that stopped before receipt.tmp went.
    if (!holdsLine(combo, mergedComment(receiptTmp))) {
        std::string merged;
        if (!MergedComboText(combo, receiptTmp, merged)) return MergeResult::kKept;
        writeFileWhole(comboPath, merged, dir + "combo.new");
    }
    ArchiveReceiptTmp(dir, t);
    RemoveOwnFile(tmpPath);
    return MergeResult::kMerged;
}

}  // namespace zt
