#pragma once
// The head unit's end of the serial line: the master of a pseudo-terminal pair whose slave the
// computer opens like a serial port. Since a pseudo-terminal carries bytes whatever the speed, the
// line plays the part of the two UARTs: bytes sent at another speed than the head unit's are lost,
// and a parity bit the head unit does not expect lands where it expects the stop bit.
#include <atomic>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace klt::sim {

class TSimLine {
public:
    explicit TSimLine(int headUnitBaud); // throws std::system_error when no pseudo-terminal is free
    ~TSimLine();
    TSimLine(const TSimLine&) = delete;
    TSimLine& operator=(const TSimLine&) = delete;

    const std::string& SlavePath() const { return slavePath_; }

    // The next byte the head unit hears; nothing after `timeoutMs` or once Stop was called.
    std::optional<uint8_t> Receive(int timeoutMs);
    // Discards what the head unit has heard but not yet taken.
    void DiscardInput() { heard_.clear(); }
    // Puts a byte back to be heard again next.
    void Unreceive(uint8_t byte) { heard_.push_front(byte); }
    // Sends as the head unit's UART would; the computer receives what its own settings make of it.
    void Send(const std::vector<uint8_t>& bytes);
    // Waits without hearing anything; false once Stop was called.
    bool Pause(int ms);

    void Stop();
    bool Stopping() const { return stopping_; }
    // Bytes lost or garbled by a speed or parity the head unit does not use.
    int GarbledBytes() const { return garbled_; }

private:
    struct TComputerSide {
        bool sameSpeed = true;
        bool parity = false, oddParity = false, ignoreParityErrors = false, markParityErrors = false;
    };
    TComputerSide ComputerSide() const;
    bool WaitReadable(int timeoutMs);
    void ReleaseAfterComputerClosed();

    int headUnitBaud_;
    int master_ = -1;
    int slave_ = -1;  // held open so that the line keeps its settings between the computer's opens
    int closes_ = -1; // inotify: the computer closed the slave
    int wake_[2] = {-1, -1};
    std::string slavePath_;
    std::deque<uint8_t> heard_;
    std::atomic<bool> stopping_{false};
    std::atomic<int> garbled_{0};
};

} // namespace klt::sim
