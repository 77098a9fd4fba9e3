#pragma once
// The byte pipe between the command exchange and one register. The exchange
// builds and parses frames; a transport only moves bytes and, where the line
// has them, drives the modem lines (multiplexer channel selection, modem
// control). Backends: serial line (transport_serial.h), a multiplexer channel
// over it (transport_multiplexer.h), a modem over it (transport_modem.h),
// TCP/IP (transport_tcp.h) and a recording fake for tests (transport_fake.h).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zt {

class Transport {
public:
    // Which way the register is reached; the exchange words its silence
    // differently for the two (a silent TCP/IP link is logged, a serial one not).
    enum class Kind { Serial, Tcp };

    // receiveByte with this time-out waits as long as the transport's own
    // per-byte time-out: the port's read time-out slots for a serial line,
    // 30000 ms for TCP/IP.
    static constexpr std::uint32_t kOwnTimeout = 0xFFFFFFFFu;

    virtual ~Transport() = default;  // closes, never raises

    virtual Kind kind() const = 0;

    // Opens the line with the settings given at construction. Opening an open
    // transport does nothing. Raises EMException (the system's words) on
    // failure and leaves nothing open.
    virtual void open() = 0;

    // Ends the session on the line before it closes (a modem hangs up); may
    // raise. Nothing for lines without a session.
    virtual void disconnect() {}

    // Closes the line; safe when closed or never opened; never raises.
    virtual void close() noexcept = 0;

    // True between a successful open() and close().
    virtual bool isOpen() const = 0;

    // Writes all bytes and returns once the line has taken them (serial: sent
    // with wait for completion). Raises when not open or when the line does not
    // take them within its write time-out.
    virtual void send(const std::uint8_t* data, std::size_t len) = 0;
    void send(std::string_view bytes) { send(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()); }
    // Hands the bytes to the line without waiting until they have left it
    // (modem commands); lines that cannot tell send as send() does.
    virtual void sendWithoutWaiting(const std::uint8_t* data, std::size_t len) { send(data, len); }
    void sendWithoutWaiting(std::string_view bytes) {
        sendWithoutWaiting(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }

    // Waits up to timeoutMs (or the transport's own time-out, kOwnTimeout) for
    // one byte. True with the byte in out; false when none came in time or the
    // peer has gone. 0 takes only a byte that is already there. Raises only on
    // a failure of the line itself or when not open.
    virtual bool receiveByte(std::uint8_t& out, std::uint32_t timeoutMs) = 0;

    // Waits for the first byte as receiveByte does, then takes with it the
    // bytes already there, up to max: what the line has, in one call. The
    // count, 0 where receiveByte would be false. Lines that cannot tell what
    // is there give one byte.
    virtual std::size_t receiveSome(std::uint8_t* out, std::size_t max, std::uint32_t timeoutMs) {
        return max > 0 && receiveByte(out[0], timeoutMs) ? 1 : 0;
    }

    // Bytes that can be read at once without waiting (0 when unknown or closed).
    virtual std::size_t available() = 0;

    // Discards every byte received and not yet read. No-op when closed.
    virtual void purgeInput() = 0;

    // Modem lines. Lines a transport does not have (TCP/IP, a pseudo-terminal)
    // accept the calls and do nothing; carrierDetect() then answers false
    // unless the backend was told otherwise.
    virtual void setRTS(bool on) = 0;
    virtual void setDTR(bool on) = 0;
    virtual bool carrierDetect() = 0;

    // One line for the communication log and messages, e.g. "COM1 9600 8N1" or
    // "192.168.0.12:1000".
    virtual std::string describe() const = 0;
};

}  // namespace zt
