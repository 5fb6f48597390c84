#pragma once
// One training being built from the sample records of one or more sections: samples in time
// blocks (a pause starts a new one), interval markers, the crank-stop correction and the
// average temperature, until it is written as a training file.
#include <cstdint>
#include <string>
#include <vector>

#include "core/TrainingDataUnit.h"
#include "device/usb/SectionRecords.h"

namespace klt {

class TSectionTraining {
public:
    // Settings from `header`; the first block begins at `start` (hundredths since 1880), whose day
    // becomes the training's date. EConvertError when that day cannot be a training date.
    TSectionTraining(const TVeltrakDataHeader& header, int64_t start);

    // A further section of the same ride: its samples form a new block from its start.
    void BeginSection(const TVeltrakDataHeader& header);
    // Takes one record. False, with nothing taken, when the training is full (samples, blocks or
    // a time past what a block can start at): the record then begins a new training at NextTime().
    bool Add(const TSectionRecord& record);
    // When the next record's sample is recorded (hundredths since 1880).
    int64_t NextTime() const;

    uint16_t Day() const { return day_; }
    int SampleCount() const { return static_cast<int>(samples_.size()); }
    int64_t RecordedTime() const { return static_cast<int64_t>(samples_.size()) * header_.Interval(); }
    const std::vector<TKLTBlock>& Blocks() const { return blocks_; }

    // The whole training: header fields, blocks, samples, markers (an open one ends at the last
    // sample), the initials and the average temperature as the comment.
    void Fill(TTrainingData& training, bool fahrenheit) const;

private:
    struct TMarkerRange {
        int first = 0; // 1-based sample indices
        int last = 0;  // 0 while open
    };

    bool StartBlockAt(int64_t time);
    void ClearCadenceStop();

    TVeltrakDataHeader header_;
    uint16_t day_ = 0;
    std::vector<TData> samples_;
    std::vector<TKLTBlock> blocks_;
    std::vector<TMarkerRange> markers_;
    bool markerOn_ = false;
    int64_t blockStart_ = 0;   // hundredths since 1880
    int64_t blockRecords_ = 0; // samples and pause records since the block began
    bool blockOpen_ = false;   // the next sample continues the last block
    int64_t temperatureSum_ = 0;
    int previousCadence_ = 0;
};

// The average temperature as a training's comment: whole degrees with "°C", or "°F".
std::string TemperatureComment(int64_t tenthsSum, int count, bool fahrenheit);

} // namespace klt
