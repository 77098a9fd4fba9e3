// A host process with floating-point settings of its own, as a Delphi host
// runs: x87 invalid-operation, zero-divide and overflow exceptions unmasked at
// extended precision, and the same three unmasked in MXCSR. Every operation,
// fed prices that overflow or are no number at all, must raise no exception
// (an unmasked one would kill the host), hand each callback the host's own
// settings and return them as they were.
#include <gtest/gtest.h>

#include <fstream>

#include "platform/fpu.h"
#include "register_fixture.h"

using ztest::RegisterOnTcp;

namespace {

constexpr zt::FpuState kDelphiHost{0x1332, 0x1900};

// Bit 6 of the x87 control word is reserved (it reads back set), and the
// MXCSR flags are the plug-in's to clear.
bool same(const zt::FpuState& a, const zt::FpuState& b) {
    return (a.x87 | 0x40) == (b.x87 | 0x40) && (a.mxcsr & ~0x3Fu) == (b.mxcsr & ~0x3Fu);
}

class HostFpu : public RegisterOnTcp {
protected:
    HostFpu() : RegisterOnTcp(zt::sim::defaultRegisterState(), "zt-fpu") {}
    void SetUp() override {
        RegisterOnTcp::SetUp();
        host.params["RodzajTransmisji"] = "3";
        host.params["ComboKasTowMax"] = "0";
        host.params["ComboDedbug"] = "1";
        host.registerAll();
        std::ofstream f(dir / "kasa.exp", std::ios::binary);
        f << "VAT;23\r\nVAT;8\r\nJM;1;0;szt.\r\nASS;10;Pieczywo\r\n";
        const char* prices[] = {"1e999", "NaN", "-1e-999", "3.5e38", "1.7976931348623157e308", "inf", "4.5"};
        int plu = 1;
        for (const char* p : prices) {
            f << "PLU;" << plu << ";" << 100 + plu << ";590000000" << 1000 + plu << ";Towar " << plu << ";" << p
              << ";" << p << ";" << p << ";" << p << ";23;1;F;0;F;F;F;0;0;10;DOD\r\n";
            ++plu;
        }
    }
};

TEST_F(HostFpu, OperationsKeepTheHostsSettingsAndRaiseNothing) {
    int seenOther = 0;
    host.onMessage = [&] {
        const zt::FpuState s = zt::saveFpu();
        if (!same(s, kDelphiHost) && seenOther++ == 0) ADD_FAILURE() << std::hex << s.x87 << " " << s.mxcsr;
    };
    const struct {
        int operation, extra;
    } runs[] = {{-1, 0}, {-2, 0}, {-3, 0}, {-8, 6}, {-8, 1}, {-8, 5}};
    const zt::FpuState before = zt::saveFpu();
    for (const auto& r : runs) {
        zt::loadFpu(kDelphiHost, true);
        host.run(r.operation, r.extra);
        const zt::FpuState after = zt::saveFpu();
        zt::loadFpu(before, true);
        EXPECT_TRUE(same(after, kDelphiHost)) << r.operation << "/" << r.extra << ": x87 " << std::hex << after.x87
                                               << " mxcsr " << after.mxcsr;
    }
    EXPECT_EQ(seenOther, 0) << "callbacks that saw the plug-in's own settings";
    EXPECT_FALSE(host.messages.empty());
}

}  // namespace
