#pragma once
// Head units for the download dialogs' controllers: a protocol object whose operations are scripted
// and counted, and a clock that only moves when told.
#include <array>
#include <cstdint>
#include <functional>
#include <set>
#include <span>
#include <vector>

#include "device/ProtocolClock.h"
#include "device/VeltrakExceptions.h"
#include "device/usb/VeltrakVI.h"
#include "flow/HeadUnitSession.h"

namespace klt::test {

class TManualClock : public IProtocolClock {
public:
    uint32_t Milliseconds() override { return now; }
    void Sleep(int milliseconds) override { now += static_cast<uint32_t>(milliseconds); }
    uint32_t now = 1000;
};

// Seconds of the head-unit clock for a date record: some day in 2026.
inline constexpr uint32_t kRecordSeconds = 1'000'000'000;

inline std::array<uint8_t, 5> DateRecord(uint32_t seconds = kRecordSeconds) {
    return {0x80, static_cast<uint8_t>(seconds), static_cast<uint8_t>(seconds >> 8),
            static_cast<uint8_t>(seconds >> 16), static_cast<uint8_t>(seconds >> 24)};
}
inline std::array<uint8_t, 5> MeasurementRecord() {
    return {0x10, 0x05, 0x03, 90, 120};
}

class TFakeVeltrak : public TVeltrak {
public:
    explicit TFakeVeltrak(IProtocolClock* clock) : TVeltrak(nullptr, clock) {}

    // The status the head unit reports: a register head unit with 100 + 3 records by default.
    std::function<void(TVeltrakStatus&)> status = [](TVeltrakStatus& s) {
        s.HeapSize = 26045;
        s.HeapCount = 100;
        s.HeapCountUpper = 3;
        s.SetInitialen("JD");
        s.SetAbspeicherZeit(100);
        s.ClockDay = 53000;
    };
    // Index 0 holds the date, every other a measurement.
    std::function<std::array<uint8_t, 5>(uint16_t)> record = [](uint16_t index) {
        return index == 0 ? DateRecord() : MeasurementRecord();
    };
    std::set<uint16_t> failOnce;  // these indices raise EVeltrakTimeout at their first read
    uint32_t msPerRecord = 0;     // how long a record takes on the clock
    std::function<void()> duringRecord;
    std::function<void()> duringLiveRead;

    std::vector<uint16_t> indices;
    int statusReads = 0, clockReads = 0, liveReads = 0, recordingsStarted = 0, requests = 0;

    void ReadStatus() override {
        ++statusReads;
        status(Status());
    }
    void ReadClock() override { ++clockReads; }
    void ReadLiveValues() override {
        ++liveReads;
        if (duringLiveRead) {
            duringLiveRead();
        }
    }
    std::array<uint8_t, 5> ReadMemoryBlock(uint16_t index) override {
        indices.push_back(index);
        Clock().Sleep(static_cast<int>(msPerRecord));
        if (duringRecord) {
            duringRecord();
        }
        if (failOnce.erase(index) != 0) {
            throw EVeltrakTimeout("Com1");
        }
        return record(index);
    }
    using TVeltrak::StartRecording;
    void StartRecording() override { ++recordingsStarted; }
    bool Request(int, std::span<const uint8_t>) override {
        ++requests;
        return false;
    }
};

inline TDownloadConfiguration Configuration(int type, const std::string& databaseDir = {}) {
    TDownloadConfiguration configuration;
    configuration.headUnitType = type;
    configuration.searchAllPorts = false;
    configuration.port = {"Com1", "/dev/null", 1};
    configuration.databaseDir = databaseDir;
    return configuration;
}

} // namespace klt::test
