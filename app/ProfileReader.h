#pragma once
// Reads the text of a profile file. A set (or a nested block with settings of its own) that cannot
// be read falls back to its defaults and the rest of the file is still read; the user is told
// about the first such problem and about zone sets that had to be left out.
#include <string>
#include <string_view>

#include "app/ProfileOptionSets.h"

namespace klt {

// `defaults` gives every set that is missing or damaged; `fileName` names the file in messages.
// `incomplete`, when given, tells whether anything of the text was left out (a damaged block,
// zone sets that did not fit): saving the result would lose it.
TProfileOptionSets ReadProfileText(std::string_view text, const TProfileOptionSets& defaults,
                                   const std::string& fileName, bool* incomplete = nullptr);

} // namespace klt
