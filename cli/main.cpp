// klt: the command-line face of the training engine.
#include <cstdio>
#include <exception>
#include <string>

#include "cli/CommandLine.h"
#include "cli/TerminalText.h"
#include "cli/Commands.h"
#include "core/ForeignImport.h"

namespace {

// Wrong arguments: what is wrong, the usage of the command they were meant for and where to read more.
int UsageError(const CLI::App& klt, const std::string& message) {
    std::fprintf(stderr, "klt: %s\n%s", message.c_str(), klt::cli::UsageHint(klt).c_str());
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    CLI::App klt("Reads, converts, draws and files trainings; talks to head units.", "klt");
    klt.set_version_flag("--version", "klt " KLT_VERSION);
    klt::cli::TCommandRun selected;
    klt::cli::BuildCommandLine(klt, selected);
    try {
        klt.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success) ? klt.exit(e) : UsageError(klt, e.what());
    }
    if (!selected) {
        return UsageError(klt, "a command is needed");
    }
    klt::InstallForeignImports();
    try {
        return selected();
    } catch (const klt::cli::EUsage& e) {
        return UsageError(klt, e.what());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", klt::cli::PrintableLines(e.what()).c_str());
        return 1;
    }
}
