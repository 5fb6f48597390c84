#pragma once
// The bytes of the index a month folder of the training database keeps of its trainings
// (docs/training-index.md). The index is a cache: every reader treats it as hostile, and whatever
// it cannot take is rebuilt from the trainings themselves.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/TrainingSummary.h"

namespace klt {

// Not a training name ("*.klt"), and hidden like the program's other files of its own.
inline constexpr std::string_view kTrainingIndexName = ".kltindex";
inline constexpr uint16_t kTrainingIndexVersion = 1;
inline constexpr size_t kMaxTrainingIndexSize = 16 * 1024 * 1024;
inline constexpr uint32_t kMaxTrainingIndexEntries = 100000;

// Section tags of an entry; a reader keeps sections it does not know and skips them.
enum TIndexSectionTag : uint16_t {
    kSectionSummary = 1,    // TTrainingSummary
    kSectionUnreadable = 2, // the file is no training that can be read (no content)
};

struct TIndexSection {
    uint16_t tag = 0;
    std::string bytes;
    bool operator==(const TIndexSection&) const = default;
};

struct TIndexEntry {
    std::string name;     // file name in the month folder, as spelled on disk
    uint64_t size = 0;    // bytes
    int64_t modified = 0; // modification time, ns since the epoch
    std::optional<TTrainingSummary> summary;
    bool unreadable = false;
    std::vector<TIndexSection> otherSections; // of newer programs, kept while the file stays the same

    // Whether the entry says what the file is; one that does not is read again.
    bool Known() const { return summary.has_value() || unreadable; }
    bool operator==(const TIndexEntry&) const = default;
};

std::string EncodeTrainingIndex(const std::vector<TIndexEntry>& entries);
// Nothing for bytes that are no index of this version, are cut short or break a limit.
std::optional<std::vector<TIndexEntry>> DecodeTrainingIndex(std::string_view bytes);

} // namespace klt
