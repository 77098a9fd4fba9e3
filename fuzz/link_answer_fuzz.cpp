// Fuzz target for the register's answers as the driver reads them: TComboLink
// on an in-memory line sends a run of requests (the register's status and
// identification, a database status, a goods reading context, a cashier
// report, a report that runs as a complex sequence, a receipt record) and
// every answer comes from the input, read in chunks as from a real line. Each
// accepted answer is read field by field as the command's layout says.
//
// Input: one mode byte, then the answers, one per request sent, separated by
// "@NEXT@". Mode bit 0: each answer is the command code (2 bytes), field
// count (2 bytes) and field bytes of a frame the target completes with the
// request's sequence number and a correct CRC (an answer with code 1, a
// report running, takes the next part along as its final answer); otherwise
// the answer is wire bytes as they are (requests are numbered from 1). Bit 1: a TCP/IP line. Bit 2: each answer arrives in two
// parts, the second later.
//
// Run with libFuzzer by fuzz/run.sh; the fuzz.link_answer_fuzz test replays
// the committed corpus and regression inputs without it.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "drivers/import/combo_imp_lines.h"
#include "fuzz/fuzz_support.h"
#include "link/combo_link.h"
#include "link/transport/link_factory.h"
#include "link/transport/transport_fake.h"
#include "platform/clock.h"
#include "platform/exception.h"
#include "proto/commands.h"
#include "proto/framing.h"

namespace {

using zt::TComboFraming;

struct Script {
    bool logical = false;
    bool split = false;
    std::vector<std::string_view> answers;
    std::size_t next = 0;
};

// The logical frame answering the request with this sequence number.
std::string completeFrame(std::string_view part, std::uint32_t sequence) {
    std::string head(part.substr(0, 4));
    head.resize(4, '\0');
    std::string_view fields = part.size() > 4 ? part.substr(4) : std::string_view();
    constexpr std::size_t kRoom = zt::kFrameMaxSize - zt::kFrameMinSize;
    if (fields.size() > kRoom) fields = fields.substr(0, kRoom);
    const std::size_t size = zt::kFrameMinSize + fields.size();
    std::string f;
    f += static_cast<char>(zt::kStx);
    f += '\0';  // flags
    f += '\0';
    for (int i = 0; i < 4; ++i) f += static_cast<char>((sequence >> (8 * i)) & 0xFF);
    f += static_cast<char>(size & 0xFF);
    f += static_cast<char>(size >> 8);
    f += head.substr(2, 2);  // field count
    f += head.substr(0, 2);  // command code
    f += fields;
    f += std::string(2, '\0');  // CRC, written below
    f += static_cast<char>(zt::kEtx);
    TComboFraming::FrameCrc(f);
    return f;
}

class ScriptedLines : public zt::LinkFactory {
public:
    explicit ScriptedLines(Script& s) : script_(s) {}
    std::unique_ptr<zt::Transport> Serial(const zt::SerialSettings&) override { return make(zt::Transport::Kind::Serial); }
    std::unique_ptr<zt::Transport> Tcp(const zt::TcpSettings&) override { return make(zt::Transport::Kind::Tcp); }

private:
    std::unique_ptr<zt::Transport> make(zt::Transport::Kind kind) {
        auto t = std::make_unique<zt::FakeTransport>(kind, "fuzz");
        Script& s = script_;
        t->setResponder([&s](zt::FakeTransport& line, const std::string& sent) {
            if (s.next >= s.answers.size()) return;
            const std::string_view part = s.answers[s.next++];
            std::string bytes;
            if (s.logical) {
                const std::string request = zt::unstuff(sent);
                const std::uint32_t sequence = request.size() >= zt::kFrameMinSize ? zt::frameSequence(request) : 0;
                bytes = zt::stuff(completeFrame(part, sequence));
                // A report's final answer follows its first without a request.
                const bool complex = part.size() >= 2 && part[0] == zt::kAnswerComplex && part[1] == 0;
                if (complex && s.next < s.answers.size())
                    bytes += zt::stuff(completeFrame(s.answers[s.next++], sequence));
            } else {
                bytes.assign(part);
            }
            if (s.split && bytes.size() > 1) {
                line.feed(bytes.substr(0, bytes.size() / 2));
                line.feed(bytes.substr(bytes.size() / 2), 20);
            } else {
                line.feed(bytes);
            }
        });
        return t;
    }
    Script& script_;
};

// Every field read as the command's answer layout names it.
void readAnswer(const zt::TComboDataSet& a, std::string_view layout, std::string_view repeated) {
    for (std::size_t i = 0; i < a.Count(); ++i) {
        char type = '.';
        if (i < layout.size())
            type = layout[i];
        else if (!repeated.empty())
            type = repeated[(i - layout.size()) % repeated.size()];
        try {
            switch (type) {
                case 'S': (void)a[i].AsS(); break;
                case 'B': (void)a[i].AsB(); break;
                case 'V': (void)a[i].AsV(); break;
                case 'L': (void)a[i].AsL(); break;
                case 'N': (void)a[i].AsN(); (void)a[i].AsN64(); break;
                default: break;
            }
        } catch (const zt::Exception&) {}
    }
}

void readAnswer(const zt::TComboDataSet& a, int code) {
    const zt::CommandInfo* c = zt::FindCommand(code);
    if (c) readAnswer(a, c->answer, c->repeated);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static zt::VirtualClock virtualClock;
    zt::setClock(&virtualClock);
    if (size == 0) return 0;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    Script script;
    script.logical = data[0] & 1;
    script.split = data[0] & 4;
    script.answers = zt::fuzz::splitAt(input.substr(1), "@NEXT@");

    zt::fuzz::QuietHost host;
    zt::LinkConfig config;
    config.transport = (data[0] & 2) ? zt::LinkConfig::Tcp : zt::LinkConfig::Serial;
    config.port = "fuzz";
    config.complexTimeout = 3;
    zt::TComboLink link(host, config, std::make_shared<ScriptedLines>(script));
    link.sequenceNumber = 0;  // the same requests on every run
    using TF = zt::TComboFraming;
    auto step = [&](auto&& body) {
        try {
            body();
        } catch (const zt::Exception&) {}
    };
    step([&] { link.OpenLink(); });
    step([&] {
        link.SendCommand(zt::cmdDBSTATUSGET);
        readAnswer(link.answer, zt::cmdDBSTATUSGET);
    });
    step([&] {
        link.ReadContext(zt::cmdCNTXPLUINIT, {TF::EncodeB(0), TF::EncodeB(0)}, zt::cmdPLUREAD,
                         {TF::EncodeV(0), TF::EncodeB(0)}, [&] {
                             const bool set = link.answer.Count() > 4 && link.answer[4].Type() == 'B' &&
                                              link.answer[4].AsB() != 0;
                             if (set)
                                 readAnswer(link.answer, zt::kPluReadSetAnswer, "S");
                             else
                                 readAnswer(link.answer, zt::cmdPLUREAD);
                         });
    });
    step([&] {
        link.SendCommand(zt::cmdUSERSTATREAD, {TF::EncodeV(1), TF::EncodeB(0)});
        readAnswer(link.answer, zt::cmdUSERSTATREAD);
    });
    step([&] {
        link.SendCommand(zt::cmdREPFSKDAILY,
                         {TF::EncodeB(1), TF::EncodeB(1), TF::EncodeV(2026), TF::EncodeB(1), TF::EncodeB(1)});
    });
    step([&] {
        link.SendCommand(zt::cmdSALERECGET, {TF::EncodeB(0)});
        readAnswer(link.answer, zt::cmdSALERECGET);
        (void)zt::ReceiptRecordLine(link.answer, link.deviceFamily);
    });
    step([&] { link.CloseLink(); });
    return 0;
}
