#pragma once
// The speed of a long operation on the bench's live progress line: records a
// second and, where the progress has an end (a percentage), the time left.
// Worked out from the status texts alone, as a host would.
#include <cstdint>
#include <string>
#include <string_view>

namespace zt {

class ProgressRate {
public:
    // A status text (Windows-1250, "label<0x01>value") at nowMs. records: what
    // the plug-in has handled so far as the bench counts it (its questions
    // whether to stop, asked before each record); a counting progress gives
    // its own count instead. Returns the note for the line, e.g.
    // "  [120 rec/s, 1:05 left]"; empty until a second of the step has passed.
    std::string note(std::string_view text, std::uint32_t nowMs, std::int64_t records);

private:
    std::string label_;  // the step being timed; empty: none
    std::uint32_t startMs_ = 0;
    std::int64_t startRecords_ = 0;
    int startPercent_ = 0;
};

}  // namespace zt
