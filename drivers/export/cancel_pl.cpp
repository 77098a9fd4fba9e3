#include "drivers/export/cancel_pl.h"

#include "action/module.h"
#include "drivers/combo/combo_action.h"
#include "drivers/export/combo_exp_buf.h"
#include "drivers/export/combo_tow.h"
#include "link/combo_link.h"
#include "platform/cp1250.h"
#include "platform/exception.h"
#include "proto/commands.h"

namespace zt {
namespace {

ZTTowarKasy towarZOdpowiedzi(const TComboDataSet& f) {
    ZTTowarKasy t;
    t.numer = f[0].AsV();
    t.nazwa = f[1].AsS();
    t.kod = f[2].AsS();
    t.minStan = f[3].AsN64();
    t.zestaw = f[4].AsB();
    t.stawka = f[5].AsB();
    if (t.zestaw == 0) {
        t.rodzaj = ZTTowarKasy::Towar;
        t.cena = f[6].AsN64();
        t.opakowanie = f[7].AsB();
        t.jednostka = f[8].AsB();
        t.formatIlosci = f[9].AsB();
        t.cenaSztywna = f[10].AsB();
        t.rabat = f[11].AsB();
        t.grupa = f[12].AsB();
        t.zezwolRabat = f[13].AsB();
        t.kodow = f[14].AsV();
    } else {
        t.rodzaj = ZTTowarKasy::Zestaw;
        t.rabat = f[6].AsB();
        t.zezwolRabat = f[7].AsB();
        t.kodow = f[8].AsV();
    }
    return t;
}

ZTTowarKasy opakowanieZOdpowiedzi(const TComboDataSet& f) {
    ZTTowarKasy t;
    t.rodzaj = ZTTowarKasy::Opakowanie;
    t.numer = f[0].AsV();
    t.nazwa = f[1].AsS();
    t.kod = f[2].AsS();
    t.cena = f[3].AsN64();
    t.minStan = f[4].AsN64();
    t.cenaSztywna = f[5].AsB();
    return t;
}

// Another harmless code carries no record: reading on would misread its
// fields or never end.
void stopNaKodzie(TComboLink& link) {
    if (link.statusW != 0) throw Exception(link.FormatErrorW(link.statusW));
    if (link.statusT != 0) throw Exception(link.FormatErrorT(link.statusT));
}

// One entry into the buffer (when there is one) and the snapshot.
void dodaj(TZTComboExpBuf* buf, ZTComboTowPlik& snapshot, const ZTTowarKasy& t) {
    if (buf)
        snapshot.Dodaj(buf->DodajZKasy(t));
    else
        snapshot.Dodaj(WpisKasy(t));
}

// A counting line over one reading; its final count shown, failure marked.
template <class Body>
void odczyt(TZTComboAction& a, const std::string& label, Body body) {
    a.Postep(label, 4);
    int counter = 0;
    try {
        body(counter);
        a.PostepPozycja(counter);
    } catch (...) {
        a.PostepTryb(1);
        throw;
    }
}

}  // namespace

void CancelPl(TZTComboAction& a, TZTComboExpBuf* buf, ZTComboTowPlik& snapshot) {
    if (a.Config().transport == TransportKind::File) return;
    TComboLink& link = a.Link();
    odczyt(a, trc("TZTComboReadArtiMsgAdd", pl(" - odczyt towarów z kasy ...")), [&](int& counter) {
        link.ReadContext(cmdCNTXPLUINIT, {link.EncodeB(0), link.EncodeB(0)}, cmdPLUREAD,
                         {link.EncodeV(0), link.EncodeB(1)}, [&] {
                             stopNaKodzie(link);
                             link.ThrowIfAborted();
                             a.KrokPostepu(counter);
                             dodaj(buf, snapshot, towarZOdpowiedzi(link.answer));
                         });
    });
    odczyt(a, trc("TZTComboReadPackMsgAdd", pl(" - odczyt opakowań z kasy ...")), [&](int& counter) {
        link.ReadContext(cmdCNTXPACKINIT, {link.EncodeB(0), link.EncodeB(0)}, cmdPACKREAD, {link.EncodeV(0)},
                         [&] {
                             stopNaKodzie(link);
                             link.ThrowIfAborted();
                             a.KrokPostepu(counter);
                             dodaj(buf, snapshot, opakowanieZOdpowiedzi(link.answer));
                         },
                         {code::kNoRecord});
    });
}

void PorownajZKasa(TZTComboAction& a, TZTComboExpBuf& buf) {
    ZTComboTowPlik snapshot;
    const std::string path = a.KatalogRoboczy() + "combo.tow";
    try {
        CancelPl(a, &buf, snapshot);
    } catch (...) {
        try {
            snapshot.Zapisz(path);
        } catch (...) {
            // The reading's failure is the one to report.
        }
        throw;
    }
    snapshot.Zapisz(path);
    a.Postep(trc("TZTComboCancelPlMsgAdd", pl(" - analiza towarów z otrzymanych z kasy (czekaj) ...")), 5);
    buf.AnalizujCancelBufor(false);
    a.PostepTryb(0);
}

}  // namespace zt
