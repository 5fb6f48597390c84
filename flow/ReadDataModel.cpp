#include "flow/ReadDataModel.h"

#include <algorithm>
#include <array>

#include "core/KLTDate.h"
#include "core/Texts.h"
#include "device/DownloadedTrainingFile.h"
#include "device/VeltrakExceptions.h"
#include "device/VeltrakRecords.h"
#include "device/genv/MemoryVFile.h"

namespace klt {

TKLTVtrkReadDataModel::TKLTVtrkReadDataModel(TDownloadConfiguration configuration, bool readWholeMemory,
                                             std::string captionTemplate, std::string remainingTemplate,
                                             std::unique_ptr<TVeltrak> veltrak)
    : configuration_(std::move(configuration)),
      readWholeMemory_(readWholeMemory),
      captionTemplate_(std::move(captionTemplate)),
      remainingTemplate_(std::move(remainingTemplate)),
      // The abort button only raises a flag; the abort itself unwinds from inside the protocol's
      // idle call, so no exception ever crosses the window system's event handling.
      veltrak_(std::move(veltrak), image_, configuration_, [this] {
          if (abortRequested_) {
              abortRequested_ = false;
              veltrak_->RequestAbort();
          }
      }) {
    caption_ = FormatText(captionTemplate_, {""});
}

bool TKLTVtrkReadDataModel::Download() {
    outcome_ = TDownloadOutcome::Running;
    image_.SetHWVersion(configuration_.HWVersion());
    try {
        ReadStatus();
        if (configuration_.headUnitType >= 5) {
            remainingVisible_ = false;
            Changed();
            if (configuration_.headUnitType == 5) {
                DownloadGenerationV();
            } else {
                DownloadUsbSections();
            }
        } else {
            DownloadRegisterMemory();
        }
    } catch (const EVeltrakAbort&) {
        if (outcome_ == TDownloadOutcome::Running) {
            outcome_ = TDownloadOutcome::Aborted;
        }
    } catch (const std::exception& error) {
        ShowDownloadError(error);
        downloaded_.errors.emplace_back(error.what());
        outcome_ = TDownloadOutcome::Aborted;
    }
    veltrak_.SetEventPump(nullptr);
    if (outcome_ != TDownloadOutcome::Running) {
        downloaded_.cut = true;
        return false;
    }
    outcome_ = TDownloadOutcome::Done;
    return true;
}

void TKLTVtrkReadDataModel::Abort() {
    if (configuration_.headUnitType >= 6) {
        // the download stops between sections; what was written stays
        outcome_ = TDownloadOutcome::Aborted;
        veltrak_->SetAbortFlag(true);
        return;
    }
    outcome_ = TDownloadOutcome::Cancelled;
    if (configuration_.headUnitType == 5) {
        abortRequested_ = true; // ends the running exchange at its next idle call
    }
}

void TKLTVtrkReadDataModel::ReadStatus() {
    RetryOnVeltrakError(*veltrak_, [this] {
        ConnectHeadUnit(*veltrak_, configuration_);
        veltrak_->ReadStatus();
    });
    caption_ = HeadUnitCaption(captionTemplate_, *veltrak_, configuration_, true);
    Changed();
}

void TKLTVtrkReadDataModel::DownloadRegisterMemory() {
    const int reported = image_.HeapCount + image_.HeapCountUpper;
    const int total = readWholeMemory_ ? kWholeMemoryRecords : reported;
    const int lower = std::min<int>(image_.HeapCount, total);
    std::vector<uint8_t> memory(static_cast<size_t>(total) * kVeltrakRecordSize);
    IProtocolClock& clock = veltrak_->Clock();
    uint32_t lapStart = clock.Milliseconds();
    int read = 0;
    for (; read < total && outcome_ == TDownloadOutcome::Running; ++read) {
        // the upper part of the memory fills from its end downwards
        const int index = read < image_.HeapCount ? read : image_.HeapSize + image_.HeapCount - read - 1;
        std::array<uint8_t, kVeltrakRecordSize> record{};
        RetryOnVeltrakError(*veltrak_, [&] { record = veltrak_->ReadMemoryBlock(static_cast<uint16_t>(index)); });
        std::copy(record.begin(), record.end(), memory.begin() + static_cast<long>(read) * kVeltrakRecordSize);
        veltrak_->ProcessIdle();
        if ((read + 1) % kRecordsPerEstimate == 0) {
            const uint32_t now = clock.Milliseconds();
            EstimateRemainingTime((now - lapStart) & 0x7FFFFFFFu, total - read - 1);
            lapStart = now;
        }
        ShowProgress(read * 100 / total);
    }
    if (outcome_ != TDownloadOutcome::Running) {
        return;
    }
    // the image keeps every record read, also those of a whole-memory read beyond the fill counts
    image_.HeapCount = static_cast<uint16_t>(lower);
    image_.HeapCountUpper = static_cast<uint16_t>(total - lower);
    image_.SetMemory(memory);
}

void TKLTVtrkReadDataModel::DownloadGenerationV() {
    veltrak_->DownloadMemoryV([this](int percent) { ShowProgress(percent); }, readWholeMemory_);
    downloaded_ = CollectDownloadedTrainings(
        [this](const TDownloadExceptionHandler& handler) {
            return CreateTrainingFilesV(veltrak_->Memory(), image_, handler);
        },
        ShowDownloadError);
}

void TKLTVtrkReadDataModel::DownloadUsbSections() {
    veltrak_->SetAbortFlag(false);
    veltrak_->OnSelectSections = [this](std::vector<TSectionChoice>& choices) {
        if (OnSelectSections) {
            OnSelectSections(choices);
        }
    };
    downloaded_ = veltrak_->DownloadSections(image_, [this](int percent) { ShowProgress(percent); }, readWholeMemory_);
    veltrak_->OnSelectSections = nullptr;
    if (veltrak_->AbortFlag()) {
        throw EVeltrakAbort();
    }
}

void TKLTVtrkReadDataModel::ShowProgress(int percent) {
    progress_ = percent;
    Changed();
}

void TKLTVtrkReadDataModel::EstimateRemainingTime(uint32_t lapMs, int recordsLeft) {
    // hundredths of a second, rounded up to the next whole second
    const int64_t hundredths = int64_t{lapMs} * (recordsLeft / kRecordsPerEstimate) / 10 + 99;
    remaining_ = FormatText(remainingTemplate_, {FormatTimeOfDay(hundredths, false)});
}

void TKLTVtrkReadDataModel::Changed() {
    if (OnChanged) {
        OnChanged();
    }
}

} // namespace klt
