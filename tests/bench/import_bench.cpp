// Benchmark: a "combo.imp" of 100 000 receipt lines (about 10 000 receipts
// over 20 000 goods, two sale days) read into the import buffers and saved as
// "kasa.imp". Reports the plug-in's own time and, apart, the pacing sleeps
// the file format prescribes (counted here, not slept).
//
//   import_bench [directory]     (default: a fresh folder under /tmp)
// A folder given keeps the last "combo.imp" and "kasa.imp" for a look.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "drivers/import/receipt_booking.h"
#include "platform/clock.h"
#include "platform/text.h"

using namespace zt;

namespace {

// The system's time, with the sleeps counted instead of slept.
class CountingClock : public Clock {
public:
    std::uint32_t tickCount() override { return systemClock().tickCount(); }
    void sleep(std::uint32_t ms) override {
        ++sleeps;
        sleptMs += ms;
    }
    double now() override { return systemClock().now(); }
    int sleeps = 0;
    std::uint64_t sleptMs = 0;
};

std::string generate(int lines) {
    std::string s;
    s.reserve(static_cast<std::size_t>(lines) * 48);
    unsigned seed = 12345;
    const auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 8) & 0xFFFFFF; };
    int written = 0, receipt = 0;
    while (written < lines) {
        ++receipt;
        const int day = receipt <= 5000 ? 5 : 6;
        const int goods = 8;
        long total = 0;
        for (int g = 0; g < goods && written < lines - 2; ++g, ++written) {
            const int plu = 1 + static_cast<int>(next() % 20000);
            const int qty = 1000 * (1 + static_cast<int>(next() % 3));
            const long value = 100 + static_cast<long>(next() % 5000);
            // Now and then a voided line or a line discount.
            const bool voided = g == 3 && receipt % 7 == 0;
            if (!voided) total += value;
            s += format("P_PLU;1;%d;;Towar %d;%d;%ld;%d\r\n", plu, plu, qty, value, voided ? 1 : 0);
            if (g == 1 && receipt % 10 == 0 && written < lines - 3) {
                s += format("P_RAB;21;Rabat;1;1;%d;\r\n", 10);
                ++written;
                total -= 10;
            }
        }
        if (receipt % 13 == 0)
            s += format("P_WAL;6;3;EUR;%ld;%ld;45000\r\n", total, total * 10000 / 45000);
        else
            s += format("P_PLA;2;%d;Forma;0;%ld\r\n", receipt % 3 == 0 ? 2 : 1, total);
        s += format("P_TRN;%d;202405%02d%02d%02d00000;1;Kasjer;1;%ld;%ld;%d\r\n", receipt, day, 8 + receipt % 12,
                    receipt % 60, total, total, 1000 + receipt);
        written += 2;
    }
    return s;
}

double msSince(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t).count();
}

}  // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    const fs::path dir = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "zt-import-bench";
    fs::create_directories(dir);
    const std::string combo = (dir / "combo.imp").string(), kasa = (dir / "kasa.imp").string();
    const int lines = 100000;
    {
        std::ofstream out(combo, std::ios::binary | std::ios::trunc);
        out << generate(lines);
    }
    CountingClock clock;
    setClock(&clock);
    const struct { bool fromReceipts, writeReceipts; } modes[] = {{true, true}, {true, false}, {false, true}};
    for (const auto [fromReceipts, writeReceipts] : modes) {
        clock.sleeps = 0;
        clock.sleptMs = 0;
        ZTImpBufList list({false, fromReceipts, writeReceipts});
        ZTReceiptImpReader reader;
        const auto t0 = std::chrono::steady_clock::now();
        reader.Read(combo, list, TdtTools::Now());
        const double readMs = msSince(t0);
        const auto t1 = std::chrono::steady_clock::now();
        std::uintmax_t bytes = 0;
        int receipts = 0, rows = 0;
        for (int i = 0; i < list.Count(); ++i) {
            receipts += list.At(i).GetReceiptsCount();
            rows += list.At(i).CountPlu();
            list.At(i).Save(kasa, false);
            bytes += fs::file_size(kasa);
        }
        const double saveMs = msSince(t1);
        std::printf(
            "sales from receipts %s, receipt blocks %s: %d lines, %d receipts, %d buffers, %d goods rows, "
            "%ju bytes of kasa.imp\n",
            fromReceipts ? "on" : "off", writeReceipts ? "written" : "not written", lines, receipts, list.Count(), rows,
            bytes);
        std::printf("  plug-in time: read %.1f ms + save %.1f ms = %.1f ms\n", readMs, saveMs, readMs + saveMs);
        std::printf("  pacing sleeps (not slept): %d x 20 ms = %ju ms\n", clock.sleeps,
                    static_cast<std::uintmax_t>(clock.sleptMs));
    }
    setClock(nullptr);
    if (argc <= 1) {
        fs::remove(combo);
        fs::remove(kasa);
    }
    return 0;
}
