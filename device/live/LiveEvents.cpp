#include "device/live/LiveEvents.h"

namespace klt {

void TLiveEventQueue::Post(TLiveEvent event) {
    {
        std::lock_guard lock(mutex_);
        if (events_.size() >= capacity_) {
            events_.pop_front();
            ++dropped_;
        }
        events_.push_back(std::move(event));
    }
    posted_.notify_all();
}

std::vector<TLiveEvent> TLiveEventQueue::Drain() { return WaitAndDrain(std::chrono::milliseconds(0)); }

std::vector<TLiveEvent> TLiveEventQueue::WaitAndDrain(std::chrono::milliseconds wait) {
    std::unique_lock lock(mutex_);
    posted_.wait_for(lock, wait, [this] { return !events_.empty(); });
    std::vector<TLiveEvent> drained(std::make_move_iterator(events_.begin()), std::make_move_iterator(events_.end()));
    events_.clear();
    return drained;
}

size_t TLiveEventQueue::Dropped() const {
    std::lock_guard lock(mutex_);
    return dropped_;
}

} // namespace klt
