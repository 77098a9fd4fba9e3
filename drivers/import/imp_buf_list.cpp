#include "drivers/import/imp_buf_list.h"

namespace zt {

ZTImpBuf& ZTImpBufList::Select(TdtTools date) {
    for (const auto& b : buffers_)
        if (b->saleDate.Day() == date.Day()) return *(current_ = b.get());
    auto b = std::make_unique<ZTImpBuf>();
    b->saleDate = date;
    b->fiskZPlu = true;
    b->nadpiszFisk = false;
    b->nadpiszOpak = false;
    b->nadpiszPlu = false;
    b->podsumujOpak = false;
    b->doklejPlu = settings_.doklejPlu;
    b->defaultIdentIsCode = true;
    b->salesFromReceipts = settings_.salesFromReceipts;
    b->writeReceipts = settings_.writeReceipts;
    buffers_.push_back(std::move(b));
    return *(current_ = buffers_.back().get());
}

void ZTImpBufList::Clear() {
    current_ = nullptr;
    buffers_.clear();
}

}  // namespace zt
