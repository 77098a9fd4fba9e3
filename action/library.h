#pragma once
// The library object behind the host's handle: host value, callback table and
// translation object. One per registration; every session call creates a
// fresh action from it.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/fpu.h"
#include "platform/translation.h"

namespace zt {

class TZTActionBase;

class TZTLibrary {
public:
    explicit TZTLibrary(std::int32_t hostValue) : hostValue_(hostValue) {}
    virtual ~TZTLibrary() = default;
    TZTLibrary(const TZTLibrary&) = delete;
    TZTLibrary& operator=(const TZTLibrary&) = delete;

    // Creates the action for a session; the caller owns it.
    virtual std::unique_ptr<TZTActionBase> UtworzAkcje(std::int32_t session) = 0;
    // Where a window puts the name of the operation it starts: in the host's
    // buffer at once, before any dialog of the window shows.
    using NazwaOperacji = std::function<void(const std::string& name)>;
    // Shows window n for the action; 1 when the host is to run an operation,
    // whose name goes to setName (the entry point bounds it for the host).
    virtual int PokazOkno(TZTActionBase& action, int window, bool editable, std::int32_t* operation,
                          const NazwaOperacji& setName);
    // Throws when the host still holds a session of another type.
    void WeryfikujTypSesji(std::int32_t sessionType, const std::string& sessionName);
    void PodtrzymajSesje(void* sessionRecord, char* name, std::int32_t flag, std::int32_t value) {}

    // Stores a callback pointer for its kind (34 builds the translation object).
    void RejestrujCallback(void* pointer, std::int32_t kind);
    // The stored pointer of a kind; null when not registered or not a known kind.
    void* Callback(std::int32_t kind) const;

    std::int32_t HostValue() const { return hostValue_; }
    // The host's window: owner of the plug-in's dialogs.
    void* OknoHosta() const { return window_; }
    void UstawOknoHosta(void* window) { window_ = window; }
    const TMLgExtTools* Tlumacz() const { return translation_.get(); }
    // The floating-point state the host called the running entry point with;
    // null outside an entry point.
    void UstawFpuHosta(const FpuState* state);
    const FpuState* FpuHosta() const { return hostFpu_; }

    static constexpr int kSlots = 21;
    // Slot of a callback kind, -1 for a kind the table does not hold.
    static int SlotOf(std::int32_t kind);

private:
    std::int32_t hostValue_;
    void* window_ = nullptr;
    std::array<void*, kSlots> callbacks_{};
    std::unique_ptr<TMLgExtTools> translation_;
    const FpuState* hostFpu_ = nullptr;
};

// For the length of a call into the host: the host's own floating-point state.
class HostCallFpu {
public:
    explicit HostCallFpu(const TZTLibrary& library) noexcept
        : scope_(library.FpuHosta() ? *library.FpuHosta() : saveFpu()) {}

private:
    FpuScope scope_;
};

// For the length of an entry point that runs on a library: what the host's
// state was, for the callbacks; cleared again at the end.
class HostFpuBinding {
public:
    HostFpuBinding(TZTLibrary& library, const FpuState& host) : library_(library) { library_.UstawFpuHosta(&host); }
    ~HostFpuBinding() { library_.UstawFpuHosta(nullptr); }
    HostFpuBinding(const HostFpuBinding&) = delete;
    HostFpuBinding& operator=(const HostFpuBinding&) = delete;

private:
    TZTLibrary& library_;
};

}  // namespace zt
