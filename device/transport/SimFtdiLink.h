#pragma once
// The FTDI link of a simulated head unit: a Unix stream socket to whatever plays the head unit
// (device/SimFtdiProtocol.h, docs/usb-simulation.md). Connecting is finding the device plugged in;
// the head unit names itself first. The receive queue is this side's buffer of the data the head
// unit sent, and time-outs are kept here: a read waits on the socket. Without a listening socket
// no device is found; a connection that breaks is an I/O error until the device is opened again.
#include <chrono>
#include <deque>
#include <string>
#include <vector>

#include "device/FtdiLink.h"

namespace klt {

class TSimFtdiLink : public IFtdiLink {
public:
    explicit TSimFtdiLink(std::string socketPath) : socketPath_(std::move(socketPath)) {}
    ~TSimFtdiLink() override;
    TSimFtdiLink(const TSimFtdiLink&) = delete;
    TSimFtdiLink& operator=(const TSimFtdiLink&) = delete;

    TFtStatus DeviceCount(int& count) override;
    TFtStatus DeviceDescription(int index, std::string& description) override;
    TFtStatus OpenByDescription(const std::string& description) override;
    TFtStatus Close() override;
    TFtStatus ResetDevice() override;
    TFtStatus PurgeTransmit() override;
    TFtStatus PurgeReceive() override;
    TFtStatus SetBreak(bool on) override;
    TFtStatus SetBaudRate(int baud) override;
    TFtStatus SetDataCharacteristics(int dataBits, int stopBits, int parity) override;
    TFtStatus SetFlowControlNone(uint8_t xon, uint8_t xoff) override;
    TFtStatus SetTimeouts(int readMs, int writeMs) override;
    TFtStatus QueueStatus(size_t& waiting) override;
    TFtStatus Write(const uint8_t* bytes, size_t count, size_t& written) override;
    TFtStatus Read(uint8_t* bytes, size_t count, size_t& read) override;
    TFtStatus SetBitMode(uint8_t mask, uint8_t mode) override;
    TFtStatus CyclePort() override;

    // How long a head unit may take to name itself after the connection is made.
    static constexpr int kGreetingMs = 2000;
    // Received data kept beyond this is dropped, as a full chip buffer drops it.
    static constexpr size_t kReceiveQueueLimit = 64 * 1024;

private:
    using TBytes = std::vector<uint8_t>;
    using TTime = std::chrono::steady_clock::time_point;
    enum class TState { closed, open, lost };
    enum class TArrival { frame, nothing, ended };

    // Connects and waits for the greeting; the descriptor, or -1 when no device answered.
    int Connect(std::string& description, TBytes& inbound);
    // The next complete frame from `fd`, waiting until `deadline` at most.
    static TArrival NextFrame(int fd, TBytes& inbound, TTime deadline, uint8_t& type, TBytes& payload);
    // Takes the data frames that arrive until `wanted` bytes are queued or `deadline` passed.
    TArrival Receive(size_t wanted, TTime deadline);
    TFtStatus Send(uint8_t type, const TBytes& payload = {});
    // FT_OK while open; otherwise the status every operation on the device gets.
    TFtStatus Usable() const;
    void Lose();
    void Release(TState next);

    std::string socketPath_;
    int fd_ = -1;
    TState state_ = TState::closed;
    std::string description_;
    int readTimeoutMs_ = 500;
    TBytes inbound_;
    std::deque<uint8_t> received_;
    std::vector<std::string> descriptions_;
};

} // namespace klt
