#include <cstdio>

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

} // namespace

int RunSamples(const std::vector<std::string>& args) {
    const TArguments parsed = TArguments::Parse(args, {"--json", "--csv"}, {});
    if (parsed.positional.size() != 1) {
        throw EUsage("samples needs one FILE");
    }
    if (parsed.flags.size() > 1) {
        throw EUsage("choose one of --json and --csv");
    }
    TKLTFile file;
    LoadTraining(file, parsed.positional[0]);
    const std::string text = parsed.flags.count("--csv")    ? SamplesCsv(file)
                             : parsed.flags.count("--json") ? SamplesJson(file)
                                                            : SamplesTable(file);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}

} // namespace klt::cli
