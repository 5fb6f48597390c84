#include "core/TrainingIndexFormat.h"

#include <cstring>

namespace klt {
namespace {

constexpr char kMagic[] = {'K', 'L', 'T', 'I', 'D', 'X'};
constexpr size_t kMaxText = 4096;
// Length field, name length, size and modification time: the least an entry takes.
constexpr size_t kMinEntrySize = 4 + 2 + 8 + 8;

class TByteWriter {
public:
    void Bytes(const void* data, size_t size) { out_.append(static_cast<const char*>(data), size); }
    template <typename T> void Int(T value) {
        const auto bits = static_cast<uint64_t>(value);
        for (size_t i = 0; i < sizeof(T); ++i) {
            out_.push_back(static_cast<char>(bits >> (8 * i)));
        }
    }
    void Text(const std::string& text) {
        const size_t size = std::min(text.size(), kMaxText);
        Int<uint16_t>(static_cast<uint16_t>(size));
        Bytes(text.data(), size);
    }
    size_t Size() const { return out_.size(); }
    // Puts a 32-bit length at `at` counting everything written after it.
    void PatchLength(size_t at) {
        const auto length = static_cast<uint32_t>(out_.size() - at - 4);
        for (size_t i = 0; i < 4; ++i) {
            out_[at + i] = static_cast<char>(length >> (8 * i));
        }
    }
    std::string Take() { return std::move(out_); }

private:
    std::string out_;
};

struct TDamaged {};

// Reads within its bytes only; anything past them is damage.
class TByteReader {
public:
    explicit TByteReader(std::string_view bytes) : bytes_(bytes) {}
    std::string_view Bytes(size_t size) {
        if (size > bytes_.size() - pos_) {
            throw TDamaged();
        }
        const std::string_view taken = bytes_.substr(pos_, size);
        pos_ += size;
        return taken;
    }
    template <typename T> T Int() {
        const std::string_view raw = Bytes(sizeof(T));
        uint64_t bits = 0;
        for (size_t i = 0; i < sizeof(T); ++i) {
            bits |= uint64_t{static_cast<uint8_t>(raw[i])} << (8 * i);
        }
        return static_cast<T>(bits);
    }
    std::string Text() {
        const uint16_t size = Int<uint16_t>();
        if (size > kMaxText) {
            throw TDamaged();
        }
        return std::string(Bytes(size));
    }
    size_t Remaining() const { return bytes_.size() - pos_; }

private:
    std::string_view bytes_;
    size_t pos_ = 0;
};

std::string EncodeSummary(const TTrainingSummary& s) {
    TByteWriter w;
    w.Int(s.date);
    w.Int(s.startTime);
    w.Int(s.endTime);
    w.Int(s.blockCount);
    for (int64_t value : {s.duration, s.work, s.distance, s.avgPower, s.avgHeartRate, s.avgSpeed, s.avgCadence,
                          s.climb, s.avgTemperature}) {
        w.Int(value);
    }
    w.Int(s.slope);
    w.Int(s.zeroOffset);
    w.Int(s.circumference);
    w.Text(s.initials);
    w.Text(s.comment);
    return w.Take();
}

// Bytes after the known fields are fields of newer programs.
TTrainingSummary DecodeSummary(std::string_view bytes) {
    TByteReader r(bytes);
    TTrainingSummary s;
    s.date = r.Int<uint16_t>();
    s.startTime = r.Int<int32_t>();
    s.endTime = r.Int<int32_t>();
    s.blockCount = r.Int<uint16_t>();
    for (int64_t* value : {&s.duration, &s.work, &s.distance, &s.avgPower, &s.avgHeartRate, &s.avgSpeed,
                           &s.avgCadence, &s.climb, &s.avgTemperature}) {
        *value = r.Int<int64_t>();
    }
    s.slope = r.Int<uint16_t>();
    s.zeroOffset = r.Int<uint16_t>();
    s.circumference = r.Int<uint16_t>();
    s.initials = r.Text();
    s.comment = r.Text();
    return s;
}

void WriteSection(TByteWriter& w, uint16_t tag, const std::string& bytes) {
    w.Int(tag);
    w.Int(static_cast<uint32_t>(bytes.size()));
    w.Bytes(bytes.data(), bytes.size());
}

TIndexEntry DecodeEntry(std::string_view bytes) {
    TByteReader r(bytes);
    TIndexEntry entry;
    entry.name = r.Text();
    if (entry.name.empty() || entry.name.find_first_of(std::string_view("/\0", 2)) != std::string::npos) {
        throw TDamaged();
    }
    entry.size = r.Int<uint64_t>();
    entry.modified = r.Int<int64_t>();
    while (r.Remaining() > 0) {
        TIndexSection section;
        section.tag = r.Int<uint16_t>();
        section.bytes = std::string(r.Bytes(r.Int<uint32_t>()));
        const bool known = section.tag == kSectionSummary || section.tag == kSectionUnreadable;
        if (known && entry.Known()) {
            throw TDamaged(); // says twice what the file is
        }
        if (section.tag == kSectionSummary) {
            entry.summary = DecodeSummary(section.bytes);
        } else if (section.tag == kSectionUnreadable) {
            entry.unreadable = true;
        } else {
            entry.otherSections.push_back(std::move(section));
        }
    }
    return entry;
}

} // namespace

std::string EncodeTrainingIndex(const std::vector<TIndexEntry>& entries) {
    TByteWriter w;
    w.Bytes(kMagic, sizeof kMagic);
    w.Int(kTrainingIndexVersion);
    w.Int(static_cast<uint32_t>(entries.size()));
    for (const TIndexEntry& entry : entries) {
        const size_t lengthAt = w.Size();
        w.Int(uint32_t{0});
        w.Text(entry.name);
        w.Int(entry.size);
        w.Int(entry.modified);
        if (entry.summary) {
            WriteSection(w, kSectionSummary, EncodeSummary(*entry.summary));
        } else if (entry.unreadable) {
            WriteSection(w, kSectionUnreadable, {});
        }
        for (const TIndexSection& section : entry.otherSections) {
            WriteSection(w, section.tag, section.bytes);
        }
        w.PatchLength(lengthAt);
    }
    return w.Take();
}

std::optional<std::vector<TIndexEntry>> DecodeTrainingIndex(std::string_view bytes) {
    if (bytes.size() > kMaxTrainingIndexSize) {
        return std::nullopt;
    }
    try {
        TByteReader r(bytes);
        if (std::memcmp(r.Bytes(sizeof kMagic).data(), kMagic, sizeof kMagic) != 0 ||
            r.Int<uint16_t>() != kTrainingIndexVersion) {
            return std::nullopt;
        }
        const uint32_t count = r.Int<uint32_t>();
        // Checked before anything is reserved: a count the bytes cannot hold is damage.
        if (count > kMaxTrainingIndexEntries || count > r.Remaining() / kMinEntrySize) {
            return std::nullopt;
        }
        std::vector<TIndexEntry> entries;
        entries.reserve(count);
        for (uint32_t i = 0; i < count; ++i) {
            entries.push_back(DecodeEntry(r.Bytes(r.Int<uint32_t>())));
        }
        if (r.Remaining() != 0) {
            return std::nullopt;
        }
        return entries;
    } catch (const TDamaged&) {
        return std::nullopt;
    }
}

} // namespace klt
