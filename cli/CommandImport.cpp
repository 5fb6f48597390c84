#include <cstdio>
#include <filesystem>

#include "cli/Commands.h"
#include "cli/DatabaseText.h"
#include "cli/FileBatch.h"
#include "core/Exceptions.h"
#include "core/ForeignImport.h"
#include "core/KLTDatabase.h"
#include "core/TrainingEnvironment.h"

namespace klt::cli {
namespace {

// Imports the foreign file where it lies and saves the training at its place in the database;
// the foreign file itself is left alone. Returns the path of the saved training.
std::string ImportIntoDatabase(const std::string& source, const TForeignImportOptions& options,
                               const std::string& databaseDir) {
    TKLTFile file(std::filesystem::absolute(source).string());
    if (ForeignFormatOf(source) == TForeignFormat::None) {
        throw EInOutError("'" + source + "': neither a text, HRM nor RAW file");
    }
    file.ImportOptions() = options;
    file.EnsureLoaded(3);
    if (IsInDatabase(file.FileName(), databaseDir)) {
        file.Save(); // loading moved it into its place already
    } else {
        try {
            if (!PlaceInDatabase(file, databaseDir)) {
                throw EKLTFileDatabaseError("the training has no place in the database");
            }
        } catch (Exception& e) {
            e.SetMessage("'" + source + "': " + e.Message());
            throw;
        }
    }
    return file.FileName();
}

} // namespace

int RunImport(const std::vector<std::string>& args) {
    const TArguments parsed = TArguments::Parse(args, {"--json", "--altitude-as-power"}, {"--initials"});
    if (parsed.positional.empty()) {
        throw EUsage("import needs at least one FILE");
    }
    const std::string databaseDir = ConfiguredDatabaseDir();
    if (databaseDir.empty()) {
        throw EKLTFileDatabaseError("No training database is set up to receive the trainings.");
    }
    TrainingEnvironment().databaseDir = databaseDir;
    const TForeignImportOptions options{
        .altitudeAsPower = parsed.flags.count("--altitude-as-power") != 0,
        .initials = parsed.options.count("--initials") != 0 ? parsed.options.at("--initials") : std::string()};
    return ProcessFiles(parsed.positional, "imported", parsed.flags.count("--json") != 0,
                        [&](const std::string& source) { return ImportIntoDatabase(source, options, databaseDir); });
}

} // namespace klt::cli
