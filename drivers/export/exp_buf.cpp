// The export buffer's tables: goods rows, contractors, groups, units, VAT
// rates, cashiers and currencies. Reading "kasa.exp" is in kasa_exp.cpp, the
// index in exp_index.cpp, the comparison in exp_compare.cpp, "wynik.exp" in
// wynik_exp.cpp, contractors as goods in contractor_goods.cpp.
#include "drivers/export/exp_buf.h"

#include <algorithm>
#include <cstring>

#include "drivers/export/exp_progress.h"
#include "drivers/export/exp_texts.h"
#include "drivers/export/kasa_exp.h"
#include "platform/exception.h"
#include "platform/text.h"

namespace zt {
namespace {

using namespace expfield;

std::string Pole(const std::string& line, int i) { return TxTools::SelectWordEx(line, i, ";", true); }

std::string RateText(int rate) { return rate < 0 ? std::string("zw") : std::to_string(rate) + "%"; }
std::string RatePrecText(int rate) {
    return rate < 0 ? std::string("zw") : format("%d.%02d%%", rate / 100, rate % 100);
}

}  // namespace

ZTExpBuf::ZTExpBuf(ZTExpPostep* postep) : postep_(postep) {}
ZTExpBuf::~ZTExpBuf() = default;

void ZTExpBuf::pokaz(const std::string& text, int mode, int maximum) {
    if (postep_) postep_->Postep(text, mode, maximum < 1 ? 1 : maximum);
}
void ZTExpBuf::pozycja(int position) {
    if (postep_) postep_->PostepPozycja(position);
}
void ZTExpBuf::tryb(int mode) {
    if (postep_) postep_->PostepTryb(mode);
}

// ---- goods table ----

void ZTExpBuf::pack(const ZTTowRec& rec, Row& row) {
    row.d = rec;
    std::size_t len = 0;
    for (int k = 0; k < ZTTowRec::kTekstow; ++k) len += rec.Teksty(k)->size();
    row.teksty.clear();
    row.teksty.reserve(len);
    for (int k = 0; k < ZTTowRec::kTekstow; ++k) {
        row.teksty += *rec.Teksty(k);
        row.konce[k] = static_cast<std::uint32_t>(row.teksty.size());
    }
    row.teksty.shrink_to_fit();
}

void ZTExpBuf::unpack(const Row& row, ZTTowRec& rec) {
    static_cast<ZTTowDane&>(rec) = row.d;
    std::uint32_t from = 0;
    for (int k = 0; k < ZTTowRec::kTekstow; ++k) {
        rec.Teksty(k)->assign(row.teksty, from, row.konce[k] - from);
        from = row.konce[k];
    }
}

ZTExpBuf::Row& ZTExpBuf::row(int i) {
    if (i < 0 || i >= CountTow()) throw EMException(0, "goods table", "row " + std::to_string(i) + " out of range");
    return rows_[static_cast<std::size_t>(i)];
}
const ZTExpBuf::Row& ZTExpBuf::row(int i) const { return const_cast<ZTExpBuf*>(this)->row(i); }

void ZTExpBuf::countIn(const ZTTowDane& d, int delta) {
    if (d.status >= stDod && d.status <= stUsu) status_[d.status] += delta;
    if (d.opakowanie) opakowania_ += delta;
}

int ZTExpBuf::DodajRec(ZTTowRec& rec) {
    rec.nr_buf = CountTow();
    rows_.emplace_back();
    pack(rec, rows_.back());
    ++towary_;
    countIn(rec, 1);
    return rec.nr_buf;
}

void ZTExpBuf::CzytajRec(int i, ZTTowRec& rec) const { unpack(row(i), rec); }

void ZTExpBuf::ZapiszRec(int i, const ZTTowRec& rec) {
    Row& r = row(i);
    countIn(r.d, -1);
    pack(rec, r);
    countIn(r.d, 1);
}

stTow ZTExpBuf::CzytajStatus(int i) const { return row(i).d.status; }
void ZTExpBuf::UstawStatus(int i, stTow s) { row(i).d.status = s; }
void ZTExpBuf::ResetFlags(bool v) {
    for (auto& r : rows_) r.d.flag = v;
}
void ZTExpBuf::SetFlag(int i, bool v) { row(i).d.flag = v; }
bool ZTExpBuf::Flag(int i) const { return row(i).d.flag; }
void ZTExpBuf::ResetTrOk(bool v) {
    for (auto& r : rows_) r.d.tr_ok = v;
}
void ZTExpBuf::SetTrOk(int i, bool v) { row(i).d.tr_ok = v; }
bool ZTExpBuf::TrOk(int i) const { return row(i).d.tr_ok; }

std::string ZTExpBuf::CzytajAnsiPluRec(int i) const {
    const Row& r = row(i);
    return r.teksty.substr(r.konce[2], r.konce[3] - r.konce[2]);
}

std::size_t ZTExpBuf::CzytajPluRec(int i, char* buf, std::size_t size) const {
    const std::string s = CzytajAnsiPluRec(i);
    const std::size_t n = std::min(size, s.size());
    if (n > 0) std::memcpy(buf, s.data(), n);
    return n;
}

void ZTExpBuf::PrzeliczTowary() {
    towary_ = CountTow();
    opakowania_ = 0;
    std::fill(std::begin(status_), std::end(status_), 0);
    for (const auto& r : rows_) countIn(r.d, 1);
}

// ---- contractors, groups, register list ----

int ZTExpBuf::DodajRec(ZTKontrRec& rec) {
    rec.NrBuf = CountKontrahents();
    kontr_.push_back(rec);
    ++kontrahenci_;
    return rec.NrBuf;
}

void ZTExpBuf::CzytajRec(int i, ZTKontrRec& rec) const { rec = kontr_.at(static_cast<std::size_t>(i)); }

void ZTExpBuf::DodajAsort(const ZTAsort& a) { asort_.push_back(a); }
void ZTExpBuf::CzytajAsort(int i, ZTAsort& a) const { a = asort_.at(static_cast<std::size_t>(i)); }

void ZTExpBuf::AddInPlu(const std::string& kod, const std::string& dodinfo) { inPlu_.push_back({kod, dodinfo}); }

// ---- units, VAT ----

std::string ZTExpBuf::NazwaJedn(int id) const {
    for (const auto& j : jedn_)
        if (Int(Pole(j, 0)) == id) return Pole(j, 2);
    return "szt.";
}

int ZTExpBuf::IdxJednId(int i) const {
    if (i < 0 || i >= CountJedn()) expBlad(ExpTekst::JednostkaId);
    return TxTools::StrToIntDef(Pole(jedn_[static_cast<std::size_t>(i)], 0), 1);
}

int ZTExpBuf::IdxJednPrec(int i) const {
    if (i < 0 || i >= CountJedn()) expBlad(ExpTekst::JednostkaPrec);
    return TxTools::StrToIntDef(Pole(jedn_[static_cast<std::size_t>(i)], 1), 0);
}

std::string ZTExpBuf::IdxJednNazwa(int i) const {
    if (i < 0 || i >= CountJedn()) expBlad(ExpTekst::JednostkaNazwa);
    return Pole(jedn_[static_cast<std::size_t>(i)], 2);
}

int ZTExpBuf::NumerStawki(int rate) {
    if (lastRatePos_ > 0 && rate == lastRate_) return lastRatePos_;
    int pos = 0;
    for (std::size_t i = 0; i < vat_.size(); ++i)
        if (Int(vat_[i]) == rate) pos = static_cast<int>(i) + 1;
    // A wrong VAT slot on a fiscal register is a wrong tax: no guessing.
    if (pos == 0) throw Exception(expTekst(ExpTekst::BrakStawki, RateText(rate)));
    lastRate_ = rate;
    lastRatePos_ = pos;
    return pos;
}

int ZTExpBuf::NumerStawkiPrec(int ratePrec) {
    if (lastPrecPos_ > 0 && ratePrec == lastPrec_) return lastPrecPos_;
    int pos = 0;
    for (std::size_t i = 0; i < vatPrec_.size(); ++i)
        if (Int(vatPrec_[i]) == ratePrec) pos = static_cast<int>(i) + 1;
    if (pos == 0) throw Exception(expTekst(ExpTekst::BrakStawkiPrec, RatePrecText(ratePrec)));
    lastPrec_ = ratePrec;
    lastPrecPos_ = pos;
    return pos;
}

// ---- cashiers, currencies ----

const ZTKasjer& ZTExpBuf::GetKasjer(int i) const {
    if (i < 0 || i >= CountKasjer()) expBlad(ExpTekst::NumerKasjera);
    return *kasjerzy_[static_cast<std::size_t>(i)];
}

const ZTKasjer* ZTExpBuf::GetKasjerByNumer(int n) const {
    for (const auto& k : kasjerzy_)
        if (k->GetNumer() == n) return k.get();
    return nullptr;
}

const ZTWaluta& ZTExpBuf::GetWaluta(int i) const {
    if (i < 0 || i >= CountWaluty()) expBlad(ExpTekst::NumerWaluty);
    return *waluty_[static_cast<std::size_t>(i)];
}

void ZTExpBuf::Clear() {
    rows_.clear();
    inPlu_.clear();
    index_.clear();
    indexKeys_.clear();
    asort_.clear();
    kontr_.clear();
    kasjerzy_.clear();
    waluty_.clear();
    vat_.clear();
    vatPrec_.clear();
    jedn_.clear();
    towary_ = opakowania_ = 0;
    std::fill(std::begin(status_), std::end(status_), 0);
    sorted = false;
    lastRatePos_ = lastPrecPos_ = 0;
}

}  // namespace zt
