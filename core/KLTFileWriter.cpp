// Writing a training as KLT7 (the current version) or KLT6 (for older programs).
#include <algorithm>
#include <cstring>
#include <vector>

#include "core/BinaryFile.h"
#include "core/CodePage850.h"
#include "core/Exceptions.h"
#include "core/KLTFile.h"

namespace klt {

class TKLTFileWriter {
public:
    TKLTFileWriter(const TKLTFile& file, char version) : f_(file), version_(version) {}

    int64_t Write(const std::string& path, const TDateTimeMark& stamp) {
        try {
            TAtomicFileWriter out(path);
            WriteHeader(out);
            WriteMarkers(out);
            for (const TKLTBlock& block : f_.blocks_) {
                out.WriteU32(block.start);
                out.WriteU16(block.count);
            }
            out.WriteU16(f_.header_.zeroOffset);
            out.WriteU16(f_.header_.slope);
            out.WriteU16(static_cast<uint16_t>(f_.SampleCount()));
            out.WriteU8(f_.header_.oldIntervalByte);
            if (IsKLT7()) {
                f_.samples_.WriteToFile(out, 1, f_.SampleCount());
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
        const TKLTHeader& h = f_.header_;
        const char magic[4] = {'K', 'L', 'T', version_};
        out.Write(magic, 4);
        out.WriteU16(h.date);
        out.WriteU16(h.circumference);
        out.WriteU8(h.intervalNumerator);
        out.WriteU8(h.intervalDenominator);
        out.WriteU16(static_cast<uint16_t>(f_.blocks_.size()));
        out.WriteU16(static_cast<uint16_t>(std::max(f_.MarkerCount(), 1) - 1));
        const uint8_t flags = IsKLT7() ? h.flags | TKLTHeader::kFlagExtraHeader
                                       : h.flags & ~TKLTHeader::kFlagExtraHeader;
        out.WriteU8(flags);

        char comment[TKLTFile::kCommentLength + 1] = {};
        const std::string oem = Utf8ToCp850(f_.comment_);
        const size_t length = std::min<size_t>(oem.size(), TKLTFile::kCommentLength);
        comment[0] = static_cast<char>(length);
        std::memcpy(comment + 1, oem.data(), length);
        out.Write(comment, sizeof comment);
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
        char name[TKLTFile::kMarkerNameLength] = {};
        const std::string oem = Utf8ToCp850(m.name);
        std::memcpy(name, oem.data(), std::min(oem.size(), sizeof name));
        out.Write(name, sizeof name);
        out.WriteU8(1);
        out.WriteU16(static_cast<uint16_t>(m.first));
        out.WriteU16(static_cast<uint16_t>(m.last));
        out.WriteU16(static_cast<uint16_t>(m.AvgPower()));
        out.WriteU16(static_cast<uint16_t>(m.AvgHeartRate()));
        out.WriteU16(static_cast<uint16_t>(m.AvgCadence()));
        out.WriteU16(static_cast<uint16_t>(m.AvgSpeed()));
        out.WriteU16(0);
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
