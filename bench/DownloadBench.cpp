// Downloading a generation 7 head unit's memory from the simulator at the real line rate against
// the time the bytes exchanged take on a 38,400 baud line (ten bits a byte): the physical limit.
// The full memory takes about two minutes; `make bench` leaves it out (see the Makefile).
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "bench/BenchSupport.h"
#include "core/Prompt.h"
#include "device/VeltrakImage.h"
#include "device/transport/SimFtdiLink.h"
#include "device/transport/UsbLink.h"
#include "device/usb/VeltrakVI.h"
#include "flow/DatabaseSink.h"
#include "tools/sim/HeadUnitSimulator.h"
#include "tools/sim/SimSections.h"

namespace {

constexpr double kLineBaud = 38400;
constexpr double kBitsPerByte = 10;
constexpr int64_t kSimClock = 1'800'000'000; // a fixed head-unit time: the same memory every run
constexpr int kFullMemoryRecords = 0x68000 / 16;

// The program's link with the bytes that crossed the line counted, both ways.
class TCountingFtdiLink : public klt::IFtdiLink {
public:
    explicit TCountingFtdiLink(klt::IFtdiLink& link) : link_(link) {}

    int64_t Bytes() const { return bytes_; }

    klt::TFtStatus DeviceCount(int& count) override { return link_.DeviceCount(count); }
    klt::TFtStatus DeviceDescription(int index, std::string& description) override {
        return link_.DeviceDescription(index, description);
    }
    klt::TFtStatus OpenByDescription(const std::string& description) override {
        return link_.OpenByDescription(description);
    }
    klt::TFtStatus Close() override { return link_.Close(); }
    klt::TFtStatus ResetDevice() override { return link_.ResetDevice(); }
    klt::TFtStatus PurgeTransmit() override { return link_.PurgeTransmit(); }
    klt::TFtStatus PurgeReceive() override {
        // Bytes thrown away unread took their time on the line all the same.
        size_t waiting = 0;
        if (link_.QueueStatus(waiting) == klt::FT_OK) {
            bytes_ += static_cast<int64_t>(waiting);
        }
        return link_.PurgeReceive();
    }
    klt::TFtStatus SetBreak(bool on) override { return link_.SetBreak(on); }
    klt::TFtStatus SetBaudRate(int baud) override { return link_.SetBaudRate(baud); }
    klt::TFtStatus SetDataCharacteristics(int dataBits, int stopBits, int parity) override {
        return link_.SetDataCharacteristics(dataBits, stopBits, parity);
    }
    klt::TFtStatus SetFlowControlNone(uint8_t xon, uint8_t xoff) override { return link_.SetFlowControlNone(xon, xoff); }
    klt::TFtStatus SetTimeouts(int readMs, int writeMs) override { return link_.SetTimeouts(readMs, writeMs); }
    klt::TFtStatus QueueStatus(size_t& waiting) override { return link_.QueueStatus(waiting); }
    klt::TFtStatus Write(const uint8_t* bytes, size_t count, size_t& written) override {
        const klt::TFtStatus status = link_.Write(bytes, count, written);
        bytes_ += static_cast<int64_t>(written);
        return status;
    }
    klt::TFtStatus Read(uint8_t* bytes, size_t count, size_t& read) override {
        const klt::TFtStatus status = link_.Read(bytes, count, read);
        bytes_ += static_cast<int64_t>(read);
        return status;
    }
    klt::TFtStatus SetBitMode(uint8_t mask, uint8_t mode) override { return link_.SetBitMode(mask, mode); }
    klt::TFtStatus CyclePort() override { return link_.CyclePort(); }

private:
    klt::IFtdiLink& link_;
    int64_t bytes_ = 0;
};

// An empty training database folder in the run's folder, gone afterwards.
class TBenchDatabase {
public:
    explicit TBenchDatabase(const std::string& name) : path_(klt::bench::BenchDir() + "/" + name + "/_DATA.KLT") {
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TBenchDatabase() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TBenchDatabase(const TBenchDatabase&) = delete;
    TBenchDatabase& operator=(const TBenchDatabase&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

klt::sim::TSimOptions LineRateHeadUnit(int rides, int rideMinutes) {
    klt::sim::TSimOptions options;
    options.generation = 7;
    options.clock = kSimClock;
    options.rides = rides;
    options.rideMinutes = rideMinutes;
    options.lineRate = true;
    return options;
}

int MemoryRecords(const klt::sim::TSimOptions& options) {
    int records = 0;
    for (const klt::sim::TSimSection& section : klt::sim::BuildSectionMemory(options, *options.clock)) {
        records += static_cast<int>(section.records.size()) + 1; // and its end record
    }
    return records;
}

// Six hour-long rides, topped up with one long ride until the memory is full.
klt::sim::TSimOptions FullMemory() {
    klt::sim::TSimOptions options = LineRateHeadUnit(6, 60);
    options.longRideSamples = kFullMemoryRecords - MemoryRecords(options) - 1;
    return options;
}

// Connects and downloads every training into a fresh database; the bytes and records it took.
void Download(benchmark::State& state, const klt::sim::TSimOptions& options) {
    int64_t bytes = 0;
    double seconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        TBenchDatabase database("download");
        klt::sim::THeadUnitSimulator sim(options);
        sim.Start();
        klt::TSimFtdiLink driver(sim.SocketPath());
        TCountingFtdiLink counted(driver);
        klt::TUsbLink usb(counted);
        klt::TVeltrak veltrak(nullptr, nullptr, &usb);
        klt::TVeltrakImage image;
        klt::TCautiousPrompt prompt;
        klt::TDatabaseSink sink(database.Path(), prompt);
        state.ResumeTiming();

        const auto start = std::chrono::steady_clock::now();
        if (!veltrak.ConnectV7()) {
            state.SkipWithError("the simulated head unit did not answer");
            return;
        }
        const klt::TDownloadResult result = veltrak.DownloadSections(image, sink, {});
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!result.Complete()) {
            state.SkipWithError("the download did not complete");
            return;
        }
        bytes += counted.Bytes();
    }
    const double wireSeconds = static_cast<double>(bytes) * kBitsPerByte / kLineBaud;
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["records"] = MemoryRecords(options);
    state.counters["bytes"] = static_cast<double>(bytes) / iterations;
    state.counters["wire_s"] = wireSeconds / iterations;
    state.counters["x_wire"] = seconds / wireSeconds;
}

// Two rides of three minutes: a quick look at the overhead per request.
void DownloadFewMinutes(benchmark::State& state) {
    Download(state, LineRateHeadUnit(2, 3));
}

// A full memory, about 26,600 records: close to two minutes at the line rate.
void DownloadFullMemory(benchmark::State& state) {
    Download(state, FullMemory());
}

} // namespace

BENCHMARK(DownloadFewMinutes)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(DownloadFullMemory)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
