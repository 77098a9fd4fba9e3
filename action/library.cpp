#include "action/library.h"

#include "action/action_base.h"
#include "platform/cp1250.h"
#include "platform/exception.h"

namespace zt {
namespace {
// Kinds held by the callback table, in slot order.
constexpr std::int32_t kKinds[TZTLibrary::kSlots] = {5,  6,  11, 12, 13, 14, 15, 16, 17, 18, 19,
                                                     20, 21, 22, 23, 24, 25, 28, 31, 32, 33};
}  // namespace

int TZTLibrary::SlotOf(std::int32_t kind) {
    for (int i = 0; i < kSlots; ++i)
        if (kKinds[i] == kind) return i;
    return -1;
}

int TZTLibrary::PokazOkno(TZTActionBase&, int, bool, std::int32_t*, const NazwaOperacji&) { return 0; }

void TZTLibrary::WeryfikujTypSesji(std::int32_t sessionType, const std::string&) {
    if (sessionType == 0) return;
    throw Exception(
        translate(Tlumacz(), "zttools_ZTLib", "TZTLibraWeryfikuExceptio", pl("Niezgodny typ sesji w sterowniku")));
}

void TZTLibrary::RejestrujCallback(void* pointer, std::int32_t kind) {
    if (kind == 34) {
        translation_ =
            pointer ? std::make_unique<TMLgExtTools>(reinterpret_cast<TMLgExtTools::Lookup>(pointer)) : nullptr;
        if (translation_) translation_->UstawFpuHosta(hostFpu_);
        return;
    }
    int slot = SlotOf(kind);
    if (slot >= 0) callbacks_[slot] = pointer;
}

void TZTLibrary::UstawFpuHosta(const FpuState* state) {
    hostFpu_ = state;
    if (translation_) translation_->UstawFpuHosta(state);
}

void* TZTLibrary::Callback(std::int32_t kind) const {
    int slot = SlotOf(kind);
    return slot >= 0 ? callbacks_[slot] : nullptr;
}

}  // namespace zt
