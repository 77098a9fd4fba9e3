// TMSerialPort on a POSIX tty: raw termios, poll() for the time-outs,
// TIOCM* ioctls for the modem lines.
#ifndef _WIN32
#include "platform/serial.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <system_error>
#include <thread>

namespace zt {
namespace {

using SteadyClock = std::chrono::steady_clock;

std::int64_t msSince(SteadyClock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start).count();
}

speed_t speedCode(int baud) {
    switch (baud) {
        case 1200: return B1200;
        case 2400: return B2400;
        case 4800: return B4800;
        case 19200: return B19200;
        case 38400: return B38400;
        case 57600: return B57600;
        case 115200: return B115200;
        default: return B9600;
    }
}

// A pseudo-terminal (Unix98 slave majors 136 to 143) has no wire: it keeps
// eight data bits and no parity whatever it is asked.
bool isPseudoTerminal(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return false;
    const unsigned m = major(st.st_rdev);
    return m >= 136 && m <= 143;
}

// The pty driver and some adapters have no modem lines; the ioctls then fail
// with one of these.
bool noModemLines(int err) { return err == ENOTTY || err == EINVAL || err == ENOSYS; }

}  // namespace

TMSerialPort::TMSerialPort() = default;

TMSerialPort::~TMSerialPort() { Close(); }

std::string TMSerialPort::systemPath(const std::string& portName) {
    // "COMn" (any case, n >= 1) names the n-th standard port.
    if (portName.size() > 3 && (portName[0] | 0x20) == 'c' && (portName[1] | 0x20) == 'o' &&
        (portName[2] | 0x20) == 'm') {
        int n = 0;
        bool digits = true;
        for (std::size_t i = 3; i < portName.size() && digits; ++i) {
            char c = portName[i];
            digits = c >= '0' && c <= '9' && n < 10000;
            n = n * 10 + (c - '0');
        }
        if (digits && n >= 1) return "/dev/ttyS" + std::to_string(n - 1);
    }
    return portName;
}

void TMSerialPort::fail(const std::string& what, int osError) const {
    std::string title = portName_;
    std::string path = systemPath(portName_);
    if (path != portName_) title += " (" + path + ")";
    std::string text = what;
    if (osError != 0) {
        if (!text.empty()) text += ": ";
        text += std::system_category().message(osError);
    }
    throw EMException(osError, title, text);
}

bool TMSerialPort::isOpen() const { return fd_ >= 0; }

void TMSerialPort::Open() {
    if (isOpen()) return;
    const std::string path = systemPath(portName_);
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) fail("", errno);

    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) {
        int err = errno;
        ::close(fd);
        fail("", err);
    }
    ::cfmakeraw(&tio);
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK | ISTRIP);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB);
#ifdef CRTSCTS
    tio.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
#endif
#ifdef CMSPAR
    tio.c_cflag &= ~static_cast<tcflag_t>(CMSPAR);
#endif
    static const tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
    tio.c_cflag |= sizes[byteSize_];
    if (stopBits_ != OneStopBit) tio.c_cflag |= CSTOPB;  // 1.5 stop bits do not exist here
    switch (parity_) {
        case OddParity: tio.c_cflag |= PARENB | PARODD; break;
        case EvenParity: tio.c_cflag |= PARENB; break;
#ifdef CMSPAR
        case MarkParity: tio.c_cflag |= PARENB | PARODD | CMSPAR; break;
        case SpaceParity: tio.c_cflag |= PARENB | CMSPAR; break;
#endif
        default: break;
    }
    // Reads never block in the driver: the waits are poll()'s.
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&tio, speedCode(baud_));
    ::cfsetospeed(&tio, speedCode(baud_));
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
        int err = errno;
        // The C library reports a data format the line kept as its own
        // (EINVAL, after the rest was applied). On a real port that is an
        // error; a pseudo-terminal has no data format to keep.
        if (err != EINVAL || !isPseudoTerminal(fd)) {
            ::close(fd);
            fail("", err);
        }
    }
    // Keep other programs off the line while it is ours (root is not kept off).
    ::ioctl(fd, TIOCEXCL);
    ::tcflush(fd, TCIOFLUSH);
    fd_ = fd;

    int lines = 0;
    modemLines_ = ::ioctl(fd_, TIOCMGET, &lines) == 0;
    if (modemLines_) {
        rts_ = (lines & TIOCM_RTS) != 0;
        dtr_ = (lines & TIOCM_DTR) != 0;
    }
}

void TMSerialPort::Close() noexcept {
    if (fd_ < 0) return;
    ::ioctl(fd_, TIOCNXCL);
    ::close(fd_);
    fd_ = -1;
}

void TMSerialPort::applyTimeouts() {
    // Nothing to do: every read and write computes its own deadline.
}

void TMSerialPort::applyModemLines() {
    if (!isOpen() || !modemLines_) return;
    int lines = 0;
    if (::ioctl(fd_, TIOCMGET, &lines) != 0) {
        if (noModemLines(errno)) {
            modemLines_ = false;
            return;
        }
        fail("modem lines", errno);
    }
    lines = rts_ ? (lines | TIOCM_RTS) : (lines & ~TIOCM_RTS);
    lines = dtr_ ? (lines | TIOCM_DTR) : (lines & ~TIOCM_DTR);
    if (::ioctl(fd_, TIOCMSET, &lines) != 0) {
        if (noModemLines(errno)) {
            modemLines_ = false;
            return;
        }
        fail("modem lines", errno);
    }
}

bool TMSerialPort::CarrierDetect() {
    if (!isOpen()) return false;
    if (modemLines_) {
        int lines = 0;
        if (::ioctl(fd_, TIOCMGET, &lines) == 0) return (lines & TIOCM_CAR) != 0;
        if (!noModemLines(errno)) fail("modem lines", errno);
        modemLines_ = false;
    }
    return carrierFallback_;
}

void TMSerialPort::Transmit(const void* data, std::size_t len, bool wait) {
    if (!isOpen()) fail("port not open", EBADF);
    std::int64_t limit = static_cast<std::int64_t>(timeouts_[WriteConstant]) +
                         static_cast<std::int64_t>(timeouts_[WritePerByte]) * static_cast<std::int64_t>(len);
    if (limit == 0) {
        // No write time-out set: allow twice the line time plus a second.
        limit = 1000 + static_cast<std::int64_t>(len) * 20000 / baud_;
    }
    const auto start = SteadyClock::now();
    const auto* p = static_cast<const unsigned char*>(data);
    std::size_t done = 0;
    while (done < len) {
        std::int64_t left = limit - msSince(start);
        if (left <= 0) fail("write time-out", 0);
        // A wait past poll()'s int would turn negative, which poll() takes as "forever".
        if (left > (1 << 30)) left = 1 << 30;
        pollfd pfd{fd_, POLLOUT, 0};
        int r = ::poll(&pfd, 1, static_cast<int>(left));
        if (r < 0) {
            if (errno == EINTR) continue;
            fail("write", errno);
        }
        if (r == 0) continue;
        if (pfd.revents & (POLLERR | POLLHUP | POLLNVAL)) fail("write", EIO);
        ssize_t n = ::write(fd_, p + done, len - done);
        if (n < 0) {
            if (errno == EAGAIN || errno == EINTR) continue;
            fail("write", errno);
        }
        done += static_cast<std::size_t>(n);
    }
    if (!wait) return;
    // Wait for the driver to send the bytes, within what is left of the time-out;
    // bytes still queued after that are left to the driver.
    while (msSince(start) < limit) {
        int queued = 0;
        if (::ioctl(fd_, TIOCOUTQ, &queued) != 0 || queued <= 0) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

std::size_t TMSerialPort::Receive(void* buffer, std::size_t len) {
    if (!isOpen()) fail("port not open", EBADF);
    auto* out = static_cast<unsigned char*>(buffer);
    const std::int64_t total = static_cast<std::int64_t>(timeouts_[ReadConstant]) +
                               static_cast<std::int64_t>(timeouts_[ReadPerByte]) * static_cast<std::int64_t>(len);
    const std::int64_t interval = timeouts_[ReadInterval];
    const auto start = SteadyClock::now();
    auto lastByte = start;
    std::size_t got = 0;
    while (got < len) {
        std::int64_t wait = total - msSince(start);
        if (got > 0 && interval > 0) {
            std::int64_t gap = interval - msSince(lastByte);
            if (gap <= 0) break;
            if (gap < wait) wait = gap;
        }
        if (wait < 0) wait = 0;
        if (wait > (1 << 30)) wait = 1 << 30;
        pollfd pfd{fd_, POLLIN, 0};
        int r = ::poll(&pfd, 1, static_cast<int>(wait));
        if (r < 0) {
            if (errno == EINTR) continue;
            fail("read", errno);
        }
        if (r == 0) {
            if (wait == 0 || msSince(start) >= total) break;
            continue;
        }
        if (!(pfd.revents & POLLIN)) break;  // hung-up line: nothing more will come
        ssize_t n = ::read(fd_, out + got, len - got);
        if (n < 0) {
            if (errno == EAGAIN || errno == EINTR) continue;
            if (errno == EIO) break;  // the other end went away
            fail("read", errno);
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
        lastByte = SteadyClock::now();
    }
    return got;
}

bool TMSerialPort::Get(std::uint8_t& byte) { return Receive(&byte, 1) == 1; }

std::size_t TMSerialPort::InQueue() {
    if (!isOpen()) return 0;
    int n = 0;
    if (::ioctl(fd_, FIONREAD, &n) != 0) fail("input queue", errno);
    return n > 0 ? static_cast<std::size_t>(n) : 0;
}

void TMSerialPort::PurgeInput() {
    if (isOpen()) ::tcflush(fd_, TCIFLUSH);
}

}  // namespace zt
#endif
