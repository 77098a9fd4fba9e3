// The card-server lock against a card server on 127.0.0.1: the command lines,
// the warning when it is absent or silent, and the lock around the link.
#include <chrono>

#include "link/card_server.h"
#include "tests/support/link_support.h"

namespace ztlink {
namespace {

using zt::pl;
const std::string kNoServer = "Serwer Kart Posnet (sk.exe) nie odpowiada.";
const std::string OK = std::string(1, zt::kProgressSep) + "OK";

// Records what each connection sent; answers "OK\r\n" unless silent.
class CardServer {
public:
    explicit CardServer(bool silent = false) : silent_(silent) {
        thread_ = std::thread([this] {
            while (!stop_) {
                auto c = listener_.accept(10);
                if (!c) continue;
                std::string got;
                char buf[64];
                try {
                    for (int i = 0; i < 300 && !stop_ && got.find("\r\n") == std::string::npos; ++i)
                        got.append(buf, c->receiveSome(buf, sizeof buf, 10));
                    record(got);
                    if (!silent_) c->sendAll("OK\r\n", 1000);
                    // Hold the connection until the plug-in closes it.
                    for (int i = 0; i < 300 && !stop_ && !c->peerClosed(); ++i) c->receiveSome(buf, sizeof buf, 10);
                } catch (const std::exception&) {
                    // The plug-in went first.
                }
            }
        });
    }
    ~CardServer() {
        stop_ = true;
        thread_.join();
    }
    std::uint16_t port() const { return listener_.port(); }
    std::vector<std::string> received() const {
        std::lock_guard<std::mutex> g(m_);
        return received_;
    }

private:
    void record(const std::string& got) {
        std::lock_guard<std::mutex> g(m_);
        received_.push_back(got);
    }
    bool silent_;
    zt::TcpListener listener_;
    std::atomic<bool> stop_{false};
    mutable std::mutex m_;
    std::vector<std::string> received_;
    std::thread thread_;
};

class CardServerTest : public LinkTest {
protected:
    void use(std::uint16_t port) {
        host.params["ComboSkpUse"] = "1";
        host.params["ComboSkpIp"] = "127.0.0.1";
        host.params["ComboSkpPort"] = std::to_string(port);
    }
    zt::CardServerSettings settings() { return withParameters({}).cardServer; }
};

TEST_F(CardServerTest, LinesCarryTheRegisterNumberMinusOne) {
    host.registerNo = 3;
    CardServer server;
    use(server.port());
    zt::TCardServerLock lock(action());
    lock.LockSKP(settings());
    EXPECT_TRUE(lock.locked());
    lock.UnlockSKP(settings());
    EXPECT_FALSE(lock.locked());
    EXPECT_EQ(server.received(), (std::vector<std::string>{"DISABLE 2\r\n", "ENABLE 2\r\n"}));
    EXPECT_EQ(host.list(), (std::vector<std::string>{"Zdalne zablokowanie serwera Posnet (SKP)",
                                                     "Zdalne odblokowanie serwera Posnet (SKP)"}));
    EXPECT_EQ(host.statusLines(), (std::vector<std::string>{"Zdalne zablokowanie serwera Posnet (SKP)" + OK,
                                                            "Zdalne odblokowanie serwera Posnet (SKP)" + OK}));
}

TEST_F(CardServerTest, SwitchedOffShowsTheLinesOnly) {
    CardServer server;
    host.params["ComboSkpPort"] = std::to_string(server.port());
    zt::TCardServerLock lock(action());
    lock.LockSKP(settings());
    lock.UnlockSKP(settings());
    EXPECT_EQ(host.list(), (std::vector<std::string>{"Zdalne zablokowanie serwera Posnet (SKP)",
                                                     "Zdalne odblokowanie serwera Posnet (SKP)"}));
    EXPECT_TRUE(host.statusLines().empty());
    EXPECT_TRUE(server.received().empty());
}

TEST_F(CardServerTest, AbsentServerOnlyWarns) {
    std::uint16_t port = 0;
    {
        zt::TcpListener gone;
        port = gone.port();
    }
    use(port);
    const int fds = openDescriptors();
    zt::TCardServerLock lock(action());
    EXPECT_NO_THROW(lock.LockSKP(settings()));
    EXPECT_EQ(host.list(zt::kWarning), std::vector<std::string>{kNoServer});
    EXPECT_EQ(openDescriptors(), fds);
}

TEST_F(CardServerTest, SilentServerCostsTheBoundOnTheClock) {
    CardServer server(true);
    use(server.port());
    zt::TCardServerLock lock(action());
    const std::uint32_t start = zt::tickCount();
    const auto real = std::chrono::steady_clock::now();
    lock.LockSKP(settings());
    const std::uint32_t waited = zt::tickCount() - start;
    EXPECT_GE(waited, 2000u);
    EXPECT_LE(waited, 2100u);
    EXPECT_LT(std::chrono::steady_clock::now() - real, std::chrono::seconds(1));
    EXPECT_EQ(server.received(), std::vector<std::string>{"DISABLE 0\r\n"});
    EXPECT_EQ(host.list(zt::kWarning), std::vector<std::string>{kNoServer});
}

TEST_F(CardServerTest, LinkIsBracketedByTheLockOnEveryPath) {
    host.registerNo = 5;
    CardServer server;
    use(server.port());
    factory->useFake = true;
    factory->prepare = [](zt::FakeTransport& t) {
        playOn(t, [](const std::string& req, int) { return statusGetFrame(req, 2); });
    };
    link(serialConfig("COM1")).OpenLink();
    EXPECT_TRUE(link_->IsOpen());
    link_.reset();  // the operation left without closing: the destructor does it
    EXPECT_EQ(server.received(), (std::vector<std::string>{"DISABLE 4\r\n", "ENABLE 4\r\n"}));

    // A port that cannot be opened: unlocked by the opening itself.
    factory->prepare = [](zt::FakeTransport& t) { t.failNextOpen("no such port"); };
    EXPECT_THROW(link(serialConfig("COM9")).OpenLink(), zt::EMException);
    EXPECT_FALSE(link_->IsOpen());
    EXPECT_EQ(server.received().size(), 4u);
    EXPECT_EQ(server.received().back(), "ENABLE 4\r\n");
}

}  // namespace
}  // namespace ztlink
