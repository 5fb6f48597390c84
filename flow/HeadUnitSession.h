#pragma once
// What the download dialogs share: the configuration they read, how a protocol object is set up
// from it, and how a failure is shown.
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/Prompt.h"
#include "device/VeltrakImage.h"
#include "device/transport/VeltrakComPort.h"
#include "device/usb/VeltrakVI.h"

namespace klt {

class TSystemData;
struct TSystemOptionSet;

struct TDownloadConfiguration {
    int headUnitType = 5;        // 4..7, as the generation selector stores it
    bool searchAllPorts = true;  // VeltrakComPlugAndPlay
    TVeltrakComPort port;        // VeltrakComPort
    TVeltrakTrainingLimits limits;
    std::string databaseDir;
    bool versionCheck = true; // off: newer firmware is served without the warning
    bool fahrenheit = false;  // temperatures are shown in °F

    TVeltrakHWVersion HWVersion() const { return HWVersionOfType(headUnitType); }
    // Generations IV and V sit on a serial port; VI and 7 on USB.
    bool SerialHeadUnit() const { return headUnitType < 6; }
};

// From the configuration and the profile; the temperature unit as the program shows it now.
TDownloadConfiguration DownloadConfiguration(const TSystemData& system, const TSystemOptionSet& profile);

// The configured generation, the port search flag, the version check and, for serial head units,
// the configured port.
void PrepareHeadUnit(TVeltrak& veltrak, const TDownloadConfiguration& configuration);

// Opens the USB link of a generation VI or 7 head unit unless it is open and alive; EVeltrakVersion when no
// head unit answers. Serial head units are found by their first telegram instead.
void ConnectHeadUnit(TVeltrak& veltrak, const TDownloadConfiguration& configuration);

// A dialog's protocol object: reporting into the dialog's status, set up from the configuration,
// asking through the dialog's prompt, with the dialog's idle hook; its hooks and status are let go
// with the session.
class THeadUnitSession {
public:
    // Without a protocol object the real one is made (serial line, the program's USB link).
    THeadUnitSession(std::unique_ptr<TVeltrak> veltrak, TVeltrakStatus& status,
                     const TDownloadConfiguration& configuration, IPrompt& prompt, std::function<void()> onIdle);
    ~THeadUnitSession();
    THeadUnitSession(const THeadUnitSession&) = delete;
    THeadUnitSession& operator=(const THeadUnitSession&) = delete;

    TVeltrak& operator*() const { return *veltrak_; }
    TVeltrak* operator->() const { return veltrak_.get(); }

private:
    std::unique_ptr<TVeltrak> veltrak_;
};

// The port to remember as the configured one after a search of all ports (the search leaves the
// port it found in use); none when no search was asked for or for USB head units.
std::optional<TVeltrakComPort> FoundPort(const TVeltrakInternal& veltrak, const TDownloadConfiguration& configuration);

// A failure the dialogs show and go on after.
void ShowDownloadError(IPrompt& prompt, const std::exception& error);

// The caption template with its %s filled: the initials, and " at " the port for serial head units.
std::string HeadUnitCaption(const std::string& captionTemplate, TVeltrakInternal& veltrak,
                            const TDownloadConfiguration& configuration, bool identified);

} // namespace klt
