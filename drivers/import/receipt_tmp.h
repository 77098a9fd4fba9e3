#pragma once
// The lines of a receipt whose reading broke off, kept in "receipt.tmp" and
// merged into the "combo.imp" of the next reading, in front of its first
// receipt line. The marker line says that the first receipt line of that
// reading repeats the last one kept (the register had not confirmed it).
//
// Every step can be cut by a killed process: "combo.imp" and "receipt.tmp"
// are replaced whole by a rename, and a merged "combo.imp" carries a comment
// line so a merge cut short before "receipt.tmp" went is not done twice.
#include <string>
#include <string_view>
#include <vector>

#include "drivers/import/combo_imp_lines.h"
#include "tools/api.h"

namespace zt {

class TMLgExtTools;

inline constexpr char kReceiptTmpName[] = "receipt.tmp";
inline constexpr char kReceiptTmpMarker[] = "FIRST_LINE_REPEATED";

// The unfinished-receipt lines of one reading of the register's receipt
// buffer, and whether the buffer was read to its end.
class ZT_API ZTUnfinishedReceipt {
public:
    // A reading starts: no lines, not complete.
    void Begin();
    // A line appended to "combo.imp" (with or without its CR LF): lines of a
    // receipt body are kept, a closing or cancelled receipt empties the list,
    // other lines (pay-ins, pay-outs, reports, orders) are left out.
    void Note(std::string_view line);
    // The buffer was read to its end: every line is in "combo.imp".
    void Complete() { complete_ = true; }
    bool IsComplete() const { return complete_; }
    const std::vector<std::string>& Lines() const { return lines_; }

    // The reading failed: writes the lines to "receipt.tmp" in the working
    // directory (ending in a separator), with the marker when repeated; a
    // "receipt.tmp" still waiting is merged into "combo.imp" first, so its
    // lines are not overwritten. Nothing when complete. Empties the lines.
    void Save(const std::string& dir, bool repeated, const TMLgExtTools* t);

private:
    std::vector<std::string> lines_;
    bool complete_ = true;
};

// Writes "receipt.tmp" whole (lines with their CR LF; the marker without a
// line end). Comment and blank lines are left out.
void WriteReceiptTmp(const std::string& dir, const std::vector<std::string>& lines, bool repeated);

// After a "combo.imp" was read into the buffers and before it is deleted:
// the lines of the receipt it ended inside (ZTReceiptReader::LeftoverLines)
// go into "receipt.tmp" when none is waiting, as if a failed reading had
// saved them (a reading killed before its failure path ran). repeated as for
// Save. True when written.
bool CarryOverReceipt(const std::string& dir, const std::vector<std::string>& leftover, bool repeated = false);

// "Analiza pliku receipt.tmp..." as the host's translation has it.
std::string MergeProgressText();

// What a merge did.
enum class MergeResult {
    kNothing,  // no "receipt.tmp"
    kMerged,   // its lines are in "combo.imp"; archived into "arch2.imp" and deleted
    kKept,     // "combo.imp" holds no receipt line: "receipt.tmp" waits for the next reading
};

// Merges "receipt.tmp" of the working directory into its "combo.imp": the kept
// lines go in front of the first "P_" line, which is dropped when the marker
// was written. Then "receipt.tmp" is archived and deleted.
MergeResult MergeReceiptTmp(const std::string& dir, const TMLgExtTools* t);

// Whether the text of a "combo.imp" says a receipt.tmp was written for the
// reading after it; repeated (when given) tells whether with the marker.
bool ForNextReading(std::string_view combo, bool* repeated);

// Before a leftover "combo.imp" is processed: a receipt.tmp that was pending
// when its reading began, and not written for the reading after it, goes in
// front of it.
MergeResult MergeIntoLeftover(const std::string& dir, const TMLgExtTools* t);

// The text of "combo.imp" after the merge of a "receipt.tmp" text; false when
// the combo text holds no "P_" line (nothing to put the lines in front of).
bool MergedComboText(std::string_view combo, std::string_view receiptTmp, std::string& out);

}  // namespace zt
