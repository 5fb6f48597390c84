#pragma once
// What the live read thread hands to the user-interface thread: copies only, so the window never
// reads what the thread is writing.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <variant>
#include <vector>

namespace klt {

// One rider's values in the head unit's raw units.
struct TLiveValueSet {
    int rider = 1;
    int64_t elapsedMs = 0; // since this rider's previous value set; -1 after a status message
    int32_t power = 0;     // 1/8 W
    int32_t cadence = 0;   // 1/32 rpm
    int32_t heartRate = 0; // 1/64 bpm
    int32_t speed = 0;     // mm/s
    int32_t temperature = 0; // 0.1 degC
    std::chrono::steady_clock::time_point stamp;
};

// One beat-to-beat interval from the heart-rate strap, in the order the heart beat.
struct TLiveBeatInterval {
    int32_t intervalTenthsMs = 0;
    std::chrono::steady_clock::time_point stamp; // when the read that brought it arrived
    int lostBefore = 0; // beats the head unit dropped just before this one (its store was full)
};

// No good read for too long, or too many failed reads in a row.
struct TLiveConnectionLost {};

// A head unit's status message (what followed its 0x04), for the user-interface thread to handle.
struct TLiveStatusMessage {
    std::vector<uint8_t> bytes;
};

// The brake step failed; reading goes on.
struct TLiveBrakeFailure {
    std::string message;
};

using TLiveEvent =
    std::variant<TLiveValueSet, TLiveConnectionLost, TLiveStatusMessage, TLiveBrakeFailure, TLiveBeatInterval>;

class ILiveSink {
public:
    virtual ~ILiveSink() = default;
    // Called on the read thread; must not block for long.
    virtual void Post(TLiveEvent event) = 0;
};

// The queue the user-interface thread drains. Bounded: when nobody drains it for a long time the
// oldest events go, so a stalled window cannot make the reader grow without limit.
class TLiveEventQueue : public ILiveSink {
public:
    static constexpr size_t kDefaultCapacity = 1024;
    explicit TLiveEventQueue(size_t capacity = kDefaultCapacity) : capacity_(capacity) {}

    void Post(TLiveEvent event) override;
    // Everything posted so far, oldest first.
    std::vector<TLiveEvent> Drain();
    // Waits at most `wait` for something to be posted, then drains.
    std::vector<TLiveEvent> WaitAndDrain(std::chrono::milliseconds wait);
    size_t Dropped() const;

private:
    const size_t capacity_;
    mutable std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<TLiveEvent> events_;
    size_t dropped_ = 0;
};

} // namespace klt
