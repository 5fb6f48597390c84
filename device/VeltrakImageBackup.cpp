// The backup file of a memory image that could not be converted, so that no recording is lost.
#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <utility>

#include "core/BinaryFile.h"
#include "core/Exceptions.h"
#include "core/KLTDatabase.h"
#include "device/VeltrakImage.h"
#include "device/VeltrakRecords.h"
#include "device/genv/MemoryV.h"

namespace klt {

namespace {

constexpr std::array<char, 8> kMagic = {'K', 'L', 'T', 'I', 'M', 'A', 'G', 'E'};
constexpr char kFormat = '4';
// Generation V: the 64-byte blocks, each after a byte that is 1 when it stayed garbled.
constexpr char kBlockFormat = '5';
constexpr size_t kStatusSize = 535;
constexpr size_t kInitialsSize = 21;
constexpr size_t kMaxRecords = TPagedArrayBase::kMaxCount;
constexpr size_t kStoredBlockSize = 1 + kMemoryVBlockSize;
constexpr size_t kMaxBlocks = 0xFFFF; // counted in HeapCount
constexpr size_t kMaxFileSize =
    kMagic.size() + 3 + kStatusSize + std::max(kMaxRecords * kVeltrakRecordSize, kMaxBlocks * kStoredBlockSize);

// The status block: the fields the records are read with, little-endian, the rest zero.
class TStatusBlock {
public:
    std::array<uint8_t, kStatusSize> bytes{};

    void Put(size_t& at, uint32_t value, size_t width) {
        for (size_t i = 0; i < width; ++i) {
            bytes[at++] = static_cast<uint8_t>(value >> (8 * i));
        }
    }
    uint32_t Get(size_t& at, size_t width) const {
        uint32_t value = 0;
        for (size_t i = 0; i < width; ++i) {
            value |= static_cast<uint32_t>(bytes[at++]) << (8 * i);
        }
        return value;
    }
};

// Walks the status fields in their stored order; one list serves both directions.
template <typename TField> void StatusFields(TField&& field) {
    field("SWVersion", 2);
    field("HWVersion", 1);
    field("Initialen", kInitialsSize);
    field("Zaehler", 1);
    field("Nenner", 1);
    field("ClockDay", 2);
    field("ClockTime", 4);
    field("Radumfang", 2);
    field("SteigungUsed", 2);
    field("NullstelleUsed", 2);
    field("HeapSize", 2);
    field("HeapCount", 2);
    field("HeapCountUpper", 2);
}

TStatusBlock EncodeStatus(const TVeltrakStatus& status) {
    TStatusBlock block;
    size_t at = 0;
    StatusFields([&](std::string_view name, size_t width) {
        if (name == "Initialen") {
            const std::string text = status.Initialen().substr(0, kInitialsSize - 1);
            block.bytes[at] = static_cast<uint8_t>(text.size());
            std::memcpy(block.bytes.data() + at + 1, text.data(), text.size());
            at += width;
            return;
        }
        const uint32_t value = name == "SWVersion"        ? status.SWVersion()
                               : name == "HWVersion"      ? static_cast<uint32_t>(status.HWVersion())
                               : name == "Zaehler"        ? status.AbspeicherZeitZaehler()
                               : name == "Nenner"         ? status.AbspeicherZeitNenner()
                               : name == "ClockDay"       ? status.ClockDay
                               : name == "ClockTime"      ? static_cast<uint32_t>(status.ClockTime)
                               : name == "Radumfang"      ? static_cast<uint16_t>(status.Radumfang)
                               : name == "SteigungUsed"   ? static_cast<uint16_t>(status.SteigungUsed)
                               : name == "NullstelleUsed" ? static_cast<uint16_t>(status.NullstelleUsed)
                               : name == "HeapSize"       ? status.HeapSize
                               : name == "HeapCount"      ? status.HeapCount
                                                          : status.HeapCountUpper;
        block.Put(at, value, width);
    });
    return block;
}

void DecodeStatus(const TStatusBlock& block, TVeltrakStatus& status) {
    size_t at = 0;
    uint8_t numerator = 0;
    StatusFields([&](std::string_view name, size_t width) {
        if (name == "Initialen") {
            const size_t length = std::min<size_t>(block.bytes[at], kInitialsSize - 1);
            status.SetInitialen(
                std::string(reinterpret_cast<const char*>(block.bytes.data() + at + 1), length));
            at += width;
            return;
        }
        const uint32_t value = block.Get(at, width);
        if (name == "SWVersion") {
            status.SetSWVersion(static_cast<uint16_t>(value));
        } else if (name == "HWVersion") {
            const auto last = static_cast<uint32_t>(TVeltrakHWVersion::HWVersionEntwicklung);
            status.SetHWVersion(static_cast<TVeltrakHWVersion>(std::min(value, last)));
        } else if (name == "Zaehler") {
            numerator = static_cast<uint8_t>(value);
        } else if (name == "Nenner") {
            status.SetAbspeicherZeitBruch(numerator, static_cast<uint8_t>(value));
        } else if (name == "ClockDay") {
            status.ClockDay = static_cast<uint16_t>(value);
        } else if (name == "ClockTime") {
            status.ClockTime = static_cast<int32_t>(value);
        } else if (name == "Radumfang") {
            status.Radumfang = static_cast<int16_t>(value);
        } else if (name == "SteigungUsed") {
            status.SteigungUsed = static_cast<int16_t>(value);
        } else if (name == "NullstelleUsed") {
            status.NullstelleUsed = static_cast<int16_t>(value);
        } else if (name == "HeapSize") {
            status.HeapSize = static_cast<uint16_t>(value);
        } else if (name == "HeapCount") {
            status.HeapCount = static_cast<uint16_t>(value);
        } else {
            status.HeapCountUpper = static_cast<uint16_t>(value);
        }
    });
}

uint16_t ReadU16(const std::vector<uint8_t>& data, size_t at) {
    return static_cast<uint16_t>(data[at] | (data[at + 1] << 8));
}

// Grows with what the file holds: most backups are a few kilobytes, and zeroing the largest
// possible one for each would cost more than reading it.
std::vector<uint8_t> ReadCapped(const std::string& fileName) {
    TBinaryReader reader(fileName);
    std::vector<uint8_t> data;
    constexpr size_t kChunk = 64 * 1024;
    while (data.size() <= kMaxFileSize) {
        const size_t had = data.size();
        data.resize(had + std::min(kChunk, kMaxFileSize + 1 - had));
        const size_t got = reader.ReadSome(data.data() + had, data.size() - had);
        data.resize(had + got);
        if (got == 0) {
            break;
        }
    }
    return data;
}

} // namespace

void TVeltrakImage::ClearImage() {
    Clear();
    records_.SetCount(0);
    headers_.clear();
    counters_ = {};
    blockMemory_.clear();
    garbledBlocks_.clear();
}

std::string TVeltrakImage::BackupFileName(const std::string& databaseDir) const {
    if (databaseDir.empty()) {
        throw EKLTFileDatabaseError("No training database is set up to receive the memory image.");
    }
    const std::string dir = databaseDir + "/" + FindIgnoringCase(databaseDir, "KLTIMAGE");
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error) {
        throw EInOutError("Cannot create the folder " + dir + ": " + error.message());
    }
    const uint16_t day = headers_.empty() ? ClockDay : headers_.front().startDay;
    const std::string initials = headers_.empty() ? Initialen() : headers_.front().initials;
    // A suffix letter as training files have, so a second image of the same day never replaces
    // the backup of the first.
    const std::string stem = CanonicalStem(initials, day);
    for (char suffix : kSuffixLetters) {
        const std::string name = stem + suffix + ".kli";
        if (!std::filesystem::exists(dir + "/" + FindIgnoringCase(dir, name))) {
            return dir + "/" + name;
        }
    }
    throw EInOutError("Every backup name for " + stem + " in " + dir + " is taken.");
}

void TVeltrakImage::SaveBackup(const std::string& fileName) const {
    TVeltrakStatus status = *this;
    const bool blocks = !blockMemory_.empty();
    if (blocks) {
        status.HeapCount = static_cast<uint16_t>(blockMemory_.size() / kMemoryVBlockSize);
        status.HeapCountUpper = 0;
    }
    const TStatusBlock block = EncodeStatus(status);
    TAtomicFileWriter writer(fileName);
    writer.Write(kMagic.data(), kMagic.size());
    writer.WriteU8(static_cast<uint8_t>(blocks ? kBlockFormat : kFormat));
    writer.WriteU16(static_cast<uint16_t>(kStatusSize + 2));
    writer.Write(block.bytes.data(), block.bytes.size());
    if (blocks) {
        for (size_t i = 0; i < status.HeapCount; ++i) {
            const bool garbled = std::find(garbledBlocks_.begin(), garbledBlocks_.end(), i) != garbledBlocks_.end();
            writer.WriteU8(garbled ? 1 : 0);
            writer.Write(blockMemory_.data() + i * kMemoryVBlockSize, kMemoryVBlockSize);
        }
    }
    for (int i = 0; i < records_.Count(); ++i) {
        writer.Write(records_.Items(i), kVeltrakRecordSize);
    }
    writer.Commit();
}

bool TVeltrakImage::LoadBackup(const std::string& fileName, const TVeltrakTrainingLimits& limits,
                               const TExceptionHandler& handler) {
    ClearImage();
    const std::vector<uint8_t> data = ReadCapped(fileName);
    if (data.size() < kMagic.size() + 3 || !std::equal(kMagic.begin(), kMagic.end(), data.begin())) {
        return false;
    }
    // Newer files carry a format character before the length; older ones have the length right
    // after the magic, whose low byte is then zero.
    const uint8_t format = data[kMagic.size()];
    const bool blocks = format == kBlockFormat;
    const bool withFormat = blocks || format == '3' || format == '4';
    if (!withFormat && format != 0) {
        return false;
    }
    const size_t lengthAt = kMagic.size() + (withFormat ? 1 : 0);
    const size_t length = ReadU16(data, lengthAt);
    if (length < 2 || length > kStatusSize + 2) {
        return false;
    }
    const size_t statusAt = lengthAt + 2;
    const size_t statusSize = length - 2;
    if (data.size() < statusAt + statusSize) {
        return false;
    }
    TStatusBlock block;
    std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(statusAt), statusSize, block.bytes.begin());
    TVeltrakStatus status;
    DecodeStatus(block, status);
    const size_t recordsAt = statusAt + statusSize;
    const std::span<const uint8_t> rest = std::span<const uint8_t>(data).subspan(recordsAt);
    if (blocks) {
        const size_t count = status.HeapCount;
        if (status.HeapCountUpper != 0 || rest.size() != count * kStoredBlockSize) {
            return false;
        }
        static_cast<TVeltrakStatus&>(*this) = status;
        std::vector<uint8_t> memory;
        std::vector<size_t> garbled;
        for (size_t i = 0; i < count; ++i) {
            const auto stored = rest.subspan(i * kStoredBlockSize, kStoredBlockSize);
            if (stored[0] > 1) {
                ClearImage();
                return false;
            }
            if (stored[0] == 1) {
                garbled.push_back(i);
            }
            memory.insert(memory.end(), stored.begin() + 1, stored.end());
        }
        SetBlockMemory(std::move(memory), std::move(garbled));
        return true;
    }
    const size_t count = static_cast<size_t>(status.HeapCount) + status.HeapCountUpper;
    if (count > kMaxRecords || rest.size() != count * kVeltrakRecordSize) {
        return false;
    }
    static_cast<TVeltrakStatus&>(*this) = status;
    SetMemory(rest);
    Parse(limits, handler);
    return true;
}

} // namespace klt
