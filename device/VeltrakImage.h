#pragma once
// The head unit's recording memory as downloaded, with the settings and clock at download time,
// split into the trainings that become training files.
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "core/Exceptions.h"
#include "core/PagArray.h"
#include "core/VeltrakImageInfo.h"
#include "device/DownloadResult.h"
#include "device/DownloadSink.h"
#include "device/VeltrakStatus.h"

namespace klt {

class TTrainingData;

// The memory holds a record the parse cannot start from (a time fraction or empty memory).
class ECheckMesswertType : public Exception {
public:
    ECheckMesswertType() : Exception("MesswertType") {}
};

// One recorded segment: a run of measurement records with the settings in force when it began.
struct TVeltrakTrainingHeader {
    enum Flag : uint8_t { Continues = 1, Dropped = 2, JoinedWithNext = 4, Last = 8 };

    std::string initials; // up to 20 characters
    uint16_t recordCount = 0;
    uint16_t firmwareVersion = 0;
    uint16_t startDay = 0;
    int32_t startTime = 0; // hundredths of the day
    uint16_t intervalDenominator = 1;
    uint16_t intervalNumerator = 1;
    int32_t interval = 100; // hundredths
    int16_t zeroOffset = 0;
    int16_t slope = 0;
    int16_t wheel = 0;
    uint8_t flags = 0;
    // Index of the first record of the segment in the image's record array.
    int firstRecord = 0;

    bool Has(Flag flag) const { return (flags & flag) != 0; }
    int64_t EndTime() const { return startTime + static_cast<int64_t>(recordCount) * interval; }
};

// Thresholds of training detection, in hundredths of a second.
struct TVeltrakTrainingLimits {
    int32_t MinPauseTraining = 6000;
    int32_t MaxPauseTraining = 2160000;
    int32_t MinDauerTraining = 6000;
};

struct TVeltrakImageCounters {
    int recordsInTrainings = 0;
    int headersBefore = 0;
    int headersAfter = 0;
    int trainingFiles = 0;
    int64_t timeBefore = 0; // hundredths
    int64_t timeAfter = 0;
};

// The memory of a register head unit as 5-byte records, or of a generation V head unit as 64-byte
// blocks, with the status it was read with. It never writes a file by itself: the download flow
// keeps its backup (SaveBackup) whenever not every training of it was saved.
class TVeltrakImage : public TVeltrakStatus, public IVeltrakImageInfo {
public:
    using TExceptionHandler = std::function<void(const std::exception&)>;

    TVeltrakImage();

    // Takes the first HeapCount + HeapCountUpper records of the downloaded memory.
    void SetMemory(std::span<const uint8_t> memory);
    int RecordCount() const { return records_.Count(); }
    const uint8_t* Record(int index) const { return records_.Items(index); }

    // Generation V: the blocks as downloaded, and those that stayed garbled.
    void SetBlockMemory(std::vector<uint8_t> blocks, std::vector<size_t> garbled);
    const std::vector<uint8_t>& BlockMemory() const { return blockMemory_; }
    const std::vector<size_t>& GarbledBlocks() const { return garbledBlocks_; }
    // Whether the image holds anything a backup would keep.
    bool HoldsMemory() const { return records_.Count() > 0 || !blockMemory_.empty(); }

    // Splits the records into trainings. A range error met on the way keeps the trainings found
    // so far and goes to the handler (rethrown without one); any other error passes on.
    void Parse(const TVeltrakTrainingLimits& limits, const TExceptionHandler& handler = {});

    // The header each training file begins with, in order; the headers joined to it follow it.
    std::vector<size_t> TrainingStarts() const;
    // The last header of the training that begins at header `first`.
    size_t TrainingLastHeader(size_t first) const;
    // The training that begins at header `first`: its segment and every segment joined to it, each a
    // block of the training.
    void FillTraining(TTrainingData& training, size_t first) const;
    // Hands every training of the image (records as parsed, or generation V blocks) to the sink.
    TDownloadResult CreateTrainingFiles(IDownloadSink& sink) const;

    // The backup file: the status and every record or block of the memory, replaced atomically.
    // Loading returns false, with the image cleared, for a file that is not a backup or is damaged;
    // an unreadable file is an EInOutError. A loaded register image is parsed with `limits`.
    void SaveBackup(const std::string& fileName) const;
    bool LoadBackup(const std::string& fileName, const TVeltrakTrainingLimits& limits = {},
                    const TExceptionHandler& handler = {});
    // Where the backup of this image goes: "KLTIMAGE" below `databaseDir` (created when missing),
    // named by the first initial and the day of the first training (or of the clock), never over
    // another backup.
    std::string BackupFileName(const std::string& databaseDir) const;

    const std::vector<TVeltrakTrainingHeader>& Headers() const { return headers_; }
    const TVeltrakImageCounters& Counters() const { return counters_; }
    // Downloads that build their trainings without the record array count into these.
    TVeltrakImageCounters& EditCounters() { return counters_; }

    // The power meter's battery as the head unit reported it.
    int32_t BatteryValue() const override;
    uint32_t SecondBatteryWord() const override { return BatInfo.battery2; }
    std::array<uint32_t, 3> FurtherSensorWords() const override { return {0xFFFF, 0xFFFF, 0xFFFF}; }

private:
    void Walk();
    void MarkContinuations(const TVeltrakTrainingLimits& limits);
    void DropShortTrainings(const TVeltrakTrainingLimits& limits);
    void MarkJoins(const TVeltrakTrainingLimits& limits);
    void Compact();
    TVeltrakTrainingHeader StartingHeader() const;
    void ClearImage();

    TPagedDataArray records_;
    std::vector<TVeltrakTrainingHeader> headers_;
    TVeltrakImageCounters counters_;
    std::vector<uint8_t> blockMemory_;
    std::vector<size_t> garbledBlocks_;
};

} // namespace klt
