#include "drivers/export/goods_pass.h"

#include <algorithm>
#include <cstdint>
#include <unordered_set>

#include "action/module.h"
#include "drivers/combo/combo_action.h"
#include "drivers/combo/group_map.h"
#include "drivers/export/exp_buf.h"
#include "drivers/export/plu_fields.h"
#include "link/combo_link.h"
#include "platform/cp1250.h"
#include "platform/text.h"
#include "proto/commands.h"
#include "tools/ltools.h"

namespace zt {
namespace {

// What a 12-digit BCD field carries (TComboFraming::EncodeN).
constexpr std::int64_t kMinAmount = -500000000000LL;
constexpr std::int64_t kMaxAmount = 499999999999LL;
// A barcode this long still leaves a PLUINS frame room for its other fields.
constexpr long long kMaxKod = 60000;

bool takes(int pass, const ZTTowRec& r) {
    switch (pass) {
        case 0: return r.status == stUsu && !r.opakowanie;
        case 1: return r.status == stUsu && r.opakowanie;
        case 2: return r.status < stUsu && !r.opakowanie;
        case 3: return r.status < stUsu && r.opakowanie;
        default: return false;
    }
}

// The register number a record is programmed under.
long long numer(const ZTTowRec& r) { return r.opakowanie ? NrOpakowania(r) : r.plu; }

std::string T(const char* key, const char* utf8) { return trc(key, pl(utf8)); }

std::string zakres(const char* key, const char* utf8, long long v) {
    const std::string def = pl(utf8);
    return format(formatTemplate(trc(key, def), def).c_str(), v);
}

struct PassText {
    const char* key;
    const char* label;
    const char* record;
};
constexpr PassText kPasses[4] = {
    {"TZTComboSendPluRprogtow__00001", "Usuwanie towarów...", "USU_TOW Kod: %s, Nazwa: %s"},
    {"TZTComboSendPluRprogtow_", "Usuwanie opakowań...", "USU_OPA Kod: %s, Nazwa: %s"},
    {"TZTComboSendPluRprogtow__00003", "Programowanie towarów...", "PRG_TOW Kod: %s, Nazwa: %s"},
    {"TZTComboSendPluRprogtow__00002", "Programowanie opakowań...", "PRG_OPA Kod: %s, Nazwa: %s"},
};

}  // namespace

int GrupaTowaru(const ZTPrzebiegTowarow& p, int nrAsort) {
    if (p.jednaGrupa || !p.mapa) return 1;
    const auto slot = p.mapa->SlotOf(nrAsort);
    if (!slot || *slot < 0 || *slot >= 0x7FFFFFFF) return 1;
    return *slot + 1;
}

std::string GrupaBezMiejsca(const ZTPrzebiegTowarow& p, int nrAsort) {
    if (p.jednaGrupa || !p.mapa || !std::binary_search(p.grupy.begin(), p.grupy.end(), nrAsort)) return {};
    if (nrAsort < 0) return zakres("TZTComboSendPluRGrupaUjemna", "ujemny numer grupy towarowej %lld", nrAsort);
    if (!p.mapa->SlotOf(nrAsort))
        return zakres("TZTComboSendPluRGrupaBezMiejsca", "grupa towarowa %lld bez miejsca na kasie (najwyżej 101 grup)",
                      nrAsort);
    return {};
}

std::string NiePasujeDoKasy(const ZTPrzebiegTowarow& p, const ZTTowRec& r, int pass) {
    if (pass == 0 || pass == 2) {
        if (r.plu < 1 || r.plu > 65535)
            return zakres("TZTComboSendPluRZakresPlu", "numer PLU %lld poza zakresem kasy (1-65535)", r.plu);
    } else {
        const long long n = NrOpakowania(r);
        if (n < 1 || n > 65535)
            return zakres("TZTComboSendPluRZakresOpa", "numer opakowania %lld poza zakresem kasy (1-65535)", n);
    }
    if (pass < 2) return {};
    // The barcode travels as it is: one that would break its text field or
    // the frame is rejected, never cut into another goods' code.
    const std::string kod = r.opakowanie ? r.kod : KodDlaKasy(r.kod, p.rodzina);
    if (kod.find('\0') != std::string::npos) return T("TZTComboSendPluRKodNul", "kod kreskowy zawiera znak NUL");
    if (static_cast<long long>(kod.size()) > kMaxKod)
        return zakres("TZTComboSendPluRKodDlugi", "kod kreskowy dłuższy niż %lld znaków", kMaxKod);
    std::int64_t price = 0;
    if (!CenaDlaKasy(r.CenaAkt(p.poziomCen), price) || price < kMinAmount || price > kMaxAmount) {
        const std::string def = pl("cena %s poza zakresem kasy");
        return format(formatTemplate(trc("TZTComboSendPluRZakresCena", def), def).c_str(),
                      r.CenaAkt(p.poziomCen).ToString().c_str());
    }
    if (r.ile_w_kodzie <= 0)
        return zakres("TZTComboSendPluRZakresIlosc", "mnożnik ilości w kodzie %lld nie jest dodatni", r.ile_w_kodzie);
    // A price change sends the PLU and the price alone.
    if (pass == 3 || r.status == stCen) return {};
    if (r.jedn < 0 || r.jedn > 255)
        return zakres("TZTComboSendPluRZakresJedn", "jednostka miary %lld poza zakresem kasy (0-255)", r.jedn);
    if (r.precyzja < 0 || r.precyzja > 255)
        return zakres("TZTComboSendPluRZakresPrec", "precyzja %lld poza zakresem kasy (0-255)", r.precyzja);
    if (NrOpakowaniaTowaru(r) < 0)
        return zakres("TZTComboSendPluRZakresOpaTow", "numer opakowania towaru %lld poza zakresem kasy (0-65)",
                      NrOpakowaniaTowaru(r));
    if (std::string why = GrupaBezMiejsca(p, r.nr_asort); !why.empty()) return why;
    const long long group = GrupaTowaru(p, r.nr_asort);
    if (group > 255)
        return zakres("TZTComboSendPluRZakresGrupa", "grupa towarowa %lld poza zakresem kasy (1-255)", group);
    return {};
}

void SprawdzStawki(TZTComboAction& a, const ZTExpBuf& buf, const ZTPrzebiegTowarow& p, bool cenaPelna) {
    ZTTowRec r;
    for (int i = 0; i < buf.CountTow(); ++i) {
        const stTow s = buf.CzytajStatus(i);
        if (s >= stUsu || (s == stCen && !cenaPelna)) continue;
        buf.CzytajRec(i, r);
        if (cenaPelna && r.status == stCen) r.status = stAkt;
        if (r.opakowanie || !NiePasujeDoKasy(p, r, 2).empty()) continue;
        a.NumerStawki(r.stawka_prec);
    }
}

void SendPluR(TZTComboAction& a, ZTExpBuf& buf, const ZTPrzebiegTowarow& p, int pass) {
    if (pass < 0 || pass > 3) return;
    const PassText& text = kPasses[pass];
    const int count = buf.CountTow();
    ZTTowRec r;
    // The records of this pass alone, so that the percentage ends at 100.
    int todo = 0;
    for (int i = 0; i < count; ++i) {
        if (buf.CzytajStatus(i) == stBrak) continue;
        buf.CzytajRec(i, r);
        if (takes(pass, r)) ++todo;
    }
    a.Postep(trc(text.key, pl(text.label)), 3, todo > 0 ? todo : 1);
    if (a.Config().transport == TransportKind::File) {
        a.PostepTryb(0);
        return;
    }
    TComboLink& link = a.Link();
    int sent = 0;
    // Numbers programmed in this pass, and those the register already holds as
    // exported: a later record landing on one would overwrite it.
    std::unordered_set<long long> zajete;
    if (pass >= 2) {
        for (int i = 0; i < count; ++i) {
            if (buf.CzytajStatus(i) != stBrak || !buf.TrOk(i)) continue;
            buf.CzytajRec(i, r);
            if (r.org_status != stUsu && !r.fd_from_ecr && r.opakowanie == (pass == 3)) zajete.insert(numer(r));
        }
    }
    try {
        for (int i = 0; i < count; ++i) {
            link.ThrowIfAborted();
            if (buf.CzytajStatus(i) == stBrak) continue;
            buf.CzytajRec(i, r);
            if (!takes(pass, r)) continue;
            if (p.pokazRekordy) a.Komunikat(kInfo, format(text.record, r.kod.c_str(), r.nazwa.c_str()));

            std::string misfit = NiePasujeDoKasy(p, r, pass);
            if (misfit.empty() && pass >= 2 && zajete.count(numer(r)))
                misfit =
                    zakres("TZTComboSendPluRZajety", "numer %lld zajęty przez inny rekord tego eksportu", numer(r));
            if (misfit.empty()) {
                if (pass == 0) {
                    link.SendCommand(
                        cmdPLUDEL, {link.EncodeV(static_cast<std::uint16_t>(r.plu)), link.EncodeB(0), link.EncodeB(0)});
                } else if (pass == 1) {
                    link.SendCommand(cmdPACKDEL, {link.EncodeV(static_cast<std::uint16_t>(NrOpakowania(r))),
                                                  link.EncodeB(0), link.EncodeB(0)});
                } else {
                    std::int64_t price = 0;
                    CenaDlaKasy(r.CenaAkt(p.poziomCen), price);
                    const std::string name = NazwaDlaKasy(r.nazwa, p.rodzina);
                    const std::uint8_t fixed = static_cast<std::uint8_t>(FlagaCenySztywnej(r));
                    if (pass == 3) {
                        link.SendCommand(
                            cmdPACKINS, {link.EncodeV(static_cast<std::uint16_t>(NrOpakowania(r))), link.EncodeS(name),
                                         link.EncodeS(r.kod), link.EncodeN(price), link.EncodeN(0), link.EncodeB(fixed),
                                         link.EncodeB(1), link.EncodeB(0)});
                    } else if (r.status == stCen) {
                        link.SendCommand(cmdPLUPRICEUPDATE,
                                         {link.EncodeV(static_cast<std::uint16_t>(r.plu)), link.EncodeN(price)});
                    } else {
                        const int slot = a.NumerStawki(r.stawka_prec);
                        link.SendCommand(
                            cmdPLUINS, {link.EncodeV(static_cast<std::uint16_t>(r.plu)), link.EncodeS(name),
                                        link.EncodeS(KodDlaKasy(r.kod, p.rodzina)), link.EncodeN(price),
                                        link.EncodeN(0), link.EncodeB(static_cast<std::uint8_t>(NrOpakowaniaTowaru(r))),
                                        link.EncodeB(static_cast<std::uint8_t>(r.jedn)), link.EncodeB(0),
                                        link.EncodeB(static_cast<std::uint8_t>(GrupaTowaru(p, r.nr_asort))),
                                        link.EncodeB(static_cast<std::uint8_t>(slot)),
                                        link.EncodeB(static_cast<std::uint8_t>(r.precyzja)), link.EncodeB(fixed),
                                        link.EncodeB(static_cast<std::uint8_t>(FlagaRabatu(r, p.flagaProduktu))),
                                        link.EncodeB(0), link.EncodeB(1), link.EncodeB(0)});
                    }
                }
            }
            ++sent;
            if (sent % 10 == 0 || p.pokazRekordy) a.PostepPozycja(sent);
            std::string why = misfit;
            if (why.empty() && link.statusW != 0)
                why = link.FormatErrorW(link.statusW);
            else if (why.empty() && link.statusT != 0)
                why = link.FormatErrorT(link.statusT);
            if (why.empty()) {
                buf.SetTrOk(i, true);
                if (pass >= 2) zajete.insert(numer(r));
                continue;
            }
            std::string name = TLTools::StrMax(r.nazwa, 16, false);
            if (name.size() < 16) name.append(16 - name.size(), ' ');
            a.Odrzucone().push_back(format("%s %s: %s", r.kod.c_str(), name.c_str(), why.c_str()));
            a.UstawOdrzucone();
        }
    } catch (...) {
        a.PostepTryb(1);
        throw;
    }
    a.PostepPozycja(sent);
    a.PostepTryb(0);
}

}  // namespace zt
