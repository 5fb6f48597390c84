#include "flow/ReadDataModel.h"

#include "core/KLTDate.h"
#include "core/Texts.h"
#include "device/HeadUnitDownload.h"
#include "device/VeltrakExceptions.h"
#include "flow/MemoryImageFile.h"

namespace klt {
namespace {

constexpr std::string_view kCancelled = "The download was cancelled.";

} // namespace

TKLTVtrkReadDataModel::TKLTVtrkReadDataModel(TDownloadConfiguration configuration, bool readWholeMemory,
                                             std::string captionTemplate, std::string remainingTemplate,
                                             IPrompt& prompt, std::unique_ptr<TVeltrak> veltrak)
    : configuration_(std::move(configuration)),
      readWholeMemory_(readWholeMemory),
      captionTemplate_(std::move(captionTemplate)),
      remainingTemplate_(std::move(remainingTemplate)),
      sink_(configuration_.databaseDir, prompt),
      veltrak_(std::move(veltrak), image_, configuration_, prompt, {}) {
    view_.caption = FormatText(captionTemplate_, {""});
    sink_.OnProgress = [this](int percent) {
        view_.progress = percent;
        Changed();
    };
    sink_.OnRemainingTime = [this](int64_t hundredths) {
        view_.remaining = FormatText(remainingTemplate_, {FormatTimeOfDay(hundredths, false)});
        Changed();
    };
}

bool TKLTVtrkReadDataModel::Download() {
    outcome_ = TDownloadOutcome::Running;
    image_.SetHWVersion(configuration_.HWVersion());
    try {
        ReadStatus();
        if (!configuration_.SerialHeadUnit() || configuration_.headUnitType == 5) {
            view_.remainingVisible = false;
            Changed();
        }
        downloaded_ = DownloadTrainings(*veltrak_, image_, sink_,
                                        {configuration_.limits, configuration_.fahrenheit, readWholeMemory_});
    } catch (const EVeltrakAbort&) {
        // the Abort button, or Cancel in a retry question
        downloaded_.Incomplete(std::string(kCancelled));
        outcome_ = sink_.AbortRequested() ? StoppedOutcome() : TDownloadOutcome::Aborted;
    } catch (const std::exception& error) {
        ShowDownloadError(sink_.UserPrompt(), error);
        downloaded_.Incomplete(error.what());
        outcome_ = TDownloadOutcome::Aborted;
    }
    if (outcome_ == TDownloadOutcome::Running && sink_.AbortRequested()) {
        outcome_ = StoppedOutcome(); // VI and 7 stop between requests, keeping what they finished
    }
    if (!downloaded_.Complete()) {
        KeepMemoryImage(image_, configuration_.databaseDir, sink_.UserPrompt());
    }
    if (outcome_ != TDownloadOutcome::Running) {
        return false;
    }
    outcome_ = TDownloadOutcome::Done;
    return true;
}

TDownloadOutcome TKLTVtrkReadDataModel::StoppedOutcome() const {
    return configuration_.SerialHeadUnit() ? TDownloadOutcome::Cancelled : TDownloadOutcome::Aborted;
}

void TKLTVtrkReadDataModel::ReadStatus() {
    veltrak_->RetryOnError([this] {
        ConnectHeadUnit(*veltrak_, configuration_);
        veltrak_->ReadStatus();
    });
    view_.caption = HeadUnitCaption(captionTemplate_, *veltrak_, configuration_, true);
    Changed();
}

void TKLTVtrkReadDataModel::Changed() {
    if (OnChanged) {
        OnChanged();
    }
}

} // namespace klt
