// Reading a training file of any version, phase by phase. The phase a read fails in is part of the
// message the user sees, so every step below sets it before it touches the file.
#include <algorithm>
#include <memory>
#include <string>

#include "core/BinaryFile.h"
#include "core/Exceptions.h"
#include "core/KLTFile.h"
#include "core/KLTFileRecords.h"
#include "core/Texts.h"
#include "core/Utf8Chars.h"

namespace klt {

class TKLTFileReader {
public:
    TKLTFileReader(TKLTFile& file, bool headerOnly) : f_(file), headerOnly_(headerOnly) {}

    void Read() {
        try {
            ReadPhases();
        } catch (EInOutError& e) {
            // Lines end with a plain line feed here: a carriage return would garble terminals and logs.
            e.SetMessage(FormatText(LoadText(271), {std::to_string(phase_)}) + "\n" + e.Message() + "\n" +
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
    char Version() const { return f_.header_.Version(); }

    void ReadPhases() {
        phase_ = 1;
        TBinaryReader in(f_.fileName_);
        f_.stamp_ = in.ModificationStamp();

        phase_ = 2;
        const uint16_t blockCount = ReadHeaderRecord(in, f_.header_);

        phase_ = 3;
        f_.comment_ = ReadCommentField(in);

        ReadMarkers(in);

        phase_ = 10;
        CheckBlockCount(blockCount);
        f_.blocks_.assign(blockCount, TKLTBlock{});
        phase_ = 11;
        for (TKLTBlock& block : f_.blocks_) {
            block = ReadBlockRecord(in);
        }

        phase_ = 12;
        sampleCount_ = ReadCalibrationRecord(in, f_.header_);
        if (headerOnly_) {
            FinishHeaderOnly(in);
            return;
        }

        phase_ = 13;
        std::unique_ptr<TPagedDataArrayOldDataFormat> packed;
        size_t arrived = 0;
        if (HasPackedSamples(Version())) {
            packed = std::make_unique<TPagedDataArrayOldDataFormat>(5);
            arrived = packed->ReadFromFile(in, 0, sampleCount_);
        } else {
            f_.samples_.SetCount(1); // the placeholder before sample 1
            arrived = f_.samples_.ReadFromFile(in, 1, sampleCount_);
        }
        NoteMissingSamples(arrived);

        phase_ = 14;
        if (HasExtraHeader()) {
            try {
                f_.extraHeader_.ReadFromFile(in);
            } catch (const EInOutError&) {
                f_.extraHeader_ = TExtraHeader{};
            }
        }

        phase_ = 15;
        in.Close();
        if (IsOldVersion(Version())) {
            ConvertOldVersion();
        }
        if (packed) {
            UnpackSamples(*packed, arrived);
        }

        phase_ = 16;
        f_.DeriveInterval();

        phase_ = 17;
        f_.ComputeMarker(*f_.markers_.front(), 1, f_.SampleCount());

        phase_ = 18;
        f_.ComputeOtherMarkers();

        phase_ = 19;
        if (IsOldVersion(Version())) {
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
        if (IsOldVersion(Version())) {
            ConvertOldVersion();
        }
        f_.DeriveInterval();
        f_.SortMarkers();
        TKLTMarker& whole = *f_.markers_.front();
        whole.first = sampleCount_ > 0 ? 1 : 0;
        whole.last = sampleCount_;
        whole.interval = f_.interval_;
        whole.startTime = f_.SampleTime(1);
        whole.endTime = static_cast<int32_t>(int64_t{f_.SampleTime(std::max(sampleCount_, 1))} + f_.interval_ - 1);
        f_.loadState_ = TLoadState::Requested;
    }

    // A table cut short, or a count beyond the samples, still loads as the format says; the file
    // is marked damaged with the samples it really holds.
    void NoteMissingSamples(size_t arrived) {
        const size_t recordSize = HasPackedSamples(Version()) ? 5 : TSampleElement::kSize;
        if (arrived >= static_cast<size_t>(sampleCount_) * recordSize) {
            return;
        }
        // A count beyond the samples took the extra header for samples too.
        const size_t extra = HasExtraHeader() ? TExtraHeader::kSize : 0;
        const bool extraHeaderFollows = arrived >= extra && (arrived - extra) % recordSize == 0;
        const size_t sampleBytes = extraHeaderFollows ? arrived - extra : arrived;
        f_.damage_ = TSampleTableDamage{sampleCount_, static_cast<int>(sampleBytes / recordSize)};
    }

    bool HasExtraHeader() const { return (f_.header_.flags & TKLTHeader::kFlagExtraHeader) != 0; }

    void ReadMarkers(TBinaryReader& in) {
        const size_t nameLength = MarkerNameLength(Version());
        TStructurArray record;
        auto readRecord = [&](int namePhase) {
            phase_ = namePhase;
            ReadMarkerName(in, nameLength, record);
            phase_ = namePhase + 1;
            ReadMarkerFields(in, record);
        };

        readRecord(4);
        phase_ = 5;
        // In file order; sorting them once afterwards keeps reading linear in their number.
        f_.markers_.push_back(std::make_unique<TKLTMarker>(TrimText(record.name), 0, 0));

        for (int i = 0; i < f_.header_.markerCountField; ++i) {
            readRecord(6);
            if (record.active == 0) {
                continue; // inactive markers are dropped
            }
            phase_ = 8;
            auto marker = std::make_unique<TKLTMarker>(TrimText(record.name), record.first, record.last);
            phase_ = 9;
            f_.markers_.push_back(std::move(marker));
        }
    }

    void ConvertOldVersion() {
        ConvertOldHeader(f_.header_, f_.fileName_);
        for (size_t i = 1; i < f_.markers_.size(); ++i) {
            TKLTMarker& m = *f_.markers_[i];
            m.last = ConvertOldMarkerLast(m.first, m.last, sampleCount_);
        }
        TKLTMarker& first = *f_.markers_.front();
        first.name = OldInitials(first.name, f_.fileName_);
    }

    // Samples the file did not hold are zero records, all alike: the first of them is unpacked,
    // the rest copied (nothing at all when it unpacks to zeros, which the count's zeroing gave).
    void UnpackSamples(TPagedDataArrayOldDataFormat& packed, size_t arrivedBytes) {
        f_.SetSampleCount(sampleCount_);
        const int held = static_cast<int>(std::min(arrivedBytes / 5, static_cast<size_t>(sampleCount_)));
        for (int i = 0; i < std::min(held + 1, sampleCount_); ++i) {
            const TPackedSample s = DecodePackedSample(packed.Items(i), Version());
            f_.Sample(i + 1).SetShort(s.watts * 8, s.cadence * 32, s.heartRate * 64, s.speed);
        }
        if (held + 1 >= sampleCount_) {
            return;
        }
        const TSampleElement missing = f_.Sample(held + 1);
        if (std::all_of(std::begin(missing.bytes), std::end(missing.bytes), [](uint8_t b) { return b == 0; })) {
            return;
        }
        for (int i = held + 1; i < sampleCount_; ++i) {
            f_.Sample(i + 1) = missing;
        }
    }

    TKLTFile& f_;
    bool headerOnly_;
    int phase_ = 0;
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
