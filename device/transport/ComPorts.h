#pragma once
// The serial ports a head unit can sit on, and the one list of them the communication layer shares.
//
// Port numbers follow the numbering users know from the head unit's manuals (COMn):
//   /dev/ttyS<n>   -> n + 1        (on-board ports: ttyS0 is COM1)
//   /dev/ttyUSB<n> -> 101 + n      (USB-to-serial cables, including the download cable)
//   /dev/ttyACM<n> -> 201 + n      (USB modem-class adapters)
// Any other device has number 0 and is shown as "None" in messages.
#include <string>
#include <string_view>
#include <vector>

#include "device/transport/VeltrakComPort.h"

namespace klt {

inline constexpr std::string_view kNoPortName = "None";
inline constexpr std::string_view kDownloadCableName = "KLT Downloadcable USB";


// "Com" and the number, or "None" when the number is unknown: how messages name a port.
std::string PortText(const TVeltrakComPort& port);

// The number of a device by its name ("ttyS0" -> 1, "ttyUSB2" -> 103); 0 when it has none.
int PortNumberOfDevice(std::string_view deviceName);

// The list whose entries are the port names with their ports; the last entry is always "None".
class TVeltrakComPortList {
public:
    TVeltrakComPortList();

    // Lists the serial devices below sysfsRoot (normally "/sys"), sorts them and appends "None".
    void Enumerate(const std::string& sysfsRoot);
    // As above, from $KLT_SYSFS_ROOT when set (tests and demonstrations), else "/sys".
    void Enumerate();

    size_t Count() const { return ports_.size(); }
    const TVeltrakComPort& Port(size_t index) const { return ports_[index]; }
    const std::vector<TVeltrakComPort>& Ports() const { return ports_; }
    const TVeltrakComPort* Find(std::string_view name) const;

    // Puts the program's order on unsorted ports and appends "None" (once); Enumerate ends with it.
    void Assign(std::vector<TVeltrakComPort> ports);

    // The port a request stands for: the listed port of its name; else the request itself when its
    // device is there (a pseudo-terminal, say, which no listing shows); else the download cable when
    // one is listed (so a missing, empty or "None" request finds it); else, when all ports are to be
    // searched, the request as it is. "None" without a cable stands for no port at all (an empty
    // path). Anything else throws EVeltrakComError "Port %s does not exist".
    TVeltrakComPort Resolve(const TVeltrakComPort& requested, bool searchAllPorts) const;

private:
    std::vector<TVeltrakComPort> ports_;
};

// The ports of the machine, listed afresh (Enumerate()).
std::vector<TVeltrakComPort> ListComPorts();

} // namespace klt
