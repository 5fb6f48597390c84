#pragma once
// The USB chip of a simulated generation VI or 7 head unit, as the computer's simulated FTDI
// backend sees it: a Unix stream socket in a fresh temporary directory. Every message is a frame of
// one byte code, a 32-bit little-endian payload length and the payload; the computer sends one
// request and waits for its reply (whose code is the driver status) before the next. Bytes the
// computer writes go to the head unit; its replies wait in the chip's receive queue to be read.
#include <atomic>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace klt::sim {

class TRequestHeadUnit;

class TUsbSimServer {
public:
    // Listens at once; throws std::system_error when the socket cannot be made.
    TUsbSimServer(std::string description, TRequestHeadUnit& headUnit);
    ~TUsbSimServer();
    TUsbSimServer(const TUsbSimServer&) = delete;
    TUsbSimServer& operator=(const TUsbSimServer&) = delete;

    const std::string& SocketPath() const { return socketPath_; }
    // Serves one computer after another until Stop.
    void Serve();
    void Stop();

private:
    struct TReply {
        uint8_t status = 0;
        std::vector<uint8_t> payload;
    };
    void Release();
    void ServeConnection(int connection);
    TReply Handle(uint8_t request, const std::vector<uint8_t>& payload);
    TReply Read(const std::vector<uint8_t>& payload);
    // Waits for `connection` to be readable; false once Stop was called or after `timeoutMs`.
    bool WaitReadable(int connection, int timeoutMs);
    bool ReceiveAll(int connection, uint8_t* bytes, size_t count);

    std::string description_;
    TRequestHeadUnit& headUnit_;
    std::string directory_, socketPath_;
    int listener_ = -1;
    int wake_[2] = {-1, -1};
    std::atomic<bool> stopping_{false};
    bool open_ = false;
    std::deque<uint8_t> toComputer_;
};

} // namespace klt::sim
