// klt analyse: the distribution and heart-rate analyses of a marker, as text or JSON.
#include <cstdio>
#include <memory>

#include "cli/AnalysisReport.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"

namespace klt::cli {
namespace {

struct TAnalyseOptions {
    std::string path;
    int marker = 0;
    bool conconi = false;
    bool json = false;
};

int RunAnalyse(const TAnalyseOptions& options) {
    TKLTFile file;
    LoadTraining(file, options.path);
    CheckMarker(file, options.path, options.marker);
    const TAnalysisReport report = AnalyseMarker(file, options.path, options.marker, options.conconi);
    if (options.json) {
        PrintJson(AnalysisJson(report));
    } else {
        std::fputs(AnalysisText(report).c_str(), stdout);
    }
    return 0;
}

} // namespace

void AddAnalyseCommand(CLI::App& klt, TCommandRun& selected) {
    auto options = std::make_shared<TAnalyseOptions>();
    CLI::App& command = *klt.add_subcommand(
        "analyse", "a marker's distribution and its heart rate over power; --conconi for a step test");
    command.add_option("FILE", options->path, "the training file")->required();
    command.add_option("--marker", options->marker, "the marker to analyse (default 0: the whole training)")
        ->transform(WholeNumber(0, 65535));
    command.add_flag("--conconi", options->conconi, "a step test: deflection point and PWC values");
    command.add_flag("--json", options->json, "one JSON object, in display units");
    RunWhenSelected(command, selected, [options] { return RunAnalyse(*options); });
}

} // namespace klt::cli
