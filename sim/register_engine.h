#pragma once
// The simulated register without any transport: takes one request frame and
// returns what goes back on the line. Not thread-safe; RegisterSimulator
// serialises the calls.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "proto/combo_data.h"
#include "sim/faults.h"
#include "sim/journal.h"
#include "sim/register_state.h"

namespace zt::sim {

// Command codes the register answers.
namespace cmd {
constexpr std::uint16_t TIMEGET = 14, DATEGET = 15, HEADERGET = 18, VATGET = 20, CASHREGPARGET = 321,
                        DISCNTCARDCFGGETEX = 334, SALERECGET = 451, CASHREGSTATUSGET = 501, DBSTATUSGET = 502,
                        REPFSKDAILY = 1165, REPFSKMONTHLY = 1168, REPCOMM = 1171, CNTXPLUINIT = 2000, CNTXMUINIT = 2002,
                        CNTXPACKINIT = 2003, CNTXGROUPINIT = 2004, PLUINS = 2100, PLUREAD = 2110, PLUDEL = 2140,
                        PLUDELALL = 2150, PLUSTATREAD = 2160, PLUSTATCLEARALL = 2170, PLUPRICEUPDATE = 2181,
                        USERINS = 2500, USERREAD = 2510, USERSTATREAD = 2560, MUINS = 2600, MUREAD = 2610,
                        PACKINS = 2700, PACKREAD = 2710, PACKDEL = 2740, PACKDELALL = 2750, PACKSTATREAD = 2760,
                        PACKSTATCLEARALL = 2770, GROUPINS = 2800, GROUPREAD = 2810, PAYFORMINS = 2900,
                        PAYFORMREAD = 2910;
}  // namespace cmd

// Execution codes the register answers with.
namespace code {
constexpr std::uint16_t kNoMoreReceipts = 801, kRecordKept = 901, kNoRecord = 903, kDatabaseFull = 905, kBadVat = 924,
                        kBarcodeTaken = 920, kEmptyName = 945, kNoUser = 956, kEndOfContext = 975, kMissingData = 3013,
                        kBadType = 3011, kTooManyFields = 3012, kUnknownCommand = 3008;
}  // namespace code

std::string commandName(std::uint16_t code);

// Whether the command runs as a complex sequence (answer 1 first, then the final one).
bool isComplexCommand(std::uint16_t code);

// The request fields the register takes for a command, one type letter per
// field in order ("VB" for PLUREAD); none for a command it does not know and
// for REPFSKMONTHLY, whose fields it does not check. A request that differs is
// refused: a missing field W 3013, a field of another type W 3011, a field too
// many W 3012.
std::optional<std::string_view> requestLayout(std::uint16_t code);

// The request fields as journal text: V:1 S:"Chleb" N:450.
std::string describeFields(const TComboDataSet& fields);

struct Reply {
    std::uint32_t delayMs = 0;  // pause before writing
    std::string wire;           // stuffed bytes (garbage included)
};

struct EngineOutput {
    std::vector<Reply> replies;
    bool disconnect = false;  // drop the connection after the replies
};

class RegisterEngine {
public:
    explicit RegisterEngine(RegisterState state = defaultRegisterState());

    // One logical request frame (STX..ETX, stuffing removed). A frame with a bad
    // CRC or malformed fields gets no answer.
    EngineOutput handleFrame(std::string_view logical);

    RegisterState& state() { return state_; }
    const RegisterState& state() const { return state_; }
    void setState(RegisterState s);

    const Faults& faults() const { return faults_; }
    // Replaces the faults and restarts their frame and answer counts.
    void setFaults(Faults f);
    // Restarts the frame and answer counts of the faults as they stand (and
    // revives a line a disconnect fault silenced): a new TCP client is counted
    // from its first request.
    void resetFaultCounts();
    // Wait between answer 1 and the final answer of a complex sequence.
    void setComplexDelayMs(std::uint32_t ms) { complexDelayMs_ = ms; }

    Journal& journal() { return journal_; }
    std::uint32_t ignoredFrames() const { return ignoredFrames_; }

private:
    struct Answer {
        std::uint16_t code = 0;           // request code, 0 status
        std::vector<std::string> fields;  // encoded
    };
    Answer run(std::uint16_t code, const TComboDataSet& req);
    Answer status(std::uint16_t t, std::uint16_t w) const;
    std::string wireOf(std::uint32_t seq, const Answer& a, std::string& note);

    RegisterState state_;
    Faults faults_;
    std::vector<std::uint32_t> executionFired_;
    Journal journal_;
    std::uint32_t complexDelayMs_ = 0;
    std::uint32_t frames_ = 0, answers_ = 0, served_ = 0, ignoredFrames_ = 0;
    bool lineDead_ = false;
    // The command the last frame belonged to.
    std::uint32_t commands_ = 0;
    bool haveCommand_ = false;
    std::uint32_t commandSeq_ = 0;
    std::uint16_t commandCode_ = 0;
    // The last served request and its answers (the final one last).
    bool haveLast_ = false;
    std::uint32_t lastSeq_ = 0;
    std::uint16_t lastCode_ = 0;
    std::vector<Answer> lastAnswers_;
    // Reading contexts.
    std::size_t pluCursor_ = 0, packCursor_ = 0, groupCursor_ = 0, unitCursor_ = 0;
    std::size_t receiptCursor_ = 0;
};

}  // namespace zt::sim
