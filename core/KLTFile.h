#pragma once
// The in-memory training: header, markers, blocks, calibration, samples and the extra header, with
// the reader of every file version and the KLT7 and KLT6 writers.
#include <array>
#include <functional>
#include <optional>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/ExtraHeader.h"
#include "core/HeartRateRegression.h"
#include "core/KLTDate.h"
#include "core/KLTFileView.h"
#include "core/KLTMarker.h"
#include "core/KLTTrBer.h"
#include "core/PagArray.h"
#include "core/SampleElement.h"
#include "core/SampleSums.h"

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

// How a foreign file is to be imported into this object (the import dialog's options).
struct TForeignImportOptions {
    bool altitudeAsPower = false; // HRM files with altitude but no power: altitude is the power
    std::string initials;         // the athlete of the imported training; empty: as the file says
};

// A sample table shorter than the count before it: the samples it lacks read as zero.
struct TSampleTableDamage {
    int counted = 0; // samples the file's count announces
    int present = 0; // whole samples the file holds
    std::string Text() const;
};

enum class TLoadState : uint8_t { Empty = 0, Requested = 1, Loaded = 2, Imported = 3 };
enum class TZeitFormat : uint8_t { ZeitFormatHHMMSS, ZeitFormatHHMMSSTT };

class TKLTFile {
public:
    static constexpr int kMaxSamples = 65534;
    static constexpr int kMaxBlocks = 10921; // keeps the block table below 64 KiB
    static constexpr int kCommentLength = 70;
    static constexpr int kMarkerNameLength = 255;
    static constexpr int kMaxMarkers = 65535; // after marker 0: what the 16-bit count field holds

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
    // Loaded with a change not yet saved.
    bool Modified() const;
    // The file on disk is no longer the one last read or written (or cannot be looked at).
    bool ChangedOnDisk() const;
    void MarkModified() { modificationMark_ = TDateTimeMark::Now(); }

    // Reads the named file, any version. On failure the object is left cleared.
    void ReadFile();
    // What the last read found missing; nothing for a whole file.
    const std::optional<TSampleTableDamage>& Damage() const { return damage_; }
    // Reads header, markers, blocks and calibration but no samples (load state "requested"):
    // enough to know date, times, initials and comment of many files quickly.
    void ReadHeader();
    // Loads the file unless it is: level 1 and 2 read a training file, level 3 also accepts a
    // foreign file through the import hook. A file inside the database then moves to its
    // canonical place, and a modified one (old version, import) is saved at once.
    void EnsureLoaded(int level = 2);
    // How foreign files are imported at level 3; set by the import module.
    static std::function<void(TKLTFile&)>& ForeignImport();
    TForeignImportOptions& ImportOptions() { return importOptions_; }
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
    const TSampleElement& Sample(int index) const {
        return *reinterpret_cast<const TSampleElement*>(samples_.Items(index));
    }
    TSampleElement& Sample(int index) { return *reinterpret_cast<TSampleElement*>(samples_.Items(index)); }
    // Samples index, index + 1, ... lie contiguously in memory up to the returned count.
    int ContiguousSamples(int index) const { return samples_.ContiguousFrom(index); }
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

    // --- The document: changes made by the user, announced to the views ---
    void BeginUpdate();
    void EndUpdate();
    void AddView(IKLTFileView* view);
    void RemoveView(IKLTFileView* view);
    const std::vector<IKLTFileView*>& Views() const { return views_; }

    // Records the name in the marker name history; announces TKLTChange::Markers.
    TKLTMarker& AddMarker(const TKLTMarker& marker);
    // Removes any marker but marker 0.
    void RemoveMarker(int index);
    // Flags: 4 the name (marker 0: "File"), 1 "(index) name", 2 with "&" before indices below 10.
    std::string MarkerCaption(int index, int flags) const;
    std::string MarkerDescription(int index, TDateForm dateForm, bool withValues) const;

    // Samples were changed in place through Sample(): the markers are recomputed, and the change
    // is marked and announced.
    void SamplesEdited();
    void SetDate(uint16_t days);
    void SetStartTime(int32_t time);
    void SetComment(const std::string& text);
    void SetInitials(const std::string& text);
    // New zero offset (Hz), slope, altitude of the first sample and circumference; the rounding
    // error of each sample is carried into the next.
    void Recalibrate(int zeroOffset, int slope, int altitudeAtStart, int circumference);

    bool SelectionActive() const { return selectionActive_; }
    int SelectionFirst() const { return selectionFirst_; }
    int SelectionLast() const { return selectionLast_; }
    // At most one training holds the active selection; selecting here clears the other one.
    void SetSelection(bool active, int first, int last);

    // The training zones for this training's athlete and date.
    const std::array<uint16_t, TKLTTrainingsBereiche::kBoundCount>& TrainingZones();

    // --- Derived series ---
    // Mean of kind 1..6 (power, cadence, heart rate, speed, temperature, altitude; raw units)
    // over a window of `windowTime` (1/100 s) around sample `index`. Walking forwards is cheap.
    int MovingAverage(int kind, int windowTime, int index);
    // The same at every sample (element 0 for sample 1), in one linear pass.
    std::vector<int> MovingAverages(int kind, int windowTime) const;
    int64_t CumulativeDistance(int n, bool inclusive) const; // 0.01 mm
    int64_t CumulativeWork(int n, bool inclusive) const;     // 1/800 J
    int IndexAtDistance(int64_t distance, bool strict) const;
    int IndexAtWork(int64_t work, bool strict) const;
    // The heart rate over power fit of a marker, cached there for the same parameters; nothing
    // when `cancel` asked to stop.
    std::optional<THeartRateFit> HeartRateRegression(int markerIndex, const THeartRateFitParameters& parameters,
                                                     const std::function<bool()>& cancel = {});
    // The same fitted over `source`, the marker's windows for the parameters' averaging time, which
    // a caller that also needs the pairs has built already.
    std::optional<THeartRateFit> HeartRateRegression(int markerIndex, const THeartRateFitParameters& parameters,
                                                     const std::function<bool()>& cancel,
                                                     const THeartRatePairSource* source);

    // --- Saving and its questions ---
    // Returns false when the user declined.
    bool Save();
    bool Revert();
    // Whether the training may be closed: asks to save a modified one.
    bool CloseQuery();
    // Asks, closes every view and deletes the file; false when the user declined.
    bool Delete();
    // Moves a file inside the database to its place there (folders by initials and month, name
    // by initial, date and a free suffix letter).
    void CanonicalRename();
    // Saves the training as a new file in its place in the database, under a name no other file or
    // training has, and takes that name. Never replaces a file.
    void SaveAsNewTraining(const std::string& databaseDir);

private:
    friend class TKLTFileReader;
    friend class TKLTFileWriter;
    friend class TKLTFileRegistry;

    // Every user change: loads the file if needed, marks it modified and announces `changes`.
    void Modify(int changes);
    void Announce(int changes);
    void ClearSelection();
    std::string PromptDescription() const;
    void RecomputeMarkers();
    // The modification time a save gives the file: the modification mark, else the time of the
    // file it replaces (`previous`, -1 for none), else the training's own date and start.
    TDateTimeMark SaveStamp(int64_t previous) const;
    void WriteSaved(const std::string& path, const TDateTimeMark& stamp);
    bool OtherTrainingUses(const std::string& path) const;

    // Computes markers 1.. for their ranges and keeps the list sorted with unique ranges.
    void ComputeOtherMarkers();
    // Sorts markers 1.. by first index (the longer first); of equal ranges the later one stays.
    void SortMarkers();
    // Swaps a reversed range and cuts it to the samples; false when there are none.
    bool NormaliseRange(int& first, int& last) const;
    TSampleSums SumsOver(int first, int last) const;
    // The sums of samples first..last from the sums of 1..i for every i.
    static TSampleSums Difference(const std::vector<TSampleSums>& prefix, int first, int last);
    void SetMarkerValues(TKLTMarker& marker, int first, int last, const TSampleSums& sums) const;
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
    TForeignImportOptions importOptions_;
    std::optional<TSampleTableDamage> damage_;

    TKLTTrainingsBereiche zones_;
    std::vector<IKLTFileView*> views_;
    int useCount_ = 0;
    int updateDepth_ = 0;
    int pendingChanges_ = 0;
    bool selectionActive_ = false;
    int selectionFirst_ = 0;
    int selectionLast_ = 0;
    struct TMovingAverageCache {
        int kind = 0, window = -1, before = 0, after = 0, first = 0, last = -1;
        int64_t sum = 0;
    } movingAverage_;
};

} // namespace klt
