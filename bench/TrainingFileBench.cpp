// Reading and writing a full-size training (65,534 samples) against moving the same bytes with
// plain file calls.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "core/KLTFile.h"
#include "bench/BenchSupport.h"

namespace {

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
    const std::string& path = klt::bench::FullTrainingPath();
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
    const std::string& path = klt::bench::FullTrainingPath();
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
    const std::vector<char> bytes = FileBytes(klt::bench::FullTrainingPath());
    const std::string out = klt::bench::BenchDir() + "/plain.klt";
    for (auto _ : state) {
        WriteBytes(bytes, out, state.range(0) != 0);
    }
}

void WriteKLT7(benchmark::State& state) {
    klt::TKLTFile file(klt::bench::FullTrainingPath());
    file.ReadFile();
    const std::string out = klt::bench::BenchDir() + "/written.klt";
    for (auto _ : state) {
        benchmark::DoNotOptimize(file.WriteKLT7(out, klt::TDateTimeMark::None()));
    }
}

// The marker sums every read computes over all samples.
void MarkerSums(benchmark::State& state) {
    klt::TKLTFile& file = klt::bench::FullTraining();
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

} // namespace
