#pragma once
// A sysfs tree in a temporary folder with the tty and USB entries port enumeration reads.
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/RawTraining.h"

namespace klt::test {

class TFakeSysfs {
public:
    const std::string& Root() const { return dir_.Path(); }

    // An on-board UART; type "0" is a slot without hardware.
    void AddOnBoard(const std::string& tty, const std::string& type = "4") {
        const std::filesystem::path device = Make("devices/pnp0/" + tty + "-uart");
        Link(device / "driver", Make("bus/pnp/drivers/serial"));
        const std::filesystem::path entry = AddTty(tty, device);
        Write(entry / "type", type);
    }

    void AddUsb(const std::string& tty, const std::string& vendor, const std::string& product,
                const std::string& productName, const std::string& driver = "ftdi_sio",
                const std::string& manufacturer = "") {
        const std::string usb = "devices/usb1/1-" + std::to_string(++usbCount_);
        const std::filesystem::path usbDir = Make(usb);
        Write(usbDir / "idVendor", vendor);
        Write(usbDir / "idProduct", product);
        if (!productName.empty()) {
            Write(usbDir / "product", productName);
        }
        if (!manufacturer.empty()) {
            Write(usbDir / "manufacturer", manufacturer);
        }
        const std::filesystem::path port = Make(usb + "/1-" + std::to_string(usbCount_) + ":1.0/" + tty);
        Link(port / "driver", Make("bus/usb-serial/drivers/" + driver));
        AddTty(tty, port);
    }

    // A terminal without a device behind it.
    void AddVirtual(const std::string& tty) { Make("class/tty/" + tty); }

private:
    std::filesystem::path Make(const std::string& relative) {
        const std::filesystem::path path = std::filesystem::path(Root()) / relative;
        std::filesystem::create_directories(path);
        return path;
    }
    static void Write(const std::filesystem::path& file, const std::string& text) {
        std::ofstream(file) << text << '\n';
    }
    static void Link(const std::filesystem::path& link, const std::filesystem::path& target) {
        std::filesystem::create_directory_symlink(target, link);
    }
    std::filesystem::path AddTty(const std::string& tty, const std::filesystem::path& device) {
        const std::filesystem::path entry = Make("class/tty/" + tty);
        Link(entry / "device", device);
        return entry;
    }

    TTempDir dir_;
    int usbCount_ = 0;
};

} // namespace klt::test
