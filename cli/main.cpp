// klt: the command-line face of the training engine.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "core/ForeignImport.h"

namespace {

constexpr const char* kUsage =
    "usage: klt <command> [arguments]\n"
    "\n"
    "commands:\n"
    "  info FILE [--json]                        summary of a training file\n"
    "  samples FILE [--json|--csv]               every sample (raw units; CSV in display units)\n"
    "  convert IN OUT [--format klt7|klt6]       write the training in another format\n"
    "  export FILE OUT [--format text|text-ext] [--marker N]\n"
    "                                            the training (or marker N) as column text in\n"
    "                                            display units; text-ext adds altitude,\n"
    "                                            temperature and the time of day\n"
    "  plot FILE -o OUT.png [--view single|trend|multi] [--rows N] [--marker N]\n"
    "       [--width W] [--height H]             draw a diagram of the training (default: multi,\n"
    "                                            marker 0, 1600x900)\n"
    "  db path                                   the training database in use\n"
    "  db add FILE... [--json]                   import trainings into the database\n"
    "  import FILE... [--initials XX] [--altitude-as-power] [--json]\n"
    "                                            text, HRM and RAW files as trainings of the\n"
    "                                            database\n"
    "  db list [--initials P] [--from D] [--to D] [--json]\n"
    "                                            trainings of the database (D: YYYY-MM-DD)\n"
    "  image FILE [--save] [--json]              trainings of a head-unit memory image (.kli,\n"
    "                                            .img); --save writes them into the database\n"
    "  device ports [--json]                     serial ports for head units, \"None\" last\n"
    "  device status --type 4|5 [--port PATH] [--password N] [--json]\n"
    "  device status --type 6|7 [--json]         identify a head unit and read its whole status\n"
    "                                            (6, 7: over USB; KLT_USB_SIM: the simulator's)\n"
    "  device clock --type 4|5 [--port PATH] [--password N] [--set now]\n"
    "  device clock --type 6|7 [--set now]       read (or set, then read) the head unit's clock\n"
    "  device download --type 4|5|6|7 [--port PATH] [--all] [--select] [--clear] [--json]\n"
    "                                            trainings of the head unit into the database;\n"
    "                                            --all reads the whole memory (IV, V), --select\n"
    "                                            lists the trainings first (VI, 7), --clear starts\n"
    "                                            a new recording when every training was saved\n";

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    klt::InstallForeignImports();
    try {
        if (command == "info") {
            return klt::cli::RunInfo(args);
        }
        if (command == "samples") {
            return klt::cli::RunSamples(args);
        }
        if (command == "convert") {
            return klt::cli::RunConvert(args);
        }
        if (command == "export") {
            return klt::cli::RunExport(args);
        }
        if (command == "plot") {
            return klt::cli::RunPlot(args);
        }
        if (command == "db") {
            return klt::cli::RunDatabase(args);
        }
        if (command == "import") {
            return klt::cli::RunImport(args);
        }
        if (command == "image") {
            return klt::cli::RunImage(args);
        }
        if (command == "device") {
            return klt::cli::RunDevice(args);
        }
        if (command == "help" || command == "--help" || command == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        throw klt::cli::EUsage("unknown command " + command);
    } catch (const klt::cli::EUsage& e) {
        std::fprintf(stderr, "klt: %s\n%s", e.what(), kUsage);
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
