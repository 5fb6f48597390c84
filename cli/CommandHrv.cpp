// klt hrv --type 6|7 [--seconds N] -o OUT.txt [--json]: the beat-to-beat intervals a USB head unit
// streams, recorded through the read thread until the time is up or Ctrl+C, written to OUT.txt in
// the heart-rate-variability file format, with the number of beats, the mean heart rate and the
// RMSSD.
#include <cstdio>
#include <memory>
#include <optional>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/DevicePrompt.h"
#include "cli/HeadUnitConnection.h"
#include "cli/HeadUnitOptions.h"
#include "cli/JsonOutput.h"
#include "cli/LiveReading.h"
#include "core/Exceptions.h"
#include "online/BeatRecorder.h"
#include "online/HeartRateVariance.h"
#include "online/HeartRateVarianceFile.h"

namespace klt::cli {
namespace {

struct THrvOptions {
    THeadUnitOptions headUnit;
    std::optional<int> seconds;
    std::string output;
};

void PrintSummary(const TBeatRecorder& recorder, const std::string& file, bool json) {
    const THRVarianceSummary summary = recorder.Table().Summary();
    if (json) {
        PrintJson({{"beats", summary.beats},
                   {"mean_heart_rate", summary.meanHeartrate},
                   {"rmssd_ms", summary.rmssdMs},
                   {"lost", recorder.Lost()},
                   {"file", file}});
    } else {
        std::printf("%zu beats, mean heart rate %.1f bpm, RMSSD %.1f ms", summary.beats, summary.meanHeartrate,
                    summary.rmssdMs);
        if (recorder.Lost() > 0) {
            std::printf(", %d beats lost", recorder.Lost());
        }
        std::printf("\n%s\n", file.c_str());
    }
}

int RunHrv(const THrvOptions& given) {
    if (!given.headUnit.Usb()) {
        throw EUsage("--type: beat-to-beat intervals come from a USB head unit, 6 or 7");
    }
    const TDeviceOptions options = DeviceOptions(given.headUnit);
    TDevicePrompt prompt;
    const std::unique_ptr<TVeltrakV> veltrak = Connect(options, prompt);
    TBeatRecorder recorder;
    ReadLiveEvents(*veltrak, TReadMode::BeatIntervals, given.seconds,
                   [&](const TLiveEvent& event) { recorder.Take(event); },
                   [&] { return recorder.EverLost(); });

    if (recorder.Table().Empty()) {
        throw Exception(recorder.EverLost() ? "The connection to the head unit was lost; no beats were recorded"
                                                  : "No beat-to-beat intervals arrived; nothing was written");
    }
    // What arrived before a lost connection is kept all the same.
    WriteHRVarianceFile(recorder.Table().Records(), given.output);
    PrintSummary(recorder, given.output, given.headUnit.json);
    if (recorder.EverLost()) {
        throw Exception("The connection to the head unit was lost; the beats until then were written");
    }
    return 0;
}

} // namespace

void AddHrvCommand(CLI::App& klt, TCommandRun& selected) {
    auto options = std::make_shared<THrvOptions>();
    CLI::App& hrv = *klt.add_subcommand(
        "hrv", "beat-to-beat intervals of a USB head unit recorded into a heart-rate-variability file, until the "
               "time is up or Ctrl+C");
    AddHeadUnitOptions(hrv, options->headUnit);
    hrv.add_option("--seconds", options->seconds, "stop after this many seconds")
        ->transform(WholeNumber(1, 86400))
        ->type_name("N");
    hrv.add_option("-o,--output", options->output, "the text file to write: time of arrival and interval per beat")
        ->required()
        ->type_name("OUT.txt");
    RunWhenSelected(hrv, selected, [options] { return RunHrv(*options); });
}

} // namespace klt::cli
