#include "core/KLTFile.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "core/Exceptions.h"
#include "core/Utf8Chars.h"
#include "core/SampleSums.h"

namespace klt {

TKLTFile::TKLTFile(std::string fileName) : fileName_(std::move(fileName)) { Clear(); }


void TKLTFile::Clear() {
    header_ = TKLTHeader{};
    comment_.clear();
    markers_.clear();
    blocks_.clear();
    samples_.SetCount(0); // no page at all: the registry caches thousands of header-only objects
    extraHeader_ = TExtraHeader{};
    zones_ = TKLTTrainingsBereiche{};
    interval_ = 100;
    timeFormat_ = TZeitFormat::ZeitFormatHHMMSS;
    loadState_ = TLoadState::Empty;
    stamp_ = -1;
    modificationMark_ = TDateTimeMark::None();
    damage_.reset();
}

std::string TSampleTableDamage::Text() const {
    return "The training file is damaged: it holds " + std::to_string(present) + " of the " +
           std::to_string(counted) + " samples it announces; the missing ones read as zero.";
}

void TKLTFile::SetCommentText(const std::string& comment) {
    comment_ = TrimText(TruncateChars(TrimText(comment), kCommentLength));
}

void TKLTFile::SetBlocks(std::vector<TKLTBlock> blocks) {
    if (blocks.size() > kMaxBlocks) {
        throw EKLTFileInOutError("Too many blocks");
    }
    blocks_ = std::move(blocks);
}

void TKLTFile::SetSampleCount(int count) {
    if (count < 0 || count > kMaxSamples) {
        throw ERangeError("Count of TPagedDataArray out of range");
    }
    samples_.SetCount(count > 0 ? count + 1 : 0); // index 0 is a placeholder
}

int32_t TKLTFile::SampleTime(int index) const {
    int64_t offset = int64_t{index} - 1;
    if (blocks_.empty()) {
        return static_cast<int32_t>(offset * interval_);
    }
    for (size_t b = 0; b + 1 < blocks_.size(); ++b) {
        if (offset < blocks_[b].count) {
            return static_cast<int32_t>(blocks_[b].start + offset * interval_);
        }
        offset -= blocks_[b].count;
    }
    // The last block takes every sample beyond the earlier ones.
    return static_cast<int32_t>(blocks_.back().start + offset * interval_);
}

int TKLTFile::IndexAtTime(int32_t time) const {
    if (time < 0) {
        return 1;
    }
    const int count = SampleCount();
    if (blocks_.empty()) {
        return static_cast<int>(std::min<int64_t>(count, time / SafeInterval() + 1));
    }
    int64_t firstIndex = 1;
    for (const TKLTBlock& block : blocks_) {
        const int64_t end = int64_t{block.start} + int64_t{block.count} * interval_;
        if (end > time) {
            if (time <= static_cast<int64_t>(block.start)) {
                return static_cast<int>(firstIndex);
            }
            return static_cast<int>(firstIndex + (int64_t{time} - block.start) / SafeInterval());
        }
        firstIndex += block.count;
    }
    return std::max(1, count);
}

int TKLTFile::FindMarkerSlot(const TKLTMarker& marker) const {
    if (markers_.empty()) {
        return 0;
    }
    for (int i = MarkerCount() - 1; i >= 1; --i) {
        const TKLTMarker& m = *markers_[static_cast<size_t>(i)];
        if (m.SameRange(marker)) {
            return i;
        }
        // Sorted by first index, the longer of two markers with the same start first.
        if (m.first < marker.first || (m.first == marker.first && m.last > marker.last)) {
            return -(i + 1);
        }
    }
    return -1;
}

TKLTMarker& TKLTFile::InsertMarker(const TKLTMarker& marker) {
    const int slot = FindMarkerSlot(marker);
    if (slot > 0) {
        *markers_[static_cast<size_t>(slot)] = marker;
        return *markers_[static_cast<size_t>(slot)];
    }
    const auto at = markers_.begin() + (slot == 0 ? 0 : -slot);
    return **markers_.insert(at, std::make_unique<TKLTMarker>(marker));
}

void TKLTFile::DeleteMarker(int index) {
    if (index > 0 && index < MarkerCount()) {
        markers_.erase(markers_.begin() + index);
    }
}

void TKLTFile::ComputeMarker(TKLTMarker& marker, int first, int last) const {
    if (!NormaliseRange(first, last)) {
        throw EKLTFileInOutError("No data");
    }
    SetMarkerValues(marker, first, last, SumsOver(first, last));
}

TSampleSums TKLTFile::SumsOver(int first, int last) const {
    TSampleSums sums;
    sums.previousAltitude = Sample(first > 1 ? first - 1 : first).Altitude();
    samples_.ForEachRun(first, last - first + 1, [&](const uint8_t* run, size_t length) {
        sums.AddRun(run, length / TSampleElement::kSize);
    });
    return sums;
}

bool TKLTFile::NormaliseRange(int& first, int& last) const {
    if (first > last) {
        std::swap(first, last);
    }
    first = std::max(first, 1);
    last = std::min(last, SampleCount());
    first = std::min(first, last); // a range beyond the samples shrinks to the last one
    return last > 0;
}

void TKLTFile::SetMarkerValues(TKLTMarker& marker, int first, int last, const TSampleSums& sums) const {
    marker.first = first;
    marker.last = last;
    marker.interval = interval_;
    marker.heartRateFit.reset(); // fitted to the samples as they were
    marker.sumPower = sums.watts * 8;
    marker.sumHeartRate = sums.beats * 64;
    marker.sumSpeed = sums.speed;
    marker.sumCadence = sums.revolutions * 32;
    marker.sumTemperature = sums.temperature;
    marker.climb = sums.climb;
    marker.startTime = SampleTime(first);
    // Wraps like the 32-bit field it is stored in rather than overflowing.
    marker.endTime = static_cast<int32_t>(int64_t{SampleTime(last)} + interval_ - 1);
}

void TKLTFile::DeriveInterval() {
    interval_ = header_.intervalDenominator == 0
                    ? 100
                    : header_.intervalNumerator * 100 / header_.intervalDenominator;
    timeFormat_ = interval_ >= 100 ? TZeitFormat::ZeitFormatHHMMSS : TZeitFormat::ZeitFormatHHMMSSTT;
}

void TKLTFile::ComputeOtherMarkers() {
    // With many markers, sums of samples 1..i for every i make each marker cost the same whatever
    // its length, so a file with tens of thousands of long markers still loads in linear time.
    constexpr size_t kPrefixSumsFrom = 64;
    SortMarkers(); // by the ranges as given first: of two equal ones, the later stays
    std::vector<TSampleSums> prefix;
    if (markers_.size() > kPrefixSumsFrom && SampleCount() > 0) {
        prefix.resize(static_cast<size_t>(SampleCount()) + 1);
        prefix[0].previousAltitude = Sample(1).Altitude();
        for (int i = 1; i <= SampleCount(); ++i) {
            prefix[static_cast<size_t>(i)] = prefix[static_cast<size_t>(i) - 1];
            prefix[static_cast<size_t>(i)].AddRun(Sample(i).bytes, 1);
        }
    }
    for (size_t i = 1; i < markers_.size(); ++i) {
        TKLTMarker& m = *markers_[i];
        int first = m.first;
        int last = m.last;
        if (!NormaliseRange(first, last)) {
            continue; // a marker that no longer fits keeps its range; the file stays usable
        }
        SetMarkerValues(m, first, last, prefix.empty() ? SumsOver(first, last) : Difference(prefix, first, last));
    }
    SortMarkers(); // normalised ranges may have met or changed places
}

TSampleSums TKLTFile::Difference(const std::vector<TSampleSums>& prefix, int first, int last) {
    const TSampleSums& to = prefix[static_cast<size_t>(last)];
    const TSampleSums& before = prefix[static_cast<size_t>(first) - 1];
    TSampleSums sums;
    sums.watts = to.watts - before.watts;
    sums.revolutions = to.revolutions - before.revolutions;
    sums.beats = to.beats - before.beats;
    sums.speed = to.speed - before.speed;
    sums.temperature = to.temperature - before.temperature;
    sums.climb = to.climb - before.climb;
    return sums;
}

void TKLTFile::SortMarkers() {
    // Normalised ranges (a reversed one, say) can break the order or meet another marker's range:
    // sorted by first index, the longer first, and of equal ranges the later marker wins.
    auto before = [](const std::unique_ptr<TKLTMarker>& a, const std::unique_ptr<TKLTMarker>& b) {
        return a->first < b->first || (a->first == b->first && a->last > b->last);
    };
    auto sameRange = [](const auto& a, const auto& b) { return a->SameRange(*b); };
    if (markers_.size() < 2 || (std::is_sorted(markers_.begin() + 1, markers_.end(), before) &&
                                std::adjacent_find(markers_.begin() + 1, markers_.end(), sameRange) == markers_.end())) {
        return;
    }
    std::stable_sort(markers_.begin() + 1, markers_.end(), before);
    std::vector<std::unique_ptr<TKLTMarker>> unique;
    unique.reserve(markers_.size());
    for (auto& marker : markers_) {
        if (unique.size() > 1 && unique.back()->SameRange(*marker)) {
            unique.back() = std::move(marker); // the later one of a range wins
        } else {
            unique.push_back(std::move(marker));
        }
    }
    markers_ = std::move(unique);
}

void TKLTFile::Normalise() {
    DeriveInterval();
    if (markers_.empty()) {
        markers_.push_back(std::make_unique<TKLTMarker>());
    }
    ComputeMarker(*markers_.front(), 1, SampleCount());
    ComputeOtherMarkers();
    if (loadState_ == TLoadState::Empty) {
        loadState_ = TLoadState::Loaded;
    }
}

} // namespace klt
