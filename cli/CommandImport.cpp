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
std::string ImportIntoDatabase(const std::string& source, const TArguments& parsed, const std::string& databaseDir) {
    TKLTFile file(std::filesystem::absolute(source).string());
    if (ForeignFormatOf(source) == TForeignFormat::None) {
        throw EInOutError("'" + source + "': neither a text, HRM nor RAW file");
    }
    file.EnsureLoaded(3);
    if (parsed.options.count("--initials") != 0) {
        file.SetInitials(parsed.options.at("--initials"));
    }
    if (IsInDatabase(file.FileName(), databaseDir)) {
        file.Save(); // loading moved it into its place already
        return file.FileName();
    }
    // A name inside the database that no file has: the database rename gives it its place.
    std::filesystem::create_directories(databaseDir);
    file.SetFileName(databaseDir + "/.incoming.klt");
    file.CanonicalRename();
    file.Save();
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
    InstallForeignImports({.altitudeAsPower = parsed.flags.count("--altitude-as-power") != 0});
    return ProcessFiles(parsed.positional, "imported", parsed.flags.count("--json") != 0,
                        [&](const std::string& source) { return ImportIntoDatabase(source, parsed, databaseDir); });
}

} // namespace klt::cli
