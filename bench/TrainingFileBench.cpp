// Reading and writing a full-size training (65,534 samples) against moving the same bytes with
// plain file calls, measured in one run; prints the ratios at the end.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fcntl.h>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "core/KLTFile.h"
#include "tools/synth/SyntheticRide.h"

namespace {

std::string BenchDir() {
    static const std::string dir = [] {
        char pattern[] = "/tmp/klt-bench-XXXXXX";
        return std::string(::mkdtemp(pattern));
    }();
    return dir;
}

// The largest training a file can hold, with the demonstration ride's markers, written once.
const std::string& FullTraining() {
    static const std::string path = [] {
        klt::TKLTFile file;
        klt::synth::BuildRide(file, klt::synth::TRideOptions{});
        const int built = file.SampleCount();
        file.SetSampleCount(klt::TKLTFile::kMaxSamples);
        for (int i = built + 1; i <= klt::TKLTFile::kMaxSamples; ++i) {
            file.Sample(i) = file.Sample((i - 1) % built + 1);
        }
        file.Normalise();
        const std::string p = BenchDir() + "/full.klt";
        file.WriteKLT7(p, klt::TDateTimeMark::None());
        return p;
    }();
    return path;
}

std::vector<char> FileBytes(const std::string& path) {
    std::vector<char> bytes;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    std::fclose(f);
    return bytes;
}

// Opens the file, reads its bytes into memory of their own and closes it: the least any loader
// does. With state.range(0) set the memory is reused instead, which no loader of a new file can.
void PlainRead(benchmark::State& state) {
    const std::string& path = FullTraining();
    const size_t size = FileBytes(path).size();
    auto reused = std::make_unique_for_overwrite<char[]>(size);
    for (auto _ : state) {
        auto buffer = state.range(0) != 0 ? std::move(reused) : std::make_unique_for_overwrite<char[]>(size);
        std::FILE* f = std::fopen(path.c_str(), "rb");
        benchmark::DoNotOptimize(std::fread(buffer.get(), 1, size, f));
        std::fclose(f);
        benchmark::DoNotOptimize(buffer.get());
        if (state.range(0) != 0) {
            reused = std::move(buffer);
        }
    }
}

void ReadKLT7(benchmark::State& state) {
    const std::string& path = FullTraining();
    klt::TKLTFile file(path);
    for (auto _ : state) {
        file.ReadFile();
        benchmark::DoNotOptimize(file.Marker(0).sumPower);
    }
}

// Writes bytes as a safe writer must: temporary file, flush to disk, rename over the target.
void WriteBytes(const std::vector<char>& bytes, const std::string& path, bool durable) {
    const std::string temp = path + ".tmp";
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    benchmark::DoNotOptimize(::write(fd, bytes.data(), bytes.size()));
    if (durable) {
        ::fsync(fd);
    }
    ::close(fd);
    ::rename(temp.c_str(), path.c_str());
}

void PlainWrite(benchmark::State& state) {
    const std::vector<char> bytes = FileBytes(FullTraining());
    const std::string out = BenchDir() + "/plain.klt";
    for (auto _ : state) {
        WriteBytes(bytes, out, state.range(0) != 0);
    }
}

void WriteKLT7(benchmark::State& state) {
    klt::TKLTFile file(FullTraining());
    file.ReadFile();
    const std::string out = BenchDir() + "/written.klt";
    for (auto _ : state) {
        benchmark::DoNotOptimize(file.WriteKLT7(out, klt::TDateTimeMark::None()));
    }
}

// The marker sums every read computes over all samples.
void MarkerSums(benchmark::State& state) {
    klt::TKLTFile file(FullTraining());
    file.ReadFile();
    klt::TKLTMarker marker;
    for (auto _ : state) {
        file.ComputeMarker(marker, 1, file.SampleCount());
        benchmark::DoNotOptimize(marker.sumPower);
    }
}

BENCHMARK(PlainRead)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(ReadKLT7)->Unit(benchmark::kMicrosecond);
BENCHMARK(PlainWrite)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(WriteKLT7)->Unit(benchmark::kMicrosecond);
BENCHMARK(MarkerSums)->Unit(benchmark::kMicrosecond);

// Keeps every run's time per iteration to print the ratios after the table.
class TRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            times_[run.benchmark_name()] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void PrintRatios() const {
        auto ratio = [&](const char* what, const char* measured, const char* baseline, double goal) {
            if (times_.count(measured) == 0 || times_.count(baseline) == 0) {
                return; // filtered out
            }
            const double r = times_.at(measured) / times_.at(baseline);
            std::printf("%-58s %6.2fx  (goal: within %.0fx)\n", what, r, goal);
        };
        std::printf("\nRatios against plain file calls on the same bytes (65,534-sample KLT7 file):\n");
        ratio("read KLT7 / read the bytes into new memory", "ReadKLT7", "PlainRead/0", 2);
        ratio("read KLT7 / read the bytes into reused memory", "ReadKLT7", "PlainRead/1", 2);
        ratio("write KLT7 (atomic, synced) / write, sync, rename", "WriteKLT7", "PlainWrite/1", 3);
        ratio("write KLT7 (atomic, synced) / write and rename, no sync", "WriteKLT7", "PlainWrite/0", 3);
    }

private:
    std::map<std::string, double> times_;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
