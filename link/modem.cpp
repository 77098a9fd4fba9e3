#include "link/modem.h"

#include <algorithm>
#include <cctype>

#include "link/poll_wait.h"
#include "platform/clock.h"
#include "platform/cp1250.h"
#include "platform/exception.h"

namespace zt {
namespace {

constexpr std::string_view kModule = "zttools_ModemCtl";

// A dial wait beyond a day is taken as a day: the wait stays a number of milliseconds.
constexpr int kMaxDialSeconds = 86400;

std::string tm(const HostServices& h, std::string_view key, std::string_view utf8) {
    return h.Tekst(kModule, key, pl(utf8));
}

[[noreturn]] void raise(const HostServices& h, std::string_view key, std::string_view utf8) {
    throw Exception(tm(h, key, utf8));
}

[[noreturn]] void raiseInit(const HostServices& h, std::string_view key, int result) {
    throw Exception(tm(h, key, "Błąd inicjalizacji modemu! (") + std::to_string(result) + ")");
}

[[noreturn]] void raiseNoAnswer(const HostServices& h, std::string_view key) {
    raise(h, key, "Brak odpowiedzi modemu!");
}

// A wait in units of 10 ms as milliseconds, negative as none, at most a day.
std::uint32_t waitMs(int units) {
    return units < 0 ? 0u : static_cast<std::uint32_t>(std::min<std::int64_t>(std::int64_t{units} * 10, 86400000));
}

}  // namespace

TModemPort::TModemPort(HostServices& host, std::shared_ptr<LinkFactory> factory)
    : host_(host), factory_(factory ? std::move(factory) : std::make_shared<LinkFactory>()) {}

TModemPort::~TModemPort() { DropLine(); }

void TModemPort::DropLine() noexcept {
    if (line_) line_->close();
    line_.reset();
    connected_ = false;
}

void TModemPort::progress(const std::string& text) { host_.Postep(text, 5, 100); }

void TModemPort::state(int mode) { host_.PostepTryb(mode); }

bool TModemPort::isOpen() const { return line_ && line_->isOpen(); }

void TModemPort::OpenModemPort(const std::string& portName, int baudRate, int parity, int stopBits, int byteSize) {
    if (isOpen()) return;
    progress(tm(host_, "PoOpenPortMsgAddAnsiStri", "Otwieranie portu komunikacyjnego ") + portName + " ...");
    SerialSettings s;
    s.portName = portName;
    s.baudRate = baudRate;
    s.parity = parity;
    s.stopBits = stopBits;
    s.byteSize = byteSize;
    s.inBuffer = s.outBuffer = 2048;
    auto line = factory_->Serial(s);
    line->open();  // raises with nothing left open
    line->setRTS(true);
    line->setDTR(true);
    line_ = std::move(line);
    connected_ = false;
    state(0);
}

void TModemPort::CloseModemPort() {
    if (!line_) return;
    progress(tm(host_, "PoClosePorMsgAddAnsiStri", "Zamykanie portu komunikacyjnego"));
    // The line goes whatever the modem lines do.
    std::unique_ptr<Transport> line = std::move(line_);
    connected_ = false;
    if (line->isOpen()) {
        line->purgeInput();
        sleepMs(500);
        line->setRTS(false);
        line->setDTR(false);
    }
    line->close();
    state(0);
}

int TModemPort::ParseAnswer(std::string_view a) {
    const auto last = a.rfind('\r');
    if (last == std::string_view::npos) return NoAnswer;
    a = a.substr(0, last);
    const auto prev = a.rfind('\r');
    if (prev != std::string_view::npos) {
        a.remove_prefix(prev + 1);
        if (!a.empty() && a.front() == '\n') a.remove_prefix(1);
    }
    a = a.substr(0, a.find('\r'));
    if (a.empty()) return NoAnswer;
    if (std::isdigit(static_cast<unsigned char>(a.front()))) {
        int n = 0;
        for (std::size_t i = 0; i < a.size() && i < 6 && std::isdigit(static_cast<unsigned char>(a[i])); ++i)
            n = n * 10 + (a[i] - '0');
        return n;
    }
    static const struct {
        std::string_view prefix;
        int result;
    } kWords[] = {{"OK", Ok},
                  {"BUSY", Busy},
                  {"CONNECT 19200", Connect},
                  {"CONNECT", Connect},
                  {"RING", Ring},
                  {"NO CARRIER", NoCarrier},
                  {"ERROR", Error},
                  {"NO DIALTONE", NoDialtone},
                  {"NO ANSWER", NoAnswerRemote}};
    for (const auto& w : kWords)
        if (a.substr(0, w.prefix.size()) == w.prefix) return w.result;
    return NoAnswer;
}

int TModemPort::SendAt(const std::string& command, int timeout) {
    if (!isOpen()) raise(host_, "TModemPoModemConExceptio", "Otwórz port komunikacyjny!");
    progress(command);
    sleepMs(300);
    // The modem answers in its own time: the command is not waited out on the line.
    line_->sendWithoutWaiting(command + "\r");
    if (timeout <= 0) return Ok;

    std::string answer;
    std::uint8_t b = 0;
    const bool first = pollUntil(waitMs(timeout), 50, [&](std::uint32_t sliceMs) {
        if (!line_->receiveByte(b, sliceMs)) return false;
        answer += static_cast<char>(b);
        return true;
    });
    if (!first) return NoAnswer;
    // Until a period of 500 ms brings nothing new.
    for (int period = 0; period < kSettlePeriods && answer.size() < kAnswerMax; ++period) {
        const std::size_t before = answer.size();
        // The period runs on the clock; its probes give the line short real
        // waits, so that a modem writing its echo and its result apart is read
        // whole on a virtual clock too.
        pollUntil(500, 500, [&](std::uint32_t sliceMs) {
            while (answer.size() < kAnswerMax && line_->receiveByte(b, sliceMs)) answer += static_cast<char>(b);
            return false;
        });
        if (answer.size() == before) break;
    }
    return ParseAnswer(answer);
}

bool TModemPort::WaitCarrier(int timeout, bool wanted) {
    if (!isOpen()) return false;
    return pollUntil(waitMs(timeout), 50, [&](std::uint32_t) { return line_->carrierDetect() == wanted; });
}

void TModemPort::Dial(const std::string& number, int seconds) {
    if (!isOpen()) raise(host_, "TModemPoModemConExceptio", "Otwórz port komunikacyjny!");
    progress(tm(host_, "PoModemConksactionMsgAdd", "Nawiązywanie połączenia modemowego ..."));
    sleepMs(3000);
    static const struct {
        const char* command;
        const char* noAnswerKey;
        const char* initKey;
    } kInit[] = {
        {"AT&F", "TModemPoModemConExceptio_00001", "ModemConExceptioAnsiStri"},
        {"ATE0", "TModemPoModemConExceptio_00002", "ModemConExceptioAnsiStri_00001"},
        {"ATX2", "TModemPoModemConExceptio_00003", "ModemConExceptioAnsiStri_00002"},
        {"ATV1", "TModemPoModemConExceptio_00004", "ModemConExceptioAnsiStri_00003"},
    };
    for (const auto& step : kInit) {
        const int r = SendAt(step.command, 2000);
        if (r == NoAnswer) raiseNoAnswer(host_, step.noAnswerKey);
        if (r != Ok) raiseInit(host_, step.initKey, r);
        state(0);
    }
    const int r = SendAt("ATDT" + number, std::clamp(seconds, 0, kMaxDialSeconds) * 100);
    switch (r) {
        case Connect:
            state(0);
            if (!WaitCarrier(2000, true)) raise(host_, "TModemPoModemConExceptio_00009", "Błąd ! Brak nośnej!");
            connected_ = true;
            sleepMs(3000);
            return;
        case NoCarrier:
            raise(host_, "TModemPoModemConExceptio_00005", "Błąd ! Brak nośnej - brak modemu po drugiej stronie?");
        case NoDialtone:
            raise(host_, "TModemPoModemConExceptio_00006", "Błąd ! Brak sygnału - czy modem podłączony do linii?");
        case Busy: raise(host_, "TModemPoModemConExceptio_00007", "Błąd ! Druga strona zajęta.");
        case NoAnswerRemote: raise(host_, "TModemPoModemConExceptio_00008", "Błąd ! Modem kasy nie odpowiada.");
        default: raiseInit(host_, "ModemConExceptioAnsiStri_00004", r);
    }
}

void TModemPort::HangUp() {
    if (!isOpen()) return;
    progress(tm(host_, "TModemPoModemDisMsgAdd", "Zamykanie połączenia modemowego ..."));
    if (line_->carrierDetect()) {
        line_->setRTS(false);
        sleepMs(4500);
        line_->sendWithoutWaiting("+++");
        sleepMs(1500);
    }
    const int r = SendAt("ATH", 8000);
    if (r == Ok) {
        connected_ = false;
        state(0);
        return;
    }
    if (r == NoAnswer) raise(host_, "TModemPoModemDisExceptio", "Brak odpowiedzi modemu!");
    raise(host_, "TModemPoModemDisExceptio_00001",
          "Problem z rozłączeniem połączenia telefonicznego. Spróbuj ręcznie!!!");
}

// ---- stand-alone operations ----

namespace {

// Parity value 1, one stop bit, byte-size value 2 (seven data bits): how a
// register's modem is spoken to outside a link.
constexpr int kStandaloneParity = 1, kStandaloneStopBits = 0, kStandaloneByteSize = 2;

// -1 raises; another refusal only adds a progress line and the sequence goes on.
void step(TModemPort& m, HostServices& a, const std::string& command, const char* noAnswerKey, const char* lineKey) {
    const int r = m.SendAt(command, 2000);
    if (r == TModemPort::NoAnswer) raiseNoAnswer(a, noAnswerKey);
    if (r != TModemPort::Ok)
        a.Postep(tm(a, lineKey, "Błąd inicjalizacji modemu! (") + std::to_string(r) + ")", 5, 100);
    else
        a.PostepTryb(0);
}

// The speed commands by baud rate: "AT&N" + first, else "ATS37=" + second.
bool speedNumbers(int baud, int& first, int& second) {
    static const int kTable[][3] = {{300, 1, 3},  {1200, 2, 5}, {2400, 3, 5},
                                    {4800, 4, 7}, {9600, 6, 9}, {19200, 10, 13}};
    for (const auto& row : kTable)
        if (row[0] == baud) {
            first = row[1];
            second = row[2];
            return true;
        }
    return false;
}

}  // namespace

void ConfigureRegisterModem(HostServices& a, std::shared_ptr<LinkFactory> factory, const std::string& portName,
                            int baudRate, int answerTimeout) {
    TModemPort m(a, std::move(factory));  // the line goes with it on every path
    m.OpenModemPort(portName, baudRate, kStandaloneParity, kStandaloneStopBits, kStandaloneByteSize);

    int r = m.SendAt("AT&F", 8000);
    if (r != TModemPort::Ok) r = m.SendAt("AT&F", 8000);
    if (r == TModemPort::NoAnswer) raiseNoAnswer(a, "TModemPoModemSetExceptio");
    if (r != TModemPort::Ok) raiseInit(a, "ModemSetExceptioAnsiStri", r);
    a.PostepTryb(0);

    step(m, a, "AT&S1", "TModemPoModemSetExceptio_00001", "PoModemSetMsgAddAnsiStri");
    step(m, a, "ATS7=" + std::to_string(answerTimeout), "TModemPoModemSetExceptio_00002",
         "PoModemSetMsgAddAnsiStri_00001");
    step(m, a, "AT&C1", "TModemPoModemSetExceptio_00003", "PoModemSetMsgAddAnsiStri_00002");
    step(m, a, "AT&D2", "TModemPoModemSetExceptio_00004", "PoModemSetMsgAddAnsiStri_00003");

    r = m.SendAt("AT&H1", 2000);
    if (r != TModemPort::Ok) {
        a.PostepTryb(1);
        a.Postep(tm(a, "PoModemSetMsgAddAnsiStri_00004", "Błąd nr ") + std::to_string(r), 5, 100);
        a.Postep(
            tm(a, "TModemPoModemSetMsgAdd", "To może, lecz nie musi uniemożliwić korzystanie z modemu jako kasowego."),
            5, 100);
    } else {
        a.PostepTryb(0);
    }

    step(m, a, "ATY0", "TModemPoModemSetExceptio_00005", "PoModemSetMsgAddAnsiStri_00005");

    int first = 0, second = 0;
    if (!speedNumbers(baudRate, first, second))
        raise(a, "TModemPoModemSetExceptio_00006", "Zmień prędkość komunikacji!");
    r = m.SendAt("AT&N" + std::to_string(first), 2000);
    if (r == TModemPort::NoAnswer) raiseNoAnswer(a, "TModemPoModemSetExceptio_00007");
    if (r != TModemPort::Ok) {
        r = m.SendAt("ATS37=" + std::to_string(second), 2000);
        if (r == TModemPort::NoAnswer) raiseNoAnswer(a, "TModemPoModemSetExceptio_00008");
        if (r != TModemPort::Ok)
            a.Postep(tm(a, "TModemPoModemSetMsgAdd_00001", "Nie udaje się wymusić odpowiedniej prędkości"), 5, 100);
        else
            a.PostepTryb(0);
    } else {
        a.PostepTryb(0);
    }

    step(m, a, "ATS0=1", "TModemPoModemSetExceptio_00009", "PoModemSetMsgAddAnsiStri_00006");
    step(m, a, "ATE0", "TModemPoModemSetExceptio_00010", "PoModemSetMsgAddAnsiStri_00007");

    for (const auto& [command, timeout] : {std::pair<const char*, int>{"ATQ1", 0}, {"AT&W1", 400}, {"AT&W0", 400}}) {
        m.SendAt(command, timeout);
        a.PostepTryb(0);
    }
    m.CloseModemPort();
}

void ModemHangUp(HostServices& a, std::shared_ptr<LinkFactory> factory, const std::string& portName, int baudRate) {
    TModemPort m(a, std::move(factory));
    m.OpenModemPort(portName, baudRate, kStandaloneParity, kStandaloneStopBits, kStandaloneByteSize);
    m.HangUp();
    m.CloseModemPort();
}

}  // namespace zt
