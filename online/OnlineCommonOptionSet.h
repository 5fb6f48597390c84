#pragma once
// The options every live test shares: how the regulator runs, how a test starts and stops, and
// the brake's model constants.
#include <cstdint>

#include "online/OnlineOptionSet.h"

namespace klt {

class TBrakeOptionSet : public TOnlineOptionSet {
public:
    int32_t Friction = 60;        // dialog range 10..150
    int32_t Slope = 131;          // 50..250
    int32_t Fixpoint = 1018;      // 500..1500
    int32_t OffsetCorrection = 0; // adapted by the regulator within -1000..1000

    void SetDefaults() override { *this = TBrakeOptionSet(); }
    bool SameAs(const TBrakeOptionSet& other) const { return *this == other; }
    void AssignFrom(const TBrakeOptionSet& other) { *this = other; }
    bool operator==(const TBrakeOptionSet&) const = default;

    std::string_view Tag() const override { return "BrakeOptionSet"; }

protected:
    bool ReadVariable(const TProfileVariable& variable) override;
    void WriteContent(TOnlineOptionWriter& writer) const override;
};

class TOnlineCommonOptionSet : public TOnlineOptionSet {
public:
    int32_t ControlRate = 6;        // 1 "Fast" .. 10 "Slow"
    int32_t StartTestBy = 0;        // 0 "Cadence", 1 "Start Button"
    int32_t AbortTestBy = 0;        // 0 "no Cadence", 1 "End Button"
    int32_t Gearing = 0;            // 0 "Variable", 1 "Fixed:"
    int32_t GearingLow = 13;        // fixed gearing, first number
    int32_t GearingHigh = 53;       // fixed gearing, second number
    int32_t AutomaticMarkers = 0;   // 0 "off", 1 "on"
    int32_t NextPrevButtonMode = 0; // 0 next/prev step, 1 next/prev marked step
    int32_t HorseMode = 0;          // 0 "off", 1 "on"
    int32_t BrakeControl = 0;
    bool SaveData = false;      // offer saving the run at the end of a test
    int32_t Breakfreewheel = 0; // "Stop Ergo Button": 0 "off", 1 "on", 2 "on at Testend"
    int32_t FastBrakeReg = 0;
    bool OverridePowersupplyProtection = false;
    TBrakeOptionSet BrakeOptionSet;

    void SetDefaults() override { *this = TOnlineCommonOptionSet(); }
    bool SameAs(const TOnlineCommonOptionSet& other) const { return *this == other; }
    void AssignFrom(const TOnlineCommonOptionSet& other) { *this = other; }
    bool operator==(const TOnlineCommonOptionSet&) const = default;

    std::string_view Tag() const override { return "OnlineCommonOptionSet"; }

protected:
    bool ReadVariable(const TProfileVariable& variable) override;
    bool ReadChild(std::string_view line, TOnlineOptionReader& reader) override;
    void WriteContent(TOnlineOptionWriter& writer) const override;
};

} // namespace klt
