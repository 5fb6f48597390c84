// The moving average and the heart-rate fit, each against a plain pass over the same data measured
// in the same run.
#include <benchmark/benchmark.h>

#include "bench/BenchSupport.h"
#include "core/KLTFile.h"
#include "tools/synth/SyntheticRide.h"

namespace {

const klt::TKLTFile& LongRide() {
    static klt::TKLTFile file;
    if (file.SampleCount() == 0) {
        klt::synth::TRideOptions options;
        options.intervals = 40; // about four hours
        klt::synth::BuildRide(file, options);
    }
    return file;
}

void PlainPass(benchmark::State& state) {
    const klt::TKLTFile& file = klt::bench::FullTraining();
    for (auto _ : state) {
        int64_t sum = 0;
        for (int i = 1; i <= file.SampleCount(); ++i) {
            sum += file.Sample(i).Power();
        }
        benchmark::DoNotOptimize(sum);
    }
}

void MovingAverageEverySample(benchmark::State& state) {
    klt::TKLTFile& file = klt::bench::FullTraining();
    for (auto _ : state) {
        benchmark::DoNotOptimize(file.MovingAverages(1, static_cast<int>(state.range(0))));
    }
}

// The same through the one-sample function, as a chart asking sample by sample would.
void MovingAverageSampleBySample(benchmark::State& state) {
    klt::TKLTFile& file = klt::bench::FullTraining();
    for (auto _ : state) {
        int64_t sum = 0;
        for (int i = 1; i <= file.SampleCount(); ++i) {
            sum += file.MovingAverage(1, static_cast<int>(state.range(0)), i);
        }
        benchmark::DoNotOptimize(sum);
    }
}

void PlainPassPerDelay(benchmark::State& state) {
    const klt::TKLTFile& file = LongRide();
    for (auto _ : state) {
        int64_t sum = 0;
        for (int delay = 0; delay <= 12000; delay += 200) {
            for (int i = 1; i <= file.SampleCount(); ++i) {
                sum += file.Sample(i).Power() + file.Sample(i).HeartRate();
            }
        }
        benchmark::DoNotOptimize(sum);
    }
}

void HeartRateFit(benchmark::State& state) {
    const klt::TKLTFile& file = LongRide();
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            klt::FitHeartRateOverPower(file, 1, file.SampleCount(), {24000, 0, 12000, 200}, {}));
    }
}

BENCHMARK(PlainPass)->Unit(benchmark::kMicrosecond);
BENCHMARK(MovingAverageEverySample)->Arg(1000)->Arg(60000)->Unit(benchmark::kMicrosecond);
BENCHMARK(MovingAverageSampleBySample)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(PlainPassPerDelay)->Unit(benchmark::kMillisecond);
BENCHMARK(HeartRateFit)->Unit(benchmark::kMillisecond);

} // namespace
