#pragma once
// The values a diagram writes at its marker bars and shows as hints under the mouse.
#include <string>

namespace klt {

class TKLTFile;
class TKLTMarker;

// Duration, mean power, heart rate, speed, cadence, altitude and temperature, distance and work.
std::string MarkerValuesText(const TKLTFile& file, const TKLTMarker& marker);
// The time of day of a sample and its values.
std::string SampleHint(const TKLTFile& file, int sample);
// The times and the values of a range of samples, in either order.
std::string RangeHint(const TKLTFile& file, int from, int to);

} // namespace klt
