#include "tools/sim/HeadUnitContext.h"

namespace klt::sim {

THeadUnitContext::THeadUnitContext(const TSimOptions& options, TSimLine& line)
    : options_(options), line_(line), clock_(options.clock.value_or(LocalNowSeconds())) {
    state_.initials = options.initials;
    state_.intervalTenths = options.intervalTenths;
}

TSimState THeadUnitContext::Snapshot() {
    std::lock_guard lock(mutex_);
    TSimState copy = state_;
    copy.clockSeconds = clock_.Now().seconds;
    copy.garbledBytes = line_.GarbledBytes();
    return copy;
}

TClockReading THeadUnitContext::ClockNow() {
    std::lock_guard lock(mutex_);
    return clock_.Now();
}

void THeadUnitContext::SetClock(int64_t seconds, int hundredths) {
    std::lock_guard lock(mutex_);
    clock_.Set(seconds, hundredths);
}

bool THeadUnitContext::Every(int every, int& counter) {
    return every > 0 && ++counter % every == 0;
}

bool THeadUnitContext::RefuseThisTelegram() {
    const bool refuse = Every(options_.faults.nakEvery, telegramCount_);
    if (refuse) {
        Update([](TSimState& s) { ++s.faultsInjected; });
    }
    return refuse;
}

void THeadUnitContext::Reply(std::vector<uint8_t> bytes,
                             const std::function<void(std::vector<uint8_t>&)>& corrupt) {
    if (!line_.Pause(options_.replyDelayMs + options_.faults.delayMs)) {
        return;
    }
    bool injected = false;
    if (corrupt && Every(options_.faults.checksumEvery, replyCountChecksum_)) {
        corrupt(bytes);
        injected = true;
    }
    if (!bytes.empty() && Every(options_.faults.dropEvery, replyCountDrop_)) {
        bytes.erase(bytes.begin() + static_cast<long>(bytes.size() / 2));
        injected = true;
    }
    if (injected) {
        Update([](TSimState& s) { ++s.faultsInjected; });
    }
    line_.Send(bytes);
}

} // namespace klt::sim
