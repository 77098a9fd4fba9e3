#pragma once
// The register's VAT slots in order: slot i of the register holds rate Get(i).
// Rates are in hundredths of a percent; -1 is the exempt rate "zw"; -999 marks
// an undefined slot.
#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace zt {

class TZTActionBase;

class TZTStawkiKolejne {
public:
    static constexpr int kSlots = 10;
    static constexpr int kUndefined = -999;

    TZTStawkiKolejne() { slots_.fill(kUndefined); }

    int Get(int i) const { return (i >= 0 && i < kSlots) ? slots_[i] : kUndefined; }
    void Set(int i, int v);
    bool Defined(int i) const { return i >= 0 && i < kSlots && slots_[i] >= -1; }
    // One past the highest defined slot; slots below it may be undefined.
    int DefinedCount() const;
    void Truncate(int n);
    std::string ToText() const;
    void FromText(std::string_view text, bool wholePercent);
    // Slot 0 takes the last rate of the list, slot 1 the one before, ...
    void FromList(const std::vector<int>& rates);

    // Load order: stored hundredths, else stored whole percents, else the host's rates.
    void Wczytaj(TZTActionBase& action);
    void Zapisz(TZTActionBase& action) const;

private:
    std::array<int, kSlots> slots_;
};

// A whole-percent rate in hundredths; a rate too large to scale is undefined (-999).
int wholeToHundredths(int rate);
// Display text of a rate: "<pusta>", "zw", "23.00" (hundredths) or "23" (whole percent).
std::string StawkaNaTekst(int rate, bool hundredths, const class TMLgExtTools* t);
// Rate of a display text; -999 when it cannot be read.
int TekstNaStawke(std::string_view text, bool hundredths);

}  // namespace zt
