#pragma once
// The machine-wide settings: user, database, windows, the head unit's port and its time-outs,
// training detection and the units values are shown in.
#include <cstdint>
#include <functional>
#include <string>

#include "app/ConfigurationPaths.h"
#include "device/transport/VeltrakComPort.h"
#include "core/KLTDate.h"
#include "core/MesswertUnitSelection.h"
#include "core/Persistent.h"

namespace klt {

class TSystemData : public TPersistent {
public:
    static constexpr size_t kMaxUserNameChars = 70;
    using TUserNameHook = std::function<void(const std::string& userName)>;

    // Everything to its default; the user-name hook stays.
    void SetToDefaults();
    void VisitProperties(TPropertyVisitor& visitor) override;

    const std::string& UserName() const { return userName_; }
    // Cut to 70 characters. A name that differs from the old one ignoring case, given while a
    // database directory is set, goes to the hook, which loads that user's profile.
    void SetUserName(const std::string& userName);
    // Installed by the main window; reading the configuration does not call it.
    void SetOnUserNameChange(TUserNameHook hook) { onUserNameChange_ = std::move(hook); }

    const TVeltrakComPort& VeltrakComPort() const { return veltrakComPort_; }
    // A port without a name is not taken; the old one stays.
    void SetVeltrakComPort(const TVeltrakComPort& port);

    TMesswertUnitSettings UnitSettings() const;

    bool DefaultAllFiles = true;
    bool DefaultNewFiles = true;
    bool ShowSpeedbar = true;
    bool ShowStatusLine = true;
    bool VeltrakComPlugAndPlay = true;
    // Serial time-outs in ms.
    int32_t ReadIntervalTimeout = 100;
    int32_t ReadTotalTimeoutMultiplier = 50;
    int32_t ReadTotalTimeoutConstant = 100;
    int32_t WriteTotalTimeoutMultiplier = 100;
    int32_t WriteTotalTimeoutConstant = 100;
    int32_t GetDataExceptionWait = 10;
    std::string DataBaseDir = DefaultDatabaseDir();
    std::string DataBaseInitialMask;
    uint16_t DataBaseListDatumFrom = kNoDate;
    uint16_t DataBaseListDatumUntil = kNoDate;
    std::string ImportExportDir;
    bool LongFilenamesAllowed = true;
    // Training detection in 1/100 s.
    int32_t MinPauseTraining = 6000;
    int32_t MaxPauseTraining = 2160000;
    int32_t MinDauerTraining = 6000;
    // Unit indices as the unit choices of the measurement kinds count them.
    int32_t UnitsSPD = 0;
    int32_t UnitsDST = 0;
    int32_t UnitsCOW = 0;
    int32_t UnitsTMP = 0;
    int32_t UnitsAlt = 0;
    int32_t UnitsPAP = 0;

private:
    std::string userName_;
    TVeltrakComPort veltrakComPort_;
    TUserNameHook onUserNameChange_;
};

} // namespace klt
