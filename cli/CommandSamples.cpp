#include <cstdio>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/JsonOutput.h"
#include "cli/TrainingText.h"

namespace klt::cli {
namespace {

std::string SamplesJson(const TKLTFile& file) {
    TJson samples = TJson::array();
    for (int i = 1; i <= file.SampleCount(); ++i) {
        const TSampleElement& s = file.Sample(i);
        samples.push_back({{"index", i},
                           {"time", file.SampleTime(i)},
                           {"power", s.Power()},
                           {"cadence", s.Cadence()},
                           {"heart_rate", s.HeartRate()},
                           {"speed", s.Speed()},
                           {"altitude", s.Altitude()},
                           {"temperature", s.Temperature()}});
    }
    return JsonLine({{"samples", samples}});
}

struct TSamplesOptions {
    std::string path;
    bool json = false;
    bool csv = false;
};

int RunSamples(const TSamplesOptions& options) {
    TKLTFile file;
    LoadTraining(file, options.path);
    const std::string text = options.csv ? SamplesCsv(file) : options.json ? SamplesJson(file) : SamplesTable(file);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}

} // namespace

void AddSamplesCommand(CLI::App& klt, TCommandRun& selected) {
    auto options = std::make_shared<TSamplesOptions>();
    CLI::App& samples = *klt.add_subcommand("samples", "every sample: a table, raw units in JSON, display units in CSV");
    samples.add_option("FILE", options->path, "the training file")->required();
    CLI::Option* json = samples.add_flag("--json", options->json, "one JSON object in raw units");
    samples.add_flag("--csv", options->csv, "comma-separated, display units, \".\" as decimal point")->excludes(json);
    RunWhenSelected(samples, selected, [options] { return RunSamples(*options); });
}

} // namespace klt::cli
