#include "app/SystemData.h"

#include <limits>
#include <utility>

#include "core/IgnoreCase.h"
#include "core/PRMesWrt.h"
#include "core/Utf8Chars.h"

namespace klt {
namespace {

constexpr int64_t MaxInt32 = std::numeric_limits<int32_t>::max();

// Unit indices beyond a kind's units are damage, not a choice.
int64_t LastUnit(TMesswertArtType kind) {
    return static_cast<int64_t>(MesswertArt(kind).UnitNames().size()) - 1;
}

} // namespace

void TSystemData::SetToDefaults() {
    TUserNameHook hook = std::move(onUserNameChange_);
    *this = TSystemData();
    onUserNameChange_ = std::move(hook);
}

void TSystemData::SetUserName(const std::string& userName) {
    const std::string old = std::exchange(userName_, TruncateChars(userName, kMaxUserNameChars));
    if (!DataBaseDir.empty() && onUserNameChange_ && !EqualsIgnoringCase(old, userName_)) {
        onUserNameChange_(userName_);
    }
}

void TSystemData::SetVeltrakComPort(const TVeltrakComPort& port) {
    if (!port.Name.empty()) {
        veltrakComPort_ = port;
    }
}

TMesswertUnitSettings TSystemData::UnitSettings() const {
    return {.unitsSPD = UnitsSPD,
            .unitsTMP = UnitsTMP,
            .unitsAlt = UnitsAlt,
            .unitsDST = UnitsDST,
            .unitsCOW = UnitsCOW,
            .unitsPAP = UnitsPAP};
}

void TSystemData::VisitProperties(TPropertyVisitor& visitor) {
    visitor.Text("UserName", userName_, [this](const std::string& userName) {
        userName_ = TruncateChars(userName, kMaxUserNameChars);
    });
    visitor.Field("DefaultAllFiles", DefaultAllFiles);
    visitor.Field("DefaultNewFiles", DefaultNewFiles);
    visitor.Field("ShowSpeedbar", ShowSpeedbar);
    visitor.Field("ShowStatusLine", ShowStatusLine);
    visitor.Field("VeltrakComPlugAndPlay", VeltrakComPlugAndPlay);
    // Read into the port as it stands, like any owned object: the stored port may be the empty one.
    visitor.Object("VeltrakComPort", veltrakComPort_);
    visitor.Field("ReadIntervalTimeout", ReadIntervalTimeout, 0, MaxInt32);
    visitor.Field("ReadTotalTimeoutMultiplier", ReadTotalTimeoutMultiplier, 0, MaxInt32);
    visitor.Field("ReadTotalTimeoutConstant", ReadTotalTimeoutConstant, 0, MaxInt32);
    visitor.Field("WriteTotalTimeoutMultiplier", WriteTotalTimeoutMultiplier, 0, MaxInt32);
    visitor.Field("WriteTotalTimeoutConstant", WriteTotalTimeoutConstant, 0, MaxInt32);
    visitor.Field("GetDataExceptionWait", GetDataExceptionWait, 0, MaxInt32);
    visitor.Field("DataBaseDir", DataBaseDir);
    visitor.Field("DataBaseInitialMask", DataBaseInitialMask);
    visitor.Field("DataBaseListDatumFrom", DataBaseListDatumFrom);
    visitor.Field("DataBaseListDatumUntil", DataBaseListDatumUntil);
    visitor.Field("ImportExportDir", ImportExportDir);
    visitor.Field("LongFilenamesAllowed", LongFilenamesAllowed);
    visitor.Field("MinPauseTraining", MinPauseTraining, 0, MaxInt32);
    visitor.Field("MaxPauseTraining", MaxPauseTraining, 0, MaxInt32);
    visitor.Field("MinDauerTraining", MinDauerTraining, 0, MaxInt32);
    visitor.Field("UnitsSPD", UnitsSPD, 0, LastUnit(mwaGeschwindigkeit));
    visitor.Field("UnitsDST", UnitsDST, 0, LastUnit(mwaStreckeKurz));
    visitor.Field("UnitsCOW", UnitsCOW, 0, LastUnit(mwaRadumfang));
    visitor.Field("UnitsTMP", UnitsTMP, 0, LastUnit(mwaTemperatur));
    visitor.Field("UnitsAlt", UnitsAlt, 0, LastUnit(mwaHoehe));
    visitor.Field("UnitsPAP", UnitsPAP, 0, LastUnit(mwaPapiermass));
}

} // namespace klt
