#include "device/live/PollErrorCount.h"

namespace klt {

void TPollErrorCount::Success(int64_t nowMs) {
    lastGoodMs_ = nowMs;
    succeeded_ = true;
    errors_ = 0;
    reported_ = false;
}

TPollErrorCount::TVerdict TPollErrorCount::Failure(int64_t nowMs, int limit) {
    ++errors_;
    const bool forgiven = errors_ <= limit && (!succeeded_ || nowMs - lastGoodMs_ < kRecentSuccessMs);
    return {errors_, !forgiven && Report()};
}

bool TPollErrorCount::Silent(int64_t nowMs) { return nowMs - lastGoodMs_ >= kSilenceMs && Report(); }

bool TPollErrorCount::Report() {
    if (reported_) {
        return false;
    }
    reported_ = true;
    return true;
}

} // namespace klt
