#pragma once
// The USB chip of a simulated generation VI or 7 head unit, as the computer's simulated FTDI
// backend sees it: a Unix stream socket in a fresh temporary directory (docs/usb-simulation.md).
// Every message is a type byte, a 16-bit big-endian payload length and the payload. A connection
// is the head unit plugged in: it names itself ('I'), hears the computer's data ('D') and the chip
// settings, and sends its replies as data. One connection is served at a time; the next waits.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace klt::sim {

class TRequestHeadUnit;

class TUsbSimServer {
public:
    // Listens at once; throws std::system_error when the socket cannot be made. With `lineRate`
    // the replies take as long as a 38,400 baud line needs for them.
    TUsbSimServer(std::string description, TRequestHeadUnit& headUnit, bool lineRate = false);
    ~TUsbSimServer();
    TUsbSimServer(const TUsbSimServer&) = delete;
    TUsbSimServer& operator=(const TUsbSimServer&) = delete;

    const std::string& SocketPath() const { return socketPath_; }
    // Serves one computer after another until Stop.
    void Serve();
    void Stop();

private:
    using TTime = std::chrono::steady_clock::time_point;
    void Release();
    void ServeConnection(int connection);
    // False when the message ends the connection.
    bool Handle(uint8_t type, const std::vector<uint8_t>& payload);
    // Sends the replies the line has carried by now; false when the computer is gone.
    bool Deliver(int connection);
    // How long the next reply bytes take on the line, in nanoseconds; -1: nothing under way.
    int64_t NanosecondsToNextDelivery() const;
    // Waits for `fd` to be readable or `timeoutNs` to pass (-1: no limit); false once stopped.
    bool Wait(int fd, int64_t timeoutNs, bool& readable);

    std::string description_;
    TRequestHeadUnit& headUnit_;
    bool lineRate_;
    std::string directory_, socketPath_;
    int listener_ = -1;
    int wake_[2] = {-1, -1};
    std::atomic<bool> stopping_{false};
    std::deque<uint8_t> toComputer_; // replies not yet delivered
    TTime lineStart_{};
    int64_t lineBytes_ = 0;           // delivered since lineStart_
    bool unplugDue_ = false;
};

} // namespace klt::sim
