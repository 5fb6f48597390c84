#pragma once
// One row per training of the database, as `klt db list` shows it.
#include <string>
#include <tuple>
#include <vector>

#include "app/KLTIniData.h"
#include "core/KLTDatabase.h"

namespace klt::cli {

struct TTrainingRow {
    std::string path;
    uint16_t date = 0;
    int32_t startTime = 0;
    std::string initials;
    int64_t duration = 0, work = 0, distance = 0;
    int64_t avgPower = 0, avgHeartRate = 0, avgSpeed = 0, avgCadence = 0, climb = 0, avgTemperature = 0;
    std::string comment;
    int slope = 0, zeroOffset = 0, circumference = 0;

    static TTrainingRow Of(const TListedTraining& training);
    // Date, start time, initials.
    bool operator<(const TTrainingRow& other) const {
        return std::tie(date, startTime, initials, path) < std::tie(other.date, other.startTime, other.initials, other.path);
    }
};

std::string TrainingRowsJson(const std::vector<TTrainingRow>& rows);
std::string TrainingRowsTable(const std::vector<TTrainingRow>& rows);

// The system settings as stored, read only; the defaults when the file is missing or damaged.
TSystemData ConfiguredSystemData();
// The training database of the configuration (KLT_DATABASE and KLT_CONFIG apply).
std::string ConfiguredDatabaseDir();

// The configured training database, made the one trainings are placed in and kept current.
std::string DatabaseInUse();

} // namespace klt::cli
