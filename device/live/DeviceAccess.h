#pragma once
// During a live ride two parties talk to one head unit: the read thread, which polls it, and the
// brake control, which writes brake values (after each read on the read thread, and from the
// user-interface thread when the brake is released). Whoever talks to the head unit holds this
// lock for the whole exchange, so a brake write never cuts into a read.
#include <chrono>
#include <mutex>
#include <thread>

namespace klt {

class TDeviceAccess {
public:
    using TLock = std::unique_lock<std::timed_mutex>;

    TLock Acquire() { return TLock(mutex_); }
    // Waits at most `wait` for an exchange in progress; the lock is not owned when it took longer.
    // Polled in millisecond steps rather than a timed lock, which ThreadSanitizer does not follow
    // (it then reports the unlock of a mutex never locked).
    TLock TryAcquire(std::chrono::milliseconds wait) {
        const auto deadline = std::chrono::steady_clock::now() + wait;
        for (;;) {
            TLock lock(mutex_, std::try_to_lock);
            if (lock.owns_lock() || std::chrono::steady_clock::now() >= deadline) {
                return lock;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

private:
    std::timed_mutex mutex_;
};

// What the read thread asks of the brake control: one regulation step, run on the read thread after
// a successful polled read (at most every 500 ms), with the device lock not held; the step takes it
// to send. A step that fails throws; the read thread hands the failure on and goes on reading.
class IBrakeStep {
public:
    virtual ~IBrakeStep() = default;
    virtual void AfterRead() = 0;
};

} // namespace klt
