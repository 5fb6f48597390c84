#pragma once
// Athlete initials as trainings and the database name them.
#include <cstddef>
#include <string>
#include <string_view>

namespace klt {

inline constexpr std::size_t kMaxInitialsLength = 20;

// Keeps only blanks, ",", ".", digits and ASCII letters, trims the result and cuts it to 20
// characters, so initials are always safe in directory and file names.
std::string NormalizeInitials(std::string_view text);

} // namespace klt
