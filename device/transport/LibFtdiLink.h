#pragma once
// The FTDI link of real head units through libftdi1. Devices are the FTDI chips with the maker's
// default ids; a device is opened by the product description it reports.
// - Queue status reads what has arrived (1 ms USB time-out) into a buffer that the next Read
//   hands out first, since the chip cannot be asked how much it holds.
// - Read waits until the requested count came or the read time-out passed.
// - CyclePort resets the chip and closes the handle; the device is opened again by description.
#include <memory>
#include <string>
#include <vector>

#include "device/FtdiLink.h"

struct ftdi_context;

namespace klt {

class TLibFtdiLink : public IFtdiLink {
public:
    TLibFtdiLink();
    ~TLibFtdiLink() override;
    TLibFtdiLink(const TLibFtdiLink&) = delete;
    TLibFtdiLink& operator=(const TLibFtdiLink&) = delete;

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

private:
    TFtStatus ApplyLineProperties(bool breakOn);
    // FT_INVALID_HANDLE when no device is open, FT_INSUFFICIENT_RESOURCES without a context.
    TFtStatus Ready() const;
    TFtStatus Io(int result) const { return result < 0 ? FT_IO_ERROR : FT_OK; }
    TFtStatus ListDescriptions();

    ftdi_context* context_ = nullptr;
    bool open_ = false;
    int dataBits_ = 8, stopBits_ = 0, parity_ = 0;
    int readTimeoutMs_ = 500;
    std::vector<uint8_t> received_;
    std::vector<std::string> descriptions_;
};

} // namespace klt
