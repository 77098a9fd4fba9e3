#include <cstdio>

#include "plugin/host_windows.h"

#include "action/module.h"
#include "platform/cp1250.h"

namespace zt {
namespace {

std::string suffixed(const char* base, int n) {
    if (n == 0) return base;
    char buf[8];
    std::snprintf(buf, sizeof buf, "_%05d", n);
    return std::string(base) + buf;
}

}  // namespace

std::string windowDescription(int window) {
    static const char* const kTexts[] = {
        "Tablica stawek VAT", "Zerowanie sprzedaży", "Usuwanie wszystkich towarów", "Konfiguruj modem kasy",
        "Rozłącz modem",      "Raport komunikacji",  "Import towarów do programu"};
    if (window < 0 || window > 6) return "";
    return trc(suffixed("TZTLibraOpisOknareturn", window), pl(kTexts[window]));
}

std::string windowOperationName(int window) {
    static const char* const kTexts[] = {"Zerowanie danych o sprzedaży", "Czyszczenie bazy towarów",
                                         "Konfiguracja modemu kasy",     "Rozłączanie modemu",
                                         "Raport komunikacji",           "Import towarów do programu"};
    if (window < 1 || window > 6) return "";
    return trc(suffixed("boPokazOknstrcpyop_nazwa", window - 1), pl(kTexts[window - 1]));
}

}  // namespace zt
