// Fuzz target for the bench's parameter and translation files: any bytes read
// as either file; a value set in a parameter file reads back the same, also
// from the file's text read again.
//
// Run with libFuzzer by fuzz/run.sh; the fuzz.bench_files_fuzz test replays
// the committed corpus and regression inputs without it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "host/params_file.h"
#include "host/translation_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    zt::TranslationFile translations = zt::TranslationFile::fromText(text);
    (void)translations.find("ztcombo_cbaction", "TZTComboOperacjaImpPar");

    zt::ParamsFile params = zt::ParamsFile::fromText(text);
    (void)params.get("ComboPort");
    // A value as the plug-in stores one: line breaks and backslashes, no NUL
    // (the host's values are C texts), ASCII so either file encoding holds it.
    std::string value = "a\r\nb\\c";
    for (std::size_t i = 0; i < text.size() && i < 16; ++i)
        if (text[i] > 0) value += text[i];
    params.set("ZT_Combo_ComboAsort1", value);
    if (params.get("ZT_Combo_ComboAsort1") != value) __builtin_trap();
    const zt::ParamsFile again = zt::ParamsFile::fromText(params.text());
    if (again.get("ZT_Combo_ComboAsort1") != value) __builtin_trap();
    return 0;
}
