#include "device/transport/ComPorts.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <filesystem>

#include "core/Texts.h"
#include "device/VeltrakErrors.h"
#include "device/transport/PortTexts.h"

namespace klt {
namespace {

constexpr std::string_view kProlificName = "Prolific USB-to-Serial Comm Port";

bool IsOnBoard(const TVeltrakComPort& port) {
    return port.Path.starts_with("/dev/ttyS");
}

// Prolific adapters first, then the on-board ports by number, then everything else as listed.
struct TSortKey {
    int group;
    int number;
    auto operator<=>(const TSortKey&) const = default;
};

TSortKey SortKey(const TVeltrakComPort& port) {
    if (port.Name.find(kProlificName) != std::string::npos) {
        return {0, 0};
    }
    if (IsOnBoard(port)) {
        return {1, port.PortNumber};
    }
    return {2, 0};
}

} // namespace

std::string PortText(const TVeltrakComPort& port) {
    return port.PortNumber == 0 ? LoadText(kTextNone) : "Com" + std::to_string(port.PortNumber);
}

int PortNumberOfDevice(std::string_view deviceName) {
    struct TFamily {
        std::string_view prefix;
        int first;
    };
    static constexpr TFamily kFamilies[] = {{"ttyUSB", 101}, {"ttyACM", 201}, {"ttyS", 1}};
    for (const TFamily& family : kFamilies) {
        if (!deviceName.starts_with(family.prefix)) {
            continue;
        }
        const std::string_view digits = deviceName.substr(family.prefix.size());
        int index = 0;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
        if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || index < 0 ||
            index > 99) {
            return 0;
        }
        return family.first + index;
    }
    return 0;
}

TVeltrakComPortList::TVeltrakComPortList() {
    Assign({});
}

void TVeltrakComPortList::Enumerate() {
    const char* root = std::getenv("KLT_SYSFS_ROOT");
    Enumerate(root != nullptr && *root != '\0' ? root : "/sys");
}

void TVeltrakComPortList::Assign(std::vector<TVeltrakComPort> ports) {
    std::erase_if(ports, [](const TVeltrakComPort& port) { return port.Name == kNoPortName; });
    std::stable_sort(ports.begin(), ports.end(), [](const TVeltrakComPort& a, const TVeltrakComPort& b) {
        return SortKey(a) < SortKey(b);
    });
    ports.emplace_back(std::string(kNoPortName), std::string(), 0);
    ports_ = std::move(ports);
}

const TVeltrakComPort* TVeltrakComPortList::Find(std::string_view name) const {
    const auto found = std::find_if(ports_.begin(), ports_.end(),
                                    [name](const TVeltrakComPort& port) { return port.Name == name; });
    return found == ports_.end() ? nullptr : &*found;
}

TVeltrakComPort TVeltrakComPortList::Resolve(const TVeltrakComPort& requested, bool searchAllPorts) const {
    const std::string_view name = requested.Name;
    if (name != kNoPortName && !name.empty()) {
        if (const TVeltrakComPort* port = Find(name)) {
            return *port;
        }
        std::error_code error;
        if (!requested.Path.empty() && std::filesystem::exists(requested.Path, error)) {
            return requested;
        }
    }
    if (const TVeltrakComPort* cable = Find(kDownloadCableName)) {
        return *cable;
    }
    if (name == kNoPortName) {
        return *Find(kNoPortName); // nothing to open
    }
    if (searchAllPorts) {
        return requested;
    }
    throw EVeltrakComError(FormatText(kPortMissing, {PortText(requested)}));
}

std::vector<TVeltrakComPort> ListComPorts() {
    TVeltrakComPortList list;
    list.Enumerate();
    return list.Ports();
}

} // namespace klt
