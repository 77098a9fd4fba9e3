#pragma once
// The end-to-end tests' common ground: the register simulator on TCP/IP, a
// fresh working directory, and a host (the plug-in loaded with dlopen) whose
// parameters point the plug-in at both. The clock is virtual.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "fake_host.h"
#include "sim/register_simulator.h"

namespace ztest {

// Before the plug-in is loaded (by the first host), so it takes the virtual clock.
inline const int kVirtualTime = (setenv("ZTCOMBO_VIRTUAL_TIME", "1", 1), 0);

class RegisterOnTcp : public ::testing::Test {
protected:
    RegisterOnTcp(zt::sim::RegisterState state, std::string tempPrefix)
        : sim{std::move(state), zt::sim::SimulatorOptions{}}, prefix_(std::move(tempPrefix)) {}

    std::filesystem::path dir;
    zt::sim::RegisterSimulator sim;
    FakeHost host;

    void SetUp() override {
        (void)kVirtualTime;
        std::string tmpl = "/tmp/" + prefix_ + "-XXXXXX";
        dir = mkdtemp(tmpl.data());
        sim.start();
        host.workDir = dir.string() + "/";
        host.params["ComboEdiFolder"] = dir.string() + "/EDI";
        host.params["ComboPort"] = "TCP/IP";
        host.params["ComboIpAddress"] = "127.0.0.1";
        host.params["ComboIpPort"] = std::to_string(sim.port());
    }
    void TearDown() override {
        sim.stop();
        std::filesystem::remove_all(dir);
    }

private:
    std::string prefix_;
};

}  // namespace ztest
