#pragma once
// Reading settings-sized files without trusting what lies at the path.
#include <cstddef>
#include <optional>
#include <string>

namespace klt {

// The whole content of a regular file of at most maxSize bytes; nothing when no file exists at the
// path. EInOutError for anything else: no access, a directory, a device or pipe (never waited
// for), a file that is too large.
std::optional<std::string> ReadSmallFile(const std::string& path, size_t maxSize);

} // namespace klt
