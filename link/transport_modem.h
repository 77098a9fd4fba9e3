#pragma once
// A serial line through a Hayes modem: opening dials the register's modem,
// disconnecting hangs up; the frames travel over the line in between.
#include <memory>
#include <string>

#include "link/modem.h"
#include "link/transport/transport.h"

namespace zt {

class ModemTransport : public Transport {
public:
    // baudRate as the serial component takes it; dialSeconds: the dial's wait.
    ModemTransport(HostServices& host, std::shared_ptr<LinkFactory> factory, std::string portName, int baudRate,
                   std::string phone, int dialSeconds);

    Kind kind() const override { return Kind::Serial; }
    // Opens the port and dials; raises the modem's failure.
    void open() override;
    // Hangs up when connected; raises when the modem refuses.
    void disconnect() override;
    // Drops the line without a dialogue.
    void close() noexcept override;
    bool isOpen() const override { return modem_.isOpen(); }
    void send(const std::uint8_t* data, std::size_t len) override { line().send(data, len); }
    using Transport::send;
    bool receiveByte(std::uint8_t& out, std::uint32_t timeoutMs) override { return line().receiveByte(out, timeoutMs); }
    std::size_t receiveSome(std::uint8_t* out, std::size_t max, std::uint32_t timeoutMs) override {
        return line().receiveSome(out, max, timeoutMs);
    }
    std::size_t available() override { return modem_.line() ? modem_.line()->available() : 0; }
    void purgeInput() override {
        if (modem_.line()) modem_.line()->purgeInput();
    }
    void setRTS(bool on) override { line().setRTS(on); }
    void setDTR(bool on) override { line().setDTR(on); }
    bool carrierDetect() override { return modem_.line() && modem_.line()->carrierDetect(); }
    std::string describe() const override { return portName_ + " (" + phone_ + ")"; }

private:
    Transport& line();

    TModemPort modem_;
    std::string portName_;
    int baudRate_;
    std::string phone_;
    int dialSeconds_;
};

}  // namespace zt
