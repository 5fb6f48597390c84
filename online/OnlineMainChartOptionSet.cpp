#include "online/OnlineMainChartOptionSet.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace klt {

TOnlineSkalaOption::TOnlineSkalaOption(std::string_view tag, TMesswertArtType kind, bool enabled, int minimum,
                                       int maximum)
    : Skala(kind), tag_(tag), enabled_(enabled), minimum_(minimum), maximum_(maximum) {
    SetDefaults();
}

TOnlineSkalaOption::TOnlineSkalaOption(const TOnlineSkalaOption& other)
    : TOnlineOptionSet(other), Skala(other.Skala.Kind()), tag_(other.tag_), enabled_(other.enabled_),
      minimum_(other.minimum_), maximum_(other.maximum_) {
    Skala.Assign(other.Skala);
}

TOnlineSkalaOption& TOnlineSkalaOption::operator=(const TOnlineSkalaOption& other) {
    Skala.Assign(other.Skala);
    return *this;
}

TOnlineSkalaOption::TRange TOnlineSkalaOption::Shown() const {
    const TMesswertArt& kind = MesswertArt(Skala.Kind());
    auto whole = [&](double raw) { return static_cast<int32_t>(std::lround(kind.ToDisplay(raw))); };
    return {Skala.Visible(), whole(Skala.Offset()), whole(Skala.UpperEnd())};
}

bool TOnlineSkalaOption::ReadVariable(const TProfileVariable& variable) {
    if (variable.name != "Enabled" && variable.name != "Minimum" && variable.name != "Maximum") {
        return false;
    }
    if (variable.name == "Enabled") {
        read_.enabled = ProfileBoolean(variable.value);
    } else if (variable.name == "Minimum") {
        read_.minimum = ProfileInteger32(variable.value);
    } else {
        read_.maximum = ProfileInteger32(variable.value);
    }
    return true;
}

void TOnlineSkalaOption::WriteContent(TOnlineOptionWriter& writer) const {
    const TRange shown = Shown();
    writer.Text("Enabled", shown.enabled ? "1" : "0");
    writer.Integer("Minimum", shown.minimum);
    writer.Integer("Maximum", shown.maximum);
}

void TOnlineMainChartOptionSet::SetTime(int32_t time) {
    time_ = std::max(time, kMinimumTime);
}

void TOnlineMainChartOptionSet::SetDefaults() {
    for (TOnlineSkalaOption* skala : Scales(*this)) {
        skala->SetDefaults();
    }
}

bool TOnlineMainChartOptionSet::ReadVariable(const TProfileVariable& variable) {
    if (variable.name == "TimeScaleMode") {
        TimeScaleMode = ProfileInteger32(variable.value);
    } else if (variable.name == "Time") {
        SetTime(ProfileInteger32(variable.value));
    } else {
        return false;
    }
    return true;
}

bool TOnlineMainChartOptionSet::ReadChild(std::string_view line, TOnlineOptionReader& reader) {
    return LoadChildOpenedBy(line, reader,
                             {&PowerSkala, &HeartRateSkala, &CadenceSkala, &HRVarianceSkala, &SpeedSkala});
}

void TOnlineMainChartOptionSet::WriteContent(TOnlineOptionWriter& writer) const {
    writer.Integer("TimeScaleMode", TimeScaleMode);
    writer.Integer("Time", time_);
    for (const TOnlineSkalaOption* skala : Scales(*this)) {
        skala->SaveSet(writer);
    }
}

} // namespace klt
