#include <algorithm>
#include <cstdio>

#include "cli/CommandLine.h"
#include "cli/TerminalText.h"
#include "cli/Commands.h"
#include "cli/DatabaseText.h"
#include "cli/FileBatch.h"
#include "core/Exceptions.h"
#include "core/KLTDatabase.h"

namespace klt::cli {
namespace {

int RunAdd(const std::vector<std::string>& sources, bool asJson) {
    const std::string databaseDir = DatabaseInUse();
    return ProcessFiles(sources, "added", asJson,
                        [&](const std::string& source) { return AddTrainingToDatabase(source, databaseDir); });
}

int RunList(const TTrainingFilter& filter, bool asJson) {
    std::vector<TTrainingRow> rows;
    ForEachListedTraining(DatabaseInUse(), filter, [&](const TListedTraining& training) {
        rows.push_back(TTrainingRow::Of(training));
        return true;
    });
    std::sort(rows.begin(), rows.end());
    const std::string text = asJson ? TrainingRowsJson(rows) : TrainingRowsTable(rows);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}

void AddPathCommand(CLI::App& db, TCommandRun& selected) {
    CLI::App& path = *db.add_subcommand("path", "the training database in use");
    RunWhenSelected(path, selected, [] {
        std::printf("%s\n", Printable(DatabaseInUse()).c_str());
        return 0;
    });
}

void AddAddCommand(CLI::App& db, TCommandRun& selected) {
    struct TOptions {
        std::vector<std::string> sources;
        bool json = false;
    };
    auto options = std::make_shared<TOptions>();
    CLI::App& add = *db.add_subcommand("add", "copy trainings into the database, each to its place");
    add.add_option("FILE", options->sources, "training files")->required();
    add.add_flag("--json", options->json, "one JSON object {added, errors}");
    RunWhenSelected(add, selected, [options] { return RunAdd(options->sources, options->json); });
}

void AddListCommand(CLI::App& db, TCommandRun& selected) {
    struct TOptions {
        TTrainingFilter filter;
        bool json = false;
    };
    auto options = std::make_shared<TOptions>();
    CLI::App& list = *db.add_subcommand("list", "the trainings of the database by date, start time and initials");
    list.add_option("--initials", options->filter.initialsPatterns,
                    "athletes' initials: patterns separated by ';', with * and ?");
    list.add_option("--from", options->filter.fromDate, "the first day")->transform(IsoDay())->type_name("YYYY-MM-DD");
    list.add_option("--to", options->filter.toDate, "the last day")->transform(IsoDay())->type_name("YYYY-MM-DD");
    list.add_flag("--json", options->json, "one JSON object {trainings} in raw units");
    RunWhenSelected(list, selected, [options] { return RunList(options->filter, options->json); });
}

} // namespace

void AddDatabaseCommand(CLI::App& klt, TCommandRun& selected) {
    CLI::App& db = AddCommandGroup(klt, "db", "the training database of the configuration");
    AddPathCommand(db, selected);
    AddAddCommand(db, selected);
    AddListCommand(db, selected);
}

} // namespace klt::cli
