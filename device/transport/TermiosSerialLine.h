#pragma once
// A serial line on a termios device (/dev/ttyS*, /dev/ttyUSB*, pseudo-terminals).
//
// - Exclusive: the device is opened non-blocking, locked with flock(LOCK_EX|LOCK_NB) and marked
//   TIOCEXCL, so a second program (or a second line in this one) is refused with
//   "Port %s is in use by another application".
// - Time-outs follow TLineTimeouts with poll(): the whole read ends after perByte * n + constant
//   ms (when either is set), and once a byte came, after interval ms without another (when set).
//   An interval of kNoWaitInterval with a zero constant returns at once with what has arrived.
// - Even or odd parity checks incoming bytes; the kernel marks a faulty byte (PARMRK) and the
//   line hands it on as the error character 0xFE, so protocols see what the port driver of the
//   head unit's original platform delivered.
// - Driver queue sizes are the kernel's; nothing to set.
#include <cstdint>
#include <string>

#include "device/SerialLine.h"
#include "device/transport/LineTimeouts.h"
#include "device/transport/ParityMarks.h"

namespace klt {

class TTermiosSerialLine : public ISerialLine {
public:
    // portText names the port in messages ("Com3"); the device path when empty.
    explicit TTermiosSerialLine(std::string portText = {}) : portText_(std::move(portText)) {}
    ~TTermiosSerialLine() override;
    TTermiosSerialLine(const TTermiosSerialLine&) = delete;
    TTermiosSerialLine& operator=(const TTermiosSerialLine&) = delete;

    void SetPortText(std::string portText) { portText_ = std::move(portText); }

    void Open(const std::string& path) override;
    void Close() override;
    bool IsOpen() const override { return fd_ >= 0; }
    void Configure(const TLineSettings& settings) override;
    void SetTimeouts(const TLineTimeouts& timeouts) override;
    void Purge() override;
    bool SetBreak(bool on) override;
    size_t Write(const uint8_t* bytes, size_t count) override;
    void Flush() override;
    size_t Read(uint8_t* bytes, size_t count) override;

private:
    int Handle() const; // throws "Port %s is not existing" when closed
    [[noreturn]] void Fail(const char* call) const;
    std::string Text() const { return portText_.empty() ? path_ : portText_; }

    int fd_ = -1;
    std::string path_;
    std::string portText_;
    TLineTimeouts timeouts_;
    bool parityMarks_ = false;
    TParityMarkDecoder marks_;
};

} // namespace klt
