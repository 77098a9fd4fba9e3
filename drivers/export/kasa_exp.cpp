// The export file "kasa.exp": its lines read into the export buffer, each
// record kind's fields parsed here and nowhere else.
#include "drivers/export/kasa_exp.h"

#include <algorithm>
#include <cmath>

#include "action/module.h"
#include "drivers/export/exp_buf.h"
#include "drivers/export/exp_texts.h"
#include "drivers/export/exp_throttle.h"
#include "platform/datetime.h"
#include "platform/exception.h"
#include "platform/file.h"
#include "platform/text.h"
#include "tools/ljwords.h"
#include "tools/ltools.h"

namespace zt {

namespace expfield {

namespace {
// Significant digits a decimal value keeps.
constexpr std::size_t kDecimalDigits = 18;
}  // namespace

std::int32_t Int(const std::string& s) {
    std::int32_t v;
    if (!TxTools::TryStrToInt(s, v)) throw EMException(0, "'" + s + "' is not a valid integer value", "");
    return v;
}

TxfTools Dec(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    const std::size_t start = i;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
    const std::size_t digits0 = i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
    std::size_t end = i;
    bool any = i > digits0;
    if (i < s.size() && s[i] == '.') {
        std::size_t j = i + 1;
        while (j < s.size() && s[j] >= '0' && s[j] <= '9') ++j;
        if (j > i + 1) {
            any = true;
            // Decimals past what 64 bits hold are cut, never rounded into
            // the whole part (9.999... stays below 10).
            const std::size_t whole = i - digits0;
            const std::size_t room = whole < kDecimalDigits ? kDecimalDigits - whole : 0;
            end = std::min(j, i + 1 + room);
            if (room == 0) end = i;
        } else if (any) {
            end = i;  // "12." reads as 12
        }
    }
    if (!any) return TxfTools();
    TxfTools t;
    if (!t.FromString(s.substr(start, end - start))) expBlad(ExpTekst::FormatPliku);
    return t;
}

bool Flag(const std::string& s, bool contractor) {
    const char c = s.empty() ? '\0' : s[0];
    if (c == 'T' || c == 't') return true;
    if (c == 'F' || c == 'f') return false;
    expBlad(contractor ? ExpTekst::FlagaKontrahenta : ExpTekst::FlagaTowaru);
}

std::vector<std::string> Split(std::string_view line) {
    TLJWords w;
    w.separator = ";";
    w.Split(line);
    return std::move(w.words);
}

}  // namespace expfield

namespace {

using namespace expfield;

// An integer field that the line may leave empty: the default then.
std::int32_t IntOr(const std::string& s, std::int32_t def) { return s.empty() ? def : Int(s); }

// Leading digits only, 0 when none (a term of days written loosely).
std::int32_t LeadingInt(const std::string& s) {
    std::int32_t v = 0;
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
        if (__builtin_mul_overflow(v, 10, &v) || __builtin_add_overflow(v, s[i] - '0', &v))
            expBlad(ExpTekst::FormatPliku);
    return v;
}

stTow StatusZTekstu(const std::string& s) {
    if (s == "DOD") return stDod;
    if (s == "AKT") return stAkt;
    if (s == "CEN") return stCen;
    if (s == "USU") return stUsu;
    expBlad(ExpTekst::FormatPliku);
}

// price x factor / 1000, rounded to whole units.
TxfTools RazyIlosc(const TxfTools& price, std::int32_t factor) {
    std::int64_t m;
    if (!__builtin_mul_overflow(price.Mantissa(), static_cast<std::int64_t>(factor), &m)) {
        TxfTools t = TxfTools::FromParts(m, price.Scale() + 3);
        t.Round(0);
        return t;
    }
    const long double v = std::roundl(price.Value() * factor / 1000.0L);
    if (!(std::fabs(v) < 9.2e18L)) expBlad(ExpTekst::FormatPliku);
    return TxfTools::FromParts(static_cast<std::int64_t>(v), 0);
}

std::string Pole(const std::string& line, int i) { return TxTools::SelectWordEx(line, i, ";", true); }

std::string Word(const std::vector<std::string>& f, std::size_t i) { return i < f.size() ? f[i] : std::string(); }

std::string Join(const std::vector<std::string>& f, std::size_t from, std::size_t to) {
    std::string s;
    for (std::size_t i = from; i <= to; ++i) {
        if (i > from) s += ';';
        s += Word(f, i);
    }
    return s;
}

std::string DirOf(const std::string& path) {
    const std::size_t p = path.find_last_of("\\/");
    return p == std::string::npos ? std::string() : path.substr(0, p + 1);
}

int RowCount(std::size_t n) { return n > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(n); }

// The lines as read end at LF (CR LF too); one that still holds a CR was
// written with CR line ends, which count the same.
void PodzielPrzyCR(std::vector<std::string>& lines) {
    if (std::none_of(lines.begin(), lines.end(), [](const std::string& l) { return l.find('\r') != l.npos; })) return;
    std::vector<std::string> out;
    out.reserve(lines.size());
    for (const auto& l : lines) {
        std::size_t b = 0;
        for (std::size_t e; (e = l.find('\r', b)) != l.npos; b = e + 1) out.push_back(l.substr(b, e - b));
        out.push_back(l.substr(b));
    }
    lines.swap(out);
}

}  // namespace

// ---- the buffer ----

void ZTExpBuf::ReadFromFile(const std::string& path, bool sortNow, int archiveParam) {
    pokaz(expTekst(ExpTekst::WczytywanieListy), 5, 100);
    try {
        TLTools().ArchiveFile(path, DirOf(path) + "ARCH2.EXP", moduleTranslation(), true, archiveParam, true, "");
        std::vector<std::string> lines;
        lines.reserve(10000);
        TMFile::ReadStringsFromFile(path, lines);
        PodzielPrzyCR(lines);
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
    ExpThrottle throttle;
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

// ---- record lines ----

void ZTTowRec::FromLine(std::string_view line) { FromLine(Split(line)); }

void ZTTowRec::FromLine(const std::vector<std::string>& f) {
    Clear();
    const int n = static_cast<int>(f.size());
    if (n < 20) expBlad(ExpTekst::FormatPliku);
    plu = Int(f[1]);
    koldod = Int(f[2]);
    kod = f[3];
    nazwa = f[4];
    cena = Dec(f[5]);
    cena_hurt = Dec(f[6]);
    cena_noc = Dec(f[7]);
    cena_dod = Dec(f[8]);
    stawka = Int(f[9]);
    jedn = Int(f[10]);
    czy_wazony = Flag(f[11], false);
    precyzja = Int(f[12]);
    wagowo_ilosciowy = Flag(f[13], false);
    opakowanie = Flag(f[14], false);
    cena_otwarta = Flag(f[15], false);
    kod_opakowania = f[16];
    plu_opakowania = IntOr(f[17], 0);
    nr_asort = Int(f[18]);
    status = StatusZTekstu(f[19]);

    // Optional fields 20..29: a line ending early leaves the rest at their
    // defaults; empty numeric fields count as absent.
    poziom_cen = -1;
    ile_w_kodzie = 1000;
    if (n > 20) opis1 = f[20];
    if (n > 21) opis2 = f[21];
    if (n > 22) PKWiU = f[22];
    if (n > 23) SWW = f[23];
    if (n > 24) TerminW = LeadingInt(f[24]);
    if (n > 25) poziom_cen = IntOr(f[25], -1);
    if (n > 26) ile_w_kodzie = IntOr(f[26], 1000);
    if (n > 27) opis3 = f[27];
    if (n > 28) opis4 = f[28];
    if (n > 29) fd_dod_rabat_tow = Dec(f[29]);

    // The rate in hundredths: an empty or malformed field 30 takes the same
    // default as an absent one (never 0, which is a real rate).
    std::int32_t prec;
    if (n > 30 && TxTools::TryStrToInt(f[30], prec)) {
        stawka_prec = prec;
    } else if (stawka < 0) {
        stawka_prec = -1;
    } else if (__builtin_mul_overflow(stawka, 100, &stawka_prec)) {
        expBlad(ExpTekst::FormatPliku);
    }
    if (n > 31) nazwa_pelna = f[31];
    if (n > 32) {
        const long double u = std::truncl(Dec(f[32]).Value());
        if (!(std::fabs(u) <= 2147483647.0L)) expBlad(ExpTekst::FormatPliku);
        ile_jedn = static_cast<std::int32_t>(u);
    }

    switch (poziom_cen) {
        case 1: cena = cena_hurt; break;
        case 2: cena = cena_dod; break;
        case 3: cena = cena_noc; break;
        default: break;
    }
    if (ile_w_kodzie != 1000) {
        cena = RazyIlosc(cena, ile_w_kodzie);
        cena_hurt = RazyIlosc(cena_hurt, ile_w_kodzie);
        cena_noc = RazyIlosc(cena_noc, ile_w_kodzie);
        cena_dod = RazyIlosc(cena_dod, ile_w_kodzie);
    }
    org_barcode = kod;
    org_status = status;
}

void ZTKontrRec::FromLine(std::string_view line) { FromLine(Split(line)); }

void ZTKontrRec::FromLine(const std::vector<std::string>& f) {
    Clear();
    auto at = [&f](std::size_t i) -> const std::string& {
        static const std::string empty;
        return i < f.size() ? f[i] : empty;
    };
    KontrId = Int(at(1));
    Nazwa = at(2);
    Skrot = at(3);
    Ulica = at(4);
    Kod = at(5);
    Miasto = at(6);
    Telefon = at(7);
    NIP = at(8);
    KodKarty = at(9);
    // The compact stamp, or a plain date; no date when neither.
    TdtTools d;
    if (d.FromString(at(10), TdtTools::kCompact) || d.FromString(at(10), TdtTools::kDate)) TermWaznKarty = d.Value();
    KartaAktywna = Flag(at(11), true);
    RabatOdbiorcy = Dec(at(12));
    PoziomRabatu = Int(at(13));
    std::int32_t pts;
    if (f.size() > 14 && TxTools::TryStrToInt(f[14], pts)) IloscPunktow = pts;
}

void ZTAsort::FromLine(std::string_view line) { FromLine(Split(line)); }

void ZTAsort::FromLine(const std::vector<std::string>& f) {
    Clear();
    numer = Int(f.size() > 1 ? f[1] : std::string());
    if (f.size() > 2) nazwa = f[2];
}

// ---- ZTKasjer ----

ZTKasjer::ZTKasjer(int numer, std::string_view nazwisko, int poziom, std::string_view identyfikator,
                   std::string_view kodKarty)
    : line_(format("%d;%s;%d;%s;%s", numer, std::string(nazwisko).c_str(), poziom, std::string(identyfikator).c_str(),
                   std::string(kodKarty).c_str())) {}

int ZTKasjer::GetNumer() const {
    std::int32_t v;
    if (!TxTools::TryStrToInt(Pole(line_, 0), v)) expBlad(ExpTekst::KasjerNumer);
    return v;
}
std::string ZTKasjer::GetNazwisko() const { return Pole(line_, 1); }
int ZTKasjer::GetPoziomUprawnien() const {
    std::int32_t v;
    if (!TxTools::TryStrToInt(Pole(line_, 2), v)) expBlad(ExpTekst::KasjerPoziom);
    return v;
}
std::string ZTKasjer::GetIdentyfikator() const { return Pole(line_, 3); }
std::string ZTKasjer::GetKodKarty() const { return Pole(line_, 4); }

// ---- ZTWaluta ----

std::string ZTWaluta::GetKod() const { return Pole(line_, 0); }
std::string ZTWaluta::GetNazwa() const { return Pole(line_, 1); }
int ZTWaluta::GetKurs() const {
    std::int32_t v;
    if (!TxTools::TryStrToInt(Pole(line_, 2), v)) expBlad(ExpTekst::WalutaKurs);
    return v;
}
bool ZTWaluta::GetCzyDomyslna() const { return Pole(line_, 3) == "T"; }
bool ZTWaluta::GetCzyMoznaWydawacReszte() const { return Pole(line_, 4) == "T"; }

}  // namespace zt
