#pragma once
// The closing probe over the first four serial ports of the system (/dev/ttyS0 … /dev/ttyS3).
#include <string>

#include "app/KLTMainClosing.h"

namespace klt {

class TTermiosProbePorts : public IProbePorts {
public:
    // Ports are named `prefix` + 0 … 3.
    explicit TTermiosProbePorts(std::string prefix = "/dev/ttyS") : prefix_(std::move(prefix)) {}
    // Opens without waiting for a carrier; null when the port cannot be opened.
    std::unique_ptr<IProbePort> Open(int index) override;

private:
    std::string prefix_;
};

} // namespace klt
