// TcpClient and TcpListener over Winsock: non-blocking sockets, select() for
// every wait. Winsock is started once per process, on first use.
#ifdef _WIN32
#include "platform/tcp.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <chrono>

#include "platform/exception.h"

namespace zt {
namespace {

using SteadyClock = std::chrono::steady_clock;

std::string systemText(int err) {
    char buf[512] = {};
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             static_cast<DWORD>(err), 0, buf, sizeof buf, nullptr);
    std::string s(buf, n);
    while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' ' || s.back() == '.')) s.pop_back();
    if (s.empty()) s = "socket error " + std::to_string(err);
    return s;
}

[[noreturn]] void raise(const std::string& peer, const std::string& what, int osError) {
    std::string text = what;
    if (osError != 0) {
        if (!text.empty()) text += ": ";
        text += systemText(osError);
    }
    throw EMException(osError, peer, text);
}

// WSAStartup once per process; WSACleanup when the module unloads.
void ensureWinsock() {
    struct Winsock {
        int error = 0;
        Winsock() {
            WSADATA data;
            error = WSAStartup(MAKEWORD(2, 2), &data);
        }
        ~Winsock() {
            if (error == 0) WSACleanup();
        }
    };
    static Winsock winsock;
    if (winsock.error != 0) raise("Winsock", "", winsock.error);
}

SOCKET sockOf(std::uintptr_t s) { return static_cast<SOCKET>(s); }

std::uint32_t remaining(SteadyClock::time_point start, std::uint32_t timeoutMs) {
    auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start).count();
    auto left = static_cast<std::int64_t>(timeoutMs) - spent;
    return left <= 0 ? 0u : static_cast<std::uint32_t>(left);
}

// Waits until s is readable (or writable); false on time-out, error set on failure.
bool waitFor(SOCKET s, bool write, std::uint32_t timeoutMs, int& error) {
    fd_set set, except;
    FD_ZERO(&set);
    FD_ZERO(&except);
    FD_SET(s, &set);
    FD_SET(s, &except);
    timeval tv{static_cast<long>(timeoutMs / 1000), static_cast<long>((timeoutMs % 1000) * 1000)};
    int r = ::select(0, write ? nullptr : &set, write ? &set : nullptr, &except, &tv);
    error = 0;
    if (r == 0) return false;
    if (r == SOCKET_ERROR) {
        error = WSAGetLastError();
        return true;
    }
    if (FD_ISSET(s, &except)) {
        int len = sizeof error;
        if (::getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &len) != 0 || error == 0)
            error = WSAECONNREFUSED;
    }
    return true;
}

bool wouldBlock(int err) { return err == WSAEWOULDBLOCK || err == WSAEINPROGRESS || err == WSAEINTR; }

void setNonBlocking(SOCKET s) {
    u_long on = 1;
    ::ioctlsocket(s, FIONBIO, &on);
}

}  // namespace

void TcpClient::fail(const std::string& what, int osError) const { raise(peer_, what, osError); }

void TcpClient::close() noexcept {
    if (socket_ == kNoSocket) return;
    ::closesocket(sockOf(socket_));
    socket_ = kNoSocket;
}

void TcpClient::connect(const std::string& host, std::uint16_t port, std::uint32_t timeoutMs) {
    close();
    ensureWinsock();
    peer_ = host + ":" + std::to_string(port);
    peerClosed_ = false;

    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    int rc = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
    if (rc != 0) fail("", rc);
    struct Release {
        addrinfo* list;
        ~Release() { ::freeaddrinfo(list); }
    } release{found};

    const auto start = SteadyClock::now();
    int lastError = WSAETIMEDOUT;
    for (addrinfo* a = found; a; a = a->ai_next) {
        SOCKET s = ::socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (s == INVALID_SOCKET) {
            lastError = WSAGetLastError();
            continue;
        }
        setNonBlocking(s);
        int err = 0;
        if (::connect(s, a->ai_addr, static_cast<int>(a->ai_addrlen)) != 0) {
            err = WSAGetLastError();
            if (wouldBlock(err)) {
                if (!waitFor(s, true, remaining(start, timeoutMs), err)) err = WSAETIMEDOUT;
            }
        }
        if (err == 0) {
            BOOL one = TRUE;
            ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
            socket_ = static_cast<std::uintptr_t>(s);
            return;
        }
        ::closesocket(s);
        lastError = err;
        if (remaining(start, timeoutMs) == 0) break;
    }
    fail("", lastError);
}

void TcpClient::sendAll(const void* data, std::size_t len, std::uint32_t timeoutMs) {
    if (!isOpen()) fail("not connected", WSAENOTCONN);
    const auto* p = static_cast<const char*>(data);
    const auto start = SteadyClock::now();
    std::size_t done = 0;
    while (done < len) {
        int n = ::send(sockOf(socket_), p + done, static_cast<int>(len - done), 0);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        int err = WSAGetLastError();
        if (n == SOCKET_ERROR && !wouldBlock(err)) fail("", err);
        if (!waitFor(sockOf(socket_), true, remaining(start, timeoutMs), err)) fail("", WSAETIMEDOUT);
        if (err != 0) fail("", err);
    }
}

std::size_t TcpClient::receiveSome(void* buffer, std::size_t max, std::uint32_t timeoutMs) {
    if (!isOpen()) fail("not connected", WSAENOTCONN);
    if (max == 0 || peerClosed_) return 0;
    const auto start = SteadyClock::now();
    for (;;) {
        int n = ::recv(sockOf(socket_), static_cast<char*>(buffer), static_cast<int>(max), 0);
        if (n > 0) return static_cast<std::size_t>(n);
        int err = n == 0 ? 0 : WSAGetLastError();
        // An orderly close and an abortive one (reset) both mean the peer has gone.
        if (n == 0 || err == WSAECONNRESET) {
            peerClosed_ = true;
            return 0;
        }
        if (!wouldBlock(err)) fail("", err);
        if (timeoutMs == 0) return 0;  // only what is there: no wait to ask the socket for
        if (!waitFor(sockOf(socket_), false, remaining(start, timeoutMs), err)) return 0;
        if (err != 0) fail("", err);
    }
}

bool TcpClient::receiveByte(std::uint8_t& byte, std::uint32_t timeoutMs) {
    return receiveSome(&byte, 1, timeoutMs) == 1;
}

TcpListener::TcpListener(std::uint16_t port) {
    const std::string where = "127.0.0.1:" + std::to_string(port);
    ensureWinsock();
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) raise(where, "", WSAGetLastError());
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int len = sizeof addr;
    if (::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(s, 8) != 0 ||
        ::getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        int err = WSAGetLastError();
        ::closesocket(s);
        raise(where, "", err);
    }
    setNonBlocking(s);
    socket_ = static_cast<std::uintptr_t>(s);
    port_ = ntohs(addr.sin_port);
}

TcpListener::~TcpListener() { close(); }

void TcpListener::close() noexcept {
    if (socket_ == kNoSocket) return;
    ::closesocket(sockOf(socket_));
    socket_ = kNoSocket;
}

std::optional<TcpClient> TcpListener::accept(std::uint32_t timeoutMs) {
    const std::string where = "127.0.0.1:" + std::to_string(port_);
    if (!isOpen()) raise(where, "not listening", WSAENOTSOCK);
    const auto start = SteadyClock::now();
    for (;;) {
        sockaddr_in from{};
        int len = sizeof from;
        SOCKET s = ::accept(sockOf(socket_), reinterpret_cast<sockaddr*>(&from), &len);
        if (s != INVALID_SOCKET) {
            setNonBlocking(s);
            TcpClient c;
            c.socket_ = static_cast<std::uintptr_t>(s);
            c.peer_ = std::string(::inet_ntoa(from.sin_addr)) + ":" + std::to_string(ntohs(from.sin_port));
            return c;
        }
        int err = WSAGetLastError();
        if (!wouldBlock(err) && err != WSAECONNRESET) raise(where, "", err);
        if (!waitFor(sockOf(socket_), false, remaining(start, timeoutMs), err)) return std::nullopt;
        if (err != 0) raise(where, "", err);
    }
}

}  // namespace zt
#endif
