// TMSerialPort on a Windows COM port: DCB settings, COMMTIMEOUTS for the
// time-out slots, EscapeCommFunction and GetCommModemStatus for the modem lines.
#ifdef _WIN32
#include "platform/serial.h"

#include <windows.h>

namespace zt {
namespace {

HANDLE toHandle(void* h) { return static_cast<HANDLE>(h); }

std::string systemText(DWORD err) {
    char buf[512] = {};
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, err, 0, buf,
                             sizeof buf, nullptr);
    std::string s(buf, n);
    while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' ' || s.back() == '.')) s.pop_back();
    if (s.empty()) s = "system error " + std::to_string(err);
    return s;
}

}  // namespace

TMSerialPort::TMSerialPort() = default;

TMSerialPort::~TMSerialPort() { Close(); }

std::string TMSerialPort::systemPath(const std::string& portName) {
    if (portName.size() > 3 && (portName[0] | 0x20) == 'c' && (portName[1] | 0x20) == 'o' &&
        (portName[2] | 0x20) == 'm')
        return "\\\\.\\" + portName;  // also reaches COM10 and above
    return portName;
}

void TMSerialPort::fail(const std::string& what, int osError) const {
    std::string text = what;
    if (osError != 0) {
        if (!text.empty()) text += ": ";
        text += systemText(static_cast<DWORD>(osError));
    }
    throw EMException(osError, portName_, text);
}

bool TMSerialPort::isOpen() const { return handle_ != nullptr; }

void TMSerialPort::Open() {
    if (isOpen()) return;
    const std::string path = systemPath(portName_);
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) fail("", static_cast<int>(GetLastError()));

    auto closeAndFail = [&](const char* what) {
        DWORD err = GetLastError();
        CloseHandle(h);
        fail(what, static_cast<int>(err));
    };
    if (!SetupComm(h, static_cast<DWORD>(inBuffer_), static_cast<DWORD>(outBuffer_))) {
        // Some drivers refuse queue sizes; the defaults serve.
    }
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(h, &dcb)) closeAndFail("settings");
    dcb.BaudRate = static_cast<DWORD>(baud_);
    dcb.ByteSize = static_cast<BYTE>(5 + byteSize_);
    dcb.Parity = static_cast<BYTE>(parity_);      // NOPARITY, ODDPARITY, ... have the component's values
    dcb.StopBits = static_cast<BYTE>(stopBits_);  // ONESTOPBIT, ONE5STOPBITS, TWOSTOPBITS likewise
    dcb.fBinary = TRUE;
    dcb.fParity = parity_ != NoParity;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    if (!SetCommState(h, &dcb)) closeAndFail("settings");
    handle_ = h;
    try {
        applyTimeouts();
    } catch (...) {
        Close();
        throw;
    }
    PurgeComm(h, PURGE_RXCLEAR | PURGE_TXCLEAR | PURGE_RXABORT | PURGE_TXABORT);
    rts_ = true;
    dtr_ = true;
    DWORD status = 0;
    modemLines_ = GetCommModemStatus(h, &status) != 0;
}

void TMSerialPort::Close() noexcept {
    if (!handle_) return;
    CloseHandle(toHandle(handle_));
    handle_ = nullptr;
}

void TMSerialPort::applyTimeouts() {
    COMMTIMEOUTS t{};
    t.ReadIntervalTimeout = timeouts_[ReadInterval];
    t.ReadTotalTimeoutMultiplier = timeouts_[ReadPerByte];
    t.ReadTotalTimeoutConstant = timeouts_[ReadConstant];
    t.WriteTotalTimeoutMultiplier = timeouts_[WritePerByte];
    t.WriteTotalTimeoutConstant = timeouts_[WriteConstant];
    if (t.ReadTotalTimeoutMultiplier == 0 && t.ReadTotalTimeoutConstant == 0) {
        // All-zero read slots would block for ever; make them "return at once".
        t.ReadIntervalTimeout = MAXDWORD;
    }
    if (!SetCommTimeouts(toHandle(handle_), &t)) fail("time-outs", static_cast<int>(GetLastError()));
}

void TMSerialPort::applyModemLines() {
    if (!isOpen()) return;
    if (!EscapeCommFunction(toHandle(handle_), rts_ ? SETRTS : CLRRTS) ||
        !EscapeCommFunction(toHandle(handle_), dtr_ ? SETDTR : CLRDTR)) {
        DWORD err = GetLastError();
        if (err == ERROR_INVALID_FUNCTION || err == ERROR_NOT_SUPPORTED) {
            modemLines_ = false;
            return;
        }
        fail("modem lines", static_cast<int>(err));
    }
}

bool TMSerialPort::CarrierDetect() {
    if (!isOpen()) return false;
    DWORD status = 0;
    if (GetCommModemStatus(toHandle(handle_), &status)) return (status & MS_RLSD_ON) != 0;
    modemLines_ = false;
    return carrierFallback_;
}

void TMSerialPort::Transmit(const void* data, std::size_t len, bool wait) {
    if (!isOpen()) fail("port not open", ERROR_INVALID_HANDLE);
    const auto* p = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < len) {
        DWORD written = 0;
        if (!WriteFile(toHandle(handle_), p + done, static_cast<DWORD>(len - done), &written, nullptr))
            fail("write", static_cast<int>(GetLastError()));
        if (written == 0) fail("write time-out", 0);
        done += written;
    }
    if (wait) FlushFileBuffers(toHandle(handle_));
}

std::size_t TMSerialPort::Receive(void* buffer, std::size_t len) {
    if (!isOpen()) fail("port not open", ERROR_INVALID_HANDLE);
    DWORD got = 0;
    if (!ReadFile(toHandle(handle_), buffer, static_cast<DWORD>(len), &got, nullptr))
        fail("read", static_cast<int>(GetLastError()));
    return got;
}

bool TMSerialPort::Get(std::uint8_t& byte) { return Receive(&byte, 1) == 1; }

std::size_t TMSerialPort::InQueue() {
    if (!isOpen()) return 0;
    DWORD errors = 0;
    COMSTAT stat{};
    if (!ClearCommError(toHandle(handle_), &errors, &stat)) fail("input queue", static_cast<int>(GetLastError()));
    return stat.cbInQue;
}

void TMSerialPort::PurgeInput() {
    if (isOpen()) PurgeComm(toHandle(handle_), PURGE_RXCLEAR | PURGE_RXABORT);
}

}  // namespace zt
#endif
