// Writing a training as KLT7 (the current version) or KLT6 (for older programs).
#include <algorithm>
#include <vector>

#include "core/BinaryFile.h"
#include "core/Exceptions.h"
#include "core/KLTFile.h"
#include "core/KLTFileRecords.h"

namespace klt {

class TKLTFileWriter {
public:
    TKLTFileWriter(const TKLTFile& file, char version) : f_(file), version_(version) {}

    int64_t Write(const std::string& path, const TDateTimeMark& stamp) {
        try {
            // A count that wrapped would lose every marker past it; nothing is created then.
            if (f_.MarkerCount() - 1 > TKLTFile::kMaxMarkers) {
                throw EKLTFileInOutError("Too many markers");
            }
            TAtomicFileWriter out(path);
            WriteHeader(out);
            WriteMarkers(out);
            for (const TKLTBlock& block : f_.blocks_) {
                WriteBlockRecord(out, block);
            }
            WriteCalibrationRecord(out, f_.header_, f_.SampleCount());
            if (IsKLT7()) {
                WriteSamples(out);
                f_.extraHeader_.WriteToFile(out);
            } else {
                WritePackedSamples(out);
            }
            return out.Commit(stamp);
        } catch (EInOutError& e) {
            e.SetMessage("'" + path + "': " + e.Message());
            throw;
        }
    }

private:
    bool IsKLT7() const { return version_ == '7'; }

    void WriteHeader(TAtomicFileWriter& out) const {
        TKLTHeader h = f_.header_;
        h.magic = {'K', 'L', 'T', version_};
        h.markerCountField = static_cast<uint16_t>(std::max(f_.MarkerCount(), 1) - 1);
        h.flags = IsKLT7() ? h.flags | TKLTHeader::kFlagExtraHeader : h.flags & ~TKLTHeader::kFlagExtraHeader;
        WriteHeaderRecord(out, h, static_cast<uint16_t>(f_.blocks_.size()));
        WriteCommentField(out, f_.comment_);
    }

    void WriteMarkers(TAtomicFileWriter& out) const {
        if (f_.markers_.empty()) {
            WriteMarker(out, TKLTMarker{}); // every file has a marker 0, if only an empty one
        }
        for (const auto& marker : f_.markers_) {
            WriteMarker(out, *marker);
        }
    }

    static void WriteMarker(TAtomicFileWriter& out, const TKLTMarker& m) {
        TStructurArray record;
        record.name = m.name;
        record.first = static_cast<uint16_t>(m.first);
        record.last = static_cast<uint16_t>(m.last);
        record.words = {static_cast<uint16_t>(m.AvgPower()), static_cast<uint16_t>(m.AvgHeartRate()),
                        static_cast<uint16_t>(m.AvgCadence()), static_cast<uint16_t>(m.AvgSpeed()), 0};
        WriteMarkerRecord(out, record);
    }

    // The records as they are in memory, but the speed field always the sign-extended 16-bit
    // value, whatever another program left in its upper half.
    void WriteSamples(TAtomicFileWriter& out) const {
        std::vector<uint8_t> bytes;
        bytes.reserve(static_cast<size_t>(f_.SampleCount()) * TSampleElement::kSize);
        f_.samples_.ForEachRun(1, f_.SampleCount(), [&](const uint8_t* run, size_t length) {
            bytes.insert(bytes.end(), run, run + length);
        });
        for (size_t at = 0; at < bytes.size(); at += TSampleElement::kSize) {
            const uint8_t sign = (bytes[at + 5] & 0x80) != 0 ? 0xFF : 0x00;
            bytes[at + 6] = bytes[at + 7] = sign;
        }
        out.Write(bytes.data(), bytes.size());
    }

    // 5 bytes a sample: speed V (32 mm/s, 11 bits) and power W (12 bits) packed over bytes 0-2,
    // then cadence and heart rate.
    void WritePackedSamples(TAtomicFileWriter& out) const {
        const int count = f_.SampleCount();
        std::vector<uint8_t> bytes(static_cast<size_t>(count) * 5);
        for (int i = 1; i <= count; ++i) {
            const TSampleElement& s = f_.Sample(i);
            const int watts = std::min(s.StoredPower(), TSampleElement::kMaxPowerWatts);
            const int speed = std::min(s.Speed() / 32, TSampleElement::kMaxSpeedUnits);
            uint8_t* r = &bytes[static_cast<size_t>(i - 1) * 5];
            r[0] = static_cast<uint8_t>(speed & 0x7F);
            r[1] = static_cast<uint8_t>((speed >> 7) << 4 | (watts & 0x0F));
            r[2] = static_cast<uint8_t>(watts >> 4);
            r[3] = static_cast<uint8_t>(s.StoredCadence());
            r[4] = static_cast<uint8_t>(s.StoredHeartRate());
        }
        out.Write(bytes.data(), bytes.size());
    }

    const TKLTFile& f_;
    char version_;
};

int64_t TKLTFile::WriteKLT7(const std::string& path, const TDateTimeMark& stamp) {
    return TKLTFileWriter(*this, '7').Write(path, stamp);
}

int64_t TKLTFile::WriteKLT6(const std::string& path, const TDateTimeMark& stamp) {
    return TKLTFileWriter(*this, '6').Write(path, stamp);
}

} // namespace klt
