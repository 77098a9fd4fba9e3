#pragma once
// Index base for any collection: in-place quicksort, binary search and
// insertion-place search. The derived class compares and swaps elements by
// index and keeps the key being searched. All ranges are inclusive.
#include "tools/api.h"

namespace zt {

class ZT_API TLQuickSort {
public:
    // Progress hook: called after each finished sort range with its upper index.
    virtual void SetNumDone(int index);
    // Negative if element i sorts before j, 0 if equal, positive otherwise.
    virtual int SortCompare(int i, int j);
    virtual void ExChange(int i, int j);
    // The searched key against element i: negative if the key sorts before it.
    virtual int FindCompare(int i);
    virtual ~TLQuickSort() = default;

    // Sorts lo..hi; an empty range (hi < lo) is left alone. Returns 0.
    int Sort(int lo, int hi);
    // Index of an element equal to the key, or -1. Sorts first unless sorted.
    int Find(int lo, int hi);
    // Where the key would be inserted to keep the order; -1 when an equal
    // element exists. Sorts first unless sorted.
    int FindInsertPlace(int lo, int hi);

    // Set once a search has sorted; derived classes clear it when the
    // collection changes and set it when they sort by themselves.
    bool sorted = false;
    // Where Find reports a missing key would go.
    int insertPlace = 0;
};

}  // namespace zt
