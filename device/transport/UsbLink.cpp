#include "device/transport/UsbLink.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "device/transport/LibFtdiLink.h"
#include "device/transport/SimFtdiLink.h"

namespace klt {

std::string_view FtStatusText(TFtStatus status) {
    switch (status) {
    case FT_INVALID_HANDLE:
        return " - Invalid Handle...";
    case FT_DEVICE_NOT_FOUND:
        return " - Device Not Found....";
    case FT_DEVICE_NOT_OPENED:
        return " - Device Not Opened...";
    case FT_IO_ERROR:
        return " - General IO Error...";
    case FT_INSUFFICIENT_RESOURCES:
        return " - Insufficient Resources...";
    default:
        return {};
    }
}

TFtStatus TUsbLink::Checked(TFtStatus status, std::string_view operation) {
    if (status != FT_OK && errorDisplay_ && errorPrompt_ != nullptr && !FtStatusText(status).empty()) {
        errorPrompt_->ShowMessage("Warning", std::string(operation) + std::string(FtStatusText(status)));
    }
    return status;
}

TFtStatus TUsbLink::DeviceCount(int& count) {
    return Checked(link_.DeviceCount(count), "GetFTDeviceCount");
}

TFtStatus TUsbLink::DeviceDescription(int index, std::string& description) {
    const TFtStatus status = link_.DeviceDescription(index, description);
    if (status == FT_OK) {
        description.resize(std::min(description.size(), kMaxDescriptionLength));
        lastDescription_ = description;
    }
    return Checked(status, "GetFTDeviceDescription");
}

TFtStatus TUsbLink::OpenByDescription(const std::string& description) {
    return Checked(link_.OpenByDescription(description), "Open_USB_Device_By_Device_Description");
}

TFtStatus TUsbLink::Close() {
    return Checked(link_.Close(), "FT_Close");
}

TFtStatus TUsbLink::ResetDevice() {
    return Checked(link_.ResetDevice(), "FT_ResetDevice");
}

TFtStatus TUsbLink::Purge() {
    const TFtStatus status = Checked(link_.PurgeTransmit(), "FT_Purge TX");
    return status != FT_OK ? status : Checked(link_.PurgeReceive(), "FT_Purge RX");
}

TFtStatus TUsbLink::SetBreak(bool on) {
    return Checked(link_.SetBreak(on), on ? "FT_SetBreakOn" : "FT_SetBreakOff");
}

TFtStatus TUsbLink::SetBaudRate(int baud) {
    baudRate_ = baud;
    return Checked(link_.SetBaudRate(baud), "FT_SetBaudRate");
}

TFtStatus TUsbLink::SetDataCharacteristics(int dataBits, int stopBits, int parity) {
    dataBits_ = dataBits;
    stopBits_ = stopBits;
    parity_ = parity;
    return Checked(link_.SetDataCharacteristics(dataBits, stopBits, parity), "FT_SetDataCharacteristics");
}

TFtStatus TUsbLink::SetFlowControl() {
    return Checked(link_.SetFlowControlNone(kXon, kXoff), "FT_SetFlowControl");
}

TFtStatus TUsbLink::SetTimeouts(int readMs, int writeMs) {
    return Checked(link_.SetTimeouts(readMs, writeMs), "FT_SetTimeouts");
}

TFtStatus TUsbLink::QueueStatus(size_t& waiting) {
    return link_.QueueStatus(waiting);
}

TFtStatus TUsbLink::Write(const uint8_t* bytes, size_t count, size_t& written) {
    written = 0;
    lastStatus_ = Checked(link_.Write(bytes, count, written), "FT_Write");
    return lastStatus_;
}

TFtStatus TUsbLink::Read(uint8_t* bytes, size_t count, size_t& read) {
    read = 0;
    lastStatus_ = Checked(link_.Read(bytes, count, read), "FT_Read");
    return lastStatus_;
}

TFtStatus TUsbLink::SetBitMode(uint8_t mask, uint8_t mode) {
    return Checked(link_.SetBitMode(mask, mode), "FT_SetBitMode ");
}

TFtStatus TUsbLink::CyclePort() {
    return Checked(link_.CyclePort(), "FT_CyclePort ");
}

TFtStatus TUsbLink::OpenHeadUnitLink(const std::string& description) {
    try {
        const TFtStatus status = OpenByDescription(description);
        if (status == FT_OK) {
            ResetDevice();
            SetBaudRate(kBaudRate);
            SetFlowControl();
            SetDataCharacteristics(kFtBits8, kFtStopBits1, kFtParityNone);
            SetTimeouts(kTimeoutMs, kTimeoutMs);
            open_ = true;
        }
        return status;
    } catch (...) {
        return FT_IO_ERROR; // a prompt or backend that throws must not take the caller down
    }
}

TFtStatus TUsbLink::CloseHeadUnitLink() {
    TFtStatus status = FT_IO_ERROR;
    try {
        status = Close();
    } catch (...) {
    }
    open_ = false;
    return status;
}

int TUsbLink::DetectUsbHeadUnit() {
    errorDisplay_ = false;
    int count = 0;
    if (DeviceCount(count) != FT_OK) {
        return 0;
    }
    for (int index = 0; index < count; ++index) {
        std::string description;
        if (DeviceDescription(index, description) != FT_OK) {
            continue;
        }
        if (description == kVeltrak6Description) {
            return 7;
        }
        if (description == kVeltrak7Description) {
            return 8;
        }
    }
    return 0;
}

bool TUsbLink::UsbLinkLost() {
    size_t waiting = 0;
    if (!open_ || QueueStatus(waiting) != FT_OK) {
        open_ = false;
        return true;
    }
    return false;
}

TUsbLink& UsbLink() {
    static const std::unique_ptr<IFtdiLink> backend = []() -> std::unique_ptr<IFtdiLink> {
        const char* socketPath = std::getenv("KLT_USB_SIM");
        if (socketPath != nullptr && *socketPath != '\0') {
            return std::make_unique<TSimFtdiLink>(socketPath);
        }
        return std::make_unique<TLibFtdiLink>();
    }();
    static TUsbLink link(*backend);
    return link;
}

TFtStatus OpenHeadUnitLink(const std::string& description) {
    return UsbLink().OpenHeadUnitLink(description);
}
TFtStatus CloseHeadUnitLink() {
    return UsbLink().CloseHeadUnitLink();
}
int DetectUsbHeadUnit() {
    return UsbLink().DetectUsbHeadUnit();
}
bool UsbLinkLost() {
    return UsbLink().UsbLinkLost();
}

} // namespace klt
