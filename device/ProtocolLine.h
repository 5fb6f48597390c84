#pragma once
// The line operations the protocols use on top of a raw serial line: opening a port, the normal
// and slow settings, the line reset, byte-paced and block writes and reads. All waits go through
// the protocol clock.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/ProtocolClock.h"
#include "device/SerialLine.h"
#include "device/transport/ComPorts.h"

namespace klt {

// Settings and time-outs the protocols switch between.
TLineSettings NormalLineSettings();
TLineSettings SlowLineSettings();
TLineSettings RegisterLineSettings(); // 19200 baud
TLineTimeouts NormalLineTimeouts();
TLineTimeouts SlowLineTimeouts();
// A read returns at once with whatever has arrived: the register protocol times its replies itself.
TLineTimeouts PollingLineTimeouts();

// The names of the listed ports joined by ", ", for messages after searching them all.
std::string PortListText(const std::vector<TVeltrakComPort>& ports);

class TProtocolLine {
public:
    TProtocolLine(std::unique_ptr<ISerialLine> line, IProtocolClock& clock);

    // Closes the open port and opens this one with the normal settings; EVeltrakComError when
    // it has no path or cannot be opened.
    void OpenPort(const TVeltrakComPort& port);
    void ClosePort();

    void Configure(const TLineSettings& settings);
    const TLineSettings& Settings() const { return settings_; }
    void SetTimeouts(const TLineTimeouts& timeouts);
    const TLineTimeouts& Timeouts() const { return timeouts_; }
    void SetSlowMode(bool on);

    void Purge();
    // Purge, break for 500 ms and 500 ms of quiet; where no break can be signalled, filler bytes
    // and 100 ms instead.
    void ResetLine();
    // One byte at a time with 10 ms after each; a byte not taken after 3 retries ends the write.
    size_t WriteBytes(const uint8_t* bytes, size_t count);
    size_t WriteBytes(const std::vector<uint8_t>& bytes) { return WriteBytes(bytes.data(), bytes.size()); }
    size_t WriteBlock(const uint8_t* bytes, size_t count);
    // One read of up to count bytes, repeated once when nothing came.
    size_t ReadBytes(uint8_t* bytes, size_t count);

    IProtocolClock& Clock() { return clock_; }

private:
    std::unique_ptr<ISerialLine> line_;
    IProtocolClock& clock_;
    TLineSettings settings_;
    TLineTimeouts timeouts_;
    bool resetting_ = false;
};

// The serial backend for real ports and pseudo-terminals.
std::unique_ptr<ISerialLine> CreateSerialLine();

} // namespace klt
