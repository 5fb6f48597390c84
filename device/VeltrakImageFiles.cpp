// Turning the trainings of a memory image into training files.
#include <string>

#include "core/Exceptions.h"
#include "core/TrainingDataUnit.h"
#include "device/TrainingDelivery.h"
#include "device/VeltrakImage.h"
#include "device/VeltrakRecords.h"
#include "device/genv/MemoryVFile.h"

namespace klt {

size_t TVeltrakImage::TrainingLastHeader(size_t first) const {
    size_t last = first;
    while (headers_.at(last).Has(TVeltrakTrainingHeader::JoinedWithNext) && last + 1 < headers_.size()) {
        ++last;
    }
    return last;
}

void TVeltrakImage::FillTraining(TTrainingData& training, size_t first) const {
    const size_t last = TrainingLastHeader(first);
    int sampleCount = 0;
    for (size_t h = first; h <= last; ++h) {
        sampleCount += headers_[h].recordCount;
    }
    if (sampleCount > TTrainingData::kMaxSamples) {
        throw ERangeError("The training holds more samples than a training file can take.");
    }
    const TVeltrakTrainingHeader& start = headers_[first];
    training.Clear();
    TKLTHeader& header = training.EditHeader();
    header.date = start.startDay;
    header.circumference = static_cast<uint16_t>(start.wheel);
    header.intervalNumerator = static_cast<uint8_t>(start.intervalNumerator);
    header.intervalDenominator = static_cast<uint8_t>(start.intervalDenominator);
    header.zeroOffset = static_cast<uint16_t>(start.zeroOffset);
    header.slope = static_cast<uint16_t>(start.slope);
    for (size_t h = first; h <= last; ++h) {
        training.EditBlocks().push_back({static_cast<uint32_t>(headers_[h].startTime), headers_[h].recordCount});
        for (int r = 0; r < headers_[h].recordCount; ++r) {
            const TVeltrakMeasurement m = DecodeMeasurement(records_.Items(headers_[h].firstRecord + r));
            // From the raw units of the records to what a sample stores.
            training.AddSample(TData({m.power / 8, m.heartRate / 64, m.cadence / 32, m.speed, 0, 0}));
        }
    }
    if (sampleCount > 0) {
        training.AppendMarker(start.initials, 1, sampleCount);
    }
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

TDownloadResult TVeltrakImage::CreateTrainingFiles(IDownloadSink& sink) const {
    if (!blockMemory_.empty()) {
        return CreateTrainingFilesV(blockMemory_, garbledBlocks_, *this, sink);
    }
    TDownloadResult result;
    for (const size_t first : TrainingStarts()) {
        TTrainingData training;
        try {
            FillTraining(training, first);
        } catch (const Exception& error) {
            result.FailedSave(error.what());
            continue;
        }
        DeliverTraining(training, sink, result);
    }
    return result;
}

} // namespace klt
