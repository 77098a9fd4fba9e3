#pragma once
// The communication log: one file per operation run, "NEO_LOG <start time>.TXT"
// in the "log" folder of the working directory, one line per frame or event.
#include <string>
#include <string_view>

#include "tools/ltools.h"

namespace zt {

class TMLgExtTools;

class TCommLog {
public:
    // "<workDir>log\NEO_LOG yyyy.mm.dd hh.nn.ss.TXT" for a start time (day
    // count), in the operating system's form.
    static std::string FileName(const std::string& workDir, double start);
    // Control bytes made readable: 0x00 as ".", STX, ETX, CR, LF, TAB, DLE
    // (written <SYN>) and CAN as <STX> ... <CAN>; every other byte unchanged.
    static std::string Render(std::string_view data);

    // When on: creates the folder and sets the file up with its header. A
    // failure leaves the log off for the run; never raises.
    void Init(bool on, const std::string& workDir, const TMLgExtTools* translations);
    // Appends "time direction data" when on; a failing write raises.
    void Log(std::string_view direction, std::string_view data);

    bool on() const { return tools_.debugOn; }
    const std::string& path() const { return tools_.debugPath; }

private:
    TLTools tools_;
};

}  // namespace zt
