#include "device/transport/UsbClass.h"

#include <libudev.h>

namespace klt {

TUsbClass::TUsbClass() : udev_(udev_new()) {
    if (udev_ == nullptr) {
        return;
    }
    monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
    if (monitor_ == nullptr) {
        return;
    }
    if (udev_monitor_filter_add_match_subsystem_devtype(monitor_, "usb", "usb_device") < 0 ||
        udev_monitor_enable_receiving(monitor_) < 0) {
        udev_monitor_unref(monitor_);
        monitor_ = nullptr;
    }
}

TUsbClass::~TUsbClass() {
    if (monitor_ != nullptr) {
        udev_monitor_unref(monitor_);
    }
    if (udev_ != nullptr) {
        udev_unref(udev_);
    }
}

int TUsbClass::Fd() const {
    return monitor_ != nullptr ? udev_monitor_get_fd(monitor_) : -1;
}

void TUsbClass::Dispatch() {
    if (monitor_ == nullptr) {
        return;
    }
    // The monitor's socket is non-blocking: receiving ends when nothing is left.
    while (udev_device* device = udev_monitor_receive_device(monitor_)) {
        const char* action = udev_device_get_action(device);
        HandleAction(action != nullptr ? action : "");
        udev_device_unref(device);
    }
}

void TUsbClass::HandleAction(std::string_view action) {
    if (action == "add" && OnUsbArrival) {
        OnUsbArrival(*this);
    } else if (action == "remove" && OnUsbRemoval) {
        OnUsbRemoval(*this);
    }
    if (OnDeviceChange) {
        OnDeviceChange(*this);
    }
}

} // namespace klt
