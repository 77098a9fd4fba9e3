// Export buffer speed: reads a generated "kasa.exp" of 100 000 goods, compares
// it with a register list of R entries (default 100 000: half unchanged, a
// quarter repriced, a quarter the export does not have) and writes
// "wynik.exp". Prints the time of each step and the peak memory of the process.
//
//   expbench [directory [R]]
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "drivers/combo/group_map.h"
#include "drivers/export/combo_exp_buf.h"
#include "drivers/export/combo_tow.h"
#include "drivers/export/goods_pass.h"
#include "drivers/export/plu_fields.h"

using namespace zt;

namespace {

constexpr int kGoods = 100000;

std::string Barcode(int i) {
    char b[16];
    std::snprintf(b, sizeof b, "59%011d", i);
    return b;
}

double Ms(std::chrono::steady_clock::time_point a, std::chrono::steady_clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

}  // namespace

int main(int argc, char** argv) {
    const std::filesystem::path dir =
        argc > 1 ? std::filesystem::path(argv[1]) : std::filesystem::temp_directory_path() / "ztexpbench";
    std::filesystem::create_directories(dir);
    const std::string kasa = (dir / "kasa.exp").string(), wynik = (dir / "wynik.exp").string();
    const int entries = argc > 2 ? std::max(4, std::atoi(argv[2])) : kGoods;
    std::filesystem::remove(dir / "ARCH2.EXP");
    {
        std::ofstream f(kasa, std::ios::binary);
        f << "VAT;23\r\nVAT;8\r\nJM;1;0;szt\r\nJM;2;3;kg\r\nASS;1;Spozywcze\r\n";
        for (int i = 1; i <= kGoods; ++i)
            f << "PLU;" << i << ';' << 500000 + i << ';' << Barcode(i) << ";Towar testowy numer " << i << ';'
              << 100 + i % 5000 << ";90;95;99;23;1;F;0;F;F;F;0;0;1;DOD\r\n";
    }

    const auto t0 = std::chrono::steady_clock::now();
    ZTComboUstawienia cfg;
    cfg.rodzina = 7;
    cfg.stawkiSlotow[0] = 2300;
    cfg.stawkiSlotow[1] = 800;
    // The export's own group lookup over a stored map.
    const GroupMap map = GroupMap::FromText("1=0");
    ZTPrzebiegTowarow pass;
    pass.rodzina = cfg.rodzina;
    pass.mapa = &map;
    cfg.grupaKasy = [&pass](int group) { return GrupaTowaru(pass, group); };
    TZTComboExpBuf buf(cfg);
    buf.ReadFromFile(kasa, false, -1);
    const auto t1 = std::chrono::steady_clock::now();

    // Register: goods 1..3R/4 (the last R/4 of them repriced) and R/4 goods
    // the export does not have.
    ZTComboTowPlik snapshot;
    for (int i = 1; i <= entries; ++i) {
        ZTTowarKasy t;
        const bool extra = i > 3 * entries / 4;
        t.numer = extra ? kGoods + i : i;
        t.nazwa = NazwaDlaKasy("Towar testowy numer " + std::to_string(t.numer), cfg.rodzina);
        t.kod = Barcode(t.numer);
        t.cena = 100 + i % 5000 + (i > entries / 2 && !extra ? 1 : 0);
        t.jednostka = 1;
        t.cenaSztywna = 1;
        t.zezwolRabat = 1;  // goods without a discount of their own allow one
        t.grupa = 1;
        t.kodow = 1;
        snapshot.Dodaj(buf.DodajZKasy(t));
    }
    snapshot.Zapisz((dir / "combo.tow").string());
    const auto t2 = std::chrono::steady_clock::now();

    buf.AnalizujCancelBufor(false);
    const auto t3 = std::chrono::steady_clock::now();

    for (int i = 0; i < buf.CountTow(); ++i)
        if (buf.CzytajStatus(i) != stBrak) buf.SetTrOk(i, true);  // as if every command went through
    buf.ZapiszWynikEksp(wynik);
    const auto t4 = std::chrono::steady_clock::now();

    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    std::printf("goods %d, register entries %d, rows after comparison %d\n", kGoods, buf.CountInPlu(), buf.CountTow());
    std::printf("statuses: DOD %d AKT %d CEN %d USU %d; result lines %d\n", buf.LiczbaStatus(stDod),
                buf.LiczbaStatus(stAkt), buf.LiczbaStatus(stCen), buf.LiczbaStatus(stUsu), buf.LiczbaWierszyWyniku());
    std::printf("read kasa.exp %.0f ms, register list + combo.tow %.0f ms, compare %.0f ms, wynik.exp %.0f ms\n",
                Ms(t0, t1), Ms(t1, t2), Ms(t2, t3), Ms(t3, t4));
    std::printf("total %.0f ms, peak memory %.1f MB\n", Ms(t0, t4), ru.ru_maxrss / 1024.0);
    const int kept = 3 * entries / 4;
    const bool ok = buf.LiczbaStatus(stDod) == kGoods - kept && buf.LiczbaStatus(stCen) == kept - entries / 2 &&
                    buf.LiczbaStatus(stUsu) == entries - kept;
    if (!ok) std::printf("unexpected statuses\n");
    return ok ? 0 : 1;
}
