#pragma once
// A new training stored in the database the one safe way: put in its place without replacing a
// file, read back and compared with what was meant to be written, and listed in its folder's
// index. A download and a live run hand their rides over through it.
#include <string>

#include "core/TrainingDataUnit.h"

namespace klt {

// Returns the path. Throws EKLTFileInOutError, with nothing left behind, when the file read back
// differs or cannot be read; what placing throws passes on.
std::string StoreNewTraining(const TTrainingData& training, const std::string& databaseDir);

// Takes a stored training out again: the file, its index entry and the folders it leaves empty.
void RemoveStoredTraining(const std::string& path, const std::string& databaseDir);

} // namespace klt
