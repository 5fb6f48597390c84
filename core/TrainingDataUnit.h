#pragma once
// The training data module: a light model of one training with its samples as a list of TData,
// its marker records as read and its blocks. Charts and statistics read trainings through it;
// downloads and the live mode build one and save it as KLT7. It reads and writes the bytes the
// document object TKLTFile does, through the same record functions.
//
// Hostile files: counts are capped before anything is allocated (blocks above 10,921 fail with
// "Too many blocks", a sample count of 0xFFFF reads as 0xFFFE), marker records are only kept as
// far as the file supplies them, a sample table cut short loads with the missing samples zero and
// a damaged extra header falls back to its defaults, as the document object does. Every other
// short read fails; a failed read leaves the module cleared.
#include <string>
#include <vector>

#include "core/ExtraHeader.h"
#include "core/KLTFile.h"
#include "core/KLTFileRecords.h"
#include "core/RunningSum.h"
#include "core/TrainingSample.h"
#include "core/VeltrakImageInfo.h"

namespace klt {

using TBlock = TKLTBlock;

class TTrainingData {
public:
    static constexpr int kMaxSamples = TKLTFile::kMaxSamples;

    TTrainingData();

    // Reads a training file of any version; files before version 5 are converted as the document
    // object converts them (interval, date from the file name, marker ends, samples).
    void ReadTraining(const std::string& path);
    // Writes KLT7, creating the file's directory first, and replaces the file atomically. Failures
    // throw EInOutError with the path in front ("'path': ..."); the old file then stays as it was.
    void WriteTraining(const std::string& path) const;
    void Clear();

    // --- Header, comment, markers, blocks ---
    // The header as read, with calibration and the old interval byte. Block and marker counts
    // are written from the lists, the magic as "KLT7".
    const TKLTHeader& Header() const { return header_; }
    TKLTHeader& EditHeader() { return header_; }
    const std::string& Comment() const { return comment_; }
    void SetComment(std::string comment) { comment_ = std::move(comment); } // written up to 70 characters
    // Marker 0 first; inactive markers are kept and written back as they are.
    const std::vector<TStructurArray>& Markers() const { return markers_; }
    std::vector<TStructurArray>& EditMarkers() { return markers_; }
    // Appends an active marker over the samples first..last (1-based, within the samples) with the
    // averages the document object writes into its record, so older programs show the same values.
    void AppendMarker(std::string name, int first, int last);
    const std::vector<TBlock>& Blocks() const { return blocks_; }
    std::vector<TBlock>& EditBlocks() { return blocks_; }
    const TExtraHeader& ExtraHeader() const { return extraHeader_; }
    TExtraHeader& EditExtraHeader() { return extraHeader_; }
    double IntervalSeconds() const; // numerator / denominator; 1 s without a denominator

    // --- Samples (0-based; marker records count from 1 as in the file) ---
    int SampleCount() const { return static_cast<int>(samples_.size()); }
    const TData& Sample(int index) const;
    // Appends the channels of sample (a live sample derived from TData adds its TData part).
    // Throws ERangeError once the training holds the most samples a file can.
    void AddSample(const TData& sample);
    // Sets one channel of one sample and carries the difference into that channel's running sums
    // from this sample on; marks the module modified.
    void SetValue(int index, int channel, int value);

    // Sum of a channel's values over the samples 0..index (0 for a negative index or a channel
    // outside the range; ERangeError past the last sample).
    int64_t RunningSum(int channel, int index) const;
    double Work(int index) const;     // J, from the first sample through index
    double Distance(int index) const; // m, from the first sample through index

    bool Modified() const { return modified_; }
    void ClearModified() { modified_ = false; }

    // --- Taken over from a head unit ---
    // The battery value rounded to a multiple of 10 (no battery and the condition codes stay as
    // they are) and the second battery word.
    void TakeBatteryInfo(const IVeltrakImageInfo& source);
    void TakeSensorInfo(const IVeltrakImageInfo& source, uint32_t sensorNumber);

private:
    void CheckIndex(int index) const;
    void RebuildSums();

    TKLTHeader header_;
    std::string comment_;
    std::vector<TStructurArray> markers_;
    std::vector<TBlock> blocks_;
    std::vector<TData> samples_; // in one piece: charts read many trainings
    std::array<TRunningSum, TData::kChannelCount> sums_;
    TExtraHeader extraHeader_;
    bool modified_ = false;
};

} // namespace klt
