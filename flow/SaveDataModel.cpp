#include "flow/SaveDataModel.h"

#include <algorithm>
#include <cstdio>

#include "core/IgnoreCase.h"
#include "core/Initials.h"
#include "core/KLTDate.h"
#include "core/KLTFile.h"
#include "flow/MemoryImageFile.h"
#include "device/VeltrakExceptions.h"

namespace klt {
namespace {

// Why the head unit keeps its memory although the user asked to clear it.
std::string KeptMemoryText(const TDownloadResult& result) {
    std::string text = "The data stay in the Veltrak:";
    for (const std::string& reason : result.incomplete) {
        text += "\r\n" + reason;
    }
    return text;
}

} // namespace

TTrainingFilesSummary SummariseTrainingFiles(const std::vector<std::string>& files) {
    TTrainingFilesSummary summary;
    for (const std::string& path : files) {
        TKLTFile file(path);
        try {
            file.ReadHeader();
        } catch (const std::exception&) {
            continue; // counted as a file, but nothing of it is known
        }
        int64_t samples = 0;
        for (const TKLTBlock& block : file.Blocks()) {
            samples += block.count;
        }
        summary.samples += samples;
        summary.hundredths += samples * file.Interval();
    }
    summary.files = static_cast<int>(files.size());
    return summary;
}

TKLTVtrkSaveDataModel::TKLTVtrkSaveDataModel(TVeltrakImage& image, TVeltrak& veltrak, TDownloadResult& downloaded,
                                             IDownloadSink& sink, TDownloadConfiguration configuration,
                                             std::vector<std::string> knownInitials)
    : image_(image),
      veltrak_(veltrak),
      downloaded_(downloaded),
      sink_(sink),
      configuration_(std::move(configuration)),
      knownInitials_(std::move(knownInitials)),
      usbHeadUnit_(configuration_.headUnitType >= 6),
      intervals_(StorageIntervals(configuration_.HWVersion())),
      initials_(image.Initialen()),
      batteryRemaining_(BatteryRemaining(image.BatInfo.battery)) {
    if (RegisterHeadUnit()) {
        ParseImage();
    }
    Summarise();
    selectedInterval_ = NearestStorageInterval(intervals_, image_.AbspeicherZeit());
}

void TKLTVtrkSaveDataModel::ParseImage() {
    image_.Parse(configuration_.limits, [this](const std::exception& error) {
        // the trainings after the damage are not in the files: the memory must stay
        downloaded_.Incomplete(error.what());
        ShowDownloadError(sink_.UserPrompt(), error);
    });
}

void TKLTVtrkSaveDataModel::Summarise() {
    if (RegisterHeadUnit() && !saved_) {
        fileCount_ = image_.Counters().trainingFiles;
        totalTime_ = image_.Counters().timeAfter;
        return;
    }
    const TTrainingFilesSummary summary = SummariseTrainingFiles(downloaded_.files);
    fileCount_ = summary.files;
    totalTime_ = summary.hundredths;
    memoryUsed_ = static_cast<int32_t>(std::min<int64_t>(int64_t{image_.HeapCount} * kUsbSampleBytes, kUsbMemoryBytes));
}

std::string TKLTVtrkSaveDataModel::TotalTime() const {
    return FormatTimeOfDay(totalTime_, false);
}

std::string TKLTVtrkSaveDataModel::TimeLeft() const {
    if (memoryUsed_ >= kUsbMemoryBytes || selectedInterval_ < 0) {
        return "0 h";
    }
    const int64_t samplesLeft = (kUsbMemoryBytes - memoryUsed_) / kUsbSampleBytes;
    const int64_t hundredths = samplesLeft * intervals_[static_cast<size_t>(selectedInterval_)].hundredths;
    char text[32];
    std::snprintf(text, sizeof text, "%.1f h", static_cast<double>(hundredths) / 360000.0);
    return text;
}

void TKLTVtrkSaveDataModel::SelectInterval(int index) {
    if (index >= 0 && static_cast<size_t>(index) < intervals_.size()) {
        selectedInterval_ = index;
    }
}

bool TKLTVtrkSaveDataModel::InitialsUnknown() const {
    const std::string initials = NormalizeInitials(initials_);
    return std::none_of(knownInitials_.begin(), knownInitials_.end(),
                        [&](const std::string& known) { return EqualsIgnoringCase(known, initials); });
}

void TKLTVtrkSaveDataModel::SaveTrainingsOnce(bool keepImage) {
    if (!RegisterHeadUnit() || saved_) {
        if (keepImage) {
            KeepMemoryImage(image_, configuration_.databaseDir, sink_.UserPrompt());
        }
        return;
    }
    saved_ = true;
    try {
        const TDownloadResult written = image_.CreateTrainingFiles(sink_);
        for (const std::string& error : written.errors) {
            sink_.UserPrompt().ShowMessage("Warning", error);
        }
        downloaded_.Add(written);
    } catch (const std::exception& error) {
        ShowDownloadError(sink_.UserPrompt(), error);
        downloaded_.Incomplete(error.what());
    }
    if (keepImage || !downloaded_.Complete()) {
        KeepMemoryImage(image_, configuration_.databaseDir, sink_.UserPrompt());
    }
    Summarise();
}

bool TKLTVtrkSaveDataModel::SaveAndClear(bool keepImage) {
    SaveTrainingsOnce(keepImage);
    if (!downloaded_.Complete()) {
        sink_.UserPrompt().ShowMessage("Warning", KeptMemoryText(downloaded_));
        return false;
    }
    return StartNewRecording();
}

bool TKLTVtrkSaveDataModel::SaveAndKeep(bool keepImage) {
    SaveTrainingsOnce(keepImage);
    return true;
}

bool TKLTVtrkSaveDataModel::ClearOnly() {
    if (sink_.UserPrompt().Ask("Warning", std::string(kDeleteAllQuestion), TPromptButtons::YesNo) != TPromptAnswer::Yes) {
        return false;
    }
    return StartNewRecording();
}

bool TKLTVtrkSaveDataModel::StartNewRecording() {
    image_.SetInitialen(initials_);
    if (selectedInterval_ >= 0) {
        image_.SetAbspeicherZeit(intervals_[static_cast<size_t>(selectedInterval_)].hundredths);
    }
    try {
        veltrak_.RetryOnError([this] { veltrak_.StartRecording(); });
    } catch (const EVeltrakAbort&) {
        return false;
    } catch (const std::exception& error) {
        ShowDownloadError(sink_.UserPrompt(), error);
        return false;
    }
    cleared_ = true;
    return true;
}

void TKLTVtrkSaveDataModel::Refresh(const TDownloadConfiguration& configuration) {
    configuration_ = configuration;
    if (RegisterHeadUnit() && !saved_) {
        ParseImage();
    }
    Summarise();
}

} // namespace klt
