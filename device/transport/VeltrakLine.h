#pragma once
// The line operations every serial head-unit protocol builds on: line speeds, the line reset,
// byte-paced and block writes, and reads guarded against re-entry from the idle callback.
// A protocol object owns one TVeltrakLine over its ISerialLine and calls these instead of the
// line itself; the sleeps go through an ISleeper so tests need not wait.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "device/SerialLine.h"
#include "device/transport/LineTimeouts.h"

namespace klt {

class ISleeper {
public:
    virtual ~ISleeper() = default;
    virtual void Sleep(int milliseconds) = 0;
};

// Sleeps for real.
ISleeper& SystemSleeper();

struct TLineMode {
    TLineSettings settings;
    TLineTimeouts timeouts;
};

inline constexpr TLineMode kNormalLineMode{{9600, 8, TParity::None, 1}, {50, 50, 50, 50, 50}};
inline constexpr TLineMode kSlowLineMode{{4800, 8, TParity::None, 1}, {500, 200, 500, 200, 500}};
// The register protocol polls: reads return at once and the protocol times the reply itself.
inline constexpr TLineTimeouts kPollingTimeouts{kNoWaitInterval, kNoWaitInterval, 0, 0, 0};
inline constexpr TLineMode kRegisterLineMode{{19200, 8, TParity::None, 1}, kPollingTimeouts};

class TVeltrakLine {
public:
    explicit TVeltrakLine(ISerialLine& line, ISleeper& sleeper = SystemSleeper());

    ISerialLine& Line() { return line_; }
    // Names the port in "Port %s is not existing" ("Com3", from PortText).
    void SetPortText(std::string portText) { portText_ = std::move(portText); }
    // What a reader runs while another read is in progress: the protocol's idle procedure.
    void SetIdle(std::function<void()> idle) { idle_ = std::move(idle); }

    // Applies settings and time-outs together.
    void ApplyMode(const TLineMode& mode);
    void SetSlowMode(bool on) { ApplyMode(on ? kSlowLineMode : kNormalLineMode); }

    // Purges, then a 500 ms break and 500 ms of quiet; 20 filler bytes and 100 ms when the line
    // cannot break. Does nothing when called while a reset runs.
    void ResetLine();
    // One byte every 10 ms; a byte not taken is retried 3 times 2 ms apart, then the write ends
    // quietly. Flushes at the end. The number of bytes written.
    size_t WriteBytes(const uint8_t* bytes, size_t count);
    // The whole buffer in one write; the number of bytes taken.
    size_t WriteBlock(const uint8_t* bytes, size_t count);
    // One read of up to count bytes, repeated once when nothing came. A read that finds another in
    // progress runs the idle procedure until it ends, at most 25 times, and reads nothing if not.
    size_t ReadBytes(uint8_t* bytes, size_t count);

    static constexpr int kBreakMs = 500;
    static constexpr int kFillerPauseMs = 100;
    static constexpr size_t kFillerLength = 20;
    static constexpr int kBytePaceMs = 10;
    static constexpr int kRetryPauseMs = 2;
    static constexpr int kRetries = 3;
    static constexpr int kIdleWaits = 25;

private:
    void RequireOpen() const;

    ISerialLine& line_;
    ISleeper& sleeper_;
    std::string portText_;
    std::function<void()> idle_;
    bool resetting_ = false;
    bool reading_ = false;
};

} // namespace klt
