#pragma once
// Time as the protocols see it: a millisecond tick and a sleep. Real time by default; tests pass a
// clock whose sleeps only advance the tick, so waiting never depends on the machine's load.
#include <cstdint>

namespace klt {

class IProtocolClock {
public:
    virtual ~IProtocolClock() = default;
    // Milliseconds on a 31-bit tick that wraps.
    virtual uint32_t Milliseconds() = 0;
    virtual void Sleep(int milliseconds) = 0;

    // Milliseconds from start to now on the wrapping tick.
    uint32_t Since(uint32_t start) { return (Milliseconds() - start) & 0x7FFFFFFFu; }
};

class TRealProtocolClock : public IProtocolClock {
public:
    uint32_t Milliseconds() override;
    void Sleep(int milliseconds) override;
};

// The process-wide real clock.
IProtocolClock& RealProtocolClock();

} // namespace klt
