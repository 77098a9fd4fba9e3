// The host's process killed (SIGKILL) at every file step of an import: each
// write (cut after half its bytes), rename and delete in the register's
// working directory, the communication log's writes included when it is on. The bench runs the import against the simulator with a
// preloaded library that counts the steps and kills; then a healthy import
// must leave the host with what one clean import gives it.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include "import_fixture.h"
#include "import_ledger.h"

extern char** environ;

using namespace ztest;

#if defined(ZT_KILL_SHIM) && !defined(__SANITIZE_ADDRESS__)

namespace {

struct Mode {
    const char* name;
    const char* impMode;
    const char* commLog;  // ComboDedbug
};

class KillSweep : public ::testing::TestWithParam<Mode> {
protected:
    std::filesystem::path root, dir;
    RegisterSimulator sim{recoveryRegister(), SimulatorOptions{}};

    void SetUp() override {
        char tmpl[] = "/tmp/zt-kill-XXXXXX";
        root = mkdtemp(tmpl);
        dir = root / "work";
        sim.start();
    }
    void TearDown() override {
        sim.stop();
        std::filesystem::remove_all(root);
    }

    void fresh() {
        sim.setState(recoveryRegister());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        std::ofstream(root / "params.ini", std::ios::binary)
            << "ComboPort=TCP/IP\nComboIpAddress=127.0.0.1\nComboIpPort=" << sim.port()
            << "\nComboEdiFolder=" << (dir / "EDI").string()
            << "\nDataImportu=2024-05-06\nComboDedbug=" << GetParam().commLog
            << "\nComboImpReceipts=1\nComboImpMode=" << GetParam().impMode
            << "\n";
    }

    // One import through the bench; killStep 0 never kills, failStep 0 never
    // fails a rename or delete. The wait status.
    int bench(long killStep, long failStep = 0) {
        const std::string plugin = ZT_PLUGIN_PATH, params = (root / "params.ini").string(), work = dir.string();
        std::vector<std::string> args = {ZT_BENCH,    "--plugin", plugin, "--params", params,
                                         "--workdir", work,       "run",  "-3"};
        std::vector<std::string> env = {
            std::string("LD_PRELOAD=") + ZT_KILL_SHIM,    "ZT_KILL_DIR=" + work + "/",
            "ZT_KILL_STEP=" + std::to_string(killStep),   "ZT_FAIL_STEP=" + std::to_string(failStep),
            "ZT_KILL_COUNT=" + (root / "steps").string(), "ZTCOMBO_VIRTUAL_TIME=1"};
        for (char** e = environ; *e; ++e)
            if (std::strncmp(*e, "LD_PRELOAD=", 11) != 0) env.emplace_back(*e);
        std::vector<char*> argv, envp;
        for (auto& a : args) argv.push_back(a.data());
        for (auto& e : env) envp.push_back(e.data());
        argv.push_back(nullptr);
        envp.push_back(nullptr);
        posix_spawn_file_actions_t io;
        posix_spawn_file_actions_init(&io);
        const std::string out = (root / "bench.out").string();
        posix_spawn_file_actions_addopen(&io, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&io, 1, 2);
        pid_t pid = 0;
        const int rc = posix_spawn(&pid, argv[0], &io, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&io);
        if (rc != 0) return -1;
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
        return status;
    }

    std::string benchOutput() const { return slurp(root / "bench.out"); }

    // Every kasa.imp the bench stored, in the order it stored them.
    Ledger ledger() const {
        Ledger l;
        for (int n = 1;; ++n) {
            const auto p = dir / "results" / ("kasa-" + std::to_string(n) + ".imp");
            if (!std::filesystem::exists(p)) break;
            l.add(slurp(p));
        }
        l.addOrders(dir / "EDI");
        return l;
    }

    bool exists(const char* name) const { return std::filesystem::exists(dir / name); }

    // The day after: two receipts and an order more, the counters and the
    // drawer's cash with them.
    static void sellNextDay(RegisterState& r) {
        using namespace zt::sim;
        const auto at = [](int h, int m) { return SimDateTime{2024, 5, 9, h, m, 0}; };
        r.clock = at(8, 0);
        sellReceipt(r, Sale().at(at(8, 10)).item(1, 1000).item(4, 2000).package(1, 2000));
        placeOrder(r, 1, 4000);
        sellReceipt(r, Sale().at(at(8, 40)).item(3, 1500));
        r.clock = at(9, 0);
    }

    // Killed at every step, then (sells) the register sells more, and a
    // healthy import follows.
    void sweepKills(bool sells) {
        const auto between = [&] {
            if (sells) sim.updateState(sellNextDay);
        };
        fresh();
        ASSERT_EQ(bench(0), 0) << benchOutput();
        const Ledger first = ledger();
        ASSERT_FALSE(first.receipts.empty());
        const long steps = std::stol(slurp(root / "steps"));
        ASSERT_GT(steps, 50);
        // Killed after its "combo.imp" went, an import has handed everything
        // over: the next one reads the register's state (counters, cash) again,
        // as any second import does.
        between();
        ASSERT_EQ(bench(0), 0) << benchOutput();
        const Ledger twice = ledger();
        fresh();
        between();
        ASSERT_EQ(bench(0), 0) << benchOutput();
        const Ledger clean = ledger();
        for (long n = 1; n <= steps; ++n) {
            SCOPED_TRACE("killed at file step " + std::to_string(n) + " of " + std::to_string(steps));
            fresh();
            const int killed = bench(n);
            ASSERT_TRUE(WIFSIGNALED(killed) && WTERMSIG(killed) == SIGKILL) << benchOutput();
            const bool done = !exists("combo.imp") && !ledger().receipts.empty();
            const bool stateHeld = !ledger().cashStates.empty();
            between();
            ASSERT_EQ(bench(0), 0) << benchOutput();
            expectSameLedger(done ? twice : stateHeld ? withCashStatesOf(clean, first) : clean, ledger());
            EXPECT_TRUE(sim.state().receipts.empty());
            EXPECT_FALSE(exists("combo.imp"));
            EXPECT_FALSE(exists("receipt.tmp"));
            EXPECT_FALSE(exists("kasa.tmp"));
            if (HasFailure()) return;
        }
    }
};

// Between the killed import and the next one the register may sell more: the
// host then holds what one clean import at the end gives it, and, when it had
// stored the killed import's cash state, that one too.
TEST_P(KillSweep, AtEveryFileStepOfAnImport) { sweepKills(false); }

TEST_P(KillSweep, AtEveryFileStepOfAnImportWhileTheRegisterSells) { sweepKills(true); }

// The same with a receipt.tmp to merge: the import before it found the
// register still ringing up the last receipt, which was finished since.
TEST_P(KillSweep, AtEveryFileStepOfAnImportThatMergesAReceiptTmp) {
    const RegisterState whole = recoveryRegister();
    const std::size_t cut = whole.receipts.size() - 3;  // inside the last receipt
    const auto prepare = [&] {
        fresh();
        RegisterState first = whole;
        first.receipts.resize(cut);
        sim.setState(first);
        ASSERT_EQ(bench(0), 0) << benchOutput();
        ASSERT_TRUE(exists("receipt.tmp"));
        sim.updateState([&](RegisterState& r) {
            r.receipts.assign(whole.receipts.begin() + static_cast<std::ptrdiff_t>(cut), whole.receipts.end());
        });
    };
    prepare();
    ASSERT_EQ(bench(0), 0) << benchOutput();
    const Ledger clean = ledger();
    const long steps = std::stol(slurp(root / "steps"));
    ASSERT_EQ(bench(0), 0) << benchOutput();
    const Ledger twice = ledger();
    for (long n = 1; n <= steps; ++n) {
        SCOPED_TRACE("killed at file step " + std::to_string(n) + " of " + std::to_string(steps));
        prepare();
        const int killed = bench(n);
        ASSERT_TRUE(WIFSIGNALED(killed) && WTERMSIG(killed) == SIGKILL) << benchOutput();
        const bool done =
            !exists("combo.imp") && !exists("receipt.tmp") && ledger().receipts.size() == clean.receipts.size();
        ASSERT_EQ(bench(0), 0) << benchOutput();
        expectSameLedger(done ? twice : clean, ledger());
        EXPECT_TRUE(sim.state().receipts.empty());
        EXPECT_FALSE(exists("combo.imp"));
        EXPECT_FALSE(exists("receipt.tmp"));
        EXPECT_FALSE(exists("kasa.tmp"));
        if (HasFailure()) return;
    }
}

// A rename or delete refused once (another program holding the file open)
// at every file step of an import that starts with a leftover "combo.imp",
// while the register has sold more since: the import stops with a message
// naming the file, and the next one gives the host each sale once.
TEST_P(KillSweep, ARenameOrDeleteRefusedOnceAtEveryFileStep) {
    const RegisterState whole = recoveryRegister();
    const std::size_t cut = whole.receipts.size() / 2;
    long leftoverAt = 0;  // the delete of the first import's "combo.imp"
    const auto prepare = [&] {
        fresh();
        RegisterState first = whole;
        first.receipts.resize(cut);
        sim.setState(first);
        if (leftoverAt == 0) {  // the last step that leaves "combo.imp" behind
            ASSERT_EQ(bench(0), 0) << benchOutput();
            for (leftoverAt = std::stol(slurp(root / "steps")); leftoverAt > 1; --leftoverAt) {
                fresh();
                sim.setState(first);
                bench(leftoverAt);
                if (exists("combo.imp")) break;
            }
            fresh();
            sim.setState(first);
        }
        const int killed = bench(leftoverAt);
        ASSERT_TRUE(WIFSIGNALED(killed)) << benchOutput();
        ASSERT_TRUE(exists("combo.imp"));
        sim.updateState([&](RegisterState& r) {
            r.receipts.insert(r.receipts.end(), whole.receipts.begin() + static_cast<std::ptrdiff_t>(cut),
                              whole.receipts.end());
        });
    };
    prepare();
    ASSERT_EQ(bench(0), 0) << benchOutput();
    const Ledger clean = ledger();
    const long steps = std::stol(slurp(root / "steps"));
    ASSERT_EQ(bench(0), 0) << benchOutput();
    const Ledger twice = ledger();
    int refused = 0;
    for (long n = 1; n <= steps; ++n) {
        SCOPED_TRACE("refused at file step " + std::to_string(n) + " of " + std::to_string(steps));
        prepare();
        const int failed = bench(0, n);
        ASSERT_TRUE(WIFEXITED(failed)) << benchOutput();
        if (benchOutput().find("Nie można usunąć pliku ") != std::string::npos) ++refused;  // the bench writes UTF-8
        // Without a "combo.imp" left, the register's state was handed over
        // and the next import reads it again, as any second import does.
        const bool done = !exists("combo.imp");
        ASSERT_EQ(bench(0), 0) << benchOutput();
        expectSameLedger(done ? twice : clean, ledger());
        EXPECT_TRUE(sim.state().receipts.empty());
        EXPECT_FALSE(exists("combo.imp"));
        EXPECT_FALSE(exists("receipt.tmp"));
        if (HasFailure()) return;
    }
    EXPECT_GE(refused, 2);  // the leftover's "combo.imp" and the new one's
}

INSTANTIATE_TEST_SUITE_P(Import, KillSweep,
                         ::testing::Values(Mode{"SalesFromReceipts", "1", "0"}, Mode{"SalesFromCounters", "0", "0"},
                                           Mode{"SalesFromReceiptsLogged", "1", "1"},
                                           Mode{"SalesFromCountersLogged", "0", "1"}),
                         [](const auto& i) { return std::string(i.param.name); });

}  // namespace

#endif
