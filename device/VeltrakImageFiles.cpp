// Turning the trainings of a parsed image into training files.
#include <string>

#include "core/Exceptions.h"
#include "core/KLTFile.h"
#include "device/DownloadedTrainingFile.h"
#include "device/VeltrakImage.h"
#include "device/VeltrakRecords.h"

namespace klt {

size_t TVeltrakImage::TrainingLastHeader(size_t first) const {
    size_t last = first;
    while (headers_.at(last).Has(TVeltrakTrainingHeader::JoinedWithNext) && last + 1 < headers_.size()) {
        ++last;
    }
    return last;
}

void TVeltrakImage::FillTrainingFile(TKLTFile& file, size_t first) const {
    const size_t last = TrainingLastHeader(first);
    int sampleCount = 0;
    std::vector<TKLTBlock> blocks;
    for (size_t h = first; h <= last; ++h) {
        blocks.push_back({static_cast<uint32_t>(headers_[h].startTime), headers_[h].recordCount});
        sampleCount += headers_[h].recordCount;
    }
    if (sampleCount > TKLTFile::kMaxSamples) {
        throw ERangeError("The training holds more samples than a training file can take.");
    }

    const TVeltrakTrainingHeader& start = headers_[first];
    file.Clear();
    TKLTHeader& header = file.EditHeader();
    header.magic = {'K', 'L', 'T', '7'};
    header.date = start.startDay;
    header.circumference = static_cast<uint16_t>(start.wheel);
    header.intervalNumerator = static_cast<uint8_t>(start.intervalNumerator);
    header.intervalDenominator = static_cast<uint8_t>(start.intervalDenominator);
    header.zeroOffset = static_cast<uint16_t>(start.zeroOffset);
    header.slope = static_cast<uint16_t>(start.slope);
    file.SetBlocks(std::move(blocks));
    file.SetSampleCount(sampleCount);
    file.InsertMarker(TKLTMarker(start.initials, 0, 0));

    int index = 1;
    for (size_t h = first; h <= last; ++h) {
        for (int r = 0; r < headers_[h].recordCount; ++r, ++index) {
            const TVeltrakMeasurement m = DecodeMeasurement(records_.Items(headers_[h].firstRecord + r));
            file.Sample(index).SetShort(m.power, m.cadence, m.heartRate, m.speed);
        }
    }
    file.Normalise();
}

std::vector<size_t> TVeltrakImage::TrainingStarts() const {
    std::vector<size_t> starts;
    for (size_t h = 0; h < headers_.size(); ++h) {
        if (h == 0 || !headers_[h - 1].Has(TVeltrakTrainingHeader::JoinedWithNext)) {
            starts.push_back(h);
        }
    }
    return starts;
}

std::vector<std::string> TVeltrakImage::CreateTrainingFiles(const TExceptionHandler& handler) {
    const std::vector<size_t> firstHeaders = TrainingStarts();
    std::vector<std::string> files;
    try {
        ForEachDownloadedTraining(
            firstHeaders.size(),
            [&](size_t i) {
                files.push_back(
                    SaveDownloadedTraining([&](TKLTFile& file) { FillTrainingFile(file, firstHeaders[i]); }));
            },
            handler);
    } catch (...) {
        dirty_ = true;
        throw;
    }
    return files;
}

} // namespace klt
