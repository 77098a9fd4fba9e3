#pragma once
// What the tests of the operations over the link share: a register of family
// 10 answering by script, and the driver's action over the recording fake with
// the lines it showed the host.
#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "drivers/combo/combo_action.h"
#include "drivers/combo/payment_forms.h"
#include "tests/support/link_support.h"

namespace ztlink {

// A register of family 10 (NEO XL 3.01), fiscal, number 1, whose payment
// forms are as the driver wants them unless wrongForm says otherwise.
struct Register {
    using F = zt::TComboFraming;

    int wrongForm = 0;    // a payment form of the wrong type
    int dbCounters = 20;  // DBSTATUSGET fields 2.. that are sent
    int refuse = 0;       // a command answered with the execution error 904

    std::string operator()(const std::string& req, int) const {
        const std::uint16_t code = zt::frameCommand(req);
        if (code == refuse) return statusFrame(req, 0, 904);
        std::vector<std::string> f;
        switch (code) {
            case zt::cmdHEADERGET:
                f = {F::EncodeB(2), F::EncodeS("x"), F::EncodeS("Sklep"), F::EncodeS("y"),
                     F::EncodeS(zt::pl("ul. Długa 1"))};
                break;
            case zt::cmdVATGET: f = {F::EncodeV(2300), F::EncodeV(0xFFFE), F::EncodeV(0xFFFF)}; break;
            case zt::cmdDATEGET: f = {F::EncodeB(3), F::EncodeB(2), F::EncodeV(2012)}; break;
            case zt::cmdTIMEGET: f = {F::EncodeB(7), F::EncodeB(5), F::EncodeB(9)}; break;
            case zt::cmdCASHREGSTATUSGET:
                f = {F::EncodeB(29), F::EncodeS("1"), F::EncodeV(3), F::EncodeB(1)};
                for (int i = 4; i < 7; ++i) f.push_back(F::EncodeB(0));
                f.insert(f.end(),
                         {F::EncodeB(3), F::EncodeB(2), F::EncodeV(2012), F::EncodeB(7), F::EncodeB(5), F::EncodeB(9)});
                for (int i = 13; i < 19; ++i) f.push_back(F::EncodeB(0));
                f.insert(f.end(), {F::EncodeS("5260250274"), F::EncodeS("ABC123"), F::EncodeS("3.01")});
                break;
            case zt::cmdDBSTATUSGET:
                f = {F::EncodeB(0), F::EncodeB(1)};
                for (int i = 0; i < dbCounters; ++i) f.push_back(F::EncodeV(static_cast<std::uint16_t>(100 + i)));
                break;
            case zt::cmdPAYFORMREAD: {
                const int n = static_cast<std::uint8_t>(req[14]);  // V form number, low byte
                const int type = n == wrongForm ? 0 : zt::RequiredPaymentFormType(n);
                f = {F::EncodeV(static_cast<std::uint16_t>(n)),
                     F::EncodeS("forma"),
                     F::EncodeB(static_cast<std::uint8_t>(type)),
                     F::EncodeV(0),
                     F::EncodeS(""),
                     F::EncodeN(1)};
                break;
            }
            case zt::cmdCASHREGPARGET: f = {F::EncodeS("1")}; break;
            default: f = {};
        }
        return answerFrame(req, code, f);
    }
};

class OperationTest : public LinkTest {
protected:
    OperationTest() {
        factory->useFake = true;
        host.params["ComboEdiFolder"] = dir() + "/EDI";
        std::filesystem::create_directories(dir() + "/EDI");
    }
    // The driver's action over the recording fake, its configuration read.
    zt::TZTComboAction& combo(const Register& reg = {}) {
        factory->prepare = [reg](zt::FakeTransport& t) { playOn(t, reg); };
        combo_ = std::make_unique<zt::TZTComboAction>(lib, 1, factory);
        combo_->WczytajKonfiguracje();
        return *combo_;
    }
    ~OperationTest() override { combo_.reset(); }
    // Every line the host was shown, in order: the list (12) and the status line (13).
    std::vector<std::string> shown() const {
        std::vector<std::string> out;
        for (const auto& m : host.messages)
            out.push_back((m.status ? "S" : "L") + std::to_string(m.kind) + " " + m.text);
        return out;
    }
    bool shownLine(const std::string& line) const {
        const auto all = shown();
        return std::find(all.begin(), all.end(), line) != all.end();
    }
    std::unique_ptr<zt::TZTComboAction> combo_;
};

}  // namespace ztlink
