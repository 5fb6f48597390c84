#pragma once
// Head units in monitor mode: once every simulated second one telemetry frame per rider, from that
// rider's ergometer, on a pseudo-terminal of their own at 9600 baud, with the telemetry faults of
// the options applied frame by frame; on demand a status message (0x04, text, 0x03) now and then.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/sim/SimClock.h"
#include "tools/sim/SimLine.h"
#include "tools/sim/SimOptions.h"

namespace klt::sim {

class TLiveErgometer;

class TTelemetrySender {
public:
    static constexpr int kBaud = 9600;

    // `riders[0]` is rider 1. Throws std::system_error without a pseudo-terminal.
    TTelemetrySender(const TSimOptions& options, std::vector<TLiveErgometer*> riders);
    const std::string& SlavePath() const { return line_.SlavePath(); }
    // Sends until Stop.
    void Serve();
    void Stop() { line_.Stop(); }

private:
    void SendCycle();
    bool Every(int every) const { return every > 0 && framesSent_ % every == 0; }

    const TSimOptions& options_;
    std::vector<TLiveErgometer*> riders_;
    THeadUnitClock clock_;
    TSimLine line_{kBaud};
    uint32_t cycles_ = 0;     // each rider's frame counter
    uint32_t framesSent_ = 0; // what the faults count
};

} // namespace klt::sim
