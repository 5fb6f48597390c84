#include "flow/MemoryImageFile.h"

#include <algorithm>

#include "app/SystemData.h"
#include "core/Exceptions.h"
#include "device/genv/MemoryVFile.h"
#include "flow/DatabaseSink.h"

namespace klt {

TVeltrakTrainingLimits TrainingLimits(const TSystemData& system) {
    return {system.MinPauseTraining, system.MaxPauseTraining, system.MinDauerTraining};
}

std::optional<std::string> KeepMemoryImage(const TVeltrakImage& image, const std::string& databaseDir, IPrompt& prompt) {
    if (!image.HoldsMemory()) {
        return std::nullopt;
    }
    try {
        const std::string path = image.BackupFileName(databaseDir);
        image.SaveBackup(path);
        prompt.ShowMessage("Warning", "Not every training of the Veltrak could be saved. Its memory is kept in '" +
                                          path + "'; open that file to save the trainings later.");
        return path;
    } catch (const std::exception& error) {
        prompt.ShowMessage("Error", std::string("The memory image could not be saved: ") + error.what());
        return std::nullopt;
    }
}

TMemoryImageFile::TMemoryImageFile(const std::string& path, const TVeltrakTrainingLimits& limits,
                                   const TVeltrakImage::TExceptionHandler& handler) {
    if (!image_.LoadBackup(path, limits, handler)) {
        throw EInOutError("not a Veltrak memory image, or a damaged one");
    }
}

std::vector<TImageTraining> TMemoryImageFile::Trainings() const {
    std::vector<TImageTraining> trainings;
    if (!image_.BlockMemory().empty()) {
        const TMemoryVParse parse = ParseMemoryV(image_.BlockMemory(), image_.SWVersion(), image_.AbspeicherZeit(),
                                                 image_.GarbledBlocks());
        for (const TVeltrakVTraining& recorded : parse.trainings) {
            const TVeltrakVBlockStart& s = recorded.start;
            const int samples = static_cast<int>(recorded.samples.size());
            trainings.push_back({image_.Initialen(), TrainingDayV(s, image_.ClockDay),
                                 ((s.hour * 60 + s.minute) * 60 + s.second) * 100,
                                 int64_t{samples} * image_.AbspeicherZeit(), samples,
                                 static_cast<int>(recorded.blocks.size())});
        }
        return trainings;
    }
    const std::vector<TVeltrakTrainingHeader>& headers = image_.Headers();
    for (const size_t first : image_.TrainingStarts()) {
        const size_t last = image_.TrainingLastHeader(first);
        TImageTraining training;
        training.initials = headers[first].initials;
        training.date = headers[first].startDay;
        training.startTime = headers[first].startTime;
        training.duration = std::max<int64_t>(0, headers[last].EndTime() - headers[first].startTime);
        for (size_t h = first; h <= last; ++h) {
            training.samples += headers[h].recordCount;
        }
        training.segments = static_cast<int>(last - first + 1);
        trainings.push_back(training);
    }
    return trainings;
}

std::vector<std::string> ConvertMemoryImage(const std::string& path, const TVeltrakTrainingLimits& limits,
                                            const std::string& databaseDir, IPrompt& prompt,
                                            const std::function<void(const std::string&)>& open) {
    const auto warn = [&](const std::exception& error) { prompt.ShowMessage("Warning", error.what()); };
    const TMemoryImageFile file(path, limits, warn);
    TDatabaseSink sink(databaseDir, prompt);
    const TDownloadResult result = file.Save(sink);
    for (const std::string& error : result.errors) {
        prompt.ShowMessage("Warning", error);
    }
    if (file.Trainings().empty()) {
        prompt.ShowMessage("Attention", "The memory image '" + path + "' holds no training.");
    }
    for (const std::string& training : result.files) {
        try {
            open(training);
        } catch (const std::exception& error) {
            warn(error); // it is saved in the database all the same
        }
    }
    return result.files;
}

} // namespace klt
