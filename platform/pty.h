#pragma once
// A pseudo-terminal pair for the register simulator, the modem emulator and the
// tests: the simulator holds the master side, the plug-in opens slavePath()
// through TMSerialPort like any serial line. POSIX only.
#ifndef _WIN32
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zt {

class PseudoTerminal {
public:
    // Opens a master and its slave, the slave in raw 8-bit mode. The pair keeps
    // a slave handle of its own, so the line stays up while the plug-in closes
    // and reopens it. Raises EMException on failure.
    PseudoTerminal();
    ~PseudoTerminal();  // closes both sides
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // The device path the plug-in opens, e.g. "/dev/pts/3".
    const std::string& slavePath() const { return slavePath_; }
    // The master's descriptor, for callers that poll several sources.
    int masterFd() const { return master_; }

    // Writes all bytes to the line (the plug-in reads them), within timeoutMs.
    void write(const void* data, std::size_t len, std::uint32_t timeoutMs = 2000);
    void write(std::string_view bytes) { write(bytes.data(), bytes.size()); }
    // Waits up to timeoutMs for bytes from the plug-in and returns what is there
    // (up to max); 0 on time-out.
    std::size_t read(void* buffer, std::size_t max, std::uint32_t timeoutMs);
    bool readByte(std::uint8_t& byte, std::uint32_t timeoutMs) { return read(&byte, 1, timeoutMs) == 1; }
    // Reads until exactly n bytes came or timeoutMs passed; returns what came.
    std::string readExactly(std::size_t n, std::uint32_t timeoutMs);

    // Closes both sides; the slave path goes away. Never raises.
    void close() noexcept;
    bool isOpen() const { return master_ >= 0; }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};

}  // namespace zt
#endif
