#include "analysis/StatisticChartOptionSet.h"

namespace klt {

TStatisticChartOptionSet::TStatisticChartOptionSet() {
    Defaults();
}

TStatisticChartOptionSet::TStatisticChartOptionSet(const TStatisticChartOptionSet& other) {
    Assign(other);
}

TStatisticChartOptionSet& TStatisticChartOptionSet::operator=(const TStatisticChartOptionSet& other) {
    Assign(other);
    return *this;
}

void TStatisticChartOptionSet::Defaults() {
    Smooting = 5;
    LeftAxis = {};
    RightAxis = {};
    PowerSkala.SetDisplayRange(true, 500, 0);
    HeartRateSkala.SetDisplayRange(true, 200, 40);
    SpeedSkala.SetDisplayRange(true, 60, 0);
    CadenceSkala.SetDisplayRange(true, 150, 0);
}

void TStatisticChartOptionSet::Assign(const TStatisticChartOptionSet& other) {
    Smooting = other.Smooting;
    LeftAxis = other.LeftAxis;
    RightAxis = other.RightAxis;
    PowerSkala.Assign(other.PowerSkala);
    HeartRateSkala.Assign(other.HeartRateSkala);
    SpeedSkala.Assign(other.SpeedSkala);
    CadenceSkala.Assign(other.CadenceSkala);
}

bool TStatisticChartOptionSet::Equals(const TStatisticChartOptionSet& other) const {
    return Smooting == other.Smooting && LeftAxis == other.LeftAxis && RightAxis == other.RightAxis &&
           PowerSkala.Equals(other.PowerSkala) && HeartRateSkala.Equals(other.HeartRateSkala) &&
           SpeedSkala.Equals(other.SpeedSkala) && CadenceSkala.Equals(other.CadenceSkala);
}

} // namespace klt
