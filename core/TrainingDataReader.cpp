// Reading a training file of any version into the training data module, record by record through
// the functions the document object reads with.
#include <array>
#include <vector>

#include "core/BinaryFile.h"
#include "core/Exceptions.h"
#include "core/PagArray.h"
#include "core/TrainingDataUnit.h"

namespace klt {
namespace {

using TSamples = std::vector<TData>;

// A sample table cut short loads with its missing samples zero, as the paged arrays read it.
TSamples ReadSamples(TBinaryReader& in, char version, int count) {
    TSamples samples;
    samples.reserve(static_cast<size_t>(count));
    if (HasPackedSamples(version)) {
        TPagedDataArrayOldDataFormat records(5);
        records.ReadFromFile(in, 0, count);
        for (int i = 0; i < count; ++i) {
            const TPackedSample s = DecodePackedSample(records.Items(i), version);
            samples.emplace_back(
                std::array<int, TData::kChannelCount>{s.watts, s.heartRate, s.cadence, s.speed, 0, 0});
        }
    } else {
        TPagedDataArray records(TSampleElement::kSize);
        records.ReadFromFile(in, 0, count);
        for (int i = 0; i < count; ++i) {
            const auto& e = *reinterpret_cast<const TSampleElement*>(records.Items(i));
            samples.emplace_back(std::array<int, TData::kChannelCount>{e.StoredPower(), e.StoredHeartRate(),
                                                                       e.StoredCadence(), e.Speed(),
                                                                       e.Altitude(), e.Temperature()});
        }
    }
    return samples;
}

} // namespace

void TTrainingData::ReadTraining(const std::string& path) {
    Clear();
    try {
        TBinaryReader in(path);
        const uint16_t blockCount = ReadHeaderRecord(in, header_);
        const char version = header_.Version();
        comment_ = ReadCommentField(in);

        const size_t nameLength = MarkerNameLength(version);
        for (int i = 0; i <= header_.markerCountField; ++i) {
            TStructurArray record;
            ReadMarkerName(in, nameLength, record);
            ReadMarkerFields(in, record);
            markers_.push_back(std::move(record));
        }

        CheckBlockCount(blockCount);
        blocks_.resize(blockCount);
        for (TBlock& block : blocks_) {
            block = ReadBlockRecord(in);
        }

        const int count = ReadCalibrationRecord(in, header_);
        TSamples samples = ReadSamples(in, version, count);
        if ((header_.flags & TKLTHeader::kFlagExtraHeader) != 0) {
            try {
                extraHeader_.ReadFromFile(in);
            } catch (const EInOutError&) {
                extraHeader_ = TExtraHeader{};
            }
        }
        in.Close();

        if (IsOldVersion(version)) {
            ConvertOldHeader(header_, path);
            for (size_t i = 1; i < markers_.size(); ++i) {
                TStructurArray& m = markers_[i];
                m.last = static_cast<uint16_t>(ConvertOldMarkerLast(m.first, m.last, count));
            }
            markers_.front().name = OldInitials(markers_.front().name, path);
        }
        samples_ = std::move(samples);
        RebuildSums();
    } catch (...) {
        Clear();
        throw;
    }
}

} // namespace klt
