// regsim: the register simulator as a command for scripts, demos and manual tests.
#include <signal.h>
#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "platform/exception.h"
#include "sim/card_server_stub.h"
#include "sim/modem_emulator.h"
#include "sim/register_simulator.h"
#include "sim/state_file.h"

namespace {

using namespace zt::sim;

const char* kUsage =
    "usage: regsim [options]\n"
    "  --port N               TCP port on 127.0.0.1 (default 0: a free port)\n"
    "  --no-tcp | --no-pty    leave one of the lines closed\n"
    "  --state FILE           load the register's state (default: built-in NEO XL state)\n"
    "  --save FILE            save the state there on exit\n"
    "  --dump-state           print the built-in state in file form and exit\n"
    "  --journal FILE         append every received command to FILE\n"
    "  --complex-delay MS     wait between answer 1 and the final answer of reports (default 500)\n"
    "  --baud N               keep the pace of an 8N1 line at N baud, both ways (default 0: off)\n"
    "  --process-ms N         the register thinks N ms before each answer (default 0)\n"
    "  --exit-after-client    stop when the first TCP client has gone\n"
    "  --timeout SECONDS      stop after this long (default 0: never)\n"
    "  --card-server [PORT]   also run the card-server stand-in (default port 25370, 0 a free one)\n"
    "  --card-silent          the card server never answers\n"
    "  --modem                also run a modem emulator wired to the simulator\n"
    "faults (K counts frames/answers from 1; TIMES default 1, 0 = every one from K on):\n"
    "  --no-answer K[:TIMES]  --bad-crc K[:TIMES]  --wrong-seq K[:TIMES]  --garbage K[:TIMES]\n"
    "  --transmission-error K[:TIMES[:STATUS]]   (status answer with T STATUS, default 1)\n"
    "  --exec-error CMD:CODE[:PLU[:TIMES]]       (PLU -1 for any)\n"
    "  --disconnect-after K   --delay MS\n"
    "faults of the K-th command (every send of it; K counted per TCP client):\n"
    "  --cmd-lost K           run it once, answer none of its sends\n"
    "  --cmd-refused K:CODE   refuse it with execution code CODE\n"
    "  --cmd-transmission K[:STATUS]  answer every send with transmission status STATUS (default 1)\n"
    "On start it prints \"port N\", \"pty PATH\" (and \"modem PATH\", \"card-server N\"), then \"ready\".\n";

[[noreturn]] void usage(const std::string& why) {
    std::cerr << "regsim: " << why << "\n" << kUsage;
    std::exit(2);
}

long number(const std::string& s, const char* what) {
    char* end = nullptr;
    long v = std::strtol(s.c_str(), &end, 10);
    if (s.empty() || *end != '\0') usage(std::string("not a number for ") + what + ": " + s);
    return v;
}

std::vector<std::string> split(const std::string& s) {
    std::vector<std::string> out(1);
    for (char c : s) {
        if (c == ':')
            out.emplace_back();
        else
            out.back() += c;
    }
    return out;
}

FaultAt faultAt(const std::string& arg, const char* what) {
    auto p = split(arg);
    FaultAt f;
    f.at = static_cast<std::uint32_t>(number(p[0], what));
    if (p.size() > 1) f.times = static_cast<std::uint32_t>(number(p[1], what));
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    SimulatorOptions options;
    options.complexDelayMs = 500;
    std::string stateFile, saveFile, journalFile;
    long timeoutSeconds = 0;
    bool cardServer = false, cardSilent = false, withModem = false, dump = false;
    long cardPort = 25370;
    long baud = 0, processMs = 0;
    Faults faults;
    bool anyFault = false;

    std::vector<std::string> args(argv + 1, argv + argc);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= args.size()) usage("missing value after " + a);
            return args[++i];
        };
        if (a == "--port")
            options.tcpPort = static_cast<std::uint16_t>(number(value(), "--port"));
        else if (a == "--no-tcp")
            options.tcp = false;
        else if (a == "--no-pty")
            options.pty = false;
        else if (a == "--state")
            stateFile = value();
        else if (a == "--save")
            saveFile = value();
        else if (a == "--dump-state")
            dump = true;
        else if (a == "--journal")
            journalFile = value();
        else if (a == "--complex-delay")
            options.complexDelayMs = static_cast<std::uint32_t>(number(value(), a.c_str()));
        else if (a == "--baud")
            baud = number(value(), "--baud");
        else if (a == "--process-ms")
            processMs = number(value(), "--process-ms");
        else if (a == "--exit-after-client")
            options.exitAfterClient = true;
        else if (a == "--timeout")
            timeoutSeconds = number(value(), "--timeout");
        else if (a == "--card-server") {
            cardServer = true;
            if (i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0) cardPort = number(value(), "--card-server");
        } else if (a == "--card-silent")
            cardSilent = true;
        else if (a == "--modem")
            withModem = true;
        else if (a == "--no-answer")
            faults.noAnswer = faultAt(value(), "--no-answer"), anyFault = true;
        else if (a == "--bad-crc")
            faults.badCrc = faultAt(value(), "--bad-crc"), anyFault = true;
        else if (a == "--wrong-seq")
            faults.wrongSequence = faultAt(value(), "--wrong-seq"), anyFault = true;
        else if (a == "--garbage")
            faults.garbage = faultAt(value(), "--garbage"), anyFault = true;
        else if (a == "--transmission-error") {
            auto v = value();
            faults.transmissionError = faultAt(v, a.c_str());
            auto p = split(v);
            if (p.size() > 2) faults.transmissionStatus = static_cast<std::uint16_t>(number(p[2], a.c_str()));
            anyFault = true;
        } else if (a == "--exec-error") {
            auto p = split(value());
            if (p.size() < 2) usage("--exec-error wants CMD:CODE[:PLU[:TIMES]]");
            ExecutionFault x;
            x.command = static_cast<std::uint16_t>(number(p[0], a.c_str()));
            x.code = static_cast<std::uint16_t>(number(p[1], a.c_str()));
            if (p.size() > 2 && number(p[2], a.c_str()) >= 0)
                x.plu = static_cast<std::uint16_t>(number(p[2], a.c_str()));
            if (p.size() > 3) x.times = static_cast<std::uint32_t>(number(p[3], a.c_str()));
            faults.executionErrors.push_back(x);
            anyFault = true;
        } else if (a == "--cmd-lost" || a == "--cmd-refused" || a == "--cmd-transmission") {
            auto p = split(value());
            CommandFault x;
            x.command = static_cast<std::uint32_t>(number(p[0], a.c_str()));
            x.kind = a == "--cmd-lost"      ? CommandFault::Kind::LoseAnswers
                     : a == "--cmd-refused" ? CommandFault::Kind::Refuse
                                            : CommandFault::Kind::TransmissionStatus;
            if (x.kind == CommandFault::Kind::Refuse && p.size() < 2) usage("--cmd-refused wants K:CODE");
            if (p.size() > 1) x.code = static_cast<std::uint16_t>(number(p[1], a.c_str()));
            faults.commandFaults.push_back(x);
            anyFault = true;
        } else if (a == "--disconnect-after") {
            faults.disconnectAfter = static_cast<std::uint32_t>(number(value(), a.c_str()));
            anyFault = true;
        } else if (a == "--delay") {
            faults.answerDelayMs = static_cast<std::uint32_t>(number(value(), a.c_str()));
            anyFault = true;
        } else if (a == "--help" || a == "-h") {
            std::cout << kUsage;
            return 0;
        } else
            usage("unknown option " + a);
    }
    if (cardPort < 0 || cardPort > 65535) usage("card-server port out of range");
    if (baud < 0 || processMs < 0) usage("--baud and --process-ms take no negative values");

    try {
        RegisterState state = stateFile.empty() ? defaultRegisterState() : loadStateFile(stateFile);
        if (dump) {
            std::cout << formatState(state);
            return 0;
        }
        // Signals are taken synchronously below; every thread inherits the mask.
        sigset_t stopSignals;
        sigemptyset(&stopSignals);
        sigaddset(&stopSignals, SIGINT);
        sigaddset(&stopSignals, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

        RegisterSimulator sim(std::move(state), options);
        if (!journalFile.empty()) sim.journal().writeTo(journalFile);
        if (anyFault) sim.setFaults(faults);
        sim.setPacing({static_cast<std::uint32_t>(baud), static_cast<std::uint32_t>(processMs), nullptr});
        sim.start();
        if (options.tcp) std::cout << "port " << sim.port() << "\n";
        if (options.pty) std::cout << "pty " << sim.ptyPath() << "\n";

        std::optional<CardServerStub> cards;
        if (cardServer) {
            cards.emplace(static_cast<std::uint16_t>(cardPort));
            cards->setSilent(cardSilent);
            cards->start();
            std::cout << "card-server " << cards->port() << "\n";
        }
        std::optional<ModemEmulator> modemEmu;
        if (withModem) {
            if (!options.tcp) usage("--modem needs the TCP line");
            modemEmu.emplace(ModemOptions{sim.port()});
            modemEmu->start();
            std::cout << "modem " << modemEmu->ptyPath() << "\n";
        }
        std::cout << "ready" << std::endl;

        const auto start = std::chrono::steady_clock::now();
        for (;;) {
            timespec tick{0, 100 * 1000 * 1000};
            int sig = sigtimedwait(&stopSignals, nullptr, &tick);
            if (sig == SIGINT || sig == SIGTERM) break;
            if (!sim.running()) break;
            if (timeoutSeconds > 0 && std::chrono::steady_clock::now() - start >= std::chrono::seconds(timeoutSeconds))
                break;
        }
        if (modemEmu) modemEmu->stop();
        if (cards) {
            cards->stop();
            for (const auto& l : cards->lines()) std::cout << "card-server got: " << l << "\n";
        }
        sim.stop();
        if (!saveFile.empty()) saveStateFile(sim.state(), saveFile);
        std::cout << "stopped, " << sim.journal().size() << " commands, " << sim.bytesIn() << " bytes in, "
                  << sim.bytesOut() << " bytes out" << std::endl;
    } catch (const std::exception& e) {
        std::cerr << "regsim: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
