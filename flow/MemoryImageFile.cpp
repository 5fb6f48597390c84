#include "flow/MemoryImageFile.h"

#include <algorithm>

#include "app/SystemData.h"
#include "core/Exceptions.h"
#include "core/Prompt.h"

namespace klt {
namespace {

void ShowWarning(const std::exception& error) {
    Prompt().ShowMessage("Warning", error.what());
}

} // namespace

TVeltrakTrainingLimits TrainingLimits(const TSystemData& system) {
    return {system.MinPauseTraining, system.MaxPauseTraining, system.MinDauerTraining};
}

TMemoryImageFile::TMemoryImageFile(const std::string& path, const TVeltrakTrainingLimits& limits,
                                   const TVeltrakImage::TExceptionHandler& handler) {
    try {
        if (!image_.LoadBackup(path, limits, handler)) {
            throw EInOutError("not a Veltrak memory image, or a damaged one");
        }
    } catch (...) {
        image_.SetDirty(false);
        throw;
    }
}

TMemoryImageFile::~TMemoryImageFile() {
    image_.SetDirty(false);
}

std::vector<TImageTraining> TMemoryImageFile::Trainings() const {
    const std::vector<TVeltrakTrainingHeader>& headers = image_.Headers();
    std::vector<TImageTraining> trainings;
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

std::vector<std::string> TMemoryImageFile::Save(const TVeltrakImage::TExceptionHandler& handler) {
    return image_.CreateTrainingFiles(handler);
}

std::vector<std::string> ConvertMemoryImage(const std::string& path, const TVeltrakTrainingLimits& limits,
                                            const std::function<void(const std::string&)>& open) {
    TMemoryImageFile file(path, limits, ShowWarning);
    const std::vector<std::string> written = file.Save(ShowWarning);
    if (file.Trainings().empty()) {
        Prompt().ShowMessage("Attention", "The memory image '" + path + "' holds no training.");
    }
    for (const std::string& training : written) {
        try {
            open(training);
        } catch (const std::exception& error) {
            ShowWarning(error); // it is saved in the database all the same
        }
    }
    return written;
}

} // namespace klt
