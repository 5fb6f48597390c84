#pragma once
// What the main window does once at start-up before it shows: reading the command line, checking
// the training database folder, the start-up flags of the profile and the head-unit selector.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace klt {

class TOptionDataNew;
class TSystemData;

// Bits of the start-up flag word kept in the profile's system option set.
namespace TStartupFlag {
constexpr int32_t Started = 1 << 0;
constexpr int32_t Telemetry = 1 << 1; // the telemetry live-mode button is shown
constexpr int32_t NoVersionCheck = 1 << 3;
constexpr int32_t NoFirmwareFlash = 1 << 4; // no firmware prompts when a USB head unit appears
} // namespace TStartupFlag

struct TKLTCommandLine {
    // Training files to open, in command-line order; they are opened last first.
    std::vector<std::string> pendingFiles;
    int32_t flags = 0; // TStartupFlag bits set by switches
};

// `arguments` without the program name. ".klt" files (extension ignoring case) and the exact
// switches "NoVersionCheck" and "NoFirmwareFlash"; anything else is ignored.
TKLTCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

inline constexpr std::string_view kMissingDatabaseMessage =
    "Your databasedirectory does not exist\r\nThe directory is set to the default value";

// When the database folder does not exist: resets it to the default and creates it with its
// parents, telling the user only when another folder had been chosen. Returns whether it was reset.
bool CheckDatabaseDirectory(TSystemData& system);

// Marks the profile as started (saved after each bit) and takes the command-line switches, which
// hold for this run only.
void ApplyStartupFlags(TOptionDataNew& optionTree, int32_t commandLineFlags);

// The head-unit generation selector of the serial head units.
inline constexpr std::array<std::string_view, 2> kHeadUnitSelectorItems = {"VT V", "VT IV"};

// The item showing the stored generation: 4 is item 1, 5 item 0; any other stored generation
// becomes 5 (stored, not yet saved) and shows item 0.
int HeadUnitSelectorItem(TOptionDataNew& optionTree);
// The user picked an item: stores its generation and saves the profile.
void SelectHeadUnitItem(TOptionDataNew& optionTree, int item);

} // namespace klt
