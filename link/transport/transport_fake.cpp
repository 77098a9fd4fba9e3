#include "link/transport/transport_fake.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/clock.h"
#include "platform/exception.h"

namespace zt {
namespace {

// Lets time pass only on a virtual clock: a fake line must never hold up a
// test that runs on real time.
void pass(std::uint32_t ms) {
    if (dynamic_cast<VirtualClock*>(&clock())) sleepMs(ms);
}

// Signed distance from now to tick, robust to the wrap of the tick counter.
std::int32_t until(std::uint32_t tick) { return static_cast<std::int32_t>(tick - tickCount()); }

}  // namespace

FakeTransport::FakeTransport(Kind kind, std::string name) : kind_(kind), name_(std::move(name)) {}

void FakeTransport::record(std::string what) { events_.push_back(Event{tickCount(), std::move(what)}); }

void FakeTransport::requireOpen(const char* what) const {
    if (!open_) throw EMException(0, name_, std::string(what) + ": not open");
}

std::vector<std::string> FakeTransport::eventTexts() const {
    std::vector<std::string> out;
    out.reserve(events_.size());
    for (const auto& e : events_) out.push_back(e.what);
    return out;
}

void FakeTransport::feed(const std::string& bytes, std::uint32_t delayMs) {
    if (!bytes.empty()) input_.push_back(Chunk{tickCount() + delayMs, bytes});
}

void FakeTransport::queueReply(const std::string& bytes, std::uint32_t delayMs) {
    replies_.push_back(Reply{bytes, delayMs});
}

std::size_t FakeTransport::unread() const {
    std::size_t n = 0;
    for (const auto& c : input_) n += c.bytes.size();
    return n;
}

void FakeTransport::clearRecord() {
    events_.clear();
    sent_.clear();
    sends_.clear();
    opens_ = 0;
    receiveTimeouts_ = 0;
    unwaitedSends_ = 0;
}

void FakeTransport::open() {
    if (open_) return;
    if (openFailure_) {
        std::string text = std::move(*openFailure_);
        openFailure_.reset();
        record("open failed");
        throw EMException(0, name_, text);
    }
    open_ = true;
    ++opens_;
    record("open");
}

void FakeTransport::close() noexcept {
    if (!open_) return;
    open_ = false;
    try {
        record("close");
    } catch (...) {
        // Recording is best effort here: close never raises.
    }
}

void FakeTransport::sendWithoutWaiting(const std::uint8_t* data, std::size_t len) {
    send(data, len);
    ++unwaitedSends_;
}

void FakeTransport::send(const std::uint8_t* data, std::size_t len) {
    requireOpen("send");
    if (sendFailure_) {
        std::string text = std::move(*sendFailure_);
        sendFailure_.reset();
        throw EMException(0, name_, text);
    }
    std::string bytes(reinterpret_cast<const char*>(data), len);
    std::string what = "send";
    char hex[4];
    for (unsigned char c : bytes) {
        std::snprintf(hex, sizeof hex, " %02X", c);
        what += hex;
    }
    record(std::move(what));
    sent_ += bytes;
    sends_.push_back(bytes);
    if (!replies_.empty()) {
        Reply r = std::move(replies_.front());
        replies_.pop_front();
        feed(r.bytes, r.delayMs);
    }
    if (responder_) responder_(*this, bytes);
}

bool FakeTransport::receiveByte(std::uint8_t& out, std::uint32_t timeoutMs) {
    requireOpen("receive");
    const std::uint32_t wait = timeoutMs == kOwnTimeout ? ownTimeout_ : timeoutMs;
    if (!input_.empty()) {
        std::int32_t late = until(input_.front().at);
        if (late <= 0 || static_cast<std::uint32_t>(late) <= wait) {
            if (late > 0) pass(static_cast<std::uint32_t>(late));
            Chunk& c = input_.front();
            out = static_cast<std::uint8_t>(c.bytes.front());
            c.bytes.erase(0, 1);
            if (c.bytes.empty()) input_.pop_front();
            return true;
        }
    }
    pass(wait);
    ++receiveTimeouts_;
    return false;
}

std::size_t FakeTransport::receiveSome(std::uint8_t* out, std::size_t max, std::uint32_t timeoutMs) {
    if (max == 0 || !receiveByte(out[0], timeoutMs)) return 0;
    std::size_t n = 1;
    while (n < max && !input_.empty() && until(input_.front().at) <= 0) {
        Chunk& c = input_.front();
        const std::size_t k = std::min(max - n, c.bytes.size());
        std::memcpy(out + n, c.bytes.data(), k);
        c.bytes.erase(0, k);
        n += k;
        if (c.bytes.empty()) input_.pop_front();
    }
    return n;
}

std::size_t FakeTransport::available() {
    if (!open_) return 0;
    std::size_t n = 0;
    for (const auto& c : input_) {
        if (until(c.at) > 0) break;
        n += c.bytes.size();
    }
    return n;
}

void FakeTransport::purgeInput() {
    if (!open_) return;
    while (!input_.empty() && until(input_.front().at) <= 0) input_.pop_front();
    record("purge");
}

void FakeTransport::setRTS(bool on) {
    rts_ = on;
    record(on ? "RTS 1" : "RTS 0");
}

void FakeTransport::setDTR(bool on) {
    dtr_ = on;
    record(on ? "DTR 1" : "DTR 0");
}

}  // namespace zt
