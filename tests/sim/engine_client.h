#pragma once
// Talks to a RegisterEngine as the plug-in's exchange does: up to three sends
// of one request under one sequence number, the repeat flag after a lost
// answer, the identical frame after a transmission status.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "proto/combo_data.h"
#include "proto/framing.h"
#include "sim/register_engine.h"

namespace zt::sim::test {

struct Answer {
    std::uint16_t code = 0;  // of the final answer frame
    TComboDataSet fields;
    // Execution code of a status answer with transmission status 0, else -1.
    int statusW() const { return code == 0 && fields.Count() == 3 && fields[1].AsV() == 0 ? fields[2].AsV() : -1; }
    int statusT() const { return code == 0 && fields.Count() == 3 ? fields[1].AsV() : -1; }
};

class EngineClient {
public:
    explicit EngineClient(RegisterEngine& engine, std::uint32_t firstSequence = 10)
        : engine_(engine), seq_(firstSequence) {}

    // One send; none when the register did not answer.
    std::optional<Answer> send(std::uint16_t code, const std::vector<std::string>& fields, std::uint8_t flags = 0) {
        auto out = engine_.handleFrame(buildFrame(flags, seq_, code, fields));
        if (out.replies.empty()) return std::nullopt;
        Answer a;
        a.fields.ParseFromPacket(unstuff(out.replies.back().wire), nullptr);
        a.code = frameCommand(unstuff(out.replies.back().wire));
        return a;
    }
    // A new command: its own sequence number, up to three sends. None when all
    // three went unanswered or carried a transmission status.
    std::optional<Answer> command(std::uint16_t code, const std::vector<std::string>& fields = {}) {
        ++seq_;
        std::uint8_t flags = 0;
        for (int sends = 0; sends < 3; ++sends) {
            auto a = send(code, fields, flags);
            if (!a) {
                flags = kFlagRepeated;
                continue;
            }
            if (a->code == 0 && a->statusT() != 0) continue;
            return a;
        }
        return std::nullopt;
    }

private:
    RegisterEngine& engine_;
    std::uint32_t seq_;
};

}  // namespace zt::sim::test
