// The database listing, the moving average and the heart-rate fit, each against a plain pass over
// the same data measured in the same run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "bench/BenchSupport.h"
#include "core/KLTDatabase.h"
#include "core/KLTFile.h"
#include "tools/synth/SyntheticRide.h"

namespace {

namespace fs = std::filesystem;

constexpr int kTrainings = 5000;

// Ten years of riding: 5,000 one-hour trainings at 1 s, written once per run.
const std::vector<std::string>& Database() {
    static const std::vector<std::string> paths = [] {
        const std::string db = klt::bench::BenchDir() + "/_DATA.KLT";
        klt::TKLTFile ride;
        klt::synth::TRideOptions options;
        options.intervals = 7;
        options.pauseSeconds = 60;
        klt::synth::BuildRide(ride, options); // about an hour
        std::vector<std::string> written;
        const int startDay = klt::DaysSince1880({2016, 1, 1});
        for (int i = 0; i < kTrainings; ++i) {
            const uint16_t date = static_cast<uint16_t>(startDay + i * 3650 / kTrainings);
            ride.EditHeader().date = date;
            const std::string initials = i % 4 == 0 ? "MK" : "JD";
            const std::string dir = klt::CanonicalDirectory(db, initials, date);
            fs::create_directories(dir);
            const std::string path = dir + klt::CanonicalStem(initials, date) + char('A' + i % 3) + ".klt";
            ride.Marker(0).name = initials;
            // Plain writes: the benchmark needs the files, not their safety.
            const std::string temp = path + ".tmp";
            ride.WriteKLT7(temp, klt::TDateTimeMark::None());
            fs::rename(temp, path);
            written.push_back(path);
        }
        return written;
    }();
    return paths;
}

void OpenRead512(benchmark::State& state) {
    const auto& paths = Database();
    char buffer[512];
    for (auto _ : state) {
        for (const std::string& path : paths) {
            const int fd = ::open(path.c_str(), O_RDONLY);
            benchmark::DoNotOptimize(::read(fd, buffer, sizeof buffer));
            ::close(fd);
        }
    }
}

// What `klt db list` does: walk the folders, read each training and take its values.
void ListDatabase(benchmark::State& state) {
    Database();
    const std::string db = klt::bench::BenchDir() + "/_DATA.KLT";
    for (auto _ : state) {
        int64_t listed = 0;
        klt::TTrainingFilter everything;
        everything.withSamples = true;
        klt::ForEachTraining(db, everything, [&](klt::TKLTFile& file) {
            listed += file.Marker(0).AvgPower();
            return true;
        });
        benchmark::DoNotOptimize(listed);
    }
}

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

BENCHMARK(OpenRead512)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ListDatabase)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(PlainPass)->Unit(benchmark::kMicrosecond);
BENCHMARK(MovingAverageEverySample)->Arg(1000)->Arg(60000)->Unit(benchmark::kMicrosecond);
BENCHMARK(MovingAverageSampleBySample)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(PlainPassPerDelay)->Unit(benchmark::kMillisecond);
BENCHMARK(HeartRateFit)->Unit(benchmark::kMillisecond);

} // namespace
