// PseudoTerminal over posix_openpt.
#ifndef _WIN32
#include "platform/pty.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <system_error>

#include "platform/exception.h"

namespace zt {
namespace {

using SteadyClock = std::chrono::steady_clock;

int remaining(SteadyClock::time_point start, std::uint32_t timeoutMs) {
    auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start).count();
    auto left = static_cast<std::int64_t>(timeoutMs) - spent;
    if (left <= 0) return 0;
    return left > (1 << 30) ? (1 << 30) : static_cast<int>(left);
}

[[noreturn]] void raise(const std::string& what, int err) {
    throw EMException(err, "pseudo-terminal", what + ": " + std::system_category().message(err));
}

}  // namespace

PseudoTerminal::PseudoTerminal() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) raise("posix_openpt", errno);
    char name[128] = {};
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0 || ::ptsname_r(master_, name, sizeof name) != 0) {
        int err = errno;
        close();
        raise("grantpt", err);
    }
    slavePath_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave_ < 0) {
        int err = errno;
        close();
        raise(slavePath_, err);
    }
    termios tio{};
    if (::tcgetattr(slave_, &tio) != 0) {
        int err = errno;
        close();
        raise(slavePath_, err);
    }
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::tcsetattr(slave_, TCSANOW, &tio) != 0) {
        int err = errno;
        close();
        raise(slavePath_, err);
    }
    // The master never blocks; every wait is poll()'s.
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
}

PseudoTerminal::~PseudoTerminal() { close(); }

void PseudoTerminal::close() noexcept {
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
    slave_ = master_ = -1;
}

void PseudoTerminal::write(const void* data, std::size_t len, std::uint32_t timeoutMs) {
    if (!isOpen()) raise("write", EBADF);
    const auto* p = static_cast<const char*>(data);
    const auto start = SteadyClock::now();
    std::size_t done = 0;
    while (done < len) {
        ssize_t n = ::write(master_, p + done, len - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) raise("write", errno);
        int wait = remaining(start, timeoutMs);
        if (wait == 0) raise("write", ETIMEDOUT);
        pollfd pfd{master_, POLLOUT, 0};
        ::poll(&pfd, 1, wait);
    }
}

std::size_t PseudoTerminal::read(void* buffer, std::size_t max, std::uint32_t timeoutMs) {
    if (!isOpen() || max == 0) return 0;
    const auto start = SteadyClock::now();
    for (;;) {
        ssize_t n = ::read(master_, buffer, max);
        if (n > 0) return static_cast<std::size_t>(n);
        // EIO: no slave open right now (cannot happen while we hold one, but
        // harmless): treat like silence.
        if (n < 0 && errno != EAGAIN && errno != EINTR && errno != EIO) raise("read", errno);
        int wait = remaining(start, timeoutMs);
        if (wait == 0) return 0;
        pollfd pfd{master_, POLLIN, 0};
        int r = ::poll(&pfd, 1, wait);
        if (r == 0) return 0;
        if (r > 0 && !(pfd.revents & POLLIN)) return 0;  // hung up
    }
}

std::string PseudoTerminal::readExactly(std::size_t n, std::uint32_t timeoutMs) {
    std::string out;
    const auto start = SteadyClock::now();
    char buf[256];
    while (out.size() < n) {
        std::size_t want = n - out.size() < sizeof buf ? n - out.size() : sizeof buf;
        std::size_t got = read(buf, want, static_cast<std::uint32_t>(remaining(start, timeoutMs)));
        if (got == 0) break;
        out.append(buf, got);
    }
    return out;
}

}  // namespace zt
#endif
