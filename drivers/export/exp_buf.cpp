#include "drivers/export/exp_buf.h"

#include <algorithm>
#include <cstring>

#include "action/module.h"
#include "drivers/export/exp_progress.h"
#include "drivers/export/exp_texts.h"
#include "platform/clock.h"
#include "platform/cp1250.h"
#include "platform/datetime.h"
#include "platform/exception.h"
#include "platform/file.h"
#include "platform/text.h"
#include "platform/whole_file.h"
#include "tools/ltools.h"

namespace zt {
namespace {

using namespace expfield;

// Progress is shown at most about once a second.
constexpr std::uint32_t kProgressMs = 1000;

class Throttle {
public:
    bool due() {
        const std::uint32_t now = tickCount();
        if (now - last_ < kProgressMs) return false;
        last_ = now;
        return true;
    }

private:
    std::uint32_t last_ = tickCount();
};

std::string Word(const std::vector<std::string>& f, std::size_t i) { return i < f.size() ? f[i] : std::string(); }

std::string Join(const std::vector<std::string>& f, std::size_t from, std::size_t to) {
    std::string s;
    for (std::size_t i = from; i <= to; ++i) {
        if (i > from) s += ';';
        s += Word(f, i);
    }
    return s;
}

std::string Pole(const std::string& line, int i) { return TxTools::SelectWordEx(line, i, ";", true); }

std::string DirOf(const std::string& path) {
    const std::size_t p = path.find_last_of("\\/");
    return p == std::string::npos ? std::string() : path.substr(0, p + 1);
}

std::string RateText(int rate) { return rate < 0 ? std::string("zw") : std::to_string(rate) + "%"; }
std::string RatePrecText(int rate) {
    return rate < 0 ? std::string("zw") : format("%d.%02d%%", rate / 100, rate % 100);
}

int RowCount(std::size_t n) { return n > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(n); }

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

void ZTExpBuf::DodInfo2TowRec(const std::string&, ZTTowRec&) {}

void ZTExpBuf::ModifyPLUStatus(ZTTowRec& a, ZTTowRec&) {
    if (a.status == stDod || a.status == stCen) a.status = stAkt;
}

bool ZTExpBuf::CheckIfDeletePLU(ZTTowRec&, ZTTowRec&) { return false; }

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

int ZTExpBuf::znajdzDlaKasy(const std::string& key, int count, const ZTTowRec& b) {
    const int p = findPos(key, count);
    if (p < 0) return -1;
    // The bisection lands on any of the equal keys; look at all of them.
    const int m = std::min(count, static_cast<int>(index_.size()));
    int lo = p, hi = p;
    while (lo > 0 && FindCompare(lo - 1) == 0) --lo;
    while (hi + 1 < m && FindCompare(hi + 1) == 0) ++hi;
    const int first = index_[static_cast<std::size_t>(p)];
    if (lo == hi) return first;
    std::int32_t bNum = b.plu;
    if (b.opakowanie && !TxTools::TryStrToInt(b.kod, bNum)) bNum = -1;
    int sameNumber = -1, unmatched = -1;
    for (int p = lo; p <= hi; ++p) {
        const int r = index_[static_cast<std::size_t>(p)];
        const Row& row = rows_[static_cast<std::size_t>(r)];
        std::int32_t num = row.d.plu;
        if (row.d.opakowanie) {
            const std::string kod = row.teksty.substr(0, row.konce[0]);
            if (!TxTools::TryStrToInt(kod, num)) num = -2;
        }
        if (row.d.opakowanie == b.opakowanie && num == bNum) {
            if (!row.d.flag) return r;
            if (sameNumber < 0) sameNumber = r;
        }
        if (!row.d.flag && unmatched < 0) unmatched = r;
    }
    if (sameNumber >= 0) return sameNumber;
    // Every row with the key already stands for another register entry: this
    // one is an extra the host does not have.
    return unmatched;
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

// ---- reading ----

void ZTExpBuf::ReadFromFile(const std::string& path, bool sortNow, int archiveParam) {
    pokaz(expTekst(ExpTekst::WczytywanieListy), 5, 100);
    try {
        TLTools().ArchiveFile(path, DirOf(path) + "ARCH2.EXP", moduleTranslation(), true, archiveParam, true, "");
        std::vector<std::string> lines;
        lines.reserve(10000);
        TMFile::ReadStringsFromFile(path, lines);
        tryb(0);
        pokaz(expTekst(ExpTekst::AnalizaListy), 3, RowCount(lines.size()));
        CzytajLinie(lines);
        pozycja(RowCount(lines.size()));
        if (sortNow && CountTow() > 0 && !sorted) {
            CreateIndex();
            Sort(0, CountTow() - 1);
            sorted = true;
        }
        tryb(0);
    } catch (...) {
        tryb(1);
        throw;
    }
}

void ZTExpBuf::CzytajLinie(const std::vector<std::string>& lines) {
    Throttle throttle;
    ZTTowRec tow;
    int done = 0;
    for (const auto& raw : lines) {
        ++done;
        if (throttle.due()) pozycja(done);
        const std::string line = TxTools::Trim(raw);
        if (line.empty() || line[0] == '#' || line[0] == '[') continue;
        const std::vector<std::string> f = Split(line);
        if (f.empty()) continue;
        const std::string& kind = f[0];
        if (kind == "PLU") {
            tow.FromLine(f);
            DodajRec(tow);
        } else if (kind == "KON" || kind == "KONA") {
            kontrMode_ = kind == "KON" ? 1 : 0;
            ZTKontrRec k;
            k.FromLine(f);
            DodajRec(k);
        } else if (kind == "VAT") {
            vat_.push_back(Word(f, 1));
            if (f.size() < 3) {
                std::int32_t r = TxTools::StrToIntDef(Word(f, 1), 0), prec;
                if (r < 0)
                    prec = -1;
                else if (__builtin_mul_overflow(r, 100, &prec))
                    expBlad(ExpTekst::FormatPliku);
                vatPrec_.push_back(std::to_string(prec));
            } else {
                vatPrec_.push_back(f[2]);
            }
        } else if (kind == "JM") {
            jedn_.push_back(Join(f, 1, 3));
        } else if (kind == "OPER") {
            kasjerzy_.push_back(std::make_unique<ZTKasjer>(Join(f, 1, 5)));
        } else if (kind == "WAL") {
            waluty_.push_back(std::make_unique<ZTWaluta>(Join(f, 1, 5)));
        } else if (kind == "ASS") {
            ZTAsort a;
            a.FromLine(f);
            DodajAsort(a);
        } else if (kind.compare(0, 3, "EUR") == 0) {
            // Ten-thousandths, kept exact: 43210 is 4.3210.
            const TxfTools v = Dec(Word(f, 1));
            euro_ = TxfTools::FromParts(v.Mantissa(), v.Scale() + 4);
        }
    }
}

std::int64_t ZTExpBuf::KursEuro10000() const {
    const int s = euro_.Scale();
    std::int64_t m = euro_.Mantissa();
    for (int k = s; k > 4; --k) m /= 10;  // truncation toward zero
    for (int k = s; k < 4; ++k)
        if (__builtin_mul_overflow(m, 10, &m)) throw EMException(0, "decimal overflow", euro_.ToString());
    return m;
}

// ---- result file ----

std::string ZTExpBuf::TekstWyniku() {
    pokaz(expTekst(ExpTekst::ZapisWyniku), 3, CountTow());
    std::string out;
    out.reserve(static_cast<std::size_t>(CountTow()) * 40);
    Throttle throttle;
    wynik_ = 0;
    for (int i = 0; i < CountTow(); ++i) {
        if (throttle.due()) pozycja(i);
        const Row& r = rows_[static_cast<std::size_t>(i)];
        if (!r.d.tr_ok || r.d.add_rec || r.d.plu == 0 || r.d.org_status < stDod || r.d.org_status > stUsu) continue;
        const std::string barcode = r.teksty.substr(r.konce[3], r.konce[4] - r.konce[3]);
        out += format("PLU;%d;%d;%s;%s\r\n", static_cast<int>(r.d.plu), static_cast<int>(r.d.koldod), barcode.c_str(),
                      StatusTekst(r.d.org_status));
        ++wynik_;
    }
    pozycja(CountTow());
    return out;
}

void ZTExpBuf::ZapiszWynikEksp(const std::string& path) {
    try {
        const std::string text = TekstWyniku();
        writeFileWhole(path, text, path + ".tmp");
        tryb(0);
    } catch (...) {
        tryb(1);
        throw;
    }
}

// ---- comparison ----

void ZTExpBuf::niedopasowane(int n) {
    for (int i = 0; i < n; ++i) {
        Row& r = rows_[static_cast<std::size_t>(i)];
        if (r.d.flag) continue;
        stTow s = r.d.status;
        if (s == stAkt || s == stCen)
            s = stDod;
        else if (s == stUsu)
            s = stBrak;
        else
            continue;
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
    Throttle throttle;
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

// ---- contractors to goods ----

int ZTExpBuf::UtworzTowaryZKontrahentow(int pluOffset, const std::string& cardFormat, std::string& debugText,
                                        const ZTKoderKarty& koder) {
    pokaz(expTekst(ExpTekst::KartyKlienta), 3, CountKontrahents());
    try {
        towZKontr_ = 0;
        debugText = expTekst(ExpTekst::DebugKart);
        const std::string lineFmt =
            pl("%2d(przedrostek) + %10s(termin ważn.) + %1d(poziom rab.) + %13s(kod karty) ---> %13s (format)\r\n"
               "%92s%13s (kod po konwersji)\r\n");
        ZTTowRec rec;
        for (int i = 0; i < CountKontrahents(); ++i) {
            if (i % 100 == 0) pozycja(i);
            const ZTKontrRec& k = kontr_[static_cast<std::size_t>(i)];
            rec.Clear();
            rec.nazwa = k.Nazwa;
            ZTKartaDane d;
            d.termin = k.TermWaznKarty;
            d.poziom = k.PoziomRabatu;
            d.kod = k.KodKarty;
            rec.kod = koder ? koder(d, cardFormat) : k.KodKarty;
            if (i < 3000) {
                debugText +=
                    format(lineFmt.c_str(), d.przedrostek, TdtTools(d.termin).ToString(TdtTools::kDateTime).c_str(),
                           d.poziom, d.kod.c_str(), cardFormat.c_str(), "", rec.kod.c_str());
            } else if (i == 3000) {
                debugText += expTekst(ExpTekst::DebugKartItd);
            }
            if (__builtin_add_overflow(k.KontrId, pluOffset, &rec.plu)) expBlad(ExpTekst::FormatPliku);
            const TxfTools points = TxfTools::FromParts(static_cast<std::int64_t>(k.IloscPunktow) * 100, 0);
            rec.cena = rec.cena_hurt = rec.cena_noc = rec.cena_dod = points;
            rec.status = stDod;
            rec.fd_tow_z_kontr = true;
            rec.jedn = IdxJednId(0);
            if (vat_.empty()) expBlad(ExpTekst::StawkaKontrahentow);
            rec.stawka = TxTools::StrToIntDef(vat_[0], 0);
            // The same rate in hundredths as a PLU line without field 30.
            if (rec.stawka < 0)
                rec.stawka_prec = -1;
            else if (__builtin_mul_overflow(rec.stawka, 100, &rec.stawka_prec))
                expBlad(ExpTekst::FormatPliku);
            DodajRec(rec);
            ++towZKontr_;
        }
        pozycja(CountKontrahents());
        tryb(0);
    } catch (...) {
        tryb(1);
        throw;
    }
    return towZKontr_;
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
