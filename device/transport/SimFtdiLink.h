#pragma once
// The FTDI link of a simulated head unit: every operation is one request to the simulator over
// a Unix stream socket (device/SimFtdiProtocol.h). The connection is made on first use and made
// again after a failure, so a simulator started late or restarted is found. Without a simulator
// every operation answers FT_DEVICE_NOT_FOUND.
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

    // How long past the operation's own time-out a reply may take before the link counts as broken.
    static constexpr int kReplyGraceMs = 2000;

private:
    using TBytes = std::vector<uint8_t>;
    TFtStatus Exchange(uint8_t request, const TBytes& payload, TBytes& reply, int waitMs);
    TFtStatus Exchange(uint8_t request, const TBytes& payload = {});
    TFtStatus List();
    void Disconnect();

    std::string socketPath_;
    int fd_ = -1;
    int readTimeoutMs_ = 500;
    std::vector<std::string> descriptions_;
};

} // namespace klt
