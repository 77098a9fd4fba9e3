// Every operation that talks to the register, under every fault the simulated
// register injects, at the first, a middle and the last command of the
// operation: the outcome the host is told, the line and the card server given
// back, no file left half written, and a healthy run of the same operation
// after it.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "platform/cp1250.h"
#include "proto/commands.h"
#include "register_fixture.h"
#include "sim/card_server_stub.h"

using zt::pl;
using namespace zt::sim;

namespace {

namespace fs = std::filesystem;

struct Operation {
    const char* name;
    int operation, extra;
    // Parameters beyond the common ones.
    std::vector<std::pair<const char*, const char*>> params;
};

void PrintTo(const Operation& o, std::ostream* os) { *os << o.name; }

// Windows 3 and 4 (the register's modem) are left out: they speak AT commands
// on a serial line, which the frame faults below do not touch.
const Operation kOperations[] = {
    {"ConnectionTest", -1, 0, {}},
    {"ExportClearing", -2, 0, {{"ComboKasTowMax", "1"}}},
    {"ExportComparing", -2, 0, {{"ComboKasTowMax", "0"}}},
    {"ImportFromReceipts", -3, 0, {{"ComboImpMode", "1"}, {"ComboImpReceipts", "1"}}},
    {"ImportFromCounters", -3, 0, {{"ComboImpMode", "0"}}},
    {"GoodsImport", -8, 6, {}},
    {"ResetSales", -8, 1, {}},
    {"ClearGoodsBase", -8, 2, {}},
    {"CommunicationReport", -8, 5, {}},
};

enum class Fault {
    NoAnswer,            // one request not answered: the repeat is
    BadCrc,              // one answer broken
    WrongSequence,       // one answer under another sequence number
    Noise,               // bytes before one answer
    TransmissionStatus,  // every send of the command refused by the line
    ExecutionError,      // the register refuses the command
    Disconnect,          // the register drops the line after answering the command
    LateAnswer,          // no send of the command answered within the time-out
};

const char* faultName(Fault f) {
    switch (f) {
        case Fault::NoAnswer: return "NoAnswer";
        case Fault::BadCrc: return "BadCrc";
        case Fault::WrongSequence: return "WrongSequence";
        case Fault::Noise: return "Noise";
        case Fault::TransmissionStatus: return "TransmissionStatus";
        case Fault::ExecutionError: return "ExecutionError";
        case Fault::Disconnect: return "Disconnect";
        case Fault::LateAnswer: return "LateAnswer";
    }
    return "?";
}

enum class At { First, Middle, Last };

const char* atName(At a) { return a == At::First ? "First" : a == At::Middle ? "Middle" : "Last"; }

void PrintTo(Fault f, std::ostream* os) { *os << faultName(f); }
void PrintTo(At a, std::ostream* os) { *os << atName(a); }

using Cell = std::tuple<Operation, Fault, At>;

// A small export: two rates, a unit, a group, goods to add and to change.
const char* const kExport[] = {
    "VAT;23",
    "VAT;8",
    "JM;1;0;szt.",
    "ASS;10;Pieczywo",
    "PLU;1;101;5900000000017;Chleb;450;450;450;450;8;1;F;0;F;F;F;0;0;10;AKT",
    "PLU;2;102;5900000000024;Mleko;329;329;329;329;8;1;F;0;F;F;F;0;0;10;DOD",
    "PLU;8;108;5900000000086;Bulka;60;60;60;60;23;1;F;0;F;F;F;0;0;10;DOD",
};

// What the register was asked to do, repeats left out.
std::vector<std::string> requests(Journal& j) {
    std::vector<std::string> out;
    for (const auto& e : j.entries())
        if (!e.repeated) out.push_back(e.name + " " + e.fields);
    return out;
}

const Operation& operationOf(const Operation& o) { return o; }
const Operation& operationOf(const Cell& c) { return std::get<0>(c); }

// The register on TCP/IP with the card server beside it, and a host set up for
// the operation of the parameter.
template <class Param>
class OnRegister : public ztest::RegisterOnTcp, public ::testing::WithParamInterface<Param> {
protected:
    OnRegister() : RegisterOnTcp(defaultRegisterState(), "zt-fault") {}

    const Operation& op = operationOf(this->GetParam());
    CardServerStub cardServer;
    RegisterState initial = defaultRegisterState();

    void SetUp() override {
        RegisterOnTcp::SetUp();
        cardServer.start();
        host.params["ComboDedbug"] = "0";
        host.params["DataImportu"] = "2024-05-06";
        host.params["ComboOneAsortOnly"] = "0";
        host.params["RodzajTransmisji"] = "3";
        host.params["ZT_Combo_PosortowaneStawkiVatPrec"] = "2300\r\n800\r\n500\r\n0\r\n-1";
        host.params["ComboSkpUse"] = "2";
        host.params["ComboSkpIp"] = "127.0.0.1";
        host.params["ComboSkpPort"] = std::to_string(cardServer.port());
        host.params["ComboSkpDane"] = (dir / "skp").string();
        for (const auto& [k, v] : op.params) host.params[k] = v;
        host.registerAll();
    }
    void TearDown() override {
        cardServer.stop();
        RegisterOnTcp::TearDown();
    }

    // The register as it was and a working directory holding only the export file.
    void fresh() {
        sim.clearFaults();
        sim.setState(initial);
        sim.journal().clear();
        for (const auto& e : fs::directory_iterator(dir)) fs::remove_all(e.path());
        fs::create_directories(dir / "skp" / "wejscie" / "0");
        std::ofstream f(dir / "kasa.exp", std::ios::binary);
        for (const char* l : kExport) f << l << "\r\n";
        host.params.erase("ComboLastReceipt");
        host.params.erase("ComboLastSave");
        host.messages.clear();
    }
    // Runs the operation; its errors.
    std::vector<std::string> run() {
        host.messages.clear();
        const std::uint32_t clients = sim.clientsServed();
        host.run(op.operation, op.extra);
        // The simulator sees the line closed (bounded, real time).
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (sim.clientsServed() == clients && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EXPECT_GT(sim.clientsServed(), clients) << "the line was not released";
        return host.lines(2);
    }
    std::string dump() const {
        std::string s;
        for (const auto& m : host.messages)
            s += std::to_string(m.kind) + (m.status ? "S " : "  ") + zt::toUtf8(m.text) + "\n";
        return s;
    }
    std::string journalText() {
        std::string s;
        for (const auto& e : sim.journal().entries()) s += formatEntry(e) + "\n";
        return s;
    }
    void expectCardServerUnlocked() {
        const auto lines = cardServer.lines();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), "ENABLE 0");
        EXPECT_EQ(lines.size() % 2, 0u);
    }
};

class FaultTable : public OnRegister<Cell> {
protected:
    const Fault fault = std::get<1>(GetParam());
    const At at = std::get<2>(GetParam());

    // The faults that hit command k of the run the journal holds (one client,
    // counted from 1): frames and answers are counted as the simulator does.
    Faults faultAt(const std::vector<JournalEntry>& clean, std::uint32_t k) const {
        std::uint32_t answers = 0;
        for (std::uint32_t i = 0; i < k; ++i) {
            const auto& e = clean[i];
            answers += zt::IsComplexCommand(e.code) && e.answerCode == e.code ? 2 : 1;
        }
        Faults f;
        switch (fault) {
            case Fault::NoAnswer: f.noAnswer = FaultAt{k, 1}; break;
            case Fault::BadCrc: f.badCrc = FaultAt{answers, 1}; break;
            case Fault::WrongSequence: f.wrongSequence = FaultAt{answers, 1}; break;
            case Fault::Noise: f.garbage = FaultAt{answers, 1}; break;
            case Fault::TransmissionStatus: f.commandFaults = {{k, CommandFault::Kind::TransmissionStatus, 1}}; break;
            case Fault::ExecutionError: f.commandFaults = {{k, CommandFault::Kind::Refuse, 1}}; break;
            case Fault::Disconnect: f.disconnectAfter = k; break;
            case Fault::LateAnswer: f.commandFaults = {{k, CommandFault::Kind::LoseAnswers, 0}}; break;
        }
        return f;
    }

    enum class Outcome {
        Success,      // the link's repeat recovers; the register sees each request once
        SentTwice,    // recovered by sending the request again unchanged (a report runs twice)
        DefaultType,  // the register's type is taken as the default, with a warning; the rest goes through
        Failure,      // the host is told the operation failed and why
    };
    // What the plug-in does about the fault at command k of n.
    Outcome outcome(const JournalEntry& command, std::uint32_t k, std::uint32_t n) const {
        const bool report = zt::IsComplexCommand(command.code);
        const bool identification = k == 1 && command.code == zt::cmdCASHREGSTATUSGET;
        switch (fault) {
            case Fault::NoAnswer:
            case Fault::Noise:
                // A repeated report is answered with its final answer at once,
                // which ends the sending.
                return report ? Outcome::Failure : Outcome::Success;
            case Fault::BadCrc:
            case Fault::WrongSequence:
                // A report's broken final answer: the report is sent again unchanged.
                return report ? Outcome::SentTwice : Outcome::Success;
            case Fault::Disconnect: return k < n ? Outcome::Failure : Outcome::Success;
            case Fault::TransmissionStatus:
            case Fault::ExecutionError:
            case Fault::LateAnswer: return identification ? Outcome::DefaultType : Outcome::Failure;
        }
        return Outcome::Failure;
    }

    // Files of an interrupted write: only what the import keeps on purpose may stay.
    void expectNoHalfWrittenFile() {
        for (const auto& e : fs::recursive_directory_iterator(dir)) {
            const std::string name = e.path().filename().string();
            const std::string ext = e.path().extension().string();
            if (name == "receipt.tmp") continue;
            EXPECT_TRUE(ext != ".tmp" && ext != ".new") << e.path() << " left behind";
        }
    }
};

TEST_P(FaultTable, EndsAsDocumentedAndGivesEverythingBack) {
    // The clean run: which commands the operation sends.
    fresh();
    ASSERT_TRUE(run().empty()) << dump();
    const auto clean = sim.journal().entries();
    const auto cleanRequests = requests(sim.journal());
    const auto n = static_cast<std::uint32_t>(clean.size());
    ASSERT_GT(n, 0u);
    for (std::uint32_t i = 0; i < n; ++i) ASSERT_EQ(clean[i].command, i + 1) << journalText();
    const std::uint32_t k = at == At::First ? 1 : at == At::Middle ? (n + 1) / 2 : n;
    SCOPED_TRACE("command " + std::to_string(k) + " of " + std::to_string(n) + ": " + clean[k - 1].name);

    fresh();
    const std::size_t cardLines = cardServer.lines().size();
    sim.setFaults(faultAt(clean, k));
    const auto errors = run();
    switch (outcome(clean[k - 1], k, n)) {
        case Outcome::Success:
            EXPECT_TRUE(errors.empty()) << dump() << journalText();
            EXPECT_EQ(requests(sim.journal()), cleanRequests) << journalText();
            break;
        case Outcome::SentTwice: {
            EXPECT_TRUE(errors.empty()) << dump() << journalText();
            auto twice = cleanRequests;
            twice.insert(twice.begin() + k, twice[k - 1]);
            EXPECT_EQ(requests(sim.journal()), twice) << journalText();
            break;
        }
        case Outcome::DefaultType: {
            EXPECT_TRUE(errors.empty()) << dump() << journalText();
            const auto warnings = host.lines(1);
            EXPECT_NE(std::find(warnings.begin(), warnings.end(),
                                pl("Błąd podczas odczytu typu kasy. Przyjęto domyślnie Combo")),
                      warnings.end())
                << dump();
            break;
        }
        case Outcome::Failure: {
            const auto header = std::find_if(errors.begin(), errors.end(), [](const std::string& e) {
                return e.rfind(pl("Podczas wykonywania operacji '"), 0) == 0;
            });
            ASSERT_NE(header, errors.end()) << dump() << journalText();
            ASSERT_NE(header + 1, errors.end()) << dump();
            EXPECT_FALSE(header[1].empty());
            break;
        }
    }
    ASSERT_TRUE(cardServer.waitForLines(cardLines + 2, 2000));
    expectCardServerUnlocked();
    expectNoHalfWrittenFile();

    // The line is free: a connection test and then the operation itself go
    // through, the latter taking whatever the failed run kept.
    sim.clearFaults();
    host.messages.clear();
    host.run(-1);
    EXPECT_TRUE(host.lines(2).empty()) << "connection test after the fault\n" << dump();
    EXPECT_TRUE(run().empty()) << "healthy run after the fault\n" << dump();
    expectCardServerUnlocked();
    for (const char* kept : {"combo.imp", "receipt.tmp"})
        EXPECT_FALSE(fs::exists(dir / kept)) << kept << " still waits after a healthy run";
}

std::string cellName(const ::testing::TestParamInfo<Cell>& i) {
    return std::string(std::get<0>(i.param).name) + "_" + faultName(std::get<1>(i.param)) + "_" +
           atName(std::get<2>(i.param));
}

INSTANTIATE_TEST_SUITE_P(EveryOperation, FaultTable,
                         ::testing::Combine(::testing::ValuesIn(kOperations),
                                            ::testing::Values(Fault::NoAnswer, Fault::BadCrc, Fault::WrongSequence,
                                                              Fault::Noise, Fault::TransmissionStatus,
                                                              Fault::ExecutionError, Fault::Disconnect,
                                                              Fault::LateAnswer),
                                            ::testing::Values(At::First, At::Middle, At::Last)),
                         cellName);

// The host runs an operation twice in a row on one session: the second run
// finds the line, the card server and the files as a first run does.
class TwiceInARow : public OnRegister<Operation> {};

TEST_P(TwiceInARow, TheSecondRunGoesThroughAsTheFirst) {
    fresh();
    EXPECT_TRUE(run().empty()) << dump();
    EXPECT_TRUE(run().empty()) << dump();
    expectCardServerUnlocked();
    EXPECT_EQ(cardServer.lines().size(), 4u);
}

INSTANTIATE_TEST_SUITE_P(EveryOperation, TwiceInARow, ::testing::ValuesIn(kOperations),
                         [](const auto& i) { return std::string(i.param.name); });

}  // namespace
