// Listing the 5,000-training database: from its index, warm and cold, against reading 512 bytes of
// each file and against reading every training in full (how lists were made before the index);
// and one keystroke in the training browser's initials filter.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "app/KLTFileOpenController.h"
#include "app/KLTIniData.h"
#include "bench/BenchSupport.h"
#include "core/KLTDatabase.h"
#include "core/KLTFile.h"
#include "core/TrainingIndexFormat.h"

namespace {

namespace fs = std::filesystem;

// Moves every index out of the database. Deleting them would measure the file system instead: ext4
// without a journal searches past recently freed inodes when it creates the next files.
void MoveIndexesAside() {
    static int moved = 0;
    const fs::path aside = klt::bench::BenchDir() + "/indexes-moved-aside";
    fs::create_directories(aside);
    for (const auto& entry : fs::recursive_directory_iterator(klt::bench::BenchDatabaseDir())) {
        if (entry.path().filename() == klt::kTrainingIndexName) {
            fs::rename(entry.path(), aside / std::to_string(moved++));
        }
    }
}

int64_t ListFromIndex() {
    int64_t listed = 0;
    klt::ForEachListedTraining(klt::bench::BenchDatabaseDir(), {}, [&](const klt::TListedTraining& training) {
        listed += training.summary.avgPower;
        return true;
    });
    return listed;
}

void OpenRead512(benchmark::State& state) {
    const auto& paths = klt::bench::BenchDatabase();
    char buffer[512];
    for (auto _ : state) {
        for (const std::string& path : paths) {
            const int fd = ::open(path.c_str(), O_RDONLY);
            benchmark::DoNotOptimize(::read(fd, buffer, sizeof buffer));
            ::close(fd);
        }
    }
}

// The listing before the index: every training read in full for its averages.
void ReadEveryTraining(benchmark::State& state) {
    const auto& paths = klt::bench::BenchDatabase();
    for (auto _ : state) {
        int64_t listed = 0;
        for (const std::string& path : paths) {
            klt::TKLTFile file(path);
            file.ReadFile();
            listed += file.Marker(0).AvgPower();
        }
        benchmark::DoNotOptimize(listed);
    }
}

void ListWithWarmIndex(benchmark::State& state) {
    klt::bench::BenchDatabase();
    ListFromIndex();
    for (auto _ : state) {
        benchmark::DoNotOptimize(ListFromIndex());
    }
}

// What the first listing after deleting every index costs: every training read, every index written.
void ListWithoutIndex(benchmark::State& state) {
    klt::bench::BenchDatabase();
    for (auto _ : state) {
        state.PauseTiming();
        MoveIndexesAside();
        state.ResumeTiming();
        benchmark::DoNotOptimize(ListFromIndex());
    }
}

// One keystroke in the initials box of a browser showing the whole database.
void BrowserInitialsKeystroke(benchmark::State& state) {
    klt::bench::BenchDatabase();
    klt::TKLTIniData configuration;
    configuration.SystemData.DataBaseDir = klt::bench::BenchDatabaseDir();
    configuration.SystemData.DataBaseInitialMask = "*";
    configuration.SystemData.DataBaseListDatumFrom = klt::kNoDate;
    configuration.SystemData.DataBaseListDatumUntil = klt::kNoDate;
    klt::TKLTFileOpenController controller(configuration);
    const char* const typed[] = {"J", "JD", "J", ""};
    size_t next = 0;
    for (auto _ : state) {
        controller.SetInitials(typed[next++ % std::size(typed)]);
        benchmark::DoNotOptimize(controller.Rows().size());
    }
}

BENCHMARK(OpenRead512)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ReadEveryTraining)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ListWithWarmIndex)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ListWithoutIndex)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BrowserInitialsKeystroke)->Unit(benchmark::kMillisecond);

} // namespace
