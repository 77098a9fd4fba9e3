// Contractors turned into goods records whose barcode is the card code.
#include "drivers/export/exp_buf.h"

#include "drivers/export/exp_texts.h"
#include "platform/cp1250.h"
#include "platform/datetime.h"
#include "platform/text.h"

namespace zt {

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

}  // namespace zt
