#include <limits>
#include <memory>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "core/Exceptions.h"
#include "core/TextExport.h"

namespace klt::cli {
namespace {

struct TExportOptions {
    std::string in, out;
    std::string format = "text";
    int marker = 0;
};

int RunExport(const TExportOptions& options) {
    if (SameFile(options.in, options.out)) {
        throw Exception("'" + options.out + "': the output would overwrite the input");
    }
    TKLTFile file;
    LoadTraining(file, options.in);
    if (options.marker >= file.MarkerCount()) {
        throw Exception("'" + options.in + "' has no marker " + std::to_string(options.marker));
    }
    ExportTrainingText(file, options.marker,
                       options.format == "text" ? TTextExportForm::Basic : TTextExportForm::Extended, options.out);
    return 0;
}

} // namespace

void AddExportCommand(CLI::App& klt, TCommandRun& selected) {
    auto options = std::make_shared<TExportOptions>();
    CLI::App& command = *klt.add_subcommand(
        "export", "the training (or marker N) as column text in display units; text-ext adds altitude, "
                  "temperature and the time of day");
    command.add_option("FILE", options->in, "the training file")->required();
    command.add_option("OUT", options->out, "the text file to write")->required();
    command.add_option("--format", options->format, "text (the default) or text-ext")
        ->check(CLI::IsMember({"text", "text-ext"}));
    command.add_option("--marker", options->marker, "the marker to export (0, the default: the whole training)")
        ->transform(WholeNumber(0, std::numeric_limits<int>::max()));
    RunWhenSelected(command, selected, [options] { return RunExport(*options); });
}

} // namespace klt::cli
