#pragma once
// What one import keeps while it reads the register: where the register file
// goes, the lines of the receipt being read (and whether the receipt buffer
// was read to its end), and where the card number sits in a card code.
#include <string>
#include <string_view>
#include <vector>

#include "drivers/import/receipt_tmp.h"

namespace zt {

struct ImportRun {
    explicit ImportRun(std::string workDir) : dir(std::move(workDir)) {}

    std::string dir;                 // the working directory, ending in a separator
    ZTUnfinishedReceipt unfinished;  // lines of the receipt not yet closed
    // The last record this reading received is in "combo.imp" and the register
    // has not let it go: the next reading starts with it again.
    bool lastRecordRepeats = false;
    int cardPos = 0;  // 1-based position of the card number, 0 none
    int cardLen = 0;

    std::string ComboImp() const { return dir + "combo.imp"; }
    // One record line onto the end of "combo.imp", on the disk before the next
    // record is asked for.
    void Append(std::string_view line) const;
};

}  // namespace zt
