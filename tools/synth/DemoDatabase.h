#pragma once
// A demonstration training database: a few athletes with a few weeks of rides each, stored the
// way the program stores trainings.
#include <cstdint>
#include <string>
#include <vector>

namespace klt::synth {

// Fills `databaseDir` with demonstration rides ending on day `today` (days since 1880), unless it
// already holds trainings. Returns every training of the database, the most recent first.
std::vector<std::string> EnsureDemoDatabase(const std::string& databaseDir, uint16_t today);

} // namespace klt::synth
