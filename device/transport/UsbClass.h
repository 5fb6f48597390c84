#pragma once
// Watches USB devices come and go (libudev monitor, subsystem "usb", device type "usb_device").
// No thread of its own: the owner watches Fd() for readability (a QSocketNotifier in the window
// program, poll() elsewhere) and calls Dispatch(), which fires the events on the caller's thread.
// Where udev cannot be reached (some containers) Fd() is -1 and no events come.
#include <functional>
#include <string_view>

struct udev;
struct udev_monitor;

namespace klt {

class TUsbClass {
public:
    using TEvent = std::function<void(TUsbClass& sender)>;

    TUsbClass();
    ~TUsbClass();
    TUsbClass(const TUsbClass&) = delete;
    TUsbClass& operator=(const TUsbClass&) = delete;

    int Fd() const;
    // Handles every notification waiting on Fd(); returns at once when there is none.
    void Dispatch();
    // What one notification with this udev action ("add", "remove", ...) fires.
    void HandleAction(std::string_view action);

    TEvent OnUsbArrival;
    TEvent OnUsbRemoval;
    TEvent OnDeviceChange;

private:
    udev* udev_ = nullptr;
    udev_monitor* monitor_ = nullptr;
};

} // namespace klt
