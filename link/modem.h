#pragma once
// A Hayes modem on a serial line: the AT dialogue with its result codes,
// dialling the register's modem, hanging up, and the two stand-alone
// operations (preparing a modem to answer at the register, forcing a hang-up).
#include <memory>
#include <string>
#include <string_view>

#include "link/host_services.h"
#include "link/transport/link_factory.h"

namespace zt {

class TModemPort {
public:
    // Numeric results of an AT command.
    enum Result : int {
        NoAnswer = -1,
        Ok = 0,
        Connect = 1,
        Ring = 2,
        NoCarrier = 3,
        Error = 4,
        NoDialtone = 6,
        Busy = 7,
        NoAnswerRemote = 8,
    };
    static constexpr int kSettlePeriods = 50;  // answer still growing: periods of 500 ms at most
    static constexpr std::size_t kAnswerMax = 300;

    // host receives progress lines and states and words the failures; factory makes the line.
    TModemPort(HostServices& host, std::shared_ptr<LinkFactory> factory);
    ~TModemPort();  // closes the line without a dialogue; never raises
    TModemPort(const TModemPort&) = delete;
    TModemPort& operator=(const TModemPort&) = delete;

    // Opens the line unless it is open (values as the serial component takes them).
    void OpenModemPort(const std::string& portName, int baudRate, int parity, int stopBits, int byteSize);
    void CloseModemPort();
    // Closes the line at once, without a dialogue; never raises.
    void DropLine() noexcept;
    bool isOpen() const;

    // One AT command (CR appended) and its result; time-out in units of 10 ms,
    // 0 returns 0 without waiting for an answer.
    int SendAt(const std::string& command, int timeout);
    // Waits up to timeout (units of 10 ms) for carrier detect to be in the wanted state.
    bool WaitCarrier(int timeout, bool wanted);
    // Initialises the modem and dials; time-out of the dial in seconds (at most a day).
    void Dial(const std::string& number, int seconds);
    void HangUp();
    bool connected() const { return connected_; }

    // The open line (null when closed): the frames travel over it once dialled.
    Transport* line() { return line_.get(); }

    // Result of an answer: its last complete line, digits as their number.
    static int ParseAnswer(std::string_view answer);

private:
    void progress(const std::string& text);
    void state(int mode);

    HostServices& host_;
    std::shared_ptr<LinkFactory> factory_;
    std::unique_ptr<Transport> line_;
    bool connected_ = false;
};

// Prepares the modem on the port to answer calls as the register's modem.
void ConfigureRegisterModem(HostServices& host, std::shared_ptr<LinkFactory> factory, const std::string& portName,
                            int baudRate, int answerTimeout);
// Hangs the modem on the port up.
void ModemHangUp(HostServices& host, std::shared_ptr<LinkFactory> factory, const std::string& portName, int baudRate);

}  // namespace zt
