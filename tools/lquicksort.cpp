#include "tools/lquicksort.h"

namespace zt {

void TLQuickSort::SetNumDone(int) {}
int TLQuickSort::SortCompare(int, int) { return 0; }
void TLQuickSort::ExChange(int, int) {}
int TLQuickSort::FindCompare(int) { return 0; }

// Hoare partition around the middle element; p follows the pivot element when
// it is swapped. The middle pivot keeps sorted and reverse-sorted input at
// logarithmic depth.
int TLQuickSort::Sort(int lo, int hi) {
    if (hi < lo) return 0;  // empty range: nothing to compare
    int i = lo, j = hi;
    int p = lo + (hi - lo) / 2;
    do {
        while (SortCompare(i, p) < 0) ++i;
        while (SortCompare(p, j) < 0) --j;
        if (i <= j) {
            if (i == p)
                p = j;
            else if (j == p)
                p = i;
            ExChange(i, j);
            ++i;
            --j;
        }
    } while (i <= j);
    if (lo < j) Sort(lo, j);
    if (i < hi) Sort(i, hi);
    SetNumDone(hi);
    return 0;
}

int TLQuickSort::Find(int lo, int hi) {
    if (!sorted) {
        Sort(lo, hi);
        sorted = true;
    }
    if (lo > hi) {
        insertPlace = hi + 1;
        return -1;
    }
    const int mid = lo + (hi - lo) / 2;
    const int c = FindCompare(mid);
    if (c == 0) return mid;
    if (c < 0) return Find(lo, mid - 1);
    return Find(mid + 1, hi);
}

int TLQuickSort::FindInsertPlace(int lo, int hi) {
    if (!sorted) {
        Sort(lo, hi);
        sorted = true;
    }
    if (hi < lo) return lo;  // empty range: the key goes first
    if (FindCompare(lo) < 0) return 0;
    if (FindCompare(hi) > 0) return hi + 1;
    insertPlace = -1;
    Find(lo, hi);
    return insertPlace;
}

}  // namespace zt
