#include <cstdio>

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

} // namespace

int RunInfo(const std::vector<std::string>& args) {
    const TArguments parsed = TArguments::Parse(args, {"--json"}, {});
    if (parsed.positional.size() != 1) {
        throw EUsage("info needs one FILE");
    }
    TKLTFile file;
    LoadTraining(file, parsed.positional[0]);
    const std::string text = parsed.flags.count("--json") ? InfoJson(file) : TrainingSummary(file);
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (file.Damage()) {
        std::fprintf(stderr, "'%s': %s\n", parsed.positional[0].c_str(), file.Damage()->Text().c_str());
        return 1;
    }
    return 0;
}

} // namespace klt::cli
