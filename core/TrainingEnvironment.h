#pragma once
// What training files need to know about the program around them: where the training database
// lies and the recent-file and marker-name lists that follow their renames and markers. The
// configuration fills it in at start-up; without it files work outside any database.
#include <string>

#include "core/FileHistory.h"

namespace klt {

struct TTrainingEnvironment {
    std::string databaseDir;                // empty: no database
    TFileHistory* fileHistory = nullptr;    // owned by the configuration
    TMarkerIdentList* markerNames = nullptr; // owned by the configuration
};

TTrainingEnvironment& TrainingEnvironment();

} // namespace klt
