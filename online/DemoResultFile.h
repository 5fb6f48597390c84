#pragma once
// The results file of a demo category, "DemoMode/<category>.rst" below the options directory: one
// line per result of fixed-width fields, last name (20 characters), first name (20), average power
// (5), category watt (5), failure (10), maximum power (5), the spare value (10).
#include <string>
#include <string_view>
#include <vector>

#include "core/Exceptions.h"
#include "online/KLTDemoResult.h"

namespace klt {

// A results file that holds something else than results; its message names the file.
class EDemoResultsDamaged : public EInOutError {
public:
    using EInOutError::EInOutError;
};

constexpr size_t kMaxDemoResults = 999;

// The file name of a category: its name with the characters a file name cannot hold safely (path
// separators, control characters, "%", a leading ".") written as "%XX", cut to a length every file
// system takes, and ".rst".
std::string DemoResultFileName(std::string_view categorieName);
// The category name a results file name stands for: the name without ".rst", "%XX" read back.
std::string DemoCategorieNameOfFile(std::string_view fileName);
// "<directory>/DemoMode/<file name>".
std::string DemoResultPath(const std::string& optionsDirectory, std::string_view categorieName);

// The file's text; values are kept within their field widths.
std::string WriteDemoResultText(const std::vector<TKLTDemoResult>& results);
// Throws EDemoResultsDamaged ("File:<path> damaged" and the reason) for a line that does not read,
// a value outside its field or more than 999 results.
std::vector<TKLTDemoResult> ReadDemoResultText(std::string_view text, const std::string& path);
// The results of the file at path; none when there is no file. Throws EDemoResultsDamaged as
// ReadDemoResultText, also for a file too large to hold results, and EInOutError when it cannot
// be read.
std::vector<TKLTDemoResult> ReadDemoResultFile(const std::string& path);

} // namespace klt
