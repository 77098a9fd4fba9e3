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
#include "proto/commands.h"
#include "sim/faults.h"
#include "sim/journal.h"
#include "sim/register_state.h"

namespace zt::sim {

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
