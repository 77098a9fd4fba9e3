#pragma once
// Every setting of the register link, built where the operation reads its
// parameters. Texts are kept as stored where the link itself words the
// refusal of a bad value (an unusable TCP/IP port, say).
#include <string>

namespace zt {

// The card server (SKP) that is asked to leave the register alone.
struct CardServerSettings {
    bool use = false;  // ComboSkpUse
    std::string host;  // ComboSkpIp; empty: 127.0.0.1
    std::string port;  // ComboSkpPort; empty: 25370
};

struct LinkConfig {
    enum Kind : int { File = 0, Serial = 1, Tcp = 2 };
    int transport = File;        // chosen by ComboPort
    std::string port;            // ComboPort: the serial port name
    int multiplexerChannel = 0;  // ComboKanMul: 0 none, 1..4 four-channel, 5..12 eight-channel
    bool debug = false;          // ComboDedbug: communication log
    bool impMode = false;        // ComboImpMode: receipt buffer in use
    int speed = 0;               // ComboSpeed: 0..7 = 1200..115200 baud, anything else 9600
    std::string modemPhone;      // ComboModemPhone: the serial line dials it through a modem when set
    int modemTimeout = 0;        // ComboModemTimeout (s): the dial's wait; the register modem's answer delay
    int complexTimeout = 0;      // ComboComplexOrdTimeout (s): wait for a report's final answer
    std::string ipAddress;       // ComboIpAddress; empty: 192.168.0.12
    std::string ipPort;          // ComboIpPort; empty: 1000
    CardServerSettings cardServer;
};

}  // namespace zt
