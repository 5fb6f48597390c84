#include "core/TrainingSummary.h"

#include "core/KLTFile.h"

namespace klt {

TTrainingSummary SummaryOf(const TKLTFile& file) {
    const TKLTMarker& m = file.Marker(0);
    const TKLTHeader& h = file.Header();
    TTrainingSummary s;
    s.date = h.date;
    s.startTime = m.startTime;
    s.endTime = m.endTime;
    s.blockCount = static_cast<uint16_t>(file.Blocks().size());
    s.duration = m.Duration();
    s.work = m.Work();
    s.distance = m.Distance();
    s.avgPower = m.AvgPower();
    s.avgHeartRate = m.AvgHeartRate();
    s.avgSpeed = m.AvgSpeed();
    s.avgCadence = m.AvgCadence();
    s.climb = m.climb;
    s.avgTemperature = m.AvgTemperature();
    s.slope = h.slope;
    s.zeroOffset = h.zeroOffset;
    s.circumference = h.circumference;
    s.initials = m.name;
    s.comment = file.Comment();
    return s;
}

} // namespace klt
