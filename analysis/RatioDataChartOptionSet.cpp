#include "analysis/RatioDataChartOptionSet.h"

namespace klt {

void TRatioSkalaOption::Assign(const TRatioSkalaOption& other) {
    Skala.Assign(other.Skala);
    MergeFct = other.MergeFct;
}

bool TRatioSkalaOption::Equals(const TRatioSkalaOption& other) const {
    return Skala.Equals(other.Skala) && MergeFct == other.MergeFct;
}

TKLTRatioDataChartOptionSet::TKLTRatioDataChartOptionSet() {
    Defaults();
}

TKLTRatioDataChartOptionSet::TKLTRatioDataChartOptionSet(const TKLTRatioDataChartOptionSet& other) {
    Assign(other);
}

TKLTRatioDataChartOptionSet&
TKLTRatioDataChartOptionSet::operator=(const TKLTRatioDataChartOptionSet& other) {
    Assign(other);
    return *this;
}

void TKLTRatioDataChartOptionSet::Defaults() {
    PowerSkala.Skala.SetDisplayRange(true, 400, 5);
    PowerSkala.MergeFct = 50;
    HeartRateSkala.Skala.SetDisplayRange(true, 200, 0);
    HeartRateSkala.MergeFct = 20;
    CadenceSkala.Skala.SetDisplayRange(true, 150, 0);
    CadenceSkala.MergeFct = 20;
    SpeedSkala.Skala.SetDisplayRange(true, 60, 5);
    SpeedSkala.MergeFct = 10;
    SmootingFct = 10;
    DrawGrid = true;
}

void TKLTRatioDataChartOptionSet::Assign(const TKLTRatioDataChartOptionSet& other) {
    PowerSkala.Assign(other.PowerSkala);
    HeartRateSkala.Assign(other.HeartRateSkala);
    CadenceSkala.Assign(other.CadenceSkala);
    SpeedSkala.Assign(other.SpeedSkala);
    SmootingFct = other.SmootingFct;
    DrawGrid = other.DrawGrid;
}

bool TKLTRatioDataChartOptionSet::Equals(const TKLTRatioDataChartOptionSet& other) const {
    return PowerSkala.Equals(other.PowerSkala) && HeartRateSkala.Equals(other.HeartRateSkala) &&
           CadenceSkala.Equals(other.CadenceSkala) && SpeedSkala.Equals(other.SpeedSkala) &&
           SmootingFct == other.SmootingFct && DrawGrid == other.DrawGrid;
}

} // namespace klt
