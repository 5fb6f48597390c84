#include "cli/HeadUnitOptions.h"

#include "cli/CommandLine.h"

namespace klt::cli {

void AddHeadUnitOptions(CLI::App& command, THeadUnitOptions& options) {
    command.add_option("--type", options.type, "the generation of the head unit: 4, 5 (serial), 6 or 7 (USB)")
        ->required()
        ->transform(WholeNumber(4, 7))
        ->type_name("4|5|6|7");
    command.add_option("--port", options.port, "the serial port (default: the configured one)")->type_name("PATH");
    command.add_option("--password", options.password, "the head unit's password, decimal or 0x-hexadecimal")
        ->transform(PasswordNumber())
        ->type_name("N");
    command.add_flag("--json", options.json, "one JSON object");
}

} // namespace klt::cli
