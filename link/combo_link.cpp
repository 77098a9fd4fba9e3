#include "link/combo_link.h"

#include <algorithm>
#include <array>
#include <exception>

#include "link/card_server.h"
#include "link/comm_log.h"
#include "link/identification.h"
#include "link/modem.h"
#include "link/poll_wait.h"
#include "link/transport/link_factory.h"
#include "link/transport/transport_multiplexer.h"
#include "link/transport_modem.h"
#include "platform/clock.h"
#include "platform/cp1250.h"
#include "platform/exception.h"
#include "platform/text.h"
#include "proto/commands.h"
#include "proto/errlist.h"

namespace zt {

struct TComboLink::Line {
    explicit Line(HostServices& h) : skp(h) {}

    TCardServerLock skp;
    TCommLog log;
    std::unique_ptr<Transport> transport;  // serial (direct, multiplexer, modem) or TCP/IP
    bool tcp = false;                      // what the open line is
    std::uint32_t byteWaitMs = 0;          // how long one byte is waited for on it
    // Bytes the line gave and the exchange has not taken yet: one read per
    // chunk instead of one per byte. They count as the line's waiting input.
    std::array<std::uint8_t, 1024> inbox{};
    std::size_t inboxAt = 0, inboxEnd = 0;

    bool inboxHas() const { return inboxAt < inboxEnd; }
    void dropInbox() { inboxAt = inboxEnd = 0; }

    Transport* active() const { return transport.get(); }
    bool open() const {
        const Transport* t = active();
        return t && t->isOpen();
    }
};

namespace {

// Time-outs of the serial line (ms): read interval, read per byte, read
// constant, write per byte, write constant.
constexpr std::uint32_t kSerialTimeouts[5] = {50, 50, 5000, 50, 5000};
constexpr std::uint32_t kTcpByteWaitMs = 30000;
constexpr std::uint32_t kAbortQuestionMs = 1000;

std::string communicationError(const HostServices& h) {
    return h.Tr("TZTComboGetRespoExceptio_00001", pl("Błąd komunikacji z kasą"));
}

// A wait for a report beyond this is taken as this: the bound stays a number of milliseconds.
constexpr int kMaxComplexSeconds = 2000000;

}  // namespace

// ---- construction ----

TComboLink::TComboLink(HostServices& host, LinkConfig config, std::shared_ptr<LinkFactory> factory)
    : TComboLink(host, std::function<LinkConfig()>([config] { return config; }), std::move(factory)) {}

TComboLink::TComboLink(HostServices& host, std::function<LinkConfig()> config, std::shared_ptr<LinkFactory> factory)
    : host_(host),
      config_(std::move(config)),
      factory_(factory ? std::move(factory) : std::make_shared<LinkFactory>()),
      line_(std::make_unique<Line>(host)) {
    receiptBufferMode = Config().impMode;
}

TComboLink::~TComboLink() {
    try {
        if (IsOpen() || line_->transport || line_->skp.locked()) CloseLink();
    } catch (...) {
        // Destruction must not raise; the line is released below in any case.
    }
    line_->transport.reset();
}

LinkConfig TComboLink::Config() const { return config_ ? config_() : LinkConfig{}; }

bool TComboLink::IsOpen() const { return line_->open(); }

// ---- opening and closing ----

int TComboLink::BaudRateCode(int comboSpeed) {
    static const int kRates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
    return comboSpeed >= 0 && comboSpeed < 8 ? kRates[comboSpeed] : 9600;
}

int TComboLink::BaudRateCode() { return BaudRateCode(Config().speed); }

void TComboLink::OpenLink() {
    const LinkConfig c = Config();
    if (c.transport == LinkConfig::Serial) {
        line_->skp.LockSKP(c.cardServer);
        OpenSerial();
    } else if (c.transport == LinkConfig::Tcp) {
        line_->skp.LockSKP(c.cardServer);
        OpenTcp();
    } else {
        throw Exception(pl("Ustaw port komunikacyjny"));
    }

    try {
        SendCommand(cmdCASHREGSTATUSGET);
        host_.PostepTryb(0);
        const RegisterType type = IdentifyRegister(answer[0].AsB(), host_);
        if (type.known || type.family == 0) deviceFamily = type.family;
        deviceName = type.name;
        host_.Postep(host_.Tr("ComboOpenPortmsgAnsiStri", pl("Nawiązano połączenie z kasą ")) + deviceName, 5, 100);
        if (FamilyWithoutReceiptBuffer(deviceFamily) && receiptBufferMode) {
            receiptBufferMode = false;
            host_.Postep(host_.Tr("TZTComboOpenPortMsgAdd", pl("Kasa nie posiada bufora paragonów!")), 2, 100);
        }
        const int mode = answer[3].AsB();
        workMode = mode == 0 ? 0 : mode == 2 ? 2 : 1;
        if (!type.known) throw Exception(deviceName);
    } catch (const std::exception&) {
        // Not knowing the register is no reason to stop: later commands
        // report their own errors.
        host_.Komunikat(kWarning, host_.Tr("OpenPortDodajKomQORDLL_Z",
                                           pl("Błąd podczas odczytu typu kasy. Przyjęto domyślnie Combo")));
    }
}

void TComboLink::CloseLinkAfterFailure() noexcept {
    try {
        host_.PostepTryb(1);
    } catch (...) {}
    try {
        CloseLink();
    } catch (...) {}
}

void TComboLink::CloseLink() {
    const int transport = Config().transport;
    const bool anything = line_->transport || line_->skp.locked();
    if (transport != LinkConfig::Serial && transport != LinkConfig::Tcp && !anything) return;
    std::exception_ptr failure;
    try {
        closeLine();
    } catch (...) {
        failure = std::current_exception();
    }
    try {
        line_->skp.UnlockSKP(Config().cardServer);
    } catch (...) {
        if (!failure) failure = std::current_exception();
    }
    if (failure) std::rethrow_exception(failure);
}

void TComboLink::OpenSerial() {
    if (IsOpen()) return;
    const LinkConfig c = Config();
    try {
        line_->tcp = false;
        line_->byteWaitMs = kSerialTimeouts[1] + kSerialTimeouts[2];
        if (!c.modemPhone.empty()) {
            line_->transport = std::make_unique<ModemTransport>(host_, factory_, c.port, BaudRateCode(c.speed),
                                                                c.modemPhone, c.modemTimeout);
        } else {
            // A host translation that changed the conversion would have the
            // port name read as something else: the default template then.
            const std::string def = pl("Otwieranie portu komunikacyjnego %s ...");
            const std::string text =
                format(formatTemplate(host_.Tr("SComboOpenRS23msgsprintf", def), def).c_str(), c.port.c_str());
            host_.Postep(text, 5, 100);
            CommLog(text, "");

            SerialSettings s;
            s.portName = c.port;
            s.baudRate = BaudRateCode(c.speed);
            s.parity = 0;
            s.stopBits = 0;
            s.byteSize = 3;
            for (int i = 0; i < 5; ++i) s.timeouts[i] = kSerialTimeouts[i];
            line_->transport = factory_->Serial(s);
            if (MultiplexerTransport::IsChannel(c.multiplexerChannel))
                line_->transport =
                    std::make_unique<MultiplexerTransport>(std::move(line_->transport), c.multiplexerChannel);
        }
        line_->dropInbox();
        line_->transport->open();
        host_.PostepTryb(0);
    } catch (...) {
        try {
            CloseLink();
        } catch (...) {
            // The opening failure is the one to report.
        }
        line_->transport.reset();
        host_.PostepTryb(1);
        throw;
    }
}

void TComboLink::CloseSerial() { closeLine(); }

void TComboLink::CloseTcp() { closeLine(); }

void TComboLink::closeLine() {
    line_->dropInbox();
    if (!line_->transport) return;
    std::exception_ptr failure;
    try {
        line_->transport->disconnect();
    } catch (...) {
        failure = std::current_exception();
    }
    try {
        if (line_->tcp) {
            host_.Postep(host_.Tr("TZTComboCloseTCPMsgAdd", pl("Zamykanie połączenia TCP/IP...")), 5, 100);
        } else {
            const std::string text = host_.Tr("TZTComboCloseRS2msg", pl("Zamykanie portu komunikacyjnego ..."));
            host_.Postep(text, 5, 100);
            CommLog(text, "");
        }
    } catch (...) {
        if (!failure) failure = std::current_exception();
    }
    line_->transport.reset();
    if (failure) std::rethrow_exception(failure);
    host_.PostepTryb(0);
}

void TComboLink::OpenTcp() {
    if (IsOpen()) return;
    const LinkConfig c = Config();
    host_.Postep(host_.Tr("TZTComboOpenTCPIMsgAdd", pl("Nawiązywanie połączenia TCP/IP...")), 5, 100);
    try {
        TcpSettings s;
        s.host = c.ipAddress.empty() ? std::string("192.168.0.12") : c.ipAddress;
        std::string portText = c.ipPort;
        if (portText.empty()) portText = "1000";
        const int port = TxTools::StrToIntDef(TxTools::Trim(portText), -1);
        if (port < 1 || port > 65535) throw EMException(0, s.host + ":" + portText, "invalid port");
        s.port = static_cast<std::uint16_t>(port);
        s.byteTimeoutMs = kTcpByteWaitMs;
        line_->tcp = true;
        line_->byteWaitMs = s.byteTimeoutMs;
        line_->transport = factory_->Tcp(s);
        line_->dropInbox();
        line_->transport->open();
        host_.PostepTryb(0);
    } catch (...) {
        line_->transport.reset();
        host_.PostepTryb(1);
        throw;
    }
}

// ---- exchange ----

void TComboLink::SendCommand(std::uint16_t code, const std::vector<std::string>& fields) {
    try {
        StartFrame(code);
        FinishFrame(fields);
    } catch (...) {
        CommLog("->", CommandName(code));
        throw;
    }
    ExchangeFrame();
}

void TComboLink::SendFrame() { sendFrame(false); }

// The request goes on the line before the log records it: no file is written
// between the record the import appended to "combo.imp" and the request that
// confirms it, so a process killed in the log write has sent that request.
void TComboLink::sendFrame(bool first) {
    const auto logRequest = [&] {
        if (first) CommLog("->", CommandName(lastCommand));
        CommLog("->", frameOut);
    };
    Transport* t = line_->active();
    if (!t || !t->isOpen()) {
        logRequest();
        giveUp();
    }
    try {
        t->send(frameOut);
    } catch (const Exception& e) {
        // The line broke under the write (the register dropped the
        // connection): the register is lost, as when it stops answering.
        logRequest();
        CommLog("->", std::string("<") + e.what() + ">");
        giveUp();
    }
    logRequest();
}

void TComboLink::giveUp() {
    linkOk = false;
    throw Exception(communicationError(host_));
}

void TComboLink::ExchangeFrame() {
    for (int send = 0; send < kMaxSends; ++send) {
        // Line noise waiting unread would cost the repeat as well: the
        // register answers a repeated request again.
        if (send > 0) dropWaitingInput();
        sendFrame(send == 0);
        statusT = 0;
        statusW = 0;
        linkOk = true;
        const int code = ReceiveFrame() ? CheckAnswer() : -1;
        if (code == -1) {
            MarkRepeated();
            continue;
        }
        if (code == kAnswerStatus) {
            statusT = answer[1].AsV();
            statusW = answer[2].AsV();
            if (statusT == 0) {
                CheckExecutionError(statusW);
                return;
            }
            continue;  // the register asks for the same frame again
        }
        if (IsSimpleCommand(lastCommand)) {
            if (code == lastCommand) return;
            continue;
        }
        if (code != kAnswerComplex) break;
        waitComplexAnswer();
        if (CheckAnswer() == lastCommand) return;
    }
    giveUp();
}

void TComboLink::dropWaitingInput() {
    Transport* t = line_->active();
    const bool taken = line_->inboxHas();
    line_->dropInbox();
    try {
        if (t && t->isOpen() && (taken || t->available() > 0)) t->purgeInput();
    } catch (const Exception&) {
        // A broken line shows in the send that follows.
    }
}

void TComboLink::waitComplexAnswer() {
    const int seconds = std::min(Config().complexTimeout, kMaxComplexSeconds);
    const std::uint32_t boundMs = seconds > 0 ? static_cast<std::uint32_t>(seconds) * 1000u : 0u;
    const std::uint32_t start = tickCount();
    int counter = 0;
    for (;;) {
        const std::uint32_t before = tickCount();
        const Received got = receiveFrame();
        if (got != Received::Frame) {
            // A line that gives up early without a byte (a closed connection)
            // still spends its byte wait, so the loop ends by the clock; a byte
            // that was not a frame is no reason to pause.
            const std::uint32_t moved = elapsedSince(before);
            if (got == Received::Nothing && moved < line_->byteWaitMs) sleepMs(line_->byteWaitMs - moved);
            if (elapsedSince(start) >= boundMs)
                throw Exception(
                    host_.Tr("TZTComboGetRespoExceptio",
                             pl("Kasa nie wyrobiła się w czasie. Zwiększ timeout wykonania sekw. ZŁOŻONEJ")));
        }
        counter += 5;
        host_.PostepPozycja(counter);
        if (got == Received::Frame) return;
    }
}

bool TComboLink::receiveChunk(Transport& t, std::uint8_t& b, std::uint32_t timeoutMs) {
    Line& l = *line_;
    l.dropInbox();  // also when the line fails under the read
    l.inboxEnd = t.receiveSome(l.inbox.data(), l.inbox.size(), timeoutMs);
    if (l.inboxEnd == 0) return false;
    b = l.inbox[l.inboxAt++];
    return true;
}

bool TComboLink::receiveByte(std::uint8_t& b) {
    Transport* t = line_->active();
    if (!t || !t->isOpen()) return false;
    if (line_->inboxHas()) {
        b = line_->inbox[line_->inboxAt++];
        return true;
    }
    bool stopping = false;  // the host's stop, not the line, raised
    try {
        // A serial port counts its waiting bytes cheaply and its own time-out
        // spares resetting the port's; on TCP/IP the count is itself a read,
        // and the wait's first read takes what is there at once.
        if (!line_->tcp && t->available() > 0) return receiveChunk(*t, b, Transport::kOwnTimeout);
        const std::uint32_t wait = line_->byteWaitMs;
        const std::uint32_t start = tickCount();
        std::uint32_t asked = start;
        // The host is asked whether to stop about once a second of waiting.
        auto askAbort = [&](std::uint32_t now) {
            if (now - asked < kAbortQuestionMs) return;
            asked = now;
            stopping = true;
            ThrowIfAborted();
            stopping = false;
        };
        if (clock().IsVirtual()) {
            // On a virtual clock the byte wait runs in short real probes, so a
            // silent register costs the tests milliseconds instead of the full wait.
            return pollUntil(wait, 100, [&](std::uint32_t slice) {
                if (t->isOpen() && receiveChunk(*t, b, slice)) return true;
                askAbort(tickCount());
                return false;
            });
        }
        // One clock reading a round: an answer that is already there costs none
        // beyond the first.
        for (std::uint32_t before = start;;) {
            const std::uint32_t elapsed = before - start;
            if (elapsed >= wait) return false;
            const std::uint32_t slice = std::min(wait - elapsed, kAbortQuestionMs);
            if (receiveChunk(*t, b, slice)) return true;
            const std::uint32_t now = tickCount();
            if (now - before < slice / 2) return false;  // the line gave up at once: the peer has gone
            askAbort(now);
            before = now;
        }
    } catch (const Exception& e) {
        if (stopping) throw;
        // The line itself failed (a connection reset by the register).
        CommLog("<-", std::string("<") + e.what() + ">");
        giveUp();
    }
}

std::uint32_t TComboLink::frameBoundMs() const {
    // The byte wait and the time the largest wire frame takes at the line's
    // speed (TCP/IP counted as the fastest serial line): a register that
    // trickles bytes cannot hold the operation longer.
    const std::uint64_t baud = line_->tcp ? 115200u : static_cast<std::uint64_t>(BaudRateCode(Config().speed));
    const std::uint64_t wireBytes = 2 * static_cast<std::uint64_t>(kFrameMaxSize) + 2;
    return line_->byteWaitMs + static_cast<std::uint32_t>(wireBytes * 10 * 1000 / baud);
}

bool TComboLink::ReceiveFrame() { return receiveFrame() == Received::Frame; }

TComboLink::Received TComboLink::receiveFrame() {
    frameIn.clear();
    FrameReceiver reader;
    const std::uint32_t start = tickCount();
    const std::uint32_t boundMs = frameBoundMs();
    std::size_t before = 0;  // bytes read before the frame began
    bool any = false;
    for (;;) {
        std::uint8_t b = 0;
        if (!receiveByte(b)) {
            if (line_->tcp) CommLog("<-", host_.Tr("TZTComboReceivePLog", pl("<kasa nie odpowiada>")));
            return any ? Received::NoFrame : Received::Nothing;
        }
        any = true;
        const FrameReceiver::Event e = reader.feed(b);
        if (e == FrameReceiver::Event::Frame) {
            frameIn = reader.takeFrame();
            CommLog("<-", frameIn);
            return Received::Frame;
        }
        if (e == FrameReceiver::Event::Overflow) return Received::NoFrame;  // longer than any frame can be
        // The frame begins with DLE STX: any other first two bytes end the attempt.
        if (!reader.inFrame() && (e == FrameReceiver::Event::BadStart || ++before >= 2)) {
            CommLog("<-", format(pl("<nieprawidłowy drugi bajt: 0x%02X").c_str(), b));
            return Received::NoFrame;
        }
        // Time passes only while the line is asked: bytes already taken in
        // are not checked one by one against the clock.
        if (!line_->inboxHas() && elapsedSince(start) > boundMs) {
            CommLog("<-", format(pl("<ramka nie nadeszła w całości w ciągu %u ms>").c_str(), boundMs));
            return Received::NoFrame;
        }
    }
}

int TComboLink::CheckAnswer() {
    if (frameIn.size() < kFrameMinSize) return -1;
    if (frameSequence(frameIn) != sequenceNumber) return -1;
    if (!checkCrc(frameIn)) return -1;
    const int code = frameCommand(frameIn);
    answer.ParseFromPacket(frameIn, host_.Tlumacz());
    return code;
}

bool TComboLink::IsSimpleCommand(int code) { return zt::IsSimpleCommand(code); }

void TComboLink::CheckExecutionError(int code) {
    if (IsIgnoredExecutionCode(code)) return;
    throw Exception(format(pl("Kasa zgłosiła błąd wykonania: %s").c_str(), FormatErrorW(code).c_str()));
}

std::string TComboLink::FormatErrorT(int code) const {
    return format("[T%d] - %s", code, ErrList(static_cast<std::uint32_t>(code), host_.Tlumacz()).c_str());
}

std::string TComboLink::FormatErrorW(int code) const {
    return format("[W%d] - %s", code, ErrList(static_cast<std::uint32_t>(code), host_.Tlumacz()).c_str());
}

std::string TComboLink::CommandName(int code) { return std::string(zt::CommandName(code)); }

bool TComboLink::ThrowIfAborted() {
    if (host_.CzyPrzerwac())
        throw Exception(host_.Tr("TZTComboThrowPrzExceptio", pl("Operacja przerwana przez użytkownika")));
    return false;
}

// ---- reading a context ----

void TComboLink::ReadContext(std::uint16_t init, const std::vector<std::string>& initFields, std::uint16_t read,
                             const std::vector<std::string>& readFields, const std::function<void()>& record,
                             const std::vector<std::uint16_t>& alsoEnd, const std::function<void()>& beforeRead) {
    SendCommand(init, initFields);
    for (;;) {
        if (beforeRead) beforeRead();
        SendCommand(read, readFields);
        if (statusW == code::kEndOfContext || std::find(alsoEnd.begin(), alsoEnd.end(), statusW) != alsoEnd.end())
            return;
        record();
    }
}

// ---- communication log ----

void TComboLink::InitCommLog() {
    const LinkConfig c = Config();
    receiptBufferMode = c.impMode;  // the operation's own setting, read with its parameters
    line_->log.Init(c.debug, host_.KatalogRoboczy(), host_.Tlumacz());
}

void TComboLink::CommLog(std::string_view direction, std::string_view data) { line_->log.Log(direction, data); }

std::string TComboLink::CommLogPath() const { return line_->log.on() ? line_->log.path() : std::string(); }

// ---- modem operations ----

void TComboLink::ConfigureRegisterModem() {
    if (Config().transport != LinkConfig::Serial)
        throw Exception(host_.Tr("TZTComboModemKonExceptio", pl("Ustaw złącze na COMx")));
    const LinkConfig c = Config();
    zt::ConfigureRegisterModem(host_, factory_, c.port, BaudRateCode(c.speed), c.modemTimeout);
}

void TComboLink::ModemHangUp() {
    if (Config().transport != LinkConfig::Serial)
        throw Exception(host_.Tr("TZTComboModemDisExceptio", pl("Ustaw złącze na COMx")));
    zt::ModemHangUp(host_, factory_, Config().port, BaudRateCode());
}

}  // namespace zt
