#include <cstdio>
#include <filesystem>
#include <memory>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/DatabaseText.h"
#include "cli/FileBatch.h"
#include "core/Exceptions.h"
#include "core/ForeignImport.h"
#include "core/KLTDatabase.h"

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

struct TImportOptions {
    std::vector<std::string> sources;
    TForeignImportOptions import;
    bool json = false;
};

int RunImport(const TImportOptions& options) {
    const std::string databaseDir = DatabaseInUse();
    if (databaseDir.empty()) {
        throw EKLTFileDatabaseError("No training database is set up to receive the trainings.");
    }
    return ProcessFiles(options.sources, "imported", options.json, [&](const std::string& source) {
        return ImportIntoDatabase(source, options.import, databaseDir);
    });
}

} // namespace

void AddImportCommand(CLI::App& klt, TCommandRun& selected) {
    auto options = std::make_shared<TImportOptions>();
    CLI::App& import = *klt.add_subcommand("import", "text, Polar HRM and RAW files as trainings in the database");
    import.add_option("FILE", options->sources, "files to import")->required();
    import.add_option("--initials", options->import.initials, "the athlete of the imported trainings");
    import.add_flag("--altitude-as-power", options->import.altitudeAsPower,
                    "an HRM file without power: its altitude column as the power");
    import.add_flag("--json", options->json, "one JSON object {imported, errors}");
    RunWhenSelected(import, selected, [options] { return RunImport(*options); });
}

} // namespace klt::cli
