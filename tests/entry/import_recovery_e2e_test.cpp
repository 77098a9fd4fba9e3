// An import that fails at any command of its reading, at any save of the
// host's, or at a user's stop, and a healthy import after it: together they
// hand the host exactly what one clean import does, in both ways of counting
// the day's sales, and leave nothing behind.
#include <sys/mount.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "import_fixture.h"
#include "import_ledger.h"

using namespace ztest;

namespace {

struct Mode {
    const char* name;
    const char* impMode;  // ComboImpMode: 1 the day's sales from the receipts
};

class Recovery : public Import, public ::testing::WithParamInterface<Mode> {
protected:
    RegisterState reg = recoveryRegister();

    void SetUp() override {
        Import::SetUp();
        host.params["ComboImpMode"] = GetParam().impMode;
        host.params["ComboImpReceipts"] = "1";
        host.keepImports = true;
    }

    // A register as it was, a working directory and a host that hold nothing.
    void fresh() {
        sim.clearFaults();
        sim.setState(reg);
        for (const auto& e : std::filesystem::directory_iterator(host.workDir)) std::filesystem::remove_all(e.path());
        host.params.erase("ComboLastReceipt");
        host.params.erase("ComboLastSave");
        host.imported.clear();
        host.storeImport = 0;
        host.refuseImportAt = 0;
        host.abortAfter = -1;
        host.abortQueries = 0;
        host.messages.clear();
    }

    Ledger ledger() {
        Ledger l;
        for (const auto& k : host.imported) l.add(k);
        l.addOrders(host.params["ComboEdiFolder"]);
        return l;
    }

    // The outcome after the healthy import: the clean ledger, an empty receipt
    // buffer and no file of an unfinished import.
    // A first import that went through without a command (the register's
    // type, taken as the default) reads the receipts without their print
    // numbers: then the records are only counted.
    void expectClean(const Ledger& clean, bool exact = true) {
        if (exact) {
            expectSameLedger(clean, ledger());
        } else {
            const Ledger got = ledger();
            EXPECT_EQ(got.repeated(), "");
            std::vector<std::string> want, have;
            for (const auto& r : clean.receipts) want.push_back(r.first);
            for (const auto& r : got.receipts) have.push_back(r.first);
            EXPECT_EQ(have, want);
            const auto count = [](const std::map<std::string, int>& m) {
                int n = 0;
                for (const auto& e : m) n += e.second;
                return n;
            };
            EXPECT_EQ(count(got.others), count(clean.others));
            EXPECT_EQ(got.orders, clean.orders);
        }
        EXPECT_TRUE(sim.state().receipts.empty());
        for (const char* name : {"combo.imp", "receipt.tmp", "kasa.tmp"})
            EXPECT_FALSE(std::filesystem::exists(host.workDir + name)) << name << "\n" << dump();
    }

    // One clean import: its ledger and how many commands it sent.
    std::pair<Ledger, std::uint32_t> cleanRun(const Between& between = kBetween[0]) {
        fresh();
        if (between.act) sim.updateState(between.act);
        sim.journal().clear();
        importOk();
        const Ledger l = ledger();
        EXPECT_FALSE(l.receipts.empty());
        EXPECT_FALSE(l.orders.empty());
        EXPECT_TRUE(sim.state().receipts.empty());
        return {l, static_cast<std::uint32_t>(sim.journal().entries().size())};
    }
};

// Under the sanitizers every third command is enough to keep CI short.
#if defined(__SANITIZE_ADDRESS__)
constexpr std::uint32_t kStride = 3;
#else
constexpr std::uint32_t kStride = 1;
#endif

struct RegisterFault {
    const char* name;
    CommandFault::Kind kind;
    std::uint16_t code;
};

// Each command of the register's part fails in one way (per mode, so the
// cells spread over the test runners).
class CommandRecovery : public Recovery {
protected:
    void sweep(const RegisterFault& f) {
        const auto [clean, commands] = cleanRun();
        ASSERT_GT(commands, 60u);
        for (std::uint32_t k = 1; k <= commands; k += kStride) {
            SCOPED_TRACE(std::string(f.name) + " at command " + std::to_string(k));
            fresh();
            Faults fs;
            fs.commandFaults = {{k, f.kind, f.code}};
            sim.setFaults(fs);
            host.run(-3);
            const bool failed = !host.lines(2).empty();
            sim.clearFaults();
            importOk();
            expectClean(clean, failed);
            if (HasFailure()) return;
        }
    }
};

// The register executes the command; no answer reaches the plug-in on any of its three sends.
TEST_P(CommandRecovery, AnswerLost) { sweep({"answer lost", CommandFault::Kind::LoseAnswers, 0}); }
// The register refuses the command with an execution error.
TEST_P(CommandRecovery, Refused) { sweep({"refused", CommandFault::Kind::Refuse, 958}); }
// Every send is answered with a transmission status: the command never runs.
TEST_P(CommandRecovery, TransmissionStatus) {
    sweep({"transmission status", CommandFault::Kind::TransmissionStatus, 1});
}

// Two imports in a row fail, each at its own command k, before a healthy one.
TEST_P(CommandRecovery, TwoFailuresInARow) {
    const auto [clean, commands] = cleanRun();
    for (std::uint32_t k = 1; k <= commands; k += kStride) {
        SCOPED_TRACE("refused, then transmission status, at command " + std::to_string(k));
        fresh();
        bool exact = true;
        for (const auto kind : {CommandFault::Kind::Refuse, CommandFault::Kind::TransmissionStatus}) {
            Faults fs;
            fs.commandFaults = {{k, kind, static_cast<std::uint16_t>(kind == CommandFault::Kind::Refuse ? 958 : 1)}};
            sim.setFaults(fs);
            host.messages.clear();
            host.run(-3);
            exact = exact && !host.lines(2).empty();
        }
        sim.clearFaults();
        importOk();
        expectClean(clean, exact);
        if (HasFailure()) return;
    }
}

// A refused save leaves a whole reading the host did not store: the next
// import, after whatever the register did meanwhile, books as one clean import then.
TEST_P(Recovery, AHostThatRefusesAnySave) {
    cleanRun();
    const int saves = host.storeImport;
    ASSERT_GE(saves, 1);
    for (const Between& between : kBetween) {
        SCOPED_TRACE(between.name);
        const auto [clean, commands] = cleanRun(between);
        for (int b = 1; b <= saves; ++b) {
            SCOPED_TRACE("save " + std::to_string(b) + " refused");
            fresh();
            host.refuseImportAt = b;
            host.run(-3);
            EXPECT_EQ(host.lines(2).back(), pl("Błąd zapisu importu sprzedaży do bazy danych")) << dump();
            EXPECT_TRUE(exists("combo.imp"));
            host.refuseImportAt = 0;
            if (between.act) sim.updateState(between.act);
            // The counters cannot be cleared before the import settled them.
            host.messages.clear();
            host.run(-8, 1);
            EXPECT_EQ(host.lines(2).back(), pl("Zaległy plik combo.imp zawiera nierozliczone liczniki sprzedaży! "
                                               "Najpierw wykonaj import z kasy."))
                << dump();
            importOk();
            expectClean(clean);
            host.messages.clear();
            host.run(-8, 1);
            EXPECT_TRUE(host.lines(2).empty()) << dump();
            if (HasFailure()) return;
        }
    }
}

// The user's stop at every question the import asks the host: between
// records, and, with a register that answers slowly, inside the wait for an
// answer, at every command (a request whose answer never came counts as run).
TEST_P(Recovery, AUserWhoStopsTheImportAnywhere) {
    const struct {
        const char* name;
        std::uint32_t answerDelayMs;  // real: the plug-in's clock is virtual
    } registers[] = {{"answering at once", 0}, {"answering slowly", 10}};
    for (const auto& g : registers) {
        SCOPED_TRACE(g.name);
        const auto [clean, commands] = cleanRun();
        Faults slow;
        slow.answerDelayMs = g.answerDelayMs;
        fresh();
        sim.setFaults(slow);
        importOk();
        const int queries = host.abortQueries;
        ASSERT_GT(queries, 20);
        for (int r = 0; r < queries; r += static_cast<int>(kStride)) {
            SCOPED_TRACE("stopped after " + std::to_string(r) + " questions");
            fresh();
            sim.setFaults(slow);
            host.abortAfter = r;
            host.run(-3);
            const auto errors = host.lines(2);
            // Real pauses vary: a run that asked fewer questions went through.
            if (errors.empty() && g.answerDelayMs > 0) break;
            ASSERT_FALSE(errors.empty()) << dump();
            EXPECT_EQ(errors.back(), pl("Operacja przerwana przez użytkownika")) << dump();
            host.abortAfter = -1;
            sim.clearFaults();
            importOk();
            expectClean(clean);
            if (HasFailure()) return;
        }
    }
}

const auto kModes = ::testing::Values(Mode{"SalesFromReceipts", "1"}, Mode{"SalesFromCounters", "0"});
const auto kModeName = [](const auto& i) { return std::string(i.param.name); };
// "combo.imp", "receipt.tmp" and everything else of the import on a file
// system that fills up: each page more of free space moves the failing write
// one step on, until the import goes through. The space comes back and a
// healthy import follows.
class FullDisk : public Recovery {
protected:
    std::filesystem::path disk;
    bool mounted = false;

    void SetUp() override {
        Recovery::SetUp();
        disk = dir / "disk";
        std::filesystem::create_directories(disk);
        if (::mount("tmpfs", disk.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=512k,mode=0700") != 0)
            GTEST_SKIP() << "no small file system to fill: mounting a tmpfs needs root (" << std::strerror(errno)
                         << ")";
        mounted = true;
        host.workDir = disk.string() + "/";
        host.params["ComboEdiFolder"] = disk.string() + "/EDI";
    }
    void TearDown() override {
        if (mounted) ::umount2(disk.c_str(), MNT_DETACH);
        Recovery::TearDown();
    }

    // Fills the disk but for `free` bytes (in whole pages).
    void fill(std::size_t free) {
        const std::string filler = (disk / "filler").string();
        std::FILE* f = std::fopen(filler.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        static const std::vector<char> block(4096, 'x');
        std::size_t written = 0;
        while (std::fwrite(block.data(), 1, block.size(), f) == block.size()) written += block.size();
        std::fclose(f);
        std::filesystem::resize_file(filler, written > free ? written - free : 0);
    }
};

TEST_P(FullDisk, ADiskThatFillsUpAtAnyWrite) {
    fresh();
    importOk();
    const Ledger clean = ledger();
    ASSERT_FALSE(clean.receipts.empty());
    for (std::size_t pages = 0;; ++pages) {
        SCOPED_TRACE(std::to_string(pages) + " pages free");
        ASSERT_LT(pages, 120u) << "the import never went through";
        fresh();
        fill(pages * 4096);
        host.run(-3);
        const bool wentThrough = host.lines(2).empty();
        const std::string first = dump();
        std::filesystem::remove(disk / "filler");
        if (!wentThrough) importOk();
        expectClean(clean, true);
        if (HasFailure()) ADD_FAILURE() << "the import on the full disk:\n" << first;
        if (HasFailure() || wentThrough) return;
    }
}

INSTANTIATE_TEST_SUITE_P(Import, FullDisk,
                         ::testing::Values(Mode{"SalesFromReceipts", "1"}, Mode{"SalesFromCounters", "0"}),
                         [](const auto& i) { return std::string(i.param.name); });

INSTANTIATE_TEST_SUITE_P(Import, Recovery, kModes, kModeName);
INSTANTIATE_TEST_SUITE_P(Import, CommandRecovery, kModes, kModeName);

}  // namespace
