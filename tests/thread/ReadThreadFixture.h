#pragma once
// What the read thread tests share: a queue that collects what the thread hands over while the
// test waits for it, and a brake step that counts.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <thread>
#include <vector>

#include "device/live/DeviceAccess.h"
#include "device/live/LiveEvents.h"

namespace klt::test {

// Drains the queue on the test's thread, as the window would, keeping everything it got.
class TLiveCollector {
public:
    TLiveEventQueue queue;
    std::vector<TLiveEvent> events;

    // Drains until `done` holds or a generous time has passed; false then.
    bool WaitFor(const std::function<bool()>& done, std::chrono::seconds limit = std::chrono::seconds(20)) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) {
                return false;
            }
            for (TLiveEvent& event : queue.WaitAndDrain(std::chrono::milliseconds(20))) {
                events.push_back(std::move(event));
            }
        }
        return true;
    }
    template <class T> size_t Count() const {
        size_t n = 0;
        for (const TLiveEvent& event : events) {
            n += std::holds_alternative<T>(event) ? 1 : 0;
        }
        return n;
    }
    std::vector<TLiveValueSet> Sets(int rider = 0) const {
        std::vector<TLiveValueSet> sets;
        for (const TLiveEvent& event : events) {
            if (const auto* set = std::get_if<TLiveValueSet>(&event); set != nullptr && (rider == 0 || set->rider == rider)) {
                sets.push_back(*set);
            }
        }
        return sets;
    }
};

// Counts its steps, checks that the read thread let go of the device meanwhile, and fails on demand.
class TCountingBrake : public IBrakeStep {
public:
    explicit TCountingBrake(TDeviceAccess& access) : access_(access) {}
    void AfterRead() override {
        ++steps;
        if (!access_.TryAcquire(std::chrono::milliseconds(0)).owns_lock()) {
            ++stepsUnderLock;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(stepMs.load())); // a brake value being sent
        if (fail) {
            throw std::runtime_error("Severe Error of Brakecontrol");
        }
        ++finished;
    }
    std::atomic<int> steps{0};
    std::atomic<int> finished{0};
    std::atomic<int> stepMs{0};
    std::atomic<int> stepsUnderLock{0};
    std::atomic<bool> fail{false};

private:
    TDeviceAccess& access_;
};

// Stops `stop` and tells how long it took.
inline std::chrono::milliseconds Timed(const std::function<void()>& stop) {
    const auto start = std::chrono::steady_clock::now();
    stop();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
}

// The stop must end promptly; the bound is loose for loaded machines, the time is printed.
inline constexpr std::chrono::milliseconds kPromptStop{3000};

} // namespace klt::test
