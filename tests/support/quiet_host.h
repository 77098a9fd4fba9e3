#pragma once
// The running operation as the link sees it, doing nothing: never aborts,
// keeps no messages, every text its default.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "link/host_services.h"

namespace ztest {

class QuietHost final : public zt::HostServices {
public:
    explicit QuietHost(std::string dir = {}) : dir_(std::move(dir)) {}
    void Postep(const std::string&, int, int) override {}
    void PostepPozycja(int) override {}
    void PostepTryb(int) override {}
    void Komunikat(int, const std::string&) override {}
    bool CzyPrzerwac() override { return false; }
    std::string Tekst(std::string_view, std::string_view, std::string_view def) const override {
        return std::string(def);
    }
    const zt::TMLgExtTools* Tlumacz() const override { return nullptr; }
    const std::string& KatalogRoboczy() const override { return dir_; }
    std::int32_t NumerKasy() const override { return 1; }

private:
    std::string dir_;
};

}  // namespace ztest
