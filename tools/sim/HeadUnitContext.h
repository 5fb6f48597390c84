#pragma once
// What both generations of simulated head unit share: the line, the options, the clock, the
// inspectable state and the injected faults.
#include <functional>
#include <mutex>
#include <vector>

#include "tools/sim/SimClock.h"
#include "tools/sim/SimLine.h"
#include "tools/sim/SimOptions.h"
#include "tools/sim/SimState.h"

namespace klt::sim {

class THeadUnitContext {
public:
    THeadUnitContext(const TSimOptions& options, TSimLine& line);

    const TSimOptions& Options() const { return options_; }
    TSimLine& Line() { return line_; }

    // Changes the state under the lock tests read it with.
    template <class F> void Update(F&& change) {
        std::lock_guard lock(mutex_);
        change(state_);
    }
    TSimState Snapshot();

    TClockReading ClockNow();
    void SetClock(int64_t seconds, int hundredths = 0);

    // True when this telegram is the one in n the "nak" fault refuses.
    bool RefuseThisTelegram();
    // Sends a reply after the head unit's thinking time, with the "delay", "drop" and "checksum"
    // faults applied; `corrupt` spoils the reply the way a checksum error shows on this protocol.
    void Reply(std::vector<uint8_t> bytes, const std::function<void(std::vector<uint8_t>&)>& corrupt = {});

private:
    static bool Every(int every, int& counter);

    const TSimOptions& options_;
    TSimLine& line_;
    std::mutex mutex_;
    TSimState state_;
    THeadUnitClock clock_;
    int telegramCount_ = 0, replyCountDrop_ = 0, replyCountChecksum_ = 0;
};

} // namespace klt::sim
