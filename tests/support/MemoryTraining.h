#pragma once
// Trainings built in memory with simple, predictable samples.
#include <string>
#include <vector>

#include "core/KLTFile.h"

namespace klt::test {

// `count` one-second samples: power i W, cadence 90 rpm, heart rate 100 + i bpm, speed 32 * i
// mm/s, altitude (i % 3) * 10 m, temperature -i (0.1 degC); marker 0 named `initials`.
void FillTraining(TKLTFile& file, int count, std::vector<TKLTBlock> blocks = {}, const std::string& initials = "JD",
                  uint16_t date = 53000);

// Writes such a training as a KLT7 file at `path`.
void WriteTraining(const std::string& path, const std::string& initials = "JD", uint16_t date = 53000,
                   int count = 60);

} // namespace klt::test
