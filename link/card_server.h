#pragma once
// The card-server lock: the card server (SKP) is asked to leave the register
// alone while the link is open ("DISABLE n") and to take it back afterwards
// ("ENABLE n"), n being the register number minus 1. Optional (ComboSkpUse)
// and never fatal: a silent card server only earns a warning.
#include <cstdint>
#include <string>

#include "link/host_services.h"
#include "link/link_config.h"

namespace zt {

class TCardServerLock {
public:
    // Bound of the whole exchange after connecting (and of the connect itself).
    static constexpr std::uint32_t kTimeoutMs = 2000;
    static constexpr std::size_t kAnswerMax = 10;

    explicit TCardServerLock(HostServices& host) : host_(host) {}

    void LockSKP(const CardServerSettings& s);
    void UnlockSKP(const CardServerSettings& s);
    // One exchange with the card server; reports failures to the host only.
    void SendToCardServer(const CardServerSettings& s, const std::string& text);

    // True between LockSKP and UnlockSKP.
    bool locked() const { return locked_; }

private:
    HostServices& host_;
    bool locked_ = false;
};

}  // namespace zt
