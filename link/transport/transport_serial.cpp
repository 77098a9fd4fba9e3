#include "link/transport/transport_serial.h"

#include <algorithm>

namespace zt {

SerialTransport::SerialTransport(std::string portName) : port_(std::make_unique<TMSerialPort>()) {
    port_->setPortName(std::move(portName));
}

SerialTransport::SerialTransport(std::unique_ptr<TMSerialPort> port) : port_(std::move(port)) {
    if (!port_) port_ = std::make_unique<TMSerialPort>();
}

SerialTransport::~SerialTransport() { close(); }

void SerialTransport::open() { port_->Open(); }

void SerialTransport::close() noexcept { port_->Close(); }

bool SerialTransport::isOpen() const { return port_->isOpen(); }

void SerialTransport::send(const std::uint8_t* data, std::size_t len) { port_->Transmit(data, len, true); }
void SerialTransport::sendWithoutWaiting(const std::uint8_t* data, std::size_t len) {
    port_->Transmit(data, len, false);
}

bool SerialTransport::receiveByte(std::uint8_t& out, std::uint32_t timeoutMs) {
    if (timeoutMs == kOwnTimeout) return port_->Get(out);
    // A one-off wait: the per-byte and constant slots give exactly timeoutMs.
    const std::uint32_t perByte = port_->timeout(TMSerialPort::ReadPerByte);
    const std::uint32_t constant = port_->timeout(TMSerialPort::ReadConstant);
    struct Restore {
        TMSerialPort& p;
        std::uint32_t perByte, constant;
        ~Restore() {
            try {
                p.setTimeout(TMSerialPort::ReadPerByte, perByte);
                p.setTimeout(TMSerialPort::ReadConstant, constant);
            } catch (...) {
                // The line failed meanwhile; the next call reports it.
            }
        }
    } restore{*port_, perByte, constant};
    port_->setTimeout(TMSerialPort::ReadPerByte, 0);
    port_->setTimeout(TMSerialPort::ReadConstant, timeoutMs);
    return port_->Get(out);
}

std::size_t SerialTransport::receiveSome(std::uint8_t* out, std::size_t max, std::uint32_t timeoutMs) {
    if (max == 0 || !receiveByte(out[0], timeoutMs)) return 0;
    // The port's queue says how many follow, so the read of them does not wait.
    const std::size_t more = std::min(port_->InQueue(), max - 1);
    return 1 + (more > 0 ? port_->Receive(out + 1, more) : 0);
}

std::size_t SerialTransport::available() { return port_->InQueue(); }

void SerialTransport::purgeInput() { port_->PurgeInput(); }

void SerialTransport::setRTS(bool on) { port_->SetRTS(on); }

void SerialTransport::setDTR(bool on) { port_->SetDTR(on); }

bool SerialTransport::carrierDetect() { return port_->CarrierDetect(); }

std::string SerialTransport::describe() const {
    static const char parity[] = {'N', 'O', 'E', 'M', 'S'};
    static const char* const stop[] = {"1", "1.5", "2"};
    return port_->portName() + " " + std::to_string(port_->baudRate()) + " " + std::to_string(5 + port_->byteSize()) +
           parity[port_->parity()] + stop[port_->stopBits()];
}

}  // namespace zt
