// The live window's cost per value set: appending a sample and repainting the live chart of a
// whole ride of one and two hours against painting an empty chart, and the delay from a value set
// arriving in the session's queue to the power panel showing it.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <cmath>

#include "bench/BenchSupport.h"
#include "tests/device/FakeLine.h"
#include "ui/KLTOnlineForm.h"
#include "ui/LiveChartView.h"

namespace {

constexpr int kWidth = 1600;
constexpr int kHeight = 500;

klt::TKLTOnlineData RideSample(int i) {
    klt::TKLTOnlineData sample;
    sample.SetValue(klt::dcPower, 200 + static_cast<int>(60 * std::sin(i / 40.0)));
    sample.SetValue(klt::dcCadence, 90 + i % 7);
    sample.SetValue(klt::dcHeartRate, 140 + static_cast<int>(10 * std::sin(i / 300.0)));
    sample.SetValue(klt::dcSpeed, 9000);
    sample.Marker = i % 1200 == 0;
    return sample;
}

// Arg: the samples of the ride so far (two a second); 0 paints a chart without a ride, appending nothing.
void LiveChartAppendAndPaint(benchmark::State& state) {
    const int ride = static_cast<int>(state.range(0));
    klt::TKLTOnlineDatas samples;
    klt::TOnlineOptions options(klt::bench::BenchDir());
    klt::TLiveChartView view(samples, options.OnlineMainChartOptionSet, "Rider 1");
    view.resize(kWidth, kHeight);
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (int i = 1; i < ride; ++i) {
        samples.Append(RideSample(i));
    }
    klt::TLiveChartWindow window(options.OnlineMainChartOptionSet.TimeScaleMode,
                                 options.OnlineMainChartOptionSet.Time());
    for (auto _ : state) {
        if (ride > 0) {
            samples.Append(RideSample(samples.Count()));
        }
        view.Show(window.Follow(samples.LastIndex()), {}, {});
        view.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["samples"] = samples.Count();
}
BENCHMARK(LiveChartAppendAndPaint)
    ->Arg(0)
    ->Arg(7200)
    ->Arg(14400)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(300);

// A value set of rider 2 posted to the telemetry window's queue, until its power panel shows it,
// with the window's timers running as they do on screen.
void LivePanelDelay(benchmark::State& state) {
    klt::TVeltrak receiver(std::make_unique<klt::test::TFakeLine>(
        [](uint8_t, const klt::TLineSettings&, std::deque<uint8_t>&) {}));
    klt::TOnlineFormSetup setup;
    setup.telemetry = true;
    setup.databaseDir = klt::bench::BenchDir() + "/live";
    klt::TKLTOnlineForm form(receiver, setup);
    form.show();
    klt::TLiveValueSet values;
    values.rider = 2;
    values.elapsedMs = 500;
    values.cadence = 32 * 90;
    values.power = 8 * 100;
    form.Session().Events().Post(values);
    form.ClockTick();
    form.StartDetectionTick(); // rider 2 pedals: the run starts
    const auto* panel = form.findChild<QLabel*>("PowerPanel2");
    int watts = 100;
    for (auto _ : state) {
        watts = watts % 400 + 1;
        values.power = static_cast<int16_t>(8 * watts);
        const QString shown = QString::number(watts);
        form.Session().Events().Post(values);
        while (panel->text() != shown) {
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        }
    }
    form.hide();
}
BENCHMARK(LivePanelDelay)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(40);

} // namespace
