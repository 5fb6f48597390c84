#pragma once
// Human-readable and spreadsheet forms of a training, in the user's display units.
#include <string>

#include "core/KLTFile.h"

namespace klt::cli {

std::string TrainingSummary(const TKLTFile& file);
std::string SamplesTable(const TKLTFile& file);
// Comma-separated with "." as decimal point whatever the locale, so that scripts can read it.
std::string SamplesCsv(const TKLTFile& file);

} // namespace klt::cli
