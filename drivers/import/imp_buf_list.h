#pragma once
// The import buffers of one processing of "combo.imp": one per sale date, and
// the current one. Buffers made here take the settings the driver gives.
#include <memory>
#include <vector>

#include "drivers/import/imp_buf.h"

namespace zt {

struct ZTImpBufSettings {
    bool doklejPlu = false;          // DOKLEJ_PLU
    bool salesFromReceipts = false;  // sums come from the detailed receipts
    bool writeReceipts = false;      // receipt blocks go into "kasa.imp"
};

class ZT_API ZTImpBufList {
public:
    explicit ZTImpBufList(ZTImpBufSettings settings = {}) : settings_(settings) {}

    // Makes current the buffer of D's calendar day, creating it (sale date D,
    // the driver's flags) when there is none.
    ZTImpBuf& Select(TdtTools date);
    ZTImpBuf* Current() const { return current_; }
    // No buffer is current (the next line selects one).
    void Release() { current_ = nullptr; }

    int Count() const { return static_cast<int>(buffers_.size()); }
    ZTImpBuf& At(int i) const { return *buffers_.at(static_cast<std::size_t>(i)); }
    // Destroys every buffer with the receipts it still holds.
    void Clear();

    const ZTImpBufSettings& Settings() const { return settings_; }
    void SetSettings(const ZTImpBufSettings& s) { settings_ = s; }

private:
    ZTImpBufSettings settings_;
    std::vector<std::unique_ptr<ZTImpBuf>> buffers_;
    ZTImpBuf* current_ = nullptr;
};

}  // namespace zt
