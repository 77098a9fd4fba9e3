#pragma once
// The serial port component: one RS-232 line with its settings, modem lines and
// time-outs. The time-out slots follow the Windows COMMTIMEOUTS meaning on every
// system, so that the link behaves the same on a COM port and on a POSIX tty:
//   read of n bytes waits at most readConstant + n * readPerByte ms in total and
//   gives up early when readInterval ms pass between two bytes (0 = no interval
//   limit); a write of n bytes may take writeConstant + n * writePerByte ms.
// The waits are the operating system's own (real time); tests keep them short by
// setting small slots. Failures raise EMException with the system's own words.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/exception.h"

namespace zt {

class TMSerialPort {
public:
    // Component values as the callers pass them.
    enum Parity : int { NoParity = 0, OddParity = 1, EvenParity = 2, MarkParity = 3, SpaceParity = 4 };
    enum StopBits : int { OneStopBit = 0, One5StopBits = 1, TwoStopBits = 2 };
    enum ByteSize : int { Bits5 = 0, Bits6 = 1, Bits7 = 2, Bits8 = 3 };
    enum TimeoutSlot : int { ReadInterval = 0, ReadPerByte = 1, ReadConstant = 2, WritePerByte = 3, WriteConstant = 4 };
    static constexpr int kTimeoutSlots = 5;

    TMSerialPort();
    virtual ~TMSerialPort();  // closes the port; a modem port may extend the component
    TMSerialPort(const TMSerialPort&) = delete;
    TMSerialPort& operator=(const TMSerialPort&) = delete;

    // Settings; they take effect at the next Open.
    void setPortName(std::string name) { portName_ = std::move(name); }
    const std::string& portName() const { return portName_; }
    // One of 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200; raises otherwise.
    void setBaudRate(int baud) {
        if (!isValidBaudRate(baud)) badSetting("baud rate", baud);
        baud_ = baud;
    }
    int baudRate() const { return baud_; }
    static bool isValidBaudRate(int baud) {
        for (int b : {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200})
            if (b == baud) return true;
        return false;
    }
    void setParity(int value) {
        if (value < NoParity || value > SpaceParity) badSetting("parity", value);
        parity_ = value;
    }
    int parity() const { return parity_; }
    void setStopBits(int value) {
        if (value < OneStopBit || value > TwoStopBits) badSetting("stop bits", value);
        stopBits_ = value;
    }
    int stopBits() const { return stopBits_; }
    void setByteSize(int value) {
        if (value < Bits5 || value > Bits8) badSetting("byte size", value);
        byteSize_ = value;
    }
    int byteSize() const { return byteSize_; }
    // Driver queue sizes (Windows only; a POSIX tty has fixed queues).
    void setBufferSizes(std::size_t in, std::size_t out) { inBuffer_ = in, outBuffer_ = out; }
    std::size_t inBufferSize() const { return inBuffer_; }
    std::size_t outBufferSize() const { return outBuffer_; }
    // Milliseconds per slot; applied at once when the port is open.
    void setTimeout(int slot, std::uint32_t ms) {
        if (slot < 0 || slot >= kTimeoutSlots) badSetting("time-out slot", slot);
        timeouts_[slot] = ms;
        if (isOpen()) applyTimeouts();
    }
    std::uint32_t timeout(int slot) const { return slot >= 0 && slot < kTimeoutSlots ? timeouts_[slot] : 0; }

    // The name the operating system opens: "COM3" -> "\\.\COM3" on Windows,
    // "COM3" -> "/dev/ttyS2" on POSIX; any other name is taken as it is.
    static std::string systemPath(const std::string& portName);

    // Opens with the current settings (raises on failure; nothing stays open).
    // Opening an open port does nothing.
    void Open();
    // Safe on a closed port; never raises.
    void Close() noexcept;
    bool isOpen() const;

    // Modem lines. A line without them (a pseudo-terminal, some adapters) is not
    // an error: the requested states are kept and hasModemLines() turns false.
    void SetRTS(bool on);
    void SetDTR(bool on);
    bool rts() const { return rts_; }
    bool dtr() const { return dtr_; }
    // The carrier-detect input; on a line without modem lines it reports
    // carrierWithoutModemLines (false unless set, e.g. by a modem emulator).
    bool CarrierDetect();
    bool hasModemLines() const { return modemLines_; }
    void setCarrierWithoutModemLines(bool on) { carrierFallback_ = on; }

    void Put(std::uint8_t byte) { Transmit(&byte, 1, true); }
    // Writes all bytes within the write time-out or raises. With wait, also
    // waits (within the same time-out) until the driver has sent them.
    void Transmit(const void* data, std::size_t len, bool wait);
    // One byte within readConstant + readPerByte ms; false when none came.
    bool Get(std::uint8_t& byte);
    // Up to len bytes under the read time-outs; returns how many arrived.
    std::size_t Receive(void* buffer, std::size_t len);
    // Bytes waiting in the input queue.
    std::size_t InQueue();
    // Discards whatever waits in the input queue.
    void PurgeInput();

private:
    [[noreturn]] void badSetting(const char* what, int value) const {
        throw EMException(0, portName_, std::string("invalid ") + what + " " + std::to_string(value));
    }
    [[noreturn]] void fail(const std::string& what, int osError) const;
    void applyTimeouts();
    void applyModemLines();

    std::string portName_ = "COM1";
    int baud_ = 9600;
    int parity_ = NoParity;
    int stopBits_ = OneStopBit;
    int byteSize_ = Bits8;
    std::size_t inBuffer_ = 4096;
    std::size_t outBuffer_ = 4096;
    std::uint32_t timeouts_[kTimeoutSlots] = {50, 50, 5000, 50, 5000};
    bool rts_ = true;
    bool dtr_ = true;
    bool modemLines_ = true;
    bool carrierFallback_ = false;
#ifdef _WIN32
    void* handle_ = nullptr;  // HANDLE; INVALID_HANDLE_VALUE is kept as null
#else
    int fd_ = -1;
#endif
};

}  // namespace zt
