#pragma once
#include <string_view>

#include "core/KLTFile.h"

namespace klt {

void ImportHrmTraining(TKLTFile& file, std::string_view content, bool altitudeAsPower);

} // namespace klt
