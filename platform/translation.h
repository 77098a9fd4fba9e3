#pragma once
// Translation object built around the host's text lookup. A lookup answered with
// 0 or with an empty text means "no translation": the Polish default is used.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/fpu.h"

namespace zt {

#if defined(_WIN32)
#define ZT_HOST_STDCALL __attribute__((stdcall))
#else
#define ZT_HOST_STDCALL
#endif

class TMLgExtTools {
public:
    // out buffer, its size, module key, text key; nonzero when a text was written.
    using Lookup = std::int32_t(ZT_HOST_STDCALL*)(char*, std::int32_t, const char*, const char*);

    explicit TMLgExtTools(Lookup lookup) : lookup_(lookup) {}
    // Host translation of (module, key), or the default (Windows-1250) when none.
    std::string GetString(std::string_view module, std::string_view key, std::string_view def) const;
    // The host's floating-point state for the lookup while an entry point runs (null: as found).
    void UstawFpuHosta(const FpuState* state) { hostFpu_ = state; }

private:
    Lookup lookup_;
    const FpuState* hostFpu_ = nullptr;
};

// Lookup through an optional translation object.
inline std::string translate(const TMLgExtTools* t, std::string_view module, std::string_view key,
                             std::string_view def) {
    return t ? t->GetString(module, key, def) : std::string(def);
}

}  // namespace zt
