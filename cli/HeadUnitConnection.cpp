#include "cli/HeadUnitConnection.h"

#include "cli/Commands.h"
#include "cli/DatabaseText.h"
#include "core/Exceptions.h"
#include "device/usb/VeltrakVI.h"
#include "flow/HeadUnitSession.h"

namespace klt::cli {
namespace {

// The serial port named by --port, else the configured one; an error when there is none.
TVeltrakComPort SerialPort(const std::optional<std::string>& port) {
    if (port) {
        return TVeltrakComPort(*port, *port, 0);
    }
    TVeltrakComPort configured = ConfiguredSystemData().VeltrakComPort();
    if (configured.Path.empty()) {
        throw Exception("No head-unit port is configured; name one with --port PATH");
    }
    return configured;
}

// A USB head unit of generation VI or 7, connected.
std::unique_ptr<TVeltrakV> ConnectUsb(int type, IPrompt& prompt) {
    auto veltrak = std::make_unique<TVeltrak>();
    veltrak->SetPrompt(prompt);
    TDownloadConfiguration configuration;
    configuration.headUnitType = type;
    ConnectHeadUnit(*veltrak, configuration);
    return veltrak;
}

} // namespace

TDeviceOptions DeviceOptions(const THeadUnitOptions& given) {
    TDeviceOptions options;
    options.type = given.type;
    options.usb = given.Usb();
    if (given.Usb()) {
        if (given.port || given.password) {
            throw EUsage("--port and --password are for serial head units (--type 4 or 5)");
        }
        options.port.Name = options.port.Path = "USB";
        return options;
    }
    options.port = SerialPort(given.port);
    options.password = given.password.value_or(0);
    return options;
}

std::unique_ptr<TVeltrakV> SerialHeadUnit(const TDeviceOptions& options, IPrompt& prompt) {
    auto veltrak = std::make_unique<TVeltrakV>();
    veltrak->SetPrompt(prompt);
    const TVeltrakHWVersion hardware = HWVersionOfType(options.type);
    veltrak->SetConfiguredHWVersion(hardware);
    veltrak->Status().SetHWVersion(hardware);
    veltrak->SetPort(options.port);
    veltrak->SetSearchAllPorts(false);
    veltrak->SetPassword(options.password);
    return veltrak;
}

std::unique_ptr<TVeltrakV> Connect(const TDeviceOptions& options, IPrompt& prompt) {
    if (options.usb) {
        return ConnectUsb(options.type, prompt);
    }
    auto veltrak = SerialHeadUnit(options, prompt);
    if (options.type == 5) {
        veltrak->FindHeadUnitV();
    } else {
        veltrak->Identify();
    }
    return veltrak;
}

} // namespace klt::cli
