// Link speed: the plug-in's own CPU per command (frame building, the receive
// loop, answer parsing) over a line held in memory that hands back the
// simulator's recorded answers, so no kernel time is in it; then over loopback
// TCP against a running register simulator, CPU per command and commands per
// second, beside a bare blocking client that sends the same requests back to
// back and reads each answer to its end, which is as little as a client can do
// for the same exchange.
//
//   link_bench PORT [COMMANDS]     (default 20 000 commands)
//
// The commands are what an export sends most: PLUINS of a good and a PLUREAD
// of it, alternating over 1 000 goods, in five rounds of each kind taken in
// turn. Prints the best round of each:
//   alone: N commands, X us cpu/command
//   link: N commands, X us cpu/command, Y commands/s
//   bare: N commands, X us cpu/command, Y commands/s
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "link/combo_link.h"
#include "link/host_services.h"
#include "link/transport/link_factory.h"
#include "proto/commands.h"
#include "proto/framing.h"
#include "tests/support/quiet_host.h"

using namespace zt;

namespace {

using ztest::QuietHost;

struct Command {
    std::uint16_t code;
    std::vector<std::string> fields;
};

std::vector<Command> commands() {
    using F = TComboFraming;
    std::vector<Command> out;
    for (std::uint16_t plu = 1; plu <= 1000; ++plu) {
        out.push_back({cmdPLUINS,
                       {F::EncodeV(plu), F::EncodeS("Towar testowy " + std::to_string(plu)), F::EncodeS(""),
                        F::EncodeN(100 + plu), F::EncodeN(0), F::EncodeB(0), F::EncodeB(1), F::EncodeB(0),
                        F::EncodeB(1), F::EncodeB(0), F::EncodeB(0), F::EncodeB(1), F::EncodeB(0), F::EncodeB(0),
                        F::EncodeB(0), F::EncodeB(0)}});
        out.push_back({cmdPLUREAD, {F::EncodeV(plu), F::EncodeB(0)}});
    }
    return out;
}

struct Result {
    double cpuUs, wallS;
};

void report(const char* who, int n, Result r) {
    std::printf("%s: %d commands, %.2f us cpu/command, %.0f commands/s\n", who, n, r.cpuUs / n, n / r.wallS);
}

// A blocking socket: one send and one receive a command when the answer comes whole.
int connectBlocking(std::uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        std::perror("connect");
        std::exit(1);
    }
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return fd;
}

// A line in memory: each send makes the next recorded answer readable. The
// first send (the link's opening status request, not timed) gets its answer
// renumbered to the request's sequence; the timed commands then run on the
// recording's own sequence numbers, so their answers go back as recorded.
class ReplayLine : public Transport {
public:
    ReplayLine(std::string opening, const std::vector<std::string>& answers)
        : opening_(std::move(opening)), answers_(answers) {}
    Kind kind() const override { return Kind::Tcp; }
    void open() override { open_ = true; }
    void close() noexcept override { open_ = false; }
    bool isOpen() const override { return open_; }
    void send(const std::uint8_t* data, std::size_t len) override {
        if (!opened_) {
            opened_ = true;
            std::string frame = opening_;
            const std::string request = unstuff(std::string(reinterpret_cast<const char*>(data), len));
            const std::uint32_t sequence = frameSequence(request);
            for (int i = 0; i < 4; ++i) frame[3 + static_cast<std::size_t>(i)] = static_cast<char>((sequence >> (8 * i)) & 0xFF);
            TComboFraming::FrameCrc(frame);
            opening_ = stuff(frame);
            pending_ = &opening_;
        } else {
            pending_ = &answers_[next_++ % answers_.size()];
        }
        at_ = 0;
    }
    using Transport::send;
    bool receiveByte(std::uint8_t& out, std::uint32_t) override { return receiveSome(&out, 1, 0) == 1; }
    std::size_t receiveSome(std::uint8_t* out, std::size_t max, std::uint32_t) override {
        if (!pending_) return 0;
        const std::size_t n = std::min(max, pending_->size() - at_);
        std::memcpy(out, pending_->data() + at_, n);
        at_ += n;
        return n;
    }
    std::size_t available() override { return pending_ ? pending_->size() - at_ : 0; }
    void purgeInput() override { pending_ = nullptr; }
    void setRTS(bool) override {}
    void setDTR(bool) override {}
    bool carrierDetect() override { return false; }
    std::string describe() const override { return "memory"; }

private:
    std::string opening_;
    const std::vector<std::string>& answers_;
    std::size_t next_ = 0;
    const std::string* pending_ = nullptr;
    std::size_t at_ = 0;
    bool open_ = false, opened_ = false;
};

class ReplayLines : public LinkFactory {
public:
    ReplayLines(std::string opening, const std::vector<std::string>& answers)
        : opening_(std::move(opening)), answers_(answers) {}
    std::unique_ptr<Transport> Tcp(const TcpSettings&) override {
        return std::make_unique<ReplayLine>(opening_, answers_);
    }

private:
    std::string opening_;
    const std::vector<std::string>& answers_;
};

double threadCpuUs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e6 + static_cast<double>(ts.tv_nsec) / 1e3;
}

template <class Body>
Result timed(Body body) {
    const auto w0 = std::chrono::steady_clock::now();
    const double c0 = threadCpuUs();
    body();
    const double c1 = threadCpuUs();
    return {c1 - c0, std::chrono::duration<double>(std::chrono::steady_clock::now() - w0).count()};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: link_bench PORT [COMMANDS]\n");
        return 2;
    }
    const auto port = static_cast<std::uint16_t>(std::atoi(argv[1]));
    const int n = argc > 2 ? std::atoi(argv[2]) : 20000;
    const std::vector<Command> cmds = commands();

    // Rounds of each in turn, the best of them kept: the machine's other
    // work weighs on a round, not on the code.
    constexpr int kRounds = 5;
    const int per = std::max(1, n / kRounds);
    LinkConfig config;
    config.transport = LinkConfig::Tcp;
    config.ipAddress = "127.0.0.1";
    config.ipPort = argv[1];

    // One round of the commands through a link; after each, then().
    auto sendAll = [&](TComboLink& link, const auto& then) {
        for (int i = 0; i < per; ++i) {
            const Command& c = cmds[static_cast<std::size_t>(i) % cmds.size()];
            link.SendCommand(c.code, c.fields);
            then();
        }
    };

    // The simulator's answers to one round, recorded for the line in memory.
    std::string opening;
    std::vector<std::string> answers;
    std::uint32_t firstSequence = 0;
    {
        QuietHost host("/tmp/");
        TComboLink link(host, config);
        link.OpenLink();
        opening = link.frameIn;
        firstSequence = link.sequenceNumber;
        sendAll(link, [&] { answers.push_back(stuff(link.frameIn)); });
        link.CloseLink();
    }
    double bestAlone = 1e300;
    for (int round = 0; round < kRounds; ++round) {
        QuietHost host("/tmp/");
        TComboLink link(host, config, std::make_shared<ReplayLines>(opening, answers));
        link.OpenLink();
        link.sequenceNumber = firstSequence;
        bestAlone = std::min(bestAlone, timed([&] { sendAll(link, [] {}); }).cpuUs);
        link.CloseLink();
    }
    std::printf("alone: %d commands, %.2f us cpu/command\n", per, bestAlone / per);

    Result bestLink{1e300, 1e300}, bestBare{1e300, 1e300};
    std::uint32_t sequence = 0;
    for (int round = 0; round < kRounds; ++round) {
        QuietHost host("/tmp/");
        TComboLink link(host, config);
        link.OpenLink();
        const Result viaLink = timed([&] { sendAll(link, [] {}); });
        sequence = (link.sequenceNumber + kSequenceLimit / 2) % kSequenceLimit;
        link.CloseLink();

        // The same requests, built beforehand.
        TComboFraming framing(sequence);
        std::vector<std::string> wire;
        for (int i = 0; i < per; ++i) {
            const Command& c = cmds[static_cast<std::size_t>(i) % cmds.size()];
            framing.StartFrame(c.code);
            framing.FinishFrame(c.fields);
            wire.push_back(framing.frameOut);
        }
        const int fd = connectBlocking(port);
        const Result bare = timed([&] {
            char buf[1024];
            FrameReceiver rx;
            for (const std::string& w : wire) {
                if (::send(fd, w.data(), w.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(w.size())) std::exit(1);
                for (bool done = false; !done;) {
                    const ssize_t got = ::recv(fd, buf, sizeof buf, 0);
                    if (got <= 0) std::exit(1);
                    for (ssize_t i = 0; i < got; ++i)
                        if (rx.feed(static_cast<std::uint8_t>(buf[i])) == FrameReceiver::Event::Frame) done = true;
                }
            }
        });
        ::close(fd);
        bestLink = {std::min(bestLink.cpuUs, viaLink.cpuUs), std::min(bestLink.wallS, viaLink.wallS)};
        bestBare = {std::min(bestBare.cpuUs, bare.cpuUs), std::min(bestBare.wallS, bare.wallS)};
    }
    report("link", per, bestLink);
    report("bare", per, bestBare);
    return 0;
}
