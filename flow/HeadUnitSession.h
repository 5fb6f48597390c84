#pragma once
// What the download dialogs share: the configuration they read, how a protocol object is set up
// from it, and the retry/cancel loop around every exchange.
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/VeltrakComPort.h"
#include "device/VeltrakImage.h"
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
    int32_t startupFlags = 0; // the version check may be switched off here

    TVeltrakHWVersion HWVersion() const { return HWVersionOfType(headUnitType); }
    // Generations IV and V sit on a serial port; VI and 7 on USB.
    bool SerialHeadUnit() const { return headUnitType < 6; }
};

TDownloadConfiguration DownloadConfiguration(const TSystemData& system, const TSystemOptionSet& profile);

// The configured generation, the port search flag and, for serial head units, the configured port.
void PrepareHeadUnit(TVeltrak& veltrak, const TDownloadConfiguration& configuration);

// Opens the USB link of a generation VI or 7 head unit unless it is open and alive; EVeltrakVersion when no
// head unit answers. Serial head units are found by their first telegram instead.
void ConnectHeadUnit(TVeltrak& veltrak, const TDownloadConfiguration& configuration);

// A dialog's protocol object: reporting into the dialog's status, set up from the configuration,
// with the dialog's idle hook; its hooks and status are let go with the session.
class THeadUnitSession {
public:
    // Without a protocol object the real one is made (serial line, the program's USB link).
    THeadUnitSession(std::unique_ptr<TVeltrak> veltrak, TVeltrakStatus& status,
                     const TDownloadConfiguration& configuration, std::function<void()> onIdle);
    ~THeadUnitSession();
    THeadUnitSession(const THeadUnitSession&) = delete;
    THeadUnitSession& operator=(const THeadUnitSession&) = delete;

    TVeltrak& operator*() const { return *veltrak_; }
    TVeltrak* operator->() const { return veltrak_.get(); }
    // Lets the window system handle pending events while the protocol waits; nullptr detaches.
    void SetEventPump(std::function<void()> pump) { veltrak_->ProcessPendingEvent = std::move(pump); }

private:
    std::unique_ptr<TVeltrak> veltrak_;
};

// Runs `step`; a protocol failure shows its message in the retry/cancel box and the step runs again
// on retry. Cancel raises EVeltrakAbort, as does an abort inside the step.
void RetryOnVeltrakError(TVeltrakInternal& veltrak, const std::function<void()>& step);

// The port to remember as the configured one after a search of all ports (the search leaves the
// port it found in use); none when no search was asked for or for USB head units.
std::optional<TVeltrakComPort> FoundPort(const TVeltrakInternal& veltrak, const TDownloadConfiguration& configuration);

// A failure the dialogs show and go on after.
void ShowDownloadError(const std::exception& error);

// The caption template with its %s filled: the initials, and " at " the port for serial head units.
std::string HeadUnitCaption(const std::string& captionTemplate, TVeltrakInternal& veltrak,
                            const TDownloadConfiguration& configuration, bool identified);

} // namespace klt
