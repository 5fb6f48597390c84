#pragma once
#include <string_view>

#include "core/KLTFile.h"

namespace klt {

void ImportTextTraining(TKLTFile& file, std::string_view content);

} // namespace klt
