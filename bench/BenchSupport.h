#pragma once
// Data the benchmarks share, made once per run.
#include <string>
#include <vector>

#include "core/KLTFile.h"

namespace klt::bench {

// A fresh folder for this run's files.
const std::string& BenchDir();
// Removes that folder again (a generated database takes a few hundred megabytes).
void RemoveBenchDir();
// The largest training a file can hold (65,534 samples), with the demonstration ride's markers.
const std::string& FullTrainingPath();
// The same training, loaded.
TKLTFile& FullTraining();
// A database of ten years of riding: 5,000 one-hour trainings at 1 s of two athletes, written once
// per run. The paths of its trainings; the database folder is BenchDatabaseDir().
const std::vector<std::string>& BenchDatabase();
std::string BenchDatabaseDir();

} // namespace klt::bench
