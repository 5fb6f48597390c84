#pragma once
// The index each month folder of the training database keeps of its trainings, so that lists
// need not read every file. The trainings stay the truth: an entry counts only while name, size
// and modification time still match its file, and a missing or damaged index is rebuilt from the
// files without a word.
#include <string>
#include <vector>

#include "core/TrainingIndexFormat.h"

namespace klt {

// The index of the folder as stored; nothing when there is none or it cannot be taken.
std::optional<std::vector<TIndexEntry>> ReadTrainingIndex(const std::string& monthDir);
// Replaces the folder's index atomically; an empty list removes it.
void WriteTrainingIndex(const std::string& monthDir, const std::vector<TIndexEntry>& entries);

// One entry per training file of the folder, sorted by name: those whose file changed, appeared
// or could not be matched are read, those whose file vanished go, and the index is written back
// when anything changed. Never throws for the index's sake; an index that cannot be written only
// costs the next walk its reads.
std::vector<TIndexEntry> CurrentMonthIndex(const std::string& monthDir);

// Brings the entry of one training up to date after the program wrote, moved or deleted it.
// Nothing happens for a path that is no training of a month folder of the database. Never throws.
void UpdateTrainingIndex(const std::string& databaseDir, const std::string& path);

} // namespace klt
