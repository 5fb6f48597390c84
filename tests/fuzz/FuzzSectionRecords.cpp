// Any bytes as what a generation VI/7 head unit answers for one section: a 39-byte header, then
// blocks, each a count byte and that many 16-byte records. Parsing must refuse cleanly or give
// records that build trainings a training file can hold, as the download builds them.
#include <cstdint>
#include <optional>
#include <span>

#include "core/Exceptions.h"
#include "core/TrainingDataUnit.h"
#include "device/usb/SectionRecords.h"
#include "device/usb/SectionTraining.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

using klt::fuzz::Check;

void CheckTraining(const klt::TSectionTraining& training) {
    Check(training.SampleCount() <= klt::TKLTFile::kMaxSamples);
    Check(training.Blocks().size() <= static_cast<size_t>(klt::TKLTFile::kMaxBlocks));
    int inBlocks = 0;
    for (const klt::TKLTBlock& block : training.Blocks()) {
        Check(block.count > 0);
        inBlocks += block.count;
    }
    Check(inBlocks == training.SampleCount());
    if (training.SampleCount() > 0 && training.SampleCount() <= 2000) {
        klt::TTrainingData filled;
        training.Fill(filled, false);
        Check(filled.SampleCount() == training.SampleCount());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> input(data, size);
    if (size < klt::kSectionHeaderSize) {
        Check(!klt::IsSectionHeaderReply(input));
        return 0;
    }
    klt::TVeltrakDataHeader header;
    try {
        header = klt::ParseSectionHeader(input.first(klt::kSectionHeaderSize));
    } catch (const klt::EConvertError&) {
        return 0;
    }
    std::optional<klt::TSectionTraining> training;
    try {
        training.emplace(header, header.Start());
    } catch (const klt::EConvertError&) {
        return 0;
    }
    size_t at = klt::kSectionHeaderSize;
    while (at < size) {
        const size_t length = std::min<size_t>(size - at - 1, data[at] * klt::kSectionRecordSize);
        const auto reply = input.subspan(at + 1, length);
        at += 1 + length;
        if (!klt::IsSectionBlockReply(reply)) {
            continue;
        }
        const klt::TSectionBlock block = klt::ParseSectionBlock(reply);
        Check(block.records.size() <= klt::kSectionBlockRecords);
        for (const klt::TSectionRecord& record : block.records) {
            if (!training->Add(record)) {
                CheckTraining(*training);
                try {
                    training.emplace(header, training->NextTime());
                } catch (const klt::EConvertError&) {
                    return 0;
                }
                Check(training->Add(record));
            }
        }
        if (block.records.empty()) {
            break; // the section has no more data
        }
    }
    CheckTraining(*training);
    return 0;
}
