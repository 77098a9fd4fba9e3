#pragma once
// The import tests' register and host: the plug-in loaded with dlopen, the
// register simulator on TCP/IP, the files of the working directory read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/cp1250.h"
#include "register_fixture.h"
#include "sim/register_engine.h"
#include "sim/register_simulator.h"
#include "sim/sales.h"
#include "tests/support/kasa_imp_text.h"
#include "tests/support/read_file.h"

namespace ztest {

using zt::pl;
using namespace zt::sim;

// The parameters a "kasa.imp" hands the host, the hash of the save token
// shown as '*' (it stands for the whole "combo.imp").
inline std::string handedParams(const std::string& kasa) {
    std::string p = section(kasa, "OPERACJE");
    const std::string key = "KASPAR;ComboLastSave;";
    for (auto at = p.find(key); at != std::string::npos; at = p.find(key, at + 1)) {
        const auto colon = p.find(':', at), end = p.find("\r\n", at);
        if (colon != std::string::npos && colon < end) p.replace(colon + 1, end - colon - 1, "*");
    }
    return p;
}

// The lines of a kind ("SPT;", "P_TRN;"...) in the order they stand.
inline std::string linesOf(const std::string& text, const std::string& kind) {
    std::string out;
    std::size_t at = 0;
    while ((at = text.find("\n" + kind, at)) != std::string::npos) {
        const auto end = text.find('\n', at + 1);
        out += text.substr(at + 1, end - at);
        at = end;
    }
    return out;
}

class Import : public RegisterOnTcp {
protected:
    Import() : RegisterOnTcp(defaultRegisterState(), "zt-imp") {}

    void SetUp() override {
        RegisterOnTcp::SetUp();
        host.params["ComboDedbug"] = "0";
        host.params["DataImportu"] = "2024-05-06";
        host.registerAll();
    }
    std::string file(const char* name) const { return slurp(dir / name); }
    bool exists(const char* name) const { return std::filesystem::exists(dir / name); }
    bool has(const std::string& line) const {
        for (const auto& m : host.messages)
            if (m.text == line) return true;
        return false;
    }
    std::string dump() const {
        std::string s;
        for (const auto& m : host.messages)
            s += std::to_string(m.kind) + (m.status ? "S " : "  ") + zt::toUtf8(m.text) + "\n";
        return s;
    }
    // What the last processing read: the archive of "combo.imp" from its last header on.
    std::string lastComboImp() const {
        const std::string a = file("arch.imp");
        return a.substr(a.rfind("[IMPORT WYKONANY DNIA"));
    }
    void importOk() {
        host.messages.clear();
        EXPECT_EQ(host.run(-3), 0);
        EXPECT_TRUE(host.lines(2).empty()) << dump();
    }
};

// How often a text stands in another.
inline int occurrences(const std::string& text, const std::string& what) {
    int n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

}  // namespace ztest
