#pragma once
// Faults the simulated register can inject. Frames and answers are counted from
// 1, starting when the faults are set (RegisterSimulator::setFaults) and again
// when a new TCP client connects (RegisterEngine::resetFaultCounts); a fault
// fires on its k-th frame or answer and on the times-1 that follow it (times 0:
// on every one from k on). Setting at = 0 turns a fault off.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zt::sim {

struct FaultAt {
    std::uint32_t at = 0;
    std::uint32_t times = 1;
    bool hits(std::uint32_t n) const { return at != 0 && n >= at && (times == 0 || n - at < times); }
};

// The register refuses a command with an execution code (status answer with
// transmission status 0); the command is not run.
struct ExecutionFault {
    std::uint16_t command = 0;
    std::uint16_t code = 0;
    std::optional<std::uint16_t> plu;  // only for a request whose first field (V) is this number
    std::uint32_t times = 1;           // 0: always
};

// A fault tied to the k-th command of a client rather than to a frame: every
// send of one command (the plug-in repeats a request under its sequence
// number) belongs to that command, so a sweep over an operation's commands
// needs no frame arithmetic.
struct CommandFault {
    enum class Kind {
        // The command runs once on its first send; no send of it is answered
        // (repeats are not run again).
        LoseAnswers,
        // Every send is refused with execution code `code`; the command is not run.
        Refuse,
        // Every send is answered with transmission status `code`; the command
        // is not run.
        TransmissionStatus,
    };
    std::uint32_t command = 0;  // k, from 1
    Kind kind = Kind::LoseAnswers;
    std::uint16_t code = 1;
};

struct Faults {
    // No answer to the k-th request frame; the command is run and its answer
    // kept, so that the repeated request gets it.
    FaultAt noAnswer;
    // The k-th answer leaves with a broken CRC (the command was run).
    FaultAt badCrc;
    // The k-th answer carries another sequence number (the command was run).
    FaultAt wrongSequence;
    // The k-th answer is a status answer with transmission status
    // transmissionStatus; the command is not run.
    FaultAt transmissionError;
    std::uint16_t transmissionStatus = 1;
    // Bytes written just before the k-th answer.
    FaultAt garbage;
    std::string garbageBytes = "\x41\x42\x43";
    std::vector<ExecutionFault> executionErrors;
    std::vector<CommandFault> commandFaults;
    // The connection is dropped after the k-th answered request (0: never);
    // on the pseudo-terminal the line then stays silent until faults are set anew.
    std::uint32_t disconnectAfter = 0;
    // Pause before every answer.
    std::uint32_t answerDelayMs = 0;
};

}  // namespace zt::sim
