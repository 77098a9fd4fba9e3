// Fuzz target for the simulator's state file: any text is parsed or refused
// with an error naming the line, and what parses is written back in a form
// that parses to the same text again.
//
// Run with libFuzzer by fuzz/run.sh; the fuzz.state_file_fuzz test replays the
// committed corpus and regression inputs without it.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/exception.h"
#include "sim/state_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    zt::sim::RegisterState state;
    try {
        state = zt::sim::parseState(text);
    } catch (const zt::Exception&) {
        return 0;
    }
    const std::string once = zt::sim::formatState(state);
    if (zt::sim::formatState(zt::sim::parseState(once)) != once) __builtin_trap();
    return 0;
}
