#pragma once
// A serial port a head unit can sit on: what the configuration remembers and the port list holds.
#include <cstdint>
#include <string>
#include <utility>

#include "core/Persistent.h"

namespace klt {

class TVeltrakComPort : public TPersistent {
public:
    TVeltrakComPort() = default;
    TVeltrakComPort(std::string name, std::string path, int32_t portNumber)
        : Name(std::move(name)), Path(std::move(path)), PortNumber(portNumber) {}
    TVeltrakComPort(const TVeltrakComPort&) = default;
    TVeltrakComPort& operator=(const TVeltrakComPort&) = default;

    std::string Name;       // shown to the user
    std::string Path;       // device path that opens the port
    int32_t PortNumber = 0; // n of COMn; 0 when unknown

    void VisitProperties(TPropertyVisitor& visitor) override {
        visitor.Field("Name", Name);
        visitor.Field("Path", Path);
        visitor.Field("PortNumber", PortNumber, 0);
    }
};

} // namespace klt
