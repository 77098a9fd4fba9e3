#include "host/interrupt.h"

#include <atomic>
#include <csignal>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace zt {
namespace {

// Set from a signal handler (POSIX) or the console control thread (Windows),
// hence a lock-free atomic at namespace scope: no handler can carry context.
std::atomic<bool> gInterrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

#if defined(_WIN32)
BOOL WINAPI onConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    gInterrupted.store(true);
    return TRUE;
}
#else
void onSigint(int) { gInterrupted.store(true); }
#endif

}  // namespace

InterruptGuard::InterruptGuard() {
    gInterrupted.store(false);
#if defined(_WIN32)
    SetConsoleCtrlHandler(onConsoleControl, TRUE);
#else
    struct sigaction sa {};
    sa.sa_handler = onSigint;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESETHAND | SA_RESTART;  // a second Ctrl-C ends the bench
    sigaction(SIGINT, &sa, &previous_);
#endif
}

InterruptGuard::~InterruptGuard() {
#if defined(_WIN32)
    SetConsoleCtrlHandler(onConsoleControl, FALSE);
#else
    sigaction(SIGINT, &previous_, nullptr);
#endif
}

bool InterruptGuard::interrupted() { return gInterrupted.load(); }

}  // namespace zt
