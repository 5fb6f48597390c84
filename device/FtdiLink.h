#pragma once
// The USB link of generation VI and 7 head units: an FTDI chip driven through the operations its
// driver library offers. Backends: libftdi1 for real hardware, and the simulator.
#include <cstddef>
#include <cstdint>
#include <string>

namespace klt {

// Status codes of the driver library: 0 success, 1 invalid handle, 2 device not found, 3 device
// not opened, 4 I/O error, 5 insufficient resources; others are further failures.
using TFtStatus = int;
inline constexpr TFtStatus FT_OK = 0;
inline constexpr TFtStatus FT_INVALID_HANDLE = 1;
inline constexpr TFtStatus FT_DEVICE_NOT_FOUND = 2;
inline constexpr TFtStatus FT_DEVICE_NOT_OPENED = 3;
inline constexpr TFtStatus FT_IO_ERROR = 4;
inline constexpr TFtStatus FT_INSUFFICIENT_RESOURCES = 5;

class IFtdiLink {
public:
    virtual ~IFtdiLink() = default;
    virtual TFtStatus DeviceCount(int& count) = 0;
    virtual TFtStatus DeviceDescription(int index, std::string& description) = 0;
    virtual TFtStatus OpenByDescription(const std::string& description) = 0;
    virtual TFtStatus Close() = 0;
    virtual TFtStatus ResetDevice() = 0;
    virtual TFtStatus PurgeTransmit() = 0;
    virtual TFtStatus PurgeReceive() = 0;
    virtual TFtStatus SetBreak(bool on) = 0;
    virtual TFtStatus SetBaudRate(int baud) = 0;
    virtual TFtStatus SetDataCharacteristics(int dataBits, int stopBits, int parity) = 0;
    virtual TFtStatus SetFlowControlNone(uint8_t xon, uint8_t xoff) = 0;
    virtual TFtStatus SetTimeouts(int readMs, int writeMs) = 0;
    virtual TFtStatus QueueStatus(size_t& waiting) = 0;
    virtual TFtStatus Write(const uint8_t* bytes, size_t count, size_t& written) = 0;
    virtual TFtStatus Read(uint8_t* bytes, size_t count, size_t& read) = 0;
    virtual TFtStatus SetBitMode(uint8_t mask, uint8_t mode) = 0;
    virtual TFtStatus CyclePort() = 0;
};

} // namespace klt
