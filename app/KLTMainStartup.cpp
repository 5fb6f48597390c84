#include "app/KLTMainStartup.h"

#include <filesystem>
#include <strings.h>

#include "app/ConfigurationPaths.h"
#include "app/OptionDataUnit.h"
#include "app/SystemData.h"
#include "core/FileHistory.h"
#include "core/Prompt.h"

namespace klt {
namespace {

bool HasKltExtension(const std::string& path) {
    const std::string name = std::filesystem::path(path).filename().string();
    return name.size() > 4 && ::strcasecmp(name.c_str() + name.size() - 4, ".klt") == 0;
}

} // namespace

TKLTCommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    TKLTCommandLine result;
    for (const std::string& argument : arguments) {
        if (HasKltExtension(argument)) {
            result.pendingFiles.push_back(argument);
        } else if (argument == "NoVersionCheck") {
            result.flags |= TStartupFlag::NoVersionCheck;
        } else if (argument == "NoFirmwareFlash") {
            result.flags |= TStartupFlag::NoFirmwareFlash;
        }
    }
    return result;
}

bool CheckDatabaseDirectory(TSystemData& system) {
    std::error_code error;
    if (!system.DataBaseDir.empty() && std::filesystem::is_directory(system.DataBaseDir, error)) {
        return false;
    }
    // A first start finds no database yet: only a chosen folder that went away is news.
    const std::string fallback = DefaultDatabaseDir();
    if (!system.DataBaseDir.empty() && FullPath(system.DataBaseDir) != fallback) {
        Prompt().ShowMessage("Attention", std::string(kMissingDatabaseMessage));
    }
    system.DataBaseDir = fallback;
    std::filesystem::create_directories(system.DataBaseDir, error);
    if (error) {
        Prompt().ShowMessage("Warning", "Cannot create the training database directory '" +
                                            system.DataBaseDir + "': " + error.message());
    }
    return true;
}

void ApplyStartupFlags(TOptionDataNew& optionTree, int32_t commandLineFlags) {
    int32_t& flags = optionTree.Sets().System.ProtectionLevel;
    flags |= TStartupFlag::Telemetry;
    optionTree.Save();
    flags |= TStartupFlag::Started;
    optionTree.Save();
    // A switch holds for the run it was given to: a stored bit would silence firmware prompts for
    // good after a single start with "NoFirmwareFlash".
    constexpr int32_t switches = TStartupFlag::NoVersionCheck | TStartupFlag::NoFirmwareFlash;
    flags = (flags & ~switches) | (commandLineFlags & switches);
}

int HeadUnitSelectorItem(TOptionDataNew& optionTree) {
    int32_t& generation = optionTree.Sets().System.VeltrakVersion;
    if (generation == 4) {
        return 1;
    }
    generation = 5;
    return 0;
}

void SelectHeadUnitItem(TOptionDataNew& optionTree, int item) {
    optionTree.Sets().System.VeltrakVersion = item == 1 ? 4 : 5;
    optionTree.Save();
}

} // namespace klt
