#include "flow/HeadUnitSession.h"

#include "app/ProfileOptionSets.h"
#include "app/SystemData.h"
#include "core/Prompt.h"
#include "core/Texts.h"
#include "device/VeltrakExceptions.h"
#include "device/transport/UsbLink.h"
#include "flow/MemoryImageFile.h"

namespace klt {

TDownloadConfiguration DownloadConfiguration(const TSystemData& system, const TSystemOptionSet& profile) {
    TDownloadConfiguration configuration;
    configuration.headUnitType = profile.VeltrakVersion;
    configuration.searchAllPorts = system.VeltrakComPlugAndPlay;
    configuration.port = system.VeltrakComPort();
    configuration.limits = TrainingLimits(system);
    configuration.startupFlags = profile.ProtectionLevel;
    configuration.databaseDir = system.DataBaseDir;
    return configuration;
}

void PrepareHeadUnit(TVeltrak& veltrak, const TDownloadConfiguration& configuration) {
    veltrak.SetConfiguredHWVersion(configuration.HWVersion());
    veltrak.SetSearchAllPorts(configuration.searchAllPorts);
    veltrak.SetTrainingLimits(configuration.limits);
    veltrak.SetStartupFlags(configuration.startupFlags);
    if (configuration.SerialHeadUnit()) {
        veltrak.SetPort(configuration.port);
    }
}

THeadUnitSession::THeadUnitSession(std::unique_ptr<TVeltrak> veltrak, TVeltrakStatus& status,
                                   const TDownloadConfiguration& configuration, std::function<void()> onIdle)
    : veltrak_(veltrak ? std::move(veltrak) : std::make_unique<TVeltrak>()) {
    veltrak_->LinkStatus(&status);
    PrepareHeadUnit(*veltrak_, configuration);
    veltrak_->OnIdle = std::move(onIdle);
}

THeadUnitSession::~THeadUnitSession() {
    veltrak_->OnIdle = nullptr;
    veltrak_->ProcessPendingEvent = nullptr;
    veltrak_->LinkStatus(nullptr);
}

void ConnectHeadUnit(TVeltrak& veltrak, const TDownloadConfiguration& configuration) {
    // a link left open by a head unit since pulled out is opened afresh
    if (configuration.SerialHeadUnit() || (veltrak.Usb().IsOpen() && !veltrak.Usb().UsbLinkLost())) {
        return;
    }
    if (configuration.headUnitType == 6) {
        veltrak.ConnectVI();
    } else if (!veltrak.ConnectV7()) {
        throw EVeltrakVersion::NoVeltrakVII();
    }
}

void RetryOnVeltrakError(TVeltrakInternal& veltrak, const std::function<void()>& step) {
    for (;;) {
        try {
            step();
            return;
        } catch (const EVeltrakAbort&) {
            throw;
        } catch (const EVeltrak& error) {
            veltrak.AskRetry(error.what()); // cancel raises EVeltrakAbort
        }
    }
}

std::optional<TVeltrakComPort> FoundPort(const TVeltrakInternal& veltrak,
                                         const TDownloadConfiguration& configuration) {
    if (!configuration.searchAllPorts || !configuration.SerialHeadUnit() || veltrak.Port().Path.empty()) {
        return std::nullopt;
    }
    return veltrak.Port();
}

void ShowDownloadError(const std::exception& error) {
    Prompt().ShowMessage("Warning", error.what());
}

std::string HeadUnitCaption(const std::string& captionTemplate, TVeltrakInternal& veltrak,
                            const TDownloadConfiguration& configuration, bool identified) {
    std::string filled;
    if (identified) {
        filled = veltrak.Status().Initialen();
        if (configuration.SerialHeadUnit() && !veltrak.Port().Name.empty()) {
            filled += " at " + veltrak.Port().Name;
        }
    }
    return FormatText(captionTemplate, {filled});
}

} // namespace klt
