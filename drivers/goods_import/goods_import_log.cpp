#include "drivers/goods_import/goods_import_log.h"

#include "action/module.h"
#include "platform/cp1250.h"

namespace zt {
namespace {

std::string T(const char* key, const char* utf8) { return trc(key, pl(utf8)); }

}  // namespace

void GoodsImportLog::Start(const std::string& dateTime) {
    text_ +=
        T("boImportPlbufferAnsiStri", "\r\n------------ [IMPORT WYKONANY DNIA: ") + dateTime + "] ------------\r\n";
    text_ += T("boImportPlbufferAnsiStri_00001",
               "<NAZWA_TOWARU>,<PLU>,<KODY>,<ASORTYMENT>,<JEDNOSTA_MIARY>,<STAWKA>,<CENA>,<CENA_OTWARTA>,"
               "<OPAKOWANIE>,<KOD_OPAKOWANIA>,<WYNIK_OPERACJI>\r\n");
}

std::string GoodsImportLog::ResultWord(int result, bool package) {
    const char* base = package ? "ImportPlwynikOpkAnsiStri" : "ImportPlwynikTowAnsiStri";
    const std::string b(base);
    switch (result) {
        case -1: return trc(b, "BLAD");
        case 0: return trc(b + "_00001", "POMINIETY");
        case 1: return trc(b + "_00002", "DODANO");
        case 2: return trc(b + "_00003", "AKTUALIZACJA");
        default: return trc(b + "_00004", "NIEZNANY");
    }
}

std::string GoodsImportLog::Price(std::int64_t grosze) {
    const bool negative = grosze < 0;
    const std::uint64_t m = negative ? 0 - static_cast<std::uint64_t>(grosze) : static_cast<std::uint64_t>(grosze);
    const std::uint64_t cents = m % 100;
    return (negative ? "-" : "") + std::to_string(m / 100) + "." + (cents < 10 ? "0" : "") + std::to_string(cents);
}

void GoodsImportLog::Add(const GoodsForHost& r, int result) {
    // Empty values get a word in the log only; the host had the empty text.
    std::string group = r.group, unit = r.unit, openPrice, package, packageCode;
    if (r.package) {
        openPrice = r.openPrice ? T("rline_bufsprintf", "Tak") : T("rline_bufsprintf_00001", "Nie");
        package = T("rline_bufsprintf_00002", "Tak");
        packageCode = r.packageCode.empty() ? T("rline_bufsprintf_00003", "BRAK") : r.packageCode;
    } else {
        if (group.empty()) group = T("_bufsprintfasort", "NIE_ZDEFINIOWANO");
        if (unit.empty()) unit = T("ine_bufsprintfjm", "NIE_ZDEFINIOWANO");
        openPrice = r.openPrice ? T("ine_bufsprintfjm_00001", "Tak") : T("ine_bufsprintfjm_00002", "Nie");
        package = T("ine_bufsprintfjm_00003", "Nie");
        packageCode = r.packageCode.empty() ? T("ine_bufsprintfjm_00004", "BRAK") : r.packageCode;
    }
    text_ += r.name + "," + std::to_string(r.number) + "," + r.codes + "," + group + "," + unit + "," +
             std::to_string(r.vat) + "," + Price(r.price) + "," + openPrice + "," + package + "," + packageCode + "," +
             ResultWord(result, r.package) + "\r\n";
}

}  // namespace zt
