#include "platform/fpu.h"

namespace zt {

#if defined(__i386__) || defined(__x86_64__)
FpuState saveFpu() noexcept {
    FpuState s;
    __asm__ __volatile__("fnstcw %0" : "=m"(s.x87));
    __asm__ __volatile__("stmxcsr %0" : "=m"(s.mxcsr));
    return s;
}

void loadFpu(const FpuState& state, bool clearFlags) noexcept {
    const std::uint32_t mxcsr = clearFlags ? state.mxcsr & ~0x3Fu : state.mxcsr;
    __asm__ __volatile__("fnclex");
    __asm__ __volatile__("fldcw %0" : : "m"(state.x87));
    __asm__ __volatile__("ldmxcsr %0" : : "m"(mxcsr));
}
#else
FpuState saveFpu() noexcept { return kRuntimeFpu; }
void loadFpu(const FpuState&, bool) noexcept {}
#endif

}  // namespace zt
