// The result file "wynik.exp": one line per record that reached the
// register, written whole under a temporary name.
#include "drivers/export/exp_buf.h"

#include "drivers/export/exp_progress.h"
#include "drivers/export/exp_texts.h"
#include "drivers/export/exp_throttle.h"
#include "platform/text.h"
#include "platform/whole_file.h"

namespace zt {

std::string ZTExpBuf::TekstWyniku() {
    pokaz(expTekst(ExpTekst::ZapisWyniku), 3, CountTow());
    std::string out;
    out.reserve(static_cast<std::size_t>(CountTow()) * 40);
    ExpThrottle throttle;
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

}  // namespace zt
