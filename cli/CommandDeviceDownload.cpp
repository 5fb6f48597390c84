// klt device download: the read and save dialogs' controllers without their windows.
#include <cstdio>

#include "app/ProfileDirectory.h"
#include "app/ProfileOptionSets.h"
#include "cli/Commands.h"
#include "cli/DatabaseText.h"
#include "cli/Json.h"
#include "core/TrainingEnvironment.h"
#include "flow/ReadDataModel.h"
#include "flow/SaveDataModel.h"

namespace klt::cli {
namespace {

TDownloadConfiguration CommandLineConfiguration(const TArguments& parsed) {
    const auto type = parsed.options.find("--type");
    if (type == parsed.options.end() || type->second.size() != 1 || type->second[0] < '4' || type->second[0] > '7') {
        throw EUsage("--type 4, 5, 6 or 7 is needed: the generation of the head unit");
    }
    const TSystemData system = ConfiguredSystemData();
    TSystemOptionSet profile;
    profile.VeltrakVersion = type->second[0] - '0';
    TDownloadConfiguration configuration = DownloadConfiguration(system, profile);
    // exactly the port given: a search could end up at another head unit
    configuration.searchAllPorts = false;
    if (configuration.SerialHeadUnit()) {
        configuration.port = SerialPortOption(parsed);
    } else if (parsed.options.count("--port") != 0) {
        throw EUsage("--port is for head units of generation IV and V; VI and 7 are reached over USB");
    }
    return configuration;
}

// The read-whole-memory flag: the whole memory of a serial head unit, the choice of trainings of a
// USB one.
bool WholeMemoryFlag(const TArguments& parsed, const TDownloadConfiguration& configuration) {
    const bool all = parsed.flags.count("--all") != 0;
    const bool select = parsed.flags.count("--select") != 0;
    if (configuration.SerialHeadUnit() ? select : all) {
        throw EUsage("--all is for generation IV and V, --select for VI and 7");
    }
    return all || select;
}

void PrintResult(const TDownloadResult& result, bool cleared, bool asJson) {
    if (asJson) {
        TJsonWriter json;
        json.BeginObject().Key("files").BeginArray();
        for (const std::string& file : result.files) {
            json.Value(file);
        }
        json.EndArray().Field("skipped_known", result.skippedKnown).Key("errors").BeginArray();
        for (const std::string& error : result.errors) {
            json.Value(error);
        }
        json.EndArray().Field("cleared", cleared).EndObject();
        std::printf("%s\n", json.Text().c_str());
        return;
    }
    for (const std::string& file : result.files) {
        std::printf("%s\n", file.c_str());
    }
    if (result.skippedKnown > 0) {
        std::printf("%d trainings already in the database were not read again\n", result.skippedKnown);
    }
    for (const std::string& error : result.errors) {
        std::fprintf(stderr, "%s\n", error.c_str());
    }
    if (cleared) {
        std::printf("A new recording was started: the head unit's memory is empty.\n");
    }
}

} // namespace

int RunDeviceDownload(const std::vector<std::string>& args) {
    const TArguments parsed =
        TArguments::Parse(args, {"--all", "--select", "--clear", "--json"}, {"--type", "--port"});
    if (!parsed.positional.empty()) {
        throw EUsage("device download takes no arguments besides its options");
    }
    const TDownloadConfiguration configuration = CommandLineConfiguration(parsed);
    const bool flag = WholeMemoryFlag(parsed, configuration);
    TrainingEnvironment().databaseDir = configuration.databaseDir; // where the trainings go

    TKLTVtrkReadDataModel read(configuration, flag, "%s", "%s");
    read.OnSelectSections = [](std::vector<TSectionChoice>& choices) {
        // no one to choose: the list is shown and every training is read
        for (const TSectionChoice& choice : choices) {
            std::fprintf(stderr, "%s\n", choice.line.c_str());
        }
    };
    bool cleared = false;
    if (read.Download()) {
        TKLTVtrkSaveDataModel save(read.Image(), read.Veltrak(), read.Downloaded(), configuration,
                                   KnownDatabaseInitials(configuration.databaseDir));
        if (parsed.flags.count("--clear") != 0) {
            save.SaveAndClear(false);
        } else {
            save.SaveAndKeep(false);
        }
        cleared = save.Cleared();
    }
    TDownloadResult result = read.Downloaded();
    if (result.cut && result.errors.empty()) {
        result.errors.emplace_back("The download was cancelled."); // say why nothing more came
    }
    PrintResult(result, cleared, parsed.flags.count("--json") != 0);
    const bool failed = !result.Complete() || (parsed.flags.count("--clear") != 0 && !cleared);
    return failed ? 1 : 0;
}

} // namespace klt::cli
