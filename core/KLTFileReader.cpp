// Reading a training file of any version, phase by phase. The phase a read fails in is part of the
// message the user sees, so every step below sets it before it touches the file.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <string>

#include "core/BinaryFile.h"
#include "core/CodePage850.h"
#include "core/Exceptions.h"
#include "core/KLTFile.h"
#include "core/Utf8Chars.h"
#include "core/Texts.h"

namespace klt {

class TKLTFileReader {
public:
    TKLTFileReader(TKLTFile& file, bool headerOnly) : f_(file), headerOnly_(headerOnly) {}

    void Read() {
        try {
            ReadPhases();
        } catch (EInOutError& e) {
            e.SetMessage(FormatText(LoadText(271), {std::to_string(phase_)}) + "\n\r" + e.Message() + "\n\r" +
                         " ID:" + std::to_string(f_.header_.markerCountField));
            e.SetHelpContext(0);
            f_.Clear();
            throw;
        } catch (...) {
            f_.Clear();
            throw;
        }
    }

private:
    static constexpr int kMarkerFieldsSize = 15; // active flag, first, last, four averages, a zero word

    char Version() const { return f_.header_.Version(); }
    bool IsOldVersion() const { return Version() < '5'; }          // " ", "2" .. "4"
    bool HasShortMarkerNames() const { return Version() <= '5'; } // 3-byte names up to "5"
    bool HasPackedSamples() const { return Version() < '7'; }     // 5-byte records

    void ReadPhases() {
        phase_ = 1;
        TBinaryReader in(f_.fileName_);
        f_.stamp_ = in.ModificationStamp();

        phase_ = 2;
        ReadHeader(in);

        phase_ = 3;
        char comment[TKLTFile::kCommentLength + 1];
        in.Read(comment, sizeof comment);
        const size_t length = std::min<size_t>(static_cast<uint8_t>(comment[0]), TKLTFile::kCommentLength);
        f_.comment_ = Cp850ToUtf8(std::string_view(comment + 1, length));

        ReadMarkers(in);

        phase_ = 10;
        const int blockCount = headerBlockCount_;
        if (blockCount > TKLTFile::kMaxBlocks) {
            throw EKLTFileInOutError("Too many blocks");
        }
        f_.blocks_.assign(static_cast<size_t>(blockCount), TKLTBlock{});
        phase_ = 11;
        for (TKLTBlock& block : f_.blocks_) {
            block.start = in.ReadU32();
            block.count = in.ReadU16();
        }

        phase_ = 12;
        f_.header_.zeroOffset = in.ReadU16();
        f_.header_.slope = in.ReadU16();
        sampleCount_ = std::min<int>(in.ReadU16(), TKLTFile::kMaxSamples);
        f_.header_.oldIntervalByte = in.ReadU8();
        if (headerOnly_) {
            FinishHeaderOnly(in);
            return;
        }

        phase_ = 13;
        std::unique_ptr<TPagedDataArrayOldDataFormat> packed;
        if (HasPackedSamples()) {
            packed = std::make_unique<TPagedDataArrayOldDataFormat>(5);
            packed->ReadFromFile(in, 0, sampleCount_);
        } else {
            f_.samples_.ReadFromFile(in, 1, sampleCount_);
        }

        phase_ = 14;
        if ((f_.header_.flags & TKLTHeader::kFlagExtraHeader) != 0) {
            try {
                f_.extraHeader_.ReadFromFile(in);
            } catch (const EInOutError&) {
                f_.extraHeader_ = TExtraHeader{};
            }
        }

        phase_ = 15;
        in.Close();
        if (IsOldVersion()) {
            ConvertOldVersion();
        }
        if (packed) {
            UnpackSamples(*packed);
        }

        phase_ = 16;
        f_.DeriveInterval();

        phase_ = 17;
        f_.ComputeMarker(*f_.markers_.front(), 1, f_.SampleCount());

        phase_ = 18;
        f_.ComputeOtherMarkers();

        phase_ = 19;
        if (IsOldVersion()) {
            // Old versions count as modified so that saving brings them to the current version.
            f_.modificationMark_ = f_.header_.date == kNoDate
                                       ? TDateTimeMark::Now()
                                       : TDateTimeMark{f_.header_.date, f_.markers_.front()->startTime};
        } else {
            f_.modificationMark_ = TDateTimeMark::None();
        }

        phase_ = 20;
        f_.loadState_ = TLoadState::Loaded;
        phase_ = 21;
    }

    // What a list of trainings needs without reading samples: dates, times and names.
    void FinishHeaderOnly(TBinaryReader& in) {
        in.Close();
        if (IsOldVersion()) {
            ConvertOldVersion();
        }
        f_.DeriveInterval();
        TKLTMarker& whole = *f_.markers_.front();
        whole.first = sampleCount_ > 0 ? 1 : 0;
        whole.last = sampleCount_;
        whole.interval = f_.interval_;
        whole.startTime = f_.SampleTime(1);
        whole.endTime = static_cast<int32_t>(int64_t{f_.SampleTime(std::max(sampleCount_, 1))} + f_.interval_ - 1);
        f_.loadState_ = TLoadState::Requested;
    }

    void ReadHeader(TBinaryReader& in) {
        TKLTHeader& h = f_.header_;
        in.Read(h.magic.data(), h.magic.size());
        h.date = in.ReadU16();
        h.circumference = in.ReadU16();
        h.intervalNumerator = in.ReadU8();
        h.intervalDenominator = in.ReadU8();
        headerBlockCount_ = in.ReadU16();
        h.markerCountField = in.ReadU16();
        h.flags = in.ReadU8();
        if (std::memcmp(h.magic.data(), "Ok19", 4) == 0) {
            h.magic = {'K', 'L', 'T', ' '};
        }
        const char v = h.Version();
        if (std::memcmp(h.magic.data(), "KLT", 3) != 0 || !(v == ' ' || (v >= '2' && v <= '8'))) {
            throw EKLTFileInOutError("Header");
        }
    }

    void ReadMarkers(TBinaryReader& in) {
        const size_t nameLength = HasShortMarkerNames() ? 3 : TKLTFile::kMarkerNameLength;
        std::string name(nameLength, '\0');
        uint8_t fields[kMarkerFieldsSize];
        auto readRecord = [&](int namePhase) {
            phase_ = namePhase;
            in.Read(name.data(), nameLength);
            phase_ = namePhase + 1;
            in.Read(fields, sizeof fields);
        };
        auto word = [&](int at) { return static_cast<int>(fields[at] | fields[at + 1] << 8); };
        auto markerName = [&] { return TrimText(Cp850ToUtf8(std::string_view(name.c_str()))); };

        readRecord(4);
        phase_ = 5;
        f_.InsertMarker(TKLTMarker(markerName(), 0, 0));

        for (int i = 0; i < f_.header_.markerCountField; ++i) {
            readRecord(6);
            if (fields[0] == 0) {
                continue; // inactive markers are dropped
            }
            phase_ = 8;
            TKLTMarker marker(markerName(), word(1), word(3));
            phase_ = 9;
            f_.InsertMarker(marker);
        }
    }

    // Files before version 5 knew no circumference, kept the interval in whole seconds and gave
    // markers an end one past their last sample.
    void ConvertOldVersion() {
        TKLTHeader& h = f_.header_;
        h.circumference = 0;
        h.intervalNumerator = h.oldIntervalByte;
        h.intervalDenominator = 1;
        for (size_t i = 1; i < f_.markers_.size(); ++i) {
            TKLTMarker& m = *f_.markers_[i];
            if (m.last <= sampleCount_ && m.last > m.first) {
                --m.last;
            }
        }
        const std::string baseName = BaseName(f_.fileName_);
        h.date = DateFromFileName(baseName);
        TKLTMarker& first = *f_.markers_.front();
        if (first.name.empty() && !baseName.empty()) {
            first.name = baseName.substr(0, 1);
        }
    }

    void UnpackSamples(TPagedDataArrayOldDataFormat& packed) {
        f_.SetSampleCount(sampleCount_);
        const bool old = IsOldVersion();
        for (int i = 0; i < sampleCount_; ++i) {
            const uint8_t* r = packed.Items(i);
            int watts, speedUnits, cadence, heartRate;
            if (old) {
                // power W (16 bits), cadence, speed km/h in bits 0-6, heart rate
                watts = std::min(r[0] | r[1] << 8, TSampleElement::kMaxPowerWatts);
                cadence = r[2];
                speedUnits = (r[3] & 0x7F) * 10000 / 36 / 32;
                heartRate = r[4];
            } else {
                // speed in 32 mm/s over bytes 0-1, power W over bytes 1-2
                speedUnits = (r[0] & 0x7F) | (r[1] >> 4) << 7;
                watts = (r[1] & 0x0F) | r[2] << 4;
                cadence = r[3];
                heartRate = r[4];
            }
            f_.Sample(i + 1).SetShort(watts * 8, cadence * 32, heartRate * 64, speedUnits * 32);
        }
    }

    static std::string BaseName(const std::string& path) {
        const auto slash = path.rfind('/');
        return slash == std::string::npos ? path : path.substr(slash + 1);
    }

    // An initial followed by day, month and two-digit year, as old files were named.
    static uint16_t DateFromFileName(const std::string& name) {
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

    TKLTFile& f_;
    bool headerOnly_;
    int phase_ = 0;
    int headerBlockCount_ = 0;
    int sampleCount_ = 0;
};

void TKLTFile::ReadFile() {
    Clear();
    loadState_ = TLoadState::Requested;
    TKLTFileReader(*this, false).Read();
}

void TKLTFile::ReadHeader() {
    Clear();
    TKLTFileReader(*this, true).Read();
}

} // namespace klt
