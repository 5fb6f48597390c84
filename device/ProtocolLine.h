#pragma once
// The line as the protocols hold it: the serial line they own, the port they opened on it, and the
// settings and time-outs in force so a protocol can change them for a moment and restore them. The
// line operations themselves are TVeltrakLine's, with their waits on the protocol clock.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/ProtocolClock.h"
#include "device/SerialLine.h"
#include "device/transport/ComPorts.h"
#include "device/transport/VeltrakLine.h"

namespace klt {

// The names of the listed ports joined by ", ", for messages after searching them all.
std::string PortListText(const std::vector<TVeltrakComPort>& ports);

// Lets the line's pauses pass on the protocol clock, so tests that drive the clock drive them too.
class TProtocolClockSleeper : public ISleeper {
public:
    explicit TProtocolClockSleeper(IProtocolClock& clock) : clock_(clock) {}
    void Sleep(int milliseconds) override { clock_.Sleep(milliseconds); }

private:
    IProtocolClock& clock_;
};

class TProtocolLine {
public:
    TProtocolLine(std::unique_ptr<ISerialLine> line, IProtocolClock& clock);
    TProtocolLine(const TProtocolLine&) = delete;
    TProtocolLine& operator=(const TProtocolLine&) = delete;

    // Closes the open port and opens this one in the normal mode; EVeltrakComError when it has no
    // path or cannot be opened.
    void OpenPort(const TVeltrakComPort& port);
    void ClosePort();

    void ApplyMode(const TLineMode& mode);
    void Configure(const TLineSettings& settings);
    const TLineSettings& Settings() const { return mode_.settings; }
    void SetTimeouts(const TLineTimeouts& timeouts);
    const TLineTimeouts& Timeouts() const { return mode_.timeouts; }
    void SetSlowMode(bool on) { ApplyMode(on ? kSlowLineMode : kNormalLineMode); }

    void Purge() { line_->Purge(); }
    void ResetLine() { veltrakLine_.ResetLine(); }
    size_t WriteBytes(const uint8_t* bytes, size_t count) { return veltrakLine_.WriteBytes(bytes, count); }
    size_t WriteBytes(const std::vector<uint8_t>& bytes) { return WriteBytes(bytes.data(), bytes.size()); }
    size_t WriteBlock(const uint8_t* bytes, size_t count) { return veltrakLine_.WriteBlock(bytes, count); }
    size_t ReadBytes(uint8_t* bytes, size_t count) { return veltrakLine_.ReadBytes(bytes, count); }

    IProtocolClock& Clock() { return clock_; }

private:
    std::unique_ptr<ISerialLine> line_;
    IProtocolClock& clock_;
    TProtocolClockSleeper sleeper_;
    TVeltrakLine veltrakLine_;
    TLineMode mode_ = kNormalLineMode;
};

// The serial backend for real ports and pseudo-terminals.
std::unique_ptr<ISerialLine> CreateSerialLine();

} // namespace klt
