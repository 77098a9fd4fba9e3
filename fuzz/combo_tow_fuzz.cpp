// Fuzz target for the register's list entries ("combo.tow" lines): each input
// line is read as an entry into an export record and the lines together are
// compared with a fixed export buffer. An entry made from the first lines as
// a name and a barcode reads back with the same name, barcode and number.
//
// Run with libFuzzer by fuzz/run.sh; the fuzz.combo_tow_fuzz test replays the
// committed corpus and regression inputs without it.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "drivers/export/combo_exp_buf.h"
#include "drivers/export/exp_records.h"
#include "fuzz/fuzz_support.h"
#include "platform/exception.h"
#include "platform/text.h"

namespace {

const std::array<int, 10> kSlots{2300, 800, 500, 0, -1, -999, -999, -999, -999, -999};

const std::vector<std::string> kExport{
    "VAT;23", "VAT;8", "JM;1;0;szt", "ASS;10;Pieczywo",
    "PLU;10;110;5901234123457;Mleko;2.50;2.50;2.50;2.50;23;1;F;0;F;F;F;0;0;10;AKT",
    "PLU;11;111;0042;Chleb;3.10;3.10;3.10;3.10;8;1;F;0;F;F;F;0;0;10;DOD",
    "PLU;12;112;43;Woda;1.00;1.00;1.00;1.00;23;1;F;0;F;T;F;0;0;10;USU"};

// The entry as the register would report it, made from the first two lines.
void roundTrip(const std::vector<std::string_view>& lines) {
    // The register's texts end at their zero byte.
    auto text = [](std::string_view s) { return std::string(s.substr(0, s.find('\0'))); };
    zt::ZTTowarKasy t;
    t.nazwa = text(lines[0]);
    t.kod = lines.size() > 1 ? text(lines[1]) : std::string();
    t.rodzaj = static_cast<zt::ZTTowarKasy::Rodzaj>(t.nazwa.size() % 3);
    t.numer = static_cast<int>(t.kod.size() * 7919 % 65536);
    const std::string wpis = zt::WpisKasy(t);
    zt::ZTTowRec rec;
    zt::WpisDoRekordu(wpis, kSlots, rec);
    auto clean = [](const std::string& s) { return zt::TxTools::Trim(zt::TxTools::DelAnyChar(s, ";\r\n")); };
    if (rec.nazwa != clean(t.nazwa)) __builtin_trap();
    if (t.rodzaj != zt::ZTTowarKasy::Opakowanie) {
        if (rec.kod != clean(t.kod) || zt::KluczWpisu(wpis) != rec.kod || rec.plu != t.numer) __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string_view> lines = zt::fuzz::splitAt(input, "\n");

    zt::ZTComboUstawienia settings;
    settings.stawkiSlotow = kSlots;
    zt::TZTComboExpBuf buf(settings);
    buf.CzytajLinie(kExport);
    zt::ZTComboTowPlik snapshot;
    for (std::string_view line : lines) {
        const std::string wpis(line);
        zt::ZTTowRec rec;
        try {
            zt::WpisDoRekordu(wpis, kSlots, rec);
        } catch (const zt::Exception&) {}
        buf.AddInPlu(zt::KluczWpisu(wpis), wpis);
        snapshot.Dodaj(wpis);
    }
    try {
        buf.AnalizujCancelBufor(size % 2 == 1);
        (void)buf.TekstWyniku();
    } catch (const zt::Exception&) {}
    roundTrip(lines);
    return 0;
}
