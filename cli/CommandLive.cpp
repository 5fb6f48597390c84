// klt live --type 4|5|6|7 [--port PATH] [--seconds N] [--telemetry] [--json]: the head unit's live
// values as they come, read by the live read thread, until the time is up or Ctrl+C.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/DevicePrompt.h"
#include "cli/HeadUnitConnection.h"
#include "cli/HeadUnitOptions.h"
#include "cli/JsonOutput.h"
#include "cli/LiveReading.h"

namespace klt::cli {
namespace {

using TClock = std::chrono::steady_clock;

struct TLiveOptions {
    THeadUnitOptions headUnit;
    std::optional<int> seconds;
    bool telemetry = false;
};

// Seconds to the millisecond.
double SecondsSince(TClock::time_point start, TClock::time_point when) {
    return static_cast<double>(std::chrono::duration_cast<std::chrono::milliseconds>(when - start).count()) / 1000.0;
}

void PrintValueSet(const TLiveValueSet& set, double time, bool json) {
    const double power = set.power / 8.0, cadence = set.cadence / 32.0, heartRate = set.heartRate / 64.0;
    const double speed = std::round(set.speed * 0.36) / 100.0; // mm/s to km/h, to the hundredth
    if (json) {
        PrintJson({{"time", time},
                   {"rider", set.rider},
                   {"power", power},
                   {"cadence", cadence},
                   {"heart_rate", heartRate},
                   {"speed", speed},
                   {"raw",
                    {{"power", set.power},
                     {"cadence", set.cadence},
                     {"heart_rate", set.heartRate},
                     {"speed", set.speed},
                     {"temperature", set.temperature},
                     {"elapsed_ms", set.elapsedMs}}}});
    } else {
        std::printf("%8.3f s  rider %d  %6.1f W  %5.1f rpm  %5.1f bpm  %5.1f km/h\n", time, set.rider, power, cadence,
                    heartRate, speed);
    }
}

void PrintEvent(const TLiveEvent& event, double time, bool json) {
    if (const auto* set = std::get_if<TLiveValueSet>(&event)) {
        PrintValueSet(*set, time, json);
        return;
    }
    const char* what = std::holds_alternative<TLiveConnectionLost>(event) ? "connection lost"
                       : std::holds_alternative<TLiveStatusMessage>(event) ? "status message"
                       : std::holds_alternative<TLiveBrakeFailure>(event)  ? "brake failure"
                                                                           : "beat interval";
    if (json) {
        PrintJson({{"time", time}, {"event", what}});
    } else {
        std::printf("%8.3f s  %s\n", time, what);
    }
}

int RunLive(const TLiveOptions& given) {
    if (given.telemetry && given.headUnit.Usb()) {
        throw EUsage("--telemetry is for serial head units (--type 4 or 5)");
    }
    const TDeviceOptions options = DeviceOptions(given.headUnit);
    TDevicePrompt prompt;
    const std::unique_ptr<TVeltrakV> veltrak =
        given.telemetry ? SerialHeadUnit(options, prompt) : Connect(options, prompt);
    const TClock::time_point start = TClock::now();
    ReadLiveEvents(*veltrak, given.telemetry ? TReadMode::Telemetry : TReadMode::Polling, given.seconds,
                   [&](const TLiveEvent& event) {
                       const TClock::time_point when = std::holds_alternative<TLiveValueSet>(event)
                                                           ? std::get<TLiveValueSet>(event).stamp
                                                           : TClock::now();
                       PrintEvent(event, SecondsSince(start, when), given.headUnit.json);
                       std::fflush(stdout);
                   });
    return 0;
}

} // namespace

void AddLiveCommand(CLI::App& klt, TCommandRun& selected) {
    auto options = std::make_shared<TLiveOptions>();
    CLI::App& live = *klt.add_subcommand("live", "a head unit's live values as they come, until the time is up or Ctrl+C");
    AddHeadUnitOptions(live, options->headUnit);
    live.add_option("--seconds", options->seconds, "stop after this many seconds")
        ->transform(WholeNumber(1, 86400))
        ->type_name("N");
    live.add_flag("--telemetry", options->telemetry, "receive the telemetry frames of riders 1 and 2 instead of polling");
    RunWhenSelected(live, selected, [options] { return RunLive(*options); });
}

} // namespace klt::cli
