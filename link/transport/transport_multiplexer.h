#pragma once
// One channel of a 4- or 8-channel RS-232 multiplexer: a serial line that
// selects its channel when it opens. Four channels are chosen by the RTS and
// DTR lines, eight by a select byte and the channel number.
#include <memory>

#include "link/transport/transport.h"

namespace zt {

class MultiplexerTransport : public Transport {
public:
    // channel 1..4 four-channel, 5..12 eight-channel (channels 1..8 of it).
    MultiplexerTransport(std::unique_ptr<Transport> line, int channel);
    static bool IsChannel(int channel) { return channel >= 1 && channel <= 12; }

    Kind kind() const override { return line_->kind(); }
    // Opens the line, then selects the channel.
    void open() override;
    void close() noexcept override { line_->close(); }
    bool isOpen() const override { return line_->isOpen(); }
    void send(const std::uint8_t* data, std::size_t len) override { line_->send(data, len); }
    using Transport::send;
    void sendWithoutWaiting(const std::uint8_t* data, std::size_t len) override {
        line_->sendWithoutWaiting(data, len);
    }
    using Transport::sendWithoutWaiting;
    bool receiveByte(std::uint8_t& out, std::uint32_t timeoutMs) override { return line_->receiveByte(out, timeoutMs); }
    std::size_t receiveSome(std::uint8_t* out, std::size_t max, std::uint32_t timeoutMs) override {
        return line_->receiveSome(out, max, timeoutMs);
    }
    std::size_t available() override { return line_->available(); }
    void purgeInput() override { line_->purgeInput(); }
    void setRTS(bool on) override { line_->setRTS(on); }
    void setDTR(bool on) override { line_->setDTR(on); }
    bool carrierDetect() override { return line_->carrierDetect(); }
    std::string describe() const override { return line_->describe(); }

private:
    std::unique_ptr<Transport> line_;
    int channel_;
};

}  // namespace zt
