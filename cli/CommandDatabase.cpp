#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <unistd.h>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/DatabaseText.h"
#include "cli/FileBatch.h"
#include "core/BinaryFile.h"
#include "core/Exceptions.h"
#include "core/KLTDatabase.h"
#include "core/KLTFileRegistry.h"
#include "core/TrainingEnvironment.h"

namespace klt::cli {
namespace {

namespace fs = std::filesystem;

// Copies the file into the database and lets loading move it to its place there, saving old
// versions as KLT7 on the way. Returns the path it got.
std::string AddToDatabase(const std::string& source, const std::string& databaseDir) {
    TKLTFile probe;
    LoadTraining(probe, source); // a file that is no training never enters the database
    fs::create_directories(databaseDir);
    std::string incoming = databaseDir + "/.incoming-XXXXXX";
    const int fd = ::mkstemp(incoming.data());
    if (fd < 0) {
        throw EInOutError("'" + incoming + "': " + IoErrorMessage(errno));
    }
    ::close(fd);
    std::error_code error;
    fs::copy_file(source, incoming, fs::copy_options::overwrite_existing, error);
    if (error) {
        fs::remove(incoming);
        throw EInOutError("'" + source + "': " + error.message());
    }
    TKLTFile& file = KLTFileRegistry().OpenTraining(incoming, nullptr);
    try {
        file.EnsureLoaded();
    } catch (...) {
        KLTFileRegistry().ReleaseTraining(file, nullptr);
        fs::remove(incoming);
        throw;
    }
    const std::string path = file.FileName();
    KLTFileRegistry().ReleaseTraining(file, nullptr);
    return path;
}

// The configured training database, where loading moves trainings into place.
std::string DatabaseInUse() {
    const std::string databaseDir = ConfiguredDatabaseDir();
    TrainingEnvironment().databaseDir = databaseDir;
    return databaseDir;
}

int RunAdd(const std::vector<std::string>& sources, bool asJson) {
    const std::string databaseDir = DatabaseInUse();
    return ProcessFiles(sources, "added", asJson,
                        [&](const std::string& source) { return AddToDatabase(source, databaseDir); });
}

int RunList(TTrainingFilter filter, bool asJson) {
    filter.withSamples = true; // the averages need them
    std::vector<TTrainingRow> rows;
    ForEachTraining(DatabaseInUse(), filter, [&](TKLTFile& file) {
        rows.push_back(TTrainingRow::Of(file));
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
        std::printf("%s\n", DatabaseInUse().c_str());
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
