#pragma once
// What the register link takes from the operation's configuration. The link
// reads it afresh from the driver's configuration at every use, since the
// driver loads its configuration at the start of each operation.
#include <string>

namespace zt {

struct ComboConfig;

struct LinkConfig {
    enum Kind : int { File = 0, Serial = 1, Tcp = 2 };
    int transport = File;         // chosen by ComboPort
    std::string port;             // ComboPort: the serial port name
    int multiplexerChannel = 0;   // ComboKanMul: 0 none, 1..4 four-channel, 5..12 eight-channel
    bool debug = false;           // ComboDedbug: communication log
    bool impMode = false;         // ComboImpMode: receipt buffer in use
};

LinkConfig MakeLinkConfig(const ComboConfig& config);

}  // namespace zt
