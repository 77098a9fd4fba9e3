#pragma once
// The detailed-receipt lines ("P_...") of "combo.imp" turned back into
// receipts, other-information records (pay-ins, pay-outs, voided lines,
// cancelled receipts) and customer orders, booked on the import buffers.
//
// A receipt's amounts reach the buffer only with its closing line (P_TRN):
// a receipt cut off at the end of the file books nothing, so its lines can
// come back through "receipt.tmp" without counting twice.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "drivers/import/combo_imp_reader.h"
#include "drivers/import/edi_orders.h"
#include "drivers/import/receipt_records.h"

namespace zt {

struct ZTReceiptReaderSettings {
    // ComboTowIdParag: positions go by their (converted) barcode.
    bool codeAsIdentifier = false;
    // Turns a code the register reported into the host's form (weighed goods,
    // code range); null keeps the code as it is.
    std::function<std::string(std::string_view)> convertCode;
    // Where the card number sits in a card code (1-based position, length);
    // 0 keeps the code whole.
    int cardPosition = 0;
    int cardLength = 0;
};

class ZT_API ZTReceiptReader {
public:
    explicit ZTReceiptReader(ZTReceiptReaderSettings settings = {});
    ~ZTReceiptReader();
    ZTReceiptReader(const ZTReceiptReader&) = delete;
    ZTReceiptReader& operator=(const ZTReceiptReader&) = delete;

    // One "P_" line (without its line end) on the buffer selected for it. An
    // empty line is the end of the file: a receipt still open is dropped and
    // its lines are kept in LeftoverLines(). A numeric field that is no
    // integer raises the conversion failure.
    void Line(std::string_view line, ZTImpBuf* buffer);
    // Forgets the open receipt, the open other-information record, the
    // leftover lines and the orders: the state of a new processing.
    void Reset();

    bool HasOpenReceipt() const { return receipt_ != nullptr; }
    // The lines (each with CR LF) of the receipt that was open when the file
    // ended; empty when the file ended after a complete receipt.
    const std::vector<std::string>& LeftoverLines() const { return leftover_; }
    // The orders of this processing.
    const ZTOrderList& Orders() const { return orders_; }
    ZTOrderList& Orders() { return orders_; }

    // The card code cut to the card number (kept whole when it is too short).
    static std::string CardNumber(std::string_view code, int position, int length);

private:
    struct Pending;
    void dropOpen();
    void closeReceipt(const PTrnLine& closing, ZTImpBuf& b);

    ZTReceiptReaderSettings settings_;
    std::unique_ptr<QORParagon> receipt_;
    std::unique_ptr<QOROther> voided_;
    std::unique_ptr<Pending> pending_;
    std::vector<std::string> lines_;
    std::vector<std::string> leftover_;
    ZTOrderList orders_;
};

// The reading of "combo.imp" with the receipt lines going to a receipt
// reader. Each Read starts the reader afresh. Subclasses may still watch
// the progress hooks.
class ZT_API ZTReceiptImpReader : public ZTComboImpReader {
public:
    explicit ZTReceiptImpReader(ZTReceiptReaderSettings settings = {}) : reader_(std::move(settings)) {}

    void Read(const std::string& path, ZTImpBufList& list, TdtTools dataImportu);
    void ReadText(std::string_view text, ZTImpBufList& list, TdtTools dataImportu,
                  std::string_view fileName = "combo.imp");

    ZTReceiptReader& Receipts() { return reader_; }
    const ZTReceiptReader& Receipts() const { return reader_; }

protected:
    void OnReceiptLine(std::string_view line, ZTImpBuf* buffer) override;

private:
    ZTReceiptReader reader_;
};

}  // namespace zt
