#pragma once
// The command line of kltwin: training files and the switches "NoVersionCheck" and
// "NoFirmwareFlash" (handed on as they are), the demonstration, the simulator, the window state
// and a screenshot. Qt's own options are taken out before.
#include <optional>
#include <string>
#include <vector>

namespace klt::kltwin {

struct TWindowArguments {
    std::vector<std::string> files; // with the switches, in their order
    std::string demoDir;
    bool simulate = false;
    std::string screenshot;
    bool maximized = false;
    bool minimized = false;
};

// Whether the arguments ask for the help or the version, which need no display.
bool AsksForHelp(const std::vector<std::string>& args);

// Reads the arguments (without the program name). Prints the help, the version or what is wrong
// itself and returns the exit status then; nothing when the program is to run.
std::optional<int> ReadWindowArguments(const std::vector<std::string>& args, TWindowArguments& parsed);

} // namespace klt::kltwin
