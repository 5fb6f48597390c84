#pragma once
// Polar heart-rate monitor files (".hrm") read as trainings.
#include <string_view>

namespace klt {

class TKLTFile;

void ImportHrmTraining(TKLTFile& file, std::string_view content, bool altitudeAsPower);

} // namespace klt
