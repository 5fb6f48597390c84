#include "cli/DatabaseText.h"

#include "app/ConfigurationPaths.h"
#include "app/KLTIni.h"
#include "cli/JsonOutput.h"
#include "cli/TextTable.h"
#include "core/Exceptions.h"
#include "core/KLTDate.h"
#include "core/SmallFile.h"
#include "core/TrainingEnvironment.h"

namespace klt::cli {

TTrainingRow TTrainingRow::Of(const TListedTraining& training) {
    const TTrainingSummary& s = training.summary;
    return {training.path, s.date,         s.startTime,  s.initials,       s.duration,   s.work,
            s.distance,    s.avgPower,     s.avgHeartRate, s.avgSpeed,     s.avgCadence, s.climb,
            s.avgTemperature, s.comment,   s.slope,      s.zeroOffset,     s.circumference};
}

std::string TrainingRowsJson(const std::vector<TTrainingRow>& rows) {
    TJson trainings = TJson::array();
    for (const TTrainingRow& r : rows) {
        trainings.push_back({{"path", r.path},
                             {"date", r.date},
                             {"start_time", r.startTime},
                             {"initials", r.initials},
                             {"duration", r.duration},
                             {"work", r.work},
                             {"distance", r.distance},
                             {"avg_power", r.avgPower},
                             {"avg_heart_rate", r.avgHeartRate},
                             {"avg_speed", r.avgSpeed},
                             {"avg_cadence", r.avgCadence},
                             {"climb", r.climb},
                             {"avg_temperature", r.avgTemperature},
                             {"comment", r.comment},
                             {"slope", r.slope},
                             {"zero_offset", r.zeroOffset},
                             {"circumference", r.circumference}});
    }
    return JsonLine({{"trainings", trainings}});
}

std::string TrainingRowsTable(const std::vector<TTrainingRow>& rows) {
    TTextTable table({{"Date", 10, false},
                      {"Start", 8, true},
                      {"Athlete", 8, false},
                      {"Duration", 9, true},
                      {"Ø POW", 11, true},
                      {"Ø HRT", 9, true},
                      {"Distance", 10, true},
                      {"Work", 9, true},
                      {"Comment", 0, false}});
    for (const TTrainingRow& r : rows) {
        table.AddRow({FormatIsoDate(r.date), FormatTimeOfDay(r.startTime, false), r.initials, FormatDuration(r.duration),
                      ValueWithUnit(mwaLeistung, static_cast<double>(r.avgPower)),
                      ValueWithUnit(mwaHerzfrequenz, static_cast<double>(r.avgHeartRate)),
                      ValueWithUnit(mwaStrecke, static_cast<double>(r.distance), 2),
                      ValueWithUnit(mwaArbeit, static_cast<double>(r.work)), r.comment});
    }
    return table.Text() + std::to_string(rows.size()) + (rows.size() == 1 ? " training\n" : " trainings\n");
}

TSystemData ConfiguredSystemData() {
    // Read only: the tool never writes the configuration, and a damaged one means the default.
    TKLTIniData settings;
    try {
        if (std::optional<std::string> text = ReadSmallFile(ConfigurationFilePath(), TKLTIniFile::kMaxFileSize)) {
            settings.ReadText(*text);
        }
    } catch (const Exception&) {
        settings.SetToDefaults();
    }
    return settings.SystemData;
}

std::string ConfiguredDatabaseDir() { return ConfiguredSystemData().DataBaseDir; }

std::string DatabaseInUse() {
    const std::string databaseDir = ConfiguredDatabaseDir();
    TrainingEnvironment().databaseDir = databaseDir;
    return databaseDir;
}

} // namespace klt::cli
