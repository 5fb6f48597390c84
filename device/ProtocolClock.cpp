#include "device/ProtocolClock.h"

#include <chrono>
#include <thread>

namespace klt {

uint32_t TRealProtocolClock::Milliseconds() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count()) &
           0x7FFFFFFFu;
}

void TRealProtocolClock::Sleep(int milliseconds) {
    if (milliseconds > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
}

IProtocolClock& RealProtocolClock() {
    static TRealProtocolClock clock;
    return clock;
}

} // namespace klt
