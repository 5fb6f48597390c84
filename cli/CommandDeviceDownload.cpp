// klt device download: the read and save dialogs' controllers without their windows.
#include <algorithm>
#include <cstdio>

#include "app/ProfileDirectory.h"
#include "app/ProfileOptionSets.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/DatabaseText.h"
#include "cli/DevicePrompt.h"
#include "cli/HeadUnitOptions.h"
#include "cli/JsonOutput.h"
#include "cli/ProgressBar.h"
#include "cli/TerminalText.h"
#include "flow/ReadDataModel.h"
#include "flow/SaveDataModel.h"

namespace klt::cli {
namespace {

struct TDownloadOptions {
    THeadUnitOptions headUnit;
    bool all = false;
    bool select = false;
    bool clear = false;
};

TDownloadConfiguration CommandLineConfiguration(const THeadUnitOptions& options) {
    const TSystemData system = ConfiguredSystemData();
    TSystemOptionSet profile;
    profile.VeltrakVersion = options.type;
    TDownloadConfiguration configuration = DownloadConfiguration(system, profile);
    // exactly the port given or configured (or the download cable when that is gone): a search could
    // end up at another head unit
    configuration.searchAllPorts = false;
    if (configuration.SerialHeadUnit()) {
        if (options.port) {
            configuration.port = TVeltrakComPort(*options.port, *options.port, 0);
        }
    } else if (options.port) {
        throw EUsage("--port is for head units of generation IV and V; VI and 7 are reached over USB");
    }
    if (options.password && configuration.headUnitType != 4) {
        throw EUsage("--password is for head units of generation IV");
    }
    return configuration;
}

// The read-whole-memory flag: the whole memory of a serial head unit, the choice of trainings of a
// USB one.
bool WholeMemoryFlag(const TDownloadOptions& options, const TDownloadConfiguration& configuration) {
    if (configuration.SerialHeadUnit() ? options.select : options.all) {
        throw EUsage("--all is for generation IV and V, --select for VI and 7");
    }
    return options.all || options.select;
}

void PrintResult(const TDownloadResult& result, bool cleared, bool asJson) {
    if (asJson) {
        PrintJson({{"files", result.files},
                   {"skipped_known", result.skippedKnown},
                   {"errors", result.errors},
                   {"incomplete", result.incomplete},
                   {"cleared", cleared}});
        return;
    }
    for (const std::string& file : result.files) {
        std::printf("%s\n", Printable(file).c_str());
    }
    if (result.skippedKnown > 0) {
        std::printf("%d trainings already in the database were not read again\n", result.skippedKnown);
    }
    for (const std::string& reason : result.incomplete) {
        std::fprintf(stderr, "%s\n", PrintableLines(reason).c_str());
    }
    if (cleared) {
        std::printf("A new recording was started: the head unit's memory is empty.\n");
    }
}

int RunDeviceDownload(const TDownloadOptions& options) {
    const TDownloadConfiguration configuration = CommandLineConfiguration(options.headUnit);
    const bool flag = WholeMemoryFlag(options, configuration);

    TProgressLine progress("Reading the Veltrak");
    TDevicePrompt prompt;
    prompt.progress = &progress;
    TKLTVtrkReadDataModel read(configuration, flag, "%s", "%s", prompt);
    if (options.headUnit.password) {
        read.Veltrak().SetPassword(*options.headUnit.password);
    }
    read.OnChanged = [&read, &progress] { progress.Show(static_cast<size_t>(std::max(read.Progress(), 0)), 100); };
    read.OnSelectSections() = [&progress](std::vector<TSectionChoice>& choices) {
        // no one to choose: the list is shown and every training is read
        progress.Clear();
        for (const TSectionChoice& choice : choices) {
            std::fprintf(stderr, "%s\n", Printable(choice.line).c_str());
        }
    };
    bool cleared = false;
    const bool saveFollows = read.Download();
    progress.Clear();
    if (saveFollows) {
        TKLTVtrkSaveDataModel save(read.Image(), read.Veltrak(), read.Downloaded(), read.Sink(), configuration,
                                   KnownDatabaseInitials(configuration.databaseDir));
        if (options.clear) {
            save.SaveAndClear(false);
        } else {
            save.SaveAndKeep(false);
        }
        cleared = save.Cleared();
    }
    const TDownloadResult& result = read.Downloaded();
    PrintResult(result, cleared, options.headUnit.json);
    const bool failed = !result.Complete() || (options.clear && !cleared);
    return failed ? 1 : 0;
}

} // namespace

void AddDeviceDownloadCommand(CLI::App& device, TCommandRun& selected) {
    auto options = std::make_shared<TDownloadOptions>();
    CLI::App& download = *device.add_subcommand("download", "the head unit's trainings into the training database");
    AddHeadUnitOptions(download, options->headUnit);
    download.add_flag("--all", options->all, "read the whole memory (generations IV and V)");
    download.add_flag("--select", options->select, "list the trainings first (generations VI and 7)");
    download.add_flag("--clear", options->clear, "start a new recording when every training was saved");
    RunWhenSelected(download, selected, [options] { return RunDeviceDownload(*options); });
}

} // namespace klt::cli
