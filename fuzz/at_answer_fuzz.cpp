// Fuzz target for the modem's answers: any bytes a modem may send back are
// read as one answer without reading past them.
//
// Run with libFuzzer by fuzz/run.sh; the fuzz.at_answer_fuzz test replays the
// committed corpus and regression inputs without it.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "link/modem.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view answer(reinterpret_cast<const char*>(data), size);
    const int r = zt::TModemPort::ParseAnswer(answer);
    // A numeric answer has at most six digits.
    if (r > 999999) __builtin_trap();
    return 0;
}
