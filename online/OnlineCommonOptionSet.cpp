#include "online/OnlineCommonOptionSet.h"

#include <array>

#include "online/OnlineOptionKeys.h"

namespace klt {
namespace {

using TBrakeKey = TOptionKey<TBrakeOptionSet>;
constexpr std::array<TBrakeKey, 4> kBrakeKeys = {{
    {"Friction", &TBrakeOptionSet::Friction},
    {"Slope", &TBrakeOptionSet::Slope},
    {"Fixpoint", &TBrakeOptionSet::Fixpoint},
    {"OffsetCorrection", &TBrakeOptionSet::OffsetCorrection},
}};

using TCommonKey = TOptionKey<TOnlineCommonOptionSet>;
using TCommon = TOnlineCommonOptionSet;
constexpr std::array<TCommonKey, 14> kCommonKeys = {{
    {"ControlRate", &TCommon::ControlRate},
    {"StartTestBy", &TCommon::StartTestBy},
    {"AbortTestBy", &TCommon::AbortTestBy},
    {"Gearing", &TCommon::Gearing},
    {"GearingLow", &TCommon::GearingLow},
    {"GearingHigh", &TCommon::GearingHigh},
    {"AutomaticMarkers", &TCommon::AutomaticMarkers},
    {"NextPrevButtonMode", &TCommon::NextPrevButtonMode},
    {"HorseMode", &TCommon::HorseMode},
    {"BrakeControl", &TCommon::BrakeControl},
    {"SaveData", &TCommon::SaveData},
    {"Breakfreewheel", &TCommon::Breakfreewheel},
    {"FastBrakeReg", &TCommon::FastBrakeReg},
    {"OverridePowersupplyProtection", &TCommon::OverridePowersupplyProtection},
}};

} // namespace

bool TBrakeOptionSet::ReadVariable(const TProfileVariable& variable) {
    return ReadOptionKey<TBrakeOptionSet>(kBrakeKeys, *this, variable);
}

void TBrakeOptionSet::WriteContent(TOnlineOptionWriter& writer) const {
    WriteOptionKeys<TBrakeOptionSet>(kBrakeKeys, *this, writer);
}

bool TOnlineCommonOptionSet::ReadVariable(const TProfileVariable& variable) {
    return ReadOptionKey<TOnlineCommonOptionSet>(kCommonKeys, *this, variable);
}

bool TOnlineCommonOptionSet::ReadChild(std::string_view line, TOnlineOptionReader& reader) {
    return LoadChildOpenedBy(line, reader, {&BrakeOptionSet});
}

void TOnlineCommonOptionSet::WriteContent(TOnlineOptionWriter& writer) const {
    WriteOptionKeys<TOnlineCommonOptionSet>(kCommonKeys, *this, writer);
    BrakeOptionSet.SaveSet(writer);
}

} // namespace klt
