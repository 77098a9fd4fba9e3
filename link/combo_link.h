#pragma once
// The register link of the driver: opening and closing the line of every kind
// (serial, through a multiplexer, through a modem, TCP/IP) bracketed by the
// card-server lock, identifying the register, the command exchange with its
// retries, status answers and report sequences, and the communication log.
//
// The running operation is reached through the host services only, and every
// setting comes in the link configuration.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "link/host_services.h"
#include "link/link_config.h"
#include "proto/framing.h"

namespace zt {

class LinkFactory;
class Transport;

class TComboLink : public TComboFraming {
public:
    // Sends of one request before the link is given up.
    static constexpr int kMaxSends = 3;

    // A fixed configuration, or one read through the function at every use (the
    // driver loads its configuration at the start of each operation).
    // factory: where lines come from; the real ones when null.
    TComboLink(HostServices& host, LinkConfig config, std::shared_ptr<LinkFactory> factory = nullptr);
    TComboLink(HostServices& host, std::function<LinkConfig()> config, std::shared_ptr<LinkFactory> factory);
    // Closes whatever is open and gives the register back to the card server; never raises.
    ~TComboLink() override;
    TComboLink(const TComboLink&) = delete;
    TComboLink& operator=(const TComboLink&) = delete;

    // ---- link ----
    void OpenLink();
    void CloseLink();
    // On a failure path: marks the current line failed and closes the link; an
    // error of the closing itself gives way to the failure being reported.
    void CloseLinkAfterFailure() noexcept;
    void OpenSerial();
    void CloseSerial();
    void OpenTcp();
    void CloseTcp();
    // ComboSpeed as a baud rate: 0..7 = 1200..115200, anything else 9600.
    int BaudRateCode();
    static int BaudRateCode(int comboSpeed);
    // True while a serial or TCP/IP line is open.
    bool IsOpen() const;

    // ---- exchange ----
    // One command with its encoded fields; returns once the register has
    // accepted it (answer holds the result fields), else raises.
    void SendCommand(std::uint16_t code, const std::vector<std::string>& fields = {});
    void ExchangeFrame();
    void SendFrame();
    // One frame into frameIn; false when none came in time or it began wrong.
    bool ReceiveFrame();
    // The answer code of frameIn, -1 for a frame of another request or with a bad CRC.
    int CheckAnswer();
    static bool IsSimpleCommand(int code);
    void CheckExecutionError(int code);
    std::string FormatErrorT(int code) const;
    std::string FormatErrorW(int code) const;
    static std::string CommandName(int code);
    // Raises the abort message when the host asked to stop; false otherwise.
    bool ThrowIfAborted();

    // ---- reading a context ----
    // Starts a reading context (init) and reads its records (read) until the
    // register answers 975, the end of the context, or one of alsoEnd. record
    // runs for each record, its fields in answer; beforeRead, when given,
    // before every read request.
    void ReadContext(std::uint16_t init, const std::vector<std::string>& initFields, std::uint16_t read,
                     const std::vector<std::string>& readFields, const std::function<void()>& record,
                     const std::vector<std::uint16_t>& alsoEnd = {}, const std::function<void()>& beforeRead = nullptr);

    // ---- communication log ----
    void InitCommLog();
    void CommLog(std::string_view direction, std::string_view data);
    // The log file of this run (empty when logging is off).
    std::string CommLogPath() const;

    // ---- modem operations ----
    void ConfigureRegisterModem();
    void ModemHangUp();

    // ---- the register as seen by the driver ----
    std::uint16_t statusT = 0;
    std::uint16_t statusW = 0;
    bool linkOk = false;
    int deviceFamily = 0;
    int workMode = 1;
    bool receiptBufferMode = false;
    std::string deviceName;  // shown after "Nawiązano połączenie z kasą "

    // Settings as read for the current operation.
    LinkConfig Config() const;
    HostServices& Host() const { return host_; }

private:
    struct Line;  // the open line and the card-server lock
    // How a receive ended: a frame; nothing at all came; bytes came but no frame.
    enum class Received { Frame, Nothing, NoFrame };

    Received receiveFrame();
    // Sends frameOut, then logs it (first: after the command's name).
    void sendFrame(bool first);
    // The next byte of the answer: from what the line gave last, else the
    // line's next chunk, its first byte waited for as long as one byte is.
    bool receiveByte(std::uint8_t& b);
    bool receiveChunk(Transport& t, std::uint8_t& b, std::uint32_t timeoutMs);
    // Bound of one whole answer frame.
    std::uint32_t frameBoundMs() const;
    void dropWaitingInput();
    // The one close path of every line: the session ends (a modem hangs up),
    // the closing is shown and the line goes, also when the hang-up failed.
    void closeLine();
    void waitComplexAnswer();
    [[noreturn]] void giveUp();

    HostServices& host_;
    std::function<LinkConfig()> config_;
    std::shared_ptr<LinkFactory> factory_;
    std::unique_ptr<Line> line_;
};

}  // namespace zt
