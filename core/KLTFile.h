#pragma once
// The in-memory training: header, markers, blocks, calibration, samples and the extra header, with
// the reader of every file version and the KLT7 and KLT6 writers.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/ExtraHeader.h"
#include "core/KLTDate.h"
#include "core/KLTMarker.h"
#include "core/PagArray.h"
#include "core/SampleElement.h"

namespace klt {

// A stretch of samples recorded without a pause.
struct TKLTBlock {
    uint32_t start = 0; // 1/100 s since midnight of the training date
    uint16_t count = 0;
    bool operator==(const TKLTBlock&) const = default;
};

struct TKLTHeader {
    static constexpr uint8_t kFlagExtraHeader = 2;

    std::array<char, 4> magic{};  // "KLT" and the version character
    uint16_t date = 0;            // days since 1880; kNoDate = none
    uint16_t circumference = 0;   // mm
    uint8_t intervalNumerator = 0;
    uint8_t intervalDenominator = 0; // interval = numerator / denominator seconds
    uint16_t markerCountField = 0;   // markers after marker 0, as the file said
    uint8_t flags = 0;
    uint16_t zeroOffset = 0; // Hz
    uint16_t slope = 0;      // 1/305.58 Hz/Nm
    uint8_t oldIntervalByte = 0;

    char Version() const { return magic[3]; }
};

enum class TLoadState : uint8_t { Empty = 0, Requested = 1, Loaded = 2, Imported = 3 };
enum class TZeitFormat : uint8_t { ZeitFormatHHMMSS, ZeitFormatHHMMSSTT };

class TKLTFile {
public:
    static constexpr int kMaxSamples = 65534;
    static constexpr int kMaxBlocks = 10921; // keeps the block table below 64 KiB
    static constexpr int kCommentLength = 70;
    static constexpr int kMarkerNameLength = 255;

    explicit TKLTFile(std::string fileName = {});
    ~TKLTFile();
    TKLTFile(const TKLTFile&) = delete;
    TKLTFile& operator=(const TKLTFile&) = delete;

    // --- File ---
    const std::string& FileName() const { return fileName_; }
    void SetFileName(std::string fileName) { fileName_ = std::move(fileName); }
    TLoadState LoadState() const { return loadState_; }
    int64_t Stamp() const { return stamp_; } // modification stamp at the last read or write; -1 none
    const TDateTimeMark& ModificationMark() const { return modificationMark_; }
    bool Modified() const;
    void MarkModified() { modificationMark_ = TDateTimeMark::Now(); }

    // Reads the named file, any version. On failure the object is left cleared.
    void ReadFile();
    // Both return the file's modification stamp after writing. A stamp other than none becomes the
    // file's modification time. The target is replaced atomically.
    int64_t WriteKLT7(const std::string& path, const TDateTimeMark& stamp);
    int64_t WriteKLT6(const std::string& path, const TDateTimeMark& stamp);
    void Clear();

    // --- Header and calibration ---
    const TKLTHeader& Header() const { return header_; }
    TKLTHeader& EditHeader() { return header_; }
    const std::string& Comment() const { return comment_; }
    void SetCommentText(const std::string& comment); // trimmed, at most 70 characters
    const TExtraHeader& ExtraHeader() const { return extraHeader_; }
    TExtraHeader& EditExtraHeader() { return extraHeader_; }
    int Interval() const { return interval_; } // 1/100 s
    TZeitFormat TimeFormat() const { return timeFormat_; }

    // --- Blocks and samples ---
    const std::vector<TKLTBlock>& Blocks() const { return blocks_; }
    void SetBlocks(std::vector<TKLTBlock> blocks);
    int SampleCount() const { return samples_.Count() > 0 ? samples_.Count() - 1 : 0; }
    void SetSampleCount(int count); // keeps the placeholder at index 0
    const TSampleElement& Sample(int index) const;
    TSampleElement& Sample(int index);
    int32_t SampleTime(int index) const;   // time of day of sample index (1-based)
    int IndexAtTime(int32_t time) const;   // the sample recorded at that time of day

    // --- Markers ---
    int MarkerCount() const { return static_cast<int>(markers_.size()); }
    const TKLTMarker& Marker(int i) const { return *markers_.at(static_cast<size_t>(i)); }
    TKLTMarker& Marker(int i) { return *markers_.at(static_cast<size_t>(i)); }
    // Index of a marker with the same range (> 0), the negative insert position, or 0 when empty.
    int FindMarkerSlot(const TKLTMarker& marker) const;
    // Inserts a copy in sorted position, or overwrites the marker with the same range. For those
    // that build a training; the user's AddMarker also records the name and announces the change.
    TKLTMarker& InsertMarker(const TKLTMarker& marker);
    void DeleteMarker(int index);
    // Normalises the range and recomputes sums and times; throws "No data" for an empty range.
    void ComputeMarker(TKLTMarker& marker, int first, int last) const;

    // Derives interval and time format from the header, spans marker 0 over every sample and
    // recomputes the markers: what a reader or a builder does once the content is in place.
    void Normalise();

private:
    friend class TKLTFileReader;
    friend class TKLTFileWriter;

    // Computes markers 1.. for their ranges and keeps the list sorted with unique ranges.
    void ComputeOtherMarkers();
    void DeriveInterval();
    int SafeInterval() const { return interval_ > 0 ? interval_ : 1; }

    std::string fileName_;
    TKLTHeader header_;
    std::string comment_;
    std::vector<std::unique_ptr<TKLTMarker>> markers_;
    std::vector<TKLTBlock> blocks_;
    TPagedDataArray samples_{TSampleElement::kSize};
    TExtraHeader extraHeader_;
    int interval_ = 100;
    TZeitFormat timeFormat_ = TZeitFormat::ZeitFormatHHMMSS;
    TLoadState loadState_ = TLoadState::Empty;
    int64_t stamp_ = -1;
    TDateTimeMark modificationMark_;
};

} // namespace klt
