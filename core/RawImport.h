#pragma once
// RAW files of heart-rate monitors: one value a line, sampled every 15 seconds, dated by the file
// name (month-day-year).
#include <string_view>

#include "core/KLTFile.h"

namespace klt {

void ImportRawTraining(TKLTFile& file, std::string_view content);

} // namespace klt
