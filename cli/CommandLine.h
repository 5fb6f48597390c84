#pragma once
// How `klt` reads its command line (CLI11): the checks its options share and the choice of the
// command to run.
#include <cstdint>

#include <CLI/CLI.hpp>

#include "cli/Commands.h"

namespace klt::cli {

// A decimal whole number from `lowest` to `highest`; leading zeros stay decimal, never octal.
CLI::Validator WholeNumber(int64_t lowest, int64_t highest);
// A head unit's password: a 32-bit number, decimal or 0x-hexadecimal.
CLI::Validator PasswordNumber();
// A date YYYY-MM-DD, handed on as its day number since 1 January 1880.
CLI::Validator IsoDay();

// A command whose own commands do the work ("db", "device").
CLI::App& AddCommandGroup(CLI::App& parent, const std::string& name, const std::string& description);

// Makes `run` the command to run when the command line selects `command`.
void RunWhenSelected(CLI::App& command, TCommandRun& selected, TCommandRun run);

// The tool's whole command tree, each command adding itself.
void BuildCommandLine(CLI::App& klt, TCommandRun& selected);

// The usage line of the innermost command the command line named ("klt db list") and where to
// read more about it.
std::string UsageHint(const CLI::App& klt);

} // namespace klt::cli
