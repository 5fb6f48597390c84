#pragma once
// A training database in a temporary folder, made the program's one for the lifetime of the
// object, with trainings put into their canonical places.
#include <filesystem>
#include <string>

#include "core/KLTDatabase.h"
#include "core/KLTFile.h"
#include "core/KLTFileRegistry.h"
#include "core/TrainingEnvironment.h"
#include "tests/support/MemoryTraining.h"
#include "tests/support/RawTraining.h"

namespace klt::test {

class TTempDatabase {
public:
    TTempDatabase() : path_(dir_.File("_DATA.KLT")) {
        std::filesystem::create_directories(path_);
        TrainingEnvironment() = {path_, &history, &markerNames};
    }
    ~TTempDatabase() {
        KLTFileRegistry().Trim(0);
        TrainingEnvironment() = {};
    }
    TTempDatabase(const TTempDatabase&) = delete;
    TTempDatabase& operator=(const TTempDatabase&) = delete;

    const std::string& Path() const { return path_; }

    // Writes a training of `count` one-second samples starting at `startTime` (1/100 s) where
    // the database keeps it; returns its path.
    std::string Put(const std::string& initials, uint16_t date, int32_t startTime, int count = 30,
                    const std::string& comment = {}) const {
        TKLTFile file;
        FillTraining(file, count, {{static_cast<uint32_t>(startTime), static_cast<uint16_t>(count)}},
                     initials, date);
        file.SetCommentText(comment);
        const std::string dir = CanonicalDirectory(path_, initials, date);
        std::filesystem::create_directories(dir);
        std::string path;
        for (char suffix = 'A'; path.empty() || std::filesystem::exists(path); ++suffix) {
            path = dir + CanonicalStem(initials, date) + suffix + ".klt";
        }
        file.WriteKLT7(path, TDateTimeMark::None());
        return path;
    }

    TFileHistory history;
    TMarkerIdentList markerNames;

private:
    TTempDir dir_;
    std::string path_;
};

inline uint16_t Day(int year, int month, int day) {
    return static_cast<uint16_t>(DaysSince1880({year, month, day}));
}

} // namespace klt::test
