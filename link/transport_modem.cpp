#include "link/transport_modem.h"

#include "platform/exception.h"

namespace zt {

ModemTransport::ModemTransport(HostServices& host, std::shared_ptr<LinkFactory> factory, std::string portName,
                               int baudRate, std::string phone, int dialSeconds)
    : modem_(host, std::move(factory)),
      portName_(std::move(portName)),
      baudRate_(baudRate),
      phone_(std::move(phone)),
      dialSeconds_(dialSeconds) {}

void ModemTransport::open() {
    if (isOpen()) return;
    modem_.OpenModemPort(portName_, baudRate_, 0, 0, 3);
    modem_.Dial(phone_, dialSeconds_);
}

void ModemTransport::disconnect() {
    if (modem_.connected()) modem_.HangUp();
}

void ModemTransport::close() noexcept { modem_.DropLine(); }

Transport& ModemTransport::line() {
    if (!modem_.line()) throw EMException(0, portName_, "not open");
    return *modem_.line();
}

}  // namespace zt
