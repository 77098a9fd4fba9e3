// Fuzz target for the export file "kasa.exp" and its comparison with the
// register's list: the file is read from disk as the export reads it, then
// compared with the register entries that follow it in the input.
//
// Input: one mode byte (bit 0: leading zeros stripped from the register's
// barcodes; bit 1: the clearing mode's analysis instead of the comparison;
// bits 2-3: the register's family), the text of "kasa.exp", then after a
// line "#TOW" the register's entries, one a line.
//
// Run with libFuzzer by fuzz/run.sh; the fuzz.kasa_exp_fuzz test replays the
// committed corpus and regression inputs without it.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>

#include "drivers/export/combo_exp_buf.h"
#include "fuzz/fuzz_support.h"
#include "platform/exception.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const bool strip = data[0] & 1;
    const bool clearing = data[0] & 2;
    std::string_view file = input.substr(1), entries;
    const std::size_t cut = file.find("\n#TOW\n");
    if (cut != std::string_view::npos) {
        entries = file.substr(cut + 6);
        file = file.substr(0, cut + 1);
    }

    const std::string path = zt::fuzz::scratchDir() + "kasa.exp";
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(file.data(), static_cast<std::streamsize>(file.size()));
    zt::ZTComboUstawienia settings;
    settings.rodzina = (data[0] >> 2) & 3;
    settings.stawkiSlotow = {2300, 800, 500, 0, -1, -999, -999, -999, -999, -999};
    zt::TZTComboExpBuf buf(settings);
    try {
        buf.ReadFromFile(path, false, -1);
    } catch (const zt::Exception&) {
        zt::fuzz::clearScratch();
        return 0;
    }
    zt::fuzz::clearScratch();

    for (std::string_view line : zt::fuzz::splitAt(entries, "\n")) {
        const std::string wpis(line);
        buf.AddInPlu(zt::KluczWpisu(wpis), wpis);
    }
    try {
        if (clearing)
            buf.AnalizujCancelBufor(strip);
        else
            buf.ComparePLUSets(strip);
        (void)buf.TekstWyniku();
    } catch (const zt::Exception&) {}
    return 0;
}
