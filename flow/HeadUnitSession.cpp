#include "flow/HeadUnitSession.h"

#include "app/KLTMainStartup.h"
#include "app/ProfileOptionSets.h"
#include "app/SystemData.h"
#include "core/PRMesWrt.h"
#include "core/Texts.h"
#include "device/VeltrakExceptions.h"
#include "device/transport/UsbLink.h"
#include "flow/MemoryImageFile.h"

namespace klt {
namespace {

constexpr int kFahrenheitUnit = 1;

} // namespace

TDownloadConfiguration DownloadConfiguration(const TSystemData& system, const TSystemOptionSet& profile) {
    TDownloadConfiguration configuration;
    configuration.headUnitType = profile.VeltrakVersion;
    configuration.searchAllPorts = system.VeltrakComPlugAndPlay;
    configuration.port = system.VeltrakComPort();
    configuration.limits = TrainingLimits(system);
    configuration.versionCheck = (profile.ProtectionLevel & TStartupFlag::NoVersionCheck) == 0;
    configuration.databaseDir = system.DataBaseDir;
    configuration.fahrenheit = MesswertArt(mwaTemperatur).UnitIndex() == kFahrenheitUnit;
    return configuration;
}

void PrepareHeadUnit(TVeltrak& veltrak, const TDownloadConfiguration& configuration) {
    veltrak.SetConfiguredHWVersion(configuration.HWVersion());
    veltrak.SetSearchAllPorts(configuration.searchAllPorts);
    veltrak.SetVersionCheck(configuration.versionCheck);
    if (configuration.SerialHeadUnit()) {
        veltrak.SetPort(configuration.port);
    }
}

THeadUnitSession::THeadUnitSession(std::unique_ptr<TVeltrak> veltrak, TVeltrakStatus& status,
                                   const TDownloadConfiguration& configuration, IPrompt& prompt,
                                   std::function<void()> onIdle)
    : veltrak_(veltrak ? std::move(veltrak) : std::make_unique<TVeltrak>()) {
    veltrak_->LinkStatus(&status);
    // The generation that is talked to until the head unit says otherwise; a USB link opened
    // before (by the main window's watch) is not opened again to tell it.
    status.SetHWVersion(configuration.HWVersion());
    veltrak_->SetPrompt(prompt);
    PrepareHeadUnit(*veltrak_, configuration);
    veltrak_->OnIdle = std::move(onIdle);
}

THeadUnitSession::~THeadUnitSession() {
    veltrak_->OnIdle = nullptr;
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

std::optional<TVeltrakComPort> FoundPort(const TVeltrakInternal& veltrak,
                                         const TDownloadConfiguration& configuration) {
    if (!configuration.searchAllPorts || !configuration.SerialHeadUnit() || veltrak.Port().Path.empty()) {
        return std::nullopt;
    }
    return veltrak.Port();
}

void ShowDownloadError(IPrompt& prompt, const std::exception& error) {
    prompt.ShowMessage("Warning", error.what());
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
