#include <cstdio>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/Json.h"
#include "cli/TrainingText.h"

namespace klt::cli {
namespace {

std::string SamplesJson(const TKLTFile& file) {
    TJsonWriter json;
    json.BeginObject().Key("samples").BeginArray();
    for (int i = 1; i <= file.SampleCount(); ++i) {
        const TSampleElement& s = file.Sample(i);
        json.BeginObject()
            .Field("index", i)
            .Field("time", file.SampleTime(i))
            .Field("power", s.Power())
            .Field("cadence", s.Cadence())
            .Field("heart_rate", s.HeartRate())
            .Field("speed", s.Speed())
            .Field("altitude", s.Altitude())
            .Field("temperature", s.Temperature())
            .EndObject();
    }
    json.EndArray().EndObject();
    return json.Text() + "\n";
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
