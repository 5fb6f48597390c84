#include "core/KLTFileRecords.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "core/BinaryFile.h"
#include "core/CodePage850.h"
#include "core/Exceptions.h"
#include "core/KLTDate.h"
#include "core/Utf8Chars.h"

namespace klt {
namespace {

std::string BaseName(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

uint16_t DateFromFileName(const std::string& name) {
    if (name.size() < 7) {
        return kNoDate;
    }
    int digits[6];
    for (int i = 0; i < 6; ++i) {
        const char c = name[static_cast<size_t>(i) + 1];
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            return kNoDate;
        }
        digits[i] = c - '0';
    }
    const int year2 = digits[4] * 10 + digits[5];
    const TCivilDate date{year2 >= 80 ? 1900 + year2 : 2000 + year2, digits[2] * 10 + digits[3],
                          digits[0] * 10 + digits[1]};
    if (!IsValidCivilDate(date)) {
        return kNoDate;
    }
    const int32_t days = DaysSince1880(date);
    return days >= 0 && days < kNoDate ? static_cast<uint16_t>(days) : kNoDate;
}

// Fill bytes (0x00, 0xFF) and control characters are no text: what a program left in a field it
// never filled in would show as letters of the code page.
std::string TextBytes(std::string_view bytes) {
    std::string text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F && byte != 0xFF) {
            text.push_back(c);
        }
    }
    return text;
}

} // namespace

uint16_t ReadHeaderRecord(TBinaryReader& in, TKLTHeader& header) {
    in.Read(header.magic.data(), header.magic.size());
    header.date = in.ReadU16();
    header.circumference = in.ReadU16();
    header.intervalNumerator = in.ReadU8();
    header.intervalDenominator = in.ReadU8();
    const uint16_t blockCount = in.ReadU16();
    header.markerCountField = in.ReadU16();
    header.flags = in.ReadU8();
    if (std::memcmp(header.magic.data(), "Ok19", 4) == 0) {
        header.magic = {'K', 'L', 'T', ' '};
    }
    const char v = header.Version();
    if (std::memcmp(header.magic.data(), "KLT", 3) != 0 || !(v == ' ' || (v >= '2' && v <= '8'))) {
        throw EKLTFileInOutError("Header");
    }
    return blockCount;
}

void WriteHeaderRecord(TAtomicFileWriter& out, const TKLTHeader& header, uint16_t blockCount) {
    out.Write(header.magic.data(), header.magic.size());
    out.WriteU16(header.date);
    out.WriteU16(header.circumference);
    out.WriteU8(header.intervalNumerator);
    out.WriteU8(header.intervalDenominator);
    out.WriteU16(blockCount);
    out.WriteU16(header.markerCountField);
    out.WriteU8(header.flags);
}

std::string ReadCommentField(TBinaryReader& in) {
    char comment[TKLTFile::kCommentLength + 1];
    in.Read(comment, sizeof comment);
    const size_t length = std::min<size_t>(static_cast<uint8_t>(comment[0]), TKLTFile::kCommentLength);
    return Cp850ToUtf8(TextBytes(std::string_view(comment + 1, length)));
}

void WriteCommentField(TAtomicFileWriter& out, const std::string& comment) {
    char field[TKLTFile::kCommentLength + 1] = {};
    const std::string oem = Utf8ToCp850(comment);
    const size_t length = std::min<size_t>(oem.size(), TKLTFile::kCommentLength);
    field[0] = static_cast<char>(length);
    std::memcpy(field + 1, oem.data(), length);
    out.Write(field, sizeof field);
}

void ReadMarkerName(TBinaryReader& in, size_t length, TStructurArray& record) {
    std::string name(length, '\0');
    in.Read(name.data(), length);
    record.name = Cp850ToUtf8(TextBytes(std::string_view(name.c_str())));
}

void ReadMarkerFields(TBinaryReader& in, TStructurArray& record) {
    uint8_t fields[15];
    in.Read(fields, sizeof fields);
    auto word = [&](size_t at) { return static_cast<uint16_t>(fields[at] | fields[at + 1] << 8); };
    record.active = fields[0];
    record.first = word(1);
    record.last = word(3);
    for (size_t i = 0; i < record.words.size(); ++i) {
        record.words[i] = word(5 + 2 * i);
    }
}

void WriteMarkerRecord(TAtomicFileWriter& out, const TStructurArray& record) {
    char name[TKLTFile::kMarkerNameLength] = {};
    const std::string oem = Utf8ToCp850(record.name);
    std::memcpy(name, oem.data(), std::min(oem.size(), sizeof name));
    out.Write(name, sizeof name);
    out.WriteU8(record.active);
    out.WriteU16(record.first);
    out.WriteU16(record.last);
    for (const uint16_t word : record.words) {
        out.WriteU16(word);
    }
}

void CheckBlockCount(size_t count) {
    // Keeps the block table below 64 KiB, as every program reading these files expects.
    if (count > TKLTFile::kMaxBlocks) {
        throw EKLTFileInOutError("Too many blocks");
    }
}

TKLTBlock ReadBlockRecord(TBinaryReader& in) {
    TKLTBlock block;
    block.start = in.ReadU32();
    block.count = in.ReadU16();
    return block;
}

void WriteBlockRecord(TAtomicFileWriter& out, const TKLTBlock& block) {
    out.WriteU32(block.start);
    out.WriteU16(block.count);
}

int ReadCalibrationRecord(TBinaryReader& in, TKLTHeader& header) {
    header.zeroOffset = in.ReadU16();
    header.slope = in.ReadU16();
    const int sampleCount = std::min<int>(in.ReadU16(), TKLTFile::kMaxSamples);
    header.oldIntervalByte = in.ReadU8();
    return sampleCount;
}

void WriteCalibrationRecord(TAtomicFileWriter& out, const TKLTHeader& header, int sampleCount) {
    out.WriteU16(header.zeroOffset);
    out.WriteU16(header.slope);
    out.WriteU16(static_cast<uint16_t>(sampleCount));
    out.WriteU8(header.oldIntervalByte);
}

TPackedSample DecodePackedSample(const uint8_t* r, char version) {
    TPackedSample s;
    int speedUnits = 0; // 32 mm/s
    if (IsOldVersion(version)) {
        // power W (16 bits), cadence, speed km/h in bits 0-6, heart rate
        s.watts = std::min(r[0] | r[1] << 8, TSampleElement::kMaxPowerWatts);
        s.cadence = r[2];
        speedUnits = (r[3] & 0x7F) * 10000 / 36 / 32;
        s.heartRate = r[4];
    } else {
        // speed in 32 mm/s over bytes 0-1, power W over bytes 1-2
        speedUnits = (r[0] & 0x7F) | (r[1] >> 4) << 7;
        s.watts = (r[1] & 0x0F) | r[2] << 4;
        s.cadence = r[3];
        s.heartRate = r[4];
    }
    s.speed = speedUnits * 32;
    return s;
}

void ConvertOldHeader(TKLTHeader& header, const std::string& path) {
    header.circumference = 0;
    header.intervalNumerator = header.oldIntervalByte;
    header.intervalDenominator = 1;
    header.date = DateFromFileName(BaseName(path));
}

int ConvertOldMarkerLast(int first, int last, int sampleCount) {
    return last <= sampleCount && last > first ? last - 1 : last;
}

std::string OldInitials(const std::string& initials, const std::string& path) {
    const std::string baseName = BaseName(path);
    return TrimText(initials).empty() && !baseName.empty() ? baseName.substr(0, 1) : initials;
}

} // namespace klt
