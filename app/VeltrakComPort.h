#pragma once
// A serial port as the configuration remembers it. Ports are not enumerated yet, so this is only
// the stored description.
#include <cstdint>
#include <string>

#include "core/Persistent.h"

namespace klt {

class TVeltrakComPort : public TPersistent {
public:
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
