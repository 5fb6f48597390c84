#pragma once
// How a `klt` command reaches the head unit its options name: generations IV and V on a serial
// port (--port, else the configured one), VI and 7 on the program's USB link (the simulator's when
// KLT_USB_SIM names its socket).
#include <cstdint>
#include <memory>

#include "cli/HeadUnitOptions.h"
#include "core/Prompt.h"
#include "device/genv/VeltrakV.h"

namespace klt::cli {

struct TDeviceOptions {
    int type = 0;
    bool usb = false;
    TVeltrakComPort port;
    uint32_t password = 0;
};

// The options checked: EUsage for --port or --password with a USB head unit; an error when a
// serial head unit has no port.
TDeviceOptions DeviceOptions(const THeadUnitOptions& given);

// A serial head unit's protocol object for the chosen generation on exactly the chosen port, not
// yet identified.
std::unique_ptr<TVeltrakV> SerialHeadUnit(const TDeviceOptions& options, IPrompt& prompt);

// A protocol object for the chosen generation, connected and identified.
std::unique_ptr<TVeltrakV> Connect(const TDeviceOptions& options, IPrompt& prompt);

} // namespace klt::cli
