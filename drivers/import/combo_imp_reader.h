#pragma once
// Reading the register file "combo.imp" into the import buffers, one per
// sale date. Goods and package sales, the cashier and the cash per payment
// form are booked here; the detailed-receipt lines ("P_...") go, on the
// buffer chosen for their receipt, to the receipt reader the driver plugs in.
#include <string>
#include <string_view>
#include <vector>

#include "drivers/import/booked_state.h"
#include "drivers/import/combo_imp_lines.h"
#include "drivers/import/imp_buf_list.h"

namespace zt {

class ZT_API ZTComboImpReader {
public:
    virtual ~ZTComboImpReader() = default;

    // Reads the file (or text) into the list. dataImportu is the date the
    // buffers of lines without a receipt date get. A numeric field that is no
    // decimal integer ends the reading with the conversion failure, named by
    // the file and the line's number. A last line without its line end is a
    // record cut short and is not read.
    void Read(const std::string& path, ZTImpBufList& list, TdtTools dataImportu);
    void ReadText(std::string_view text, ZTImpBufList& list, TdtTools dataImportu,
                  std::string_view fileName = "combo.imp");

    // The lines that are the register's state when read rather than records
    // it let go (goods and package counters, cash state) are skipped: a
    // reading that broke off hands them over with the next one.
    void SkipStateLines(bool skip) { skipState_ = skip; }
    // The state the host already holds: the counters book what was sold
    // since, a cash state equal to the held one is not booked again.
    void SetBooked(ZTBookedState booked) { booked_ = std::move(booked); }
    // The sale date of the buffer the cash state went to (or, skipped, would
    // have gone to); 0 when the text has none.
    double StateDate() const { return stateDate_; }

    // "Analiza pliku combo.imp..." as the host's translation has it.
    static std::string ProgressText();

protected:
    // A counting progress line opens (text of ProgressText()).
    virtual void OnStart(const std::string& text) {}
    // A line that is not skipped was read.
    virtual void OnRecord() {}
    // The progress line closes; ok false when the reading failed.
    virtual void OnEnd(bool ok) {}
    // A "P_" line on the buffer selected for it; at the end of the file once
    // more with an empty line (a receipt still open is dropped then).
    virtual void OnReceiptLine(std::string_view line, ZTImpBuf* buffer) {}

private:
    bool skipState_ = false;
    ZTBookedState booked_;
    double stateDate_ = 0;
};

}  // namespace zt
