#pragma once
// Ctrl-C during an operation: the first one only raises the flag that the
// abort query answers, so the plug-in can stop cleanly; a second one ends the
// bench the usual way (POSIX).
#if !defined(_WIN32)
#include <signal.h>
#endif

namespace zt {

class InterruptGuard {
public:
    InterruptGuard();   // installs the handler and clears the flag
    ~InterruptGuard();  // restores the previous handling
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

    static bool interrupted();

#if !defined(_WIN32)
private:
    struct sigaction previous_ {};
#endif
};

}  // namespace zt
