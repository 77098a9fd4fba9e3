#pragma once
// Time as the plug-in sees it: tick count, sleep and wall clock. Production uses
// the operating system; tests install a virtual clock so that the fixed pauses
// and time-outs of the register link cost nothing. Setting the environment
// variable ZTCOMBO_VIRTUAL_TIME=1 makes a loaded plug-in use a virtual clock too.
#include <cstdint>

namespace zt {

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since an arbitrary start, wrapping like GetTickCount.
    virtual std::uint32_t tickCount() = 0;
    virtual void sleep(std::uint32_t ms) = 0;
    // Local date-time as a day count since 30 December 1899.
    virtual double now() = 0;
    // True for a clock that moves only when slept on: waits on outside input
    // must then be cut into short real probes.
    virtual bool IsVirtual() const { return false; }
};

// The operating system's clock.
Clock& systemClock();

// A clock that only moves when slept on or advanced; now() starts at the real time.
class VirtualClock : public Clock {
public:
    VirtualClock();
    std::uint32_t tickCount() override { return ticks_; }
    void sleep(std::uint32_t ms) override { ticks_ += ms; }
    double now() override { return start_ + ticks_ / 86400000.0; }
    void advance(std::uint32_t ms) { ticks_ += ms; }
    bool IsVirtual() const override { return true; }

private:
    std::uint32_t ticks_ = 1000;
    double start_;
};

// The clock in force; the system clock unless one was installed.
Clock& clock();
// Installs a clock (null restores the default); the caller keeps ownership.
void setClock(Clock* c);

inline std::uint32_t tickCount() { return clock().tickCount(); }
inline void sleepMs(std::uint32_t ms) { clock().sleep(ms); }
inline double now() { return clock().now(); }

// Local time now from the operating system, as a day count.
double systemNow();

}  // namespace zt
