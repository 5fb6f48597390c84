// Writing the training data module as KLT7, record by record through the functions the document
// object writes with.
#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "core/BinaryFile.h"
#include "core/Exceptions.h"
#include "core/TrainingDataUnit.h"

namespace klt {
namespace {

void CreateDirectoryOf(const std::string& path) {
    const std::filesystem::path directory = std::filesystem::path(path).parent_path();
    std::error_code error;
    if (!directory.empty()) {
        std::filesystem::create_directories(directory, error);
    }
    if (error) {
        throw EInOutError(IoErrorMessage(error.value()));
    }
}

// power u16, cadence u8, heart rate u8, speed s32, altitude s32, temperature 16 bits
std::vector<uint8_t> SampleRecords(const TTrainingData& training) {
    std::vector<uint8_t> bytes(static_cast<size_t>(training.SampleCount()) * TSampleElement::kSize);
    uint8_t* at = bytes.data();
    auto put = [&](uint32_t value, int width) {
        for (int i = 0; i < width; ++i) {
            *at++ = static_cast<uint8_t>(value >> (8 * i));
        }
    };
    for (int i = 0; i < training.SampleCount(); ++i) {
        const TData& s = training.Sample(i);
        put(static_cast<uint32_t>(s.Value(dcPower)), 2);
        put(static_cast<uint32_t>(s.Value(dcCadence)), 1);
        put(static_cast<uint32_t>(s.Value(dcHeartRate)), 1);
        // The sign-extended 16-bit speed, as every writer of the format stores it.
        put(static_cast<uint32_t>(int32_t{static_cast<int16_t>(s.Value(dcSpeed))}), 4);
        put(static_cast<uint32_t>(s.Value(dcAltitude)), 4);
        put(static_cast<uint32_t>(s.Value(dcTemperature)), 2);
    }
    return bytes;
}

} // namespace

void TTrainingData::WriteTraining(const std::string& path) const {
    try {
        // Counts the file cannot hold fail before anything is created.
        CheckBlockCount(blocks_.size());
        if (markers_.size() > size_t{TKLTFile::kMaxMarkers} + 1) { // marker 0 and a 16-bit count of the others
            throw EKLTFileInOutError("Too many markers");
        }
        // The file's own folder, wherever it is: a training need not carry a database name.
        CreateDirectoryOf(path);
        TAtomicFileWriter out(path);

        TKLTHeader header = header_;
        header.magic = {'K', 'L', 'T', '7'};
        header.flags |= TKLTHeader::kFlagExtraHeader;
        header.markerCountField = static_cast<uint16_t>(std::max<size_t>(markers_.size(), 1) - 1);
        WriteHeaderRecord(out, header, static_cast<uint16_t>(blocks_.size()));
        WriteCommentField(out, comment_);
        if (markers_.empty()) {
            WriteMarkerRecord(out, TStructurArray{}); // every file has a marker 0, if only an empty one
        }
        for (const TStructurArray& marker : markers_) {
            WriteMarkerRecord(out, marker);
        }
        for (const TBlock& block : blocks_) {
            WriteBlockRecord(out, block);
        }
        WriteCalibrationRecord(out, header, SampleCount());
        const std::vector<uint8_t> samples = SampleRecords(*this);
        out.Write(samples.data(), samples.size());
        extraHeader_.WriteToFile(out);
        out.Commit();
    } catch (EInOutError& e) {
        e.SetMessage("'" + path + "': " + e.Message());
        throw;
    }
}

} // namespace klt
