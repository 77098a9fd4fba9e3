// The comparison of the export buffer with the register's list: which
// record has to be added, changed, repriced or deleted, and which entry of
// the register the host no longer has.
#include "drivers/export/exp_buf.h"

#include <algorithm>

#include "drivers/export/exp_throttle.h"
#include "platform/text.h"

namespace zt {

void ZTExpBuf::DodInfo2TowRec(const std::string&, ZTTowRec&) {}

void ZTExpBuf::ModifyPLUStatus(ZTTowRec& a, ZTTowRec&) {
    if (a.status == stDod || a.status == stCen) a.status = stAkt;
}

bool ZTExpBuf::CheckIfDeletePLU(ZTTowRec&, ZTTowRec&) { return false; }

int ZTExpBuf::znajdzDlaKasy(const std::string& key, int count, const ZTTowRec& b) {
    const int p = findPos(key, count);
    if (p < 0) return -1;
    // The bisection lands on any of the equal keys; look at all of them.
    const int m = std::min(count, static_cast<int>(index_.size()));
    int lo = p, hi = p;
    while (lo > 0 && FindCompare(lo - 1) == 0) --lo;
    while (hi + 1 < m && FindCompare(hi + 1) == 0) ++hi;
    std::int32_t bNum = b.plu;
    if (b.opakowanie && !TxTools::TryStrToInt(b.kod, bNum)) bNum = -1;
    if (!b.opakowanie && bNum == 0) {
        // An entry without a number (a buffer that reads none from it) goes
        // by its key alone: the first row not yet matched.
        for (int q = lo; q <= hi; ++q) {
            const int r = index_[static_cast<std::size_t>(q)];
            if (lo == hi || !rows_[static_cast<std::size_t>(r)].d.flag) return r;
        }
        return -1;
    }
    int sameNumber = -1;
    for (int p = lo; p <= hi; ++p) {
        const int r = index_[static_cast<std::size_t>(p)];
        const Row& row = rows_[static_cast<std::size_t>(r)];
        std::int32_t num = row.d.plu;
        if (row.d.opakowanie) {
            // A package goes out under its kod as a number, 99 when it is none.
            const std::string kod = row.teksty.substr(0, row.konce[0]);
            if (!TxTools::TryStrToInt(kod, num)) num = 99;
        }
        if (row.d.opakowanie == b.opakowanie && num == bNum) {
            if (!row.d.flag) return r;
            if (sameNumber < 0) sameNumber = r;
        }
    }
    // No row with the key has the entry's number: the entry is stale (the
    // goods were renumbered, or it is an extra the host does not have). Left
    // in place it would keep its barcode and the rows could never be
    // programmed, so it becomes a deletion.
    return sameNumber;
}

// ---- comparison ----

void ZTExpBuf::niedopasowane(int n) {
    for (int i = 0; i < n; ++i) {
        Row& r = rows_[static_cast<std::size_t>(i)];
        if (r.d.flag) continue;
        stTow s = r.d.status;
        if (s == stAkt || s == stCen) {
            s = stDod;
        } else if (s == stUsu) {
            // The register is as the host asked: the deletion is done.
            s = stBrak;
            r.d.tr_ok = true;
        } else {
            continue;
        }
        countIn(r.d, -1);
        r.d.status = s;
        countIn(r.d, 1);
    }
}

void ZTExpBuf::AnalizujCancelBufor(bool stripMode) {
    const int n = CountTow();
    ResetFlags(false);
    ZTTowRec a, b, probe;
    for (const auto& e : inPlu_) {
        std::string s = e.kod;
        const std::size_t nz = s.find_first_not_of('0');
        if (nz == std::string::npos) continue;  // empty or zeros only
        const std::string t = s.substr(nz);
        if (stripMode) s = t;
        probe.Clear();
        DodInfo2TowRec(e.dodinfo, probe);
        const int r = znajdzDlaKasy(t, n, probe);
        if (r < 0) {
            a.Clear();
            a.kod = s;
            a.status = stUsu;
            a.fd_from_ecr = true;
            a.flag = true;
            DodInfo2TowRec(e.dodinfo, a);
            DodajRec(a);
            continue;
        }
        CzytajRec(r, a);
        b.Clear();
        b.kod = a.kod;
        DodInfo2TowRec(e.dodinfo, b);
        ModifyPLUStatus(a, b);
        a.flag = true;
        ZapiszRec(r, a);
    }
    niedopasowane(n);
    PrzeliczTowary();
}

void ZTExpBuf::ComparePLUSets(bool stripMode) {
    const int n = CountTow();
    ResetFlags(false);
    ExpThrottle throttle;
    int pos = 0;
    ZTTowRec a, b;
    for (const auto& e : inPlu_) {
        ++pos;
        if (throttle.due()) pozycja(pos);
        std::string s = e.kod;
        const std::size_t nz = s.find_first_not_of('0');
        if (nz == std::string::npos) continue;
        const std::string t = s.substr(nz);
        b.Clear();
        b.status = stUsu;
        b.fd_from_ecr = true;
        b.flag = true;
        DodInfo2TowRec(e.dodinfo, b);
        const int r = znajdzDlaKasy(t, n, b);
        if (r < 0) {
            DodajRec(b);
            continue;
        }
        CzytajRec(r, a);
        ModifyPLUStatus(a, b);
        if (CheckIfDeletePLU(a, b)) {
            b.status = stUsu;
            DodajRec(b);
        }
        a.flag = true;
        ZapiszRec(r, a);
    }
    for (int i = 0; i < n; ++i) {
        ++pos;
        if (throttle.due()) pozycja(pos);
    }
    niedopasowane(n);
    PrzeliczTowary();
}

}  // namespace zt
