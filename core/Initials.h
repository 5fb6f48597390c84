#pragma once
// Athletes are told apart by their initials: in marker 0 of every training, in database folder
// names and in the names of training files.
#include <string>

namespace klt {

// At most 20 characters of space, ",", ".", digits and ASCII letters; trimmed.
std::string NormalizeInitials(const std::string& text);

} // namespace klt
