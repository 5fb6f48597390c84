#pragma once
// The closing probe over the first four serial ports of the system (/dev/ttyS0 … /dev/ttyS3), on
// the head units' own serial transport, so a port another program holds is left alone.
#include <string>

#include "app/KLTMainClosing.h"

namespace klt {

class TSerialProbePorts : public IProbePorts {
public:
    // Ports are named `prefix` + 0 … 3.
    explicit TSerialProbePorts(std::string prefix = "/dev/ttyS") : prefix_(std::move(prefix)) {}
    // Null when the port cannot be opened (missing, no terminal, in use).
    std::unique_ptr<IProbePort> Open(int index) override;

private:
    std::string prefix_;
};

} // namespace klt
