#pragma once
// Commands that take many files: each is handled on its own, its failure reported without
// stopping the others.
#include <functional>
#include <string>
#include <vector>

namespace klt::cli {

// Calls `process` for every source; it returns the path the source went to. Prints
// "source -> path" lines and errors, or with `asJson` one object {key: [{source, path}],
// errors: [{source, message}]}, with a progress bar on a terminal. Returns 0 when every file went
// through, else 1.
int ProcessFiles(const std::vector<std::string>& sources, const std::string& key, bool asJson,
                 const std::function<std::string(const std::string&)>& process);

} // namespace klt::cli
