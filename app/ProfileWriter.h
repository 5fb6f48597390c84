#pragma once
// Writes the option sets of a profile as the text of its ".xml" file.
#include <string>

#include "app/ProfileOptionSets.h"

namespace klt {

std::string WriteProfileText(const TProfileOptionSets& sets);

} // namespace klt
