// How well the brake regulator holds a step program on the simulated ergometer: 100 W, 200 W,
// 150 W for a minute each, ridden by the simulated rider (fixed seed) at ten times real time over
// the paced USB line. Per step the time until the power stays within ±5 % of the target and the
// overshoot; over the program the share of samples within ±10 W. Each figure is also given as a
// ratio to its goal (settled within 4 s, overshoot under 10 %, 90 % of samples within 10 W), the
// baseline of this benchmark: below 1 meets the goal for time and overshoot, above 1 for the share.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "core/Prompt.h"
#include "device/transport/SimFtdiLink.h"
#include "device/transport/UsbLink.h"
#include "device/usb/VeltrakVI.h"
#include "online/ErgoRun.h"
#include "tools/sim/HeadUnitSimulator.h"

namespace {

constexpr int kSpeedup = 10;
constexpr int kStepSeconds = 60;
constexpr double kSettleGoalSeconds = 4;
constexpr double kOvershootGoalPercent = 10;
constexpr double kWithinGoalPercent = 90;

klt::TKLTErgoFile StepProgram() {
    klt::TKLTErgoFile program;
    int i = 0;
    for (const int watts : {100, 200, 150}) {
        klt::TKLTErgoSection step;
        step.Time.Value = kStepSeconds * 100;
        step.Power = {watts * 8, true};
        program.PutSection(i++, step);
    }
    return program;
}

void RegulateStepProgram(benchmark::State& state) {
    klt::TRegulationFigures figures;
    for (auto _ : state) {
        klt::sim::TSimOptions options;
        options.generation = 7;
        options.clock = 1'800'000'000;
        options.ergometer = true;
        options.rider = static_cast<klt::sim::TRiderKind>(state.range(0));
        options.seed = 1;
        options.speedup = kSpeedup;
        options.lineRate = true;
        klt::sim::THeadUnitSimulator sim(options);
        sim.Start();
        klt::TSimFtdiLink driver(sim.SocketPath());
        klt::TUsbLink usb(driver);
        klt::TVeltrak veltrak(nullptr, nullptr, &usb);
        klt::TCautiousPrompt prompt;
        veltrak.SetPrompt(prompt);
        if (!veltrak.ConnectV7()) {
            state.SkipWithError("the simulated head unit did not answer");
            return;
        }
        klt::TErgoRunSettings settings;
        settings.cycle = std::chrono::milliseconds(500 / kSpeedup);
        klt::TErgoRun run(veltrak, StepProgram(), settings);
        run.Run({}, [] { return false; });
        figures = klt::MeasureRegulation(run.RegulationSamples());
    }
    for (size_t i = 0; i < figures.steps.size(); ++i) {
        const klt::TStepFigures& step = figures.steps[i];
        const std::string name = "step" + std::to_string(i + 1) + "_" + std::to_string(step.targetWatts) + "W_";
        // a step that never settled counts as settling at its end
        const double settle = step.settleSeconds.value_or(kStepSeconds);
        state.counters[name + "settle_s"] = settle;
        state.counters[name + "settle_vs_goal"] = settle / kSettleGoalSeconds;
        state.counters[name + "overshoot_pct"] = step.overshootPercent;
        state.counters[name + "overshoot_vs_goal"] = step.overshootPercent / kOvershootGoalPercent;
    }
    state.counters["within_10W_pct"] = figures.within10WattsPercent;
    state.counters["within_vs_goal"] = figures.within10WattsPercent / kWithinGoalPercent;
}

} // namespace

// Arguments: the simulated rider (0 steady, 1 sprint, 2 tired).
BENCHMARK(RegulateStepProgram)->Arg(0)->Arg(2)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
