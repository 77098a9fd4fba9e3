#include "drivers/export/export_driver.h"

#include <memory>

#include "action/module.h"
#include "action/vat/vat_slots.h"
#include "drivers/combo/combo_action.h"
#include "drivers/combo/connection_check.h"
#include "drivers/combo/group_map.h"
#include "drivers/combo/payment_forms.h"
#include "drivers/export/cancel_pl.h"
#include "drivers/export/combo_exp_buf.h"
#include "drivers/export/exp_progress.h"
#include "drivers/export/export_steps.h"
#include "drivers/export/goods_pass.h"
#include "link/combo_link.h"
#include "platform/cp1250.h"
#include "platform/exception.h"
#include "proto/commands.h"

namespace zt {
namespace {

std::string T(const char* key, const char* utf8) { return trc(key, pl(utf8)); }

// The buffer's status lines on the action's display.
class PostepAkcji : public ZTExpPostep {
public:
    explicit PostepAkcji(TZTComboAction& a) : a_(a) {}
    void Postep(const std::string& text, int mode, int maximum) override { a_.Postep(text, mode, maximum); }
    void PostepPozycja(int position) override { a_.PostepPozycja(position); }
    void PostepTryb(int mode) override { a_.PostepTryb(mode); }

private:
    TZTComboAction& a_;
};

// Not one line of a kind the export knows: a truncated or foreign file, never
// an order to empty the register.
bool bezRekordow(const ZTExpBuf& buf) {
    return buf.CountTow() == 0 && buf.CountKontrahents() == 0 && buf.CountAsort() == 0 && buf.Stawki().empty() &&
           buf.Jednostki().empty() && buf.CountKasjer() == 0 && buf.CountWaluty() == 0 &&
           buf.KursEuro().Mantissa() == 0;
}

int doWyslania(const ZTExpBuf& buf) {
    return buf.LiczbaStatus(stDod) + buf.LiczbaStatus(stAkt) + buf.LiczbaStatus(stCen) + buf.LiczbaStatus(stUsu);
}

// After the bases were cleared every record is programmed in full, and a
// deletion has nothing left to delete.
void poWyczyszczeniu(ZTExpBuf& buf) {
    for (int i = 0; i < buf.CountTow(); ++i) {
        const stTow s = buf.CzytajStatus(i);
        if (s == stAkt || s == stCen) {
            buf.UstawStatus(i, stDod);
        } else if (s == stUsu) {
            buf.UstawStatus(i, stBrak);
            buf.SetTrOk(i, true);
        }
    }
    buf.PrzeliczTowary();
}

void wyczysc(TComboLink& link, TZTComboAction& a) {
    const std::pair<std::uint16_t, const char*> steps[] = {{cmdPLUDELALL, "TZTComboResetAllMsgAdd"},
                                                           {cmdPACKDELALL, "TZTComboResetAllMsgAdd_00001"}};
    const char* labels[] = {"Czyszczenie bazy towarów...", "Czyszczenie bazy opakowań..."};
    for (int i = 0; i < 2; ++i) {
        a.Postep(T(steps[i].second, labels[i]), 5);
        link.SendCommand(steps[i].first, {link.EncodeB(0)});
        if (link.statusW != 0) throw Exception(link.FormatErrorW(link.statusW));
        if (link.statusT != 0) throw Exception(link.FormatErrorT(link.statusT));
        a.PostepTryb(0);
    }
}

}  // namespace

void Eksport(TZTComboAction& a) {
    if (a.Config().transport == TransportKind::File)
        throw Exception(T("TZTComboEksportExceptio", "Ustawione złącze PLIK. Kasa nie obsługuje eksportu do pliku"));

    const ComboConfig& cfg = a.Config();
    GroupMap map = cfg.groupMap;
    ZTPrzebiegTowarow p;
    p.poziomCen = cfg.priceLevel;
    p.jednaGrupa = cfg.oneAsortOnly;
    p.flagaProduktu = cfg.productFlag;
    p.pokazRekordy = cfg.progressTow;
    p.mapa = &map;

    ZTComboUstawienia u;
    u.poziomCen = cfg.priceLevel;
    u.flagaProduktu = cfg.productFlag;
    for (int i = 0; i < TZTStawkiKolejne::kSlots; ++i) u.stawkiSlotow[static_cast<std::size_t>(i)] = a.Stawki().Get(i);
    // Goods whose group gets no slot are never equal to a register entry.
    u.grupaKasy = [&p](int nrAsort) { return GrupaBezMiejsca(p, nrAsort).empty() ? GrupaTowaru(p, nrAsort) : -1; };

    PostepAkcji postep(a);
    auto buf = std::make_unique<TZTComboExpBuf>(u, &postep);
    a.UstawLogowanieOdrzuconych(true);
    buf->ReadFromFile(a.PlikEksportu(), false, -1);
    if (bezRekordow(*buf))
        throw Exception(
            T("TZTComboEksportPustyPlik", "Plik eksportu nie zawiera żadnego rekordu. Kasa nie została zmieniona."));
    // The slots the groups will have once the group step ran: the comparison
    // judges the goods' group numbers by them.
    p.grupy = GrupyBufora(*buf, true);
    if (!p.jednaGrupa) map.Update(GrupyBufora(*buf, false), kGroupMapMaxSlot);

    TComboLink& link = a.Link();
    auto wynik = [&] {
        buf->ZapiszWynikEksp(a.PlikWynikuEksportu());
        a.ZapiszWynikEksportu();
    };
    try {
        link.OpenLink();
        p.rodzina = link.deviceFamily;
        buf->Ustawienia().rodzina = link.deviceFamily;
        if (!CheckRegisterNumber(a)) throw Exception(T("TZTComboEksportExceptio_00001", "Niezgodny numer urządzenia!"));

        const int rodzaj = a.ParametrInt("RodzajTransmisji");
        const bool formy = a.ParametrInt("ComboExpFPlatn") == 1;
        const bool weryfikacja = formy && FormyTylkoWeryfikowane(link.deviceFamily, link.workMode);
        bool zweryfikowane = false, karty = false;
        if (rodzaj == 3) {
            link.ThrowIfAborted();
            if (a.ParametrInt("ComboKasTowMax") == 1) {
                // Whatever can fail without the register is settled before its
                // goods base is emptied: a failure after it would leave the
                // register empty on every retry.
                if (weryfikacja) {
                    VerifyPaymentForms(a);
                    zweryfikowane = true;
                }
                SprawdzStawki(a, *buf, p, true);
                SprawdzJednostki(*buf);
                WyslijKarty(a, *buf);
                karty = true;
                wyczysc(link, a);
                poWyczyszczeniu(*buf);
            } else {
                PorownajZKasa(a, *buf);
            }
        }
        if ((link.deviceFamily == 5 || link.deviceFamily == 7 || link.deviceFamily == 8 || link.deviceFamily == 10) &&
            rodzaj != 0) {
            a.Postep(T("TZTComboEksportMsgAdd", "Czekaj na wykonanie raportu na kasie..."), 4);
            link.SendCommand(cmdREPCOMM, {});
            a.PostepTryb(0);
        }
        const int counts[4] = {buf->LiczbaStatus(stDod), buf->LiczbaStatus(stAkt), buf->LiczbaStatus(stCen),
                               buf->LiczbaStatus(stUsu)};
        a.PokazStatystykeTowarow(true, counts);

        const bool zmiany = doWyslania(*buf) != 0;
        if (!karty) WyslijKarty(a, *buf);
        if (zmiany) WyslijGrupy(a, *buf, map);
        if (zmiany) WyslijJednostki(a, *buf);
        WyslijKasjerow(a, *buf);
        if (formy) {
            if (weryfikacja) {
                if (!zweryfikowane) VerifyPaymentForms(a);
            } else if (zmiany) {
                WyslijFormyPlatnosci(a, *buf);
            }
        }
        // A rate no slot holds fails before the first goods command.
        if (zmiany) SprawdzStawki(a, *buf, p, false);
        for (int pass : {0, 1, 3, 2}) SendPluR(a, *buf, p, pass);

        link.CloseLink();
        a.LogujOdrzucone();
    } catch (...) {
        link.CloseLinkAfterFailure();
        a.LogujOdrzucone();
        try {
            wynik();
        } catch (...) {
            // The failure that ended the export is the one reported.
        }
        throw;
    }
    wynik();
}

}  // namespace zt
