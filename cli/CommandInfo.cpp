#include <cstdio>

#include "cli/CommandLine.h"
#include "cli/TerminalText.h"
#include "cli/Commands.h"
#include "cli/JsonOutput.h"
#include "cli/TrainingText.h"

namespace klt::cli {
namespace {

std::string InfoJson(const TKLTFile& file) {
    const TKLTHeader& h = file.Header();
    TJson blocks = TJson::array();
    for (const TKLTBlock& block : file.Blocks()) {
        blocks.push_back({{"start", block.start}, {"count", block.count}});
    }
    TJson markers = TJson::array();
    for (int i = 0; i < file.MarkerCount(); ++i) {
        const TKLTMarker& m = file.Marker(i);
        markers.push_back({{"name", m.name},
                           {"first", m.first},
                           {"last", m.last},
                           {"avg_power", m.AvgPower()},
                           {"avg_heart_rate", m.AvgHeartRate()},
                           {"avg_cadence", m.AvgCadence()},
                           {"avg_speed", m.AvgSpeed()},
                           {"avg_temperature", m.AvgTemperature()},
                           {"climb", m.climb},
                           {"duration", m.Duration()},
                           {"work", m.Work()},
                           {"distance", m.Distance()},
                           {"start_time", m.startTime},
                           {"end_time", m.endTime}});
    }
    const TExtraHeader& extra = file.ExtraHeader();
    return JsonLine({{"magic", std::string(h.magic.data(), h.magic.size())},
                     {"version", std::string(1, h.Version())},
                     {"date", h.date},
                     {"circumference", h.circumference},
                     {"interval_numerator", h.intervalNumerator},
                     {"interval_denominator", h.intervalDenominator},
                     {"interval", file.Interval()},
                     {"flags", h.flags},
                     {"comment", file.Comment()},
                     {"zero_offset", h.zeroOffset},
                     {"slope", h.slope},
                     {"old_interval_byte", h.oldIntervalByte},
                     {"sample_count", file.SampleCount()},
                     {"blocks", blocks},
                     {"markers", markers},
                     {"extra_header",
                      {{"battery", {extra.batInfo.battery, extra.batInfo.battery2}},
                       {"sensor", extra.sensorInfo.words}}},
                     {"modified", file.Modified()}});
}

int RunInfo(const std::string& path, bool asJson) {
    TKLTFile file;
    LoadTraining(file, path);
    const std::string text = asJson ? InfoJson(file) : TrainingSummary(file);
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (file.Damage()) {
        std::fprintf(stderr, "'%s': %s\n", Printable(path).c_str(), file.Damage()->Text().c_str());
        return 1;
    }
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
