// Serial ports from sysfs: every /sys/class/tty entry backed by a device. USB adapters are named
// after their USB device (vendor and product id, product string); on-board ports after the
// driver. A UART slot the kernel reserves without hardware behind it ("type" 0) is left out.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>

#include "device/transport/ComPorts.h"

namespace klt {
namespace {

namespace fs = std::filesystem;

std::string ReadAttribute(const fs::path& file) {
    std::ifstream in(file);
    std::string value;
    std::getline(in, value);
    while (!value.empty() && (value.back() == '\n' || value.back() == '\r' || value.back() == ' ')) {
        value.pop_back();
    }
    return value;
}

std::string LinkTargetName(const fs::path& link) {
    std::error_code error;
    const fs::path target = fs::read_symlink(link, error);
    return error ? std::string() : target.filename().string();
}

struct TUsbIdentity {
    std::string vendorId, productId, manufacturer, product;
};

// The nearest ancestor of the tty's device that carries a USB vendor and product id.
std::optional<TUsbIdentity> FindUsbParent(const fs::path& device, const fs::path& sysfsRoot) {
    std::error_code error;
    fs::path dir = fs::canonical(device, error);
    const fs::path root = fs::canonical(sysfsRoot, error);
    if (error) {
        return std::nullopt;
    }
    for (int depth = 0; depth < 6 && dir.has_relative_path() && dir != root;
         ++depth, dir = dir.parent_path()) {
        if (fs::exists(dir / "idVendor", error) && fs::exists(dir / "idProduct", error)) {
            return TUsbIdentity{ReadAttribute(dir / "idVendor"), ReadAttribute(dir / "idProduct"),
                                ReadAttribute(dir / "manufacturer"), ReadAttribute(dir / "product")};
        }
    }
    return std::nullopt;
}

bool SameId(const std::string& id, std::string_view expected) {
    if (id.size() != expected.size()) {
        return false;
    }
    for (size_t i = 0; i < id.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(id[i])) != expected[i]) {
            return false;
        }
    }
    return true;
}

std::string FriendlyName(const std::string& ttyName, const std::string& driver,
                         const std::optional<TUsbIdentity>& usb) {
    std::string base;
    if (driver == "pl2303") {
        base = "Prolific USB-to-Serial Comm Port";
    } else if (usb && !usb->product.empty()) {
        base = usb->product;
    } else if (usb && !usb->manufacturer.empty()) {
        base = usb->manufacturer + " USB Serial Port";
    } else if (usb) {
        base = "USB Serial Port";
    } else {
        base = "Communications Port";
    }
    return base + " (" + ttyName + ")";
}

std::optional<TVeltrakComPort> PortOfTty(const fs::path& ttyDir, const fs::path& sysfsRoot) {
    std::error_code error;
    const fs::path device = ttyDir / "device";
    if (!fs::exists(device, error)) {
        return std::nullopt; // virtual terminals, pseudo-terminals
    }
    if (fs::exists(ttyDir / "type", error) && ReadAttribute(ttyDir / "type") == "0") {
        return std::nullopt;
    }
    const std::string ttyName = ttyDir.filename().string();
    const std::optional<TUsbIdentity> usb = FindUsbParent(device, sysfsRoot);
    TVeltrakComPort port;
    port.Path = "/dev/" + ttyName;
    port.PortNumber = PortNumberOfDevice(ttyName);
    port.Name = usb && SameId(usb->vendorId, "067b") && SameId(usb->productId, "2303")
                    ? std::string(kDownloadCableName)
                    : FriendlyName(ttyName, LinkTargetName(device / "driver"), usb);
    return port;
}

} // namespace

void TVeltrakComPortList::Enumerate(const std::string& sysfsRoot) {
    std::vector<fs::path> ttys;
    std::error_code error;
    for (fs::directory_iterator it(fs::path(sysfsRoot) / "class" / "tty", error), end; !error && it != end;
         it.increment(error)) {
        ttys.push_back(it->path());
    }
    std::sort(ttys.begin(), ttys.end()); // directory order is arbitrary; make the listing stable
    std::vector<TVeltrakComPort> ports;
    for (const fs::path& tty : ttys) {
        if (std::optional<TVeltrakComPort> port = PortOfTty(tty, sysfsRoot)) {
            ports.push_back(std::move(*port));
        }
    }
    Assign(std::move(ports));
}

} // namespace klt
