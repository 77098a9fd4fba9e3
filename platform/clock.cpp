#include "platform/clock.h"

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#endif

namespace zt {
namespace {

class SystemClock : public Clock {
public:
    std::uint32_t tickCount() override {
#ifdef _WIN32
        return GetTickCount();
#else
        using namespace std::chrono;
        return static_cast<std::uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
#endif
    }
    void sleep(std::uint32_t ms) override {
#ifdef _WIN32
        Sleep(ms);
#else
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
#endif
    }
    double now() override { return systemNow(); }
};

Clock* g_installed = nullptr;

}  // namespace

Clock& systemClock() {
    static SystemClock sys;
    return sys;
}

namespace {

Clock& defaultClock() {
    static VirtualClock* virt = [] {
        const char* v = std::getenv("ZTCOMBO_VIRTUAL_TIME");
        return (v && *v == '1') ? new VirtualClock() : nullptr;
    }();
    if (virt) return *virt;
    return systemClock();
}

}  // namespace

double systemNow() {
#ifdef _WIN32
    SYSTEMTIME st;
    GetLocalTime(&st);
    int y = st.wYear, m = st.wMonth, d = st.wDay;
    double secs = st.wHour * 3600.0 + st.wMinute * 60.0 + st.wSecond + st.wMilliseconds / 1000.0;
#else
    using namespace std::chrono;
    auto tp = system_clock::now();
    std::time_t tt = system_clock::to_time_t(tp);
    std::tm t{};
    localtime_r(&tt, &t);
    int y = t.tm_year + 1900, m = t.tm_mon + 1, d = t.tm_mday;
    double secs = t.tm_hour * 3600.0 + t.tm_min * 60.0 + t.tm_sec;
#endif
    // Days from 1899-12-30 by the civil-from-days algorithm.
    y -= m <= 2;
    long era = (y >= 0 ? y : y - 399) / 400;
    long yoe = y - era * 400;
    long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    long days1970 = era * 146097 + doe - 719468;
    return static_cast<double>(days1970 + 25569) + secs / 86400.0;
}

VirtualClock::VirtualClock() : start_(systemNow()) {}

Clock& clock() { return g_installed ? *g_installed : defaultClock(); }

void setClock(Clock* c) { g_installed = c; }

}  // namespace zt
