// klt demo ...: the live window's demo mode, where visitors ride in categories and are ranked.
#include "cli/CommandLine.h"
#include "cli/Commands.h"

namespace klt::cli {

void AddDemoCommand(CLI::App& klt, TCommandRun& selected) {
    CLI::App& demo = AddCommandGroup(klt, "demo", "the demo mode's results");
    AddDemoResultsCommand(demo, selected);
}

} // namespace klt::cli
