#include "analysis/DiagramValueTexts.h"

#include <algorithm>

#include "core/KLTDate.h"
#include "core/KLTFile.h"
#include "core/PRMesWrt.h"

namespace klt {
namespace {

std::string ValueWithUnit(TMesswertArtType kind, double raw) {
    const TMesswertArt& art = MesswertArt(kind);
    return art.FormatValue(raw, -1, true) + " " + art.UnitShortName();
}

double MeanAltitude(const TKLTFile& file, int first, int last) {
    int64_t sum = 0;
    for (int i = first; i <= last; ++i) {
        sum += file.Sample(i).Altitude();
    }
    return last >= first ? double(sum) / (last - first + 1) : 0.0;
}

void Append(std::string& text, const std::string& part) {
    text += text.empty() ? part : "  " + part;
}

} // namespace

std::string MarkerValuesText(const TKLTFile& file, const TKLTMarker& m) {
    std::string text = FormatTimeOfDay(m.Duration(), false);
    Append(text, ValueWithUnit(mwaLeistung, double(m.AvgPower())));
    Append(text, ValueWithUnit(mwaHerzfrequenz, double(m.AvgHeartRate())));
    Append(text, ValueWithUnit(mwaGeschwindigkeit, double(m.AvgSpeed())));
    Append(text, ValueWithUnit(mwaTretfrequenz, double(m.AvgCadence())));
    Append(text, ValueWithUnit(mwaHoehe, MeanAltitude(file, m.first, m.last)));
    Append(text, ValueWithUnit(mwaTemperatur, double(m.AvgTemperature())));
    Append(text, ValueWithUnit(mwaStrecke, double(m.Distance())));
    Append(text, ValueWithUnit(mwaArbeit, double(m.Work())));
    return text;
}

std::string SampleHint(const TKLTFile& file, int sample) {
    if (sample < 1 || sample > file.SampleCount()) {
        return {};
    }
    const TSampleElement& s = file.Sample(sample);
    std::string text = FormatTimeOfDay(file.SampleTime(sample), false);
    Append(text, ValueWithUnit(mwaLeistung, s.Power()));
    Append(text, ValueWithUnit(mwaHerzfrequenz, s.HeartRate()));
    Append(text, ValueWithUnit(mwaGeschwindigkeit, s.Speed()));
    Append(text, ValueWithUnit(mwaTretfrequenz, s.Cadence()));
    Append(text, ValueWithUnit(mwaHoehe, s.Altitude()));
    Append(text, ValueWithUnit(mwaTemperatur, s.Temperature()));
    return text;
}

std::string RangeHint(const TKLTFile& file, int from, int to) {
    if (file.SampleCount() == 0) {
        return {};
    }
    TKLTMarker range;
    file.ComputeMarker(range, std::min(from, to), std::max(from, to));
    return FormatTimeOfDay(range.startTime, false) + "-" + FormatTimeOfDay(range.endTime, false) + "  " +
           MarkerValuesText(file, range);
}

} // namespace klt
