#include <cstdio>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/Json.h"
#include "cli/TrainingText.h"

namespace klt::cli {
namespace {

std::string InfoJson(const TKLTFile& file) {
    const TKLTHeader& h = file.Header();
    TJsonWriter json;
    json.BeginObject();
    json.Field("magic", std::string_view(h.magic.data(), h.magic.size()));
    json.Field("version", std::string(1, h.Version()));
    json.Field("date", h.date);
    json.Field("circumference", h.circumference);
    json.Field("interval_numerator", h.intervalNumerator);
    json.Field("interval_denominator", h.intervalDenominator);
    json.Field("interval", file.Interval());
    json.Field("flags", h.flags);
    json.Field("comment", file.Comment());
    json.Field("zero_offset", h.zeroOffset);
    json.Field("slope", h.slope);
    json.Field("old_interval_byte", h.oldIntervalByte);
    json.Field("sample_count", file.SampleCount());
    json.Key("blocks").BeginArray();
    for (const TKLTBlock& block : file.Blocks()) {
        json.BeginObject().Field("start", block.start).Field("count", block.count).EndObject();
    }
    json.EndArray();
    json.Key("markers").BeginArray();
    for (int i = 0; i < file.MarkerCount(); ++i) {
        const TKLTMarker& m = file.Marker(i);
        json.BeginObject()
            .Field("name", m.name)
            .Field("first", m.first)
            .Field("last", m.last)
            .Field("avg_power", m.AvgPower())
            .Field("avg_heart_rate", m.AvgHeartRate())
            .Field("avg_cadence", m.AvgCadence())
            .Field("avg_speed", m.AvgSpeed())
            .Field("avg_temperature", m.AvgTemperature())
            .Field("climb", m.climb)
            .Field("duration", m.Duration())
            .Field("work", m.Work())
            .Field("distance", m.Distance())
            .Field("start_time", m.startTime)
            .Field("end_time", m.endTime)
            .EndObject();
    }
    json.EndArray();
    const TExtraHeader& extra = file.ExtraHeader();
    json.Key("extra_header").BeginObject();
    json.Key("battery").BeginArray().Value(extra.batInfo.battery).Value(extra.batInfo.battery2).EndArray();
    json.Key("sensor").BeginArray();
    for (uint32_t word : extra.sensorInfo.words) {
        json.Value(word);
    }
    json.EndArray().EndObject();
    json.Field("modified", file.Modified());
    json.EndObject();
    return json.Text() + "\n";
}

int RunInfo(const std::string& path, bool asJson) {
    TKLTFile file;
    LoadTraining(file, path);
    const std::string text = asJson ? InfoJson(file) : TrainingSummary(file);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}

} // namespace

void AddInfoCommand(CLI::App& klt, TCommandRun& selected) {
    struct TOptions {
        std::string path;
        bool json = false;
    };
    auto options = std::make_shared<TOptions>();
    CLI::App& info = *klt.add_subcommand("info", "summary of a training file: header, blocks, markers with their values");
    info.add_option("FILE", options->path, "the training file")->required();
    info.add_flag("--json", options->json, "one JSON object in raw units");
    RunWhenSelected(info, selected, [options] { return RunInfo(options->path, options->json); });
}

} // namespace klt::cli
