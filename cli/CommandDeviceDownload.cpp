// klt device download: the read and save dialogs' controllers without their windows.
#include <cstdio>
#include <unistd.h>

#include "app/ProfileDirectory.h"
#include "app/ProfileOptionSets.h"
#include "cli/Commands.h"
#include "cli/DatabaseText.h"
#include "cli/DevicePrompt.h"
#include "cli/Json.h"
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
    // exactly the port given or configured (or the download cable when that is gone): a search could
    // end up at another head unit
    configuration.searchAllPorts = false;
    if (configuration.SerialHeadUnit()) {
        if (const auto port = parsed.options.find("--port"); port != parsed.options.end()) {
            configuration.port = TVeltrakComPort(port->second, port->second, 0);
        }
    } else if (parsed.options.count("--port") != 0) {
        throw EUsage("--port is for head units of generation IV and V; VI and 7 are reached over USB");
    }
    if (parsed.options.count("--password") != 0 && configuration.headUnitType != 4) {
        throw EUsage("--password is for head units of generation IV");
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
        json.EndArray().Key("incomplete").BeginArray();
        for (const std::string& reason : result.incomplete) {
            json.Value(reason);
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
    for (const std::string& reason : result.incomplete) {
        std::fprintf(stderr, "%s\n", reason.c_str());
    }
    if (cleared) {
        std::printf("A new recording was started: the head unit's memory is empty.\n");
    }
}

// The gauge on a terminal: one line, rewritten.
void ShowProgress(int percent) {
    if (::isatty(STDERR_FILENO) != 0) {
        std::fprintf(stderr, "\rReading the Veltrak: %3d %%", percent);
        std::fflush(stderr);
    }
}

void EndProgress() {
    if (::isatty(STDERR_FILENO) != 0) {
        std::fputs("\n", stderr);
    }
}

} // namespace

int RunDeviceDownload(const std::vector<std::string>& args) {
    const TArguments parsed = TArguments::Parse(args, {"--all", "--select", "--clear", "--json"},
                                                {"--type", "--port", "--password"});
    if (!parsed.positional.empty()) {
        throw EUsage("device download takes no arguments besides its options");
    }
    const TDownloadConfiguration configuration = CommandLineConfiguration(parsed);
    const bool flag = WholeMemoryFlag(parsed, configuration);

    TDevicePrompt prompt;
    TKLTVtrkReadDataModel read(configuration, flag, "%s", "%s", prompt);
    if (const auto password = parsed.options.find("--password"); password != parsed.options.end()) {
        read.Veltrak().SetPassword(ParsePassword(password->second));
    }
    read.OnChanged = [&read] { ShowProgress(read.Progress()); };
    read.OnSelectSections() = [](std::vector<TSectionChoice>& choices) {
        // no one to choose: the list is shown and every training is read
        for (const TSectionChoice& choice : choices) {
            std::fprintf(stderr, "%s\n", choice.line.c_str());
        }
    };
    bool cleared = false;
    const bool saveFollows = read.Download();
    EndProgress();
    if (saveFollows) {
        TKLTVtrkSaveDataModel save(read.Image(), read.Veltrak(), read.Downloaded(), read.Sink(), configuration,
                                   KnownDatabaseInitials(configuration.databaseDir));
        if (parsed.flags.count("--clear") != 0) {
            save.SaveAndClear(false);
        } else {
            save.SaveAndKeep(false);
        }
        cleared = save.Cleared();
    }
    const TDownloadResult& result = read.Downloaded();
    PrintResult(result, cleared, parsed.flags.count("--json") != 0);
    const bool failed = !result.Complete() || (parsed.flags.count("--clear") != 0 && !cleared);
    return failed ? 1 : 0;
}

} // namespace klt::cli
