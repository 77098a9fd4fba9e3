#pragma once
// A transport for tests: records everything the plug-in does to the line and
// plays scripted answers. When the installed clock (zt::clock()) is a
// VirtualClock, a receive that finds nothing sleeps its time-out there, so the
// waits cost nothing and time-based loops still progress; on any other clock
// it returns at once instead of really waiting.
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "link/transport/transport.h"

namespace zt {

class FakeTransport : public Transport {
public:
    struct Event {
        std::uint32_t tick;  // zt::tickCount() when it happened
        std::string what;    // "open", "close", "purge", "RTS 1", "DTR 0", "send 02 FE 03"
    };
    // Called after every send with the bytes of that send; may feed() answers.
    using Responder = std::function<void(FakeTransport&, const std::string& sent)>;

    explicit FakeTransport(Kind kind = Kind::Serial, std::string name = "fake");

    // ---- script ----
    // Bytes the plug-in can read once delayMs have passed from now.
    void feed(const std::string& bytes, std::uint32_t delayMs = 0);
    // An answer delivered after the next send that has no queued answer yet,
    // delayMs after that send; one per send, in order.
    void queueReply(const std::string& bytes, std::uint32_t delayMs = 0);
    void setResponder(Responder r) { responder_ = std::move(r); }
    // The next open() raises EMException with this text.
    void failNextOpen(std::string message) { openFailure_ = std::move(message); }
    // The next send() raises EMException with this text.
    void failNextSend(std::string message) { sendFailure_ = std::move(message); }
    void setCarrier(bool on) { carrier_ = on; }
    // What kOwnTimeout stands for (default 5050 ms, the serial read time-out).
    void setOwnTimeout(std::uint32_t ms) { ownTimeout_ = ms; }

    // ---- record ----
    const std::vector<Event>& events() const { return events_; }
    std::vector<std::string> eventTexts() const;
    const std::string& sent() const { return sent_; }                 // every byte sent, in order
    const std::vector<std::string>& sends() const { return sends_; }  // one entry per send()
    bool rts() const { return rts_; }
    bool dtr() const { return dtr_; }
    int opens() const { return opens_; }
    int receiveTimeouts() const { return receiveTimeouts_; }  // receives that found nothing
    int unwaitedSends() const { return unwaitedSends_; }      // sends that did not wait for the line
    std::size_t unread() const;                               // scripted bytes not yet read
    void clearRecord();

    // ---- Transport ----
    Kind kind() const override { return kind_; }
    void open() override;
    void close() noexcept override;
    bool isOpen() const override { return open_; }
    void send(const std::uint8_t* data, std::size_t len) override;
    using Transport::send;
    void sendWithoutWaiting(const std::uint8_t* data, std::size_t len) override;
    using Transport::sendWithoutWaiting;
    bool receiveByte(std::uint8_t& out, std::uint32_t timeoutMs) override;
    // The first byte as receiveByte, then every byte whose time has come.
    std::size_t receiveSome(std::uint8_t* out, std::size_t max, std::uint32_t timeoutMs) override;
    std::size_t available() override;
    void purgeInput() override;
    void setRTS(bool on) override;
    void setDTR(bool on) override;
    bool carrierDetect() override { return open_ && carrier_; }
    std::string describe() const override { return name_; }

private:
    struct Chunk {
        std::uint32_t at;  // tick from which it can be read
        std::string bytes;
    };
    struct Reply {
        std::string bytes;
        std::uint32_t delayMs;
    };
    void record(std::string what);
    void requireOpen(const char* what) const;

    Kind kind_;
    std::string name_;
    bool open_ = false;
    bool rts_ = true;
    bool dtr_ = true;
    bool carrier_ = false;
    int opens_ = 0;
    int receiveTimeouts_ = 0;
    int unwaitedSends_ = 0;
    std::uint32_t ownTimeout_ = 5050;
    std::deque<Chunk> input_;
    std::deque<Reply> replies_;
    Responder responder_;
    std::optional<std::string> openFailure_;
    std::optional<std::string> sendFailure_;
    std::vector<Event> events_;
    std::string sent_;
    std::vector<std::string> sends_;
};

}  // namespace zt
