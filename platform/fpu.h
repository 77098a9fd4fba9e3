#pragma once
// The floating-point state across the host's calls. A host process keeps its
// own settings (a Delphi host runs the x87 unit with invalid-operation,
// zero-divide and overflow exceptions unmasked, at extended precision): the
// plug-in runs every entry point under the C runtime's defaults, gives the
// host its own state back inside every callback, and leaves the x87 control
// word and MXCSR on return exactly as it found them, with no exception flag
// pending. Elsewhere than on x86 these do nothing.
#include <cstdint>

namespace zt {

struct FpuState {
    std::uint16_t x87 = 0x037F;  // x87 control word
    std::uint32_t mxcsr = 0x1F80;  // SSE control and status
};

// The C runtime's defaults: every exception masked, round to nearest,
// extended x87 precision.
inline constexpr FpuState kRuntimeFpu{};

FpuState saveFpu() noexcept;
// Clears the x87 exception flags (a flag left set under an unmasked exception
// would fault at the next x87 instruction), then loads the control word and
// MXCSR; clearFlags drops the SSE status flags too.
void loadFpu(const FpuState& state, bool clearFlags) noexcept;

// Runs a stretch of code under a given state and puts back the one it found:
// an entry point under kRuntimeFpu, a callback under the host's state.
class FpuScope {
public:
    explicit FpuScope(const FpuState& inside) noexcept : outside_(saveFpu()) { loadFpu(inside, true); }
    ~FpuScope() { loadFpu(outside_, false); }
    FpuScope(const FpuScope&) = delete;
    FpuScope& operator=(const FpuScope&) = delete;
    const FpuState& outside() const noexcept { return outside_; }

private:
    FpuState outside_;
};

}  // namespace zt
