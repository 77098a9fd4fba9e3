// TcpClient and TcpListener over BSD sockets: non-blocking sockets, poll() for
// every wait.
#ifndef _WIN32
#include "platform/tcp.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <optional>
#include <system_error>

#include "platform/exception.h"

namespace zt {
namespace {

using SteadyClock = std::chrono::steady_clock;

int fdOf(std::uintptr_t s) { return static_cast<int>(s); }

// Remaining milliseconds of a wait of timeoutMs that began at start.
int remaining(SteadyClock::time_point start, std::uint32_t timeoutMs) {
    auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start).count();
    auto left = static_cast<std::int64_t>(timeoutMs) - spent;
    if (left <= 0) return 0;
    return left > (1 << 30) ? (1 << 30) : static_cast<int>(left);
}

// Waits for events on fd; false on time-out. EINTR does not cut the wait short.
bool waitFor(int fd, short events, std::uint32_t timeoutMs, short& revents, int& error) {
    const auto start = SteadyClock::now();
    for (;;) {
        pollfd pfd{fd, events, 0};
        int r = ::poll(&pfd, 1, remaining(start, timeoutMs));
        if (r > 0) {
            revents = pfd.revents;
            error = 0;
            return true;
        }
        if (r == 0) return false;
        if (errno != EINTR) {
            error = errno;
            revents = POLLERR;
            return true;
        }
    }
}

[[noreturn]] void raise(const std::string& peer, const std::string& what, int osError) {
    std::string text = what;
    if (osError != 0) {
        if (!text.empty()) text += ": ";
        text += std::system_category().message(osError);
    }
    throw EMException(osError, peer, text);
}

}  // namespace

void TcpClient::fail(const std::string& what, int osError) const { raise(peer_, what, osError); }

void TcpClient::close() noexcept {
    if (socket_ == kNoSocket) return;
    ::close(fdOf(socket_));
    socket_ = kNoSocket;
}

void TcpClient::connect(const std::string& host, std::uint16_t port, std::uint32_t timeoutMs) {
    close();
    peer_ = host + ":" + std::to_string(port);
    peerClosed_ = false;

    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    int rc = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
    if (rc != 0) {
        if (rc == EAI_SYSTEM) fail("", errno);
        throw EMException(rc, peer_, ::gai_strerror(rc));
    }
    struct Release {
        addrinfo* list;
        ~Release() { ::freeaddrinfo(list); }
    } release{found};

    const auto start = SteadyClock::now();
    int lastError = ETIMEDOUT;
    for (addrinfo* a = found; a; a = a->ai_next) {
        int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) {
            lastError = errno;
            continue;
        }
        int err = 0;
        if (::connect(fd, a->ai_addr, a->ai_addrlen) != 0) {
            err = errno;
            if (err == EINPROGRESS) {
                short revents = 0;
                if (!waitFor(fd, POLLOUT, static_cast<std::uint32_t>(remaining(start, timeoutMs)), revents, err)) {
                    err = ETIMEDOUT;
                } else if (err == 0) {
                    socklen_t len = sizeof err;
                    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0) err = errno;
                }
            }
        }
        if (err == 0) {
            int one = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);  // frames are small
            socket_ = static_cast<std::uintptr_t>(fd);
            return;
        }
        ::close(fd);
        lastError = err;
        if (remaining(start, timeoutMs) == 0) break;
    }
    fail("", lastError);
}

void TcpClient::sendAll(const void* data, std::size_t len, std::uint32_t timeoutMs) {
    if (!isOpen()) fail("not connected", ENOTCONN);
    const auto* p = static_cast<const char*>(data);
    const auto start = SteadyClock::now();
    std::size_t done = 0;
    while (done < len) {
        ssize_t n = ::send(fdOf(socket_), p + done, len - done, MSG_NOSIGNAL);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) fail("", errno);
        short revents = 0;
        int err = 0;
        if (!waitFor(fdOf(socket_), POLLOUT, static_cast<std::uint32_t>(remaining(start, timeoutMs)), revents, err))
            fail("", ETIMEDOUT);
        if (err != 0) fail("", err);
    }
}

std::size_t TcpClient::receiveSome(void* buffer, std::size_t max, std::uint32_t timeoutMs) {
    if (!isOpen()) fail("not connected", ENOTCONN);
    if (max == 0 || peerClosed_) return 0;
    // The clock is read only once a wait begins: bytes already there cost one call.
    std::optional<SteadyClock::time_point> start;
    for (;;) {
        ssize_t n = ::recv(fdOf(socket_), buffer, max, 0);
        if (n > 0) return static_cast<std::size_t>(n);
        // An orderly close and an abortive one (reset) both mean the peer has gone.
        if (n == 0 || errno == ECONNRESET) {
            peerClosed_ = true;
            return 0;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) fail("", errno);
        if (timeoutMs == 0) return 0;
        if (!start) start = SteadyClock::now();
        short revents = 0;
        int err = 0;
        if (!waitFor(fdOf(socket_), POLLIN, static_cast<std::uint32_t>(remaining(*start, timeoutMs)), revents, err))
            return 0;
        if (err != 0) fail("", err);
    }
}

bool TcpClient::receiveByte(std::uint8_t& byte, std::uint32_t timeoutMs) {
    return receiveSome(&byte, 1, timeoutMs) == 1;
}

TcpListener::TcpListener(std::uint16_t port) {
    const std::string where = "127.0.0.1:" + std::to_string(port);
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) raise(where, "", errno);
    int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 8) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        int err = errno;
        ::close(fd);
        raise(where, "", err);
    }
    socket_ = static_cast<std::uintptr_t>(fd);
    port_ = ntohs(addr.sin_port);
}

TcpListener::~TcpListener() { close(); }

void TcpListener::close() noexcept {
    if (socket_ == kNoSocket) return;
    ::close(fdOf(socket_));
    socket_ = kNoSocket;
}

std::optional<TcpClient> TcpListener::accept(std::uint32_t timeoutMs) {
    const std::string where = "127.0.0.1:" + std::to_string(port_);
    if (!isOpen()) raise(where, "not listening", EBADF);
    const auto start = SteadyClock::now();
    for (;;) {
        sockaddr_in from{};
        socklen_t len = sizeof from;
        int fd = ::accept4(fdOf(socket_), reinterpret_cast<sockaddr*>(&from), &len, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0) {
            TcpClient c;
            c.socket_ = static_cast<std::uintptr_t>(fd);
            char text[INET_ADDRSTRLEN] = {};
            ::inet_ntop(AF_INET, &from.sin_addr, text, sizeof text);
            c.peer_ = std::string(text) + ":" + std::to_string(ntohs(from.sin_port));
            return c;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR && errno != ECONNABORTED) raise(where, "", errno);
        short revents = 0;
        int err = 0;
        if (!waitFor(fdOf(socket_), POLLIN, static_cast<std::uint32_t>(remaining(start, timeoutMs)), revents, err))
            return std::nullopt;
        if (err != 0) raise(where, "", err);
    }
}

}  // namespace zt
#endif
