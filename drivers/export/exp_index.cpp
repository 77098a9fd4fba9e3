// The export buffer's index of goods rows by their key (the barcode as the
// register knows it), built once and searched by bisection.
#include "drivers/export/exp_buf.h"

#include <algorithm>

namespace zt {

// ---- index ----

void ZTExpBuf::SetNumDone(int) {}

int ZTExpBuf::SortCompare(int i, int j) {
    return indexKeys_[static_cast<std::size_t>(index_[static_cast<std::size_t>(i)])].compare(
        indexKeys_[static_cast<std::size_t>(index_[static_cast<std::size_t>(j)])]);
}

void ZTExpBuf::ExChange(int i, int j) {
    std::swap(index_[static_cast<std::size_t>(i)], index_[static_cast<std::size_t>(j)]);
}

int ZTExpBuf::FindCompare(int i) {
    return key_.compare(indexKeys_[static_cast<std::size_t>(index_[static_cast<std::size_t>(i)])]);
}

std::string ZTExpBuf::KluczIndeksu(const ZTTowRec& rec) { return rec.kod; }

void ZTExpBuf::CreateIndex() {
    const int n = CountTow();
    index_.resize(static_cast<std::size_t>(n));
    indexKeys_.assign(static_cast<std::size_t>(n), std::string());
    ZTTowRec rec;
    for (int i = 0; i < n; ++i) {
        index_[static_cast<std::size_t>(i)] = i;
        unpack(rows_[static_cast<std::size_t>(i)], rec);
        indexKeys_[static_cast<std::size_t>(i)] = KluczIndeksu(rec);
    }
}

int ZTExpBuf::findPos(const std::string& kod, int count) {
    if (count <= 0) return -1;
    key_ = kod;
    if (!sorted) {
        CreateIndex();
        index_.resize(std::min(index_.size(), static_cast<std::size_t>(count)));
        Sort(0, static_cast<int>(index_.size()) - 1);
        sorted = true;
    }
    const int m = std::min(count, static_cast<int>(index_.size()));
    return m <= 0 ? -1 : Find(0, m - 1);
}

int ZTExpBuf::FindRec(const std::string& kod, int count) {
    const int p = findPos(kod, count);
    return p < 0 ? -1 : index_[static_cast<std::size_t>(p)];
}

}  // namespace zt
