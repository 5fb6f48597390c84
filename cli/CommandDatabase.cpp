#include <algorithm>
#include <cstdio>

#include "cli/Commands.h"
#include "cli/DatabaseText.h"
#include "cli/FileBatch.h"
#include "core/Exceptions.h"
#include "core/KLTDatabase.h"
#include "core/TrainingEnvironment.h"

namespace klt::cli {
namespace {

uint16_t ParseDate(const std::string& text) {
    TCivilDate date;
    char end = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &date.year, &date.month, &date.day, &end) != 3 ||
        !IsValidCivilDate(date) || DaysSince1880(date) < 0 || DaysSince1880(date) >= kNoDate) {
        throw EUsage("not a date (YYYY-MM-DD): " + text);
    }
    return static_cast<uint16_t>(DaysSince1880(date));
}

int RunAdd(const TArguments& parsed, const std::string& databaseDir) {
    if (parsed.positional.size() < 2) {
        throw EUsage("db add needs at least one FILE");
    }
    const std::vector<std::string> sources(parsed.positional.begin() + 1, parsed.positional.end());
    return ProcessFiles(sources, "added", parsed.flags.count("--json") != 0,
                        [&](const std::string& source) { return AddTrainingToDatabase(source, databaseDir); });
}

int RunList(const TArguments& parsed, const std::string& databaseDir) {
    if (parsed.positional.size() != 1) {
        throw EUsage("db list takes no FILE");
    }
    TTrainingFilter filter;
    if (parsed.options.count("--initials")) {
        filter.initialsPatterns = parsed.options.at("--initials");
    }
    if (parsed.options.count("--from")) {
        filter.fromDate = ParseDate(parsed.options.at("--from"));
    }
    if (parsed.options.count("--to")) {
        filter.toDate = ParseDate(parsed.options.at("--to"));
    }
    std::vector<TTrainingRow> rows;
    ForEachListedTraining(databaseDir, filter, [&](const TListedTraining& training) {
        rows.push_back(TTrainingRow::Of(training));
        return true;
    });
    std::sort(rows.begin(), rows.end());
    const std::string text = parsed.flags.count("--json") ? TrainingRowsJson(rows) : TrainingRowsTable(rows);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}

} // namespace

int RunDatabase(const std::vector<std::string>& args) {
    const TArguments parsed = TArguments::Parse(args, {"--json"}, {"--initials", "--from", "--to"});
    if (parsed.positional.empty()) {
        throw EUsage("db needs path, add or list");
    }
    const std::string databaseDir = ConfiguredDatabaseDir();
    TrainingEnvironment().databaseDir = databaseDir; // where trainings are moved into place
    const std::string& what = parsed.positional[0];
    if (what == "path" && parsed.positional.size() == 1) {
        std::printf("%s\n", databaseDir.c_str());
        return 0;
    }
    if (what == "add") {
        return RunAdd(parsed, databaseDir);
    }
    if (what == "list") {
        return RunList(parsed, databaseDir);
    }
    throw EUsage("db needs path, add or list");
}

} // namespace klt::cli
