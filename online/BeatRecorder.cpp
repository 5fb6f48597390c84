#include "online/BeatRecorder.h"

namespace klt {

TBeatRecorder::TBeatRecorder() { Clear(); }

void TBeatRecorder::Take(const TLiveEvent& event) {
    if (const auto* beat = std::get_if<TLiveBeatInterval>(&event)) {
        const int64_t hundredths =
            std::chrono::duration_cast<std::chrono::milliseconds>(beat->stamp - start_).count() / 10;
        table_.Append(LaterBy(startMark_, hundredths), beat->intervalTenthsMs);
        lost_ += beat->lostBefore;
        connectionLost_ = false;
    } else if (std::holds_alternative<TLiveConnectionLost>(event)) {
        connectionLost_ = true;
        everLost_ = true;
    }
}

void TBeatRecorder::Clear() {
    start_ = std::chrono::steady_clock::now();
    startMark_ = TDateTimeMark::Now();
    table_.Clear();
    lost_ = 0;
    connectionLost_ = false;
    everLost_ = false;
}

} // namespace klt
