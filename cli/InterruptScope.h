#pragma once
// Ctrl+C ends a long head-unit command cleanly instead of killing the program in the middle of an
// exchange with the brake engaged. Threads the command starts run with the signal blocked, so it
// lands on the command's own thread, which looks at Interrupted() between its waits; or the
// command runs blocked as a whole and looks whether the signal is pending.
#include <csignal>
#include <pthread.h>

namespace klt::cli {

class TInterruptScope {
public:
    TInterruptScope() {
        interrupted_ = 0;
        struct sigaction action {};
        action.sa_handler = [](int) { interrupted_ = 1; };
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &previous_);
        sigemptyset(&blocked_);
        sigaddset(&blocked_, SIGINT);
    }
    ~TInterruptScope() { sigaction(SIGINT, &previous_, nullptr); }
    TInterruptScope(const TInterruptScope&) = delete;
    TInterruptScope& operator=(const TInterruptScope&) = delete;

    static bool Interrupted() { return interrupted_ != 0; }
    // Inside StartBlocked: whether Ctrl+C came meanwhile (it is handled once the block ends).
    static bool PendingWhileBlocked() {
        sigset_t pending;
        return sigpending(&pending) == 0 && sigismember(&pending, SIGINT) == 1;
    }

    // Runs `start` with the signal blocked, so that threads it starts never take it.
    template <class F> void StartBlocked(F&& start) {
        pthread_sigmask(SIG_BLOCK, &blocked_, nullptr);
        start();
        pthread_sigmask(SIG_UNBLOCK, &blocked_, nullptr);
    }

private:
    static inline volatile std::sig_atomic_t interrupted_ = 0;
    struct sigaction previous_ {};
    sigset_t blocked_{};
};

} // namespace klt::cli
