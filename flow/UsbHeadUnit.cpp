#include "flow/UsbHeadUnit.h"

#include "device/transport/UsbLink.h"
#include "device/usb/VeltrakVI.h"

namespace klt {

TVeltrakUsbHeadUnit::TVeltrakUsbHeadUnit(std::function<void()> processEvents, IPrompt& prompt, TUsbLink* usb)
    : veltrak_(std::make_unique<TVeltrak>(nullptr, nullptr, usb)), usb_(veltrak_->Usb()) {
    veltrak_->ProcessPendingEvent = std::move(processEvents);
    veltrak_->SetPrompt(prompt);
}

TVeltrakUsbHeadUnit::~TVeltrakUsbHeadUnit() = default;

int TVeltrakUsbHeadUnit::Detect() {
    return usb_.DetectUsbHeadUnit();
}

bool TVeltrakUsbHeadUnit::LinkLost() {
    return usb_.UsbLinkLost();
}

bool TVeltrakUsbHeadUnit::Connect(int hardwareVersion) {
    try {
        if (hardwareVersion == kGenerationVI) {
            veltrak_->ConnectVI();
        } else {
            veltrak_->ConnectV7();
        }
    } catch (const std::exception&) {
        // A head unit that fails while being opened is treated as none at all.
        usb_.CloseHeadUnitLink();
        return false;
    }
    // An open link whose head unit did not answer still counts: its user is told to reprogram it.
    return usb_.IsOpen();
}

uint16_t TVeltrakUsbHeadUnit::FirmwareVersion() const {
    return veltrak_->Status().SWVersion();
}

void TVeltrakUsbHeadUnit::Close() {
    usb_.CloseHeadUnitLink();
}

void TVeltrakUsbHeadUnit::Reset() {
    veltrak_->ResetHeadUnit();
}

} // namespace klt
