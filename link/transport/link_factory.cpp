#include "link/transport/link_factory.h"

#include "link/transport/transport_serial.h"
#include "link/transport/transport_tcp.h"

namespace zt {

std::unique_ptr<Transport> LinkFactory::Serial(const SerialSettings& s) {
    auto t = std::make_unique<SerialTransport>(s.portName);
    TMSerialPort& p = t->port();
    p.setBaudRate(s.baudRate);
    p.setParity(s.parity);
    p.setStopBits(s.stopBits);
    p.setByteSize(s.byteSize);
    // The order in which the line has always been set up.
    p.setTimeout(TMSerialPort::ReadInterval, s.timeouts[0]);
    p.setTimeout(TMSerialPort::ReadPerByte, s.timeouts[1]);
    p.setTimeout(TMSerialPort::WritePerByte, s.timeouts[3]);
    p.setTimeout(TMSerialPort::ReadConstant, s.timeouts[2]);
    p.setTimeout(TMSerialPort::WriteConstant, s.timeouts[4]);
    if (s.inBuffer && s.outBuffer) p.setBufferSizes(s.inBuffer, s.outBuffer);
    return t;
}

std::unique_ptr<Transport> LinkFactory::Tcp(const TcpSettings& s) {
    return std::make_unique<TcpTransport>(s.host, s.port, s.byteTimeoutMs, s.connectTimeoutMs);
}

}  // namespace zt
