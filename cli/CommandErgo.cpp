// klt ergo ...: ergo programs, the step lists the live mode plays on an ergometer.
#include "cli/CommandLine.h"
#include "cli/Commands.h"

namespace klt::cli {

void AddErgoCommand(CLI::App& klt, TCommandRun& selected) {
    CLI::App& ergo = AddCommandGroup(klt, "ergo", "ergo programs for the live ergometer");
    AddErgoShowCommand(ergo, selected);
    AddErgoRunCommand(ergo, selected);
}

} // namespace klt::cli
